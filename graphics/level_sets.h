// Level lines and level bands of a value that is linear on a triangle, for
// shaded solids (points in space, projected) and filled contour plots
// (points on the virtual screen). A cell of four corners is cut into four
// triangles around its centre.
#pragma once

#include "graphics/colors.h"
#include "graphics/projection.h"
#include "graphics/surface.h"

namespace kalix {

// A point on a triangle: vertex `from` plus t times (vertex `to` - vertex
// `from`). A vertex itself is {i, i, 0}.
struct EdgePoint {
    int from, to;
    double t;
    bool operator==(const EdgePoint&) const = default;
};

// (v - a) / (b - a); with a = b: 0.5 when v = a, else 1e20 (no usable point).
double levelFraction(double v, double a, double b);

// The piece of the level `level` in the triangle whose vertices 0, 1, 2 have
// the values v[0..2]: an edge whose two ends lie at the level (within 1e-8)
// is the piece itself; otherwise the segment between the two points where
// the level crosses the edges. Returns 1 with the segment's ends, or 0.
int levelSegmentInTriangle(const double v[3], double level, EdgePoint segment[2]);

// The vertex order by ascending value (ties in a fixed order).
void orderByValue(const double v[3], int order[3]);

// The part of a triangle whose vertices 0, 1, 2 have the ascending values
// d <= e <= f that lies between lo and hi (lo < hi): a convex polygon of up
// to 5 points, returned in `out`; 0 when the band misses the triangle.
int bandPolygon(double d, double e, double f, double lo, double hi, EdgePoint out[5]);

// --- cells in space (shaded solids) ------------------------------------------

struct Vertex3 {
    double x, y, z, v;
};

struct LevelStyle {
    ColorCode contourColour = 8;  // level lines and unshaded bands
    double lineWidth = 1;
};

// The level lines of `levels` (n of them) in the four triangles of the cell
// c[0..3], projected and drawn in the contour colour.
void levelLinesInCell3d(const Projection& p, const Vertex3 c[4], const double* levels, int n,
                        const LevelStyle& style, Surface& out);
// The bands [lo[k], hi[k]] (those with lo < hi) of the cell: hue polygons of
// `hue` in the colour scheme `scheme`, or with hue 0 plain faces in the
// contour colour.
void bandsInCell3d(const Projection& p, const Vertex3 c[4], const double* lo, const double* hi,
                   int n, double hue, int scheme, const LevelStyle& style, Surface& out);
// A segment between two points of space, projected, in `colour`.
void lineInSpace(const Projection& p, const Vertex3& a, const Vertex3& b, ColorCode colour,
                 double width, Surface& out);

// --- triangles on the screen (contour bands) -----------------------------------

struct Vertex2 {
    double v, x, y;
};

// Fills the part of the triangle between lo and hi (lo < hi) as a polygon
// of the fill style and colour; nothing for a NaN value.
void bandInTriangle2d(const Vertex2 t[3], double lo, double hi, int fillStyle, ColorCode colour,
                      Surface& out);

}  // namespace kalix
