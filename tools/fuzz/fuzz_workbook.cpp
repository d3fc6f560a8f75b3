// fuzz-workbook <seconds> [--target xlsx|xls|movimentos|cambios] [--seed N] [--timeout S]
//               [--findings DIR] [--mode isolated|in-process] [--corpus DIR]
// fuzz-workbook --replay [--isolated] FILE...
//
// A bounded random-mutation fuzzer for the workbook readers. Its corpus is the demo's sample
// workbooks, written with the project's writers, and the workbooks other programs wrote (the
// golden cases, or --corpus DIR). For the given time it mutates one of them at a time: bit
// flips, interesting values, truncation, chunk duplication and deletion, damaged zip and OLE2
// headers; for .xlsx also the XML parts inside the package, and for .xls the BIFF records of the
// workbook stream, repacked into a sound container so that the damage reaches our parsers. Each
// result goes to Workbook::open, readCells and readSheet on every sheet, readMovementSheet and
// readRatesWorkbook.
//
// Each input runs in a forked child under alarm() and an address-space limit. A signal, a hang,
// or an exception other than WorkbookError (every failure the readers report must be one) is a
// finding: the input is saved in the findings folder and counted. The seed fixes the sequence of
// mutations.
//
// --mode isolated (the default) opens the workbook as the program does, with Workbook::open:
// .xlsx in this process, .xls in the reader process under a time limit of --timeout, whose
// crashes and hangs are WorkbookErrors, counted apart as contained; a finding means the program
// itself would have ended or hung. --mode in-process calls both readers directly, to find their
// own faults. --replay runs the readers on saved inputs, in this process (for a debugger) or
// with --isolated as the program does.
// Exit code: 0 no finding, 1 findings, 2 wrong arguments.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "rateimport/rates_table.h"
#include "tools/seeder/sample_workbooks.h"
#include "workbook/biff_reader.h"
#include "workbook/ole_container.h"
#include "workbook/workbook.h"
#include "workbook/xls_process.h"
#include "workbook/xlsx_reader.h"

