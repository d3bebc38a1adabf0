// The record as CSV for a spreadsheet: every urge, slip and attempt line
// with its trigger, a user's text quoted so that it stays one field, and
// nothing else of the journal.
#include "plan/csv_export.h"

#include <gtest/gtest.h>

#include <ostream>

#include "recovery/attempt_lines.h"

namespace kemless {
namespace {

struct FieldCase {
    const char* name;
    std::string text;
    std::string field;
};
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }
class CsvFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(CsvFields, OneFieldWhateverItHolds) { EXPECT_EQ(CsvField(GetParam().text), GetParam().field); }

INSTANTIATE_TEST_SUITE_P(
    Csv, CsvFields,
    ::testing::Values(FieldCase{"plain", "食後", "食後"}, FieldCase{"empty", "", ""},
                      FieldCase{"a_comma", "食後, コーヒー", "\"食後, コーヒー\""},
                      FieldCase{"quotes", "\"休憩\"のあと", "\"\"\"休憩\"\"のあと\""},
                      FieldCase{"a_line_break", "会議の\nあと", "\"会議の\nあと\""},
                      FieldCase{"a_carriage_return", "a\r\nb", "\"a\r\nb\""},
                      FieldCase{"a_formula", "=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
                      FieldCase{"a_plus", "+1", "'+1"}, FieldCase{"an_at", "@SUM", "'@SUM"},
                      FieldCase{"a_full_width_equals", "＝食後", "＝食後"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvExport, EveryUrgeSlipAndAttemptAndNothingElse) {
    std::string journal =
        "2026-11-01 09:00 attempt-start quit=2026-11-01T09:00\n"
        "2026-11-02 10:00 seen month 0 quit=2026-11-01T09:00\n"
        "2026-11-03 08:00 urge\n"
        "2026-11-04 12:00 diary 今日は散歩した\n"
        "2026-11-04 1x:00 urge\n"
        "2026-11-05 09:00 notice alarm slot=1 day=2026-11-05\n";
    journal += FormatJournalLine(
        AttemptJournalLine({{2026, 11, 6, 21, 0}, AttemptEventKind::Slip, {}, "飲み会, \"二次会\"\nのあと"}));
    journal +=
        "2026-11-07 12:30 urge trigger=食後\n"
        "2026-11-08 09:00 attempt-end quit=2026-11-01T09:00\n"
        "2026-11-08 09:00 attempt-start quit=2026-11-08T09:00\n"
        "2026-11-08 09:05 attempt-corrected quit=2026-11-08T08:00\n";
    EXPECT_EQ(JournalCsv(ParseJournal(journal)),
              "日時,種類,きっかけ,卒煙開始日時\r\n"
              "2026-11-01 09:00,卒煙の始まり,,2026-11-01 09:00\r\n"
              "2026-11-03 08:00,乗り越えた,,\r\n"
              "2026-11-06 21:00,吸ってしまった,\"飲み会, \"\"二次会\"\"\nのあと\",\r\n"
              "2026-11-07 12:30,乗り越えた,食後,\r\n"
              "2026-11-08 09:00,卒煙の終わり,,2026-11-01 09:00\r\n"
              "2026-11-08 09:00,卒煙の始まり,,2026-11-08 09:00\r\n"
              "2026-11-08 09:05,卒煙開始日時の訂正,,2026-11-08 08:00\r\n");
    EXPECT_EQ(JournalCsv({}), "日時,種類,きっかけ,卒煙開始日時\r\n");
}

}  // namespace
}  // namespace kemless
