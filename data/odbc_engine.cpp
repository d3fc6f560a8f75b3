#include "data/odbc_engine.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <list>

#include "data/db_error.h"
#include "data/dialect.h"
#include "data/odbc_result_reader.h"
#include "data/odbc_support.h"

namespace agrimor {

namespace {

using odbc::failed;
using odbc::integerAttribute;
using odbc::makeError;
using odbc::wide;

// How one parameter position is bound. Two bindings with equal layouts can share buffers, so a
// statement that keeps its layout is not bound again (a rebind makes some drivers prepare again).
struct ParamLayout {
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    SQLULEN columnSize = 1;
    SQLSMALLINT digits = 0;
    SQLLEN width = 0;  // bytes per row in the buffer

    bool operator==(const ParamLayout&) const = default;
};

enum class BindAs { Null, Integer, Real, Money, Text };

constexpr std::int64_t kExactDoubleLimit = std::int64_t(1) << 53;
constexpr std::int64_t kMoneyWholeLimit = 900'000'000'000'000;
constexpr int kMoneyWidth = 32;
constexpr SQLUSMALLINT kStatusUntouched = 0xFFFF;  // no SQL_PARAM_* value

// Declared sizes of text parameters go in steps, so batches of the same statement keep one
// layout; past the server's longest ordinary text the exact length is declared.
SQLULEN textColumnSize(qsizetype characters) {
    constexpr SQLULEN kLongest = 4000;
    if (static_cast<SQLULEN>(characters) > kLongest)
        return static_cast<SQLULEN>(characters);
    SQLULEN size = 16;
    while (size < static_cast<SQLULEN>(characters))
        size *= 2;
    return std::min(size, kLongest);
}

// A column's values in one batch decide how the column is bound: by their kind when they agree,
// widened to a kind that holds them all exactly when they are numbers, otherwise as text.
BindAs chooseBinding(const std::vector<const Params*>& rows, qsizetype column) {
    bool hasInteger = false, hasReal = false, hasMoney = false, hasText = false;
    bool integersFitDouble = true, integersFitMoney = true;
    for (const Params* row : rows) {
        const Value& value = row->at(column);
        switch (value.kind()) {
            case Value::Kind::Null:
                break;
            case Value::Kind::Integer: {
                hasInteger = true;
                const std::int64_t v = value.toInt();
                integersFitDouble =
                    integersFitDouble && v <= kExactDoubleLimit && v >= -kExactDoubleLimit;
                integersFitMoney =
                    integersFitMoney && v <= kMoneyWholeLimit && v >= -kMoneyWholeLimit;
                break;
            }
            case Value::Kind::Real:
                hasReal = true;
                break;
            case Value::Kind::Money:
                hasMoney = true;
                break;
            case Value::Kind::Text:
            case Value::Kind::DateTime:
                hasText = true;
                break;
        }
    }
    if (hasText)
        return BindAs::Text;
    if (hasReal && hasMoney)
        return BindAs::Text;
    if (hasReal)
        return !hasInteger || integersFitDouble ? BindAs::Real : BindAs::Text;
    if (hasMoney)
        return !hasInteger || integersFitMoney ? BindAs::Money : BindAs::Text;
    if (hasInteger)
        return BindAs::Integer;
    return BindAs::Null;
}

// A statement handle with the parameter buffers bound to it.
struct Statement {
    SQLHSTMT handle = SQL_NULL_HSTMT;
    QString sql;
    std::vector<ParamLayout> layout;
    std::size_t capacity = 0;  // rows the buffers hold
    std::vector<std::vector<char>> buffers;
    std::vector<std::vector<SQLLEN>> indicators;
    std::vector<SQLUSMALLINT> status;
    SQLULEN processed = 0;
    SQLULEN paramsetSize = 1;
    odbc::ResultBinding binding;

    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() {
        if (handle != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, handle);
    }
};

// Closes the cursor and discards pending results on every way out, so a statement that failed
// half-way does not hold locks or keep the connection busy.
class CursorGuard {
public:
    explicit CursorGuard(SQLHSTMT handle) : handle_(handle) {}
    ~CursorGuard() { SQLFreeStmt(handle_, SQL_CLOSE); }
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;

private:
    SQLHSTMT handle_;
};

bool isSchemaStatement(const QString& sql) {
    const QString head = sql.trimmed().left(8).toUpper();
    return head.startsWith(QLatin1String("CREATE")) || head.startsWith(QLatin1String("ALTER")) ||
           head.startsWith(QLatin1String("DROP"));
}

}  // namespace

struct OdbcEngine::Impl {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    std::unique_ptr<Dialect> dialect;
    int queryTimeoutSeconds = 0;
    std::int64_t roundTrips = 0;
    bool inTransaction = false;
    bool arraysRefused = false;
    bool endTranDropsStatements = false;
    // Texts of the API itself (statements, names, messages) go through the wide entry points,
    // except on the SQLite driver, which has none: the driver manager would convert them through
    // the process locale, while that driver reads and writes UTF-8. Values are always UTF-16.
    bool wideApi = false;

