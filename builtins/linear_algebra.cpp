// Dense linear algebra: the operator "\", the LU decomposition `lu` and its
// solver `lusolve`, the Givens rotations `givensqr` and `givensrot`, the
// symmetric eigenvalues `jacobi` and the singular value decomposition `svd`.
#include "builtins/linear_algebra.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/matrix_arguments.h"
#include "interpreter/arithmetic.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/jacobi.h"
#include "numerics/lu.h"
#include "numerics/orthogonal.h"
#include "numerics/svd.h"

namespace {

const char* const systemShape = "nxn matrix A, nxm matrix or vector b";

// Reports a failed solve; true when there was one.
bool reportSolveStatus(SolveStatus status) {
    switch (status) {
        case SolveStatus::ok:
            return false;
        case SolveStatus::singular:
            fail(errorSingular, "Determinant zero!\n");
            return true;
        case SolveStatus::noMemory:
            reportOutOfMemory();
            return true;
    }
    return true;
}

// A system A x = b of real or complex values: A square with n > 0 rows
// and b with n rows. Either may be real when the other is complex; both
// are then taken as complex.
struct LinearSystem {
    NumericMatrix a, b;
    bool complex = false;
};

bool readLinearSystem(header* a, header* b, LinearSystem* s) {
    if (!readNumericMatrix(a, &s->a) || !readNumericMatrix(b, &s->b)) return false;
    s->complex = s->a.complex || s->b.complex;
    return s->a.rows > 0 && s->a.rows == s->a.columns && s->b.rows == s->a.rows;
}

using Solver = SolveStatus (*)(const double*, int, const double*, int, double*);

// Pushes x and solves with `solve` (real or complex twin chosen by the
// system's kind); the result replaces `first`.
void solveInto(header* first, const LinearSystem& s, Solver realSolver, Solver complexSolver) {
    const int n = s.a.rows, m = s.b.columns;
    std::vector<double> a, b;
    const double *aData = s.a.data, *bData = s.b.data;
    if (s.complex && !(s.a.complex && s.b.complex)) {
        a = complexElements(s.a);
        b = complexElements(s.b);
        aData = a.data();
        bData = b.data();
    }
    header* x = pushNumericMatrix(s.complex, n, m);
    if (!x) return;
    const SolveStatus status =
        (s.complex ? complexSolver : realSolver)(aData, n, bData, m, matrixData(x));
    if (!reportSolveStatus(status)) moveResult(first, x);
}

SolveStatus solveSystemRealWithEpsilon(const double* a, int n, const double* b, int m, double* x) {
    return solveSystemReal(a, n, b, m, x, currentEpsilon);
}

SolveStatus solveSystemComplexWithEpsilon(const double* a, int n, const double* b, int m,
                                          double* x) {
    return solveSystemComplex(a, n, b, m, x, currentEpsilon);
}

// --- lu -------------------------------------------------------------------------

// Pushes a copy of the record (any kind, resolved value).
header* pushCopy(header* value) {
    char* data = pushHeader(value->kind, value->size, "");
    if (!data) return nullptr;
    header* copy = recordAt(data - headerSize);
    std::memcpy(data, dataOf(value), size_t(value->size - headerSize));
    return copy;
}

void builtinLu(header* first) {
    header* value;
    if (!resolveArguments(first, 1, &value)) return;
    NumericMatrix a;
    if (!readNumericMatrix(value, &a) || a.rows < 1) {
        reportNeed("real or complex matrix", "lu");
        return;
    }
    header* b = pushCopy(value);
    if (!b) return;
    NumericMatrix decomposed;
    readNumericMatrix(b, &decomposed);
    std::vector<int> permutation(size_t(a.rows)), pivotColumns(size_t(a.columns));
    const LuResult r = (a.complex ? decomposeLuComplex : decomposeLuReal)(
        decomposed.data, a.rows, a.columns, currentEpsilon, permutation.data(),
        pivotColumns.data());
    std::vector<double> rows(size_t(r.rank)), flags(size_t(a.columns));
    for (int k = 0; k < r.rank; k++) rows[size_t(k)] = permutation[size_t(k)] + 1;
    for (int k = 0; k < a.columns; k++) flags[size_t(k)] = pivotColumns[size_t(k)];
    if (!pushRealRow(rows.data(), r.rank) || !pushRealRow(flags.data(), a.columns)) return;
    if (a.complex)
        pushComplex(r.determinant[0], r.determinant[1]);
    else
        pushReal(r.determinant[0]);
    if (!errorCode) moveResults(first, b);
}

void builtinLusolve(header* first) {
    header* values[2];
    if (!resolveArguments(first, 2, values)) return;
    LinearSystem s;
    if (!readLinearSystem(values[0], values[1], &s)) {
        reportNeed(systemShape, "lusolve");
        return;
    }
    solveInto(first, s, solveLuReal, solveLuComplex);
}

// --- Givens rotations ------------------------------------------------------------

void builtinGivensqr(header* first) {
    header* values[2];
    if (!resolveArguments(first, 2, values)) return;
    header *a = values[0], *b = values[1];
    if (a->kind != kindRealMatrix || b->kind != kindRealMatrix || matrixRows(a) != matrixRows(b)) {
        reportNeed("two real matrices with same number of rows", "givensqr");
        return;
    }
    const int n = matrixRows(a), m = matrixColumns(a), p = matrixColumns(b);
    header* r = pushCopy(a);
    header* q = r ? pushCopy(b) : nullptr;
    header* f = q ? pushMatrixOfKind(kindRealMatrix, 1, m) : nullptr;
    if (!f) return;
    givensReduce(matrixData(r), n, m, matrixData(q), p, currentEpsilon, matrixData(f));
    moveResults(first, r);
}

// An index argument of givensrot, truncated; false when it is not a real
// number that fits an int.
bool readIndex(header* value, int* index) {
    return value->kind == kindReal && truncateToInt(realOf(value), index);
}

void builtinGivensrot(header* first) {
    header* values[5];
    if (!resolveArguments(first, 5, values)) return;
    header *a = values[3], *b = values[4];
    const bool kinds = values[0]->kind == kindReal && values[1]->kind == kindReal &&
                       values[2]->kind == kindReal && a->kind == kindRealMatrix &&
                       b->kind == kindRealMatrix && matrixRows(a) == matrixRows(b);
    if (!kinds) {
        reportNeed("indices j,i1,i2 and two matrices with n rows", "givensrot");
        return;
    }
    int j, i1, i2;
    const int n = matrixRows(a), m = matrixColumns(a);
    const bool indices = readIndex(values[0], &j) && readIndex(values[1], &i1) &&
                         readIndex(values[2], &i2) && i1 != i2 && i1 >= 1 && i1 <= n && i2 >= 1 &&
                         i2 <= n && j >= 1 && j <= m;
    if (!indices) {
        reportNeed("indices j, i1,i2 (different) and two matrices with n rows", "givensrot");
        return;
    }
    header* ra = pushCopy(a);
    header* rb = ra ? pushCopy(b) : nullptr;
    if (!rb) return;
    givensRotate(matrixData(ra), m, matrixData(rb), matrixColumns(b), j - 1, i1 - 1, i2 - 1);
    moveResults(first, ra);
}

// --- eigenvalues and singular values -------------------------------------------------

bool allFinite(const double* x, int64_t n) {
    for (int64_t k = 0; k < n; k++)
        if (!std::isfinite(x[k])) return false;
    return true;
}

constexpr int jacobiSweepLimit = 100;

void builtinJacobi(header* first) {
    header* a;
    if (!resolveArguments(first, 1, &a)) return;
    if (a->kind != kindRealMatrix || matrixRows(a) != matrixColumns(a) ||
        !allFinite(matrixData(a), int64_t(matrixRows(a)) * matrixColumns(a))) {
        reportNeed("real symmetric matrix", "jacobi");
        return;
    }
    const int n = matrixRows(a);
    header* work = pushCopy(a);
    if (!work || n < 2) {
        if (work) moveResult(first, work);
        return;
    }
    std::vector<double> eigenvalues(static_cast<size_t>(n));
    switch (jacobiEigenvalues(matrixData(work), n, currentEpsilon, jacobiSweepLimit, escapePressed,
                              eigenvalues.data())) {
        case JacobiStatus::ok:
            break;
        case JacobiStatus::noConvergence:
            fail(errorFailed, "No convergence in jacobi\n");
            return;
        case JacobiStatus::interrupted:
            reportInterrupted();
            return;
    }
    header* result = pushRealRow(eigenvalues.data(), n);
    if (result) moveResult(first, result);
}

void builtinSvd(header* first) {
    header* a;
    if (!resolveArguments(first, 1, &a)) return;
    if (a->kind != kindRealMatrix || matrixRows(a) < 1 || matrixColumns(a) < 1 ||
        !allFinite(matrixData(a), int64_t(matrixRows(a)) * matrixColumns(a))) {
        fail(errorWrongArgument, "Wrong arguments for %s\n", "svd");
        return;
    }
    const int m = matrixRows(a), n = matrixColumns(a);
    header* u = pushCopy(a);
    header* w = u ? pushMatrixOfKind(kindRealMatrix, 1, n) : nullptr;
    header* v = w ? pushMatrixOfKind(kindRealMatrix, n, n) : nullptr;
    if (!v) return;
    switch (singularValueDecomposition(matrixData(u), m, n, matrixData(w), matrixData(v))) {
        case SvdStatus::ok:
            moveResults(first, u);
            return;
        case SvdStatus::noConvergence:
            fail(errorFailed, "No convergence in svd\n");
            return;
        case SvdStatus::noMemory:
            reportOutOfMemory();
            return;
    }
}

}  // namespace

void solveLeftDivision(header* first) {
    if (errorCode) return;
    header* a = first;
    header* b = nextValue(first);
    if (!b) {
        reportNeed(systemShape, "\\");
        return;
    }
    convertToCommonKind(&a, &b);
    if (errorCode) return;
    LinearSystem s;
    if (!readLinearSystem(a, b, &s)) {
        reportNeed(systemShape, "\\");
        return;
    }
    solveInto(first, s, solveSystemRealWithEpsilon, solveSystemComplexWithEpsilon);
}

static const BuiltinRecord rows[] = {
    {"givensqr", 2, 0, builtinGivensqr}, {"givensrot", 5, 0, builtinGivensrot},
    {"jacobi", 1, 0, builtinJacobi},     {"lu", 1, 0, builtinLu},
    {"lusolve", 2, 0, builtinLusolve},   {"svd", 1, 0, builtinSvd},
};
KALIX_BUILTIN_FAMILY(linearAlgebraBuiltins, rows);
