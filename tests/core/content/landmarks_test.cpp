#include "content/landmarks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <limits>
#include <ostream>
#include <string>

#include "basics/text.h"

namespace kemless {
namespace {

TEST(LandmarkTableTest, HasAllRowsRisingFromTheCheerToTheStratosphere) {
    const auto table = LandmarkTable();
    ASSERT_EQ(table.size(), 708u);
    EXPECT_EQ(table.front().threshold, 0);
    EXPECT_STREQ(table.front().name, "ガンバレ－");  // ends in U+FF0D, not a long-vowel mark
    EXPECT_EQ(table.back().threshold, 800000000);
    EXPECT_STREQ(table.back().name, "成層圏を脱しました！");
    for (std::size_t i = 1; i < table.size(); ++i) {
        EXPECT_LT(table[i - 1].threshold, table[i].threshold) << "row " << i + 1;
        ASSERT_NE(table[i].name, nullptr) << "row " << i + 1;
        EXPECT_NE(std::string(table[i].name), "") << "row " << i + 1;
    }
}

// The search must agree with the plain scan on and just below every
// threshold, where an off-by-one would show the neighbouring row.
TEST(LandmarkTableTest, EveryThresholdShowsItsOwnRowAndJustBelowShowsThePrevious) {
    const auto table = LandmarkTable();
    for (std::size_t i = 1; i < table.size(); ++i) {
        EXPECT_STREQ(LookupLandmark(table[i].threshold), table[i].name) << "row " << i + 1;
        EXPECT_STREQ(LookupLandmark(table[i].threshold - 0.001), table[i - 1].name) << "row " << i + 1;
    }
}

struct LookupCase {
    const char* label;
    double lengthMm;
    const char* expected;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.label; }

class LookupLandmarkTest : public testing::TestWithParam<LookupCase> {};

TEST_P(LookupLandmarkTest, ShowsTheLastRowNotLongerThanTheLength) {
    EXPECT_STREQ(LookupLandmark(GetParam().lengthMm), GetParam().expected);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Examples, LookupLandmarkTest,
    testing::Values(
        LookupCase{"zero", 0.0, "ガンバレ－"}, LookupCase{"just_below_the_ostrich_egg", 109.99, "ガンバレ－"},
        LookupCase{"negative", -5000.0, "ガンバレ－"},
        LookupCase{"negative_infinity", -kInfinity, "ガンバレ－"},
        LookupCase{"not_a_number", kNaN, "ガンバレ－"}, LookupCase{"ostrich_egg", 110.0, "ダチョウの卵"},
        LookupCase{"hundred_minutes_of_cigarettes", 118.0555, "ダチョウの卵"},
        LookupCase{"one_day_of_cigarettes", 1700.0, "シーラカンス"},
        LookupCase{"zaku_on_its_threshold", 17000.0, "シャア専用ザク"},
        LookupCase{"just_below_zaku", 16999.99, "阿波の土柱"},
        LookupCase{"second_rex", 13300.0, "ティラノサウルス"},
        LookupCase{"name_with_a_blank", 10400.0, "豊浜祭り 鯛の張り子"},
        LookupCase{"first_marlin", 2950.0, "マカジキ"}, LookupCase{"first_rex", 4199.0, "ティラノサウルス"},
        LookupCase{"second_marlin", 4300.0, "マカジキ"},
        LookupCase{"chicago_spire", 609600.0, "シカゴ・スパイア（仮）"},
        LookupCase{"wakato", 627000.0, "若戸大橋"}, LookupCase{"kthi", 628800.0, "ＫＴＨＩテレビ塔"},
        LookupCase{"kthi_just_below_fireworks", 629999.0, "ＫＴＨＩテレビ塔"},
        LookupCase{"fireworks", 630000.0, "打上花火３０号の到達高度"},
        LookupCase{"sky_tree", 634000.0, "東京スカイツリー"},
        LookupCase{"just_below_the_last_row", 799999999.0, "国道１号線"},
        LookupCase{"last_row", 800000000.0, "成層圏を脱しました！"},
        LookupCase{"far_beyond_the_table", 1e24, "成層圏を脱しました！"},
        LookupCase{"infinity", kInfinity, "成層圏を脱しました！"}),
    [](const testing::TestParamInfo<LookupCase>& info) { return info.param.label; });

TEST(WidestLandmarkNamesTest, AreTheNamesThatTakeTheMostCellsWidestFirst) {
    const auto widest = WidestLandmarkNames(8);
    ASSERT_EQ(widest.size(), 8u);
    int most = 0;
    for (const Landmark& row : LandmarkTable()) most = std::max(most, DisplayCells(row.name));
    EXPECT_EQ(DisplayCells(widest.front()), most);
    for (std::size_t i = 1; i < widest.size(); ++i)
        EXPECT_GE(DisplayCells(widest[i - 1]), DisplayCells(widest[i]));
    // No name outside the list is wider than the narrowest inside it.
    const int cut = DisplayCells(widest.back());
    int wider = 0;
    for (const Landmark& row : LandmarkTable()) wider += DisplayCells(row.name) > cut ? 1 : 0;
    EXPECT_LT(wider, 8);
    EXPECT_EQ(WidestLandmarkNames(100000).size(), LandmarkTable().size());
}

}  // namespace
}  // namespace kemless
