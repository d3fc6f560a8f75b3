#pragma once

#include <QString>

namespace agrimor {

// The group reports in euros. A company whose currency is "EUR" (exactly so written) or that
// names none keeps its books in euros: it needs no exchange rate, its month rate is 1 and its
// settings tab has no rate grid.
inline bool needsNoRate(const QString& currency) {
    return currency.isEmpty() || currency == QLatin1String("EUR");
}

}  // namespace agrimor