    // Before the statements: they hold pointers into it until they are freed.
    std::unique_ptr<odbc::ResultReader> reader;
    std::list<std::unique_ptr<Statement>> cache;  // most recently used first
    std::unique_ptr<Statement> insertStatement;
    QString pendingSql;
    std::vector<Params> pendingRows;

    static constexpr std::size_t kCachedStatements = 32;

    ~Impl();

    [[noreturn]] void throwStatement(const Statement& statement, const QString& suffix = {}) {
        throw makeError(SQL_HANDLE_STMT, statement.handle, wideApi,
                        QStringLiteral("A instrução falhou"), suffix);
    }
    [[noreturn]] void throwConnection(const QString& fallback) {
        throw makeError(SQL_HANDLE_DBC, dbc, wideApi, fallback);
    }

    std::unique_ptr<Statement> prepare(const QString& sql);
    Statement& cached(const QString& sql);
    void bind(Statement& statement, const std::vector<const Params*>& rows);
    SQLRETURN executeBound(Statement& statement);
    void drainResults(Statement& statement);

    void queryEach(const QString& sql, const Params& params, RowSink& sink);
    std::int64_t execute(const QString& sql, const Params& params);
    void insert(const QString& sql, const Params& row);
    void sendPending();
    void sendInserts(const QString& sql, const std::vector<const Params*>& rows);
    bool setParamsetSize(Statement& statement, SQLULEN rows);
    void endTransaction(SQLSMALLINT completion);
};

OdbcEngine::Impl::~Impl() {
    // Rows are held back only inside a transaction, so nothing is left to send here: an open
    // transaction ends with the connection, and the rows held for it go with it.
    if (connected && inTransaction) {
        pendingRows.clear();
        SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, integerAttribute(SQL_AUTOCOMMIT_ON),
                          SQL_IS_UINTEGER);
    }
    cache.clear();
    insertStatement.reset();
    if (connected)
        SQLDisconnect(dbc);
    if (dbc != SQL_NULL_HDBC)
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, env);
}

