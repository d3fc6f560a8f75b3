// bench-recordset-insert [--table] [--odbc] [N ...]
// Adds the same N MovCTB rows (every column set; 200,000 by default) to two fresh company
// databases: once through the data-access component's updatable result set (addNew, setField by
// name per column, update), once through the bare prepared INSERT the jobs' writing is compared
// with (bench_support.h, InsertLimit: the sqlite3 C API on SQLite, the engine's array-bound insert
// on ODBC). Both in one transaction, both timed over the inserts alone (the rows' values are made
// beforehand, a chunk at a time, outside the measure). Each is run three times, in turns (each
// going first in some), into fresh databases, and its best time kept. Prints both, the component's
// statements per 1,000 rows and the ratio of the times.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>

#include "data/data_access.h"
#include "tools/bench/bench_support.h"
#include "tools/seeder/demo_seeder.h"

namespace {

using namespace agrimor;
using namespace agrimor::bench;
using demo::Movement;

constexpr std::size_t kChunk = 10000;
constexpr int kTurns = 3;

std::vector<Movement> benchRows(int count) {
    demo::SeedOptions options;
    options.movementLines = count + count / 10 + 100;
    std::vector<Movement> rows = demo::demoMovements(demo::companies().front(), options);
    while (static_cast<int>(rows.size()) < count) {
        options.movementLines *= 2;
        rows = demo::demoMovements(demo::companies().front(), options);
    }
    rows.resize(static_cast<std::size_t>(count));
    return rows;
}

// The values of rows [from, from + kChunk).
std::vector<Params> chunkValues(const std::vector<Movement>& rows, std::size_t from) {
    std::vector<Params> values;
    for (std::size_t r = from; r < std::min(rows.size(), from + kChunk); ++r)
        values.push_back(demo::movementValues(rows[r]));
    return values;
}

std::int64_t countRows(const QString& folder, const QString& file) {
    DataAccess db;
    db.connect(settingsFor(false, folder, file));
    return db.openReadOnly(QStringLiteral("SELECT count(*) AS N FROM MovCTB"))
        .field(QStringLiteral("N"))
        .toInt();
}

Figures viaRecordset(const QString& folder, bool odbc, const std::vector<Movement>& rows) {
    const QString file = QStringLiteral("Recordset.db");
    demo::createCompanyDatabase(folder + QLatin1Char('/') + file).reset();
    DataAccess db;
    db.connect(settingsFor(odbc, folder, file));
    const QStringList& columns = demo::movementColumns();
    const std::int64_t before = db.roundTrips();
    double spent = 0;
    {
        Transaction transaction(db);
        UpdatableRecordset recordset =
            db.openUpdatable(QStringLiteral("MovCTB"), QStringLiteral("Ano = -1"));
        for (std::size_t from = 0; from < rows.size(); from += kChunk) {
            const std::vector<Params> values = chunkValues(rows, from);
            QElapsedTimer timer;
            timer.start();
            for (const Params& row : values) {
                recordset.addNew();
                for (qsizetype c = 0; c < columns.size(); ++c)
                    recordset.setField(columns.at(c), row.at(c));
                recordset.update();
            }
            db.engine().flush();
            spent += seconds(timer);
        }
        transaction.commit();
    }
    return {spent, db.roundTrips() - before, peakKiB()};
}

double viaLimit(const QString& folder, bool odbc, const std::vector<Movement>& rows) {
    InsertLimit limit(folder, odbc, demo::movementColumns());
    for (std::size_t from = 0; from < rows.size(); from += kChunk)
        limit.insert(chunkValues(rows, from));
    return limit.finish();
}

void runCase(bool odbc, int count) {
    const std::vector<Movement> rows = benchRows(count);
    say("%s, MovCTB rows inserted, %d columns each: %d (best of %d, taken in turns)\n",
        odbc ? "ODBC (SQLite ODBC driver)" : "SQLite",
        static_cast<int>(demo::movementColumns().size()), count, kTurns);

    Figures recordset;
    Figures limit;
    for (int turn = 0; turn < kTurns; ++turn) {
        QTemporaryDir folder;
        if (!folder.isValid())
            throw std::runtime_error("no temporary folder");
        // Whichever runs second runs while the first one's commit is still being written out:
        // the two take turns at going first.
        Figures limitTurn;
        Figures recordsetTurn;
        const auto limitRun = [&] {
            resetPeak();
            limitTurn = {viaLimit(folder.path(), odbc, rows), -1, peakKiB()};
        };
        const auto recordsetRun = [&] {
            resetPeak();
            recordsetTurn = viaRecordset(folder.path(), odbc, rows);
        };
        if (turn % 2 == 0) {
            limitRun();
            recordsetRun();
        } else {
            recordsetRun();
            limitRun();
        }
        if (countRows(folder.path(), QStringLiteral("Recordset.db")) != count ||
            countRows(folder.path(), QStringLiteral("Limite.db")) != count)
            throw std::runtime_error("a database does not hold every row");
        if (turn == 0 || limitTurn.seconds < limit.seconds)
            limit = limitTurn;
        if (turn == 0 || recordsetTurn.seconds < recordset.seconds)
            recordset = recordsetTurn;
    }

    print("updatable result set", recordset, count);
    printLimit(limit, count, odbc);
    printRatio("result set / limit", recordset.seconds / limit.seconds);
    say("\n");
}

}  // namespace

int main(int argc, char** argv) {
    return runCases(argc, argv, "bench-recordset-insert", 1, {{false, 200000}}, runCase);
}
