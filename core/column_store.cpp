#include "core/column_store.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>

namespace agrimor {

namespace {

template <typename T>
int compareNumbers(T x, T y) {
    return x < y ? -1 : x > y;
}

}  // namespace

void PackedNumbers::outOfRange() {
    throw std::out_of_range("PackedNumbers::at");
}

void PackedNumbers::widen(int width) {
    std::vector<std::uint8_t> wider(count_ * static_cast<std::size_t>(width));
    for (std::size_t i = 0; i < count_; ++i) {
        const std::uint32_t n = at(i);
        std::memcpy(wider.data() + i * static_cast<std::size_t>(width), &n,
                    static_cast<std::size_t>(width));  // little-endian: the low bytes first
    }
    data_ = std::move(wider);
    width_ = width;
}

void PackedNumbers::set(std::size_t row, std::uint32_t number) {
    if (row >= count_)
        throw std::out_of_range("PackedNumbers::set");
    const int needed = number <= 0xff ? 1 : number <= 0xffff ? 2 : 4;
    if (needed > width_)
        widen(needed);
    std::memcpy(data_.data() + row * static_cast<std::size_t>(width_), &number,
                static_cast<std::size_t>(width_));
}

void PackedNumbers::push_back(std::uint32_t number) {
    data_.resize(data_.size() + static_cast<std::size_t>(width_));
    ++count_;
    set(count_ - 1, number);
}

void PackedNumbers::clear() {
    data_ = {};
    count_ = 0;
    width_ = 1;
}

bool ColumnStore::isNull(std::size_t row) const {
    if (form_ == Form::Text)
        return ids_.at(row) == 0;
    return nulls_.at(row);
}

Value ColumnStore::get(std::size_t row) const {
    if (isNull(row))
        return {};
    switch (form_) {
        case Form::Int16:
            return Value(static_cast<std::int64_t>(small_[row]));
        case Form::Int32:
            return Value(static_cast<std::int64_t>(numbers_[row]));
        case Form::Money:
            return Value(Money::fromUnits(wide_[row]));
        case Form::Date:
            return Value(QDate::fromJulianDay(wide_[row]));
        case Form::Text:
            return Value(text(ids_.at(row)));
    }
    return {};
}

// A text beyond the remembered ones, or a cell of another form.
ColumnStore::CellText ColumnStore::otherCellText(std::size_t row, QString& scratch) const {
    if (form_ != Form::Text) {
        if (isNull(row))
            return {};
        scratch = get(row).toText();
        return {false, &scratch, {}};
    }
    return {false, nullptr, blocks_.view(ids_.at(row) - kRememberedTexts - 1)};
}

void ColumnStore::set(std::size_t row, const Value& value) {
    if (form_ == Form::Text) {
        ids_.set(row, value.isNull() ? 0 : textId(value.toText()));
        return;
    }
    nulls_.at(row) = value.isNull();
    switch (form_) {
        case Form::Int16:
            small_[row] = value.isNull() ? 0 : static_cast<std::int16_t>(value.toInt());
            break;
        case Form::Int32:
            numbers_[row] = value.isNull() ? 0 : static_cast<std::int32_t>(value.toInt());
            break;
        case Form::Money:
            wide_[row] = value.isNull() ? 0 : value.toMoney().units();
            break;
        case Form::Date:
            wide_[row] = value.isNull() ? 0 : value.toDate().toJulianDay();
            break;
        case Form::Text:
            break;
    }
}

void ColumnStore::appendNull() {
    switch (form_) {
        case Form::Text:
            ids_.push_back(0);
            return;
        case Form::Int16:
            small_.push_back(0);
            break;
        case Form::Int32:
            numbers_.push_back(0);
            break;
        case Form::Money:
        case Form::Date:
            wide_.push_back(0);
            break;
    }
    nulls_.push_back(true);
}

void ColumnStore::clear() {
    *this = ColumnStore(form_);
}

std::uint32_t ColumnStore::textId(const QString& text) {
    if (const auto known = rememberedIds_.constFind(text); known != rememberedIds_.cend())
        return *known;
    if (remembered_.size() < kRememberedTexts) {
        remembered_.push_back(text);
        const auto id = static_cast<std::uint32_t>(remembered_.size());
        rememberedIds_.insert(text, id);
        return id;
    }
    const QByteArray bytes = text.toUtf8();
    if (lastId_ > kRememberedTexts && blocks_.equals(lastId_ - kRememberedTexts - 1, bytes))
        return lastId_;
    const std::size_t number = blocks_.addUtf8(bytes);
    if (number + kRememberedTexts + 1 >= 0xffffffffu)
        throw std::length_error("too many texts in a table column");
    lastId_ = static_cast<std::uint32_t>(kRememberedTexts + 1 + number);
    return lastId_;
}

QString ColumnStore::text(std::uint32_t id) const {
    if (id <= kRememberedTexts)
        return remembered_.at(id - 1);
    return blocks_.at(id - kRememberedTexts - 1);
}

std::vector<std::uint32_t> ColumnStore::textRanks() const {
    if (form_ != Form::Text)
        return {};
    const std::size_t count = 1 + remembered_.size() + blocks_.size();
    std::vector<QString> texts(count);
    for (std::size_t id = 1; id < count; ++id)
        texts[id] = text(static_cast<std::uint32_t>(id));
    std::vector<std::uint32_t> ids(count - 1);
    std::iota(ids.begin(), ids.end(), 1u);
    std::sort(ids.begin(), ids.end(), [&](std::uint32_t a, std::uint32_t b) {
        return texts[a].compare(texts[b], Qt::CaseInsensitive) < 0;
    });
    std::vector<std::uint32_t> ranks(count, 0);
    std::uint32_t rank = 0;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i == 0 || texts[ids[i - 1]].compare(texts[ids[i]], Qt::CaseInsensitive) != 0)
            ++rank;
        ranks[ids[i]] = rank;
    }
    return ranks;
}

int ColumnStore::compare(std::size_t a, std::size_t b,
                         const std::vector<std::uint32_t>& ranks) const {
    if (form_ == Form::Text)
        return compareNumbers(ranks[ids_.at(a)], ranks[ids_.at(b)]);
    const bool nullA = nulls_[a], nullB = nulls_[b];
    if (nullA || nullB)
        return int(!nullA) - int(!nullB);
    switch (form_) {
        case Form::Int16:
            return compareNumbers(small_[a], small_[b]);
        case Form::Int32:
            return compareNumbers(numbers_[a], numbers_[b]);
        case Form::Money:
        case Form::Date:
            return compareNumbers(wide_[a], wide_[b]);
        case Form::Text:
            break;
    }
    return 0;
}

std::size_t ColumnStore::bytes() const {
    std::size_t bytes = nulls_.capacity() / 8 + wide_.capacity() * sizeof(std::int64_t) +
                        numbers_.capacity() * sizeof(std::int32_t) +
                        small_.capacity() * sizeof(std::int16_t) + ids_.bytes() + blocks_.bytes();
    for (const QString& text : remembered_)
        bytes += sizeof(QString) + static_cast<std::size_t>(text.capacity()) * 2 + 32;
    return bytes;
}

}  // namespace agrimor
