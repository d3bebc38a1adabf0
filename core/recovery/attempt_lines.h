#pragma once
// The record of urges, slips and attempts as lines of the journal beside
// the record, kept for good:
//
//   2026-12-11 10:00 urge
//   2026-12-11 10:05 slip trigger=食後
//   2026-12-11 10:30 attempt-end quit=2026-11-01T09:00
//   2026-12-11 10:30 attempt-start quit=2026-12-11T10:30
//   2026-12-11 10:31 attempt-corrected quit=2026-12-11T09:00
//
// An urge passed and a slip are the minute they happened, with what
// brought them on when the user named it; an attempt's end
// and the next one's start carry that attempt's quit moment; a correction
// (the settings) carries the corrected one and begins no attempt. Lines of other
// kinds are passed over, and so is a line of these kinds that does not read
// whole (an attempt without its quit moment): the journal keeps them as they
// stand.
#include <optional>
#include <vector>

#include "records/journal.h"
#include "recovery/attempts.h"

namespace kemless {

JournalEvent AttemptJournalLine(const AttemptEvent& event);
std::optional<AttemptEvent> AttemptEventOfLine(const JournalEvent& line);
// Every urge, slip and attempt in the journal, in its order.
std::vector<AttemptEvent> AttemptEventsOf(const std::vector<JournalEvent>& journal);

}  // namespace kemless
