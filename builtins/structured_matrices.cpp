// Band, symmetric and structured matrices: `band`, `diag` and `getdiag`
// with one or two arguments, `dup`, `drop`, the characteristic polynomial
// `charpoly`, the Hessenberg form `hb`, Gram-Schmidt `orthogonal`, the
// zero-skipping products `bandmult` and `symmult`, and the Toeplitz
// matrices `toeplitz` and `toeplitzsolve`.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/concatenation.h"
#include "builtins/matrix_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/evaluator.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/hessenberg.h"
#include "numerics/matrix_products.h"
#include "numerics/orthogonal.h"
#include "numerics/toeplitz.h"

namespace kalix {

namespace {

// Real or complex values (readNumericMatrix); matrices only, without the
// scalars.
constexpr KindSet realOrComplex = takesRealMatrix | takesComplexMatrix;
constexpr KindSet realOrComplexMatrix = kindBit(kindRealMatrix) | kindBit(kindComplexMatrix);

// --- band and diagonals ----------------------------------------------------------

constexpr Signature bandSignature = {
    "band", "matrix and indeces of diagonals", {{realOrComplex}, {takesReal}, {takesReal}}};

void builtinBand(header* first) {
    const Arguments args(first, bandSignature);
    if (!args) return;
    NumericMatrix a;
    readNumericMatrix(args[0], &a);
    const double lo = args.real(1), hi = args.real(2);
    char* data = pushHeader(args[0]->kind, args[0]->size, "");
    if (!data) return;
    header* result = recordAt(data - headerSize);
    std::memcpy(data, dataOf(args[0]), size_t(args[0]->size - headerSize));
    NumericMatrix r;
    readNumericMatrix(result, &r);
    const int width = a.complex ? 2 : 1;
    for (int i = 0; i < a.rows; i++)
        for (int j = 0; j < a.columns; j++) {
            const double d = double(j) - i;
            if (!(lo <= d && d <= hi))
                std::fill_n(r.data + (int64_t(i) * a.columns + j) * width, width, 0.0);
        }
    moveResult(first, result);
}

// diag(A), diag(A, k), getdiag(A) and getdiag(A, k): the row of the
// elements (i, trunc(k + i)) that lie inside A, taken until the column
// count is reached; a column while matlab mode is on.
constexpr Signature diagSignature = {
    "diag",
    "matrix and index of diagonal",
    {{realOrComplex}, {.kinds = takesReal, .presence = Presence::optional, .fallback = 0}}};

void builtinGetdiag(header* first) {
    const Arguments args(first, diagSignature);
    if (!args) return;
    NumericMatrix a;
    readNumericMatrix(args[0], &a);
    const double k = args.real(1);
    std::vector<int64_t> taken;
    if (!std::isnan(k))
        for (int i = 0; i < a.rows; i++) {
            const double index = std::trunc(k + i);
            if (index >= a.columns) break;
            if (index >= 0) taken.push_back(int64_t(i) * a.columns + int64_t(index));
        }
    header* result = pushNumericMatrix(a.complex, 1, int(taken.size()));
    if (!result) return;
    const int width = a.complex ? 2 : 1;
    double* out = matrixData(result);
    for (int64_t position : taken)
        for (int w = 0; w < width; w++) *out++ = a.data[position * width + w];
    moveResult(first, result);
    if (matlabMode) transposeValue(first);
}

// --- dup and drop --------------------------------------------------------------------

// dup(v, n): a row repeated as n rows, a column (m > 1) as n columns, a
// scalar as an n x 1 column.
constexpr Signature dupSignature = {"dup", "vector and integer", {{takesNumeric}, {takesReal}}};

void builtinDup(header* first) {
    const Arguments args(first, dupSignature);
    if (!args) return;
    int n = 0;
    const MatrixValue v = args.matrix(0);
    const bool valid = truncateToInt(args.real(1), &n) && n >= 1 && n < 2147483647 &&
                       (v.rows == 1 || (v.columns == 1 && v.rows > 1));
    if (!valid) return args.refuse();
    int rows = v.rows;
    const int columns = v.columns, width = v.width;
    const double* data = v.data;
    const int kind = matrixKindOf(v.family);
    if (v.scalar) {
        rows = n;
        n = 1;
    }
    const bool row = rows == 1;
    header* result = row ? pushMatrixOfKind(kind, n, columns) : pushMatrixOfKind(kind, rows, n);
    if (!result) return;
    double* out = matrixData(result);
    const int64_t rowLength = int64_t(columns) * width;
    if (row) {
        for (int i = 0; i < n; i++, out += rowLength) std::copy_n(data, rowLength, out);
    } else {
        const int64_t step = v.scalar ? 0 : width;
        for (int i = 0; i < rows; i++)
            for (int j = 0; j < n; j++, out += width) std::copy_n(data + i * step, width, out);
    }
    moveResult(first, result);
}

// The positions (1..n) that the index values name, once each, in order;
// false when the values cannot be put in order (NaN).
bool positionsToDrop(const double* indices, int64_t count, int64_t n, std::vector<double>* out) {
    std::vector<double>& x = *out;
    x.assign(indices, indices + count);
    for (double& v : x) {
        if (v < -0.5) v += double(n) + 1;
        v = std::trunc(v + 0.5);
    }
    auto ordered = [&x] {
        for (size_t k = 1; k < x.size(); k++)
            if (!(x[k - 1] <= x[k])) return false;
        return true;
    };
    if (!ordered()) {
        if (std::any_of(x.begin(), x.end(), [](double v) { return std::isnan(v); })) return false;
        std::sort(x.begin(), x.end());
    }
    x.erase(std::unique(x.begin(), x.end()), x.end());
    x.erase(
        std::remove_if(x.begin(), x.end(), [n](double v) { return !(v >= 1 && v <= double(n)); }),
        x.end());
    return true;
}

constexpr Signature dropSignature = {
    "drop",
    "real row vector and index vector",
    {{.kinds = takesNumeric, .rows = 1}, {.kinds = takesRealMatrix, .rows = 1}}};

void builtinDrop(header* first) {
    const Arguments args(first, dropSignature);
    if (!args) return;
    const MatrixValue v = args.matrix(0), index = args.matrix(1);
    const int columns = v.columns, width = v.width;
    const double* data = v.data;
    std::vector<double> dropped;
    if (!positionsToDrop(index.data, index.columns, columns, &dropped))
        return args.need("sorted index vector");
    header* result = pushMatrixOfKind(matrixKindOf(v.family), 1, columns - int(dropped.size()));
    if (!result) return;
    double* out = matrixData(result);
    size_t next = 0;
    for (int k = 1; k <= columns; k++) {
        if (next < dropped.size() && dropped[next] == k) {
            next++;
            continue;
        }
        out = std::copy_n(data + int64_t(k - 1) * width, width, out);
    }
    moveResult(first, result);
}

// --- characteristic polynomial and Hessenberg form ------------------------------------

// A real or complex square matrix (scalars refused) with n >= 1; false
// after the refusal.
bool readSquareMatrix(const Arguments& args, NumericMatrix* a) {
    if (!args) return false;
    readNumericMatrix(args[0], a);
    if (a->rows == a->columns && a->rows >= 1) return true;
    args.refuse();
    return false;
}

constexpr Signature charpolySignature = {
    "charpoly", "real or complex square matrix", {{realOrComplexMatrix}}};

void builtinCharpoly(header* first) {
    NumericMatrix a;
    if (!readSquareMatrix(Arguments(first, charpolySignature), &a)) return;
    const int n = a.rows;
    std::vector<double> work(a.data, a.data + a.elements() * (a.complex ? 2 : 1));
    header* result = pushNumericMatrix(a.complex, 1, n + 1);
    if (!result) return;
    const bool done = (a.complex ? computeCharpolyComplex : computeCharpolyReal)(
        work.data(), n, currentEpsilon, matrixData(result));
    if (!done) {
        reportOutOfMemory();
        return;
    }
    moveResult(first, result);
}

constexpr Signature hbSignature = {"hb", "real or complex matrix", {{realOrComplexMatrix}}};

void builtinHb(header* first) {
    NumericMatrix a;
    if (!readSquareMatrix(Arguments(first, hbSignature), &a)) return;
    const int n = a.rows;
    header* m = pushNumericMatrix(a.complex, n, n);
    if (!m) return;
    std::copy_n(a.data, a.elements() * (a.complex ? 2 : 1), matrixData(m));
    std::vector<int> order(static_cast<size_t>(n));
    (a.complex ? reduceHessenbergComplex : reduceHessenbergReal)(matrixData(m), n, currentEpsilon,
                                                                 order.data());
    std::vector<double> indices(order.begin(), order.end());
    for (double& x : indices) x += 1;
    if (pushRealRow(indices.data(), n)) moveResults(first, m);
}

// --- Gram-Schmidt and the zero-skipping products ------------------------------------------

constexpr Signature orthogonalSignature = {"orthogonal", "real matrix", {{realOrComplexMatrix}}};

void builtinOrthogonal(header* first) {
    const Arguments args(first, orthogonalSignature);
    if (!args) return;
    NumericMatrix a;
    readNumericMatrix(args[0], &a);
    header* q = pushNumericMatrix(a.complex, a.rows, a.columns);
    header* flags = q ? pushMatrixOfKind(kindRealMatrix, 1, a.columns) : nullptr;
    if (!flags) return;
    (a.complex ? gramSchmidtComplex : gramSchmidtReal)(a.data, a.rows, a.columns, currentEpsilon,
                                                       matrixData(q), matrixData(flags));
    moveResults(first, q);
}

// The two matrix factors of a product, both complex when either is.
struct Factors {
    NumericMatrix a, b;
    std::vector<double> aPairs, bPairs;
    bool complex = false;
    const double* aData() const { return aPairs.empty() ? a.data : aPairs.data(); }
    const double* bData() const { return bPairs.empty() ? b.data : bPairs.data(); }
};

// Reads two real or complex matrices (no scalars); false after the
// signature's refusal.
bool readFactors(header* first, const Signature& signature, Factors* f) {
    const Arguments args(first, signature);
    if (!args) return false;
    readNumericMatrix(args[0], &f->a);
    readNumericMatrix(args[1], &f->b);
    f->complex = f->a.complex || f->b.complex;
    if (f->complex && !f->a.complex) f->aPairs = complexElements(f->a);
    if (f->complex && !f->b.complex) f->bPairs = complexElements(f->b);
    return true;
}

void reportProductSize(const Factors& f) {
    fail(errorFailed, "Cannot multiply %dx%d and %dx%d matrix\n", f.a.rows, f.a.columns, f.b.rows,
         f.b.columns);
}

constexpr Signature bandmultSignature = {
    "bandmult", "two matrices", {{realOrComplexMatrix}, {realOrComplexMatrix}}};

void builtinBandmult(header* first) {
    Factors f;
    if (!readFactors(first, bandmultSignature, &f)) return;
    if (f.a.columns != f.b.rows) {
        reportProductSize(f);
        return;
    }
    header* c = pushNumericMatrix(f.complex, f.a.rows, f.b.columns);
    if (!c) return;
    (f.complex ? multiplySkippingZerosComplex : multiplySkippingZerosReal)(
        f.aData(), f.a.rows, f.a.columns, f.bData(), f.b.columns, matrixData(c));
    moveResult(first, c);
}

constexpr Signature symmultSignature = {.builtin = "symmult",
                                        .rules = {{realOrComplexMatrix}, {realOrComplexMatrix}},
                                        .refusal = {errorWrongArgument, "Wrong argument\n"}};

void builtinSymmult(header* first) {
    Factors f;
    if (!readFactors(first, symmultSignature, &f)) return;
    // Only a square product can be mirrored.
    if (f.a.columns != f.b.rows || f.a.rows != f.b.columns) {
        reportProductSize(f);
        return;
    }
    header* c = pushNumericMatrix(f.complex, f.a.rows, f.a.rows);
    if (!c) return;
    (f.complex ? multiplySymmetricComplex : multiplySymmetricReal)(f.aData(), f.a.rows, f.a.columns,
                                                                   f.bData(), matrixData(c));
    moveResult(first, c);
}

// --- Toeplitz matrices -------------------------------------------------------------------

// The first row and column of a Toeplitz matrix: a real 1 x L matrix with
// L odd and at least 3.
constexpr ArgumentRule toeplitzVector = {.kinds = kindBit(kindRealMatrix), .rows = 1};

// n = (L + 1) / 2 for the vector's length L; false for a length that is
// not odd and at least 3.
bool readToeplitzSize(header* t, int* n) {
    const int length = matrixColumns(t);
    *n = (length + 1) / 2;
    return length >= 3 && length % 2 == 1;
}

constexpr Signature toeplitzSignature = {
    .builtin = "toeplitz",
    .rules = {toeplitzVector},
    .refusal = {errorWrongArgument, "Wrong arguments for toeplitz\n"}};

void builtinToeplitz(header* first) {
    const Arguments args(first, toeplitzSignature);
    if (!args) return;
    header* t = args[0];
    int n;
    if (!readToeplitzSize(t, &n)) return args.refuse();
    header* result = pushMatrixOfKind(kindRealMatrix, n, n);
    if (!result) return;
    buildToeplitz(matrixData(t), n, matrixData(result));
    moveResult(first, result);
}

constexpr Signature toeplitzsolveSignature = {
    .builtin = "toeplitzsolve",
    .rules = {toeplitzVector, {.kinds = kindBit(kindRealMatrix), .columns = 1}},
    .refusal = {errorWrongArgument, "Wrong arguments for toeplitzsolve\n"}};

void builtinToeplitzsolve(header* first) {
    const Arguments args(first, toeplitzsolveSignature);
    if (!args) return;
    header *t = args[0], *b = args[1];
    int n;
    if (!readToeplitzSize(t, &n) || matrixRows(b) != n) return args.refuse();
    header* x = pushMatrixOfKind(kindRealMatrix, n, 1);
    if (!x) return;
    switch (solveToeplitz(matrixData(t), n, matrixData(b), matrixData(x), currentEpsilon)) {
        case ToeplitzStatus::ok:
            moveResult(first, x);
            return;
        case ToeplitzStatus::singular:
            fail(errorFailed, "Toeplitz singular error\n");
            return;
        case ToeplitzStatus::noMemory:
            reportOutOfMemory();
            return;
    }
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"band", 3, 0, builtinBand},
    {"bandmult", 2, 0, builtinBandmult},
    {"charpoly", 1, 0, builtinCharpoly},
    {"diag", 1, 0, builtinGetdiag},
    {"diag", 2, 0, builtinGetdiag},
    {"drop", 2, 0, builtinDrop},
    {"dup", 2, 0, builtinDup},
    {"getdiag", 1, 0, builtinGetdiag},
    {"getdiag", 2, 0, builtinGetdiag},
    {"hb", 1, 0, builtinHb},
    {"orthogonal", 1, 0, builtinOrthogonal},
    {"symmult", 2, 0, builtinSymmult},
    {"toeplitz", 1, 0, builtinToeplitz},
    {"toeplitzsolve", 2, 0, builtinToeplitzsolve},
};
KALIX_BUILTIN_FAMILY(structuredMatrixBuiltins, rows);

}  // namespace kalix
