#include "figures/calendar.h"

#include <algorithm>
#include <cmath>

#include "basics/saturate.h"
#include "basics/text.h"

namespace kemless {
namespace {

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

// One step of the breakdown: now's part minus the quit's part; when now's part
// is the smaller, `unit` of it is borrowed from the next larger part of now.
int32_t Borrowing(int32_t nowPart, int32_t quitPart, int32_t unit, int32_t& nowLarger) {
    if (nowPart >= quitPart) return nowPart - quitPart;
    nowLarger -= 1;
    return nowPart + unit - quitPart;
}

}  // namespace

bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int32_t MonthLength(int64_t year, int32_t month) {
    switch (month) {
        case 4:
        case 6:
        case 9:
        case 11: return 30;
        case 2: return IsLeapYear(year) ? 29 : 28;
        default: return 31;
    }
}

void CountDaysAndMinutes(const CalendarMoment& quit, const CalendarMoment& now, int64_t& days,
                         int64_t& minutes) {
    const int64_t qYM = int64_t{quit.year} * 100 + quit.month;
    const int64_t nYM = int64_t{now.year} * 100 + now.month;
    const int64_t quitMonthLength = MonthLength(quit.year, quit.month);

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
        days += MonthLength(ym / 100, static_cast<int32_t>(ym % 100));
        ym = NextMonth(ym);
    }
}

ElapsedTime BreakDownElapsed(const CalendarMoment& quit, const CalendarMoment& nowIn) {
    CalendarMoment now = nowIn;  // the borrows change this copy only
    ElapsedTime t;
    t.minutes = Borrowing(now.minute, quit.minute, 60, now.hour);
    // now.hour may be -1 after the minute borrow, now.day 0 after the hour borrow: both borrow in turn.
    t.hours = Borrowing(now.hour, quit.hour, 24, now.day);
    // A day borrow takes the longer of the month before now's month (in now's
    // year) and the quit month (in the quit year).
    const int32_t borrowedMonth =
        std::max(MonthLength(now.year, std::clamp(now.month - 1, 0, 12)), MonthLength(quit.year, quit.month));
    t.days = Borrowing(now.day, quit.day, borrowedMonth, now.month);
    t.months = Borrowing(now.month, quit.month, 12, now.year);
    t.years = now.year - quit.year;
    return t;
}

CalendarMoment WithinCalendar(const CalendarMoment& m) {
    // The arithmetic works month by month, so every field is held inside its
    // range before it is used.
    return {std::clamp(m.year, 1, 9999), std::clamp(m.month, 1, 12), std::clamp(m.day, 1, 31),
            std::clamp(m.hour, 0, 23), std::clamp(m.minute, 0, 59)};
}

bool IsRealMoment(const CalendarMoment& m) {
    return m.year >= 1 && m.year <= 9999 && m.month >= 1 && m.month <= 12 && m.day >= 1 &&
           m.day <= MonthLength(m.year, m.month) && m.hour >= 0 && m.hour <= 23 && m.minute >= 0 &&
           m.minute <= 59;
}

int64_t MinutesBetween(const CalendarMoment& from, const CalendarMoment& to) {
    if (MomentKey(from) > MomentKey(to)) return -MinutesBetween(to, from);
    int64_t days = 0;
    int64_t minutes = 0;
    CountDaysAndMinutes(from, to, days, minutes);
    return days * 1440 + minutes;
}