namespace {

using namespace agrimor;
using Bytes = std::vector<unsigned char>;

// Child exit codes.
constexpr int kRead = 0;
constexpr int kRefused = 10;    // a WorkbookError: the expected answer to a damaged file
constexpr int kForeign = 11;    // another exception escaped the readers
constexpr int kNoMemory = 12;   // std::bad_alloc under the address-space limit
constexpr int kContained = 13;  // isolated: the reader process crashed or failed: refused
constexpr int kStopped = 14;    // isolated: the reader process ran out of time: refused

// Looks at the columns an import looks at; a row may be as wide as the sheet's stated range.
class CountingSink : public SheetSink {
public:
    void begin(int columnCount) override { columns += columnCount; }
    void row(int, std::span<const Cell> cells) override {
        for (const Cell& cell : cells.first(std::min<std::size_t>(cells.size(), 32)))
            texts += cell.toText().size();
    }
    long long columns = 0;
    long long texts = 0;
};

// Every cell the file holds.
class EveryCellSink : public CellRowSink {
public:
    void statedRange(std::optional<CellRange>) override {}
    void row(int, std::span<const Cell> cells) override {
        for (const Cell& cell : cells)
            texts += cell.toText().size();
    }
    long long texts = 0;
};

// Runs every reader on `path`; a WorkbookError from one reader does not stop the others. Read
// means the workbook opened and every sheet was delivered.
int readEverything(const QString& path, bool isolated, const OpenOptions& options = {}) {
    try {
        std::unique_ptr<Workbook> book;
        if (isolated)
            book = Workbook::open(path, options);
        else if (checkWorkbookFile(path) == WorkbookFileKind::Package)
            book = openXlsx(path);
        else
            book = openBiff(path);
        bool refused = false;
        const QStringList sheets = book->sheetNames();
        for (int index = 0; index < sheets.size(); ++index) {
            try {
                EveryCellSink cells;
                book->readCells(index, cells);
                CountingSink sink;
                book->readSheet(sheets[index], sink);
            } catch (const WorkbookError&) {
                refused = true;
            }
        }
        // A sheet of the other kind is refused by these two as a matter of course.
        ImportLinesTable lines;
        ImportDocumentsTable documents;
        try {
            readMovementSheet(*book, sheets.value(0), lines, documents);
        } catch (const WorkbookError&) {
        }
        RatesTable rates;
        try {
            readRatesWorkbook(*book, rates);
        } catch (const WorkbookError&) {
        }
        return refused ? kRefused : kRead;
    } catch (const XlsReadError& error) {
        switch (error.outcome()) {
            case ReadOutcome::Crashed:
            case ReadOutcome::Failed:
            case ReadOutcome::Malformed:
                return kContained;
            case ReadOutcome::TimedOut:
                return kStopped;
            default:
                return kRefused;
        }
    } catch (const WorkbookError&) {
        return kRefused;
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    } catch (const std::exception& error) {
        std::printf("exception: %s\n", error.what());
        return kForeign;
    }
}

Bytes readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

bool writeFile(const QString& path, const Bytes& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

std::uint32_t u32(const Bytes& b, std::size_t at) {
    return at + 4 <= b.size() ? b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                    static_cast<std::uint32_t>(b[at + 3]) << 24
                              : 0;
}
std::uint16_t u16(const Bytes& b, std::size_t at) {
    return at + 2 <= b.size() ? static_cast<std::uint16_t>(b[at] | b[at + 1] << 8) : 0;
}
void put16(Bytes& b, std::uint16_t v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8);
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A zip package as its entries, inflated.
struct Entry {
    std::string name;
    Bytes data;
};

std::vector<Entry> unzip(const Bytes& zip) {
    std::vector<Entry> entries;
    std::size_t end = zip.size() >= 22 ? zip.size() - 22 : 0;
    while (end > 0 && u32(zip, end) != 0x06054b50)
        --end;
    std::size_t at = u32(zip, end + 16);
    const int count = u16(zip, end + 10);
    for (int i = 0; i < count && u32(zip, at) == 0x02014b50; ++i) {
        const int method = u16(zip, at + 10);
        const std::size_t packed = u32(zip, at + 20);
        const std::size_t size = u32(zip, at + 24);
        const std::size_t nameLength = u16(zip, at + 28);
        const std::size_t local = u32(zip, at + 42);
        Entry entry{std::string(zip.begin() + static_cast<long>(at + 46),
                                zip.begin() + static_cast<long>(at + 46 + nameLength)),
                    Bytes(size)};
        at += 46 + nameLength + u16(zip, at + 30) + u16(zip, at + 32);
        const std::size_t data = local + 30 + u16(zip, local + 26) + u16(zip, local + 28);
        if (data + packed > zip.size())
            break;
        if (method == 0) {
            entry.data.assign(zip.begin() + static_cast<long>(data),
                              zip.begin() + static_cast<long>(data + packed));
        } else {
            z_stream stream{};
            inflateInit2(&stream, -MAX_WBITS);
            stream.next_in = const_cast<unsigned char*>(zip.data() + data);
            stream.avail_in = static_cast<uInt>(packed);
            stream.next_out = entry.data.data();
            stream.avail_out = static_cast<uInt>(size);
            inflate(&stream, Z_FINISH);
            inflateEnd(&stream);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

// A zip package of stored (uncompressed) entries with correct checksums.
Bytes zipStored(const std::vector<Entry>& entries) {
    Bytes out;
    Bytes directory;
    for (const Entry& entry : entries) {
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, entry.data.data(), static_cast<uInt>(entry.data.size())));
        const auto offset = static_cast<std::uint32_t>(out.size());
        const auto size = static_cast<std::uint32_t>(entry.data.size());
        const auto nameLength = static_cast<std::uint16_t>(entry.name.size());
        put32(out, 0x04034b50);
        for (std::uint16_t v : {20, 0, 0, 0, 0x21})  // version, flags, stored, time, date
            put16(out, v);
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, nameLength);
        put16(out, 0);
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.insert(out.end(), entry.data.begin(), entry.data.end());

        put32(directory, 0x02014b50);
        for (std::uint16_t v : {20, 20, 0, 0, 0, 0x21})
            put16(directory, v);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, size);
        for (std::uint16_t v :
             {nameLength, std::uint16_t{0}, std::uint16_t{0}, std::uint16_t{0}, std::uint16_t{0}})
            put16(directory, v);
        put32(directory, 0);
        put32(directory, offset);
        directory.insert(directory.end(), entry.name.begin(), entry.name.end());
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), directory.begin(), directory.end());
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint16_t>(entries.size()));
    put16(out, static_cast<std::uint16_t>(entries.size()));
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

