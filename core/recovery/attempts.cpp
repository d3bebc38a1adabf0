#include "recovery/attempts.h"

#include <algorithm>

#include "basics/text.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

CalendarMoment StartOfDay(const CalendarMoment& m) { return {m.year, m.month, m.day, 0, 0}; }

std::string Times(int64_t count) { return FullWidth(count) + "回"; }

std::string DayText(const CalendarMoment& m) { return FullWidth(m.month) + "月" + FullWidth(m.day) + "日"; }

}  // namespace

std::string SpanText(int64_t minutes) {
    minutes = std::max<int64_t>(minutes, 0);
    if (minutes >= 1440) return FullWidth(minutes / 1440) + "日" + FullWidth(minutes % 1440 / 60) + "時間";
    return FullWidth(minutes / 60) + "時間" + FullWidth(minutes % 60) + "分";
}

int32_t DayKey(const CalendarMoment& m) { return m.year * 10000 + m.month * 100 + m.day; }

void AttemptLedger::add(const AttemptEvent& e, const CalendarMoment& now) {
    switch (e.kind) {
        case AttemptEventKind::UrgePassed:
            ++urgesAll_;
            ++urgesThis_;
            if (IsRealMoment(e.at)) ++urgesPerDay_[DayKey(e.at)];
            break;
        case AttemptEventKind::Slip:
            ++slipsAll_;
            ++slipsThis_;
            break;
        case AttemptEventKind::AttemptEnd:
            if (IsRealMoment(e.at) && MinutesBetween(now, e.at) > 0) break;
            ++ended_;
            if (IsRealMoment(e.quit) && IsRealMoment(e.at)) spans_.emplace_back(e.quit, e.at);
            urgesThis_ = 0;
            slipsThis_ = 0;
            break;
        case AttemptEventKind::AttemptStart:
            if (MinutesBetween(now, e.at) > 0) break;
            urgesThis_ = 0;
            slipsThis_ = 0;
            break;
        case AttemptEventKind::QuitCorrected: break;  // the same attempt goes on
    }
}

AttemptSummary AttemptLedger::summarise(const CalendarMoment& quit, const CalendarMoment& now) const {
    AttemptSummary s;
    s.urgesAll = urgesAll_;
    s.slipsAll = slipsAll_;
    s.urgesThisAttempt = urgesThis_;
    s.slipsThisAttempt = slipsThis_;
    s.endedAttempts = ended_;
    s.currentMinutes = std::max<int64_t>(ComputeElapsed(quit, now).minutes, 0);
    s.longestMinutes = s.currentMinutes;
    s.longestQuit = quit;
    std::optional<CalendarMoment> previousEnd;
    for (auto [from, to] : spans_) {
        if (previousEnd && MinutesBetween(from, *previousEnd) > 0) from = *previousEnd;
        if (IsRealMoment(quit) && MinutesBetween(quit, to) > 0) to = quit;
        const int64_t length = MinutesBetween(from, to);
        previousEnd = to;
        // The attempt running now wins a tie: it is still growing.
        if (length > s.longestMinutes) {
            s.longestMinutes = length;
            s.longestQuit = from;
            s.longestIsCurrent = false;
        }
    }
    const CalendarMoment today = StartOfDay(now);
    for (int i = 0; i < kChartDays; ++i) {
        s.chartDays[i] = AddMinutes(today, int64_t{i - (kChartDays - 1)} * 1440);
        if (const auto it = urgesPerDay_.find(DayKey(s.chartDays[i])); it != urgesPerDay_.end())
            s.urgesPerDay[i] = it->second;
    }
    return s;
}

AttemptSummary SummariseAttempts(const std::vector<AttemptEvent>& events, const CalendarMoment& quit,
                                 const CalendarMoment& now) {
    AttemptLedger ledger;
    for (const AttemptEvent& e : events) ledger.add(e, now);
    return ledger.summarise(quit, now);
}

RecordView MakeRecordView(const AttemptSummary& s, RecordKeeping keeping) {
    RecordView v;
    // An attempt of another year says which: "１月１日" alone would be read
    // as this January.
    const int32_t thisYear = s.chartDays.back().year;
    const std::string longestStart = s.longestQuit.year == thisYear
                                         ? DayText(s.longestQuit)
                                         : FullWidth(s.longestQuit.year) + "年" + DayText(s.longestQuit);
    v.lines = {
        {"今回の卒煙で乗り越えた吸いたい気持ち", Times(s.urgesThisAttempt)},
        {"今回の卒煙で吸ってしまった", Times(s.slipsThisAttempt)},
        {"これまでに乗り越えた吸いたい気持ち", Times(s.urgesAll)},
        {"これまでに吸ってしまった", Times(s.slipsAll)},
        {"いちばん長い卒煙",
         SpanText(s.longestMinutes) + (s.longestIsCurrent ? "（今回）" : "（" + longestStart + "から）")},
    };
    v.chartHeading = "この" + FullWidth(kChartDays) + "日間に乗り越えた回数";
    v.counts = s.urgesPerDay;
    const int32_t tallest = *std::max_element(s.urgesPerDay.begin(), s.urgesPerDay.end());
    int64_t total = 0;
    int best = -1;
    for (int i = 0; i < kChartDays; ++i) {
        const int32_t n = s.urgesPerDay[i];
        total += n;
        v.barPermille[i] = tallest > 0 ? static_cast<int32_t>(int64_t{n} * 1000 / tallest) : 0;
        // The latest of the busiest days.
        if (n > 0 && n == tallest) best = i;
    }
    v.firstDay = DayText(s.chartDays.front());
    v.lastDay = "今日";

    const std::string span =
        "この" + FullWidth(kChartDays) + "日間（" + v.firstDay + "〜" + DayText(s.chartDays.back()) + "）";
    if (total == 0) {
        v.chartWords = span + "に乗り越えた吸いたい気持ちの記録は、まだありません。";
    } else {
        v.chartWords = span + "に乗り越えた吸いたい気持ちは、合計" + Times(total) +
                       "です。いちばん多かったのは" + DayText(s.chartDays[best]) + "の" + Times(tallest) +
                       "、今日は" + Times(s.urgesPerDay.back()) + "です。日ごとの回数：";
        bool first = true;
        for (int i = 0; i < kChartDays; ++i) {
            if (s.urgesPerDay[i] == 0) continue;
            if (!first) v.chartWords += "、";
            first = false;
            v.chartWords += DayText(s.chartDays[i]) + " " + Times(s.urgesPerDay[i]);
        }
        v.chartWords += "。";
    }
    switch (keeping) {
        case RecordKeeping::ThisRun: v.note = "この記録は、ケムレスを終了するまでのあいだ残ります。"; break;
        case RecordKeeping::ForGood: break;
        case RecordKeeping::Unavailable:
            // The counts above are no count at all: said plainly.
            v.note =
                "記録ファイル（journal.txt）を読み書きできないため、これまでの回数は数えられず、"
                "新しい記録も残せません。";
            break;
    }
    return v;
}

}  // namespace kemless
