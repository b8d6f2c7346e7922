// The pictures of surfaces and boxes: oblique height plots, boxes, wire
// frames and the three forms of solids.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "facet_surface.h"
#include "graphics/solid_plot.h"
#include "graphics/surface_plots.h"

namespace kalix {

namespace {

const int window[4] = {10, 30, 1010, 1010};
const double defaultView[4] = {5, 2.6, 2, 0.4};
const double origin[3] = {0, 0, 0};

Projection defaultProjection(const double center[3] = origin) {
    return makeProjection(defaultView, center, 0, window, 1);
}

bool near(const Point& a, const Point& b) {
    return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9;
}

TEST(MeshPlot, EachCellIsFourTrianglesAroundItsCentre) {
    const double z[4] = {0, 1, 2, 3};  // 2 x 2
    const MeshLayout m = meshLayout(window, 2, 2, 0, 3, 1);
    EXPECT_DOUBLE_EQ(m.kc, 300);
    EXPECT_DOUBLE_EQ(m.kr, 200);
    EXPECT_DOUBLE_EQ(m.lr, 98);
    EXPECT_DOUBLE_EQ(m.lz, 0.8 * 980 / 3);
    double x[4], y[4];
    ASSERT_TRUE(meshCoordinates(z, 2, 2, m, x, y, nullptr));
    // Element (row 1, column 1).
    EXPECT_DOUBLE_EQ(x[3], 10 + 300 + 200);
    EXPECT_DOUBLE_EQ(y[3], 1010 - (98 + m.lz * 3));
    FacetSurface out;
    SurfaceStyle style;
    style.twoSides = false;
    ASSERT_TRUE(drawMesh(x, y, 2, 2, style, out, nullptr));
    ASSERT_EQ(out.faces.size(), 4u);
    const Point p00{x[0], y[0]}, p01{x[1], y[1]}, p10{x[2], y[2]}, p11{x[3], y[3]};
    const Point mid{(x[0] + x[1] + x[2] + x[3]) / 4, (y[0] + y[1] + y[2] + y[3]) / 4};
    // (A, B): (1,1)-(0,1), (0,1)-(0,0), (1,0)-(1,1), (0,0)-(1,0) as (column, row).
    const Point ends[4][2] = {{p11, p10}, {p10, p00}, {p01, p11}, {p00, p01}};
    for (int k = 0; k < 4; k++) {
        const auto& f = out.faces[size_t(k)];
        EXPECT_TRUE(near(f.points[0], ends[k][0]) && near(f.points[1], ends[k][1])) << k;
        EXPECT_TRUE(near(f.points[2], mid));
        EXPECT_EQ(f.flags, (std::vector<int>{1, 0, 0}));
        EXPECT_EQ(f.fill, style.fill[1]);
        EXPECT_EQ(f.edge, style.wire);
    }
    // Both sides: a cell seen from above takes the second colour, one
    // folded over (its back row drawn below its front row) the first.
    style.twoSides = true;
    for (int folded = 0; folded < 2; folded++) {
        const double heights[2][4] = {{0, 1, 2, 3}, {1, 1, 0, 0}};
        meshCoordinates(heights[folded], 2, 2, meshLayout(window, 2, 2, 0, 1, 1), x, y, nullptr);
        out.faces.clear();
        drawMesh(x, y, 2, 2, style, out, nullptr);
        for (const auto& f : out.faces) EXPECT_EQ(f.fill, style.fill[folded ? 0 : 1]);
    }
}

TEST(MeshPlot, BackRowsAreDrawnFirst) {
    // 3 rows, 2 columns: the cell of rows 1-2 lies behind the cell of rows
    // 0-1 and comes first.
    const double z[6] = {0, 0, 0, 0, 0, 0};
    const MeshLayout m = meshLayout(window, 3, 2, 0, 1, 1);
    double x[6], y[6];
    meshCoordinates(z, 3, 2, m, x, y, nullptr);
    FacetSurface out;
    drawMesh(x, y, 3, 2, SurfaceStyle{}, out, nullptr);
    ASSERT_EQ(out.faces.size(), 8u);
    EXPECT_LT(out.faces[0].points[2].y, out.faces[4].points[2].y);
}

TEST(MeshPlot, BarsHaveATopAFrontAndARightSide) {
    const double z[1] = {5};
    const MeshLayout m = meshBarLayout(window, 1, 1, 5, 6, 1);
    FacetSurface out;
    SurfaceStyle style;
    ASSERT_TRUE(drawMeshBars(z, 1, 1, m, style, out, nullptr));
    ASSERT_EQ(out.faces.size(), 3u);
    for (const auto& f : out.faces) {
        EXPECT_EQ(f.points.size(), 4u);
        EXPECT_EQ(f.flags, (std::vector<int>{1, 1, 1, 1}));
        EXPECT_EQ(f.fill, style.fill[0]);
    }
    // A flat value sits on the base row: the top is at row 1010.
    EXPECT_DOUBLE_EQ(out.faces[0].points[0].y, 1010);
    EXPECT_DOUBLE_EQ(out.faces[1].points[2].y, 1010);
    // The right side runs back to the base of the next row.
    EXPECT_DOUBLE_EQ(out.faces[2].points[2].y, 1010 - m.lr);
}

// The projected corners of a face of the box.
std::vector<Point> face(const Projection& p, const double corners[4][3]) {
    std::vector<Point> q(4);
    for (int k = 0; k < 4; k++)
        project(p, corners[k][0], corners[k][1], corners[k][2], &q[k].x, &q[k].y);
    return q;
}

bool sameFace(const FacetSurface::Face& f, const std::vector<Point>& q) {
    for (int k = 0; k < 4; k++)
        if (!near(f.points[size_t(k)], q[size_t(k)])) return false;
    return true;
}

TEST(Cubes, OnlyTheFacesTowardTheEyeAreDrawn) {
    const Projection p = defaultProjection();
    const double box[6] = {0, 1, 0, 1, 0, 1};
    FacetSurface out;
    SurfaceStyle style;
    ASSERT_TRUE(drawCubes(p, box, 1, nullptr, style, out, nullptr));
    // The eye lies at +x, +y, +z: the faces x = 1, y = 1 and z = 1.
    ASSERT_EQ(out.faces.size(), 3u);
    const double x1[4][3] = {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}};
    const double y1[4][3] = {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}};
    const double z1[4][3] = {{0, 0, 1}, {0, 1, 1}, {1, 1, 1}, {1, 0, 1}};
    EXPECT_TRUE(sameFace(out.faces[0], face(p, x1)));
    EXPECT_TRUE(sameFace(out.faces[1], face(p, y1)));
    EXPECT_TRUE(sameFace(out.faces[2], face(p, z1)));
    EXPECT_EQ(out.faces[0].fill, style.fill[0]);
    // A reversed box around the eye's x draws both x faces; colours come
    // from the colour vector.
    out.faces.clear();
    const double reversed[6] = {5, 3, 0, 1, 0, 1};
    const double colour = 7.9;
    drawCubes(p, reversed, 1, &colour, style, out, nullptr);
    EXPECT_EQ(out.faces.size(), 4u);
    EXPECT_EQ(out.faces[0].fill, 7);
}

