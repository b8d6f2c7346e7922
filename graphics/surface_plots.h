// Pictures of surfaces and boxes in space: the oblique height-matrix plots
// (mesh, bars), boxes in perspective, wire frames, and what they share
// (grids of matrices, the 3D style of the graphics state).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "graphics/colors.h"
#include "graphics/metafile.h"
#include "graphics/projection.h"
#include "graphics/surface.h"

namespace kalix {

// A matrix read at the nodes of an R x C grid: a matrix of one row (column)
// is read at row (column) 0 for every node.
struct GridMatrix {
    const double* data = nullptr;
    int rows = 0, columns = 0;

    double at(int i, int j) const {
        return data[size_t(rows == 1 ? 0 : i) * size_t(columns) + size_t(columns == 1 ? 0 : j)];
    }
    // Each dimension is 1 or the grid's.
    bool fits(int gridRows, int gridColumns) const {
        return (rows == 1 || rows == gridRows) && (columns == 1 || columns == gridColumns);
    }
};

// What the 3D pictures take from the graphics state.
struct SurfaceStyle {
    ColorCode fill[2] = {11, 3};  // first and second side
    ColorCode wire = 9;
    ColorCode contour = 8;
    int lineStyle = 1;
    double lineWidth = 1;
    bool twoSides = true;
    int subgrid[2] = {1, 1};  // row and column steps of outlined grid lines
    int hueScheme = 1;
    bool hueGrid = false;
};
SurfaceStyle currentSurfaceStyle();

// (b - a) x (c - a) on the screen: its sign tells which side of a face
// with the corners a, b, c is seen.
inline double turnOf(const Point& a, const Point& b, const Point& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}
// True when no coordinate of the n points is NaN.
bool noNanPoints(const Point* p, int n);

// Bytes of work space for `count` items of `size` bytes each, summed;
// UINT64_MAX when the sizes overflow.
uint64_t workBytes(std::initializer_list<std::pair<uint64_t, uint64_t>> items);

// --- oblique height-matrix plots -------------------------------------------------

// The oblique layout of a height matrix on the plot area.
struct MeshLayout {
    double c0, r1;  // left column and bottom row of the plot area
    double kc, kr;  // columns per matrix column and per matrix row
    double lr, lz;  // rows per matrix row and per unit of height
    double zmin;
};
// mesh: steps from the matrix size; bars: from the larger of the two.
MeshLayout meshLayout(const int window[4], int rows, int columns, double zmin, double zmax,
                      double meshScale);
MeshLayout meshBarLayout(const int window[4], int rows, int columns, double zmin, double zmax,
                         double meshScale);

// Screen column X and row Y of every element of z (rows x columns, row by
// row), into X and Y of the same layout. False when stopped.
bool meshCoordinates(const double* z, int rows, int columns, const MeshLayout& layout, double* x,
                     double* y, StopPoll stop);
// The cells, back to front, each as four triangles around its centre with
// the cell edge outlined.
bool drawMesh(const double* x, const double* y, int rows, int columns, const SurfaceStyle& style,
              Surface& out, StopPoll stop);
// One bar of three faces (top, front, right side) per element.
bool drawMeshBars(const double* z, int rows, int columns, const MeshLayout& layout,
                  const SurfaceStyle& style, Surface& out, StopPoll stop);

// --- boxes in perspective ----------------------------------------------------------

// boxes: n rows (x0, x1, y0, y1, z0, z1); colours: n colour codes or null
// (first fill colour). Draws the faces whose outer side faces the eye, box
// after box in the given order.
bool drawCubes(const Projection& p, const double* boxes, int n, const double* colours,
               const SurfaceStyle& style, Surface& out, StopPoll stop);

// --- wire frames ------------------------------------------------------------------

// Projects every node (i outer, j inner) into x and y (rows x columns).
bool projectGrid(const Projection& p, const GridMatrix& gx, const GridMatrix& gy,
                 const GridMatrix& gz, int rows, int columns, double* x, double* y, double* depth,
                 StopPoll stop);
// The grid lines along the rows and, unless rowsOnly, along the columns;
// segments touching a NaN node are left out.
bool drawWire(const double* x, const double* y, int rows, int columns, bool rowsOnly,
              const SurfaceStyle& style, Surface& out, StopPoll stop);

}  // namespace kalix
