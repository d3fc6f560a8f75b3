// agrimor-xls-reader --list FILE | --sheet N FILE
//
// Reads a .xls workbook for the program (see xls_process.h) and writes the answer on standard
// output as records (record_codec.h): the sheet list, or the rows of sheet N (0-based). The
// reader's own refusals are records too; the exit code is 0 unless the output could not be
// written (3) or the arguments are wrong (2).

#include <sys/resource.h>
#include <unistd.h>

#include <QString>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <new>

#include "workbook/biff_reader.h"
#include "workbook/record_codec.h"
#include "workbook/workbook.h"

namespace {

using namespace agrimor;

constexpr int kWriteFailed = 3;
constexpr int kUsage = 2;
// More than a workbook stream of the largest size the reader takes needs.
constexpr rlim_t kMemoryLimit = rlim_t{6} << 30;

void writeAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            _exit(kWriteFailed);
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);  // a parent that stopped reading: write fails, we leave
    // A crash here is reported to the user as a damaged file; it leaves no core file.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit memory{kMemoryLimit, kMemoryLimit};
    setrlimit(RLIMIT_AS, &memory);

    const bool list = argc == 3 && std::strcmp(argv[1], "--list") == 0;
    const bool sheet = argc == 4 && std::strcmp(argv[1], "--sheet") == 0;
    if (!list && !sheet)
        return kUsage;
    const QString path = QString::fromLocal8Bit(argv[argc - 1]);

    record_codec::Writer out(writeAll);
    try {
        const std::unique_ptr<Workbook> book = openBiff(path);
        if (list) {
            out.workbook(book->sheets(), book->dateSystem());
        } else {
            bool number = false;
            const int index = QString::fromLocal8Bit(argv[2]).toInt(&number);
            if (!number)
                return kUsage;
            book->readCells(index, out);
            out.done();
        }
    } catch (const WorkbookError& error) {
        out.error(error.number(), error.message());
    } catch (const std::bad_alloc&) {
        out.error(WorkbookError::kUnreadable,
                  unreadableWorkbookText(path, QStringLiteral("memória insuficiente")));
    } catch (const std::exception& error) {
        out.error(WorkbookError::kUnreadable,
                  unreadableWorkbookText(path, QString::fromUtf8(error.what())));
    }
    out.end();
    return 0;
}
