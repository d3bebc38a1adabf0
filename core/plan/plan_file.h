#pragma once
// わたしの卒煙プラン as the user writes it: the reasons to stay quit, the
// triggers chosen with what to do instead, the alarms for the hard hours and
// the rewards bought with the money not spent. Kept in plan.ini beside the
// record, UTF-8, one item a line:
//
//   reason=家族のため
//   trigger=食後 歯をみがく
//   alarm=21:30 月火水木金 お酒 on
//   reward=ロードバイク 120000
//   reached=腕時計 30000 2026-11-01T09:00
//
// A value is words separated by one blank; within a word a backslash,
// blank, line break, tab and other control characters are written \\, \s,
// \n, \t and \xHH, and an empty word \e, so every text reads back. A line
// that does not read (damaged, hand-edited, not UTF-8, beyond a limit) and
// a key this version does not know are kept as they stand and written back
// after the plan, so nothing the file held is lost.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/moment.h"
#include "records/record_file.h"

namespace kemless {

inline constexpr const char* kPlanName = "plan.ini";

inline constexpr int kMaxReasons = 10;
inline constexpr int kMaxTriggers = 16;  // the common eight and as many of the user's own
inline constexpr int kMaxAlarms = 5;
inline constexpr int kMaxReachedRewards = 100;
// Lengths in characters (code points), as the text boxes count them.
inline constexpr int kMaxReasonLength = 40;
inline constexpr int kMaxTriggerLength = 20;
inline constexpr int kMaxActionLength = 60;
inline constexpr int kMaxRewardNameLength = 30;
inline constexpr int64_t kMaxRewardPrice = 99'999'999;  // yen

// The triggers every smoker knows, offered to choose from in this order.
inline constexpr std::array<const char*, 8> kCommonTriggers = {
    "食後", "コーヒー", "お酒", "ストレス", "仕事の合間", "朝起きてすぐ", "退屈", "人が吸っているとき"};
bool IsCommonTrigger(std::string_view name);

// A trigger the user chose, and what they will do instead when it comes.
struct TriggerPlan {
    std::string name;    // "食後"
    std::string action;  // "歯をみがく"; may be empty
    friend bool operator==(const TriggerPlan&, const TriggerPlan&) = default;
};

// An alarm for a hard hour: a time of day on some days of the week, with the
// trigger whose plan it brings.
struct PlanAlarm {
    int32_t hour = 21, minute = 0;
    std::array<bool, 7> days{true, true, true, true, true, true, true};  // Sunday first
    std::string trigger;  // a chosen trigger's name; may be empty
    bool on = false;      // nothing is said until the user turns it on
    friend bool operator==(const PlanAlarm&, const PlanAlarm&) = default;
};

struct Reward {
    std::string name;   // "ロードバイク"
    int64_t price = 0;  // yen, up to kMaxRewardPrice; 0 while the user has not priced it
    friend bool operator==(const Reward&, const Reward&) = default;
};
// A reward reached, and the attempt it was reached in (its quit moment):
// its price is spent only from that attempt's savings.
struct ReachedReward {
    Reward reward;
    CalendarMoment quit;
    friend bool operator==(const ReachedReward&, const ReachedReward&) = default;
};

struct Plan {
    std::vector<std::string> reasons;
    std::vector<TriggerPlan> triggers;
    std::vector<PlanAlarm> alarms;
    std::optional<Reward> reward;        // the one worked toward now
    std::vector<ReachedReward> reached;  // the oldest first
    // Lines kept as they stood (without their line end): damaged ones, keys
    // of a later version, lines beyond a limit.
    std::vector<std::string> kept;
    friend bool operator==(const Plan&, const Plan&) = default;

    // The plan for a trigger, when it is chosen.
    const TriggerPlan* trigger(std::string_view name) const;
};

// The plan as the file holds it; the lines that do not read go to `kept`.
Plan ParsePlan(std::string_view bytes);
// The file's bytes: the plan within its limits (see LimitPlan), then the
// kept lines; LF line ends. ParsePlan reads back what was written.
std::string WritePlan(const Plan& plan);
// The plan as it can be kept: texts trimmed of blanks and cut to their
// lengths, empty reasons, triggers and reward names dropped, a trigger
// chosen twice once, the counts and the price within their limits, an alarm's
// time on the clock and its trigger one of the chosen (or none).
Plan LimitPlan(Plan plan);

// 「食後に吸いたくなったら → 歯をみがく」: a trigger's if-then line.
std::string IfThenText(const TriggerPlan& trigger);

// "日月火水木金土" as the days of an alarm name them; "毎日" for all seven.
std::string DaysText(const std::array<bool, 7>& days);

// plan.ini could not be read: the plan window opens empty and saves nothing.
std::string PlanNotKeptText(const FileOutcome& why);
// A save of the plan that failed; the file stays as it was.
std::string PlanNotSavedText(const FileOutcome& why);

// plan.ini in an open data folder. A file that stands there and cannot be
// read is never written: its problem comes back from open() once, and
// save() refuses without a word of its own.
class PlanFile {
public:
    // Reads the plan; a missing file is an empty plan and no problem.
    FileOutcome open(int dir, const std::string& dirPath);
    const Plan& plan() const { return plan_; }
    // False while the file could not be read (or no folder was given).
    bool writable() const { return writable_; }
    // Replaces the file atomically with `plan` (within its limits) and the
    // lines the file kept; refused (the problem from open()) while not
    // writable. On success, plan() is what was written.
    FileOutcome save(Plan plan);

private:
    int dir_ = -1;
    std::string dirPath_;
    Plan plan_;
    bool writable_ = false;
    FileOutcome blocked_;
};

}  // namespace kemless
