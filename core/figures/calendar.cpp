#include "figures/calendar.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "figures/number_text.h"

namespace kemless {
namespace {

// Leap rule: February is reset to 28 before it is worked out for another year.
void ApplyLeapRule(int64_t year, int32_t& february) {
    february = 28;
    if (year % 4 == 0) SetFebruaryLength(year, february);
}

int32_t Saturate32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// A stored moment can come from a hand-edited file. The arithmetic indexes the
// month table, so every field is held inside its calendar range first; a valid
// moment is unchanged.
CalendarMoment WithinCalendar(const CalendarMoment& m) {
    return {std::clamp(m.year, 1, 9999), std::clamp(m.month, 1, 12), std::clamp(m.day, 1, 31),
            std::clamp(m.hour, 0, 23), std::clamp(m.minute, 0, 59)};
}

// Minutes from the start of the day to the end of it, counted the way the
// day count expects: (24 - (hour + 1)) * 60 + (60 - minute).
int64_t MinutesToEndOfDay(const CalendarMoment& m) {
    return (24 - (int64_t{m.hour} + 1)) * 60 + (60 - int64_t{m.minute});
}

// The next yyyymm after ym, carrying December into January of the next year.
int64_t NextMonth(int64_t ym) {
    ++ym;
    if (ym % 100 >= 13) ym = ym - (ym % 100) + 101;
    return ym;
}

}  // namespace

MonthTable FreshMonthTable() { return {31, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}; }

void SetFebruaryLength(int64_t year, int32_t& february) {
    february = 29;
    if (year % 100 == 0) february = 28;
    if (year % 400 == 0) february = 29;
}

void CountDaysAndMinutes(const CalendarMoment& quit, const CalendarMoment& now,
                         MonthTable& table, int64_t& days, int64_t& minutes) {
    const int64_t qYM = int64_t{quit.year} * 100 + quit.month;
    const int64_t nYM = int64_t{now.year} * 100 + now.month;

    if (qYM % 100 == 2) ApplyLeapRule(qYM / 100, table[2]);
    const int64_t quitMonthLength = table[qYM % 100];

    days = quitMonthLength - (int64_t{quit.day} + 1);
    minutes = MinutesToEndOfDay(quit);

    if (qYM == nYM) {
        days -= quitMonthLength - (int64_t{now.day} + 1);
        minutes -= MinutesToEndOfDay(now);
        return;
    }

    days += now.day;
    minutes += int64_t{now.hour} * 60 + now.minute;
    int64_t ym = NextMonth(qYM);
    // Every run of 400 years holds exactly 146097 days, so a very long span
    // is walked a cycle at a time instead of month by month.
    constexpr int64_t kCycleMonths = 400 * 100;
    constexpr int64_t kCycleDays = 146097;
    while (nYM - ym > kCycleMonths) {
        ym += kCycleMonths;
        days += kCycleDays;
    }
    while (ym < nYM) {
        if (ym % 100 == 2) ApplyLeapRule(ym / 100, table[2]);
        days += table[ym % 100];
        ym = NextMonth(ym);
    }
}

ElapsedTime BreakDownElapsed(const CalendarMoment& quit, const CalendarMoment& nowIn) {
    CalendarMoment now = nowIn;  // the borrows change this copy only
    MonthTable nowTable = FreshMonthTable();
    MonthTable quitTable = FreshMonthTable();
    nowTable[2] = 28;
    quitTable[2] = 28;
    if (now.year % 4 == 0) SetFebruaryLength(now.year, nowTable[2]);
    if (quit.year % 4 == 0) SetFebruaryLength(quit.year, quitTable[2]);

    ElapsedTime t;
    if (now.minute < quit.minute) {
        t.minutes = now.minute + 60 - quit.minute;
        now.hour -= 1;
    } else {
        t.minutes = now.minute - quit.minute;
    }
    if (now.hour < quit.hour) {
        t.hours = now.hour + 24 - quit.hour;
        now.day -= 1;
    } else {
        t.hours = now.hour - quit.hour;
    }
    if (now.day < quit.day) {
        // Borrow the longer of the month before now's month and the quit month.
        int32_t borrowed = nowTable[std::clamp(now.month - 1, 0, 12)];
        if (borrowed < quitTable[quit.month]) borrowed = quitTable[quit.month];
        t.days = borrowed + now.day - quit.day;
        now.month -= 1;
    } else {
        t.days = now.day - quit.day;
    }
    if (now.month < quit.month) {
        t.months = now.month + 12 - quit.month;
        now.year -= 1;
    } else {
        t.months = now.month - quit.month;
    }
    t.years = now.year - quit.year;
    return t;
}

int64_t MomentKey(const CalendarMoment& m) {
    return ((((int64_t{m.year} * 100 + m.month) * 100 + m.day) * 100 + m.hour) * 100) + m.minute;
}

Elapsed ComputeElapsed(const CalendarMoment& storedQuit, const CalendarMoment& now) {
    Elapsed e;
    const CalendarMoment quit = WithinCalendar(storedQuit);
    if (MomentKey(quit) > MomentKey(now)) {
        // Clock set back or a hand-edited future moment: show the quit moment
        // itself (zero elapsed) rather than negative or meaningless figures.
        e.quitInFuture = true;
        return e;
    }
    MonthTable table = FreshMonthTable();
    int64_t days = 0;
    int64_t minutes = 0;
    CountDaysAndMinutes(quit, now, table, days, minutes);
    e.minutes = Saturate32(days * 1440 + minutes);
    e.time = BreakDownElapsed(quit, now);
    return e;
}

int32_t ElapsedDays(int32_t elapsedMinutes) {
    return static_cast<int32_t>(std::floor(elapsedMinutes / 1440.0));
}

std::string FormatElapsedFull(const ElapsedTime& t) {
    std::string out;
    out.reserve(64);
    AppendFullWidth(out, t.years);
    out += "年";
    AppendFullWidth(out, t.months);
    out += "ヶ月";
    AppendFullWidth(out, t.days);
    out += "日";
    AppendFullWidth(out, t.hours);
    out += "時間";
    AppendFullWidth(out, t.minutes);
    out += "分";
    return out;
}

std::string FormatElapsedTotalDays(int32_t elapsedMinutes, const ElapsedTime& t) {
    std::string out;
    out.reserve(48);
    AppendFullWidth(out, ElapsedDays(elapsedMinutes));
    out += "日";
    AppendFullWidth(out, t.hours);
    out += "時間";
    AppendFullWidth(out, t.minutes);
    out += "分";
    return out;
}

}  // namespace kemless
