#pragma once
// What the body wins back after the last cigarette, step by step, from the
// quit moment and "now": which steps are reached and when, how long the
// others are away, and how far the way to the next one has come. Steps that
// last a span ("2 weeks to 3 months") are reached at the start of it, when
// the change begins. Each step's moment is counted on the program's own
// calendar, as the elapsed line counts: minutes after the quit moment for
// the short steps, full calendar months for the long ones.
#include <cstdint>
#include <string>
#include <vector>

#include "records/moment.h"

namespace kemless {

// Named in the window under the steps.
inline constexpr char kHealthSource[] = "出典: 厚生労働省 e-ヘルスネット「禁煙の効果」";

// "A few days" is taken as three days (72 hours) after the quit moment.
inline constexpr int64_t kFewDaysMinutes = 3 * 1440;

struct HealthStep {
    std::string when;       // "２０分後", "２週間〜３ヶ月後"
    std::string change;     // what the body wins back, one sentence
    CalendarMoment moment;  // when the step is reached
    int64_t minutesAfterQuit = 0;
    bool reached = false;
    bool next = false;     // the first step not reached yet
    std::string status;    // "２０２６年９月２１日８時５分に到達" or "あと３日４時間"
    int32_t permille = 0;  // of the way to this step from the one before: 1000 once reached
    std::string spoken;    // the whole row as one line, for a screen reader
};

struct HealthTimeline {
    std::vector<HealthStep> steps;  // in the order they come
    int32_t reachedCount = 0;
    std::string summary;  // how many are reached and what comes next
};

// A quit moment later than now (a clock set back) counts as no time gone,
// as the main window shows it.
HealthTimeline ComputeHealthTimeline(const CalendarMoment& quit, const CalendarMoment& now);

// How many steps are reached at `now`: the count a health notice follows.
int32_t HealthStepsReached(const CalendarMoment& quit, const CalendarMoment& now);
// The words of the step at `index` (0-based, held inside the steps).
struct HealthStepWords {
    std::string when;
    std::string change;
};
HealthStepWords HealthStepWordsAt(int32_t index);

// "あと３日４時間", "あと４時間５分", "あと２０分": the days and hours of a
// long wait, the hours and minutes of a shorter one.
std::string RemainingText(int64_t minutes);
// The wait from `from` to `to`: as above when it is shorter than a month,
// else the years, months and days a calendar counts ("あと９年１１ヶ月２９日",
// "あと３ヶ月０日"), the way the elapsed line counts them.
std::string RemainingText(const CalendarMoment& from, const CalendarMoment& to);
// "２０２６年９月２１日８時５分"
std::string MomentText(const CalendarMoment& m);

}  // namespace kemless
