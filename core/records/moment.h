#pragma once
// A wall-clock moment to the minute: what the quit profile stores and what
// the clock hands to every refresh. The calendar arithmetic above works on it.
#include <cstdint>

namespace kemless {

struct CalendarMoment {
    int32_t year = 0, month = 1, day = 1;  // the date
    int32_t hour = 0, minute = 0;          // the time of day; seconds are never kept
    friend bool operator==(const CalendarMoment&, const CalendarMoment&) = default;
};

}  // namespace kemless
