#include "data/statement_recorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSet>

#include "data/dialect.h"
#include "data/engine.h"

namespace agrimor {

namespace {

thread_local int pauses = 0;

// The process's log: one file per process, each distinct text once.
class StatementLog {
public:
    explicit StatementLog(const QString& folder) {
        QDir().mkpath(folder);
        file_.setFileName(QDir(folder).filePath(
            QStringLiteral("%1.jsonl").arg(QCoreApplication::applicationPid())));
        executable_ = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        executable_ = QFileInfo(executable_).fileName();
    }

    void record(const QString& sql) {
        if (pauses > 0)
            return;
        const QMutexLocker lock(&mutex_);
        if (seen_.contains(sql))
            return;
        seen_.insert(sql);
        if (!file_.isOpen() && !file_.open(QIODevice::Append | QIODevice::Text))
            return;
        QString source = executable_;
        if (const QString test = qEnvironmentVariable("AGRIMOR_STATEMENT_SOURCE"); !test.isEmpty())
            source += QStringLiteral(": ") + test;
        const QJsonObject line{{QStringLiteral("sql"), sql}, {QStringLiteral("source"), source}};
        file_.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
        file_.flush();
    }

private:
    QMutex mutex_;
    QSet<QString> seen_;
    QFile file_;
    QString executable_;
};

StatementLog* processLog() {
    static StatementLog* log = [] {
        const QString folder = qEnvironmentVariable("AGRIMOR_STATEMENT_LOG");
        return folder.isEmpty() ? nullptr : new StatementLog(folder);
    }();
    return log;
}

// Runs nothing: the statements a dialect runs by itself are handed here to be logged.
class CapturingEngine : public Engine {
public:
    explicit CapturingEngine(const Dialect& dialect, StatementLog& log)
        : dialect_(dialect), log_(log) {}
    const Dialect& dialect() const override { return dialect_; }
    void queryEach(const QString& sql, const Params&, RowSink& sink) override {
        log_.record(sql);
        sink.columns({});
    }
    std::int64_t execute(const QString& sql, const Params&) override {
        log_.record(sql);
        return 0;
    }
    void insert(const QString& sql, const Params&) override { log_.record(sql); }
    void flush() override {}
    void begin() override {}
    void commit() override {}
    void rollback() override {}
    bool inTransaction() const override { return true; }
    std::int64_t roundTrips() const override { return 0; }

private:
    const Dialect& dialect_;
    StatementLog& log_;
};

// Stands in for the dialect of a connection that is not on SQL Server: hands out the connection's
// own texts, and remembers for each what the SQL Server dialect builds for the same request.
class ServerRenderingDialect : public Dialect {
public:
    ServerRenderingDialect(const Dialect& sent, Engine& connection, StatementLog& log)
        : sent_(sent), server_(makeSqlServerDialect()), connection_(connection), log_(log) {}

    // The texts SQL Server would have been sent in place of `sql`.
    QStringList serverTexts(const QString& sql) const {
        const QMutexLocker lock(&mutex_);
        QStringList texts = statements_.take(sql);
        if (texts.isEmpty())
            texts << sql;
        for (QString& text : texts)
            for (auto piece = pieces_.cbegin(); piece != pieces_.cend(); ++piece)
                text.replace(piece.key(), piece.value());
        return texts;
    }

    QString name() const override { return sent_.name(); }
    QString dateTimeText(const QDateTime& value) const override {
        return sent_.dateTimeText(value);
    }
    QString dateEquals(const QString& column) const override {
        return piece(sent_.dateEquals(column), server_->dateEquals(column));
    }
    QString dateOrder(const QString& column) const override {
        return piece(sent_.dateOrder(column), server_->dateOrder(column));
    }
    bool hasRowLocator() const override { return sent_.hasRowLocator(); }

    QString updatableSelect(const QString& table, const QString& where,
                            const QString& orderBy) const override {
        return statement(sent_.updatableSelect(table, where, orderBy),
                         {server_->updatableSelect(table, where, orderBy)});
    }
    QString updateRow(const QString& table, const QStringList& setColumns,
                      const QList<ColumnInfo>& columns, const std::vector<Value>& original,
                      const Value& locator, Params& params) const override {
        Params unused;
        return statement(
            sent_.updateRow(table, setColumns, columns, original, locator, params),
            {server_->updateRow(table, setColumns, columns, original, locator, unused)});
    }
    QString deleteRow(const QString& table, const QList<ColumnInfo>& columns,
                      const std::vector<Value>& original, const Value& locator,
                      Params& params) const override {
        Params unused;
        return statement(sent_.deleteRow(table, columns, original, locator, params),
                         {server_->deleteRow(table, columns, original, locator, unused)});
    }