class Mutator {
public:
    explicit Mutator(std::uint64_t seed) : random_(seed) {}

    std::size_t below(std::size_t n) { return n == 0 ? 0 : random_() % n; }
    bool chance(int percent) { return static_cast<int>(below(100)) < percent; }

    // One to four mutations of the raw bytes.
    void bytes(Bytes& b) {
        const std::size_t rounds = 1 + below(4);
        for (std::size_t i = 0; i < rounds && !b.empty(); ++i)
            once(b);
    }

    // Damage to the fields of the containers' own headers.
    void container(Bytes& b) {
        std::vector<std::size_t> fields;
        if (b.size() >= 4 && b[0] == 'P' && b[1] == 'K') {
            for (std::size_t at = 0; at + 4 <= b.size(); ++at) {
                const std::uint32_t signature = u32(b, at);
                if (signature == 0x04034b50)
                    for (std::size_t f : {4, 6, 8, 14, 18, 22, 26, 28})
                        fields.push_back(at + f);
                else if (signature == 0x02014b50)
                    for (std::size_t f : {10, 20, 24, 28, 30, 32, 42})
                        fields.push_back(at + f);
                else if (signature == 0x06054b50)
                    for (std::size_t f : {8, 10, 12, 16, 20})
                        fields.push_back(at + f);
            }
        } else {
            // OLE2 header: version, byte order, sector shifts, FAT count, directory start,
            // mini stream cutoff, mini FAT and DIFAT chains, the first DIFAT entries.
            for (std::size_t f : {0x1A, 0x1C, 0x1E, 0x20, 0x2C, 0x30, 0x38, 0x3C, 0x40, 0x44, 0x48,
                                  0x4C, 0x50, 0x54})
                fields.push_back(f);
            // The directory entry of the "Workbook" stream: name length, type, siblings, start
            // sector, size.
            static const char name[] = "W\0o\0r\0k\0b\0o\0o\0k\0";
            for (std::size_t at = 0; at + 0x80 <= b.size(); at += 0x80) {
                if (std::memcmp(b.data() + at, name, sizeof name - 1) == 0)
                    for (std::size_t f : {0x40, 0x42, 0x44, 0x48, 0x4C, 0x74, 0x78})
                        fields.push_back(at + f);
            }
            // BIFF record headers: BOF, BOUNDSHEET, SST, CONTINUE, DIMENSION, FORMAT, XF,
            // LABELSST, NUMBER, RK, EOF. Found by type; the length field follows.
            static const std::uint16_t types[] = {
                0x0809, 0x0085, 0x00FC, 0x003C, 0x0200, 0x041E,
                0x00E0, 0x00FD, 0x0203, 0x027E, 0x000A};  // NOLINT
            std::vector<std::size_t> records;
            for (std::size_t at = 512; at + 4 <= b.size(); ++at)
                for (std::uint16_t type : types)
                    if (u16(b, at) == type && u16(b, at + 2) < 8300)
                        records.push_back(at);
            for (std::size_t i = 0; i < 8 && !records.empty(); ++i) {
                const std::size_t at = records[below(records.size())];
                fields.push_back(at + 2);             // length
                fields.push_back(at + 4 + below(8));  // first fields of the body
            }
        }
        if (fields.empty())
            return;
        const std::size_t count = 1 + below(3);
        for (std::size_t i = 0; i < count; ++i)
            interesting(b, fields[below(fields.size())]);
    }

