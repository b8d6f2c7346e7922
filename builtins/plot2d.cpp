// 2D drawing builtins: polylines and marks in user coordinates, filled
// polygons, bars and RGB images on the virtual screen, the frame of the
// plot area, and texts in three directions.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_state.h"
#include "graphics/graphics_store.h"
#include "graphics/segment_clip.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace {

// Points of a polyline run before it is recorded; runs share their end
// points so the line stays unbroken.
constexpr int polylineRunPoints = 4096;
constexpr int polygonPointLimit = 4096;

// A real matrix argument seen as rows of elements.
struct Rows {
    int rows = 0, columns = 0;
    const double* data = nullptr;
    // Row i, or row 0 when there is only one.
    const double* row(int i) const { return data + size_t(rows == 1 ? 0 : i) * size_t(columns); }
};

bool readRows(header* value, Rows* out) {
    return realMatrixOf(value, &out->rows, &out->columns, &out->data);
}

// Each dimension of each argument is 1 or the larger of the two.
bool fits(const Rows& a, const Rows& b) {
    const int r = std::max(a.rows, b.rows), c = std::max(a.columns, b.columns);
    return (a.rows == 1 || a.rows == r) && (b.rows == 1 || b.rows == r) &&
           (a.columns == 1 || a.columns == c) && (b.columns == 1 || b.columns == c);
}

void returnPlotRange(header* first) { returnRow(first, plotRange, 4); }

// Reads x and y, checks the fit and sets the range from the data when
// autoscaling. Returns the row count to draw: 0 when there is nothing to
// draw (also on error).
int preparePlot(header* first, Rows* x, Rows* y, const char* what) {
    header* xv = resolveValue(first);
    if (errorCode) return 0;
    const bool isPlot = what[0] == 'p';
    if (!readRows(xv, x)) {
        fail(errorPlotArgument,
             isPlot ? "Plot needs a real vector or matrix!\n" : "Mark needs a vector or matrix!\n");
        return 0;
    }
    header* yv = resolveValue(nextValue(first));
    if (errorCode) return 0;
    if (!readRows(yv, y)) {
        if (isPlot)
            fail(errorPlotSecondArgument, "Wrong arguments for plot!\n");
        else
            fail(errorMarkArguments, "Illegal arguments for mark!\n");
        return 0;
    }
    const int rows = std::max(x->rows, y->rows), columns = std::max(x->columns, y->columns);
    if (rows == 0 || columns == 0) return 0;
    if (!fits(*x, *y)) {
        fail(errorPlotFit, "Matrices must fit for %s!\nGot %dx%d and %dx%d\n", what, x->rows,
             x->columns, y->rows, y->columns);
        return 0;
    }
    if (autoScaleFlag && !rangeFromData(x->data, (long long)x->rows * x->columns, y->data,
                                        (long long)y->rows * y->columns))
        return 0;
    return rows;
}

// The screen coordinates a record accepts lie inside (-1000, 2000).
constexpr double screenLow = -999, screenHigh = 1999;

// Cuts the segment a-b to the accepted square; false when nothing of it
// lies inside.
bool clipToScreen(Point& a, Point& b) {
    double t0, t1;
    if (!segmentInBox(a.x, a.y, b.x, b.y, screenLow, screenHigh, screenLow, screenHigh, &t0, &t1))
        return false;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const Point start = a;
    if (t1 < 1) b = {start.x + t1 * dx, start.y + t1 * dy};
    if (t0 > 0) a = {start.x + t0 * dx, start.y + t0 * dy};
    return true;
}

bool inside(Point p) {
    return p.x >= screenLow && p.x <= screenHigh && p.y >= screenLow && p.y <= screenHigh;
}

