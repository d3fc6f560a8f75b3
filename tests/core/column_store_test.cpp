// The compact cells of a MemoryTable give back the values stored and sort as the values compare.

#include <gtest/gtest.h>

#include "core/memory_table.h"

namespace agrimor {
namespace {

enum Column { Code, Note, Number, Amount, Day };

TEST(ColumnStore, values_come_back_as_stored_past_the_remembered_texts_and_sort_as_before) {
    MemoryTable table({{QStringLiteral("Code"), ColumnType::Text, 10},
                       {QStringLiteral("Note"), ColumnType::Text, 0},
                       {QStringLiteral("Number"), ColumnType::Int32, 0},
                       {QStringLiteral("Amount"), ColumnType::Currency, 0},
                       {QStringLiteral("Day"), ColumnType::Date, 0}});
    const int rows = static_cast<int>(ColumnStore::kRememberedTexts) * 3;
    std::vector<std::vector<Value>> stored;
    {
        const MemoryTable::BulkLoad bulk(table);
        for (int r = 0; r < rows; ++r) {
            const int row = table.appendRow();
            // Codes repeat and differ in case; notes are all different after a few, some
            // repeated by the next row, some empty, some null, some not Latin-1.
            std::vector<Value> values{
                r % 7 == 0 ? Value() : Value(QStringLiteral("c%1").arg(r % 5)),
                r % 11 == 0   ? Value(QString())
                : r % 13 == 0 ? Value()
                              : Value(QString::fromUtf8("nota ação €%1").arg(r / 2)),
                r % 3 == 0 ? Value() : Value(std::int64_t(r % 2 ? -r * 70000 : r)),
                Value(Money::fromUnits(std::int64_t(r) * 1'000'000'000'007 * (r % 2 ? -1 : 1))),
                r % 4 == 0 ? Value() : Value(QDate(2024, 1, 1).addDays(r % 400))};
            if (r % 9 == 0)
                values[Code] = Value(QStringLiteral("C%1").arg(r % 5));
            for (int c = 0; c < 5; ++c)
                table.setValue(row, c, values[static_cast<std::size_t>(c)]);
            stored.push_back(std::move(values));
        }
    }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 5; ++c)
            ASSERT_EQ(table.value(r, c), stored[static_cast<std::size_t>(r)][std::size_t(c)])
                << r << ' ' << c;

    // The order a sort of the Values themselves gives: nulls first, text ignoring case, stable.
    for (const int column : {Code, Note, Number, Amount, Day}) {
        SCOPED_TRACE(column);
        std::vector<std::vector<Value>> expected(stored);
        std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
            const Value &x = a[std::size_t(column)], &y = b[std::size_t(column)];
            if (x.isNull() || y.isNull())
                return x.isNull() && !y.isNull();
            if (column == Code || column == Note)
                return x.toText().compare(y.toText(), Qt::CaseInsensitive) < 0;
            if (column == Amount)
                return x.toMoney() < y.toMoney();
            return column == Day ? x.toDateTime() < y.toDateTime() : x.toInt() < y.toInt();
        });
        table.sort(column);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < 5; ++c)
                ASSERT_EQ(table.value(r, c), expected[std::size_t(r)][std::size_t(c)]) << r;
        stored = std::move(expected);
    }

    // An edit after the load, and a new order given whole.
    table.setValue(0, Note, Value(QStringLiteral("editada")));
    std::vector<int> reversed;
    for (int r = rows - 1; r >= 0; --r)
        reversed.push_back(r);
    table.arrange(reversed);
    EXPECT_EQ(table.value(rows - 1, Note), Value(QStringLiteral("editada")));
    EXPECT_EQ(table.value(0, Code), stored.back()[Code]);
    EXPECT_THROW(table.arrange({0, 0}), std::invalid_argument);
}

TEST(ColumnStore, source_rows_stay_with_their_rows_whether_they_follow_on_or_not) {
    MemoryTable table({{QStringLiteral("Key"), ColumnType::Int32, 0}});
    const auto add = [&](int key, int source) {
        const int row = table.appendRow();
        table.setValue(row, 0, Value(key));
        if (source != 0)
            table.setSourceRow(row, source);
    };
    for (int n = 0; n < 4; ++n)
        add(10 - n, n + 2);  // sheet rows 2..5
    add(1, 0);
    EXPECT_EQ(table.sourceRow(3), 5);
    EXPECT_EQ(table.sourceRow(4), 0);
    add(0, 40);  // a gap: no longer one offset
    table.setSourceRow(1, 7);
    table.sort(0);
    const std::vector<int> expected{40, 0, 5, 4, 7, 2};
    for (int row = 0; row < table.size(); ++row)
        EXPECT_EQ(table.sourceRow(row), expected[std::size_t(row)]) << row;
}

}  // namespace
}  // namespace agrimor
