#pragma once

#include <QString>
#include <optional>
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
// company database that could not be reached (one anomaly) and the account check over the
// company's class-9 lines, against the same chart.

// The consolidated chart of accounts of `year`, as the account check compares it.
AccountChart readAccountChart(DataAccess& consolidated, int year);

// The consolidated database's MovCTB lines of a document type and series in `year`, per Mes:
// what the period check looks for, every month in one statement.
MonthCounts periodLinesByMonth(DataAccess& consolidated, const QString& tpDoc, const QString& serie,
                               int year);

// The company's class-9 lines of `year` on an account missing from `chart`, per Mes: what the
// account check of each month would report, one anomaly a line. Reads the company database only:
// the year's distinct accounts, and only when one of them is missing, its lines per month and
// account (yearMovementAccountCountsQuery()). Throws DbError.
MonthCounts yearMissingAccountLines(DataAccess& company, int year, const AccountChart& chart);

struct YearCheckUpInput {
    const CompanySettings& settings;
    int year = 0;
    // yearMissingAccountLines() of the company; empty when its database could not be reached.
    const std::optional<MonthCounts>& missingAccountLines;
    const std::vector<StoredRate>& rates;  // readYearRates() of the company's currency
    const MonthCounts& periodLines;        // periodLinesByMonth() of its type and series
};

// The anomalies of each month's check-up. Reads the consolidated database for the settings check.
// Throws DbError.
MonthCounts countYearAnomalies(DataAccess& consolidated, const YearCheckUpInput& input);

}  // namespace agrimor
