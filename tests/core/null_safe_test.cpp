#include "core/null_safe.h"

#include <gtest/gtest.h>

#include <QDate>

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

const QLocale kPoint = QLocale::c();                           // decimal point, comma groups
const QLocale kComma(QLocale::Portuguese, QLocale::Portugal);  // decimal comma, space groups

Value text(const char* utf8) {
    return Value(QString::fromUtf8(utf8));
}

Money units(std::int64_t units) {
    return Money::fromUnits(units);
}

TEST(NullSafeText, null_and_empty_give_empty_text_other_values_their_text) {
    EXPECT_EQ(nullSafeText(Value()), QString());
    EXPECT_EQ(nullSafeText(Value(QString())), QString());
    EXPECT_EQ(nullSafeText(text(" 9A ")), u" 9A "_s);
    EXPECT_EQ(nullSafeText(Value(42)), u"42"_s);
    EXPECT_EQ(nullSafeText(Value(Money::fromUnits(15000))), u"1.5"_s);
}

TEST(NullSafeWhole, rounds_halves_to_even_from_every_kind_of_value) {
    EXPECT_EQ(nullSafeWhole(text("2.5"), kPoint), 2);
    EXPECT_EQ(nullSafeWhole(text("3.5"), kPoint), 4);
    EXPECT_EQ(nullSafeWhole(text("-2.5"), kPoint), -2);
    EXPECT_EQ(nullSafeWhole(text("2.5000001"), kPoint), 3);
    EXPECT_EQ(nullSafeWhole(text(" +7 "), kPoint), 7);
    EXPECT_EQ(nullSafeWhole(Value(2.5)), 2);
    EXPECT_EQ(nullSafeWhole(Value(Money::fromUnits(35000))), 4);
}

TEST(NullSafeWhole, outside_sixteen_bits_gives_zero) {
    EXPECT_EQ(nullSafeWhole(text("40000"), kPoint), 0);
    EXPECT_EQ(nullSafeWhole(text("32767"), kPoint), 32767);
    EXPECT_EQ(nullSafeWhole(text("-32768"), kPoint), -32768);
    EXPECT_EQ(nullSafeWhole(text("32767.5"), kPoint), 0);  // rounds to 32768
    EXPECT_EQ(nullSafeWhole(text("-32768.5"), kPoint), -32768);
    EXPECT_EQ(nullSafeWhole(text("99999999999999999999999"), kPoint), 0);
    EXPECT_EQ(nullSafeWhole(Value(std::int64_t{65537})), 0);  // would wrap to 1
    EXPECT_EQ(nullSafeWhole(Value(1e300)), 0);
}

TEST(NullSafeWhole, null_and_non_numbers_give_zero) {
    for (const char* junk : {"abc", "", "  ", "12abc", "1e3", "-", ".", "1..2", "1.2.3", ",12",
                             "12,", "1, 2", "(5)", "0x10", "5-"}) {
        EXPECT_EQ(nullSafeWhole(text(junk), kPoint), 0) << junk;
        EXPECT_EQ(nullSafeMoney(text(junk), kPoint), Money()) << junk;
    }
    EXPECT_EQ(nullSafeWhole(Value()), 0);
    EXPECT_EQ(nullSafeWhole(Value(QDate(2024, 1, 5))), 0);
}

TEST(NullSafeMoney, four_decimals_half_to_even) {
    EXPECT_EQ(nullSafeMoney(text("1.23456"), kPoint), units(12346));
    EXPECT_EQ(nullSafeMoney(Value(1.23456)), units(12346));
    EXPECT_EQ(nullSafeMoney(text("1.00005"), kPoint), units(10000));
    EXPECT_EQ(nullSafeMoney(text("1.00015"), kPoint), units(10002));
    EXPECT_EQ(nullSafeMoney(text("1.000050001"), kPoint), units(10001));
    EXPECT_EQ(nullSafeMoney(text("-1,234.56785"), kPoint), units(-12345678));
    EXPECT_EQ(nullSafeMoney(Value(std::int64_t{-3})), units(-30000));
    EXPECT_EQ(nullSafeMoney(text(".5"), kPoint), units(5000));
}

TEST(NullSafeMoney, null_and_out_of_range_give_zero) {
    EXPECT_EQ(nullSafeMoney(Value()), Money());
    EXPECT_EQ(nullSafeMoney(Value(1e20)), Money());
    EXPECT_EQ(nullSafeMoney(Value(std::numeric_limits<double>::quiet_NaN())), Money());
    EXPECT_EQ(nullSafeMoney(Value(std::int64_t{1} << 62)), Money());
    EXPECT_EQ(nullSafeMoney(text("1000000000000000"), kPoint), Money());
}

TEST(NullSafeConversions, read_text_in_a_decimal_comma_locale) {
    EXPECT_EQ(nullSafeWhole(text("2,5"), kComma), 2);
    EXPECT_EQ(nullSafeWhole(text("3,5"), kComma), 4);
    EXPECT_EQ(nullSafeWhole(text("-2,5"), kComma), -2);
    EXPECT_EQ(nullSafeMoney(text("1,23456"), kComma), units(12346));
    // The locale groups with a no-break space; a plain space typed for it counts too.
    EXPECT_EQ(nullSafeMoney(text("1\u00a0234,5"), kComma), units(12345000));
    EXPECT_EQ(nullSafeMoney(text("1 234,5"), kComma), units(12345000));
    // The point is no separator here.
    EXPECT_EQ(nullSafeWhole(text("2.5"), kComma), 0);
    EXPECT_EQ(nullSafeMoney(text("1.5"), kComma), Money());
    // Numbers that are not text do not depend on the locale.
    EXPECT_EQ(nullSafeWhole(Value(2.5), kComma), 2);
    EXPECT_EQ(nullSafeMoney(Value(1.5), kComma), units(15000));
}

}  // namespace
}  // namespace agrimor
