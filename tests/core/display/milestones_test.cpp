#include "display/milestones.h"

#include <gtest/gtest.h>

#include "display/refresh.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

std::vector<MilestoneKind> KindsOf(const std::vector<MilestoneNotice>& notices) {
    std::vector<MilestoneKind> kinds;
    for (const MilestoneNotice& n : notices) kinds.push_back(n.kind);
    return kinds;
}

// The figures a refresh would leave `minutes` after a quit on 1 March 2024
// at noon, 20 standard cigarettes a day, soldier titles.
class Milestones : public ::testing::Test {
protected:
    MilestoneFigures at(CalendarMoment now) {
        DisplayState display;
        RefreshDisplay(display, initial, options, now, 50);
        return display.milestones;
    }
    InitialSettings initial = [] {
        InitialSettings s;
        s.quit = {2024, 3, 1, 12, 0};
        s.cigarettesPerDay = 20;
        s.cigaretteSize = 85;
        return s;
    }();
    OptionSettings options;
};

TEST_F(Milestones, NoneAtStartOrWithinTheSameFigures) {
    const MilestoneFigures now = at({2024, 4, 1, 12, 0});
    EXPECT_TRUE(DueMilestones(std::nullopt, now).empty());
    EXPECT_TRUE(DueMilestones(now, now).empty());
    EXPECT_TRUE(DueMilestones(at({2024, 3, 20, 12, 0}), at({2024, 3, 20, 12, 1})).empty());
}

TEST_F(Milestones, TheFirstFullMonthIsSaidOnceAtItsMinute) {
    const MilestoneFigures before = at({2024, 4, 1, 11, 59});
    const MilestoneFigures after = at({2024, 4, 1, 12, 0});
    const auto due = DueMilestones(before, after);
    ASSERT_EQ(KindsOf(due), std::vector<MilestoneKind>{MilestoneKind::Calendar});
    EXPECT_EQ(due[0].summary, "卒煙１ヶ月達成！");
    EXPECT_EQ(due[0].body, "卒煙して１ヶ月になりました。おめでとうございます。");
    // The next refresh has nothing more to say.
    EXPECT_TRUE(DueMilestones(after, at({2024, 4, 1, 12, 1})).empty());
}

TEST_F(Milestones, AYearIsSaidAsAYear) {
    const auto due = DueMilestones(at({2025, 3, 1, 11, 59}), at({2025, 3, 1, 12, 0}));
    ASSERT_FALSE(due.empty());
    bool saidYear = false;
    for (const MilestoneNotice& n : due)
        if (n.kind == MilestoneKind::Calendar) saidYear = n.summary == "卒煙１年達成！";
    EXPECT_TRUE(saidYear);
}

TEST_F(Milestones, ANewTitleNamesItself) {
    // Find the first minute, day by day, at which the soldier title changes.
    MilestoneFigures before = at({2024, 3, 1, 12, 0});
    for (int day = 2; day <= 31; ++day) {
        const MilestoneFigures dayBefore = at({2024, 3, day, 11, 59});
        const MilestoneFigures after = at({2024, 3, day, 12, 0});
        if (after.title == dayBefore.title) continue;
        const auto due = DueMilestones(dayBefore, after);
        ASSERT_FALSE(due.empty());
        EXPECT_EQ(due[0].kind, MilestoneKind::Title);
        EXPECT_EQ(due[0].body, "ステータスが「" + after.title + "」になりました。");
        return;
    }
    FAIL() << "no title change in the first month";
}

TEST_F(Milestones, DucksComeAndArePleasedOnTheirDays) {
    struct Case {
        int day;
        const char* body;
    };
    const Case cases[] = {{11, "アヒル副隊長がお祝いに来ました。"}, {22, "アヒル隊長がお祝いに来ました。"},
                          {33, "アヒルの王様がお祝いに来ました。"}, {44, "アヒル副隊長が喜んでいます。"},
                          {55, "アヒル隊長が喜んでいます。"},       {66, "アヒルの王様が喜んでいます。"}};
    for (const Case& c : cases) {
        MilestoneFigures before = at({2024, 3, 1, 12, 0});
        MilestoneFigures after = before;
        before.wholeDays = c.day - 1;
        before.duckStage = (c.day - 1) / 11;
        after.wholeDays = c.day;
        after.duckStage = c.day / 11;
        after.title = before.title;
        const auto due = DueMilestones(before, after);
        ASSERT_EQ(KindsOf(due), std::vector<MilestoneKind>{MilestoneKind::Duck}) << c.day;
        EXPECT_EQ(due[0].body, c.body);
    }
}

