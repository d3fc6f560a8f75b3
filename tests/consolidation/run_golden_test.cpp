// The consolidation of one company, case by case: source lines in, consolidated rows out,
// compared column by column. Every copied column of a written row must equal the source line it
// was built from (found by its Ref); the columns the consolidation decides are listed per case.

#include <gtest/gtest.h>

#include <QSet>
#include <tuple>

#include "consolidation/consolidation_commands.h"
#include "core/prompter.h"
#include "tests/consolidation/consolidation_setup.h"
#include "tests/support/scripted_prompter.h"

namespace agrimor {
namespace {

using demo::Movement;
using test::EngineKind;
using test::line;

struct Expected {
    int numDoc;
    int numLinha;
    const char* conta;
    int dbCr;
    const char* valor;
    const char* from;  // Ref of the source line the other columns are copied from
};

struct GoldenCase {
    const char* name = "";
    QString currency = QStringLiteral("EUR");
    std::vector<std::pair<QDate, QString>> rates;
    int ateMes = 0;
    int month = 3;
    std::vector<Movement> existing;  // already in the consolidated database
    std::vector<Movement> source;
    std::vector<Expected> expected;
    QString ultimoMes = QStringLiteral("03/2024");
};

Movement existingLine(int numDoc, int month) {
    Movement m = line(QStringLiteral("old"), QStringLiteral("CNS"), numDoc, 1,
                      QStringLiteral("9111"), 1, QStringLiteral("1"), month);
    return m;
}

std::vector<GoldenCase> cases() {
    const auto L = [](const char* ref, const char* tpDoc, int numDoc, int numLinha,
                      const char* conta, int dbCr, const char* valor, int month = 3,
                      int year = 2024, const char* serie = "1") {
        return line(QString::fromLatin1(ref), QString::fromLatin1(tpDoc), numDoc, numLinha,
                    QString::fromLatin1(conta), dbCr, QString::fromLatin1(valor), month, year,
                    QString::fromLatin1(serie));
    };
    std::vector<GoldenCase> all;
    {
        GoldenCase c;
        c.name = "balanced_document_is_copied_and_numbered_from_one";
        c.source = {L("a1", "FT", 1, 1, "9111", 1, "100"), L("a2", "FT", 1, 2, "9112", 2, "60"),
                    L("a3", "FT", 1, 3, "9113", 2, "40")};
        c.expected = {{1, 1, "9111", 1, "100", "a1"},
                      {1, 2, "9112", 2, "60", "a2"},
                      {1, 3, "9113", 2, "40", "a3"}};
        all.push_back(c);
    }
    {
        GoldenCase c;
        c.name = "converted_documents_that_no_longer_balance_get_a_rounding_line_after_their_last";
        c.currency = QStringLiteral("USD");
        c.rates = {{QDate(2024, 3, 1), QStringLiteral("1.4")},
                   {QDate(2024, 3, 20), QStringLiteral("1.6")},
                   {QDate(2024, 4, 1), QStringLiteral("2")}};
        c.source = {L("b1", "FT", 7, 1, "9111", 1, "10"), L("b2", "FT", 7, 2, "9112", 2, "5"),
                    L("b3", "FT", 7, 3, "9113", 2, "5"),  L("b4", "FT", 8, 1, "9111", 1, "1"),
                    L("b5", "FT", 8, 2, "9112", 2, "1"),  L("b6", "FT", 9, 1, "9111", 1, "2"),
                    L("b7", "FT", 9, 2, "9112", 2, "1"),  L("b8", "FT", 9, 3, "9113", 2, "1")};
        c.expected = {{1, 1, "9111", 1, "6.67", "b1"}, {1, 2, "9112", 2, "3.33", "b2"},
                      {1, 3, "9113", 2, "3.33", "b3"}, {1, 4, "9999", 2, "0.01", "b3"},
                      {2, 1, "9111", 1, "0.67", "b4"}, {2, 2, "9112", 2, "0.67", "b5"},
                      {3, 1, "9111", 1, "1.33", "b6"}, {3, 2, "9112", 2, "0.67", "b7"},
                      {3, 3, "9113", 2, "0.67", "b8"}, {3, 4, "9999", 1, "0.01", "b8"}};
        all.push_back(c);
    }
    {
        GoldenCase c;
        c.name = "zero_amounts_leave_gaps_empty_documents_use_numbers_numbering_follows_57";
        c.existing = {existingLine(57, 1), existingLine(12, 2)};
        c.source = {
            L("c1", "FT", 1, 1, "9111", 1, "0.004"), L("c2", "FT", 1, 2, "9111", 1, "10"),
            L("c3", "FT", 1, 3, "9112", 2, "10"),    L("c4", "FT", 2, 1, "9111", 1, "0.004"),
            L("c5", "FT", 2, 2, "9112", 2, "0.004"), L("c6", "FT", 3, 1, "9111", 1, "5"),
            L("c7", "FT", 3, 2, "9112", 2, "5"),     L("c8", "FT", 4, 1, "9111", 1, "0.125"),
            L("c9", "FT", 4, 2, "9112", 2, "0.135")};
        c.expected = {{58, 2, "9111", 1, "10", "c2"},   {58, 3, "9112", 2, "10", "c3"},
                      {60, 1, "9111", 1, "5", "c6"},    {60, 2, "9112", 2, "5", "c7"},
                      {61, 1, "9111", 1, "0.12", "c8"}, {61, 2, "9112", 2, "0.14", "c9"},
                      {61, 3, "9999", 1, "0.02", "c9"}};
        all.push_back(c);
    }
    {
        GoldenCase c;
        c.name = "a_negative_value_is_written_on_the_opposite_side";
        c.source = {L("d1", "FT", 1, 1, "9111", 1, "-10"), L("d2", "FT", 1, 2, "9112", 2, "-10"),
                    L("d3", "FT", 2, 1, "9111", 1, "10"), L("d4", "FT", 2, 2, "9112", 1, "-4"),
                    L("d5", "FT", 2, 3, "9113", 2, "6")};
        c.expected = {{1, 1, "9111", 2, "10", "d1"},
                      {1, 2, "9112", 1, "10", "d2"},
                      {2, 1, "9111", 1, "10", "d3"},
                      {2, 2, "9112", 2, "4", "d4"},
                      {2, 3, "9113", 2, "6", "d5"}};
        all.push_back(c);
    }
    {
        GoldenCase c;
        c.name = "documents_join_across_series_and_after_number_zero";
        c.source = {L("e1", "FT", 0, 1, "9111", 1, "3"),
                    L("e2", "FT", 0, 2, "9112", 2, "3"),
                    L("e3", "FT", 1, 1, "9111", 1, "4", 3, 2024, "1"),
                    L("e4", "FT", 1, 1, "9112", 2, "4", 3, 2024, "2"),
                    L("e5", "FT", 2, 1, "9111", 1, "1"),
                    L("e6", "FT", 2, 2, "9112", 2, "1")};
        c.expected = {{1, 1, "9111", 1, "3", "e1"}, {1, 2, "9112", 2, "3", "e2"},
                      {1, 3, "9111", 1, "4", "e3"}, {1, 4, "9112", 2, "4", "e4"},
                      {2, 1, "9111", 1, "1", "e5"}, {2, 2, "9112", 2, "1", "e6"}};
        all.push_back(c);
    }
    {
        GoldenCase c;
        c.name = "cumulative_mode_takes_months_one_to_december_of_the_year_class_9_only";
        c.ateMes = 1;
        c.month = 12;
        c.ultimoMes = QStringLiteral("12/2024");
        c.source = {
            L("f1", "FT", 1, 1, "9111", 1, "1", 1),  L("f2", "FT", 1, 2, "9112", 2, "1", 1),
            L("f3", "FT", 2, 1, "9111", 1, "2", 6),  L("f4", "FT", 2, 2, "9112", 2, "2", 6),
            L("f5", "FT", 3, 1, "9111", 1, "3", 12), L("f6", "FT", 3, 2, "9112", 2, "3", 12),
            L("f7", "FT", 3, 3, "6111", 1, "9", 12), L("f8", "FT", 5, 1, "9111", 1, "8", 1, 2025)};
        c.expected = {{1, 1, "9111", 1, "1", "f1"}, {1, 2, "9112", 2, "1", "f2"},
                      {2, 1, "9111", 1, "2", "f3"}, {2, 2, "9112", 2, "2", "f4"},
                      {3, 1, "9111", 1, "3", "f5"}, {3, 2, "9112", 2, "3", "f6"}};
        all.push_back(c);
    }
    {
        GoldenCase c;
        c.name = "single_month_january_takes_that_month_only";
        c.month = 1;
        c.ultimoMes = QStringLiteral("01/2024");
        c.source = {L("g1", "FT", 1, 1, "9111", 1, "1", 1), L("g2", "FT", 1, 2, "9112", 2, "1", 1),
                    L("g3", "FT", 2, 1, "9111", 1, "2", 2), L("g4", "FT", 2, 2, "9112", 2, "2", 2)};
        c.expected = {{1, 1, "9111", 1, "1", "g1"}, {1, 2, "9112", 2, "1", "g2"}};
        all.push_back(c);
    }
    {
        GoldenCase c;
        c.name = "a_period_without_movements_writes_nothing_but_records_the_month";
        c.source = {L("h1", "FT", 1, 1, "9111", 1, "1", 2), L("h2", "FT", 1, 2, "9112", 2, "1", 2)};
        all.push_back(c);
    }
    return all;
}

const QSet<QString> kDecidedColumns{
    QStringLiteral("CONTA"),    QStringLiteral("TPDOC"), QStringLiteral("NUMDOC"),
    QStringLiteral("VALOR"),    QStringLiteral("DBCR"),  QStringLiteral("SERIE"),
    QStringLiteral("NUMLINHA"), QStringLiteral("MVDES"), QStringLiteral("DBTS")};

class RunGolden : public ::testing::TestWithParam<std::tuple<EngineKind, int>> {};

TEST_P(RunGolden, writes_the_expected_rows) {
    const auto [kind, index] = GetParam();
    const GoldenCase c = cases().at(static_cast<std::size_t>(index));
    SCOPED_TRACE(c.name);
    test::ConsolidationSetup setup(kind);
    setup.addAccounts({QStringLiteral("9111"), QStringLiteral("9112"), QStringLiteral("9113")},
                      2024);
    for (const auto& [date, rate] : c.rates)
        setup.addRate(c.currency, date, rate);
    test::CompanyConfig config;
    config.currency = c.currency;
    config.ateMes = c.ateMes;
    config.serie = QStringLiteral("1");
    setup.addCompany(1, config);
    setup.addMovements(1, c.source);
    if (!c.existing.empty())
        setup.addConsolidatedMovements(c.existing);
    const int before = setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1"));

    test::ScriptedPrompter prompter;
    prompter.answer(Answer::Ok);
    prompter.answer(Answer::Ok);
    ConsolidationEnvironment environment{setup.consolidated(), prompter, setup.folder()};
    const CommandResult result = runConsolidation(
        environment, {QStringLiteral("2024"), c.month, {{1, QStringLiteral(" Velmor ")}}});
    ASSERT_EQ(result.outcome, CommandOutcome::Done) << prompter.texts().join(u'|').toStdString();
    EXPECT_EQ(prompter.texts(),
              (QStringList{
                  QStringLiteral("Vai proceder à integração de movimentos!\r\nPretende continuar?"),
                  QStringLiteral("Vai proceder à integração dos movimentos na Empresa Velmor\r\n"
                                 "Pretende continuar?"),
                  QStringLiteral("Empresa:  Velmor\r\nIntegração efetuada com sucesso!")}));

    // The summary reports the rounding lines it wrote.
    ASSERT_EQ(result.written.size(), 1u);
    const WriteSummary& summary = result.written.front().second;
    std::vector<RoundingLine> rounding;
    for (const Expected& e : c.expected)
        if (QLatin1String(e.conta) == QLatin1String("9999"))
            rounding.push_back({e.numDoc, e.numLinha, QStringLiteral("9999"), e.dbCr,
                                *Money::parse(QString::fromLatin1(e.valor))});
    EXPECT_EQ(summary.roundingLines, static_cast<int>(rounding.size()));
    ASSERT_EQ(summary.firstRoundingLines.size(), rounding.size());
    for (std::size_t r = 0; r < rounding.size(); ++r) {
        const RoundingLine& got = summary.firstRoundingLines.at(r);
        EXPECT_EQ(std::tie(got.document, got.line, got.account, got.side, got.amount),
                  std::tie(rounding[r].document, rounding[r].line, rounding[r].account,
                           rounding[r].side, rounding[r].amount));
    }

    QHash<QString, Movement> sources;
    for (const Movement& m : c.source)
        sources.insert(m.ref, m);
    // The source rows as the company database holds them, by Ref.
    Recordset sourceRows = setup.company(1).openReadOnly(QStringLiteral("SELECT * FROM MovCTB"));
    QHash<QString, int> sourcePosition;
    for (sourceRows.moveFirst(); !sourceRows.eof(); sourceRows.moveNext())
        sourcePosition.insert(sourceRows.field(QStringLiteral("Ref")).toText(),
                              sourceRows.position());

    Recordset rows = setup.consolidated().openReadOnly(
        QStringLiteral("SELECT * FROM MovCTB WHERE TpDoc = 'CNS' AND Serie = '1' AND Ref <> 'old' "
                       "ORDER BY NumDoc, NumLinha"));
    ASSERT_EQ(rows.rowCount(), static_cast<int>(c.expected.size()));
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")),
              before + static_cast<int>(c.expected.size()));
    int i = 0;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext(), ++i) {
        const Expected& e = c.expected.at(static_cast<std::size_t>(i));
        SCOPED_TRACE(
            QStringLiteral("row %1 (from %2)").arg(i).arg(QLatin1String(e.from)).toStdString());
        EXPECT_EQ(rows.field(QStringLiteral("NumDoc")).toInt(), e.numDoc);
        EXPECT_EQ(rows.field(QStringLiteral("NumLinha")).toInt(), e.numLinha);
        EXPECT_EQ(rows.field(QStringLiteral("Conta")).toText(), QLatin1String(e.conta));
        EXPECT_EQ(rows.field(QStringLiteral("DbCr")).toInt(), e.dbCr);
        EXPECT_EQ(rows.field(QStringLiteral("Valor")).toMoney(),
                  *Money::parse(QString::fromLatin1(e.valor)));
        EXPECT_EQ(rows.field(QStringLiteral("TpDoc")).toText(), QStringLiteral("CNS"));
        EXPECT_EQ(rows.field(QStringLiteral("Serie")).toText(), QStringLiteral("1"));
        EXPECT_EQ(rows.field(QStringLiteral("MvDes")).toInt(), 0);
        EXPECT_TRUE(rows.isNull(QStringLiteral("DBTS")));
        ASSERT_TRUE(sourcePosition.contains(QLatin1String(e.from)));
        sourceRows.moveTo(sourcePosition.value(QLatin1String(e.from)));
        for (int col = 0; col < rows.columnCount(); ++col) {
            const QString name = rows.columnName(col);
            if (kDecidedColumns.contains(name.toUpper()))
                continue;
            EXPECT_EQ(rows.field(col), sourceRows.field(name)) << name.toStdString();
        }
    }
    EXPECT_EQ(setup.ultimoMes(1), c.ultimoMes);
}

