#pragma once
// "Now" and the random draw come from here, so the windows can be driven by
// any date in tests and never depend on the real clock there.
#include "content/daily_messages.h"
#include "engine/calendar.h"

namespace kemless {

class Clock {
public:
    virtual ~Clock() = default;
    virtual CalendarMoment now() { return ReadNow(); }
    // A whole number 0..99, drawn once per refresh.
    virtual int draw() { return DrawPercent(); }
};

}  // namespace kemless
