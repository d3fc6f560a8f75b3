#include "data/money_text.h"

#include <gtest/gtest.h>

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

std::optional<Money> m(const char* text) {
    return Money::parse(QString::fromLatin1(text));
}

TEST(MoneyText, reads_either_decimal_sign_with_the_other_grouping) {
    const struct {
        const char* typed;
        const char* amount;
    } read[] = {
        {"1,0858", "1.0858"},  {" 1.0858 ", "1.0858"},   {"1.234,5", "1234.5"},
        {"1,234.5", "1234.5"}, {"1.234.567", "1234567"}, {"1,234", "1.234"},
        {"-0,85", "-0.85"},    {"+,5", "0.5"},           {"5,", "5"},
        {"1,00005", "1.0000"}, {"1,00015", "1.0002"},    {"900000000000000", "900000000000000"},
    };
    for (const auto& r : read)
        EXPECT_EQ(parseMoneyText(QString::fromLatin1(r.typed)), m(r.amount)) << r.typed;

    for (const char* refused : {"", " ", "abc", "1,2,3", "1.23.456", "1.234.5,6,7", "1 234,5",
                                "- 5", "1e3", ",", "2000000000000000"})
        EXPECT_EQ(parseMoneyText(QString::fromLatin1(refused)), std::nullopt) << refused;
}

TEST(MoneyText, writes_every_digit_with_the_formats_signs) {
    const MoneyTextFormat pt = MoneyTextFormat::portuguese();
    EXPECT_EQ(formatMoney(*m("1234.5"), 4, pt), u"1.234,5000"_s);
    EXPECT_EQ(formatMoney(*m("0.85"), 4, pt), u"0,8500"_s);
    EXPECT_EQ(formatMoney(*m("-1234567.0001"), 4, pt), u"-1.234.567,0001"_s);
    // More digits than a double carries, and rounding half to even below four decimals.
    EXPECT_EQ(formatMoney(Money::fromUnits(123456789012345678), 4, pt),
              u"12.345.678.901.234,5678"_s);
    EXPECT_EQ(formatMoney(*m("2.125"), 2, pt), u"2,12"_s);

    MoneyTextFormat bare = MoneyTextFormat::of(QLocale::c());
    bare.zeroBeforeDecimal = false;
    EXPECT_EQ(formatMoney(*m("-0.85"), 4, bare), u"-.8500"_s);
    EXPECT_EQ(formatMoney(*m("1234"), 4, bare).remove(bare.group), u"1234.0000"_s);
    EXPECT_EQ(formatMoney(*m("1234"), 4, MoneyTextFormat::of(QLocale(QLocale::German))),
              u"1.234,0000"_s);
}

}  // namespace
}  // namespace agrimor
