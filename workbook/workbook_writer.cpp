#include "workbook/workbook_writer.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cstring>
#include <filesystem>

#include "workbook/ole_container.h"
#include "workbook/serial_date.h"

namespace agrimor {

namespace {

const QString kDateFormat = QStringLiteral("dd-mm-yyyy");

// The BIFF8 code of an error value; an unknown text is #N/A.
unsigned errorCode(const QString& text) {
    static const std::pair<const char*, unsigned> codes[] = {
        {"#NULL!", 0x00}, {"#DIV/0!", 0x07}, {"#VALUE!", 0x0F}, {"#REF!", 0x17},
        {"#NAME?", 0x1D}, {"#NUM!", 0x24},   {"#N/A", 0x2A}};
    for (const auto& [name, code] : codes) {
        if (text == QLatin1String(name))
            return code;
    }
    return 0x2A;
}

// BIFF8, the .xls format: a stream of records (type, length, data) in an OLE2 compound document,
// the "Workbook" stream. The globals hold fonts, number formats, cell formats (XF), one
// BOUNDSHEET per sheet pointing at its substream, and the shared strings; each sheet substream
// holds its cells.
class Biff8Writer {
public:
    explicit Biff8Writer(const std::vector<SheetData>& sheets) : sheets_(sheets) {}

    std::vector<unsigned char> build() {
        collectFormats();
        collectStrings();

        Buffer globals;
        globals.record(0x0809, bof(0x0005));
        globals.record(0x0042, Buffer().u16(1200).bytes);  // CODEPAGE: UTF-16
        globals.record(0x003D, Buffer()                    // WINDOW1
                                   .u16(0)
                                   .u16(0)
                                   .u16(0x3000)
                                   .u16(0x2000)
                                   .u16(0x0038)
                                   .u16(0)
                                   .u16(0)
                                   .u16(1)
                                   .u16(0x0258)
                                   .bytes);
        // Readers expect at least five fonts (index 4 is never used).
        for (int i = 0; i < 5; ++i) {
            globals.record(0x0031, Buffer()
                                       .u16(200)
                                       .u16(0)
                                       .u16(0x7FFF)
                                       .u16(400)
                                       .u16(0)
                                       .u8(0)
                                       .u8(0)
                                       .u8(0)
                                       .u8(0)
                                       .u8(5)
                                       .u8(0)
                                       .latin1("Arial")
                                       .bytes);
        }
        for (int i = 0; i < formats_.size(); ++i)
            globals.record(0x041E,
                           Buffer().u16(kFirstCustomFormat + i).unicode16(formats_[i]).bytes);
        // Fifteen style XFs and the default cell XF, then one cell XF per custom format.
        for (int i = 0; i < 15; ++i)
            globals.record(0x00E0, xf(0, true));
        globals.record(0x00E0, xf(0, false));
        for (int i = 0; i < formats_.size(); ++i)
            globals.record(0x00E0, xf(kFirstCustomFormat + i, false));
        globals.record(0x0293, Buffer().u16(0x8000).u8(0).u8(0xFF).bytes);  // STYLE: Normal

        std::vector<std::size_t> offsetSlots;
        for (const auto& sheet : sheets_) {
            offsetSlots.push_back(globals.bytes.size() + 4);
            globals.record(0x0085,
                           Buffer().u32(0).u8(0).u8(0).shortUnicode(sheet.name.left(31)).bytes);
        }
        writeSharedStrings(globals);
        globals.record(0x000A, {});

        std::vector<unsigned char> stream = std::move(globals.bytes);
        for (std::size_t s = 0; s < sheets_.size(); ++s) {
            const auto offset = static_cast<std::uint32_t>(stream.size());
            std::memcpy(stream.data() + offsetSlots[s], &offset, 4);  // little-endian host
            const auto sheet = sheetStream(sheets_[s], s == 0);
            stream.insert(stream.end(), sheet.begin(), sheet.end());
        }
        return stream;
    }

private:
    static constexpr int kFirstCustomFormat = 164;
    static constexpr int kFirstCustomXf = 16;
    static constexpr std::size_t kMaxRecord = 8224;

