#include "forms/color_words.h"

#include <gtest/gtest.h>

namespace kemless {
namespace {

TEST(ColorWords, ANameForPlainColoursElseTheNumbers) {
    const std::pair<int32_t, const char*> cases[] = {
        {0xFFFFFF, "白"},
        {0x000000, "黒"},
        {0x0000FF, "赤"},  // red sits in the low byte
        {0xFF0000, "青"},
        {0xC0C0C0, "明るい灰色"},
        {9241372, "赤28、緑3、青141"},  // the value lines' stored background
        {0x102030, "赤48、緑32、青16"},
        {static_cast<int32_t>(0x7FFFFFFF), "白"},  // only the three colour bytes count
    };
    for (auto [bgr, words] : cases) EXPECT_EQ(ColorWords(Rgb::FromBgr(bgr)), words) << bgr;
}

}  // namespace
}  // namespace kemless
