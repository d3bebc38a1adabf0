#pragma once
// The record of the attempts to stay quit: every urge that passed, every
// slip, and where one attempt gave way to the next (a new quit moment from
// the start ceremony or the settings). From that list alone, pure functions
// count the urges and slips of this attempt and of all, find the longest
// attempt and the urges passed on each of the last 28 days.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "records/moment.h"
#include "recovery/craving.h"

namespace kemless {

enum class AttemptEventKind {
    UrgePassed,    // a craving the user came through (乗り越えた)
    Slip,          // a cigarette smoked (吸ってしまった); the quit moment stays
    AttemptStart,  // a new quit moment took effect: `quit` is it
    AttemptEnd,    // the quit moment in force until then was replaced: `quit` is it
};

struct AttemptEvent {
    CalendarMoment at;  // the local minute it happened
    AttemptEventKind kind = AttemptEventKind::UrgePassed;
    CalendarMoment quit;  // the attempt's quit moment (start and end only)
    friend bool operator==(const AttemptEvent&, const AttemptEvent&) = default;
};

// Where the events are kept. An attempt's end and the next one's start are
// appended together, in that order, at the minute the quit moment changed.
class AttemptLog {
public:
    virtual ~AttemptLog() = default;
    // False when the event could not be kept.
    virtual bool append(const AttemptEvent& event) = 0;
    // Every event kept, in the order appended.
    virtual std::vector<AttemptEvent> events() const = 0;
    // Whether the events outlive this run of the program.
    virtual bool keepsAcrossRuns() const = 0;
    // False once the place they are kept could not be read or written:
    // events() then holds nothing to go by, and append() keeps nothing.
    virtual bool readable() const { return true; }
};

// The events of this run only: nothing is written anywhere.
class MemoryAttemptLog final : public AttemptLog {
public:
    bool append(const AttemptEvent& event) override {
        events_.push_back(event);
        return true;
    }
    std::vector<AttemptEvent> events() const override { return events_; }
    bool keepsAcrossRuns() const override { return false; }

private:
    std::vector<AttemptEvent> events_;
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

// `quit`: the quit moment in force (the record's); `now`: the local minute.
// Events at a moment that does not exist are counted in the totals but on
// no day of the chart; so are events on a day after today (a clock set back).
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
