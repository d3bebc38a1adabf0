#pragma once
// The moments worth a word while the program runs: a new rank title, a new
// full month or year on the calendar, a new round length of the cigarettes
// not smoked with the landmark it reaches, a new duck. A pure comparison of
// the milestone figures of two refreshes (RefreshDisplay fills them), so any
// "now" can be tested and nothing has to be stored.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/display_state.h"

namespace kemless {

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

// The notices of one refresh as one desktop notice: the first (most
// important) headline, and each notice's sentence on a line of its own, the
// later ones after their own headline.
struct NoticeText {
    std::string summary;
    std::string body;
};
NoticeText JoinNotices(const std::vector<MilestoneNotice>& due);

// Round lengths in millimetres: 10 m, 20 m … 90 m, 100 m, 200 m …; 0 below 10 m.
int64_t RoundLengthBelow(double lengthMm);

}  // namespace kemless