std::unique_ptr<Statement> OdbcEngine::Impl::prepare(const QString& sql) {
    auto statement = std::make_unique<Statement>();
    if (failed(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement->handle))) {
        statement->handle = SQL_NULL_HSTMT;
        throwConnection(QStringLiteral("Não foi possível preparar a instrução"));
    }
    if (queryTimeoutSeconds > 0) {
        // A driver without query timeouts still runs the statement.
        SQLSetStmtAttr(statement->handle, SQL_ATTR_QUERY_TIMEOUT,
                       integerAttribute(static_cast<SQLULEN>(queryTimeoutSeconds)),
                       SQL_IS_UINTEGER);
    }
    SQLSetStmtAttr(statement->handle, SQL_ATTR_PARAM_BIND_TYPE,
                   integerAttribute(SQL_PARAM_BIND_BY_COLUMN), SQL_IS_UINTEGER);
    // Every result is read once, front to back, and changed through statements of its own: the
    // cheapest cursor, which a server can stream (the defaults, stated for drivers that differ).
    SQLSetStmtAttr(statement->handle, SQL_ATTR_CURSOR_TYPE,
                   integerAttribute(SQL_CURSOR_FORWARD_ONLY), SQL_IS_UINTEGER);
    SQLSetStmtAttr(statement->handle, SQL_ATTR_CONCURRENCY, integerAttribute(SQL_CONCUR_READ_ONLY),
                   SQL_IS_UINTEGER);
    const SQLRETURN rc = wideApi
                             ? SQLPrepareW(statement->handle, wide(sql), SQL_NTS)
                             : SQLPrepare(statement->handle,
                                          reinterpret_cast<SQLCHAR*>(sql.toUtf8().data()), SQL_NTS);
    if (failed(rc))
        throwStatement(*statement);
    statement->sql = sql;
    return statement;
}

Statement& OdbcEngine::Impl::cached(const QString& sql) {
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if ((*it)->sql == sql) {
            cache.splice(cache.begin(), cache, it);
            return *cache.front();
        }
    }
    cache.push_front(prepare(sql));
    if (cache.size() > kCachedStatements)
        cache.pop_back();
    return *cache.front();
}

void OdbcEngine::Impl::bind(Statement& statement, const std::vector<const Params*>& rows) {
    const std::size_t count = rows.size();
    const qsizetype columns = rows.front()->size();

    std::vector<ParamLayout> layout(static_cast<std::size_t>(columns));
    std::vector<BindAs> binding(static_cast<std::size_t>(columns));
    // Texts are converted once: to size the buffers, then to fill them.
    std::vector<std::vector<QString>> texts(static_cast<std::size_t>(columns));
    for (qsizetype c = 0; c < columns; ++c) {
        const std::size_t ci = static_cast<std::size_t>(c);
        binding[ci] = chooseBinding(rows, c);
        ParamLayout& param = layout[ci];
        switch (binding[ci]) {
            case BindAs::Null:
                param = {SQL_C_WCHAR, SQL_WVARCHAR, 1, 0, static_cast<SQLLEN>(sizeof(SQLWCHAR))};
                break;
            case BindAs::Integer:
                param = {SQL_C_SBIGINT, SQL_BIGINT, 19, 0, sizeof(SQLBIGINT)};
                break;
            case BindAs::Real:
                param = {SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, sizeof(double)};
                break;
            case BindAs::Money:
                param = {SQL_C_CHAR, SQL_DECIMAL, 19, 4, kMoneyWidth};
                break;
            case BindAs::Text: {
                std::vector<QString>& column = texts[ci];
                column.resize(count);
                qsizetype longest = 0;
                for (std::size_t r = 0; r < count; ++r) {
                    const Value& value = rows[r]->at(c);
                    if (value.isNull())
                        continue;
                    column[r] = value.kind() == Value::Kind::DateTime
                                    ? dialect->dateTimeText(value.toDateTime())
                                    : value.toText();
                    longest = std::max(longest, column[r].size());
                }
                const SQLULEN size = textColumnSize(std::max<qsizetype>(longest, 1));
                param = {SQL_C_WCHAR, SQL_WVARCHAR, size, 0,
                         static_cast<SQLLEN>((size + 1) * sizeof(SQLWCHAR))};
                break;
            }
        }
    }

    const bool rebind = layout != statement.layout || count > statement.capacity;
    if (rebind) {
        SQLFreeStmt(statement.handle, SQL_RESET_PARAMS);
        statement.layout.clear();
        statement.capacity = count;
        statement.buffers.assign(layout.size(), {});
        statement.indicators.assign(layout.size(), {});
        statement.status.assign(count, SQL_PARAM_UNUSED);
        for (std::size_t c = 0; c < layout.size(); ++c) {
            statement.buffers[c].assign(count * static_cast<std::size_t>(layout[c].width), 0);
            statement.indicators[c].assign(count, SQL_NULL_DATA);
            const SQLRETURN rc = SQLBindParameter(
                statement.handle, static_cast<SQLUSMALLINT>(c + 1), SQL_PARAM_INPUT,
                layout[c].cType, layout[c].sqlType, layout[c].columnSize, layout[c].digits,
                statement.buffers[c].data(), layout[c].width, statement.indicators[c].data());
            if (failed(rc))
                throwStatement(statement);
        }
        statement.layout = layout;
    }

    for (std::size_t c = 0; c < layout.size(); ++c) {
        const qsizetype column = static_cast<qsizetype>(c);
        const std::size_t width = static_cast<std::size_t>(layout[c].width);
        char* buffer = statement.buffers[c].data();
        SQLLEN* indicator = statement.indicators[c].data();
        for (std::size_t r = 0; r < count; ++r) {
            const Value& value = rows[r]->at(column);
            char* cell = buffer + r * width;
            if (value.isNull()) {
                indicator[r] = SQL_NULL_DATA;
                continue;
            }
            switch (binding[c]) {
                case BindAs::Null:
                    break;
                case BindAs::Integer: {
                    const SQLBIGINT v = value.toInt();
                    std::memcpy(cell, &v, sizeof v);
                    indicator[r] = 0;
                    break;
                }
                case BindAs::Real: {
                    const double v = value.toDouble();
                    std::memcpy(cell, &v, sizeof v);
                    indicator[r] = 0;
                    break;
                }
                case BindAs::Money: {
                    const QByteArray text = value.toMoney().toString().toLatin1();
                    std::memcpy(cell, text.constData(), static_cast<std::size_t>(text.size()));
                    cell[text.size()] = '\0';
                    indicator[r] = static_cast<SQLLEN>(text.size());
                    break;
                }
                case BindAs::Text: {
                    const QString& text = texts[c][r];
                    const std::size_t bytes = static_cast<std::size_t>(text.size()) * 2;
                    std::memcpy(cell, text.utf16(), bytes);
                    cell[bytes] = cell[bytes + 1] = '\0';
                    indicator[r] = static_cast<SQLLEN>(bytes);
                    break;
                }
            }
        }
    }
}

