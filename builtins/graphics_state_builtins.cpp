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

namespace kalix {

namespace {

void returnQuad(header* first, const double* values) { returnRow(first, values, 4); }

// --- plot range --------------------------------------------------------------

constexpr Signature setplotSignature = {
    .rules = {realRowRule(4)}, .refusal = {errorSetplotVector, "Setplot needs a 1x4 vector!\n"}};

void builtinSetplot(header* first) {
    const Arguments a(first, setplotSignature);
    if (!a) return;
    double old[4];
    std::memcpy(old, plotRange, sizeof old);
    std::memcpy(plotWindow, matrixData(a[0]), sizeof plotWindow);
    applyPlotRange(true);
    autoScaleFlag = 0;
    returnQuad(first, old);
}

void builtinPlotRange(header* first) { returnQuad(first, plotRange); }
void builtinFullplotarea(header* first) { returnQuad(first, plotWindow); }

// plotarea(x, y): x is checked before y is resolved.
constexpr Signature plotareaXSignature = oneArgumentSignature(
    {takesRealMatrix}, "Plot needs a real vector or matrix!\n", errorPlotArgument);
constexpr Signature plotareaYSignature = oneArgumentSignature(
    {takesRealMatrix}, "Wrong arguments for plotarea!\n", errorPlotareaArguments);

void builtinPlotarea(header* first) {
    const Arguments ax(first, plotareaXSignature);
    if (!ax) return;
    const Arguments ay(nextValue(first), plotareaYSignature);
    if (!ay) return;
    const MatrixValue x = ax.matrix(0), y = ay.matrix(0);
    if (!matricesFit(x.rows, x.columns, y.rows, y.columns))
        return fail(errorPlotFit, "Matrices must fit for plotarea!\n");
    if (autoScaleFlag) rangeFromData(x.data, x.count(), y.data, y.count());
    autoScaleFlag = 0;
    returnQuad(first, plotRange);
}

// The flag builtins: a real, nonzero for on.
constexpr Signature flagSignature(const char* message) {
    return oneArgumentSignature({takesReal}, message, errorGraphicsFlag);
}
constexpr Signature scalingSignature = flagSignature("Scaling needs a 1 or 0!\n");
constexpr Signature keepsquareSignature = flagSignature("Keepsquare needs a 1 or 0!\n");
constexpr Signature holdingSignature = flagSignature("Holding needs a 1 or 0!\n");
constexpr Signature twosidesSignature = flagSignature("Twosides needs a 1 or 0!\n");

// Sets the flag from the argument and returns the old value; false after
// the refusal.
bool setFlag(header* first, const Signature& signature, int* flag) {
    const Arguments a(first, signature);
    if (!a) return false;
    const int old = *flag;
    *flag = a.real(0) != 0;
    returnReal(first, old);
    return true;
}

void builtinScaling(header* first) { setFlag(first, scalingSignature, &autoScaleFlag); }
void builtinKeepsquare(header* first) { setFlag(first, keepsquareSignature, &keepSquareFlag); }
void builtinTwosides(header* first) { setFlag(first, twosidesSignature, &twoSidesFlag); }

void builtinHoldingQuery(header* first) { returnReal(first, holdFlag); }

void builtinHolding(header* first) {
    if (setFlag(first, holdingSignature, &holdFlag)) autoScaleFlag = !holdFlag;
}

constexpr Signature marginSignature = {"margin", "real", {{takesReal}}};

void builtinMargin(header* first) {
    const Arguments a(first, marginSignature);
    if (!a) return;
    if (std::isnan(a.real(0))) return a.refuse();
    const double old = plotMargin;
    double m = a.real(0);
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

constexpr Signature windowSignature =
    oneArgumentSignature(realRowRule(4), "Arguments for window are [c0 r0 c1 r1]!\n");

void builtinWindow(header* first) {
    const Arguments a(first, windowSignature);
    if (!a) return;
    readCorners(matrixData(a[0]), screenWindow);
    orderCorners(screenWindow);
    autoScaleFlag = 1;
}

void builtinClipQuery(header* first) { returnIntRow(first, clipRect, 4); }

constexpr Signature clipSignature =
    oneArgumentSignature(realRowRule(4), "Arguments for clip are [c0 r0 c1 r1]!\n");

void builtinClip(header* first) {
    const Arguments a(first, clipSignature);
    if (!a) return;
    int old[4];
    std::memcpy(old, clipRect, sizeof old);
    readCorners(matrixData(a[0]), clipRect);
    if (clipRect[0] < 0) clipRect[0] = 0;
    if (clipRect[1] < 0) clipRect[1] = 0;
    if (clipRect[2] > 1023) clipRect[2] = 1023;
    if (clipRect[3] > 1023) clipRect[3] = 1023;
    orderCorners(clipRect);
    emitClip(clipRect[0], clipRect[1], clipRect[2], clipRect[3]);
    returnIntRow(first, old, 4);
}

// --- conversions -------------------------------------------------------------

// toscreen and fromscreen share the message.
constexpr Signature screenPointSignature =
    oneArgumentSignature(realRowRule(2), "Arguments for fromscreen are [c r]!\n");

// The point [c r] with each coordinate converted.
void convertPoint(header* first, double (*column)(double), double (*row)(double)) {
    const Arguments a(first, screenPointSignature);
    if (!a) return;
    const double* p = matrixData(a[0]);
    const double out[2] = {column(p[0]), row(p[1])};
    returnRow(first, out, 2);
}

void builtinToscreen(header* first) { convertPoint(first, screenColumn, screenRow); }
void builtinFromscreen(header* first) { convertPoint(first, columnToUser, rowToUser); }

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

constexpr Signature viewSignature =
    oneArgumentSignature(realRowRule(4), "Arguments for view are [dist tele alpha beta]!\n");

void builtinView(header* first) {
    const Arguments a(first, viewSignature);
    if (!a) return;
    std::memcpy(view3d, matrixData(a[0]), sizeof view3d);
}

void builtinCenterQuery(header* first) { returnRow(first, center3d, 3); }

// center(none) returns the centre.
constexpr Signature centerSignature = {
    "center",
    "vector [x,y,z]",
    {{.kinds = takesRealMatrix, .presence = Presence::optionalOrNone, .rows = 1, .columns = 3}}};

void builtinCenter(header* first) {
    const Arguments a(first, centerSignature);
    if (!a) return;
    if (!a.given(0)) return returnRow(first, center3d, 3);
    double old[3];
    std::memcpy(old, center3d, sizeof old);
    std::memcpy(center3d, matrixData(a[0]), sizeof center3d);
    returnRow(first, old, 3);
}

void builtinAntialiasingQuery(header* first) { returnReal(first, antialiasFlag); }

constexpr Signature antialiasingSignature =
    oneArgumentSignature({takesReal}, "Argument for antialiasing must be real!\n");

void builtinAntialiasing(header* first) {
    const Arguments a(first, antialiasingSignature);
    if (!a) return;
    const int old = antialiasFlag;
    antialiasFlag = clampToInt(a.real(0));
    returnReal(first, old);
}

constexpr Signature subgridSignature =
    oneArgumentSignature(realRowRule(2), "Arguments for subgrid are [i,j]!\n");

void builtinSubgrid(header* first) {
    const Arguments a(first, subgridSignature);
    if (!a) return;
    const int old[2] = {subgridSteps[0], subgridSteps[1]};
    for (int i = 0; i < 2; i++) {
        subgridSteps[i] = clampToInt(matrixData(a[0])[i]);
        if (subgridSteps[i] <= 0) subgridSteps[i] = 1;
    }
    returnIntRow(first, old, 2);
}

constexpr Signature setanaglyphSignature = {"setanaglyph", "real", {{takesReal}}};

void builtinSetanaglyph(header* first) {
    const Arguments a(first, setanaglyphSignature);
    if (!a) return;
    const double old = anaglyphAngle;
    anaglyphAngle = a.real(0);
    returnReal(first, old);
}

constexpr Signature aspectSignature = {"aspect", "real number", {{takesReal}}};

void builtinAspect(header* first) {
    const Arguments a(first, aspectSignature);
    if (!a) return;
    returnReal(first, setGraphicsAspect(a.real(0)));
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

}  // namespace kalix
