#include "recovery/health_steps.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>

#include "figures/calendar.h"
#include "support/calendar.h"

namespace kemless {
namespace {

constexpr int kSteps = 10;
// Full months of the steps that are counted in months, by step index.
constexpr int32_t kMonthsOfStep[kSteps] = {0, 0, 0, 0, 0, 1, 12, 24, 60, 120};

struct QuitCase {
    const char* name;
    CalendarMoment quit;
    std::array<CalendarMoment, kSteps> moments;  // worked out by hand
};
void PrintTo(const QuitCase& c, std::ostream* os) { *os << c.name; }

class HealthStepBoundaries : public ::testing::TestWithParam<QuitCase> {};

// Each step a minute before, on and after its moment: still ahead by one
// minute and the next one to come, then reached at exactly that minute.
TEST_P(HealthStepBoundaries, AMinuteBeforeOnAndAfter) {
    const QuitCase& c = GetParam();
    for (int i = 0; i < kSteps; ++i) {
        SCOPED_TRACE(i);
        const CalendarMoment on = c.moments[i];
        const HealthTimeline before = ComputeHealthTimeline(c.quit, MinutesAfter(on, -1));
        const HealthTimeline at = ComputeHealthTimeline(c.quit, on);
        const HealthTimeline after = ComputeHealthTimeline(c.quit, MinutesAfter(on, 1));
        ASSERT_EQ(at.steps.size(), size_t{kSteps});
        EXPECT_EQ(at.steps[i].moment, on);
        EXPECT_EQ(at.steps[i].minutesAfterQuit, MinutesOf(on) - MinutesOf(c.quit));

        EXPECT_FALSE(before.steps[i].reached);
        EXPECT_TRUE(before.steps[i].next);
        EXPECT_EQ(before.steps[i].status, "あと１分");
        EXPECT_EQ(before.reachedCount, i);

        EXPECT_TRUE(at.steps[i].reached);
        EXPECT_FALSE(at.steps[i].next);
        EXPECT_EQ(at.steps[i].status, MomentText(on) + "に到達");
        EXPECT_EQ(at.steps[i].permille, 1000);
        EXPECT_EQ(at.reachedCount, i + 1);
        EXPECT_TRUE(after.steps[i].reached);

        // A step counted in months is reached when the elapsed line first
        // shows that many full months.
        if (kMonthsOfStep[i] > 0) {
            const ElapsedTime shown = ComputeElapsed(c.quit, on).time;
            const ElapsedTime shownBefore = ComputeElapsed(c.quit, MinutesAfter(on, -1)).time;
            EXPECT_EQ(shown.years * 12 + shown.months, kMonthsOfStep[i]);
            EXPECT_EQ(shownBefore.years * 12 + shownBefore.months, kMonthsOfStep[i] - 1);
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Health, HealthStepBoundaries,
    ::testing::Values(
        QuitCase{"january_31st_of_a_leap_year", {2024, 1, 31, 9, 0},
                 {{{2024, 1, 31, 9, 20}, {2024, 1, 31, 17, 0}, {2024, 2, 1, 9, 0}, {2024, 2, 3, 9, 0}, {2024, 2, 14, 9, 0},
                   {2024, 3, 1, 0, 0}, {2025, 1, 31, 9, 0}, {2026, 1, 31, 9, 0}, {2029, 1, 31, 9, 0}, {2034, 1, 31, 9, 0}}}},
        QuitCase{"leap_day", {2024, 2, 29, 12, 0},
                 {{{2024, 2, 29, 12, 20}, {2024, 2, 29, 20, 0}, {2024, 3, 1, 12, 0}, {2024, 3, 3, 12, 0}, {2024, 3, 14, 12, 0},
                   {2024, 3, 29, 12, 0}, {2025, 3, 1, 0, 0}, {2026, 3, 1, 0, 0}, {2029, 3, 1, 0, 0}, {2034, 3, 1, 0, 0}}}},
        QuitCase{"last_minute_of_a_year", {2023, 12, 31, 23, 59},
                 {{{2024, 1, 1, 0, 19}, {2024, 1, 1, 7, 59}, {2024, 1, 1, 23, 59}, {2024, 1, 3, 23, 59}, {2024, 1, 14, 23, 59},
                   {2024, 1, 31, 23, 59}, {2024, 12, 31, 23, 59}, {2025, 12, 31, 23, 59}, {2028, 12, 31, 23, 59}, {2033, 12, 31, 23, 59}}}},
        QuitCase{"end_of_a_common_february", {2023, 2, 28, 22, 0},
                 {{{2023, 2, 28, 22, 20}, {2023, 3, 1, 6, 0}, {2023, 3, 1, 22, 0}, {2023, 3, 3, 22, 0}, {2023, 3, 14, 22, 0},
                   {2023, 3, 28, 22, 0}, {2024, 2, 28, 22, 0}, {2025, 2, 28, 22, 0}, {2028, 2, 28, 22, 0}, {2033, 2, 28, 22, 0}}}},
        QuitCase{"31st_before_a_30_day_month", {2024, 3, 31, 10, 0},
                 {{{2024, 3, 31, 10, 20}, {2024, 3, 31, 18, 0}, {2024, 4, 1, 10, 0}, {2024, 4, 3, 10, 0}, {2024, 4, 14, 10, 0},
                   {2024, 5, 1, 0, 0}, {2025, 3, 31, 10, 0}, {2026, 3, 31, 10, 0}, {2029, 3, 31, 10, 0}, {2034, 3, 31, 10, 0}}}},
        QuitCase{"february_28th_before_a_leap_day", {2024, 2, 28, 23, 50},
                 {{{2024, 2, 29, 0, 10}, {2024, 2, 29, 7, 50}, {2024, 2, 29, 23, 50}, {2024, 3, 2, 23, 50}, {2024, 3, 13, 23, 50},
                   {2024, 3, 28, 23, 50}, {2025, 2, 28, 23, 50}, {2026, 2, 28, 23, 50}, {2029, 2, 28, 23, 50}, {2034, 2, 28, 23, 50}}}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(HealthTimeline, TheWayToTheNextStepAndTheSummary) {
    const CalendarMoment quit{2024, 1, 31, 9, 0};
    // Ten minutes of the first twenty.
    HealthTimeline t = ComputeHealthTimeline(quit, {2024, 1, 31, 9, 10});
    EXPECT_TRUE(t.steps[0].next);
    EXPECT_EQ(t.steps[0].permille, 500);
    EXPECT_EQ(t.steps[1].permille, 0);
    EXPECT_EQ(t.summary, "次の「２０分後」まで、あと１０分です。");
    // Half the way from the twentieth minute to the eighth hour.
    t = ComputeHealthTimeline(quit, {2024, 1, 31, 13, 10});
    EXPECT_TRUE(t.steps[1].next);
    EXPECT_EQ(t.steps[1].permille, 500);
    EXPECT_EQ(t.steps[1].status, "あと３時間５０分");
    EXPECT_EQ(t.steps[1].spoken,
              "８時間後　血液中の一酸化炭素が減り、酸素が増えてきます。　あと３時間５０分");
    EXPECT_EQ(t.summary, "１０の変化のうち１つに到達しました。次の「８時間後」まで、あと３時間５０分です。");
    // Only one step is the next.
    int next = 0;
    for (const HealthStep& s : t.steps) next += s.next;
    EXPECT_EQ(next, 1);
    // Every step reached.
    t = ComputeHealthTimeline(quit, {2034, 1, 31, 9, 0});
    EXPECT_EQ(t.reachedCount, 10);
    EXPECT_EQ(t.summary, "すべての変化に到達しました。");
}

TEST(HealthTimeline, AQuitMomentAheadOfTheClockCountsAsNoTimeGone) {
    const HealthTimeline t = ComputeHealthTimeline({2024, 3, 14, 18, 0}, {2024, 3, 14, 9, 0});
    EXPECT_EQ(t.reachedCount, 0);
    EXPECT_EQ(t.steps[0].status, "あと２０分");
    EXPECT_EQ(t.steps[0].permille, 0);
}

TEST(HealthTimeline, AHandEditedDayRunsOnAsTheElapsedCountReadsIt) {
    // 31 April is counted as 1 May, by the elapsed line and the steps alike.
    const CalendarMoment quit{2024, 4, 31, 9, 0};
    const CalendarMoment on{2024, 5, 1, 9, 20};
    EXPECT_EQ(ComputeElapsed(quit, on).minutes, 20);
    EXPECT_TRUE(ComputeHealthTimeline(quit, on).steps[0].reached);
    EXPECT_FALSE(ComputeHealthTimeline(quit, MinutesAfter(on, -1)).steps[0].reached);
    // Fields far outside the calendar still give ten steps.
    EXPECT_EQ(ComputeHealthTimeline({-5, 13, 99, 99, 99}, {2024, 5, 1, 9, 20}).steps.size(), size_t{10});
}

// A step a month or more away is counted as the calendar counts it, the way
// the elapsed line does; nearer ones keep their days and hours.
TEST(HealthTimeline, FarStepsReadAsYearsMonthsAndDays) {
    const CalendarMoment quit{2026, 1, 1, 12, 0};
    const struct {
        CalendarMoment now;
        std::array<const char*, 6> status;  // steps 5 (２週間〜) to 10 (１０〜１５年後)
    } rows[] = {
        {quit,
         {"あと１４日０時間", "あと１ヶ月０日", "あと１年０ヶ月０日", "あと２年０ヶ月０日",
          "あと５年０ヶ月０日", "あと１０年０ヶ月０日"}},
        {{2026, 1, 2, 14, 30},
         {"あと１２日２１時間", "あと２９日２１時間", "あと１１ヶ月２９日", "あと１年１１ヶ月２９日",
          "あと４年１１ヶ月２９日", "あと９年１１ヶ月２９日"}},
        {{2026, 2, 1, 11, 59},
         {"", "あと１分", "あと１１ヶ月０日", "あと１年１１ヶ月０日", "あと４年１１ヶ月０日",
          "あと９年１１ヶ月０日"}},
    };
    for (const auto& row : rows) {
        const HealthTimeline t = ComputeHealthTimeline(quit, row.now);
        for (size_t i = 0; i < row.status.size(); ++i) {
            if (*row.status[i] != '\0') {
                EXPECT_EQ(t.steps[4 + i].status, row.status[i]) << MomentText(row.now);
            }
        }
    }
}

// The words say no more than the source named under the steps.
TEST(HealthStepWordsTable, AsTheSourceSaysIt) {
    const std::pair<const char*, const char*> rows[] = {
        {"２０分後", "血圧と脈拍が正常に近づき、手足が温かくなってきます。"},
        {"８時間後", "血液中の一酸化炭素が減り、酸素が増えてきます。"},
        {"２４時間後", "心臓発作が起こる可能性が下がり始めます。"},
        {"数日後", "味や香りが、よくわかるようになってきます。"},
        {"２週間〜３ヶ月後", "血液の巡りがよくなり、心臓や血管の働きが改善します。"},
        {"１〜９ヶ月後", "せきが改善し、スタミナが戻ってきます。"},
        {"１年後", "肺の働きの改善がみられます（軽度・中等度の慢性閉塞性肺疾患のある人）。"},
        {"２〜４年後", "心筋梗塞などの虚血性心疾患のリスクが、吸い続けた場合より約３５％下がります。"},
        {"５〜９年後", "肺がんのリスクが、吸い続けた場合よりはっきり下がります。"},
        {"１０〜１５年後", "さまざまな病気のリスクが、たばこを吸わない人に近づきます。"},
    };
    for (int32_t i = 0; i < kSteps; ++i) {
        EXPECT_EQ(HealthStepWordsAt(i).when, rows[i].first);
        EXPECT_EQ(HealthStepWordsAt(i).change, rows[i].second);
    }
}

TEST(RemainingText, DaysAndHoursOrHoursAndMinutes) {
    const std::pair<int64_t, const char*> cases[] = {
        {1, "あと１分"},
        {59, "あと５９分"},
        {60, "あと１時間０分"},
        {1439, "あと２３時間５９分"},
        {1440, "あと１日０時間"},
        {3 * 1440 + 4 * 60 + 59, "あと３日４時間"},
        {400 * 1440, "あと４００日０時間"},
    };
    for (const auto& [minutes, text] : cases) EXPECT_EQ(RemainingText(minutes), text) << minutes;
}

}  // namespace
}  // namespace kemless
