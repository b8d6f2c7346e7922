// The Qt pixel device: the primitives' pixel rules, shown as small pixel
// tables.
#include <gtest/gtest.h>

#include "tests/pixels/pixel_canvas.h"

namespace kalix {

namespace {

const Rgb black{0, 0, 0};

PenSpec thinPen() { return PenSpec{black, 1, nullptr, 0}; }

TEST(PixelDevice, ThinLinesLeaveOutTheirLastPixel) {
    Canvas c(12, 8);
    const DevicePoint across[2] = {{1, 1}, {6, 1}};
    const DevicePoint slanted[2] = {{1, 3}, {5, 7}};
    const DevicePoint joined[4] = {{8, 1}, {10, 1}, {10, 3}, {8, 3}};
    c.device->drawPolyline(across, 2, thinPen());
    c.device->drawPolyline(slanted, 2, thinPen());
    c.device->drawPolyline(joined, 4, thinPen());
    EXPECT_EQ(c.table(0, 0, 11, 7),
              "............\n"
              ".#####..###.\n"
              "..........#.\n"
              ".#.......##.\n"
              "..#.........\n"
              "...#........\n"
              "....#.......\n"
              "............\n");
}

TEST(PixelDevice, RectanglesCoverTheirWidthAndHeight) {
    Canvas c(8, 6);
    c.device->fillRect(1, 1, 3, 2, black);
    c.device->fillRect(5, 2, 0, 3, black);  // empty
    c.device->setPixel(6, 4, black);
    c.device->setPixel(8, 4, black);  // outside
    EXPECT_EQ(c.table(0, 0, 7, 5),
              "........\n"
              ".###....\n"
              ".###....\n"
              "........\n"
              "......#.\n"
              "........\n");
}

TEST(PixelDevice, PolygonsFillPixelsWhoseCentreIsInside) {
    Canvas c(8, 8);
    const DevicePoint square[4] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    c.device->fillPolygon(square, 4, black);
    EXPECT_EQ(c.table(0, 0, 7, 5),
              "........\n"
              ".####...\n"
              ".####...\n"
              ".####...\n"
              "........\n"
              "........\n");
}

TEST(PixelDevice, CirclesSpanTwiceTheRadiusAndOnePixel) {
    Canvas c(20, 9);
    c.device->drawCircle(4, 4, 3, thinPen(), nullptr);
    const Rgb grey{128, 128, 128};
    c.device->drawCircle(13, 4, 4, thinPen(), &grey);
    EXPECT_EQ(c.table(0, 0, 19, 8),
              "............###.....\n"
              "...###....#######...\n"
              "..#...#...#######...\n"
              ".#.....#.#########..\n"
              ".#.....#.#########..\n"
              ".#.....#.#########..\n"
              "..#...#...#######...\n"
              "...###....#######...\n"
              "............###.....\n");
    EXPECT_EQ(c.rgb(13, 4), 0x808080u);
    EXPECT_EQ(c.rgb(13, 0), 0u);
}

TEST(PixelDevice, DashLengthsArePixels) {
    // On 2, off 3, on 1, off 3, repeated from the line's start.
    const int dashes[4] = {2, 3, 1, 3};
    Canvas c(24, 3);
    const DevicePoint ends[2] = {{1, 1}, {23, 1}};
    c.device->drawPolyline(ends, 2, PenSpec{black, 1, dashes, 4});
    EXPECT_EQ(c.table(0, 1, 23, 1), ".##...#...##...#...##...\n");
}

TEST(PixelDevice, WidePensAreCentredWithRoundEnds) {
    Canvas c(18, 11);
    const DevicePoint ends[2] = {{5, 5}, {12, 5}};
    c.device->drawPolyline(ends, 2, PenSpec{black, 5, nullptr, 0});
    EXPECT_EQ(c.table(0, 2, 17, 8),
              "..................\n"
              "....##########....\n"
              "...############...\n"
              "...############...\n"
              "...############...\n"
              "....##########....\n"
              "..................\n");
}

// Wide dashes are measured along the path and get round ends; a wide
// circle is a ring around the radius.
TEST(PixelDevice, WideDashesAndRings) {
    Canvas c(30, 18);
    const int dashes[2] = {4, 6};
    const DevicePoint ends[2] = {{3, 3}, {27, 3}};
    c.device->drawPolyline(ends, 2, PenSpec{black, 3, dashes, 2});
    c.device->drawCircle(8, 11, 4, PenSpec{black, 3, nullptr, 0}, nullptr);
    EXPECT_EQ(c.table(0, 1, 29, 17),
              "..............................\n"
              "..#######...#######...#######.\n"
              "..#######...#######...#######.\n"
              "..#######...#######...#######.\n"
              "..............................\n"
              "......#####...................\n"
              ".....#######..................\n"
              "....#########.................\n"
              "...####...####................\n"
              "...###.....###................\n"
              "...###.....###................\n"
              "...###.....###................\n"
              "...####...####................\n"
              "....#########.................\n"
              ".....#######..................\n"
              "......#####...................\n"
              "..............................\n");
}

TEST(PixelDevice, ClipRectangleLimitsEveryPrimitive) {
    Canvas c(10, 6);
    c.device->setClip(2, 1, 4, 3);
    c.device->fillRect(0, 0, 10, 6, black);
    EXPECT_EQ(c.table(0, 0, 9, 5),
              "..........\n"
              "..####....\n"
              "..####....\n"
              "..####....\n"
              "..........\n"
              "..........\n");
    c.device->clearClip();
    const DevicePoint ends[2] = {{0, 5}, {10, 5}};
    c.device->drawPolyline(ends, 2, thinPen());
    c.device->setClip(0, 0, 0, 0);
    c.device->setPixel(0, 4, black);
    EXPECT_EQ(c.table(0, 4, 9, 5),
              "..........\n"
              "##########\n");
}

TEST(PixelDevice, TilesRepeatFromTheOrigin) {
    PixelImage tile;
    tile.allocate(3, 3);
    tile.fill(whitePixel);
    tile.row(0)[0] = 0xff000000u;
    Canvas c(8, 8);
    c.device->fillRectTiled(1, 1, 6, 6, tile);
    EXPECT_EQ(c.table(0, 0, 7, 7),
              "........\n"
              "........\n"
              "........\n"
              "...#..#.\n"
              "........\n"
              "........\n"
              "...#..#.\n"
              "........\n");
}

// The font's cell is the largest not above the asked height, and never
// much below it.
TEST(PixelDevice, FontCellHeights) {
    for (const char* face : {"Arial", "Courier New"}) {
        for (int asked : {8, 10, 13, 15, 20, 25, 38, 60, 115}) {
            FontSpec spec;
            spec.face = face;
            spec.cellHeight = asked;
            const FontCell cell = qtFontCell(spec);
            EXPECT_LE(cell.height, asked) << face << " " << asked;
            EXPECT_GE(cell.height, asked - 2) << face << " " << asked;
            EXPECT_GT(cell.averageWidth, asked / 4) << face << " " << asked;
            EXPECT_LT(cell.averageWidth, asked) << face << " " << asked;
        }
    }
}

// Texts lie inside their cell: below y (to the side for turned texts),
// placed by the alignment along the reading direction.
TEST(PixelDevice, TextsSitInTheirCellByAlignment) {
    const int cell = 20;
    struct Case {
        TextDirection direction;
        int alignment;
        // What must hold of the ink box relative to the point (50, 50).
        bool (*holds)(const int box[4]);
    } cases[] = {
        {TextDirection::horizontal, 0,
         [](const int b[4]) { return b[0] >= 50 && b[0] <= 52 && b[1] >= 50 && b[3] < 70; }},
        {TextDirection::horizontal, 2,
         [](const int b[4]) { return b[2] < 50 && b[2] >= 47 && b[1] >= 50 && b[3] < 70; }},
        {TextDirection::horizontal, 1,
         [](const int b[4]) { return b[0] < 50 && b[2] > 50 && std::abs(b[0] + b[2] - 100) <= 3; }},
        {TextDirection::up, 0,
         [](const int b[4]) { return b[3] <= 50 && b[3] >= 47 && b[0] >= 50 && b[2] < 70; }},
        {TextDirection::down, 0,
         [](const int b[4]) { return b[1] >= 50 && b[1] <= 52 && b[2] <= 50 && b[0] >= 30; }},
        {TextDirection::down, 2,
         [](const int b[4]) { return b[3] < 50 && b[3] >= 47 && b[2] <= 50 && b[0] >= 30; }},
    };
    for (const Case& k : cases) {
        Canvas c(100, 100, cell);
        c.device->drawText(50, 50, "HHgq", Rgb{0, 0, 0}, k.alignment, k.direction);
        int box[4];
        c.inkBox(box);
        EXPECT_TRUE(k.holds(box)) << int(k.direction) << " " << k.alignment << ": " << box[0] << " "
                                  << box[1] << " " << box[2] << " " << box[3];
    }
}

}  // namespace

}  // namespace kalix
