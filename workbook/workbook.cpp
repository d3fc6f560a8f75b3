#include "workbook/workbook.h"

#include <freexl.h>

#include <QFile>
#include <QFileInfo>
#include <ixion/address.hpp>
#include <ixion/cell_access.hpp>
#include <ixion/model_context.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>
#include <orcus/types.hpp>
#include <unordered_set>
#include <vector>

#include "workbook/workbook_isolation.h"

namespace agrimor {

namespace {

QString unreadableText(const QString& path, const QString& why) {
    return QStringLiteral("Não foi possível ler o livro de Excel %1: %2").arg(path, why);
}

// Cells a date format shows as a date: Excel's built-in date formats, and any custom format
// whose code names a day, month or year outside quoted text and brackets (a "0.00" does not).
bool isBuiltInDateFormat(std::size_t id) {
    return (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
}

bool isDateFormatCode(std::string_view code) {
    bool quoted = false;
    bool bracket = false;
    bool hasDatePart = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;  // the next character is literal or padding
        } else if (c == '[') {
            bracket = true;
        } else if (c == ']') {
            bracket = false;
        } else if (!bracket) {
            switch (c) {
                case 'd':
                case 'D':
                case 'y':
                case 'Y':
                case 'm':
                case 'M':
                    hasDatePart = true;
                    break;
                case ';':
                    return hasDatePart;  // the positive-number section decides
                default:
                    break;
            }
        }
    }
    return hasDatePart;
}

class XlsxWorkbook : public Workbook {
public:
    explicit XlsxWorkbook(const QString& path)
        : document_(orcus::spreadsheet::range_size_t{kMaxSheetRows, 16384}) {
        orcus::spreadsheet::import_factory factory(document_);
        factory.set_recalc_formula_cells(true);
        try {
            orcus::orcus_xlsx reader(&factory);
            reader.read_file(QFile::encodeName(path).toStdString());
        } catch (const std::exception& error) {
            throw WorkbookError(WorkbookError::kUnreadable,
                                unreadableText(path, QString::fromUtf8(error.what())));
        }
        collectDateFormats();
    }

    QStringList sheetNames() const override {
        QStringList names;
        for (std::size_t i = 0; i < document_.get_sheet_count(); ++i) {
            const auto name = document_.get_sheet_name(static_cast<orcus::spreadsheet::sheet_t>(i));
            names << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        }
        return names;
    }

protected:
    void readSheetAt(int index, SheetSink& sink) const override {
        const auto& model = document_.get_model_context();
        const auto* sheet = document_.get_sheet(static_cast<orcus::spreadsheet::sheet_t>(index));
        const auto& styles = document_.get_styles();
        const auto range = model.get_data_range(index);
        if (!range.valid()) {
            sink.begin(0);
            return;
        }
        const int columns = range.last.column + 1;
        sink.begin(columns);
        std::vector<Cell> cells(static_cast<std::size_t>(columns));
        for (int r = 1; r <= range.last.row; ++r) {
            for (int c = 0; c < columns; ++c) {
                Cell& cell = cells[static_cast<std::size_t>(c)];
                const auto access = model.get_cell_access(ixion::abs_address_t(index, r, c));
                switch (access.get_value_type()) {
                    case ixion::cell_value_t::string: {
                        const auto text = access.get_string_value();
                        cell = Cell::ofText(
                            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
                        break;
                    }
                    case ixion::cell_value_t::numeric:
                    case ixion::cell_value_t::boolean: {
                        const double value = access.get_numeric_value();
                        const auto* format = styles.get_cell_format(sheet->get_cell_format(r, c));
                        // From the serial number ourselves: the model's date conversion throws
                        // for a year it does not take (a damaged file can hold any number).
                        // Dates run from serial 0 to 31-12-9999, as in the spreadsheet.
                        const bool dated = format && dateFormats_.count(format->number_format) &&
                                           value >= 0 && value < 2958466;
                        const QDate date = dated ? dateFromSerial(value) : QDate();
                        if (date.isValid()) {
                            cell = Cell::ofDate(date);
                        } else {
                            cell = Cell::ofNumber(value);
                        }
                        break;
                    }
                    case ixion::cell_value_t::error:
                        cell = Cell::ofText(QStringLiteral("#ERRO"));
                        break;
                    default:
                        cell = Cell::empty();
                        break;
                }
            }
            sink.row(r + 1, cells);
        }
    }

private:
    // The number-format identifiers (the file's numFmtId) that show a date.
    void collectDateFormats() {
        const auto& styles = document_.get_styles();
        for (std::size_t id = 0; id < 50; ++id) {
            if (isBuiltInDateFormat(id))
                dateFormats_.insert(id);
        }
        for (std::size_t i = 0; i < styles.get_number_format_count(); ++i) {
            const auto* format = styles.get_number_format(i);
            if (!format)
                continue;
            if (isDateFormatCode(format->format_string))
                dateFormats_.insert(format->identifier);
            else if (!format->format_string.empty())
                dateFormats_.erase(format->identifier);
        }
    }

    orcus::spreadsheet::document document_;
    std::unordered_set<std::size_t> dateFormats_;
};

class XlsWorkbook : public Workbook {
public:
    explicit XlsWorkbook(const QString& path) : path_(path) {
        const int rc = freexl_open(QFile::encodeName(path).constData(), &handle_);
        if (rc != FREEXL_OK) {
            close();
            throw WorkbookError(WorkbookError::kUnreadable,
                                // An encrypted .xlsx is a compound document without a
                                // workbook stream.
                                rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND
                                    ? QStringLiteral("O livro de Excel está protegido por "
                                                     "password ou não tem folhas: %1")
                                          .arg(path)
                                    : unreadableText(path, QStringLiteral("erro %1").arg(rc)));
        }
        unsigned int info = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
            info == FREEXL_BIFF_OBFUSCATED) {
            close();
            throw WorkbookError(
                WorkbookError::kUnreadable,
                QStringLiteral("O livro de Excel está protegido por password: %1").arg(path));
        }
        unsigned int count = 0;
        freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count);
        for (unsigned int i = 0; i < count; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &name) !=
                FREEXL_OK) {
                close();
                throw WorkbookError(WorkbookError::kUnreadable,
                                    unreadableText(path, QStringLiteral("folha %1").arg(i + 1)));
            }
            names_ << QString::fromUtf8(name ? name : "");
        }
    }

    ~XlsWorkbook() override { close(); }
    XlsWorkbook(const XlsWorkbook&) = delete;
    XlsWorkbook& operator=(const XlsWorkbook&) = delete;

    QStringList sheetNames() const override { return names_; }

