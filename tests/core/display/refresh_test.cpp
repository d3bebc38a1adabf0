#include "display/refresh.h"

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

#include "display/copy_texts.h"

namespace kemless {
namespace {

using enum Duck;

struct StageCase {
    const char* name;
    int32_t day;
    std::vector<Duck> visible;
    bool raised;
    int32_t progress;
    bool hideBar;
};

void PrintTo(const StageCase& c, std::ostream* os) { *os << c.name; }

class DuckStages : public ::testing::TestWithParam<StageCase> {};

TEST_P(DuckStages, PicturesAndBar) {
    const StageCase& c = GetParam();
    const DuckStage s = ComputeDuckStage(c.day);
    EXPECT_EQ(s.visible, c.visible);
    EXPECT_EQ(s.raised, c.raised);
    EXPECT_EQ(s.progress, c.progress);
    EXPECT_EQ(s.hideBar, c.hideBar);
}

INSTANTIATE_TEST_SUITE_P(
    Refresh, DuckStages,
    ::testing::Values(
        StageCase{"quit_day", 0, {}, false, 0, false},
        StageCase{"day_10_bar_nearly_full", 10, {}, false, 30, false},
        StageCase{"day_11_vice_captain_arrives_bar_empty", 11, {ViceCaptainArriving}, false, 0, false},
        StageCase{"day_21", 21, {ViceCaptainArriving}, false, 30, false},
        StageCase{"day_22_captain_arrives", 22, {ViceCaptainArriving, CaptainArriving}, false, 0, false},
        StageCase{"day_32", 32, {ViceCaptainArriving, CaptainArriving}, false, 30, false},
        StageCase{"day_33_bar_gone_all_arrived",
                  33,
                  {ViceCaptainArriving, KingArriving, CaptainArriving},
                  true,
                  0,
                  true},
        StageCase{"day_44", 44, {CaptainArriving, ViceCaptainPleased, KingArriving}, true, 0, true},
        StageCase{"day_55", 55, {ViceCaptainPleased, CaptainPleased, KingArriving}, true, 0, true},
        StageCase{"day_66_all_pleased", 66, {ViceCaptainPleased, KingPleased, CaptainPleased}, true, 0, true},
        StageCase{"day_5000", 5000, {ViceCaptainPleased, KingPleased, CaptainPleased}, true, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LungColour, DarkToRedToPink) {
    auto rgb = [](Rgb c) { return std::tuple{c.red(), c.green(), c.blue()}; };
    EXPECT_EQ(rgb(LungColor(0)), std::tuple(5, 0, 0));
    EXPECT_EQ(rgb(LungColor(10)), std::tuple(105, 0, 0));
    EXPECT_EQ(rgb(LungColor(25)), std::tuple(255, 0, 0));
    EXPECT_EQ(rgb(LungColor(26)), std::tuple(255, 10, 10));
    EXPECT_EQ(rgb(LungColor(33)), std::tuple(255, 80, 80));
    EXPECT_EQ(rgb(LungColor(38)), std::tuple(255, 130, 130));
    EXPECT_EQ(rgb(LungColor(39)), std::tuple(255, 140, 140));
    EXPECT_EQ(rgb(LungColor(1000)), std::tuple(255, 140, 140));
    EXPECT_EQ(rgb(LungColor(2147483647)), std::tuple(255, 140, 140));
}

// The lungs in words, at the stages the refresh colours them.
TEST(LungWords, FollowTheColourOfEachStage) {
    const std::pair<int32_t, const char*> rows[] = {
        {0, "黒ずんだ赤"}, {10, "黒ずんだ赤"}, {25, "赤"}, {33, "ピンクに近づく赤"}, {39, "きれいなピンク"}};
    for (const auto& [day, words] : rows) EXPECT_STREQ(LungWords(LungColor(day)), words) << "day " << day;
}

// A quit profile and options as a fresh user has them.
class RefreshFixture : public ::testing::Test {
protected:
    void SetUp() override { initial.quit = {2014, 1, 31, 9, 0}; }
    void refresh(CalendarMoment now, int draw = 50) { RefreshDisplay(display, initial, options, now, draw); }
    InitialSettings initial;
    OptionSettings options;
    DisplayState display;
};

TEST_F(RefreshFixture, FillsEveryLineInOrder) {
    refresh({2014, 3, 5, 8, 30});
    EXPECT_EQ(display.elapsedMinutes, 47490);
    EXPECT_EQ(display.captions[kElapsedLabel], "０年１ヶ月４日２３時間３０分");
    EXPECT_EQ(display.captions[kStatusLabel], "大将");
    EXPECT_EQ(display.captions[kMoneyLabel], "9893円（節税分 5737円）");
    EXPECT_EQ(display.captions[kMessageLabel], "卒煙から１ヶ月経過しました。おめでとうございます");
    // The savings sentence is the money sentence followed by the comparison.
    EXPECT_EQ(display.savingsSummary.rfind("節約できた金額は９８９３円です。節煙本数は６５９本で、", 0), 0u);
    EXPECT_EQ(display.miniText, SummaryText(display, initial, options));
}

TEST_F(RefreshFixture, RepairsTaxRateInMemory) {
    options.taxRatePercent = 101;
    refresh({2014, 2, 1, 9, 0});
    EXPECT_EQ(options.taxRatePercent, 58);
    EXPECT_EQ(display.captions[kMoneyLabel], "300円（節税分 174円）");
}

TEST_F(RefreshFixture, ToggleShowsTotalDaysUntilTheNextRefresh) {
    refresh({2014, 3, 5, 8, 30});
    ToggleElapsedForm(display);
    EXPECT_EQ(display.captions[kElapsedLabel], "３２日２３時間３０分");
    EXPECT_TRUE(display.showTotalDays);
    ToggleElapsedForm(display);
    EXPECT_EQ(display.captions[kElapsedLabel], "０年１ヶ月４日２３時間３０分");
    ToggleElapsedForm(display);
    refresh({2014, 3, 5, 8, 30});
    EXPECT_EQ(display.captions[kElapsedLabel], "０年１ヶ月４日２３時間３０分");
    EXPECT_FALSE(display.showTotalDays);
}

TEST_F(RefreshFixture, MiniTextReadsTheToggleBeforeTheRefreshResetsIt) {
    refresh({2014, 3, 5, 8, 30});
    ToggleElapsedForm(display);
    refresh({2014, 3, 5, 8, 30});
    EXPECT_NE(display.miniText.find("卒煙からの日数： 32日 23時間 30分"), std::string::npos);
    // A copy made after the refresh uses the calendar form again.
    EXPECT_NE(SummaryText(display, initial, options).find("卒煙からの日数： 0年 1ヶ月 4日 23時間 30分"),
              std::string::npos);
}

TEST_F(RefreshFixture, ClockSetBackShowsTheQuitMomentItself) {
    refresh({2014, 1, 30, 9, 0});
    EXPECT_EQ(display.elapsedMinutes, 0);
    EXPECT_EQ(display.captions[kElapsedLabel], "０年０ヶ月０日０時間０分");
    EXPECT_EQ(display.captions[kMessageLabel], "さあ今日からいよいよ卒煙です！がんばりましょう！");
    EXPECT_EQ(display.ducks.progress, 0);
    EXPECT_EQ(display.lungColor, Rgb(5, 0, 0));
}

}  // namespace
}  // namespace kemless
