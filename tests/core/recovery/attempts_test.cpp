#include "recovery/attempts.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kemless {
namespace {

using enum AttemptEventKind;

AttemptEvent Urge(CalendarMoment at) { return {at, UrgePassed, {}}; }
AttemptEvent Smoked(CalendarMoment at) { return {at, Slip, {}}; }
// A quit moment replaced at `at`: the old attempt ends, the new one starts.
std::vector<AttemptEvent> NewQuit(CalendarMoment at, CalendarMoment oldQuit, CalendarMoment newQuit) {
    return {{at, AttemptEnd, oldQuit}, {at, AttemptStart, newQuit}};
}
std::vector<AttemptEvent> Join(std::initializer_list<std::vector<AttemptEvent>> parts) {
    std::vector<AttemptEvent> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct AttemptCase {
    const char* name;
    std::vector<AttemptEvent> events;
    CalendarMoment quit;
    CalendarMoment now;
    int32_t urgesThis, slipsThis, urgesAll, slipsAll, ended;
    int64_t longest;
    bool longestIsCurrent;
    CalendarMoment longestQuit;
};
void PrintTo(const AttemptCase& c, std::ostream* os) { *os << c.name; }
class Attempts : public ::testing::TestWithParam<AttemptCase> {};

TEST_P(Attempts, CountsAndTheLongest) {
    const AttemptCase& c = GetParam();
    const AttemptSummary s = SummariseAttempts(c.events, c.quit, c.now);
    EXPECT_EQ(s.urgesThisAttempt, c.urgesThis);
    EXPECT_EQ(s.slipsThisAttempt, c.slipsThis);
    EXPECT_EQ(s.urgesAll, c.urgesAll);
    EXPECT_EQ(s.slipsAll, c.slipsAll);
    EXPECT_EQ(s.endedAttempts, c.ended);
    EXPECT_EQ(s.longestMinutes, c.longest);
    EXPECT_EQ(s.longestIsCurrent, c.longestIsCurrent);
    EXPECT_EQ(s.longestQuit, c.longestQuit);
}

const CalendarMoment kFirstQuit{2024, 1, 10, 8, 0};
const CalendarMoment kSecondQuit{2024, 2, 20, 21, 30};
const CalendarMoment kNow{2024, 3, 1, 12, 0};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Record, Attempts,
    ::testing::Values(
        AttemptCase{"nothing_yet", {}, kFirstQuit, kNow, 0, 0, 0, 0, 0, 51 * 1440 + 4 * 60, true, kFirstQuit},
        AttemptCase{"urges_and_a_slip_keep_the_attempt",
                    {Urge({2024, 2, 1, 9, 0}), Smoked({2024, 2, 2, 9, 0}), Urge({2024, 2, 3, 9, 0})},
                    kFirstQuit, kNow, 2, 1, 2, 1, 0, 51 * 1440 + 4 * 60, true, kFirstQuit},
        // 41 days 13 h 30 min ended; the new one is 9 days 14 h 30 min old.
        AttemptCase{"a_new_quit_moment_starts_a_new_count",
                    Join({{Urge({2024, 2, 1, 9, 0}), Smoked({2024, 2, 2, 9, 0}), Urge({2024, 2, 3, 9, 0})},
                          NewQuit({2024, 2, 20, 21, 30}, kFirstQuit, kSecondQuit),
                          {Urge({2024, 2, 25, 7, 0})}}),
                    kSecondQuit, kNow, 1, 0, 3, 1, 1, 41 * 1440 + 13 * 60 + 30, false, kFirstQuit},
        AttemptCase{"the_running_attempt_overtakes",
                    NewQuit({2024, 1, 12, 8, 0}, kFirstQuit, {2024, 1, 12, 8, 0}),
                    {2024, 1, 12, 8, 0}, kNow, 0, 0, 0, 0, 1, 49 * 1440 + 4 * 60, true, CalendarMoment{2024, 1, 12, 8, 0}},
        AttemptCase{"a_tie_goes_to_the_running_attempt",
                    NewQuit({2024, 2, 5, 12, 0}, {2024, 1, 1, 12, 0}, {2024, 2, 5, 12, 0}),
                    {2024, 2, 5, 12, 0}, {2024, 3, 11, 12, 0}, 0, 0, 0, 0, 1, 35 * 1440, true, CalendarMoment{2024, 2, 5, 12, 0}},
        // A quit moment moved back in the settings: the events before the change
        // are the old attempt's, whatever their minute says.
        AttemptCase{"events_belong_to_the_attempt_they_were_recorded_in",
                    Join({{Urge({2024, 2, 25, 7, 0}), Smoked({2024, 2, 26, 7, 0})},
                          NewQuit({2024, 2, 27, 7, 0}, kSecondQuit, kFirstQuit)}),
                    kFirstQuit, kNow, 0, 0, 1, 1, 1, 51 * 1440 + 4 * 60, true, kFirstQuit},
        AttemptCase{"an_end_alone_still_closes_the_count",
                    {Urge({2024, 2, 1, 9, 0}), {{2024, 2, 2, 9, 0}, AttemptEnd, {2024, 2, 1, 0, 0}}},
                    kFirstQuit, kNow, 0, 0, 1, 0, 1, 51 * 1440 + 4 * 60, true, kFirstQuit},
        AttemptCase{"an_attempt_with_impossible_moments_is_not_the_longest",
                    NewQuit({2024, 13, 2, 9, 0}, {1900, 2, 29, 0, 0}, kFirstQuit),
                    kFirstQuit, kNow, 0, 0, 0, 0, 1, 51 * 1440 + 4 * 60, true, kFirstQuit},
        // A quit moment corrected in the settings is the same attempt.
        AttemptCase{"a_correction_is_no_attempt",
                    {Urge({2024, 2, 1, 9, 0}), {{2024, 2, 5, 9, 0}, QuitCorrected, {2024, 1, 9, 8, 0}},
                     {{2024, 2, 5, 9, 1}, QuitCorrected, kFirstQuit}, Smoked({2024, 2, 6, 9, 0})},
                    kFirstQuit, kNow, 1, 1, 1, 1, 0, 51 * 1440 + 4 * 60, true, kFirstQuit},
        // An end dated after now (a year 9999 typed by hand) counts nowhere.
        AttemptCase{"an_end_in_the_future_counts_nowhere",
                    Join({{Urge({2024, 2, 1, 9, 0})}, NewQuit({9999, 1, 1, 0, 0}, {2000, 1, 1, 0, 0}, kFirstQuit)}),
                    kFirstQuit, kNow, 1, 0, 1, 0, 0, 51 * 1440 + 4 * 60, true, kFirstQuit},
        // Ended attempts never overlap each other or the one running now.
        AttemptCase{"attempts_never_overlap",
                    Join({NewQuit({2024, 1, 20, 8, 0}, {2023, 12, 1, 8, 0}, {2023, 12, 1, 8, 0}),
                          NewQuit({2024, 2, 1, 8, 0}, {2023, 12, 1, 8, 0}, kSecondQuit)}),
                    kSecondQuit, kNow, 0, 0, 0, 0, 2, 50 * 1440, false, CalendarMoment{2023, 12, 1, 8, 0}},
        AttemptCase{"a_quit_moment_ahead_of_the_clock_counts_no_time",
                    {Urge({2024, 3, 1, 9, 0})}, {2024, 3, 2, 0, 0}, kNow, 1, 0, 1, 0, 0, 0, true, CalendarMoment{2024, 3, 2, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct DayCase {
    const char* name;
    CalendarMoment now;
    std::vector<CalendarMoment> urges;
    std::vector<std::pair<int, int32_t>> expected;  // index (27 is today) and count; every other day 0
    CalendarMoment firstDay;
};
void PrintTo(const DayCase& c, std::ostream* os) { *os << c.name; }
class UrgesPerDay : public ::testing::TestWithParam<DayCase> {};

TEST_P(UrgesPerDay, CountedByLocalDay) {
    const DayCase& c = GetParam();
    std::vector<AttemptEvent> events;
    for (const CalendarMoment& at : c.urges) events.push_back(Urge(at));
    events.push_back(Smoked(c.now));  // slips are not drawn
    const AttemptSummary s = SummariseAttempts(events, {2020, 1, 1, 0, 0}, c.now);
    std::array<int32_t, kChartDays> expected{};
    for (const auto& [index, count] : c.expected) expected[index] = count;
    EXPECT_EQ(s.urgesPerDay, expected);
    EXPECT_EQ(s.chartDays.front(), c.firstDay);
    EXPECT_EQ(s.chartDays.back(), (CalendarMoment{c.now.year, c.now.month, c.now.day, 0, 0}));
    EXPECT_EQ(s.urgesAll, static_cast<int32_t>(c.urges.size()));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Record, UrgesPerDay,
    ::testing::Values(
        DayCase{"midnight_divides_the_days", {2024, 3, 10, 0, 5},
                {{2024, 3, 9, 23, 59}, {2024, 3, 10, 0, 0}, {2024, 3, 10, 0, 5}}, {{26, 1}, {27, 2}}, {2024, 2, 12, 0, 0}},
        DayCase{"the_28th_day_back_is_the_first_and_the_29th_is_out", {2024, 3, 10, 12, 0},
                {{2024, 2, 12, 0, 0}, {2024, 2, 11, 23, 59}, {2024, 2, 12, 23, 59}}, {{0, 2}}, {2024, 2, 12, 0, 0}},
        DayCase{"across_a_leap_day", {2024, 3, 1, 8, 0},
                {{2024, 2, 29, 22, 0}, {2024, 2, 28, 1, 0}, {2024, 2, 3, 0, 0}, {2024, 2, 2, 23, 59}}, {{26, 1}, {25, 1}, {0, 1}}, {2024, 2, 3, 0, 0}},
        DayCase{"across_a_common_february", {2023, 3, 1, 8, 0},
                {{2023, 2, 28, 22, 0}, {2023, 2, 2, 0, 0}, {2023, 2, 1, 23, 59}}, {{26, 1}, {0, 1}}, {2023, 2, 2, 0, 0}},
        DayCase{"across_the_year_end", {2024, 1, 2, 0, 0},
                {{2023, 12, 31, 23, 59}, {2024, 1, 1, 0, 0}, {2023, 12, 6, 0, 0}, {2023, 12, 5, 23, 59}}, {{25, 1}, {26, 1}, {0, 1}}, {2023, 12, 6, 0, 0}},
        // A clock set back, and a moment that does not exist: counted, not drawn.
        DayCase{"a_later_day_or_an_impossible_one_is_not_drawn", {2024, 3, 10, 12, 0},
                {{2024, 3, 11, 0, 0}, {2024, 2, 30, 12, 0}, {2024, 3, 10, 11, 0}}, {{27, 1}}, {2024, 2, 12, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(RecordView, LinesBarsAndWords) {
    const std::vector<AttemptEvent> events = Join({{Urge({2024, 2, 1, 9, 0}), Smoked({2024, 2, 2, 9, 0})},
                                                   NewQuit({2024, 2, 20, 21, 30}, kFirstQuit, kSecondQuit),
                                                   {Urge({2024, 2, 25, 7, 0}), Urge({2024, 2, 25, 19, 0}),
                                                    Urge({2024, 2, 27, 7, 0}), Urge({2024, 3, 1, 7, 0})}});
    const RecordView v = MakeRecordView(SummariseAttempts(events, kSecondQuit, kNow), RecordKeeping::ThisRun);
    ASSERT_EQ(v.lines.size(), size_t{5});
    EXPECT_EQ(v.lines[0].value, "４回");
    EXPECT_EQ(v.lines[1].value, "０回");
    EXPECT_EQ(v.lines[2].value, "５回");
    EXPECT_EQ(v.lines[3].value, "１回");
    EXPECT_EQ(v.lines[4].heading, "いちばん長い卒煙");
    EXPECT_EQ(v.lines[4].value, "４１日１３時間（１月１０日から）");
    EXPECT_EQ(v.chartHeading, "この２８日間に乗り越えた回数");
    EXPECT_EQ(v.firstDay, "２月３日");
    EXPECT_EQ(v.lastDay, "今日");
    // 25 February (index 22) is the tallest; the others are half of it.
    EXPECT_EQ(v.barPermille[22], 1000);
    EXPECT_EQ(v.barPermille[24], 500);
    EXPECT_EQ(v.barPermille[27], 500);
    EXPECT_EQ(v.barPermille[0], 0);
    EXPECT_EQ(v.chartWords,
              "この２８日間（２月３日〜３月１日）に乗り越えた吸いたい気持ちは、合計４回です。"
              "いちばん多かったのは２月２５日の２回、今日は１回です。"
              "日ごとの回数：２月２５日 ２回、２月２７日 １回、３月１日 １回。");
    EXPECT_EQ(v.note, "この記録は、ケムレスを終了するまでのあいだ残ります。");
    EXPECT_TRUE(
        MakeRecordView(SummariseAttempts(events, kSecondQuit, kNow), RecordKeeping::ForGood).note.empty());
    // Where the journal cannot be read, the zeros above are no count: the note says so.
    EXPECT_EQ(MakeRecordView(SummariseAttempts({}, kSecondQuit, kNow), RecordKeeping::Unavailable).note,
              "記録ファイル（journal.txt）を読み書きできないため、これまでの回数は数えられず、"
              "新しい記録も残せません。");
}

// An earlier attempt of another year names its year: "１月１日" alone reads as
// this January.
TEST(RecordView, TheLongestAttemptOfAnotherYearSaysItsYear) {
    const struct {
        CalendarMoment oldQuit, ended, now;
        const char* longest;
    } rows[] = {
        {{2024, 1, 10, 8, 0}, {2024, 2, 20, 21, 30}, {2024, 3, 1, 12, 0}, "４１日１３時間（１月１０日から）"},
        {{2023, 12, 1, 8, 0},
         {2024, 2, 20, 21, 30},
         {2024, 3, 1, 12, 0},
         "８１日１３時間（２０２３年１２月１日から）"},
        {{2024, 3, 1, 0, 0},
         {2024, 12, 31, 0, 0},
         {2025, 1, 2, 0, 0},
         "３０５日０時間（２０２４年３月１日から）"},
    };
    for (const auto& row : rows) {
        const RecordView v =
            MakeRecordView(SummariseAttempts(NewQuit(row.ended, row.oldQuit, row.ended), row.ended, row.now),
                           RecordKeeping::ForGood);
        EXPECT_EQ(v.lines[4].value, row.longest);
    }
}

TEST(RecordView, AnEmptyChartSaysSoAndTheRunningAttemptIsMarked) {
    const RecordView v = MakeRecordView(SummariseAttempts({}, {2024, 3, 1, 8, 0}, {2024, 3, 1, 11, 20}),
                                        RecordKeeping::ForGood);
    EXPECT_EQ(v.chartWords,
              "この２８日間（２月３日〜３月１日）に乗り越えた吸いたい気持ちの記録は、まだありません。");
    EXPECT_EQ(v.lines[4].value, "３時間２０分（今回）");
    for (int32_t p : v.barPermille) EXPECT_EQ(p, 0);
}

}  // namespace
}  // namespace kemless