TEST(Cubes, TheCentreMovesTheEye) {
    // With the centre (3, 0, 0) the box [1.5, 2.5] lies beyond the eye's x
    // (1.19): its face x = 1.5 is the one seen.
    const double center[3] = {3, 0, 0};
    const Projection p = defaultProjection(center);
    const double box[6] = {1.5, 2.5, 0, 1, 0, 1};
    FacetSurface out;
    drawCubes(p, box, 1, nullptr, SurfaceStyle{}, out, nullptr);
    ASSERT_EQ(out.faces.size(), 3u);
    const double x0[4][3] = {{1.5, 0, 0}, {1.5, 1, 0}, {1.5, 1, 1}, {1.5, 0, 1}};
    EXPECT_TRUE(sameFace(out.faces[0], face(p, x0)));
}

// Projects a grid and draws its wire frame.
FacetSurface wireOf(std::vector<double> z, int rows, int columns, bool rowsOnly) {
    std::vector<double> xs, ys;
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < columns; j++) xs.push_back(j), ys.push_back(i);
    const GridMatrix gx{xs.data(), rows, columns}, gy{ys.data(), rows, columns},
        gz{z.data(), rows, columns};
    std::vector<double> x(z.size()), y(z.size());
    projectGrid(defaultProjection(), gx, gy, gz, rows, columns, x.data(), y.data(), nullptr,
                nullptr);
    FacetSurface out;
    drawWire(x.data(), y.data(), rows, columns, rowsOnly, SurfaceStyle{}, out, nullptr);
    return out;
}

