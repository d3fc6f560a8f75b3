#include "core/memory_table.h"

#include <gtest/gtest.h>

namespace agrimor {
namespace {

enum Column { Doc, Ano, TpDoc, Valor };

MemoryTable documents() {
    return MemoryTable({{QStringLiteral("Doc"), ColumnType::Text, 20},
                        {QStringLiteral("Ano"), ColumnType::Int16, 0},
                        {QStringLiteral("TpDoc"), ColumnType::Text, 3},
                        {QStringLiteral("Valor"), ColumnType::Currency, 0}});
}

TEST(MemoryTable, sorting_and_edits_keep_the_column_types) {
    MemoryTable docs = documents();
    const QStringList keys = {QStringLiteral("B"), QStringLiteral("O'Neil"), QStringLiteral("A")};
    for (int i = 0; i < keys.size(); ++i) {
        const int row = docs.appendRow();
        docs.setValue(row, Doc, Value(keys[i]));
        docs.setValue(row, Ano, i == 1 ? Value() : Value(2023 + i));
        docs.setValue(row, TpDoc, Value(QStringLiteral("FT")));
    }
    docs.sort(Ano);
    EXPECT_EQ(docs.value(0, Doc), Value(QStringLiteral("O'Neil")));  // null first
    EXPECT_EQ(docs.value(2, Doc), Value(QStringLiteral("A")));

    EXPECT_THROW(docs.setValue(0, TpDoc, Value(QStringLiteral("FTXX"))), ValueError);
    EXPECT_THROW(docs.setValue(0, Ano, Value(40000)), ValueError);
    EXPECT_FALSE(docs.setData(docs.index(0, Ano), QStringLiteral("x")));
    EXPECT_TRUE(docs.setData(docs.index(0, Ano), QStringLiteral(" 2030 ")));
    EXPECT_EQ(docs.value(0, Ano), Value(2030));
}

TEST(MemoryTable, amounts_are_read_with_either_decimal_sign_and_shown_grouped) {
    MemoryTable docs = documents();
    const int row = docs.appendRow();
    const auto amount = [&](const Value& value) {
        docs.setValue(row, Valor, value);
        return docs.displayText(row, Valor);
    };
    EXPECT_EQ(amount(Value(QStringLiteral(" 1234,5 "))), QStringLiteral("1,234.5000"));
    EXPECT_EQ(amount(Value(QStringLiteral("1.234,56"))), QStringLiteral("1,234.5600"));
    EXPECT_EQ(amount(Value(QStringLiteral("-0.85"))), QStringLiteral("-.8500"));
    // A double goes through its shortest text, so a typed half rounds to even as typed.
    EXPECT_EQ(amount(Value(1.00015)), QStringLiteral("1.0002"));
    EXPECT_EQ(amount(Value(1.00025)), QStringLiteral("1.0002"));
    // Beyond what a double holds exactly the amount is still shown digit for digit.
    EXPECT_EQ(amount(Value(Money::fromUnits(123456789012345678))),
              QStringLiteral("12,345,678,901,234.5678"));
    for (const QString& text : {QStringLiteral("abc"), QStringLiteral("1,2,3")})
        EXPECT_THROW(docs.setValue(row, Valor, Value(text)), ValueError) << text.toStdString();
}

}  // namespace
}  // namespace agrimor
