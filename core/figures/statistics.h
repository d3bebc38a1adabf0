#pragma once
// Money not spent, its tax share and the lifetime won back. All arithmetic is
// IEEE double in a fixed order: the order decides the last yen and minute at
// exact boundaries (24 yen, not 25; 1000 minutes, not 1001).
#include <cstdint>
#include <string>

namespace kemless {

inline constexpr int32_t kDefaultTaxRate = 58;

// A tax rate outside 0..100 is replaced by the default.
int32_t RepairTaxRate(int32_t taxRatePercent);

struct QuitStatistics {
    double moneySaved = 0;  // yen, a whole number
    double taxShare = 0;    // yen, a whole number
    int32_t lifeMinutesGained = 0;
    std::string moneyLine;       // "9150円（節税分 5307円）"
    std::string savingsSummary;  // "節約できた金額は９１５０円です。"
    std::string lifeLine;        // "２日と７時間５５分"
};

// `taxRatePercent` must already be repaired.
QuitStatistics ComputeStatistics(int32_t elapsedMinutes, int32_t cigarettesPerDay, int32_t packPrice,
                                 int32_t taxRatePercent);

// 5.5 minutes for each cigarette not smoked, fractional cigarettes counted.
int32_t LifeMinutesGained(int32_t elapsedMinutes, int32_t cigarettesPerDay);

// The lifetime won back as whole days (rounded down), hours and minutes; the
// main window shows them full-width, the summary text half-width.
struct LifeParts {
    int64_t days = 0;
    int32_t hours = 0;
    int32_t minutes = 0;
};
LifeParts SplitLifeMinutes(int32_t lifeMinutesGained);
std::string FormatLifeLine(int32_t lifeMinutesGained);

}  // namespace kemless
