#include "core/memory_table.h"

#include <gtest/gtest.h>

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

enum Column { Doc, Ano, TpDoc, Valor };

MemoryTable documents() {
    return MemoryTable({{u"Doc"_s, ColumnType::Text, 20},
                        {u"Ano"_s, ColumnType::Int16, 0},
                        {u"TpDoc"_s, ColumnType::Text, 3},
                        {u"Valor"_s, ColumnType::Currency, 0}});
}

TEST(MemoryTable, sorting_and_edits_keep_the_column_types) {
    MemoryTable docs = documents();
    const QStringList keys = {u"B"_s, u"O'Neil"_s, u"A"_s};
    for (int i = 0; i < keys.size(); ++i) {
        const int row = docs.appendRow();
        docs.setValue(row, Doc, Value(keys[i]));
        docs.setValue(row, Ano, i == 1 ? Value() : Value(2023 + i));
        docs.setValue(row, TpDoc, Value(u"FT"_s));
    }
    docs.sort(Ano);
    EXPECT_EQ(docs.value(0, Doc), Value(u"O'Neil"_s));  // null first
    EXPECT_EQ(docs.value(2, Doc), Value(u"A"_s));

    EXPECT_THROW(docs.setValue(0, TpDoc, Value(u"FTXX"_s)), ValueError);
    EXPECT_THROW(docs.setValue(0, Ano, Value(40000)), ValueError);
    EXPECT_FALSE(docs.setData(docs.index(0, Ano), u"x"_s));
    EXPECT_TRUE(docs.setData(docs.index(0, Ano), u" 2030 "_s));
    EXPECT_EQ(docs.value(0, Ano), Value(2030));
}

TEST(MemoryTable, amounts_are_read_with_either_decimal_sign_and_shown_grouped) {
    MemoryTable docs = documents();
    const int row = docs.appendRow();
    const auto amount = [&](const Value& value) {
        docs.setValue(row, Valor, value);
        return docs.displayText(row, Valor);
    };
    EXPECT_EQ(amount(Value(u" 1234,5 "_s)), u"1,234.5000"_s);
    EXPECT_EQ(amount(Value(u"1.234,56"_s)), u"1,234.5600"_s);
    EXPECT_EQ(amount(Value(u"-0.85"_s)), u"-.8500"_s);
    // A double goes through its shortest text, so a typed half rounds to even as typed.
    EXPECT_EQ(amount(Value(1.00015)), u"1.0002"_s);
    EXPECT_EQ(amount(Value(1.00025)), u"1.0002"_s);
    // Beyond what a double holds exactly the amount is still shown digit for digit.
    EXPECT_EQ(amount(Value(Money::fromUnits(123456789012345678))), u"12,345,678,901,234.5678"_s);
    for (const QString& text : {u"abc"_s, u"1,2,3"_s})
        EXPECT_THROW(docs.setValue(row, Valor, Value(text)), ValueError) << text.toStdString();
}

}  // namespace
}  // namespace agrimor
