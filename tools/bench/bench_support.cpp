#include "tools/bench/bench_support.h"

#include <malloc.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
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
    QElapsedTimer timer;
    timer.start();
    db_->beginTransaction();
    seconds_ += seconds(timer);
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
            for (int i = 0; i < row.size(); ++i)
                bind(i + 1, row[i]);
            if (sqlite3_step(statement_) != SQLITE_DONE)
                throw DbError(1, QString::fromUtf8(sqlite3_errmsg(handle_)));
            sqlite3_reset(statement_);
        }
    }
    seconds_ += seconds(timer);
}

double InsertLimit::finish() {
    QElapsedTimer timer;
    timer.start();
    db_->commit();
    return seconds_ + seconds(timer);
}

void InsertLimit::bind(int index, const Value& value) {
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
            const QString text = value.toText();
            sqlite3_bind_text16(statement_, index, text.utf16(), static_cast<int>(text.size() * 2),
                                SQLITE_TRANSIENT);
            break;
        }
        case Value::Kind::DateTime: {
            const QByteArray date =
                value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toUtf8();
            sqlite3_bind_text(statement_, index, date.constData(), static_cast<int>(date.size()),
                              SQLITE_TRANSIENT);
            break;
        }
    }
}

void print(const char* what, const Figures& figures, int lines) {
    std::printf("  %-28s %8.2f s %10.0f lines/s", what, figures.seconds, lines / figures.seconds);
    if (figures.statements >= 0)
        std::printf(" %8.2f statements/1000 lines",
                    1000.0 * static_cast<double>(figures.statements) / lines);
    else
        std::printf(" %31s", "");
    std::printf("  peak %6.1f MB (+%.1f)\n", static_cast<double>(figures.peak) / 1024.0,
                static_cast<double>(figures.peak - figures.start) / 1024.0);
}

void printLimit(const Figures& figures, int lines, bool odbc) {
    std::printf("  %-28s %8.2f s %10.0f rows/s  peak %6.1f MB (+%.1f)  (%s)\n",
                "limit: prepared INSERT", figures.seconds, lines / figures.seconds,
                static_cast<double>(figures.peak) / 1024.0,
                static_cast<double>(figures.peak - figures.start) / 1024.0,
                odbc ? "engine insert, array-bound" : "sqlite3 C API");
}

int runCases(int argc, char** argv, const char* name, int minimum,
             const std::vector<std::pair<bool, int>>& defaults,
             const std::function<void(bool odbc, int lines)>& run) {
    QCoreApplication app(argc, argv);
    std::vector<std::pair<bool, int>> cases;
    bool odbc = false;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--odbc")) {
            odbc = true;
            continue;
        }
        bool ok = false;
        const int n = arg.toInt(&ok);
        if (!ok || n < minimum) {
            std::fprintf(stderr, "usage: %s [--odbc] [N ...]\n", name);
            return 2;
        }
        cases.emplace_back(odbc, n);
    }
    if (cases.empty())
        cases = defaults;
    try {
        for (const auto& [viaOdbc, lines] : cases)
            run(viaOdbc, lines);
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
