// Compressed sparse matrices (kind 14): `cpx`, `decpx`, `cpxzeros`,
// `cpxget`, `cpxset`, `cpxtranspose`, `cpxmult` and the Gauss-Seidel sweep
// `cpxseidel`.
#include <algorithm>
#include <cmath>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/matrix_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/sparse.h"
#include "platform/host.h"

namespace kalix {

namespace {

constexpr int64_t sparseHeadBytes = headerSize + 12;

SparseMatrixView viewOf(header* record) {
    return {sparseEntries(record), sparseEntryCount(record), sparseRows(record),
            sparseColumns(record)};
}

// Room for entries behind a compressed head pushed at the stack top (as
// `openCompressed` does), at most what an entry count can hold.
int64_t entryCapacity() {
    const int64_t room = ramend - newram - sparseHeadBytes - 8;
    return room > 0 ? std::min<int64_t>(room / sparseEntryBytes, 2147483647) : 0;
}

// Pushes a compressed head whose entries are written behind it before the
// record is closed with `closeCompressed`.
header* openCompressed(int rows, int columns) {
    if (ramend - newram < sparseHeadBytes + 8) {
        reportOutOfMemory();
        return nullptr;
    }
    header* record = pushCompressedMatrix(rows, columns, 0);
    return errorCode ? nullptr : record;
}

// Sets the entry count and lets the record (and the stack top) end after
// the last entry, rounded up to 8 bytes.
void closeCompressed(header* record, int64_t count) {
    sparseEntryCount(record) = int32_t(count);
    const int64_t size = sparseHeadBytes + count * sparseEntryBytes;
    record->size = (size + 7) & ~int64_t(7);
    newram = endOf(record);
}

// Whether a kernel succeeded; otherwise "Out of Memory!" when its output
// did not fit, else the compressed matrix is refused for its entries (the
// record does not hold what its head says).
bool kernelDone(SparseStatus status, const Arguments& arguments) {
    if (status == SparseStatus::ok) return true;
    if (status == SparseStatus::noRoom || status == SparseStatus::noMemory)
        reportOutOfMemory();
    else
        arguments.need("compressed matrix");
    return false;
}

constexpr Signature cpxSignature = {"cpx", "real matrix", {{takesRealMatrix}}};

void builtinCpx(header* first) {
    const Arguments arguments(first, cpxSignature);
    if (!arguments) return;
    const MatrixValue a = arguments.matrix(0);
    const int64_t capacity = entryCapacity();
    header* result = openCompressed(a.rows, a.columns);
    if (!result) return;
    int64_t count = 0;
    if (compressDense(a.data, a.rows, a.columns, currentEpsilon, sparseEntries(result), capacity,
                      &count) != SparseStatus::ok) {
        fail(errorFailed, "Stack overflow in compress!\n");
        return;
    }
    closeCompressed(result, count);
    moveResult(first, result);
}

constexpr Signature decpxSignature = {"decpx", "compressed matrix", {{takesCompressed}}};

void builtinDecpx(header* first) {
    const Arguments arguments(first, decpxSignature);
    if (!arguments) return;
    header* a = arguments[0];
    header* result = pushMatrixOfKind(kindRealMatrix, sparseRows(a), sparseColumns(a));
    if (!result) return;
    if (kernelDone(expandEntries(sparseEntries(a), sparseEntryCount(a), sparseRows(a),
                                 sparseColumns(a), matrixData(result)),
                   arguments))
        moveResult(first, result);
}

void builtinCpxzeros(header* first) {
    int rows = 0, columns = 0;
    readSizeArguments(first, &rows, &columns, "cpxzeros");
    if (errorCode) return;
    header* result = pushCompressedMatrix(rows, columns, 0);
    if (!errorCode) moveResult(first, result);
}

constexpr Signature cpxgetSignature = {
    .builtin = "cpxget",
    .rules = {{takesCompressed}},
    .refusal = {errorFailed, "Need a compressed matrix for cpxmatrix.\n"}};

void builtinCpxget(header* first) {
    const Arguments arguments(first, cpxgetSignature);
    if (!arguments) return;
    header* a = arguments[0];
    const int count = sparseEntryCount(a);
    header* result = pushMatrixOfKind(kindRealMatrix, count, 3);
    if (!result) return;
    double* out = matrixData(result);
    const char* entry = sparseEntries(a);
    for (int k = 0; k < count; k++, entry += sparseEntryBytes, out += 3) {
        const SparseEntry e = readSparseEntry(entry);
        out[0] = e.row + 1.0;
        out[1] = e.column + 1.0;
        out[2] = e.value;
    }
    moveResult(first, result);
}

// The rows (i, j, v) of M whose i and j are at least 1, as 0-based entries;
// the size grows to hold them. False for an index beyond the int range.
bool readUpdates(header* m, int* rows, int* columns, std::vector<SparseEntry>* updates) {
    const double* row = matrixData(m);
    for (int k = 0; k < matrixRows(m); k++, row += 3) {
        const double i = std::trunc(row[0]), j = std::trunc(row[1]);
        if (!(i >= 1 && j >= 1)) continue;
        if (i > 2147483647 || j > 2147483647) return false;
        updates->push_back({int32_t(j) - 1, int32_t(i) - 1, row[2]});
        *rows = std::max(*rows, int(i));
        *columns = std::max(*columns, int(j));
    }
    return true;
}

constexpr Signature cpxsetSignature = {
    "cpxset",
    "compressed matrix, nx3 matrix",
    {{takesCompressed}, {.kinds = takesRealMatrix, .columns = 3}}};

void builtinCpxset(header* first) {
    const Arguments arguments(first, cpxsetSignature);
    if (!arguments) return;
    header *a = arguments[0], *m = arguments[1];
    int rows = sparseRows(a), columns = sparseColumns(a);
    std::vector<SparseEntry> updates;
    if (!readUpdates(m, &rows, &columns, &updates)) return arguments.refuse();
    const int64_t count = sparseEntryCount(a);
    if (count + int64_t(updates.size()) > entryCapacity()) {
        reportOutOfMemory();
        return;
    }
    header* result = openCompressed(rows, columns);
    if (!result) return;
    int64_t merged = count;
    if (updates.empty()) {
        std::copy_n(sparseEntries(a), count * sparseEntryBytes, sparseEntries(result));
    } else {
        const SparseStatus status =
            mergeEntries(sparseEntries(a), count, updates.data(), int64_t(updates.size()), rows,
                         columns, currentEpsilon, sparseEntries(result), &merged);
        if (!kernelDone(status, arguments)) return;
    }
    closeCompressed(result, merged);
    moveResult(first, result);
}

constexpr Signature cpxtransposeSignature = {
    "cpxtranspose", "compressed matrix", {{takesCompressed}}};

void builtinCpxtranspose(header* first) {
    const Arguments arguments(first, cpxtransposeSignature);
    if (!arguments) return;
    header* a = arguments[0];
    const int64_t count = sparseEntryCount(a);
    if (count > entryCapacity()) {
        reportOutOfMemory();
        return;
    }
    header* result = openCompressed(sparseColumns(a), sparseRows(a));
    if (!result) return;
    const SparseStatus status = transposeEntries(sparseEntries(a), count, sparseRows(a),
                                                 sparseColumns(a), sparseEntries(result));
    if (!kernelDone(status, arguments)) return;
    closeCompressed(result, count);
    moveResult(first, result);
}

constexpr Signature cpxmultSignature = {"cpxmult",
                                        "compressed matrix, real or compressed matrix",
                                        {{takesCompressed}, {takesCompressed | takesRealMatrix}}};

void builtinCpxmult(header* first) {
    const Arguments arguments(first, cpxmultSignature);
    if (!arguments) return;
    header* const values[2] = {arguments[0], arguments[1]};
    header *a = values[0], *b = values[1];
    const bool compressed = b->kind == kindCompressedMatrix;
    const MatrixValue dense = compressed ? MatrixValue{} : arguments.matrix(1);
    const int bRows = compressed ? sparseRows(b) : dense.rows;
    const int bColumns = compressed ? sparseColumns(b) : dense.columns;
    if (sparseColumns(a) != bRows) {
        fail(errorFailed, "Cannot multiply a %dx%d and a %dx%d matrix\n", sparseRows(a),
             sparseColumns(a), bRows, bColumns);
        return;
    }
    SparseStatus status;
    header* result;
    if (!compressed) {
        reuseArgumentSpace(first, values, 2);
        result = pushMatrixOfKind(kindRealMatrix, sparseRows(a), bColumns);
        if (!result) return;
        status = multiplySparseDense(sparseEntries(a), sparseEntryCount(a), sparseRows(a),
                                     sparseColumns(a), dense.data, bColumns, matrixData(result));
    } else {
        const int64_t capacity = entryCapacity();
        result = openCompressed(sparseRows(a), bColumns);
        if (!result) return;
        int64_t count = 0;
        status = multiplySparseSparse(viewOf(a), viewOf(b), currentEpsilon, sparseEntries(result),
                                      capacity, &count);
        if (status == SparseStatus::ok) closeCompressed(result, count);
    }
    if (kernelDone(status, arguments)) moveResult(first, result);
}

constexpr Signature cpxseidelSignature = {
    "cpxseidel",
    "compressed matrix, real column vector, real column vector, real",
    {{takesCompressed},
     {.kinds = takesRealMatrix, .columns = 1},
     {.kinds = takesRealMatrix, .columns = 1},
     {takesReal}}};

void builtinCpxseidel(header* first) {
    const Arguments arguments(first, cpxseidelSignature);
    if (!arguments) return;
    header* a = arguments[0];
    const MatrixValue b = arguments.matrix(1), x = arguments.matrix(2);
    const int n = sparseRows(a);
    if (sparseColumns(a) != n || b.rows != n || x.rows != n) return arguments.refuse();
    header* y = pushMatrixOfKind(kindRealMatrix, n, 1);
    if (!y) return;
    int row = 0;
    switch (seidelSweep(sparseEntries(a), sparseEntryCount(a), n, b.data, x.data, arguments.real(3),
                        matrixData(y), escapePressed, &row)) {
        case SparseStatus::ok:
            moveResult(first, y);
            return;
        case SparseStatus::zeroDiagonal:
            fail(errorFailed, "Diagonal element (%d,%d) is zero in cpxseidel!\n", row + 1, row + 1);
            return;
        case SparseStatus::interrupted:
            reportInterrupted();
            return;
        default:  // entries that are not what the head says
            arguments.need("compressed matrix");
            return;
    }
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"cpx", 1, 0, builtinCpx},           {"cpxget", 1, 0, builtinCpxget},
    {"cpxmult", 2, 0, builtinCpxmult},   {"cpxseidel", 4, 0, builtinCpxseidel},
    {"cpxset", 2, 0, builtinCpxset},     {"cpxtranspose", 1, 0, builtinCpxtranspose},
    {"cpxzeros", 1, 0, builtinCpxzeros}, {"cpxzeros", 2, 0, builtinCpxzeros},
    {"decpx", 1, 0, builtinDecpx},
};
KALIX_BUILTIN_FAMILY(sparseMatrixBuiltins, rows);

}  // namespace kalix
