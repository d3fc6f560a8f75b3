#pragma once

#include <QString>

namespace agrimor {

// The version as the program shows it: major, minor and the fourth (build) number; the third
// number is not shown. formatVersion(26, 5, 0, 2) is "26.5.2".
QString formatVersion(int major, int minor, int patch, int tweak);

// This build's version, formatted as above.
QString programVersionText();

}  // namespace agrimor
