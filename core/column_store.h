#pragma once

#include <QHash>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "data/text_blocks.h"
#include "data/value.h"

namespace agrimor {

// Whole numbers kept in the narrowest of 1, 2 or 4 bytes that holds every one stored so far; the
// width grows as larger numbers come. The position of a text in its column's pool, for instance:
// a column of a few codes takes a byte a row.
class PackedNumbers {
public:
    std::uint32_t at(std::size_t row) const {
        if (row >= count_)
            outOfRange();
        const std::uint8_t* p = data_.data() + row * static_cast<std::size_t>(width_);
        if (width_ == 1)
            return *p;
        if (width_ == 2) {
            std::uint16_t n;
            std::memcpy(&n, p, sizeof n);
            return n;
        }
        std::uint32_t n;
        std::memcpy(&n, p, sizeof n);
        return n;
    }
    void set(std::size_t row, std::uint32_t number);
    void push_back(std::uint32_t number);
    std::size_t size() const { return count_; }
    std::size_t bytes() const { return data_.capacity(); }
    void clear();

private:
    void widen(int width);
    [[noreturn]] static void outOfRange();

    std::vector<std::uint8_t> data_;
    std::size_t count_ = 0;
    int width_ = 1;
};

// The cells of one column of a MemoryTable, by row, in the form of their type: whole numbers and
// dates as numbers, amounts as their units, texts as a number naming the text in the column's
// pool. Texts repeat (codes, dates, the document key of consecutive lines): the first
// kRememberedTexts distinct ones are kept as strings and found again by a hash, later ones are
// kept in TextBlocks and shared only with the text of the row before. Values go in already checked
// against the column (MemoryTable::checked) and come out as equal Values.
class ColumnStore {
public:
    enum class Form { Int16, Int32, Money, Date, Text };

    static constexpr std::uint32_t kRememberedTexts = 4096;

    explicit ColumnStore(Form form) : form_(form) {}

    Value get(std::size_t row) const;
    // The cell as text (get(row).toText()) without a copy where it can be: the pool's own string
    // (`text`), the UTF-8 a text is kept as (`utf8`), or `scratch` holding it (`text`).
    struct CellText {
        bool null = true;
        const QString* text = nullptr;  // else the text is `utf8`
        QByteArrayView utf8;
    };
    CellText cellText(std::size_t row, QString& scratch) const {
        if (form_ == Form::Text) {
            const std::uint32_t id = ids_.at(row);
            if (id == 0)
                return {};
            if (id <= kRememberedTexts)
                return {false, &remembered_[id - 1], {}};
        }
        return otherCellText(row, scratch);
    }
    bool isNull(std::size_t row) const;
    void set(std::size_t row, const Value& value);
    void appendNull();
    void clear();

    // For sorting texts: the rank of each text of the pool as texts compare without regard to
    // case (equal texts get equal ranks), null (0) first. Empty for other forms.
    std::vector<std::uint32_t> textRanks() const;
    // How the values of rows a and b compare (<0, 0, >0), nulls first; `ranks` from textRanks().
    int compare(std::size_t a, std::size_t b, const std::vector<std::uint32_t>& ranks) const;

    std::size_t bytes() const;

private:
    CellText otherCellText(std::size_t row, QString& scratch) const;
    std::uint32_t textId(const QString& text);
    QString text(std::uint32_t id) const;

    Form form_;
    std::vector<bool> nulls_;            // numbers, amounts, dates: true where null
    std::vector<std::int64_t> wide_;     // amounts (units) and dates (Julian day)
    std::vector<std::int32_t> numbers_;  // Int32
    std::vector<std::int16_t> small_;    // Int16
    // Texts: 0 for null, else 1 + the text's place: below kRememberedTexts in remembered_, the
    // rest in blocks_ (number place - kRememberedTexts).
    PackedNumbers ids_;
    std::vector<QString> remembered_;
    QHash<QString, std::uint32_t> rememberedIds_;
    TextBlocks blocks_;
    std::uint32_t lastId_ = 0;
};

}  // namespace agrimor
