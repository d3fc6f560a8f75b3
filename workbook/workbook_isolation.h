#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

#include "workbook/workbook.h"

// How Workbook::open keeps the readers' libraries away from the program: the file is parsed in a
// forked child that sends every sheet back through a pipe. A damaged file can make the libraries
// crash, abort or loop; in the child that ends only the child, and open() throws a WorkbookError.
// This header is for the fuzzer, the benchmark and the tests; the program only calls open().
namespace agrimor::workbook_isolation {

struct Settings {
    // How long the child may take to parse and send the whole workbook before it is killed.
    std::chrono::milliseconds timeLimit{std::chrono::seconds(60)};
    // Runs in the child before the file is parsed, with the pipe's write end: a test hook to make
    // the child hang, crash, exit or write what it should not.
    std::function<void(int output)> inChild;
};

// The settings open() uses; tests and tools change them and put them back.
Settings& settings();

// How the last open() ended in the child.
enum class Outcome { Read, Refused, Crashed, Failed, TimedOut, Malformed };
Outcome lastOutcome();

// Checks that `path` is a file and tells its format by content; throws the WorkbookError the
// user sees for a missing file or a file of another kind.
enum class Format { Xlsx, Xls };
Format checkFile(const QString& path);

// Parses the file in this process with the libraries directly: a damaged file can end the
// process. Used by the child, and by the fuzzer to reach the libraries under a debugger.
std::unique_ptr<Workbook> openInProcess(const QString& path);

}  // namespace agrimor::workbook_isolation
