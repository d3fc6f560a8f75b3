#include "consolidation/month_rate.h"

#include <limits>

#include "consolidation/consolidation_error.h"
#include "consolidation/processing_input.h"
#include "core/anomaly_list.h"
#include "data/currency.h"
#include "data/data_access.h"
#include "data/day_month_year.h"
#include "ledger/rate_table.h"

namespace agrimor {

Money meanRate(const std::vector<Money>& rates) {
    __int128 sum = 0;
    for (const Money rate : rates)
        sum += rate.units();
    return Money::fromUnits(divideHalfEven(sum, static_cast<__int128>(rates.size())));
}

Money convertToEuros(Money amount, Money rate) {
    if (!isUsableRate(rate))
        throw ConsolidationError(
            QStringLiteral("O câmbio do mês (%1) não permite converter os valores")
                .arg(rate.toString(4)));
    // amount / rate in cents: units * 100 / rateUnits, then back to ten-thousandths. A quotient
    // that would not fit an amount (a huge value over a tiny rate) is refused, never wrapped.
    const __int128 numerator = static_cast<__int128>(amount.units()) * 100;
    constexpr __int128 kMaxCents = std::numeric_limits<std::int64_t>::max() / 100;
    const __int128 truncated = numerator / rate.units();
    if (truncated >= kMaxCents || truncated <= -kMaxCents)
        throw ConsolidationError(
            QStringLiteral("O valor %1 convertido com o câmbio %2 excede o montante máximo")
                .arg(amount.toString(4), rate.toString(4)));
    const std::int64_t cents = divideHalfEven(numerator, rate.units());
    return Money::fromUnits(cents * 100);
}

QString invalidRateAnomaly(const QString& currency, QDate date, bool negative) {
    return QStringLiteral("Câmbio %1 para a moeda %2 em %3")
        .arg(negative ? QStringLiteral("negativo") : QStringLiteral("nulo ou zero"), currency,
             dayMonthYear(date));
}

Money monthRate(DataAccess& db, const QString& currency, int month, int year,
                AnomalyList& anomalies) {
    if (needsNoRate(currency))
        return Money::fromWhole(1);
    return monthRateOf(currency, readMonthRates(db, currency, month, year), anomalies);
}

Money monthRateOf(const QString& currency, const std::vector<StoredRate>& rates,
                  AnomalyList& anomalies) {
    if (needsNoRate(currency))
        return Money::fromWhole(1);
    if (rates.empty()) {
        anomalies.append(kNoRateForMonth);
        return Money::fromWhole(1);
    }
    std::vector<Money> values;
    values.reserve(rates.size());
    bool invalid = false;
    for (const StoredRate& rate : rates) {
        const Money value = rate.rate.value_or(Money());
        if (!rate.rate || !isUsableRate(value)) {
            anomalies.append(invalidRateAnomaly(currency, rate.date, value.units() < 0));
            invalid = true;
            continue;
        }
        values.push_back(value);
    }
    return invalid ? Money::fromWhole(1) : meanRate(values);
}

}  // namespace agrimor
