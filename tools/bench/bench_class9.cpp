// bench-class9 [--table] [--odbc] [N ...]
// Seeds one company with a month of N general-accounting lines (documents of 2 to 8 lines,
// mapped accounts, some project costing codes), then runs the class-9 load (existence tests and
// derivation into the working set) and the confirmation of the whole working set through the
// services, and prints for each: wall time, lines per second, statements sent to the company
// database per 1,000 lines (an array-bound batch counts once) and peak memory (VmHWM, reset
// before each command). Of the confirmation it also prints the time spent writing the lines (in
// the MovCTB writer) and compares it with the limit: the rows it wrote, read back and inserted
// into an empty database with one reused prepared INSERT in one transaction (bench_support.h,
// writtenRowsLimit). Writing one row per statement, with a query for each row's
// source line and template as the program's earlier releases did, sends about 3,000 statements per
// 1,000 lines.
// Defaults: N = 100000 on SQLite, then 100000 through the SQLite ODBC driver.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>

#include "class9/class9_commands.h"
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

// General accounts and the class-9 accounts they map to (debit, credit).
struct Mapping {
    QString account;
    QString debit;
    QString credit;
};

const std::vector<Mapping>& mappings() {
    static const std::vector<Mapping> list = [] {
        std::vector<Mapping> result;
        for (int i = 0; i < 30; ++i)
            result.push_back({QStringLiteral("6%1").arg(210 + i * 3),
                              QStringLiteral("96%1").arg(210 + i * 3),
                              QStringLiteral("96%1").arg(211 + i * 3)});
        return result;
    }();
    return list;
}

// The month's general lines, produced a chunk at a time so the benchmark itself stays small.
class LineGenerator {
public:
    explicit LineGenerator(int total) : total_(total), remaining_(total) {}

    bool next(std::vector<Movement>& chunk) {
        chunk.clear();
        while (remaining_ > 0 && chunk.size() < static_cast<std::size_t>(kChunk)) {
            const int size =
                std::min<int>(remaining_, std::uniform_int_distribution<int>(2, 8)(random_));
            ++document_;
            const QString type = document_ % 3 ? QStringLiteral("FT") : QStringLiteral("FC");
            // Documents are numbered in date order over the month's first 28 days.
            const QDate date(kYear, kMonth,
                             1 + std::min<int>(27, static_cast<int>((document_ - 1) * 28LL * 5 /
                                                                    std::max(1, total_))));
            for (int l = 1; l <= size; ++l) {
                const Mapping& account = mappings().at(
                    std::uniform_int_distribution<std::size_t>(0, mappings().size() - 1)(random_));
                Movement m;
                m.ano = kYear;
                m.mes = kMonth;
                m.tpDoc = type;
                m.numDoc = document_;
                m.numLinha = l;
                m.conta = account.account;
                m.dbCr = l == size ? 2 : 1;
                m.valor = Money::fromUnits(
                    std::uniform_int_distribution<std::int64_t>(1, 500000)(random_) * 100);
                m.dataDoc = date;
                m.exercicio = kYear;
                m.diario = QStringLiteral("01");
                m.numDiari = document_;
                m.ref = QStringLiteral("FT %1/%2").arg(document_).arg(l);
                m.descr = QStringLiteral("Movimento geral %1").arg(document_);
                m.sector = QStringLiteral("01");
                m.rubOrc = QStringLiteral("R02");
                m.cCustOrc = QStringLiteral("CC100");
                m.custeio = l % 9 == 0 ? QStringLiteral("P00631") : QStringLiteral("P00100");
                m.operador = QStringLiteral("bench");
                chunk.push_back(std::move(m));
            }
            remaining_ -= size;
        }
        return !chunk.empty();
    }

private:
    int total_;
    int remaining_;
    int document_ = 0;
    std::mt19937_64 random_{2024};
};

void seed(const QString& folder, int lines) {
    {
        auto consolidated = demo::createCompanyDatabase(folder + QStringLiteral("/Consolidado.db"));
        ensureOwnTables(*consolidated);
    }
    auto company = demo::createCompanyDatabase(folder + QStringLiteral("/Empresa.db"));
    Transaction transaction(*company);
    Engine& engine = company->engine();
    const QString chart = QStringLiteral(
        "INSERT INTO POC (Conta, Exercicio, Descr, NivInt, cl9dd, cl9cc) VALUES (?, ?, ?, 0, ?, "
        "?)");
    for (const Mapping& mapping : mappings())
        engine.execute(chart, {mapping.account, kYear, QStringLiteral("Gasto"), mapping.debit,
                               mapping.credit});
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
    say("%s, %d general lines in one month:\n", odbc ? "ODBC (SQLite ODBC driver)" : "SQLite",
        lines);
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    seed(folder.path(), lines);
    say("  (seeded in %.1f s)\n", seconds(timer));

    DataAccess consolidated;
    consolidated.connect(settingsFor(odbc, folder.path(), QStringLiteral("Consolidado.db")));
    DataAccess company;
    company.connect(settingsFor(odbc, folder.path(), QStringLiteral("Empresa.db")));
    SilentPrompter prompter;
    Class9Environment environment{consolidated, &company, prompter};
    Class9Input input;
    input.bd = 1;
    input.companyName = QStringLiteral("Velmor");
    input.yearText = QString::number(kYear);
    input.month = kMonth;
    input.tpDoc = QStringLiteral("CL9");
    input.serie = QStringLiteral("1");
    input.diario = QStringLiteral("09");

    Class9State state;
    std::int64_t before = company.roundTrips();
    resetPeak();
    timer.restart();
    if (loadClass9(environment, input, state) != Class9Outcome::Done)
        throw std::runtime_error((QStringLiteral("load: ") + prompter.last).toStdString());
    const Figures load{seconds(timer), company.roundTrips() - before, peakKiB()};
    // The working set the grid shows stays loaded until the confirmation.
    const double setBytesPerLine = 1024.0 * static_cast<double>(residentKiB() - load.start) / lines;

    before = company.roundTrips();
    resetPeak();
    MovementWriter::keepWritingTime(true);
    timer.restart();
    const Class9ConfirmResult confirmed = confirmClass9(environment, input, state);
    const Figures confirm{seconds(timer), company.roundTrips() - before, peakKiB()};
    const Figures writing{MovementWriter::writingSeconds(), -1, 0};
    MovementWriter::keepWritingTime(false);
    if (confirmed.outcome != Class9Outcome::Done || confirmed.written.lines != lines)
        throw std::runtime_error((QStringLiteral("confirmation: ") + prompter.last).toStdString());
    state.set().clear();

    resetPeak();
    const double limit = writtenRowsLimit(folder.path(), QStringLiteral("Empresa.db"),
                                          QStringLiteral("TpDoc='CL9'"), odbc);
    const Figures limitFigures{limit, -1, peakKiB()};

    print("load (derivation)", load, lines);
    say("    working set held for the grid: %.0f bytes per line\n", setBytesPerLine);
    print("confirmation (whole command)", confirm, lines);
    print("  of which writing the lines", writing, lines);
    printLimit(limitFigures, lines, odbc);
    printRatio("writing / limit", writing.seconds / limit);
    printRatio("whole command / limit", confirm.seconds / limit);
    say("  written: %d lines in %d documents\n\n", confirmed.written.lines,
        confirmed.written.documents);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    return runCases(argc, argv, "bench-class9", 1, {{false, 100000}, {true, 100000}}, runCase);
}
