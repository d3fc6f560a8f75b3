#include "workbook/workbook_isolation.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <new>
#include <vector>

namespace agrimor {
namespace workbook_isolation {
namespace {

// The child's stream is a sequence of records, each starting with a tag byte:
//   Names  a count, then that many texts
//   Begin  the sheet's column count (its begin())
//   Row    the sheet row number, then column-count cells (its row())
//   Done   the sheet was read to its end
//   Error  a number and a message: before Names, the workbook did not open; after, the read of
//          the current sheet stopped there with that WorkbookError
//   End    the stream is complete
// After Names come the sheets in name order, each ended by Done or Error, then End. Integers are
// zigzag varints, texts a varint byte length and UTF-8, numbers the 8 bytes of the double.
enum Tag : unsigned char {
    kNames = 'N',
    kBegin = 'B',
    kRow = 'R',
    kDone = 'D',
    kError = 'E',
    kEnd = 'Z',
};
enum CellTag : unsigned char { kEmpty, kText, kNumber, kDate, kNoDate };

constexpr int kMaxColumns = 65536;
constexpr qint64 kMaxSheets = 65536;
// The child's exit code when the pipe fails under it.
constexpr int kPipeFailed = 3;

Outcome last = Outcome::Read;

class Writer {
public:
    explicit Writer(int fd) : fd_(fd) { buffer_.reserve(kFlushAt + 64); }

    void byte(unsigned char value) {
        buffer_.push_back(value);
        if (buffer_.size() >= kFlushAt)
            flush();
    }
    void integer(qint64 value) {
        auto zigzag = (static_cast<quint64>(value) << 1) ^ static_cast<quint64>(value >> 63);
        while (zigzag >= 0x80) {
            buffer_.push_back(static_cast<unsigned char>(zigzag | 0x80));
            zigzag >>= 7;
        }
        byte(static_cast<unsigned char>(zigzag));
    }
    void text(const QString& value) {
        const QByteArray utf8 = value.toUtf8();
        integer(utf8.size());
        raw(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    }
    void number(double value) { raw(&value, sizeof value); }
    void raw(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        if (buffer_.size() >= kFlushAt)
            flush();
    }
    void error(int number, const QString& message) {
        byte(kError);
        integer(number);
        text(message);
    }
    void flush() {
        std::size_t done = 0;
        while (done < buffer_.size()) {
            const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                _exit(kPipeFailed);
            done += static_cast<std::size_t>(written);
        }
        buffer_.clear();
    }

private:
    static constexpr std::size_t kFlushAt = std::size_t{256} * 1024;
    int fd_;
    std::vector<unsigned char> buffer_;
};

class StreamingSink : public SheetSink {
public:
    explicit StreamingSink(Writer& out) : out_(out) {}
    void begin(int columnCount) override {
        out_.byte(kBegin);
        out_.integer(columnCount);
    }
    void row(int sheetRow, std::span<const Cell> cells) override {
        out_.byte(kRow);
        out_.integer(sheetRow);
        for (const Cell& cell : cells) {
            switch (cell.kind) {
                case Cell::Kind::Empty:
                    out_.byte(kEmpty);
                    break;
                case Cell::Kind::Text:
                    out_.byte(kText);
                    out_.text(cell.text);
                    break;
                case Cell::Kind::Number:
                    out_.byte(kNumber);
                    out_.number(cell.number);
                    break;
                case Cell::Kind::Date:
                    if (cell.date.isValid()) {
                        out_.byte(kDate);
                        out_.integer(cell.date.toJulianDay());
                    } else {
                        out_.byte(kNoDate);
                    }
                    break;
            }
        }
    }

private:
    Writer& out_;
};

QString unreadableText(const QString& path, const QString& why) {
    return QStringLiteral("Não foi possível ler o livro de Excel %1: %2").arg(path, why);
}

// Runs `read` and writes what it throws as an Error record; false if it threw.
template <typename Read>
bool recorded(Writer& out, const QString& path, Read read) {
    try {
        read();
        return true;
    } catch (const WorkbookError& error) {
        out.error(error.number(), error.message());
    } catch (const std::bad_alloc&) {
        out.error(WorkbookError::kUnreadable,
                  unreadableText(path, QStringLiteral("memória insuficiente")));
    } catch (const std::exception& error) {
        out.error(WorkbookError::kUnreadable,
                  unreadableText(path, QString::fromUtf8(error.what())));
    } catch (...) {
        out.error(WorkbookError::kUnreadable, unreadableText(path, QStringLiteral("erro interno")));
    }
    return false;
}

// The child: parses the whole workbook, writes it to `output` and ends without running any of
// the program's exit handlers or destructors. Only the readers and Qt Core run here.
[[noreturn]] void runChild(const QString& path, int output) {
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGPIPE, SIGTERM, SIGINT})
        std::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // A library crash is expected here and is reported to the user; it leaves no core file.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (settings().inChild)
        settings().inChild(output);

