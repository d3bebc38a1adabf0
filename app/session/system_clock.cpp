#include "session/system_clock.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <random>

namespace kemless {

CalendarMoment SystemClock::now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

int SystemClock::draw() {
    static std::mt19937_64 generator;
    generator.seed(
        static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    const double u = std::generate_canonical<double, 53>(generator);
    // generate_canonical may round up to 1.0 on some libraries.
    return std::clamp(static_cast<int>(u * 100.0), 0, 99);
}

}  // namespace kemless
