// The rate grid of a company tab: loading and storing.

#include <gtest/gtest.h>

#include "consolidation/rate_grid.h"
#include "tests/consolidation/consolidation_setup.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;

class RateGrid : public ::testing::TestWithParam<EngineKind> {
protected:
    int count() { return test::countRows(setup.consolidated(), u"zeb_CNS_Cambios"_s); }
    test::ConsolidationSetup setup{GetParam()};
};

TEST_P(RateGrid, a_confirmed_new_rate_is_stored_once_however_often_the_tab_is_confirmed) {
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"1.08"_s);
    setup.addRate(u"USD"_s, QDate(2024, 3, 8), u"1.09"_s);
    setup.addRate(u"GBP"_s, QDate(2024, 3, 8), u"0.85"_s);
    std::vector<RateRow> grid = loadRateGrid(setup.consolidated(), u"USD"_s);
    ASSERT_EQ(grid.size(), 2u);
    EXPECT_EQ(grid.front().date, QDate(2024, 3, 8));  // newest first

    grid.front().rate = *Money::parse(u"1.1");  // changed on the screen
    grid.front().changed = true;
    grid.push_back({QString(), QDate(2024, 3, 15), *Money::parse(u"1.0812"), std::nullopt, true});
    grid.push_back({});  // the free row at the end
    QList<int> removed{*grid.at(1).id};
    grid.erase(grid.begin() + 1);

    grid = storeRateGrid(setup.consolidated(), u"USD"_s, grid, removed);
    EXPECT_TRUE(removed.isEmpty());
    ASSERT_EQ(grid.size(), 2u);
    EXPECT_EQ(grid.at(0).date, QDate(2024, 3, 15));
    EXPECT_EQ(grid.at(0).rate, Money::parse(u"1.0812"));
    EXPECT_TRUE(grid.at(0).id.has_value());
    EXPECT_EQ(grid.at(1).rate, Money::parse(u"1.1"));
    EXPECT_FALSE(grid.at(0).changed || grid.at(1).changed);
    EXPECT_EQ(count(), 3);

    // A second confirmation of the same tab stores nothing again.
    grid = storeRateGrid(setup.consolidated(), u"USD"_s, grid, removed);
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(grid.size(), 2u);
}

TEST_P(RateGrid, a_row_without_a_rate_is_listed_so_it_can_be_fixed_or_removed) {
    setup.addRate(u"USD"_s, QDate(2026, 10, 1), u"1.0813"_s);
    for (const int day : {15, 22})
        setup.consolidated().execute(
            u"INSERT INTO zeb_CNS_Cambios (Moeda, Data, Cambio) VALUES (?, ?, NULL)"_s,
            {u"USD"_s, QDate(2026, 10, day)});
    std::vector<RateRow> grid = loadRateGrid(setup.consolidated(), u"USD"_s);
    ASSERT_EQ(grid.size(), 3u);
    for (const std::size_t row : {0u, 1u}) {
        EXPECT_FALSE(grid.at(row).rate.has_value());
        EXPECT_TRUE(grid.at(row).id.has_value());
    }
    EXPECT_EQ(grid.at(2).rate, Money::parse(u"1.0813"));

    // The 22nd gets its rate, the 15th goes.
    grid.at(0).rate = *Money::parse(u"1.0921");
    grid.at(0).changed = true;
    QList<int> removed{*grid.at(1).id};
    grid.erase(grid.begin() + 1);
    grid = storeRateGrid(setup.consolidated(), u"USD"_s, grid, removed);
    ASSERT_EQ(grid.size(), 2u);
    EXPECT_EQ(grid.at(0).rate, Money::parse(u"1.0921"));
    EXPECT_EQ(count(), 2);
}

TEST_P(RateGrid, euro_and_no_currency_store_nothing) {
    std::vector<RateRow> grid{
        {QString(), QDate(2024, 3, 15), *Money::parse(u"2"), std::nullopt, true}};
    QList<int> removed;
    storeRateGrid(setup.consolidated(), u"EUR"_s, grid, removed);
    storeRateGrid(setup.consolidated(), QString(), grid, removed);
    EXPECT_EQ(count(), 0);
}

TEST_P(RateGrid, a_failing_store_leaves_the_table_and_the_lists_as_they_were) {
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"1.08"_s);
    std::vector<RateRow> grid = loadRateGrid(setup.consolidated(), u"USD"_s);
    QList<int> removed{*grid.front().id};
    // Two new rates on one date break the table's unique key on the second.
    grid = {{QString(), QDate(2024, 3, 9), *Money::parse(u"1"), std::nullopt, true},
            {QString(), QDate(2024, 3, 9), *Money::parse(u"2"), std::nullopt, true}};
    EXPECT_ANY_THROW(storeRateGrid(setup.consolidated(), u"USD"_s, grid, removed));
    EXPECT_EQ(removed.size(), 1);
    EXPECT_EQ(loadRateGrid(setup.consolidated(), u"USD"_s).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Engines, RateGrid,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
