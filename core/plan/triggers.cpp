#include "plan/triggers.h"

#include <algorithm>

#include "basics/text.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

int32_t DayKey(const CalendarMoment& m) { return m.year * 10000 + m.month * 100 + m.day; }

std::string Times(int64_t count) { return FullWidth(count) + "回"; }

std::string HourText(int hour) { return FullWidth(hour) + "時台"; }

}  // namespace

void HardMomentLedger::add(const AttemptEvent& e) {
    if (e.kind != AttemptEventKind::UrgePassed && e.kind != AttemptEventKind::Slip) return;
    if (!IsRealMoment(e.at)) return;
    days_[DayKey(e.at)].push_back({e.at.hour * 60 + e.at.minute, e.trigger});
}

HardMoments HardMomentLedger::summarise(const CalendarMoment& now) const {
    HardMoments h;
    const std::string span = "この" + FullWidth(kChartDays) + "日間";
    h.triggersHeading = span + "のきっかけ";
    h.hoursHeading = "吸いたくなった時間帯（" + span + "）";
    struct Tally {
        int32_t count = 0;
        int64_t last = 0;  // the order in which it was last named
    };
    std::map<std::string, Tally> tally;
    int64_t order = 0;
    if (IsRealMoment(now)) {
        const CalendarMoment today{now.year, now.month, now.day, 0, 0};
        const int32_t nowMinute = now.hour * 60 + now.minute;
        for (int i = kChartDays - 1; i >= 0; --i) {
            const CalendarMoment day = AddMinutes(today, -int64_t{i} * 1440);
            const auto it = days_.find(DayKey(day));
            if (it == days_.end()) continue;
            for (const Moment& m : it->second) {
                ++order;
                if (i == 0 && m.minuteOfDay > nowMinute) continue;
                ++h.perHour[m.minuteOfDay / 60];
                if (m.trigger.empty()) continue;
                Tally& t = tally[m.trigger];
                ++t.count;
                t.last = order;
            }
        }
    }

    std::vector<std::pair<std::string, Tally>> sorted(tally.begin(), tally.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        if (a.second.count != b.second.count) return a.second.count > b.second.count;
        return a.second.last > b.second.last;
    });
    for (const auto& [name, t] : sorted) h.triggers.push_back({name, t.count});
    if (h.triggers.empty()) {
        h.triggerWords = span + "に選ばれたきっかけは、まだありません。";
    } else {
        h.triggerWords = span + "のきっかけは、多い順に";
        for (size_t i = 0; i < h.triggers.size(); ++i)
            h.triggerWords += (i == 0 ? "" : "、") + h.triggers[i].name + " " + Times(h.triggers[i].count);
        h.triggerWords += "です。";
    }

    const int32_t busiest = *std::max_element(h.perHour.begin(), h.perHour.end());
    int64_t total = 0;
    for (int hour = 0; hour < 24; ++hour) {
        total += h.perHour[hour];
        h.hourPermille[hour] =
            busiest > 0 ? static_cast<int32_t>(int64_t{h.perHour[hour]} * 1000 / busiest) : 0;
    }
    if (total == 0) {
        h.hourWords = span + "に吸いたくなった記録は、まだありません。";
        return h;
    }
    std::string busiestHours;
    for (int hour = 0; hour < 24; ++hour)
        if (h.perHour[hour] == busiest) busiestHours += (busiestHours.empty() ? "" : "と") + HourText(hour);
    h.hourWords = span + "に吸いたくなったのは合計" + Times(total) + "で、いちばん多い時間帯は" +
                  busiestHours + "の" + Times(busiest) + "です。時間帯ごとの回数：";
    bool first = true;
    for (int hour = 0; hour < 24; ++hour) {
        if (h.perHour[hour] == 0) continue;
        h.hourWords += (first ? "" : "、") + HourText(hour) + " " + Times(h.perHour[hour]);
        first = false;
    }
    h.hourWords += "。";
    return h;
}

HardMoments SummariseHardMoments(const std::vector<AttemptEvent>& events, const CalendarMoment& now) {
    HardMomentLedger ledger;
    for (const AttemptEvent& e : events) ledger.add(e);
    return ledger.summarise(now);
}

}  // namespace kemless
