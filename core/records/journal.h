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
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/moment.h"

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

// One word as the journal writes it (and the plan file, which shares the
// form), and back: nullopt for a word that does not read.
void AppendEscapedWord(std::string& out, std::string_view word);
std::optional<std::string> UnescapedWord(std::string_view word);

// One line, with its line end. The kind and the keys must be lower-case
// words; anything else is written so that it reads back.
std::string FormatJournalLine(const JournalEvent& event);
// One line without its line end (a CR before it is allowed); nullopt when it
// does not read as an event.
std::optional<JournalEvent> ParseJournalLine(std::string_view line);
// Every event of a journal's bytes, in file order; damaged lines skipped.
std::vector<JournalEvent> ParseJournal(std::string_view bytes);

// Notice lines ("notice" and "seen") of one milestone in one record share
// a key: the milestone's name, the number of its words and its fields in
// any order; nullopt for any other line. The value is how far it reached:
// its last word, a whole number (nullopt where it is none).
std::optional<std::string> NoticeKeyOf(const JournalEvent& event);
std::optional<int64_t> NoticeValueOf(const JournalEvent& event);

// The journal with every notice line dropped that another of the same
// milestone makes pointless: of each, only the line with the highest value
// is kept (the later one on a tie), wherever it stands. Every other line
// stays, in its place, byte for byte: urges, slips, attempts, kinds this
// version does not know, damaged lines. A last line without its line end
// gets one.
std::string CompactJournal(std::string_view bytes);

// A minute as a field's value, "2026-11-01T09:00" (a quit moment, say), and
// back; nullopt for anything else.
std::string MinuteWord(const CalendarMoment& m);
std::optional<CalendarMoment> ParseMinuteWord(std::string_view word);

}  // namespace kemless
