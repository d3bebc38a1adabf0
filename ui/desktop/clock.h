#pragma once
// "Now" and the random draw come from here, so the windows can be driven by
// any date in tests and never depend on the real clock there.
#include "records/moment.h"

namespace kemless {

class Clock {
public:
    virtual ~Clock() = default;
    // The local wall-clock time of the operating system, to the minute.
    virtual CalendarMoment now();
    // floor(uniform [0, 1) * 100), 0..99, from a generator reseeded from the
    // clock before every draw, so each refresh may show another variant.
    virtual int draw();
};

}  // namespace kemless
