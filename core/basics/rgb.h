#pragma once
// A colour as the program keeps it: the records store it, the windows show
// it, the focus ring and a screen reader's words are reckoned from it.
#include <cstdint>

namespace kemless {

// A colour as option.ini keeps it: one number 0x00BBGGRR, red in the low
// byte. Bits above the 24 of the colour (a hand-edited file) are kept, so the
// number is written back as it stood, and play no part in the colour.
class Rgb {
public:
    constexpr Rgb() = default;
    constexpr Rgb(int32_t red, int32_t green, int32_t blue)
        : bgr_((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16) {}
    static constexpr Rgb FromBgr(int32_t bgr) {
        Rgb c;
        c.bgr_ = bgr;
        return c;
    }
    constexpr int32_t bgr() const { return bgr_; }
    constexpr int32_t red() const { return bgr_ & 0xFF; }
    constexpr int32_t green() const { return bgr_ >> 8 & 0xFF; }
    constexpr int32_t blue() const { return bgr_ >> 16 & 0xFF; }
    friend bool operator==(const Rgb&, const Rgb&) = default;

private:
    int32_t bgr_ = 0;
};

}  // namespace kemless
