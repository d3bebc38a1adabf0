#pragma once
// The figures for a panel widget or a script, beside the copy texts: one
// short line, the whole set as JSON, and any text made safe for a widget
// that reads Pango markup (waybar, a genmon <txt>).
#include <array>
#include <string>
#include <string_view>

#include "basics/figure_line.h"
#include "display/display_state.h"
#include "records/settings.h"

namespace kemless {

// 「卒煙122日・84,477円」: the whole days since the quit and the money not
// spent, half-width with thousands grouped.
std::string CompactText(const DisplayState& display, const InitialSettings& initial,
                        const OptionSettings& options);

// "84477" as "84,477": a number's digits grouped by thousands, a sign in front.
std::string Grouped(std::string_view digits);
// A text as a JSON string, quotes included; control characters escaped.
std::string JsonString(std::string_view text);

// "&", "<" and ">" as "&amp;", "&lt;" and "&gt;": a landmark such as
// "AT&T Corporate Center" reads as text, not as markup.
std::string EscapeMarkup(std::string_view text);

// The texts with LF line ends, as a terminal and a script want them (the
// clipboard's CR LF taken out); no line end after the last line.
std::string WithLineFeeds(std::string_view text);

// One JSON object on one line (UTF-8, no line end) with every figure of the
// refresh `display` made `now`: numbers as numbers, texts as the windows
// show them, the next milestone and when, and "text" (the compact line),
// "tooltip" (the six summary lines) and "class" as waybar reads a custom
// module's output. With `markup`, "text" and "tooltip" are escaped for Pango
// markup; nothing else is.
std::string SummaryJson(const DisplayState& display, const InitialSettings& initial,
                        const OptionSettings& options, const CalendarMoment& now, bool markup);

// What has been won so far, from the last refresh, as the main window shows
// it: the money, the lifetime, the cigarettes not smoked (the craving helper
// lists them).
std::array<FigureLine, 3> WonSoFar(const DisplayState& display);

}  // namespace kemless
