#include "consolidation/checks.h"

#include <functional>

#include "consolidation/company_settings.h"
#include "consolidation/movement_query.h"
#include "core/anomaly_list.h"
#include "data/data_access.h"
#include "ledger/chart_of_accounts.h"
#include "ledger/code_tables.h"

namespace agrimor {

namespace {

bool hasRows(DataAccess& db, const QString& sql, const Params& params) {
    struct First : RowSink {
        bool found = false;
        void columns(const QList<ColumnInfo>&) override {}
        bool row(std::vector<Value>&) override {
            found = true;
            return false;
        }
    } first;
    db.queryEach(sql, params, first);
    return first.found;
}

// Collects a one-column result.
class TextColumn : public RowSink {
public:
    explicit TextColumn(std::function<void(const Value&)> take) : take_(std::move(take)) {}
    void columns(const QList<ColumnInfo>&) override {}
    bool row(std::vector<Value>& values) override {
        take_(values.front());
        return true;
    }

private:
    std::function<void(const Value&)> take_;
};

// Accounts compare as the databases' collation does: case and trailing spaces ignored.
QString accountKey(const QString& account) {
    qsizetype length = account.size();
    while (length > 0 && account.at(length - 1) == QLatin1Char(' '))
        --length;
    return account.left(length).toCaseFolded();
}

}  // namespace

void AccountChart::add(const QString& account) {
    keys_.insert(accountKey(account));
}

bool AccountChart::contains(const QString& account) const {
    return keys_.contains(accountKey(account));
}

void checkSettings(DataAccess& consolidated, const CompanySettings& settings, int year,
                   AnomalyList& anomalies) {
    if (settings.tpDoc.isEmpty())
        anomalies.append(kDocumentTypeEmpty);
    else if (!CodeTables(consolidated).documentType(settings.tpDoc))
        anomalies.append(settings.tpDoc + kDocumentTypeMissing);

    if (settings.contaArred.isEmpty()) {
        anomalies.append(kRoundingAccountEmpty);
        return;
    }
    if (!findChartAccount(consolidated, settings.contaArred, year))
        anomalies.append(settings.contaArred + kRoundingAccountMissing);
}

void checkPeriodFree(DataAccess& consolidated, const CompanySettings& settings,
                     const Period& period, AnomalyList& anomalies) {
    Params params{settings.tpDoc, settings.serie, period.year};
    params << periodParams(period);
    if (hasRows(
            consolidated,
            QStringLiteral("Select TpDoc from MovCtb where TpDoc=? and Serie=? and Ano=? and ") +
                periodFilter(period.cumulative),
            params))
        anomalies.append(kPeriodIntegrated);
}

CheckedAccounts checkAccounts(DataAccess& consolidated, DataAccess& company, const Period& period,
                              AnomalyList& anomalies) {
    CheckedAccounts checked;
    eachChartAccount(consolidated, period.year,
                     [&](const QString& account) { checked.chart.add(account); });

    const Params params = movementParams(period);
    AccountChart missing;
    struct Counts : RowSink {
        std::function<void(const Value&, std::int64_t)> take;
        void columns(const QList<ColumnInfo>&) override {}
        bool row(std::vector<Value>& values) override {
            take(values.at(0), values.at(1).toInt());
            return true;
        }
    } counts;
    counts.take = [&](const Value& account, std::int64_t lines) {
        checked.lines += lines;
        if (!checked.chart.contains(account.toText()))
            missing.add(account.toText());
    };
    company.queryEach(movementAccountCountsQuery(period.cumulative), params, counts);
    if (missing.size() == 0)
        return checked;

    TextColumn linesSink([&](const Value& account) {
        const QString text = account.toText();
        if (missing.contains(text))
            anomalies.append(text + kAccountMissing);
    });
    readMovements(company, period, QStringLiteral("m.Conta"), linesSink);
    return checked;
}

}  // namespace agrimor