TEST(Wire, GridLinesAndNanNodes) {
    EXPECT_EQ(wireOf(std::vector<double>(9, 0), 3, 3, false).lines.size(), 12u);
    EXPECT_EQ(wireOf(std::vector<double>(9, 0), 3, 3, true).lines.size(), 6u);
    // A NaN node takes its four segments with it.
    std::vector<double> z(9, 0);
    z[4] = NAN;
    EXPECT_EQ(wireOf(z, 3, 3, false).lines.size(), 8u);
    // One row: its line only; one column: column lines, none for rows only.
    EXPECT_EQ(wireOf(std::vector<double>(4, 0), 1, 4, false).lines.size(), 3u);
    EXPECT_EQ(wireOf(std::vector<double>(4, 0), 4, 1, false).lines.size(), 3u);
    EXPECT_EQ(wireOf(std::vector<double>(4, 0), 4, 1, true).lines.size(), 0u);
    const FacetSurface s = wireOf(std::vector<double>(4, 0), 2, 2, false);
    EXPECT_NE(s.calls[0].find(" 9 1 1"), std::string::npos);  // wire colour, line style, width
}

// A surface grid over [0, 1] x [0, 1] with heights z.
class SolidTest : public testing::Test {
  public:
    int rows = 0, columns = 0;
    std::vector<double> xs, ys, zs;
    std::vector<uint64_t> work;
    SolidGrid grid{};
    SolidWork w{};

    void makeGrid(int r, int c, double (*height)(double, double)) {
        rows = r, columns = c;
        xs.clear(), ys.clear(), zs.clear();
        for (int j = 0; j < c; j++) xs.push_back(double(j) / (c - 1));
        for (int i = 0; i < r; i++) ys.push_back(double(i) / (r - 1));
        for (int i = 0; i < r; i++)
            for (int j = 0; j < c; j++) zs.push_back(height(xs[size_t(j)], ys[size_t(i)]));
        grid = {{xs.data(), 1, c}, {ys.data(), r, 1}, {zs.data(), r, c}, r, c};
    }
    void plainWork() {
        work.assign(plainSolidBytes(rows, columns) / 8 + 1, 0);
        w = plainSolidWork(work.data(), rows, columns);
    }
    void cellWork() {
        work.assign(cellSolidBytes(rows, columns) / 8 + 1, 0);
        w = cellSolidWork(work.data(), rows, columns);
    }
};

double flat(double, double) { return 0; }
double bowl(double x, double y) { return (x - 0.5) * (x - 0.5) + (y - 0.5) * (y - 0.5); }

TEST_F(SolidTest, WorkSpaceSizes) {
    EXPECT_EQ(plainSolidBytes(3, 4), 3 * 4 * 24u + 2 * 3 * 2 * sizeof(FaceKey));
    EXPECT_EQ(cellSolidBytes(3, 4), 3 * 4 * 16u + 2 * 3 * sizeof(FaceKey));
    EXPECT_EQ(workBytes({{uint64_t(1) << 62, 8}}), UINT64_MAX);
    EXPECT_EQ(workBytes({{uint64_t(1) << 62, 2}, {uint64_t(1) << 62, 2}}), UINT64_MAX);
}

TEST_F(SolidTest, FacesAreDrawnFarthestFirst) {
    makeGrid(6, 6, bowl);
    plainWork();
    const Projection p = defaultProjection();
    const long long n = keyPlainSolid(p, grid, w, nullptr);
    ASSERT_EQ(n, 2 * 5 * 5);
    sortFaces(w.keys, n);
    for (long long k = 1; k < n; k++) EXPECT_GE(w.keys[k - 1].key, w.keys[k].key);
    // Each key is the mean depth of its triangle's corners.
    const FaceKey& f = w.keys[0];
    const size_t p0 = size_t(f.i * columns + f.j), p1 = p0 + size_t(columns), p3 = p0 + 1;
    const size_t first = f.triangle ? p1 + 1 : p0;
    EXPECT_DOUBLE_EQ(f.key, (w.depth[first] + w.depth[p1] + w.depth[p3]) / 3);
    FacetSurface out;
    ASSERT_TRUE(drawPlainSolid(w, columns, n, SurfaceStyle{}, out, nullptr));
    EXPECT_EQ(out.faces.size(), size_t(n));
    EXPECT_EQ(out.faces[0].flags, (std::vector<int>{1, 0, 1}));
}

