// The derivation and the reload of the class-9 working set, on both engines, against a model of
// the rules written out here independently of the query.

#include "class9/derivation.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "class9/working_set.h"
#include "data/db_error.h"
#include "tests/class9/class9_setup.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::ChartRow;
using test::class9Line;
using test::EngineKind;
using test::generalLine;
using W = Class9WorkingSet;

const std::vector<ChartRow> kChart{
    {u"6221"_s, 2024, u"96221"_s, u"96229"_s},
    {u"221"_s, 2024, u"9122"_s, u"9123"_s},
    {u"111"_s, 2024, u"9111"_s, u"9112"_s},
    {u"6881"_s, 2024, {}, {}},
    // 711 is only in the chart of 2023: a line of 2024 must carry Exercicio 2023 to use it.
    {u"711"_s, 2023, u"9711"_s, u"9712"_s},
    {u"96221"_s, 2024, {}, {}},
    {u"9122"_s, 2024, {}, {}},
    {u"9111"_s, 2024, {}, {}},
};

// One expected working-set row, as the rules say it should be.
struct Expected {
    QDate date;
    demo::Movement line;
    QString classe9;
};

QString mapped(const demo::Movement& line, const ChartRow& chart) {
    return line.dbCr == 1 ? chart.cl9dd : line.dbCr == 2 ? chart.cl9cc : QString();
}

// The derivation rules: year, month of the document date, Nat <= 2, Statac 2, not class 9, in the
// chart of the line's own Exercicio; the mapping by side, overridden by the two costing codes.
std::vector<Expected> derive(const std::vector<demo::Movement>& lines, int year, int month,
                             bool reload = false, const QString& type = {}) {
    std::vector<Expected> rows;
    for (const demo::Movement& line : lines) {
        if (line.ano != year || line.dataDoc.month() != month)
            continue;
        const bool class9 = line.conta.startsWith(QLatin1Char('9'));
        if (reload ? (!class9 || line.tpDoc != type) : (class9 || line.nat > 2 || line.statac != 2))
            continue;
        const auto chart = std::find_if(kChart.begin(), kChart.end(), [&](const ChartRow& row) {
            return row.conta == line.conta && row.exercicio == line.exercicio;
        });
        if (chart == kChart.end())
            continue;
        QString classe9 = reload ? line.conta : mapped(line, *chart);
        if (!reload &&
            (line.custeio == QLatin1String("P00631") || line.custeio == QLatin1String("P00763")))
            classe9 = u"96112"_s;
        rows.push_back({line.dataDoc, line, classe9});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Expected& a, const Expected& b) {
        const auto key = [](const Expected& e) {
            return std::make_tuple(e.date, e.line.tpDoc.toUpper(), e.line.serie.toUpper(),
                                   e.line.numDoc, e.line.numLinha);
        };
        return key(a) < key(b);
    });
    return rows;
}

void expectSet(const Class9WorkingSet& set, const std::vector<Expected>& expected) {
    ASSERT_EQ(set.size(), static_cast<int>(expected.size()));
    for (int row = 0; row < set.size(); ++row) {
        SCOPED_TRACE(row);
        const demo::Movement& line = expected[static_cast<std::size_t>(row)].line;
        const auto text = [&](int column) {
            const Value& value = set.value(row, column);
            return value.isNull() ? QString() : value.toText();
        };
        EXPECT_EQ(text(W::ContaG), line.conta);
        EXPECT_EQ(text(W::Classe9), expected[static_cast<std::size_t>(row)].classe9);
        EXPECT_EQ(text(W::Doc), u"%1/%2/%3/%4/%5"_s.arg(line.tpDoc)
                                    .arg(line.ano)
                                    .arg(line.serie)
                                    .arg(line.numDoc)
                                    .arg(line.numLinha));
        EXPECT_EQ(text(W::Data), line.dataDoc.toString(u"dd-MM-yyyy"_s));
        EXPECT_EQ(set.value(row, W::Valor).toMoney(), line.valor);
        EXPECT_EQ(text(W::Sinal), line.dbCr == 1 ? u"D"_s : line.dbCr == 2 ? u"C"_s : QString());
        EXPECT_EQ(text(W::Descritivo), line.descr);
        EXPECT_EQ(text(W::Referencia), line.ref);
        EXPECT_EQ(text(W::Setor), line.sector);
        EXPECT_EQ(text(W::RubricaOrc), line.rubOrc);
        EXPECT_EQ(text(W::CCustorc), line.cCustOrc);
        EXPECT_EQ(text(W::Custeio), line.custeio);
        EXPECT_EQ(text(W::TpDoc), line.tpDoc);
        EXPECT_EQ(text(W::Serie), line.serie);
        EXPECT_EQ(set.value(row, W::NumDoc).toInt(), line.numDoc);
        EXPECT_EQ(set.value(row, W::NumLinha).toInt(), line.numLinha);
    }
}