CalendarMoment AddMinutes(const CalendarMoment& m, int64_t minutes) {
    int64_t ofDay = int64_t{m.hour} * 60 + m.minute + minutes;
    // Whole days to walk, rounded towards minus infinity, and what is left of the day.
    int64_t days = ofDay / 1440;
    ofDay %= 1440;
    if (ofDay < 0) {
        ofDay += 1440;
        --days;
    }
    CalendarMoment out{m.year, m.month, m.day, static_cast<int32_t>(ofDay / 60),
                       static_cast<int32_t>(ofDay % 60)};
    while (days > 0) {
        const int64_t leftInMonth = MonthLength(out.year, out.month) - out.day;
        if (days <= leftInMonth) {
            out.day += static_cast<int32_t>(days);
            break;
        }
        days -= leftInMonth + 1;
        out.day = 1;
        if (++out.month > 12) {
            out.month = 1;
            ++out.year;
        }
    }
    while (days < 0) {
        if (-days < out.day) {
            out.day += static_cast<int32_t>(days);
            break;
        }
        days += out.day;
        if (--out.month < 1) {
            out.month = 12;
            --out.year;
        }
        out.day = MonthLength(out.year, out.month);
    }
    return out;
}

CalendarMoment MonthsAfter(const CalendarMoment& from, int32_t months) {
    const int64_t index = int64_t{from.year} * 12 + (from.month - 1) + months;
    CalendarMoment out = from;
    out.year = static_cast<int32_t>(index / 12);
    out.month = static_cast<int32_t>(index % 12) + 1;
    if (from.day <= MonthLength(out.year, out.month)) return out;
    // No such day in that month: the breakdown borrows the longer month and
    // turns at the first minute of the next one.
    out.day = 1;
    out.hour = 0;
    out.minute = 0;
    if (++out.month > 12) {
        out.month = 1;
        ++out.year;
    }
    return out;
}

namespace {

// Days from 1 March of year 0 to the date, by 400-year cycles of 146097 days
// (the Gregorian rule of IsLeapYear), and back.
int64_t DayNumber(int64_t year, int32_t month, int32_t day) {
    if (month <= 2) --year;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
}

void DateOfDayNumber(int64_t number, int64_t& year, int32_t& month, int32_t& day) {
    const int64_t era = (number >= 0 ? number : number - 146096) / 146097;
    const int64_t dayOfEra = number - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int32_t>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int32_t>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

CalendarMoment MomentAfter(const CalendarMoment& storedStart, int64_t minutes) {
    const CalendarMoment start = WithinCalendar(storedStart);
    const int64_t total = DayNumber(start.year, start.month, start.day) * 1440 + int64_t{start.hour} * 60 +
                          start.minute + std::max<int64_t>(minutes, 0);
    int64_t year = 0;
    CalendarMoment m;
    DateOfDayNumber(total / 1440, year, m.month, m.day);
    m.year = static_cast<int32_t>(std::clamp<int64_t>(year, INT32_MIN, INT32_MAX));
    m.hour = static_cast<int32_t>(total % 1440 / 60);
    m.minute = static_cast<int32_t>(total % 60);
    return m;
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
    int64_t days = 0;
    int64_t minutes = 0;
    CountDaysAndMinutes(quit, now, days, minutes);
    e.minutes = SaturateToInt32(static_cast<double>(days * 1440 + minutes));
    e.time = BreakDownElapsed(quit, now);
    return e;
}

int32_t ElapsedDays(int32_t elapsedMinutes) {
    return static_cast<int32_t>(std::floor(elapsedMinutes / 1440.0));
}

void AppendDaysHoursMinutes(std::string& out, int64_t days, std::string_view dayUnit, int32_t hours,
                            int32_t minutes) {
    AppendFullWidth(out, days);
    out += dayUnit;
    AppendFullWidth(out, hours);
    out += "時間";
    AppendFullWidth(out, minutes);
    out += "分";
}

std::string FormatElapsedFull(const ElapsedTime& t) {
    std::string out;
    out.reserve(64);
    AppendFullWidth(out, t.years);
    out += "年";
    AppendFullWidth(out, t.months);
    out += "ヶ月";
    AppendDaysHoursMinutes(out, t.days, "日", t.hours, t.minutes);
    return out;
}

std::string FormatElapsedTotalDays(int32_t elapsedMinutes, const ElapsedTime& t) {
    std::string out;
    out.reserve(48);
    AppendDaysHoursMinutes(out, ElapsedDays(elapsedMinutes), "日", t.hours, t.minutes);
    return out;
}

}  // namespace kemless
