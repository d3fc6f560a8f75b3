#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "data/money.h"

namespace agrimor {

class DataAccess;
class Value;

// The rate table zeb_CNS_Cambios of the consolidated database: one rate per currency and date,
// each row with its Id. Reads come newest first in time order, whatever text form another program
// stored the date in.

struct StoredRate {
    int id = 0;
    QString currency;
    QDate date;
    std::optional<Money> rate;  // empty: Cambio is null
    int month = 0;              // the month of Data as the database reads it (readYearRates only)
};

// Every rate of `currency`. Throws DbError.
std::vector<StoredRate> readRates(DataAccess& db, const QString& currency);

// The rates of `currency` dated in the month. Throws DbError.
std::vector<StoredRate> readMonthRates(DataAccess& db, const QString& currency, int month,
                                       int year);

// The rates of `currency` dated in `year`, each with its month: the month reads of the whole year
// in one statement (the month board). Throws DbError.
std::vector<StoredRate> readYearRates(DataAccess& db, const QString& currency, int year);

// Writes the row with Id `id`, or adds one when there is no id or no such row. Runs inside the
// caller's transaction. Throws DbError.
void storeRateById(DataAccess& db, std::optional<int> id, const QString& currency, QDate date,
                   const std::optional<Money>& rate);

// Deletes the row with Id `id`. Throws DbError.
void deleteRate(DataAccess& db, int id);

// Sets the rate of `currency` (cut to the column's width) on the day of `date`, adding the row
// when there is none; sends it at once, so a failure belongs to this row. Runs inside the caller's
// transaction. Throws DbError.
void storeRateOfDay(DataAccess& db, const QString& currency, const Value& date, const Value& rate);

}  // namespace agrimor
