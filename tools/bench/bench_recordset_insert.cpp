// bench-recordset-insert [rows]
// Adds the same MovCTB rows (every column set, default 200000 rows) to two fresh SQLite
// databases: once through the data-access component's updatable result set (addNew, setField per
// column, update; one transaction), once through one reused prepared INSERT on the sqlite3 C API
// (one transaction). Prints both rates, their ratio and the round trips the component counted.

#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <exception>

#include "data/data_access.h"
#include "data/db_error.h"
#include "data/sqlite_engine.h"
#include "tools/seeder/demo_seeder.h"

namespace {

using agrimor::demo::Movement;

std::vector<Movement> benchRows(int count) {
    agrimor::demo::SeedOptions options;
    options.movementLines = count + count / 10 + 100;
    std::vector<Movement> rows =
        agrimor::demo::demoMovements(agrimor::demo::companies().front(), options);
    while (static_cast<int>(rows.size()) < count) {
        options.movementLines *= 2;
        rows = agrimor::demo::demoMovements(agrimor::demo::companies().front(), options);
    }
    rows.resize(static_cast<size_t>(count));
    return rows;
}

double secondsSince(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double viaRecordset(const QString& file, const std::vector<Movement>& rows,
                    std::int64_t& roundTrips) {
    auto db = agrimor::demo::createCompanyDatabase(file);
    const QStringList& columns = agrimor::demo::movementColumns();
    const std::int64_t tripsBefore = db->roundTrips();
    QElapsedTimer timer;
    timer.start();
    {
        agrimor::Transaction transaction(*db);
        agrimor::UpdatableRecordset recordset =
            db->openUpdatable(QStringLiteral("MovCTB"), QStringLiteral("Ano = -1"));
        for (const Movement& row : rows) {
            const agrimor::Params values = agrimor::demo::movementValues(row);
            recordset.addNew();
            for (qsizetype c = 0; c < columns.size(); ++c)
                recordset.setField(columns.at(c), values.at(c));
            recordset.update();
        }
        transaction.commit();
    }
    const double seconds = secondsSince(timer);
    roundTrips = db->roundTrips() - tripsBefore;
    return seconds;
}

void check(sqlite3* db, int rc, int expected = SQLITE_OK) {
    if (rc != expected)
        throw agrimor::DbError(rc, QString::fromUtf8(sqlite3_errmsg(db)), {}, rc);
}

// The date forms the component binds: 'yyyy-mm-dd hh:mm:ss'.
int bindDate(sqlite3_stmt* statement, int index, QDate date, QTime time = QTime(0, 0)) {
    if (!date.isValid())
        return sqlite3_bind_null(statement, index);
    char buffer[32];
    const int size =
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", date.year(),
                      date.month(), date.day(), time.hour(), time.minute(), time.second());
    return sqlite3_bind_text(statement, index, buffer, size, SQLITE_TRANSIENT);
}

int bindText(sqlite3_stmt* statement, int index, const QString& value) {
    return sqlite3_bind_text16(statement, index, value.utf16(), static_cast<int>(value.size() * 2),
                               SQLITE_STATIC);
}

double viaCApi(const QString& file, const std::vector<Movement>& rows) {
    // The component creates the file and its schema (and the collation the schema names); the
    // rows then go through the bare C API on the same connection.
    auto access = agrimor::demo::createCompanyDatabase(file);
    sqlite3* db = dynamic_cast<agrimor::SqliteEngine&>(access->engine()).handle();
    const QStringList& columns = agrimor::demo::movementColumns();
    const QByteArray sql = QStringLiteral("INSERT INTO MovCTB (%1) VALUES (%2)")
                               .arg(columns.join(QStringLiteral(", ")),
                                    QStringLiteral("?, ").repeated(columns.size()).chopped(2))
                               .toUtf8();
    QElapsedTimer timer;
    timer.start();
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr));
    sqlite3_stmt* statement = nullptr;
    check(db, sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr));
    for (const Movement& row : rows) {
        int i = 0;
        const auto integer = [&](int value) { check(db, sqlite3_bind_int(statement, ++i, value)); };
        const auto money = [&](agrimor::Money value) {
            check(db, sqlite3_bind_double(statement, ++i, value.toDouble()));
        };
        const auto textValue = [&](const QString& value) {
            check(db, bindText(statement, ++i, value));
        };
        const auto date = [&](QDate value) { check(db, bindDate(statement, ++i, value)); };
        integer(row.ano);
        integer(row.mes);
        textValue(row.tpDoc);
        textValue(row.serie);
        integer(row.numDoc);
        integer(row.numLinha);
        textValue(row.conta);
        integer(row.dbCr);
        money(row.valor);
        date(row.dataDoc);
        integer(row.nat);
        integer(row.statac);
        integer(row.exercicio);
        textValue(row.diario);
        integer(row.numDiari);
        integer(row.tpTerc);
        textValue(row.terc);
        textValue(row.ref);
        textValue(row.descr);
        textValue(row.sector);
        textValue(row.rubOrc);
        textValue(row.cCustOrc);
        textValue(row.nCont);
        textValue(row.codIva);
        textValue(row.codFlu);
        textValue(row.custeio);
        textValue(row.operador);
        date(row.dtReal);
        textValue(row.linCC);
        integer(row.versao);
        integer(row.origem);
        integer(row.ligado);
        textValue(row.erroCtb);
        integer(row.mnlAut);
        date(row.dataR);
        date(row.dataAl);
        check(db, bindDate(statement, ++i, row.systemEntryDate.date(), row.systemEntryDate.time()));
        integer(row.mvDes);
        integer(row.ctResp);
        money(row.valorBase);
        check(db, sqlite3_step(statement), SQLITE_DONE);
        check(db, sqlite3_reset(statement));
    }
    sqlite3_finalize(statement);
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
    return secondsSince(timer);
}

