#include "instance/standard_error.h"

#include <cstdio>

namespace kemless {

void SayOnStandardError(std::string_view line) {
    constexpr std::string_view kName = "kemless: ";
    if (line.substr(0, kName.size()) != kName) std::fwrite(kName.data(), 1, kName.size(), stderr);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace kemless