    struct Buffer {
        std::vector<unsigned char> bytes;

        Buffer& u8(unsigned v) {
            bytes.push_back(static_cast<unsigned char>(v));
            return *this;
        }
        Buffer& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
        Buffer& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
        Buffer& f64(double v) {
            unsigned char raw[8];
            std::memcpy(raw, &v, 8);
            bytes.insert(bytes.end(), raw, raw + 8);
            return *this;
        }
        Buffer& latin1(const char* text) {
            bytes.insert(bytes.end(), text, text + std::strlen(text));
            return *this;
        }
        Buffer& utf16(const QString& text) {
            for (QChar c : text)
                u16(c.unicode());
            return *this;
        }
        // XLUnicodeString: 16-bit length, flags (1: UTF-16), characters.
        Buffer& unicode16(const QString& text) {
            return u16(static_cast<unsigned>(text.size())).u8(1).utf16(text);
        }
        // ShortXLUnicodeString: 8-bit length.
        Buffer& shortUnicode(const QString& text) {
            return u8(static_cast<unsigned>(text.size())).u8(1).utf16(text);
        }
        void record(unsigned type, const std::vector<unsigned char>& data) {
            u16(type).u16(static_cast<unsigned>(data.size()));
            bytes.insert(bytes.end(), data.begin(), data.end());
        }
    };

    static std::vector<unsigned char> bof(unsigned kind) {
        return Buffer().u16(0x0600).u16(kind).u16(0x0DBB).u16(0x07CC).u32(0).u32(6).bytes;
    }

    static std::vector<unsigned char> xf(unsigned format, bool style) {
        return Buffer()
            .u16(0)
            .u16(format)
            .u16(style ? 0xFFF5 : 0x0001)
            .u8(0x20)
            .u8(0)
            .u8(0)
            .u8(style ? 0x00 : 0x04)
            .u32(0)
            .u32(0)
            .u16(0x20C0)
            .bytes;
    }

    void collectFormats() {
        formats_ << kDateFormat;
        for (const auto& sheet : sheets_) {
            for (const auto& code : sheet.numberFormats) {
                if (!code.isEmpty() && !formats_.contains(code))
                    formats_ << code;
            }
        }
    }

    void collectStrings() {
        for (const auto& sheet : sheets_) {
            for (const auto& row : sheet.rows) {
                for (const auto& cell : row) {
                    if (cell.kind != Cell::Kind::Text)
                        continue;
                    ++stringCount_;
                    if (!stringIndex_.contains(cell.text)) {
                        stringIndex_.insert(cell.text, static_cast<std::uint32_t>(strings_.size()));
                        strings_ << cell.text;
                    }
                }
            }
        }
    }

    // SST, continued in CONTINUE records past 8,224 bytes. A string's header never splits; its
    // characters may, and the continuation then starts with the flags byte again.
    void writeSharedStrings(Buffer& out) {
        std::vector<std::vector<unsigned char>> records(1);
        Buffer head;
        head.u32(stringCount_).u32(static_cast<std::uint32_t>(strings_.size()));
        records.back() = head.bytes;
        auto room = [&records] { return kMaxRecord - records.back().size(); };
        for (const QString& text : strings_) {
            if (room() < 5)
                records.emplace_back();
            Buffer header;
            header.u16(static_cast<unsigned>(text.size())).u8(1);
            records.back().insert(records.back().end(), header.bytes.begin(), header.bytes.end());
            for (QChar c : text) {
                if (room() < 2) {
                    records.emplace_back();
                    records.back().push_back(1);
                }
                records.back().push_back(static_cast<unsigned char>(c.unicode() & 0xFF));
                records.back().push_back(static_cast<unsigned char>(c.unicode() >> 8));
            }
        }
        out.record(0x00FC, records.front());
        for (std::size_t i = 1; i < records.size(); ++i)
            out.record(0x003C, records[i]);
    }

