// Kernels on compressed sparse matrices.
#include "numerics/sparse.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace kalix {

namespace {

bool inside(const SparseEntry& e, int rows, int columns) {
    return e.row >= 0 && e.row < rows && e.column >= 0 && e.column < columns;
}

// Strictly after `previous` in row-then-column order.
bool follows(const SparseEntry& e, const SparseEntry& previous) {
    return e.row > previous.row || (e.row == previous.row && e.column > previous.column);
}

const char* entryAt(const char* entries, int64_t k) { return entries + k * sparseEntryBytes; }
char* entryAt(char* entries, int64_t k) { return entries + k * sparseEntryBytes; }

// Offsets of the rows of a sorted, checked matrix: the entries of row r
// are start[r] .. start[r + 1] - 1.
bool rowStarts(const SparseMatrixView& m, std::vector<int64_t>& start) {
    start.assign(size_t(m.rows) + 1, 0);
    SparseEntry previous{-1, -1, 0};
    for (int64_t k = 0; k < m.count; k++) {
        const SparseEntry e = readSparseEntry(entryAt(m.entries, k));
        if (!inside(e, m.rows, m.columns) || !follows(e, previous)) return false;
        start[size_t(e.row) + 1]++;
        previous = e;
    }
    for (int r = 0; r < m.rows; r++) start[size_t(r) + 1] += start[size_t(r)];
    return true;
}

}  // namespace

SparseStatus compressDense(const double* a, int rows, int columns, double epsilon, char* out,
                           int64_t capacity, int64_t* count) {
    int64_t n = 0;
    for (int r = 0; r < rows; r++) {
        const double* row = a + int64_t(r) * columns;
        for (int c = 0; c < columns; c++) {
            if (!(std::fabs(row[c]) > epsilon)) continue;
            if (n == capacity) return SparseStatus::noRoom;
            writeSparseEntry(entryAt(out, n++), {c, r, row[c]});
        }
    }
    *count = n;
    return SparseStatus::ok;
}

SparseStatus expandEntries(const char* entries, int64_t count, int rows, int columns, double* out) {
    std::fill(out, out + int64_t(rows) * columns, 0.0);
    for (int64_t k = 0; k < count; k++) {
        const SparseEntry e = readSparseEntry(entryAt(entries, k));
        if (!inside(e, rows, columns)) return SparseStatus::badEntry;
        out[int64_t(e.row) * columns + e.column] = e.value;
    }
    return SparseStatus::ok;
}

SparseStatus multiplySparseDense(const char* entries, int64_t count, int rows, int columns,
                                 const double* b, int m, double* out) {
    std::fill(out, out + int64_t(rows) * m, 0.0);
    for (int64_t k = 0; k < count; k++) {
        const SparseEntry e = readSparseEntry(entryAt(entries, k));
        if (!inside(e, rows, columns)) return SparseStatus::badEntry;
        if (m == 1) {
            out[e.row] += e.value * b[e.column];
            continue;
        }
        double* row = out + int64_t(e.row) * m;
        const double* bRow = b + int64_t(e.column) * m;
        for (int j = 0; j < m; j++) row[j] += e.value * bRow[j];
    }
    return SparseStatus::ok;
}

namespace {

// Row by row of A, the products with the matching rows of B are summed in
// a dense accumulator; only the columns touched are cleared and emitted.
SparseStatus multiplyRows(const SparseMatrixView& a, const SparseMatrixView& b,
                          const std::vector<int64_t>& start, double epsilon, char* out,
                          int64_t capacity, int64_t* count) {
    std::vector<double> sum(size_t(b.columns), 0.0);
    std::vector<char> touched(size_t(b.columns), 0);
    std::vector<int> columns;
    int64_t n = 0;
    SparseEntry previous{-1, -1, 0};
    for (int64_t k = 0; k < a.count;) {
        const int row = readSparseEntry(entryAt(a.entries, k)).row;
        for (; k < a.count; k++) {
            const SparseEntry e = readSparseEntry(entryAt(a.entries, k));
            if (e.row != row) break;
            if (!inside(e, a.rows, a.columns) || !follows(e, previous))
                return SparseStatus::badEntry;
            previous = e;
            for (int64_t l = start[size_t(e.column)]; l < start[size_t(e.column) + 1]; l++) {
                const SparseEntry f = readSparseEntry(entryAt(b.entries, l));
                if (!touched[size_t(f.column)]) {
                    touched[size_t(f.column)] = 1;
                    columns.push_back(f.column);
                }
                sum[size_t(f.column)] += e.value * f.value;
            }
        }
        std::sort(columns.begin(), columns.end());
        for (int c : columns) {
            if (std::fabs(sum[size_t(c)]) > epsilon) {
                if (n == capacity) return SparseStatus::noRoom;
                writeSparseEntry(entryAt(out, n++), {c, row, sum[size_t(c)]});
            }
            sum[size_t(c)] = 0;
            touched[size_t(c)] = 0;
        }
        columns.clear();
    }
    *count = n;
    return SparseStatus::ok;
}

}  // namespace

