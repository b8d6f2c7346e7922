// Solid surfaces in painter's order.
#include "graphics/solid_plot.h"

#include <algorithm>
#include <cmath>

namespace kalix {

namespace {

uint64_t cellCount(int rows, int columns) {
    return rows > 1 && columns > 1 ? uint64_t(rows - 1) * uint64_t(columns - 1) : 0;
}

uint64_t nodeCount(int rows, int columns) {
    return rows > 0 && columns > 0 ? uint64_t(rows) * uint64_t(columns) : 0;
}

// The screen points of the cell's nodes P0 .. P3; false when one is NaN.
bool cellPoints(const SolidWork& w, int columns, const FaceKey& f, Point q[4]) {
    const size_t c = size_t(columns);
    const size_t p0 = f.i * c + f.j, p1 = p0 + c, p2 = p1 + 1, p3 = p0 + 1;
    q[0] = {w.x[p0], w.y[p0]};
    q[1] = {w.x[p1], w.y[p1]};
    q[2] = {w.x[p2], w.y[p2]};
    q[3] = {w.x[p3], w.y[p3]};
    return noNanPoints(q, 4);
}

LevelStyle levelStyle(const SurfaceStyle& s) {
    LevelStyle l;
    l.contourColour = s.contour;
    l.lineWidth = s.lineWidth;
    return l;
}

}  // namespace

uint64_t plainSolidBytes(int rows, int columns) {
    return workBytes({{nodeCount(rows, columns), 3 * sizeof(double)},
                      {cellCount(rows, columns), 2 * sizeof(FaceKey)}});
}

uint64_t cellSolidBytes(int rows, int columns) {
    return workBytes({{nodeCount(rows, columns), 2 * sizeof(double)},
                      {cellCount(rows, columns), sizeof(FaceKey)}});
}

SolidWork plainSolidWork(void* work, int rows, int columns) {
    const size_t n = nodeCount(rows, columns);
    double* d = static_cast<double*>(work);
    return {d, d + n, d + 2 * n, reinterpret_cast<FaceKey*>(d + 3 * n)};
}

SolidWork cellSolidWork(void* work, int rows, int columns) {
    const size_t n = nodeCount(rows, columns);
    double* d = static_cast<double*>(work);
    return {d, d + n, nullptr, reinterpret_cast<FaceKey*>(d + 2 * n)};
}

long long keyPlainSolid(const Projection& p, const SolidGrid& g, const SolidWork& w,
                        StopPoll stop) {
    if (!projectGrid(p, g.x, g.y, g.z, g.rows, g.columns, w.x, w.y, w.depth, stop)) return -1;
    const size_t c = size_t(g.columns);
    long long n = 0;
    for (int i = 0; i + 1 < g.rows; i++) {
        for (int j = 0; j + 1 < g.columns; j++) {
            const double* d = w.depth;
            const size_t p0 = i * c + j, p1 = p0 + c, p2 = p1 + 1, p3 = p0 + 1;
            const double k0 = (d[p0] + d[p1] + d[p3]) / 3, k1 = (d[p2] + d[p1] + d[p3]) / 3;
            if (!std::isnan(k0)) {
                w.keys[n++] = {k0, i, j, 0};
                if (!std::isnan(k1)) w.keys[n++] = {k1, i, j, 1};
            }
            if (stopRequested(stop)) return -1;
        }
    }
    return n;
}

long long keySolidCells(const Projection& p, const SolidGrid& g, const double* breaks,
                        int breakCount, const SolidWork& w, StopPoll stop) {
    // The next row after which a strip is left out (0-based); -1: none.
    int nextBreak = 0;
    auto breakRow = [&]() -> long long {
        if (nextBreak >= breakCount) return -1;
        const double b = breaks[nextBreak++];
        if (!(b > -1e18 && b < 1e18)) return -1;
        return (long long)b - 1;
    };
    long long b = breakRow();
    const size_t c = size_t(g.columns);
    long long n = 0;
    for (int i = 0; i < g.rows; i++) {
        bool leftOut = false;
        if (i == b) {
            leftOut = true;
            b = breakRow();
        }
        for (int j = 0; j < g.columns; j++) {
            const size_t k = i * c + j;
            const double depth =
                project(p, g.x.at(i, j), g.y.at(i, j), g.z.at(i, j), &w.x[k], &w.y[k]);
            if (i + 1 < g.rows && j + 1 < g.columns && !leftOut && !std::isnan(depth))
                w.keys[n++] = {depth, i, j, 0};
            if (stopRequested(stop)) return -1;
        }
    }
    return n;
}

void sortFaces(FaceKey* keys, long long n) {
    std::sort(keys, keys + n, [](const FaceKey& a, const FaceKey& b) { return a.key > b.key; });
}

bool drawPlainSolid(const SolidWork& w, int columns, long long n, const SurfaceStyle& style,
                    Surface& out, StopPoll stop) {
    const size_t c = size_t(columns);
    const int sr = style.subgrid[0], sc = style.subgrid[1];
    const bool sub = sr > 1 || sc > 1;
    for (long long k = 0; k < n; k++) {
        const FaceKey& f = w.keys[k];
        const size_t p0 = f.i * c + f.j, p1 = p0 + c, p2 = p1 + 1, p3 = p0 + 1;
        // Triangle 0 is (P0, P1, P3), triangle 1 (P2, P1, P3); the diagonal
        // P1-P3 is never outlined.
        const size_t first = f.triangle == 0 ? p0 : p2;
        const Point q[3] = {{w.x[first], w.y[first]}, {w.x[p1], w.y[p1]}, {w.x[p3], w.y[p3]}};
        int32_t flags[3] = {1, 0, 1};
        if (sub) {
            if (f.triangle == 0) {
                flags[0] = f.j % sc == 0;
                flags[2] = f.i % sr == 0;
            } else {
                flags[0] = (f.i + 1) % sr == 0;
                flags[2] = (f.j + 1) % sc == 0;
            }
        }
        if (noNanPoints(q, 3)) {
            ColorCode fill = style.fill[1];
            if (style.twoSides) {
                const double s = turnOf(q[0], q[1], q[2]);
                const bool second = f.triangle == 0 ? s >= 0 : s <= 0;
                fill = second ? style.fill[1] : style.fill[0];
            }
            out.facet(q, flags, 3, fill, style.wire);
        }
        if (stopRequested(stop)) return false;
    }
    return true;
}

bool drawSolidCells(const SolidWork& w, int columns, long long n, const SurfaceStyle& style,
                    Surface& out, StopPoll stop) {
    static const int32_t flags[4] = {1, 1, 1, 1};
    for (long long k = 0; k < n; k++) {
        Point q[4];
        if (cellPoints(w, columns, w.keys[k], q)) {
            ColorCode fill = style.fill[1];
            if (style.twoSides)
                fill = turnOf(q[0], q[1], q[2]) >= 0 ? style.fill[1] : style.fill[0];
            out.facet(q, flags, 4, fill, style.wire);
        }
        if (stopRequested(stop)) return false;
    }
    return true;
}

bool drawShadedSolid(const Projection& p, const SolidGrid& g, const SolidShading& shading,
                     const SolidWork& w, long long n, const SurfaceStyle& style, Surface& out,
                     StopPoll stop) {
    const LevelStyle lines = levelStyle(style);
    const int sr = style.subgrid[0], sc = style.subgrid[1];
    const bool shade = shading.shaded && style.hueScheme != 255;
    auto vertex = [&](int i, int j) {
        return Vertex3{g.x.at(i, j), g.y.at(i, j), g.z.at(i, j),
                       shading.values.data ? shading.values.at(i, j) : 0};
    };
    for (long long k = 0; k < n; k++) {
        const int i = w.keys[k].i, j = w.keys[k].j;
        Point q[4];
        if (cellPoints(w, g.columns, w.keys[k], q)) {
            const Vertex3 corner[4] = {vertex(i, j), vertex(i + 1, j), vertex(i + 1, j + 1),
                                       vertex(i, j + 1)};
            if (shade) {
                const double h = shading.hue.at(i, j);
                if (shading.hasLimits)
                    bandsInCell3d(p, corner, &shading.limits[0], &shading.limits[1], 1, h,
                                  style.hueScheme, lines, out);
                else
                    out.huePolygon(q, 4, h, style.hueScheme, 0);
            }
            if (shading.levelRows == 2)
                bandsInCell3d(p, corner, shading.levels, shading.levels + shading.levelCount,
                              shading.levelCount, 0, 0, lines, out);
            else if (shading.levelRows == 1)
                levelLinesInCell3d(p, corner, shading.levels, shading.levelCount, lines, out);
            if (style.hueGrid) {
                const double width = style.lineWidth;
                if (i % sr == 0) lineInSpace(p, corner[0], corner[3], style.wire, width, out);
                if (j % sc == 0) lineInSpace(p, corner[0], corner[1], style.wire, width, out);
                if ((j + 1) % sc == 0) lineInSpace(p, corner[3], corner[2], style.wire, width, out);
                if ((i + 1) % sr == 0) lineInSpace(p, corner[1], corner[2], style.wire, width, out);
            }
        }
        if (stopRequested(stop)) return false;
    }
    return true;
}

}  // namespace kalix
