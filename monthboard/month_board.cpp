#include "monthboard/month_board.h"

#include <QStringList>
#include <algorithm>
#include <atomic>
#include <exception>
#include <map>
#include <memory>
#include <thread>

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

// What the board holds of one company while it reads it: what the consolidated database says of
// it, and its own database once connected.
struct CompanyReading {
    BoardCompany* board = nullptr;
    std::optional<CompanySettingsRow> row;
    QString class9Type;
    std::optional<MonthCounts> consolidatedLines;
    std::vector<StoredRate> rates;
    std::unique_ptr<DataAccess> company;
    std::exception_ptr unreadable;  // the check-up stops at it: no settings, no other figure

    // Read from the company's own database, on a thread of their own.
    std::optional<MonthCounts> movements;
    std::optional<MonthCounts> class9;
    std::optional<MonthCounts> missingAccountLines;
    std::exception_ptr companyFailure;   // reading its lines failed: no figure from them
    std::exception_ptr accountsFailure;  // reading its accounts failed: no anomaly count

    // A company in another currency than the euro: its rates count.
    bool needsRate() const { return !needsNoRate(board->currency); }
};

// What the consolidated database says of a company before its lines are read: its settings row,
// and its own database reached as the check-up reaches it (its stored parameters, a failure to
// connect being one anomaly of every month).
void readSettingsAndConnect(DataAccess& consolidated, CompanyReading& reading) {
    BoardCompany& board = *reading.board;
    reading.row = readCompanySettingsRow(consolidated, board.bd);
    const std::optional<CompanySettingsRow>& row = reading.row;
    reading.class9Type = row && row->tpDocCL9 ? *row->tpDocCL9 : QString();
    board.currency = row && row->moeda ? *row->moeda : QString();
    try {
        AnomalyList unreachable;
        reading.company =
            connectCompany(consolidated, readCompanyParameters(consolidated, board.bd),
                           CompanyOpenFailureReport::toAnomalies(unreachable));
        board.reached = reading.company != nullptr;
    } catch (const Error&) {
        reading.unreadable = std::current_exception();
    }
}

// The consolidated database's figures of every company: its consolidated lines and the rates of
// its currency.
void readConsolidatedFigures(DataAccess& consolidated, int year,
                             std::vector<CompanyReading>& readings) {
    for (CompanyReading& reading : readings) {
        const std::optional<CompanySettingsRow>& row = reading.row;
        if (row && row->tpDoc && row->serie)
            reading.consolidatedLines =
                periodLinesByMonth(consolidated, *row->tpDoc, *row->serie, year);
        if (reading.needsRate())
            reading.rates = readYearRates(consolidated, reading.board->currency, year);
    }
}

// The company's own database: its general and class-9 lines and its accounts, in the order the
// check-up meets them. Touches nothing but `reading` and its connection, so companies can be read
// side by side.
void readCompanyPart(int year, const AccountChart& chart, CompanyReading& reading) {
    if (!reading.company)
        return;
    try {
        reading.movements = class9SourceLinesByMonth(*reading.company, year);
        if (!reading.class9Type.isEmpty())
            reading.class9 =
                integratedClass9LinesByMonth(*reading.company, year, reading.class9Type);
    } catch (...) {
        reading.companyFailure = std::current_exception();
        return;
    }
    try {
        reading.missingAccountLines = yearMissingAccountLines(*reading.company, year, chart);
    } catch (...) {
        reading.accountsFailure = std::current_exception();
    }
}

// Reads the figures of every company: the consolidated database's on one thread (it is one
// connection), each company's own database on another, on as many threads as the machine has
// cores, the grouped statements being each a scan of a year of lines. A failure of the
// consolidated database is thrown once every thread is done.
void readFigures(DataAccess& consolidated, int year, const AccountChart& chart,
                 std::vector<CompanyReading>& readings) {
    std::exception_ptr consolidatedFailure;
    // Task 0 is the consolidated database's, task i the i-th company's.
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t task = next++; task <= readings.size(); task = next++) {
            if (task > 0) {
                readCompanyPart(year, chart, readings[task - 1]);
                continue;
            }
            try {
                readConsolidatedFigures(consolidated, year, readings);
            } catch (...) {
                consolidatedFailure = std::current_exception();
            }
        }
    };
    const std::size_t threads = std::min<std::size_t>(
        std::max(1u, std::thread::hardware_concurrency()), readings.size() + 1);
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < threads; ++i)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    if (consolidatedFailure)
        std::rethrow_exception(consolidatedFailure);
}

// The company's figures and cells from what was read. A failure the check-up would stop at (its
// settings refused, a table missing from its database) becomes the company's problem and leaves
// the figures it prevented empty.
void fillCompany(DataAccess& consolidated, int year, CompanyReading& reading) {
    BoardCompany& board = *reading.board;
    std::optional<MonthCounts> anomalies;
    try {
        if (reading.unreadable)
            std::rethrow_exception(reading.unreadable);
        if (reading.companyFailure)
            std::rethrow_exception(reading.companyFailure);
        const CompanySettings settings = companySettingsOf(reading.row, board.bd);
        if (reading.accountsFailure)
            std::rethrow_exception(reading.accountsFailure);
        anomalies = countYearAnomalies(consolidated,
                                       {settings, year, reading.missingAccountLines, reading.rates,
                                        reading.consolidatedLines.value_or(MonthCounts{})});
    } catch (const Error& error) {
        board.problem = error.message();
    }

    for (int month = 1; month <= 12; ++month) {
        const auto at = static_cast<std::size_t>(month);
        BoardCell& cell = board.months[at - 1];
        cell.month = month;
        if (reading.movements)
            cell.movements = (*reading.movements)[at];
        if (reading.class9)
            cell.class9 = (*reading.class9)[at];
        if (reading.needsRate()) {
            std::int64_t count = 0;
            for (const StoredRate& rate : reading.rates) {
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
        if (reading.consolidatedLines)
            cell.consolidated = (*reading.consolidatedLines)[at];
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

    const AccountChart chart = readAccountChart(consolidated, year);
    const std::map<std::pair<int, int>, QDateTime> runs = readConsolidationRuns(consolidated, year);
    const QStringList& names = groupCompanyNames();
    board.companies.resize(static_cast<std::size_t>(names.size()));
    std::vector<CompanyReading> readings(board.companies.size());
    for (std::size_t at = 0; at < readings.size(); ++at) {
        BoardCompany& company = board.companies[at];
        company.bd = static_cast<int>(at) + 1;
        company.name = names.at(company.bd - 1);
        readings[at].board = &company;
        readSettingsAndConnect(consolidated, readings[at]);
    }
    readFigures(consolidated, year, chart, readings);

    std::int64_t companyStatements = 0;
    for (CompanyReading& reading : readings) {
        fillCompany(consolidated, year, reading);
        if (reading.company)
            companyStatements += reading.company->roundTrips();
        for (BoardCell& cell : reading.board->months)
            if (const auto run = runs.find({reading.board->bd, cell.month}); run != runs.end())
                cell.consolidatedAt = run->second;
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
