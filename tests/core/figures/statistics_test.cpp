#include "figures/statistics.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kemless {
namespace {

struct StatsCase {
    const char* name;
    int32_t minutes, perDay, price, tax;
    double money, taxShare;
    const char* moneyLine;
    int32_t life;
    const char* lifeLine;
};

void PrintTo(const StatsCase& c, std::ostream* os) { *os << c.name; }

class Statistics : public ::testing::TestWithParam<StatsCase> {};

TEST_P(Statistics, MoneyTaxAndLife) {
    const StatsCase& c = GetParam();
    const QuitStatistics s = ComputeStatistics(c.minutes, c.perDay, c.price, RepairTaxRate(c.tax));
    EXPECT_EQ(s.moneySaved, c.money);
    EXPECT_EQ(s.taxShare, c.taxShare);
    EXPECT_EQ(s.moneyLine, c.moneyLine);
    EXPECT_EQ(s.lifeMinutesGained, c.life);
    EXPECT_EQ(s.lifeLine, c.lifeLine);
}

INSTANTIATE_TEST_SUITE_P(
    Quit, Statistics,
    ::testing::Values(
        StatsCase{"quit_just_now", 0, 20, 300, 58, 0, 0, "0円（節税分 0円）", 0, "０日と０時間０分"},
        StatsCase{"one_day", 1440, 20, 300, 58, 300, 174, "300円（節税分 174円）", 110, "０日と１時間５０分"},
        StatsCase{"thirty_and_a_half_days", 43920, 20, 300, 58, 9150, 5307, "9150円（節税分 5307円）", 3355, "２日と７時間５５分"},
        StatsCase{"one_year_at_440_yen", 525600, 20, 440, 58, 160600, 93148, "160600円（節税分 93148円）", 40150, "２７日と２１時間１０分"},
        StatsCase{"product_just_below_25", 240, 10, 300, 58, 24, 13, "24円（節税分 13円）", 9, "０日と０時間９分"},
        StatsCase{"life_1000_not_1001", 20160, 13, 300, 58, 2730, 1583, "2730円（節税分 1583円）", 1000, "０日と１６時間４０分"},
        StatsCase{"tax_101_repaired_to_58", 1440, 20, 300, 101, 300, 174, "300円（節税分 174円）", 110, "０日と１時間５０分"},
        StatsCase{"tax_minus_1_repaired_to_58", 1440, 20, 300, -1, 300, 174, "300円（節税分 174円）", 110, "０日と１時間５０分"},
        StatsCase{"tax_100_kept", 1440, 20, 300, 100, 300, 300, "300円（節税分 300円）", 110, "０日と１時間５０分"},
        StatsCase{"tax_0_kept", 1440, 20, 300, 0, 300, 0, "300円（節税分 0円）", 110, "０日と１時間５０分"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Statistics, TaxShareFollowsDoubleArithmetic) {
    // 0.58 * 100 is just below 58 in double precision.
    EXPECT_EQ(ComputeStatistics(1440 * 100, 20, 1, 58).taxShare, 57);
    EXPECT_EQ(ComputeStatistics(1440 * 50, 20, 1, 58).taxShare, 28);
}

TEST(Statistics, SavingsSentenceIsFullWidth) {
    EXPECT_EQ(ComputeStatistics(43920, 20, 300, 58).savingsSummary, "節約できた金額は９１５０円です。");
}

TEST(Statistics, HostileSettingsDoNotOverflow) {
    const QuitStatistics s = ComputeStatistics(2147483647, 2147483647, 2147483647, 58);
    EXPECT_GT(s.moneySaved, 1e20);
    EXPECT_EQ(s.lifeMinutesGained, 2147483647);
    EXPECT_FALSE(s.moneyLine.empty());
    EXPECT_EQ(s.moneyLine.find('e'), std::string::npos);  // never an exponent
}

}  // namespace
}  // namespace kemless
