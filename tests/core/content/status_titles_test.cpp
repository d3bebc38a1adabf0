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
    testing::Values(TitleCase{"Soldier", kSoldier, 0, 0, "２等兵"},
                    TitleCase{"Cosmo", kCosmo, 0, 0, "素粒子"},
                    TitleCase{"Company", kCompany, 0, 0, "無職"},
                    TitleCase{"Japan", kJapan, 0, 0, "西表島"},
                    TitleCase{"SoldierDayOne", kSoldier, 1, 0, "１等兵"},
                    TitleCase{"CompanyDayOne", kCompany, 1, 0, "バイト"}),
    CaseName);

// Days 0 to 5 are exact; from day 6 each row is a lower bound.
INSTANTIATE_TEST_SUITE_P(
    DayBoundaries, StatusTitleTest,
    testing::Values(TitleCase{"SoldierDay5", kSoldier, 5, 0, "軍曹"},
                    TitleCase{"SoldierDay6", kSoldier, 6, 0, "曹長"},
                    TitleCase{"SoldierDay7", kSoldier, 7, 0, "曹長"},
                    TitleCase{"SoldierDay8", kSoldier, 8, 0, "准尉"},
                    TitleCase{"SoldierDay29", kSoldier, 29, 0, "中将"},
                    TitleCase{"SoldierDay30", kSoldier, 30, 0, "大将"},
                    TitleCase{"SoldierDay59", kSoldier, 59, 0, "大将"},
                    TitleCase{"SoldierDay60", kSoldier, 60, 0, "元帥"},
                    TitleCase{"SoldierDay340", kSoldier, 340, 0, "トキ"},
                    TitleCase{"SoldierDay365BeforeAnniversary", kSoldier, 365, 0, "トキ"},
                    TitleCase{"CosmoDay13", kCosmo, 13, 0, "ニワトリ"},
                    TitleCase{"CosmoDay364", kCosmo, 364, 0, "小宇宙"},
                    TitleCase{"CompanyDay25", kCompany, 25, 0, "次長"},
                    TitleCase{"CompanyDay26", kCompany, 26, 0, "副部長"},
                    TitleCase{"CompanyDay329", kCompany, 329, 0, "最高顧問"},
                    TitleCase{"CompanyDay330", kCompany, 330, 0, "経団連副会長"}),
    CaseName);

// From the first full year the years rows decide, whatever the day count.
INSTANTIATE_TEST_SUITE_P(
    Years, StatusTitleTest,
    testing::Values(TitleCase{"SoldierFirstYear", kSoldier, 365, 1, "ケンシロウ"},
                    TitleCase{"CompanyFirstYear", kCompany, 366, 1, "経団連会長"},
                    TitleCase{"CosmoYear4", kCosmo, 1500, 4, "宇宙王"},
                    TitleCase{"SoldierYear9", kSoldier, 3300, 9, "ルフィ"},
                    TitleCase{"SoldierYear99", kSoldier, 36200, 99, "ユリア"},
                    TitleCase{"CosmoYear99", kCosmo, 36200, 99, "宇宙神"},
                    TitleCase{"CompanyYear99", kCompany, 36200, 99, "経済神"},
                    TitleCase{"SoldierYear100", kSoldier, 36525, 100, "宇宙大神"},
                    TitleCase{"CosmoYear100", kCosmo, 36525, 100, "宇宙大神"},
                    TitleCase{"CompanyYear100", kCompany, 36525, 100, "経済大神"},
                    TitleCase{"SoldierYear333", kSoldier, 121600, 333, "ルパン三世"},
                    TitleCase{"CosmoYear333", kCosmo, 121600, 333, "ルパン三世"},
                    TitleCase{"CompanyYear333", kCompany, 121600, 333, "ルパン三世"},
                    TitleCase{"SoldierYear334", kSoldier, 121990, 334, "宇宙大神"},
                    TitleCase{"CompanyYear999", kCompany, 364900, 999, "経済大神"},
                    TitleCase{"SoldierYear1000", kSoldier, 365250, 1000, "トトロ"},
                    TitleCase{"CosmoYear1000", kCosmo, 365250, 1000, "トトロ"},
                    TitleCase{"CompanyYear1000", kCompany, 365250, 1000, "トトロ"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    JapanTravel, StatusTitleTest,
    testing::Values(TitleCase{"Day1", kJapan, 1, 0, "石垣島"},
                    TitleCase{"Day220", kJapan, 220, 0, "富士山"},
                    TitleCase{"Day235", kJapan, 235, 0, "東京タワー"},
                    TitleCase{"Day364", kJapan, 364, 0, "網走"},
                    TitleCase{"Day365AfterAnniversary", kJapan, 365, 1, "知床"},
                    TitleCase{"Day365BeforeAnniversary", kJapan, 365, 0, "網走"},
                    TitleCase{"SecondYear", kJapan, 500, 1, "知床"},
                    TitleCase{"Year2", kJapan, 731, 2, "ハワイ"},
                    TitleCase{"Year10", kJapan, 3653, 10, "中国"},
                    TitleCase{"Year11", kJapan, 4018, 11, "日本"},
                    TitleCase{"Year99", kJapan, 36200, 99, "日本"},
                    TitleCase{"Year100", kJapan, 36525, 100, "天空の城"},
                    TitleCase{"Year333HasNoSpecialTitle", kJapan, 121600, 333, "天空の城"},
                    TitleCase{"Year1000", kJapan, 365250, 1000, "神の国"}),
    CaseName);

// A clock before the quit moment matches no row; a mode must match exactly.
INSTANTIATE_TEST_SUITE_P(
    NoTitle, StatusTitleTest,
    testing::Values(TitleCase{"SoldierNegativeDay", kSoldier, -1, 0, ""},
                    TitleCase{"CosmoNegativeDayAndYear", kCosmo, -400, -1, ""},
                    TitleCase{"CompanyNegativeDay", kCompany, -1, 0, ""},
                    TitleCase{"JapanNegativeDay", kJapan, -1, 0, ""},
                    TitleCase{"EmptyMode", "", 10, 0, ""},
                    TitleCase{"TrailingBlank", "ソルジャー ", 10, 0, ""},
                    TitleCase{"AddedMark", "コスモ！", 10, 0, ""},
                    TitleCase{"ShortenedMode", "ソルジャ", 10, 0, ""},
                    TitleCase{"HalfWidthKatakana", "ｿﾙｼﾞｬｰ", 10, 0, ""},
                    TitleCase{"MinusInsteadOfLongVowel", "会社モ－ド", 10, 0, ""},
                    TitleCase{"EnglishTheme", "Soldier", 10, 1, ""}),
    CaseName);

TEST(StatusTitleTest, EveryListedModeHasATitle) {
    for (const char* mode : kStatusModes) {
        EXPECT_NE(ComputeStatusTitle(mode, 0, 0), "") << mode;
    }
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
