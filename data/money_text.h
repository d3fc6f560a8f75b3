#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <optional>

#include "data/money.h"

namespace agrimor {

// An amount as a person types it or a sheet holds it as text: digits with a decimal comma or
// point, the thousands grouped by the other sign ("1.234,5", "1,234.5"), an optional sign and
// spaces around it. A single sign is the decimal one ("1,5"; "1.234" is one and a bit); one sign
// used more than once with no other groups ("1.234.567"). Groups are of three digits after the
// first. More than four decimals round half to even. Anything else gives nothing.
std::optional<Money> parseMoneyText(QStringView text);

// True for a text with one sign, one to three digits before it (the first not a zero) and exactly
// three after it, with an optional sign and spaces around: "1.234", "12,500", "-999.000". Read
// as decimals it may be a thousand times less than the writer meant (the sheet grouped the
// thousands); no reader can tell which, so amounts in such a form are refused where they come in.
bool isAmbiguousMoneyText(QStringView text);

// How amounts are written: the signs between thousands and before the decimals, and whether an
// amount below one keeps its zero before the decimal sign.
struct MoneyTextFormat {
    QString group;
    QString decimal;
    bool zeroBeforeDecimal = true;

    // The Portuguese way: "1.234,5000", "0,8500".
    static MoneyTextFormat portuguese();
    // The signs of `locale`; no grouping where the locale omits it.
    static MoneyTextFormat of(const QLocale& locale);
};

// `value` rounded half to even to `decimals` (0 to 4) and written with exactly that many, from the
// amount's own digits: "-1.234,5000" in the Portuguese format.
QString formatMoney(Money value, int decimals, const MoneyTextFormat& format);

}  // namespace agrimor
