// Contour lines and bands, density cells.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "graphics/colors.h"
#include "graphics/contour_plot.h"
#include "graphics/svg_writer.h"
#include "recording_surface.h"

namespace kalix {

namespace {

TEST(Contour, PlotAreaWithMargin) {
    const int window[4] = {10, 30, 1010, 1010};
    const PlotArea none = plotAreaWithMargin(window, 0);
    EXPECT_DOUBLE_EQ(none.left, 10);
    EXPECT_DOUBLE_EQ(none.right, 1010);
    EXPECT_DOUBLE_EQ(none.top, 30);
    EXPECT_DOUBLE_EQ(none.bottom, 1010);
    const PlotArea half = plotAreaWithMargin(window, 1);
    EXPECT_DOUBLE_EQ(half.left, 260);
    EXPECT_DOUBLE_EQ(half.right, 760);
    EXPECT_DOUBLE_EQ(half.top, 275);
    EXPECT_DOUBLE_EQ(half.bottom, 765);
    // Halves in whole units: (0 - 101) / 2 = -50.
    const int odd[4] = {0, 0, 101, 101};
    EXPECT_DOUBLE_EQ(plotAreaWithMargin(odd, 0).right, 100);
}

TEST(Contour, SegmentsOfOneCell) {
    struct Case {
        double s[4], level;
        int segments;
        std::vector<int> edges;  // edges of the segment ends, in order
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 1, 0, {}},
        {{0, 2, 2, 2}, 1, 1, {0, 3}},  // corner 0 below
        {{2, 2, 0, 0}, 1, 1, {1, 3}},  // a straight line across
        {{0, 1, 2, 3}, 1, 1, {0, 3}},  // corner 1 at the level counts as above
        {{1, 1, 1, 1}, 1, 0, {}},      // a flat cell at the level
        {{1, 1, 1, 1}, 2, 0, {}},
        {{0, NAN, 0, 2}, 1, 1, {2, 3}},  // edges at the NaN corner never cross
        {{0, NAN, 2, 0}, 1, 0, {}},      // so a line may end in the cell
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.s[0] << " " << c.s[1] << " " << c.s[2] << " " << c.s[3]
                                        << " at " << c.level);
        const double centre = (c.s[0] + c.s[1] + c.s[2] + c.s[3]) / 4;
        CellPoint out[2][2];
        ASSERT_EQ(contourSegmentsInCell(c.s, centre, c.level, out), c.segments);
        if (c.segments == 1) {
            EXPECT_EQ(out[0][0].edge, c.edges[0]);
            EXPECT_EQ(out[0][1].edge, c.edges[1]);
        }
    }
    // The crossing lies where the edge's values reach the level.
    const double s[4] = {0, 4, 4, 4};
    CellPoint out[2][2];
    contourSegmentsInCell(s, 3, 1, out);
    EXPECT_DOUBLE_EQ(out[0][0].t, 0.25);
    EXPECT_DOUBLE_EQ(out[0][1].t, 0.75);  // edge 3 runs from corner 3 to corner 0
}

TEST(Contour, ASaddleDrawsTwoSegmentsChosenByTheCentre) {
    // Corners 0 and 2 above, 1 and 3 below.
    const double s[4] = {1, 0, 1, 0};
    CellPoint out[2][2];
    // Centre above: 0 and 2 are joined, the segments cut off 1 and 3.
    ASSERT_EQ(contourSegmentsInCell(s, 0.6, 0.5, out), 2);
    EXPECT_EQ(out[0][0].edge, 0);
    EXPECT_EQ(out[0][1].edge, 1);
    EXPECT_EQ(out[1][0].edge, 2);
    EXPECT_EQ(out[1][1].edge, 3);
    // Centre below: the segments cut off 0 and 2.
    ASSERT_EQ(contourSegmentsInCell(s, 0.4, 0.5, out), 2);
    EXPECT_EQ(out[0][0].edge, 3);
    EXPECT_EQ(out[0][1].edge, 0);
    EXPECT_EQ(out[1][0].edge, 1);
    EXPECT_EQ(out[1][1].edge, 2);
}

