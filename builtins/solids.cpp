// The builtin solid: surfaces of three matrices x, y, z in perspective with
// hidden faces, in three forms by the number of arguments (plain; with
// breaks; hue-shaded with level lines or bands and grid lines).
#include <algorithm>
#include <cmath>

#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_state.h"
#include "graphics/graphics_store.h"
#include "graphics/live_surface.h"
#include "graphics/solid_plot.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

void interrupted() { fail(errorFailed, "User interrupted!\n"); }

// Largest rows and columns of the matrices.
void gridSize(const GridMatrix* m, int count, int* rows, int* columns) {
    *rows = *columns = 0;
    for (int k = 0; k < count; k++) {
        *rows = std::max(*rows, m[k].rows);
        *columns = std::max(*columns, m[k].columns);
    }
}

bool fitAll(const GridMatrix* m, int count, int rows, int columns) {
    for (int k = 0; k < count; k++)
        if (!m[k].fits(rows, columns)) return false;
    return true;
}

// Sorts the keys, starts the picture and draws.
template <typename Draw>
void sortAndDraw(FaceKey* keys, long long n, Draw draw) {
    sortFaces(keys, n);
    if (!holdFlag) emitClear();
    showGraphicsWindow();
    if (!draw()) interrupted();
}

// An accepted real scalar or matrix as a grid matrix.
GridMatrix gridOf(const Arguments& a, int k) {
    GridMatrix m;
    realMatrixOf(a[k], &m.rows, &m.columns, &m.data);
    return m;
}

// The three forms by the number of arguments; every given argument (up to
// eight: more are not read) is resolved before any is checked. The plain
// form's message names "sold", as it always has.
constexpr ArgumentRule realGrid = {takesRealMatrix};
constexpr ArgumentRule anyValue = {takesAnything};
constexpr Signature plainSignature = {
    "sold", "three compatible matrices x,y,z", {realGrid, realGrid, realGrid}};

constexpr ArgumentRule matrixGrid = {kindBit(kindRealMatrix)};
constexpr Signature breaksSignature = {
    .builtin = "solid",
    .rules = {matrixGrid, matrixGrid, matrixGrid, anyValue},
    .refusal = {errorSolidParameter, "Illegal parameter for solid!\n"}};

// x, y, z, an unused argument, hue; then values, levels and limits, whose
// kinds the builtin checks itself, levels first.
constexpr ArgumentRule optionalValue = {.kinds = takesAnything, .presence = Presence::optional};
constexpr ArgumentRule optionalOrNone = {.kinds = takesAnything,
                                         .presence = Presence::optionalOrNone};
constexpr Signature shadedSignature = {"solid",
                                       "real x, y, z, hue",
                                       {realGrid, realGrid, realGrid, anyValue, realGrid,
                                        optionalValue, optionalOrNone, optionalOrNone}};

void solidPlain(header* first, const Arguments& a) {
    const GridMatrix m[3] = {gridOf(a, 0), gridOf(a, 1), gridOf(a, 2)};
    int rows, columns;
    gridSize(m, 3, &rows, &columns);
    if (rows < 2 || columns < 2 || !fitAll(m, 3, rows, columns))
        return reportNeed("three compatible matrices x,y,z", "solid");
    void* work = freeStackWork(plainSolidBytes(rows, columns));
    if (!work) return fail(errorPlotMemory, "Out of memory in solid!\n");
    const SolidGrid g{m[0], m[1], m[2], rows, columns};
    const SolidWork w = plainSolidWork(work, rows, columns);
    const long long n = keyPlainSolid(currentProjection(), g, w, escapePressed);
    if (n < 0) return fail(errorFailed, "User interrupted\n");
    const SurfaceStyle style = currentSurfaceStyle();
    sortAndDraw(w.keys, n,
                [&] { return drawPlainSolid(w, columns, n, style, liveSurface(), escapePressed); });
    if (!errorCode) returnReal(first, 0);
}

