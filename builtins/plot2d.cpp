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

namespace kalix {

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

Rows rowsOf(const MatrixValue& m) { return {m.rows, m.columns, m.data}; }

void returnPlotRange(header* first) { returnRow(first, plotRange, 4); }

// x and y of plot or mark: x is checked before y is resolved.
struct PlotSignatures {
    const char* what;
    Signature x, y;
};

constexpr PlotSignatures plotSignatures = {
    "plot",
    oneArgumentSignature({takesRealMatrix}, "Plot needs a real vector or matrix!\n",
                         errorPlotArgument),
    oneArgumentSignature({takesRealMatrix}, "Wrong arguments for plot!\n",
                         errorPlotSecondArgument)};
constexpr PlotSignatures markSignatures = {
    "mark",
    oneArgumentSignature({takesRealMatrix}, "Mark needs a vector or matrix!\n", errorPlotArgument),
    oneArgumentSignature({takesRealMatrix}, "Illegal arguments for mark!\n", errorMarkArguments)};

// Reads x and y, checks the fit and sets the range from the data when
// autoscaling. Returns the row count to draw: 0 when there is nothing to
// draw (also on error).
int preparePlot(header* first, Rows* x, Rows* y, const PlotSignatures& signatures) {
    const Arguments ax(first, signatures.x);
    if (!ax) return 0;
    const Arguments ay(nextValue(first), signatures.y);
    if (!ay) return 0;
    *x = rowsOf(ax.matrix(0));
    *y = rowsOf(ay.matrix(0));
    const int rows = std::max(x->rows, y->rows), columns = std::max(x->columns, y->columns);
    if (rows == 0 || columns == 0) return 0;
    if (!matricesFit(x->rows, x->columns, y->rows, y->columns)) {
        fail(errorPlotFit, "Matrices must fit for %s!\nGot %dx%d and %dx%d\n", signatures.what,
             x->rows, x->columns, y->rows, y->columns);
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

// Draws row i of x and y by `drawRow(i, x, y)` for each row to draw, and
// returns the plot range. The current colour is kept.
template <typename DrawRow>
void drawRows(header* first, const PlotSignatures& signatures, DrawRow drawRow) {
    Rows x, y;
    const int rows = preparePlot(first, &x, &y, signatures);
    if (errorCode) return;
    if (rows > 0) {
        showGraphicsWindow();
        const ColorCode kept = currentColor;
        for (int i = 0; i < rows; i++) {
            drawRow(i, x, y);
            if (checkEscape() == keyEscape) break;
        }
        currentColor = kept;
    }
    returnPlotRange(first);
}

void builtinPlot(header* first) {
    static std::vector<Point> run;
    drawRows(first, plotSignatures, [](int i, const Rows& x, const Rows& y) {
        if (i < rowColorCount) currentColor = rowColors[i];
        polylineRow(x.row(i), x.columns, y.row(i), y.columns, run);
    });
}

void markRows(header* first, const Rows* colours) {
    const bool ownColours = colours && colours->rows > 0 && colours->columns > 0;
    drawRows(first, markSignatures, [&](int i, const Rows& x, const Rows& y) {
        const double* cr = nullptr;
        if (ownColours)
            cr = colours->data + size_t(i < colours->rows ? i : 0) * colours->columns;
        else if (i < rowColorCount)
            currentColor = rowColors[i];
        const double *xr = x.row(i), *yr = y.row(i);
        const int count = std::max(x.columns, y.columns);
        for (int j = 0; j < count; j++) {
            const double xj = xr[std::min(j, x.columns - 1)], yj = yr[std::min(j, y.columns - 1)];
            if (!std::isfinite(xj) || !std::isfinite(yj)) continue;
            const ColorCode colour =
                cr ? clampToInt(cr[std::min(j, colours->columns - 1)]) : currentColor;
            emitMarker(screenColumn(xj), screenRow(yj), colour, currentMarkerStyle,
                       currentMarkerSize);
        }
    });
}

void builtinMark(header* first) { markRows(first, nullptr); }

// markwithcolor(x, y, colours): the colours are resolved first; when they
// are wrong, x is checked and the refusal is the one of a wrong y.
constexpr Signature markColoursSignature = {.rules = {{takesAnything}}};

void builtinMarkwithcolor(header* first) {
    const Arguments c(nextValue(nextValue(first)), markColoursSignature);
    if (!c) return;
    if (!(kindBit(c[0]->kind) & takesRealMatrix)) {
        const Arguments x(first, markSignatures.x);
        const Refusal& wrong = markSignatures.y.refusal;
        if (x) fail(wrong.code, "%s", wrong.message);
        return;
    }
    const Rows colours = rowsOf(c.matrix(0));
    markRows(first, &colours);
}

// --- polygons, bars, images ----------------------------------------------------

// polygon(x, y, frame): rows of x and y are the corners of polygons.
constexpr Signature polygonSignature = {
    .rules = {{kindBit(kindRealMatrix)}, {kindBit(kindRealMatrix)}, {takesReal}},
    .refusal = {errorFailed, "Need two matrices of equal size and a flag for polygon!"}};

void builtinPolygon(header* first) {
    const Arguments a(first, polygonSignature);
    if (!a) return;
    const Rows x = rowsOf(a.matrix(0)), y = rowsOf(a.matrix(1));
    if ((x.rows != y.rows && x.rows != 1 && y.rows != 1) ||
        (x.columns != y.columns && x.columns != 1 && y.columns != 1))
        return a.refuse();
    const int n = std::max(x.columns, y.columns);
    if (n > polygonPointLimit)
        return fail(errorFailed, "Polygons are limited to %d points!", polygonPointLimit);
    const ColorCode frameColour = a.real(2) != 0 ? currentColor : 0;
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

constexpr Signature barSignature = {.rules = {realRowRule(4)},
                                    .refusal = {errorFailed, "Bar needs a 1x4 vector!\n"}};

void builtinBar(header* first) {
    const Arguments a(first, barSignature);
    if (!a) return;
    const double* b = matrixData(a[0]);
    showGraphicsWindow();
    emitBar(b[0], b[1], b[0] + b[2], b[1] + b[3], currentBarColor, currentBarStyle);
    returnText(first, "");
}

// barRGB(red, green, blue, key): the key colour is left transparent.
constexpr Signature barRgbSignature = {
    .rules = {{kindBit(kindRealMatrix)},
              {kindBit(kindRealMatrix)},
              {kindBit(kindRealMatrix)},
              {takesReal}},
    .refusal = {errorBarRgbArguments,
                "barRGB needs three real matrices of equal size and a color!\n"}};

void builtinBarRgb(header* first) {
    const Arguments a(first, barRgbSignature);
    if (!a) return;
    header* const values[3] = {a[0], a[1], a[2]};
    const int rows = matrixRows(values[0]), columns = matrixColumns(values[0]);
    for (header* v : values)
        if (matrixRows(v) != rows || matrixColumns(v) != columns)
            return fail(errorBarRgbSize, "Matrix dimensions for barRGB must agree!\n");
    if (!holdFlag) emitClear();
    showGraphicsWindow();
    const ColorCode keyCode = clampToInt(a.real(3));
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

// The text is checked before the position is resolved: [c r] (a row or
// more of at least two columns), or c and r.
struct TextSignatures {
    Signature text, point, pair;
};

constexpr TextSignatures textSignatures(const char* message) {
    const Refusal wrong = {errorTextArguments, message};
    return {{.rules = {{takesString}}, .refusal = wrong},
            {.rules = {{kindBit(kindRealMatrix)}}, .refusal = wrong},
            {.rules = {{takesReal}, {takesReal}}, .refusal = wrong}};
}

constexpr TextSignatures horizontalText =
    textSignatures("Need a string, and a position in text!\n");
constexpr TextSignatures downText = textSignatures("Need a string, and a position in vtext!\n");
constexpr TextSignatures upText = textSignatures("Need a string, and a position in vutext!\n");

// Reads (s, [c r]) or (s, c, r); false after the message.
bool readTextArguments(header* first, const TextSignatures& signatures, std::string* text,
                       double* c, double* r) {
    const bool pair = countArguments(first) == 3;
    const Arguments s(first, signatures.text);
    if (!s) return false;
    header* second = nextValue(first);
    if (pair) {
        const Arguments p(second, signatures.pair);
        if (!p) return false;
        *c = p.real(0), *r = p.real(1);
    } else {
        const Arguments p(second, signatures.point);
        if (!p) return false;
        const MatrixValue m = p.matrix(0);
        if (m.rows < 1 || m.columns < 2) {
            p.refuse();
            return false;
        }
        *c = m.data[0], *r = m.data[1];
    }
    // A UTF-8 text carries the mark that tells the painters to decode it.
    text->assign((s[0]->flags & flagUtf8) ? utf8Mark : "");
    text->append(s.text(0));
    return true;
}

void drawText(header* first, TextDirection direction, int alignment) {
    const TextSignatures& signatures = direction == TextDirection::horizontal ? horizontalText
                                       : direction == TextDirection::down     ? downText
                                                                              : upText;
    std::string text;
    double c, r;
    if (!readTextArguments(first, signatures, &text, &c, &r)) return;
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

}  // namespace kalix
