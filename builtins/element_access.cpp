// Element access by explicit positions: mget gathers the elements at the
// rows of an n x 2 index matrix, mset replaces them, diag with a size
// builds a matrix with a vector along one diagonal, setdiag replaces a
// diagonal. Positions are 1-based; diagonal offsets count from 0.
#include <algorithm>
#include <cmath>

#include "builtins/concatenation.h"
#include "builtins/matrix_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"

namespace kalix {

namespace {

bool isEmptyIndexMatrix(header* value) {
    return value->kind == kindRealMatrix && (matrixRows(value) == 0 || matrixColumns(value) == 0);
}

bool isIndexMatrix(header* value) {
    return value->kind == kindRealMatrix && matrixColumns(value) == 2;
}

// Row k of the index matrix as a 0-based element offset into a rows x
// columns matrix; false with the builtin's message when it lies outside.
bool indexPosition(header* index, int k, int rows, int columns, const char* name, int64_t* offset) {
    const double* pair = matrixData(index) + 2 * int64_t(k);
    const int r = clampToInt(pair[0]), c = clampToInt(pair[1]);
    if (r < 1 || r > rows || c < 1 || c > columns) {
        fail(errorFailed, "Index %d,%d out of range in %s.\n", r, c, name);
        return false;
    }
    *offset = int64_t(r - 1) * columns + (c - 1);
    return true;
}

// An empty index matrix answers before the matrix is looked at.
constexpr Signature mgetSignature = {
    "mget", "real or complex matrix, nx2 index matrix", {{takesAnything}, {takesRealMatrix}}};

// A real or complex matrix, not a scalar.
bool isTakenMatrix(header* value) {
    return value->kind == kindRealMatrix || value->kind == kindComplexMatrix;
}

void builtinMget(header* first) {
    const Arguments arguments(first, mgetSignature);
    if (!arguments) return;
    header *a = arguments[0], *index = arguments[1];
    if (isEmptyIndexMatrix(index)) {
        header* result = pushRealMatrix(1, 0);
        if (!errorCode) moveResult(first, result);
        return;
    }
    if (!isIndexMatrix(index) || !isTakenMatrix(a)) return arguments.refuse();
    MatrixValue m;
    readMatrixValue(a, &m);
    const int n = matrixRows(index);
    header* result = pushMatrixOfKind(a->kind, 1, n);
    if (!result) return;
    double* out = matrixData(result);
    for (int k = 0; k < n; k++) {
        int64_t offset;
        if (!indexPosition(index, k, m.rows, m.columns, "mget", &offset)) return;
        std::copy_n(m.element(offset), m.width, out + int64_t(k) * m.width);
    }
    moveResult(first, result);
}

// Element i of a real or complex matrix as a complex pair.
void complexElement(const MatrixValue& m, int64_t i, double* pair) {
    pair[0] = m.element(i)[0];
    pair[1] = m.width == 2 ? m.element(i)[1] : 0;
}

// Copies a real or complex matrix into a matrix of `width` doubles per
// element (a real one widened with imaginary parts 0).
void copyWidened(const MatrixValue& m, double* out, int width) {
    if (width == m.width) {
        std::copy_n(m.data, m.count() * width, out);
        return;
    }
    for (int64_t i = 0; i < m.count(); i++) complexElement(m, i, out + 2 * i);
}

// B is read at the target positions, a single row, column or element of B
// serving every row or column.
constexpr Signature msetSignature = {"mset",
                                     "real or complex matrix, nx2 index matrix and another matrix",
                                     {{takesAnything}, {takesRealMatrix}, {takesAnything}}};

void builtinMset(header* first) {
    const Arguments arguments(first, msetSignature);
    if (!arguments) return;
    header *a = arguments[0], *index = arguments[1], *b = arguments[2];
    if (isEmptyIndexMatrix(index)) {
        moveValueAsResult(first, a, flagUtf8);
        return;
    }
    MatrixValue ma, mb;
    const bool bTaken = readMatrixValue(b, &mb) && mb.family != numberInterval;
    if (!isIndexMatrix(index) || !isTakenMatrix(a) || !bTaken) return arguments.refuse();
    readMatrixValue(a, &ma);
    if ((mb.rows != 1 && mb.rows != ma.rows) || (mb.columns != 1 && mb.columns != ma.columns)) {
        fail(errorFailed, "Cannot assign from %d,%d to %d,%d in mset.\n", mb.rows, mb.columns,
             ma.rows, ma.columns);
        return;
    }
    const bool complex = ma.family == numberComplex || mb.family == numberComplex;
    const int width = complex ? 2 : 1;
    header* result =
        pushMatrixOfKind(complex ? kindComplexMatrix : kindRealMatrix, ma.rows, ma.columns);
    if (!result) return;
    double* out = matrixData(result);
    copyWidened(ma, out, width);
    const int n = matrixRows(index);
    for (int k = 0; k < n; k++) {
        int64_t offset;
        if (!indexPosition(index, k, ma.rows, ma.columns, "mset", &offset)) return;
        const int64_t r = offset / ma.columns, c = offset % ma.columns;
        const int64_t from = (mb.rows == 1 ? 0 : r) * mb.columns + (mb.columns == 1 ? 0 : c);
        if (complex)
            complexElement(mb, from, out + 2 * offset);
        else
            out[offset] = mb.data[from];
    }
    moveResult(first, result);
}

// Writes v along diagonal k of the rows x columns matrix `out` (elements of
// `width` doubles); past the end of v its last element repeats.
void writeDiagonal(double* out, int rows, int columns, double k, const MatrixValue& v) {
    const int64_t offset = clampToInt(std::trunc(k));
    int64_t t = 0;
    for (int64_t i = std::max<int64_t>(0, -offset); i < rows; i++) {
        const int64_t j = offset + i;
        if (j >= columns) break;
        std::copy_n(v.element(t), v.width, out + (i * columns + j) * v.width);
        if (t + 1 < v.columns) t++;
    }
}

// The diagonal and the vector, after the one or two size arguments.
constexpr Signature diagSignature = {
    "diag", "size n, m, diagonal k, vector v", {{takesReal}, {.kinds = takesNumeric, .rows = 1}}};

void builtinDiag(header* first) {
    // The copies that resolving the sizes pushed are dropped, so that the
    // reader counts only the arguments after the sizes.
    char* top = newram;
    int rows, columns;
    header* after = readSizeArguments(first, &rows, &columns, "diag");
    if (errorCode) return;
    newram = top;
    const Arguments a(after, diagSignature);
    if (!a) return;
    const MatrixValue v = a.matrix(1);
    if (v.columns < 1) return a.refuse();
    header* result = pushMatrixOfKind(matrixKindOf(v.family), rows, columns);
    if (!result) return;
    double* out = matrixData(result);
    std::fill_n(out, int64_t(rows) * columns * v.width, 0.0);
    writeDiagonal(out, rows, columns, a.real(0), v);
    moveResult(first, result);
}

// Copies a matrix of one family into the wider family's layout: a real
// element x becomes (x, 0) for complex and [x, x] for intervals.
void copyIntoFamily(const MatrixValue& m, NumberFamily family, double* out) {
    if (m.family == family) {
        std::copy_n(m.data, m.count() * m.width, out);
        return;
    }
    for (int64_t i = 0; i < m.count(); i++) {
        out[2 * i] = m.data[i];
        out[2 * i + 1] = family == numberComplex ? 0 : m.data[i];
    }
}

// The vector is checked after the matrix and the diagonal.
constexpr Signature setdiagSignature = {
    "setdiag", "matrix, integer, vector or real", {{takesNumeric}, {takesReal}, {takesAnything}}};

void builtinSetdiag(header* first) {
    const Arguments a(first, setdiagSignature);
    if (!a) return;
    header* vector = a[2];
    const MatrixValue ma = a.matrix(0);
    if (ma.scalar) return a.refuse();
    MatrixValue v;
    int vRows, vColumns;
    double* vData;
    if (!getMatrix(vector, &vRows, &vColumns, &vData)) return;
    readMatrixValue(vector, &v);
    // Complex and interval never meet; otherwise the wider family holds both.
    const bool mixed = (ma.family == numberComplex && v.family == numberInterval) ||
                       (ma.family == numberInterval && v.family == numberComplex);
    const NumberFamily family = std::max(ma.family, v.family);
    if (mixed || v.rows != 1 || v.columns < 1) return a.refuse();
    header* result = pushMatrixOfKind(matrixKindOf(family), ma.rows, ma.columns);
    if (!result) return;
    double* out = matrixData(result);
    copyIntoFamily(ma, family, out);
    // The vector in the result's layout, above the result.
    MatrixValue widened = v;
    if (v.family != family) {
        double* copy = reinterpret_cast<double*>(reserveStack(16 * int64_t(v.columns), "setdiag"));
        if (errorCode) return;
        copyIntoFamily(v, family, copy);
        widened = {family, false, 1, v.columns, copy, 2};
    }
    writeDiagonal(out, ma.rows, ma.columns, a.real(1), widened);
    moveResult(first, result);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"diag", 3, 0, builtinDiag}, {"diag", 4, 0, builtinDiag},       {"mget", 2, 0, builtinMget},
    {"mset", 3, 0, builtinMset}, {"setdiag", 3, 0, builtinSetdiag},
};
KALIX_BUILTIN_FAMILY(elementAccessBuiltins, rows);

}  // namespace kalix
