#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace agrimor {

// Many texts kept compactly: as UTF-8, one after the other in blocks of a MiB (a longer text has a
// block of its own), with eight bytes each saying where; a block is never moved, so growing costs
// no copy. For the texts of a large table or sheet, which as QStrings would take a header and an
// allocation each.
class TextBlocks {
public:
    // Keeps `text` and returns its number (0, 1, ... in the order added). Throws std::length_error
    // for a text of 16 MiB or more.
    std::size_t add(QStringView text);
    std::size_t addUtf8(QByteArrayView utf8);
    QString at(std::size_t number) const;
    // Text `number` as it is kept, UTF-8, without a copy; valid while the blocks are unchanged.
    QByteArrayView view(std::size_t number) const;
    // Whether text `number` is `utf8`, byte for byte.
    bool equals(std::size_t number, QByteArrayView utf8) const;
    std::size_t size() const { return where_.size(); }
    std::size_t bytes() const;
    void clear();

private:
    std::vector<std::vector<char>> blocks_;
    std::vector<std::uint64_t> where_;  // block, offset and length of each text
};

}  // namespace agrimor
