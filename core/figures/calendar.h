#pragma once
// Calendar arithmetic from the quit moment to "now", with the program's own
// month lengths and leap rule (no date library: the borrow rule below is ours).
#include <cstdint>
#include <string>
#include <string_view>

#include "records/moment.h"

namespace kemless {

// The time since quitting broken down as a person counts it on a calendar.
struct ElapsedTime {
    int32_t years = 0, months = 0, days = 0, hours = 0, minutes = 0;
    friend bool operator==(const ElapsedTime&, const ElapsedTime&) = default;
};

// The Gregorian rule: every fourth year, but not a century unless it is
// divisible by 400 (2000 and 2004 are leap years, 1900 and 2100 are not).
bool IsLeapYear(int64_t year);

// Days in `month` (1..12) of `year`, February by the leap rule. Month 0 is the
// December before January, so "the month before m" is always m - 1.
int32_t MonthLength(int64_t year, int32_t month);

// Whole days and a (not normalised) minute count between the two moments;
// days * 1440 + minutes is the exact span in minutes for quit <= now.
void CountDaysAndMinutes(const CalendarMoment& quit, const CalendarMoment& now, int64_t& days,
                         int64_t& minutes);

// Calendar breakdown by borrowing: a day borrow takes the longer of the month
// before now's month and the quit month, so a quit on the 31st never loses days.
ElapsedTime BreakDownElapsed(const CalendarMoment& quit, const CalendarMoment& now);

// The moment `minutes` after `start` (never before it: a negative count is
// 0), by the same calendar: ComputeElapsed(start, MomentAfter(start, m))
// counts m minutes for any start on the calendar.
CalendarMoment MomentAfter(const CalendarMoment& start, int64_t minutes);

// The moment as the twelve-digit number yyyymmddhhmm (used to compare moments).
int64_t MomentKey(const CalendarMoment& m);

// A stored moment can come from a hand-edited file: every field held inside
// its calendar range (year 1..9999, month 1..12, day 1..31, hour 0..23,
// minute 0..59). A valid moment is unchanged.
CalendarMoment WithinCalendar(const CalendarMoment& m);
// A moment that names a real minute: its day exists in its month.
bool IsRealMoment(const CalendarMoment& m);

// Exact minutes from `from` to `to` on the calendar, negative when `to` comes
// first: the count of CountDaysAndMinutes, for either order.
int64_t MinutesBetween(const CalendarMoment& from, const CalendarMoment& to);
// The moment `minutes` after `m` (before it, when negative), day by day on
// the calendar; `m` must be a real moment.
CalendarMoment AddMinutes(const CalendarMoment& m, int64_t minutes);
// The first minute at which the calendar breakdown from `from` shows
// `months` full months: the same day and time `months` later, or, where that
// month has no such day (the 31st, a 29th of February), the start of the
// month after it: BreakDownElapsed turns its month there, not on the last
// day of the shorter month. `from` must be a real moment.
CalendarMoment MonthsAfter(const CalendarMoment& from, int32_t months);

// What one refresh needs from the calendar. A quit moment later than now (a
// clock set back, a hand-edited file) is shown as the quit moment itself: zero
// elapsed minutes and a zero breakdown, never negative figures.
struct Elapsed {
    int32_t minutes = 0;  // elapsedMinutes, saturated to 32 bits
    ElapsedTime time;
    bool quitInFuture = false;
};
Elapsed ComputeElapsed(const CalendarMoment& quit, const CalendarMoment& now);

// floor(elapsedMinutes / 1440.0): whole 24-hour periods since the quit moment.
int32_t ElapsedDays(int32_t elapsedMinutes);

// Full-width days, `dayUnit`, hours "時間", minutes "分": the shape of the
// elapsed-time texts ("日") and of the lifetime line ("日と").
void AppendDaysHoursMinutes(std::string& out, int64_t days, std::string_view dayUnit, int32_t hours,
                            int32_t minutes);
std::string FormatElapsedFull(const ElapsedTime& t);
std::string FormatElapsedTotalDays(int32_t elapsedMinutes, const ElapsedTime& t);

}  // namespace kemless
