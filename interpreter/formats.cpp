// Number formats: the format state, the mode setters, the entry printers
// and the format builtins.
#include "interpreter/formats.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "interpreter/builtin_table.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/tracing.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"

namespace kalix {

FormatState formatState;

// Bound below which zero rounding makes fractions and complex parts 0.
constexpr double partZeroBound = 1e-12;

// --- mode setters --------------------------------------------------------

// "%0.<digits><conversion>"; digits are kept within what printf can take.
static void buildPattern(char* pattern, char conversion, int digits) {
    if (digits < 0) digits = 0;
    if (digits > 99) digits = 99;
    snprintf(pattern, 16, "%%0.%d%c", digits, conversion);
}

// Widths and limits are computed wide: `setformat` passes any int.
static int clampWidth(long long n, int most) { return int(n < 1 ? 1 : (n > most ? most : n)); }

static double powerOfTen(double exponent) { return std::pow(10.0, exponent); }

static int entriesPerLine(int width) {
    int n = lineLength / (width < 1 ? 1 : width);
    return n < 1 ? 1 : n;
}

static void setPatterns(char normal, char extreme, int digits) {
    buildPattern(formatState.normalFormat, normal, digits);
    buildPattern(formatState.extremeFormat, extreme, digits);
    buildPattern(formatState.joinFormat, 'g', digits);
}

// What every setter but setFracFormat does after its own assignments.
static void finishSetter() {
    formatState.realColumns = entriesPerLine(formatState.columnWidth);
    if (formatState.intervalFormat == 0) {
        formatState.intervalWidth = 2 * formatState.fieldWidth;
        formatState.intervalColumns = entriesPerLine(formatState.intervalWidth);
    }
    formatState.fractionEpsilon = 0;
}

static void setMode(int mode, int n, double d) {
    formatState.formatMode = mode;
    formatState.formatTotal = n;
    formatState.formatDigits = d;
}

void setFormat(int n, int d) {
    setMode(1, n, d);
    if (n < 2 || n > 80 || d < 0 || d >= 20) {
        reportNeed("2<=total<=80, 0<=digits<=20", "format");
        return;
    }
    formatState.fieldWidth = clampWidth(n, 64);
    setPatterns('f', 'e', n - 3 < d ? n - 3 : d);
    formatState.smallLimit = 1e-26;
    formatState.largeLimit = 1e20;
    formatState.columnWidth = n;
    finishSetter();
}

void setGoodFormat(int n, int d) {
    setMode(2, n, d);
    setPatterns('g', 'g', d);
    if (n >= 1) {
        formatState.fieldWidth = clampWidth(n, 64);
        formatState.smallLimit = powerOfTen(-double(d));
        formatState.largeLimit = powerOfTen(double(n) - d - 3);
        formatState.columnWidth = n;
    } else {
        formatState.fieldWidth = clampWidth(d + 8LL, 64);
        formatState.smallLimit = 1e-14;
        formatState.largeLimit = 1e14;
        formatState.columnWidth = formatState.fieldWidth;
    }
    finishSetter();
}

// The setters of expformat and fixedformat differ only in the conversion.
static void setDigitFormat(int mode, char conversion, int n, int d) {
    setMode(mode, n, d);
    formatState.fieldWidth = clampWidth(n, 64);
    setPatterns(conversion, conversion, d);
    formatState.smallLimit = powerOfTen(-double(d));
    formatState.largeLimit = powerOfTen(double(n) - d - 3);
    formatState.columnWidth = n;
    finishSetter();
}

void setExpFormat(int n, int d) { setDigitFormat(3, 'e', n, d); }

void setFixedFormat(int n, int d) { setDigitFormat(4, 'f', n, d); }

void setFracFormat(int n, double eps) {
    setMode(5, n, eps);
    formatState.fieldWidth = clampWidth(n, 80);
    formatState.columnWidth = n;
    formatState.realColumns = entriesPerLine(formatState.columnWidth);
    formatState.fractionEpsilon = eps;
}

// --- fractions -----------------------------------------------------------

// Continued fraction p/q of v >= 0 within the tolerance t.
static void continuedFraction(double v, double t, double* p, double* q) {
    double pn = std::floor(v), qn = 1, previousP = 1, previousQ = 0;
    double error = v - pn, rest = v, term = pn;
    for (int step = 0; error > t && step < 51; step++) {
        rest = 1 / (rest - term);
        term = std::floor(rest);
        double nextQ = qn * term + previousQ;
        if (nextQ == 0) break;
        double nextP = term * pn + previousP;
        double nextError = std::fabs(nextP / nextQ - v);
        if (!(nextError < error)) break;
        previousP = pn;
        previousQ = qn;
        pn = nextP;
        qn = nextQ;
        error = nextError;
        if (nextError <= t) break;
    }
    *p = pn;
    *q = qn;
}

// "NAN", "0", or [-]p/q, [-]p; `zero` decides which values print as 0.
static void fractionText(char* text, double x, double t, bool zero) {
    if (std::isnan(x)) {
        snprintf(text, numberTextSize, "NAN");
        return;
    }
    if (zero) {
        snprintf(text, numberTextSize, "0");
        return;
    }
    double p, q;
    continuedFraction(std::fabs(x), t, &p, &q);
    const char* sign = x < 0 ? "-" : "";
    if (q > 1)
        snprintf(text, numberTextSize, "%s%0.0f/%0.0f", sign, p, q);
    else
        snprintf(text, numberTextSize, "%s%0.0f", sign, p);
}

void formatFractionText(double x, char* text) {
    fractionText(text, x, formatState.fractionEpsilon, x == 0);
}

void writeFraction(double x) {
    char text[numberTextSize];
    formatFractionText(x, text);
    printPadded(-1, "%s", text);
}

void formatFraction(double x, char* text) {
    fractionText(text, x, currentEpsilon * std::fabs(x), std::fabs(x) < currentEpsilon);
}

// --- real numbers ----------------------------------------------------------

static double roundToZero(double x, double bound) {
    return formatState.zeroRounding && std::fabs(x) < bound ? 0.0 : x;
}

// x with the pattern its size selects; NaN as "NAN".
static void patternText(char* text, double x) {
    if (std::isnan(x)) {
        snprintf(text, numberTextSize, "NAN");
        return;
    }
    if (x == 0) {
        snprintf(text, numberTextSize, formatState.normalFormat, 0.0);
        return;
    }
    double a = std::fabs(x);
    const char* pattern = a > formatState.largeLimit || a < formatState.smallLimit
                              ? formatState.extremeFormat
                              : formatState.normalFormat;
    snprintf(text, numberTextSize, pattern, x);
}

// A real as its entry shows it: a fraction in fraction mode, else by pattern.
static void realText(char* text, double x) {
    if (formatState.fractionEpsilon > 0) {
        formatFractionText(roundToZero(x, partZeroBound), text);
        return;
    }
    patternText(text, roundToZero(x, formatState.smallLimit));
}

// One part of a complex number.
static void complexPartText(char* text, double x) {
    x = roundToZero(x, partZeroBound);
    if (formatState.fractionEpsilon > 0)
        formatFractionText(x, text);
    else
        patternText(text, x);
}

// --- user formats ----------------------------------------------------------

// The user function named by `formatState.userFormat`, applied to `argument`: its result
// record (standing where the argument stood), or null when there is no such
// function.
static header* callUserFormat(header* argument) {
    header* function = findFunction(formatState.userFormat);
    if (!function) return nullptr;
    callUserFunction(function, argument, 1, 0);
    return argument;
}

// Runs the user format on a real, complex or interval number. True when it
// returned a string, which is then copied into `text` (cut to `size`);
// false when the ordinary format applies or an error is set. The stack top
// is restored either way.
static bool userFormatText(char* text, int size, int kind, double a, double b,
                           const char* notFound) {
    char* savedTop = newram;
    header* argument = kind == kindReal      ? pushReal(a)
                       : kind == kindComplex ? pushComplex(a, b)
                                             : pushInterval(a, b);
    bool taken = false;
    if (!errorCode) {
        header* result = callUserFormat(argument);
        if (!errorCode && !result) {
            fail(errorFailed, "Kalix function \"%s\"%s", formatState.userFormat, notFound);
        } else if (!errorCode && result->kind == kindString) {
            snprintf(text, size, "%s", stringOf(result));
            taken = true;
        }
    }
    newram = savedTop;
    return taken;
}

// Text forms take a user format's string without its leading blanks.
static void stripLeadingBlanks(char* text) {
    size_t blanks = strspn(text, " ");
    memmove(text, text + blanks, strlen(text + blanks) + 1);
}

// The messages end in a line break like every other error message.
static const char* const realNotFound = " not found for user output!\n";
static const char* const otherNotFound = " not found!\n";

// A column entry: the text right-aligned in `width`.
static void printEntry(const char* text, int width) {
    printPadded(0, "%s", text);
    printPadded(width, "%s", "");
}

void printRealEntry(double x) {
    char text[numberTextSize + 1];
    if (formatState.userFormat[0]) {
        if (userFormatText(text, numberTextSize, kindReal, x, 0, realNotFound)) {
            printEntry(text, formatState.fieldWidth);
            return;
        }
        if (errorCode) return;
    }
    realText(text, x);
    strcat(text, " ");
    printEntry(text, formatState.fieldWidth);
}

void formatRealText(char* text, double x) {
    static int userFormatRunning = 0;
    if (formatState.userFormat[0]) {
        if (userFormatRunning) {
            fail(errorFailed, "User format called recursively.\n");
            return;
        }
        userFormatRunning = 1;
        bool taken = userFormatText(text, numberTextSize, kindReal, x, 0, realNotFound);
        userFormatRunning = 0;
        if (taken) stripLeadingBlanks(text);
        if (taken || errorCode) return;
    }
    realText(text, x);
}

// --- complex numbers -------------------------------------------------------

// Joins the pieces into `text` (`numberTextSize` bytes), cut at the end.
static void joinText(char* text, std::initializer_list<const char*> pieces) {
    size_t used = 0;
    for (const char* piece : pieces)
        for (; *piece && used < numberTextSize - 1; piece++) text[used++] = *piece;
    text[used] = 0;
}

// re, the sign and |im|, the unit; "+0i " for an imaginary part rounded away.
static void complexText(char* text, double re, double im, const char* unit) {
    char realPart[numberTextSize], imagPart[numberTextSize];
    complexPartText(realPart, re);
    if (formatState.zeroRounding && std::fabs(im) < partZeroBound) {
        joinText(text, {realPart, "+0i "});
        return;
    }
    complexPartText(imagPart, std::fabs(im));
    joinText(text, {realPart, im >= 0 ? "+" : "-", imagPart, unit});
}

void printComplexEntry(double re, double im) {
    char text[numberTextSize];
    if (formatState.userFormat[0]) {
        if (userFormatText(text, numberTextSize, kindComplex, re, im, otherNotFound)) {
            printEntry(text, 2 * formatState.fieldWidth);
            return;
        }
        if (errorCode) return;
    }
    complexText(text, re, im, "i ");
    printEntry(text, 2 * formatState.fieldWidth);
}

void formatComplexText(double re, double im, char* text) {
    if (formatState.userFormat[0]) {
        if (userFormatText(text, numberTextSize, kindComplex, re, im, otherNotFound)) {
            stripLeadingBlanks(text);
            return;
        }
        if (errorCode) return;
    }
    complexText(text, re, im, formatState.fractionEpsilon > 0 ? "*I" : "i");
}

// --- intervals -------------------------------------------------------------

// "~lo,hi~" with the digits the interval supports: `extra` is 4 for column
// entries and 2 for texts. Intervals around 0, points and non-finite bounds
// print with two digits.
static void intervalText(char* text, double lo, double hi, int extra) {
    // A zero bound prints as 0 whatever its sign, like every other entry.
    lo += 0.0;
    hi += 0.0;
    bool finite = std::isfinite(lo) && std::isfinite(hi);
    if (formatState.intervalFormat == 0 || !finite || (lo <= 0 && 0 <= hi) || lo == hi ||
        !(lo < hi)) {
        // NaN bounds print as "NAN" as every NaN does.
        char low[numberTextSize], high[numberTextSize];
        snprintf(low, sizeof low, std::isnan(lo) ? "NAN" : "%0.2g", lo);
        snprintf(high, sizeof high, std::isnan(hi) ? "NAN" : "%0.2g", hi);
        joinText(text, {"~", low, ",", high, "~"});
        return;
    }
    double m = lo > 0 ? hi : -lo;
    int digits = int(std::trunc(std::log10(m))) - int(std::trunc(std::log10(hi - lo))) + extra;
    if (digits > 18) digits = 18;
    char pattern[16];
    buildPattern(pattern, 'g', digits);
    if (hi != std::floor(hi))
        hi += powerOfTen(std::floor(std::log10(std::fabs(hi))) - digits + 1) / 2.00000001;
    if (lo != std::floor(lo))
        lo -= powerOfTen(std::floor(std::log10(std::fabs(lo))) - digits + 1) / 2.00000001;
    char low[numberTextSize], high[numberTextSize];
    snprintf(low, sizeof low, pattern, lo);
    snprintf(high, sizeof high, pattern, hi);
    joinText(text, {"~", low, ",", high, "~"});
}

void printIntervalEntry(double lo, double hi) {
    char text[numberTextSize + 1];
    if (formatState.userFormat[0]) {
        if (userFormatText(text, numberTextSize, kindInterval, lo, hi, otherNotFound)) {
            printEntry(text, formatState.intervalWidth);
            return;
        }
        if (errorCode) return;
    }
    intervalText(text, lo, hi, 4);
    strcat(text, " ");
    printEntry(text, formatState.intervalWidth);
}

void formatIntervalText(double lo, double hi, char* text) {
    if (formatState.userFormat[0]) {
        char candidate[numberTextSize];
        if (userFormatText(candidate, sizeof candidate, kindInterval, lo, hi, otherNotFound) &&
            strlen(candidate) < 257) {
            stripLeadingBlanks(candidate);
            strcpy(text, candidate);
            return;
        }
        if (errorCode) return;
    }
    intervalText(text, lo, hi, 2);
}

// --- builtins ----------------------------------------------------------------

// The resolved argument when it is a 1 x n real vector, else null.
static header* realVectorArgument(header* first, int n) {
    header* value = resolveValue(first);
    if (!value) return nullptr;
    if (value->kind != kindRealMatrix || matrixRows(value) != 1 || matrixColumns(value) != n)
        return nullptr;
    return value;
}

// The resolved argument when it is a real, else null.
static header* realArgument(header* first) {
    header* value = resolveValue(first);
    if (!value || value->kind != kindReal) return nullptr;
    return value;
}

static void returnReal(header* first, double x) {
    header* result = pushReal(x);
    if (errorCode) return;
    moveResult(first, result);
}

static void returnPair(header* first, double a, double b) {
    header* result = pushRealMatrix(1, 2);
    if (errorCode) return;
    matrixData(result)[0] = a;
    matrixData(result)[1] = b;
    moveResult(first, result);
}

// Remembers [n, d] in `pair` and hands back the previous pair in `previous`.
static void swapPair(double* pair, double n, double d, double* previous) {
    previous[0] = pair[0];
    previous[1] = pair[1];
    pair[0] = n;
    pair[1] = d;
}

void builtinFormat(header* first) {
    header* value = realVectorArgument(first, 2);
    if (errorCode) return;
    if (!value) {
        reportNeed("1x2 vector [total,digits]", "format");
        return;
    }
    double n = matrixData(value)[0], d = matrixData(value)[1], previous[2];
    swapPair(formatState.formatPair, n, d, previous);
    setFormat(clampToInt(n), clampToInt(d));
    if (errorCode) return;
    returnPair(first, previous[0], previous[1]);
}

void builtinGoodformat(header* first) {
    header* value = resolveValue(first);
    if (errorCode) return;
    double previous[2];
    if (value->kind == kindReal) {
        int d = clampToInt(realOf(value));
        if (d < 0) d = 0;
        swapPair(formatState.goodFormatPair, 0, realOf(value), previous);
        setGoodFormat(0, d);
    } else if (value->kind == kindRealMatrix && matrixRows(value) == 1 &&
               matrixColumns(value) == 2) {
        double n = matrixData(value)[0], d = matrixData(value)[1];
        swapPair(formatState.goodFormatPair, n, d, previous);
        if (!(n >= 0 && n <= 64 && d >= 0 && d <= 20)) {
            reportNeed("0<=total<=64, 0<=digits<=20", "goodformat");
            return;
        }
        int total = int(n), digits = int(d);
        if (digits > total - 3) digits = total - 3;
        if (digits < 1) digits = 1;
        setGoodFormat(total, digits);
    } else {
        reportNeed("integer or 1x2 vector", "goodformat");
        return;
    }
    formatState.userFormat[0] = 0;
    returnPair(first, previous[0], previous[1]);
}

// expformat and fixedformat: digits limited to total - 3 (and to 0 below).
// expformat takes digits up to 20, fixedformat digits below 20.
static void digitFormatBuiltin(header* first, const char* name, double* pair, bool twentyTaken,
                               void (*setter)(int, int)) {
    header* value = realVectorArgument(first, 2);
    if (errorCode) return;
    if (!value) {
        reportNeed("1x2 vector", name);
        return;
    }
    double n = matrixData(value)[0], d = matrixData(value)[1], previous[2];
    swapPair(pair, n, d, previous);
    if (!(n > 1 && n <= 80 && d >= 0 && (twentyTaken ? d <= 20 : d < 20))) {
        reportNeed("2<=total<=80, 0<=digits<=20", name);
        return;
    }
    int total = int(n), digits = int(d);
    if (digits > total - 3) digits = total - 3;
    if (digits < 0) digits = 0;
    setter(total, digits);
    returnPair(first, previous[0], previous[1]);
}

void builtinExpformat(header* first) {
    digitFormatBuiltin(first, "expformat", formatState.expFormatPair, true, setExpFormat);
}

void builtinFixedformat(header* first) {
    digitFormatBuiltin(first, "fixedformat", formatState.fixedFormatPair, false, setFixedFormat);
    if (!errorCode) formatState.userFormat[0] = 0;
}

void builtinFracformat(header* first) {
    header* value = realVectorArgument(first, 2);
    if (errorCode) return;
    if (!value) {
        reportNeed("1x2 vector", "fracformat");
        return;
    }
    double n = matrixData(value)[0], eps = matrixData(value)[1];
    if (!(n > 1 && n <= 80 && eps > 0 && eps <= 1)) {
        reportNeed("2<=total<=80, 0<eps<=1", "fixedformat");
        return;
    }
    double previousWidth = formatState.fieldWidth, previousEpsilon = formatState.fractionEpsilon;
    setFracFormat(int(n), eps);
    formatState.userFormat[0] = 0;
    returnPair(first, previousWidth, previousEpsilon);
}

void builtinIformat(header* first) {
    header* value = realArgument(first);
    if (errorCode) return;
    if (!value) {
        reportNeed("integer", "iformat");
        return;
    }
    int previous = formatState.intervalFormat;
    int n = clampToInt(realOf(value));
    if (n > 0) {
        formatState.intervalFormat = n;
        formatState.intervalWidth = n < 21 ? 21 : (n > 80 ? 80 : n);
        formatState.intervalColumns = entriesPerLine(formatState.intervalWidth);
    } else {
        formatState.intervalFormat = 0;
        formatState.intervalColumns =
            formatState.realColumns / 2 < 1 ? 1 : formatState.realColumns / 2;
        formatState.intervalWidth = 2 * formatState.fieldWidth;
    }
    formatState.fractionEpsilon = 0;
    returnReal(first, previous);
}

void builtinScalarformat(header* first) {
    header* value = realArgument(first);
    if (errorCode) return;
    if (!value) {
        reportNeed("real", "scalarformat");
        return;
    }
    int previous = formatState.scalarFormatOn;
    formatState.scalarFormatOn = clampToInt(realOf(value)) != 0;
    formatState.userFormat[0] = 0;
    formatState.fractionEpsilon = 0;
    returnReal(first, previous);
}

void builtinSetscalarformat(header* first) {
    header* value = realArgument(first);
    if (errorCode) return;
    if (!value) {
        reportNeed("real", "scalarformat");
        return;
    }
    int previous = formatState.scalarDigits;
    int n = clampToInt(realOf(value));
    if (n < 0) n = 0;
    formatState.scalarDigits = n;
    formatState.scalarFormatOn = 1;
    buildPattern(formatState.scalarFormat, 'g', n);
    if (n <= 10) {
        formatState.scalarSmallLimit = 1e-10;
        formatState.scalarLargeLimit = 1e10;
    } else {
        formatState.scalarLargeLimit = powerOfTen(n - 2.0);
        formatState.scalarSmallLimit = 1 / formatState.scalarLargeLimit;
    }
    formatState.userFormat[0] = 0;
    formatState.fractionEpsilon = 0;
    returnReal(first, previous);
}

static int clampDense(int n) { return n < 0 ? 0 : (n > 9 ? 10 : n); }

void builtinDenseoutput(header* first) {
    header* value = realArgument(first);
    if (errorCode) return;
    if (!value) {
        reportNeed("integer 0-10", "denseoutput");
        return;
    }
    int previous = formatState.denseOutput;
    formatState.denseOutput = clampDense(clampToInt(realOf(value)));
    returnReal(first, previous);
}

void builtinZerorounding(header* first) {
    header* value = realArgument(first);
    if (errorCode) return;
    if (!value) {
        reportNeed("real flag", "zerorounding");
        return;
    }
    int previous = formatState.zeroRounding;
    formatState.zeroRounding = realOf(value) != 0;  // NaN counts as nonzero
    returnReal(first, previous);
}

void builtinUserformat(header* first) {
    header* value = resolveValue(first);
    if (errorCode) return;
    if (value->kind != kindString || strlen(stringOf(value)) >= sizeof formatState.userFormat) {
        reportNeed("string containing function name", "userformat");
        return;
    }
    strcpy(formatState.userFormat, stringOf(value));
    formatState.fieldWidth = 1;
    header* result = pushCString(formatState.userFormat);
    if (errorCode) return;
    moveResult(first, result);
}

static void pushFormatState() {
    header* result = pushRealMatrix(1, 9);
    if (errorCode) return;
    double state[9] = {double(formatState.formatMode),
                       double(formatState.formatTotal),
                       formatState.formatDigits,
                       double(formatState.scalarFormatOn),
                       double(formatState.scalarDigits),
                       double(formatState.denseOutput),
                       double(formatState.zeroRounding),
                       formatState.smallLimit,
                       formatState.largeLimit};
    memcpy(matrixData(result), state, sizeof state);
}

void builtinGetformat(header* first) {
    (void)first;
    pushFormatState();
}

void builtinSetformat(header* first) {
    header* value = realVectorArgument(first, 9);
    if (errorCode) return;
    if (!value) {
        reportNeed("1x9 vector", "setformat");
        return;
    }
    double state[9];
    memcpy(state, matrixData(value), sizeof state);
    header* previous = recordAt(newram);
    pushFormatState();
    if (errorCode) return;
    int n = clampToInt(state[1]);
    switch (clampToInt(state[0])) {
        case 1:
            setFormat(n, clampToInt(state[2]));
            break;
        case 2:
            setGoodFormat(n, clampToInt(state[2]));
            break;
        case 3:
            setExpFormat(n, clampToInt(state[2]));
            break;
        case 4:
            setFixedFormat(n, clampToInt(state[2]));
            break;
        case 5:
            setFracFormat(n, state[2]);
            break;
        default:
            break;
    }
    if (errorCode) return;
    formatState.scalarFormatOn = clampToInt(state[3]);
    formatState.scalarDigits = clampToInt(state[4]);
    formatState.denseOutput = clampDense(clampToInt(state[5]));
    formatState.zeroRounding = clampToInt(state[6]);
    formatState.smallLimit = state[7];
    formatState.largeLimit = state[8];
    moveResult(first, previous);
}

static const BuiltinRecord rows[] = {
    {"denseoutput", 1, 0, builtinDenseoutput},         {"expformat", 1, 0, builtinExpformat},
    {"fixedformat", 1, 0, builtinFixedformat},         {"format", 1, 0, builtinFormat},
    {"fracformat", 1, 0, builtinFracformat},           {"getformat", 0, 0, builtinGetformat},
    {"goodformat", 1, 0, builtinGoodformat},           {"iformat", 1, 0, builtinIformat},
    {"scalarformat", 1, 0, builtinScalarformat},       {"setformat", 1, 0, builtinSetformat},
    {"setscalarformat", 1, 0, builtinSetscalarformat}, {"userformat", 1, 0, builtinUserformat},
    {"zerorounding", 1, 0, builtinZerorounding},
};
KALIX_BUILTIN_FAMILY(formatBuiltins, rows);

}  // namespace kalix