// The demo's month shows the rounding lines to whoever tries it: the company that keeps its books
// in dollars has documents a cent off once converted.
TEST(DemoMonth, the_foreign_currency_company_gets_rounding_lines_of_a_cent) {
    test::TempFolder folder;
    demo::seedDemo(folder.path());
    auto consolidated = demo::openDatabase(folder.file(demo::consolidatedFileName()));
    const demo::Company& dollars = demo::companies().last();
    ASSERT_NE(dollars.currency, QStringLiteral("EUR"));
    test::ScriptedPrompter prompter;
    prompter.answer(Answer::Ok);
    prompter.answer(Answer::Ok);
    ConsolidationEnvironment environment{*consolidated, prompter, folder.path()};
    const CommandResult result = runConsolidation(
        environment, {QString::number(demo::kDemoYear), 10, {{dollars.bd, dollars.name}}});
    ASSERT_EQ(result.outcome, CommandOutcome::Done) << prompter.lastText().toStdString();
    const WriteSummary& summary = result.written.front().second;
    EXPECT_GE(summary.roundingLines, 3);
    for (const RoundingLine& rounding : summary.firstRoundingLines)
        EXPECT_EQ(rounding.amount, *Money::parse(u"0.01"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunGolden,
    ::testing::Combine(::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                       ::testing::Range(0, static_cast<int>(cases().size()))),
    [](const auto& info) {
        std::ostringstream name;
        name << std::get<0>(info.param) << "_"
             << cases().at(static_cast<std::size_t>(std::get<1>(info.param))).name;
        return name.str();
    });

}  // namespace
}  // namespace agrimor
