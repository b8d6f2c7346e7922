// Level lines and bands on triangles, and the cells of shaded solids.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "graphics/level_sets.h"
#include "recording_surface.h"

namespace kalix {

namespace {

TEST(LevelSets, LevelFraction) {
    EXPECT_DOUBLE_EQ(levelFraction(1.5, 1, 3), 0.25);
    EXPECT_DOUBLE_EQ(levelFraction(1.5, 3, 1), 0.75);
    EXPECT_DOUBLE_EQ(levelFraction(2, 2, 2), 0.5);
    EXPECT_DOUBLE_EQ(levelFraction(2.5, 2, 2), 1e20);
}

// The value of a linear function at an edge point of a triangle.
double valueAt(const double v[3], const EdgePoint& e) {
    return v[e.from] + e.t * (v[e.to] - v[e.from]);
}

TEST(LevelSets, LevelSegmentsOfTriangles) {
    struct Case {
        double v[3], level;
        int segments;
    };
    const Case cases[] = {
        {{0, 1, 2}, 0.5, 1},    // crosses edges A-B and C-A
        {{0, 1, 2}, 1.5, 1},    // crosses B-C and C-A
        {{0, 1, 2}, 1, 1},      // through vertex B: from B to the opposite edge
        {{0, 1, 2}, 2.05, 0},   // just above every value: nothing
        {{0, 1, 2}, -0.05, 0},  // just below
        {{0, 0, 1}, 0.5, 1},   {{0, 0, 0}, 1, 0},
        {{NAN, 0, 1}, 0.5, 0},  // one crossing: the other edge touches NaN
        {{1, 1, 1}, 1, 1},      // every edge at the level: the first edge
    };
    for (const Case& c : cases) {
        EdgePoint s[2];
        const int n = levelSegmentInTriangle(c.v, c.level, s);
        SCOPED_TRACE(testing::Message()
                     << c.v[0] << " " << c.v[1] << " " << c.v[2] << " at " << c.level);
        ASSERT_EQ(n, c.segments);
        if (n == 0) continue;
        EXPECT_FALSE(s[0] == s[1]);  // never a segment of length 0
        EXPECT_NEAR(valueAt(c.v, s[0]), c.level, 1e-12);
        EXPECT_NEAR(valueAt(c.v, s[1]), c.level, 1e-12);
        for (const EdgePoint& e : s) EXPECT_TRUE(e.t >= 0 && e.t <= 1);
    }
    // An edge at the level is the piece: vertices 1 and 2.
    const double v[3] = {0, 1, 1};
    EdgePoint s[2];
    ASSERT_EQ(levelSegmentInTriangle(v, 1, s), 1);
    EXPECT_EQ(s[0], (EdgePoint{1, 1, 0}));
    EXPECT_EQ(s[1], (EdgePoint{2, 2, 0}));
}

TEST(LevelSets, OrderByValueSortsEveryArrangement) {
    const double values[][3] = {{1, 2, 3}, {1, 3, 2}, {2, 1, 3}, {2, 3, 1}, {3, 1, 2},
                                {3, 2, 1}, {1, 1, 2}, {2, 1, 1}, {1, 2, 1}, {1, 1, 1}};
    for (const auto& v : values) {
        int o[3];
        orderByValue(v, o);
        EXPECT_LE(v[o[0]], v[o[1]]);
        EXPECT_LE(v[o[1]], v[o[2]]);
        EXPECT_EQ(o[0] + o[1] + o[2], 3);
        EXPECT_TRUE(o[0] != o[1] && o[1] != o[2] && o[0] != o[2]);
    }
}

// The share of a triangle whose linear value (d <= e <= f at its
// vertices) lies below L.
double shareBelow(double d, double e, double f, double level) {
    if (level <= d) return 0;
    if (level >= f) return 1;
    if (level <= e) return e == d ? 0 : (level - d) * (level - d) / ((e - d) * (f - d));
    return 1 - (f - level) * (f - level) / ((f - d) * (f - e));
}

double shoelace(const std::vector<Point>& p) {
    double a = 0;
    for (size_t i = 0; i < p.size(); i++) {
        const Point &u = p[i], &w = p[(i + 1) % p.size()];
        a += u.x * w.y - w.x * u.y;
    }
    return std::fabs(a) / 2;
}

TEST(LevelSets, BandPolygonsCoverExactlyThePartBetweenTheLevels) {
    // Vertices of a triangle of area 1/2; the band's polygon must have the
    // area of the part whose value lies in [lo, hi] and stay in the band.
    const Point vertex[3] = {{0, 0}, {1, 0}, {0, 1}};
    const double d = 1, e = 2, f = 4;
    // One band for every row of the clipping table, and random ones.
    std::vector<std::pair<double, double>> bands = {
        {0, 5},     {1.5, 5},   {2.5, 5}, {4, 5},   {0, 0.5}, {0, 1},
        {1.2, 1.8}, {2.5, 3.5}, {1.5, 3}, {0.5, 3}, {2, 3},   {1, 2},
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<double> level(0, 5);
    for (int k = 0; k < 200; k++) {
        double a = level(random), b = level(random);
        if (a > b) std::swap(a, b);
        if (a < b) bands.push_back({a, b});
    }
    const double value[3] = {d, e, f};
    for (const auto& [lo, hi] : bands) {
        SCOPED_TRACE(testing::Message() << "band " << lo << " .. " << hi);
        EdgePoint piece[5];
        const int n = bandPolygon(d, e, f, lo, hi, piece);
        std::vector<Point> points;
        for (int i = 0; i < n; i++) {
            const EdgePoint& p = piece[i];
            points.push_back({vertex[p.from].x + p.t * (vertex[p.to].x - vertex[p.from].x),
                              vertex[p.from].y + p.t * (vertex[p.to].y - vertex[p.from].y)});
            const double v = valueAt(value, p);
            EXPECT_GE(v, std::max(lo, d) - 1e-12);
            EXPECT_LE(v, std::min(hi, f) + 1e-12);
        }
        const double expected = 0.5 * (shareBelow(d, e, f, hi) - shareBelow(d, e, f, lo));
        EXPECT_NEAR(n ? shoelace(points) : 0, expected, 1e-12);
    }
}

// Records the drawing of one cell through an oblique projection.
class CellTest : public testing::Test {
  public:
    const double view[4] = {5, 2, 0.5, 0.5};
    const double center[3] = {0, 0, 0};
    const int window[4] = {0, 0, 1024, 1024};
    Projection p = makeProjection(view, center, 0, window, 1);
    RecordingSurface out;
    LevelStyle style;

    int count(const char* kind) const {
        return int(std::count_if(out.calls.begin(), out.calls.end(),
                                 [&](const std::string& c) { return c.rfind(kind, 0) == 0; }));
    }
};

TEST_F(CellTest, ACellAtALevelDrawsItsFourEdges) {
    const Vertex3 c[4] = {{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 0, 1}};
    const double level = 1;
    levelLinesInCell3d(p, c, &level, 1, style, out);
    ASSERT_EQ(out.calls.size(), 4u);
    double x1, y1, x2, y2;
    const Point corner = [&] {
        Point s;
        project(p, 0, 0, 0, &s.x, &s.y);
        return s;
    }();
    // The first segment is the edge from corner 0 to corner 1, in the
    // contour colour, solid.
    ASSERT_EQ(std::sscanf(out.calls[0].c_str(), "line %lf %lf %lf %lf", &x1, &y1, &x2, &y2), 4);
    EXPECT_NEAR(x1, corner.x, 1e-3);
    EXPECT_NEAR(y1, corner.y, 1e-3);
    EXPECT_NE(out.calls[0].find(" 8 1 1"), std::string::npos);
}

TEST_F(CellTest, LevelLinesOfARampCrossEachTriangleOnce) {
    // v = x, centre 0.5: the level 0.25 crosses the three triangles that
    // reach below it, once each; the level 3 none.
    const Vertex3 c[4] = {{0, 0, 0, 0}, {1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 0, 0}};
    const double levels[2] = {0.25, 3};
    levelLinesInCell3d(p, c, levels, 2, style, out);
    EXPECT_EQ(count("line"), 3);
}

TEST_F(CellTest, BandsAreHuePolygonsOrPlainFacesInTheContourColour) {
    const Vertex3 c[4] = {{0, 0, 0, 0}, {1, 0, 0, 1}, {1, 1, 0, 2}, {0, 1, 0, 1}};
    const double lo[3] = {0.5, 1, 5}, hi[3] = {1.5, 0.5, 6};
    bandsInCell3d(p, c, lo, hi, 3, 0.25, 3, style, out);
    // The first band meets all four triangles; lo >= hi and a band above
    // every value draw nothing.
    EXPECT_EQ(count("huePolygon"), 4);
    EXPECT_EQ(count("facet"), 0);
    EXPECT_NE(out.calls[0].find(" 0.25 3 0"), std::string::npos);
    out.calls.clear();
    bandsInCell3d(p, c, lo, hi, 1, 0, 0, style, out);
    EXPECT_EQ(count("facet"), 4);
    EXPECT_NE(out.calls[0].find(" 8 0"), std::string::npos);  // contour colour, no edges
}

TEST(LevelSets, ContourBandTrianglesAreFilledPolygons) {
    RecordingSurface out;
    const Vertex2 t[3] = {{0, 0, 0}, {1, 100, 0}, {2, 0, 100}};
    bandInTriangle2d(t, 0.5, 1.5, 5, 7, out);
    ASSERT_EQ(out.calls.size(), 1u);
    EXPECT_EQ(out.calls[0], "fillPolygon 5 5 7 0");  // five corners, style 5, colour 7, no frame
    const Vertex2 withNan[3] = {{0, 0, 0}, {NAN, 100, 0}, {2, 0, 100}};
    bandInTriangle2d(withNan, 0.5, 1.5, 5, 7, out);
    EXPECT_EQ(out.calls.size(), 1u);
}

}  // namespace

}  // namespace kalix