    // Mutations of the BIFF records of a workbook stream, which is then put in a sound compound
    // document: a record's length, type or fields changed, a record deleted, repeated or moved.
    void records(Bytes& b) {
        static const std::uint16_t types[] = {
            0x0809, 0x000A, 0x0085, 0x00FC, 0x003C, 0x0200, 0x041E, 0x00E0, 0x00FD, 0x0203,
            0x027E, 0x00BD, 0x0204, 0x0205, 0x0006, 0x0207, 0x0022, 0x002F, 0x00D6, 0x0201};
        std::vector<std::size_t> starts;
        for (std::size_t at = 0; at + 4 <= b.size(); at += 4 + u16(b, at + 2))
            starts.push_back(at);
        if (starts.empty())
            return;
        const std::size_t pick = below(starts.size());
        const std::size_t at = starts[pick];
        const std::size_t end = std::min(b.size(), at + 4 + u16(b, at + 2));
        switch (below(6)) {
            case 0:
                interesting(b, at + 2);
                break;
            case 1:
                if (end > at + 4)
                    interesting(b, at + 4 + below(end - at - 4));
                break;
            case 2:
                b.erase(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(end));
                break;
            case 3: {
                const Bytes copy(b.begin() + static_cast<long>(at),
                                 b.begin() + static_cast<long>(end));
                const std::size_t to = starts[below(starts.size())];
                b.insert(b.begin() + static_cast<long>(to), copy.begin(), copy.end());
                break;
            }
            case 4: {
                const std::size_t other = starts[below(starts.size())];
                const std::size_t otherEnd = std::min(b.size(), other + 4 + u16(b, other + 2));
                if (other <= end)
                    break;
                Bytes moved(b.begin() + static_cast<long>(other),
                            b.begin() + static_cast<long>(otherEnd));
                b.erase(b.begin() + static_cast<long>(other),
                        b.begin() + static_cast<long>(otherEnd));
                b.insert(b.begin() + static_cast<long>(at), moved.begin(), moved.end());
                break;
            }
            default: {
                const std::uint16_t type = types[below(std::size(types))];
                b[at] = static_cast<unsigned char>(type & 0xFF);
                b[at + 1] = static_cast<unsigned char>(type >> 8);
                break;
            }
        }
        if (chance(30) && !b.empty())
            once(b);
    }

    // Mutations of one XML part of a package, then repacked.
    Bytes package(std::vector<Entry> entries) {
        if (entries.empty())
            return {};
        Entry& entry = entries[below(entries.size())];
        Bytes& xml = entry.data;
        const std::size_t rounds = 1 + below(3);
        for (std::size_t i = 0; i < rounds && !xml.empty(); ++i) {
            switch (below(4)) {
                case 0:
                    number(xml);
                    break;
                case 1:
                    deleteTag(xml);
                    break;
                default:
                    once(xml);
                    break;
            }
        }
        if (chance(5))
            entries.erase(entries.begin() + static_cast<long>(below(entries.size())));
        return zipStored(entries);
    }

private:
    void interesting(Bytes& b, std::size_t at) {
        static const std::uint32_t values[] = {0,          1,          0x7F,       0x80,
                                               0xFF,       0x7FFF,     0x8000,     0xFFFF,
                                               0x10000,    0x7FFFFFFF, 0x80000000, 0xFFFFFFFE,
                                               0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFC, 0x1000};
        std::uint32_t value = values[below(std::size(values))];
        if (chance(20))
            value = static_cast<std::uint32_t>(u32(b, at) + below(9) - 4);
        const std::size_t width = std::size_t{1} << below(3);
        for (std::size_t k = 0; k < width && at + k < b.size(); ++k)
            b[at + k] = static_cast<unsigned char>(value >> (8 * k));
    }