// Records one row as polylines, broken at NaN and infinite points;
// segments reaching far off the screen are cut at the accepted square.
void polylineRow(const double* x, int n, const double* y, int m, std::vector<Point>& run) {
    if (n <= 0 || m <= 0) return;
    const int count = std::max(n, m);
    run.clear();
    auto flush = [&] {
        if (!run.empty())
            emitPolyline(run.data(), int(run.size()), currentColor, currentLineStyle,
                         currentLineWidth);
        run.clear();
    };
    auto add = [&](Point p) {
        if (int(run.size()) == polylineRunPoints) {
            const Point last = run.back();
            flush();
            run.push_back(last);
        }
        run.push_back(p);
    };
    bool previousValid = false;
    Point previous{0, 0};
    for (int j = 0; j < count; j++) {
        const double xj = x[std::min(j, n - 1)], yj = y[std::min(j, m - 1)];
        const Point p{screenColumn(xj), screenRow(yj)};
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::isnan(xj) || std::isnan(yj)) {
            flush();
            previousValid = false;
            continue;
        }
        if (!previousValid) {
            if (inside(p)) add(p);
            previous = p;
            previousValid = true;
            continue;
        }
        Point a = previous, b = p;
        previous = p;
        if (!clipToScreen(a, b)) {
            flush();
            continue;
        }
        if (run.empty() || run.back().x != a.x || run.back().y != a.y) {
            flush();
            add(a);
        }
        add(b);
        if (!inside(p)) flush();
    }
    flush();
}

void builtinPlot(header* first) {
    Rows x, y;
    const int rows = preparePlot(first, &x, &y, "plot");
    if (errorCode) return;
    if (rows > 0) {
        showGraphicsWindow();
        const ColorCode kept = currentColor;
        static std::vector<Point> run;
        for (int i = 0; i < rows; i++) {
            if (i < rowColorCount) currentColor = rowColors[i];
            polylineRow(x.row(i), x.columns, y.row(i), y.columns, run);
            if (checkEscape() == keyEscape) break;
        }
        currentColor = kept;
    }
    returnPlotRange(first);
}

void markRows(header* first, const Rows* colours) {
    Rows x, y;
    const int rows = preparePlot(first, &x, &y, "mark");
    if (errorCode) return;
    if (rows > 0) {
        showGraphicsWindow();
        const ColorCode kept = currentColor;
        const bool ownColours = colours && colours->rows > 0 && colours->columns > 0;
        for (int i = 0; i < rows; i++) {
            const double* cr = nullptr;
            if (ownColours)
                cr = colours->data + size_t(i < colours->rows ? i : 0) * colours->columns;
            else if (i < rowColorCount)
                currentColor = rowColors[i];
            const double *xr = x.row(i), *yr = y.row(i);
            const int count = std::max(x.columns, y.columns);
            for (int j = 0; j < count; j++) {
                const double xj = xr[std::min(j, x.columns - 1)],
                             yj = yr[std::min(j, y.columns - 1)];
                if (!std::isfinite(xj) || !std::isfinite(yj)) continue;
                const ColorCode colour =
                    cr ? clampToInt(cr[std::min(j, colours->columns - 1)]) : currentColor;
                emitMarker(screenColumn(xj), screenRow(yj), colour, currentMarkerStyle,
                           currentMarkerSize);
            }
            if (checkEscape() == keyEscape) break;
        }
        currentColor = kept;
    }
    returnPlotRange(first);
}

void builtinMark(header* first) { markRows(first, nullptr); }

void builtinMarkwithcolor(header* first) {
    header* c = resolveValue(nextValue(nextValue(first)));
    if (errorCode) return;
    Rows colours;
    if (!readRows(c, &colours)) {
        // The first two arguments are checked first.
        header* x = resolveValue(first);
        if (errorCode) return;
        Rows probe;
        if (!readRows(x, &probe))
            return fail(errorPlotArgument, "Mark needs a vector or matrix!\n");
        return fail(errorMarkArguments, "Illegal arguments for mark!\n");
    }
    markRows(first, &colours);
}

// --- polygons, bars, images ----------------------------------------------------

