// The month rate, the conversion and the checks a company passes before it is written.

#include "consolidation/checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "consolidation/company_settings.h"
#include "consolidation/consolidation_error.h"
#include "consolidation/month_rate.h"
#include "consolidation/movement_query.h"
#include "core/anomaly_list.h"
#include "tests/consolidation/consolidation_setup.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;
using test::line;

Money money(const char* text) {
    return *Money::parse(QString::fromLatin1(text));
}

TEST(MonthRate, mean_is_exact_and_rounds_half_to_even) {
    EXPECT_EQ(meanRate({money("1.0812"), money("1.0907"), money("1.0855")}), money("1.0858"));
    EXPECT_EQ(meanRate({money("1.00005"), money("1")}), money("1"));           // 1.000025 -> 1.0000
    EXPECT_EQ(meanRate({money("1.0001"), money("1.0002")}), money("1.0002"));  // .00015 -> even
}

TEST(MonthRate, conversion_rounds_cents_half_to_even_without_floating_point_drift) {
    const Money one = Money::fromWhole(1);
    EXPECT_EQ(convertToEuros(money("1.015"), one), money("1.02"));  // 1.015 as a double is below
    EXPECT_EQ(convertToEuros(money("1.025"), one), money("1.02"));
    EXPECT_EQ(convertToEuros(money("0.004"), one), Money());
    EXPECT_EQ(convertToEuros(money("0.005"), one), Money());
    EXPECT_EQ(convertToEuros(money("10"), money("1.5")), money("6.67"));
    EXPECT_EQ(convertToEuros(money("0.75"), money("1.5")), money("0.5"));
    EXPECT_THROW(convertToEuros(money("1"), Money()), std::exception);

    // The largest amount is 922,337,203,685,477.5807: a quotient beyond it is refused.
    const Money large = Money::fromWhole(900'000'000'000'000);
    EXPECT_EQ(convertToEuros(large, one), large);
    EXPECT_THROW(convertToEuros(large, money("0.9")), ConsolidationError);
    EXPECT_THROW(convertToEuros(money("900000000000"), money("0.0001")), ConsolidationError);
}

class Checks : public ::testing::TestWithParam<EngineKind> {
protected:
    test::ConsolidationSetup setup{GetParam()};
    AnomalyList anomalies;
};

TEST_P(Checks, month_rate_of_a_foreign_currency_is_the_mean_of_that_month_only) {
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"1.0812"_s);
    setup.addRate(u"USD"_s, QDate(2024, 3, 15), u"1.0907"_s);
    setup.addRate(u"USD"_s, QDate(2024, 3, 29), u"1.0855"_s);
    setup.addRate(u"USD"_s, QDate(2024, 4, 1), u"2"_s);
    setup.addRate(u"GBP"_s, QDate(2024, 3, 1), u"0.8"_s);
    EXPECT_EQ(monthRate(setup.consolidated(), u"USD"_s, 3, 2024, anomalies), money("1.0858"));
    EXPECT_TRUE(anomalies.isEmpty());

    EXPECT_EQ(monthRate(setup.consolidated(), u"USD"_s, 2, 2024, anomalies), money("1"));
    EXPECT_EQ(anomalies.items(), QStringList{kNoRateForMonth});
}

TEST_P(Checks, a_null_zero_or_negative_rate_of_the_month_is_an_anomaly_never_a_rate) {
    setup.addRate(u"USD"_s, QDate(2026, 10, 1), u"1.0813"_s);
    setup.addRate(u"USD"_s, QDate(2026, 10, 8), u"1.0921"_s);
    setup.addRate(u"USD"_s, QDate(2026, 10, 22), u"1.0777"_s);
    // Written by another tool: the column takes nulls.
    setup.consolidated().execute(
        u"INSERT INTO zeb_CNS_Cambios (Moeda, Data, Cambio) VALUES (?, ?, NULL)"_s,
        {u"USD"_s, QDate(2026, 10, 15)});
    EXPECT_EQ(monthRate(setup.consolidated(), u"USD"_s, 10, 2026, anomalies), money("1"));
    EXPECT_EQ(anomalies.items(),
              QStringList{u"Câmbio nulo ou zero para a moeda USD em 15-10-2026"_s});

    anomalies.clear();
    setup.addRate(u"USD"_s, QDate(2026, 11, 2), u"0"_s);
    setup.addRate(u"USD"_s, QDate(2026, 11, 9), u"-1.08"_s);
    setup.addRate(u"USD"_s, QDate(2026, 11, 16), u"1.08"_s);
    monthRate(setup.consolidated(), u"USD"_s, 11, 2026, anomalies);
    EXPECT_EQ(anomalies.items(),
              (QStringList{u"Câmbio negativo para a moeda USD em 09-11-2026"_s,
                           u"Câmbio nulo ou zero para a moeda USD em 02-11-2026"_s}));

    // Without the bad row the same month gives the mean of the three.
    anomalies.clear();
    setup.consolidated().execute(u"DELETE FROM zeb_CNS_Cambios WHERE Cambio IS NULL"_s);
    EXPECT_EQ(monthRate(setup.consolidated(), u"USD"_s, 10, 2026, anomalies), money("1.0837"));
    EXPECT_TRUE(anomalies.isEmpty());
}