// A month with every kind of line the derivation takes or leaves, inserted out of order.
std::vector<demo::Movement> monthLines() {
    std::vector<demo::Movement> lines;
    const auto add = [&](demo::Movement line, auto&&... changes) {
        (changes(line), ...);
        lines.push_back(std::move(line));
    };
    const auto custeio = [](const char* code) {
        return [code](demo::Movement& line) { line.custeio = QString::fromLatin1(code); };
    };
    add(generalLine(u"FT"_s, 5, 1, u"111"_s, 1, u"121.5"_s, 12));
    add(generalLine(u"FT"_s, 5, 2, u"711"_s, 2, u"121.5"_s,
                    12));  // not in the chart of 2024
    add(generalLine(u"FC"_s, 7, 3, u"6881"_s, 1, u"3"_s, 5),
        custeio(""));  // unmapped
    add(generalLine(u"FC"_s, 7, 2, u"221"_s, 2, u"13"_s, 5),
        custeio("p00763"));  // not the costing code: case counts
    add(generalLine(u"FC"_s, 7, 1, u"6221"_s, 1, u"10"_s, 5), custeio("P00631"));
    add(generalLine(u"FC"_s, 2, 1, u"221"_s, 2, u"8"_s, 5),
        custeio("P00763"));  // the costing code wins over the credit mapping
    add(generalLine(u"FC"_s, 2, 2, u"6221"_s, 1, u"8"_s, 5));
    add(generalLine(u"ab"_s, 1, 1, u"6221"_s, 2, u"4"_s, 5));
    add(generalLine(u"CX"_s, 1, 1, u"111"_s, 3, u"1"_s, 20));
    add(generalLine(u"CX"_s, 2, 1, u"711"_s, 2, u"2"_s, 20),
        [](demo::Movement& line) { line.exercicio = 2023; });
    // A series with "/" and quotes, a number beyond 16 bits.
    add(generalLine(u"F'T"_s, 40000, 2, u"221"_s, 1, u"0.5"_s, 12),
        [](demo::Movement& line) { line.serie = u"A/B'1"_s; });
    // Left out: Nat 3, Statac 1, a class-9 account, another month, another year.
    add(generalLine(u"FT"_s, 6, 1, u"111"_s, 1, u"1"_s, 12),
        [](demo::Movement& line) { line.nat = 3; });
    add(generalLine(u"FT"_s, 6, 2, u"111"_s, 1, u"1"_s, 12),
        [](demo::Movement& line) { line.statac = 1; });
    add(generalLine(u"FT"_s, 6, 3, u"96221"_s, 1, u"1"_s, 12));
    add(generalLine(u"FT"_s, 8, 1, u"111"_s, 1, u"1"_s, 2, 4));
    add(generalLine(u"FT"_s, 9, 1, u"111"_s, 1, u"1"_s, 12), [](demo::Movement& line) {
        line.ano = 2023;
        line.exercicio = 2023;
        line.dataDoc = QDate(2023, 3, 12);
    });
    return lines;
}

class Class9Derivation : public ::testing::TestWithParam<EngineKind> {
protected:
    test::Class9Setup setup{GetParam()};
    Class9WorkingSet set;
};

