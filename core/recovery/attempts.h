#pragma once
// The record of the attempts to stay quit: every urge that passed, every
// slip, and where one attempt gave way to the next (a new quit moment from
// the start ceremony or the settings). From that list alone, pure functions
// count the urges and slips of this attempt and of all, find the longest
// attempt and the urges passed on each of the last 28 days.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "records/moment.h"
#include "recovery/craving.h"

namespace kemless {

enum class AttemptEventKind {
    UrgePassed,     // a craving the user came through (乗り越えた)
    Slip,           // a cigarette smoked (吸ってしまった); the quit moment stays
    AttemptStart,   // a new quit moment took effect: `quit` is it
    AttemptEnd,     // the quit moment in force until then was replaced: `quit` is it
    QuitCorrected,  // the quit moment of this attempt was corrected (the settings): `quit` is the new one
};

struct AttemptEvent {
    CalendarMoment at;  // the local minute it happened
    AttemptEventKind kind = AttemptEventKind::UrgePassed;
    CalendarMoment quit;    // the attempt's quit moment (start and end only)
    std::string trigger{};  // what brought an urge or a slip on ("食後"), when the user named it
    friend bool operator==(const AttemptEvent&, const AttemptEvent&) = default;
};

inline constexpr int kChartDays = 28;

struct AttemptSummary {
    // This attempt is everything after the last start or end in the list;
    // before the first one, every event belongs to it.
    int32_t urgesThisAttempt = 0;
    int32_t slipsThisAttempt = 0;
    int32_t urgesAll = 0;
    int32_t slipsAll = 0;
    int32_t endedAttempts = 0;
    int64_t currentMinutes = 0;  // since the quit moment in force; 0 while it lies ahead
    int64_t longestMinutes = 0;
    bool longestIsCurrent = true;
    CalendarMoment longestQuit;  // where the longest attempt began
    // Urges passed on each local day, the oldest first and today last.
    std::array<int32_t, kChartDays> urgesPerDay{};
    std::array<CalendarMoment, kChartDays> chartDays{};  // each day at 00:00
};

// The events as counts, taken one by one in their order: all a record of
// any length comes to, so a journal of years is summed once and the
// summary of any minute costs next to nothing.
class AttemptLedger {
public:
    void clear() { *this = AttemptLedger(); }
    // One event, read at `now`: an attempt's end dated later counts nowhere
    // (a clock set wrong, a hand-edited year 9999).
    void add(const AttemptEvent& event, const CalendarMoment& now);
    // `quit`: the quit moment in force (the record's); `now`: the local
    // minute. Events on a day after today (a clock set back) count in the
    // totals but on no day of the chart. Attempts never overlap: this one
    // runs from its quit moment, as the main window counts it, and an ended
    // attempt counts only up to that moment and from the end of the one
    // before it.
    AttemptSummary summarise(const CalendarMoment& quit, const CalendarMoment& now) const;

private:
    int32_t urgesAll_ = 0, slipsAll_ = 0, urgesThis_ = 0, slipsThis_ = 0, ended_ = 0;
    // Each ended attempt: its quit moment and its end.
    std::vector<std::pair<CalendarMoment, CalendarMoment>> spans_;
    std::map<int32_t, int32_t> urgesPerDay_;  // yyyymmdd → urges passed
};

// The same, for a list of events.
AttemptSummary SummariseAttempts(const std::vector<AttemptEvent>& events, const CalendarMoment& quit,
                                 const CalendarMoment& now);

// The record as the window shows it and a screen reader reads it.
struct RecordView {
    std::vector<FigureLine> lines;  // this attempt, all attempts, the longest
    std::string chartHeading;
    std::array<int32_t, kChartDays> barPermille{};  // of the tallest bar; 0 for none
    std::array<int32_t, kChartDays> counts{};
    std::string firstDay;    // "２月１０日"
    std::string lastDay;     // "今日"
    std::string chartWords;  // the chart told in words
    std::string note;        // how the record is kept, when not for good
};
// How the record is kept, for the words under it.
enum class RecordKeeping {
    ThisRun,     // in memory until the program ends
    ForGood,     // in the journal beside the record
    Unavailable  // the journal could not be read or written: nothing counted, nothing kept
};
RecordView MakeRecordView(const AttemptSummary& summary, RecordKeeping keeping);

// "４５日３時間", "３時間２０分": a span of minutes as the record shows it.
std::string SpanText(int64_t minutes);

}  // namespace kemless
