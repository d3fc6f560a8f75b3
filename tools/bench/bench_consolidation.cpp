// bench-consolidation [--table] [--odbc] [N ...]
// Seeds one company with N class-9 lines (USD, documents of 2 to 8 lines) beside a consolidated
// database, runs the check-up and the consolidation of that month through the services, and
// prints for each: wall time, lines per second, statements sent per 1,000 lines (both
// connections, as the component counts them; an array-bound batch counts once) and peak memory
// (VmHWM, reset before each command). Of the consolidation it also prints the time spent writing
// the lines (in the MovCTB writer, MovementWriter::writingSeconds) and compares it with the limit:
// the rows it wrote, read back and inserted into an empty database with one reused prepared
// INSERT in one transaction (bench_support.h, writtenRowsLimit).
// Defaults: N = 100000 and 1000000 on SQLite, then 100000 through the SQLite ODBC driver.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "consolidation/checks.h"
#include "consolidation/consolidation_commands.h"
#include "core/anomaly_list.h"
#include "data/data_access.h"
#include "data/own_tables.h"
#include "ledger/movement_line.h"
#include "tools/bench/bench_support.h"
#include "tools/seeder/demo_seeder.h"

namespace {

using namespace agrimor;
using namespace agrimor::bench;
using demo::Movement;

constexpr int kYear = 2024;
constexpr int kMonth = 3;
constexpr int kChunk = 20000;

QStringList accounts() {
    QStringList list;
    for (int i = 0; i < 40; ++i)
        list << QStringLiteral("9%1").arg(1100 + i * 7);
    return list;
}

// The company's lines, produced a chunk at a time so the benchmark itself stays small.
class LineGenerator {
public:
    explicit LineGenerator(int total) : remaining_(total) {}

