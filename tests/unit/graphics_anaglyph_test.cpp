// The red/cyan merge of two pictures.
#include <gtest/gtest.h>

#include "graphics/pages.h"

namespace kalix {

namespace {

PixelImage filled(int width, int height, uint32_t rgb) {
    PixelImage image;
    image.allocate(width, height);
    image.fill(0xff000000u | rgb);
    return image;
}

TEST(Anaglyph, MergesEveryPixelFromItsOwnColours) {
    // Five columns: the last one is merged like the others.
    PixelImage white = filled(5, 3, 0xffffff);
    EXPECT_NO_FATAL_FAILURE(mergeAnaglyph(white, filled(5, 3, 0xffffff)));
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 5; x++) EXPECT_EQ(white.at(x, y), 0xffffffffu);

    // Red carries the grey of the first picture: pure red is 5 * 255 / 12.
    PixelImage red = filled(5, 3, 0xff0000);
    mergeAnaglyph(red, filled(5, 3, 0xffffff));
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 5; x++) EXPECT_EQ(red.at(x, y), 0xff6affffu) << x;

    // Green and blue carry the second picture half mixed with its grey:
    // pure blue has the grey 4 * 255 / 12 = 85.
    PixelImage black = filled(2, 1, 0);
    mergeAnaglyph(black, filled(2, 1, 0x0000ff));
    EXPECT_EQ(black.at(1, 0), 0xff002aaau);
}

TEST(Anaglyph, TheGreyOfAPixelIgnoresItsNeighbour) {
    // Red beside blue: the red pixel's grey is still 106.
    PixelImage first = filled(2, 1, 0);
    first.row(0)[0] = 0xffff0000u;
    first.row(0)[1] = 0xff0000ffu;
    mergeAnaglyph(first, filled(2, 1, 0));
    EXPECT_EQ(first.at(0, 0) >> 16 & 0xff, 106u);
    EXPECT_EQ(first.at(1, 0) >> 16 & 0xff, 85u);
    // The grey weighs red 5, green 3 and blue 4.
    PixelImage green = filled(1, 1, 0x00ff00);
    mergeAnaglyph(green, filled(1, 1, 0));
    EXPECT_EQ(green.at(0, 0), 0xff3f0000u);
}

}  // namespace

}  // namespace kalix
