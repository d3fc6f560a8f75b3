#include "data/money.h"

#include <gtest/gtest.h>

#include "data/value.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

Money m(const char* text) {
    return Money::parse(QString::fromLatin1(text)).value();
}

TEST(Money, parses_exactly_and_rounds_a_fifth_decimal_half_to_even) {
    EXPECT_EQ(m("1.0812").units(), 10812);
    EXPECT_EQ(m("-0.5").units(), -5000);
    EXPECT_EQ(m("1.23455").units(), 12346);   // odd last digit goes up
    EXPECT_EQ(m("1.23445").units(), 12344);   // even stays
    EXPECT_EQ(m("1.234451").units(), 12345);  // past the half
    EXPECT_FALSE(Money::parse(u"1.2.3").has_value());
    EXPECT_FALSE(Money::parse(u"12a").has_value());
    EXPECT_FALSE(Money::parse(u"").has_value());
    EXPECT_FALSE(Money::parse(u"1000000000000000").has_value());  // would overflow
    EXPECT_EQ(Money::parse(u"2,5", QLatin1Char(',')).value().units(), 25000);
}

TEST(Money, rounds_to_cents_half_to_even_in_both_signs) {
    EXPECT_EQ(m("0.125").roundedTo(2), m("0.12"));
    EXPECT_EQ(m("0.135").roundedTo(2), m("0.14"));
    EXPECT_EQ(m("-0.125").roundedTo(2), m("-0.12"));
    EXPECT_EQ(m("0.004").roundedTo(2), Money());
    EXPECT_EQ(Money::fromDouble(1.23456), m("1.2346"));
    EXPECT_EQ(m("1234.5").toString(), u"1234.5"_s);
    EXPECT_EQ(m("-0.05").toString(2), u"-0.05"_s);
}

TEST(Value, converts_leniently_between_kinds) {
    EXPECT_EQ(Value(u"12.5"_s).toMoney(), m("12.5"));
    EXPECT_EQ(Value(u"2024-03-05 10:11:12"_s).toDate(), QDate(2024, 3, 5));
    EXPECT_EQ(Value(QDate(2024, 3, 5)).toText(), u"2024-03-05"_s);
    EXPECT_EQ(isoDateTimeText(naiveDateTime(QDate(987, 12, 1), QTime(9, 5, 7)), QLatin1Char('T')),
              u"0987-12-01T09:05:07"_s);
    EXPECT_EQ(Value().toText(), QString());
    bool ok = true;
    Value(u"abc"_s).toInt(&ok);
    EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace agrimor
