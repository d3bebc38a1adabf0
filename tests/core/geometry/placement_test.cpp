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

TEST(Placement, OnlyACornerBeyondAMarginIsTheProgramsToChoose) {
    // A screen of 28800 x 16201 twips: the corners the rule keeps are the
    // user's, to be used exactly; past a margin the program picks the middle.
    EXPECT_FALSE(RuleRecentres({23800, 13201}, 28800, 16201, kMainWindowMargins));
    EXPECT_FALSE(RuleRecentres({-300, -300}, 28800, 16201, kMainWindowMargins));
    EXPECT_TRUE(RuleRecentres({23801, 0}, 28800, 16201, kMainWindowMargins));
    EXPECT_TRUE(RuleRecentres({0, 13202}, 28800, 16201, kMainWindowMargins));
    EXPECT_TRUE(RuleRecentres({25301, 0}, 28800, 16201, kMiniWindowMargins));
}

struct WholeCase {
    const char* name;
    Area logical;  // as the toolkit gives the screen's available area
    double scale;
    int32_t width, height;  // what lies wholly on the device pixels
};
void PrintTo(const WholeCase& c, std::ostream* os) { *os << c.name; }

class WholePixelsTest : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholePixelsTest, TheLastUnitEndsOnTheScreen) {
    const auto& c = GetParam();
    const Area whole = WholePixels(c.logical, c.scale);
    EXPECT_EQ(whole.left, c.logical.left);
    EXPECT_EQ(whole.top, c.logical.top);
    EXPECT_EQ(whole.width, c.width);
    EXPECT_EQ(whole.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, WholePixelsTest,
    ::testing::Values(
        // 1366 / 1.5 = 910.67, given as 911: a frame ending at 911 ends at device pixel 1366.5.
        WholeCase{"w1366_at_1_5", {0, 0, 911, 512}, 1.5, 910, 512},
        WholeCase{"w1024_at_1_5", {0, 0, 683, 512}, 1.5, 682, 512},
        // 614 units may come from 767 device pixels (613.6, rounded): 613 surely fit.
        WholeCase{"w1366_at_1_25", {0, 0, 1093, 614}, 1.25, 1092, 613},
        WholeCase{"panel_at_the_top_at_1_5", {0, 20, 911, 492}, 1.5, 910, 492},
        WholeCase{"whole_scale_1_unchanged", {0, 0, 1366, 768}, 1.0, 1366, 768},
        WholeCase{"whole_scale_2_unchanged", {0, 0, 683, 384}, 2.0, 683, 384},
        WholeCase{"no_scale_unchanged", {0, 0, 800, 600}, 0.0, 800, 600}),
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
