// Dense linear algebra: the LU decomposition `lu` and its solver `lusolve`
// (which shares the steps of the operator "\" in interpreter/linear_systems),
// the Givens rotations `givensqr` and `givensrot`, the symmetric eigenvalues
// `jacobi` and the singular value decomposition `svd`.
#include <cmath>
#include <cstring>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/matrix_values.h"
#include "interpreter/arithmetic.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/linear_systems.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/jacobi.h"
#include "numerics/lu.h"
#include "numerics/orthogonal.h"
#include "numerics/svd.h"
#include "platform/host.h"

namespace kalix {

namespace {

// --- lu -------------------------------------------------------------------------

// Pushes a copy of the record (any kind, resolved value).
header* pushCopy(header* value) {
    char* data = pushHeader(value->kind, value->size, "");
    if (!data) return nullptr;
    header* copy = recordAt(data - headerSize);
    std::memcpy(data, dataOf(value), size_t(value->size - headerSize));
    return copy;
}

constexpr Signature luSignature = {
    "lu", "real or complex matrix", {{takesRealMatrix | takesComplexMatrix}}};

void builtinLu(header* first) {
    const Arguments arguments(first, luSignature);
    if (!arguments) return;
    header* value = arguments[0];
    NumericMatrix a;
    readNumericMatrix(value, &a);
    if (a.rows < 1) {
        arguments.refuse();
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

// The shapes are checked together by readLinearSystem.
constexpr Signature lusolveSignature = {
    "lusolve", linearSystemShape, {{takesAnything}, {takesAnything}}};

void builtinLusolve(header* first) {
    const Arguments a(first, lusolveSignature);
    if (!a) return;
    LinearSystem s;
    if (!readLinearSystem(a[0], a[1], &s)) {
        a.refuse();
        return;
    }
    solveInto(first, s, solveLuReal, solveLuComplex);
}

// --- Givens rotations ------------------------------------------------------------

constexpr KindSet takesRealMatrixAlone = kindBit(kindRealMatrix);  // no scalar

constexpr Signature givensqrSignature = {"givensqr",
                                         "two real matrices with same number of rows",
                                         {{takesRealMatrixAlone}, {takesRealMatrixAlone}}};

// The matrices a and b of a Givens builtin, arguments k and k + 1, with as
// many rows; false after the refusal.
bool readMatrixPair(const Arguments& arguments, int k, header** a, header** b) {
    *a = arguments[k];
    *b = arguments[k + 1];
    if (matrixRows(*a) == matrixRows(*b)) return true;
    arguments.refuse();
    return false;
}

void builtinGivensqr(header* first) {
    const Arguments arguments(first, givensqrSignature);
    header *a, *b;
    if (!arguments || !readMatrixPair(arguments, 0, &a, &b)) return;
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

// givensrot(j, i1, i2, a, b)
constexpr Signature givensrotSignature = {
    "givensrot",
    "indices j,i1,i2 and two matrices with n rows",
    {{takesReal}, {takesReal}, {takesReal}, {takesRealMatrixAlone}, {takesRealMatrixAlone}}};

void builtinGivensrot(header* first) {
    const Arguments arguments(first, givensrotSignature);
    header *a, *b;
    if (!arguments || !readMatrixPair(arguments, 3, &a, &b)) return;
    int j, i1, i2;
    const int n = matrixRows(a), m = matrixColumns(a);
    const bool indices = readIndex(arguments[0], &j) && readIndex(arguments[1], &i1) &&
                         readIndex(arguments[2], &i2) && i1 != i2 && i1 >= 1 && i1 <= n &&
                         i2 >= 1 && i2 <= n && j >= 1 && j <= m;
    if (!indices) {
        arguments.need("indices j, i1,i2 (different) and two matrices with n rows");
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

constexpr Signature jacobiSignature = {"jacobi", "real symmetric matrix", {{takesRealMatrixAlone}}};

void builtinJacobi(header* first) {
    const Arguments arguments(first, jacobiSignature);
    if (!arguments) return;
    header* a = arguments[0];
    // The rotations read one triangle only: a matrix that is not symmetric
    // would give the eigenvalues of another.
    if (matrixRows(a) != matrixColumns(a) ||
        !allFinite(matrixData(a), int64_t(matrixRows(a)) * matrixColumns(a)) ||
        !isSymmetricWithin(matrixData(a), matrixRows(a), currentEpsilon)) {
        arguments.refuse();
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

constexpr Signature svdSignature = {.builtin = "svd",
                                    .rules = {{takesRealMatrixAlone}},
                                    .refusal = {errorWrongArgument, "Wrong arguments for svd\n"}};

void builtinSvd(header* first) {
    const Arguments arguments(first, svdSignature);
    if (!arguments) return;
    header* a = arguments[0];
    if (matrixRows(a) < 1 || matrixColumns(a) < 1 ||
        !allFinite(matrixData(a), int64_t(matrixRows(a)) * matrixColumns(a))) {
        arguments.refuse();
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

static const BuiltinRecord rows[] = {
    {"givensqr", 2, 0, builtinGivensqr}, {"givensrot", 5, 0, builtinGivensrot},
    {"jacobi", 1, 0, builtinJacobi},     {"lu", 1, 0, builtinLu},
    {"lusolve", 2, 0, builtinLusolve},   {"svd", 1, 0, builtinSvd},
};
KALIX_BUILTIN_FAMILY(linearAlgebraBuiltins, rows);

}  // namespace kalix
