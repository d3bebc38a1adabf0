#pragma once
// The two clipboard texts, assembled from what the last refresh displayed and
// the settings in memory. The mini window shows the summary text too.
#include <string>

#include "display/display_state.h"
#include "records/settings.h"

namespace kemless {

// "小", "中", "大" for 50, 85, 100; empty for any other size.
std::string SizeLetter(int32_t cigaretteSize);

// Six lines joined by CR LF, numbers half-width; empty for an unknown copy+ mode.
std::string SummaryText(const DisplayState& display, const InitialSettings& initial,
                        const OptionSettings& options);

// One line for short-message services, numbers full-width; empty for an
// unknown copy+ mode. Never shortened.
std::string ShortText(const DisplayState& display, const InitialSettings& initial,
                      const OptionSettings& options);

}  // namespace kemless
