// Matrix construction and shape builtins: new matrices of a size (zeros,
// ones, linspace; magic squares are among the constants), the size of values (cols, rows, size),
// reshaping (redim) and the rearrangements inside each row or of the rows (flipx, flipy, rotleft,
// rotright, shiftleft, shiftright).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "builtins/concatenation.h"
#include "builtins/matrix_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/globals.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

// --- new matrices ----------------------------------------------------------

void fillSized(header* first, double value, const char* name) {
    int rows, columns;
    readSizeArguments(first, &rows, &columns, name);
    if (errorCode) return;
    header* result = pushMatrixOfKind(kindRealMatrix, rows, columns);
    if (!result) return;
    std::fill_n(matrixData(result), int64_t(rows) * columns, value);
    moveResult(first, result);
}

void builtinZeros(header* first) { fillSized(first, 0, "zeros"); }
void builtinOnes(header* first) { fillSized(first, 1, "ones"); }

// n + 1 points from a to b; the last is b itself.
constexpr Signature linspaceSignature = {
    "linspace", "real a,b,n", {{takesReal}, {takesReal}, {takesReal}}};

void builtinLinspace(header* first) {
    const Arguments arguments(first, linspaceSignature);
    if (!arguments) return;
    const double a = arguments.real(0), b = arguments.real(1), n = arguments.real(2);
    if (!(n > 0) || n != std::floor(n)) return arguments.need("integer n>0");
    const int64_t intervals = n < double(INT_MAX) ? int64_t(n) : int64_t(INT_MAX);
    header* result = pushMatrixSized(kindRealMatrix, 1, intervals + 1);
    if (!result) return;
    double* out = matrixData(result);
    const double step = (b - a) / n;
    for (int64_t i = 0; i < intervals; i++) out[i] = a + step * double(i);
    out[intervals] = b;
    moveResult(first, result);
}

// --- sizes -------------------------------------------------------------------

// Rows and columns of a value as `size` sees it (views with their own
// size); false for kinds that have none.
bool shapeOf(header* value, int* rows, int* columns) {
    switch (value->kind) {
        case kindReal:
        case kindComplex:
        case kindInterval:
        case kindString:
            *rows = *columns = 1;
            return true;
        case kindRealMatrix:
        case kindComplexMatrix:
        case kindIntervalMatrix:
            *rows = matrixRows(value);
            *columns = matrixColumns(value);
            return true;
        case kindCompressedMatrix:
            *rows = sparseRows(value);
            *columns = sparseColumns(value);
            return true;
        case kindSubmatrix:
        case kindComplexSubmatrix:
        case kindIntervalSubmatrix:
            *rows = viewRows(value);
            *columns = viewColumns(value);
            return true;
        case kindStringMatrix:
            *rows = 1;
            *columns = countStrings(value);
            return true;
        case kindCollection:
            *rows = 1;
            *columns = countCollectionItems(value);
            return true;
        default:
            return false;
    }
}

constexpr Signature colsSignature = {"cols", "matrix type", {{takesAnything}}};
constexpr Signature rowsSignature = {"rows", "matrix type", {{takesAnything}}};

// `cols` and `rows` see resolved values: a view is already a matrix and a
// string subvector a string.
void reportDimension(header* first, bool columns, const Signature& signature) {
    const Arguments a(first, signature);
    if (!a) return;
    int r, c;
    if (!shapeOf(a[0], &r, &c)) return a.refuse();
    header* result = pushReal(columns ? c : r);
    if (!errorCode) moveResult(first, result);
}

void builtinCols(header* first) { reportDimension(first, true, colsSignature); }
void builtinRows(header* first) { reportDimension(first, false, rowsSignature); }

// The record a reference chain stands for, globals included; null when
// the name is bound to nothing.
header* referencedRecord(header* record) {
    while (record->kind == kindReference) {
        if (record->flags & flagGlobalReference) return findGlobal(record->name);
        if (!referenceTarget(record)) return nullptr;
        record = referenceTarget(record);
    }
    return record;
}

// The shape to which all arguments broadcast: sizes 0 and 1 fit any other.
void builtinSize(header* first) {
    if (!first) {
        reportNeed("matrices", "size");
        return;
    }
    char* end = newram;
    header* result = pushRealMatrix(1, 2);
    if (errorCode) return;
    int totalRows = 0, totalColumns = 0;
    for (char* p = reinterpret_cast<char*>(first); p < end; p += recordAt(p)->size) {
        header* value = referencedRecord(recordAt(p));
        if (!value) {
            fail(errorFailed, "Variable not found in %s\n", "size");
            return;
        }
        int r, c;
        if (value->kind == kindStringSubvector || !shapeOf(value, &r, &c)) {
            reportNeed("matrices", "size");
            return;
        }
        if ((r > 1 && totalRows > 1 && r != totalRows) ||
            (c > 1 && totalColumns > 1 && c != totalColumns)) {
            fail(errorSizeMismatch, "Matrix %dx%d and %dx%d not compatible in size!\n", totalRows,
                 totalColumns, r, c);
            return;
        }
        totalRows = std::max(totalRows, r);
        totalColumns = std::max(totalColumns, c);
    }
    matrixData(result)[0] = totalRows;
    matrixData(result)[1] = totalColumns;
    moveResult(first, result);
}

