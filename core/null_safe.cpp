#include "core/null_safe.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace agrimor {

namespace {

// The largest magnitude Money holds with room to spare (its raw range is about 9.22e14).
constexpr double kMoneyLimit = 9.2e14;

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isSpaceLike(QStringView separator) {
    return separator.size() == 1 && (separator[0] == QChar(0x20) || separator[0] == QChar(0xA0) ||
                                     separator[0] == QChar(0x202F));
}

// Group separator at `pos`: the locale's own, or any kind of space when the locale groups with a
// space (people type a plain space where the locale has a no-break one). Gives its length or 0.
qsizetype groupSeparatorAt(QStringView text, qsizetype pos, QStringView separator) {
    if (separator.isEmpty())
        return 0;
    if (text.mid(pos).startsWith(separator))
        return separator.size();
    if (isSpaceLike(separator) && isSpaceLike(text.mid(pos, 1)))
        return 1;
    return 0;
}

// The text as "[-]digits[.digits]" when it is a number in `locale`; nothing otherwise.
std::optional<QString> plainNumber(QStringView text, const QLocale& locale) {
    text = text.trimmed();
    const QString decimal = locale.decimalPoint();
    const QString group = (locale.numberOptions() & QLocale::RejectGroupSeparator)
                              ? QString()
                              : locale.groupSeparator();
    QString out;
    qsizetype i = 0;
    if (text.startsWith(locale.negativeSign()) || text.startsWith(QLatin1Char('-'))) {
        out += QLatin1Char('-');
        i = text.startsWith(locale.negativeSign()) ? locale.negativeSign().size() : 1;
    } else if (text.startsWith(locale.positiveSign()) || text.startsWith(QLatin1Char('+'))) {
        i = text.startsWith(locale.positiveSign()) ? locale.positiveSign().size() : 1;
    }
    bool anyDigit = false;
    bool inFraction = false;
    QString digits;
    while (i < text.size()) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            digits += c;
            anyDigit = true;
            ++i;
            continue;
        }
        if (!inFraction && !decimal.isEmpty() && text.mid(i).startsWith(decimal)) {
            digits += QLatin1Char('.');
            inFraction = true;
            i += decimal.size();
            continue;
        }
        const qsizetype groupLength = inFraction ? 0 : groupSeparatorAt(text, i, group);
        const bool betweenDigits = groupLength > 0 && i > 0 && isAsciiDigit(text[i - 1]) &&
                                   i + groupLength < text.size() &&
                                   isAsciiDigit(text[i + groupLength]);
        if (!betweenDigits)
            return std::nullopt;
        i += groupLength;
    }
    if (!anyDigit)
        return std::nullopt;
    if (digits.startsWith(QLatin1Char('.')))
        digits.prepend(QLatin1Char('0'));
    if (digits.endsWith(QLatin1Char('.')))
        digits.chop(1);
    return out + digits;
}

short wholeFromDouble(double value) {
    if (!std::isfinite(value))
        return 0;
    // nearbyint rounds in the default mode, to nearest with ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<short>::min() || rounded > std::numeric_limits<short>::max())
        return 0;
    return static_cast<short>(rounded);
}

short wholeFromInteger(std::int64_t value) {
    if (value < std::numeric_limits<short>::min() || value > std::numeric_limits<short>::max())
        return 0;
    return static_cast<short>(value);
}

short wholeFromText(QStringView text, const QLocale& locale) {
    const auto plain = plainNumber(text, locale);
    if (!plain)
        return 0;
    // Like the platform, the text goes through a double before rounding.
    bool ok = false;
    const double value = plain->toDouble(&ok);
    return ok ? wholeFromDouble(value) : 0;
}

Money moneyFromDouble(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= kMoneyLimit)
        return Money();
    return Money::fromDouble(value);
}

Money moneyFromText(QStringView text, const QLocale& locale) {
    const auto plain = plainNumber(text, locale);
    if (!plain)
        return Money();
    // Parsed as decimal text, so 1.00005 rounds exactly rather than as the nearest double; a
    // number too large for an amount is refused by the parser.
    return Money::parse(*plain).value_or(Money());
}

}  // namespace

QString nullSafeText(const Value& value) {
    return value.toText();
}

short nullSafeWhole(const Value& value, const QLocale& locale) {
    switch (value.kind()) {
        case Value::Kind::Integer:
            return wholeFromInteger(value.toInt());
        case Value::Kind::Real:
            return wholeFromDouble(value.toDouble());
        case Value::Kind::Money:
            return wholeFromInteger(value.toMoney().roundedTo(0).units() / Money::kScale);
        case Value::Kind::Text:
            return wholeFromText(value.toText(), locale);
        case Value::Kind::Null:
        case Value::Kind::DateTime:
            break;
    }
    return 0;
}

Money nullSafeMoney(const Value& value, const QLocale& locale) {
    switch (value.kind()) {
        case Value::Kind::Integer: {
            const std::int64_t whole = value.toInt();
            if (std::fabs(static_cast<double>(whole)) >= kMoneyLimit)
                return Money();
            return Money::fromWhole(whole);
        }
        case Value::Kind::Real:
            return moneyFromDouble(value.toDouble());
        case Value::Kind::Money:
            return value.toMoney();
        case Value::Kind::Text:
            return moneyFromText(value.toText(), locale);
        case Value::Kind::Null:
        case Value::Kind::DateTime:
            break;
    }
    return Money();
}

}  // namespace agrimor
