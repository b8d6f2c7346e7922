// Filters, folds and scalar products: filter runs a recursive digital filter
// over a data row, fold slides a small matrix over a larger one, scalp is
// the scalar product of two vectors (the second conjugated when complex) in
// real, complex or interval arithmetic.
#include <algorithm>

#include "builtins/builtin_helpers.h"
#include "builtins/intervals.h"
#include "builtins/matrix_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/filters.h"

namespace kalix {

namespace {

// Numeric arguments, each checked as soon as it is resolved ("Matrix
// expected in <builtin>!" for other kinds).
constexpr Signature filterSignature = {
    .builtin = "filter",
    .rules = {{takesNumeric}, {takesNumeric}, {takesNumeric}, {takesNumeric}},
    .order = CheckOrder::asResolved,
    .refusal = {errorFailed, "Matrix expected in filter!\n"}};
constexpr Signature scalpSignature = {.builtin = "scalp",
                                      .rules = {{takesNumeric}, {takesNumeric}},
                                      .order = CheckOrder::asResolved,
                                      .refusal = {errorFailed, "Matrix expected in scalp!\n"}};

// A real row as complex pairs in work space at the stack top; a complex
// row as it is. Null after an error.
const double* asComplexRow(const MatrixValue& m) {
    if (m.family == numberComplex) return m.data;
    auto* pairs = reinterpret_cast<double*>(reserveStack(16 * int64_t(m.columns), "filter"));
    if (errorCode) return nullptr;
    for (int i = 0; i < m.columns; i++) {
        pairs[2 * i] = m.data[i];
        pairs[2 * i + 1] = 0;
    }
    return pairs;
}

// filter(b, a, x, y): feedforward and feedback coefficients, data, start
// values; the output for each data point from the nb-th on.
void builtinFilter(header* first) {
    const Arguments a(first, filterSignature);
    if (!a) return;
    const MatrixValue m[4] = {a.matrix(0), a.matrix(1), a.matrix(2), a.matrix(3)};
    for (const MatrixValue& row : m) {
        if (row.rows != 1) {
            fail(errorFailed, "Filter can only work with row vectors.\n");
            return;
        }
    }
    const int nb = m[0].columns, na = m[1].columns, nx = m[2].columns, ny = m[3].columns;
    if (nb >= nx) {
        fail(errorFailed, "Data must be longer then filter.\n");
        return;
    }
    if (ny < na - 1) {
        fail(errorFailed, "Not enough start values for feedback filter.\n");
        return;
    }
    if (na <= 0 || nb <= 0) {
        fail(errorFailed, "Filters must have positive length.\n");
        return;
    }
    const bool allReal =
        std::all_of(m, m + 4, [](const MatrixValue& v) { return v.family == numberReal; });
    if (allReal) {
        if (m[1].data[0] == 0) {
            fail(errorFailed, "Feedback filter cannot start with 0.\n");
            return;
        }
        header* result = pushMatrixOfKind(kindRealMatrix, 1, nx - nb + 1);
        if (!result) return;
        filterReal(m[0].data, nb, m[1].data, na, m[2].data, nx, m[3].data, ny, matrixData(result));
        moveResult(first, result);
        return;
    }
    if (std::any_of(m, m + 4, [](const MatrixValue& v) { return v.family == numberInterval; })) {
        fail(errorFailed, "Use filter(b,a,x,y) with real row vectors of proper length!\n");
        return;
    }
    const double* a0 = m[1].data;
    if (a0[0] * a0[0] + (m[1].family == numberComplex ? a0[1] * a0[1] : 0) == 0) {
        fail(errorFailed, "Feedback filter cannot start with 0.\n");
        return;
    }
    header* result = pushMatrixOfKind(kindComplexMatrix, 1, nx - nb + 1);
    if (!result) return;
    const double* pairs[4];
    for (int i = 0; i < 4; i++) {
        pairs[i] = asComplexRow(m[i]);
        if (!pairs[i]) return;
    }
    filterComplex(pairs[0], nb, pairs[1], na, pairs[2], nx, pairs[3], ny, matrixData(result));
    moveResult(first, result);
}

// Real with real, complex with real or complex with complex matrices, the
// second no larger than the first in either direction.
constexpr KindSet takesMatrixAlone = kindBit(kindRealMatrix) | kindBit(kindComplexMatrix);
constexpr Signature foldSignature = {
    "fold", "matrix and smaller folding matrix", {{takesMatrixAlone}, {takesMatrixAlone}}};

void builtinFold(header* first) {
    const Arguments arguments(first, foldSignature);
    if (!arguments) return;
    header *a = arguments[0], *b = arguments[1];
    const bool kinds = a->kind == kindComplexMatrix || b->kind == kindRealMatrix;
    if (!kinds || matrixRows(a) < matrixRows(b) || matrixColumns(a) < matrixColumns(b)) {
        arguments.refuse();
        return;
    }
    const int ra = matrixRows(a), ca = matrixColumns(a), rb = matrixRows(b), cb = matrixColumns(b);
    header* result = pushMatrixOfKind(a->kind, ra - rb + 1, ca - cb + 1);
    if (!result) return;
    auto kernel = a->kind == kindRealMatrix   ? foldReal
                  : b->kind == kindRealMatrix ? foldComplexReal
                                              : foldComplex;
    kernel(matrixData(a), ra, ca, matrixData(b), rb, cb, matrixData(result));
    moveResult(first, result);
}

// Sum over i of v(i) w(i), w(i) conjugated when complex; intervals rounded
// outward, a real element taken as the point interval.
void builtinScalp(header* first) {
    const Arguments arguments(first, scalpSignature);
    if (!arguments) return;
    const MatrixValue v = arguments.matrix(0), w = arguments.matrix(1);
    if (!v.isVector() || !w.isVector() || v.count() != w.count()) {
        arguments.need("two row or column vectors of equal length");
        return;
    }
    if (v.family == numberComplex && w.family == numberInterval) {
        fail(errorWrongArgument, "Cannot combine a complex with this data type in scalp!\n");
        return;
    }
    if (v.family == numberInterval && w.family == numberComplex) {
        fail(errorWrongArgument, "Cannot combine an interval with this data type in scalp!\n");
        return;
    }
    const int64_t n = v.count();
    const NumberFamily family = std::max(v.family, w.family);
    header* result = nullptr;
    if (family == numberReal) {
        double s = 0;
        for (int64_t i = 0; i < n; i++) s += v.data[i] * w.data[i];
        result = pushReal(s);
    } else if (family == numberComplex) {
        double re = 0, im = 0;
        for (int64_t i = 0; i < n; i++) {
            const double a = v.element(i)[0], b = v.width == 2 ? v.element(i)[1] : 0;
            const double c = w.element(i)[0], d = w.width == 2 ? -w.element(i)[1] : 0;
            re += a * c - b * d;
            im += a * d + b * c;
        }
        result = pushComplex(re, im);
    } else {
        double lo = 0, hi = 0;
        for (int64_t i = 0; i < n; i++) {
            const double* x = v.element(i);
            const double* y = w.element(i);
            double term[2];
            multiplyIntervalBounds(x[0], v.width == 2 ? x[1] : x[0], y[0],
                                   w.width == 2 ? y[1] : y[0], &term[0], &term[1]);
            addIntervalBounds(lo, hi, term[0], term[1], &lo, &hi);
        }
        result = pushInterval(lo, hi);
    }
    if (!errorCode) moveResult(first, result);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"filter", 4, 0, builtinFilter},
    {"fold", 2, 0, builtinFold},
    {"scalp", 2, 0, builtinScalp},
};
KALIX_BUILTIN_FAMILY(filterBuiltins, rows);

}  // namespace kalix
