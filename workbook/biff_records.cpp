#include "workbook/biff_records.h"

#include <cstring>

namespace agrimor {

namespace {

[[noreturn]] void damaged(const char* what) {
    throw BiffDamage{QString::fromLatin1(what)};
}

}  // namespace

std::uint16_t biffU16(std::span<const unsigned char> body, std::size_t at) {
    if (at + 2 > body.size())
        damaged("um registo acaba antes do tempo");
    return static_cast<std::uint16_t>(body[at] | body[at + 1] << 8);
}

std::uint32_t biffU32(std::span<const unsigned char> body, std::size_t at) {
    return biffU16(body, at) | static_cast<std::uint32_t>(biffU16(body, at + 2)) << 16;
}

double biffF64(std::span<const unsigned char> body, std::size_t at) {
    if (at + 8 > body.size())
        damaged("um registo acaba antes do tempo");
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | body[at + static_cast<std::size_t>(i)];
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

BiffRecords::BiffRecords(std::span<const unsigned char> stream, std::size_t at)
    : stream_(stream), at_(at) {}

bool BiffRecords::next(BiffRecord& record) {
    if (at_ >= stream_.size())
        return false;
    if (at_ + 4 > stream_.size())
        damaged("o último registo está cortado");
    record.type = biffU16(stream_, at_);
    const std::size_t size = biffU16(stream_, at_ + 2);
    if (at_ + 4 + size > stream_.size())
        damaged("o último registo está cortado");
    record.body = stream_.subspan(at_ + 4, size);
    at_ += 4 + size;
    return true;
}

std::uint16_t BiffRecords::peekType() const {
    return at_ + 4 <= stream_.size() ? biffU16(stream_, at_) : 0;
}

BiffReader::BiffReader(std::span<const unsigned char> body) : segments_{body} {}

void BiffReader::takeContinues(BiffRecords& records) {
    BiffRecord record;
    while (records.peekType() == biff::kContinue && records.next(record))
        segments_.push_back(record.body);
}

bool BiffReader::nextSegment() {
    if (segment_ + 1 >= segments_.size())
        return false;
    ++segment_;
    at_ = 0;
    return true;
}

bool BiffReader::atEnd() const {
    if (at_ < segments_[segment_].size())
        return false;
    for (std::size_t s = segment_ + 1; s < segments_.size(); ++s) {
        if (!segments_[s].empty())
            return false;
    }
    return true;
}

std::uint8_t BiffReader::byte() {
    while (at_ >= segments_[segment_].size()) {
        if (!nextSegment())
            damaged("um registo acaba antes do tempo");
    }
    return segments_[segment_][at_++];
}

std::uint8_t BiffReader::u8() {
    return byte();
}

std::uint16_t BiffReader::u16() {
    const std::uint16_t low = byte();
    return static_cast<std::uint16_t>(low | byte() << 8);
}

std::uint32_t BiffReader::u32() {
    const std::uint32_t low = u16();
    return low | static_cast<std::uint32_t>(u16()) << 16;
}

double BiffReader::f64() {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(byte()) << (8 * i);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void BiffReader::skip(std::size_t count) {
    while (count > 0) {
        const std::size_t left = segments_[segment_].size() - at_;
        if (left == 0) {
            if (!nextSegment())
                damaged("um registo acaba antes do tempo");
            continue;
        }
        const std::size_t step = std::min(left, count);
        at_ += step;
        count -= step;
    }
}

QString BiffReader::string(int countBytes) {
    const std::size_t count = countBytes == 1 ? u8() : u16();
    const std::uint8_t flags = u8();
    bool wide = (flags & 0x01) != 0;
    const std::size_t runs = (flags & 0x08) ? u16() : 0;
    const std::size_t phonetic = (flags & 0x04) ? u32() : 0;
    QString text(static_cast<qsizetype>(count), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (std::size_t i = 0; i < count; ++i) {
        // Characters that go on in a CONTINUE record start it with their width again.
        if (at_ >= segments_[segment_].size()) {
            if (!nextSegment())
                damaged("um texto acaba antes do tempo");
            wide = (byte() & 0x01) != 0;
        }
        if (wide) {
            const std::uint16_t low = byte();
            out[i] = static_cast<char16_t>(low | byte() << 8);
        } else {
            out[i] = byte();
        }
    }
    skip(4 * runs);
    skip(phonetic);
    return text;
}

std::string BiffReader::byteString(int countBytes) {
    const std::size_t count = countBytes == 1 ? u8() : u16();
    std::string bytes;
    bytes.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes += static_cast<char>(byte());
    return bytes;
}

}  // namespace agrimor
