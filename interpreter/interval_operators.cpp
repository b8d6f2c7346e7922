// Intervals as the interpreter uses them: reporting of kernel failures,
// promotion, the interval operators.
#include "interpreter/interval_operators.h"

#include <cmath>
#include <cstring>

#include "interpreter/arithmetic.h"
#include "interpreter/element_functions.h"
#include "interpreter/elementwise.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "numerics/interval_arrays.h"

namespace kalix {

void reportIntervalStatus(IntervalStatus status) {
    switch (status) {
        case IntervalStatus::ok:
            return;
        case IntervalStatus::divisionByZero:
            fail(errorFailed, "Division by 0\n");
            return;
        case IntervalStatus::logOutOfRange:
            fail(errorFailed, "Log out of range\n");
            return;
        case IntervalStatus::sqrtOutOfRange:
            fail(errorFailed, "Sqrt out of range\n");
            return;
        case IntervalStatus::outsideUnitRange:
            fail(errorMathLibrary, "Floating point error!\n");
            return;
        case IntervalStatus::tanOutOfRange:
            fail(errorFailed, "tan out of range\n");
            return;
        case IntervalStatus::emptyIntersection:
            fail(errorFailed, "Empty intersection.\n");
            return;
        case IntervalStatus::negativeBaseNonInteger:
            fail(errorWrongOperand, "Cannot raise negative number to non-integer power.\n");
            return;
        case IntervalStatus::zeroToNegativePower:
            fail(errorFailed, "0^n undefined for negative n\n");
            return;
    }
}

void divideIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    IntervalStatus status = divideBounds(lo1, hi1, lo2, hi2, lo, hi);
    if (status != IntervalStatus::ok) reportIntervalStatus(status);
}

void divideIntervals(const double* a, const double* b, double* result) {
    divideIntervalBounds(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

void logInterval(const double* x, double* result) { reportIntervalStatus(logBounds(x, result)); }
void sqrtInterval(const double* x, double* result) { reportIntervalStatus(sqrtBounds(x, result)); }
bool sqrtIntervals(const double* x, double* result, int64_t n) {
    return sqrtIntervalArrays(x, result, n) == IntervalStatus::ok;
}
void tanInterval(const double* x, double* result) { reportIntervalStatus(tanBounds(x, result)); }
void asinInterval(const double* x, double* result) { reportIntervalStatus(asinBounds(x, result)); }
void acosInterval(const double* x, double* result) { reportIntervalStatus(acosBounds(x, result)); }

void intersectIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    reportIntervalStatus(intersectBounds(lo1, hi1, lo2, hi2, lo, hi));
}

// A bound that overflowed from finite operands is reported as the real
// functions report it: exp prints "Floating point error!", ^ leaves error 51
// for its "Underflow or overflow error.".
void powerInterval(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    IntervalStatus status = powerBounds(lo1, hi1, lo2, hi2, lo, hi);
    reportIntervalStatus(status);
    bool finite =
        std::isfinite(lo1) && std::isfinite(hi1) && std::isfinite(lo2) && std::isfinite(hi2);
    if (status == IntervalStatus::ok && finite && (std::isinf(*lo) || std::isinf(*hi)))
        reportLibraryError();
}

void expIntervalChecked(const double* x, double* result) {
    expInterval(x, result);
    if (std::isfinite(x[1]) && std::isinf(result[1])) reportFloatingPointError(errorMathLibrary);
}

// --- promotion -------------------------------------------------------------

void promoteToInterval(header* record) {
    switch (record->kind) {
        case kindReal:
        case kindRealMatrix:
            widenToPairs(record, record, numberInterval);
            return;
        case kindInterval:
        case kindIntervalMatrix:
            return;
        case kindComplex:
        case kindComplexMatrix:
            fail(errorFailed, "Cannot convert from complex to interval.\n");
            return;
        default:
            fail(errorFailed, "Argument not real or complex.\n");
            return;
    }
}

// --- shape helpers -----------------------------------------------------------

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

double* pushIntervalShaped(bool matrix, int rows, int columns, header** result) {
    *result = matrix ? pushIntervalMatrix(rows, columns) : pushInterval(0, 0);
    if (errorCode) return nullptr;
    return matrix ? matrixData(*result) : intervalOf(*result);
}

// --- literals ~a~ and ~a,b~ ---------------------------------------------------

namespace {

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
            fail(errorFailed, "Empty Interval\n");
            return nullptr;
        }
        header* result = pushInterval(*a, *b);
        return errorCode ? nullptr : result;
    }
    if (matrix1 && matrix2 && (r1 != r2 || c1 != c2)) {
        fail(errorFailed, "Matrix dimensions must agree for ~\n");
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
            fail(errorFailed, "Empty interval\n");
            return nullptr;
        }
        out[2 * i] = lo;
        out[2 * i + 1] = hi;
    }
    return result;
}

void finish(header* first, header* result) {
    if (result && !errorCode) moveResult(first, result);
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
        fail(errorFailed, "Illegal argument for ~a~\n");
    }
}

void makeIntervalFromBounds(header* first) {
    header* second = nextValue(first);
    header* lower = resolveValue(first);
    if (errorCode) return;
    header* upper = resolveValue(second);
    if (errorCode) return;
    if (!isRealKind(lower)) {
        fail(errorFailed, "Illegal argument for ~a,b~\n");
    } else if (!upper || !isRealKind(upper)) {  // no upper bound: a call yielded nothing
        fail(errorFailed, "Illegal argument for ~\n");
    } else {
        finish(first, pairBounds(lower, upper));
    }
}

// --- operators ---------------------------------------------------------------

// a ± b: [-|b|, |b|] takes the place of b, then the sum.
void applyPlusMinus(header* first) {
    header* second = nextValue(first);
    header* width = resolveValue(second);
    if (errorCode) return;
    if (!width || !isRealKind(width)) {
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

}  // namespace kalix
