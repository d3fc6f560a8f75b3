// bench-workbook-read [rows] [--repeat N] [--keep DIR]
// Reads a movement sheet of `rows` rows (100,000 by default) and 23 columns into the import
// tables through Workbook::open + readMovementSheet, in .xlsx and in .xls, and in the same run
// times the library alone on the same file: liborcus loading the document for .xlsx, libfreexl
// opening it and reading every cell for .xls. That is the limit the readers are measured
// against. A .xls sheet holds at most 65,535 data rows; the .xls file gets that many when more
// are asked for.
//
// Every measurement runs in a forked child (peak memory, VmHWM, is reset at its start so peaks do
// not mix); the best time of --repeat runs (3) is printed, with the peak of that run. Memory is
// compared with the unpacked size of the file: the sum of the package parts for .xlsx, the file
// for .xls. Workbook::open parses in a child process of its own; its peak is printed beside the
// peak of the process that receives the sheet, and the two together are compared too, as both
// are alive while the sheet crosses.

#include <freexl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>

#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "tools/seeder/sample_workbooks.h"
#include "workbook/workbook.h"

namespace {

using namespace agrimor;

struct Measure {
    double seconds = 0;
    double peakMb = 0;
    double childPeakMb = 0;  // the largest child the work waited for
    long long rows = 0;
};

long long procStatusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<qsizetype>(std::strlen(field)))
                .trimmed()
                .split(' ')[0]
                .toLongLong();
    return 0;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Runs `work` in a child; the child sends back its time, peak and row count through a pipe.
template <typename Work>
Measure inChild(Work work) {
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        resetPeak();
        Measure measure;
        QElapsedTimer timer;
        timer.start();
        try {
            measure.rows = work();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "error: %s\n", error.what());
            measure.rows = -1;
        }
        measure.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        measure.peakMb = static_cast<double>(procStatusKb("VmHWM:")) / 1024.0;
        rusage children{};
        if (getrusage(RUSAGE_CHILDREN, &children) == 0)
            measure.childPeakMb = static_cast<double>(children.ru_maxrss) / 1024.0;
        if (write(channel[1], &measure, sizeof measure) != sizeof measure)
            _exit(1);
        _exit(0);
    }
    close(channel[1]);
    Measure measure;
    if (read(channel[0], &measure, sizeof measure) != sizeof measure)
        measure.rows = -1;
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return measure;
}

template <typename Work>
Measure best(int repeat, Work work) {
    Measure result;
    for (int i = 0; i < repeat; ++i) {
        const Measure run = inChild(work);
        if (i == 0 || (run.rows >= 0 && run.seconds < result.seconds))
            result = run;
    }
    return result;
}

long long orcusLoad(const QString& path) {
    orcus::spreadsheet::document document{orcus::spreadsheet::range_size_t{kMaxSheetRows, 16384}};
    orcus::spreadsheet::import_factory factory(document);
    factory.set_recalc_formula_cells(true);
    orcus::orcus_xlsx reader(&factory);
    reader.read_file(QFile::encodeName(path).toStdString());
    return static_cast<long long>(document.get_sheet_count());
}

long long freexlReadAll(const QString& path) {
    const void* handle = nullptr;
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK)
        throw std::runtime_error("freexl_open");
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_select_active_worksheet(handle, 0);
    freexl_worksheet_dimensions(handle, &rows, &columns);
    long long cells = 0;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle, r, c, &value) == FREEXL_OK &&
                value.type != FREEXL_CELL_NULL)
                ++cells;
        }
    }
    freexl_close(handle);
    return rows > 0 ? rows - 1 : 0;
}

long long readerLoad(const QString& path) {
    const auto book = Workbook::open(path);
    ImportLinesTable lines;
    ImportDocumentsTable documents;
    readMovementSheet(*book, book->sheetNames().value(0), lines, documents);
    return lines.size();
}

