#include "content/unsmoked.h"

#include <cmath>
#include <cstdio>

#include "basics/text.h"
#include "content/landmarks.h"

namespace kemless {
namespace {

struct PackSizes {
    int64_t cigarettesPerPack;
    int64_t packsPerCarton;
};

// A carton is 200 cigarettes either way; short ones come in packs of ten.
PackSizes PackSizesFor(int32_t cigaretteSize) {
    if (cigaretteSize == 50) return {10, 20};
    return {20, 10};
}

}  // namespace

UnsmokedFigures ComputeUnsmoked(int32_t elapsedMinutes, int32_t cigarettesPerDay, int32_t cigaretteSize) {
    const double dayFraction = elapsedMinutes / 1440.0;
    UnsmokedFigures figures;
    // |count| < 1.5e6 days * 2.2e9 a day, so it always fits in 64 bits even
    // with a hand-edited settings file.
    figures.count = static_cast<int64_t>(std::floor(dayFraction * cigarettesPerDay));
    figures.lengthMm = dayFraction * cigaretteSize * cigarettesPerDay;
    // Halves go to the even neighbour under the default rounding mode.
    figures.metreHundredths = std::nearbyint(figures.lengthMm / 1000.0 * 100.0);
    figures.landmark = LookupLandmark(figures.lengthMm);
    return figures;
}

std::string FormatMetres(double metreHundredths) {
    // Hostile settings can push the hundredths past 64 bits, so work on the
    // digit text rather than on an integer.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(metreHundredths));
    std::string digits = buffer;
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    std::string whole = digits.substr(0, digits.size() - 2);
    std::string fraction = digits.substr(digits.size() - 2);
    whole.erase(0, whole.find_first_not_of('0'));  // no "0" before the point
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (whole.empty() && fraction.empty()) return "0";
    std::string text = metreHundredths < 0 ? "-" : "";
    text += whole;
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

std::string FormatUnsmokedLine(const UnsmokedFigures& figures, int32_t cigaretteSize, bool showBoxCount) {
    const auto [perPack, perCarton] = PackSizesFor(cigaretteSize);
    const int64_t n = figures.count;
    std::string line;
    if (showBoxCount && n != 0 && n % perPack == 0 && (n / perPack) % perCarton == 0) {
        line = Decimal(n / perPack / perCarton) + "カートン ";
    } else if (showBoxCount && n != 0 && n % perPack == 0) {
        line = Decimal(n / perPack) + "箱 ";
    } else {
        line = Decimal(n) + "本 ";
    }
    line += FormatMetres(figures.metreHundredths);
    line += "ｍ ";
    line += figures.landmark;
    return line;
}

std::string FormatUnsmokedLine(int32_t elapsedMinutes, int32_t cigarettesPerDay, int32_t cigaretteSize,
                               bool showBoxCount) {
    return FormatUnsmokedLine(ComputeUnsmoked(elapsedMinutes, cigarettesPerDay, cigaretteSize), cigaretteSize,
                              showBoxCount);
}

std::string AppendComparisonSentence(const UnsmokedFigures& figures, const std::string& savingsSummary) {
    return savingsSummary + "節煙本数は" + FullWidth(figures.count) + "本で、これは" +
           ToFullWidth(FormatMetres(figures.metreHundredths)) + "ｍの" + figures.landmark + "に匹敵します。";
}

std::string AppendComparisonSentence(int32_t elapsedMinutes, int32_t cigarettesPerDay, int32_t cigaretteSize,
                                     const std::string& savingsSummary) {
    return AppendComparisonSentence(ComputeUnsmoked(elapsedMinutes, cigarettesPerDay, cigaretteSize),
                                    savingsSummary);
}

}  // namespace kemless
