// Builtins and commands that read or set the graphics state: plot range and
// areas, clip, margin, scaling, hold, coordinate conversion, 3D view and
// aspect; the commands clg, hold, shg and resetgraphics.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_state.h"
#include "graphics/graphics_store.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/state.h"
#include "interpreter/tracing.h"
#include "interpreter/values.h"

namespace {

void returnQuad(header* first, const double* values) { returnRow(first, values, 4); }

// --- plot range --------------------------------------------------------------

void builtinSetplot(header* first) {
    header* v = realRowArgument(first, 4);
    if (errorCode) return;
    if (!v) return fail(errorSetplotVector, "Setplot needs a 1x4 vector!\n");
    double old[4];
    std::memcpy(old, plotRange, sizeof old);
    std::memcpy(plotWindow, matrixData(v), sizeof plotWindow);
    applyPlotRange(true);
    autoScaleFlag = 0;
    returnQuad(first, old);
}

void builtinPlotRange(header* first) { returnQuad(first, plotRange); }
void builtinFullplotarea(header* first) { returnQuad(first, plotWindow); }

// Sizes fit when each dimension of each argument is 1 or the larger one.
bool sizesFit(int rows1, int columns1, int rows2, int columns2) {
    const int r = rows1 > rows2 ? rows1 : rows2, c = columns1 > columns2 ? columns1 : columns2;
    return (rows1 == 1 || rows1 == r) && (rows2 == 1 || rows2 == r) &&
           (columns1 == 1 || columns1 == c) && (columns2 == 1 || columns2 == c);
}

void builtinPlotarea(header* first) {
    header* x = resolveValue(first);
    if (errorCode) return;
    int rx, cx, ry, cy;
    const double *dx, *dy;
    if (!realMatrixOf(x, &rx, &cx, &dx))
        return fail(errorPlotArgument, "Plot needs a real vector or matrix!\n");
    header* y = resolveValue(nextValue(first));
    if (errorCode) return;
    if (!realMatrixOf(y, &ry, &cy, &dy))
        return fail(errorPlotareaArguments, "Wrong arguments for plotarea!\n");
    if (!sizesFit(rx, cx, ry, cy)) return fail(errorPlotFit, "Matrices must fit for plotarea!\n");
    if (autoScaleFlag) rangeFromData(dx, (long long)rx * cx, dy, (long long)ry * cy);
    autoScaleFlag = 0;
    returnQuad(first, plotRange);
}

// A real flag argument of the flag builtins, or the message with error 2201.
bool readFlag(header* first, const char* message, int* flag) {
    header* v = realArgument(first);
    if (errorCode) return false;
    if (!v) {
        fail(errorGraphicsFlag, "%s", message);
        return false;
    }
    *flag = realOf(v) != 0;
    return true;
}

void builtinScaling(header* first) {
    int f;
    if (!readFlag(first, "Scaling needs a 1 or 0!\n", &f)) return;
    const int old = autoScaleFlag;
    autoScaleFlag = f;
    returnReal(first, old);
}

void builtinKeepsquare(header* first) {
    int f;
    if (!readFlag(first, "Keepsquare needs a 1 or 0!\n", &f)) return;
    const int old = keepSquareFlag;
    keepSquareFlag = f;
    returnReal(first, old);
}

void builtinHoldingQuery(header* first) { returnReal(first, holdFlag); }

void builtinHolding(header* first) {
    int f;
    if (!readFlag(first, "Holding needs a 1 or 0!\n", &f)) return;
    const int old = holdFlag;
    holdFlag = f;
    autoScaleFlag = !holdFlag;
    returnReal(first, old);
}

void builtinTwosides(header* first) {
    int f;
    if (!readFlag(first, "Twosides needs a 1 or 0!\n", &f)) return;
    const int old = twoSidesFlag;
    twoSidesFlag = f;
    returnReal(first, old);
}

void builtinMargin(header* first) {
    header* v = realArgument(first);
    if (errorCode) return;
    if (!v || std::isnan(realOf(v))) return reportNeed("real", "margin");
    const double old = plotMargin;
    double m = realOf(v);
    if (m < 1e-4) m = 0;
    if (m > 1) m = 1;
    plotMargin = m;
    returnReal(first, old);
}

// --- screen areas ------------------------------------------------------------

void builtinWindowQuery(header* first) { returnIntRow(first, screenWindow, 4); }

// Four truncated values with reversed corners made one unit apart.
void readCorners(const double* v, int* out) {
    for (int i = 0; i < 4; i++) out[i] = clampToInt(v[i]);
}

// A first corner at the largest int moves back one so that the second can
// lie one past it.
void orderCorners(int* r) {
    if (r[3] < r[1]) {
        r[1] = std::min(r[1], INT_MAX - 1);
        r[3] = r[1] + 1;
    }
    if (r[2] < r[0]) {
        r[0] = std::min(r[0], INT_MAX - 1);
        r[2] = r[0] + 1;
    }
}

void builtinWindow(header* first) {
    header* v = realRowArgument(first, 4);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "Arguments for window are [c0 r0 c1 r1]!\n");
    readCorners(matrixData(v), screenWindow);
    orderCorners(screenWindow);
    autoScaleFlag = 1;
}

