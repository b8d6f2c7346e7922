// Sorting and uniqueness: sort (real vectors and string vectors), lexsort
// (rows of a real matrix) and unique (distinct values of a real row). Each
// gives the ordered values and the 1-based positions they had, so that the
// permutation can be applied to other data. The work arrays lie above the
// results and go when the results are moved down.
#include <cstring>

#include "builtins/concatenation.h"
#include "builtins/matrix_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/sorting.h"

namespace kalix {

namespace {

// `bytes` of work space at the stack top, or null with `message` and error
// 120 when they do not fit.
void* reserveWork(int64_t bytes, const char* message) {
    bytes = (bytes + 7) & ~int64_t(7);
    if (bytes > ramend - newram) {
        fail(errorOutOfMemory, "%s", message);
        return nullptr;
    }
    void* work = newram;
    newram += bytes;
    return work;
}

// Drops the work space above `last` and moves the results from `results` on
// down over the first argument.
void moveResultsDown(header* first, header* results, header* last) {
    newram = endOf(last);
    moveResults(first, results);
}

// Sorts n values into `sorted` and their 1-based positions into
// `positions`: ascending, NaN last, equal values in their original order.
// False after "Out of memory!".
bool sortValues(const double* values, int64_t n, double* sorted, double* positions) {
    void* scratch = reserveWork(doubleSortScratchBytes(n), "Out of memory!\n");
    if (!scratch) return false;
    sortDoubles(values, uint32_t(n), sorted, positions, scratch);
    for (int64_t i = 0; i < n; i++) positions[i] += 1;
    return true;
}

// A nonempty real vector.
void sortRealVector(header* first, const MatrixValue& v) {
    header* sorted = pushMatrixOfKind(kindRealMatrix, v.rows, v.columns);
    if (!sorted) return;
    header* positions = pushMatrixOfKind(kindRealMatrix, v.rows, v.columns);
    if (!positions) return;
    if (!sortValues(v.data, v.count(), matrixData(sorted), matrixData(positions))) return;
    moveResultsDown(first, sorted, positions);
}

// Strings in unsigned byte order, a prefix before the longer string.
void sortStringVector(header* first, header* value) {
    static const char noRoom[] = "Out of Memory!\n";
    const int n = countStrings(value);
    auto* table = static_cast<const char**>(reserveWork(8 * int64_t(n), noRoom));
    if (!table) return;
    auto* order = static_cast<uint32_t*>(reserveWork(8 * int64_t(n), noRoom));
    if (!order) return;
    const char* text = stringOf(value);
    for (int i = 0; i < n; i++, text += std::strlen(text) + 1) {
        table[i] = text;
        order[i] = uint32_t(i);
    }
    mergeSortPositions(order, order + n, n, [table](uint32_t a, uint32_t b) {
        return compareStrings(table[a], table[b]) < 0;
    });
    const int64_t bytes = text - stringOf(value);
    if (bytes + 1 + 2 * headerSize + 8 + 8 * int64_t(n) > ramend - newram) {
        fail(errorOutOfMemory, "%s", noRoom);
        return;
    }
    char* data = pushHeader(kindStringMatrix, headerSize + bytes + 1, "");
    if (!data) return;
    header* sorted = recordAt(data - headerSize);
    sorted->flags = value->flags & flagUtf8;
    for (int i = 0; i < n; i++) {
        const size_t length = std::strlen(table[order[i]]) + 1;
        std::memcpy(data, table[order[i]], length);
        data += length;
    }
    *data++ = 1;
    std::memset(data, 0, endOf(sorted) - data);
    header* positions = pushMatrixOfKind(kindRealMatrix, 1, n);
    if (!positions) return;
    for (int i = 0; i < n; i++) matrixData(positions)[i] = double(order[i]) + 1;
    moveResults(first, sorted);
}

constexpr Signature sortSignature = {
    "sort", "real or string vector", {{takesRealMatrix | takesStringVector | takesString}}};

void builtinSort(header* first) {
    const Arguments a(first, sortSignature);
    if (!a) return;
    if (a[0]->kind == kindStringMatrix) return sortStringVector(first, a[0]);
    if (a[0]->kind == kindString) return moveValueAsResult(first, a[0], flagUtf8);
    const MatrixValue v = a.matrix(0);
    if (!v.isVector()) return a.need("1xn or nx1 vector");
    if (v.count() == 0) return a.need("nonempty real vector");
    sortRealVector(first, v);
}

// Rows compared from the first column; a NaN on either side decides nothing.
constexpr Signature lexsortSignature = {"lexsort", "real matrix", {{takesRealMatrix}}};

void builtinLexsort(header* first) {
    const Arguments arguments(first, lexsortSignature);
    if (!arguments) return;
    const MatrixValue a = arguments.matrix(0);
    if (a.count() == 0) return arguments.need("nonempty real matrix");
    header* sorted = pushMatrixOfKind(kindRealMatrix, a.rows, a.columns);
    if (!sorted) return;
    header* positions = pushMatrixOfKind(kindRealMatrix, 1, a.rows);
    if (!positions) return;
    auto* order = static_cast<uint32_t*>(reserveWork(8 * int64_t(a.rows), "Out of memory!\n"));
    if (!order) return;
    for (int i = 0; i < a.rows; i++) order[i] = uint32_t(i);
    const int columns = a.columns;
    const double* data = a.data;
    mergeSortPositions(order, order + a.rows, a.rows, [data, columns](uint32_t x, uint32_t y) {
        return compareRows(data + int64_t(x) * columns, data + int64_t(y) * columns, columns) < 0;
    });
    for (int i = 0; i < a.rows; i++) {
        std::memcpy(matrixData(sorted) + int64_t(i) * columns, data + int64_t(order[i]) * columns,
                    8 * size_t(columns));
        matrixData(positions)[i] = double(order[i]) + 1;
    }
    moveResultsDown(first, sorted, positions);
}

// The distinct values in ascending order, each with the position of the
// element that ends its run of equal values in the sorted order (the last
// of them). NaNs are never equal: each stays.
constexpr Signature uniqueSignature = {"unique", "real matrix", {{takesRealMatrix}}};

void builtinUnique(header* first) {
    const Arguments a(first, uniqueSignature);
    if (!a) return;
    const MatrixValue v = a.matrix(0);
    if (v.rows != 1 && !(v.rows == 0 && v.columns == 0)) return a.need("real row vector");
    const int64_t n = v.columns;
    if (n == 0) {
        header* values = pushRealMatrix(1, 0);
        if (!errorCode) pushRealMatrix(1, 0);
        if (!errorCode) moveResults(first, values);
        return;
    }
    auto* order = static_cast<double*>(reserveWork(16 * n, "Out of memory!\n"));
    if (!order) return;
    double* sorted = order + n;
    if (!sortValues(v.data, n, sorted, order)) return;
    int64_t k = 1;
    for (int64_t i = 0; i + 1 < n; i++) k += sorted[i] != sorted[i + 1];
    // The results lie above the work space; moving them down drops it.
    header* values = pushMatrixOfKind(kindRealMatrix, 1, int(k));
    if (!values) return;
    header* positions = pushMatrixOfKind(kindRealMatrix, 1, int(k));
    if (!positions) return;
    double* out = matrixData(values);
    double* places = matrixData(positions);
    for (int64_t i = 0, j = 0; i < n; i++) {
        if (i + 1 < n && sorted[i] == sorted[i + 1]) continue;
        out[j] = sorted[i];
        places[j++] = order[i];
    }
    moveResults(first, values);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"lexsort", 1, 0, builtinLexsort},
    {"sort", 1, 0, builtinSort},
    {"unique", 1, 0, builtinUnique},
};
KALIX_BUILTIN_FAMILY(sortingBuiltins, rows);

}  // namespace kalix
