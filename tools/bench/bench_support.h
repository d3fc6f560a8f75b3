#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/prompter.h"
#include "data/connection_settings.h"
#include "data/value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace agrimor {
class DataAccess;
}

// What the benchmarks share: the command line, timing, peak memory, the settings of the
// databases they make, the bare prepared INSERT the program's writing is compared with, and the
// lines they print.
namespace agrimor::bench {

double seconds(const QElapsedTimer& timer);

// A field of /proc/self/status ("VmHWM:", "VmRSS:") in KiB; -1 when it can not be read.
long procStatusKiB(const char* field);
// The peak resident size (VmHWM) since the last resetPeak(), in KiB.
long peakKiB();
// Hands memory freed earlier back to the system, so that it does not count as resident, and
// makes the next peakKiB() the peak from now on.
void resetPeak();
// The resident size (VmRSS) when resetPeak() last ran, in KiB: what the process already held.
long startKiB();
// The resident size now, after handing freed memory back, in KiB.
long residentKiB();

// Runs `work` in a forked child and waits for it, so that the memory it takes does not count in
// this process's peak. Throws with `what` when the child fails or `work` throws.
void runInChild(const std::function<void()>& work, const char* what);

// A database file of `folder`: embedded, or through the SQLite ODBC driver with `odbc`.
ConnectionSettings settingsFor(bool odbc, const QString& folder, const QString& file);

// Answers every question OK or Yes and keeps the last text, for the error a failed run throws.
class SilentPrompter : public Prompter {
public:
    Answer ask(const Prompt& prompt) override {
        last = prompt.text;
        return prompt.kind == PromptKind::YesNo ? Answer::Yes : Answer::Ok;
    }
    QString last;
};

// The limit a writing is compared with: rows inserted into a new company database `Limite.db`
// in `folder` with one reused prepared INSERT of `columns` into MovCTB, in one transaction; on
// SQLite through the sqlite3 C API, each value bound the leanest way the API allows (numbers as
// numbers, texts as UTF-8 written into one buffer and bound without a copy, dates written by
// hand), on ODBC through the engine's array-bound insert. Only the inserts are timed (on ODBC with
// the sending of the rows held back), neither the making of the rows nor the transaction's begin
// and commit, as a job's writing is timed.
class InsertLimit {
public:
    InsertLimit(const QString& folder, bool odbc, const QStringList& columns);
    ~InsertLimit();
    InsertLimit(const InsertLimit&) = delete;
    InsertLimit& operator=(const InsertLimit&) = delete;

    void insert(const std::vector<Params>& rows);
    // Commits; the seconds spent in the inserts.
    double finish();

private:
    void bindRow(const Params& row);

    std::unique_ptr<DataAccess> db_;
    bool odbc_;
    QString sql_;
    sqlite3* handle_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;
    std::vector<char> texts_;
    double seconds_ = 0;
};

// The limit of a job's writing: the MovCTB rows the job wrote into `file` of `folder` (those
// `where` picks), read back in the order written through SQLite (not timed) and inserted as they
// are, every column but DBTS, through an InsertLimit. The seconds of the inserts.
double writtenRowsLimit(const QString& folder, const QString& file, const QString& where,
                        bool odbc);

// One measured command. `statements` is -1 where they are not counted. `start` is what the
// process held when the measure began: the peak less it is what the command itself took.
struct Figures {
    double seconds = 0;
    std::int64_t statements = -1;
    long peak = 0;
    long start = startKiB();
};

// "  what    s   lines/s   statements/1000 lines  peak MB (+ MB the command took)"
void print(const char* what, const Figures& figures, int lines);
// The limit's line, saying which insert it measured.
void printLimit(const Figures& figures, int lines, bool odbc);
// "  what: ratio", a measure against the limit.
void printRatio(const char* what, double ratio);
// Text for a reader (case headings, notes); left out of the table.
void say(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The command line every benchmark takes, "[--table] [--odbc] [N ...]": each N is a case, on
// ODBC once --odbc has been given. Runs the cases (`defaults` when none is given) and returns the
// exit code: 2 for a wrong argument (an N below `minimum`), 1 when a case throws. With --table the
// figures are printed as tab-separated records for tools/bench/run-all.sh instead:
//   figure <bench> <engine> <lines> <what> <seconds> <statements/1000 or -> <peak MB> <+MB>
//   ratio  <bench> <engine> <lines> <what> <ratio>
int runCases(int argc, char** argv, const char* name, int minimum,
             const std::vector<std::pair<bool, int>>& defaults,
             const std::function<void(bool odbc, int lines)>& run);

}  // namespace agrimor::bench