SQLRETURN OdbcEngine::Impl::executeBound(Statement& statement) {
    ++roundTrips;
    return SQLExecute(statement.handle);
}

// Reads the results that follow the first one, so an error reported by a later part of the
// statement is not lost.
void OdbcEngine::Impl::drainResults(Statement& statement) {
    for (;;) {
        const SQLRETURN rc = SQLMoreResults(statement.handle);
        if (rc == SQL_NO_DATA)
            return;
        if (failed(rc))
            throwStatement(statement);
    }
}

void OdbcEngine::Impl::queryEach(const QString& sql, const Params& params, RowSink& sink) {
    sendPending();
    Statement& statement = cached(sql);
    const SQLHSTMT handle = statement.handle;
    if (!params.isEmpty())
        bind(statement, {&params});
    CursorGuard guard(handle);
    SQLRETURN rc = executeBound(statement);
    if (failed(rc))
        throwStatement(statement);

    // A statement may report counts before its rows; the first result with columns is read.
    SQLSMALLINT columnCount = 0;
    while (rc != SQL_NO_DATA) {
        if (failed(SQLNumResultCols(handle, &columnCount)))
            throwStatement(statement);
        if (columnCount > 0)
            break;
        rc = SQLMoreResults(handle);
        if (failed(rc))
            throwStatement(statement);
    }

    if (columnCount == 0) {
        sink.columns({});
        return;
    }
    if (!reader->read(handle, columnCount, statement.binding, sink))
        return;  // the guard closes the cursor and drops the rest
    drainResults(statement);
}

