#include "geometry/placement.h"

#include <algorithm>
#include <cmath>

#include "basics/saturate.h"

namespace kemless {

Corner PlaceWindow(Corner c, int32_t screenWidth, int32_t screenHeight, Margins margins) {
    // Halves are rounded down (floor), also for an odd twip count.
    const int32_t halfWidth = static_cast<int32_t>(std::floor(screenWidth / 2.0));
    const int32_t halfHeight = static_cast<int32_t>(std::floor(screenHeight / 2.0));
    if (int64_t{c.left} > int64_t{screenWidth} - margins.width) {
        c.left = halfWidth;
        c.top = halfHeight;
    }
    if (int64_t{c.top} > int64_t{screenHeight} - margins.height) {
        c.top = halfHeight;
        c.left = halfWidth;
    }
    if (c.left < 0) c.left = 0;
    if (c.top < 0) c.top = 0;
    return c;
}

bool RuleRecentres(Corner c, int32_t screenWidth, int32_t screenHeight, Margins margins) {
    return int64_t{c.left} > int64_t{screenWidth} - margins.width ||
           int64_t{c.top} > int64_t{screenHeight} - margins.height;
}

Area WholePixels(const Area& area, double scale) {
    if (!(scale > 0.0) || scale == std::floor(scale)) return area;
    // The smallest device edge that rounds to this unit edge, and the last
    // whole unit before it.
    auto surely = [scale](int64_t edge) {
        const double device = std::ceil((static_cast<double>(edge) - 0.5) * scale);
        return static_cast<int64_t>(std::floor(device / scale));
    };
    const int64_t right = surely(int64_t{area.left} + area.width);
    const int64_t bottom = surely(int64_t{area.top} + area.height);
    return {area.left, area.top, static_cast<int32_t>(std::max<int64_t>(right - area.left, 0)),
            static_cast<int32_t>(std::max<int64_t>(bottom - area.top, 0))};
}

int32_t RoundTwips(double twips) { return SaturateToInt32(std::nearbyint(twips)); }

Corner KeepInside(Corner c, int32_t width, int32_t height, const Area& area) {
    const int64_t right = int64_t{area.left} + area.width;
    const int64_t bottom = int64_t{area.top} + area.height;
    int64_t left = std::min<int64_t>(c.left, right - width);
    int64_t top = std::min<int64_t>(c.top, bottom - height);
    left = std::max<int64_t>(left, area.left);
    top = std::max<int64_t>(top, area.top);
    return {static_cast<int32_t>(left), static_cast<int32_t>(top)};
}

}  // namespace kemless
