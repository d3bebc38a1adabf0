#include "recovery/attempt_lines.h"

#include "figures/calendar.h"

namespace kemless {
namespace {

constexpr const char* kUrge = "urge";
constexpr const char* kSlip = "slip";
constexpr const char* kAttemptStart = "attempt-start";
constexpr const char* kAttemptEnd = "attempt-end";
constexpr const char* kQuitCorrected = "attempt-corrected";

}  // namespace

JournalEvent AttemptJournalLine(const AttemptEvent& e) {
    std::vector<std::pair<std::string, std::string>> trigger;
    if (!e.trigger.empty()) trigger.emplace_back("trigger", e.trigger);
    switch (e.kind) {
        case AttemptEventKind::UrgePassed: return {e.at, kUrge, {}, trigger};
        case AttemptEventKind::Slip: return {e.at, kSlip, {}, trigger};
        case AttemptEventKind::AttemptStart: return {e.at, kAttemptStart, {}, {{"quit", MinuteWord(e.quit)}}};
        case AttemptEventKind::QuitCorrected:
            return {e.at, kQuitCorrected, {}, {{"quit", MinuteWord(e.quit)}}};
        case AttemptEventKind::AttemptEnd: break;
    }
    return {e.at, kAttemptEnd, {}, {{"quit", MinuteWord(e.quit)}}};
}

std::optional<AttemptEvent> AttemptEventOfLine(const JournalEvent& line) {
    // Words a later version may add to a line are passed over.
    if (line.kind == kUrge || line.kind == kSlip) {
        const std::optional<std::string_view> trigger = line.field("trigger");
        return AttemptEvent{line.at,
                            line.kind == kUrge ? AttemptEventKind::UrgePassed : AttemptEventKind::Slip,
                            {},
                            std::string(trigger.value_or(""))};
    }
    AttemptEventKind kind;
    if (line.kind == kAttemptStart)
        kind = AttemptEventKind::AttemptStart;
    else if (line.kind == kAttemptEnd)
        kind = AttemptEventKind::AttemptEnd;
    else if (line.kind == kQuitCorrected)
        kind = AttemptEventKind::QuitCorrected;
    else
        return std::nullopt;
    const std::optional<std::string_view> word = line.field("quit");
    if (!word) return std::nullopt;
    const std::optional<CalendarMoment> quit = ParseMinuteWord(*word);
    // A day the month does not have is no quit moment of ours.
    if (!quit || !IsRealMoment(*quit)) return std::nullopt;
    return AttemptEvent{line.at, kind, *quit};
}

std::vector<AttemptEvent> AttemptEventsOf(const std::vector<JournalEvent>& journal) {
    std::vector<AttemptEvent> events;
    for (const JournalEvent& line : journal)
        if (std::optional<AttemptEvent> e = AttemptEventOfLine(line)) events.push_back(*e);
    return events;
}

}  // namespace kemless
