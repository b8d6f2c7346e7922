// Interval arithmetic with outward rounding: bound operations, promotion,
// interval element functions, the interval builtins and operators.
#include "builtins/intervals.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "interpreter/arithmetic.h"
#include "interpreter/builtin_table.h"
#include "interpreter/elementwise.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace {

constexpr double smallestPositive = std::numeric_limits<double>::denorm_min();

uint64_t bitsOf(double x) {
    uint64_t u;
    std::memcpy(&u, &x, 8);
    return u;
}
double doubleOf(uint64_t u) {
    double x;
    std::memcpy(&x, &u, 8);
    return x;
}

// The neighbouring double below a nonzero, non-NaN x (-inf stays).
double stepDown(double x) {
    if (x == -INFINITY) return x;
    uint64_t u = bitsOf(x);
    return doubleOf(x > 0 ? u - 1 : u + 1);
}

// The neighbouring double above a nonzero, non-NaN x (+inf stays); never -0.
double stepUp(double x) {
    if (x == INFINITY) return x;
    uint64_t u = bitsOf(x);
    double y = doubleOf(x > 0 ? u + 1 : u - 1);
    return y == 0 ? 0.0 : y;
}

// Outward bounds of a product or quotient whose exact value has the sign of
// `negative` when the rounded result `r` underflowed to zero.
double lowerOf(double r, bool underflow, bool negative) {
    if (underflow) return negative ? -smallestPositive : 0.0;
    return roundDown(r);
}
double upperOf(double r, bool underflow, bool negative) {
    if (underflow) return negative ? 0.0 : smallestPositive;
    return roundUp(r);
}

double productDown(double a, double b) {
    double p = a * b;
    return lowerOf(p, p == 0 && a != 0 && b != 0, std::signbit(a) != std::signbit(b));
}
double productUp(double a, double b) {
    double p = a * b;
    return upperOf(p, p == 0 && a != 0 && b != 0, std::signbit(a) != std::signbit(b));
}
double quotientDown(double a, double b) {
    double q = a / b;
    return lowerOf(q, q == 0 && a != 0 && std::isfinite(b), std::signbit(a) != std::signbit(b));
}
double quotientUp(double a, double b) {
    double q = a / b;
    return upperOf(q, q == 0 && a != 0 && std::isfinite(b), std::signbit(a) != std::signbit(b));
}

}  // namespace

// --- outward rounding ------------------------------------------------------

double roundDown(double x) {
    if (x == 0) return 0.0;
    if (std::isnan(x)) return x;
    return stepDown(x);
}

double roundUp(double x) {
    if (x == 0) return 0.0;
    if (std::isnan(x)) return x;
    return stepUp(x);
}

double roundDownFunction(double x) { return roundDown(roundDown(x)); }
double roundUpFunction(double x) { return roundUp(roundUp(x)); }

// --- operations on bounds --------------------------------------------------

void addIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    *lo = roundDown(lo1 + lo2);
    *hi = roundUp(hi1 + hi2);
}

void subtractIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo,
                            double* hi) {
    *lo = roundDown(lo1 - hi2);
    *hi = roundUp(hi1 - lo2);
}

void negateInterval(double lo, double hi, double* rlo, double* rhi) {
    double l = -hi;
    *rhi = -lo;
    *rlo = l;
}

// Product by the signs of the operands: nonnegative, holding 0, negative.
void multiplyIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo,
                            double* hi) {
    double l, h;
    if (lo1 >= 0) {
        if (lo2 >= 0) {
            l = productDown(lo1, lo2);
            h = productUp(hi1, hi2);
        } else if (hi2 >= 0) {
            l = productDown(hi1, lo2);
            h = productUp(hi1, hi2);
        } else {
            l = productDown(hi1, lo2);
            h = productUp(lo1, hi2);
        }
    } else if (hi1 >= 0) {
        if (lo2 >= 0) {
            l = productDown(lo1, hi2);
            h = productUp(hi1, hi2);
        } else if (hi2 < 0) {
            l = productDown(hi1, lo2);
            h = productUp(lo1, lo2);
        } else {
            l = std::fmin(productDown(lo1, hi2), productDown(hi1, lo2));
            h = std::fmax(productUp(hi1, hi2), productUp(lo1, lo2));
        }
    } else {
        if (lo2 >= 0) {
            l = productDown(lo1, hi2);
            h = productUp(hi1, lo2);
        } else if (hi2 >= 0) {
            l = productDown(lo1, hi2);
            h = productUp(lo1, lo2);
        } else {
            l = productDown(hi1, hi2);
            h = productUp(lo1, lo2);
        }
    }
    *lo = l;
    *hi = h;
}