// Segments as "x1 y1 x2 y2" from the recorded lines.
std::vector<std::vector<double>> segments(const RecordingSurface& out) {
    std::vector<std::vector<double>> s;
    for (const std::string& c : out.calls) {
        double a, b, e, f;
        if (std::sscanf(c.c_str(), "line %lf %lf %lf %lf", &a, &b, &e, &f) == 4)
            s.push_back({a, b, e, f});
    }
    return s;
}

TEST(Contour, LevelLinesOfAPlaneAreStraightAndJoined) {
    // z = column index + 2 * row index on a 4 x 5 grid over [0, 400] x
    // [0, 300]: the level 3.5 is the line x/100 + 2 (300 - y)/100 = 3.5.
    const int rows = 4, columns = 5;
    std::vector<double> z;
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < columns; j++) z.push_back(j + 2 * i);
    const PlotArea area{0, 400, 0, 300};
    const double level = 3.5;
    RecordingSurface out;
    ASSERT_TRUE(
        drawContourLines(z.data(), rows, columns, &level, 1, area, ContourStyle{}, out, nullptr));
    const auto s = segments(out);
    ASSERT_GE(s.size(), 3u);
    std::map<std::pair<long, long>, int> ends;
    for (const auto& g : s) {
        for (int k = 0; k < 4; k += 2) {
            EXPECT_NEAR(g[k] / 100 + 2 * (300 - g[k + 1]) / 100, level, 1e-9);
            ends[{std::lround(g[k] * 1000), std::lround(g[k + 1] * 1000)}]++;
        }
    }
    // One unbroken line: two free ends, every other point shared by two
    // segments.
    int free = 0;
    for (const auto& [point, n] : ends) {
        EXPECT_LE(n, 2);
        free += n == 1;
    }
    EXPECT_EQ(free, 2);
    EXPECT_NE(out.calls[0].find(" 8 1 1"), std::string::npos);  // contour colour, solid, width 1
}

TEST(Contour, BandsOfARampFillTheirShareOfTheArea) {
    // z = column index on a 3 x 5 grid over a 400 x 200 area: the band
    // [1, 2.5] covers 1.5 / 4 of it.
    const int rows = 3, columns = 5;
    std::vector<double> z;
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < columns; j++) z.push_back(j);
    const PlotArea area{0, 400, 0, 200};
    const double lo[2] = {1, 3}, hi[2] = {2.5, 3};
    struct AreaSurface : RecordingSurface {
        double area = 0;
        bool fillPolygon(const Point* p, int n, int style, ColorCode fill,
                         ColorCode frame) override {
            double a = 0;
            for (int i = 0; i < n; i++) a += p[i].x * p[(i + 1) % n].y - p[(i + 1) % n].x * p[i].y;
            area += std::fabs(a) / 2;
            return RecordingSurface::fillPolygon(p, n, style, fill, frame);
        }
    } out;
    ContourStyle style;
    style.fillStyle = 0;
    style.colour = 5;
    ASSERT_TRUE(drawContourBands(z.data(), rows, columns, lo, hi, 2, area, style, out, nullptr));
    EXPECT_NEAR(out.area, 400 * 200 * 1.5 / 4, 1e-6);
    EXPECT_EQ(out.calls[0].substr(0, 12), "fillPolygon ");
    EXPECT_NE(out.calls[0].find(" 0 5 0"), std::string::npos);
}

