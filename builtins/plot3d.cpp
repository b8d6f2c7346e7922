// 3D builtins of the perspective and oblique views: project, mesh, meshbar,
// plotcubes, meshfactor, wire and wirerows.
#include <algorithm>
#include <cmath>

#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_state.h"
#include "graphics/graphics_store.h"
#include "graphics/live_surface.h"
#include "graphics/projection.h"
#include "graphics/surface_plots.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/vector_search.h"

namespace {

void interrupted() { fail(errorFailed, "User interrupted!\n"); }

// Clears the picture unless it is held, and shows it.
void startPicture() {
    if (!holdFlag) emitClear();
    showGraphicsWindow();
}

void builtinProject(header* first) {
    header* v[3];
    header* a = first;
    for (int k = 0; k < 3; k++, a = nextValue(a)) {
        v[k] = resolveValue(a);
        if (errorCode) return;
    }
    const Projection p = currentProjection();
    if (v[0]->kind == kindReal && v[1]->kind == kindReal && v[2]->kind == kindReal) {
        double column, row;
        const double depth = project(p, realOf(v[0]), realOf(v[1]), realOf(v[2]), &column, &row);
        header* results = pushReal(column);
        if (errorCode || !pushReal(row) || !pushReal(depth)) return;
        return moveResults(first, results);
    }
    const bool matrices = v[0]->kind == kindRealMatrix && v[1]->kind == kindRealMatrix &&
                          v[2]->kind == kindRealMatrix;
    const int rows = matrices ? matrixRows(v[0]) : 0, columns = matrices ? matrixColumns(v[0]) : 0;
    if (!matrices || matrixRows(v[1]) != rows || matrixRows(v[2]) != rows ||
        matrixColumns(v[1]) != columns || matrixColumns(v[2]) != columns)
        return reportNeed("two matrices of same size, or two reals", "project");
    header* out[3];
    for (header*& m : out) {
        m = pushRealMatrix(rows, columns);
        if (errorCode) return;
    }
    const size_t n = size_t(rows) * size_t(columns);
    const double *x = matrixData(v[0]), *y = matrixData(v[1]), *z = matrixData(v[2]);
    for (size_t k = 0; k < n; k++) {
        matrixData(out[2])[k] =
            project(p, x[k], y[k], z[k], &matrixData(out[0])[k], &matrixData(out[1])[k]);
        if (escapePressed()) return interrupted();
    }
    moveResults(first, out[0]);
}

// z of a height plot: rows, columns and elements, and its range (a flat
// matrix spans one unit).
struct Heights {
    int rows = 0, columns = 0;
    const double* data = nullptr;
    double zmin = 0, zmax = 0;
};

void findRange(Heights& h) {
    const MinMax m = findMinMax(h.data, int64_t(h.rows) * h.columns);
    h.zmin = m.minimum;
    h.zmax = m.maximum;
    if (h.zmin == h.zmax) h.zmax = h.zmin + 1;
}

void returnRange(header* first, const Heights& h) {
    const double range[2] = {h.zmin, h.zmax};
    returnRow(first, range, 2);
}

void builtinMesh(header* first) {
    header* z = resolveValue(first);
    if (errorCode) return;
    Heights h;
    if (z->kind != kindRealMatrix || matrixRows(z) < 2 || matrixColumns(z) < 2)
        return fail(errorMeshParameter, "Illegal parameter for mesh!\n");
    h.rows = matrixRows(z);
    h.columns = matrixColumns(z);
    h.data = matrixData(z);
    findRange(h);
    const uint64_t nodes = uint64_t(h.rows) * uint64_t(h.columns);
    double* x = static_cast<double*>(freeStackWork(workBytes({{nodes, 2 * sizeof(double)}})));
    if (!x) return fail(errorPlotMemory, "Out of memory in mesh!\n");
    double* y = x + nodes;
    const MeshLayout layout =
        meshLayout(screenWindow, h.rows, h.columns, h.zmin, h.zmax, meshScale);
    if (!meshCoordinates(h.data, h.rows, h.columns, layout, x, y, escapePressed))
        return interrupted();
    startPicture();
    if (!drawMesh(x, y, h.rows, h.columns, currentSurfaceStyle(), liveSurface(), escapePressed))
        return interrupted();
    returnRange(first, h);
}

void builtinMeshbar(header* first) {
    header* z = resolveValue(first);
    if (errorCode) return;
    Heights h;
    if (!realMatrixOf(z, &h.rows, &h.columns, &h.data) || h.rows < 1 || h.columns < 1)
        return fail(errorMeshParameter, "Illegal parameter for meshbar!\n");
    findRange(h);
    const MeshLayout layout =
        meshBarLayout(screenWindow, h.rows, h.columns, h.zmin, h.zmax, meshScale);
    startPicture();
    if (!drawMeshBars(h.data, h.rows, h.columns, layout, currentSurfaceStyle(), liveSurface(),
                      escapePressed))
        return interrupted();
    returnRange(first, h);
}

void plotcubes(header* first, header* colourArgument) {
    header* boxes = resolveValue(first);
    if (errorCode) return;
    if (boxes->kind != kindRealMatrix || matrixColumns(boxes) != 6)
        return reportNeed("real nx6 matrix", "plotcubes");
    const int n = matrixRows(boxes);
    const double* colours = nullptr;
    if (colourArgument) {
        header* c = resolveValue(colourArgument);
        if (errorCode) return;
        int rows, columns;
        if (!realMatrixOf(c, &rows, &columns, &colours) || rows != 1 || columns != n)
            return reportNeed("real nx6 matrix and 1xn color vector", "plotcubes");
    }
    showGraphicsWindow();
    if (!drawCubes(currentProjection(), matrixData(boxes), n, colours, currentSurfaceStyle(),
                   liveSurface(), escapePressed))
        return interrupted();
    header* result = pushMarker(markerNoResult);
    if (!errorCode) moveResult(first, result);
}

void builtinPlotcubes(header* first) { plotcubes(first, nullptr); }
void builtinPlotcubesColoured(header* first) { plotcubes(first, nextValue(first)); }

void builtinMeshfactor(header* first) {
    const double old = meshScale;
    if (!isNoneArgument(first)) {
        header* v = realArgument(first);
        if (errorCode) return;
        if (!v || std::isnan(realOf(v))) return fail(errorMeshfactor, "Meshfactor needs a real!\n");
        meshScale = std::clamp(realOf(v), 0.0, 1.0);
    }
    returnReal(first, old);
}

void wirePlot(header* first, bool rowsOnly) {
    GridMatrix g[3];
    header* a = first;
    bool ok = true;
    for (GridMatrix& m : g) {
        header* v = resolveValue(a);
        if (errorCode) return;
        ok = ok && realMatrixOf(v, &m.rows, &m.columns, &m.data);
        a = nextValue(a);
    }
    int rows = 0, columns = 0;
    for (const GridMatrix& m : g) {
        rows = std::max(rows, m.rows);
        columns = std::max(columns, m.columns);
    }
    if (!ok || rows < 1 || columns < 1 || !g[0].fits(rows, columns) || !g[1].fits(rows, columns) ||
        !g[2].fits(rows, columns))
        return reportNeed("three compatible matrices x,y,z", "wire");
    const uint64_t nodes = uint64_t(rows) * uint64_t(columns);
    double* x = static_cast<double*>(freeStackWork(workBytes({{nodes, 2 * sizeof(double)}})));
    if (!x) return fail(errorPlotMemory, "Out of memory in wire!\n");
    double* y = x + nodes;
    if (!projectGrid(currentProjection(), g[0], g[1], g[2], rows, columns, x, y, nullptr,
                     escapePressed))
        return interrupted();
    startPicture();
    if (!drawWire(x, y, rows, columns, rowsOnly, currentSurfaceStyle(), liveSurface(),
                  escapePressed))
        return interrupted();
    returnReal(first, 0);
}

void builtinWire(header* first) { wirePlot(first, false); }
void builtinWirerows(header* first) { wirePlot(first, true); }

const BuiltinRecord rows[] = {
    {"mesh", 1, 0, builtinMesh},
    {"meshbar", 1, 0, builtinMeshbar},
    {"meshfactor", 1, 0, builtinMeshfactor},
    {"plotcubes", 1, 0, builtinPlotcubes},
    {"plotcubes", 2, 0, builtinPlotcubesColoured},
    {"project", 3, 0, builtinProject},
    {"wire", 3, 0, builtinWire},
    {"wirerows", 3, 0, builtinWirerows},
};

}  // namespace

KALIX_BUILTIN_FAMILY(plot3dBuiltins, rows);
