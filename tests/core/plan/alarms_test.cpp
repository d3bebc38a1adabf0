// The alarms for the hard hours: due from their minute until an hour past
// it, once a day whatever the clock or a restart does, on the days chosen,
// across midnight and the turn of the year.
#include "plan/alarms.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kemless {
namespace {

// 2026-12-11 is a Friday.
constexpr int kFriday = 5, kSaturday = 6;

PlanAlarm AlarmAt(int32_t hour, int32_t minute, std::string trigger = "食後") {
    PlanAlarm a;
    a.hour = hour;
    a.minute = minute;
    a.trigger = std::move(trigger);
    a.on = true;
    return a;
}

Plan PlanWith(std::vector<PlanAlarm> alarms) {
    Plan p;
    p.triggers = {{"食後", "歯をみがく"}, {"お酒", ""}};
    p.alarms = std::move(alarms);
    return p;
}

TEST(AlarmDays, DayOfWeek) {
    EXPECT_EQ(DayOfWeek({2026, 12, 11, 0, 0}), kFriday);
    EXPECT_EQ(DayOfWeek({2026, 12, 12, 23, 59}), kSaturday);
    EXPECT_EQ(DayOfWeek({2026, 12, 31, 0, 0}), 4);
    EXPECT_EQ(DayOfWeek({2027, 1, 1, 0, 0}), kFriday);
    EXPECT_EQ(DayOfWeek({2000, 2, 29, 0, 0}), 2);
    EXPECT_EQ(DayOfWeek({1970, 1, 1, 0, 0}), 4);
    EXPECT_EQ(DayOfWeek({1, 1, 1, 0, 0}), 1);
}

struct DueCase {
    const char* name;
    PlanAlarm alarm;
    std::vector<AlarmSaid> said;  // slot 1 only: the alarm of the case
    CalendarMoment now;
    std::optional<CalendarMoment> due;  // the minute it stands for, when due
};
void PrintTo(const DueCase& c, std::ostream* os) { *os << c.name; }
class AlarmsDue : public ::testing::TestWithParam<DueCase> {};

TEST_P(AlarmsDue, SaidOnceADayWithinTheHour) {
    const DueCase& c = GetParam();
    std::vector<JournalEvent> journal;
    for (const AlarmSaid& s : c.said) journal.push_back(AlarmJournalLine(s, c.now));
    const AlarmRound round = DueAlarms(PlanWith({c.alarm}), journal, c.now);
    if (!c.due) {
        EXPECT_TRUE(round.due.empty());
        EXPECT_TRUE(round.lines.empty());
        return;
    }
    ASSERT_EQ(round.due.size(), 1u);
    EXPECT_EQ(round.due[0].slot, 1);
    EXPECT_EQ(round.due[0].at, *c.due);
    ASSERT_EQ(round.lines.size(), 1u);
    EXPECT_EQ(AlarmSaidOfLine(round.lines[0]), (AlarmSaid{1, {c.due->year, c.due->month, c.due->day, 0, 0}}));
    EXPECT_EQ(round.lines[0].at, c.now);
}

PlanAlarm Off(PlanAlarm a) {
    a.on = false;
    return a;
}
PlanAlarm OnlyOn(PlanAlarm a, int day) {
    a.days = {};
    a.days[day] = true;
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Alarm, AlarmsDue,
    ::testing::Values(
        DueCase{"at_its_minute",
                AlarmAt(21, 30),
                {},
                {2026, 12, 11, 21, 30},
                CalendarMoment{2026, 12, 11, 21, 30}},
        DueCase{"a_minute_before", AlarmAt(21, 30), {}, {2026, 12, 11, 21, 29}, std::nullopt},
        DueCase{"started_late_within_the_hour",
                AlarmAt(21, 30),
                {},
                {2026, 12, 11, 22, 30},
                CalendarMoment{2026, 12, 11, 21, 30}},
        DueCase{"started_more_than_an_hour_late", AlarmAt(21, 30), {}, {2026, 12, 11, 22, 31}, std::nullopt},
        DueCase{"turned_off", Off(AlarmAt(21, 30)), {}, {2026, 12, 11, 21, 30}, std::nullopt},
        DueCase{
            "said_today", AlarmAt(21, 30), {{1, {2026, 12, 11, 0, 0}}}, {2026, 12, 11, 21, 40}, std::nullopt},
        DueCase{"said_yesterday",
                AlarmAt(21, 30),
                {{1, {2026, 12, 10, 0, 0}}},
                {2026, 12, 11, 21, 40},
                CalendarMoment{2026, 12, 11, 21, 30}},
        DueCase{"said_for_another_alarm",
                AlarmAt(21, 30),
                {{2, {2026, 12, 11, 0, 0}}},
                {2026, 12, 11, 21, 40},
                CalendarMoment{2026, 12, 11, 21, 30}},
        DueCase{"just_before_midnight_heard_after_it",
                AlarmAt(23, 30),
                {},
                {2026, 12, 12, 0, 10},
                CalendarMoment{2026, 12, 11, 23, 30}},
        DueCase{"just_before_midnight_said_before_it",
                AlarmAt(23, 30),
                {{1, {2026, 12, 11, 0, 0}}},
                {2026, 12, 12, 0, 10},
                std::nullopt},
        DueCase{"across_the_year_end",
                AlarmAt(23, 50),
                {{1, {2026, 12, 30, 0, 0}}},
                {2027, 1, 1, 0, 20},
                CalendarMoment{2026, 12, 31, 23, 50}},
        DueCase{"on_its_day_of_the_week",
                OnlyOn(AlarmAt(8, 0), kFriday),
                {},
                {2026, 12, 11, 8, 0},
                CalendarMoment{2026, 12, 11, 8, 0}},
        DueCase{"on_another_day_of_the_week",
                OnlyOn(AlarmAt(8, 0), kSaturday),
                {},
                {2026, 12, 11, 8, 0},
                std::nullopt},
        // The day of the week is the day of its time, not of the minute it is heard.
        DueCase{"friday_night_heard_on_saturday",
                OnlyOn(AlarmAt(23, 30), kFriday),
                {},
                {2026, 12, 12, 0, 10},
                CalendarMoment{2026, 12, 11, 23, 30}},
        DueCase{"saturday_night_not_on_friday_night",
                OnlyOn(AlarmAt(23, 30), kSaturday),
                {},
                {2026, 12, 12, 0, 10},
                std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// A day of refreshes, each round's lines appended to the journal as the
// program does, with the clock set back an hour after the alarm: it is
// said once, and not again when its minute comes round a second time. The
// lines survive the journal's compaction.
TEST(AlarmRounds, AClockSetBackSaysNothingTwice) {
    const Plan plan = PlanWith({AlarmAt(21, 30), AlarmAt(21, 45, "お酒"), Off(AlarmAt(21, 30))});
    std::string journal;
    int said = 0;
    auto tick = [&](CalendarMoment now) {
        const AlarmRound round = DueAlarms(plan, ParseJournal(CompactJournal(journal)), now);
        for (const JournalEvent& line : round.lines) journal += FormatJournalLine(line);
        said += static_cast<int>(round.due.size());
        return round;
    };
    EXPECT_TRUE(tick({2026, 12, 11, 21, 0}).due.empty());
    const AlarmRound first = tick({2026, 12, 11, 21, 50});
    ASSERT_EQ(first.due.size(), 2u);
    EXPECT_EQ(first.due[0].slot, 1);
    EXPECT_EQ(first.due[0].ifThen, "食後に吸いたくなったら → 歯をみがく");
    EXPECT_EQ(first.due[1].slot, 2);
    EXPECT_EQ(first.due[1].trigger, "お酒");
    for (int minute = 0; minute < 60; minute += 5) tick({2026, 12, 11, 21, minute});
    tick({2026, 12, 11, 22, 20});
    EXPECT_EQ(said, 2);
    EXPECT_EQ(journal,
              "2026-12-11 21:50 notice alarm slot=1 day=2026-12-11\n"
              "2026-12-11 21:50 notice alarm slot=2 day=2026-12-11\n");
    // The next day, once more.
    EXPECT_EQ(tick({2026, 12, 12, 21, 31}).due.size(), 1u);
    EXPECT_EQ(said, 3);
}

TEST(AlarmRounds, TheEarliestFirstAndOnlyTheFirstFiveSlots) {
    std::vector<PlanAlarm> alarms{AlarmAt(21, 40), AlarmAt(21, 10), AlarmAt(21, 20),
                                  AlarmAt(21, 30), AlarmAt(21, 35), AlarmAt(21, 36)};
    const AlarmRound round = DueAlarms(PlanWith(alarms), std::vector<JournalEvent>{}, {2026, 12, 11, 21, 45});
    std::vector<int> slots;
    for (const DueAlarm& a : round.due) slots.push_back(a.slot);
    EXPECT_EQ(slots, (std::vector<int>{2, 3, 4, 5, 1}));
}

TEST(AlarmLines, ReadBackAndOnlyTheirOwn) {
    const JournalEvent line = AlarmJournalLine({3, {2026, 12, 11, 0, 0}}, {2026, 12, 12, 0, 10});
    EXPECT_EQ(FormatJournalLine(line), "2026-12-12 00:10 notice alarm slot=3 day=2026-12-11\n");
    for (const char* other :
         {"2026-12-11 21:30 notice alarm slot=6 day=2026-12-11",
          "2026-12-11 21:30 notice alarm slot=1 day=2026-02-30", "2026-12-11 21:30 notice alarm slot=1",
          "2026-12-11 21:30 notice alarm 1 slot=1 day=2026-12-11",
          "2026-12-11 21:30 seen alarm slot=1 day=2026-12-11",
          "2026-12-11 21:30 notice month 1 quit=2026-11-01T09:00"}) {
        const std::optional<JournalEvent> e = ParseJournalLine(other);
        ASSERT_TRUE(e) << other;
        EXPECT_FALSE(AlarmSaidOfLine(*e)) << other;
    }
}

TEST(AlarmNotice, ThePlanForItsTriggerOrAWordWithout) {
    const NoticeText text =
        AlarmNoticeText({{1, {2026, 12, 11, 21, 30}, "食後", "食後に吸いたくなったら → 歯をみがく"},
                         {2, {2026, 12, 11, 22, 0}, {}, {}}});
    EXPECT_EQ(text.summary, "つらい時間のお知らせ");
    EXPECT_EQ(text.body,
              "２１時３０分になりました。食後に吸いたくなったら → 歯をみがく\n"
              "２２時になりました。吸いたくなったら、深呼吸をしてやり過ごしましょう。");
    EXPECT_TRUE(AlarmNoticeText({}).summary.empty());
}

}  // namespace
}  // namespace kemless
