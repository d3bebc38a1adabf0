// The hard moments of the record: the triggers of the last 28 days most
// frequent first and the hours urges come, across midnight, told in words.
#include "plan/triggers.h"

#include <gtest/gtest.h>

#include "figures/calendar.h"

namespace kemless {
namespace {

const CalendarMoment kNow{2026, 12, 11, 10, 0};

AttemptEvent Urge(CalendarMoment at, std::string trigger = {}) {
    return {at, AttemptEventKind::UrgePassed, {}, std::move(trigger)};
}
AttemptEvent Slip(CalendarMoment at, std::string trigger = {}) {
    return {at, AttemptEventKind::Slip, {}, std::move(trigger)};
}

TEST(TriggerCounts, MostFrequentFirstOverTheLast28Days) {
    const std::vector<AttemptEvent> events{
        Urge({2026, 11, 13, 23, 59}, "お酒"),    // 29 days ago: outside
        Urge({2026, 11, 14, 0, 0}, "コーヒー"),  // the first of the 28 days
        Urge({2026, 12, 1, 12, 30}, "食後"),
        Slip({2026, 12, 2, 12, 40}, "食後"),
        Urge({2026, 12, 3, 9, 0}, "コーヒー"),
        Urge({2026, 12, 5, 19, 0}, "ストレス"),
        Urge({2026, 12, 6, 8, 0}),  // none named
        {{2026, 12, 7, 8, 0}, AttemptEventKind::AttemptStart, {2026, 12, 7, 8, 0}, "食後"},
        Urge({2026, 12, 8, 21, 0}, "お酒"),
        Urge({2026, 12, 11, 10, 1}, "お酒"),  // after now: a clock set back
    };
    const HardMoments h = SummariseHardMoments(events, kNow);
    // A tie goes to the one named last.
    EXPECT_EQ(h.triggers,
              (std::vector<TriggerCount>{{"コーヒー", 2}, {"食後", 2}, {"お酒", 1}, {"ストレス", 1}}));
    EXPECT_EQ(h.triggersHeading, "この２８日間のきっかけ");
    EXPECT_EQ(h.triggerWords,
              "この２８日間のきっかけは、多い順にコーヒー ２回、食後 ２回、お酒 １回、ストレス １回です。");
}

// The strip counts the hour of the day, whatever the day: two urges either
// side of midnight land in the last and the first column.
TEST(TriggerHours, TheHourStripAcrossMidnight) {
    const std::vector<AttemptEvent> events{
        Urge({2026, 12, 9, 23, 59}), Slip({2026, 12, 10, 0, 0}),  Urge({2026, 12, 10, 23, 30}),
        Urge({2026, 12, 11, 0, 5}),  Urge({2026, 12, 11, 9, 59}), Urge({2026, 12, 11, 10, 0}),
        Urge({2026, 12, 11, 10, 1}),  // after now
    };
    const HardMoments h = SummariseHardMoments(events, kNow);
    std::array<int32_t, 24> expected{};
    expected[23] = 2;
    expected[0] = 2;
    expected[9] = 1;
    expected[10] = 1;
    EXPECT_EQ(h.perHour, expected);
    EXPECT_EQ(h.hourPermille[23], 1000);
    EXPECT_EQ(h.hourPermille[9], 500);
    EXPECT_EQ(h.hourPermille[12], 0);
    EXPECT_EQ(h.hoursHeading, "吸いたくなった時間帯（この２８日間）");
    EXPECT_EQ(h.hourWords,
              "この２８日間に吸いたくなったのは合計６回で、いちばん多い時間帯は０時台と２３時台の２回です。"
              "時間帯ごとの回数：０時台 ２回、９時台 １回、１０時台 １回、２３時台 ２回。");
}

TEST(TriggerHours, NothingYetIsSaidSo) {
    const HardMoments h = SummariseHardMoments({Urge({2026, 10, 1, 8, 0}, "食後")}, kNow);
    EXPECT_TRUE(h.triggers.empty());
    EXPECT_EQ(h.perHour, (std::array<int32_t, 24>{}));
    EXPECT_EQ(h.triggerWords, "この２８日間に選ばれたきっかけは、まだありません。");
    EXPECT_EQ(h.hourWords, "この２８日間に吸いたくなった記録は、まだありません。");
}

// Summed as read, a ledger gives the same at each minute as the whole list.
TEST(TriggerLedger, TheSameAsTheWholeListAtAnyMinute) {
    std::vector<AttemptEvent> events;
    for (int i = 0; i < 200; ++i)
        events.push_back(
            Urge(AddMinutes({2026, 10, 1, 0, 0}, int64_t{i} * 437), i % 3 == 0 ? "退屈" : "食後"));
    HardMomentLedger ledger;
    for (const AttemptEvent& e : events) ledger.add(e);
    for (const CalendarMoment now :
         {kNow, CalendarMoment{2026, 11, 20, 6, 0}, CalendarMoment{2027, 1, 5, 0, 0}}) {
        const HardMoments a = ledger.summarise(now), b = SummariseHardMoments(events, now);
        EXPECT_EQ(a.triggers, b.triggers);
        EXPECT_EQ(a.perHour, b.perHour);
    }
}

}  // namespace
}  // namespace kemless