TEST_F(Milestones, RoundLengths) {
    struct Case {
        double mm;
        int64_t round;
    };
    const Case cases[] = {
        {0, 0},           {9'999.9, 0},       {10'000, 10'000},   {19'999, 10'000},       {20'000, 20'000},
        {99'999, 90'000}, {100'000, 100'000}, {250'000, 200'000}, {1'000'000, 1'000'000}, {-5, 0}};
    for (const Case& c : cases) EXPECT_EQ(RoundLengthBelow(c.mm), c.round) << c.mm;
}

TEST_F(Milestones, ARoundLengthNamesTheLandmarkItReached) {
    // 20 × 85 mm = 1.7 m a day: 10 m late on day 5.
    MilestoneFigures before = at({2024, 3, 1, 12, 0});
    std::optional<MilestoneNotice> length;
    for (int minute = 5 * 1440; minute < 6 * 1440 && !length; minute += 30) {
        const MilestoneFigures after = at({2024, 3, 1 + (12 * 60 + minute) / 1440,
                                           (12 * 60 + minute) % 1440 / 60, (12 * 60 + minute) % 60});
        for (const MilestoneNotice& n : DueMilestones(before, after))
            if (n.kind == MilestoneKind::Length) {
                length = n;
                EXPECT_EQ(n.body, "並べると" + after.landmark + "に匹敵します。");
            }
        before = after;
    }
    ASSERT_TRUE(length);
    EXPECT_EQ(length->summary, "吸わなかったタバコが１０ｍに！");
}

TEST_F(Milestones, AfterASuspendOnlyTheLatestCrossingOfEachKind) {
    // Asleep from day 10 to day 70: one notice a kind, naming where it is now.
    const auto due = DueMilestones(at({2024, 3, 11, 12, 0}), at({2024, 5, 10, 12, 0}));
    ASSERT_EQ(KindsOf(due), (std::vector<MilestoneKind>{MilestoneKind::Title, MilestoneKind::Calendar,
                                                        MilestoneKind::Duck, MilestoneKind::Length}));
    EXPECT_EQ(due[1].summary, "卒煙２ヶ月達成！");
    EXPECT_EQ(due[2].body, "アヒルの王様が喜んでいます。");
}

TEST_F(Milestones, NothingWhenTheRecordChangedOrTheClockWentBack) {
    const MilestoneFigures before = at({2024, 3, 31, 12, 0});
    // A later month, but the theme was changed in the settings in between.
    options.statusMode = "コスモ";
    EXPECT_TRUE(DueMilestones(before, at({2024, 4, 2, 12, 0})).empty());
    options = OptionSettings{};
    initial.cigarettesPerDay = 40;
    EXPECT_TRUE(DueMilestones(before, at({2024, 4, 2, 12, 0})).empty());
    initial.cigarettesPerDay = 20;
    EXPECT_TRUE(DueMilestones(at({2024, 5, 2, 12, 0}), at({2024, 4, 2, 12, 0})).empty());
}

TEST(NoticeText, OneNoticeOfSeveralHeadlinesFirstOnTop) {
    EXPECT_EQ(JoinNotices({}).summary, "");
    const NoticeText one =
        JoinNotices({{MilestoneKind::Duck, "アヒルからのお知らせ", "アヒル隊長が喜んでいます。"}});
    EXPECT_EQ(one.summary, "アヒルからのお知らせ");
    EXPECT_EQ(one.body, "アヒル隊長が喜んでいます。");
    const NoticeText two =
        JoinNotices({{MilestoneKind::Title, "ランクアップ！", "ステータスが「中尉」になりました。"},
                     {MilestoneKind::Calendar, "卒煙１ヶ月達成！", "おめでとうございます。"}});
    EXPECT_EQ(two.summary, "ランクアップ！");
    EXPECT_EQ(two.body, "ステータスが「中尉」になりました。\n卒煙１ヶ月達成！おめでとうございます。");
}

}  // namespace
}  // namespace kemless
