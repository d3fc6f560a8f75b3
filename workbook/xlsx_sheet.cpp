#include "workbook/xlsx_sheet.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "data/value.h"
#include "workbook/row_buffer.h"
#include "workbook/xml_part.h"
#include "workbook/zip_package.h"

namespace agrimor {

namespace {

enum class CellType { Number, Shared, Inline, Formula, Boolean, Error, IsoDate };

CellType cellType(const char* t) {
    if (!t)
        return CellType::Number;
    const std::string_view type(t);
    if (type == "s")
        return CellType::Shared;
    if (type == "inlineStr")
        return CellType::Inline;
    if (type == "str")
        return CellType::Formula;
    if (type == "b")
        return CellType::Boolean;
    if (type == "e")
        return CellType::Error;
    if (type == "d")
        return CellType::IsoDate;
    return CellType::Number;  // "n", and types no writer uses
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(value))
            return std::nullopt;
    }
    return value;
}

// "AB12" -> column 28 (row digits are not looked at); 0 when it names no column.
int columnOf(std::string_view reference) {
    int column = 0;
    std::size_t i = 0;
    if (i < reference.size() && reference[i] == '$')
        ++i;
    for (; i < reference.size(); ++i) {
        const char c = reference[i];
        int letter = 0;
        if (c >= 'A' && c <= 'Z')
            letter = c - 'A' + 1;
        else if (c >= 'a' && c <= 'z')
            letter = c - 'a' + 1;
        else
            break;
        column = column * 26 + letter;
        if (column > kMaxSheetColumns)
            return 0;
    }
    return column;
}

// "B3" -> row 3, column 2; false for anything else.
bool parseCell(std::string_view text, int& row, int& column) {
    std::string cleaned;
    for (const char c : text) {
        if (c != '$')
            cleaned += c;
    }
    const std::size_t digits = cleaned.find_first_of("0123456789");
    if (digits == 0 || digits == std::string::npos)
        return false;
    column = columnOf(std::string_view(cleaned).substr(0, digits));
    const auto number = parseNumber<int>(std::string_view(cleaned).substr(digits));
    if (column == 0 || column != columnOf(cleaned) || !number || *number < 1 ||
        *number > kMaxSheetRows)
        return false;
    row = *number;
    return true;
}

// "A1:C3" or "A1"; nothing for a range that is not one.
std::optional<CellRange> parseRange(const char* ref) {
    if (!ref)
        return std::nullopt;
    const std::string_view text = trimmed(ref);
    const std::size_t colon = text.find(':');
    CellRange range;
    if (!parseCell(text.substr(0, colon), range.firstRow, range.firstColumn))
        return std::nullopt;
    range.lastRow = range.firstRow;
    range.lastColumn = range.firstColumn;
    if (colon != std::string_view::npos &&
        !parseCell(text.substr(colon + 1), range.lastRow, range.lastColumn))
        return std::nullopt;
    return range;
}

class SheetHandler : public XmlHandler {
public:
    SheetHandler(const ZipPackage& package, const XlsxBook& book, int index, CellRowSink& sink)
        : package_(package),
          book_(book),
          name_(book.sheets[static_cast<std::size_t>(index)].info.name),
          sink_(sink) {}

    void startElement(std::string_view name, const char** attributes) override {
        if (inCell_) {
            if (name == "v") {
                collecting_ = true;
                hasValue_ = true;
            } else if (name == "is") {
                inInline_ = true;
                hasValue_ = true;
                if (type_ == CellType::Number)
                    type_ = CellType::Inline;
            } else if (name == "rPh") {
                ++phonetic_;
            } else if (name == "t" && inInline_ && phonetic_ == 0) {
                collecting_ = true;
            }
        } else if (inRow_) {
            if (name == "c")
                startCell(attributes);
        } else if (inData_) {
            if (name == "row")
                startRow(attributes);
        } else if (name == "sheetData") {
            inData_ = true;
            announce();
        } else if (name == "dimension") {
            stated_ = parseRange(xmlAttribute(attributes, "ref"));
        }
    }