// Quotient: the dividend times [1/hi2, 1/lo2], formed directly by signs.
void divideIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    if (lo2 <= 0 && hi2 >= 0) {
        printText("Division by 0\n");
        errorCode = 1;
        *lo = *hi = NAN;
        return;
    }
    double l, h;
    if (lo2 > 0) {
        if (lo1 >= 0) {
            l = quotientDown(lo1, hi2);
            h = quotientUp(hi1, lo2);
        } else if (hi1 >= 0) {
            l = quotientDown(lo1, lo2);
            h = quotientUp(hi1, lo2);
        } else {
            l = quotientDown(lo1, lo2);
            h = quotientUp(hi1, hi2);
        }
    } else {
        if (lo1 >= 0) {
            l = quotientDown(hi1, hi2);
            h = quotientUp(lo1, lo2);
        } else if (hi1 >= 0) {
            l = quotientDown(hi1, hi2);
            h = quotientUp(lo1, hi2);
        } else {
            l = quotientDown(hi1, lo2);
            h = quotientUp(lo1, hi2);
        }
    }
    *lo = l;
    *hi = h;
}

void addIntervals(const double* a, const double* b, double* result) {
    addIntervalBounds(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

void subtractIntervals(const double* a, const double* b, double* result) {
    subtractIntervalBounds(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

void multiplyIntervals(const double* a, const double* b, double* result) {
    multiplyIntervalBounds(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

void divideIntervals(const double* a, const double* b, double* result) {
    divideIntervalBounds(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

void copyDoublePair(const double* source, double* destination) {
    double lo = source[0], hi = source[1];
    destination[0] = lo;
    destination[1] = hi;
}

// --- promotion -------------------------------------------------------------

// Grows the record in place by `growth` bytes, moving the records above it.
static bool growRecord(header* record, int64_t growth) {
    if (newram + growth > ramend) {
        printText("Memory overflow!\n");
        errorCode = 180;
        return false;
    }
    char* end = endOf(record);
    std::memmove(end + growth, end, static_cast<size_t>(newram - end));
    newram += growth;
    record->size += growth;
    return true;
}

void promoteToInterval(header* record) {
    switch (record->kind) {
        case kindReal: {
            double x = realOf(record);
            if (!growRecord(record, 8)) return;
            record->kind = kindInterval;
            double pair[2] = {x, x};
            std::memcpy(dataOf(record), pair, 16);
            return;
        }
        case kindRealMatrix: {
            int64_t n = int64_t(matrixRows(record)) * matrixColumns(record);
            if (!growRecord(record, 8 * n)) return;
            record->kind = kindIntervalMatrix;
            double* m = matrixData(record);
            for (int64_t i = n - 1; i >= 0; i--) {
                double x = m[i];
                m[2 * i] = x;
                m[2 * i + 1] = x;
            }
            return;
        }
        case kindInterval:
        case kindIntervalMatrix:
            return;
        case kindComplex:
        case kindComplexMatrix:
            printText("Cannot convert from complex to interval.\n");
            errorCode = 1;
            return;
        default:
            printText("Argument not real or complex.\n");
            errorCode = 1;
            return;
    }
}

// --- element functions -----------------------------------------------------

namespace {

// pi lies strictly between these two doubles.
constexpr double piBelow = 3.141592653589793;
constexpr double piAbove = 3.1415926535897936;

// A library value that is positive for every argument (exp) keeps a
// positive upper bound when it underflows.
double upperOfPositive(double x) { return x == 0 ? smallestPositive : roundUpFunction(x); }

double clampToUnit(double x) { return x < -1 ? -1 : (x > 1 ? 1 : x); }

void setPair(double* result, double lo, double hi) {
    result[0] = lo;
    result[1] = hi;
}

void refuse(const char* message, int code, double* result) {
    printText(message);
    errorCode = code;
    setPair(result, NAN, NAN);
}

}  // namespace

void expInterval(const double* x, double* result) {
    setPair(result, roundDownFunction(std::exp(x[0])), upperOfPositive(std::exp(x[1])));
}

void logInterval(const double* x, double* result) {
    if (x[0] <= 0) return refuse("Log out of range\n", 1, result);
    setPair(result, roundDownFunction(std::log(x[0])), roundUpFunction(std::log(x[1])));
}

void sqrtInterval(const double* x, double* result) {
    if (x[0] <= 0) return refuse("Sqrt out of range\n", 1, result);
    setPair(result, roundDown(std::sqrt(x[0])), roundUp(std::sqrt(x[1])));
}

// An interval reaching outside [-1, 1] is refused as the real functions
// refuse such arguments.
void asinInterval(const double* x, double* result) {
    if (!(x[0] >= -1 && x[1] <= 1)) return refuse("Floating point error!\n", 51, result);
    setPair(result, roundDownFunction(std::asin(x[0])), roundUpFunction(std::asin(x[1])));
}

void acosInterval(const double* x, double* result) {
    if (!(x[0] >= -1 && x[1] <= 1)) return refuse("Floating point error!\n", 51, result);
    setPair(result, roundDownFunction(std::acos(x[1])), roundUpFunction(std::acos(x[0])));
}

void atanInterval(const double* x, double* result) {
    setPair(result, roundDownFunction(std::atan(x[0])), roundUpFunction(std::atan(x[1])));
}

void tanInterval(const double* x, double* result) {
    if (x[0] <= -M_PI_2 || x[1] >= M_PI_2) return refuse("tan out of range\n", 1, result);
    setPair(result, roundDownFunction(std::tan(x[0])), roundUpFunction(std::tan(x[1])));
}

// sin or cos over [a, b] from their values fa, fb at the ends and whether
// the function rises there: rising then falling holds a maximum, falling then
// rising a minimum (for widths up to 2 pi); a monotone piece shorter than pi
// lies between the end values. Bounds are kept inside [-1, 1].
static void periodicInterval(double a, double b, double fa, double fb, bool risingAtA,
                             bool risingAtB, double* result) {
    double lo = -1, hi = 1;
    if (!(b - a > 2 * M_PI)) {
        if (risingAtA && !risingAtB)
            lo = std::fmin(roundDownFunction(fa), roundDownFunction(fb));
        else if (!risingAtA && risingAtB)
            hi = std::fmax(roundUpFunction(fa), roundUpFunction(fb));
        else if (b - a < M_PI) {
            if (risingAtA) {
                lo = roundDownFunction(fa);
                hi = roundUpFunction(fb);
            } else {
                lo = roundDownFunction(fb);
                hi = roundUpFunction(fa);
            }
        }
    }
    setPair(result, clampToUnit(lo), clampToUnit(hi));
}

void cosInterval(const double* x, double* result) {
    const double a = x[0], b = x[1];
    periodicInterval(a, b, std::cos(a), std::cos(b), std::sin(a) < 0, std::sin(b) < 0, result);
}

void sinInterval(const double* x, double* result) {
    const double a = x[0], b = x[1];
    periodicInterval(a, b, std::sin(a), std::sin(b), std::cos(a) > 0, std::cos(b) > 0, result);
}

void absInterval(const double* x, double* result) {
    double lo = x[0], hi = x[1];
    if (lo >= 0)
        setPair(result, lo, hi);
    else if (hi < 0)
        setPair(result, -hi, -lo);
    else
        setPair(result, 0.0, -lo > hi ? -lo : hi);
}

// x/180*pi with pi enclosed between two doubles.
void degreeInterval(const double* x, double* result) {
    multiplyIntervalBounds(quotientDown(x[0], 180), quotientUp(x[1], 180), piBelow, piAbove,
                           &result[0], &result[1]);
}

void percentInterval(const double* x, double* result) {
    setPair(result, quotientDown(x[0], 100), quotientUp(x[1], 100));
}

void maxIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    *lo = lo1 > lo2 ? lo1 : lo2;
    *hi = hi1 > hi2 ? hi1 : hi2;
}

void minIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    *lo = lo1 > lo2 ? lo2 : lo1;
    *hi = hi1 > hi2 ? hi2 : hi1;
}

void intersectIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    double l = lo1 > lo2 ? lo1 : lo2;
    double h = hi1 < hi2 ? hi1 : hi2;
    if (h < l) {
        printText("Empty intersection.\n");
        errorCode = 1;
    }
    *lo = l;
    *hi = h;
}

void hullIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    *lo = lo1 < lo2 ? lo1 : lo2;
    *hi = hi1 > hi2 ? hi1 : hi2;
}

// Outward bounds of x^y. pow of a nonzero base never is zero, so a zero
// result underflowed: its sign is negative only for a negative base with an
// odd exponent.
static double powerDown(double x, double y) {
    double r = std::pow(x, y);
    if (r == 0 && x != 0) return x < 0 && std::fmod(y, 2) != 0 ? -smallestPositive : 0.0;
    return roundDownFunction(r);
}

static double powerUp(double x, double y) {
    double r = std::pow(x, y);
    if (r == 0 && x != 0) return x < 0 && std::fmod(y, 2) != 0 ? 0.0 : smallestPositive;
    return roundUpFunction(r);
}

// [a, b] ^ [c, d]: monotone cases for a positive base; a nonpositive base
// only with a point exponent holding an integer.
void powerInterval(double a, double b, double c, double d, double* lo, double* hi) {
    if (a > 0 && a < 1 && b > 1) {
        *lo = std::fmin(powerDown(a, d), powerDown(b, c));
        *hi = std::fmax(powerUp(b, d), powerUp(a, c));
    } else if (a > 0 && b <= 1) {
        *hi = c >= 0 ? powerUp(b, c) : powerUp(a, c);
        *lo = (c >= 0 || d > 0) ? powerDown(a, d) : powerDown(b, d);
    } else if (a >= 1) {
        *lo = c >= 0 ? powerDown(a, c) : powerDown(b, c);
        *hi = (c >= 0 || d > 0) ? powerUp(b, d) : powerUp(a, d);
    } else {
        const double n = c;
        if (!(c == d && std::isfinite(n) && std::nearbyint(n) == n)) {
            printText("Cannot raise negative number to non-integer power.\n");
            errorCode = 10;
            *lo = *hi = NAN;
            return;
        }
        if (n == 0) {
            *lo = *hi = 1;
            return;
        }
        if (n < 0 && b >= 0) {
            printText("0^n undefined for negative n\n");
            errorCode = 1;
            *lo = *hi = NAN;
            return;
        }
        const bool even = std::fmod(n, 2) == 0;
        if (even && n > 0) {
            if (b >= 0) {
                *lo = 0;
                *hi = std::fmax(powerUp(-a, n), powerUp(b, n));
            } else {
                *lo = powerDown(-b, n);
                *hi = powerUp(-a, n);
            }
        } else if (even) {
            *lo = powerDown(-a, n);
            *hi = powerUp(-b, n);
        } else if (n > 0) {
            *lo = powerDown(a, n);
            *hi = powerUp(b, n);
        } else {
            *lo = powerDown(b, n);
            *hi = powerUp(a, n);
        }
    }
}

double isProperSubinterval(double lo1, double hi1, double lo2, double hi2) {
    return (lo1 > lo2 && hi1 <= hi2) || (lo1 >= lo2 && hi1 < hi2);
}

double isSubinterval(double lo1, double hi1, double lo2, double hi2) {
    return lo1 >= lo2 && hi1 <= hi2;
}

double intervalsIntersect(double lo1, double hi1, double lo2, double hi2) {
    return hi1 >= lo2 && hi2 >= lo1;
}

double intervalDiameter(const double* x) { return x[1] - x[0]; }
double intervalLeft(const double* x) { return x[0]; }
double intervalRight(const double* x) { return x[1]; }

// Halves first when the sum of far bounds would overflow.
double intervalMiddle(const double* x) {
    double m = (x[0] + x[1]) / 2;
    if (std::isinf(m) && std::isfinite(x[0]) && std::isfinite(x[1])) m = x[0] / 2 + x[1] / 2;
    return m;
}

// --- constructors and builtins ---------------------------------------------

namespace {

bool isRealKind(const header* h) { return h->kind == kindReal || h->kind == kindRealMatrix; }

// Shape and elements of a real scalar or matrix.
void realShape(header* h, int* rows, int* columns, const double** data) {
    if (h->kind == kindReal) {
        *rows = *columns = 1;
        *data = reinterpret_cast<const double*>(dataOf(h));
    } else {
        *rows = matrixRows(h);
        *columns = matrixColumns(h);
        *data = matrixData(h);
    }
}

// Pushes an interval (scalar kind when `matrix` is false) and returns its
// element pairs.
double* pushIntervalShaped(bool matrix, int rows, int columns, header** result) {
    *result = matrix ? pushIntervalMatrix(rows, columns) : pushInterval(0, 0);
    if (errorCode) return nullptr;
    return matrix ? matrixData(*result) : intervalOf(*result);
}

// [lower, upper] from a real or real matrix each and every element; the
// shapes must agree where both are matrices.
header* pairBounds(header* lower, header* upper) {
    int r1, c1, r2, c2;
    const double *a, *b;
    realShape(lower, &r1, &c1, &a);
    realShape(upper, &r2, &c2, &b);
    bool matrix1 = lower->kind == kindRealMatrix, matrix2 = upper->kind == kindRealMatrix;
    if (!matrix1 && !matrix2) {
        if (*a > *b) {
            printText("Empty Interval\n");
            errorCode = 1;
            return nullptr;
        }
        header* result = pushInterval(*a, *b);
        return errorCode ? nullptr : result;
    }
    if (matrix1 && matrix2 && (r1 != r2 || c1 != c2)) {
        printText("Matrix dimensions must agree for ~\n");
        errorCode = 1;
        return nullptr;
    }
    int rows = matrix1 ? r1 : r2, columns = matrix1 ? c1 : c2;
    header* result;
    double* out = pushIntervalShaped(true, rows, columns, &result);
    if (!out) return nullptr;
    int64_t n = int64_t(rows) * columns;
    for (int64_t i = 0; i < n; i++) {
        double lo = matrix1 ? a[i] : *a, hi = matrix2 ? b[i] : *b;
        if (lo > hi) {
            printText("Empty interval\n");
            errorCode = 1;
            return nullptr;
        }
        out[2 * i] = lo;
        out[2 * i + 1] = hi;
    }
    return result;
}

// Each element of a real or real matrix becomes an interval by `bounds`.
template <class Bounds>
header* intervalsOfReals(header* value, Bounds bounds) {
    int rows, columns;
    const double* x;
    realShape(value, &rows, &columns, &x);
    header* result;
    double* out = pushIntervalShaped(value->kind == kindRealMatrix, rows, columns, &result);
    if (!out) return nullptr;
    int64_t n = int64_t(rows) * columns;
    for (int64_t i = 0; i < n; i++) bounds(x[i], &out[2 * i]);
    return result;
}

// An interval or interval matrix with `change` applied to every pair.
template <class Change>
header* changeIntervals(header* value, Change change) {
    bool matrix = value->kind == kindIntervalMatrix;
    int rows = matrix ? matrixRows(value) : 1, columns = matrix ? matrixColumns(value) : 1;
    const double* x = matrix ? matrixData(value) : intervalOf(value);
    header* result;
    double* out = pushIntervalShaped(matrix, rows, columns, &result);
    if (!out) return nullptr;
    int64_t n = int64_t(rows) * columns;
    for (int64_t i = 0; i < n; i++) change(&x[2 * i], &out[2 * i]);
    return result;
}

void finish(header* first, header* result) {
    if (result && !errorCode) moveResult(first, result);
}

double zeroOf(double) { return 0; }
double itself(double x) { return x; }

UNARY_HANDLER(diameterBuiltin, mapIntervalToReal, "diameter", zeroOf, intervalDiameter)
UNARY_HANDLER(leftBuiltin, mapIntervalToReal, "left", itself, intervalLeft)
UNARY_HANDLER(rightBuiltin, mapIntervalToReal, "right", itself, intervalRight)
UNARY_HANDLER(middleBuiltin, mapIntervalToReal, "middle", itself, intervalMiddle)

BINARY_HANDLER(intersectsBuiltin, mapBinaryToReal, "intersects", nullptr, nullptr,
               intervalsIntersect)

// [m - f h, m + f h] for the middle m and half-width h of [lo, hi], formed
// as [lo - (f - 1) h, hi + (f - 1) h] in interval arithmetic: computing m
// and f h first would cancel and lose the enclosure.
void expandInterval(const double* x, double f, double* result) {
    double lo = x[0], hi = x[1], unused;
    double width[2], half[2], growth[2], step[2];
    subtractIntervalBounds(hi, hi, lo, lo, &width[0], &width[1]);
    multiplyIntervalBounds(width[0], width[1], 0.5, 0.5, &half[0], &half[1]);
    subtractIntervalBounds(f, f, 1, 1, &growth[0], &growth[1]);
    multiplyIntervalBounds(growth[0], growth[1], half[0], half[1], &step[0], &step[1]);
    subtractIntervalBounds(lo, lo, step[0], step[1], &result[0], &unused);
    addIntervalBounds(hi, hi, step[0], step[1], &unused, &result[1]);
}

// expand(x, f): an interval keeps its middle and its half-width grows by the
// factor; a real becomes [x - f, x + f].
void expandBuiltin(header* first) {
    header* second = nextValue(first);
    header* x = resolveValue(first);
    if (errorCode) return;
    header* factor = resolveValue(second);
    if (errorCode) return;
    if (factor->kind != kindReal || !(realOf(factor) > 0)) {
        printText("expand by a positiv scalar only!\n");
        errorCode = 1;
        return;
    }
    const double f = realOf(factor);
    header* result;
    if (x->kind == kindInterval || x->kind == kindIntervalMatrix) {
        result =
            changeIntervals(x, [f](const double* in, double* out) { expandInterval(in, f, out); });
    } else if (isRealKind(x)) {
        result = intervalsOfReals(x, [f](double v, double* out) {
            out[0] = roundDown(v - f);
            out[1] = roundUp(v + f);
        });
    } else {
        printText("Wrong argument\n");
        errorCode = 26;
        return;
    }
    finish(first, result);
}

}  // namespace

void makeInterval(header* first) {
    header* value = resolveValue(first);
    if (errorCode) return;
    if (value->kind == kindInterval || value->kind == kindIntervalMatrix) {
        moveResult(first, value);
    } else if (isRealKind(value)) {
        finish(first, intervalsOfReals(value, [](double v, double* out) {
                   out[0] = roundDown(v);
                   out[1] = roundUp(v);
               }));
    } else {
        printText("Illegal argument for ~a~\n");
        errorCode = 1;
    }
}

void makeIntervalFromBounds(header* first) {
    header* second = nextValue(first);
    header* lower = resolveValue(first);
    if (errorCode) return;
    header* upper = resolveValue(second);
    if (errorCode) return;
    if (!isRealKind(lower)) {
        printText("Illegal argument for ~a,b~\n");
        errorCode = 1;
    } else if (!isRealKind(upper)) {
        printText("Illegal argument for ~\n");
        errorCode = 1;
    } else {
        finish(first, pairBounds(lower, upper));
    }
}

// a ± b: [-|b|, |b|] takes the place of b, then the sum.
void applyPlusMinus(header* first) {
    header* second = nextValue(first);
    header* width = resolveValue(second);
    if (errorCode) return;
    if (!isRealKind(width)) {
        reportNeed("two real numbers", "plusminus");
        return;
    }
    header* spread = intervalsOfReals(width, [](double v, double* out) {
        out[0] = -std::fabs(v);
        out[1] = std::fabs(v);
    });
    if (!spread) return;
    moveResult(second, spread);
    addValues(first);
}

void testProperSubintervalOperator(header* first) {
    mapBinaryToReal(nullptr, nullptr, isProperSubinterval, first, "<");
}

void testSubintervalOperator(header* first) {
    mapBinaryToReal(nullptr, nullptr, isSubinterval, first, "<=");
}

static const BuiltinRecord rows[] = {
    {"diameter", 1, 0, diameterBuiltin},     {"expand", 2, 0, expandBuiltin},
    {"interval", 1, 0, makeInterval},        {"interval", 2, 0, makeIntervalFromBounds},
    {"intersects", 2, 0, intersectsBuiltin}, {"left", 1, 0, leftBuiltin},
    {"middle", 1, 0, middleBuiltin},         {"right", 1, 0, rightBuiltin},
};
KALIX_BUILTIN_FAMILY(intervalBuiltins, rows);
