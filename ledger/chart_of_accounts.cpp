#include "ledger/chart_of_accounts.h"

#include "data/data_access.h"

namespace agrimor {

namespace {

// Hands the first column of every row to `take`.
class FirstColumn : public RowSink {
public:
    explicit FirstColumn(const std::function<void(const QString&)>& take) : take_(take) {}
    void columns(const QList<ColumnInfo>&) override {}
    bool row(std::vector<Value>& values) override {
        take_(values.front().toText());
        return true;
    }

private:
    const std::function<void(const QString&)>& take_;
};

}  // namespace

std::optional<ChartAccount> findChartAccount(DataAccess& db, const QString& account, int year) {
    const Recordset row = db.openReadOnly(
        QStringLiteral("Select Conta,Descr,NivInt from POC where Conta=? and Exercicio=?"),
        {account, year});
    if (row.isEmpty())
        return std::nullopt;
    ChartAccount found{row.field(0).toText(), row.field(1).toText(), std::nullopt};
    if (const Value& level = row.field(2); !level.isNull())
        found.nivInt = static_cast<int>(level.toInt());
    return found;
}

void eachChartAccount(DataAccess& db, int year, const std::function<void(const QString&)>& take) {
    FirstColumn sink(take);
    db.queryEach(QStringLiteral("Select Conta from POC where Exercicio=?"), {year}, sink);
}

std::vector<ChartAccount> chartAccountsStartingWith(DataAccess& db, int year,
                                                    const QString& prefix) {
    std::vector<ChartAccount> accounts;
    Recordset rows = db.openReadOnly(
        QStringLiteral(
            "SELECT Conta, Descr FROM POC WHERE Exercicio=? AND Conta LIKE ? ORDER BY Conta"),
        {year, prefix + QLatin1Char('%')});
    for (; !rows.eof(); rows.moveNext())
        accounts.push_back({rows.field(0).toText(), rows.field(1).toText(), std::nullopt});
    return accounts;
}

}  // namespace agrimor
