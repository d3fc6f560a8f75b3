#include "data/money_text.h"

#include <QStringList>
#include <algorithm>

namespace agrimor {

namespace {

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Removes the grouping sign (none when null) and turns the decimal sign (none when null) into a
// point; nothing when the grouping is not in groups of three digits.
std::optional<QString> plainDecimal(const QString& text, QChar group, QChar decimal) {
    const qsizetype point = decimal.isNull() ? -1 : text.indexOf(decimal);
    QString whole = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1);
    if (!group.isNull() && whole.contains(group)) {
        const QStringList parts = whole.split(group);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const qsizetype length = parts.at(i).size();
            if ((i == 0 && (length < 1 || length > 3)) || (i > 0 && length != 3))
                return std::nullopt;
        }
        whole = parts.join(QString());
    }
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    return fraction.isEmpty() ? whole : whole + QLatin1Char('.') + fraction;
}

}  // namespace

std::optional<Money> parseMoneyText(QStringView typed) {
    QString text = typed.trimmed().toString();
    QString sign;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) {
        sign = text.left(1);
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    const QChar comma = QLatin1Char(',');
    const QChar point = QLatin1Char('.');
    if (!std::all_of(text.begin(), text.end(),
                     [&](QChar c) { return isAsciiDigit(c) || c == comma || c == point; }))
        return std::nullopt;
    const qsizetype commas = text.count(comma);
    const qsizetype points = text.count(point);
    std::optional<QString> plain;
    if (commas > 0 && points > 0)
        plain = text.lastIndexOf(comma) > text.lastIndexOf(point)
                    ? plainDecimal(text, point, comma)
                    : plainDecimal(text, comma, point);
    else if (commas == 1)
        plain = plainDecimal(text, QChar(), comma);
    else if (points == 1)
        plain = plainDecimal(text, QChar(), point);
    else if (commas > 1)
        plain = plainDecimal(text, comma, QChar());
    else
        plain = plainDecimal(text, point, QChar());
    if (!plain)
        return std::nullopt;
    return Money::parse(sign + *plain);
}

bool isAmbiguousMoneyText(QStringView typed) {
    QStringView text = typed.trimmed();
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')))
        text = text.mid(1);
    const qsizetype sign = text.size() - 4;
    if (sign < 1 || sign > 3 ||
        (text.at(sign) != QLatin1Char(',') && text.at(sign) != QLatin1Char('.')))
        return false;
    if (text.front() == QLatin1Char('0'))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (i != sign && !isAsciiDigit(text.at(i)))
            return false;
    return true;
}

MoneyTextFormat MoneyTextFormat::portuguese() {
    return {QStringLiteral("."), QStringLiteral(","), true};
}

MoneyTextFormat MoneyTextFormat::of(const QLocale& locale) {
    const bool grouped = !(locale.numberOptions() & QLocale::OmitGroupSeparator);
    return {grouped ? locale.groupSeparator() : QString(), locale.decimalPoint(), true};
}

QString formatMoney(Money value, int decimals, const MoneyTextFormat& format) {
    decimals = std::clamp(decimals, 0, 4);
    const std::int64_t units = value.roundedTo(decimals).abs().units();
    const QString digits = QString::number(units / Money::kScale);
    QString text;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += format.group;
        text += digits.at(i);
    }
    if (!format.zeroBeforeDecimal && units < Money::kScale && decimals > 0)
        text.clear();
    if (decimals > 0) {
        const QString fraction =
            QStringLiteral("%1").arg(units % Money::kScale, 4, 10, QLatin1Char('0'));
        text += format.decimal + fraction.left(decimals);
    }
    return value.units() < 0 && units != 0 ? QLatin1Char('-') + text : text;
}

}  // namespace agrimor