    std::vector<unsigned char> sheetStream(const SheetData& sheet, bool first) const {
        std::size_t columns = 0;
        for (const auto& row : sheet.rows)
            columns = std::max(columns, row.size());
        Buffer out;
        out.record(0x0809, bof(0x0010));
        out.record(0x0200, Buffer()  // DIMENSIONS
                               .u32(0)
                               .u32(static_cast<std::uint32_t>(sheet.rows.size()))
                               .u16(0)
                               .u16(static_cast<unsigned>(columns))
                               .u16(0)
                               .bytes);
        out.record(0x023E, Buffer()  // WINDOW2
                               .u16(first ? 0x06B6 : 0x02B6)
                               .u16(0)
                               .u16(0)
                               .u32(0x40)
                               .u16(0)
                               .u16(0)
                               .u32(0)
                               .bytes);
        const unsigned dateXf = kFirstCustomXf;
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            const auto& row = sheet.rows[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                const Cell& cell = row[c];
                const auto rw = static_cast<unsigned>(r);
                const auto col = static_cast<unsigned>(c);
                switch (cell.kind) {
                    case Cell::Kind::Text:
                        out.record(0x00FD, Buffer()
                                               .u16(rw)
                                               .u16(col)
                                               .u16(kFirstCustomXf - 1)
                                               .u32(stringIndex_.value(cell.text))
                                               .bytes);
                        break;
                    case Cell::Kind::Number:
                        out.record(0x0203, Buffer()
                                               .u16(rw)
                                               .u16(col)
                                               .u16(numberXf(sheet, c))
                                               .f64(cell.number)
                                               .bytes);
                        break;
                    case Cell::Kind::Date:
                        out.record(0x0203, Buffer()
                                               .u16(rw)
                                               .u16(col)
                                               .u16(dateXf)
                                               .f64(serialFromDate(cell.date) +
                                                    cell.time.msecsSinceStartOfDay() / 86400000.0)
                                               .bytes);
                        break;
                    case Cell::Kind::Boolean:
                    case Cell::Kind::Error:
                        out.record(0x0205, Buffer()  // BOOLERR
                                               .u16(rw)
                                               .u16(col)
                                               .u16(kFirstCustomXf - 1)
                                               .u8(cell.kind == Cell::Kind::Error
                                                       ? errorCode(cell.text)
                                                       : static_cast<unsigned>(cell.number != 0))
                                               .u8(cell.kind == Cell::Kind::Error ? 1 : 0)
                                               .bytes);
                        break;
                    case Cell::Kind::Empty:
                        break;
                }
            }
        }
        out.record(0x000A, {});
        return std::move(out.bytes);
    }

    unsigned numberXf(const SheetData& sheet, std::size_t column) const {
        const QString code = sheet.numberFormats.value(static_cast<qsizetype>(column));
        if (code.isEmpty())
            return kFirstCustomXf - 1;
        return kFirstCustomXf + static_cast<unsigned>(formats_.indexOf(code));
    }

