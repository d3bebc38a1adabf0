#pragma once
// The refresh: one pass that recomputes every displayed figure from the quit
// profile, the options, "now" and one random draw, in a fixed order.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/settings.h"
#include "engine/calendar.h"

namespace kemless {

// The six duck pictures of the main window: three arriving (eyes open) and
// the same three pleased (eyes closed in a smile).
enum class Duck {
    ViceCaptainArriving,  // Image1(10)
    KingArriving,         // Image1(11)
    CaptainArriving,      // Image1(12)
    ViceCaptainPleased,   // Image3(0)
    KingPleased,          // Image3(1)
    CaptainPleased,       // Image3(2)
};
inline constexpr int kDuckCount = 6;

// Twips: where a duck is raised to once the bar has gone.
inline constexpr int32_t kRaisedDuckTop = 2850;
inline constexpr int32_t kProgressMaximum = 33;

struct DuckStage {
    std::vector<Duck> visible;  // in the order they are shown
    bool raised = false;        // the visible ducks move to kRaisedDuckTop
    int32_t progress = 0;       // 0..33, also while the bar is hidden
    bool hideBar = false;       // a refresh hides the bar but never shows it again
    friend bool operator==(const DuckStage&, const DuckStage&) = default;
};

// 11-day stages: the bar fills three units a day towards the next duck; from
// day 33 the bar is gone and the ducks turn from arriving to pleased.
DuckStage ComputeDuckStage(int32_t wholeDays);

// The lungs go from almost black through red to pink by day 39 (0x00BBGGRR).
int32_t LungColor(int32_t wholeDays);

enum ValueLabel { kElapsedLabel = 0, kLifeLabel, kMoneyLabel, kStatusLabel, kUnsmokedLabel, kMessageLabel };

// Everything the last refresh left behind: the captions of the six value
// lines (the toggle may change the first) and the figures the copy texts read.
struct DisplayState {
    std::array<std::string, 6> captions;
    ElapsedTime elapsed;
    int32_t elapsedMinutes = 0;
    int32_t lifeMinutesGained = 0;
    std::string savingsSummary;
    int32_t showTotalDays = 0;
    int32_t lungColor = 0;
    DuckStage ducks;
    std::string miniText;  // the six-line summary shown by the mini window
};

// `options.taxRatePercent` is repaired in place when it is out of range; the
// repaired value reaches option.ini with its next write.
void UpdateProgress(DisplayState& state, const InitialSettings& initial, OptionSettings& options,
                    const CalendarMoment& now, int draw);

// A click on the elapsed-time line: switch between the calendar form and the
// total-days form without recomputing anything.
void ToggleElapsedForm(DisplayState& state);

}  // namespace kemless