std::int64_t OdbcEngine::Impl::execute(const QString& sql, const Params& params) {
    sendPending();
    std::int64_t touched = 0;
    {
        Statement& statement = cached(sql);
        if (!params.isEmpty())
            bind(statement, {&params});
        CursorGuard guard(statement.handle);
        const SQLRETURN rc = executeBound(statement);
        if (failed(rc))
            throwStatement(statement);
        // ODBC 3 answers "no data" to a searched change that touched no row.
        if (rc != SQL_NO_DATA) {
            SQLLEN count = 0;
            if (SQL_SUCCEEDED(SQLRowCount(statement.handle, &count)) && count > 0)
                touched = count;
            drainResults(statement);
        }
    }
    // Cached statements may describe a table that just changed shape.
    if (isSchemaStatement(sql)) {
        cache.clear();
        insertStatement.reset();
    }
    return touched;
}

void OdbcEngine::Impl::insert(const QString& sql, const Params& row) {
    if (!pendingRows.empty() && (sql != pendingSql || row.size() != pendingRows.front().size()))
        sendPending();
    // Outside a transaction each row goes at once, so its failure is reported by its own insert.
    if (!inTransaction || row.isEmpty()) {
        sendInserts(sql, {&row});
        return;
    }
    if (pendingRows.empty())
        pendingSql = sql;
    pendingRows.push_back(row);
    if (pendingRows.size() >= static_cast<std::size_t>(kBatchRows))
        sendPending();
}

void OdbcEngine::Impl::sendPending() {
    if (pendingRows.empty())
        return;
    // Taken out first: rows that failed are never sent a second time.
    const QString sql = std::move(pendingSql);
    const std::vector<Params> rows = std::move(pendingRows);
    pendingSql.clear();
    pendingRows.clear();
    std::vector<const Params*> pointers;
    pointers.reserve(rows.size());
    for (const Params& row : rows)
        pointers.push_back(&row);
    sendInserts(sql, pointers);
}

bool OdbcEngine::Impl::setParamsetSize(Statement& statement, SQLULEN rows) {
    if (statement.paramsetSize == rows)
        return true;
    const SQLRETURN rc =
        SQLSetStmtAttr(statement.handle, SQL_ATTR_PARAMSET_SIZE, integerAttribute(rows), 0);
    SQLULEN actual = 0;
    if (failed(rc) ||
        failed(SQLGetStmtAttr(statement.handle, SQL_ATTR_PARAMSET_SIZE, &actual, 0, nullptr)) ||
        actual != rows) {
        statement.paramsetSize = 0;  // unknown: set again next time
        return false;
    }
    statement.paramsetSize = rows;
    return true;
}

