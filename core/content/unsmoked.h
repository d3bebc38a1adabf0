#pragma once
// The cigarettes not smoked since the quit moment: the count line of the main
// window and the comparison sentence of the short copy text. Both come from
// one ComputeUnsmoked so a refresh does a single landmark lookup.
#include <cstdint>
#include <string>

namespace kemless {

struct UnsmokedFigures {
    int64_t count = 0;             // whole cigarettes not smoked (floor)
    double lengthMm = 0.0;         // all of them end to end, not rounded
    double metreHundredths = 0.0;  // metres x 100 rounded halves to even: a whole number
    const char* landmark = "";     // LookupLandmark(lengthMm)
};

// The day fraction is not floored: the length grows between whole cigarettes.
UnsmokedFigures ComputeUnsmoked(int32_t elapsedMinutes, int32_t cigarettesPerDay, int32_t cigaretteSize);

// Metres from whole hundredths: "17", "1.7", ".5", ".12", "-.5", "0".
std::string FormatMetres(double metreHundredths);

// "20本 1.7ｍ シーラカンス"; packs ("1箱 ") and cartons ("1カートン ") only when
// showBoxCount is on and the count is an exact, non-zero multiple.
std::string FormatUnsmokedLine(const UnsmokedFigures& figures, int32_t cigaretteSize, bool showBoxCount);
std::string FormatUnsmokedLine(int32_t elapsedMinutes, int32_t cigarettesPerDay, int32_t cigaretteSize,
                               bool showBoxCount);

// savingsSummary followed by "節煙本数は２０本で、これは１．７ｍのシーラカンスに匹敵します。";
// always counted in cigarettes, whatever showBoxCount says.
std::string AppendComparisonSentence(const UnsmokedFigures& figures, const std::string& savingsSummary);
std::string AppendComparisonSentence(int32_t elapsedMinutes, int32_t cigarettesPerDay, int32_t cigaretteSize,
                                     const std::string& savingsSummary);

}  // namespace kemless
