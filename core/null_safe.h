#pragma once

#include <QLocale>
#include <QString>

#include "data/money.h"
#include "data/value.h"

namespace agrimor {

// Null-safe conversions of database and table values (Value). None of them fails: a null, a value
// never set or a value that is not a number gives "" or 0.
//
// Text counts as a number when, in `locale`, it is digits with an optional leading sign, at most
// one decimal separator and group separators between digits of the whole part; spaces around it
// are allowed. Exponents, currency symbols and parentheses are not numbers.

// "" for a null, a value never set and the empty text; otherwise the value as text.
QString nullSafeText(const Value& value);

// The value rounded to a whole number, halves to the even neighbour; 0 when it is not a number or
// the result lies outside -32768..32767.
short nullSafeWhole(const Value& value, const QLocale& locale = QLocale());

// The value as a currency amount of four decimals (halves to even); zero when it is not a number
// or does not fit the currency's range. Sums should use this form: they stay exact.
Money nullSafeMoney(const Value& value, const QLocale& locale = QLocale());

}  // namespace agrimor
