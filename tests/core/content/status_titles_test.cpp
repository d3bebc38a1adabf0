#include "content/status_titles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace kemless {
namespace {

constexpr std::string_view kSoldier = "ソルジャー";
constexpr std::string_view kCosmo = "コスモ";
constexpr std::string_view kCompany = "会社モード";
constexpr std::string_view kJapan = "日本旅行";

struct TitleCase {
    const char* label;
    std::string_view mode;
    int32_t wholeDays;
    int32_t years;
    const char* expected;
};

void PrintTo(const TitleCase& c, std::ostream* os) { *os << c.label; }

class StatusTitleTest : public testing::TestWithParam<TitleCase> {};

TEST_P(StatusTitleTest, LaterRowsReplaceEarlierOnes) {
    const TitleCase& c = GetParam();
    EXPECT_EQ(ComputeStatusTitle(c.mode, c.wholeDays, c.years), c.expected);
}

std::string CaseName(const testing::TestParamInfo<TitleCase>& info) { return info.param.label; }

INSTANTIATE_TEST_SUITE_P(
    FirstDay, StatusTitleTest,
    testing::Values(TitleCase{"soldier", kSoldier, 0, 0, "２等兵"},
                    TitleCase{"cosmo", kCosmo, 0, 0, "素粒子"},
                    TitleCase{"company", kCompany, 0, 0, "無職"},
                    TitleCase{"japan", kJapan, 0, 0, "西表島"},
                    TitleCase{"soldier_day_one", kSoldier, 1, 0, "１等兵"},
                    TitleCase{"company_day_one", kCompany, 1, 0, "バイト"}),
    CaseName);

// Days 0 to 5 are exact; from day 6 each row is a lower bound.
INSTANTIATE_TEST_SUITE_P(
    DayBoundaries, StatusTitleTest,
    testing::Values(TitleCase{"soldier_day_5", kSoldier, 5, 0, "軍曹"},
                    TitleCase{"soldier_day_6", kSoldier, 6, 0, "曹長"},
                    TitleCase{"soldier_day_7", kSoldier, 7, 0, "曹長"},
                    TitleCase{"soldier_day_8", kSoldier, 8, 0, "准尉"},
                    TitleCase{"soldier_day_29", kSoldier, 29, 0, "中将"},
                    TitleCase{"soldier_day_30", kSoldier, 30, 0, "大将"},
                    TitleCase{"soldier_day_59", kSoldier, 59, 0, "大将"},
                    TitleCase{"soldier_day_60", kSoldier, 60, 0, "元帥"},
                    TitleCase{"soldier_day_340", kSoldier, 340, 0, "トキ"},
                    TitleCase{"soldier_day_365_before_anniversary", kSoldier, 365, 0, "トキ"},
                    TitleCase{"cosmo_day_13", kCosmo, 13, 0, "ニワトリ"},
                    TitleCase{"cosmo_day_364", kCosmo, 364, 0, "小宇宙"},
                    TitleCase{"company_day_25", kCompany, 25, 0, "次長"},
                    TitleCase{"company_day_26", kCompany, 26, 0, "副部長"},
                    TitleCase{"company_day_329", kCompany, 329, 0, "最高顧問"},
                    TitleCase{"company_day_330", kCompany, 330, 0, "経団連副会長"}),
    CaseName);

// From the first full year the years rows decide, whatever the day count.
INSTANTIATE_TEST_SUITE_P(
    Years, StatusTitleTest,
    testing::Values(TitleCase{"soldier_first_year", kSoldier, 365, 1, "ケンシロウ"},
                    TitleCase{"company_first_year", kCompany, 366, 1, "経団連会長"},
                    TitleCase{"cosmo_year_4", kCosmo, 1500, 4, "宇宙王"},
                    TitleCase{"soldier_year_9", kSoldier, 3300, 9, "ルフィ"},
                    TitleCase{"soldier_year_99", kSoldier, 36200, 99, "ユリア"},
                    TitleCase{"cosmo_year_99", kCosmo, 36200, 99, "宇宙神"},
                    TitleCase{"company_year_99", kCompany, 36200, 99, "経済神"},
                    TitleCase{"soldier_year_100", kSoldier, 36525, 100, "宇宙大神"},
                    TitleCase{"cosmo_year_100", kCosmo, 36525, 100, "宇宙大神"},
                    TitleCase{"company_year_100", kCompany, 36525, 100, "経済大神"},
                    TitleCase{"soldier_year_333", kSoldier, 121600, 333, "ルパン三世"},
                    TitleCase{"cosmo_year_333", kCosmo, 121600, 333, "ルパン三世"},
                    TitleCase{"company_year_333", kCompany, 121600, 333, "ルパン三世"},
                    TitleCase{"soldier_year_334", kSoldier, 121990, 334, "宇宙大神"},
                    TitleCase{"company_year_999", kCompany, 364900, 999, "経済大神"},
                    TitleCase{"soldier_year_1000", kSoldier, 365250, 1000, "トトロ"},
                    TitleCase{"cosmo_year_1000", kCosmo, 365250, 1000, "トトロ"},
                    TitleCase{"company_year_1000", kCompany, 365250, 1000, "トトロ"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    JapanTravel, StatusTitleTest,
    testing::Values(TitleCase{"day_1", kJapan, 1, 0, "石垣島"},
                    TitleCase{"day_220", kJapan, 220, 0, "富士山"},
                    TitleCase{"day_235", kJapan, 235, 0, "東京タワー"},
                    TitleCase{"day_364", kJapan, 364, 0, "網走"},
                    TitleCase{"day_365_after_anniversary", kJapan, 365, 1, "知床"},
                    TitleCase{"day_365_before_anniversary", kJapan, 365, 0, "網走"},
                    TitleCase{"second_year", kJapan, 500, 1, "知床"},
                    TitleCase{"year_2", kJapan, 731, 2, "ハワイ"},
                    TitleCase{"year_10", kJapan, 3653, 10, "中国"},
                    TitleCase{"year_11", kJapan, 4018, 11, "日本"},
                    TitleCase{"year_99", kJapan, 36200, 99, "日本"},
                    TitleCase{"year_100", kJapan, 36525, 100, "天空の城"},
                    TitleCase{"year_333_has_no_special_title", kJapan, 121600, 333, "天空の城"},
                    TitleCase{"year_1000", kJapan, 365250, 1000, "神の国"}),
    CaseName);

// A clock before the quit moment matches no row; a mode must match exactly.
INSTANTIATE_TEST_SUITE_P(
    NoTitle, StatusTitleTest,
    testing::Values(TitleCase{"soldier_negative_day", kSoldier, -1, 0, ""},
                    TitleCase{"cosmo_negative_day_and_year", kCosmo, -400, -1, ""},
                    TitleCase{"company_negative_day", kCompany, -1, 0, ""},
                    TitleCase{"japan_negative_day", kJapan, -1, 0, ""},
                    TitleCase{"empty_mode", "", 10, 0, ""},
                    TitleCase{"trailing_blank", "ソルジャー ", 10, 0, ""},
                    TitleCase{"added_mark", "コスモ！", 10, 0, ""},
                    TitleCase{"shortened_mode", "ソルジャ", 10, 0, ""},
                    TitleCase{"half_width_katakana", "ｿﾙｼﾞｬｰ", 10, 0, ""},
                    TitleCase{"minus_instead_of_long_vowel", "会社モ－ド", 10, 0, ""},
                    TitleCase{"english_theme", "Soldier", 10, 1, ""}),
    CaseName);

TEST(StatusTitleTest, EveryListedModeHasATitle) {
    for (const char* mode : kStatusModes) {
        EXPECT_NE(ComputeStatusTitle(mode, 0, 0), "") << mode;
    }
}

TEST(StatusTitleRankTest, RisesWithEachNewTitleAndStaysWithTheSame) {
    // Day by day through the first year and a half, then year by year: a new
    // title has a higher rank, the same title the same rank, and only the
    // year after ルパン三世 goes back.
    for (const char* mode : kStatusModes) {
        std::string title = ComputeStatusTitle(mode, 0, 0);
        int32_t rank = StatusTitleRank(mode, 0, 0);
        EXPECT_EQ(rank, 0) << mode;
        auto step = [&](int32_t days, int32_t years) {
            const std::string next = ComputeStatusTitle(mode, days, years);
            const int32_t nextRank = StatusTitleRank(mode, days, years);
            if (next == title)
                EXPECT_EQ(nextRank, rank) << mode << " day " << days << " year " << years;
            else if (years == 334)
                EXPECT_LT(nextRank, rank) << mode;
            else
                EXPECT_GT(nextRank, rank) << mode << " day " << days << " year " << years;
            title = next;
            rank = nextRank;
        };
        for (int32_t day = 1; day <= 365; ++day) step(day, 0);
        // Day 365 reaches its first anniversary, or (across 29 February) not yet.
        for (int32_t day = 365; day <= 548; ++day) step(day, 1);
        for (int32_t year = 2; year <= 1100; ++year) step(548 + year * 365, year);
    }
    EXPECT_EQ(StatusTitleRank("なにか", 10, 0), -1);
    EXPECT_EQ(StatusTitleRank(kStatusModes[0], -1, 0), -1);
}

TEST(JapanTravelPlacesTest, OnePlaceForEachDayOfTheFirstYear) {
    const auto places = JapanTravelPlaces();
    ASSERT_EQ(places.size(), 366u);
    EXPECT_STREQ(places.front(), "西表島");
    EXPECT_STREQ(places[364], "網走");
    EXPECT_STREQ(places.back(), "知床");
}

}  // namespace
}  // namespace kemless
