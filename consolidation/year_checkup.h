#pragma once

#include <QString>
#include <vector>

#include "consolidation/checks.h"
#include "core/month_counts.h"
#include "ledger/rate_table.h"

namespace agrimor {

class DataAccess;
struct CompanySettings;

// The check-up of every month of a year for one company, counted instead of listed: for each
// month, how many anomalies runCheckUp() would report for that company and month, from a few
// grouped statements over the year, with nothing written and no file. The checks are the same
// ones in the same terms: the month rate's rows (monthRateOf), the settings check
// (checkSettings, once: it does not depend on the month), the period check over the lines
// periodLinesByMonth() counts (months 1 to the month when the company's settings say so), the
// company database that could not be reached (one anomaly) and the account check over the lines
// yearMovementAccountCountsQuery() counts, against the same chart.

// The consolidated chart of accounts of `year`, as the account check compares it.
AccountChart readAccountChart(DataAccess& consolidated, int year);

// The consolidated database's MovCTB lines of a document type and series in `year`, per Mes:
// what the period check looks for, every month in one statement.
MonthCounts periodLinesByMonth(DataAccess& consolidated, const QString& tpDoc, const QString& serie,
                               int year);

struct YearCheckUpInput {
    const CompanySettings& settings;
    int year = 0;
    DataAccess* company = nullptr;         // null: the company database could not be reached
    const std::vector<StoredRate>& rates;  // readYearRates() of the company's currency
    const MonthCounts& periodLines;        // periodLinesByMonth() of its type and series
    const AccountChart& chart;             // readAccountChart() of the year
};

// The anomalies of each month's check-up. Reads the consolidated database for the settings check
// and the company database for its class-9 lines' accounts (one statement). Throws DbError.
MonthCounts countYearAnomalies(DataAccess& consolidated, const YearCheckUpInput& input);

}  // namespace agrimor