void solidWithBreaks(header* first, const Arguments& a) {
    const GridMatrix m[3] = {gridOf(a, 0), gridOf(a, 1), gridOf(a, 2)};
    int rows, columns;
    gridSize(m, 3, &rows, &columns);
    // Each matrix has 1 or R rows and 1 or C columns, so no read passes
    // its end.
    if (rows < 2 || columns < 2 || !fitAll(m, 3, rows, columns)) return a.refuse();
    int breakRows, breakCount;
    const double* breaks;
    if (!realMatrixOf(a[3], &breakRows, &breakCount, &breaks) || breakRows != 1)
        return fail(errorSolidParameter, "4th parameter for solid must be a real vector!\n");
    void* work = freeStackWork(cellSolidBytes(rows, columns));
    if (!work) return fail(errorPlotMemory, "Out of memory in solid!\n");
    const SolidGrid g{m[0], m[1], m[2], rows, columns};
    const SolidWork w = cellSolidWork(work, rows, columns);
    const long long n = keySolidCells(currentProjection(), g, breaks, breakCount, w, escapePressed);
    if (n < 0) return interrupted();
    const SurfaceStyle style = currentSurfaceStyle();
    sortAndDraw(w.keys, n,
                [&] { return drawSolidCells(w, columns, n, style, liveSurface(), escapePressed); });
    if (!errorCode) returnReal(first, 0);
}

void solidShaded(header* first, const Arguments& a) {
    // x, y, z and hue (the fourth argument is not used).
    const GridMatrix m[4] = {gridOf(a, 0), gridOf(a, 1), gridOf(a, 2), gridOf(a, 4)};
    SolidShading shading;
    shading.hue = m[3];
    shading.shaded = !(a[4]->kind == kindReal && realOf(a[4]) == 0);
    int levelRows = 0, levelColumns = 0, limitRows = 0, limitColumns = 0;
    const double* limits = nullptr;
    if (a.given(6) && !realMatrixOf(a[6], &levelRows, &levelColumns, &shading.levels))
        return a.need("real levels");
    if (a.given(5) &&
        !realMatrixOf(a[5], &shading.values.rows, &shading.values.columns, &shading.values.data))
        return a.need("real values");
    if (a.given(7) && !realMatrixOf(a[7], &limitRows, &limitColumns, &limits))
        return a.need("real limits");

    int rows, columns;
    gridSize(m, 4, &rows, &columns);
    if (rows < 2 || columns < 2)
        return fail(errorFailed, "Size %d x %d not acceptable in solid plots\n", rows, columns);
    const GridMatrix& hue = m[3];
    const bool hueFits = (hue.rows == 1 || hue.rows == rows || hue.rows == rows - 1) &&
                         (hue.columns == 1 || hue.columns == columns || hue.columns == columns - 1);
    if (!fitAll(m, 3, rows, columns) || !hueFits) return a.need("compatible matrices x, y, z, hue");
    if (shading.values.data && !shading.values.fits(rows, columns))
        return a.need("compatible matrices x, y, z, hue and values");
    if (shading.levels) {
        if (levelRows != 1 && levelRows != 2) return a.need("one or two rows of levels");
        shading.levelRows = levelRows;
        shading.levelCount = levelColumns;
    }
    if (limits) {
        if (limitRows != 1 || limitColumns != 2) return a.need("1x2 vector for limits");
        // Limits in the wrong order are ignored.
        shading.hasLimits = limits[0] < limits[1];
        shading.limits[0] = limits[0];
        shading.limits[1] = limits[1];
    }
    void* work = freeStackWork(cellSolidBytes(rows, columns));
    if (!work) return fail(errorPlotMemory, "Out of memory in solidhue!\n");
    const SolidGrid g{m[0], m[1], m[2], rows, columns};
    const SolidWork w = cellSolidWork(work, rows, columns);
    const Projection p = currentProjection();
    const long long n = keySolidCells(p, g, nullptr, 0, w, escapePressed);
    if (n < 0) return interrupted();
    const SurfaceStyle style = currentSurfaceStyle();
    sortAndDraw(w.keys, n, [&] {
        return drawShadedSolid(p, g, shading, w, n, style, liveSurface(), escapePressed);
    });
    if (errorCode) return;
    header* result = pushMarker(markerNoResult);
    if (!errorCode) moveResult(first, result);
}

// Fewer than three arguments fit no form; they are refused unresolved.
constexpr Signature tooFewSignature = {
    "solid", "at least x,y,z matrices", {anyValue, anyValue, anyValue}};

const Signature& formSignature(int count) {
    return count < 3    ? tooFewSignature
           : count == 3 ? plainSignature
           : count == 4 ? breaksSignature
                        : shadedSignature;
}

void builtinSolid(header* first) {
    const Arguments a(first, formSignature(countArguments(first)));
    if (!a) return;
    if (a.count() == 3)
        solidPlain(first, a);
    else if (a.count() == 4)
        solidWithBreaks(first, a);
    else
        solidShaded(first, a);
}

const BuiltinRecord rows[] = {
    {"solid", -1, 0, builtinSolid},
};

}  // namespace

KALIX_BUILTIN_FAMILY(solidBuiltins, rows);

}  // namespace kalix
