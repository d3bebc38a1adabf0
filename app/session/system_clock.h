#pragma once
// The operating system's clock: what the running program takes as "now".
#include "records/clock.h"

namespace kemless {

class SystemClock : public Clock {
public:
    // The local wall-clock time of the operating system, to the minute.
    CalendarMoment now() override;
    // floor(uniform [0, 1) * 100), 0..99, from a generator reseeded from the
    // clock before every draw, so each refresh may show another variant.
    int draw() override;
};

}  // namespace kemless