// The sum of the uncompressed sizes in a zip package's central directory.
double unpackedMb(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray zip = file.readAll();
    const auto u16 = [&](qsizetype at) {
        return static_cast<quint32>(static_cast<uchar>(zip[at]) | static_cast<uchar>(zip[at + 1])
                                                                      << 8);
    };
    const auto u32 = [&](qsizetype at) { return u16(at) | u16(at + 2) << 16; };
    qsizetype end = zip.lastIndexOf(QByteArrayLiteral("PK\x05\x06"));
    if (end < 0)
        return static_cast<double>(zip.size()) / 1048576.0;
    qsizetype at = u32(end + 16);
    double total = 0;
    for (quint32 i = 0; i < u16(end + 10) && at + 46 <= zip.size(); ++i) {
        total += u32(at + 24);
        at += 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
    }
    return total / 1048576.0;
}

void report(const char* format, const QString& path, bool xlsx, int repeat) {
    const double fileMb = static_cast<double>(QFileInfo(path).size()) / 1048576.0;
    const double unpacked = xlsx ? unpackedMb(path) : fileMb;
    const Measure limit =
        best(repeat, [&] { return xlsx ? orcusLoad(path) : freexlReadAll(path); });
    const Measure ours = best(repeat, [&] { return readerLoad(path); });
    std::printf("%s: %lld rows x 23 columns, file %.1f MB, unpacked %.1f MB\n", format, ours.rows,
                fileMb, unpacked);
    std::printf("  %-44s %7.2f s                    peak %7.1f MB\n",
                xlsx ? "limit: liborcus document load" : "limit: libfreexl open + every cell",
                limit.seconds, limit.peakMb);
    std::printf("  %-44s %7.2f s %10.0f rows/s  peak %7.1f MB\n",
                "Workbook::open + readMovementSheet", ours.seconds,
                static_cast<double>(ours.rows) / ours.seconds, ours.peakMb);
    std::printf("  %-44s %7s                      peak %7.1f MB\n",
                "  Workbook::open's parsing child", "", ours.childPeakMb);
    std::printf(
        "  time %.2fx the limit (target <= 1.5x); peak %.1fx the unpacked size "
        "(target < 10x), parsing child %.1fx, both %.1fx\n",
        ours.seconds / limit.seconds, ours.peakMb / unpacked, ours.childPeakMb / unpacked,
        (ours.peakMb + ours.childPeakMb) / unpacked);
}

}  // namespace

int main(int argc, char** argv) {
    int rows = 100000;
    int repeat = 3;
    QString keep;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = QString::fromLocal8Bit(argv[++i]);
        } else if (arg.toInt() > 0) {
            rows = arg.toInt();
        } else {
            std::fprintf(stderr, "usage: bench-workbook-read [rows] [--repeat N] [--keep DIR]\n");
            return 2;
        }
    }
    QTemporaryDir temporary;
    const QDir folder(keep.isEmpty() ? temporary.path() : keep);
    QDir().mkpath(folder.path());
    const QString xlsx = folder.filePath(QStringLiteral("Movimentos100k.xlsx"));
    const QString xls = folder.filePath(QStringLiteral("Movimentos100k.xls"));

    // The files are written in a child, so the sheet built in memory does not count in the
    // peaks of the children that read them.
    QElapsedTimer timer;
    timer.start();
    const Measure written = inChild([&]() -> long long {
        demo::SeedOptions options;
        options.class9Months = 0;
        options.lastMonth = 12;
        options.movementLines = rows + rows / 10;
        SheetData sheet{demo::kMovementSample, {demo::movementHeader()}, {}};
        for (const demo::Movement& line : demo::demoMovements(demo::companies().front(), options)) {
            if (static_cast<int>(sheet.rows.size()) > rows)
                break;
            sheet.rows.push_back(demo::movementRow(
                line, QStringLiteral("%1%2/%3").arg(line.tpDoc).arg(line.numDoc).arg(line.mes)));
        }
        writeWorkbook(xlsx, {sheet}, WorkbookFormat::Xlsx);
        sheet.rows.resize(std::min<std::size_t>(sheet.rows.size(), kMaxXlsRows));
        writeWorkbook(xls, {sheet}, WorkbookFormat::Xls);
        return static_cast<long long>(sheet.rows.size());
    });
    if (written.rows < 0)
        return 1;
    std::printf("sheets written in %.1f s\n", static_cast<double>(timer.elapsed()) / 1000.0);
    report(".xlsx", xlsx, true, repeat);
    report(".xls", xls, false, repeat);
    return 0;
}
