#pragma once
// Where windows stand: the placement rules of the display windows, stored
// corners in twips, and keeping a dialog on the screen.
#include <cstdint>

namespace kemless {

// Twips are 1/1440 inch; the windows are laid out at 15 twips a pixel.
inline constexpr int32_t kTwipsPerPixel = 15;

struct Margins {
    int32_t width;
    int32_t height;
};
inline constexpr Margins kMainWindowMargins{5000, 3000};
inline constexpr Margins kMiniWindowMargins{3500, 1500};

struct Corner {
    int32_t left;
    int32_t top;
    friend bool operator==(const Corner&, const Corner&) = default;
};

// A stored corner too far right or down moves to the middle of the screen;
// negatives become 0. Only the corner is tested, not the window's size.
Corner PlaceWindow(Corner stored, int32_t screenWidth, int32_t screenHeight, Margins margins);

// A window coordinate to whole twips, halves to the even neighbour.
int32_t RoundTwips(double twips);

// A rectangle in any one unit (pixels, say).
struct Area {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// The part of `area` (in device-independent pixels) that lies wholly on the
// screen's own pixels at `scale`. At a fractional scale the toolkit rounds
// the screen's size to the nearest unit, so the last unit may end half a
// device pixel beyond the screen; the right and lower edges are drawn in to
// the last unit that surely ends on it. At whole scales nothing changes.
Area WholePixels(const Area& area, double scale);

// Whether the placement rule moves a stored corner to the middle of the
// screen: only then does the program choose the place itself.
bool RuleRecentres(Corner stored, int32_t screenWidth, int32_t screenHeight, Margins margins);

// The corner of a window `width` x `height` (its outer frame) moved left and
// up only as far as needed to lie inside `area`, and right and down when it
// starts before the area; a window larger than the area keeps the area's
// left or top edge, so its title bar stays reachable.
Corner KeepInside(Corner corner, int32_t width, int32_t height, const Area& area);

}  // namespace kemless
