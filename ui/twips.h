#pragma once

#include <cmath>

namespace agrimor {

// Lengths in twips, 1/1440 inch, as the screens' layouts and the stored window placement give
// them. The fixed sizes of the screens (column widths, spacings) assume 96 dots per inch: 15 twips
// to a pixel. The main window's placement is converted at the dots per inch of its screen.
inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

inline int twipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

inline double pixelsToTwips(int pixels, double dpi) {
    return pixels * kTwipsPerInch / dpi;
}

}  // namespace agrimor