TEST_P(Class9Derivation, derives_one_row_per_general_line_of_the_month_as_the_rules_say) {
    setup.addChart(kChart);
    const std::vector<demo::Movement> lines = monthLines();
    setup.addLines(lines);

    const int rows = deriveClass9Lines(setup.company(), setup.prompter, 2024, 3, set);
    EXPECT_TRUE(setup.prompter.prompts().empty());
    const std::vector<Expected> expected = derive(lines, 2024, 3);
    EXPECT_EQ(rows, static_cast<int>(expected.size()));
    EXPECT_EQ(expected.size(), 10u);  // the model itself leaves out what it should
    expectSet(set, expected);
    EXPECT_TRUE(isGridComplete(set) == false) << "unmapped rows are left empty for the user";
}

TEST_P(Class9Derivation, reloads_the_class9_lines_of_the_type_whatever_their_nat_and_statac) {
    setup.addChart(kChart);
    std::vector<demo::Movement> lines = monthLines();
    auto reloaded = class9Line(u"CL9"_s, 3, 1, u"96221"_s, 1, u"10"_s, 5);
    reloaded.nat = 7;
    reloaded.statac = 0;
    reloaded.custeio = u"P00631"_s;  // no override on reload
    lines.push_back(reloaded);
    lines.push_back(class9Line(u"CL9"_s, 3, 2, u"9122"_s, 2, u"10"_s, 5));
    lines.push_back(class9Line(u"CL9"_s, 1, 1, u"9111"_s, 1, u"4"_s, 2));
    // Left out: an account missing from the chart, another type, another month.
    lines.push_back(class9Line(u"CL9"_s, 1, 2, u"9999"_s, 2, u"4"_s, 2));
    lines.push_back(class9Line(u"ANA"_s, 1, 1, u"9111"_s, 1, u"4"_s, 2));
    lines.push_back(class9Line(u"CL9"_s, 9, 1, u"9111"_s, 1, u"4"_s, 2, 4));
    setup.addLines(lines);

    const int rows = reloadClass9Lines(setup.company(), setup.prompter, 2024, 3, u"CL9"_s, set);
    const std::vector<Expected> expected = derive(lines, 2024, 3, true, u"CL9"_s);
    EXPECT_EQ(rows, 3);
    expectSet(set, expected);
    EXPECT_TRUE(setup.prompter.prompts().empty());
}

TEST_P(Class9Derivation, an_empty_month_shows_its_message_and_leaves_the_set_empty) {
    setup.addChart(kChart);
    auto onlyClass9 = generalLine(u"FT"_s, 1, 1, u"9111"_s, 1, u"1"_s);
    auto notPosted = generalLine(u"FT"_s, 1, 2, u"111"_s, 2, u"1"_s);
    notPosted.statac = 1;
    setup.addLines({onlyClass9, notPosted});
    set.appendRow();  // what an earlier load left

    EXPECT_EQ(deriveClass9Lines(setup.company(), setup.prompter, 2024, 3, set), 0);
    EXPECT_EQ(set.size(), 0);
    EXPECT_EQ(setup.prompter.texts(), QStringList{kNoMovementsToIntegrate});

    setup.prompter.clear();
    EXPECT_EQ(reloadClass9Lines(setup.company(), setup.prompter, 2024, 3, u"CL9"_s, set), 0);
    EXPECT_EQ(setup.prompter.texts(), QStringList{kNoClass9Movements});
}

TEST_P(Class9Derivation, the_widest_key_the_columns_allow_is_kept_whole) {
    setup.addChart(kChart);
    auto wide = generalLine(u"ABC"_s, -2147483647 - 1, -32768, u"111"_s, 1, u"1"_s);
    wide.serie = u"1234567/90"_s;
    setup.addLines({wide});
    ASSERT_EQ(deriveClass9Lines(setup.company(), setup.prompter, 2024, 3, set), 1);
    const QString key = u"ABC/2024/1234567/90/-2147483648/-32768"_s;
    EXPECT_EQ(set.value(0, W::Doc).toText(), key);
    EXPECT_EQ(documentKey(key), u"ABC/2024/1234567/90/-2147483648"_s);
    EXPECT_LE(u"ABC/-32768/1234567890/-2147483648/-32768"_s.size(), W::kDocWidth);
}

