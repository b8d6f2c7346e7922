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

namespace {

constexpr int solidArgumentLimit = 8;

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

void solidPlain(header* first, header** args) {
    GridMatrix m[3];
    for (int k = 0; k < 3; k++)
        if (!realMatrixOf(args[k], &m[k].rows, &m[k].columns, &m[k].data))
            return reportNeed("three compatible matrices x,y,z", "sold");
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

void solidWithBreaks(header* first, header** args) {
    GridMatrix m[3];
    for (int k = 0; k < 3; k++)
        if (args[k]->kind != kindRealMatrix ||
            !realMatrixOf(args[k], &m[k].rows, &m[k].columns, &m[k].data))
            return fail(errorSolidParameter, "Illegal parameter for solid!\n");
    int rows, columns;
    gridSize(m, 3, &rows, &columns);
    // Each matrix has 1 or R rows and 1 or C columns, so no read passes
    // its end.
    if (rows < 2 || columns < 2 || !fitAll(m, 3, rows, columns))
        return fail(errorSolidParameter, "Illegal parameter for solid!\n");
    int breakRows, breakCount;
    const double* breaks;
    if (!realMatrixOf(args[3], &breakRows, &breakCount, &breaks) || breakRows != 1)
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

// An optional argument of the shaded form: absent or none gives false.
bool present(header** args, int count, int k) { return k < count && !isNoneMarker(args[k]); }

void solidShaded(header* first, header** args, int count) {
    // x, y, z and hue (the fourth argument is not used).
    GridMatrix m[4];
    const int used[4] = {0, 1, 2, 4};
    for (int k = 0; k < 4; k++)
        if (!realMatrixOf(args[used[k]], &m[k].rows, &m[k].columns, &m[k].data))
            return reportNeed("real x, y, z, hue", "solid");
    SolidShading shading;
    shading.hue = m[3];
    shading.shaded = !(args[4]->kind == kindReal && realOf(args[4]) == 0);
    int levelRows = 0, levelColumns = 0, limitRows = 0, limitColumns = 0;
    const double* limits = nullptr;
    if (present(args, count, 6) &&
        !realMatrixOf(args[6], &levelRows, &levelColumns, &shading.levels))
        return reportNeed("real levels", "solid");
    if (count > 5 &&
        !realMatrixOf(args[5], &shading.values.rows, &shading.values.columns, &shading.values.data))
        return reportNeed("real values", "solid");
    if (present(args, count, 7) && !realMatrixOf(args[7], &limitRows, &limitColumns, &limits))
        return reportNeed("real limits", "solid");

    int rows, columns;
    gridSize(m, 4, &rows, &columns);
    if (rows < 2 || columns < 2)
        return fail(errorFailed, "Size %d x %d not acceptable in solid plots\n", rows, columns);
    const GridMatrix& hue = m[3];
    const bool hueFits = (hue.rows == 1 || hue.rows == rows || hue.rows == rows - 1) &&
                         (hue.columns == 1 || hue.columns == columns || hue.columns == columns - 1);
    if (!fitAll(m, 3, rows, columns) || !hueFits)
        return reportNeed("compatible matrices x, y, z, hue", "solid");
    if (shading.values.data && !shading.values.fits(rows, columns))
        return reportNeed("compatible matrices x, y, z, hue and values", "solid");
    if (shading.levels) {
        if (levelRows != 1 && levelRows != 2)
            return reportNeed("one or two rows of levels", "solid");
        shading.levelRows = levelRows;
        shading.levelCount = levelColumns;
    }
    if (limits) {
        if (limitRows != 1 || limitColumns != 2)
            return reportNeed("1x2 vector for limits", "solid");
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

void builtinSolid(header* first) {
    const int count = countArguments(first);
    if (count < 3) return reportNeed("at least x,y,z matrices", "solid");
    header* args[solidArgumentLimit];
    header* a = first;
    const int read = std::min(count, solidArgumentLimit);
    for (int k = 0; k < read; k++, a = nextValue(a)) {
        args[k] = resolveValue(a);
        if (errorCode) return;
    }
    if (count == 3) return solidPlain(first, args);
    if (count == 4) return solidWithBreaks(first, args);
    solidShaded(first, args, read);
}

const BuiltinRecord rows[] = {
    {"solid", -1, 0, builtinSolid},
};

}  // namespace

KALIX_BUILTIN_FAMILY(solidBuiltins, rows);