TEST_F(SolidTest, NanCorners) {
    makeGrid(3, 3, flat);
    plainWork();
    const Projection p = defaultProjection();
    zs[0] = NAN;  // corner P0 of cell (0, 0): the whole cell
    EXPECT_EQ(keyPlainSolid(p, grid, w, nullptr), 2 * 4 - 2);
    zs[0] = 0;
    zs[4] = NAN;  // P2 of cell (0, 0), P3 of (1, 0), P1 of (0, 1), P0 of (1, 1)
    const long long n = keyPlainSolid(p, grid, w, nullptr);
    EXPECT_EQ(n, 8 - 1 - 2 - 2 - 2);
    FacetSurface out;
    drawPlainSolid(w, columns, n, SurfaceStyle{}, out, nullptr);
    EXPECT_EQ(out.faces.size(), size_t(n));
}

TEST_F(SolidTest, SubgridOutlinesEverySrthRowAndScthColumnLine) {
    makeGrid(7, 7, flat);
    plainWork();
    const long long n = keyPlainSolid(defaultProjection(), grid, w, nullptr);
    SurfaceStyle style;
    style.subgrid[0] = 2;
    style.subgrid[1] = 3;
    style.twoSides = false;
    FacetSurface out;
    drawPlainSolid(w, columns, n, style, out, nullptr);
    for (long long k = 0; k < n; k++) {
        const FaceKey& f = w.keys[k];
        const auto& flags = out.faces[size_t(k)].flags;
        EXPECT_EQ(flags[1], 0);
        if (f.triangle == 0) {
            EXPECT_EQ(flags[0], f.j % 3 == 0);
            EXPECT_EQ(flags[2], f.i % 2 == 0);
        } else {
            EXPECT_EQ(flags[0], (f.i + 1) % 2 == 0);
            EXPECT_EQ(flags[2], (f.j + 1) % 3 == 0);
        }
        EXPECT_EQ(out.faces[size_t(k)].fill, style.fill[1]);
    }
}

TEST_F(SolidTest, BreaksLeaveOutTheStripAfterEachBreakRow) {
    makeGrid(10, 3, flat);
    cellWork();
    const Projection p = defaultProjection();
    struct Case {
        std::vector<double> breaks;
        long long cells;
    };
    const Case cases[] = {
        {{5}, 8 * 2},        // the strip between rows 5 and 6
        {{10}, 9 * 2},       // after the last row: nothing
        {{0, 3}, 9 * 2},     // a first break below 1 switches all off
        {{3, 3, 6}, 8 * 2},  // a break not larger than the last is never reached
        {{2, 4, 6, 8}, 5 * 2}, {{}, 9 * 2},
    };
    for (const Case& c : cases) {
        const long long n =
            keySolidCells(p, grid, c.breaks.data(), int(c.breaks.size()), w, nullptr);
        EXPECT_EQ(n, c.cells);
        if (c.breaks == std::vector<double>{5}) {
            for (long long k = 0; k < n; k++) EXPECT_NE(w.keys[k].i, 4);
        }
    }
    FacetSurface out;
    SurfaceStyle style;
    style.twoSides = false;
    const double breaks[1] = {5};
    const long long n = keySolidCells(p, grid, breaks, 1, w, nullptr);
    sortFaces(w.keys, n);
    drawSolidCells(w, columns, n, style, out, nullptr);
    ASSERT_EQ(out.faces.size(), 16u);
    for (const auto& f : out.faces) {
        EXPECT_EQ(f.flags, (std::vector<int>{1, 1, 1, 1}));
        EXPECT_EQ(f.fill, style.fill[1]);
    }
}