TEST(Contour, DensityCells) {
    const double z[6] = {0, 0.5, NAN, 1, 0.25, 0.75};  // 2 x 3
    const PlotArea area{0, 300, 0, 200};
    RecordingSurface out;
    ASSERT_TRUE(drawDensity(z, 2, 3, area, false, 4, 1, out, nullptr));
    // Six cells of 100 x 100, the first row at the bottom; NaN left empty.
    ASSERT_EQ(out.calls.size(), 5u);
    EXPECT_EQ(out.calls[0], "densityBar 0 100 100 200 0 4 1");
    EXPECT_EQ(out.calls[2], "densityBar 0 0 100 100 1 4 1");
    out.calls.clear();
    // Averaged: (2 - 1) x (3 - 1) cells of the means of four neighbours.
    ASSERT_TRUE(drawDensity(z, 2, 3, area, true, 4, 0, out, nullptr));
    ASSERT_EQ(out.calls.size(), 1u);
    EXPECT_EQ(out.calls[0], "densityBar 0 0 150 200 0.4375 4 0");
}

int pollsLeft;
bool stopAfterPolls() { return --pollsLeft < 0; }

TEST(Contour, EscapeStopsEveryCellLoop) {
    std::vector<double> z(10 * 10);
    for (size_t k = 0; k < z.size(); k++) z[k] = double(k % 10);
    const PlotArea area{0, 100, 0, 100};
    const double levels[2] = {0.5, 4.5}, hi[2] = {1.5, 5.5};
    RecordingSurface out;
    pollsLeft = 3;
    EXPECT_FALSE(
        drawContourLines(z.data(), 10, 10, levels, 2, area, ContourStyle{}, out, stopAfterPolls));
    EXPECT_LT(out.calls.size(), 10u);
    pollsLeft = 3;
    EXPECT_FALSE(drawContourBands(z.data(), 10, 10, levels, hi, 2, area, ContourStyle{}, out,
                                  stopAfterPolls));
    pollsLeft = 3;
    EXPECT_FALSE(drawDensity(z.data(), 10, 10, area, false, 1, 0, out, stopAfterPolls));
}

}  // namespace

namespace {

std::string svgOf(void (*draw)(Surface&)) {
    StringSink sink;
    ClipNumbering numbers;
    WriterSettings settings;
    settings.width = 1024;
    settings.height = 1024;
    SvgWriter writer(sink, settings, numbers);
    draw(writer);
    EXPECT_TRUE(writer.finish());
    return sink.text;
}

std::string rgbText(Rgb c) {
    char text[32];
    std::snprintf(text, sizeof text, "rgb(%d,%d,%d)", c.red, c.green, c.blue);
    return text;
}

// The style of the last polygon element.
std::string lastPolygonStyle(const std::string& svg) {
    const size_t at = svg.rfind("<polygon");
    const size_t style = svg.find("style=\"", at);
    return svg.substr(style + 7, svg.find('"', style + 7) - style - 7);
}

TEST(Contour, SavedBandsHaveNoFramesAndCellsKeepTheirColour) {
    // Band pieces are unframed polygons of the bar style (1 by default):
    // edged in their own colour, framed in colour 1 only when asked.
    const std::string band = svgOf([](Surface& s) {
        const Point p[3] = {{0, 0}, {100, 0}, {0, 100}};
        s.fillPolygon(p, 3, barFilledFramed, 3, 0);
    });
    const std::string fill = rgbText(resolveColor(3));
    // Edges are as wide as lines of width 1 in a picture of this size.
    EXPECT_EQ(lastPolygonStyle(band), "fill:" + fill + ";stroke:" + fill + ";stroke-width:2.00");
    const std::string framed = svgOf([](Surface& s) {
        const Point p[3] = {{0, 0}, {100, 0}, {0, 100}};
        s.fillPolygon(p, 3, barFilledFramed, 3, 5);
    });
    EXPECT_EQ(lastPolygonStyle(framed),
              "fill:" + fill + ";stroke:" + rgbText(resolveColor(1)) + ";stroke-width:2.00");
    // A density cell at 1 takes the colour of 1, as on the screen.
    const std::string cell = svgOf([](Surface& s) { s.densityBar(0, 0, 100, 100, 1, 0, 0); });
    EXPECT_NE(cell.find("fill:" + rgbText(schemeColor(0, 1))), std::string::npos);
    EXPECT_NE(rgbText(schemeColor(0, 1)), rgbText(schemeColor(0, 0)));
}

}  // namespace

}  // namespace kalix
