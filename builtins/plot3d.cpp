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

namespace kalix {

namespace {

void interrupted() { fail(errorFailed, "User interrupted!\n"); }

// Clears the picture unless it is held, and shows it.
void startPicture() {
    if (!holdFlag) emitClear();
    showGraphicsWindow();
}

// project(x, y, z): three reals, or three real matrices of one size.
constexpr Signature projectSignature = {"project",
                                        "two matrices of same size, or two reals",
                                        {{takesRealMatrix}, {takesRealMatrix}, {takesRealMatrix}}};

void builtinProject(header* first) {
    const Arguments a(first, projectSignature);
    if (!a) return;
    header* const v[3] = {a[0], a[1], a[2]};
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
        return a.refuse();
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

// The heights of mesh and meshbar, a real matrix of at least `least` rows
// and columns; false after the refusal.
bool readHeights(header* first, const Signature& signature, int least, Heights* h) {
    const Arguments a(first, signature);
    if (!a) return false;
    const MatrixValue z = a.matrix(0);
    if (z.rows < least || z.columns < least) {
        a.refuse();
        return false;
    }
    h->rows = z.rows;
    h->columns = z.columns;
    h->data = z.data;
    findRange(*h);
    return true;
}

constexpr Signature meshSignature = {
    .rules = {{kindBit(kindRealMatrix)}},
    .refusal = {errorMeshParameter, "Illegal parameter for mesh!\n"}};

void builtinMesh(header* first) {
    Heights h;
    if (!readHeights(first, meshSignature, 2, &h)) return;
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

constexpr Signature meshbarSignature = {
    .rules = {{takesRealMatrix}},
    .refusal = {errorMeshParameter, "Illegal parameter for meshbar!\n"}};

void builtinMeshbar(header* first) {
    Heights h;
    if (!readHeights(first, meshbarSignature, 1, &h)) return;
    const MeshLayout layout =
        meshBarLayout(screenWindow, h.rows, h.columns, h.zmin, h.zmax, meshScale);
    startPicture();
    if (!drawMeshBars(h.data, h.rows, h.columns, layout, currentSurfaceStyle(), liveSurface(),
                      escapePressed))
        return interrupted();
    returnRange(first, h);
}

// plotcubes(boxes [, colours]): the boxes are checked before the colours
// are resolved.
constexpr Signature cubesSignature = {
    "plotcubes", "real nx6 matrix", {{.kinds = kindBit(kindRealMatrix), .columns = 6}}};
constexpr Signature cubeColoursSignature = {
    "plotcubes", "real nx6 matrix and 1xn color vector", {{.kinds = takesRealMatrix, .rows = 1}}};

void plotcubes(header* first, bool coloured) {
    const Arguments boxes(first, cubesSignature);
    if (!boxes) return;
    const MatrixValue b = boxes.matrix(0);
    const double* colours = nullptr;
    if (coloured) {
        const Arguments c(nextValue(first), cubeColoursSignature);
        if (!c) return;
        const MatrixValue m = c.matrix(0);
        if (m.columns != b.rows) return c.refuse();
        colours = m.data;
    }
    showGraphicsWindow();
    if (!drawCubes(currentProjection(), b.data, b.rows, colours, currentSurfaceStyle(),
                   liveSurface(), escapePressed))
        return interrupted();
    header* result = pushMarker(markerNoResult);
    if (!errorCode) moveResult(first, result);
}

void builtinPlotcubes(header* first) { plotcubes(first, false); }
void builtinPlotcubesColoured(header* first) { plotcubes(first, true); }

// meshfactor(f) sets the factor within 0..1; none keeps it.
constexpr Signature meshfactorSignature = {
    .rules = {{.kinds = takesReal, .presence = Presence::optionalOrNone}},
    .refusal = {errorMeshfactor, "Meshfactor needs a real!\n"}};

void builtinMeshfactor(header* first) {
    const Arguments a(first, meshfactorSignature);
    if (!a) return;
    const double old = meshScale;
    if (a.given(0)) {
        if (std::isnan(a.real(0))) return a.refuse();
        meshScale = std::clamp(a.real(0), 0.0, 1.0);
    }
    returnReal(first, old);
}

// wire(x, y, z) and wirerows(x, y, z): rows and columns of 1 are spread.
constexpr Signature wireSignature = {"wire",
                                     "three compatible matrices x,y,z",
                                     {{takesRealMatrix}, {takesRealMatrix}, {takesRealMatrix}}};

void wirePlot(header* first, bool rowsOnly) {
    const Arguments a(first, wireSignature);
    if (!a) return;
    GridMatrix g[3];
    int rows = 0, columns = 0;
    for (int k = 0; k < 3; k++) {
        const MatrixValue m = a.matrix(k);
        g[k] = {m.data, m.rows, m.columns};
        rows = std::max(rows, m.rows);
        columns = std::max(columns, m.columns);
    }
    if (rows < 1 || columns < 1 || !g[0].fits(rows, columns) || !g[1].fits(rows, columns) ||
        !g[2].fits(rows, columns))
        return a.refuse();
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

}  // namespace kalix
