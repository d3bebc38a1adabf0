#pragma once
// The moments worth a word while the program runs: a new rank title, a new
// full month or year on the calendar, a new round length of the cigarettes
// not smoked with the landmark it reaches, a new duck. A pure comparison of
// two refreshes, so any "now" can be tested and nothing has to be stored.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/display_state.h"
#include "records/settings.h"

namespace kemless {

// What one refresh showed, as far as milestones are concerned.
struct MilestoneFigures {
    // What the figures were computed from: when it changes (the settings
    // were saved) the next refresh starts afresh instead of announcing.
    CalendarMoment quit;
    int32_t cigarettesPerDay = 0;
    int32_t cigaretteSize = 0;
    std::string statusMode;

    int32_t wholeDays = 0;
    int32_t fullMonths = 0;  // years * 12 + months on the calendar
    std::string title;
    int64_t roundLengthMm = 0;  // the last round length passed (10 m, 20 m, … 100 m, 200 m, …); 0 below 10 m
    std::string landmark;
    int32_t duckStage = 0;  // 0..6: ducks arrived (1..3), then pleased (4..6)
};

MilestoneFigures MilestoneFiguresOf(const DisplayState& display, const InitialSettings& initial,
                                    const OptionSettings& options);

enum class MilestoneKind { Title, Calendar, Duck, Length };

struct MilestoneNotice {
    MilestoneKind kind;
    std::string summary;  // the headline
    std::string body;     // one sentence
};

// The notices due between two refreshes, most important first, at most one
// of each kind, each naming only the latest crossing of its kind (after a
// suspend the month that has just begun, not every month missed). None
// without a previous refresh, none when the record changed in between, and
// none when a figure went back.
std::vector<MilestoneNotice> DueMilestones(const std::optional<MilestoneFigures>& previous,
                                           const MilestoneFigures& current);

// Round lengths in millimetres: 10 m, 20 m … 90 m, 100 m, 200 m …; 0 below 10 m.
int64_t RoundLengthBelow(double lengthMm);

}  // namespace kemless
