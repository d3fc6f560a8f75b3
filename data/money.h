#pragma once

#include <QString>
#include <QStringView>
#include <compare>
#include <cstdint>
#include <optional>

namespace agrimor {

// Fixed-point currency with four decimals, held as a count of ten-thousandths. Sums of amounts are
// always exact; rounding (half to even) happens only where a conversion asks for it.
class Money {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(std::int64_t units) { return Money(units); }
    static constexpr Money fromWhole(std::int64_t whole) { return Money(whole * kScale); }
    // Rounds to four decimals, half to even; the value must fit (|x| < 9.2e14).
    static Money fromDouble(double value);
    // Accepts an optional sign, digits and at most one decimal point ('.' or the given separator).
    // More than four decimals round half to even. Returns nothing for any other text.
    static std::optional<Money> parse(QStringView text, QChar decimalPoint = QLatin1Char('.'));

    constexpr std::int64_t units() const { return units_; }
    double toDouble() const { return static_cast<double>(units_) / kScale; }
    // Rounds to 0..4 decimals, half to even.
    Money roundedTo(int decimals) const;
    // "1234.5" with no trailing zeros beyond `minDecimals`; no thousands separators.
    QString toString(int minDecimals = 0) const;

    constexpr bool isZero() const { return units_ == 0; }
    constexpr Money abs() const { return Money(units_ < 0 ? -units_ : units_); }
    constexpr Money operator-() const { return Money(-units_); }
    constexpr Money operator+(Money o) const { return Money(units_ + o.units_); }
    constexpr Money operator-(Money o) const { return Money(units_ - o.units_); }
    constexpr Money& operator+=(Money o) {
        units_ += o.units_;
        return *this;
    }
    constexpr Money& operator-=(Money o) {
        units_ -= o.units_;
        return *this;
    }
    constexpr auto operator<=>(const Money&) const = default;  // NOLINT(modernize-use-nullptr)

private:
    constexpr explicit Money(std::int64_t units) : units_(units) {}
    std::int64_t units_ = 0;
};

// a + b, or nothing when the sum is past what Money holds (922,337,203,685,477.5807 either way):
// for sums of amounts that come from outside, which must never wrap round.
inline std::optional<Money> checkedSum(Money a, Money b) {
    std::int64_t units = 0;
    if (__builtin_add_overflow(a.units(), b.units(), &units))
        return std::nullopt;
    return Money::fromUnits(units);
}

// Rounds `value` to `decimals` places, a half going to the even neighbour. The value is taken as
// the double it is: the scaling is done in 64-bit floating point.
double roundHalfEven(double value, int decimals);

// numerator / denominator rounded to the nearest whole number, a half going to the even one.
// The operands are 128-bit so that a product of two amounts divides exactly; the quotient must
// fit in 64 bits.
std::int64_t divideHalfEven(__int128 numerator, __int128 denominator);

}  // namespace agrimor
