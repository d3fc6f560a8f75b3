#include "tools/sheet/sheet_command.h"

#include <gtest/gtest.h>

#include "tests/support/test_databases.h"
#include "tools/seeder/sample_workbooks.h"
#include "workbook/workbook_writer.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

struct Outcome {
    int code = -1;
    QStringList lines;
    QString err;
};

Outcome run(const QStringList& arguments) {
    QString out;
    Outcome result;
    QTextStream outStream(&out);
    QTextStream errStream(&result.err);
    result.code = runSheetCommand(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    result.lines = out.split(QLatin1Char('\n'));
    if (result.lines.last().isEmpty())
        result.lines.removeLast();
    return result;
}

class SheetCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new test::TempFolder;
        demo::writeSampleWorkbooks(folder_->path());
    }
    static void TearDownTestSuite() { delete folder_; }
    static QString sample(const QString& base, WorkbookFormat format = WorkbookFormat::Xls) {
        return folder_->file(demo::sampleFileName(base, format));
    }
    static test::TempFolder* folder_;
};

test::TempFolder* SheetCommand::folder_ = nullptr;

TEST_F(SheetCommand, lists_the_sheets_and_prints_the_import_lines_of_one) {
    const Outcome sheets = run({sample(demo::kMovementSample)});
    EXPECT_EQ(sheets.code, 0);
    EXPECT_EQ(sheets.lines, QStringList{demo::kMovementSample});

    const Outcome rows =
        run({sample(demo::kAnomalySample, WorkbookFormat::Xlsx), demo::kMovementSample});
    ASSERT_EQ(rows.code, 0) << rows.err.toStdString();
    ASSERT_GT(rows.lines.size(), 2);
    EXPECT_TRUE(rows.lines[0].startsWith(u"TpTerc\tConta\tTerc\tTpDoc\tDataDoc"_s));
    for (const QString& line : rows.lines)
        EXPECT_EQ(line.count(QLatin1Char('\t')), 22) << line.toStdString();
    // The first document's expense line: no third party, an account typed as a number, the
    // amount with four decimals, no LinCC nor taxable base.
    EXPECT_EQ(rows.lines[1],
              u"\\N\t6221\t\\N\tFC\t10-12-2026\t123.0000\t1\t"_s +
                  u"Série diferente na 2.ª linha"_s +
                  QStringLiteral("\t01\t01\tR02\tCC100\t1\t\\N\tISE\t\\N\tP00100\tFT 1/AN01\t"
                                 "ANA.SILVA\t10-12-2026\t\\N\t\\N\tAN01"));
}

TEST_F(SheetCommand, empty_text_null_and_control_characters_are_told_apart) {
    std::vector<Cell> header = demo::movementHeader();
    std::vector<Cell> row(header.size());
    row[2] = Cell::ofText(u"   "_s);         // trims to an empty text
    row[7] = Cell::ofText(u"a\tb\\c\nd"_s);  // Descr
    row[22] = Cell::ofText(u"K1"_s);
    const QString path = folder_->file(u"texto.xlsx"_s);
    writeWorkbook(path, {SheetData{u"S"_s, {header, row}, {}}}, WorkbookFormat::Xlsx);
    const Outcome result = run({path, u"S"_s});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    ASSERT_EQ(result.lines.size(), 2);
    const QStringList fields = result.lines[1].split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 23);
    EXPECT_EQ(fields[1], u"\\N"_s);
    EXPECT_EQ(fields[2], QString());
    EXPECT_EQ(fields[7], u"a\\tb\\\\c\\nd"_s);
}

TEST_F(SheetCommand, rates_print_as_the_rate_import_reads_them) {
    const Outcome result = run({sample(demo::kRateSample), u"--rates"_s});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    const auto rates = demo::demoRates(u"USD"_s, {});
    ASSERT_EQ(result.lines.size(), static_cast<qsizetype>(rates.size()) + 1);
    EXPECT_EQ(result.lines[0], u"Moeda\tData\tCambio"_s);
    EXPECT_EQ(result.lines[1],
              u"USD\t%1\t%2"_s.arg(dayMonthYear(rates[0].date), rates[0].rate.toString(4)));
}

TEST_F(SheetCommand, a_read_that_stops_prints_what_was_stored_and_says_why) {
    std::vector<Cell> header = demo::movementHeader();
    std::vector<Cell> good(header.size());
    good[22] = Cell::ofText(u"K1"_s);
    std::vector<Cell> bad = good;
    bad[5] = Cell::ofText(u"muito"_s);  // Valor
    const QString path = folder_->file(u"mau.xls"_s);
    writeWorkbook(path, {SheetData{u"S"_s, {header, good, bad}, {}}}, WorkbookFormat::Xls);
    const Outcome result = run({path, u"S"_s});
    EXPECT_EQ(result.code, 1);
    // The header, the good row and the failing row as far as the reader stored it.
    ASSERT_EQ(result.lines.size(), 3);
    EXPECT_TRUE(result.lines[2].endsWith(u"\\N\t\\N"_s));
    EXPECT_TRUE(result.err.contains(u"Linha 3"_s)) << result.err.toStdString();

    EXPECT_EQ(run({path, u"Nada"_s}).code, 1);
    EXPECT_EQ(run({folder_->file(u"falta.xls"_s)}).code, 1);
    EXPECT_EQ(run({}).code, 1);
    EXPECT_EQ(run({path, u"S"_s, u"--rates"_s}).code, 1);
}

}  // namespace
}  // namespace agrimor
