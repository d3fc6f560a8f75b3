#include "consolidation/year_checkup.h"

#include "consolidation/company_settings.h"
#include "consolidation/month_rate.h"
#include "consolidation/movement_query.h"
#include "core/anomaly_list.h"
#include "data/data_access.h"
#include "ledger/chart_of_accounts.h"

namespace agrimor {

namespace {

// The lines the check of month `month` sees: that month, or months 1 to it.
std::int64_t inPeriod(const MonthCounts& counts, int month, bool cumulative) {
    if (!cumulative)
        return counts[static_cast<std::size_t>(month)];
    std::int64_t total = 0;
    for (int m = 1; m <= month; ++m)
        total += counts[static_cast<std::size_t>(m)];
    return total;
}

}  // namespace

AccountChart readAccountChart(DataAccess& consolidated, int year) {
    AccountChart chart;
    eachChartAccount(consolidated, year, [&](const QString& account) { chart.add(account); });
    return chart;
}

MonthCounts periodLinesByMonth(DataAccess& consolidated, const QString& tpDoc, const QString& serie,
                               int year) {
    MonthCountsSink counts;
    consolidated.queryEach(QStringLiteral("Select Mes, count(*) as Linhas from MovCtb where "
                                          "TpDoc=? and Serie=? and Ano=? group by Mes"),
                           {tpDoc, serie, year}, counts);
    return counts.counts;
}

MonthCounts yearMissingAccountLines(DataAccess& company, int year, const AccountChart& chart) {
    // Most years have no account missing: their distinct accounts say so without a count of
    // every line per month and account.
    bool anyMissing = false;
    EachRow account([&](std::vector<Value>& values) {
        if (!values.at(0).isNull() && !chart.contains(values.at(0).toText()))
            anyMissing = true;
    });
    company.queryEach(yearMovementAccountsQuery(), {year}, account);

    MonthCounts missing{};
    if (!anyMissing)
        return missing;
    EachRow take([&](std::vector<Value>& values) {
        if (!values.at(0).isNull() && !chart.contains(values.at(1).toText()))
            addToMonth(missing, values.at(0).toInt(), values.at(2).toInt());
    });
    company.queryEach(yearMovementAccountCountsQuery(), {year}, take);
    return missing;
}

MonthCounts countYearAnomalies(DataAccess& consolidated, const YearCheckUpInput& input) {
    const CompanySettings& settings = input.settings;
    AnomalyList settingsAnomalies;
    checkSettings(consolidated, settings, input.year, settingsAnomalies);

    MonthCounts anomalies{};
    for (int month = 1; month <= 12; ++month) {
        std::vector<StoredRate> monthRates;
        for (const StoredRate& rate : input.rates)
            if (rate.month == month)
                monthRates.push_back(rate);
        AnomalyList found;
        monthRateOf(settings.moeda, monthRates, found);
        std::int64_t count = found.size() + settingsAnomalies.size();
        if (inPeriod(input.periodLines, month, settings.cumulative()) > 0)
            ++count;
        count += input.missingAccountLines
                     ? inPeriod(*input.missingAccountLines, month, settings.cumulative())
                     : 1;
        anomalies[static_cast<std::size_t>(month)] = count;
    }
    return anomalies;
}

}  // namespace agrimor
