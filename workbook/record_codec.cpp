#include "workbook/record_codec.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace agrimor::record_codec {

namespace {

enum Tag : char {
    kWorkbook = 'W',
    kRange = 'U',
    kRow = 'R',
    kDone = 'D',
    kError = 'E',
    kEnd = 'Z',
};
enum CellTag : unsigned char { kEmpty, kText, kNumber, kDate, kBoolean, kErrorCell, kTime };

constexpr std::size_t kFlushAt = std::size_t{256} * 1024;
constexpr long long kMaxText = 1 << 20;
constexpr long long kMaxSheets = 65536;
constexpr int kSecondsPerDay = 86400;

// A record that runs past the bytes received so far: wait for more.
struct Incomplete {};

}  // namespace

Writer::Writer(std::function<void(const std::string&)> flush) : flush_(std::move(flush)) {
    buffer_.reserve(kFlushAt + 1024);
}

void Writer::tag(char value) {
    buffer_ += value;
}

void Writer::integer(long long value) {
    auto zigzag = (static_cast<unsigned long long>(value) << 1) ^
                  static_cast<unsigned long long>(value >> 63);
    while (zigzag >= 0x80) {
        buffer_ += static_cast<char>(zigzag | 0x80);
        zigzag >>= 7;
    }
    buffer_ += static_cast<char>(zigzag);
}

