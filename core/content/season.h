#pragma once
// The seasonal start ceremony: Christmas Eve, Christmas Day and the first
// three days of the year each have their own greeting.
#include <optional>
#include <string>

namespace kemless {

struct SeasonalGreeting {
    std::string caption;
    std::string heading;    // the large line at the top
    std::string greeting;   // the line below it
    std::string wishFirst;  // the two lines of good wishes
    std::string wishSecond;
    bool pictures[3] = {false, false, false};
    bool newYear = false;  // the greeting and the second wish line move down
};

// nullopt on every other day: the ordinary ceremony completes the start.
std::optional<SeasonalGreeting> SeasonalGreetingFor(int month, int day);

}  // namespace kemless
