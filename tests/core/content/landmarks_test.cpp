#include "content/landmarks.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <ostream>
#include <string>

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
        EXPECT_STREQ(LookupLandmark(table[i].threshold - 0.001), table[i - 1].name)
            << "row " << i + 1;
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
        LookupCase{"Zero", 0.0, "ガンバレ－"},
        LookupCase{"JustBelowTheOstrichEgg", 109.99, "ガンバレ－"},
        LookupCase{"Negative", -5000.0, "ガンバレ－"},
        LookupCase{"NegativeInfinity", -kInfinity, "ガンバレ－"},
        LookupCase{"NotANumber", kNaN, "ガンバレ－"},
        LookupCase{"OstrichEgg", 110.0, "ダチョウの卵"},
        LookupCase{"HundredMinutesOfCigarettes", 118.0555, "ダチョウの卵"},
        LookupCase{"OneDayOfCigarettes", 1700.0, "シーラカンス"},
        LookupCase{"ZakuOnItsThreshold", 17000.0, "シャア専用ザク"},
        LookupCase{"JustBelowZaku", 16999.99, "阿波の土柱"},
        LookupCase{"SecondRex", 13300.0, "ティラノサウルス"},
        LookupCase{"NameWithABlank", 10400.0, "豊浜祭り 鯛の張り子"},
        LookupCase{"FirstMarlin", 2950.0, "マカジキ"},
        LookupCase{"FirstRex", 4199.0, "ティラノサウルス"},
        LookupCase{"SecondMarlin", 4300.0, "マカジキ"},
        LookupCase{"ChicagoSpire", 609600.0, "シカゴ・スパイア（仮）"},
        LookupCase{"Wakato", 627000.0, "若戸大橋"},
        LookupCase{"Kthi", 628800.0, "ＫＴＨＩテレビ塔"},
        LookupCase{"KthiJustBelowFireworks", 629999.0, "ＫＴＨＩテレビ塔"},
        LookupCase{"Fireworks", 630000.0, "打上花火３０号の到達高度"},
        LookupCase{"SkyTree", 634000.0, "東京スカイツリー"},
        LookupCase{"JustBelowTheLastRow", 799999999.0, "国道１号線"},
        LookupCase{"LastRow", 800000000.0, "成層圏を脱しました！"},
        LookupCase{"FarBeyondTheTable", 1e24, "成層圏を脱しました！"},
        LookupCase{"Infinity", kInfinity, "成層圏を脱しました！"}),
    [](const testing::TestParamInfo<LookupCase>& info) { return info.param.label; });

}  // namespace
}  // namespace kemless