void OdbcEngine::Impl::sendInserts(const QString& sql, const std::vector<const Params*>& rows) {
    if (!insertStatement || insertStatement->sql != sql) {
        insertStatement.reset();
        insertStatement = prepare(sql);
    }
    Statement& statement = *insertStatement;
    const std::size_t count = rows.size();
    const auto rowSuffix = [count](std::size_t row) {
        return count > 1 ? QStringLiteral(" (linha %1 de %2 inseridas em conjunto)")
                               .arg(row + 1)
                               .arg(count)
                         : QString();
    };

    if (count > 1 && !arraysRefused) {
        if (setParamsetSize(statement, count)) {
            bind(statement, rows);
            std::fill_n(statement.status.begin(), count, kStatusUntouched);
            statement.processed = 0;
            SQLSetStmtAttr(statement.handle, SQL_ATTR_PARAM_STATUS_PTR, statement.status.data(), 0);
            SQLSetStmtAttr(statement.handle, SQL_ATTR_PARAMS_PROCESSED_PTR, &statement.processed,
                           0);
            CursorGuard guard(statement.handle);
            const SQLRETURN rc = executeBound(statement);
            // Some drivers report a failed row only in its status and answer "success with
            // information" for the whole set.
            const std::size_t processed = std::min<std::size_t>(statement.processed, count);
            std::size_t failedRow = count;
            for (std::size_t r = 0; r < count; ++r) {
                if (statement.status[r] == SQL_PARAM_ERROR) {
                    failedRow = r;
                    break;
                }
            }
            // The SQLite driver fills no statuses; it stops at the failing row and counts the
            // rows before it as processed.
            if (failed(rc) && failedRow == count && statement.status[0] == kStatusUntouched &&
                processed < count)
                failedRow = processed;
            if (failed(rc) || failedRow < count)
                throwStatement(statement, failedRow < count ? rowSuffix(failedRow) : QString());
            if (rc != SQL_NO_DATA)
                drainResults(statement);
            return;
        }
        arraysRefused = true;
    }

    if (!setParamsetSize(statement, 1))
        throwStatement(statement);
    SQLSetStmtAttr(statement.handle, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
    SQLSetStmtAttr(statement.handle, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
    for (std::size_t r = 0; r < count; ++r) {
        if (!rows[r]->isEmpty())
            bind(statement, {rows[r]});
        CursorGuard guard(statement.handle);
        const SQLRETURN rc = executeBound(statement);
        if (failed(rc))
            throwStatement(statement, rowSuffix(r));
        if (rc != SQL_NO_DATA)
            drainResults(statement);
    }
}

void OdbcEngine::Impl::endTransaction(SQLSMALLINT completion) {
    ++roundTrips;
    if (failed(SQLEndTran(SQL_HANDLE_DBC, dbc, completion))) {
        const DbError error =
            makeError(SQL_HANDLE_DBC, dbc, wideApi, QStringLiteral("A transação falhou"));
        // A failed rollback still leaves no transaction to finish.
        if (completion == SQL_ROLLBACK) {
            inTransaction = false;
            SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, integerAttribute(SQL_AUTOCOMMIT_ON),
                              SQL_IS_UINTEGER);
        }
        throw error;
    }
    inTransaction = false;
    if (endTranDropsStatements) {
        cache.clear();
        insertStatement.reset();
    }
    if (failed(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, integerAttribute(SQL_AUTOCOMMIT_ON),
                                 SQL_IS_UINTEGER)))
        throwConnection(QStringLiteral("Não foi possível terminar a transação"));
}

