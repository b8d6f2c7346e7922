// Exact sums and dot products: accuload, accuadd, the digit read-outs accu
// (accure, accua) and accuim (accub), and the exact residual residuum.
// Sums go into the process-wide accumulators and are rounded once when read
// back; interval bounds are rounded outward.
#include <vector>

#include "builtins/builtin_helpers.h"
#include "interpreter/arithmetic.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/state.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "numerics/accumulators.h"

namespace kalix {

namespace {

bool reportFailure(AccumulatorStatus status) {
    if (status == accumulatorBelowRange)
        fail(errorFailed, "Value below the accumulator's range (2^-1024).\n");
    else
        fail(errorFailed, "Accumulator overflow.\n");
    return false;
}

bool added(AccumulatorStatus status) { return status == accumulatorOk || reportFailure(status); }

// A numeric scalar or matrix: its family, shape and elements.
struct Operand {
    NumberFamily family = numberNone;
    int rows = 0, columns = 0;
    double* data = nullptr;
};

bool readOperand(header* value, Operand* operand) {
    operand->family = numberFamily(value);
    if (operand->family == numberNone) return false;
    return getMatrix(value, &operand->rows, &operand->columns, &operand->data) != 0;
}

// Pushes the accumulators' content as a value of the family; intervals are
// rounded outward.
header* pushAccumulated(NumberFamily family) {
    if (family == numberComplex)
        return pushComplex(accumulatorToDouble(accuReal), accumulatorToDouble(accuImag));
    if (family == numberInterval)
        return pushInterval(accumulatorToDouble(accuReal, roundTowardNegative),
                            accumulatorToDouble(accuImag, roundTowardPositive));
    return pushReal(accumulatorToDouble(accuReal));
}

NumberFamily familyOfKind(int kind) {
    if (kind == accuKindComplex) return numberComplex;
    if (kind == accuKindInterval) return numberInterval;
    return numberReal;
}

// Makes the accumulators ready for values of `family`: a load empties
// them; an add turns a real accumulator complex or interval, and refuses
// to mix complex with intervals. Real values keep the accumulator's kind.
bool prepare(NumberFamily family, bool load) {
    if (load) {
        clearAccumulator(accuReal);
        clearAccumulator(accuImag);
        accuKind = family == numberComplex    ? accuKindComplex
                   : family == numberInterval ? accuKindInterval
                                              : accuKindReal;
        return true;
    }
    if (family == numberComplex) {
        if (accuKind == accuKindInterval) {
            fail(errorFailed, "Cannot add complex to an interval accu.\n");
            return false;
        }
        if (accuKind == accuKindReal) clearAccumulator(accuImag);
        accuKind = accuKindComplex;
    } else if (family == numberInterval) {
        if (accuKind == accuKindComplex) {
            fail(errorFailed, "Cannot add interval to a complex accu.\n");
            return false;
        }
        if (accuKind == accuKindReal) accuImag = accuReal;
        accuKind = accuKindInterval;
    }
    return true;
}

// Adds a real term; an interval accumulator takes it into both bounds.
bool addReal(double x) {
    if (!added(addToAccumulator(accuReal, x))) return false;
    return accuKind != accuKindInterval || added(addToAccumulator(accuImag, x));
}

bool addRealProduct(double a, double b) {
    if (!added(addProductToAccumulator(accuReal, a, b))) return false;
    return accuKind != accuKindInterval || added(addProductToAccumulator(accuImag, a, b));
}

// (a + ib)(c + id) without conjugation.
bool addExactComplexProduct(const double* x, const double* y) {
    return added(addProductToAccumulator(accuReal, x[0], y[0])) &&
           added(addProductToAccumulator(accuReal, -x[1], y[1])) &&
           added(addProductToAccumulator(accuImag, x[0], y[1])) &&
           added(addProductToAccumulator(accuImag, x[1], y[0]));
}

bool addExactIntervalProduct(const double* x, const double* y) {
    return added(addIntervalProductBounds(accuReal, accuImag, x[0], x[1], y[0], y[1]));
}

bool addSum(const Operand& v) {
    const int n = v.columns;
    for (int i = 0; i < n; i++) {
        if (v.family == numberReal) {
            if (!addReal(v.data[i])) return false;
        } else if (!added(addToAccumulator(accuReal, v.data[2 * i])) ||
                   !added(addToAccumulator(accuImag, v.data[2 * i + 1]))) {
            return false;
        }
    }
    return true;
}

bool addProducts(const Operand& v, const Operand& w) {
    const int n = v.columns;
    if (v.family == numberReal && accuKind != accuKindInterval)
        return added(addDotProduct(accuReal, v.data, w.data, n));
    for (int i = 0; i < n; i++) {
        bool ok = v.family == numberReal ? addRealProduct(v.data[i], w.data[i])
                  : v.family == numberComplex
                      ? addExactComplexProduct(v.data + 2 * i, w.data + 2 * i)
                      : addExactIntervalProduct(v.data + 2 * i, w.data + 2 * i);
        if (!ok) return false;
    }
    return true;
}

// One or two numeric vectors, brought to one family; accuadd's refusal
// names accuload too.
constexpr Refusal acculoadRefusal = {errorFailed, "Wrong argument for accuload.\n\n"};
constexpr Signature sumSignature = {.rules = {{takesNumeric}}, .refusal = acculoadRefusal};
constexpr Signature dotSignature = {
    .rules = {{takesNumeric}, {takesNumeric}}, .sameFamily = true, .refusal = acculoadRefusal};

void notVectors() { fail(errorFailed, "Accuload needs one or two vectors.\n"); }

void sumInto(header* first, bool load) {
    const Arguments a(first, sumSignature);
    if (!a) return;
    Operand v;
    if (!readOperand(a[0], &v)) return;
    if (v.rows != 1) return notVectors();
    if (!prepare(v.family, load) || !addSum(v)) return;
    header* result = pushAccumulated(familyOfKind(accuKind));
    if (result) moveResult(first, result);
}

void dotInto(header* first, bool load) {
    const Arguments a(first, dotSignature);
    if (!a) return;
    Operand v, w;
    if (!readOperand(a[0], &v) || !readOperand(a[1], &w)) return;
    if (v.rows != 1 || w.rows != 1) return notVectors();
    if (v.columns != w.columns || v.columns == 0) {
        fail(errorFailed, "Wrong vectors in accuload.\n");
        return;
    }
    if (!prepare(v.family, load) || !addProducts(v, w)) return;
    header* result = pushAccumulated(familyOfKind(accuKind));
    if (result) moveResult(first, result);
}

void builtinAccuload(header* first) { sumInto(first, true); }
void builtinAccuadd(header* first) { sumInto(first, false); }
void builtinAcculoadDot(header* first) { dotInto(first, true); }
void builtinAccuaddDot(header* first) { dotInto(first, false); }

void pushDigits(const LongAccumulator& acc) {
    double terms[accumulatorDigitCount];
    const int n = accumulatorDigitTerms(acc, terms);
    header* result = pushRealMatrix(1, n);
    if (!result) return;
    std::copy(terms, terms + n, matrixData(result));
}

void builtinAccu(header*) { pushDigits(accuReal); }

void builtinAccuim(header*) {
    if (accuKind == accuKindReal) {
        fail(errorFailed, "Accu is real.\n");
        return;
    }
    pushDigits(accuImag);
}

// One entry of A.x - b: row i of A (m elements), column j of x (stride p).
bool residualEntry(NumberFamily family, const double* row, const double* column, int m, int p,
                   const double* b, double* entry) {
    if (family == numberReal) {
        clearAccumulator(accuReal);
        if (!added(addToAccumulator(accuReal, -b[0]))) return false;
        for (int k = 0; k < m; k++)
            if (!added(addProductToAccumulator(accuReal, row[k], column[int64_t(k) * p])))
                return false;
        entry[0] = accumulatorToDouble(accuReal);
        return true;
    }
    clearAccumulator(accuReal);
    clearAccumulator(accuImag);
    const bool interval = family == numberInterval;
    // An interval subtracts [b.lo, b.hi]: lower - b.hi, upper - b.lo.
    if (!added(addToAccumulator(accuReal, interval ? -b[1] : -b[0])) ||
        !added(addToAccumulator(accuImag, interval ? -b[0] : -b[1])))
        return false;
    for (int k = 0; k < m; k++) {
        const double* x = column + 2 * int64_t(k) * p;
        if (!(interval ? addExactIntervalProduct(row + 2 * k, x)
                       : addExactComplexProduct(row + 2 * k, x)))
            return false;
    }
    entry[0] = accumulatorToDouble(accuReal, interval ? roundTowardNegative : roundToNearest);
    entry[1] = accumulatorToDouble(accuImag, interval ? roundTowardPositive : roundToNearest);
    return true;
}

// residuum(a, x, b): numeric, brought to one family.
constexpr Signature residuumSignature = {
    .rules = {{takesNumeric}, {takesNumeric}, {takesNumeric}},
    .sameFamily = true,
    .refusal = {errorFailed, "Wrong argument for residuum!\n\n"}};

void builtinResiduum(header* first) {
    const Arguments arguments(first, residuumSignature);
    if (!arguments) return;
    header *a = arguments[0], *x = arguments[1], *b = arguments[2];
    const NumberFamily family = numberFamily(a);
    if (numberFamily(x) != family || numberFamily(b) != family) {
        arguments.refuse();
        return;
    }
    Operand av, xv, bv;
    if (!readOperand(a, &av) || !readOperand(x, &xv) || !readOperand(b, &bv)) return;
    const int n = av.rows, m = av.columns, p = xv.columns;
    const bool scalarB = bv.rows == 1 && bv.columns == 1;
    if (xv.rows != m || (!scalarB && (bv.rows != n || bv.columns != p))) {
        fail(errorFailed, "Wrong matrix size for residuum.\n\n");
        return;
    }
    const int kind = family == numberReal      ? kindRealMatrix
                     : family == numberComplex ? kindComplexMatrix
                                               : kindIntervalMatrix;
    header* result = pushMatrixOfKind(kind, n, p);
    if (!result) return;
    const int width = family == numberReal ? 1 : 2;
    double* out = matrixData(result);
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < p; j++) {
            const int64_t at = (int64_t(i) * p + j) * width;
            const double* bij = scalarB ? bv.data : bv.data + at;
            if (!residualEntry(family, av.data + int64_t(i) * m * width,
                               xv.data + int64_t(j) * width, m, p, bij, out + at))
                return;
        }
    }
    moveResult(first, result);
}

const BuiltinRecord rows[] = {
    {"accu", 0, 0, builtinAccu},         {"accua", 0, 0, builtinAccu},
    {"accuadd", 1, 0, builtinAccuadd},   {"accuadd", 2, 0, builtinAccuaddDot},
    {"accub", 0, 0, builtinAccuim},      {"accuim", 0, 0, builtinAccuim},
    {"accuload", 1, 0, builtinAccuload}, {"accuload", 2, 0, builtinAcculoadDot},
    {"accure", 0, 0, builtinAccu},       {"residuum", 3, 0, builtinResiduum},
};

}  // namespace

KALIX_BUILTIN_FAMILY(accumulatorBuiltins, rows);

}  // namespace kalix
