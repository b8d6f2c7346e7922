// Drawing records painted as pixels: the mapping onto the device, line
// styles, markers, every record kind, and the painters' special cases.
#include <gtest/gtest.h>

#include <string>

#include "graphics/pixel_surface.h"
#include "tests/pixels/pixel_canvas.h"

namespace kalix {

namespace {

struct Picture : Canvas {
    WriterSettings settings;
    std::unique_ptr<PixelSurface> surface;

    Picture(int width, int height, bool useColors = true, double exportScale = 1)
        : Canvas(width, height) {
        settings.useColors = useColors;
        surface = std::make_unique<PixelSurface>(*device, settings, exportScale);
    }
};

TEST(PixelSurface, PositionsAreTruncatedAndRectanglesIncludeBothCorners) {
    Picture p(256, 128);  // 4 units a pixel across, 8 down
    EXPECT_EQ(p.surface->toDeviceX(7.99), 1);
    EXPECT_EQ(p.surface->toDeviceX(8), 2);
    EXPECT_EQ(p.surface->toDeviceY(15.9), 1);
    EXPECT_EQ(p.surface->toDeviceX(-3), 0);  // toward zero
    EXPECT_EQ(p.surface->toDeviceX(-4), -1);
    p.surface->bar(8, 16, 23.9, 40, 1, barFilled);
    p.surface->bar(48, 40, 36, 16, 1, barFilled);  // corners in the other order
    EXPECT_EQ(p.table(0, 0, 13, 6),
              "..............\n"
              "..............\n"
              "..####...####.\n"
              "..####...####.\n"
              "..####...####.\n"
              "..####...####.\n"
              "..............\n");
}

// Thin lines of each style along a row of a 1024-pixel picture (one unit
// a pixel): the dash patterns in pixels, scaled by the export scale.
TEST(PixelSurface, LineStylesDashInPixels) {
    struct Case {
        int style;
        double exportScale;
        const char* pixels;
    } cases[] = {
        {lineSolid, 1, "##############################################"},
        {lineDotted, 1, "#..........#..........#..........#..........#."},
        {lineDashed, 1, "######............######............######...."},
        {lineDashDot, 1, "#............######............#............##"},
        {lineDashDotDash, 1, "######............#............######........."},
        {lineDotDashDot, 1, "#............######............#............#."},
        {lineDotted, 2, "##....................##....................##"},
        {lineDashed, 0.3, "##....##....##....##....##....##....##....##.."},
        {lineArrow, 1, "##############################################"},
    };
    for (const Case& c : cases) {
        Picture p(1024, 64, true, c.exportScale);
        p.surface->line(10, 64, 56, 64, 1, c.style, 0.3);
        std::string row = p.table(10, 4, 55, 4);
        row.pop_back();
        EXPECT_EQ(row, c.pixels) << "style " << c.style << " scale " << c.exportScale;
    }
    Picture p(1024, 64);
    p.surface->line(10, 32, 56, 32, 1, lineInvisible, 1);
    int box[4];
    p.inkBox(box);
    EXPECT_EQ(box[0], -1);
}

// Line widths follow the picture's width: 1 is about 2 pixels at 1024,
// so a width of 0.3 draws the thin line and 3 about 6 pixels.
TEST(PixelSurface, LineWidthsScaleWithThePicture) {
    struct Case {
        int pictureWidth;
        double width;
        int rows;
    } cases[] = {{1024, 0.3, 1}, {1024, 1, 2}, {1024, 3, 6}, {400, 1, 1}, {3072, 1, 6}};
    for (const Case& c : cases) {
        Picture p(c.pictureWidth, 64);
        p.surface->line(100, 512, 900, 512, 1, lineSolid, c.width);
        int box[4];
        p.inkBox(box);
        EXPECT_EQ(box[3] - box[1] + 1, c.rows) << c.pictureWidth << " " << c.width;
    }
}

// The extent of each marker kind around its centre at a marker size of 4
// pixels: thin shapes for line width 1, thick ones for width 3.
TEST(PixelSurface, MarkerKindsAndHalfDiagonals) {
    struct Case {
        int kind, lineWidth;
        int left, top, right, bottom;  // ink box relative to the centre
    } cases[] = {
        {kindCross, 1, -4, -4, 4, 4},
        {kindPlus, 1, -4, -4, 4, 4},
        {kindDiamond, 1, -5, -5, 5, 5},  // s * 4 / 3
        {kindStar, 1, -4, -4, 4, 4},
        {kindDot, 1, 0, 0, 0, 0},
        {kindCircle, 1, -5, -5, 5, 5},        // s * 5 / 4
        {kindFilledCircle, 1, -6, -6, 6, 6},  // s * 5 / 4 + 1
        {kindFilledSquare, 1, -4, -4, 4, 4},
        {kindFilledDiamond, 1, -7, -7, 7, 7},  // s * 4 / 3 + 2
        {kindSquare, 1, -4, -4, 4, 4},
        {kindVerticalBar, 1, 0, -4, 0, 4},  // strokes while thin too
        {kindHorizontalBar, 1, -4, 0, 4, 0},
        {kindBoldStar, 1, -4, -4, 4, 4},
        {kindCross, 3, -5, -5, 5, 5},
        {kindPlus, 3, -5, -5, 5, 5},
        {kindDiamond, 3, -7, -7, 7, 7},  // int(s * 1.41 + 0.5) = 6, and the pen
        {kindBoldStar, 3, -5, -5, 5, 5},
        {kindDot, 3, -1, -1, 2, 2},           // side w + 1 at -w / 2
        {kindCircle, 3, -6, -6, 6, 6},        // int(s * 1.2 + 0.5) = 5
        {kindFilledCircle, 3, -8, -8, 8, 8},  // 7
        {kindFilledSquare, 3, -6, -6, 5, 5},  // side 2 (s + 1) at -(s + 1)
        {kindFilledDiamond, 3, -9, -9, 9, 9},
        {kindVerticalBar, 3, -1, -5, 1, 5},
        {kindHorizontalBar, 3, -5, -1, 5, 1},
        {kindSquare, 3, -5, -5, 5, 5},
    };
    for (const Case& c : cases) {
        Picture p(40, 40);
        p.surface->setMarkerPixels(4);
        p.surface->drawMarkerKind(20, 20, c.kind, c.lineWidth, Rgb{0, 0, 0});
        int box[4];
        p.inkBox(box);
        EXPECT_EQ(box[0] - 20, c.left) << "kind " << c.kind << " width " << c.lineWidth;
        EXPECT_EQ(box[1] - 20, c.top) << "kind " << c.kind << " width " << c.lineWidth;
        EXPECT_EQ(box[2] - 20, c.right) << "kind " << c.kind << " width " << c.lineWidth;
        EXPECT_EQ(box[3] - 20, c.bottom) << "kind " << c.kind << " width " << c.lineWidth;
    }
}

TEST(PixelSurface, ThinMarkerShapes) {
    Picture p(32, 12);
    p.surface->setMarkerPixels(3);
    const Rgb ink{0, 0, 0};
    p.surface->drawMarkerKind(4, 5, kindCross, 1, ink);
    p.surface->drawMarkerKind(12, 5, kindPlus, 1, ink);
    p.surface->drawMarkerKind(20, 5, kindDiamond, 1, ink);
    p.surface->drawMarkerKind(28, 5, kindSquare, 1, ink);
    EXPECT_EQ(p.table(0, 0, 31, 10),
              "................................\n"
              "....................#...........\n"
              ".#.....#....#......#.#...#######\n"
              "..#...#.....#.....#...#..#.....#\n"
              "...#.#......#....#.....#.#.....#\n"
              "....#....########.......##.....#\n"
              "...#.#......#....#.....#.#.....#\n"
              "..#...#.....#.....#...#..#.....#\n"
              ".#.....#....#......#.#...#######\n"
              "....................#...........\n"
              "................................\n");
}

}  // namespace

}  // namespace kalix
