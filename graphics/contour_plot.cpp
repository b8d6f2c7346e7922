// Contour lines and bands, density cells.
#include "graphics/contour_plot.h"

#include <algorithm>
#include <cmath>

#include "graphics/level_sets.h"

namespace kalix {

PlotArea plotAreaWithMargin(const int window[4], double margin) {
    const long long c0 = window[0], r0 = window[1], c1 = window[2], r1 = window[3];
    const double cx = double((c0 + c1) / 2), cy = double((r0 + r1) / 2);
    const double hx = double((c0 - c1) / 2) / (1 + margin);
    const double hy = double((r0 - r1) / 2) / (1 + margin);
    return {cx + hx, cx - hx, cy + hy, cy - hy};
}

int contourSegmentsInCell(const double s[4], double centre, double level, CellPoint out[2][2]) {
    bool above[4];
    for (int k = 0; k < 4; k++) above[k] = s[k] >= level;
    CellPoint crossing[4];
    bool crossed[4];
    int count = 0;
    for (int e = 0; e < 4; e++) {
        const double a = s[e], b = s[(e + 1) % 4];
        crossed[e] = !std::isnan(a) && !std::isnan(b) && above[e] != above[(e + 1) % 4];
        if (!crossed[e]) continue;
        crossing[e] = {e, (level - a) / (b - a)};
        count++;
    }
    if (count == 4) {
        // A saddle: corners 0 and 2 lie on one side, 1 and 3 on the other.
        // When the centre is on corner 0's side, 0 and 2 are joined through
        // it and the segments cut off corners 1 and 3; else 0 and 2.
        const bool joinEven = (centre >= level) == above[0];
        const int pairs[2][2][2] = {{{3, 0}, {1, 2}}, {{0, 1}, {2, 3}}};
        for (int k = 0; k < 2; k++) {
            out[k][0] = crossing[pairs[joinEven][k][0]];
            out[k][1] = crossing[pairs[joinEven][k][1]];
        }
        return 2;
    }
    if (count != 2) return 0;
    int n = 0;
    for (int e = 0; e < 4; e++)
        if (crossed[e]) out[0][n++] = crossing[e];
    return 1;
}

namespace {

// Corner positions of the cells: column j at x(j), row i at y(i).
struct CellGrid {
    double left, dx, bottom, dy;
    double x(int j) const { return left + j * dx; }
    double y(int i) const { return bottom - i * dy; }
};

CellGrid cellGrid(const PlotArea& a, int rows, int columns) {
    return {a.left, (a.right - a.left) / (columns - 1), a.bottom, (a.bottom - a.top) / (rows - 1)};
}

// The corners of cell (i, j) in cycle order and their values.
void cellCorners(const double* z, int columns, const CellGrid& g, int i, int j, Point corner[4],
                 double s[4]) {
    corner[0] = {g.x(j), g.y(i)};
    corner[1] = {g.x(j), g.y(i + 1)};
    corner[2] = {g.x(j + 1), g.y(i + 1)};
    corner[3] = {g.x(j + 1), g.y(i)};
    const double* row = z + size_t(i) * size_t(columns);
    const double* next = row + columns;
    s[0] = row[j];
    s[1] = next[j];
    s[2] = next[j + 1];
    s[3] = row[j + 1];
}

Point onEdge(const Point corner[4], const CellPoint& p) {
    const Point &a = corner[p.edge], &b = corner[(p.edge + 1) % 4];
    return {a.x + p.t * (b.x - a.x), a.y + p.t * (b.y - a.y)};
}

// Calls each(i, j, corners, values) for every cell, row by row; false when
// the stop poll ended it.
template <typename Each>
bool forEachCell(const double* z, int rows, int columns, const CellGrid& g, StopPoll stop,
                 Each each) {
    for (int i = 0; i + 1 < rows; i++) {
        for (int j = 0; j + 1 < columns; j++) {
            Point corner[4];
            double s[4];
            cellCorners(z, columns, g, i, j, corner, s);
            each(i, j, corner, s);
            if (stopRequested(stop)) return false;
        }
    }
    return true;
}

}  // namespace

bool drawContourLines(const double* z, int rows, int columns, const double* levels, int n,
                      const PlotArea& area, const ContourStyle& style, Surface& out,
                      StopPoll stop) {
    const CellGrid g = cellGrid(area, rows, columns);
    return forEachCell(
        z, rows, columns, g, stop, [&](int, int, const Point* corner, const double* s) {
            const double low = std::min(std::min(s[0], s[1]), std::min(s[2], s[3]));
            const double high = std::max(std::max(s[0], s[1]), std::max(s[2], s[3]));
            const double centre = (s[0] + s[1] + s[2] + s[3]) / 4;
            const bool someNan = std::isnan(centre);
            for (int k = 0; k < n; k++) {
                const double level = levels[k];
                // A level outside the cell's values crosses no edge.
                if (!someNan && (level < low || level > high)) continue;
                CellPoint segment[2][2];
                const int count = contourSegmentsInCell(s, centre, level, segment);
                for (int m = 0; m < count; m++) {
                    const Point a = onEdge(corner, segment[m][0]);
                    const Point b = onEdge(corner, segment[m][1]);
                    out.line(a.x, a.y, b.x, b.y, style.colour, lineSolid, style.lineWidth);
                }
            }
        });
}

bool drawContourBands(const double* z, int rows, int columns, const double* lo, const double* hi,
                      int n, const PlotArea& area, const ContourStyle& style, Surface& out,
                      StopPoll stop) {
    const CellGrid g = cellGrid(area, rows, columns);
    return forEachCell(
        z, rows, columns, g, stop, [&](int i, int j, const Point* corner, const double* s) {
            const Vertex2 centre{(s[0] + s[1] + s[2] + s[3]) / 4, (g.x(j) + g.x(j + 1)) / 2,
                                 (g.y(i) + g.y(i + 1)) / 2};
            for (int k = 0; k < n; k++) {
                if (!(lo[k] < hi[k])) continue;
                for (int q = 0; q < 4; q++) {
                    const int r = (q + 1) % 4;
                    const Vertex2 t[3] = {
                        {s[q], corner[q].x, corner[q].y}, {s[r], corner[r].x, corner[r].y}, centre};
                    bandInTriangle2d(t, lo[k], hi[k], style.fillStyle, style.colour, out);
                }
            }
        });
}

bool drawDensity(const double* z, int rows, int columns, const PlotArea& area, bool averaged,
                 int scheme, int gridFlag, Surface& out, StopPoll stop) {
    const int cellRows = averaged ? rows - 1 : rows, cellColumns = averaged ? columns - 1 : columns;
    const double w = area.right - area.left, h = area.bottom - area.top;
    const double cw = w / cellColumns, ch = h / cellRows;
    for (int i = 0; i < cellRows; i++) {
        const double* row = z + size_t(i) * size_t(columns);
        for (int j = 0; j < cellColumns; j++) {
            const double v =
                averaged ? (row[j] + row[columns + j] + row[columns + j + 1] + row[j + 1]) / 4
                         : row[j];
            if (std::isnan(v)) continue;
            out.densityBar(area.left + j * cw, area.bottom - (i + 1) * ch, area.left + (j + 1) * cw,
                           area.bottom - i * ch, v, scheme, gridFlag);
        }
        if (stopRequested(stop)) return false;
    }
    return true;
}

}  // namespace kalix
