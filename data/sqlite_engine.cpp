#include "data/sqlite_engine.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <list>
#include <unordered_map>

#include "data/db_error.h"
#include "data/dialect.h"
#include "data/sqlite_functions.h"

namespace agrimor {

namespace {

[[noreturn]] void fail(sqlite3* db, int rc, const QString& context = {}) {
    QString message =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;
    throw DbError(classifyError({}, rc, message), message, {}, rc);
}

Value::Kind kindFromDeclaredType(const char* declared) {
    if (!declared)
        return Value::Kind::Null;  // an expression: take the value's own type
    const QByteArray type = QByteArray(declared).toLower();
    if (type.contains("money") || type.contains("decimal") || type.contains("numeric"))
        return Value::Kind::Money;
    if (type.contains("date") || type.contains("time"))
        return Value::Kind::DateTime;
    if (type.contains("int") || type.contains("bit"))
        return Value::Kind::Integer;
    if (type.contains("real") || type.contains("floa") || type.contains("doub"))
        return Value::Kind::Real;
    return Value::Kind::Text;
}

Value readColumn(sqlite3_stmt* statement, int column, Value::Kind declared) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER: {
            const std::int64_t value = sqlite3_column_int64(statement, column);
            if (declared == Value::Kind::Money)
                return Money::fromWhole(value);
            if (declared == Value::Kind::Real)
                return static_cast<double>(value);
            return value;
        }
        case SQLITE_FLOAT: {
            const double value = sqlite3_column_double(statement, column);
            if (declared == Value::Kind::Money)
                return Money::fromDouble(value);
            return value;
        }
        default: {
            const auto* text =
                reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
            QString value = QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
            if (declared == Value::Kind::DateTime) {
                const QDateTime parsed = parseIsoDateTime(value);
                if (parsed.isValid())
                    return parsed;
            } else if (declared == Value::Kind::Money) {
                if (const auto money = Money::parse(value))
                    return *money;
            }
            return value;
        }
    }
}

}  // namespace

namespace {

// Prepares one statement to be kept and run many times.
sqlite3_stmt* prepareOne(sqlite3* db, const QString& sql) {
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(db, text.constData(), static_cast<int>(text.size()),
                                      SQLITE_PREPARE_PERSISTENT, &statement, &tail);
    if (rc != SQLITE_OK)
        fail(db, rc);
    // One statement per call: a second one would otherwise be ignored without a word.
    while (tail &&
           (*tail == ' ' || *tail == '\n' || *tail == '\t' || *tail == '\r' || *tail == ';'))
        ++tail;
    if (!statement || (tail && *tail)) {
        sqlite3_finalize(statement);
        throw DbError(SQLITE_MISUSE, QStringLiteral("Instrução vazia ou com mais de uma instrução"),
                      {}, SQLITE_MISUSE);
    }
    return statement;
}

}  // namespace

// Prepared statements kept by their text, least recently used dropped first.
struct SqliteEngine::Statements {
    static constexpr size_t kCapacity = 64;
    struct Entry {
        QString sql;
        sqlite3_stmt* statement;
    };
    std::list<Entry> entries;
    std::unordered_map<QString, std::list<Entry>::iterator> index;

    ~Statements() {
        for (auto& entry : entries)
            sqlite3_finalize(entry.statement);
    }

    sqlite3_stmt* get(sqlite3* db, const QString& sql) {
        // A run of the same statement (rows appended one by one) skips the hashing of its text.
        // Every use binds each of the statement's values again: the last ones need no clearing.
        // Every run leaves its statement reset (runToEnd, ResetGuard), so the last one used needs
        // no second reset.
        if (!entries.empty() && entries.front().sql == sql)
            return entries.front().statement;
        if (auto found = index.find(sql); found != index.end()) {
            entries.splice(entries.begin(), entries, found->second);
            sqlite3_stmt* statement = found->second->statement;
            sqlite3_reset(statement);
            return statement;
        }
        sqlite3_stmt* statement = prepareOne(db, sql);
        entries.push_front({sql, statement});
        index.emplace(sql, entries.begin());
        if (entries.size() > kCapacity) {
            sqlite3_finalize(entries.back().statement);
            index.erase(entries.back().sql);
            entries.pop_back();
        }
        return statement;
    }
};

