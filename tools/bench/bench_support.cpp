#include "tools/bench/bench_support.h"

#include <malloc.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QStringEncoder>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "data/data_access.h"
#include "data/db_error.h"
#include "data/sqlite_engine.h"
#include "tools/seeder/demo_seeder.h"

namespace agrimor::bench {

double seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

long procStatusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(static_cast<qsizetype>(std::strlen(field)))
                .trimmed()
                .split(' ')
                .front()
                .toLong();
    }
    return -1;
}

long peakKiB() {
    return procStatusKiB("VmHWM:");
}

namespace {
long startedWith = 0;
}  // namespace

void resetPeak() {
    startedWith = residentKiB();
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

long startKiB() {
    return startedWith;
}

long residentKiB() {
    // Without it, memory a command freed stays resident in the allocator's free lists and counts
    // in the peak of whatever is measured next.
    malloc_trim(0);
    return procStatusKiB("VmRSS:");
}

void runInChild(const std::function<void()>& work, const char* what) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        int status = 0;
        try {
            work();
        } catch (...) {
            status = 1;
        }
        _exit(status);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        throw std::runtime_error(what);
}

ConnectionSettings settingsFor(bool odbc, const QString& folder, const QString& file) {
    ConnectionSettings settings;
    settings.server = odbc ? QStringLiteral("odbc") : QStringLiteral("sqlite");
    settings.database = file;
    settings.user = QStringLiteral("bench");
    settings.dataFolder = folder;
    if (odbc)
        settings.odbc.driver = QStringLiteral("SQLite3");
    return settings;
}

namespace {

bool table = false;          // --table: records instead of lines for a reader
const char* benchName = "";  // the benchmark, for the records
bool caseOdbc = false;       // the case being run
int caseLines = 0;

const char* engineName() {
    return caseOdbc ? "ODBC" : "SQLite";
}

}  // namespace

InsertLimit::InsertLimit(const QString& folder, bool odbc, const QStringList& columns)
    : db_(std::make_unique<DataAccess>()),
      odbc_(odbc),
      sql_(QStringLiteral("INSERT INTO MovCTB (%1) VALUES (%2)")
               .arg(columns.join(QStringLiteral(", ")),
                    QStringLiteral("?, ").repeated(columns.size()).chopped(2))) {
    const QString file = QStringLiteral("Limite.db");
    demo::createCompanyDatabase(folder + QLatin1Char('/') + file).reset();
    db_->connect(settingsFor(odbc, folder, file));
    if (!odbc_) {
        handle_ = dynamic_cast<SqliteEngine&>(db_->engine()).handle();
        const QByteArray text = sql_.toUtf8();
        if (sqlite3_prepare_v2(handle_, text.constData(), -1, &statement_, nullptr) != SQLITE_OK)
            throw DbError(1, QString::fromUtf8(sqlite3_errmsg(handle_)));
    }
    db_->beginTransaction();
}

InsertLimit::~InsertLimit() {
    sqlite3_finalize(statement_);
}

void InsertLimit::insert(const std::vector<Params>& rows) {
    QElapsedTimer timer;
    timer.start();
    if (odbc_) {
        for (const Params& row : rows)
            db_->engine().insert(sql_, row);
        db_->engine().flush();
    } else {
        for (const Params& row : rows) {
            bindRow(row);
            if (sqlite3_step(statement_) != SQLITE_DONE)
                throw DbError(1, QString::fromUtf8(sqlite3_errmsg(handle_)));
            sqlite3_reset(statement_);
        }
    }
    seconds_ += seconds(timer);
}

double InsertLimit::finish() {
    db_->commit();
    return seconds_;
}

void InsertLimit::bindRow(const Params& row) {
    std::size_t room = 0;
    for (const Value& value : row) {
        if (const QString* text = value.asText())
            room += 3 * static_cast<std::size_t>(text->size());
        else if (value.kind() == Value::Kind::DateTime)
            room += kIsoDateTimeLength;
    }
    if (texts_.size() < room)
        texts_.resize(room);
    char* out = texts_.data();
    QStringEncoder utf8(QStringEncoder::Utf8);
    for (int i = 0; i < row.size(); ++i) {
        const Value& value = row[i];
        const int index = i + 1;
        switch (value.kind()) {
            case Value::Kind::Null:
                sqlite3_bind_null(statement_, index);
                break;
            case Value::Kind::Integer:
                sqlite3_bind_int64(statement_, index, value.toInt());
                break;
            case Value::Kind::Real:
            case Value::Kind::Money:
                sqlite3_bind_double(statement_, index, value.toDouble());
                break;
            case Value::Kind::Text: {
                char* const end = utf8.appendToBuffer(out, *value.asText());
                sqlite3_bind_text(statement_, index, out, static_cast<int>(end - out),
                                  SQLITE_STATIC);
                out = end;
                break;
            }
            case Value::Kind::DateTime: {
                const int length = writeIsoDateTime(*value.asDateTime(), ' ', out);
                sqlite3_bind_text(statement_, index, out, length, SQLITE_STATIC);
                out += length;
                break;
            }
        }
    }
}

namespace {

// The rows read back, handed to the limit a chunk at a time.
class WrittenRows : public RowSink {
public:
    WrittenRows(const QString& folder, bool odbc) : folder_(folder), odbc_(odbc) {}