// Two rates of one day stored by another program in other text forms: the later one is listed
// first, as with any two days, although " 13" sorts before "T08" as text.
TEST_P(Checks, rates_of_one_day_in_other_text_forms_are_taken_newest_first) {
    const auto insert = [&](const char* date, const char* rate) {
        setup.consolidated().execute(
            u"INSERT INTO zeb_CNS_Cambios (Moeda, Data, Cambio) VALUES (?, ?, ?)"_s,
            {u"USD"_s, QString::fromLatin1(date), QString::fromLatin1(rate)});
    };
    insert("2026-11-09T08:00:00", "0");
    insert("2026-11-09 13:00:00.000", "-1.08");
    insert("2026-11-02", "1.08");
    monthRate(setup.consolidated(), u"USD"_s, 11, 2026, anomalies);
    EXPECT_EQ(anomalies.items(),
              (QStringList{u"Câmbio negativo para a moeda USD em 09-11-2026"_s,
                           u"Câmbio nulo ou zero para a moeda USD em 09-11-2026"_s}));
}

TEST_P(Checks, settings_check_reports_empty_and_unknown_type_and_rounding_account) {
    CompanySettings settings;
    settings.contaArred = u"9999"_s;
    checkSettings(setup.consolidated(), settings, 2024, anomalies);
    EXPECT_EQ(anomalies.items(), QStringList{kDocumentTypeEmpty});

    anomalies.clear();
    settings.tpDoc = u"X'Y"_s;  // a quote is data
    settings.contaArred = u"9999"_s;
    checkSettings(setup.consolidated(), settings, 2025, anomalies);  // 9999 exists for 2024 only
    EXPECT_EQ(anomalies.items(), (QStringList{u"X'Y Tipo Doc não existente"_s,
                                              u"9999 Conta de Arredondamento não existente"_s}));

    anomalies.clear();
    settings.tpDoc = u"cns"_s;  // compared as the database's collation does
    settings.contaArred.clear();
    checkSettings(setup.consolidated(), settings, 2024, anomalies);
    EXPECT_EQ(anomalies.items(), QStringList{kRoundingAccountEmpty});
}

TEST_P(Checks, a_period_with_any_line_of_the_type_and_series_counts_as_integrated) {
    demo::Movement other = line(u"x"_s, u"CNS"_s, 1, 1, u"9111"_s, 1, u"1"_s, 2);
    other.serie = u"1"_s;
    setup.addConsolidatedMovements({other});
    CompanySettings settings;
    settings.tpDoc = u"CNS"_s;
    settings.serie = u"1"_s;
    checkPeriodFree(setup.consolidated(), settings, {2024, 3, false}, anomalies);
    EXPECT_TRUE(anomalies.isEmpty());
    checkPeriodFree(setup.consolidated(), settings, {2024, 3, true}, anomalies);
    EXPECT_EQ(anomalies.items(), QStringList{kPeriodIntegrated});
    anomalies.clear();
    checkPeriodFree(setup.consolidated(), settings, {2024, 2, false}, anomalies);
    EXPECT_EQ(anomalies.items(), QStringList{kPeriodIntegrated});
    anomalies.clear();
    settings.serie = u"2"_s;
    checkPeriodFree(setup.consolidated(), settings, {2024, 2, true}, anomalies);
    EXPECT_TRUE(anomalies.isEmpty());
}

