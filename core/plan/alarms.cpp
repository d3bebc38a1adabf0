#include "plan/alarms.h"

#include <algorithm>

#include "basics/text.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

constexpr const char* kAlarmName = "alarm";

int32_t DayKey(const CalendarMoment& m) { return m.year * 10000 + m.month * 100 + m.day; }

CalendarMoment StartOfDay(const CalendarMoment& m) { return {m.year, m.month, m.day, 0, 0}; }

std::string ClockText(const CalendarMoment& m) {
    return FullWidth(m.hour) + "時" + (m.minute == 0 ? std::string() : FullWidth(m.minute) + "分");
}

}  // namespace

int DayOfWeek(const CalendarMoment& m) {
    // Days since 1970-01-01 (a Thursday) by the civil-from-days rule.
    const int64_t y = m.month <= 2 ? int64_t{m.year} - 1 : m.year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (m.month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + m.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = era * 146097 + doe - 719468;
    return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

JournalEvent AlarmJournalLine(const AlarmSaid& said, const CalendarMoment& now) {
    return {now,
            "notice",
            {kAlarmName},
            {{"slot", Decimal(said.slot)}, {"day", MinuteWord(StartOfDay(said.day)).substr(0, 10)}}};
}

std::optional<AlarmSaid> AlarmSaidOfLine(const JournalEvent& line) {
    if (line.kind != "notice" || line.words.size() != 1 || line.words[0] != kAlarmName) return std::nullopt;
    const std::optional<std::string_view> slot = line.field("slot");
    const std::optional<std::string_view> day = line.field("day");
    if (!slot || !day || slot->size() != 1 || (*slot)[0] < '1' || (*slot)[0] > '0' + kMaxAlarms)
        return std::nullopt;
    const std::optional<CalendarMoment> m = ParseMinuteWord(std::string(*day) + "T00:00");
    if (!m || !IsRealMoment(*m)) return std::nullopt;
    return AlarmSaid{(*slot)[0] - '0', *m};
}

void AlarmLedger::add(const JournalEvent& line) {
    if (const std::optional<AlarmSaid> said = AlarmSaidOfLine(line)) add(*said);
}

void AlarmLedger::add(const AlarmSaid& said) { said_.emplace(said.slot, DayKey(said.day)); }

bool AlarmLedger::said(const AlarmSaid& said) const {
    return said_.count({said.slot, DayKey(said.day)}) != 0;
}

AlarmRound DueAlarms(const Plan& plan, const AlarmLedger& said, const CalendarMoment& now) {
    AlarmRound round;
    if (!IsRealMoment(now)) return round;
    const CalendarMoment today = StartOfDay(now);
    const int count = std::min<int>(static_cast<int>(plan.alarms.size()), kMaxAlarms);
    for (int i = 0; i < count; ++i) {
        const PlanAlarm& alarm = plan.alarms[i];
        if (!alarm.on) continue;
        // Its time today, or yesterday's when that is still within the hour
        // (an alarm shortly before midnight); never both, as the hour is shorter than a day.
        for (const int64_t dayOffset : {0, -1}) {
            const CalendarMoment day = AddMinutes(today, dayOffset * 1440);
            const CalendarMoment at{day.year, day.month, day.day, alarm.hour, alarm.minute};
            const int64_t late = MinutesBetween(at, now);
            if (late < 0 || late > kAlarmLateMinutes) continue;
            if (!alarm.days[DayOfWeek(day)]) continue;
            const AlarmSaid key{i + 1, day};
            if (said.said(key)) continue;
            DueAlarm due{i + 1, at, {}, {}};
            if (const TriggerPlan* t = plan.trigger(alarm.trigger)) {
                due.trigger = t->name;
                due.ifThen = IfThenText(*t);
            }
            round.due.push_back(std::move(due));
            round.lines.push_back(AlarmJournalLine(key, now));
        }
    }
    std::stable_sort(round.due.begin(), round.due.end(),
                     [](const DueAlarm& a, const DueAlarm& b) { return MinutesBetween(b.at, a.at) < 0; });
    return round;
}

AlarmRound DueAlarms(const Plan& plan, const std::vector<JournalEvent>& journal, const CalendarMoment& now) {
    AlarmLedger ledger;
    for (const JournalEvent& line : journal) ledger.add(line);
    return DueAlarms(plan, ledger, now);
}

NoticeText AlarmNoticeText(const std::vector<DueAlarm>& due) {
    NoticeText text;
    if (due.empty()) return text;
    text.summary = "つらい時間のお知らせ";
    for (const DueAlarm& a : due) {
        if (!text.body.empty()) text.body += "\n";
        text.body += ClockText(a.at) + "になりました。";
        text.body += a.ifThen.empty() ? "吸いたくなったら、深呼吸をしてやり過ごしましょう。" : a.ifThen;
    }
    return text;
}

}  // namespace kemless