    void columns(const QList<ColumnInfo>& columns) override {
        QStringList names;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            if (columns[c].name.compare(QLatin1String("DBTS"), Qt::CaseInsensitive) != 0)
                names << columns[c].name;
            else
                skip_ = static_cast<int>(c);
        }
        limit_ = std::make_unique<InsertLimit>(folder_, odbc_, names);
    }
    bool row(std::vector<Value>& values) override {
        Params row;
        row.reserve(static_cast<qsizetype>(values.size()));
        for (int c = 0; c < static_cast<int>(values.size()); ++c)
            if (c != skip_)
                row.push_back(std::move(values[static_cast<std::size_t>(c)]));
        chunk_.push_back(std::move(row));
        if (chunk_.size() >= kChunk)
            send();
        return true;
    }
    double finish() {
        if (!limit_)
            throw std::runtime_error("no rows to compare with");
        send();
        return limit_->finish();
    }

private:
    static constexpr std::size_t kChunk = 20000;

    void send() {
        if (!chunk_.empty())
            limit_->insert(chunk_);
        chunk_.clear();
    }

    QString folder_;
    bool odbc_;
    int skip_ = -1;
    std::unique_ptr<InsertLimit> limit_;
    std::vector<Params> chunk_;
};

}  // namespace

double writtenRowsLimit(const QString& folder, const QString& file, const QString& where,
                        bool odbc) {
    DataAccess source;
    source.connect(settingsFor(false, folder, file));
    WrittenRows rows(folder, odbc);
    source.queryEach(QStringLiteral("SELECT * FROM MovCTB WHERE %1 ORDER BY rowid")
                         .arg(where.isEmpty() ? QStringLiteral("1=1") : where),
                     {}, rows);
    return rows.finish();
}

void print(const char* what, const Figures& figures, int lines) {
    if (table) {
        std::printf("figure\t%s\t%s\t%d\t%s\t%.4f\t", benchName, engineName(), caseLines, what,
                    figures.seconds);
        if (figures.statements >= 0)
            std::printf("%.2f", 1000.0 * static_cast<double>(figures.statements) / lines);
        else
            std::printf("-");
        std::printf("\t%.1f\t%.1f\n", static_cast<double>(figures.peak) / 1024.0,
                    static_cast<double>(figures.peak - figures.start) / 1024.0);
        return;
    }
    std::printf("  %-30s %8.2f s %10.0f lines/s", what, figures.seconds, lines / figures.seconds);
    if (figures.statements >= 0)
        std::printf(" %8.2f statements/1000 lines",
                    1000.0 * static_cast<double>(figures.statements) / lines);
    else
        std::printf(" %31s", "");
    if (figures.peak > 0)
        std::printf("  peak %6.1f MB (+%.1f)", static_cast<double>(figures.peak) / 1024.0,
                    static_cast<double>(figures.peak - figures.start) / 1024.0);
    std::printf("\n");
}

void printLimit(const Figures& figures, int lines, bool odbc) {
    if (table) {
        print("limit: prepared INSERT", figures, lines);
        return;
    }
    std::printf("  %-30s %8.2f s %10.0f rows/s  peak %6.1f MB (+%.1f)  (%s)\n",
                "limit: prepared INSERT", figures.seconds, lines / figures.seconds,
                static_cast<double>(figures.peak) / 1024.0,
                static_cast<double>(figures.peak - figures.start) / 1024.0,
                odbc ? "engine insert, array-bound" : "sqlite3 C API");
}

void printRatio(const char* what, double ratio) {
    if (table)
        std::printf("ratio\t%s\t%s\t%d\t%s\t%.3f\n", benchName, engineName(), caseLines, what,
                    ratio);
    else
        std::printf("  %s: %.2f\n", what, ratio);
}

void say(const char* format, ...) {
    if (table)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
}

int runCases(int argc, char** argv, const char* name, int minimum,
             const std::vector<std::pair<bool, int>>& defaults,
             const std::function<void(bool odbc, int lines)>& run) {
    QCoreApplication app(argc, argv);
    std::vector<std::pair<bool, int>> cases;
    bool odbc = false;
    benchName = name;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--odbc")) {
            odbc = true;
            continue;
        }
        if (arg == QLatin1String("--table")) {
            table = true;
            continue;
        }
        bool ok = false;
        const int n = arg.toInt(&ok);
        if (!ok || n < minimum) {
            std::fprintf(stderr, "usage: %s [--table] [--odbc] [N ...]\n", name);
            return 2;
        }
        cases.emplace_back(odbc, n);
    }
    if (cases.empty())
        cases = defaults;
    try {
        for (const auto& [viaOdbc, lines] : cases) {
            caseOdbc = viaOdbc;
            caseLines = lines;
            run(viaOdbc, lines);
            std::fflush(stdout);
        }
        return 0;
    } catch (const Error& error) {
        if (error.number() != 0)
            std::fprintf(stderr, "error: %d - %s\n", error.number(), qPrintable(error.message()));
        else
            std::fprintf(stderr, "error: %s\n", qPrintable(error.message()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
    }
    return 1;
}

}  // namespace agrimor::bench