std::int64_t countRows(const QString& file) {
    auto db = agrimor::demo::openDatabase(file);
    agrimor::Recordset count = db->openReadOnly(QStringLiteral("SELECT count(*) AS N FROM MovCTB"));
    return count.field(QStringLiteral("N")).toInt();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int count = 200000;
    if (argc > 1) {
        bool ok = false;
        count = QString::fromLocal8Bit(argv[1]).toInt(&ok);
        if (!ok || count <= 0) {
            std::fprintf(stderr, "usage: bench-recordset-insert [rows]\n");
            return 2;
        }
    }
    try {
        QTemporaryDir folder;
        if (!folder.isValid())
            throw std::runtime_error("no temporary folder");
        const std::vector<Movement> rows = benchRows(count);
        const QString recordsetFile = folder.filePath(QStringLiteral("recordset.db"));
        const QString rawFile = folder.filePath(QStringLiteral("capi.db"));

        std::int64_t roundTrips = 0;
        const double recordsetSeconds = viaRecordset(recordsetFile, rows, roundTrips);
        const double rawSeconds = viaCApi(rawFile, rows);
        const double recordsetRate = count / recordsetSeconds;
        const double rawRate = count / rawSeconds;

        std::printf("MovCTB rows inserted, %d columns each: %d\n",
                    static_cast<int>(agrimor::demo::movementColumns().size()), count);
        std::printf(
            "  component, updatable result set: %8.3f s  %10.0f rows/s  (%lld rows in file)\n",
            recordsetSeconds, recordsetRate, static_cast<long long>(countRows(recordsetFile)));
        std::printf(
            "  sqlite3 C API, prepared INSERT:   %8.3f s  %10.0f rows/s  (%lld rows in file)\n",
            rawSeconds, rawRate, static_cast<long long>(countRows(rawFile)));
        std::printf("  component rate / C API rate:      %8.3f\n", recordsetRate / rawRate);
        std::printf("  round trips counted by the component: %lld (%.3f per row)\n",
                    static_cast<long long>(roundTrips), static_cast<double>(roundTrips) / count);
        return 0;
    } catch (const agrimor::DbError& error) {
        std::fprintf(stderr, "database error: %s\n", error.message().toLocal8Bit().constData());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
    }
    return 1;
}
