#include "basics/contrast.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace kemless {

void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "rgb(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}

namespace {

TEST(ContrastRatio, KnownPairsBothWays) {
    struct Case {
        Rgb a, b;
        double ratio;
    };
    const Case cases[] = {
        {{0, 0, 0}, {255, 255, 255}, 21.0},
        {{119, 119, 119}, {255, 255, 255}, 4.48},  // the grey that just misses 4.5:1 on white
        {{192, 192, 192}, {48, 140, 198}, 2.03},   // Qt's highlight on the main window's grey
        {{12, 34, 56}, {12, 34, 56}, 1.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.01);
        EXPECT_DOUBLE_EQ(ContrastRatio(c.a, c.b), ContrastRatio(c.b, c.a));
    }
}

TEST(FocusRingColor, StandsOutFromWhatLiesAround) {
    const Rgb blue{0x17, 0x46, 0x7E}, white{255, 255, 255}, black{0, 0, 0};
    struct Case {
        const char* name;
        std::vector<Rgb> around;
        Rgb ring;
    };
    const Case cases[] = {
        {"the main window's grey", {{192, 192, 192}}, blue},
        {"a dialog's light grey", {{239, 239, 239}}, blue},
        {"a dark blue the user chose", {{0, 0, 128}}, white},
        {"a mid grey, too dark for the blue", {{128, 128, 128}}, white},
        {"yellow, too light for white", {{255, 255, 0}}, blue},
        {"a light ground and a white text box", {{239, 239, 239}, {255, 255, 255}}, blue},
        {"a dark ground and a darker control", {{60, 60, 60}, {0, 0, 0}}, white},
    };
    for (const Case& c : cases) {
        const Rgb ring = FocusRingColor(c.around);
        EXPECT_EQ(ring, c.ring) << c.name;
        for (const Rgb& n : c.around) EXPECT_GE(ContrastRatio(ring, n), kFocusMarkContrast) << c.name;
    }
    // Where nothing reaches 3:1 against both, the one whose weaker side is
    // the strongest.
    const std::vector<Rgb> both = {white, black};
    EXPECT_EQ(FocusRingColor(both), blue);
    const std::vector<Rgb> lightAndNavy = {{239, 239, 239}, {0, 0, 128}};
    EXPECT_EQ(FocusRingColor(lightAndNavy), blue);
}

}  // namespace
}  // namespace kemless
