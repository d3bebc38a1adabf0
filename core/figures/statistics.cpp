#include "figures/statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "figures/number_text.h"

namespace kemless {
namespace {

constexpr double kMinutesPerDay = 24 * 60;

int32_t FloorToInt32(double v) {
    const double f = std::floor(v);
    if (!(f >= std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    if (f > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(f);
}

// Plain decimal text of a whole-number double, blanks trimmed.
std::string Trimmed(double whole) { return DecimalWhole(whole); }

}  // namespace

int32_t RepairTaxRate(int32_t taxRatePercent) {
    return (taxRatePercent < 0 || taxRatePercent > 100) ? kDefaultTaxRate : taxRatePercent;
}

int32_t LifeMinutesGained(int32_t elapsedMinutes, int32_t cigarettesPerDay) {
    return FloorToInt32(((cigarettesPerDay / kMinutesPerDay) * elapsedMinutes) * 5.5);
}

std::string FormatLifeLine(int32_t g) {
    std::string out;
    out.reserve(48);
    AppendFullWidth(out, static_cast<int64_t>(std::floor(g / kMinutesPerDay)));
    out += "日と";
    AppendFullWidth(out, (g % 1440) / 60);
    out += "時間";
    AppendFullWidth(out, g % 60);
    out += "分";
    return out;
}

QuitStatistics ComputeStatistics(int32_t elapsedMinutes, int32_t cigarettesPerDay, int32_t packPrice,
                                 int32_t taxRatePercent) {
    QuitStatistics s;
    s.moneySaved = std::floor(((elapsedMinutes / 1440.0) * cigarettesPerDay) * (packPrice / 20.0));
    s.taxShare = std::floor((taxRatePercent / 100.0) * s.moneySaved);
    const std::string money = Trimmed(s.moneySaved);
    s.moneyLine.reserve(48);
    s.moneyLine.append(money).append("円（節税分").append(SignPositioned(s.taxShare)).append("円）");
    s.savingsSummary.reserve(64);
    s.savingsSummary.append("節約できた金額は").append(ToFullWidth(money)).append("円です。");
    s.lifeMinutesGained = LifeMinutesGained(elapsedMinutes, cigarettesPerDay);
    s.lifeLine = FormatLifeLine(s.lifeMinutesGained);
    return s;
}

}  // namespace kemless
