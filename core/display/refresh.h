#pragma once
// The refresh: one pass that recomputes every displayed figure from the quit
// profile, the options, "now" and one random draw, in a fixed order.
#include <cstdint>

#include "display/display_state.h"
#include "figures/calendar.h"
#include "records/settings.h"

namespace kemless {

// 11-day stages: the bar fills three units a day towards the next duck; from
// day 33 the bar is gone and the ducks turn from arriving to pleased.
DuckStage ComputeDuckStage(int32_t wholeDays);

// The lungs go from almost black through red to pink by day 39.
Rgb LungColor(int32_t wholeDays);
// The lungs in words, for a screen reader, by the colour LungColor gives:
// darkened red, red, red nearing pink, pink.
const char* LungWords(Rgb lungColor);

// Recomputes everything the windows show, not only the progress bar: elapsed
// time, money and lifetime, the unsmoked line, message, title, lungs, ducks,
// the mini window's text and what the milestone notices compare. `options.taxRatePercent` is repaired in
// place when it is out of range; the repaired value reaches option.ini with its next write.
void RefreshDisplay(DisplayState& state, const InitialSettings& initial, OptionSettings& options,
                    const CalendarMoment& now, int draw);

// A click on the elapsed-time line: switch between the calendar form and the
// total-days form without recomputing anything.
void ToggleElapsedForm(DisplayState& state);

}  // namespace kemless
