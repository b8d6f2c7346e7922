// Colour resolution, grey conversion, shading schemes and palette changes.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/colors.h"

namespace kalix {

namespace {

TEST(Colors, ResolveWithAndWithoutColours) {
    struct {
        ColorCode code;
        bool useColors;
        Rgb expected;
    } cases[] = {
        {0x031A1A1A, true, {26, 26, 26}},
        {0x031A1A1A, false, {1, 1, 1}},
        {16, true, {0, 0, 0}},
        {-3, true, {0, 0, 0}},
        {3, true, {16, 144, 16}},
        {3, false, {0, 0, 0}},
        {0, false, {255, 255, 255}},
        {makeRgbCode(255, 128, 0), true, {255, 128, 0}},
    };
    for (auto& c : cases) EXPECT_EQ(resolveColor(c.code, c.useColors), c.expected) << c.code;
    // Without colours a colour becomes the grey of its lightness: black
    // stays black, white stays white.
    EXPECT_EQ(resolveColorGrey(0x031A1A1A, false), (Rgb{26, 26, 26}));
    EXPECT_EQ(resolveColorGrey(1, false), (Rgb{0, 0, 0}));
    EXPECT_EQ(resolveColorGrey(makeRgbCode(255, 128, 0), false), (Rgb{127, 127, 127}));
    EXPECT_EQ(resolveColorGrey(0, false), (Rgb{255, 255, 255}));
    EXPECT_EQ(makeRgbCode(255, 128, 0), 0x1FF8000);
}

// The top of a scale keeps its colour: 1 is not wrapped to 0.
TEST(Colors, HueFractionKeepsTheTop) {
    const struct {
        double v, expected;
    } cases[] = {{0, 0}, {0.25, 0.25}, {1, 1}, {2, 1}, {1.5, 0.5}, {-0.25, 0.75}, {-1, 0}};
    for (auto& c : cases) EXPECT_EQ(hueFraction(c.v), c.expected) << c.v;
    for (int kind : {2, 3, 5, 12}) {
        EXPECT_EQ(schemeColor(kind, 1, true), (Rgb{255, 255, 255})) << kind;
        EXPECT_EQ(schemeColor(kind, 0, true), resolveColor(kind, true)) << kind;
    }
}

TEST(Colors, ShadingSchemes) {
    EXPECT_EQ(schemeColor(0, 0, true), (Rgb{143, 114, 229}));
    EXPECT_EQ(schemeColor(0, 1, true), (Rgb{229, 114, 114}));
    EXPECT_EQ(schemeColor(3, 0.25, true), (Rgb{75, 171, 75}));
    EXPECT_EQ(schemeColor(-1, 3, true), (Rgb{16, 144, 16}));
    EXPECT_EQ(schemeColor(0, 5, true), schemeColor(0, 1, true));  // clamped hue
    const Rgb cyclic = schemeColor(-3, 0, true);                  // theta = 0
    EXPECT_EQ(cyclic, (Rgb{int(255 * (1 + 1 / M_SQRT2) / 2), int(255 * (1 + 1 / M_SQRT2) / 2),
                           int(255 * (1 - 1 / M_SQRT2) / 2)}));
    const Rgb g = schemeColor(3, 0.25, false);
    EXPECT_EQ(g.red, g.green);
}

TEST(Colors, PaletteChangesAndReset) {
    EXPECT_EQ(setPaletteColor(16, 0, 0, 0), 1);
    EXPECT_EQ(setPaletteColor(3, 1.01, 0, 0), 1);
    EXPECT_EQ(setPaletteColor(3, NAN, 0, 0), 1);
    EXPECT_EQ(setPaletteColor(3, 0.5, 0, 1), 0);
    EXPECT_EQ(paletteIndexRgb(3), (Rgb{128, 0, 255}));
    resetColorsToDefault();
    EXPECT_EQ(paletteIndexRgb(3), (Rgb{16, 144, 16}));
    EXPECT_EQ(paletteIndexRgb(99), (Rgb{0, 0, 0}));
}

}  // namespace

}  // namespace kalix