    Writer out(output);
    std::unique_ptr<Workbook> book;
    QStringList names;
    if (recorded(out, path, [&] {
            book = openInProcess(path);
            names = book->sheetNames();
        })) {
        out.byte(kNames);
        out.integer(names.size());
        for (const QString& name : names)
            out.text(name);
        for (const QString& name : names) {
            StreamingSink sink(out);
            if (recorded(out, path, [&] { book->readSheet(name, sink); }))
                out.byte(kDone);
        }
    }
    out.byte(kEnd);
    out.flush();
    _exit(0);
}

struct Malformed {};

// Decodes the stream; every read past its end or out of range throws Malformed.
class Reader {
public:
    Reader(const QByteArray& data, qsizetype at) : data_(data), at_(at) {}

    qsizetype position() const { return at_; }
    bool atEnd() const { return at_ == data_.size(); }

    unsigned char byte() {
        if (at_ >= data_.size())
            throw Malformed{};
        return static_cast<unsigned char>(data_[at_++]);
    }
    qint64 integer() {
        quint64 zigzag = 0;
        for (int shift = 0;; shift += 7) {
            if (shift > 63)
                throw Malformed{};
            const unsigned char b = byte();
            zigzag |= static_cast<quint64>(b & 0x7F) << shift;
            if (!(b & 0x80))
                break;
        }
        return static_cast<qint64>(zigzag >> 1) ^ -static_cast<qint64>(zigzag & 1);
    }
    qint64 integer(qint64 low, qint64 high) {
        const qint64 value = integer();
        if (value < low || value > high)
            throw Malformed{};
        return value;
    }
    QString text() {
        const qsizetype size = integer(0, data_.size() - at_);
        const QString value = QString::fromUtf8(data_.constData() + at_, size);
        at_ += size;
        return value;
    }
    void skipText() { at_ += integer(0, data_.size() - at_); }
    double number() {
        double value = 0;
        if (data_.size() - at_ < static_cast<qsizetype>(sizeof value))
            throw Malformed{};
        std::memcpy(&value, data_.constData() + at_, sizeof value);
        at_ += static_cast<qsizetype>(sizeof value);
        return value;
    }

    // One cell; with `keep` false only steps over it.
    Cell cell(bool keep) {
        switch (byte()) {
            case kEmpty:
                return Cell::empty();
            case kText:
                if (!keep) {
                    skipText();
                    return {};
                }
                return Cell::ofText(text());
            case kNumber:
                return Cell::ofNumber(number());
            case kDate: {
                const QDate date = QDate::fromJulianDay(integer());
                if (!date.isValid())
                    throw Malformed{};
                return Cell::ofDate(date);
            }
            case kNoDate:
                return Cell::ofDate(QDate());
            default:
                throw Malformed{};
        }
    }

private:
    const QByteArray& data_;
    qsizetype at_;
};

// The workbook as the child sent it: the stream itself, checked whole when it arrived, and where
// each sheet starts in it. A sheet is decoded into cells only while it is being read.
class StreamWorkbook : public Workbook {
public:
    StreamWorkbook(QByteArray stream, QStringList names, std::vector<qsizetype> starts)
        : stream_(std::move(stream)), names_(std::move(names)), starts_(std::move(starts)) {}

