#include "data/text_blocks.h"

#include <algorithm>
#include <stdexcept>

namespace agrimor {

namespace {

// A text's place: its block, its offset in the block, its length.
constexpr std::uint64_t kOffsetBits = 20;
constexpr std::uint64_t kLengthBits = 24;
constexpr std::uint64_t kBlockBytes = std::uint64_t(1) << kOffsetBits;
constexpr std::uint64_t kLongest = (std::uint64_t(1) << kLengthBits) - 1;

}  // namespace

std::size_t TextBlocks::add(QStringView text) {
    return addUtf8(text.toUtf8());
}

std::size_t TextBlocks::addUtf8(QByteArrayView utf8) {
    const auto length = static_cast<std::uint64_t>(utf8.size());
    if (length > kLongest)
        throw std::length_error("a text of 16 MiB or more");
    // A text longer than a block gets one of its own.
    if (blocks_.empty() || blocks_.back().size() + length > kBlockBytes) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockBytes, length));
    }
    std::vector<char>& block = blocks_.back();
    const std::uint64_t offset = block.size();
    block.insert(block.end(), utf8.data(), utf8.data() + length);
    where_.push_back(
        (static_cast<std::uint64_t>(blocks_.size() - 1) << (kOffsetBits + kLengthBits)) |
        (offset << kLengthBits) | length);
    return where_.size() - 1;
}

QByteArrayView TextBlocks::view(std::size_t number) const {
    const std::uint64_t where = where_.at(number);
    const std::vector<char>& block = blocks_[where >> (kOffsetBits + kLengthBits)];
    const std::uint64_t offset = (where >> kLengthBits) & (kBlockBytes - 1);
    return QByteArrayView(block.data() + offset, static_cast<qsizetype>(where & kLongest));
}

QString TextBlocks::at(std::size_t number) const {
    return QString::fromUtf8(view(number));
}

bool TextBlocks::equals(std::size_t number, QByteArrayView utf8) const {
    return view(number) == utf8;
}

std::size_t TextBlocks::bytes() const {
    std::size_t bytes = where_.capacity() * sizeof(std::uint64_t);
    for (const std::vector<char>& block : blocks_)
        bytes += block.capacity();
    return bytes;
}

void TextBlocks::clear() {
    blocks_ = {};
    where_ = {};
}

}  // namespace agrimor
