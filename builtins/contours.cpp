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

namespace kalix {

namespace {

// The values are a real matrix of at least 2 x 2, checked before the
// levels are resolved.
constexpr Signature contourValuesSignature = {
    .rules = {{kindBit(kindRealMatrix)}},
    .refusal = {errorContourMatrix, "Contour needs a real matrix!\n"}};
// Levels: one row draws lines, two rows (lower and upper limits) bands.
constexpr Signature contourLevelsSignature = {
    .rules = {{takesRealMatrix}},
    .refusal = {errorContourLevels, "Second parameter of contour must be a vector!\n"}};
constexpr Signature densitySignature = {
    .rules = {{kindBit(kindRealMatrix)}},
    .refusal = {errorContourMatrix, "Density needs a real matrix!\n"}};

// The values of a contour or density plot; false after the refusal.
bool valueMatrix(header* first, const Signature& signature, MatrixValue* z) {
    const Arguments a(first, signature);
    if (!a) return false;
    *z = a.matrix(0);
    if (z->rows >= 2 && z->columns >= 2) return true;
    a.refuse();
    return false;
}

void startPicture() {
    if (!holdFlag) emitClear();
    showGraphicsWindow();
}

void builtinContour(header* first) {
    MatrixValue z;
    if (!valueMatrix(first, contourValuesSignature, &z)) return;
    const Arguments levels(nextValue(first), contourLevelsSignature);
    if (!levels) return;
    const MatrixValue l = levels.matrix(0);
    if (l.rows != 1 && l.rows != 2) return levels.refuse();
    const int n = l.columns;
    startPicture();
    const PlotArea area = plotAreaWithMargin(screenWindow, plotMargin);
    const ContourStyle style{currentContourColor, currentLineWidth, currentBarStyle};
    const bool done = l.rows == 1 ? drawContourLines(z.data, z.rows, z.columns, l.data, n, area,
                                                     style, liveSurface(), escapePressed)
                                  : drawContourBands(z.data, z.rows, z.columns, l.data, l.data + n,
                                                     n, area, style, liveSurface(), escapePressed);
    if (!done) return fail(errorFailed, "User interrupted!\n");
    returnReal(first, n);
}

void builtinDensity(header* first) {
    MatrixValue z;
    if (!valueMatrix(first, densitySignature, &z)) return;
    startPicture();
    if (!drawDensity(z.data, z.rows, z.columns, plotAreaWithMargin(screenWindow, plotMargin),
                     antialiasFlag != 0, currentHueColor, hueGridFlag, liveSurface(),
                     escapePressed))
        return fail(errorFailed, "User interrupted!\n");
    returnReal(first, 0);
}

const BuiltinRecord rows[] = {
    {"contour", 2, 0, builtinContour},
    {"density", 1, 0, builtinDensity},
};

}  // namespace

KALIX_BUILTIN_FAMILY(contourBuiltins, rows);

}  // namespace kalix
