#include "recovery/health_steps.h"

#include <algorithm>

#include "basics/text.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

// How far after the quit moment a step begins: minutes, or full months on
// the calendar.
struct StepDefinition {
    const char* when;
    const char* change;
    int64_t minutes;
    int32_t months;
};

// clang-format off
constexpr StepDefinition kSteps[] = {
    {"２０分後", "血圧と脈拍が正常に近づき、手足が温かくなってきます。", 20, 0},
    {"８時間後", "血液中の一酸化炭素が減り、酸素が増えてきます。", 8 * 60, 0},
    {"２４時間後", "心臓発作が起こる可能性が下がり始めます。", 24 * 60, 0},
    {"数日後", "味や香りが、よくわかるようになってきます。", kFewDaysMinutes, 0},
    {"２週間〜３ヶ月後", "血液の巡りがよくなり、心臓や血管の働きが改善します。", 14 * 1440, 0},
    {"１〜９ヶ月後", "せきが改善し、スタミナが戻ってきます。", 0, 1},
    {"１年後", "肺の働きの改善がみられます（軽度・中等度の慢性閉塞性肺疾患のある人）。", 0, 12},
    {"２〜４年後", "心筋梗塞などの虚血性心疾患のリスクが、吸い続けた場合より約３５％下がります。", 0, 24},
    {"５〜９年後", "肺がんのリスクが、吸い続けた場合よりはっきり下がります。", 0, 60},
    {"１０〜１５年後", "さまざまな病気のリスクが、たばこを吸わない人に近づきます。", 0, 120},
};
// clang-format on

}  // namespace

std::string RemainingText(int64_t minutes) {
    minutes = std::max<int64_t>(minutes, 0);
    std::string out = "あと";
    if (minutes >= 1440) {
        AppendFullWidth(out, minutes / 1440);
        out += "日";
        AppendFullWidth(out, minutes % 1440 / 60);
        out += "時間";
    } else if (minutes >= 60) {
        AppendFullWidth(out, minutes / 60);
        out += "時間";
        AppendFullWidth(out, minutes % 60);
        out += "分";
    } else {
        AppendFullWidth(out, minutes);
        out += "分";
    }
    return out;
}

std::string RemainingText(const CalendarMoment& from, const CalendarMoment& to) {
    const ElapsedTime span = BreakDownElapsed(from, to);
    if (span.years == 0 && span.months == 0) return RemainingText(MinutesBetween(from, to));
    std::string out = "あと";
    if (span.years > 0) {
        AppendFullWidth(out, span.years);
        out += "年";
    }
    AppendFullWidth(out, span.months);
    out += "ヶ月";
    AppendFullWidth(out, span.days);
    out += "日";
    return out;
}

std::string MomentText(const CalendarMoment& m) {
    std::string out;
    AppendFullWidth(out, m.year);
    out += "年";
    AppendFullWidth(out, m.month);
    out += "月";
    AppendFullWidth(out, m.day);
    out += "日";
    AppendFullWidth(out, m.hour);
    out += "時";
    AppendFullWidth(out, m.minute);
    out += "分";
    return out;
}

int32_t HealthStepsReached(const CalendarMoment& quit, const CalendarMoment& now) {
    return ComputeHealthTimeline(quit, now).reachedCount;
}

HealthStepWords HealthStepWordsAt(int32_t index) {
    const StepDefinition& d =
        kSteps[std::clamp<size_t>(static_cast<size_t>(std::max(index, 0)), 0, std::size(kSteps) - 1)];
    return {d.when, d.change};
}

HealthTimeline ComputeHealthTimeline(const CalendarMoment& storedQuit, const CalendarMoment& now) {
    // The quit moment as the elapsed count reads it: a day the month does
    // not have (a hand-edited 31 April) runs on into the next month.
    CalendarMoment quit = WithinCalendar(storedQuit);
    const int32_t length = MonthLength(quit.year, quit.month);
    if (quit.day > length) {
        const int32_t beyond = quit.day - length;
        quit.day = length;
        quit = AddMinutes(quit, int64_t{beyond} * 1440);
    }
    const int64_t elapsed = std::max<int64_t>(ComputeElapsed(storedQuit, now).minutes, 0);

    HealthTimeline timeline;
    int64_t previous = 0;
    bool nextFound = false;
    for (const StepDefinition& d : kSteps) {
        HealthStep step;
        step.when = d.when;
        step.change = d.change;
        step.moment = d.months > 0 ? MonthsAfter(quit, d.months) : AddMinutes(quit, d.minutes);
        step.minutesAfterQuit = MinutesBetween(quit, step.moment);
        step.reached = elapsed >= step.minutesAfterQuit;
        if (step.reached) {
            ++timeline.reachedCount;
            step.permille = 1000;
            step.status = MomentText(step.moment) + "に到達";
        } else {
            step.status = RemainingText(AddMinutes(quit, elapsed), step.moment);
            if (!nextFound) {
                nextFound = true;
                step.next = true;
                const int64_t span = step.minutesAfterQuit - previous;
                const int64_t gone = std::clamp<int64_t>(elapsed - previous, 0, span);
                step.permille = span > 0 ? static_cast<int32_t>(gone * 1000 / span) : 0;
            }
        }
        step.spoken = step.when + "　" + step.change + "　" + step.status;
        previous = step.minutesAfterQuit;
        timeline.steps.push_back(std::move(step));
    }

    if (timeline.reachedCount > 0)
        timeline.summary = FullWidth(static_cast<int64_t>(timeline.steps.size())) + "の変化のうち" +
                           FullWidth(timeline.reachedCount) + "つに到達しました。";
    for (const HealthStep& s : timeline.steps) {
        if (!s.next) continue;
        timeline.summary += "次の「" + s.when + "」まで、" + s.status + "です。";
    }
    if (timeline.reachedCount == static_cast<int32_t>(timeline.steps.size()))
        timeline.summary = "すべての変化に到達しました。";
    return timeline;
}

}  // namespace kemless