SparseStatus multiplySparseSparse(const SparseMatrixView& a, const SparseMatrixView& b,
                                  double epsilon, char* out, int64_t capacity, int64_t* count) {
    try {
        std::vector<int64_t> start;
        if (!rowStarts(b, start)) return SparseStatus::badEntry;
        return multiplyRows(a, b, start, epsilon, out, capacity, count);
    } catch (const std::bad_alloc&) {
        return SparseStatus::noMemory;
    }
}

// A counting sort by the old column keeps the old row order within each
// new row, so the sorted input gives a sorted transpose.
SparseStatus transposeEntries(const char* entries, int64_t count, int rows, int columns,
                              char* out) {
    std::vector<int64_t> next;
    try {
        next.assign(size_t(columns) + 1, 0);
    } catch (const std::bad_alloc&) {
        return SparseStatus::noMemory;
    }
    SparseEntry previous{-1, -1, 0};
    for (int64_t k = 0; k < count; k++) {
        const SparseEntry e = readSparseEntry(entryAt(entries, k));
        if (!inside(e, rows, columns) || !follows(e, previous)) return SparseStatus::badEntry;
        next[size_t(e.column) + 1]++;
        previous = e;
    }
    for (int c = 0; c < columns; c++) next[size_t(c) + 1] += next[size_t(c)];
    for (int64_t k = 0; k < count; k++) {
        const SparseEntry e = readSparseEntry(entryAt(entries, k));
        writeSparseEntry(entryAt(out, next[size_t(e.column)]++), {e.row, e.column, e.value});
    }
    return SparseStatus::ok;
}

SparseStatus mergeEntries(const char* entries, int64_t count, const SparseEntry* updates,
                          int64_t updateCount, int rows, int columns, double epsilon, char* out,
                          int64_t* outCount) {
    // At one position the latest update sorts first, the old entry last.
    struct Ranked {
        SparseEntry e;
        int64_t rank;
    };
    std::vector<Ranked> all;
    try {
        all.reserve(size_t(count + updateCount));
    } catch (const std::bad_alloc&) {
        return SparseStatus::noMemory;
    }
    for (int64_t k = 0; k < count; k++) {
        const SparseEntry e = readSparseEntry(entryAt(entries, k));
        if (!inside(e, rows, columns)) return SparseStatus::badEntry;
        all.push_back({e, updateCount});
    }
    for (int64_t k = 0; k < updateCount; k++) {
        if (!inside(updates[k], rows, columns)) return SparseStatus::badEntry;
        all.push_back({updates[k], updateCount - 1 - k});
    }
    std::sort(all.begin(), all.end(), [](const Ranked& x, const Ranked& y) {
        if (x.e.row != y.e.row) return x.e.row < y.e.row;
        if (x.e.column != y.e.column) return x.e.column < y.e.column;
        return x.rank < y.rank;
    });
    int64_t n = 0;
    for (size_t k = 0; k < all.size(); k++) {
        const SparseEntry& e = all[k].e;
        const bool repeated = k > 0 && all[k - 1].e.row == e.row && all[k - 1].e.column == e.column;
        if (repeated || !(std::fabs(e.value) > epsilon)) continue;
        writeSparseEntry(entryAt(out, n++), e);
    }
    *outCount = n;
    return SparseStatus::ok;
}

SparseStatus seidelSweep(const char* entries, int64_t count, int n, const double* b,
                         const double* x, double w, double* y, bool (*interrupted)(), int* row) {
    std::copy_n(x, n, y);
    int64_t k = 0;
    for (int i = 0; i < n; i++) {
        if (interrupted && i % 4096 == 4095 && interrupted()) return SparseStatus::interrupted;
        const double old = y[i];
        double s = b[i], diagonal = 0;
        for (; k < count; k++) {
            const SparseEntry e = readSparseEntry(entryAt(entries, k));
            if (e.row > i) break;
            if (e.row < i || e.column < 0 || e.column >= n) return SparseStatus::badEntry;
            if (e.column == i)
                diagonal = e.value;
            else
                s -= e.value * y[e.column];
        }
        if (diagonal == 0) {
            *row = i;
            return SparseStatus::zeroDiagonal;
        }
        y[i] = w * (s / diagonal) + (1 - w) * old;
    }
    return k == count ? SparseStatus::ok : SparseStatus::badEntry;
}

}  // namespace kalix