    void endElement(std::string_view name) override {
        if (inCell_) {
            if (name == "c") {
                endCell();
            } else if (name == "v" || name == "t") {
                collecting_ = false;
            } else if (name == "is") {
                inInline_ = false;
            } else if (name == "rPh") {
                --phonetic_;
            }
        } else if (inRow_) {
            if (name == "row")
                endRow();
        } else if (name == "sheetData") {
            inData_ = false;
        }
    }

    void characters(std::string_view text) override {
        if (collecting_)
            value_.append(text);
    }

    // A sheet without cells still states its range.
    void finish() { announce(); }

private:
    [[noreturn]] void refuse(const QString& what) const {
        throw WorkbookError(
            WorkbookError::kUnreadable,
            unreadableWorkbookText(
                package_.path(),
                QStringLiteral("a folha '%1' está danificada: %2").arg(name_, what)));
    }
    QString here() const { return columnLetters(column_) + QString::number(row_); }

    void announce() {
        if (announced_)
            return;
        announced_ = true;
        sink_.statedRange(stated_);
    }

    void startRow(const char** attributes) {
        inRow_ = true;
        column_ = 0;
        const char* r = xmlAttribute(attributes, "r");
        const auto number = r ? parseNumber<int>(r) : std::optional<int>(row_ + 1);
        if (!number || *number < 1 || *number > kMaxSheetRows)
            refuse(QStringLiteral("a linha '%1' não existe").arg(QString::fromUtf8(r)));
        if (*number <= row_)
            refuse(QStringLiteral("a linha %1 vem depois da linha %2").arg(*number).arg(row_));
        row_ = *number;
    }

    void endRow() {
        inRow_ = false;
        if (row.empty())
            return;
        spanned_ += static_cast<long long>(row.cells().size());
        if (spanned_ > kMaxSheetCells)
            refuse(
                QStringLiteral("as linhas estendem-se por mais de %1 células").arg(kMaxSheetCells));
        sink_.row(row_, row.cells());
        row.clear();
    }

    void startCell(const char** attributes) {
        inCell_ = true;
        hasValue_ = false;
        value_.clear();
        type_ = CellType::Number;
        style_ = 0;
        int column = column_ + 1;
        for (const char** a = attributes; a[0]; a += 2) {
            const std::string_view attribute = localName(a[0]);
            if (attribute == "r") {
                column = columnOf(a[1]);
                if (column == 0)
                    refuse(QStringLiteral("a célula '%1' não existe").arg(QString::fromUtf8(a[1])));
            } else if (attribute == "t") {
                type_ = cellType(a[1]);
            } else if (attribute == "s") {
                style_ = parseNumber<int>(a[1]).value_or(0);
            }
        }
        if (column <= column_) {
            refuse(QStringLiteral("a célula %1%2 vem depois da coluna %3")
                       .arg(columnLetters(column))
                       .arg(row_)
                       .arg(columnLetters(column_)));
        }
        if (column > kMaxSheetColumns)
            refuse(QStringLiteral("a linha %1 passa da última coluna").arg(row_));
        column_ = column;
    }

    void endCell() {
        inCell_ = false;
        collecting_ = false;
        inInline_ = false;
        phonetic_ = 0;
        if (!hasValue_)
            return;  // no value: a style-only cell, or a formula without its result
        row.set(column_, toCell());
    }

    // An empty text is an empty cell, as the spreadsheet shows it.
    static Cell text(QString value) {
        return value.isEmpty() ? Cell() : Cell::ofText(std::move(value));
    }

