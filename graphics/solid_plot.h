// Solid surfaces: a grid of points in space drawn as faces from the
// farthest to the nearest (painter's order on a depth key), in three
// forms: two outlined triangles per cell; one outlined quadrilateral per
// cell with strips left out after given rows; hue-shaded cells with level
// lines or bands of a value and grid lines.
#pragma once

#include <cstdint>

#include "graphics/level_sets.h"
#include "graphics/surface_plots.h"

namespace kalix {

// A face to draw: cell (i, j) (its triangle 0 or 1 in the plain form) and
// its depth.
struct FaceKey {
    double key;
    int32_t i, j, triangle;
};

struct SolidGrid {
    GridMatrix x, y, z;
    int rows, columns;
};

// Work space of the plain form (screen x, y and depth of every node, two
// keys a cell) and of the cell forms (x, y of every node, one key a cell);
// UINT64_MAX when it cannot be counted.
uint64_t plainSolidBytes(int rows, int columns);
uint64_t cellSolidBytes(int rows, int columns);

// The work space laid out in `work` (8-byte aligned, of the size above).
struct SolidWork {
    double* x;
    double* y;
    double* depth;  // plain form only
    FaceKey* keys;
};
SolidWork plainSolidWork(void* work, int rows, int columns);
SolidWork cellSolidWork(void* work, int rows, int columns);

// Projects every node and makes the keys; -1 when stopped, else the number
// of keys. Plain form: two triangles a cell keyed by their mean depth (a
// cell whose first key is NaN is left out, as is a NaN second key). Cell
// forms: every cell keyed by the depth of its first node (NaN left out);
// with `breaks` (1-based rows in increasing order) the strip after each
// break row is left out.
long long keyPlainSolid(const Projection& p, const SolidGrid& g, const SolidWork& w, StopPoll stop);
long long keySolidCells(const Projection& p, const SolidGrid& g, const double* breaks,
                        int breakCount, const SolidWork& w, StopPoll stop);

// Farthest first.
void sortFaces(FaceKey* keys, long long n);

bool drawPlainSolid(const SolidWork& w, int columns, long long n, const SurfaceStyle& style,
                    Surface& out, StopPoll stop);
bool drawSolidCells(const SolidWork& w, int columns, long long n, const SurfaceStyle& style,
                    Surface& out, StopPoll stop);

// The shading of the third form.
struct SolidShading {
    GridMatrix hue;  // per node or per cell
    bool shaded = true;
    GridMatrix values;  // per node; data null: no values
    const double* levels = nullptr;
    int levelCount = 0;
    int levelRows = 0;  // 1: lines, 2: bands (lower bounds, then upper)
    bool hasLimits = false;
    double limits[2] = {0, 0};
};
bool drawShadedSolid(const Projection& p, const SolidGrid& g, const SolidShading& shading,
                     const SolidWork& w, long long n, const SurfaceStyle& style, Surface& out,
                     StopPoll stop);

}  // namespace kalix
