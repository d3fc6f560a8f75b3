#include "monthboard/month_board.h"

#include <QStringList>
#include <map>
#include <memory>

#include "class9/derivation.h"
#include "class9/existing_movements.h"
#include "consolidation/company_settings.h"
#include "consolidation/year_checkup.h"
#include "core/anomaly_list.h"
#include "core/companies.h"
#include "core/company_opening.h"
#include "data/company_connection.h"
#include "data/currency.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "data/error.h"
#include "ledger/company_settings_store.h"
#include "ledger/rate_table.h"

namespace agrimor {

namespace {

bool positive(const std::optional<std::int64_t>& count) {
    return count.value_or(0) > 0;
}

// The end of the last successful consolidation run of each company (its place in the group)
// and month of `year`, from the run log of the consolidated database. A database without the
// run log yet has had no run recorded.
std::map<std::pair<int, int>, QDateTime> readConsolidationRuns(DataAccess& consolidated, int year) {
    std::map<std::pair<int, int>, QDateTime> runs;
    struct Runs : RowSink {
        std::map<std::pair<int, int>, QDateTime>* runs = nullptr;
        void columns(const QList<ColumnInfo>&) override {}
        bool row(std::vector<Value>& values) override {
            const QDateTime end = values.at(2).toDateTime();
            if (end.isValid())
                (*runs)[{static_cast<int>(values.at(0).toInt()),
                         static_cast<int>(values.at(1).toInt())}] = end;
            return true;
        }
    } sink;
    sink.runs = &runs;
    try {
        consolidated.queryEach(
            QStringLiteral("select Empresa, Mes, max(Fim) as Fim from zeb_CNS_Registo"
                           " where Tarefa=? and Resultado=? and Ano=? group by Empresa, Mes"),
            {QStringLiteral("consolidacao"), QStringLiteral("efetuado"), year}, sink);
    } catch (const DbError& error) {
        if (error.number() != DbError::kMissingTable)
            throw;
        runs.clear();
    }
    return runs;
}

// What the board reads of one company; `chart` is the year's consolidated chart of accounts,
// read once for every company.
void readCompany(DataAccess& consolidated, int year, const AccountChart& chart, BoardCompany& board,
                 std::int64_t& companyStatements) {
    const std::optional<CompanySettingsRow> row = readCompanySettingsRow(consolidated, board.bd);
    const QString tpDoc = row && row->tpDoc ? *row->tpDoc : QString();
    const QString serie = row && row->serie ? *row->serie : QString();
    const QString class9Type = row && row->tpDocCL9 ? *row->tpDocCL9 : QString();
    board.currency = row && row->moeda ? *row->moeda : QString();

    std::optional<MonthCounts> consolidatedLines;
    if (row && row->tpDoc && row->serie)
        consolidatedLines = periodLinesByMonth(consolidated, tpDoc, serie, year);
    std::vector<StoredRate> rates;
    const bool needsRate = !needsNoRate(board.currency);
    if (needsRate)
        rates = readYearRates(consolidated, board.currency, year);

    // Reached as the check-up reaches it: its stored parameters, a failure to connect being
    // one anomaly of every month.
    std::unique_ptr<DataAccess> company;
    std::optional<MonthCounts> movements;
    std::optional<MonthCounts> class9;
    std::optional<MonthCounts> anomalies;
    try {
        AnomalyList unreachable;
        company = connectCompany(consolidated, readCompanyParameters(consolidated, board.bd),
                                 CompanyOpenFailureReport::toAnomalies(unreachable));
        board.reached = company != nullptr;
        if (company) {
            movements = class9SourceLinesByMonth(*company, year);
            if (!class9Type.isEmpty())
                class9 = integratedClass9LinesByMonth(*company, year, class9Type);
        }
        const CompanySettings settings = companySettingsOf(row, board.bd);
        anomalies =
            countYearAnomalies(consolidated, {settings, year, company.get(), rates,
                                              consolidatedLines.value_or(MonthCounts{}), chart});
    } catch (const Error& error) {
        // What the check-up would stop at for this company (its settings refused, a table
        // missing from its database): the other companies are read all the same.
        board.problem = error.message();
    }
    if (company)
        companyStatements += company->roundTrips();

    for (int month = 1; month <= 12; ++month) {
        const auto at = static_cast<std::size_t>(month);
        BoardCell& cell = board.months[at - 1];
        cell.month = month;
        if (movements)
            cell.movements = (*movements)[at];
        if (class9)
            cell.class9 = (*class9)[at];
        if (needsRate) {
            std::int64_t count = 0;
            for (const StoredRate& rate : rates) {
                if (rate.month != month)
                    continue;
                ++count;
                if (!rate.rate || !isUsableRate(*rate.rate))
                    cell.unusableRate = true;
            }
            cell.rates = count;
        }
        if (anomalies)
            cell.anomalies = (*anomalies)[at];
        if (consolidatedLines)
            cell.consolidated = (*consolidatedLines)[at];
    }
}

QString countText(const std::optional<std::int64_t>& count) {
    return count ? QString::number(*count) : QString();
}

}  // namespace

CellState cellState(const BoardCell& cell) {
    if (positive(cell.consolidated))
        return CellState::Done;
    if (!cell.movements)
        return CellState::Anomalies;
    if (!positive(cell.movements) && !positive(cell.class9))
        return CellState::Nothing;
    if (!cell.anomalies || *cell.anomalies > 0)
        return CellState::Anomalies;
    return CellState::Partial;
}

NextJob nextJob(const BoardCell& cell) {
    if (positive(cell.consolidated))
        return NextJob::Consolidation;
    if (!positive(cell.movements) && !positive(cell.class9))
        return NextJob::MovementImport;
    if (cell.class9 && *cell.class9 == 0)
        return NextJob::Class9;
    if (cell.rates && (*cell.rates == 0 || cell.unusableRate))
        return NextJob::RateImport;
    return NextJob::Consolidation;
}

MonthBoard readMonthBoard(DataAccess& consolidated, int year) {
    MonthBoard board;
    board.year = year;
    const std::int64_t before = consolidated.roundTrips();
    std::int64_t companyStatements = 0;

    const AccountChart chart = readAccountChart(consolidated, year);
    const std::map<std::pair<int, int>, QDateTime> runs = readConsolidationRuns(consolidated, year);
    const QStringList& names = groupCompanyNames();
    for (int bd = 1; bd <= names.size(); ++bd) {
        BoardCompany company;
        company.bd = bd;
        company.name = names.at(bd - 1);
        readCompany(consolidated, year, chart, company, companyStatements);
        for (BoardCell& cell : company.months)
            if (const auto run = runs.find({bd, cell.month}); run != runs.end())
                cell.consolidatedAt = run->second;
        board.companies.push_back(std::move(company));
    }
    board.statements = consolidated.roundTrips() - before + companyStatements;
    return board;
}

QString boardHeader() {
    return QStringLiteral(
        "Empresa\tMes\tMovimentos\tClasse9\tCambios\tAnomalias\tConsolidado\t"
        "ConsolidadoEm");
}

QString consolidatedAtText(const QDateTime& at) {
    return at.isValid() ? at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QString boardLine(const BoardCompany& company, const BoardCell& cell) {
    QString rates = QStringLiteral("-");
    if (cell.rates)
        rates =
            QString::number(*cell.rates) + (cell.unusableRate ? QStringLiteral("!") : QString());
    return QStringList{QString::number(company.bd),
                       QString::number(cell.month),
                       countText(cell.movements),
                       countText(cell.class9),
                       rates,
                       countText(cell.anomalies),
                       countText(cell.consolidated),
                       consolidatedAtText(cell.consolidatedAt)}
        .join(QLatin1Char('\t'));
}

}  // namespace agrimor
