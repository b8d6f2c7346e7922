// Height-matrix plots, boxes and wire frames.
#include "graphics/surface_plots.h"

#include <algorithm>
#include <cmath>

#include "graphics/graphics_state.h"

namespace kalix {

SurfaceStyle currentSurfaceStyle() {
    SurfaceStyle s;
    s.fill[0] = fillColors[0];
    s.fill[1] = fillColors[1];
    s.wire = currentWireColor;
    s.contour = currentContourColor;
    s.lineStyle = currentLineStyle;
    s.lineWidth = currentLineWidth;
    s.twoSides = twoSidesFlag != 0;
    s.subgrid[0] = subgridSteps[0] > 0 ? subgridSteps[0] : 1;
    s.subgrid[1] = subgridSteps[1] > 0 ? subgridSteps[1] : 1;
    s.hueScheme = currentHueColor;
    s.hueGrid = hueGridFlag != 0;
    return s;
}

bool noNanPoints(const Point* p, int n) {
    for (int k = 0; k < n; k++)
        if (std::isnan(p[k].x) || std::isnan(p[k].y)) return false;
    return true;
}

uint64_t workBytes(std::initializer_list<std::pair<uint64_t, uint64_t>> items) {
    uint64_t total = 0;
    for (const auto& [count, size] : items) {
        uint64_t bytes;
        if (__builtin_mul_overflow(count, size, &bytes) ||
            __builtin_add_overflow(total, bytes, &total))
            return UINT64_MAX;
    }
    return total;
}

namespace {

// A colour code from a double: truncated, clamped to the int range, NaN 0.
ColorCode colourOf(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return ColorCode(v);
}

// The fill of a face with corners a, b and a third point c: the first
// colour when (b - a) x (c - a) >= 0 (seen from the first side).
ColorCode sideColour(const SurfaceStyle& style, const Point& a, const Point& b, const Point& c) {
    if (!style.twoSides) return style.fill[1];
    return turnOf(a, b, c) >= 0 ? style.fill[0] : style.fill[1];
}

MeshLayout layoutWith(const int window[4], double columnsAcross, double rowsAcross, double zmin,
                      double zmax, double meshScale) {
    const double width = double((long long)window[2] - window[0]);
    const double height = double((long long)window[3] - window[1]);
    MeshLayout m;
    m.c0 = window[0];
    m.r1 = window[3];
    m.kc = 0.6 * width / columnsAcross;
    m.kr = 0.4 * width / rowsAcross;
    m.lr = 0.2 * height / rowsAcross;
    m.lz = 0.8 * meshScale * height / (zmax - zmin);
    m.zmin = zmin;
    return m;
}

}  // namespace

MeshLayout meshLayout(const int window[4], int rows, int columns, double zmin, double zmax,
                      double meshScale) {
    return layoutWith(window, columns, rows, zmin, zmax, meshScale);
}

MeshLayout meshBarLayout(const int window[4], int rows, int columns, double zmin, double zmax,
                         double meshScale) {
    const double n = std::max(rows, columns);
    return layoutWith(window, n, n, zmin, zmax, meshScale);
}

bool meshCoordinates(const double* z, int rows, int columns, const MeshLayout& m, double* x,
                     double* y, StopPoll stop) {
    for (int i = 0; i < columns; i++) {
        for (int j = 0; j < rows; j++) {
            const size_t k = size_t(j) * size_t(columns) + size_t(i);
            x[k] = m.c0 + (m.kc * i + m.kr * j);
            y[k] = m.r1 - (m.lr * j + m.lz * (z[k] - m.zmin));
            if (stopRequested(stop)) return false;
        }
    }
    return true;
}

bool drawMesh(const double* x, const double* y, int rows, int columns, const SurfaceStyle& style,
              Surface& out, StopPoll stop) {
    static const int32_t flags[3] = {1, 0, 0};
    auto node = [&](int i, int j) {
        const size_t k = size_t(j) * size_t(columns) + size_t(i);
        return Point{x[k], y[k]};
    };
    for (int i = 0; i + 1 < columns; i++) {
        for (int j = rows - 2; j >= 0; j--) {
            const Point p00 = node(i, j), p10 = node(i + 1, j), p01 = node(i, j + 1),
                        p11 = node(i + 1, j + 1);
            const Point m{(p00.x + p10.x + p01.x + p11.x) / 4, (p00.y + p10.y + p01.y + p11.y) / 4};
            if (noNanPoints(&m, 1)) {
                const Point ends[4][2] = {{p11, p01}, {p01, p00}, {p10, p11}, {p00, p10}};
                for (const auto& e : ends) {
                    const Point t[3] = {e[0], e[1], m};
                    out.facet(t, flags, 3, sideColour(style, e[0], e[1], m), style.wire);
                }
            }
            if (stopRequested(stop)) return false;
        }
    }
    return true;
}

bool drawMeshBars(const double* z, int rows, int columns, const MeshLayout& m,
                  const SurfaceStyle& style, Surface& out, StopPoll stop) {
    static const int32_t flags[4] = {1, 1, 1, 1};
    for (int i = 0; i < columns; i++) {
        for (int j = rows - 1; j >= 0; j--) {
            const double v = z[size_t(j) * size_t(columns) + size_t(i)];
            if (!std::isnan(v)) {
                const double w = m.c0 + (m.kc * i + m.kr * j);
                const double b = m.r1 - (m.lr * j + m.lz * (v - m.zmin));
                const double g0 = m.r1 - m.lr * j, g1 = m.r1 - m.lr * (j + 1);
                const double kc = m.kc, kr = m.kr, lr = m.lr;
                const Point faces[3][4] = {
                    {{w, b}, {w + kc, b}, {w + kc + kr, b - lr}, {w + kr, b - lr}},
                    {{w, b}, {w + kc, b}, {w + kc, g0}, {w, g0}},
                    {{w + kc, b}, {w + kc + kr, b - lr}, {w + kc + kr, g1}, {w + kc, g0}}};
                for (const auto& f : faces) out.facet(f, flags, 4, style.fill[0], style.wire);
            }
            if (stopRequested(stop)) return false;
        }
    }
    return true;
}

bool drawCubes(const Projection& p, const double* boxes, int n, const double* colours,
               const SurfaceStyle& style, Surface& out, StopPoll stop) {
    static const int32_t flags[4] = {1, 1, 1, 1};
    double eye[3];
    eyePoint(p, eye);
    for (int k = 0; k < n; k++) {
        const double* b = boxes + size_t(k) * 6;
        const double x0 = b[0], x1 = b[1], y0 = b[2], y1 = b[3], z0 = b[4], z1 = b[5];
        const ColorCode fill = colours ? colourOf(colours[k]) : style.fill[0];
        // The faces, each with the test that its outer side faces the eye.
        const struct {
            bool seen;
            double corner[4][3];
        } faces[6] = {
            {x0 > eye[0], {{x0, y0, z0}, {x0, y1, z0}, {x0, y1, z1}, {x0, y0, z1}}},
            {eye[0] > x1, {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}},
            {y0 > eye[1], {{x0, y0, z0}, {x0, y0, z1}, {x1, y0, z1}, {x1, y0, z0}}},
            {eye[1] > y1, {{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}},
            {z0 > eye[2], {{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}},
            {eye[2] > z1, {{x0, y0, z1}, {x0, y1, z1}, {x1, y1, z1}, {x1, y0, z1}}},
        };
        for (const auto& f : faces) {
            if (!f.seen) continue;
            Point q[4];
            for (int c = 0; c < 4; c++)
                project(p, f.corner[c][0], f.corner[c][1], f.corner[c][2], &q[c].x, &q[c].y);
            out.facet(q, flags, 4, fill, style.wire);
        }
        if (stopRequested(stop)) return false;
    }
    return true;
}

bool projectGrid(const Projection& p, const GridMatrix& gx, const GridMatrix& gy,
                 const GridMatrix& gz, int rows, int columns, double* x, double* y, double* depth,
                 StopPoll stop) {
    for (int i = 0; i < rows; i++) {
        for (int j = 0; j < columns; j++) {
            const size_t k = size_t(i) * size_t(columns) + size_t(j);
            const double d = project(p, gx.at(i, j), gy.at(i, j), gz.at(i, j), &x[k], &y[k]);
            if (depth) depth[k] = d;
            if (stopRequested(stop)) return false;
        }
    }
    return true;
}

bool drawWire(const double* x, const double* y, int rows, int columns, bool rowsOnly,
              const SurfaceStyle& style, Surface& out, StopPoll stop) {
    auto segment = [&](size_t a, size_t b) {
        if (std::isnan(x[a]) || std::isnan(x[b]) || std::isnan(y[a]) || std::isnan(y[b])) return;
        out.line(x[a], y[a], x[b], y[b], style.wire, style.lineStyle, style.lineWidth);
    };
    const size_t c = size_t(columns);
    if (columns > 1) {
        for (int i = 0; i < rows; i++) {
            for (int j = 0; j + 1 < columns; j++) segment(i * c + j, i * c + j + 1);
            if (stopRequested(stop)) return false;
        }
    }
    if (rows > 1 && !rowsOnly) {
        for (int j = 0; j < columns; j++) {
            for (int i = 0; i + 1 < rows; i++) segment(i * c + j, (i + 1) * c + j);
            if (stopRequested(stop)) return false;
        }
    }
    return true;
}

}  // namespace kalix
