#pragma once
// The reward worked toward with the money not spent, counted from the
// figure the main window shows. Rewards come in turn: the price of one
// reached in this attempt is spent, so the next counts from what is left;
// one reached in an earlier attempt (another quit moment) spends nothing
// now, as those savings were counted from zero again.
//
// Reaching it is said once, like the milestones, with a line
//
//   2026-12-11 10:00 notice reward name=ロードバイク price=120000 quit=2026-11-01T09:00
//
// (no number among its words, so it is never compacted away).
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "display/milestones.h"
#include "plan/plan_file.h"
#include "records/journal.h"

namespace kemless {

struct RewardProgress {
    bool set = false;  // the plan names a reward to work toward
    Reward reward;
    CalendarMoment quit;    // the attempt it counts in
    int64_t saved = 0;      // yen toward it: this attempt's savings less the rewards reached in it
    int64_t remaining = 0;  // yen still to go; 0 once reached
    int32_t percent = 0;    // 0..100, rounded down: 100 only when reached
    int32_t permille = 0;   // 0..1000, for a bar
    bool reached = false;
    std::string priceText;  // "120,000円"
    std::string words;      // one sentence for the window and a screen reader
    friend bool operator==(const RewardProgress&, const RewardProgress&) = default;
};

// `moneySaved`: DisplayState::moneySaved (yen, this attempt's); `quit`: the
// quit moment in force.
RewardProgress ComputeRewardProgress(const Plan& plan, double moneySaved, const CalendarMoment& quit);

// 「次のごほうびを決める」: the reward reached moves to those reached in this
// attempt, and no reward is set until the user names the next. Nothing
// changes while the current one is not reached.
Plan WithRewardReached(Plan plan, const RewardProgress& progress);

// 「これまでに届いたごほうび：腕時計（30,000円）、ギター（80,000円）」, the
// oldest first; empty before the first.
std::string ReachedRewardsText(const Plan& plan);

// The notice line of a reward reached in an attempt, and back.
JournalEvent RewardJournalLine(const Reward& reward, const CalendarMoment& quit, const CalendarMoment& now);
struct RewardSaid {
    Reward reward;
    CalendarMoment quit;
    friend bool operator==(const RewardSaid&, const RewardSaid&) = default;
};
std::optional<RewardSaid> RewardSaidOfLine(const JournalEvent& line);

class RewardLedger {
public:
    void add(const JournalEvent& line);
    bool said(const Reward& reward, const CalendarMoment& quit) const;

private:
    std::set<std::string> said_;
};

// The notice when the reward is reached and not said yet in this attempt,
// and its line (dated `now`); nothing otherwise.
struct RewardRound {
    std::optional<NoticeText> notice;
    std::vector<JournalEvent> lines;
};
RewardRound NextRewardNotice(const RewardProgress& progress, const RewardLedger& said,
                             const CalendarMoment& now);
RewardRound NextRewardNotice(const RewardProgress& progress, const std::vector<JournalEvent>& journal,
                             const CalendarMoment& now);

// The reward as --json shows it, the value of a "reward" key:
// {"name":"ロードバイク","price":120000,"saved":84477,"remaining":35523,
//  "percent":70,"reached":false,"text":"…"}, or null without one.
std::string RewardJson(const RewardProgress& progress);

}  // namespace kemless
