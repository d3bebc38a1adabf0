#pragma once
// The windows are designed in twips (1/1440 inch) and laid out at 15 twips
// per device-independent pixel, so the designed layout holds at any scale.
#include <QRect>
#include <cmath>

#include "geometry/placement.h"

namespace kemless {

inline int Px(int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); }
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace kemless
