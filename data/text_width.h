#pragma once

#include <QString>

namespace agrimor {

// The first `width` UTF-16 units of `text`, as a text column of that width holds it, one fewer
// when the cut would fall inside a character written as a surrogate pair (an emoji, a rare
// ideograph): such a character is dropped whole rather than left as half a pair, which no
// database or file can store.
inline QString cutToWidth(const QString& text, int width) {
    if (width <= 0 || text.size() <= width)
        return text;
    const bool splitsPair = text.at(width - 1).isHighSurrogate();
    return text.left(splitsPair ? width - 1 : width);
}

}  // namespace agrimor
