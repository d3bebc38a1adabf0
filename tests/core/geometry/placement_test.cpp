// Where windows stand: the display windows' own rule and keeping a dialog on
// the screen.
#include "geometry/placement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kemless {
namespace {

struct PlaceCase {
    const char* name;
    Corner stored;
    Margins margins;
    Corner placed;
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class Placement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(Placement, CornerOnScreen) {
    const auto& c = GetParam();
    EXPECT_EQ(PlaceWindow(c.stored, 28800, 16201, c.margins), c.placed);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, Placement,
    ::testing::Values(
        PlaceCase{"beyond_right_edge", {24000, 100}, kMainWindowMargins, {14400, 8100}},
        PlaceCase{"right_edge_not_greater", {23800, 100}, kMainWindowMargins, {23800, 100}},
        PlaceCase{"negative_top", {500, -300}, kMainWindowMargins, {500, 0}},
        PlaceCase{"below_bottom", {500, 13202}, kMainWindowMargins, {14400, 8100}},
        PlaceCase{"bottom_not_greater", {500, 13201}, kMainWindowMargins, {500, 13201}},
        PlaceCase{"mini_margins", {25301, 0}, kMiniWindowMargins, {14400, 8100}},
        PlaceCase{"mini_fits", {25300, 14701}, kMiniWindowMargins, {25300, 14701}},
        PlaceCase{"both_negative", {-1, -1}, kMainWindowMargins, {0, 0}},
        PlaceCase{"hostile_extremes", {2147483647, -2147483647 - 1}, kMainWindowMargins, {14400, 8100}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Placement, RoundTwipsHalvesToEven) {
    EXPECT_EQ(RoundTwips(2.5), 2);
    EXPECT_EQ(RoundTwips(3.5), 4);
    EXPECT_EQ(RoundTwips(-0.5), 0);
    EXPECT_EQ(RoundTwips(1e12), 2147483647);
}

struct InsideCase {
    const char* name;
    Corner wanted;
    int32_t width, height;
    Corner placed;
};
void PrintTo(const InsideCase& c, std::ostream* os) { *os << c.name; }

class KeepInsideTest : public ::testing::TestWithParam<InsideCase> {};

// An area of 1280 x 770 starting below a 30-pixel panel.
TEST_P(KeepInsideTest, MovesLeftAndUpOnlyAsFarAsNeeded) {
    const auto& c = GetParam();
    EXPECT_EQ(KeepInside(c.wanted, c.width, c.height, {0, 30, 1280, 770}), c.placed);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, KeepInsideTest,
    ::testing::Values(InsideCase{"inside_unchanged", {100, 200}, 400, 300, {100, 200}},
                      InsideCase{"touching_both_edges_unchanged", {880, 500}, 400, 300, {880, 500}},
                      InsideCase{"over_the_right_edge", {1000, 200}, 400, 300, {880, 200}},
                      InsideCase{"over_the_bottom", {100, 700}, 400, 300, {100, 500}},
                      InsideCase{"over_both", {1279, 799}, 400, 300, {880, 500}},
                      InsideCase{"under_the_panel", {100, 0}, 400, 300, {100, 30}},
                      InsideCase{"left_of_the_screen", {-50, 100}, 400, 300, {0, 100}},
                      InsideCase{"larger_than_the_area_keeps_its_title_bar", {500, 500}, 1400, 900, {0, 30}},
                      InsideCase{"hostile_extremes", {2147483647, -2147483647 - 1}, 400, 300, {880, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kemless
