// Contour and density plots of a matrix over the plot area.
#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/contour_plot.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_state.h"
#include "graphics/graphics_store.h"
#include "graphics/live_surface.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace {

// A real matrix of at least 2 x 2, else null.
header* valueMatrix(header* first) {
    header* z = resolveValue(first);
    if (errorCode) return nullptr;
    if (z->kind != kindRealMatrix || matrixRows(z) < 2 || matrixColumns(z) < 2) return nullptr;
    return z;
}

void startPicture() {
    if (!holdFlag) emitClear();
    showGraphicsWindow();
}

void builtinContour(header* first) {
    header* z = valueMatrix(first);
    if (errorCode) return;
    if (!z) return fail(errorContourMatrix, "Contour needs a real matrix!\n");
    header* levels = resolveValue(nextValue(first));
    if (errorCode) return;
    int levelRows, n;
    const double* level;
    if (!realMatrixOf(levels, &levelRows, &n, &level) || (levelRows != 1 && levelRows != 2))
        return fail(errorContourLevels, "Second parameter of contour must be a vector!\n");
    startPicture();
    const PlotArea area = plotAreaWithMargin(screenWindow, plotMargin);
    const ContourStyle style{currentContourColor, currentLineWidth, currentBarStyle};
    const int rows = matrixRows(z), columns = matrixColumns(z);
    const bool done = levelRows == 1
                          ? drawContourLines(matrixData(z), rows, columns, level, n, area, style,
                                             liveSurface(), escapePressed)
                          : drawContourBands(matrixData(z), rows, columns, level, level + n, n,
                                             area, style, liveSurface(), escapePressed);
    if (!done) return fail(errorFailed, "User interrupted!\n");
    returnReal(first, n);
}

void builtinDensity(header* first) {
    header* z = valueMatrix(first);
    if (errorCode) return;
    if (!z) return fail(errorContourMatrix, "Density needs a real matrix!\n");
    startPicture();
    if (!drawDensity(matrixData(z), matrixRows(z), matrixColumns(z),
                     plotAreaWithMargin(screenWindow, plotMargin), antialiasFlag != 0,
                     currentHueColor, hueGridFlag, liveSurface(), escapePressed))
        return fail(errorFailed, "User interrupted!\n");
    returnReal(first, 0);
}

const BuiltinRecord rows[] = {
    {"contour", 2, 0, builtinContour},
    {"density", 1, 0, builtinDensity},
};

}  // namespace

KALIX_BUILTIN_FAMILY(contourBuiltins, rows);
