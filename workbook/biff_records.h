#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace agrimor {

// A .xls workbook stream read as BIFF8 records: a 2-byte type, a 2-byte length, the body.
// Anything that runs past a record's end or the stream's end throws BiffDamage.
struct BiffDamage {
    QString why;
};

struct BiffRecord {
    std::uint16_t type = 0;
    std::span<const unsigned char> body;
};

namespace biff {
inline constexpr std::uint16_t kBof = 0x0809;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kContinue = 0x003C;
}  // namespace biff

class BiffRecords {
public:
    BiffRecords(std::span<const unsigned char> stream, std::size_t at);

    // The next record; false at the end of the stream.
    bool next(BiffRecord& record);
    // The type of the next record, 0 at the end of the stream.
    std::uint16_t peekType() const;

private:
    std::span<const unsigned char> stream_;
    std::size_t at_;
};

// A record's body and the bodies of the CONTINUE records that follow it, read as one: numbers
// run on from one body into the next; string characters resume after a flags byte that says
// again whether they are one or two bytes wide.
class BiffReader {
public:
    explicit BiffReader(std::span<const unsigned char> body);
    // Adds the CONTINUE records that follow in `records`.
    void takeContinues(BiffRecords& records);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    double f64();
    void skip(std::size_t count);
    bool atEnd() const;

    // A BIFF8 Unicode string whose character count takes `countBytes` (1 or 2) bytes: flags,
    // rich-text runs and phonetic data are read past; only the characters are kept.
    QString string(int countBytes);
    // A BIFF5 string: its byte count in `countBytes` (1 or 2) bytes, then the bytes, in the
    // workbook's code page.
    std::string byteString(int countBytes);

private:
    bool nextSegment();
    std::uint8_t byte();

    std::vector<std::span<const unsigned char>> segments_;
    std::size_t segment_ = 0;
    std::size_t at_ = 0;
};

// Reads little-endian numbers from a record body at a position, checking its length.
std::uint16_t biffU16(std::span<const unsigned char> body, std::size_t at);
std::uint32_t biffU32(std::span<const unsigned char> body, std::size_t at);
double biffF64(std::span<const unsigned char> body, std::size_t at);

}  // namespace agrimor
