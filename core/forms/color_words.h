#pragma once
// A stored colour in words, for a screen reader: the settings dialog's
// colour buttons say which colour they hold.
#include <string>

#include "basics/rgb.h"

namespace kemless {

// "白" for a plain colour that has a common Japanese name, else its red,
// green and blue: "赤28、緑2、青141".
std::string ColorWords(Rgb color);

}  // namespace kemless
