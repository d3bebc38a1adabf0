#pragma once
// The hard moments of the last 28 days, as これまでの記録 shows them: what
// brought the urges on (the triggers the user picked, most frequent first)
// and the hours of the day they came (a strip of 24 columns). An urge
// passed and a slip both count: each was a moment the wish to smoke came.
// Both are told in words for a screen reader, as the chart of urges is.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "records/moment.h"
#include "recovery/attempts.h"

namespace kemless {

struct TriggerCount {
    std::string name;
    int32_t count = 0;
    friend bool operator==(const TriggerCount&, const TriggerCount&) = default;
};

struct HardMoments {
    // The triggers named in the last 28 days (today included), most
    // frequent first; a tie goes to the one named last.
    std::vector<TriggerCount> triggers;
    std::string triggersHeading;  // 「この２８日間のきっかけ」
    std::string triggerWords;
    // Urges and slips in each hour of the day (0 = 0:00–0:59) over the same days.
    std::array<int32_t, 24> perHour{};
    std::array<int32_t, 24> hourPermille{};  // of the busiest hour; 0 for none
    std::string hoursHeading;                // 「吸いたくなった時間帯」
    std::string hourWords;
};

// The urges and slips summed as they are read, like the record's ledger,
// so a journal of years costs the same at each look.
class HardMomentLedger {
public:
    void clear() { *this = HardMomentLedger(); }
    // Events of other kinds are passed over.
    void add(const AttemptEvent& event);
    // The last 28 days up to `now`; events after it (a clock set back) count nowhere.
    HardMoments summarise(const CalendarMoment& now) const;

private:
    struct Moment {
        int32_t minuteOfDay = 0;  // hour * 60 + minute
        std::string trigger;
    };
    std::map<int32_t, std::vector<Moment>> days_;  // yyyymmdd → its urges and slips
};

HardMoments SummariseHardMoments(const std::vector<AttemptEvent>& events, const CalendarMoment& now);

}  // namespace kemless
