#pragma once
// What the last refresh left behind for the windows and the copy texts.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "figures/calendar.h"

namespace kemless {

// The six duck pictures of the main window: three arriving (eyes open) and
// the same three pleased (eyes closed in a smile).
enum class Duck {
    ViceCaptainArriving,
    KingArriving,
    CaptainArriving,
    ViceCaptainPleased,
    KingPleased,
    CaptainPleased,
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
    std::string lungWords;  // the lungs as a screen reader tells them
    DuckStage ducks;
    std::string miniText;  // the six-line summary shown by the mini window
};

}  // namespace kemless
