#pragma once
// A figure as a window lists it: what it is, and its value as shown.
#include <string>

namespace kemless {

struct FigureLine {
    std::string heading;
    std::string value;
    friend bool operator==(const FigureLine&, const FigureLine&) = default;
};

}  // namespace kemless