    void once(Bytes& b) {
        const std::size_t size = b.size();
        switch (below(7)) {
            case 0: {  // bit flips
                const std::size_t flips = 1 + below(8);
                for (std::size_t i = 0; i < flips; ++i)
                    b[below(size)] ^= static_cast<unsigned char>(1u << below(8));
                break;
            }
            case 1:
                interesting(b, below(size));
                break;
            case 2:  // truncation
                b.resize(below(size));
                break;
            case 3: {  // a chunk duplicated somewhere else
                const std::size_t from = below(size);
                const std::size_t length = 1 + below(std::min<std::size_t>(size - from, 4096));
                const Bytes chunk(b.begin() + static_cast<long>(from),
                                  b.begin() + static_cast<long>(from + length));
                b.insert(b.begin() + static_cast<long>(below(size + 1)), chunk.begin(),
                         chunk.end());
                break;
            }
            case 4: {  // a chunk deleted
                const std::size_t from = below(size);
                const std::size_t length = 1 + below(std::min<std::size_t>(size - from, 512));
                b.erase(b.begin() + static_cast<long>(from),
                        b.begin() + static_cast<long>(from + length));
                break;
            }
            case 5: {  // random bytes
                const std::size_t from = below(size);
                const std::size_t length = 1 + below(std::min<std::size_t>(size - from, 64));
                for (std::size_t i = 0; i < length; ++i)
                    b[from + i] = static_cast<unsigned char>(random_());
                break;
            }
            default: {  // one byte set to a random value
                b[below(size)] = static_cast<unsigned char>(random_());
                break;
            }
        }
    }

    // A run of digits (an index, a size, a row or column number) replaced by an extreme one.
    void number(Bytes& xml) {
        static const char* const values[] = {
            "0",     "-1",    "65536",      "1048576",    "1048577",
            "16384", "16385", "4294967296", "2147483647", "99999999999999999999",
            "",      "1e308", "NaN",        "-2147483649"};
        std::size_t at = below(xml.size());
        while (at < xml.size() && !std::isdigit(xml[at]))
            ++at;
        if (at >= xml.size())
            return;
        std::size_t end = at;
        while (end < xml.size() && std::isdigit(xml[end]))
            ++end;
        const char* value = values[below(std::size(values))];
        xml.erase(xml.begin() + static_cast<long>(at), xml.begin() + static_cast<long>(end));
        xml.insert(xml.begin() + static_cast<long>(at), value, value + std::strlen(value));
    }

    void deleteTag(Bytes& xml) {
        std::size_t at = below(xml.size());
        while (at < xml.size() && xml[at] != '<')
            ++at;
        std::size_t end = at;
        while (end < xml.size() && xml[end] != '>')
            ++end;
        if (end < xml.size())
            xml.erase(xml.begin() + static_cast<long>(at),
                      xml.begin() + static_cast<long>(end + 1));
    }

    std::mt19937_64 random_;
};

struct Sample {
    QString suffix;  // ".xls", ".xlsx" or ".xlsm"
    Bytes bytes;
    std::vector<Entry> entries;  // .xlsx only
    Bytes stream;                // .xls only: the workbook stream
};

// The sample as the corpus keeps it: the package's parts or the compound document's stream.
Sample sampleOf(const QString& path) {
    Sample sample{QLatin1Char('.') + QFileInfo(path).suffix().toLower(), readFile(path), {}, {}};
    if (sample.suffix == QLatin1String(".xls")) {
        std::string found;
        readCompoundStream(QFile::encodeName(path).toStdString(), {"Workbook"}, 1 << 26, found,
                           sample.stream);
    } else {
        sample.entries = unzip(sample.bytes);
    }
    return sample;
}

struct Totals {
    long long inputs = 0, read = 0, refused = 0, contained = 0, stopped = 0;
    long long crashes = 0, hangs = 0, foreign = 0, memory = 0;
};