std::unique_ptr<SqliteEngine> SqliteEngine::open(const QString& file, bool create) {
    if (!create && !QFileInfo(file).isFile())
        throw DbError(SQLITE_CANTOPEN,
                      QStringLiteral("O ficheiro da base de dados não existe: %1").arg(file), {},
                      SQLITE_CANTOPEN);
    sqlite3* db = nullptr;
    // A connection is used by one thread at a time: SQLite's own locking would only cost time.
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QStringLiteral("%1: %2").arg(
            file, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        sqlite3_close(db);
        throw DbError(rc, message, {}, rc);
    }
    sqlite3_extended_result_codes(db, 0);
    sqlite3_busy_timeout(db, 5000);
    if (registerSqlServerFunctions(db) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        throw DbError(SQLITE_ERROR, message, {}, SQLITE_ERROR);
    }
    return std::unique_ptr<SqliteEngine>(new SqliteEngine(db, file));
}

SqliteEngine::SqliteEngine(sqlite3* db, QString file)
    : db_(db),
      file_(std::move(file)),
      statements_(std::make_unique<Statements>()),
      dialect_(makeSqliteDialect()) {}

SqliteEngine::~SqliteEngine() {
    statements_.reset();
    if (!sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
}

const Dialect& SqliteEngine::dialect() const {
    return *dialect_;
}

namespace {

void checkCount(sqlite3_stmt* statement, qsizetype given) {
    const int expected = sqlite3_bind_parameter_count(statement);
    if (expected != given)
        throw DbError(
            SQLITE_RANGE,
            QStringLiteral("A instrução espera %1 valores e recebeu %2").arg(expected).arg(given),
            {}, SQLITE_RANGE);
}

// Binds the values of a statement that is read while its caller goes on (a query), each text
// copied by SQLite.
void bindAll(sqlite3* db, sqlite3_stmt* statement, const Params& params, const Dialect& dialect) {
    checkCount(statement, params.size());
    for (int i = 0; i < params.size(); ++i) {
        const Value& value = params[i];
        int rc = SQLITE_OK;
        switch (value.kind()) {
            case Value::Kind::Null:
                rc = sqlite3_bind_null(statement, i + 1);
                break;
            case Value::Kind::Integer:
                rc = sqlite3_bind_int64(statement, i + 1, value.toInt());
                break;
            case Value::Kind::Real:
            case Value::Kind::Money:
                rc = sqlite3_bind_double(statement, i + 1, value.toDouble());
                break;
            case Value::Kind::Text: {
                // The database holds UTF-8; Qt's conversion is faster than SQLite's own.
                const QByteArray text = value.toText().toUtf8();
                rc = sqlite3_bind_text(statement, i + 1, text.constData(),
                                       static_cast<int>(text.size()), SQLITE_TRANSIENT);
                break;
            }
            case Value::Kind::DateTime: {
                const QByteArray text = dialect.dateTimeText(value.toDateTime()).toUtf8();
                rc = sqlite3_bind_text(statement, i + 1, text.constData(),
                                       static_cast<int>(text.size()), SQLITE_TRANSIENT);
                break;
            }
        }
        if (rc != SQLITE_OK)
            fail(db, rc);
    }
}

// Writes `text` as UTF-8 at `out` (room for three bytes per UTF-16 unit) and returns the end;
// nullptr when it holds a surrogate, which is left to Qt's own conversion.
char* writeUtf8(QStringView text, char* out) {
    const char16_t* const end = text.utf16() + text.size();
    for (const char16_t* at = text.utf16(); at != end; ++at) {
        const char16_t c = *at;
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return nullptr;
        } else {
            *out++ = static_cast<char>(0xE0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Binds `value` to parameter `index` (from 1) of a statement that runs to its end before the
// caller goes on: a text or date is written at `out`, which has room for it (three bytes per UTF-16
// unit of a text, kIsoDateTimeLength for a date), bound without a copy, and `out` moves past it.
int bindValue(sqlite3_stmt* statement, int index, const Value& value, char*& out) {
    switch (value.kind()) {
        case Value::Kind::Null:
            return sqlite3_bind_null(statement, index);
        case Value::Kind::Integer:
            return sqlite3_bind_int64(statement, index, value.toInt());
        case Value::Kind::Real:
        case Value::Kind::Money:
            return sqlite3_bind_double(statement, index, value.toDouble());
        case Value::Kind::Text: {
            const QString& text = *value.asText();
            char* const end = writeUtf8(text, out);
            if (!end) {
                const QByteArray utf8 = text.toUtf8();
                return sqlite3_bind_text(statement, index, utf8.constData(),
                                         static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
            }
            const int rc = sqlite3_bind_text(statement, index, out, static_cast<int>(end - out),
                                             SQLITE_STATIC);
            out = end;
            return rc;
        }
        case Value::Kind::DateTime: {
            const int length = writeIsoDateTime(*value.asDateTime(), ' ', out);
            const int rc = sqlite3_bind_text(statement, index, out, length, SQLITE_STATIC);
            out += length;
            return rc;
        }
    }
    return SQLITE_OK;
}

// Binds the values of a statement that runs to its end before the caller goes on: texts and dates
// are written into `scratch`, which stays untouched until then, and bound without a copy. The
// dates are the SQLite dialect's text, "yyyy-mm-dd hh:mm:ss". `values(f)` calls f with each
// value to bind, in order.
template <typename Values>
void bindForRun(sqlite3* db, sqlite3_stmt* statement, qsizetype count, const Values& values,
                std::vector<char>& scratch) {
    checkCount(statement, count);
    std::size_t room = 0;
    values([&room](const Value& value) {
        if (const QString* text = value.asText())
            room += 3 * static_cast<std::size_t>(text->size());
        else if (value.kind() == Value::Kind::DateTime)
            room += kIsoDateTimeLength;
    });
    if (scratch.size() < room)
        scratch.resize(room);
    char* out = scratch.data();
    int index = 0;
    values([&](const Value& value) {
        const int rc = bindValue(statement, ++index, value, out);
        if (rc != SQLITE_OK)
            fail(db, rc);
    });
}

// Steps a statement that returns no rows to its end.
void runToEnd(sqlite3* db, sqlite3_stmt* statement) {
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        sqlite3_reset(statement);
        fail(db, rc);
    }
    sqlite3_reset(statement);
}

}  // namespace

namespace {

// Leaves the statement reset on every way out, so a sink that throws or stops early does not
// keep a read open.
class ResetGuard {
public:
    explicit ResetGuard(sqlite3_stmt* statement) : statement_(statement) {}
    ~ResetGuard() { sqlite3_reset(statement_); }
    ResetGuard(const ResetGuard&) = delete;
    ResetGuard& operator=(const ResetGuard&) = delete;

private:
    sqlite3_stmt* statement_;
};

}  // namespace

void SqliteEngine::queryEach(const QString& sql, const Params& params, RowSink& sink) {
    sqlite3_stmt* statement = statements_->get(db_, sql);
    bindAll(db_, statement, params, *dialect_);
    ++roundTrips_;
    ResetGuard guard(statement);
    const int count = sqlite3_column_count(statement);
    std::vector<Value::Kind> declared(count);
    QList<ColumnInfo> columns;
    columns.reserve(count);
    for (int c = 0; c < count; ++c) {
        declared[c] = kindFromDeclaredType(sqlite3_column_decltype(statement, c));
        ColumnInfo info;
        info.name = QString::fromUtf8(sqlite3_column_name(statement, c));
        info.kind = declared[c] == Value::Kind::Null ? Value::Kind::Text : declared[c];
        columns.push_back(info);
    }
    sink.columns(columns);
    int rc;
    std::vector<Value> row;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        row.clear();
        row.reserve(count);
        for (int c = 0; c < count; ++c)
            row.push_back(readColumn(statement, c, declared[c]));
        if (!sink.row(row))
            return;
    }
    if (rc != SQLITE_DONE)
        fail(db_, rc);
}

std::int64_t SqliteEngine::execute(const QString& sql, const Params& params) {
    sqlite3_stmt* statement = statements_->get(db_, sql);
    bindForRun(
        db_, statement, params.size(),
        [&params](const auto& bind) {
            for (const Value& value : params)
                bind(value);
        },
        scratch_);
    ++roundTrips_;
    runToEnd(db_, statement);
    return sqlite3_changes64(db_);
}

void SqliteEngine::executeScript(const QString& script) {
    ++roundTrips_;
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, script.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        throw DbError(classifyError({}, rc, message), message, {}, rc);
    }
}

void SqliteEngine::insert(const QString& sql, const Params& row) {
    execute(sql, row);
}

void SqliteEngine::insertGiven(const QString& sql, std::vector<Value>& row,
                               const std::vector<char>& given) {
    sqlite3_stmt* statement = statements_->get(db_, sql);
    bindForRun(
        db_, statement, std::count(given.begin(), given.end(), 1),
        [&row, &given](const auto& bind) {
            for (std::size_t c = 0; c < row.size(); ++c)
                if (given[c])
                    bind(row[c]);
        },
        scratch_);
    ++roundTrips_;
    runToEnd(db_, statement);
}

// An INSERT of its own, outside the kept statements, so that nothing else run on the connection
// between two bindings of a row can rebind it. Texts and dates are written as bindForRun writes
// them, into blocks that never move while a row is filled, and bound without a copy; each
// parameter keeps what it was given, for value().
class SqliteEngine::Bound final : public BoundInsert {
public:
    Bound(SqliteEngine& engine, sqlite3_stmt* statement) : engine_(engine), statement_(statement) {
        const auto count = static_cast<std::size_t>(sqlite3_bind_parameter_count(statement));
        given_.resize(count);
        dates_.resize(count);
        isos_.resize(count);
        held_.resize(count);
        blocks_.emplace_back(kBlock);
        startRow();
    }
    ~Bound() override { sqlite3_finalize(statement_); }

    void startRow() override {
        block_ = 0;
        next_ = blocks_.front().data();
        end_ = next_ + blocks_.front().size();
    }
    void bind(int index, const Value& value) override {
        Given& given = given_[static_cast<std::size_t>(index)];
        given.kind = value.kind();
        given.held = false;
        int rc = SQLITE_OK;
        switch (value.kind()) {
            case Value::Kind::Null:
                rc = sqlite3_bind_null(statement_, index + 1);
                break;
            case Value::Kind::Integer:
                given.number = *value.asInteger();
                rc = sqlite3_bind_int64(statement_, index + 1, given.number);
                break;
            case Value::Kind::Real:
                given.real = *value.asReal();
                rc = sqlite3_bind_double(statement_, index + 1, given.real);
                break;
            case Value::Kind::Money:
                given.number = value.asMoney()->units();
                rc = sqlite3_bind_double(statement_, index + 1, value.asMoney()->toDouble());
                break;
            case Value::Kind::Text:
                if (bindText(index, *value.asText()))
                    return;
                {
                    // A text with a surrogate: Qt's conversion, copied by SQLite.
                    given.held = true;
                    held_[static_cast<std::size_t>(index)] = value;
                    const QByteArray utf8 = value.asText()->toUtf8();
                    rc = sqlite3_bind_text(statement_, index + 1, utf8.constData(),
                                           static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
                }
                break;
            case Value::Kind::DateTime: {
                // A column's dates mostly repeat from row to row (a document's date, the day of
                // the run): its text is written again only when the date or time changes.
                const QDateTime& dateTime = *value.asDateTime();
                Iso& iso = isos_[static_cast<std::size_t>(index)];
                if (!dateTime.isValid()) {
                    iso.length = -1;
                    rc = sqlite3_bind_text(statement_, index + 1, iso.bytes, 0, SQLITE_STATIC);
                } else {
                    const QDate date = dateTime.date();
                    const QTime time = dateTime.time();
                    const qint64 day = date.toJulianDay();
                    const int msecs = time.msecsSinceStartOfDay();
                    if (iso.length < 0 || iso.day != day || iso.msecs != msecs) {
                        iso.length = writeIsoDateTime(date, time, ' ', iso.bytes);
                        iso.day = day;
                        iso.msecs = msecs;
                    }
                    rc = sqlite3_bind_text(statement_, index + 1, iso.bytes, iso.length,
                                           SQLITE_STATIC);
                }
                dates_[static_cast<std::size_t>(index)] = dateTime;
                break;
            }
        }
        if (rc != SQLITE_OK)
            fail(engine_.db_, rc);
    }
    bool bindText(int index, QStringView text) override {
        char* const out = room(3 * static_cast<std::size_t>(text.size()));
        char* const end = writeUtf8(text, out);
        if (!end)
            return false;
        bindWritten(index, out, end, text.isNull());
        return true;
    }
    void bindUtf8(int index, QByteArrayView utf8) override {
        const auto length = static_cast<std::size_t>(utf8.size());
        char* const out = room(length);
        if (length)
            std::memcpy(out, utf8.data(), length);
        bindWritten(index, out, out + length, false);
    }
    Value value(int index) const override {
        const Given& given = given_[static_cast<std::size_t>(index)];
        if (given.held)
            return held_[static_cast<std::size_t>(index)];
        switch (given.kind) {
            case Value::Kind::Null:
                return {};
            case Value::Kind::Integer:
                return given.number;
            case Value::Kind::Real:
                return given.real;
            case Value::Kind::Money:
                return Money::fromUnits(given.number);
            case Value::Kind::Text:
                return given.number < 0 ? QString() : QString::fromUtf8(given.text, given.number);
            case Value::Kind::DateTime:
                return dates_[static_cast<std::size_t>(index)];
        }
        return {};
    }
    void run() override {
        ++engine_.roundTrips_;
        runToEnd(engine_.db_, statement_);
    }

private:
    static constexpr std::size_t kBlock = 16384;
    struct Given {
        Value::Kind kind = Value::Kind::Null;
        bool held = false;        // the value is in held_
        std::int64_t number = 0;  // a whole number, Money's units, a text's length (-1: null)
        double real = 0;
        const char* text = nullptr;
    };

    // Where `need` bytes go: after the row's last ones, or in the next block.
    // Binds the UTF-8 text written at [out, end) of the current block to parameter `index`,
    // without a copy, and keeps it for value(); a null text reads back as null.
    void bindWritten(int index, char* out, char* end, bool nullText) {
        next_ = end;
        Given& given = given_[static_cast<std::size_t>(index)];
        given.kind = Value::Kind::Text;
        given.held = false;
        given.text = out;
        given.number = nullText ? -1 : end - out;
        const int rc = sqlite3_bind_text(statement_, index + 1, out, static_cast<int>(end - out),
                                         SQLITE_STATIC);
        if (rc != SQLITE_OK)
            fail(engine_.db_, rc);
    }
    char* room(std::size_t need) {
        return need <= static_cast<std::size_t>(end_ - next_) ? next_ : nextBlock(need);
    }
    char* nextBlock(std::size_t need) {
        ++block_;
        if (block_ == blocks_.size())
            blocks_.emplace_back(std::max(kBlock, need));
        else if (blocks_[block_].size() < need)
            blocks_[block_] = std::vector<char>(need);  // not used by this row yet
        next_ = blocks_[block_].data();
        end_ = next_ + blocks_[block_].size();
        return next_;
    }

    SqliteEngine& engine_;
    sqlite3_stmt* statement_;
    std::vector<Given> given_;
    std::vector<QDateTime> dates_;
    // Per parameter, the text of the last date bound to it, bound without a copy.
    struct Iso {
        qint64 day = 0;   // Julian day
        int msecs = 0;    // since midnight
        int length = -1;  // none yet
        char bytes[kIsoDateTimeLength];
    };
    std::vector<Iso> isos_;
    std::vector<Value> held_;  // texts with a surrogate, as given
    std::vector<std::vector<char>> blocks_;
    std::size_t block_ = 0;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

std::unique_ptr<BoundInsert> SqliteEngine::prepareBoundInsert(const QString& sql) {
    return std::make_unique<Bound>(*this, prepareOne(db_, sql));
}

void SqliteEngine::begin() {
    if (inTransaction())
        throw DbError(SQLITE_ERROR, QStringLiteral("Já existe uma transação aberta"), {},
                      SQLITE_ERROR);
    execute(QStringLiteral("BEGIN"), {});
}

void SqliteEngine::commit() {
    execute(QStringLiteral("COMMIT"), {});
}

void SqliteEngine::rollback() {
    if (inTransaction())
        execute(QStringLiteral("ROLLBACK"), {});
}

bool SqliteEngine::inTransaction() const {
    return sqlite3_get_autocommit(db_) == 0;
}

}  // namespace agrimor
