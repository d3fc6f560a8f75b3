#pragma once

#include <QDate>
#include <QString>
#include <vector>

#include "data/money.h"
#include "ledger/rate_table.h"

namespace agrimor {

class AnomalyList;
class DataAccess;

inline const QString kNoRateForMonth = QStringLiteral("Nao existe câmbio para o mês a integrar");

// The anomaly of a rate row of the month that can not divide an amount: "Câmbio nulo ou zero
// para a moeda USD em 15-10-2026" (or "Câmbio negativo ...").
QString invalidRateAnomaly(const QString& currency, QDate date, bool negative);

// The rate a company's amounts are divided by for one month: 1 for "EUR" (exactly so written)
// and for no currency, without reading anything; otherwise the mean of the currency's rates
// dated in that month of zeb_CNS_Cambios. No rate in the month gives 1 and appends
// kNoRateForMonth to `anomalies`. A row of the month whose rate is null, zero or negative (the
// column takes nulls and other tools write it) is never averaged in: it appends one
// invalidRateAnomaly() per such row and the result is 1.
Money monthRate(DataAccess& db, const QString& currency, int month, int year,
                AnomalyList& anomalies);

// The same from the rates of the month already read (`rates`: the currency's rows dated in it).
Money monthRateOf(const QString& currency, const std::vector<StoredRate>& rates,
                  AnomalyList& anomalies);

// The mean of `rates`, summed exactly and rounded to four decimals with a half going to the
// even neighbour. 1.0812, 1.0907 and 1.0855 give 1.0858. The list must not be empty.
Money meanRate(const std::vector<Money>& rates);

// An amount in the company's currency converted with `rate` and rounded to cents, a half going
// to the even neighbour; the quotient is exact (no floating point). The rate must be positive and
// the result must fit an amount; otherwise it throws ConsolidationError.
Money convertToEuros(Money amount, Money rate);

}  // namespace agrimor
