#include "workbook/workbook.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <QFile>

#include "tests/support/test_databases.h"
#include "workbook/ole_container.h"
#include "workbook/workbook_writer.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

// Keeps every delivered row, as text with the kind: "T:abc", "N:1.5", "D:31-01-2024", "-".
class RecordingSink : public SheetSink {
public:
    void begin(int columnCount) override { columns = columnCount; }
    void row(int sheetRow, std::span<const Cell> cells) override {
        QStringList texts;
        for (const Cell& cell : cells) {
            switch (cell.kind) {
                case Cell::Kind::Empty:
                    texts << u"-"_s;
                    break;
                case Cell::Kind::Text:
                    texts << u"T:"_s + cell.text;
                    break;
                case Cell::Kind::Number:
                    texts << u"N:"_s + cell.toText();
                    break;
                case Cell::Kind::Date:
                    texts << u"D:"_s + cell.toText();
                    break;
                case Cell::Kind::Boolean:
                case Cell::Kind::Error:
                    texts << u"?:"_s + cell.toText();
                    break;
            }
        }
        rows << texts.join(QLatin1Char('|'));
        sheetRows.push_back(sheetRow);
    }
    int columns = -1;
    QStringList rows;
    std::vector<int> sheetRows;
};

class WorkbookTest : public ::testing::TestWithParam<WorkbookFormat> {
protected:
    QString path(const QString& base) const {
        return folder.file(base + (GetParam() == WorkbookFormat::Xls ? u".xls"_s : u".xlsx"_s));
    }
    test::TempFolder folder;
};

TEST_P(WorkbookTest, cells_come_back_with_their_kinds_and_the_header_row_is_skipped) {
    SheetData first{u"Câmbios"_s, {}, {}};
    first.rows = {
        {Cell::ofText(u"Moeda"_s), Cell::ofText(u"Data"_s), Cell::ofText(u"Valor"_s)},
        {Cell::ofText(u" USD "_s), Cell::ofDate(QDate(2024, 1, 31)), Cell::ofNumber(1.23456)},
        {},  // an empty row inside the used area
        {Cell::ofNumber(211), Cell::empty(), Cell::ofNumber(-0.5)},
    };
    first.numberFormats = {QString(), QString(), u"#,##0.0000"_s};
    SheetData second{u"Outra"_s, {{Cell::ofText(u"x"_s)}}, {}};
    writeWorkbook(path(u"book"_s), {first, second}, GetParam());

    const auto book = Workbook::open(path(u"book"_s));
    EXPECT_EQ(book->sheetNames(), (QStringList{u"Câmbios"_s, u"Outra"_s}));
    RecordingSink sink;
    book->readSheet(u"Câmbios"_s, sink);
    EXPECT_EQ(sink.columns, 3);
    EXPECT_EQ(sink.rows,
              (QStringList{u"T: USD |D:31-01-2024|N:1.23456"_s, u"-|-|-"_s, u"N:211|-|N:-0.5"_s}));
    EXPECT_EQ(sink.sheetRows, (std::vector<int>{2, 3, 4}));

    RecordingSink onlyHeader;
    book->readSheet(u"Outra"_s, onlyHeader);
    EXPECT_TRUE(onlyHeader.rows.isEmpty());
    EXPECT_THROW(book->readSheet(u"Folha9"_s, onlyHeader), WorkbookError);
}

TEST_P(WorkbookTest, long_shared_strings_and_many_rows_survive_the_round_trip) {
    // Over 8,224 bytes of shared strings: the .xls string table continues in further records,
    // some strings split across them.
    SheetData sheet{u"S"_s, {{Cell::ofText(u"h"_s)}}, {}};
    for (int i = 0; i < 3000; ++i)
        sheet.rows.push_back({Cell::ofText(u"texto número %1 "_s.arg(i).repeated(i % 7 + 1))});
    writeWorkbook(path(u"long"_s), {sheet}, GetParam());
    RecordingSink sink;
    Workbook::open(path(u"long"_s))->readSheet(u"S"_s, sink);
    ASSERT_EQ(sink.rows.size(), 3000);
    for (int i = 0; i < 3000; i += 97)
        EXPECT_EQ(sink.rows[i], u"T:"_s + u"texto número %1 "_s.arg(i).repeated(i % 7 + 1));
}

