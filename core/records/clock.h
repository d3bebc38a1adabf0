#pragma once
// Where "now" and the random draw come from. The core never asks: it takes
// both as parameters. The program hands in the system's clock (SystemClock),
// tests a fixed one, so any date of any year can be tried.
#include "records/moment.h"

namespace kemless {

class Clock {
public:
    virtual ~Clock() = default;
    // The local wall-clock time, to the minute.
    virtual CalendarMoment now() = 0;
    // 0..99, a new draw each time, for the message of the day.
    virtual int draw() = 0;
};

}  // namespace kemless
