// Contour and density plots of a matrix of values over the plot area: the
// first matrix row at the bottom, columns from left to right.
#pragma once

#include "graphics/colors.h"
#include "graphics/metafile.h"
#include "graphics/surface.h"

namespace kalix {

struct PlotArea {
    double left, right, top, bottom;
};

// The plot area `window` (c0, r0, c1, r1) shrunk about its centre by the
// factor 1 / (1 + margin).
PlotArea plotAreaWithMargin(const int window[4], double margin);

// A point on the edge e of a contour cell: corner e plus t times (corner
// e + 1 - corner e), corner 4 being corner 0.
struct CellPoint {
    int edge;
    double t;
};

// The pieces of the level line `level` in a cell whose corners have the
// values s[0..3] (in cycle order) and whose centre has the value `centre`.
// A corner counts as above the level when its value is at least the level;
// the line crosses the edges whose ends lie on different sides. Where all
// four edges are crossed (a saddle) the centre's side decides which corners
// the two segments cut off. Edges with a NaN end are never crossed.
// Returns the number of segments (0, 1 or 2).
int contourSegmentsInCell(const double s[4], double centre, double level, CellPoint out[2][2]);

struct ContourStyle {
    ColorCode colour = 8;
    double lineWidth = 1;
    int fillStyle = 1;  // of bands
};

// Results of the plot routines: false when the stop poll ended them (what
// was drawn stays).
// z: rows x columns values row by row (at least 2 x 2).
bool drawContourLines(const double* z, int rows, int columns, const double* levels, int n,
                      const PlotArea& area, const ContourStyle& style, Surface& out, StopPoll stop);
// The bands [lo[k], hi[k]] with lo < hi, filled over the four triangles of
// each cell around its centre.
bool drawContourBands(const double* z, int rows, int columns, const double* lo, const double* hi,
                      int n, const PlotArea& area, const ContourStyle& style, Surface& out,
                      StopPoll stop);
// Cells coloured by value in the scheme: rows x columns cells of the values,
// or with `averaged` (rows - 1) x (columns - 1) cells of the means of four
// neighbours. NaN cells stay empty.
bool drawDensity(const double* z, int rows, int columns, const PlotArea& area, bool averaged,
                 int scheme, int gridFlag, Surface& out, StopPoll stop);

}  // namespace kalix
