#include "figures/calendar.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/calendar.h"

namespace kemless {
namespace {

struct SpanCase {
    const char* name;
    CalendarMoment quit;
    CalendarMoment now;
    int32_t minutes;
    int32_t days;
    ElapsedTime breakdown;
};

void PrintTo(const SpanCase& c, std::ostream* os) { *os << c.name; }

class ElapsedSpan : public ::testing::TestWithParam<SpanCase> {};

TEST_P(ElapsedSpan, MinutesDaysAndBreakdown) {
    const SpanCase& c = GetParam();
    const Elapsed e = ComputeElapsed(c.quit, c.now);
    EXPECT_EQ(e.minutes, c.minutes);
    EXPECT_EQ(ElapsedDays(e.minutes), c.days);
    EXPECT_EQ(e.time, c.breakdown);
    // Hours and minutes of the breakdown always agree with the exact total.
    EXPECT_EQ(e.time.hours * 60 + e.time.minutes, e.minutes % 1440);
}

INSTANTIATE_TEST_SUITE_P(
    Calendar, ElapsedSpan,
    ::testing::Values(
        SpanCase{"same_minute", {2014, 3, 14, 12, 0}, {2014, 3, 14, 12, 0}, 0, 0, {0, 0, 0, 0, 0}},
        SpanCase{"one_minute_across_year_end", {2013, 12, 31, 23, 59}, {2014, 1, 1, 0, 0}, 1, 0, {0, 0, 0, 0, 1}},
        SpanCase{"quit_later_in_day_than_now", {2014, 3, 10, 23, 50}, {2014, 3, 11, 0, 10}, 20, 0, {0, 0, 0, 0, 20}},
        SpanCase{"across_year_end", {2013, 12, 20, 22, 0}, {2014, 1, 5, 6, 15}, 22095, 15, {0, 0, 15, 8, 15}},
        SpanCase{"quit_on_31st_across_february", {2014, 1, 31, 9, 0}, {2014, 3, 5, 8, 30}, 47490, 32, {0, 1, 4, 23, 30}},
        SpanCase{"borrow_month_is_january_not_february", {2014, 1, 15, 8, 0}, {2014, 3, 10, 8, 0}, 77760, 54, {0, 1, 26, 0, 0}},
        SpanCase{"january_30th_common_year", {2013, 1, 30, 12, 0}, {2013, 3, 1, 12, 0}, 43200, 30, {0, 1, 2, 0, 0}},
        SpanCase{"january_30th_leap_year", {2012, 1, 30, 12, 0}, {2012, 3, 1, 12, 0}, 44640, 31, {0, 1, 2, 0, 0}},
        SpanCase{"january_31st_to_february_28th", {2014, 1, 31, 12, 0}, {2014, 2, 28, 12, 0}, 40320, 28, {0, 0, 28, 0, 0}},
        SpanCase{"quit_on_31st_after_30_day_month", {2014, 3, 31, 10, 0}, {2014, 5, 1, 10, 0}, 44640, 31, {0, 1, 1, 0, 0}},
        SpanCase{"minute_borrow_cascades_to_day", {2014, 2, 1, 0, 20}, {2014, 3, 1, 0, 10}, 40310, 27, {0, 0, 27, 23, 50}},
        SpanCase{"leap_day_to_next_february_28th", {2012, 2, 29, 12, 0}, {2013, 2, 28, 12, 0}, 525600, 365, {0, 11, 30, 0, 0}},
        SpanCase{"year_2000_is_leap", {2000, 2, 1, 0, 0}, {2000, 3, 1, 0, 0}, 29 * 1440, 29, {0, 1, 0, 0, 0}},
        SpanCase{"year_1900_is_common", {1900, 2, 1, 0, 0}, {1900, 3, 1, 0, 0}, 28 * 1440, 28, {0, 1, 0, 0, 0}},
        SpanCase{"span_over_2100_february", {2100, 1, 15, 0, 0}, {2100, 4, 15, 0, 0}, (31 + 28 + 31) * 1440, 90, {0, 3, 0, 0, 0}},
        SpanCase{"whole_years", {2014, 3, 14, 21, 5}, {2024, 3, 14, 21, 5}, 3653 * 1440, 3653, {10, 0, 0, 0, 0}},
        SpanCase{"quit_after_now_shows_zero", {2014, 3, 14, 18, 0}, {2014, 3, 14, 9, 0}, 0, 0, {0, 0, 0, 0, 0}},
        SpanCase{"quit_month_after_now_shows_zero", {2015, 1, 1, 0, 0}, {2014, 12, 31, 23, 59}, 0, 0, {0, 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CountDaysAndMinutes, MatchesMinuteByMinuteCountOverManyYears) {
    // The 400-year shortcut and the month walk must agree with plain counting.
    auto daysFromCivil = [](int64_t y, int64_t m, int64_t d) {
        y -= m <= 2;
        const int64_t era = (y >= 0 ? y : y - 399) / 400;
        const int64_t yoe = y - era * 400;
        const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe;
    };
    const CalendarMoment quits[] = {{1, 1, 1, 0, 0}, {1200, 2, 29, 7, 7}, {1899, 12, 31, 23, 59}, {2000, 2, 29, 0, 0}};
    const CalendarMoment now{2026, 12, 10, 2, 13};
    for (const auto& q : quits) {
        const Elapsed e = ComputeElapsed(q, now);
        const int64_t expected = (daysFromCivil(now.year, now.month, now.day) - daysFromCivil(q.year, q.month, q.day)) * 1440 +
                                 (now.hour * 60 + now.minute) - (q.hour * 60 + q.minute);
        EXPECT_EQ(e.minutes, expected) << q.year;
    }
}

TEST(ComputeElapsed, HostileFieldsNeverIndexOutsideTheMonthTable) {
    const CalendarMoment now{2026, 12, 10, 12, 0};
    for (const CalendarMoment& q : {CalendarMoment{2026, 13, 1, 0, 0}, CalendarMoment{2026, 0, 0, -5, -5},
                                    CalendarMoment{-2147483647, -9, 99, 99, 99},
                                    CalendarMoment{2147483647, 12, 31, 23, 59}}) {
        const Elapsed e = ComputeElapsed(q, now);
        EXPECT_GE(e.minutes, 0);
        EXPECT_GE(e.time.years, 0);
    }
}

TEST(ElapsedTexts, FullAndTotalDaysForms) {
    const Elapsed e = ComputeElapsed({2014, 1, 31, 9, 0}, {2014, 3, 5, 8, 30});
    EXPECT_EQ(FormatElapsedFull(e.time), "０年１ヶ月４日２３時間３０分");
    EXPECT_EQ(FormatElapsedTotalDays(e.minutes, e.time), "３２日２３時間３０分");
    EXPECT_EQ(FormatElapsedFull(ElapsedTime{}), "０年０ヶ月０日０時間０分");
}

TEST(MomentAfter, CountsAsTheElapsedTimeDoes) {
    // Starts on awkward dates, steps of every size: the moment m minutes on
    // is m minutes on by the program's own count and by an independent one.
    const CalendarMoment starts[] = {{2024, 1, 31, 9, 0},  {2024, 2, 29, 23, 59}, {1970, 1, 1, 0, 0},   
                                     {2099, 12, 31, 23, 0}, {2000, 3, 1, 0, 1},   {9999, 12, 1, 0, 0}};
    const int64_t steps[] = {0, 1, 59, 60, 1439, 1440, 44640, 525600, 527040, 52'596'000, 2'000'000'000};
    for (const CalendarMoment& start : starts) {
        for (const int64_t m : steps) {
            const CalendarMoment after = MomentAfter(start, m);
            EXPECT_EQ(after, MinutesAfter(start, m)) << start.year << "-" << start.month << " + " << m;
            if (after.year <= 9999) {
                EXPECT_EQ(ComputeElapsed(start, after).minutes, m) << start.year << "-" << start.month << " + " << m;
            }
        }
    }
    EXPECT_EQ(MomentAfter({2024, 3, 1, 12, 0}, -5), (CalendarMoment{2024, 3, 1, 12, 0}));
}

TEST(LeapRule, GregorianCenturies) {
    for (auto [year, length] : {std::pair{2000, 29}, {1900, 28}, {2100, 28}, {2004, 29}, {2400, 29}}) {
        EXPECT_EQ(MonthLength(year, 2), length) << year;
        EXPECT_EQ(IsLeapYear(year), length == 29) << year;
    }
    EXPECT_EQ(MonthLength(2023, 2), 28);
}

TEST(MonthLength, EveryMonthAndTheDecemberBeforeJanuary) {
    const int32_t lengths[] = {31, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int32_t month = 0; month <= 12; ++month) EXPECT_EQ(MonthLength(2014, month), lengths[month]) << month;
}

// Steps on the calendar, held against an independent count of it.
TEST(AddMinutes, AgreesWithAnIndependentCountBothWays) {
    const CalendarMoment starts[] = {{2024, 2, 28, 23, 59}, {2023, 12, 31, 23, 59}, {2024, 3, 1, 0, 0},
                                     {1999, 12, 31, 12, 30}, {2100, 2, 28, 6, 0},   {2024, 1, 31, 9, 0}};
    const int64_t steps[] = {0, 1, -1, 1439, 1440, -1440, 20, 8 * 60, 3 * 1440, 14 * 1440, -28 * 1440,
                             400 * 1440 + 7, -(366 * 1440 + 1), 15LL * 366 * 1440};
    for (const CalendarMoment& start : starts)
        for (const int64_t minutes : steps) {
            EXPECT_EQ(AddMinutes(start, minutes), MinutesAfter(start, minutes)) << start.year << " " << minutes;
            EXPECT_EQ(MinutesBetween(start, AddMinutes(start, minutes)), minutes);
            EXPECT_EQ(MinutesBetween(AddMinutes(start, minutes), start), -minutes);
        }
}

struct MonthsCase {
    const char* name;
    CalendarMoment from;
    int32_t months;
    CalendarMoment expected;
};
void PrintTo(const MonthsCase& c, std::ostream* os) { *os << c.name; }
class MonthsAfterCase : public ::testing::TestWithParam<MonthsCase> {};

TEST_P(MonthsAfterCase, TheMinuteTheBreakdownTurnsItsMonth) {
    const MonthsCase& c = GetParam();
    EXPECT_EQ(MonthsAfter(c.from, c.months), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Calendar, MonthsAfterCase,
    ::testing::Values(
        MonthsCase{"same_day_next_month", {2014, 1, 15, 8, 0}, 1, {2014, 2, 15, 8, 0}},
        MonthsCase{"31st_into_february_turns_on_march_1st", {2014, 1, 31, 9, 0}, 1, {2014, 3, 1, 0, 0}},
        MonthsCase{"30th_into_leap_february", {2024, 1, 30, 12, 0}, 1, {2024, 3, 1, 0, 0}},
        MonthsCase{"29th_into_leap_february_exists", {2024, 1, 29, 12, 0}, 1, {2024, 2, 29, 12, 0}},
        MonthsCase{"31st_into_a_30_day_month", {2014, 3, 31, 10, 0}, 1, {2014, 5, 1, 0, 0}},
        MonthsCase{"31st_two_months_on_exists", {2014, 1, 31, 10, 0}, 2, {2014, 3, 31, 10, 0}},
        MonthsCase{"across_the_year_end", {2023, 12, 31, 23, 59}, 2, {2024, 3, 1, 0, 0}},
        MonthsCase{"leap_day_one_year_on", {2024, 2, 29, 12, 0}, 12, {2025, 3, 1, 0, 0}},
        MonthsCase{"leap_day_four_years_on", {2024, 2, 29, 12, 0}, 48, {2028, 2, 29, 12, 0}},
        MonthsCase{"ten_years", {2014, 3, 14, 21, 5}, 120, {2024, 3, 14, 21, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever the day and time of the quit, the breakdown shows the full
// months at MonthsAfter and not a minute earlier: the two never disagree.
TEST(MonthsAfter, IsWhereTheElapsedLineShowsTheMonths) {
    for (CalendarMoment day{2023, 1, 1, 0, 0}; day.year < 2025; day = MinutesAfter(day, 1440)) {
        for (const auto& [hour, minute] : {std::pair{0, 0}, {9, 30}, {23, 59}}) {
            const CalendarMoment quit{day.year, day.month, day.day, hour, minute};
            for (const int32_t months : {1, 2, 3, 9, 11, 12, 13, 24, 48, 60, 120}) {
                const CalendarMoment at = MonthsAfter(quit, months);
                const ElapsedTime on = BreakDownElapsed(quit, at);
                const ElapsedTime before = BreakDownElapsed(quit, MinutesAfter(at, -1));
                ASSERT_GE(on.years * 12 + on.months, months) << MomentKey(quit) << " +" << months;
                ASSERT_LT(before.years * 12 + before.months, months) << MomentKey(quit) << " +" << months;
            }
        }
    }
}

TEST(IsRealMoment, TheDayMustExistInItsMonth) {
    EXPECT_TRUE(IsRealMoment({2024, 2, 29, 23, 59}));
    EXPECT_FALSE(IsRealMoment({2023, 2, 29, 0, 0}));
    EXPECT_FALSE(IsRealMoment({2024, 4, 31, 0, 0}));
    EXPECT_FALSE(IsRealMoment({2024, 13, 1, 0, 0}));
    EXPECT_FALSE(IsRealMoment({2024, 1, 1, 24, 0}));
    EXPECT_FALSE(IsRealMoment({2024, 1, 1, 0, -1}));
}

}  // namespace
}  // namespace kemless
