#pragma once

#include <QString>
#include <memory>

#include "workbook/workbook.h"

// .xls files are read by a reader executable of their own (agrimor-xls-reader, built from
// xls_reader_main.cpp): a compound document or a BIFF stream damaged in a way no test foresaw
// can then crash or hang only that process. The program starts it for the sheet list when it
// opens the workbook and again for each sheet it reads, and takes the rows as they arrive
// (record_codec.h), so the sheet is never held whole on either side.
namespace agrimor {

// How a read by the reader process ended.
enum class ReadOutcome {
    Read,      // the whole answer arrived
    Refused,   // the reader refused the file, with its own WorkbookError
    Crashed,   // the process died by a signal
    Failed,    // it could not be started, or exited with a failure
    TimedOut,  // it passed the time limit and was stopped
    Malformed  // its answer was cut short or out of shape
};

// What Workbook::open and readSheet throw for a .xls file that the reader process did not read:
// the text the user sees, and how the process ended.
class XlsReadError : public WorkbookError {
public:
    XlsReadError(ReadOutcome outcome, int number, QString message)
        : WorkbookError(number, std::move(message)), outcome_(outcome) {}
    ReadOutcome outcome() const { return outcome_; }

private:
    ReadOutcome outcome_;
};

// The reader executable `options` name, or AGRIMOR_XLS_READER, or agrimor-xls-reader where the
// program keeps its own files (data/program_files.h).
QString xlsReaderProgram(const OpenOptions& options);

// Opens a .xls workbook through the reader process: its sheet list now, each sheet when read.
std::unique_ptr<Workbook> openXlsInReaderProcess(const QString& path, const OpenOptions& options);

}  // namespace agrimor