// The matrix, read after the size.
constexpr Signature redimSignature = {"redim", "matrix A, new size n, m", {{takesNumeric}}};

// The first elements of A row by row into the new size, zeros after them.
void builtinRedim(header* first) {
    int rows, columns;
    readSizeArguments(nextValue(first), &rows, &columns, "redim");
    if (errorCode) return;
    const Arguments arguments(first, redimSignature);
    if (!arguments) return;
    const MatrixValue a = arguments.matrix(0);
    if (a.scalar) return arguments.refuse();
    header* result = pushMatrixOfKind(arguments[0]->kind, rows, columns);
    if (!result) return;
    const int64_t total = int64_t(rows) * columns * a.width;
    const int64_t copied = std::min(total, a.count() * a.width);
    double* out = matrixData(result);
    std::copy_n(a.data, copied, out);
    std::fill(out + copied, out + total, 0.0);
    moveResult(first, result);
}

// --- rearrangements --------------------------------------------------------

enum Rearrangement { flipColumns, flipRows, rotateLeft, rotateRight, shiftLeft, shiftRight };

// The column of A that fills column j of a row of c columns; -1 for a zero.
int sourceColumn(Rearrangement how, int j, int c) {
    switch (how) {
        case flipColumns:
            return c - 1 - j;
        case rotateLeft:
            return j + 1 < c ? j + 1 : 0;
        case rotateRight:
            return j > 0 ? j - 1 : c - 1;
        case shiftLeft:
            return j + 1 < c ? j + 1 : -1;
        case shiftRight:
            return j - 1;
        default:
            return j;
    }
}

// Signatures by Rearrangement.
constexpr Signature rearrangeSignatures[] = {
    {"flipx", "matrix", {{takesNumeric}}},     {"flipy", "matrix", {{takesNumeric}}},
    {"rotleft", "matrix", {{takesNumeric}}},   {"rotright", "matrix", {{takesNumeric}}},
    {"shiftleft", "matrix", {{takesNumeric}}}, {"shiftright", "matrix", {{takesNumeric}}},
};

void rearrange(header* first, Rearrangement how) {
    const Arguments arguments(first, rearrangeSignatures[how]);
    if (!arguments) return;
    header* value = arguments[0];
    const MatrixValue a = arguments.matrix(0);
    if (a.scalar) {
        moveValueAsResult(first, value, flagUtf8);
        return;
    }
    header* result = pushMatrixOfKind(value->kind, a.rows, a.columns);
    if (!result) return;
    const int c = a.columns, w = a.width;
    double* out = matrixData(result);
    for (int i = 0; i < a.rows; i++) {
        const double* row = a.element(int64_t(how == flipRows ? a.rows - 1 - i : i) * c);
        for (int j = 0; j < c; j++, out += w) {
            const int from = sourceColumn(how, j, c);
            if (from < 0)
                std::fill_n(out, w, 0.0);
            else
                std::copy_n(row + int64_t(from) * w, w, out);
        }
    }
    moveResult(first, result);
}

template <Rearrangement how>
void builtinRearrange(header* first) {
    rearrange(first, how);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"cols", 1, 0, builtinCols},
    {"flipx", 1, 0, builtinRearrange<flipColumns>},
    {"flipy", 1, 0, builtinRearrange<flipRows>},
    {"linspace", 3, 0, builtinLinspace},
    {"ones", 1, 0, builtinOnes},
    {"ones", 2, 0, builtinOnes},
    {"redim", 2, 0, builtinRedim},
    {"redim", 3, 0, builtinRedim},
    {"rotleft", 1, 0, builtinRearrange<rotateLeft>},
    {"rotright", 1, 0, builtinRearrange<rotateRight>},
    {"rows", 1, 0, builtinRows},
    {"shiftleft", 1, 0, builtinRearrange<shiftLeft>},
    {"shiftright", 1, 0, builtinRearrange<shiftRight>},
    {"size", -1, 0, builtinSize},
    {"zeros", 1, 0, builtinZeros},
    {"zeros", 2, 0, builtinZeros},
};
KALIX_BUILTIN_FAMILY(matrixConstructionBuiltins, rows);

}  // namespace kalix
