// Compressed sparse matrices: lists of the stored entries of a real matrix,
// each 16 bytes packed as int32 column, int32 row (both from 0) and a double
// that is not 8-byte aligned (read and written with memcpy). Entries are
// sorted by row, then column, and no two share a position.
#pragma once

#include <cstdint>
#include <cstring>

namespace kalix {

constexpr int sparseEntryBytes = 16;

struct SparseEntry {
    int32_t column, row;
    double value;
};

inline SparseEntry readSparseEntry(const char* p) {
    SparseEntry e;
    std::memcpy(&e.column, p, 4);
    std::memcpy(&e.row, p + 4, 4);
    std::memcpy(&e.value, p + 8, 8);
    return e;
}

inline void writeSparseEntry(char* p, const SparseEntry& e) {
    std::memcpy(p, &e.column, 4);
    std::memcpy(p + 4, &e.row, 4);
    std::memcpy(p + 8, &e.value, 8);
}

enum class SparseStatus {
    ok,
    noRoom,        // the output does not fit its capacity
    badEntry,      // an entry lies outside the matrix or out of order
    zeroDiagonal,  // Gauss-Seidel met a row without a non-zero diagonal
    interrupted,
    noMemory,
};

// The entries of the dense rows x columns matrix with |x| > epsilon, row
// by row, into `out` (room for `capacity` entries); the count in `*count`.
SparseStatus compressDense(const double* a, int rows, int columns, double epsilon, char* out,
                           int64_t capacity, int64_t* count);

// The dense rows x columns matrix of the entries (zeros elsewhere).
SparseStatus expandEntries(const char* entries, int64_t count, int rows, int columns, double* out);

// out (rows x m) = A (rows x columns, compressed) times the dense b
// (columns x m).
SparseStatus multiplySparseDense(const char* entries, int64_t count, int rows, int columns,
                                 const double* b, int m, double* out);

// The compressed product of A (aRows x aColumns) and B (aColumns x
// bColumns), both compressed; entries with |x| <= epsilon are left out.
struct SparseMatrixView {
    const char* entries;
    int64_t count;
    int rows, columns;
};
SparseStatus multiplySparseSparse(const SparseMatrixView& a, const SparseMatrixView& b,
                                  double epsilon, char* out, int64_t capacity, int64_t* count);

// The entries of the transpose (columns x rows), sorted.
SparseStatus transposeEntries(const char* entries, int64_t count, int rows, int columns, char* out);

// The entries of A with the updates applied: an update replaces the entry
// at its position, a later update replaces an earlier one, and every entry
// with |x| <= epsilon is dropped. Updates lie inside rows x columns; `out`
// has room for count + updateCount entries.
SparseStatus mergeEntries(const char* entries, int64_t count, const SparseEntry* updates,
                          int64_t updateCount, int rows, int columns, double epsilon, char* out,
                          int64_t* outCount);

// One relaxed Gauss-Seidel sweep for the n x n system A y = b: y starts as
// x, and row by row y_i = w (b_i - sum of a_ic y_c, c != i) / a_ii +
// (1 - w) y_i, using the new values of the rows above. A row without a
// non-zero diagonal stops with `zeroDiagonal` and its index in `*row`.
// `interrupted` (may be null) is polled every few thousand rows.
SparseStatus seidelSweep(const char* entries, int64_t count, int n, const double* b,
                         const double* x, double w, double* y, bool (*interrupted)(), int* row);

}  // namespace kalix
