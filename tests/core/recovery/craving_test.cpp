#include "recovery/craving.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "display/refresh.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

struct MomentCase {
    const char* name;
    int64_t elapsedMs;
    bool finished;
    int32_t secondsLeft;
    const char* countdown;
    bool announce;
    int32_t permille;
    const char* breathWord;
    int32_t breathSize;
};
void PrintTo(const MomentCase& c, std::ostream* os) { *os << c.name; }
class CravingCountdown : public ::testing::TestWithParam<MomentCase> {};

TEST_P(CravingCountdown, CountdownAndBreath) {
    const MomentCase& c = GetParam();
    const CravingMoment m = CravingAt(c.elapsedMs);
    EXPECT_EQ(m.finished, c.finished);
    EXPECT_EQ(m.secondsLeft, c.secondsLeft);
    EXPECT_EQ(m.countdown, c.countdown);
    EXPECT_EQ(m.announce, c.announce);
    EXPECT_EQ(m.permille, c.permille);
    EXPECT_EQ(m.breathWord, c.breathWord);
    EXPECT_EQ(m.breathSize, c.breathSize);
    // In two sizes: full while breathing in, empty while out and at the end.
    EXPECT_EQ(m.breathStep, c.breathWord == std::string("吸って") ? 1000 : 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Craving, CravingCountdown,
    ::testing::Values(
        MomentCase{"opened", 0, false, 300, "あと５分", true, 0, "吸って", 0},
        MomentCase{"a_clock_before_the_start_is_the_start", -5000, false, 300, "あと５分", true, 0, "吸って", 0},
        MomentCase{"the_first_second_rounds_up", 999, false, 300, "あと５分", true, 3, "吸って", 146},
        MomentCase{"one_second_gone", 1000, false, 299, "あと４分５９秒", false, 3, "吸って", 146},
        MomentCase{"halfway_in", 2000, false, 298, "あと４分５８秒", false, 6, "吸って", 500},
        MomentCase{"full_breath_turns_to_out", 4000, false, 296, "あと４分５６秒", false, 13, "吐いて", 1000},
        MomentCase{"halfway_out", 7000, false, 293, "あと４分５３秒", false, 23, "吐いて", 500},
        MomentCase{"next_breath_in", 10000, false, 290, "あと４分５０秒", false, 33, "吸って", 0},
        MomentCase{"whole_minute", 240000, false, 60, "あと１分", true, 800, "吸って", 0},
        MomentCase{"seconds_only", 270500, false, 30, "あと３０秒", false, 901, "吸って", 38},
        MomentCase{"last_second", 299001, false, 1, "あと１秒", false, 996, "吐いて", 67},
        MomentCase{"five_minutes", 300000, true, 0, "５分たちました", true, 1000, "", 0},
        MomentCase{"long_after", 3600000, true, 0, "５分たちました", true, 1000, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(CravingCountdown, TheBreathGrowsInAndShrinksOut) {
    int32_t last = -1;
    for (int64_t ms = 0; ms < kBreathInMs; ms += 100) {
        const CravingMoment m = CravingAt(ms);
        EXPECT_EQ(m.breath, Breath::In);
        EXPECT_GE(m.breathSize, last);
        last = m.breathSize;
    }
    // Full at the turn, then out.
    EXPECT_EQ(CravingAt(kBreathInMs).breathSize, 1000);
    last = 1000;
    for (int64_t ms = kBreathInMs; ms < kBreathInMs + kBreathOutMs; ms += 100) {
        const CravingMoment m = CravingAt(ms);
        EXPECT_EQ(m.breath, Breath::Out);
        EXPECT_LE(m.breathSize, last);
        last = m.breathSize;
    }
}

}  // namespace
}  // namespace kemless