void builtinPolygon(header* first) {
    header* xv = resolveValue(first);
    if (errorCode) return;
    header* yv = resolveValue(nextValue(first));
    if (errorCode) return;
    header* frame = realArgument(nextValue(nextValue(first)));
    if (errorCode) return;
    Rows x, y;
    const bool matrices = xv->kind == kindRealMatrix && yv->kind == kindRealMatrix &&
                          readRows(xv, &x) && readRows(yv, &y);
    if (!matrices || !frame || (x.rows != y.rows && x.rows != 1 && y.rows != 1) ||
        (x.columns != y.columns && x.columns != 1 && y.columns != 1))
        return fail(errorFailed, "Need two matrices of equal size and a flag for polygon!");
    const int n = std::max(x.columns, y.columns);
    if (n > polygonPointLimit)
        return fail(errorFailed, "Polygons are limited to %d points!", polygonPointLimit);
    const ColorCode frameColour = realOf(frame) != 0 ? currentColor : 0;
    showGraphicsWindow();
    const int polygons = x.rows == 1 ? y.rows : x.rows;
    std::vector<Point> points(size_t(n > 0 ? n : 1));
    for (int i = 0; i < polygons && x.columns > 0 && y.columns > 0; i++) {
        const double *xr = x.row(i), *yr = y.row(i);
        for (int j = 0; j < n; j++)
            points[size_t(j)] = {screenColumn(xr[std::min(j, x.columns - 1)]),
                                 screenRow(yr[std::min(j, y.columns - 1)])};
        emitFillPolygon(points.data(), n, currentBarStyle, currentBarColor, frameColour);
    }
    returnText(first, "");
}

void builtinBar(header* first) {
    header* v = realRowArgument(first, 4);
    if (errorCode) return;
    if (!v) return fail(errorFailed, "Bar needs a 1x4 vector!\n");
    const double* b = matrixData(v);
    showGraphicsWindow();
    emitBar(b[0], b[1], b[0] + b[2], b[1] + b[3], currentBarColor, currentBarStyle);
    returnText(first, "");
}

void builtinBarRgb(header* first) {
    header* values[3];
    header* a = first;
    for (int k = 0; k < 3; k++, a = nextValue(a)) {
        values[k] = resolveValue(a);
        if (errorCode) return;
    }
    header* key = realArgument(a);
    if (errorCode) return;
    for (header* v : values)
        if (v->kind != kindRealMatrix || !key)
            return fail(errorBarRgbArguments,
                        "barRGB needs three real matrices of equal size and a color!\n");
    const int rows = matrixRows(values[0]), columns = matrixColumns(values[0]);
    for (header* v : values)
        if (matrixRows(v) != rows || matrixColumns(v) != columns)
            return fail(errorBarRgbSize, "Matrix dimensions for barRGB must agree!\n");
    if (!holdFlag) emitClear();
    showGraphicsWindow();
    const ColorCode keyCode = clampToInt(realOf(key));
    Rgb k{-1, 0, 0};
    if (keyCode != -1) k = resolveColor(keyCode);
    emitRgbBar(screenWindow[0], screenWindow[1], screenWindow[2], screenWindow[3], columns, rows,
               k.red, k.green, k.blue, matrixData(values[0]), matrixData(values[1]),
               matrixData(values[2]));
    returnReal(first, 0);
}

void builtinFrame(header* first) {
    showGraphicsWindow();
    if (currentFrameColor != 0) {
        const double c0 = screenWindow[0], r0 = screenWindow[1], c1 = screenWindow[2],
                     r1 = screenWindow[3];
        emitLine(c0, r0, c0, r1, currentFrameColor, lineSolid, 1.0);
        emitLine(c0, r1, c1, r1, currentFrameColor, lineSolid, 1.0);
        emitLine(c1, r1, c1, r0, currentFrameColor, lineSolid, 1.0);
        emitLine(c1, r0, c0, r0, currentFrameColor, lineSolid, 1.0);
    }
    returnReal(first, 0);
}

// --- texts -------------------------------------------------------------------

