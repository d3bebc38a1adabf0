#pragma once
// A stored colour in words, for a screen reader: the settings dialog's
// colour buttons say which colour they hold.
#include <cstdint>
#include <string>

namespace kemless {

// "白" for a plain colour that has a common Japanese name, else its red,
// green and blue: "赤28、緑2、青141". `bgr` is 0x00BBGGRR.
std::string ColorWords(int32_t bgr);

}  // namespace kemless