int usage() {
    std::fprintf(stderr,
                 "usage: fuzz-workbook <seconds> [--target xlsx|xls|movimentos|cambios] "
                 "[--seed N] [--timeout S] [--findings DIR] [--mode isolated|in-process] "
                 "[--corpus DIR]\n"
                 "       fuzz-workbook --replay [--isolated] FILE...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.value(0) == QLatin1String("--replay")) {
        const bool isolated = args.value(1) == QLatin1String("--isolated");
        int worst = 0;
        for (const QString& file : args.mid(isolated ? 2 : 1)) {
            const int code = readEverything(file, isolated);
            std::printf("%s: %s\n", qPrintable(file),
                        code == kRead        ? "read"
                        : code == kRefused   ? "refused (WorkbookError)"
                        : code == kContained ? "refused (WorkbookError), the reader process crashed"
                        : code == kStopped   ? "refused (WorkbookError), the reader process hung"
                                             : "FINDING");
            const bool finding =
                code != kRead && code != kRefused && code != kContained && code != kStopped;
            worst = std::max(worst, finding ? code : 0);
        }
        return worst ? 1 : 0;
    }

    bool ok = false;
    const double seconds = args.value(0).toDouble(&ok);
    if (!ok || seconds <= 0)
        return usage();
    QString target = QStringLiteral("xlsx");
    std::uint64_t seed = 1;
    unsigned timeout = 10;
    QString findings = QStringLiteral("fuzz-findings");
    QString others = QStringLiteral(AGRIMOR_FUZZ_CORPUS);
    bool isolated = true;
    for (qsizetype i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usage();
        const QString& option = args.at(i);
        const QString& value = args.at(i + 1);
        if (option == QLatin1String("--target"))
            target = value;
        else if (option == QLatin1String("--seed"))
            seed = value.toULongLong();
        else if (option == QLatin1String("--timeout"))
            timeout = value.toUInt();
        else if (option == QLatin1String("--findings"))
            findings = value;
        else if (option == QLatin1String("--corpus"))
            others = value;
        else if (option == QLatin1String("--mode") &&
                 (value == QLatin1String("isolated") || value == QLatin1String("in-process")))
            isolated = value == QLatin1String("isolated");
        else
            return usage();
    }

    QTemporaryDir work;
    QStringList bases;
    QStringList suffixes{QStringLiteral(".xlsx"), QStringLiteral(".xls")};
    if (target == QLatin1String("xlsx") || target == QLatin1String("xls")) {
        bases = QStringList{demo::kRateSample, demo::kMovementSample, demo::kAnomalySample};
        suffixes = QStringList{QLatin1Char('.') + target};
    } else if (target == QLatin1String("movimentos")) {
        bases = QStringList{demo::kMovementSample, demo::kAnomalySample};
    } else if (target == QLatin1String("cambios")) {
        bases = QStringList{demo::kRateSample};
    } else {
        return usage();
    }
    std::vector<Sample> corpus;
    try {
        demo::writeSampleWorkbooks(work.path());
    } catch (const WorkbookError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 2;
    }
    for (const QString& base : bases) {
        for (const QString& suffix : suffixes)
            corpus.push_back(sampleOf(QDir(work.path()).filePath(base + suffix)));
    }
    // Workbooks other programs wrote: a folder per case, the kind told by the folder's name.
    const QString kind = target == QLatin1String("movimentos") ? QStringLiteral("movements")
                         : target == QLatin1String("cambios")  ? QStringLiteral("rates")
                                                               : QString();
    for (const QString& folder : QDir(others).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!folder.contains(kind))
            continue;
        const QDir cases(QDir(others).filePath(folder));
        for (const QString& file : cases.entryList(QDir::Files)) {
            const QString suffix = QLatin1Char('.') + QFileInfo(file).suffix().toLower();
            const bool xls = suffix == QLatin1String(".xls");
            const bool package =
                suffix == QLatin1String(".xlsx") || suffix == QLatin1String(".xlsm");
            if ((xls && suffixes.contains(QStringLiteral(".xls"))) ||
                (package && suffixes.contains(QStringLiteral(".xlsx"))))
                corpus.push_back(sampleOf(cases.filePath(file)));
        }
    }
    std::printf("corpus: %zu workbooks\n", corpus.size());

    // The reader process stops at --timeout; the fuzzing child's own alarm comes later, so that
    // in isolated mode only a hang outside the reader process is a finding.
    OpenOptions options;
    options.timeLimit = std::chrono::seconds(timeout);
    Mutator mutate(seed);
    Totals totals;
    QElapsedTimer clock;
    clock.start();
    const auto deadline = static_cast<qint64>(seconds * 1000);
    while (clock.elapsed() < deadline) {
        const Sample& sample = corpus[mutate.below(corpus.size())];
        const QString path = QDir(work.path()).filePath(QStringLiteral("input") + sample.suffix);
        Bytes input;
        const std::size_t how = mutate.below(10);
        if (!sample.entries.empty() && how < 5) {
            input = mutate.package(sample.entries);
            writeFile(path, input);
        } else if (!sample.stream.empty() && how < 5) {
            Bytes stream = sample.stream;
            mutate.records(stream);
            QFile::remove(path);
            writeCompoundDocument(QFile::encodeName(path).toStdString(), "Workbook", stream);
            input = readFile(path);
        } else {
            input = sample.bytes;
            if (how < 8)
                mutate.bytes(input);
            else
                mutate.container(input);
            writeFile(path, input);
        }
        ++totals.inputs;

        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            alarm(isolated ? timeout + 5 : timeout);
            const rlim_t limit = rlim_t{2} << 30;
            const rlimit memory{limit, limit};
            setrlimit(RLIMIT_AS, &memory);
            // Libraries log what they think of a damaged file; thousands of inputs drown the
            // figures. What the fuzzer itself reports goes to stdout.
            const int quiet = open("/dev/null", O_WRONLY);
            if (quiet >= 0)
                dup2(quiet, STDERR_FILENO);
            _exit(readEverything(path, isolated, options));
        }
        int status = 0;
        waitpid(child, &status, 0);
        QString kind;
        if (WIFSIGNALED(status)) {
            if (WTERMSIG(status) == SIGALRM) {
                ++totals.hangs;
                kind = QStringLiteral("hang");
            } else {
                ++totals.crashes;
                kind = QStringLiteral("crash-sig%1").arg(WTERMSIG(status));
            }
        } else {
            switch (WEXITSTATUS(status)) {
                case kRead:
                    ++totals.read;
                    break;
                case kRefused:
                    ++totals.refused;
                    break;
                case kContained:
                    ++totals.contained;
                    break;
                case kStopped:
                    ++totals.stopped;
                    break;
                case kNoMemory:
                    ++totals.memory;
                    kind = QStringLiteral("memory");
                    break;
                default:
                    ++totals.foreign;
                    kind = QStringLiteral("exception");
                    break;
            }
        }
        if (!kind.isEmpty()) {
            QDir().mkpath(findings);
            const QString saved = QDir(findings).filePath(QStringLiteral("%1-%2-%3%4")
                                                              .arg(kind, target)
                                                              .arg(totals.inputs)
                                                              .arg(sample.suffix));
            writeFile(saved, input);
            std::printf("finding: %s -> %s\n", qPrintable(kind), qPrintable(saved));
        }
    }
    const double elapsed = static_cast<double>(clock.elapsed()) / 1000.0;
    const long long findingsCount = totals.crashes + totals.hangs + totals.foreign + totals.memory;
    std::printf(
        "target %s (%s), seed %llu: %lld inputs in %.0f s (%.0f/s): %lld opened and read, %lld "
        "refused with WorkbookError (of them %lld after the reader process crashed or failed, "
        "%lld after it ran out of time); findings: %lld crashes, %lld hangs, %lld other "
        "exceptions, %lld out of memory\n",
        qPrintable(target), isolated ? "isolated" : "in-process",
        static_cast<unsigned long long>(seed), totals.inputs, elapsed,
        static_cast<double>(totals.inputs) / elapsed, totals.read,
        totals.refused + totals.contained + totals.stopped, totals.contained, totals.stopped,
        totals.crashes, totals.hangs, totals.foreign, totals.memory);
    return findingsCount ? 1 : 0;
}
