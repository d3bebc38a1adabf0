#include "session/journal_attempt_log.h"

#include "recovery/attempt_lines.h"

namespace kemless {

bool JournalAttemptLog::append(const AttemptEvent& event) {
    if (!readable_) return false;
    const std::string line = FormatJournalLine(AttemptJournalLine(event));
    readable_ = step_([&line](std::string_view) { return line; });
    return readable_;
}

std::vector<AttemptEvent> JournalAttemptLog::events() const {
    if (!readable_) return {};
    std::vector<AttemptEvent> events;
    // A read is a step that appends nothing: no journal is made by it.
    readable_ = step_([&events](std::string_view journal) {
        events = AttemptEventsOf(ParseJournal(journal));
        return std::string();
    });
    if (!readable_) events.clear();
    return events;
}

}  // namespace kemless
