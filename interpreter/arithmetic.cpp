// Arithmetic operators and kind promotion.
//
// Real operands, the common case, are combined here in tight loops over the
// element arrays; complex and interval operands go through the element-wise
// engine with the element functions below. Both follow the same rules for
// kinds, shapes and messages.
#include "interpreter/arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "interpreter/concatenation.h"
#include "interpreter/element_functions.h"
#include "interpreter/elementwise.h"
#include "interpreter/interval_operators.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "numerics/interval_arrays.h"

namespace kalix {

namespace {

constexpr double quietNan = std::numeric_limits<double>::quiet_NaN();

// --- real operands ---------------------------------------------------------

struct RealOperand {
    int rows, columns;
    const double* data;
};

bool isRealFamily(const header* h) { return numberFamily(h) == numberReal; }

RealOperand realOperand(header* h) {
    if (h->kind == kindReal) return {1, 1, reinterpret_cast<const double*>(dataOf(h))};
    return {matrixRows(h), matrixColumns(h), matrixData(h)};
}

// The engine's rule: no empty operand; rows equal or one of them 1, and
// columns likewise.
bool shapesAgree(const RealOperand& a, const RealOperand& b) {
    return a.rows >= 1 && a.columns >= 1 && b.rows >= 1 && b.columns >= 1 &&
           (a.rows < 2 || b.rows < 2 || a.rows == b.rows) &&
           (a.columns < 2 || b.columns < 2 || a.columns == b.columns);
}

// Whether the record overlaps [from, to), a place on the stack.
bool touches(const header* record, const char* from, const char* to) {
    const char* p = reinterpret_cast<const char*>(record);
    return recordOnStack(record) && p < to && p + record->size > from;
}

// Where a real or interval result of rows x columns is built. Over `first`
// itself when that is a temporary operand of the result's kind and shape
// (each element is read before it is written), or when the result's bytes
// there touch no operand; otherwise at the stack top, and `*moveDown` is
// set. When the stack is full the push has set the error.
header* placeResult(header* first, header* a, header* b, int rows, int columns, bool interval,
                    bool* moveDown) {
    bool scalar = rows == 1 && columns == 1;
    int kind = interval ? (scalar ? kindInterval : kindIntervalMatrix)
                        : (scalar ? kindReal : kindRealMatrix);
    int elementBytes = interval ? 16 : 8;
    *moveDown = false;
    char* at = reinterpret_cast<char*>(first);
    if (a == first && recordInArea(first, endlocal, ramend) && a->kind == kind &&
        (scalar || (matrixRows(a) == rows && matrixColumns(a) == columns))) {
        setRecordName(first, "");
        first->flags = 0;
        newram = endOf(first);
        return first;
    }
    int64_t size =
        scalar ? scalarRecordSize(elementBytes) : matrixRecordSize(rows, columns, elementBytes);
    if (size <= ramend - at && !touches(a, at, at + size) && !touches(b, at, at + size)) {
        newram = at;
    } else {
        *moveDown = true;
    }
    if (scalar) return interval ? pushInterval(0, 0) : pushReal(0);
    return pushMatrixOfKind(interval ? kindIntervalMatrix : kindRealMatrix, rows, columns);
}

// The elements of a result: doubles, or pairs of doubles.
double* elementsOf(header* h) {
    return isMatrixKind(h->kind) ? matrixData(h) : reinterpret_cast<double*>(dataOf(h));
}

void finishResult(header* first, header* result, bool moveDown) {
    if (moveDown) moveResult(first, result);
}

// out[j] = op(a[j * stepA], b[j * stepB]) for one row; steps are 0 or 1.
template <class Op>
void combineRow(const double* a, bool stepA, const double* b, bool stepB, double* out, int64_t n,
                Op op) {
    if (stepA && stepB) {
        for (int64_t j = 0; j < n; j++) out[j] = op(a[j], b[j]);
    } else if (stepB) {
        const double x = a[0];
        for (int64_t j = 0; j < n; j++) out[j] = op(x, b[j]);
    } else if (stepA) {
        const double y = b[0];
        for (int64_t j = 0; j < n; j++) out[j] = op(a[j], y);
    } else {
        const double z = op(a[0], b[0]);
        for (int64_t j = 0; j < n; j++) out[j] = z;
    }
}

// Broadcasting over the result shape: a one-row operand repeats its row, a
// one-column operand its column.
template <class Op>
void combineReals(const RealOperand& a, const RealOperand& b, int rows, int columns, double* out,
                  Op op) {
    bool rowsA = a.rows == rows && a.columns == columns,
         rowsB = b.rows == rows && b.columns == columns;
    bool scalarA = a.rows == 1 && a.columns == 1, scalarB = b.rows == 1 && b.columns == 1;
    if ((rowsA || scalarA) && (rowsB || scalarB)) {
        combineRow(a.data, !scalarA, b.data, !scalarB, out, int64_t(rows) * columns, op);
        return;
    }
    for (int i = 0; i < rows; i++) {
        const double* pa = a.data + (a.rows == 1 ? 0 : int64_t(i) * a.columns);
        const double* pb = b.data + (b.rows == 1 ? 0 : int64_t(i) * b.columns);
        combineRow(pa, a.columns != 1, pb, b.columns != 1, out + int64_t(i) * columns, columns, op);
    }
}

using Operator = ArithmeticOperator;

// One loop per operator, with the operator fixed in it.
template <Operator op>
void combineRealsBy(const RealOperand& a, const RealOperand& b, int rows, int columns,
                    double* out) {
    combineReals(a, b, rows, columns, out,
                 [](double p, double q) { return applyRealOperator(op, p, q); });
}

const char* operatorName(Operator op) {
    switch (op) {
        case Operator::add:
            return "+";
        case Operator::subtract:
            return "-";
        case Operator::multiply:
            return "*";
        default:
            return "/";
    }
}

bool hasZero(const RealOperand& b) {
    const double* end = b.data + int64_t(b.rows) * b.columns;
    return std::find(b.data, end, 0.0) != end;
}

// Both operands real with agreeing shapes: the result over `first`.
void combineRealOperands(Operator op, header* first, header* a, header* b) {
    RealOperand x = realOperand(a), y = realOperand(b);
    int rows = std::max(x.rows, y.rows), columns = std::max(x.columns, y.columns);
    if (op == Operator::divide && hasZero(y)) {
        reportFloatingPointError(errorFailed);
        if (errorCode) return;
    }
    bool moveDown;
    header* result = placeResult(first, a, b, rows, columns, false, &moveDown);
    if (errorCode) return;
    double* out = elementsOf(result);
    switch (op) {
        case Operator::add:
            combineRealsBy<Operator::add>(x, y, rows, columns, out);
            break;
        case Operator::subtract:
            combineRealsBy<Operator::subtract>(x, y, rows, columns, out);
            break;
        case Operator::multiply:
            combineRealsBy<Operator::multiply>(x, y, rows, columns, out);
            break;
        case Operator::divide:
            combineRealsBy<Operator::divide>(x, y, rows, columns, out);
            break;
    }
    finishResult(first, result, moveDown);
}

// Both operands real scalars, the commonest case of all: the same result
// and placement as combineRealOperands, without the shape work.
void combineRealScalars(Operator op, header* first, header* a, header* b) {
    double x = realOf(a), y = realOf(b);
    if (dividesByZero(op, y)) {
        reportFloatingPointError(errorFailed);
        if (errorCode) return;
    }
    double z = applyRealOperator(op, x, y);
    bool moveDown;
    header* result = placeResult(first, a, b, 1, 1, false, &moveDown);
    if (errorCode) return;
    std::memcpy(dataOf(result), &z, sizeof z);
    finishResult(first, result, moveDown);
}

// --- interval operands -------------------------------------------------------

bool isIntervalKind(const header* h) {
    return h->kind == kindInterval || h->kind == kindIntervalMatrix;
}

// An operand of the interval array kernels: an interval or interval
// matrix, or a real scalar as the point interval (its pair in `point`).
struct IntervalOperand {
    int rows, columns;
    IntervalArray array;
};

bool intervalOperand(header* h, double* point, IntervalOperand* operand) {
    if (h->kind == kindReal) {
        point[0] = point[1] = realOf(h);
        *operand = {1, 1, {point, false}};
    } else if (h->kind == kindInterval) {
        *operand = {1, 1, {reinterpret_cast<const double*>(dataOf(h)), false}};
    } else if (h->kind == kindIntervalMatrix) {
        int rows = matrixRows(h), columns = matrixColumns(h);
        *operand = {rows, columns, {matrixData(h), !(rows == 1 && columns == 1)}};
    } else {
        return false;
    }
    return operand->rows >= 1 && operand->columns >= 1;
}

// Intervals, or an interval and a real scalar, each operand of the result's
// shape or a single element: through the array kernels, the result placed
// as a real one. False, with nothing done, where the engine takes them
// (other shapes and kinds, and divisors holding 0, which it reports).
bool combineIntervalOperands(Operator op, header* first, header* a, header* b) {
    if (!isIntervalKind(a) && !isIntervalKind(b)) return false;
    double pointA[2], pointB[2];
    IntervalOperand x, y;
    if (!intervalOperand(a, pointA, &x) || !intervalOperand(b, pointB, &y)) return false;
    if (x.array.steps && y.array.steps && (x.rows != y.rows || x.columns != y.columns))
        return false;
    int rows = x.array.steps ? x.rows : y.rows, columns = x.array.steps ? x.columns : y.columns;
    int64_t n = int64_t(rows) * columns;
    if (op == Operator::divide && anyIntervalHoldsZero(y.array, n)) return false;
    bool moveDown;
    header* result = placeResult(first, a, b, rows, columns, true, &moveDown);
    if (errorCode) return true;
    double* out = elementsOf(result);
    switch (op) {
        case Operator::add:
            addIntervalArrays(x.array, y.array, out, n);
            break;
        case Operator::subtract:
            subtractIntervalArrays(x.array, y.array, out, n);
            break;
        case Operator::multiply:
            multiplyIntervalArrays(x.array, y.array, out, n);
            break;
        case Operator::divide:
            divideIntervalArrays(x.array, y.array, out, n);
            break;
    }
    finishResult(first, result, moveDown);
    return true;
}

void negateIntervalElement(const double* x, double* result) {
    negateInterval(x[0], x[1], &result[0], &result[1]);
}

// The binary operators: real operands here, others through the engine.
// "+" with a string on either side joins the two as "|" does.
void applyOperator(Operator op, header* first) {
    if (errorCode) return;
    static const RealBinaryFunction realFunctions[] = {addRealElement, subtractRealElement,
                                                       multiplyRealElement, divideRealElement};
    static const ComplexBinaryFunction complexFunctions[] = {
        addComplexElement, subtractComplexElement, multiplyComplexElement, divideComplexElement};
    static const IntervalBinaryFunction intervalFunctions[] = {
        addIntervalBounds, subtractIntervalBounds, multiplyIntervalBounds, divideIntervalBounds};
    const int k = int(op);
    header* second = nextValue(first);
    // A second operand followed by further results of the same return is
    // refused by the engine's wrapper; look before resolving pushes anything.
    bool tooMany = second && (second->flags & flagResult) && nextValue(second);
    if (!second) {
        mapBinary(realFunctions[k], complexFunctions[k], intervalFunctions[k], first,
                  operatorName(op));
        return;
    }
    header* a = resolveValue(first);
    if (errorCode) return;
    header* b = resolveValue(second);
    if (errorCode) return;
    if (op == Operator::add && (a->kind == kindString || b->kind == kindString)) {
        concatenateHorizontally(first);
        return;
    }
    if (tooMany) {
        mapBinary(realFunctions[k], complexFunctions[k], intervalFunctions[k], first,
                  operatorName(op));
        return;
    }
    if (a->kind == kindReal && b->kind == kindReal) {
        combineRealScalars(op, first, a, b);
        return;
    }
    if (isRealFamily(a) && isRealFamily(b) && shapesAgree(realOperand(a), realOperand(b))) {
        combineRealOperands(op, first, a, b);
        return;
    }
    if (combineIntervalOperands(op, first, a, b)) return;
    header* result = applyBinary(realFunctions[k], complexFunctions[k], intervalFunctions[k], a, b,
                                 operatorName(op));
    if (result && !errorCode) moveResult(first, result);
}

// --- matrix product ----------------------------------------------------------

// Elements of a matrix operand of the product, 1 or 2 doubles wide.
struct Factor {
    int rows, columns, width;
    const double* data;
    const double* at(int i, int k) const { return data + (int64_t(i) * columns + k) * width; }
};

Factor factorOf(header* h) {
    return {matrixRows(h), matrixColumns(h), h->kind == kindRealMatrix ? 1 : 2, matrixData(h)};
}

void productReal(const Factor& a, const Factor& b, double* out) {
    const int n = a.rows, m = a.columns, p = b.columns;
    std::fill(out, out + int64_t(n) * p, 0.0);
    for (int i = 0; i < n; i++) {
        double* row = out + int64_t(i) * p;
        for (int k = 0; k < m; k++) {
            const double x = *a.at(i, k);
            const double* brow = b.at(k, 0);
            for (int j = 0; j < p; j++) row[j] += x * brow[j];
        }
    }
}

// Complex sums; a real factor has imaginary part 0.
void productComplex(const Factor& a, const Factor& b, double* out) {
    const int n = a.rows, m = a.columns, p = b.columns;
    std::fill(out, out + 2 * int64_t(n) * p, 0.0);
    for (int i = 0; i < n; i++) {
        double* row = out + 2 * int64_t(i) * p;
        for (int k = 0; k < m; k++) {
            const double* e = a.at(i, k);
            const double x[2] = {e[0], a.width == 2 ? e[1] : 0.0};
            for (int j = 0; j < p; j++) {
                const double* f = b.at(k, j);
                const double y[2] = {f[0], b.width == 2 ? f[1] : 0.0};
                addComplexProduct(row + 2 * j, x, y);
            }
        }
    }
}

// Interval sums, rounded outward; a real factor is the point interval.
void productInterval(const Factor& a, const Factor& b, double* out) {
    const int n = a.rows, m = a.columns, p = b.columns;
    std::fill(out, out + 2 * int64_t(n) * p, 0.0);
    for (int i = 0; i < n && !errorCode; i++) {
        double* row = out + 2 * int64_t(i) * p;
        for (int k = 0; k < m; k++) {
            const double* e = a.at(i, k);
            const double x[2] = {e[0], e[a.width - 1]};
            for (int j = 0; j < p; j++) {
                const double* f = b.at(k, j);
                const double y[2] = {f[0], f[b.width - 1]};
                addIntervalProduct(row + 2 * j, x, y);
            }
        }
    }
}

// Both operands matrices of numeric kinds that may meet: the product, or
// false when the kinds do not pair (complex with interval).
bool multiplyMatrices(header* first, header* a, header* b) {
    bool complex = a->kind == kindComplexMatrix || b->kind == kindComplexMatrix;
    bool interval = a->kind == kindIntervalMatrix || b->kind == kindIntervalMatrix;
    if (complex && interval) return false;
    Factor x = factorOf(a), y = factorOf(b);
    if (y.rows != x.columns) {
        fail(errorFailed, "Cannot multiply %dx%d and %dx%d matrix\n", x.rows, x.columns, y.rows,
             y.columns);
        return true;
    }
    int kind = complex ? kindComplexMatrix : interval ? kindIntervalMatrix : kindRealMatrix;
    header* result = pushMatrixOfKind(kind, x.rows, y.columns);
    if (!result) return true;
    if (complex)
        productComplex(x, y, matrixData(result));
    else if (interval)
        productInterval(x, y, matrixData(result));
    else
        productReal(x, y, matrixData(result));
    if (!errorCode) moveResult(first, result);
    return true;
}

}  // namespace

// --- common kinds --------------------------------------------------------------

bool promoteConsecutive(header* first, int count) {
    bool complex = false, interval = false;
    header* record = first;
    for (int k = 0; k < count; k++, record = nextValue(record)) {
        header* base = resolveToBase(record);
        if (errorCode) return false;
        complex = complex || numberFamily(base) == numberComplex;
        interval = interval || numberFamily(base) == numberInterval;
    }
    if (!complex && !interval) return false;
    // Each promotion may move the records above it: step on from the
    // converted record.
    record = first;
    for (int k = 0; k < count; k++, record = nextValue(record)) {
        if (complex)
            promoteToComplex(record);
        else
            promoteArgumentToInterval(record);
        if (errorCode) return false;
    }
    return true;
}

// --- element functions -----------------------------------------------------------

void addRealElement(const double* a, const double* b, double* result) {
    *result = applyRealOperator(ArithmeticOperator::add, *a, *b);
}
void subtractRealElement(const double* a, const double* b, double* result) {
    *result = applyRealOperator(ArithmeticOperator::subtract, *a, *b);
}
void multiplyRealElement(const double* a, const double* b, double* result) {
    *result = applyRealOperator(ArithmeticOperator::multiply, *a, *b);
}

void divideRealElement(const double* a, const double* b, double* result) {
    if (dividesByZero(ArithmeticOperator::divide, *b)) reportFloatingPointError(errorFailed);
    *result = applyRealOperator(ArithmeticOperator::divide, *a, *b);
}

double negateRealElement(double x) { return -x; }

void addComplexElement(double re1, double im1, double re2, double im2, double* re, double* im) {
    *re = re1 + re2;
    *im = im1 + im2;
}

void subtractComplexElement(double re1, double im1, double re2, double im2, double* re,
                            double* im) {
    *re = re1 - re2;
    *im = im1 - im2;
}

void multiplyComplexElement(double re1, double im1, double re2, double im2, double* re,
                            double* im) {
    double r = re1 * re2 - im1 * im2;
    *im = re1 * im2 + im1 * re2;
    *re = r;
}

// No scaling: the divisor's squared modulus divides both parts.
void divideComplexElement(double re1, double im1, double re2, double im2, double* re, double* im) {
    double m = re2 * re2 + im2 * im2;
    if (m == 0) {
        m = quietNan;
        reportFloatingPointError(errorFailed);
    }
    double r = (re1 * re2 + im1 * im2) / m;
    *im = (im1 * re2 - re1 * im2) / m;
    *re = r;
}

void negateComplexElement(const double* x, double* result) {
    result[0] = -x[0];
    result[1] = -x[1];
}

void makeComplex(double re, double im, double* pair) {
    pair[0] = re;
    pair[1] = im;
}

void addComplexProduct(double* accumulator, const double* a, const double* b) {
    double re, im;
    multiplyComplexElement(a[0], a[1], b[0], b[1], &re, &im);
    accumulator[0] += re;
    accumulator[1] += im;
}

void addIntervalProduct(double* accumulator, const double* a, const double* b) {
    double lo, hi;
    multiplyIntervalBounds(a[0], a[1], b[0], b[1], &lo, &hi);
    addIntervalBounds(accumulator[0], accumulator[1], lo, hi, &accumulator[0], &accumulator[1]);
}

// --- operators ---------------------------------------------------------------------

void addValues(header* first) { applyOperator(Operator::add, first); }
void subtractValues(header* first) { applyOperator(Operator::subtract, first); }
void multiplyValues(header* first) { applyOperator(Operator::multiply, first); }
void divideValues(header* first) { applyOperator(Operator::divide, first); }

void negateValue(header* operand) {
    if (errorCode) return;
    header* value = resolveValue(operand);
    if (errorCode) return;
    if (isRealFamily(value)) {
        RealOperand x = realOperand(value);
        bool moveDown;
        header* result = placeResult(operand, value, nullptr, x.rows, x.columns, false, &moveDown);
        if (errorCode) return;
        double* out = elementsOf(result);
        for (int64_t k = 0, n = int64_t(x.rows) * x.columns; k < n; k++) out[k] = -x.data[k];
        finishResult(operand, result, moveDown);
        return;
    }
    header* result = numberFamily(value) == numberInterval
                         ? applyInterval(negateIntervalElement, value)
                         : applyRealComplex(negateRealElement, negateComplexElement, value);
    if (result && !errorCode) moveResult(operand, result);
}

void matrixProduct(header* first, header* second) {
    if (errorCode) return;
    header* a = resolveValue(first);
    if (errorCode) return;
    header* b = resolveValue(second);
    if (errorCode) return;
    if (isMatrixKind(a->kind) && isMatrixKind(b->kind) && multiplyMatrices(first, a, b)) return;
    bool rowB = isMatrixKind(b->kind) && matrixRows(b) == 1;
    bool columnA = isMatrixKind(a->kind) && matrixColumns(a) == 1;
    if ((isScalarKind(a->kind) && (isScalarKind(b->kind) || rowB)) ||
        (isScalarKind(b->kind) && columnA)) {
        newram = endOf(second);
        multiplyValues(first);
        return;
    }
    fail(errorFailed, "Cannot dot multiply a %s and a %s (incompatible dimensions).\n",
         getTypeName(a), getTypeName(b));
}

// After a promotion the records are taken again one after another.
void convertToCommonKind(header** a, header** b) {
    if (errorCode) return;
    header* second = promoteConsecutive(*a, 2) ? nextValue(*a) : *b;
    if (errorCode) return;
    *a = resolveValue(*a);
    if (errorCode) return;
    *b = resolveValue(second);
}

}  // namespace kalix
