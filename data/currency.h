#pragma once

#include <QString>
#include <QStringView>
#include <optional>

#include "data/money.h"
#include "data/money_text.h"

namespace agrimor {

// The group reports in euros. A company whose currency is "EUR" (exactly so written) or that
// names none keeps its books in euros: it needs no exchange rate, its month rate is 1 and its
// settings tab has no rate grid.
inline bool needsNoRate(const QString& currency) {
    return currency.isEmpty() || currency == QLatin1String("EUR");
}

// A rate divides a company's amounts: only one above zero can. The company tab's rate grid and
// the rate import take no other, and the month's rate reports any other it finds stored.
inline bool isUsableRate(Money rate) {
    return rate.units() > 0;
}

// What the user is told of a rate that is not a number or not a usable one.
inline const QString kInvalidRate = QStringLiteral("Valor inválido!");

// A rate typed or held as text (parseMoneyText, four decimals); nothing when it is not a number
// or not a usable rate.
inline std::optional<Money> parseRateText(QStringView text) {
    const std::optional<Money> rate = parseMoneyText(text);
    return rate && isUsableRate(*rate) ? rate : std::nullopt;
}

}  // namespace agrimor
