#pragma once
// What the last refresh left behind for the windows and the copy texts.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "figures/calendar.h"
#include "records/settings.h"

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
    int32_t stage = 0;          // 0..6: ducks arrived (1..3), then pleased (4..6)
    std::vector<Duck> visible;  // in the order they are shown
    bool raised = false;        // the visible ducks move to kRaisedDuckTop
    int32_t progress = 0;       // 0..33, also while the bar is hidden
    bool hideBar = false;       // a refresh hides the bar but never shows it again
    friend bool operator==(const DuckStage&, const DuckStage&) = default;
};

enum ValueLabel { kElapsedLabel = 0, kLifeLabel, kMoneyLabel, kStatusLabel, kUnsmokedLabel, kMessageLabel };

// What one refresh showed, as far as milestones are concerned.
struct MilestoneFigures {
    // What the figures were computed from: a milestone belongs to the record
    // it was reached on (a new quit moment starts afresh; a new theme or
    // cigarette count is no rank or length reached).
    CalendarMoment quit;
    int32_t cigarettesPerDay = 0;
    int32_t cigaretteSize = 0;
    std::string statusMode;

    std::string title;
    int32_t titleRank = -1;     // StatusTitleRank: grows with each new title; -1 for none
    int32_t fullMonths = 0;     // years * 12 + months on the calendar
    int32_t duckStage = 0;      // as DuckStage::stage
    int64_t roundLengthMm = 0;  // the last round length passed (10 m, 20 m, … 100 m, 200 m, …); 0 below 10 m
    int32_t healthSteps = 0;  // steps of 回復のあゆみ reached
    friend bool operator==(const MilestoneFigures&, const MilestoneFigures&) = default;
};

// Everything the last refresh left behind: the captions of the six value
// lines (the toggle may change the first), the figures the copy texts read,
// and what the milestones compare.
struct DisplayState {
    CalendarMoment now;  // the minute it was computed for
    std::array<std::string, 6> captions;
    ElapsedTime elapsed;
    int32_t elapsedMinutes = 0;
    int32_t lifeMinutesGained = 0;
    double moneySaved = 0;      // yen, a whole number
    int64_t unsmokedCount = 0;  // whole cigarettes not smoked
    std::string savingsSummary;
    bool showTotalDays = false;  // the elapsed line shows the total-days form
    Rgb lungColor;
    std::string lungWords;  // the lungs as a screen reader tells them
    DuckStage ducks;
    std::string miniText;  // the six-line summary shown by the mini window
    MilestoneFigures milestones;
};

}  // namespace kemless