// Another program stores the same day in other text forms; the rows still come in time order
// and, on one day, by key, not by the form their date was written in.
TEST_P(Class9Derivation, dates_stored_in_other_forms_keep_time_order_and_ties_go_by_key) {
    setup.addChart(kChart);
    std::vector<demo::Movement> lines;
    for (int line = 1; line <= 5; ++line)
        lines.push_back(generalLine(u"FT"_s, 1, line, u"111"_s, 1, u"1"_s, 10));
    lines.push_back(generalLine(u"FC"_s, 1, 1, u"111"_s, 1, u"1"_s, 11));
    lines.push_back(generalLine(u"FA"_s, 1, 1, u"111"_s, 1, u"1"_s, 11));
    setup.addLines(lines);
    const auto store = [&](const QString& tpDoc, int numLinha, const QString& text) {
        setup.company().execute(u"UPDATE MovCTB SET DataDoc = ? WHERE TpDoc = ? AND NumLinha = ?"_s,
                                {text, tpDoc, numLinha});
    };
    store(u"FT"_s, 1, u"2024-03-10T00:00:00"_s);
    store(u"FT"_s, 2, u"2024-03-10 00:00:00.000"_s);
    store(u"FT"_s, 3, u"2024-03-10"_s);
    store(u"FT"_s, 4, u"2024-03-10T00:00:00.000000"_s);
    // 11 March: 08:00 comes before 13:00 although " 13" sorts before "T08" as text.
    store(u"FC"_s, 1, u"2024-03-11T08:00:00"_s);
    store(u"FA"_s, 1, u"2024-03-11 13:00:00"_s);

    ASSERT_EQ(deriveClass9Lines(setup.company(), setup.prompter, 2024, 3, set), 7);
    QStringList keys;
    for (int row = 0; row < set.size(); ++row)
        keys << set.value(row, W::Doc).toText();
    EXPECT_EQ(keys.join(QLatin1Char(' ')).toStdString(),
              QStringLiteral("FT/2024/1/1/1 FT/2024/1/1/2 FT/2024/1/1/3 FT/2024/1/1/4 "
                             "FT/2024/1/1/5 FC/2024/1/1/1 FA/2024/1/1/1")
                  .toStdString());
}

TEST_P(Class9Derivation, a_database_failure_leaves_the_set_empty_and_propagates) {
    setup.company().execute(u"DROP TABLE POC"_s);
    set.appendRow();
    EXPECT_THROW(deriveClass9Lines(setup.company(), setup.prompter, 2024, 3, set), DbError);
    EXPECT_EQ(set.size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, Class9Derivation,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

TEST(Class9WorkingSetModel, sorts_for_writing_by_date_type_series_number_and_line) {
    Class9WorkingSet set;
    const auto add = [&](const char* data, const char* type, const char* serie, int doc, int line) {
        const int row = set.appendRow();
        set.setValue(row, W::Data, Value(QString::fromLatin1(data)));
        set.setValue(row, W::TpDoc, Value(QString::fromLatin1(type)));
        set.setValue(row, W::Serie, Value(QString::fromLatin1(serie)));
        set.setValue(row, W::NumDoc, Value(doc));
        set.setValue(row, W::NumLinha, Value(line));
        set.setValue(row, W::Doc, Value(u"%1"_s.arg(row)));
    };
    add("12-03-2024", "FT", "1", 5, 2);
    add("05-03-2024", "fc", "1", 10, 1);
    add("05-03-2024", "FC", "1", 9, 1);
    add("12-03-2024", "FT", "1", 5, 1);
    add("05-03-2024", "CX", "2", 1, 1);
    add("05-03-2024", "CX", "10", 1, 1);
    set.sortForWriting();
    QStringList order;
    for (int row = 0; row < set.size(); ++row)
        order << set.value(row, W::Doc).toText();
    EXPECT_EQ(order.join(QLatin1Char(' ')), u"5 4 2 1 3 0"_s);
}

}  // namespace
}  // namespace agrimor
