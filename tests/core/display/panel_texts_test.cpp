// The texts for panels and scripts: the compact line, markup made safe, the
// copy texts' line ends. (The JSON is held against the copy texts by the
// companion's tests, which can read it.)
#include "display/panel_texts.h"

#include <gtest/gtest.h>

#include "display/copy_texts.h"
#include "display/refresh.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

DisplayState RefreshedAt(const InitialSettings& in, OptionSettings op, CalendarMoment now) {
    DisplayState d;
    RefreshDisplay(d, in, op, now, 50);
    return d;
}

TEST(CompactText, DaysAndMoneyGroupedByThousands) {
    struct Case {
        int32_t perDay, price;
        CalendarMoment now;
        const char* text;
    };
    // Quit 2026-01-01 00:00: 20 a day at 500 yen is 500 yen a day.
    const Case cases[] = {
        {20, 500, {2026, 1, 1, 0, 0}, "卒煙0日・0円"},
        {20, 500, {2026, 1, 2, 23, 59}, "卒煙1日・999円"},
        {20, 500, {2026, 1, 3, 0, 0}, "卒煙2日・1,000円"},
        {20, 500, {2026, 5, 3, 0, 0}, "卒煙122日・61,000円"},
        {200, 2000, {2036, 1, 1, 0, 0}, "卒煙3652日・73,040,000円"},
    };
    for (const Case& c : cases) {
        InitialSettings in;
        in.quit = {2026, 1, 1, 0, 0};
        in.cigarettesPerDay = c.perDay;
        in.packPrice = c.price;
        const OptionSettings op;
        EXPECT_EQ(CompactText(RefreshedAt(in, op, c.now), in, op), c.text) << c.text;
    }
}

// The metres of the JSON are the display's: a hand-edited habit that pushes
// the hundredths past 64 bits gives a long number, never a wrapped negative.
TEST(SummaryJsonMetres, TheDisplaysDigitsWhateverTheHabit) {
    struct Case {
        int32_t perDay, size;
        CalendarMoment now;
        const char* metres;
    };
    // Quit 2026-01-01 00:00; 2026-03-01 is 59 days later.
    const Case cases[] = {
        {20, 85, {2026, 1, 1, 0, 0}, "0"},
        {20, 85, {2026, 3, 1, 0, 0}, "100.3"},
        {-10, 50, {2026, 1, 2, 0, 0}, "-0.5"},
        {2147483647, 85, {2026, 3, 1, 0, 0}, "10769630489.7"},
        {2147483647, 2147483647, {2026, 3, 1, 0, 0}, "272089474833812807.68"},
    };
    for (const Case& c : cases) {
        InitialSettings in;
        in.quit = {2026, 1, 1, 0, 0};
        in.cigarettesPerDay = c.perDay;
        in.cigaretteSize = c.size;
        const OptionSettings op;
        const std::string json = SummaryJson(RefreshedAt(in, op, c.now), in, op, c.now, false);
        const std::size_t at = json.find("\"metres\":");
        ASSERT_NE(at, std::string::npos) << json;
        const std::size_t from = at + 9;
        EXPECT_EQ(json.substr(from, json.find(',', from) - from), c.metres) << c.perDay << " " << c.size;
    }
}

TEST(Markup, TheThreeCharactersPangoReadsAreEscaped) {
    EXPECT_EQ(EscapeMarkup("AT&T Corporate Center <b>x</b> & 記録"),
              "AT&amp;T Corporate Center &lt;b&gt;x&lt;/b&gt; &amp; 記録");
    EXPECT_EQ(EscapeMarkup("卒煙1日・999円"), "卒煙1日・999円");
}

TEST(LineFeeds, TheClipboardsLineEndsBecomeLineFeeds) {
    EXPECT_EQ(WithLineFeeds("a\r\nb\r\nc"), "a\nb\nc");
    EXPECT_EQ(WithLineFeeds("lone\rcr\n"), "lone\rcr\n");
    InitialSettings in;
    in.quit = {2026, 1, 1, 0, 0};
    const OptionSettings op;
    const DisplayState d = RefreshedAt(in, op, {2026, 3, 1, 0, 0});
    const std::string summary = WithLineFeeds(SummaryText(d, in, op));
    EXPECT_EQ(std::count(summary.begin(), summary.end(), '\n'), 5);
    EXPECT_EQ(summary.find('\r'), std::string::npos);
}

TEST(WonSoFar, TheFiguresOfTheLastRefresh) {
    // 30.5 days at 20 a day and 300 yen a pack.
    InitialSettings initial;
    initial.quit = {2014, 1, 1, 0, 0};
    OptionSettings options;
    DisplayState display;
    RefreshDisplay(display, initial, options, AddMinutes(initial.quit, 43920), 50);
    const auto lines = WonSoFar(display);
    EXPECT_EQ(lines[0].heading, "節約できた金額");
    EXPECT_EQ(lines[0].value, "9150円");
    EXPECT_EQ(lines[1].heading, "延びた寿命");
    EXPECT_EQ(lines[1].value, "２日と７時間５５分");
    EXPECT_EQ(lines[2].heading, "吸わなかった煙草");
    EXPECT_EQ(lines[2].value, "610本");
}

}  // namespace
}  // namespace kemless