TEST_P(WorkbookTest, damaged_files_are_refused_with_a_reason) {
    SheetData sheet{u"S"_s, {{Cell::ofText(u"h"_s)}, {Cell::ofNumber(1)}}, {}};
    writeWorkbook(path(u"whole"_s), {sheet}, GetParam());
    QFile whole(path(u"whole"_s));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QFile cut(path(u"cut"_s));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() / 2));
    cut.close();
    try {
        RecordingSink sink;
        const auto book = Workbook::open(path(u"cut"_s));
        book->readSheet(book->sheetNames().value(0), sink);
        ADD_FAILURE() << "a truncated workbook was read";
    } catch (const WorkbookError& error) {
        EXPECT_EQ(error.number(), WorkbookError::kUnreadable);
    }
}

TEST_P(WorkbookTest, a_date_formatted_number_outside_the_calendar_reads_as_a_number) {
    // Found by fuzzing: the .xlsx model's own date conversion threw for such a year.
    SheetData sheet{u"S"_s,
                    {{Cell::ofText(u"d"_s)},
                     {Cell::ofNumber(1e7)},
                     {Cell::ofNumber(-3)},
                     {Cell::ofNumber(45322)}},
                    {u"dd/mm/yyyy"_s}};
    writeWorkbook(path(u"dates"_s), {sheet}, GetParam());
    RecordingSink sink;
    Workbook::open(path(u"dates"_s))->readSheet(u"S"_s, sink);
    ASSERT_EQ(sink.rows.size(), 3);
    EXPECT_EQ(sink.rows[2], u"D:31-01-2024"_s);
    if (GetParam() == WorkbookFormat::Xlsx) {
        EXPECT_EQ(sink.rows[0], u"N:10000000"_s);
        EXPECT_EQ(sink.rows[1], u"N:-3"_s);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, WorkbookTest,
                         ::testing::Values(WorkbookFormat::Xls, WorkbookFormat::Xlsx),
                         [](const auto& info) {
                             return std::string(info.param == WorkbookFormat::Xls ? "xls" : "xlsx");
                         });

TEST(WorkbookOpen, missing_files_and_other_files_are_told_apart) {
    test::TempFolder folder;
    try {
        Workbook::open(folder.file(u"nada.xlsx"_s));
        ADD_FAILURE();
    } catch (const WorkbookError& error) {
        EXPECT_EQ(error.number(), WorkbookError::kFileNotFound);
    }
    QFile text(folder.file(u"notas.xlsx"_s));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Moeda;Data;Cambio\nUSD;31-01-2024;1.1\n");
    text.close();
    try {
        Workbook::open(text.fileName());
        ADD_FAILURE();
    } catch (const WorkbookError& error) {
        EXPECT_TRUE(error.message().contains(u"não é um livro de Excel"_s));
    }
}

// A formula gives the result the file stores, even one that a calculation would not give: the
// spreadsheet shows the stored result until it recalculates. A blank row in the middle still
// reaches the sink.
TEST(WorkbookXlsx, formulas_give_their_stored_results_and_blank_rows_still_reach_the_sink) {
    test::TempFolder folder;
    const QByteArray file = folder.file(u"formulas.xlsx"_s).toUtf8();
    lxw_workbook* book = workbook_new(file.constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Folha1");
    worksheet_write_string(sheet, 0, 0, "A", nullptr);
    worksheet_write_string(sheet, 0, 1, "B", nullptr);
    worksheet_write_string(sheet, 0, 2, "C", nullptr);
    worksheet_write_number(sheet, 1, 0, 2, nullptr);
    worksheet_write_formula_num(sheet, 1, 1, "=A2*3", nullptr, 7);
    worksheet_write_formula_str(sheet, 1, 2, "=\"x\"&\"y\"", nullptr, "guardado");
    worksheet_write_string(sheet, 3, 2, "fim", nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

    RecordingSink sink;
    Workbook::open(QString::fromUtf8(file))->readSheet(u"Folha1"_s, sink);
    EXPECT_EQ(sink.rows, (QStringList{u"N:2|N:7|T:guardado"_s, u"-|-|-"_s, u"-|-|T:fim"_s}));
    EXPECT_EQ(sink.sheetRows, (std::vector<int>{2, 3, 4}));
}

// Some writers store a .xls sheet's cells column by column: the rows still arrive in order.
TEST(WorkbookXls, cells_stored_column_by_column_arrive_row_by_row) {
    std::vector<unsigned char> stream;
    const auto record = [&stream](unsigned type, std::vector<unsigned char> body) {
        for (const unsigned value : {type, static_cast<unsigned>(body.size())}) {
            stream.push_back(static_cast<unsigned char>(value & 0xFF));
            stream.push_back(static_cast<unsigned char>(value >> 8));
        }
        stream.insert(stream.end(), body.begin(), body.end());
    };
    const auto number = [&](unsigned char row, unsigned char column, unsigned char value) {
        // RK: an integer, shifted left twice with bit 1 set
        record(0x027E,
               {row, 0, column, 0, 0, 0, static_cast<unsigned char>(value << 2 | 2), 0, 0, 0});
    };
    record(0x0809, {0, 6, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // BOF, globals
    const std::size_t offsetAt = stream.size() + 4;
    record(0x0085, {0, 0, 0, 0, 0, 0, 1, 0, 'S'});  // BOUNDSHEET "S"
    record(0x000A, {});
    const auto sheet = static_cast<std::uint32_t>(stream.size());
    for (int i = 0; i < 4; ++i)
        stream[offsetAt + static_cast<std::size_t>(i)] =
            static_cast<unsigned char>(sheet >> (8 * i));
    record(0x0809, {0, 6, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // BOF, worksheet
    for (unsigned char column = 0; column < 2; ++column)
        for (unsigned char row = 0; row < 3; ++row)
            number(row, column, static_cast<unsigned char>(10 * row + column));
    record(0x000A, {});
    test::TempFolder folder;
    const QString path = folder.file(u"colunas.xls"_s);
    ASSERT_EQ(writeCompoundDocument(path.toStdString(), "Workbook", stream), "");

    RecordingSink sink;
    Workbook::open(path)->readSheet(u"S"_s, sink);
    EXPECT_EQ(sink.rows, (QStringList{u"N:10|N:11"_s, u"N:20|N:21"_s}));
    EXPECT_EQ(sink.sheetRows, (std::vector<int>{2, 3}));
}

// A value in the last column of every row stretches each row across the whole grid: past so
// many cells in all the sheet is refused, before the work grows out of bounds.
TEST(WorkbookXlsx, rows_stretched_across_the_grid_are_refused) {
    test::TempFolder folder;
    const QByteArray file = folder.file(u"larga.xlsx"_s).toUtf8();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(file.constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "S");
    const int rows = static_cast<int>(kMaxSheetCells / kMaxSheetColumns) + 1;
    for (int r = 0; r < rows; ++r)
        worksheet_write_number(sheet, static_cast<lxw_row_t>(r), kMaxSheetColumns - 1, r, nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

    class Counting : public CellRowSink {
    public:
        void statedRange(std::optional<CellRange>) override {}
        void row(int, std::span<const Cell>) override { ++rows; }
        int rows = 0;
    } sink;
    try {
        Workbook::open(QString::fromUtf8(file))->readCells(0, sink);
        ADD_FAILURE();
    } catch (const WorkbookError& error) {
        EXPECT_TRUE(error.message().contains(u"células"_s)) << error.what();
    }
    EXPECT_EQ(sink.rows, rows - 1);
}

TEST(WorkbookWriter, a_sheet_too_long_for_xls_is_refused_and_leaves_no_file) {
    test::TempFolder folder;
    SheetData sheet{
        u"S"_s, std::vector<std::vector<Cell>>(kMaxXlsRows + 1, {Cell::ofNumber(1)}), {}};
    EXPECT_THROW(writeWorkbook(folder.file(u"big.xls"_s), {sheet}, WorkbookFormat::Xls),
                 WorkbookError);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(WorkbookWriter, a_last_step_that_fails_keeps_the_previous_file) {
    test::TempFolder folder;
    const QString target = folder.file(u"export.xls"_s);
    const QString written = folder.file(u".export.xls.part"_s);
    const auto put = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const auto bytesOf = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    };
    put(target, "previous");
    // The finished file is gone before it can be moved in.
    EXPECT_FALSE(replaceFile(written, target).isEmpty());
    EXPECT_EQ(bytesOf(target), QByteArray("previous"));

    put(written, "new");
    EXPECT_EQ(replaceFile(written, target), QString());
    EXPECT_EQ(bytesOf(target), QByteArray("new"));
    EXPECT_FALSE(QFile::exists(written));
}

TEST(WorkbookCell, numbers_read_as_text_as_a_sheet_shows_them) {
    EXPECT_EQ(Cell::ofNumber(211).toText(), u"211"_s);
    EXPECT_EQ(Cell::ofNumber(1.5).toText(), u"1.5"_s);
    EXPECT_EQ(Cell::ofNumber(123456789012.0).toText(), u"123456789012"_s);
    EXPECT_EQ(parseDayMonthYear(u"31-02-2024"_s), QDate());
    // Day-month-year text is written by hand for speed: as Qt's formatter writes it.
    for (QDate day(1, 1, 1); day.year() < 10000;
         day = day.addDays(day.year() >= 1990 && day.year() <= 2100 ? 1 : 997))
        ASSERT_EQ(dayMonthYear(day), day.toString(u"dd-MM-yyyy"_s));
    EXPECT_EQ(Cell::ofDate(QDate(2024, 1, 5), QTime(23, 59)).toText(), u"05-01-2024"_s);
    EXPECT_EQ(dateFromSerial(serialFromDate(QDate(2024, 2, 29))), QDate(2024, 2, 29));
}

// A time-formatted number reads as a clock to the nearest second; from a whole day up its hours
// count on; a negative one or one past the calendar shows no time and reads as its number.
TEST(WorkbookCell, time_formatted_numbers_read_as_a_clock) {
    const auto shown = [](double days) { return Cell::ofTimeSerial(days).toText(); };
    EXPECT_EQ(shown(0), u"00:00:00"_s);
    EXPECT_EQ(shown(0.3368402777777778), u"08:05:03"_s);
    EXPECT_EQ(shown(0.5 + 0.5 / 86400), u"12:00:01"_s);  // half a second rounds up
    EXPECT_EQ(shown(0.5 + 0.49 / 86400), u"12:00:00"_s);
    EXPECT_EQ(shown(0.99999999), u"24:00:00"_s);
    EXPECT_EQ(shown(1.25), u"30:00:00"_s);
    EXPECT_EQ(shown(2958465.5), u"71003172:00:00"_s);  // 31-12-9999 12:00
    EXPECT_EQ(shown(2958466), u"2958466"_s);
    EXPECT_EQ(shown(-0.25), u"-0.25"_s);
    EXPECT_EQ(Cell::ofTimeSerial(0.5).numberText(), u"0.5"_s);
}

}  // namespace
}  // namespace agrimor
