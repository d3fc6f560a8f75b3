#pragma once

#include <QString>
#include <optional>

namespace agrimor {

// A year field as a number: digits with optional spaces around them, from `lowest` up to 32767
// (the years are smallint columns), and at most `maxLength` characters once trimmed when that is
// not 0. Nothing for anything else. The consolidation takes any year from 0 and any number of
// leading zeros; the class-9 integration a year from 1 of at most five characters.
std::optional<int> parseYearField(const QString& yearText, int lowest, int maxLength = 0);

// What the jobs say of a year field that is no year.
QString invalidYearMessage(const QString& yearText);

}  // namespace agrimor