protected:
    void readSheetAt(int index, SheetSink& sink) const override {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) !=
                FREEXL_OK ||
            freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK) {
            throw WorkbookError(WorkbookError::kUnreadable,
                                unreadableText(path_, names_.value(index)));
        }
        sink.begin(columns);
        std::vector<Cell> cells(columns);
        for (unsigned int r = 1; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value{};
                if (freexl_get_cell_value(handle_, r, c, &value) != FREEXL_OK) {
                    throw WorkbookError(
                        WorkbookError::kUnreadable,
                        unreadableText(path_, QStringLiteral("linha %1").arg(r + 1)));
                }
                cells[c] = toCell(value);
            }
            sink.row(static_cast<int>(r) + 1, cells);
        }
    }

private:
    static Cell toCell(const FreeXL_CellValue& value) {
        switch (value.type) {
            case FREEXL_CELL_INT:
                return Cell::ofNumber(value.value.int_value);
            case FREEXL_CELL_DOUBLE:
                return Cell::ofNumber(value.value.double_value);
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_TIME:
                return Cell::ofText(QString::fromUtf8(value.value.text_value));
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME: {
                // "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss"
                const QString text = QString::fromUtf8(value.value.text_value);
                return Cell::ofDate(QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd")));
            }
            default:
                return Cell::empty();
        }
    }

    void close() {
        if (handle_)
            freexl_close(handle_);
        handle_ = nullptr;
    }

    QString path_;
    const void* handle_ = nullptr;
    QStringList names_;
};

}  // namespace

namespace workbook_isolation {

Format checkFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        throw WorkbookError(WorkbookError::kFileNotFound,
                            QStringLiteral("O ficheiro não existe: %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WorkbookError(WorkbookError::kUnreadable, unreadableText(path, file.errorString()));
    const QByteArray magic = file.read(8);
    file.close();
    // .xlsx is a zip package; .xls (and an encrypted .xlsx) an OLE2 compound document.
    if (magic.startsWith(QByteArrayLiteral("PK\x03\x04")))
        return Format::Xlsx;
    if (magic == QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return Format::Xls;
    throw WorkbookError(
        WorkbookError::kUnreadable,
        QStringLiteral("O ficheiro não é um livro de Excel (.xls ou .xlsx): %1").arg(path));
}

std::unique_ptr<Workbook> openInProcess(const QString& path) {
    if (checkFile(path) == Format::Xlsx)
        return std::make_unique<XlsxWorkbook>(path);
    return std::make_unique<XlsWorkbook>(path);
}

}  // namespace workbook_isolation

void Workbook::readSheet(const QString& name, SheetSink& sink) const {
    const int index = static_cast<int>(sheetNames().indexOf(name));
    if (index < 0)
        throw WorkbookError(WorkbookError::kUnreadable,
                            QStringLiteral("A folha '%1' não existe no livro.").arg(name));
    readSheetAt(index, sink);
}

}  // namespace agrimor