    QStringList createOwnTables() const override {
        const QStringList sent = sent_.createOwnTables();
        const QStringList server = server_->createOwnTables();
        for (qsizetype i = 0; i < sent.size(); ++i)
            statement(sent[i], {server.value(i)});
        return sent;
    }
    QString createRunLog() const override {
        return statement(sent_.createRunLog(), {server_->createRunLog()});
    }
    QString columnTypeQuery() const override {
        return statement(sent_.columnTypeQuery(), {server_->columnTypeQuery()});
    }
    QString columnsQuery() const override {
        return statement(sent_.columnsQuery(), {server_->columnsQuery()});
    }
    QStringList addColumns(const QString& table, const QStringList& definitions) const override {
        // One product adds all the columns in one statement, the other one at a time: the first
        // statement sent stands for the server's, the others for none.
        const QStringList sent = sent_.addColumns(table, definitions);
        for (qsizetype i = 0; i < sent.size(); ++i)
            statement(sent[i], i == 0 ? server_->addColumns(table, definitions) : QStringList());
        return sent;
    }
    void retypeToText(Engine&, const QString& table, const QStringList& columns,
                      int size) const override {
        CapturingEngine capture(*server_, log_);
        server_->retypeToText(capture, table, columns, size);
        const StatementRecordingPause pause;
        sent_.retypeToText(connection_, table, columns, size);
    }

protected:
    // Never reached: the builders that use them are passed through whole.
    QString updatableColumns() const override { return {}; }
    QString updateOne(const QString&) const override { return {}; }
    QString deleteOne(const QString&) const override { return {}; }
    QString rowFilter(const QList<ColumnInfo>&, const std::vector<Value>&, const Value&,
                      Params&) const override {
        return {};
    }

private:
    QString piece(const QString& sent, const QString& server) const {
        const QMutexLocker lock(&mutex_);
        if (sent != server)
            pieces_.insert(sent, server);
        return sent;
    }
    // Until it is sent, `sent` stands for `server` (none: the statement is not sent to SQL
    // Server at all).
    QString statement(const QString& sent, const QStringList& server) const {
        const QMutexLocker lock(&mutex_);
        QStringList& texts = statements_[sent];
        if (server.isEmpty())
            texts << QString();
        for (const QString& text : server)
            if (!texts.contains(text))
                texts << text;
        return sent;
    }

    const Dialect& sent_;
    std::unique_ptr<Dialect> server_;
    Engine& connection_;
    StatementLog& log_;
    mutable QMutex mutex_;
    mutable QHash<QString, QStringList> statements_;
    mutable QHash<QString, QString> pieces_;
};

class RecordingEngine : public Engine {
public:
    RecordingEngine(std::shared_ptr<Engine> inner, StatementLog& log)
        : inner_(std::move(inner)), log_(log) {
        if (inner_->dialect().name() != makeSqlServerDialect()->name())
            rendering_ = std::make_unique<ServerRenderingDialect>(inner_->dialect(), *inner_, log);
    }

    const Dialect& dialect() const override { return rendering_ ? *rendering_ : inner_->dialect(); }
    void queryEach(const QString& sql, const Params& params, RowSink& sink) override {
        record(sql);
        inner_->queryEach(sql, params, sink);
    }
    std::int64_t execute(const QString& sql, const Params& params) override {
        record(sql);
        return inner_->execute(sql, params);
    }
    void insert(const QString& sql, const Params& row) override {
        record(sql);
        inner_->insert(sql, row);
    }
    void insertGiven(const QString& sql, std::vector<Value>& row,
                     const std::vector<char>& given) override {
        record(sql);
        inner_->insertGiven(sql, row, given);
    }
    void flush() override { inner_->flush(); }
    void begin() override { inner_->begin(); }
    void commit() override { inner_->commit(); }
    void rollback() override { inner_->rollback(); }
    bool inTransaction() const override { return inner_->inTransaction(); }
    std::int64_t roundTrips() const override { return inner_->roundTrips(); }

private:
    void record(const QString& sql) {
        if (!rendering_) {
            log_.record(sql);
            return;
        }
        for (const QString& text : rendering_->serverTexts(sql))
            if (!text.isEmpty())
                log_.record(text);
    }

    std::shared_ptr<Engine> inner_;
    StatementLog& log_;
    std::unique_ptr<ServerRenderingDialect> rendering_;
};

}  // namespace

std::shared_ptr<Engine> recordStatementsWhenAsked(std::shared_ptr<Engine> engine) {
    StatementLog* log = processLog();
    if (!log)
        return engine;
    return std::make_shared<RecordingEngine>(std::move(engine), *log);
}

StatementRecordingPause::StatementRecordingPause() {
    ++pauses;
}

StatementRecordingPause::~StatementRecordingPause() {
    --pauses;
}

}  // namespace agrimor