void builtinClipQuery(header* first) { returnIntRow(first, clipRect, 4); }

void builtinClip(header* first) {
    header* v = realRowArgument(first, 4);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "Arguments for clip are [c0 r0 c1 r1]!\n");
    int old[4];
    std::memcpy(old, clipRect, sizeof old);
    readCorners(matrixData(v), clipRect);
    if (clipRect[0] < 0) clipRect[0] = 0;
    if (clipRect[1] < 0) clipRect[1] = 0;
    if (clipRect[2] > 1023) clipRect[2] = 1023;
    if (clipRect[3] > 1023) clipRect[3] = 1023;
    orderCorners(clipRect);
    emitClip(clipRect[0], clipRect[1], clipRect[2], clipRect[3]);
    returnIntRow(first, old, 4);
}

// --- conversions -------------------------------------------------------------

void builtinToscreen(header* first) {
    header* v = realRowArgument(first, 2);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "Arguments for fromscreen are [c r]!\n");
    const double out[2] = {screenColumn(matrixData(v)[0]), screenRow(matrixData(v)[1])};
    returnRow(first, out, 2);
}

void builtinFromscreen(header* first) {
    header* v = realRowArgument(first, 2);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "Arguments for fromscreen are [c r]!\n");
    const double out[2] = {columnToUser(matrixData(v)[0]), rowToUser(matrixData(v)[1])};
    returnRow(first, out, 2);
}

void builtinPixel(header* first) {
    double pw, ph;
    getPixelSize(&pw, &ph);
    const int columns = screenWindow[2] - screenWindow[0], rows = screenWindow[3] - screenWindow[1];
    const double out[2] = {pw * (plotWindow[1] - plotWindow[0]) / (columns ? columns : 1),
                           ph * (plotWindow[3] - plotWindow[2]) / (rows ? rows : 1)};
    returnRow(first, out, 2);
}

void builtinTextsize(header* first) {
    layoutGraphicsArea();
    const int out[2] = {textCellSize[1], textCellSize[0]};
    returnIntRow(first, out, 2);
}

// --- 3D settings -------------------------------------------------------------

void builtinViewQuery(header* first) { returnQuad(first, view3d); }

void builtinView(header* first) {
    header* v = realRowArgument(first, 4);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "Arguments for view are [dist tele alpha beta]!\n");
    std::memcpy(view3d, matrixData(v), sizeof view3d);
}

void builtinCenterQuery(header* first) { returnRow(first, center3d, 3); }

void builtinCenter(header* first) {
    if (isNoneArgument(first)) return returnRow(first, center3d, 3);
    header* v = realRowArgument(first, 3);
    if (errorCode) return;
    if (!v) return reportNeed("vector [x,y,z]", "center");
    double old[3];
    std::memcpy(old, center3d, sizeof old);
    std::memcpy(center3d, matrixData(v), sizeof center3d);
    returnRow(first, old, 3);
}

void builtinAntialiasingQuery(header* first) { returnReal(first, antialiasFlag); }

void builtinAntialiasing(header* first) {
    header* v = realArgument(first);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "Argument for antialiasing must be real!\n");
    const int old = antialiasFlag;
    antialiasFlag = clampToInt(realOf(v));
    returnReal(first, old);
}

