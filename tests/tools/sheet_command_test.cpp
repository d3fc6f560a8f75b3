#include "tools/sheet/sheet_command.h"

#include <gtest/gtest.h>

#include "tests/support/test_databases.h"
#include "tools/seeder/sample_workbooks.h"
#include "workbook/workbook_writer.h"

namespace agrimor {
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
    EXPECT_TRUE(rows.lines[0].startsWith(QStringLiteral("TpTerc\tConta\tTerc\tTpDoc\tDataDoc")));
    for (const QString& line : rows.lines)
        EXPECT_EQ(line.count(QLatin1Char('\t')), 22) << line.toStdString();
    // The first document's expense line: no third party, an account typed as a number, the
    // amount with four decimals, no LinCC nor taxable base.
    EXPECT_EQ(rows.lines[1],
              QStringLiteral("\\N\t6221\t\\N\tFC\t10-12-2026\t123.0000\t1\t") +
                  QString::fromUtf8("Série diferente na 2.ª linha") +
                  QStringLiteral("\t01\t01\tR02\tCC100\t1\t\\N\tISE\t\\N\tP00100\tFT 1/AN01\t"
                                 "ANA.SILVA\t10-12-2026\t\\N\t\\N\tAN01"));
}

TEST_F(SheetCommand, empty_text_null_and_control_characters_are_told_apart) {
    std::vector<Cell> header = demo::movementHeader();
    std::vector<Cell> row(header.size());
    row[2] = Cell::ofText(QStringLiteral("   "));         // trims to an empty text
    row[7] = Cell::ofText(QStringLiteral("a\tb\\c\nd"));  // Descr
    row[22] = Cell::ofText(QStringLiteral("K1"));
    const QString path = folder_->file(QStringLiteral("texto.xlsx"));
    writeWorkbook(path, {SheetData{QStringLiteral("S"), {header, row}, {}}}, WorkbookFormat::Xlsx);
    const Outcome result = run({path, QStringLiteral("S")});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    ASSERT_EQ(result.lines.size(), 2);
    const QStringList fields = result.lines[1].split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 23);
    EXPECT_EQ(fields[1], QStringLiteral("\\N"));
    EXPECT_EQ(fields[2], QString());
    EXPECT_EQ(fields[7], QStringLiteral("a\\tb\\\\c\\nd"));
}

TEST_F(SheetCommand, rates_print_as_the_rate_import_reads_them) {
    const Outcome result = run({sample(demo::kRateSample), QStringLiteral("--rates")});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    const auto rates = demo::demoRates(QStringLiteral("USD"), {});
    ASSERT_EQ(result.lines.size(), static_cast<qsizetype>(rates.size()) + 1);
    EXPECT_EQ(result.lines[0], QStringLiteral("Moeda\tData\tCambio"));
    EXPECT_EQ(
        result.lines[1],
        QStringLiteral("USD\t%1\t%2").arg(dayMonthYear(rates[0].date), rates[0].rate.toString(4)));
}

TEST_F(SheetCommand, a_read_that_stops_prints_what_was_stored_and_says_why) {
    std::vector<Cell> header = demo::movementHeader();
    std::vector<Cell> good(header.size());
    good[22] = Cell::ofText(QStringLiteral("K1"));
    std::vector<Cell> bad = good;
    bad[5] = Cell::ofText(QStringLiteral("muito"));  // Valor
    const QString path = folder_->file(QStringLiteral("mau.xls"));
    writeWorkbook(path, {SheetData{QStringLiteral("S"), {header, good, bad}, {}}},
                  WorkbookFormat::Xls);
    const Outcome result = run({path, QStringLiteral("S")});
    EXPECT_EQ(result.code, 1);
    // The header, the good row and the failing row as far as the reader stored it.
    ASSERT_EQ(result.lines.size(), 3);
    EXPECT_TRUE(result.lines[2].endsWith(QStringLiteral("\\N\t\\N")));
    EXPECT_TRUE(result.err.contains(QStringLiteral("Linha 3"))) << result.err.toStdString();

    EXPECT_EQ(run({path, QStringLiteral("Nada")}).code, 1);
    EXPECT_EQ(run({folder_->file(QStringLiteral("falta.xls"))}).code, 1);
    EXPECT_EQ(run({}).code, 1);
    EXPECT_EQ(run({path, QStringLiteral("S"), QStringLiteral("--rates")}).code, 1);
}

}  // namespace
}  // namespace agrimor
