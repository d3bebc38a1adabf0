// The system clock: its draw feeds the message of the day.
#include "session/system_clock.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <string>

#include "content/daily_messages.h"

namespace kemless {
namespace {

// The draw is reseeded from the clock before every call; a coarse clock or a
// lost reseed would repeat one value and freeze the message of the day. Over
// 2,000 uniform draws each of the 100 values is expected 20 times, so every
// bound below fails only for a draw that does not vary.
TEST(ClockDraw, VariesOverTheWholeRange) {
    SystemClock clock;
    constexpr int kDraws = 2000;
    std::map<int, int> counts;
    int changes = 0;
    int previous = -1;
    for (int i = 0; i < kDraws; ++i) {
        const int r = clock.draw();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 99);
        ++counts[r];
        if (i > 0 && r != previous) ++changes;
        previous = r;
    }
    EXPECT_GE(counts.size(), 90u) << "distinct values in " << kDraws << " draws";
    EXPECT_GT(changes, kDraws / 2) << "draws that differ from the one before";
    std::array<int, 10> tenths{};
    for (const auto& [value, count] : counts) {
        tenths[value / 10] += count;
        EXPECT_LE(count, kDraws / 20) << "value " << value;
    }
    for (int tenth = 0; tenth < 10; ++tenth)
        EXPECT_GE(tenths[tenth], kDraws / 20) << "draws in " << tenth * 10 << "..";

    // What the user sees of it: the first day's message shows all its variants.
    const auto messages = DailyMessages();
    const std::set<std::string> dayOne = {messages[1], messages[48], messages[49], messages[50]};
    std::set<std::string> shown;
    for (int i = 0; i < kDraws && shown.size() < dayOne.size(); ++i)
        shown.insert(PickDailyMessage(1, 0, 0, clock.draw()));
    EXPECT_EQ(shown, dayOne);
}

TEST(ClockNow, IsAValidLocalMoment) {
    const CalendarMoment now = SystemClock().now();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_GE(now.hour, 0);
    EXPECT_LE(now.hour, 23);
    EXPECT_GE(now.minute, 0);
    EXPECT_LE(now.minute, 59);
}

}  // namespace
}  // namespace kemless
