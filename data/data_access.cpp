#include "data/data_access.h"

#include "data/db_error.h"
#include "data/odbc_engine.h"
#include "data/program_files.h"
#include "data/sqlite_engine.h"
#include "data/statement_recorder.h"

namespace agrimor {

namespace {

// The loadable form of our SQLite functions, found as the program's other files are.
QString sqliteExtensionPath() {
    const QByteArray fromEnvironment = qgetenv("AGRIMOR_SQLITE_EXT");
    if (!fromEnvironment.isEmpty())
        return QString::fromLocal8Bit(fromEnvironment);
    return programFile(QStringLiteral("libagrimor_sqlite_ext.so"));
}

// SQLite, directly or through its ODBC driver, opens any existing file without reading it: a
// file that is no database (the configuration file named by mistake) would connect and fail only
// at the first statement, where the failure reads like a broken query. Reading the schema here
// makes it a connection that fails, as a missing file is.
void requireDatabase(Engine& engine, const ConnectionSettings& settings) {
    if (engine.dialect().name() != QLatin1String("SQLite"))
        return;
    try {
        engine.query(QStringLiteral("SELECT count(*) FROM sqlite_master"), {});
    } catch (const DbError& error) {
        throw DbError(error.number(),
                      QStringLiteral("%1: %2").arg(settings.sqliteFile(), error.message()),
                      error.sqlState(), error.nativeCode());
    }
}

}  // namespace

DataAccess::DataAccess() = default;

DataAccess::~DataAccess() = default;

void DataAccess::connect(const ConnectionSettings& settings) {
    close();
    std::shared_ptr<Engine> engine;
    if (settings.isEmbedded()) {
        engine = SqliteEngine::open(settings.sqliteFile());
    } else {
        const QString extension = settings.odbcDriverIsSqlite() ? sqliteExtensionPath() : QString();
        engine = OdbcEngine::connect(settings.odbcConnectionString(extension),
                                     settings.odbc.loginTimeoutSeconds,
                                     settings.odbc.queryTimeoutSeconds);
    }
    // Proved before the recorder sees it: that catalogue read is never sent to SQL Server.
    requireDatabase(*engine, settings);
    engine_ =
        settings.isEmbedded() ? std::move(engine) : recordStatementsWhenAsked(std::move(engine));
    settings_ = settings;
}

void DataAccess::adopt(std::shared_ptr<Engine> engine) {
    close();
    engine_ = std::move(engine);
}

void DataAccess::close() {
    engine_.reset();
}

Engine& DataAccess::requireEngine() const {
    if (!engine_)
        throw DbError(0, QStringLiteral("A ligação à base de dados não está aberta"));
    return *engine_;
}

Engine& DataAccess::engine() {
    return requireEngine();
}

const Dialect& DataAccess::dialect() const {
    return requireEngine().dialect();
}

std::int64_t DataAccess::execute(const QString& sql, const Params& params) {
    return requireEngine().execute(sql, params);
}

Recordset DataAccess::openReadOnly(const QString& sql, const Params& params) {
    return Recordset(requireEngine().query(sql, params));
}

void DataAccess::queryEach(const QString& sql, const Params& params, RowSink& sink) {
    requireEngine().queryEach(sql, params, sink);
}

UpdatableRecordset DataAccess::openUpdatable(const QString& table, const QString& where,
                                             const Params& params, const QString& orderBy) {
    Engine& engine = requireEngine();
    const Dialect& dialect = engine.dialect();
    RowSet rows = engine.query(dialect.updatableSelect(table, where, orderBy), params);
    std::vector<Value> locators;
    if (dialect.hasRowLocator() && !rows.columns.isEmpty()) {
        // The locator comes first; it is kept aside, not shown as a field.
        locators.reserve(rows.rows.size());
        for (auto& row : rows.rows) {
            locators.push_back(std::move(row.front()));
            row.erase(row.begin());
        }
        rows.columns.removeFirst();
    }
    return UpdatableRecordset(engine_, table, std::move(rows), std::move(locators));
}

void DataAccess::beginTransaction() {
    requireEngine().begin();
}

void DataAccess::commit() {
    requireEngine().commit();
}

void DataAccess::rollback() {
    requireEngine().rollback();
}

bool DataAccess::inTransaction() const {
    return engine_ && engine_->inTransaction();
}

std::int64_t DataAccess::roundTrips() const {
    return engine_ ? engine_->roundTrips() : 0;
}

Transaction::~Transaction() {
    if (!done_ && db_.inTransaction()) {
        try {
            db_.rollback();
        } catch (...) {
            // Nothing more can be done here; the connection's own end rolls back.
        }
    }
}

void Transaction::commit() {
    db_.commit();
    done_ = true;
}

}  // namespace agrimor
