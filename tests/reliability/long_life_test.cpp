// Fifty years of refreshes on an injected clock: the figures that only ever
// grow do grow (or stay), the elapsed time is exact to the minute all along,
// and the heap does not creep.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <random>
#include <string>

#include "display/refresh.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; GCC ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace kemless {
namespace {

// Days since 1970-01-01 of a Gregorian date, and back (Hinnant's algorithms),
// an independent count to hold the program's own calendar against.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CalendarMoment MomentAt(int64_t minutesSinceEpoch) {
    int64_t z = minutesSinceEpoch / 1440 + 719468;
    const int64_t minuteOfDay = minutesSinceEpoch % 1440;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2);
    return {static_cast<int32_t>(y), static_cast<int32_t>(m), static_cast<int32_t>(d),
            static_cast<int32_t>(minuteOfDay / 60), static_cast<int32_t>(minuteOfDay % 60)};
}

int64_t MinutesOf(const CalendarMoment& m) {
    return DaysFromCivil(m.year, m.month, m.day) * 1440 + m.hour * 60 + m.minute;
}

size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// The leading decimal number of a caption (half-width digits), e.g. "9150" of
// "9150円（節税分 5307円）", and the one after `marker`.
double NumberAt(const std::string& text, size_t from = 0) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str() + from, &end);
    EXPECT_NE(end, text.c_str() + from) << "no number in [" << text << "] at " << from;
    return v;
}
double NumberAfter(const std::string& text, const std::string& marker) {
    const size_t at = text.find(marker);
    EXPECT_NE(at, std::string::npos) << marker << " not in [" << text << "]";
    return at == std::string::npos ? 0 : NumberAt(text, at + marker.size());
}

// What must never go down while time goes forward.
struct Figures {
    int64_t elapsedMinutes = 0;
    int32_t years = 0;
    double money = 0;
    double taxShare = 0;
    int32_t lifeMinutes = 0;
    double cigarettes = 0;
    double metres = 0;
    Rgb lungColor;
    size_t ducks = 0;

    static Figures Of(const DisplayState& s) {
        Figures f;
        f.elapsedMinutes = s.elapsedMinutes;
        f.years = s.elapsed.years;
        f.money = NumberAt(s.captions[kMoneyLabel]);
        f.taxShare = NumberAfter(s.captions[kMoneyLabel], "節税分");
        f.lifeMinutes = s.lifeMinutesGained;
        f.cigarettes = NumberAt(s.captions[kUnsmokedLabel]);
        f.metres = NumberAfter(s.captions[kUnsmokedLabel], "本 ");
        f.lungColor = s.lungColor;
        f.ducks = s.ducks.visible.size();
        return f;
    }
};

void ExpectNoneWentDown(const Figures& before, const Figures& now, const std::string& when) {
    EXPECT_GE(now.elapsedMinutes, before.elapsedMinutes) << when;
    EXPECT_GE(now.years, before.years) << when;
    EXPECT_GE(now.money, before.money) << when;
    EXPECT_GE(now.taxShare, before.taxShare) << when;
    EXPECT_GE(now.lifeMinutes, before.lifeMinutes) << when;
    EXPECT_GE(now.cigarettes, before.cigarettes) << when;
    EXPECT_GE(now.metres, before.metres) << when;
    // The lungs only get pinker: red first, then green and blue together.
    EXPECT_GE(now.lungColor.red(), before.lungColor.red()) << when;
    EXPECT_GE(now.lungColor.green(), before.lungColor.green()) << when;
    EXPECT_GE(now.lungColor.blue(), before.lungColor.blue()) << when;
    EXPECT_GE(now.ducks, before.ducks) << when;
}

struct Profile {
    const char* name;
    int32_t perDay, price, size, taxRate;
};

void PrintTo(const Profile& p, std::ostream* os) { *os << p.name; }

class LongLife : public ::testing::TestWithParam<Profile> {};

TEST_P(LongLife, TenThousandRefreshesOverFiftyYears) {
    const Profile& p = GetParam();
    InitialSettings initial;
    initial.quit = {2026, 2, 28, 23, 59};  // next to a month end and a leap day
    initial.cigarettesPerDay = p.perDay;
    initial.packPrice = p.price;
    initial.cigaretteSize = p.size;
    OptionSettings options;
    options.taxRatePercent = p.taxRate;
    options.showBoxCount = false;  // the count line then always starts with the cigarettes

    const int64_t quit = MinutesOf(initial.quit);
    const int64_t span = MinutesOf({2076, 2, 28, 23, 59}) - quit;
    constexpr int kRefreshes = 10000;
    // Uneven steps, so refreshes also land on month ends, midnights and leap days.
    std::mt19937 random(7);
    std::uniform_int_distribution<int64_t> step(1, 2 * span / kRefreshes - 1);

    DisplayState state;
    RefreshDisplay(state, initial, options, initial.quit, 0);
    Figures last = Figures::Of(state);
    EXPECT_EQ(last.elapsedMinutes, 0);
    EXPECT_EQ(last.money, 0);
    size_t heapAfterWarmUp = 0;
    int64_t offset = 0;
    for (int i = 1; i <= kRefreshes; ++i) {
        offset = i == kRefreshes ? span : std::min(span, offset + step(random));
        const CalendarMoment now = MomentAt(quit + offset);
        RefreshDisplay(state, initial, options, now, i % 100);
        const std::string when = "refresh " + std::to_string(i) + " at " + std::to_string(now.year) + "-" +
                                 std::to_string(now.month) + "-" + std::to_string(now.day) + " " +
                                 std::to_string(now.hour) + ":" + std::to_string(now.minute);
        ASSERT_EQ(state.elapsedMinutes, offset) << when;
        // The calendar breakdown agrees with the minute count within the day.
        ASSERT_EQ(state.elapsed.hours * 60 + state.elapsed.minutes, offset % 1440) << when;
        ASSERT_FALSE(state.miniText.empty()) << when;
        const Figures f = Figures::Of(state);
        ExpectNoneWentDown(last, f, when);
        if (::testing::Test::HasFailure()) return;
        last = f;
        if (i == 1000) heapAfterWarmUp = HeapInUse();
    }
    EXPECT_EQ(last.years, 50);
    EXPECT_EQ(options.taxRatePercent, p.taxRate < 0 || p.taxRate > 100 ? 58 : p.taxRate);
    // Longer numbers make the captions a few bytes longer; nothing else may grow.
    const size_t heapAtEnd = HeapInUse();
    EXPECT_LT(heapAtEnd, heapAfterWarmUp + 16 * 1024)
        << "heap grew from " << heapAfterWarmUp << " to " << heapAtEnd;
}

INSTANTIATE_TEST_SUITE_P(Reliability, LongLife,
                         ::testing::Values(Profile{"defaults", 20, 300, kStandard, 58},
                                           Profile{"lowest_the_dialogs_take", 1, 1, kShort, 0},
                                           Profile{"highest_the_dialogs_take", 200, 2000, kLong, 100},
                                           Profile{"tax_rate_out_of_range", 35, 580, kStandard, 101}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kemless
