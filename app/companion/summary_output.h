#pragma once
// --summary and --short: the two texts the copy buttons put on the
// clipboard, printed for panel widgets and scripts; --json every figure as
// JSON and --days one short line. No application object, no display, no
// single-instance lock, nothing written: only the record read.
#include <string>

#include "records/moment.h"
#include "records/settings_store.h"

namespace kemless {

enum class SummaryKind { Summary, Short, Compact, Json };

struct SummaryOutput {
    int exitCode = 0;
    std::string out;    // UTF-8, LF line ends, ending in a line end
    std::string error;  // one line, without the line end
};

// The text as a copy button would put it on the clipboard `now` (or the
// compact line, or the JSON object), read from the record in `store`; an
// error when the record is missing, unreadable or not yet started. With
// `markup`, "&", "<" and ">" are escaped for Pango markup (in the JSON, in
// its "text" and "tooltip" only).
SummaryOutput MakeSummaryOutput(SummaryKind kind, const SettingsStore& store, const CalendarMoment& now,
                                int draw, bool markup = false);

// --export csv: every urge, slip and attempt of the journal beside the
// record (and its archives) as CSV; only read, nothing written. An empty
// journal gives the header alone; one that cannot be read, an error.
SummaryOutput MakeJournalCsv(const SettingsStore& store);

}  // namespace kemless
