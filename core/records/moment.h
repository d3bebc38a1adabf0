#pragma once
// A wall-clock moment to the minute: what the quit profile stores and what
// the clock hands to every refresh. The calendar arithmetic above works on it.
#include <cstdint>

namespace kemless {

// Seconds are never kept.
struct CalendarMoment {
    int32_t year = 0;
    int32_t month = 1;
    int32_t day = 1;
    int32_t hour = 0;
    int32_t minute = 0;
    friend bool operator==(const CalendarMoment&, const CalendarMoment&) = default;
};

}  // namespace kemless
