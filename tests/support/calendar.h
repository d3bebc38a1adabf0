#pragma once
// An independent count of the calendar to hold the program's own against:
// minutes since 1970-01-01 00:00 of a Gregorian moment and back (Howard
// Hinnant's days-from-civil algorithms). Tests step dates with it instead
// of keeping tables of month lengths of their own.
#include <cstdint>

#include "records/moment.h"

namespace kemless {

inline int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

inline int64_t MinutesOf(const CalendarMoment& m) {
    return DaysFromCivil(m.year, m.month, m.day) * 1440 + m.hour * 60 + m.minute;
}

inline CalendarMoment MomentAt(int64_t minutesSinceEpoch) {
    const int64_t z = minutesSinceEpoch / 1440 + 719468;
    const int64_t minuteOfDay = minutesSinceEpoch % 1440;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2);
    return {static_cast<int32_t>(y), static_cast<int32_t>(m), static_cast<int32_t>(d),
            static_cast<int32_t>(minuteOfDay / 60), static_cast<int32_t>(minuteOfDay % 60)};
}

// `minutes` after (or, negative, before) `from` on the calendar.
inline CalendarMoment MinutesAfter(const CalendarMoment& from, int64_t minutes) {
    return MomentAt(MinutesOf(from) + minutes);
}

}  // namespace kemless