// Reads (s, [c r]) or (s, c, r); false after the message.
bool readTextArguments(header* first, TextDirection direction, std::string* text, double* c,
                       double* r) {
    const char* message =
        direction == TextDirection::horizontal ? "Need a string, and a position in text!\n"
        : direction == TextDirection::down     ? "Need a string, and a position in vtext!\n"
                                               : "Need a string, and a position in vutext!\n";
    header* s = resolveValue(first);
    if (errorCode) return false;
    header* second = nextValue(first);
    header* third = second ? nextValue(second) : nullptr;
    bool ok = s->kind == kindString && second;
    if (ok && third) {
        header* cv = realArgument(second);
        if (errorCode) return false;
        header* rv = realArgument(third);
        if (errorCode) return false;
        ok = cv && rv;
        if (ok) *c = realOf(cv), *r = realOf(rv);
    } else if (ok) {
        header* p = resolveValue(second);
        if (errorCode) return false;
        ok = p->kind == kindRealMatrix && matrixRows(p) >= 1 && matrixColumns(p) >= 2;
        if (ok) *c = matrixData(p)[0], *r = matrixData(p)[1];
    }
    if (!ok) {
        fail(errorTextArguments, "%s", message);
        return false;
    }
    // A UTF-8 text carries the mark that tells the painters to decode it.
    text->assign((s->flags & flagUtf8) ? utf8Mark : "");
    text->append(stringOf(s));
    return true;
}

void drawText(header* first, TextDirection direction, int alignment) {
    std::string text;
    double c, r;
    if (!readTextArguments(first, direction, &text, &c, &r)) return;
    showGraphicsWindow();
    layoutGraphicsArea();
    const double x = clampToInt(c), y = clampToInt(r), size = textCellSize[0];
    switch (direction) {
        case TextDirection::horizontal:
            emitText(x, y, text.c_str(), currentTextColor, alignment, size);
            break;
        case TextDirection::down:
            emitTextDown(x, y, text.c_str(), currentTextColor, alignment, size);
            break;
        case TextDirection::up:
            emitTextUp(x, y, text.c_str(), currentTextColor, alignment, size);
            break;
    }
}

#define TEXT_BUILTIN(name, direction, alignment) \
    void name(header* first) { drawText(first, TextDirection::direction, alignment); }
TEXT_BUILTIN(builtinText, horizontal, alignLeft)
TEXT_BUILTIN(builtinCtext, horizontal, alignCenter)
TEXT_BUILTIN(builtinRtext, horizontal, alignRight)
TEXT_BUILTIN(builtinVtext, down, alignLeft)
TEXT_BUILTIN(builtinVctext, down, alignCenter)
TEXT_BUILTIN(builtinVrtext, down, alignRight)
TEXT_BUILTIN(builtinVutext, up, alignLeft)
TEXT_BUILTIN(builtinVcutext, up, alignCenter)
TEXT_BUILTIN(builtinVrutext, up, alignRight)

const BuiltinRecord rows[] = {
    {"bar", 1, 0, builtinBar},
    {"barRGB", 4, 0, builtinBarRgb},
    {"ctext", 2, 0, builtinCtext},
    {"ctext", 3, 0, builtinCtext},
    {"frame", 0, 0, builtinFrame},
    {"mark", 2, 0, builtinMark},
    {"markwithcolor", 3, 0, builtinMarkwithcolor},
    {"plot", 2, 0, builtinPlot},
    {"polygon", 3, 0, builtinPolygon},
    {"rtext", 2, 0, builtinRtext},
    {"rtext", 3, 0, builtinRtext},
    {"text", 2, 0, builtinText},
    {"text", 3, 0, builtinText},
    {"vctext", 2, 0, builtinVctext},
    {"vctext", 3, 0, builtinVctext},
    {"vcutext", 2, 0, builtinVcutext},
    {"vcutext", 3, 0, builtinVcutext},
    {"vrtext", 2, 0, builtinVrtext},
    {"vrtext", 3, 0, builtinVrtext},
    {"vrutext", 2, 0, builtinVrutext},
    {"vrutext", 3, 0, builtinVrutext},
    {"vtext", 2, 0, builtinVtext},
    {"vtext", 3, 0, builtinVtext},
    {"vutext", 2, 0, builtinVutext},
    {"vutext", 3, 0, builtinVutext},
};

}  // namespace

KALIX_BUILTIN_FAMILY(plot2dBuiltins, rows);
