#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace agrimor {

class DataAccess;

// The chart of accounts (POC): one chart per year (Exercicio). Accounts compare as the database's
// collation does (case and trailing spaces ignored).

// One account of a year's chart.
struct ChartAccount {
    QString conta;
    QString descr;
    std::optional<int> nivInt;  // the account's level; null or 0: it takes movements

    bool takesMovements() const { return !nivInt || *nivInt == 0; }
};

// `account` in the year's chart; nothing when the chart has no such account. Throws DbError.
std::optional<ChartAccount> findChartAccount(DataAccess& db, const QString& account, int year);

// Every account code of the year's chart, handed to `take` as it is read (a chart is not held
// whole). Throws DbError.
void eachChartAccount(DataAccess& db, int year, const std::function<void(const QString&)>& take);

// The year's accounts whose code begins with `prefix` (a plain code, no wildcards), by code, with
// their descriptions. Throws DbError.
std::vector<ChartAccount> chartAccountsStartingWith(DataAccess& db, int year,
                                                    const QString& prefix);

}  // namespace agrimor
