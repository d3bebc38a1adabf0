#pragma once
// The one way a line reaches standard error: with the program's name before
// it unless it has one, flushed at once, so a start from a terminal or a
// log shows it even when the program ends right after.
#include <string_view>

namespace kemless {

void SayOnStandardError(std::string_view line);

}  // namespace kemless