TEST_F(SolidTest, ShadedCellsLevelsAndGridLines) {
    makeGrid(3, 3, bowl);
    cellWork();
    const Projection p = defaultProjection();
    const long long n = keySolidCells(p, grid, nullptr, 0, w, nullptr);
    ASSERT_EQ(n, 4);
    sortFaces(w.keys, n);
    const double hue = 0.5;
    const double levels[2] = {0.1, 0.3};
    SolidShading s;
    s.hue = {&hue, 1, 1};
    s.values = grid.z;
    SurfaceStyle style;
    auto draw = [&](const SolidShading& shading, const SurfaceStyle& st) {
        FacetSurface out;
        EXPECT_TRUE(drawShadedSolid(p, grid, shading, w, n, st, out, nullptr));
        return out;
    };
    // Shading only: one hue polygon a cell.
    EXPECT_EQ(draw(s, style).hues.size(), 4u);
    // Shading off (hue 0) or scheme 255: none; level lines still drawn.
    s.levels = levels;
    s.levelCount = 1;
    s.levelRows = 1;
    SolidShading off = s;
    off.shaded = false;
    FacetSurface lines = draw(off, style);
    EXPECT_EQ(lines.hues.size(), 0u);
    EXPECT_GT(lines.lines.size(), 0u);
    SurfaceStyle noHue = style;
    noHue.hueScheme = 255;
    EXPECT_EQ(draw(s, noHue).hues.size(), 0u);
    // Limits: only the parts of the faces between them.
    SolidShading limited = s;
    limited.levelRows = 0;
    limited.hasLimits = true;
    limited.limits[0] = 0;
    limited.limits[1] = 0.1;
    const FacetSurface part = draw(limited, style);
    EXPECT_GT(part.hues.size(), 4u);  // pieces of triangles
    // Bands of the values in the contour colour, without edges.
    SolidShading bands = off;
    bands.levelRows = 2;
    bands.levelCount = 1;
    const FacetSurface filled = draw(bands, style);
    ASSERT_GT(filled.faces.size(), 0u);
    EXPECT_EQ(filled.faces[0].fill, style.contour);
    EXPECT_EQ(filled.faces[0].flags, std::vector<int>(filled.faces[0].flags.size(), 0));
    // The hue grid: four lines a cell with subgrid 1.
    SolidShading plain = off;
    plain.levelRows = 0;
    SurfaceStyle grid = style;
    grid.hueGrid = true;
    EXPECT_EQ(draw(plain, grid).lines.size(), 16u);
}

int pollsLeft;
bool stopAfterPolls() { return --pollsLeft < 0; }

TEST_F(SolidTest, EscapeStopsEveryLoop) {
    makeGrid(5, 5, bowl);
    plainWork();
    const Projection p = defaultProjection();
    pollsLeft = 3;
    EXPECT_EQ(keyPlainSolid(p, grid, w, stopAfterPolls), -1);
    pollsLeft = 30;  // past the 25 nodes, into the cells
    EXPECT_EQ(keyPlainSolid(p, grid, w, stopAfterPolls), -1);
    const long long n = keyPlainSolid(p, grid, w, nullptr);
    FacetSurface out;
    pollsLeft = 3;
    EXPECT_FALSE(drawPlainSolid(w, columns, n, SurfaceStyle{}, out, stopAfterPolls));
    EXPECT_EQ(out.faces.size(), 4u);
    double x[25], y[25];
    pollsLeft = 3;
    EXPECT_FALSE(
        meshCoordinates(zs.data(), 5, 5, meshLayout(window, 5, 5, 0, 1, 1), x, y, stopAfterPolls));
    meshCoordinates(zs.data(), 5, 5, meshLayout(window, 5, 5, 0, 1, 1), x, y, nullptr);
    pollsLeft = 3;
    EXPECT_FALSE(drawMesh(x, y, 5, 5, SurfaceStyle{}, out, stopAfterPolls));
    pollsLeft = 3;
    EXPECT_FALSE(drawMeshBars(zs.data(), 5, 5, meshLayout(window, 5, 5, 0, 1, 1), SurfaceStyle{},
                              out, stopAfterPolls));
    pollsLeft = 0;
    const double boxes[12] = {0, 1, 0, 1, 0, 1, 2, 3, 2, 3, 2, 3};
    out.faces.clear();
    EXPECT_FALSE(drawCubes(p, boxes, 2, nullptr, SurfaceStyle{}, out, stopAfterPolls));
    EXPECT_EQ(out.faces.size(), 3u);
    pollsLeft = 1;
    EXPECT_FALSE(drawWire(x, y, 5, 5, false, SurfaceStyle{}, out, stopAfterPolls));
}

}  // namespace

}  // namespace kalix