TEST_P(Checks, each_line_on_a_missing_account_is_one_anomaly_in_query_order) {
    setup.addAccounts({u"9111"_s}, 2024);
    setup.addAccounts({u"9222"_s}, 2023);  // another year's chart does not count
    DataAccess& company = setup.addCompany(1);
    std::vector<demo::Movement> lines;
    for (int i = 1; i <= 10; ++i)
        lines.push_back(line(u"m%1"_s.arg(i), u"FT"_s, i, 1, u"9222"_s, 1, u"1"_s));
    lines.push_back(line(u"k1"_s, u"FT"_s, 3, 2, u"9111 "_s, 2, u"1"_s));
    lines.push_back(line(u"k2"_s, u"FT"_s, 5, 2, u"9333"_s, 2, u"1"_s));
    setup.addMovements(1, lines);

    const CheckedAccounts checked =
        checkAccounts(setup.consolidated(), company, {2024, 3, false}, anomalies);
    EXPECT_EQ(checked.lines, 12);
    EXPECT_TRUE(checked.chart.contains(u"9111"_s));
    EXPECT_FALSE(checked.chart.contains(u"9222"_s));
    QStringList expected;
    for (int i = 1; i <= 10; ++i) {
        expected << u"9222 Conta não existente"_s;
        if (i == 5)
            expected << u"9333 Conta não existente"_s;
    }
    EXPECT_EQ(anomalies.items(), expected);
}

TEST_P(Checks, movements_read_in_ranges_of_documents_come_whole_in_query_order) {
    DataAccess& company = setup.addCompany(1);
    std::vector<demo::Movement> lines;
    const auto add = [&](const char* tpDoc, int numDoc, int numLinha, const char* conta,
                         const char* serie, int month = 3) {
        const QString type = QString::fromLatin1(tpDoc), series = QString::fromLatin1(serie);
        lines.push_back(line(type + u"%1/%2/%3"_s.arg(numDoc).arg(series).arg(numLinha), type,
                             numDoc, numLinha, QString::fromLatin1(conta), 1, u"1"_s, month, 2024,
                             series));
    };
    // Numbers spread unevenly (a run of small ones, a few far away), two series under one
    // number, documents of several lines, and lines of other months and accounts left out.
    for (int doc = 1; doc <= 60; ++doc)
        for (int l = 1; l <= 1 + doc % 4; ++l)
            add("FT", doc, l, l % 2 ? "9111" : "9112", doc % 5 ? "1" : "2");
    for (const int doc : {7, 900000, 900001, 2000000000})
        add("FT", doc, 1, "9113", "3");
    for (int doc = 1; doc <= 9; ++doc)
        add("NC", doc, 1, "9111", "1");
    add("FT", 8, 9, "6111", "1");
    add("FT", 8, 8, "9111", "1", 4);
    setup.addMovements(1, lines);

    std::vector<demo::Movement> expected;
    for (const demo::Movement& m : lines)
        if (m.mes == 3 && m.conta.startsWith(QLatin1Char('9'))) {
            expected.push_back(m);
        }
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
        return std::tie(a.tpDoc, a.numDoc, a.serie, a.numLinha) <
               std::tie(b.tpDoc, b.numDoc, b.serie, b.numLinha);
    });
    QStringList refs;
    for (const demo::Movement& m : expected)
        refs << m.ref;

    struct Refs : RowSink {
        DataAccess* company = nullptr;
        QStringList refs;
        std::map<std::int64_t, int> rowsPerStatement;
        void columns(const QList<ColumnInfo>&) override {}
        bool row(std::vector<Value>& values) override {
            refs << values.at(0).toText();
            ++rowsPerStatement[company->roundTrips()];
            return true;
        }
    };
    for (const int pieceLines : {1, 4, 25, kMovementPieceLines}) {
        Refs read;
        read.company = &company;
        readMovements(company, {2024, 3, false}, u"m.Ref"_s, read, pieceLines);
        EXPECT_EQ(read.refs, refs) << pieceLines;
        int largest = 0;
        for (const auto& [statement, rows] : read.rowsPerStatement)
            largest = std::max(largest, rows);
        // The lines of one number are never cut: FT 7 has 5, in two series.
        EXPECT_LE(largest, std::max(pieceLines, 5)) << pieceLines;
        if (pieceLines == kMovementPieceLines) {
            EXPECT_EQ(read.rowsPerStatement.size(), 2u);  // one range per type
        }
    }
}

TEST_P(Checks, settings_with_a_null_or_no_row_are_errors) {
    setup.addCompany(1);
    EXPECT_NO_THROW(readCompanySettings(setup.consolidated(), 1));
    EXPECT_THROW(readCompanySettings(setup.consolidated(), 2), std::exception);
    setup.consolidated().execute(u"UPDATE zeb_CNS_DadosIniciais SET Moeda = NULL WHERE BD = 1"_s);
    EXPECT_THROW(readCompanySettings(setup.consolidated(), 1), std::exception);
}

INSTANTIATE_TEST_SUITE_P(Engines, Checks,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