std::unique_ptr<OdbcEngine> OdbcEngine::connect(const QString& connectionString,
                                                int loginTimeoutSeconds, int queryTimeoutSeconds) {
    auto impl = std::make_unique<Impl>();
    impl->queryTimeoutSeconds = queryTimeoutSeconds;
    if (failed(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &impl->env))) {
        impl->env = SQL_NULL_HENV;
        throw DbError(0, QStringLiteral("Não foi possível iniciar o ODBC"),
                      QStringLiteral("HY001"));
    }
    if (failed(SQLSetEnvAttr(impl->env, SQL_ATTR_ODBC_VERSION, integerAttribute(SQL_OV_ODBC3), 0)))
        throw makeError(SQL_HANDLE_ENV, impl->env, false,
                        QStringLiteral("Não foi possível iniciar o ODBC 3"));
    if (failed(SQLAllocHandle(SQL_HANDLE_DBC, impl->env, &impl->dbc))) {
        impl->dbc = SQL_NULL_HDBC;
        throw makeError(SQL_HANDLE_ENV, impl->env, false,
                        QStringLiteral("Não foi possível iniciar a ligação ODBC"));
    }
    // Without a login timeout a server that accepts and never answers blocks for good.
    if (loginTimeoutSeconds > 0) {
        const SQLPOINTER seconds = integerAttribute(static_cast<SQLULEN>(loginTimeoutSeconds));
        SQLSetConnectAttr(impl->dbc, SQL_ATTR_LOGIN_TIMEOUT, seconds, SQL_IS_UINTEGER);
        SQLSetConnectAttr(impl->dbc, SQL_ATTR_CONNECTION_TIMEOUT, seconds, SQL_IS_UINTEGER);
    }
    // Narrow, in UTF-8: the driver manager converts a wide connection string to a narrow driver
    // before it has set up any conversion, which mangles every non-ASCII character (a folder
    // named "Documentação"). SQLite's driver takes the file name in UTF-8, and FreeTDS reads the
    // string in its ClientCharset, UTF-8.
    const QByteArray connectionText = connectionString.toUtf8();
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(
        impl->dbc, nullptr,
        const_cast<SQLCHAR*>(reinterpret_cast<const SQLCHAR*>(connectionText.constData())), SQL_NTS,
        nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT);
    if (failed(rc))
        impl->throwConnection(QStringLiteral("Não foi possível ligar à base de dados"));
    impl->connected = true;

    SQLCHAR product[128] = {};
    SQLSMALLINT productLength = 0;
    SQLGetInfo(impl->dbc, SQL_DBMS_NAME, product, sizeof product, &productLength);
    const QString productName =
        QString::fromUtf8(reinterpret_cast<const char*>(product),
                          std::clamp<SQLSMALLINT>(productLength, 0, sizeof product - 1));
    const bool sqlite = productName.contains(QLatin1String("SQLite"), Qt::CaseInsensitive);
    impl->dialect = sqlite ? makeSqliteDialect() : makeSqlServerDialect();
    impl->wideApi = !sqlite;
    // SQL Server refuses a value longer than its column; SQLite keeps it.
    impl->reader = std::make_unique<odbc::ResultReader>(impl->wideApi, !sqlite);

    SQLUSMALLINT commitBehavior = SQL_CB_PRESERVE, rollbackBehavior = SQL_CB_PRESERVE;
    SQLGetInfo(impl->dbc, SQL_CURSOR_COMMIT_BEHAVIOR, &commitBehavior, sizeof commitBehavior,
               nullptr);
    SQLGetInfo(impl->dbc, SQL_CURSOR_ROLLBACK_BEHAVIOR, &rollbackBehavior, sizeof rollbackBehavior,
               nullptr);
    impl->endTranDropsStatements =
        commitBehavior == SQL_CB_DELETE || rollbackBehavior == SQL_CB_DELETE;

    return std::unique_ptr<OdbcEngine>(new OdbcEngine(std::move(impl)));
}

OdbcEngine::OdbcEngine(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

OdbcEngine::~OdbcEngine() = default;

const Dialect& OdbcEngine::dialect() const {
    return *impl_->dialect;
}

void OdbcEngine::queryEach(const QString& sql, const Params& params, RowSink& sink) {
    impl_->queryEach(sql, params, sink);
}

std::int64_t OdbcEngine::execute(const QString& sql, const Params& params) {
    return impl_->execute(sql, params);
}

void OdbcEngine::insert(const QString& sql, const Params& row) {
    impl_->insert(sql, row);
}

void OdbcEngine::flush() {
    impl_->sendPending();
}

void OdbcEngine::begin() {
    if (impl_->inTransaction)
        throw DbError(0, QStringLiteral("Já existe uma transação aberta"), QStringLiteral("25000"));
    ++impl_->roundTrips;
    if (failed(SQLSetConnectAttr(impl_->dbc, SQL_ATTR_AUTOCOMMIT,
                                 integerAttribute(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER)))
        impl_->throwConnection(QStringLiteral("Não foi possível iniciar a transação"));
    impl_->inTransaction = true;
}

void OdbcEngine::commit() {
    if (!impl_->inTransaction)
        throw DbError(0, QStringLiteral("Não existe nenhuma transação aberta"),
                      QStringLiteral("25000"));
    // A failing held row surfaces here and leaves the transaction open for the rollback.
    impl_->sendPending();
    impl_->endTransaction(SQL_COMMIT);
}

void OdbcEngine::rollback() {
    if (!impl_->inTransaction)
        return;
    impl_->pendingRows.clear();
    impl_->pendingSql.clear();
    impl_->endTransaction(SQL_ROLLBACK);
}

bool OdbcEngine::inTransaction() const {
    return impl_->inTransaction;
}

std::int64_t OdbcEngine::roundTrips() const {
    return impl_->roundTrips;
}

}  // namespace agrimor
