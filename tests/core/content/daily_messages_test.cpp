#include "content/daily_messages.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>

namespace kemless {
namespace {

TEST(DailyMessagesTest, HasSixtyTextsWithTheirExactBlanks) {
    const auto messages = DailyMessages();
    ASSERT_EQ(messages.size(), 60u);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        ASSERT_NE(messages[i], nullptr) << i;
        EXPECT_NE(std::string(messages[i]), "") << i;
    }
    // Spelled as bytes so the blanks cannot be confused with one another.
    EXPECT_STREQ(messages[12], "リラックス、リラックス。\x20ひとやすみ、ひとやすみ。");
    EXPECT_STREQ(messages[28], "アヒル隊長から一言\x20「もうすぐ一ヶ月達成です」");
    EXPECT_STREQ(messages[43], "\xEF\xBD\x9E\x20ご卒煙おめでとうございます\x20\xEF\xBD\x9E");
    EXPECT_STREQ(messages[55],
                 "そつえん\x20いっかげつ\x20おめでとぉー\xE3\x80\x80がぁーがぁーがぁー");
}

struct IndexCase {
    const char* label;
    int32_t wholeDays;
    int32_t years;
    int32_t months;
    int r;
    int expected;
};

void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.label; }

class PickDailyMessageIndexTest : public testing::TestWithParam<IndexCase> {};

TEST_P(PickDailyMessageIndexTest, FollowsTheDaysThenTheDraw) {
    const IndexCase& c = GetParam();
    EXPECT_EQ(PickDailyMessageIndex(c.wholeDays, c.years, c.months, c.r), c.expected);
}

std::string CaseName(const testing::TestParamInfo<IndexCase>& info) { return info.param.label; }

INSTANTIATE_TEST_SUITE_P(
    FirstMonth, PickDailyMessageIndexTest,
    testing::Values(IndexCase{"day_0_low_draw", 0, 0, 0, 0, 0},
                    IndexCase{"day_0_high_draw", 0, 0, 0, 99, 0},
                    IndexCase{"day_4", 4, 0, 0, 0, 4},
                    IndexCase{"day_11", 11, 0, 0, 99, 11},
                    IndexCase{"day_31", 31, 0, 0, 1, 31},
                    IndexCase{"negative_day", -1, 0, 0, 50, 0},
                    IndexCase{"negative_day_high_draw", -3, 0, 0, 99, 0}),
    CaseName);

