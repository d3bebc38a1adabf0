// The reward worked toward: its progress from the money the main window
// counts, rewards in turn within an attempt, and reaching it said once.
#include "plan/reward.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace kemless {
namespace {

const CalendarMoment kQuit{2026, 11, 1, 9, 0};
const CalendarMoment kEarlierQuit{2026, 6, 1, 9, 0};
const CalendarMoment kNow{2026, 12, 11, 10, 0};

Plan BikePlan(std::vector<ReachedReward> reached = {}) {
    Plan p;
    p.reward = Reward{"ロードバイク", 120000};
    p.reached = std::move(reached);
    return p;
}

struct ProgressCase {
    const char* name;
    Plan plan;
    double moneySaved;
    int64_t saved, remaining;
    int32_t percent;
    bool reached;
    const char* words;
};
void PrintTo(const ProgressCase& c, std::ostream* os) { *os << c.name; }
class RewardProgressOf : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(RewardProgressOf, TheMoneySavedTowardIt) {
    const ProgressCase& c = GetParam();
    const RewardProgress p = ComputeRewardProgress(c.plan, c.moneySaved, kQuit);
    EXPECT_EQ(p.set, c.plan.reward.has_value() && c.plan.reward->price > 0);
    EXPECT_EQ(p.saved, c.saved);
    EXPECT_EQ(p.remaining, c.remaining);
    EXPECT_EQ(p.percent, c.percent);
    EXPECT_EQ(p.reached, c.reached);
    EXPECT_EQ(p.words, c.words);
}

INSTANTIATE_TEST_SUITE_P(
    Reward, RewardProgressOf,
    ::testing::Values(
        ProgressCase{"none_set", Plan(), 5000, 0, 0, 0, false, "ごほうびは、まだ決めていません。"},
        ProgressCase{"not_priced_yet",
                     [] {
                         Plan p;
                         p.reward = Reward{"温泉旅行", 0};
                         return p;
                     }(),
                     5000, 0, 0, 0, false,
                     "ごほうび『温泉旅行』の値段を入れると、あとどれだけかがわかります。"},
        ProgressCase{"nothing_saved_yet", BikePlan(), 0, 0, 120000, 0, false,
                     "ごほうび『ロードバイク』（120,000円）まで、あと120,000円です（０％）。"},
        ProgressCase{"on_the_way", BikePlan(), 84477, 84477, 35523, 70, false,
                     "ごほうび『ロードバイク』（120,000円）まで、あと35,523円です（７０％）。"},
        // 99.99 % is not there yet: 100 % only when reached.
        ProgressCase{"a_yen_short", BikePlan(), 119999, 119999, 1, 99, false,
                     "ごほうび『ロードバイク』（120,000円）まで、あと1円です（９９％）。"},
        ProgressCase{"exactly_reached", BikePlan(), 120000, 120000, 0, 100, true,
                     "ごほうび『ロードバイク』（120,000円）に手が届きました！"},
        ProgressCase{"beyond_it", BikePlan(), 500000, 500000, 0, 100, true,
                     "ごほうび『ロードバイク』（120,000円）に手が届きました！"},
        // Rewards in turn: one reached in this attempt was bought with its savings.
        ProgressCase{"after_one_reached_in_this_attempt", BikePlan({{{"腕時計", 30000}, kQuit}}), 84477,
                     54477, 65523, 45, false,
                     "ごほうび『ロードバイク』（120,000円）まで、あと65,523円です（４５％）。"},
        ProgressCase{"one_reached_in_an_earlier_attempt_costs_nothing_now",
                     BikePlan({{{"腕時計", 30000}, kEarlierQuit}}), 84477, 84477, 35523, 70, false,
                     "ごほうび『ロードバイク』（120,000円）まで、あと35,523円です（７０％）。"},
        ProgressCase{"more_spent_than_saved", BikePlan({{{"旅行", 200000}, kQuit}}), 84477, 0, 120000, 0,
                     false, "ごほうび『ロードバイク』（120,000円）まで、あと120,000円です（０％）。"},
        ProgressCase{"hostile_figures", BikePlan(), std::numeric_limits<double>::infinity(),
                     1'000'000'000'000'000, 0, 100, true,
                     "ごほうび『ロードバイク』（120,000円）に手が届きました！"},
        ProgressCase{"no_figure_at_all", BikePlan(), std::numeric_limits<double>::quiet_NaN(), 0, 120000, 0,
                     false, "ごほうび『ロードバイク』（120,000円）まで、あと120,000円です（０％）。"}),
    [](const auto& info) { return std::string(info.param.name); });

// Reached: said once in an attempt, its line written; the next attempt
// reaching it is said again; the user's next reward counts afresh.
TEST(RewardNotice, ReachingItIsSaidOnce) {
    const RewardProgress reached = ComputeRewardProgress(BikePlan(), 130000, kQuit);
    std::vector<JournalEvent> journal;
    const RewardRound first = NextRewardNotice(reached, journal, kNow);
    ASSERT_TRUE(first.notice);
    EXPECT_EQ(first.notice->summary, "ごほうび『ロードバイク』に手が届きました！");
    EXPECT_EQ(first.notice->body,
              "吸わずに浮いたお金で、『ロードバイク』（120,000円）が買えるようになりました。"
              "次のごほうびも決めてみましょう。");
    ASSERT_EQ(first.lines.size(), 1u);
    const std::string line = FormatJournalLine(first.lines[0]);
    EXPECT_EQ(line, "2026-12-11 10:00 notice reward name=ロードバイク price=120000 quit=2026-11-01T09:00\n");
    // Read back from the file, through its compaction.
    journal = ParseJournal(CompactJournal(line));
    EXPECT_FALSE(NextRewardNotice(reached, journal, kNow).notice);

    EXPECT_TRUE(
        NextRewardNotice(ComputeRewardProgress(BikePlan(), 130000, kEarlierQuit), journal, kNow).notice);
    EXPECT_FALSE(
        NextRewardNotice(ComputeRewardProgress(BikePlan(), 119999, kQuit), std::vector<JournalEvent>{}, kNow)
            .notice);
    EXPECT_FALSE(
        NextRewardNotice(ComputeRewardProgress(Plan(), 130000, kQuit), std::vector<JournalEvent>{}, kNow)
            .notice);
    Plan unpriced;
    unpriced.reward = Reward{"温泉旅行", 0};
    EXPECT_FALSE(
        NextRewardNotice(ComputeRewardProgress(unpriced, 130000, kQuit), std::vector<JournalEvent>{}, kNow)
            .notice);
}

TEST(RewardTurns, TheNextRewardCountsFromWhatIsLeft) {
    const RewardProgress reached = ComputeRewardProgress(BikePlan(), 130000, kQuit);
    Plan next = WithRewardReached(BikePlan(), reached);
    EXPECT_FALSE(next.reward);
    EXPECT_EQ(next.reached, (std::vector<ReachedReward>{{{"ロードバイク", 120000}, kQuit}}));
    next.reward = Reward{"温泉旅行", 40000};
    const RewardProgress p = ComputeRewardProgress(next, 130000, kQuit);
    EXPECT_EQ(p.saved, 10000);
    EXPECT_EQ(p.percent, 25);
    // Not reached: nothing moves.
    EXPECT_EQ(WithRewardReached(next, p), next);
    next.reached.insert(next.reached.begin(), {{"腕時計", 30000}, kEarlierQuit});
    EXPECT_EQ(ReachedRewardsText(next),
              "これまでに届いたごほうび：腕時計（30,000円）、ロードバイク（120,000円）");
    EXPECT_EQ(ReachedRewardsText(Plan()), "");
}

TEST(RewardJson, TheFiguresAsNumbers) {
    EXPECT_EQ(RewardJson(ComputeRewardProgress(Plan(), 1, kQuit)), "null");
    Plan quoted;
    quoted.reward = Reward{"\"ギター\"", 80000};
    EXPECT_EQ(RewardJson(ComputeRewardProgress(quoted, 84477.0, kQuit)),
              "{\"name\":\"\\\"ギター\\\"\",\"price\":80000,\"saved\":84477,\"remaining\":0,\"percent\":100,"
              "\"reached\":true,\"text\":\"ごほうび『\\\"ギター\\\"』（80,000円）に手が届きました！\"}");
}

}  // namespace
}  // namespace kemless
