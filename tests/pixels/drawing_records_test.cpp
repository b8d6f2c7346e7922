// Every drawing record kind painted as pixels, probed at chosen pixels on
// a 1024 x 1024 picture (one unit a pixel), and the painters' special
// cases.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "graphics/pixel_surface.h"
#include "tests/pixels/pixel_canvas.h"

namespace kalix {

namespace {

uint32_t rgbOf(Rgb c) { return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | uint32_t(c.blue); }
uint32_t palette(int index) { return rgbOf(paletteIndexRgb(index)); }
constexpr uint32_t white = 0xffffff, black = 0;

struct Picture : Canvas {
    WriterSettings settings;
    std::unique_ptr<PixelSurface> surface;

    explicit Picture(int size = 1024, bool useColors = true) : Canvas(size, size) {
        settings.useColors = useColors;
        surface = std::make_unique<PixelSurface>(*device, settings);
    }
    // The colours found in the square of side 2r + 1 around (x, y).
    std::set<uint32_t> coloursNear(int x, int y, int r) {
        std::set<uint32_t> found;
        for (int dy = -r; dy <= r; dy++)
            for (int dx = -r; dx <= r; dx++) found.insert(rgb(x + dx, y + dy));
        return found;
    }
    void blackGround() { surface->bar(0, 0, 1023, 1023, 1, barFilled); }
};

TEST(DrawingRecords, ClearFillsWithPaletteEntryZeroAndEndsTheClip) {
    Picture p;
    p.surface->clip(0, 0, 10, 10);
    p.blackGround();
    p.surface->clear();
    p.surface->bar(400, 400, 600, 600, 1, barFilled);
    EXPECT_EQ(p.rgb(5, 5), palette(0));
    EXPECT_EQ(p.rgb(500, 500), black);
}

TEST(DrawingRecords, ClipCoversTheRectangleAndTwoPixelsMore) {
    Picture p;
    p.surface->clip(100, 100, 200, 200);
    p.blackGround();
    EXPECT_EQ(p.table(98, 150, 203, 150), ".." + std::string(102, '#') + "..\n");
    EXPECT_EQ(p.rgb(150, 99), white);
    EXPECT_EQ(p.rgb(150, 201), black);
    EXPECT_EQ(p.rgb(150, 202), white);
}

TEST(DrawingRecords, LinesInTheirColourAndWidth) {
    Picture p;
    p.surface->line(100, 500, 900, 500, 2, lineSolid, 1);
    EXPECT_EQ(p.coloursNear(500, 500, 0), std::set<uint32_t>{palette(2)});
    int box[4];
    p.inkBox(box);
    EXPECT_EQ(box[3] - box[1], 1);  // two pixels: width 1 is 2 pixels at 1024
    const Point points[3] = {{100, 700}, {300, 700}, {300, 900}};
    p.surface->polyline(points, 3, 3, lineSolid, 1);
    EXPECT_EQ(p.rgb(200, 700), palette(3));
    EXPECT_EQ(p.rgb(300, 800), palette(3));
}

TEST(DrawingRecords, ArrowsGetAHeadAtEverySegmentEnd) {
    Picture p;
    const Point points[3] = {{100, 300}, {500, 300}, {500, 700}};
    p.surface->polyline(points, 3, 1, lineArrow, 0.3);
    // Heads 1024 / 140 units back from each end, turned by 45 degrees to
    // either side.
    EXPECT_TRUE(p.painted(495, 304));
    EXPECT_TRUE(p.painted(495, 295));
    EXPECT_TRUE(p.painted(495, 695));
    EXPECT_TRUE(p.painted(504, 695));
    EXPECT_FALSE(p.painted(495, 310));
    EXPECT_FALSE(p.painted(500, 710));
}

// Marker types at 7 pixels with lines 2 pixels wide (a 1024-pixel
// picture): outlines leave the centre free, filled ones cover it, the
// white-backed ones blank what lies below; the box of what they change
// (a pen of even width reaches one pixel further right and down).
TEST(DrawingRecords, MarkerTypes) {
    struct Case {
        int type;
        uint32_t centre;  // on a black ground, marker in colour 4
        int left, top, right, bottom;
    } cases[] = {
        {markerCross, palette(4), -7, -7, 8, 8},
        {markerCircle, black, -8, -8, 8, 8},
        {markerDiamond, black, -10, -10, 11, 11},
        {markerDot, palette(4), -1, -1, 1, 1},
        {markerPlus, palette(4), -7, -7, 8, 8},
        {markerSquare, black, -7, -7, 8, 8},
        {markerStar, palette(4), -7, -7, 8, 8},
        {markerSmallSquare, palette(4), -2, -2, 2, 2},
        {markerFilledCircle, palette(4), -10, -10, 10, 10},
        {markerFilledDiamond, palette(4), -12, -12, 13, 13},
        {markerLargeDot, palette(4), -3, -3, 3, 3},
        {markerFilledSquare, palette(4), -8, -8, 8, 8},
        {markerVerticalBar, palette(4), 0, -7, 1, 8},
        {markerHorizontalBar, palette(4), -7, 0, 8, 1},
        {markerWhiteDiamond, white, -12, -12, 13, 13},
        {markerWhiteSquare, white, -8, -8, 8, 8},
        {markerWhiteCircle, white, -10, -10, 10, 10},
    };
    for (const Case& c : cases) {
        Picture p;
        p.blackGround();
        p.surface->marker(500, 500, 4, c.type, 140);
        EXPECT_EQ(p.surface->markerPixels(), 7);
        EXPECT_EQ(p.rgb(500, 500), c.centre) << "type " << c.type;
        int box[4] = {1024, 1024, -1, -1};
        for (int y = 470; y <= 530; y++)
            for (int x = 470; x <= 530; x++)
                if (p.rgb(x, y) != black) {
                    box[0] = std::min(box[0], x - 500), box[1] = std::min(box[1], y - 500);
                    box[2] = std::max(box[2], x - 500), box[3] = std::max(box[3], y - 500);
                }
        EXPECT_EQ(box[0], c.left) << "type " << c.type;
        EXPECT_EQ(box[1], c.top) << "type " << c.type;
        EXPECT_EQ(box[2], c.right) << "type " << c.type;
        EXPECT_EQ(box[3], c.bottom) << "type " << c.type;
    }
}

// "|" and "-" stay strokes at every picture and marker size, with thin
// (one pixel) and thick pens alike.
TEST(DrawingRecords, BarMarkersKeepTheirShapeAtEverySize) {
    for (int side : {200, 400, 512, 700, 1024, 2048})
        for (double size : {40.0, 140.0, 300.0})
            for (int type : {markerVerticalBar, markerHorizontalBar}) {
                Picture p(side);
                p.blackGround();
                p.surface->marker(512, 512, 4, type, size);
                const int s = p.surface->markerPixels(), c = side / 2;
                int box[4] = {side, side, -1, -1};
                for (int y = c - 2 * s - 8; y <= c + 2 * s + 8; y++)
                    for (int x = c - 2 * s - 8; x <= c + 2 * s + 8; x++)
                        if (p.rgb(x, y) != black) {
                            box[0] = std::min(box[0], x), box[1] = std::min(box[1], y);
                            box[2] = std::max(box[2], x), box[3] = std::max(box[3], y);
                        }
                const int across = type == markerVerticalBar ? box[2] - box[0] : box[3] - box[1];
                const int along = type == markerVerticalBar ? box[3] - box[1] : box[2] - box[0];
                const std::string what = std::to_string(side) + " px, size " +
                                         std::to_string(size) + ", type " + std::to_string(type);
                EXPECT_GE(along, 2 * s) << what;
                EXPECT_LT(across, std::max(2, side / 250 + 1)) << what;
                EXPECT_LE(std::abs((box[0] + box[2]) / 2 - c), 1) << what;
                EXPECT_LE(std::abs((box[1] + box[3]) / 2 - c), 1) << what;
            }
}

TEST(DrawingRecords, MarkerSizeFollowsTheWidth) {
    // 700 pixels and 140 markers across: 5 pixels; a white diamond of
    // half-diagonal 5 * 4 / 3 + 2 under the outline of 5 * 4 / 3.
    Picture p(700);
    p.blackGround();
    p.surface->marker(512, 512, 1, markerWhiteDiamond, 140);
    EXPECT_EQ(p.surface->markerPixels(), 5);
    const int x = 350, y = 350;
    EXPECT_EQ(p.rgb(x, y), white);
    EXPECT_EQ(p.rgb(x, y - 5), white);
    EXPECT_EQ(p.rgb(x, y - 6), black);  // the outline, in colour 1
    EXPECT_EQ(p.rgb(x, y - 8), white);  // the white diamond's tip
    EXPECT_EQ(p.rgb(x - 6, y), black);
    EXPECT_EQ(p.rgb(x + 8, y), white);
    EXPECT_EQ(p.rgb(x, y - 9), black);  // the ground
    EXPECT_EQ(p.rgb(x, y - 10), black);
}

TEST(DrawingRecords, FacetsFillAndDrawOnlyFlaggedEdges) {
    Picture p;
    const Point corners[4] = {{100, 100}, {300, 100}, {300, 300}, {100, 300}};
    const int32_t flags[4] = {0, 0, 1, 0};
    p.surface->facet(corners, flags, 4, 11, 1);
    EXPECT_EQ(p.rgb(200, 200), palette(11));
    EXPECT_EQ(p.rgb(200, 100), palette(11));  // top edge: no flag
    EXPECT_EQ(p.rgb(100, 200), palette(11));
    EXPECT_EQ(p.rgb(200, 300), black);  // bottom edge flagged
    EXPECT_EQ(p.rgb(300, 200), white);  // right edge: outside the fill
}

TEST(DrawingRecords, PolygonFillStyles) {
    const Point triangle[3] = {{100, 100}, {900, 100}, {500, 900}};
    for (int style = 0; style <= 10; style++) {
        Picture p;
        p.blackGround();
        p.surface->fillPolygon(triangle, 3, style, 4, 0);
        const std::set<uint32_t> inside = p.coloursNear(500, 400, 12);
        std::set<uint32_t> expected;
        if (style == barFilled || style == barFilledFramed) expected = {palette(4)};
        if (style == barFramed) expected = {white};
        if (style >= barVertical && style <= barCrossed) expected = {palette(4), white};
        if (style >= barTransparent) expected = {black};
        EXPECT_EQ(inside, expected) << "style " << style;
    }
}

TEST(DrawingRecords, PolygonFramesInColourOneForFramedStyles) {
    const Point square[4] = {{100, 100}, {300, 100}, {300, 300}, {100, 300}};
    struct Case {
        int style;
        uint32_t frame;
    } cases[] = {{barFilled, palette(4)},
                 {barFilledFramed, black},
                 {barFramed, black},
                 {barRising, palette(4)},
                 {barTransparent, palette(4)}};
    for (const Case& c : cases) {
        Picture p;
        p.surface->fillPolygon(square, 4, c.style, 4, 5);
        EXPECT_EQ(p.rgb(301, 200), c.frame) << "style " << c.style;  // right edge, 2 wide
        Picture unframed;
        unframed.surface->fillPolygon(square, 4, c.style, 4, 0);
        EXPECT_EQ(unframed.rgb(301, 200), white) << "style " << c.style;
    }
}

TEST(DrawingRecords, HuePolygonsAndDensityBarsTakeTheSchemeColour) {
    Picture p;
    const Point square[4] = {{100, 100}, {300, 100}, {300, 300}, {100, 300}};
    p.surface->huePolygon(square, 4, 0.25, 0, 1);
    EXPECT_EQ(p.rgb(200, 200), rgbOf(schemeColor(0, 0.25, true)));
    EXPECT_EQ(p.rgb(200, 100), black);  // outlined in colour 1
    p.surface->huePolygon(square, 4, 0.75, -3, 0);
    EXPECT_EQ(p.rgb(200, 100), rgbOf(schemeColor(-3, 0.75, true)));
    p.surface->densityBar(500, 500, 600, 550, 0.5, 3, 1);
    EXPECT_EQ(p.rgb(550, 525), rgbOf(schemeColor(3, 0.5, true)));
    EXPECT_EQ(p.rgb(601, 525), black);  // the grid frame, in colour 1
    EXPECT_EQ(p.rgb(603, 525), white);
}

TEST(DrawingRecords, BarStyles) {
    struct Case {
        int style;
        std::set<uint32_t> inside;
        uint32_t edge;  // left edge
    } cases[] = {
        {barFilled, {palette(2)}, palette(2)},
        {barFilledFramed, {palette(2)}, black},
        {barFramed, {white}, palette(2)},
        {barVertical, {palette(2), white}, palette(2)},
        {barHorizontal, {palette(2), white}, palette(2)},
        {barRising, {palette(2), white}, palette(2)},
        {barFalling, {palette(2), white}, palette(2)},
        {barCrossedDiagonals, {palette(2), white}, palette(2)},
        {barCrossed, {palette(2), white}, palette(2)},
        {barTransparent, {palette(11)}, palette(2)},
        {10, {palette(11)}, palette(11)},
    };
    for (const Case& c : cases) {
        Picture p;
        p.surface->bar(0, 0, 1023, 1023, 11, barFilled);
        p.surface->bar(200, 200, 800, 800, 2, c.style);
        EXPECT_EQ(p.coloursNear(500, 500, 12), c.inside) << "style " << c.style;
        EXPECT_EQ(p.rgb(200, 500), c.edge) << "style " << c.style;
        EXPECT_EQ(p.rgb(150, 500), palette(11)) << "style " << c.style;
    }
}

// The hatch tile: 16 pixels a side at export scale 1, repeated from the
// picture's origin.
TEST(DrawingRecords, HatchesRepeatEverySixteenPixels) {
    Picture p;
    p.surface->bar(100, 100, 400, 400, 1, barVertical);
    for (int x = 102; x < 399; x++)
        EXPECT_EQ(p.painted(x, 250), x % 16 == 8 || x % 16 == 9) << x;  // 2 pixels wide
}

TEST(DrawingRecords, RgbBlocksPaintCellsButTheKey) {
    Picture p;
    const uint8_t pixels[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    p.surface->rgbBar(100, 100, 300, 300, 2, 2, 9, 9, 9, pixels);
    EXPECT_EQ(p.rgb(150, 150), 0xff0000u);
    EXPECT_EQ(p.rgb(250, 150), 0x00ff00u);
    EXPECT_EQ(p.rgb(150, 250), 0x0000ffu);
    EXPECT_EQ(p.rgb(250, 250), white);  // the key
    EXPECT_EQ(p.rgb(300, 300), white);
    EXPECT_EQ(p.rgb(299, 299), white);

    const uint8_t keyOnly[6] = {9, 9, 9, 9, 9, 9};
    Picture q;
    q.surface->rgbBar(100, 100, 300, 300, 2, 1, 9, 9, 9, keyOnly);
    int box[4];
    q.inkBox(box);
    EXPECT_EQ(box[0], -1);
    q.surface->rgbBar(100, 100, 300, 300, 2, 1, -1, 9, 9, keyOnly);
    EXPECT_EQ(q.rgb(150, 150), 0x090909u);
    EXPECT_EQ(q.rgb(300, 300), 0x090909u);  // both corners included
}

TEST(DrawingRecords, TextsInTheirColourAndDirection) {
    struct Case {
        TextDirection direction;
        int alignment;
        int left, top, right, bottom;  // where the ink must lie
    } cases[] = {
        {TextDirection::horizontal, alignLeft, 500, 500, 620, 513},
        {TextDirection::horizontal, alignCenter, 440, 500, 560, 513},
        {TextDirection::horizontal, alignRight, 380, 500, 500, 513},
        {TextDirection::up, alignLeft, 500, 380, 513, 500},
        {TextDirection::up, alignRight, 500, 500, 513, 620},
        {TextDirection::down, alignLeft, 487, 500, 500, 620},
        {TextDirection::down, alignCenter, 487, 440, 500, 560},
    };
    for (const Case& c : cases) {
        Picture p;  // fonts 13 pixels high
        p.surface->text(500, 500, "Kalix text", 2, c.alignment, 25, c.direction);
        int box[4];
        p.inkBox(box);
        EXPECT_GE(box[0], c.left) << int(c.direction) << c.alignment;
        EXPECT_GE(box[1], c.top) << int(c.direction) << c.alignment;
        EXPECT_LE(box[2], c.right) << int(c.direction) << c.alignment;
        EXPECT_LE(box[3], c.bottom) << int(c.direction) << c.alignment;
        EXPECT_GT(box[2] - box[0] + box[3] - box[1], 50) << int(c.direction) << c.alignment;
    }
}

TEST(DrawingRecords, MarkedTextsAreUtf8AndInvalidOnesDrawNothing) {
    Picture p;
    p.surface->text(100, 100, "\xEF\xBB\xBF\xC3", 1, alignLeft, 25, TextDirection::horizontal);
    int box[4];
    p.inkBox(box);
    EXPECT_EQ(box[0], -1);
    p.surface->text(100, 100, "\xEF\xBB\xBF\xC3\xA4", 1, alignLeft, 25, TextDirection::horizontal);
    p.inkBox(box);
    EXPECT_NE(box[0], -1);
    // A text in the code page: the same letter as its one byte.
    Picture q;
    q.surface->text(100, 100, "\xE4", 1, alignLeft, 25, TextDirection::horizontal);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.image.data()), 4 * 1024 * 1024),
              std::string(reinterpret_cast<const char*>(q.image.data()), 4 * 1024 * 1024));
}

