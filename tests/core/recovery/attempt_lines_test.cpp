#include "recovery/attempt_lines.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kemless {
namespace {

const CalendarMoment kAt{2026, 12, 11, 10, 30};
const CalendarMoment kOldQuit{2026, 2, 28, 23, 59};
const CalendarMoment kNewQuit{2026, 12, 11, 10, 30};

struct LineCase {
    const char* name;
    AttemptEvent event;
    const char* line;
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
class AttemptLines : public ::testing::TestWithParam<LineCase> {};

// Each kind as the journal holds it, and back to the same event through the
// journal's own reader.
TEST_P(AttemptLines, WrittenAndReadBack) {
    const LineCase& c = GetParam();
    const std::string line = FormatJournalLine(AttemptJournalLine(c.event));
    EXPECT_EQ(line, c.line);
    const std::optional<JournalEvent> parsed =
        ParseJournalLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(AttemptEventOfLine(*parsed), c.event);
}

INSTANTIATE_TEST_SUITE_P(
    Journal, AttemptLines,
    ::testing::Values(LineCase{"urge", {kAt, AttemptEventKind::UrgePassed, {}}, "2026-12-11 10:30 urge\n"},
                      LineCase{"slip", {kAt, AttemptEventKind::Slip, {}}, "2026-12-11 10:30 slip\n"},
                      LineCase{"urge_with_its_trigger",
                               {kAt, AttemptEventKind::UrgePassed, {}, "人が 吸っているとき"},
                               "2026-12-11 10:30 urge trigger=人が\\s吸っているとき\n"},
                      LineCase{"slip_with_its_trigger",
                               {kAt, AttemptEventKind::Slip, {}, "食後"},
                               "2026-12-11 10:30 slip trigger=食後\n"},
                      LineCase{"end",
                               {kAt, AttemptEventKind::AttemptEnd, kOldQuit},
                               "2026-12-11 10:30 attempt-end quit=2026-02-28T23:59\n"},
                      LineCase{"start",
                               {kAt, AttemptEventKind::AttemptStart, kNewQuit},
                               "2026-12-11 10:30 attempt-start quit=2026-12-11T10:30\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A journal as a user's may be: notices of another feature, a kind a later
// version writes, damaged lines and attempts without a readable quit moment
// among the record's own lines. Only the record's whole lines count, in
// their order; the rest is passed over.
constexpr char kMixedJournal[] =
    "2026-11-01 09:00 attempt-start quit=2026-11-01T09:00\n"
    "2026-11-02 10:00 seen month 0 quit=2026-11-01T09:00\n"
    "2026-11-03 08:00 urge\n"
    "2026-11-03 08:10 urge mood=calm\n"                     // a field a later version may add
    "2026-11-04 12:00 diary 今日は散歩した\n"               // a kind this version does not know
    "2026-11-04 1x:00 urge\n"                               // damaged minute
    "2026-11-05 09:00 attempt-end\n"                        // no quit moment
    "2026-11-05 09:00 attempt-end quit=2026-02-30T09:00\n"  // no such day
    "2026-11-05 09:00 attempt-end quit=yesterday\n"
    "\xff\xfe slip\n"  // not UTF-8
    "2026-11-06 21:00 slip\n"
    "2026-11-07 07:00 attempt-end quit=2026-11-01T09:00\n"
    "2026-11-07 07:00 attempt-start quit=2026-11-07T07:00\n"
    "2026-11-08 07:00 notice month 1 quit=2026-11-01T09:00\n";

TEST(AttemptLinesInAJournal, OnlyWholeRecordLinesCountInTheirOrder) {
    const std::vector<AttemptEvent> events = AttemptEventsOf(ParseJournal(kMixedJournal));
    const std::vector<AttemptEvent> expected{
        {{2026, 11, 1, 9, 0}, AttemptEventKind::AttemptStart, {2026, 11, 1, 9, 0}},
        {{2026, 11, 3, 8, 0}, AttemptEventKind::UrgePassed, {}},
        {{2026, 11, 3, 8, 10}, AttemptEventKind::UrgePassed, {}},
        {{2026, 11, 6, 21, 0}, AttemptEventKind::Slip, {}},
        {{2026, 11, 7, 7, 0}, AttemptEventKind::AttemptEnd, {2026, 11, 1, 9, 0}},
        {{2026, 11, 7, 7, 0}, AttemptEventKind::AttemptStart, {2026, 11, 7, 7, 0}},
    };
    EXPECT_EQ(events, expected);
    // The longest attempt is the one the end line closed: six days less two hours.
    const AttemptSummary s = SummariseAttempts(events, {2026, 11, 7, 7, 0}, {2026, 11, 7, 8, 0});
    EXPECT_EQ(s.longestMinutes, 6 * 1440 - 2 * 60);
    EXPECT_FALSE(s.longestIsCurrent);
    EXPECT_EQ(s.urgesAll, 2);
    EXPECT_EQ(s.slipsAll, 1);
    EXPECT_EQ(s.urgesThisAttempt, 0);
}

// Compaction drops only notices a later one has made pointless: every line
// of the record stays, byte for byte and in its place, the damaged ones too.
TEST(AttemptLinesInAJournal, CompactionKeepsEveryRecordLine) {
    std::string journal = kMixedJournal;
    // Enough later notices of the same milestone to make the earlier ones pointless.
    for (int month = 2; month <= 6; ++month)
        journal += "2026-12-0" + std::to_string(month) + " 07:00 notice month " + std::to_string(month) +
                   " quit=2026-11-01T09:00\n";
    const std::string compacted = CompactJournal(journal);
    EXPECT_LT(compacted.size(), journal.size());
    for (const char* line :
         {"2026-11-01 09:00 attempt-start quit=2026-11-01T09:00\n", "2026-11-03 08:00 urge\n",
          "2026-11-03 08:10 urge mood=calm\n", "2026-11-04 1x:00 urge\n", "2026-11-05 09:00 attempt-end\n",
          "2026-11-05 09:00 attempt-end quit=2026-02-30T09:00\n", "\xff\xfe slip\n",
          "2026-11-06 21:00 slip\n", "2026-11-07 07:00 attempt-end quit=2026-11-01T09:00\n",
          "2026-11-07 07:00 attempt-start quit=2026-11-07T07:00\n"})
        EXPECT_NE(compacted.find(line), std::string::npos) << line;
    EXPECT_EQ(compacted.find("notice month 1 "), std::string::npos);
    EXPECT_EQ(AttemptEventsOf(ParseJournal(compacted)), AttemptEventsOf(ParseJournal(journal)));
}

}  // namespace
}  // namespace kemless