    QStringList sheetNames() const override { return names_; }

protected:
    void readSheetAt(int index, SheetSink& sink) const override {
        Reader in(stream_, starts_.at(static_cast<std::size_t>(index)));
        std::vector<Cell> cells;
        for (;;) {
            switch (in.byte()) {
                case kBegin:
                    cells.resize(static_cast<std::size_t>(in.integer()));
                    sink.begin(static_cast<int>(cells.size()));
                    break;
                case kRow: {
                    const int sheetRow = static_cast<int>(in.integer());
                    for (Cell& cell : cells)
                        cell = in.cell(true);
                    sink.row(sheetRow, cells);
                    break;
                }
                case kError: {
                    const int number = static_cast<int>(in.integer());
                    throw WorkbookError(number, in.text());
                }
                default:  // kDone: the stream was checked when it arrived
                    return;
            }
        }
    }

private:
    QByteArray stream_;
    QStringList names_;
    std::vector<qsizetype> starts_;
};

// Checks the whole stream and builds the workbook on it; throws the workbook's own
// WorkbookError when the child could not open it, Malformed for anything out of shape.
std::unique_ptr<Workbook> fromStream(QByteArray stream) {
    Reader in(stream, 0);
    const unsigned char first = in.byte();
    if (first == kError) {
        const int number = static_cast<int>(in.integer(INT_MIN, INT_MAX));
        const QString message = in.text();
        if (in.byte() != kEnd || !in.atEnd())
            throw Malformed{};
        last = Outcome::Refused;
        throw WorkbookError(number, message);
    }
    if (first != kNames)
        throw Malformed{};
    const qint64 count = in.integer(0, kMaxSheets);
    QStringList names;
    for (qint64 i = 0; i < count; ++i)
        names << in.text();
    std::vector<qsizetype> starts;
    for (qint64 i = 0; i < count; ++i) {
        starts.push_back(in.position());
        qint64 columns = -1;
        for (bool open = true; open;) {
            switch (in.byte()) {
                case kBegin:
                    if (columns >= 0)
                        throw Malformed{};
                    columns = in.integer(0, kMaxColumns);
                    break;
                case kRow:
                    if (columns < 0)
                        throw Malformed{};
                    in.integer(1, kMaxSheetRows);
                    for (qint64 c = 0; c < columns; ++c)
                        in.cell(false);
                    break;
                case kError:
                    in.integer(INT_MIN, INT_MAX);
                    in.skipText();
                    open = false;
                    break;
                case kDone:
                    open = false;
                    break;
                default:
                    throw Malformed{};
            }
        }
    }
    if (in.byte() != kEnd || !in.atEnd())
        throw Malformed{};
    stream.squeeze();
    return std::make_unique<StreamWorkbook>(std::move(stream), std::move(names), std::move(starts));
}

QString damagedText(const QString& path) {
    return QStringLiteral("O ficheiro não é um livro Excel válido ou está danificado: %1")
        .arg(path);
}

}  // namespace

Settings& settings() {
    static Settings current;
    return current;
}

Outcome lastOutcome() {
    return last;
}

}  // namespace workbook_isolation

// The libraries run in a plain forked child, without exec: the program opens a workbook from its
// GUI thread, and the child touches nothing of the GUI, only the readers, Qt Core's strings and
// the pipe, and leaves with _exit().
std::unique_ptr<Workbook> Workbook::open(const QString& path) {
    using namespace workbook_isolation;
    checkFile(path);  // a missing file or another kind of file needs no child
    const qint64 limit = settings().timeLimit.count();

    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0)
        throw WorkbookError(WorkbookError::kUnreadable,
                            unreadableText(path, QString::fromLocal8Bit(std::strerror(errno))));
    // A larger pipe means fewer switches between the two processes; the default still works.
    fcntl(channel[1], F_SETPIPE_SZ, 1 << 20);
    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(channel[0]);
        close(channel[1]);
        throw WorkbookError(WorkbookError::kUnreadable,
                            unreadableText(path, QString::fromLocal8Bit(std::strerror(error))));
    }
    if (child == 0) {
        close(channel[0]);
        runChild(path, channel[1]);
    }
    close(channel[1]);

    QElapsedTimer clock;
    clock.start();
    QByteArray stream;
    std::vector<char> chunk(1 << 20);
    bool timedOut = false;
    bool pipeFailed = false;
    for (;;) {
        const qint64 left = limit - clock.elapsed();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd ready{channel[0], POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(std::min<qint64>(left, INT_MAX)));
        if (polled < 0 && errno != EINTR) {
            pipeFailed = true;
            break;
        }
        if (polled <= 0)
            continue;
        const ssize_t got = read(channel[0], chunk.data(), chunk.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0)
            pipeFailed = true;
        if (got <= 0)
            break;
        stream.append(chunk.data(), got);
    }
    close(channel[0]);
    chunk = {};

    // The pipe is closed when the child ends; a child that closed it and went on is given what
    // remains of the time limit.
    int status = 0;
    for (;;) {
        const pid_t ended = timedOut ? 0 : waitpid(child, &status, WNOHANG);
        if (ended == child || (ended < 0 && errno != EINTR))
            break;
        if (timedOut || clock.elapsed() >= limit) {
            timedOut = true;
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        if (ended == 0)
            usleep(1000);
    }

    if (timedOut) {
        last = Outcome::TimedOut;
        throw WorkbookError(
            WorkbookError::kUnreadable,
            QStringLiteral("A leitura do livro de Excel foi interrompida ao fim de %1 s; o "
                           "ficheiro pode estar danificado: %2")
                .arg(static_cast<double>(limit) / 1000.0)
                .arg(path));
    }
    if (WIFSIGNALED(status) || pipeFailed || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        last = WIFSIGNALED(status) ? Outcome::Crashed : Outcome::Failed;
        throw WorkbookError(WorkbookError::kUnreadable, damagedText(path));
    }
    try {
        auto book = fromStream(std::move(stream));
        last = Outcome::Read;
        return book;
    } catch (const Malformed&) {
        last = Outcome::Malformed;
        throw WorkbookError(WorkbookError::kUnreadable, damagedText(path));
    }
}

}  // namespace agrimor
