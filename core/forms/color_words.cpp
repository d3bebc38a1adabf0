#include "forms/color_words.h"

#include "basics/text.h"

namespace kemless {
namespace {

struct NamedColor {
    Rgb color;
    const char* name;
};
// clang-format off
constexpr NamedColor kNamedColors[] = {
    {{255, 255, 255}, "白"},   {{0, 0, 0}, "黒"},         {{255, 0, 0}, "赤"},       {{0, 255, 0}, "緑"},
    {{0, 0, 255}, "青"},       {{255, 255, 0}, "黄色"},   {{0, 255, 255}, "水色"},   {{255, 0, 255}, "赤紫"},
    {{128, 128, 128}, "灰色"}, {{192, 192, 192}, "明るい灰色"},
};
// clang-format on

}  // namespace

std::string ColorWords(Rgb color) {
    // Bits a hand-edited record keeps above the colour play no part.
    const Rgb plain(color.red(), color.green(), color.blue());
    for (const NamedColor& c : kNamedColors)
        if (c.color == plain) return c.name;
    return "赤" + Decimal(plain.red()) + "、緑" + Decimal(plain.green()) + "、青" + Decimal(plain.blue());
}

}  // namespace kemless