void Writer::text(const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    integer(utf8.size());
    buffer_.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

void Writer::number(double value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    buffer_.append(bytes, sizeof bytes);
}

void Writer::flushIfFull() {
    if (buffer_.size() >= kFlushAt) {
        flush_(buffer_);
        buffer_.clear();
    }
}

void Writer::workbook(const std::vector<SheetInfo>& sheets, DateSystem system) {
    tag(kWorkbook);
    integer(system == DateSystem::From1904 ? 1 : 0);
    integer(static_cast<long long>(sheets.size()));
    for (const SheetInfo& sheet : sheets) {
        text(sheet.name);
        integer(sheet.hidden ? 1 : 0);
    }
    flushIfFull();
}

void Writer::statedRange(std::optional<CellRange> range) {
    tag(kRange);
    integer(range ? 1 : 0);
    if (range) {
        integer(range->firstRow);
        integer(range->firstColumn);
        integer(range->lastRow);
        integer(range->lastColumn);
    }
}

void Writer::row(int sheetRow, std::span<const Cell> cells) {
    tag(kRow);
    integer(sheetRow);
    integer(static_cast<long long>(cells.size()));
    for (const Cell& cell : cells) {
        switch (cell.kind) {
            case Cell::Kind::Empty:
                buffer_ += static_cast<char>(kEmpty);
                break;
            case Cell::Kind::Text:
                buffer_ += static_cast<char>(kText);
                text(cell.text);
                break;
            case Cell::Kind::Number:
                buffer_ += static_cast<char>(cell.timeFormatted ? kTime : kNumber);
                number(cell.number);
                break;
            case Cell::Kind::Date:
                buffer_ += static_cast<char>(kDate);
                integer(cell.date.toJulianDay());
                integer(QTime(0, 0).secsTo(cell.time));
                break;
            case Cell::Kind::Boolean:
                buffer_ += static_cast<char>(kBoolean);
                integer(cell.number != 0 ? 1 : 0);
                break;
            case Cell::Kind::Error:
                buffer_ += static_cast<char>(kErrorCell);
                text(cell.text);
                break;
        }
    }
    flushIfFull();
}

void Writer::done() {
    tag(kDone);
}

void Writer::error(int number, const QString& message) {
    tag(kError);
    integer(number);
    text(message);
}

void Writer::end() {
    tag(kEnd);
    flush_(buffer_);
    buffer_.clear();
}

// Reads one record's fields from the bytes received; throws Incomplete past their end and
// Malformed for a value out of range.
class Reader::Cursor {
public:
    Cursor(const std::string& data, std::size_t at) : data_(data), at_(at) {}

    std::size_t position() const { return at_; }
    bool atEnd() const { return at_ >= data_.size(); }

    unsigned char byte() {
        if (at_ >= data_.size())
            throw Incomplete{};
        return static_cast<unsigned char>(data_[at_++]);
    }
    long long integer(long long low, long long high) {
        unsigned long long zigzag = 0;
        for (int shift = 0;; shift += 7) {
            if (shift > 63)
                throw Malformed{"número demasiado longo"};
            const unsigned char b = byte();
            zigzag |= static_cast<unsigned long long>(b & 0x7F) << shift;
            if (!(b & 0x80))
                break;
        }
        const auto value =
            static_cast<long long>(zigzag >> 1) ^ -static_cast<long long>(zigzag & 1);
        if (value < low || value > high)
            throw Malformed{"número fora dos limites"};
        return value;
    }
    QString text() {
        const auto size = static_cast<std::size_t>(integer(0, kMaxText));
        if (data_.size() - at_ < size)
            throw Incomplete{};
        const QString value = QString::fromUtf8(data_.data() + at_, static_cast<qsizetype>(size));
        at_ += size;
        return value;
    }
    double number() {
        double value = 0;
        if (data_.size() - at_ < sizeof value)
            throw Incomplete{};
        std::memcpy(&value, data_.data() + at_, sizeof value);
        at_ += sizeof value;
        if (!std::isfinite(value))
            throw Malformed{"número que não é finito"};
        return value;
    }
    Cell cell() {
        switch (byte()) {
            case kEmpty:
                return {};
            case kText:
                return Cell::ofText(text());
            case kNumber:
                return Cell::ofNumber(number());
            case kTime:
                return Cell::ofTimeSerial(number());
            case kDate: {
                const QDate date = QDate::fromJulianDay(integer(LLONG_MIN / 2, LLONG_MAX / 2));
                const auto seconds = static_cast<int>(integer(0, kSecondsPerDay - 1));
                if (!date.isValid())
                    throw Malformed{"data inválida"};
                return Cell::ofDate(date, QTime(0, 0).addSecs(seconds));
            }
            case kBoolean:
                return Cell::ofBoolean(integer(0, 1) != 0);
            case kErrorCell:
                return Cell::ofError(text());
            default:
                throw Malformed{"tipo de célula desconhecido"};
        }
    }

private:
    const std::string& data_;
    std::size_t at_;
};

Reader::Reader() = default;

Reader::Reader(CellRowSink& sink) : sink_(&sink) {}

void Reader::feed(const char* data, std::size_t size) {
    pending_.append(data, size);
    std::size_t consumed = 0;
    for (;;) {
        Cursor in(pending_, consumed);
        if (in.atEnd())
            break;
        try {
            decodeOne(in);
        } catch (const Incomplete&) {
            break;
        }
        consumed = in.position();
    }
    pending_.erase(0, consumed);
}

bool Reader::decodeOne(Cursor& in) {
    const char tag = static_cast<char>(in.byte());
    if (state_ == State::Complete)
        throw Malformed{"dados depois do fim"};
    if (tag == kError && state_ != State::Closing) {
        const auto number = static_cast<int>(in.integer(INT_MIN, INT_MAX));
        refusal_.emplace(number, in.text());
        state_ = State::Closing;
        return true;
    }
    if (state_ == State::Closing) {
        if (tag != kEnd)
            throw Malformed{"falta o fim"};
        state_ = State::Complete;
        return true;
    }
    if (!sink_) {
        if (state_ != State::Start || tag != kWorkbook)
            throw Malformed{"falta a lista de folhas"};
        const bool from1904 = in.integer(0, 1) != 0;
        const long long count = in.integer(0, kMaxSheets);
        std::vector<SheetInfo> sheets;
        for (long long i = 0; i < count; ++i) {
            QString name = in.text();
            sheets.push_back({std::move(name), in.integer(0, 1) != 0});
        }
        sheets_ = std::move(sheets);
        dateSystem_ = from1904 ? DateSystem::From1904 : DateSystem::From1900;
        state_ = State::Closing;
        return true;
    }
    if (state_ == State::Start) {
        if (tag != kRange)
            throw Malformed{"falta a área da folha"};
        std::optional<CellRange> range;
        if (in.integer(0, 1)) {
            CellRange stated;
            stated.firstRow = static_cast<int>(in.integer(1, kMaxSheetRows));
            stated.firstColumn = static_cast<int>(in.integer(1, kMaxSheetColumns));
            stated.lastRow = static_cast<int>(in.integer(1, kMaxSheetRows));
            stated.lastColumn = static_cast<int>(in.integer(1, kMaxSheetColumns));
            range = stated;
        }
        state_ = State::Rows;
        sink_->statedRange(range);
        return true;
    }
    if (tag == kDone) {
        state_ = State::Closing;
        return true;
    }
    if (tag != kRow)
        throw Malformed{"registo desconhecido"};
    const auto row = static_cast<int>(in.integer(lastRow_ + 1, kMaxSheetRows));
    const auto count = static_cast<std::size_t>(in.integer(1, kMaxSheetColumns));
    if (cells_.size() < count)
        cells_.resize(count);
    for (std::size_t c = 0; c < count; ++c)
        cells_[c] = in.cell();
    if (cells_[count - 1].isEmpty())
        throw Malformed{"linha acabada numa célula vazia"};
    lastRow_ = row;
    sink_->row(row, std::span<const Cell>(cells_.data(), count));
    return true;
}

void Reader::finish() {
    if (state_ != State::Complete || !pending_.empty())
        throw Malformed{"o fluxo está incompleto"};
}

}  // namespace agrimor::record_codec