    bool next(std::vector<Movement>& chunk) {
        chunk.clear();
        static const QStringList accountList = accounts();
        while (remaining_ > 0 && chunk.size() < static_cast<std::size_t>(kChunk)) {
            const int size =
                std::min<int>(remaining_, std::uniform_int_distribution<int>(2, 8)(random_));
            ++document_;
            std::int64_t balance = 0;
            for (int l = 1; l <= size; ++l) {
                Movement m;
                m.ano = kYear;
                m.mes = kMonth;
                m.tpDoc = QStringLiteral("FT");
                m.numDoc = document_;
                m.numLinha = l;
                m.conta = accountList.at(std::uniform_int_distribution<int>(0, 39)(random_));
                std::int64_t cents =
                    std::uniform_int_distribution<std::int64_t>(1, 500000)(random_);
                if (l == size) {
                    m.dbCr = balance > 0 ? 2 : 1;
                    cents = balance == 0 ? cents : std::llabs(balance);
                    if (balance == 0) {
                        m.dbCr = 1;  // a one-sided remainder still makes a line
                    }
                } else {
                    m.dbCr = l % 2 ? 1 : 2;
                }
                balance += m.dbCr == 1 ? cents : -cents;
                m.valor = Money::fromUnits(cents * 100);
                m.dataDoc = QDate(kYear, kMonth, 1 + document_ % 28);
                m.exercicio = kYear;
                m.diario = QStringLiteral("09");
                m.ref = QStringLiteral("FT %1/%2").arg(document_).arg(l);
                m.descr = QStringLiteral("Movimento analítico %1").arg(document_);
                m.sector = QStringLiteral("01");
                m.operador = QStringLiteral("bench");
                chunk.push_back(std::move(m));
            }
            remaining_ -= size;
        }
        return !chunk.empty();
    }

private:
    int remaining_;
    int document_ = 0;
    std::mt19937_64 random_{2024};
};

void seed(const QString& folder, bool odbc, int lines) {
    {
        auto consolidated = demo::createCompanyDatabase(folder + QStringLiteral("/Consolidado.db"));
        ensureOwnTables(*consolidated);
        Transaction transaction(*consolidated);
        Engine& engine = consolidated->engine();
        for (const QString& account : accounts() + QStringList{QStringLiteral("9999")})
            engine.execute(QStringLiteral("INSERT INTO POC (Conta, Exercicio) VALUES (?, ?)"),
                           {account, kYear});
        engine.execute(QStringLiteral("INSERT INTO TpDoc (Codigo) VALUES ('CNS')"), {});
        engine.execute(
            QStringLiteral("INSERT INTO zeb_CNS_DadosIniciais (BD, Setor, TpDoc, Serie, DataMov, "
                           "UltimoMes, Moeda, ContaArred, TpDocCL9, SerieCL9, DiarioCL9, AteMes) "
                           "VALUES (1, '01', 'CNS', '1', '2024-01-01', '', 'USD', '9999', 'CL9', "
                           "'1', '09', 0)"),
            {});
        engine.execute(
            QStringLiteral("INSERT INTO zeb_CNS_Parametros (BD, Servidor, Utilizador, Password, "
                           "Empresa) VALUES (1, ?, 'bench', '', 'Empresa.db')"),
            {odbc ? QStringLiteral("odbc") : QStringLiteral("sqlite")});
        for (const auto& [day, rate] : {std::pair{4, "1.0812"}, {11, "1.0907"}, {18, "1.0855"}})
            engine.execute(
                QStringLiteral(
                    "INSERT INTO zeb_CNS_Cambios (Moeda, Data, Cambio) VALUES ('USD', ?, ?)"),
                {QStringLiteral("2024-03-%1").arg(day, 2, 10, QLatin1Char('0')),
                 *Money::parse(QString::fromLatin1(rate))});
        transaction.commit();
    }
    auto company = demo::createCompanyDatabase(folder + QStringLiteral("/Empresa.db"));
    Transaction transaction(*company);
    LineGenerator generator(lines);
    std::vector<Movement> chunk;
    while (generator.next(chunk))
        demo::insertMovements(*company, chunk);
    transaction.commit();
}

void runCase(bool odbc, int lines) {
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder");
    say("%s, %d class-9 lines:\n", odbc ? "ODBC (SQLite ODBC driver)" : "SQLite", lines);
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    seed(folder.path(), odbc, lines);
    say("  (seeded in %.1f s)\n", seconds(timer));

    DataAccess consolidated;
    consolidated.connect(settingsFor(odbc, folder.path(), QStringLiteral("Consolidado.db")));
    SilentPrompter prompter;
    ConsolidationEnvironment environment(consolidated, prompter, folder.path());
    const ProcessingInput input{QString::number(kYear), kMonth, {{1, QStringLiteral("Velmor")}}};

    Figures accountTest;
    {
        DataAccess company;
        company.connect(settingsFor(odbc, folder.path(), QStringLiteral("Empresa.db")));
        AnomalyList anomalies;
        const std::int64_t before = consolidated.roundTrips();
        resetPeak();
        timer.restart();
        checkAccounts(consolidated, company, {kYear, kMonth, false}, anomalies);
        accountTest = {seconds(timer), consolidated.roundTrips() - before + company.roundTrips(),
                       peakKiB()};
        if (!anomalies.isEmpty())
            throw std::runtime_error("unexpected anomalies in the account test");
    }

    std::int64_t before = consolidated.roundTrips();
    resetPeak();
    timer.restart();
    const CommandResult checkUp = runCheckUp(environment, input);
    const Figures checkUpFigures{
        seconds(timer), consolidated.roundTrips() - before + checkUp.companyStatements, peakKiB()};
    if (checkUp.outcome != CommandOutcome::Done)
        throw std::runtime_error((QStringLiteral("check-up: ") + prompter.last).toStdString());

    before = consolidated.roundTrips();
    resetPeak();
    MovementWriter::keepWritingTime(true);
    timer.restart();
    const CommandResult run = runConsolidation(environment, input);
    const Figures runFigures{seconds(timer),
                             consolidated.roundTrips() - before + run.companyStatements, peakKiB()};
    const Figures writing{MovementWriter::writingSeconds(), -1, 0};
    MovementWriter::keepWritingTime(false);
    if (run.outcome != CommandOutcome::Done || run.written.empty())
        throw std::runtime_error((QStringLiteral("consolidation: ") + prompter.last).toStdString());
    const WriteSummary& summary = run.written.front().second;

    resetPeak();
    const double limit =
        writtenRowsLimit(folder.path(), QStringLiteral("Consolidado.db"), {}, odbc);
    const Figures limitFigures{limit, -1, peakKiB()};

    print("check-up (whole command)", checkUpFigures, lines);
    print("  of which the account test", accountTest, lines);
    print("consolidation (whole command)", runFigures, lines);
    print("  of which writing the lines", writing, lines);
    printLimit(limitFigures, lines, odbc);
    printRatio("writing / limit", writing.seconds / limit);
    printRatio("whole command / limit", runFigures.seconds / limit);
    say("  written: %d lines (%d rounding) in %d documents\n\n", summary.lines,
        summary.roundingLines, summary.documents);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    return runCases(argc, argv, "bench-consolidation", 1,
                    {{false, 100000}, {false, 1000000}, {true, 100000}}, runCase);
}