    const std::vector<SheetData>& sheets_;
    QStringList formats_;
    QStringList strings_;
    QHash<QString, std::uint32_t> stringIndex_;
    std::uint32_t stringCount_ = 0;
};

QString writeXls(const QString& path, const std::vector<SheetData>& sheets) {
    for (const auto& sheet : sheets) {
        if (sheet.rows.size() > static_cast<std::size_t>(kMaxXlsRows))
            return QStringLiteral("a folha %1 tem mais de %2 linhas")
                .arg(sheet.name)
                .arg(kMaxXlsRows);
    }
    const auto stream = Biff8Writer(sheets).build();
    return QString::fromStdString(
        writeCompoundDocument(QFile::encodeName(path).toStdString(), "Workbook", stream));
}

QString writeXlsx(const QString& path, const std::vector<SheetData>& sheets) {
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* book = workbook_new(file.constData());
    if (!book)
        return QStringLiteral("workbook_new");
    lxw_format* dateFormat = workbook_add_format(book);
    format_set_num_format(dateFormat, kDateFormat.toUtf8().constData());
    QHash<QString, lxw_format*> numberFormats;
    QString failure;
    for (const auto& sheet : sheets) {
        lxw_worksheet* out = workbook_add_worksheet(book, sheet.name.toUtf8().constData());
        if (!out) {
            failure = QStringLiteral("nome de folha inválido: %1").arg(sheet.name);
            break;
        }
        std::vector<lxw_format*> columnFormats;
        for (const auto& code : sheet.numberFormats) {
            lxw_format* format = nullptr;
            if (!code.isEmpty()) {
                format = numberFormats.value(code);
                if (!format) {
                    format = workbook_add_format(book);
                    format_set_num_format(format, code.toUtf8().constData());
                    numberFormats.insert(code, format);
                }
            }
            columnFormats.push_back(format);
        }
        for (std::size_t r = 0; r < sheet.rows.size() && failure.isEmpty(); ++r) {
            const auto& row = sheet.rows[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                const Cell& cell = row[c];
                const auto rw = static_cast<lxw_row_t>(r);
                const auto col = static_cast<lxw_col_t>(c);
                lxw_error rc = LXW_NO_ERROR;
                switch (cell.kind) {
                    case Cell::Kind::Text:
                        rc = worksheet_write_string(out, rw, col, cell.text.toUtf8().constData(),
                                                    nullptr);
                        break;
                    case Cell::Kind::Number:
                        rc = worksheet_write_number(
                            out, rw, col, cell.number,
                            c < columnFormats.size() ? columnFormats[c] : nullptr);
                        break;
                    case Cell::Kind::Date: {
                        lxw_datetime when{};
                        when.year = cell.date.year();
                        when.month = cell.date.month();
                        when.day = cell.date.day();
                        when.hour = cell.time.hour();
                        when.min = cell.time.minute();
                        when.sec = cell.time.second();
                        rc = worksheet_write_datetime(out, rw, col, &when, dateFormat);
                        break;
                    }
                    case Cell::Kind::Boolean:
                        rc = worksheet_write_boolean(out, rw, col, cell.number != 0, nullptr);
                        break;
                    case Cell::Kind::Error:
                        // The library writes no error cells; no export of ours holds one.
                        failure = QStringLiteral("a célula %1 tem o erro %2")
                                      .arg(QString::number(r + 1), cell.text);
                        break;
                    case Cell::Kind::Empty:
                        break;
                }
                if (rc != LXW_NO_ERROR)
                    failure = QString::fromUtf8(lxw_strerror(rc));
                if (!failure.isEmpty())
                    break;
            }
        }
        if (!failure.isEmpty())
            break;
    }
    const lxw_error closed = workbook_close(book);
    if (failure.isEmpty() && closed != LXW_NO_ERROR)
        failure = QString::fromUtf8(lxw_strerror(closed));
    return failure;
}

}  // namespace

QString replaceFile(const QString& written, const QString& target) {
    // One rename(2), which replaces an existing target in the same step: never removed first.
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(written).toStdString()),
                            std::filesystem::path(QFile::encodeName(target).toStdString()), error);
    if (error)
        return QStringLiteral("não foi possível substituir o ficheiro (%1)")
            .arg(QString::fromLocal8Bit(error.message()));
    return {};
}

WorkbookFormat workbookFormatFor(const QString& path) {
    return path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ? WorkbookFormat::Xlsx
                                                                       : WorkbookFormat::Xls;
}

void writeWorkbook(const QString& path, const std::vector<SheetData>& sheets,
                   WorkbookFormat format) {
    // Written beside the target and moved over it at the end, so a failure leaves no partial
    // workbook under the chosen name and the previous file, if any, intact.
    const QFileInfo target(path);
    const QString partial =
        target.dir().filePath(QStringLiteral(".%1.part").arg(target.fileName()));
    QFile::remove(partial);
    QString failure =
        format == WorkbookFormat::Xls ? writeXls(partial, sheets) : writeXlsx(partial, sheets);
    if (failure.isEmpty())
        failure = replaceFile(partial, path);
    if (!failure.isEmpty()) {
        QFile::remove(partial);
        throw WorkbookError(
            WorkbookError::kUnreadable,
            QStringLiteral("Não foi possível escrever o livro de Excel %1: %2").arg(path, failure));
    }
}

}  // namespace agrimor