// With colours off every colour becomes the grey of its lightness (black
// lines stay black); bars of styles 1 and 2 are cross-hatched.
TEST(DrawingRecords, ColoursOff) {
    const uint32_t grey = 0;  // colour 2 drawn as its grey
    Picture p(1024, false);
    p.surface->line(100, 100, 900, 100, 2, lineSolid, 1);
    EXPECT_EQ(p.rgb(500, 100), grey);
    p.surface->bar(100, 200, 900, 400, 4, barFilled);
    EXPECT_EQ(p.rgb(500, 300), rgbOf(greyOf(paletteIndexRgb(4))));
    for (int style : {barFilledFramed, barFramed}) {
        Picture q(1024, false);
        q.surface->bar(100, 200, 900, 400, 4, style);
        Picture hatched(1024, false);
        hatched.surface->bar(100, 200, 900, 400, 4, barCrossedDiagonals);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(q.image.data()), 4 * 1024 * 1024),
                  std::string(reinterpret_cast<const char*>(hatched.image.data()), 4 * 1024 * 1024))
            << "style " << style;
    }
}

// Far coordinates are cut, not wrapped: a line from far outside still
// passes through the picture where it should.
TEST(DrawingRecords, FarPointsAreCutAtTheBorder) {
    Picture p;
    const Point points[3] = {{-2000000, 512}, {512, 512}, {512, 2000000}};
    p.surface->polyline(points, 3, 1, lineSolid, 0.3);
    EXPECT_TRUE(p.painted(0, 512));
    EXPECT_TRUE(p.painted(300, 512));
    EXPECT_TRUE(p.painted(512, 1000));
    EXPECT_FALSE(p.painted(300, 513));
    p.surface->marker(5e6, 5e6, 1, markerCross, 140);
    p.surface->text(-5e6, 100, "far", 1, alignLeft, 25, TextDirection::horizontal);
}

}  // namespace

}  // namespace kalix