    Cell toCell() {
        switch (type_) {
            case CellType::Shared: {
                if (trimmed(value_).empty())
                    return {};
                const auto index = parseNumber<long long>(value_);
                if (!index || *index < 0 ||
                    static_cast<std::size_t>(*index) >= book_.sharedStrings.size())
                    refuse(
                        QStringLiteral("a célula %1 indica um texto que não existe").arg(here()));
                return text(book_.sharedStrings.at(static_cast<std::size_t>(*index)));
            }
            case CellType::Inline:
            case CellType::Formula:
                return text(spreadsheetText(value_));
            case CellType::Boolean: {
                const std::string_view flag = trimmed(value_);
                if (flag.empty())
                    return {};
                if (flag == "1" || flag == "true")
                    return Cell::ofBoolean(true);
                if (flag == "0" || flag == "false")
                    return Cell::ofBoolean(false);
                refuse(QStringLiteral("a célula %1 não tem um valor lógico").arg(here()));
            }
            case CellType::Error: {
                const std::string_view code = trimmed(value_);
                return code.empty() ? Cell()
                                    : Cell::ofError(QString::fromUtf8(
                                          code.data(), static_cast<qsizetype>(code.size())));
            }
            case CellType::IsoDate:
                return isoDate();
            case CellType::Number:
                break;
        }
        if (trimmed(value_).empty())
            return {};
        const auto number = parseNumber<double>(value_);
        if (!number) {
            refuse(QStringLiteral("a célula %1 não tem um número: '%2'")
                       .arg(here(), QString::fromUtf8(value_.data(),
                                                      static_cast<qsizetype>(value_.size()))));
        }
        const NumberFormatKind shown =
            style_ >= 0 && static_cast<std::size_t>(style_) < book_.styleKinds.size()
                ? book_.styleKinds[static_cast<std::size_t>(style_)]
                : NumberFormatKind::Number;
        QDate date;
        QTime time;
        if (shown == NumberFormatKind::Date &&
            dateFromSerial(*number, book_.dateSystem, date, time))
            return Cell::ofDate(date, time);
        if (shown == NumberFormatKind::Time)
            return Cell::ofTimeSerial(*number);
        return Cell::ofNumber(*number);
    }

    // t="d": ISO 8601 text, whatever the style and the date system. A time alone is the
    // fraction of a day it stands for, a time-formatted number; any other text stays text.
    Cell isoDate() const {
        const QString text =
            QString::fromUtf8(value_.data(), static_cast<qsizetype>(value_.size())).trimmed();
        if (text.isEmpty())
            return {};
        QString bare = text;
        if (bare.endsWith(u'Z'))
            bare.chop(1);
        const QDateTime moment = parseIsoDateTime(bare);
        if (moment.isValid())
            return Cell::ofDate(moment.date(),
                                QTime(0, 0).addSecs(QTime(0, 0).secsTo(moment.time())));
        const QTime alone = QTime::fromString(bare.left(8), Qt::ISODate);
        if (alone.isValid())
            return Cell::ofTimeSerial(QTime(0, 0).secsTo(alone) / 86400.0);
        return Cell::ofText(text);
    }

    const ZipPackage& package_;
    const XlsxBook& book_;
    QString name_;
    CellRowSink& sink_;

    std::optional<CellRange> stated_;
    bool announced_ = false;
    bool inData_ = false;
    bool inRow_ = false;
    bool inCell_ = false;
    bool inInline_ = false;
    bool collecting_ = false;
    bool hasValue_ = false;
    int phonetic_ = 0;

    int row_ = 0;
    int column_ = 0;
    CellType type_ = CellType::Number;
    int style_ = 0;
    std::string value_;

    RowBuffer row;
    long long spanned_ = 0;  // cells the rows so far span
};

}  // namespace

void readXlsxSheet(const ZipPackage& package, const XlsxBook& book, int index, CellRowSink& sink) {
    SheetHandler handler(package, book, index, sink);
    parseXmlPart(package, book.sheets[static_cast<std::size_t>(index)].part, handler);
    handler.finish();
}

}  // namespace agrimor
