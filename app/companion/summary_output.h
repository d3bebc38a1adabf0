#pragma once
// --summary and --short: the two texts the copy buttons put on the
// clipboard, printed for panel widgets and scripts. No application object,
// no display, no single-instance lock, nothing written: only the record read.
#include <string>

#include "records/moment.h"
#include "records/settings_store.h"

namespace kemless {

enum class SummaryKind { Summary, Short };

struct SummaryOutput {
    int exitCode = 0;
    std::string out;    // UTF-8, LF line ends, ending in a line end
    std::string error;  // one line, without the line end
};

// The text as a copy button would put it on the clipboard `now`, read from
// the record in `store`; an error when the record is missing, unreadable or
// not yet started.
SummaryOutput MakeSummaryOutput(SummaryKind kind, const SettingsStore& store, const CalendarMoment& now,
                                int draw);

}  // namespace kemless
