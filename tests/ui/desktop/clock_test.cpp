// The real clock: its draw feeds the message of the day.
#include "desktop/clock.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "content/daily_messages.h"

namespace kemless {
namespace {

TEST(ClockDraw, StaysWithinZeroTo99) {
    Clock clock;
    for (int i = 0; i < 1000; ++i) {
        const int r = clock.draw();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 99);
    }
}

TEST(ClockDraw, PickWithTheClocksDrawGivesOneOfTheDayOneTexts) {
    Clock clock;
    const auto messages = DailyMessages();
    const std::set<std::string> dayOne = {messages[1], messages[48], messages[49], messages[50]};
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(dayOne.contains(PickDailyMessage(1, 0, 0, clock.draw())));
}

TEST(ClockNow, IsAValidLocalMoment) {
    const CalendarMoment now = Clock().now();
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
