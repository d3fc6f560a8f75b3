#pragma once

#include <string_view>

namespace agrimor {

// Whether a number format shows a date: such a cell holds a date serial, not a number. A time of
// day or an elapsed time ("hh:mm", "[h]:mm:ss", "mm:ss") is not a date: the cell stays a number.
//
// Built-in formats (no code in the file): 14 to 17 and 22 are dates; 18 to 21 and 45 to 47 are
// times; the others are not dates.
bool isBuiltInDateFormat(int id);

// A format code (UTF-8), looked at case-insensitively across all its sections: after removing
// quoted text, escaped characters, fill and space items, bracketed parts (an elapsed [h] or [s]
// counts as its letter) and AM/PM, it is a date when it has a day or year part, or a month part:
// an "m" run right after an hour run or right before a seconds run is minutes, not a month.
bool isDateFormatCode(std::string_view code);

}  // namespace agrimor
