#include "display/copy_texts.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kemless {
namespace {

// A display as a refresh leaves it, 13 days 9 hours 5 minutes after a quit on
// 1 March 2014.
class CopyTexts : public ::testing::Test {
protected:
    void SetUp() override {
        initial.quit = {2014, 3, 1, 0, 0};
        display.captions = {"０年０ヶ月１３日９時間５分", "ignored", "4012円（節税分 2326円）", "中尉",
                            "267本 22.7ｍ ナガスクジラ", "ignored"};
        display.elapsed = {0, 0, 13, 9, 5};
        display.elapsedMinutes = 13 * 1440 + 9 * 60 + 5;
        display.lifeMinutesGained = 2165;
        display.savingsSummary = "節約できた金額は４０１２円です。節煙本数は２６７本で、これは２２．７ｍのナガスクジラに匹敵します。";
    }
    InitialSettings initial;
    OptionSettings options;
    DisplayState display;
};

TEST_F(CopyTexts, SummaryHasSixLinesWithHalfWidthNumbers) {
    EXPECT_EQ(SummaryText(display, initial, options),
              "ステータス： 中尉\r\n"
              "卒煙日： 2014年 3月 1日\r\n"
              "卒煙からの日数： 0年 0ヶ月 13日 9時間 5分\r\n"
              "延びた寿命： 1日と12時間5分\r\n"
              "節約できた金額： 4012円（節税分 2326円）\r\n"
              "節煙本数： 267本 22.7ｍ ナガスクジラ");
}

struct PlusCase {
    const char* name;
    int32_t mode;
    int32_t size;
    const char* quitLine;
    const char* shortStart;
};

void PrintTo(const PlusCase& c, std::ostream* os) { *os << c.name; }

class CopyPlus : public CopyTexts, public ::testing::WithParamInterface<PlusCase> {};

TEST_P(CopyPlus, QuitLineAndShortText) {
    const PlusCase& c = GetParam();
    options.copyPlusMode = c.mode;
    options.smokingYears = 10;
    initial.cigaretteSize = c.size;
    const std::string summary = SummaryText(display, initial, options);
    const std::string shortText = ShortText(display, initial, options);
    if (c.quitLine == nullptr) {
        EXPECT_EQ(summary, "");
        EXPECT_EQ(shortText, "");
        return;
    }
    EXPECT_NE(summary.find(std::string("\r\n") + c.quitLine + "\r\n"), std::string::npos) << summary;
    EXPECT_EQ(shortText.rfind(c.shortStart, 0), 0u) << shortText;
    EXPECT_EQ(shortText.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CopyPlus,
    ::testing::Values(
        PlusCase{"off", 0, 85, "卒煙日： 2014年 3月 1日", "２０１４年３月１日に卒煙。０年"},
        PlusCase{"on_standard", 1, 85, "卒煙日： 2014年 3月 1日（20本-300円-中）",
                 "２０１４年３月１日に卒煙。それまで１日２０本吸っていました。０年"},
        PlusCase{"on_short", 1, 50, "卒煙日： 2014年 3月 1日（20本-300円-小）", "２０１４年３月１日に卒煙。それまで１日２０本"},
        PlusCase{"on_long", 1, 100, "卒煙日： 2014年 3月 1日（20本-300円-大）", "２０１４年"},
        PlusCase{"on_unknown_size", 1, 70, "卒煙日： 2014年 3月 1日（20本-300円-）", "２０１４年"},
        PlusCase{"with_smoking_years", 2, 85, "卒煙日： 2014年 3月 1日（20本-10年）",
                 "２０１４年３月１日に卒煙。それまで１０年間１日２０本吸っていました。０年"},
        PlusCase{"unknown_mode_gives_empty_texts", 3, 85, nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyTexts, ShortTextQuotesCaptionsAndSummary) {
    EXPECT_EQ(ShortText(display, initial, options),
              "２０１４年３月１日に卒煙。０年０ヶ月１３日９時間５分経過しました。" + display.savingsSummary +
                  "ステータスは中尉。");
}

TEST_F(CopyTexts, ToggledElapsedFormInBothTexts) {
    display.showTotalDays = true;
    display.captions[kElapsedLabel] = "１３日９時間５分";
    EXPECT_NE(SummaryText(display, initial, options).find("卒煙からの日数： 13日 9時間 5分\r\n"), std::string::npos);
    EXPECT_NE(ShortText(display, initial, options).find("。１３日９時間５分経過しました。"), std::string::npos);
}

TEST_F(CopyTexts, LifeLineForms) {
    for (auto [minutes, line] : {std::pair{0, "延びた寿命： 0日と0時間0分"}, {1440, "延びた寿命： 1日と0時間0分"},
                                 {2165, "延びた寿命： 1日と12時間5分"}}) {
        display.lifeMinutesGained = minutes;
        EXPECT_NE(SummaryText(display, initial, options).find(line), std::string::npos) << minutes;
    }
}

}  // namespace
}  // namespace kemless
