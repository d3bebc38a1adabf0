#include "forms/color_words.h"

#include "basics/text.h"

namespace kemless {
namespace {

struct NamedColor {
    uint32_t bgr;
    const char* name;
};
// clang-format off
constexpr NamedColor kNamedColors[] = {
    {0xFFFFFF, "白"},   {0x000000, "黒"},     {0x0000FF, "赤"},     {0x00FF00, "緑"},
    {0xFF0000, "青"},   {0x00FFFF, "黄色"},   {0xFFFF00, "水色"},   {0xFF00FF, "赤紫"},
    {0x808080, "灰色"}, {0xC0C0C0, "明るい灰色"},
};
// clang-format on

}  // namespace

std::string ColorWords(int32_t bgr) {
    const auto v = static_cast<uint32_t>(bgr) & 0xFFFFFF;
    for (const NamedColor& c : kNamedColors)
        if (c.bgr == v) return c.name;
    return "赤" + Decimal(v & 0xFF) + "、緑" + Decimal((v >> 8) & 0xFF) + "、青" + Decimal((v >> 16) & 0xFF);
}

}  // namespace kemless
