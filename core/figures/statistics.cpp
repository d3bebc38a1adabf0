#include "figures/statistics.h"

#include <cmath>

#include "basics/saturate.h"
#include "basics/text.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

constexpr double kMinutesPerDay = 24 * 60;

}  // namespace

int32_t RepairTaxRate(int32_t taxRatePercent) {
    return (taxRatePercent < 0 || taxRatePercent > 100) ? kDefaultTaxRate : taxRatePercent;
}

int32_t LifeMinutesGained(int32_t elapsedMinutes, int32_t cigarettesPerDay) {
    return FloorToInt32(((cigarettesPerDay / kMinutesPerDay) * elapsedMinutes) * 5.5);
}

LifeParts SplitLifeMinutes(int32_t g) {
    return {static_cast<int64_t>(std::floor(g / kMinutesPerDay)), (g % 1440) / 60, g % 60};
}

std::string FormatLifeLine(int32_t lifeMinutesGained) {
    const LifeParts life = SplitLifeMinutes(lifeMinutesGained);
    std::string out;
    out.reserve(48);
    AppendDaysHoursMinutes(out, life.days, "日と", life.hours, life.minutes);
    return out;
}

QuitStatistics ComputeStatistics(int32_t elapsedMinutes, int32_t cigarettesPerDay, int32_t packPrice,
                                 int32_t taxRatePercent) {
    QuitStatistics s;
    s.moneySaved = std::floor(((elapsedMinutes / 1440.0) * cigarettesPerDay) * (packPrice / 20.0));
    s.taxShare = std::floor((taxRatePercent / 100.0) * s.moneySaved);
    // The sign-position form without its blank: plain decimal digits.
    const std::string money = DecimalWhole(s.moneySaved);
    s.moneyLine.reserve(48);
    s.moneyLine.append(money).append("円（節税分").append(SignPositioned(s.taxShare)).append("円）");
    s.savingsSummary.reserve(64);
    s.savingsSummary.append("節約できた金額は").append(ToFullWidth(money)).append("円です。");
    s.lifeMinutesGained = LifeMinutesGained(elapsedMinutes, cigarettesPerDay);
    s.lifeLine = FormatLifeLine(s.lifeMinutesGained);
    return s;
}

}  // namespace kemless
