// The 3:1 reduction filter against a plain five-by-five reference, its
// border rule, the weights' sums and the fallback resampling.
#include <gtest/gtest.h>

#include <random>

#include "graphics/antialias.h"

namespace kalix {

namespace {

uint32_t grey(int v) { return 0xff000000u | uint32_t(v) << 16 | uint32_t(v) << 8 | uint32_t(v); }

PixelImage filled(int w, int h, uint32_t value) {
    PixelImage image;
    image.allocate(w, h);
    image.fill(value);
    return image;
}

// Target pixel (i, j), colour byte c, as the rule reads: the 5 x 5 source
// pixels around (3i + 1, 3j + 1) that lie inside, each with its kernel
// weight, summed and divided by the weights used (144 or 324 inside).
uint32_t referencePixel(const PixelImage& s, int w, int h, int i, int j, bool sharper) {
    const int weights[5] = {1, sharper ? 5 : 3, sharper ? 6 : 4, sharper ? 5 : 3, 1};
    uint32_t out = 0xff000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        long sum = 0, used = 0;
        for (int dy = -2; dy <= 2; dy++)
            for (int dx = -2; dx <= 2; dx++) {
                if ((i == 0 && dx < 0) || (i == w - 1 && dx > 0)) continue;
                if ((j == 0 && dy < 0) || (j == h - 1 && dy > 0)) continue;
                const long k = weights[dx + 2] * weights[dy + 2];
                sum += k * ((s.at(3 * i + 1 + dx, 3 * j + 1 + dy) >> shift) & 0xff);
                used += k;
            }
        out |= uint32_t(sum / used) << shift;
    }
    return out;
}

TEST(AntialiasFilter, MatchesTheFiveByFiveRule) {
    std::mt19937 random(3);
    for (const bool sharper : {false, true})
        for (const auto& [w, h] : {std::pair{1, 1}, {2, 1}, {1, 3}, {2, 2}, {7, 5}, {16, 9}}) {
            PixelImage source;
            source.allocate(3 * w, 3 * h);
            for (int y = 0; y < 3 * h; y++)
                for (int x = 0; x < 3 * w; x++)
                    source.row(y)[x] = 0xff000000u | (random() & 0xffffff);
            PixelImage target = filled(w, h, 0);
            ASSERT_TRUE(filterDownBy3(source, target, sharper));
            for (int j = 0; j < h; j++)
                for (int i = 0; i < w; i++)
                    ASSERT_EQ(target.at(i, j), referencePixel(source, w, h, i, j, sharper))
                        << w << "x" << h << " at " << i << "," << j << " sharper " << sharper;
        }
}

TEST(AntialiasFilter, UniformPicturesStayUniformBordersIncluded) {
    for (const uint32_t colour : {0xff000000u, 0xffffffffu, 0xff123456u, 0xfffe01ffu})
        for (const bool sharper : {false, true}) {
            const PixelImage source = filled(15, 12, colour);
            PixelImage target = filled(5, 4, 0);
            ASSERT_TRUE(filterDownBy3(source, target, sharper));
            for (int j = 0; j < 4; j++)
                for (int i = 0; i < 5; i++) EXPECT_EQ(target.at(i, j), colour);
        }
}

// One white source pixel on black: its weight in its own target pixel,
// nothing in the neighbours' (their windows end one pixel short of it).
TEST(AntialiasFilter, WeightsOfASinglePixel) {
    struct Case {
        int dx, dy;  // offset from the centre of target pixel (2, 2)
        bool sharper;
        int own;
    } cases[] = {
        {0, 0, false, 255 * 16 / 144}, {0, 0, true, 255 * 36 / 324}, {1, 0, false, 255 * 12 / 144},
        {1, 0, true, 255 * 30 / 324},  {1, 1, false, 255 * 9 / 144}, {1, 1, true, 255 * 25 / 324},
    };
    for (const Case& c : cases) {
        PixelImage source = filled(15, 15, grey(0));
        source.row(7 + c.dy)[7 + c.dx] = grey(255);
        PixelImage target = filled(5, 5, 0);
        filterDownBy3(source, target, c.sharper);
        EXPECT_EQ(target.at(2, 2), grey(c.own)) << c.dx << c.dy << c.sharper;
        if (c.dx == 0) {
            EXPECT_EQ(target.at(3, 2), grey(0));
        }
        if (c.dy == 0) {
            EXPECT_EQ(target.at(2, 1), grey(0));
        }
    }
    // At a corner the weights used are 4, 3, 1 each way: 64 in all.
    PixelImage source = filled(15, 15, grey(0));
    source.row(1)[1] = grey(255);
    PixelImage target = filled(5, 5, 0);
    filterDownBy3(source, target, false);
    EXPECT_EQ(target.at(0, 0), grey(255 * 16 / 64));
}

TEST(AntialiasFilter, OtherSizesAreResampled) {
    PixelImage source = filled(16, 9, grey(0));
    for (int y = 0; y < 9; y++)
        for (int x = 8; x < 16; x++) source.row(y)[x] = grey(200);
    PixelImage target = filled(5, 3, 0);
    EXPECT_FALSE(filterDownBy3(source, target, false));
    reduceInto(source, target, true, false);
    EXPECT_EQ(target.at(0, 1), grey(0));
    EXPECT_EQ(target.at(4, 1), grey(200));
    // Column 2 covers source columns 6.4 to 9.6: 1.6 of 3.2 are 200.
    EXPECT_EQ(target.at(2, 1), grey(100));
    // Exactly 3:1 with the filter off: the plain mean of each block.
    PixelImage blocks = filled(6, 3, grey(0));
    blocks.row(1)[1] = grey(90);
    PixelImage two = filled(2, 1, 0);
    reduceInto(blocks, two, false, false);
    EXPECT_EQ(two.at(0, 0), grey(10));
}

}  // namespace

}  // namespace kalix
