#pragma once
// The one way a computed double becomes a 32-bit figure. Hostile settings can
// push any product past 32 bits; the figure then stops at the end of the range
// instead of wrapping or being undefined.
#include <cmath>
#include <cstdint>
#include <limits>

namespace kemless {

// A whole-number double held inside the 32-bit range; NaN gives the lowest value.
inline int32_t SaturateToInt32(double whole) {
    if (!(whole >= std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    if (whole > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(whole);
}

// Rounded down (towards minus infinity), then saturated: every computed figure
// and every number read from a text box.
inline int32_t FloorToInt32(double v) { return SaturateToInt32(std::floor(v)); }

}  // namespace kemless
