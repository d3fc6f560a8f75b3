#pragma once

#include <string_view>

namespace agrimor {

// What a number format makes of a cell's number. A format that shows a day, month or year makes
// it a date serial. One that shows hours, minutes or seconds and no day ("hh:mm", "[h]:mm:ss",
// "mm:ss") makes it a time: the cell stays a number, shown as a time in a text column. Any
// other leaves a plain number.
enum class NumberFormatKind { Number, Date, Time };

// Built-in formats (no code in the file): 14 to 17 and 22 are dates; 18 to 21 and 45 to 47 are
// times; the others are numbers.
NumberFormatKind builtInFormatKind(int id);

// A format code (UTF-8), looked at case-insensitively across all its sections: after removing
// quoted text, escaped characters, fill and space items, bracketed parts (an elapsed [h], [m]
// or [s] counts as a time part) and AM/PM, it is a date when it has a day or year part, or a
// month part: an "m" run right after an hour run or right before a seconds run is minutes, not
// a month. Without any of those, hours, minutes or seconds make it a time.
NumberFormatKind formatCodeKind(std::string_view code);

}  // namespace agrimor
