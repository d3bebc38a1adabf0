#pragma once
// The journal beside the record: what happened on which day, one event a
// line, in UTF-8, appended and never rewritten except to drop notice lines
// that a later one has made pointless. It travels with the record (the same
// folder, --data-dir and backups alike), but never decides a figure: the
// two record files alone do. A folder without one works as before and gets
// one at its first event.
//
// A line is the local minute it was written, a kind, and words:
//
//   2026-12-11 10:00 notice title 大将 16 mode=ソルジャー quit=2026-11-01T09:00
//
// Kinds are lower-case words ([a-z][a-z0-9-]*). Words are separated by one
// blank; the first are plain words (what happened), then key=value fields
// (which record it belongs to). Within a word, a backslash, blank, "=",
// line break, tab, other control characters and an empty word are written
// as \\, \s, \q, \n, \t, \xHH and \e, so every text reads back. A line that
// does not read as an event (damaged, cut, hand-edited, not UTF-8) is
// skipped by the reader and kept in the file as it stands; a kind this
// version does not know is read, passed over and kept.
#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/moment.h"
#include "records/record_file.h"

namespace kemless {

inline constexpr const char* kJournalName = "journal.txt";

struct JournalEvent {
    CalendarMoment at;                                        // the local minute it was written
    std::string kind;                                         // "notice", "seen", …
    std::vector<std::string> words;                           // what happened
    std::vector<std::pair<std::string, std::string>> fields;  // key=value, in the order written
    friend bool operator==(const JournalEvent&, const JournalEvent&) = default;

    // The value of a field, when the line has it.
    std::optional<std::string_view> field(std::string_view key) const;
};

// One line, with its line end. The kind and the keys must be lower-case
// words; anything else is written so that it reads back.
std::string FormatJournalLine(const JournalEvent& event);
// One line without its line end (a CR before it is allowed); nullopt when it
// does not read as an event.
std::optional<JournalEvent> ParseJournalLine(std::string_view line);
// Every event of a journal's bytes, in file order; damaged lines skipped.
std::vector<JournalEvent> ParseJournal(std::string_view bytes);

// The journal with every notice line dropped that a later one of the same
// milestone and record makes pointless ("notice" and "seen" lines with the
// same first word and the same fields: only the last is kept, it is the
// furthest reached). Every other line stays, in its place, byte for byte:
// other kinds, kinds this version does not know, damaged lines. A last line
// without its line end gets one.
std::string CompactJournal(std::string_view bytes);

// The file. Past this size a journal is compacted after an append, when
// that makes it at least a quarter smaller; beyond the upper limit it is no
// journal of ours and never read or written.
inline constexpr off_t kJournalCompactAbove = 64 * 1024;
inline constexpr off_t kJournalMaxBytes = 16 * 1024 * 1024;

// Reads the journal in the folder `dir`, as record files are read (only a
// regular file, the user's own links followed, never waiting on a FIFO).
ReadOutcome ReadJournalAt(int dir, const std::string& dirPath, const std::string& name);

// One step on the journal, with no other copy of the program in between:
// the journal is opened (made when missing, 0600, and only when there is
// something to write), locked, read whole, and `decide` is given its bytes
// ("" when there is none); what it returns (whole lines) is appended with
// one write and synced. A journal past kJournalCompactAbove is compacted
// then, beside it, and renamed over it. Opened with O_NOFOLLOW after the
// same checks as a save (a link another user planted is never followed),
// only a regular file is written, and a write that fails halfway is taken
// back, so the file is whole either way. `appended` is true when lines were
// written.
using JournalDecision = std::function<std::string(std::string_view journal)>;
FileOutcome UpdateJournalAt(int dir, const std::string& dirPath, const std::string& name,
                            const JournalDecision& decide, bool* appended = nullptr);

// A minute as a field's value, "2026-11-01T09:00" (a quit moment, say), and
// back; nullopt for anything else.
std::string MinuteWord(const CalendarMoment& m);
std::optional<CalendarMoment> ParseMinuteWord(std::string_view word);

}  // namespace kemless
