#include "money.h"

#include <cmath>

namespace agrimor {

namespace {

constexpr std::int64_t kPowers[] = {1, 10, 100, 1000, 10000};

// A scaled double rounded to a whole number, a half going to the even one.
double roundScaledHalfEven(double scaled) {
    const double floor = std::floor(scaled);
    const double diff = scaled - floor;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0.0))
        return floor + 1.0;
    return floor;
}

}  // namespace

std::int64_t divideHalfEven(__int128 numerator, __int128 denominator) {
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    __int128 quotient = numerator / denominator;
    __int128 remainder = numerator % denominator;
    if (remainder < 0)
        remainder = -remainder;
    const __int128 twice = remainder * 2;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0))
        quotient += numerator < 0 ? -1 : 1;
    return static_cast<std::int64_t>(quotient);
}

double roundHalfEven(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return roundScaledHalfEven(value * scale) / scale;
}

Money Money::fromDouble(double value) {
    return Money(
        static_cast<std::int64_t>(roundScaledHalfEven(value * static_cast<double>(kScale))));
}

std::optional<Money> Money::parse(QStringView text, QChar decimalPoint) {
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool negative = false;
    qsizetype i = 0;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        ++i;
    }
    std::int64_t whole = 0;
    std::int64_t fraction = 0;  // scaled to 5 decimals to round the fifth
    int fractionDigits = 0;
    bool sticky = false;  // any non-zero digit past the fifth decimal
    bool seenPoint = false;
    bool seenDigit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('.') || c == decimalPoint) {
            if (seenPoint)
                return std::nullopt;
            seenPoint = true;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9')
            return std::nullopt;
        seenDigit = true;
        const int digit = c.unicode() - '0';
        if (!seenPoint) {
            whole = whole * 10 + digit;
            // Past this the ten-thousandths no longer fit in 64 bits.
            if (whole > 900'000'000'000'000LL)
                return std::nullopt;
        } else if (fractionDigits < 5) {
            fraction = fraction * 10 + digit;
            ++fractionDigits;
        } else if (digit != 0) {
            sticky = true;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    for (; fractionDigits < 5; ++fractionDigits)
        fraction *= 10;
    // fraction holds five decimals; round the fifth half to even (with the sticky tail).
    std::int64_t units = whole * kScale + fraction / 10;
    const int fifth = static_cast<int>(fraction % 10);
    if (fifth > 5 || (fifth == 5 && (sticky || units % 2 != 0)))
        ++units;
    return Money(negative ? -units : units);
}

Money Money::roundedTo(int decimals) const {
    if (decimals >= 4)
        return *this;
    const std::int64_t divisor = kPowers[4 - (decimals < 0 ? 0 : decimals)];
    return Money(divideHalfEven(units_, divisor) * divisor);
}

QString Money::toString(int minDecimals) const {
    const std::int64_t absolute = units_ < 0 ? -units_ : units_;
    QString text = QString::number(absolute / kScale);
    QString fraction = QStringLiteral("%1").arg(absolute % kScale, 4, 10, QLatin1Char('0'));
    while (fraction.size() > minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += QLatin1Char('.') + fraction;
    return units_ < 0 ? QLatin1Char('-') + text : text;
}

}  // namespace agrimor
