#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace agrimor {

// The program could not be started: the reason, worded for the user.
struct ProcessStartError {
    QString message;
};

// How a reader process ended.
struct ProcessEnd {
    enum class Kind { Exited, Signalled, TimedOut };
    Kind kind = Kind::Exited;
    int code = 0;  // the exit code, or the signal
};

// Runs `program` with `arguments` (posix_spawn: nothing of this process runs in the child but
// the program itself), handing its standard output to `output` as it arrives; its input and
// errors are /dev/null. Only the time spent waiting for the process counts toward `timeLimit`,
// not the time `output` takes; past the limit the process is killed. An exception from `output`
// kills the process and propagates. A program that can not be started throws ProcessStartError.
ProcessEnd runReaderProcess(const QString& program, const QStringList& arguments,
                            std::chrono::milliseconds timeLimit,
                            const std::function<void(const char*, std::size_t)>& output);

}  // namespace agrimor
