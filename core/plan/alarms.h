#pragma once
// The alarms for the hard hours: which are due at a minute, given what the
// journal says was said. Each alarm is said once a day, through the same
// notices and journal as the milestones, with a line
//
//   2026-12-11 21:30 notice alarm slot=2 day=2026-12-11
//
// (`slot`: the alarm's place in the plan, 1..5; `day`: the day of the time
// it stands for, which is the day before the line's own after midnight). A
// line without a number is never compacted away, so every day said stays
// known: a restart, a clock set back or a second copy sharing the folder
// says nothing twice. An alarm is due from its minute until an hour after
// it, so a program started late still says it, but not one long past;
// one at 23:30 is still due at 00:10 on the next day.
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "display/milestones.h"
#include "plan/plan_file.h"
#include "records/journal.h"

namespace kemless {

inline constexpr int kAlarmLateMinutes = 60;

// 0 for Sunday … 6 for Saturday.
int DayOfWeek(const CalendarMoment& m);

// One alarm's day said: its slot and the day of the time it stands for.
struct AlarmSaid {
    int slot = 0;
    CalendarMoment day;  // at 00:00
    friend bool operator==(const AlarmSaid&, const AlarmSaid&) = default;
};
// The journal line for an alarm said `now` for its time on `day`.
JournalEvent AlarmJournalLine(const AlarmSaid& said, const CalendarMoment& now);
// An alarm line read back; nullopt for any other line (and one without a
// slot 1..5 or a real day).
std::optional<AlarmSaid> AlarmSaidOfLine(const JournalEvent& line);

// The days said, line by line, so the journal is read once.
class AlarmLedger {
public:
    void add(const JournalEvent& line);
    void add(const AlarmSaid& said);
    bool said(const AlarmSaid& said) const;

private:
    std::set<std::pair<int, int32_t>> said_;  // slot, yyyymmdd
};

struct DueAlarm {
    int slot = 0;         // 1..5
    CalendarMoment at;    // the minute it stands for
    std::string trigger;  // its trigger, when it names a chosen one
    std::string ifThen;  // 「食後に吸いたくなったら → 歯をみがく」; empty without a trigger
    friend bool operator==(const DueAlarm&, const DueAlarm&) = default;
};
struct AlarmRound {
    std::vector<DueAlarm> due;        // the earliest first
    std::vector<JournalEvent> lines;  // to append, dated `now`
};
// The alarms of `plan` due at `now` and not said yet: turned on, on a day
// of the week chosen, at most an hour past their minute.
AlarmRound DueAlarms(const Plan& plan, const AlarmLedger& said, const CalendarMoment& now);
AlarmRound DueAlarms(const Plan& plan, const std::vector<JournalEvent>& journal, const CalendarMoment& now);

// The notice for the alarms of a round: a headline and, for each, its time
// and plan (or a word of encouragement where it names no trigger).
NoticeText AlarmNoticeText(const std::vector<DueAlarm>& due);

}  // namespace kemless