void builtinSubgrid(header* first) {
    header* v = realRowArgument(first, 2);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "Arguments for subgrid are [i,j]!\n");
    const int old[2] = {subgridSteps[0], subgridSteps[1]};
    for (int i = 0; i < 2; i++) {
        subgridSteps[i] = clampToInt(matrixData(v)[i]);
        if (subgridSteps[i] <= 0) subgridSteps[i] = 1;
    }
    returnIntRow(first, old, 2);
}

void builtinSetanaglyph(header* first) {
    header* v = realArgument(first);
    if (errorCode) return;
    if (!v) return reportNeed("real", "setanaglyph");
    const double old = anaglyphAngle;
    anaglyphAngle = realOf(v);
    returnReal(first, old);
}

void builtinAspect(header* first) {
    header* v = realArgument(first);
    if (errorCode) return;
    if (!v) return reportNeed("real number", "aspect");
    returnReal(first, setGraphicsAspect(realOf(v)));
}

void builtinGetaspect(header* first) { returnReal(first, getAspectRatio()); }

// --- commands ----------------------------------------------------------------

void holdCommand() {
    skipBlanks();
    if (std::strncmp(scanPointer, "off", 3) == 0) {
        scanPointer += 3;
        savedHoldFlag = -1;
        holdFlag = 0;
    } else if (std::strncmp(scanPointer, "on", 2) == 0) {
        scanPointer += 2;
        savedHoldFlag = -1;
        holdFlag = 1;
    } else if (savedHoldFlag == -1) {
        savedHoldFlag = holdFlag;
        holdFlag = 1;
    } else {
        holdFlag = savedHoldFlag;
        savedHoldFlag = -1;
    }
    autoScaleFlag = !holdFlag;
}

void resetgraphicsCommand() {
    restoreGraphicsDefaults();
    errorsOff = 0;
    underflowsOn = 0;
    complexExpressionFlag = 0;
    traceState = 0;
}

const BuiltinRecord rows[] = {
    {"antialiasing", 0, 0, builtinAntialiasingQuery},
    {"antialiasing", 1, 0, builtinAntialiasing},
    {"aspect", 1, 0, builtinAspect},
    {"center", 0, 0, builtinCenterQuery},
    {"center", 1, 0, builtinCenter},
    {"clip", 0, 0, builtinClipQuery},
    {"clip", 1, 0, builtinClip},
    {"fromscreen", 1, 0, builtinFromscreen},
    {"fullplotarea", 0, 0, builtinFullplotarea},
    {"getaspect", 0, 0, builtinGetaspect},
    {"holding", 0, 0, builtinHoldingQuery},
    {"holding", 1, 0, builtinHolding},
    {"keepsquare", 1, 0, builtinKeepsquare},
    {"margin", 1, 0, builtinMargin},
    {"pixel", 0, 0, builtinPixel},
    {"plot", 0, 0, builtinPlotRange},
    {"plotarea", 2, 0, builtinPlotarea},
    {"scaling", 1, 0, builtinScaling},
    {"setanaglyph", 1, 0, builtinSetanaglyph},
    {"setplot", 1, 0, builtinSetplot},
    {"subgrid", 1, 0, builtinSubgrid},
    {"textsize", 0, 0, builtinTextsize},
    {"toscreen", 1, 0, builtinToscreen},
    {"twosides", 1, 0, builtinTwosides},
    {"view", 0, 0, builtinViewQuery},
    {"view", 1, 0, builtinView},
    {"window", 0, 0, builtinWindowQuery},
    {"window", 1, 0, builtinWindow},
};

void clgCommand() {
    emitClear();
    requireSemicolon("clg");
}

const CommandRecord commands[] = {
    {"clg", commandAssignable, 0, clgCommand},
    {"hold", commandAssignable, 0, holdCommand},
    {"resetgraphics", commandAssignable, 0, resetgraphicsCommand},
    {"shg", commandAssignable, 0, showGraphicsWindow},
};

}  // namespace

KALIX_BUILTIN_FAMILY(graphicsStateBuiltins, rows);
KALIX_COMMAND_FAMILY(graphicsCommands, commands);
