// Workbooks written by other programs, each with the cells it must give (tests/workbook/golden,
// whose README defines the dump and how its lines compare).

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <cstdlib>

#include "workbook/workbook.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

QString escaped(const QString& text) {
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'\\':
                out += u"\\\\"_s;
                break;
            case u'\t':
                out += u"\\t"_s;
                break;
            case u'\n':
                out += u"\\n"_s;
                break;
            case u'\r':
                out += u"\\r"_s;
                break;
            default:
                out += c;
        }
    }
    return out;
}

QString kindAndValue(const Cell& cell) {
    switch (cell.kind) {
        case Cell::Kind::Text:
            return u"s\t"_s + escaped(cell.text);
        case Cell::Kind::Number:
            return u"n\t"_s + QString::number(cell.number, 'g', 17);
        case Cell::Kind::Boolean:
            return cell.number != 0 ? u"b\tTRUE"_s : u"b\tFALSE"_s;
        case Cell::Kind::Error:
            return u"e\t"_s + cell.text;
        case Cell::Kind::Date: {
            QString text = cell.date.toString(Qt::ISODate);
            if (cell.time != QTime(0, 0))
                text += QLatin1Char(' ') + cell.time.toString(u"hh:mm:ss"_s);
            return u"d\t"_s + text;
        }
        case Cell::Kind::Empty:
            break;
    }
    return u"?\t"_s;
}

class DumpSink : public CellRowSink {
public:
    explicit DumpSink(QStringList& lines) : lines_(lines) {}
    void statedRange(std::optional<CellRange> range) override {
        lines_ << (range ? u"dim %1%2:%3%4"_s.arg(columnLetters(range->firstColumn))
                               .arg(range->firstRow)
                               .arg(columnLetters(range->lastColumn))
                               .arg(range->lastRow)
                         : u"dim -"_s);
    }
    void row(int sheetRow, std::span<const Cell> cells) override {
        EXPECT_GT(sheetRow, last_) << "rows out of order";
        EXPECT_FALSE(cells.empty() || cells.back().isEmpty()) << "row " << sheetRow;
        last_ = sheetRow;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (!cells[c].isEmpty())
                lines_ << u"%1\t%2\t%3"_s.arg(sheetRow).arg(columnLetters(static_cast<int>(c) + 1),
                                                            kindAndValue(cells[c]));
        }
    }

private:
    QStringList& lines_;
    int last_ = 0;
};

QStringList dump(const Workbook& book) {
    QStringList lines;
    const std::vector<SheetInfo> sheets = book.sheets();
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        lines << u"sheet "_s + sheets[i].name + (sheets[i].hidden ? u" hidden"_s : QString());
        DumpSink sink(lines);
        book.readCells(static_cast<int>(i), sink);
    }
    return lines;
}

// Numbers compare as the doubles their texts stand for; everything else as text.
bool sameLine(const QString& ours, const QString& expected) {
    const QStringList a = ours.split(QLatin1Char('\t'));
    const QStringList b = expected.split(QLatin1Char('\t'));
    if (a.size() == 4 && b.size() == 4 && a[2] == QLatin1String("n") && b[2] == a[2] &&
        a[0] == b[0] && a[1] == b[1]) {
        return std::strtod(a[3].toUtf8().constData(), nullptr) ==
               std::strtod(b[3].toUtf8().constData(), nullptr);
    }
    return ours == expected;
}

QString goldenFolder() {
    return QStringLiteral(AGRIMOR_GOLDEN_DIR);
}

std::vector<std::string> cases() {
    std::vector<std::string> names;
    const QDir root(goldenFolder());
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFile::exists(root.filePath(name + u"/check.txt"_s)))
            names.push_back(name.toStdString());
    }
    return names;
}

class GoldenWorkbook : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenWorkbook, reads_as_its_dump_says) {
    const QDir folder(goldenFolder() + QLatin1Char('/') + QString::fromStdString(GetParam()));
    const QStringList books = folder.entryList({u"*.xlsx"_s, u"*.xlsm"_s, u"*.xls"_s}, QDir::Files);
    ASSERT_EQ(books.size(), 1);
    QFile check(folder.filePath(u"check.txt"_s));
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    QStringList expected = QString::fromUtf8(check.readAll()).split(QLatin1Char('\n'));
    if (!expected.isEmpty() && expected.back().isEmpty())
        expected.removeLast();

    const QStringList ours = dump(*Workbook::open(folder.filePath(books.front())));
    for (qsizetype i = 0; i < std::max(ours.size(), expected.size()); ++i) {
        const QString mine = ours.value(i, u"<nothing>"_s);
        const QString theirs = expected.value(i, u"<nothing>"_s);
        if (!sameLine(mine, theirs)) {
            ADD_FAILURE() << books.front().toStdString() << " line " << i + 1 << ":\n  read     "
                          << mine.toStdString() << "\n  expected " << theirs.toStdString();
            break;  // the lines after a difference are usually shifted
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenWorkbook, ::testing::ValuesIn(cases()), [](const auto& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (c == '-')
            c = '_';
    }
    return name;
});

// A time-formatted number keeps its serial (the dumps say `n`) and reads in a text column as the
// sheet shows the time; other formats keep their numbers. Both readers, built-in formats and
// codes of their own, as other programs write them.
TEST(GoldenTimes, time_formatted_numbers_read_as_text_as_the_sheet_shows_them) {
    class TextSink : public CellRowSink {
    public:
        void statedRange(std::optional<CellRange>) override {}
        void row(int sheetRow, std::span<const Cell> cells) override {
            for (std::size_t c = 0; c < cells.size(); ++c)
                texts[columnLetters(static_cast<int>(c) + 1) + QString::number(sheetRow)] =
                    cells[c].toText();
        }
        QMap<QString, QString> texts;
    };
    const std::vector<const char*> formulas{
        "B10=14:30:00", "B11=36:30:00", "B12=00:05:00", "B14=18:00:00", "B15=12:00:00",
        "B16=30",       "B17=-12.5",    "B18=0.25",     "B25=0.5",      "B26=-5"};
    const struct {
        const char* book;
        const char* sheet;
        std::vector<const char*> cells;  // reference=text
    } cases[] = {
        {"lo-formulas-xlsx/formulas.xlsx", "Datas e horas", formulas},
        {"lo-formulas-xls/formulas.xls", "Datas e horas", formulas},
        {"gnumeric-formulas-xls95/formulas.xls", "Datas e horas", formulas},
        {"openpyxl-types/tipos.xlsx",
         "Tipos",
         {"B11=14:30:00", "C11=36:30:00", "B12=18:00:00", "C12=00:05:00", "B14=30"}},
        {"handmade-inline/inline.xlsx",
         "Resultados",
         {"A3=12:00:00", "B3=30:00:00", "C3=00:17:43", "F3=60:00:00", "C2=0.0015"}},
        {"xlsxwriter-streaming/streaming.xlsx", "Exportação", {"D2=12:00:00", "D3=09:45:00"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.book);
        const auto book =
            Workbook::open(goldenFolder() + QLatin1Char('/') + QString::fromUtf8(test.book));
        TextSink sink;
        book->readCells(static_cast<int>(book->sheetNames().indexOf(QString::fromUtf8(test.sheet))),
                        sink);
        for (const char* text : test.cells) {
            const QString cell = QString::fromUtf8(text);
            const QString reference = cell.section(QLatin1Char('='), 0, 0);
            EXPECT_EQ(sink.texts.value(reference), cell.section(QLatin1Char('='), 1))
                << reference.toStdString();
        }
    }
}

}  // namespace
}  // namespace agrimor