// Day 1: 49 below 20, 1 at 20, 50 from 21 to 29, 1 from 30 to 70, 48 above.
INSTANTIATE_TEST_SUITE_P(
    DrawBoundaries, PickDailyMessageIndexTest,
    testing::Values(IndexCase{"day_1_draw_0", 1, 0, 0, 0, 49},
                    IndexCase{"day_1_draw_19", 1, 0, 0, 19, 49},
                    IndexCase{"day_1_draw_20", 1, 0, 0, 20, 1},
                    IndexCase{"day_1_draw_21", 1, 0, 0, 21, 50},
                    IndexCase{"day_1_draw_29", 1, 0, 0, 29, 50},
                    IndexCase{"day_1_draw_30", 1, 0, 0, 30, 1},
                    IndexCase{"day_1_draw_70", 1, 0, 0, 70, 1},
                    IndexCase{"day_1_draw_71", 1, 0, 0, 71, 48},
                    IndexCase{"day_1_draw_99", 1, 0, 0, 99, 48},
                    IndexCase{"day_2_draw_19", 2, 0, 0, 19, 52},
                    IndexCase{"day_2_draw_20", 2, 0, 0, 20, 2},
                    IndexCase{"day_2_draw_21", 2, 0, 0, 21, 53},
                    IndexCase{"day_2_draw_29", 2, 0, 0, 29, 53},
                    IndexCase{"day_2_draw_30", 2, 0, 0, 30, 2},
                    IndexCase{"day_2_draw_70", 2, 0, 0, 70, 2},
                    IndexCase{"day_2_draw_71", 2, 0, 0, 71, 51},
                    IndexCase{"day_3_draw_0", 3, 0, 0, 0, 3},
                    IndexCase{"day_3_draw_20", 3, 0, 0, 20, 3},
                    IndexCase{"day_3_draw_70", 3, 0, 0, 70, 3},
                    IndexCase{"day_3_draw_71", 3, 0, 0, 71, 54}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Monthly, PickDailyMessageIndexTest,
    testing::Values(IndexCase{"month_1_draw_0", 30, 0, 1, 0, 32},
                    IndexCase{"month_1_draw_1", 30, 0, 1, 1, 45},
                    IndexCase{"month_1_draw_2", 30, 0, 1, 2, 45},
                    IndexCase{"month_1_draw_3", 30, 0, 1, 3, 46},
                    IndexCase{"month_1_draw_4", 30, 0, 1, 4, 47},
                    IndexCase{"month_1_draw_5", 30, 0, 1, 5, 32},
                    IndexCase{"month_1_draw_99", 30, 0, 1, 99, 32},
                    IndexCase{"month_6_draw_0", 190, 0, 6, 0, 37},
                    IndexCase{"month_11_draw_0", 340, 0, 11, 0, 42},
                    IndexCase{"month_11_draw_5", 340, 0, 11, 5, 42},
                    IndexCase{"month_11_draw_4", 340, 0, 11, 4, 47}),
    CaseName);

// The duck days win over the month and are never varied by the draw.
INSTANTIATE_TEST_SUITE_P(
    SpecialDays, PickDailyMessageIndexTest,
    testing::Values(IndexCase{"day_33", 33, 0, 1, 1, 44},
                    IndexCase{"day_34", 34, 0, 1, 3, 55},
                    IndexCase{"day_35", 35, 0, 1, 4, 56},
                    IndexCase{"day_44", 44, 0, 1, 2, 57},
                    IndexCase{"day_55", 55, 0, 1, 0, 58},
                    IndexCase{"day_66", 66, 0, 2, 1, 59},
                    IndexCase{"day_33_before_the_month_turns", 33, 0, 0, 71, 44}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Years, PickDailyMessageIndexTest,
    testing::Values(IndexCase{"first_anniversary", 365, 1, 0, 0, 43},
                    IndexCase{"years_override_months_and_draw", 500, 1, 4, 1, 43},
                    IndexCase{"many_years", 20000, 54, 11, 3, 43}),
    CaseName);

// Counting over every draw gives the chances the texts are meant to have.
struct ChanceCase {
    const char* label;
    int32_t wholeDays;
    int32_t years;
    int32_t months;
    std::map<int, int> countsByIndex;
};

void PrintTo(const ChanceCase& c, std::ostream* os) { *os << c.label; }

class DailyMessageChancesTest : public testing::TestWithParam<ChanceCase> {};

TEST_P(DailyMessageChancesTest, EveryDrawFromZeroTo99) {
    const ChanceCase& c = GetParam();
    std::map<int, int> counts;
    for (int r = 0; r < 100; ++r) ++counts[PickDailyMessageIndex(c.wholeDays, c.years, c.months, r)];
    EXPECT_EQ(counts, c.countsByIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, DailyMessageChancesTest,
    testing::Values(ChanceCase{"day_1", 1, 0, 0, {{1, 42}, {48, 29}, {49, 20}, {50, 9}}},
                    ChanceCase{"day_2", 2, 0, 0, {{2, 42}, {51, 29}, {52, 20}, {53, 9}}},
                    ChanceCase{"day_3", 3, 0, 0, {{3, 71}, {54, 29}}},
                    ChanceCase{"day_4", 4, 0, 0, {{4, 100}}},
                    ChanceCase{"month_5", 160, 0, 5, {{36, 96}, {45, 2}, {46, 1}, {47, 1}}},
                    ChanceCase{"day_33", 33, 0, 1, {{44, 100}}},
                    ChanceCase{"year_1", 400, 1, 1, {{43, 100}}}),
    [](const testing::TestParamInfo<ChanceCase>& info) { return info.param.label; });

struct TextCase {
    const char* label;
    int32_t wholeDays;
    int32_t years;
    int32_t months;
    int r;
    const char* expected;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.label; }

class PickDailyMessageTest : public testing::TestWithParam<TextCase> {};

TEST_P(PickDailyMessageTest, ShowsTheText) {
    const TextCase& c = GetParam();
    EXPECT_EQ(PickDailyMessage(c.wholeDays, c.years, c.months, c.r), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, PickDailyMessageTest,
    testing::Values(
        TextCase{"first_day", 0, 0, 0, 50, "さあ今日からいよいよ卒煙です！がんばりましょう！"},
        TextCase{"day_11", 11, 0, 0, 50, "卒煙して１１日目です。アヒル副隊長がお祝いに来ました"},
        TextCase{"day_22", 22, 0, 0, 50, "卒煙して２２日目です。アヒル隊長がお祝いに来ました"},
        TextCase{"day_28", 28, 0, 0, 50, "アヒル隊長から一言 「もうすぐ一ヶ月達成です」"},
        TextCase{"first_month", 30, 0, 1, 0, "卒煙から１ヶ月経過しました。おめでとうございます"},
        TextCase{"first_month_warning", 30, 0, 1, 3, "飲み会では特に注意してください"},
        TextCase{"day_33", 33, 0, 1, 1, "卒煙して３３日目です。アヒルの王様がお祝いに来ました"},
        TextCase{"day_34", 34, 0, 1, 2, "そつえん いっかげつ おめでとぉー　がぁーがぁーがぁー"},
        TextCase{"day_35", 35, 0, 1, 4, "卒煙して１ヶ月越えしましたが、油断は大敵です"},
        TextCase{"month_11", 340, 0, 11, 5, "おめでとうございます。卒煙から１１ヶ月経過しました"},
        TextCase{"year_1", 365, 1, 0, 1, "～ ご卒煙おめでとうございます ～"},
        TextCase{"negative_day", -1, 0, 0, 0, "さあ今日からいよいよ卒煙です！がんばりましょう！"}),
    [](const testing::TestParamInfo<TextCase>& info) { return info.param.label; });

}  // namespace
}  // namespace kemless
