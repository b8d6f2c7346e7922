// LU decomposition, triangular solves and the dense solver.
#include "numerics/lu.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "numerics/blocked_transpose.h"
#include "numerics/complex_pairs.h"
#include "numerics/lapack_library.h"
#include "numerics/vector_width.h"

namespace kalix {

namespace {

// --- rank-revealing decomposition in place -----------------------------------

// The elimination is blocked by columns: a block of columns is factored on
// its own (recursively, in halves), then its pivots update the columns to the
// right of it in one pass, whose inner loops run along rows. Every element
// still receives the same updates row[l] -= f * pivotRow[l], one at a time,
// in the order of the pivots, so the result is that of the column-by-column
// elimination bit for bit.

// State of one decomposition. Pivot t lies in position t of the permutation.
template <typename E>
struct Elimination {
    E* a = nullptr;
    int n = 0, m = 0;
    double epsilon = 0;
    int* permutation = nullptr;
    int* pivotColumns = nullptr;
    int j = 0;        // pivots found so far, the position of the next one
    int visited = 0;  // columns visited by the column loop
    int sign = 1;
    E determinant = unitOf<E>();
    std::vector<int> columnOf;  // the column of each pivot
    // Bit row * m + k: the stored row held an exact 0 in column k when that
    // column's pivot eliminated it, so it took no update from that pivot.
    // Empty when updates are not deferred.
    std::vector<uint64_t> skipped;
    // By stored row: the last column whose multiplier was 0 (or skipped), -1.
    std::vector<int> lastZero;

    E* row(int position) const { return a + int64_t(permutation[position]) * m; }
    void markSkipped(int position, int k) {
        const int64_t bit = int64_t(permutation[position]) * m + k;
        skipped[size_t(bit >> 6)] |= uint64_t(1) << (bit & 63);
    }
    // Whether the row in `position` takes the update of pivot t (whose
    // multiplier it holds in f).
    bool takes(int position, int t, const E& f) const {
        if (!isZero(f)) return true;
        const int64_t bit = int64_t(permutation[position]) * m + columnOf[size_t(t)];
        return !(skipped[size_t(bit >> 6)] >> (bit & 63) & 1);
    }
};

// The column loop for the columns [k0, k1): pivot search, exchange in the
// permutation and elimination below the pivot, updating the columns up to
// `end` only.
template <typename E>
void eliminateColumns(Elimination<E>& e, int k0, int k1, int end) {
    const bool deferred = !e.skipped.empty();
    for (int k = k0; k < k1 && e.j < e.n; k++) {
        e.visited = k + 1;
        const int j = e.j;
        int p = j;
        double best = magnitude(e.row(j)[k]);
        for (int i = j + 1; i < e.n; i++) {
            const double v = magnitude(e.row(i)[k]);
            if (v > best) {
                best = v;
                p = i;
            }
        }
        if (best < e.epsilon) {
            e.sign = 0;
            e.pivotColumns[k] = 0;
            continue;
        }
        e.pivotColumns[k] = 1;
        if (deferred) e.columnOf.push_back(k);  // reserved: never allocates
        e.determinant = e.determinant * e.row(p)[k];
        if (p != j) {
            e.sign = -e.sign;
            std::swap(e.permutation[p], e.permutation[j]);
        }
        const E* pivotRow = e.row(j);
        const E pivot = pivotRow[k];
        for (int i = j + 1; i < e.n; i++) {
            E* row = e.row(i);
            if (isZero(row[k])) {
                if (deferred) {
                    e.markSkipped(i, k);
                    e.lastZero[size_t(e.permutation[i])] = k;
                }
                continue;
            }
            const E f = row[k] / pivot;
            row[k] = f;
            if (deferred && isZero(f)) e.lastZero[size_t(e.permutation[i])] = k;
            for (int l = k + 1; l < end; l++) row[l] -= f * pivotRow[l];
        }
        e.j++;
    }
}

// Updates of the columns [c0, c1) of the row in `position` by the pivots
// [t0, t1), in order, as the column loop makes them.
template <typename E>
void updateRow(const Elimination<E>& e, int position, int t0, int t1, int c0, int c1) {
    E* row = e.row(position);
    for (int t = t0; t < t1; t++) {
        const E f = row[e.columnOf[size_t(t)]];
        if (!e.takes(position, t, f)) continue;
        const E* pivotRow = e.row(t);
        for (int l = c0; l < c1; l++) row[l] -= f * pivotRow[l];
    }
}

// --- the update of real rows in registers ---

// Row tiles of this many rows are updated together, by slices of at most
// pivotSlice pivots.
constexpr int tileRows = 4, pivotSlice = 128;

// Updates of the columns [c0, c1) of `rows` rows (`row` pointers, 1 or
// tileRows) by `count` pivots: row[r][l] -= f[r][t] * upper[t][l]
// for t = 0, 1, ..., one product and one difference at a time. The tile of
// C vectors of type V of every row stays in registers across the pivots.
template <typename V>
inline __attribute__((always_inline)) void loadVector(V& v, const double* p) {
    std::memcpy(&v, p, sizeof v);
}

template <typename V, int R, int C>
inline __attribute__((always_inline)) int updateTiles(double* const* row, const double* const* f,
                                                      const double* const* upper, int count, int c0,
                                                      int c1) {
    constexpr int width = int(sizeof(V) / sizeof(double)) * C;
    int l = c0;
    for (; l + width <= c1; l += width) {
        V sums[R][C];
        for (int r = 0; r < R; r++)
            for (int c = 0; c < C; c++) loadVector(sums[r][c], row[r] + l + c * (width / C));
        for (int t = 0; t < count; t++) {
            V u[C];
            for (int c = 0; c < C; c++) loadVector(u[c], upper[t] + l + c * (width / C));
            for (int r = 0; r < R; r++) {
                const double factor = f[r][t];
                for (int c = 0; c < C; c++) sums[r][c] = sums[r][c] - factor * u[c];
            }
        }
        for (int r = 0; r < R; r++)
            for (int c = 0; c < C; c++)
                std::memcpy(row[r] + l + c * (width / C), &sums[r][c], sizeof(V));
    }
    return l;
}

// The columns in tiles of C vectors V, what is left in narrower vectors and
// the last columns one at a time.
template <typename V, int R, int C>
inline __attribute__((always_inline)) void updateRealRows(double* const* row,
                                                          const double* const* f,
                                                          const double* const* upper, int count,
                                                          int c0, int c1) {
    int l = updateTiles<V, R, C>(row, f, upper, count, c0, c1);
    l = updateTiles<Doubles4, R, 1>(row, f, upper, count, l, c1);
    l = updateTiles<Doubles2, R, 1>(row, f, upper, count, l, c1);
    for (; l < c1; l++)
        for (int r = 0; r < R; r++) {
            double s = row[r][l];
            for (int t = 0; t < count; t++) s = s - f[r][t] * upper[t][l];
            row[r][l] = s;
        }
}

using RealRowsUpdate = void (*)(int rows, double* const* row, const double* const* f,
                                const double* const* upper, int count, int c0, int c1);

template <typename V, int C>
inline __attribute__((always_inline)) void updateRealRowsOf(int rows, double* const* row,
                                                            const double* const* f,
                                                            const double* const* upper, int count,
                                                            int c0, int c1) {
    if (rows == tileRows)
        updateRealRows<V, tileRows, C>(row, f, upper, count, c0, c1);
    else
        updateRealRows<V, 1, C>(row, f, upper, count, c0, c1);
}

void updateRealRowsBasic(int rows, double* const* row, const double* const* f,
                         const double* const* upper, int count, int c0, int c1) {
    updateRealRowsOf<Doubles2, 2>(rows, row, f, upper, count, c0, c1);
}

KALIX_VECTORS_AVX2 void updateRealRowsAvx2(int rows, double* const* row, const double* const* f,
                                           const double* const* upper, int count, int c0, int c1) {
    updateRealRowsOf<Doubles4, 2>(rows, row, f, upper, count, c0, c1);
}

KALIX_VECTORS_AVX512 void updateRealRowsAvx512(int rows, double* const* row, const double* const* f,
                                               const double* const* upper, int count, int c0,
                                               int c1) {
    updateRealRowsOf<Doubles8, 3>(rows, row, f, upper, count, c0, c1);
}

// The updates of pivots [s0, s1) to the columns [l0, l1): rows s0 + 1 ...
// s1 - 1 (pivot rows themselves, each done before it serves below) take the
// pivots above them, the rows from s1 on all of them.
template <typename E>
void updateSlice(const Elimination<E>& e, int s0, int s1, int l0, int l1) {
    for (int i = s0 + 1; i < s1; i++) updateRow(e, i, s0, i, l0, l1);
    for (int i = s1; i < e.n; i++) updateRow(e, i, s0, s1, l0, l1);
}

// Real rows go through the registers, in tiles of rows, unless one of their
// multipliers is 0 (a row may skip that pivot).
void updateSlice(const Elimination<double>& e, int s0, int s1, int l0, int l1) {
    static const RealRowsUpdate update =
        forWidestVectors(updateRealRowsBasic, updateRealRowsAvx2, updateRealRowsAvx512);
    const double* upper[pivotSlice];
    for (int t = s0; t < s1; t++) upper[t - s0] = e.row(t);
    const int k0 = e.columnOf[size_t(s0)];
    // The multipliers of a row lie side by side unless a column was skipped.
    const bool together = e.columnOf[size_t(s1 - 1)] - k0 == s1 - 1 - s0;
    double gathered[tileRows][pivotSlice];
    double* row[tileRows];
    const double* f[tileRows];
    // Rows from `position` on, 1 or tileRows of them, by the pivots s0 ...
    // s0 + count - 1.
    const auto updateRows = [&](int position, int rows, int count) {
        bool inRegisters = true;
        for (int r = 0; r < rows; r++) {
            row[r] = e.row(position + r);
            if (e.lastZero[size_t(e.permutation[position + r])] >= k0) inRegisters = false;
            if (together) {
                f[r] = row[r] + k0;
            } else {
                for (int t = 0; t < count; t++) gathered[r][t] = row[r][e.columnOf[size_t(s0 + t)]];
                f[r] = gathered[r];
            }
        }
        if (inRegisters)
            update(rows, row, f, upper, count, l0, l1);
        else
            for (int r = 0; r < rows; r++) updateRow(e, position + r, s0, s0 + count, l0, l1);
    };
    for (int i = s0 + 1; i < s1; i++) updateRows(i, 1, i - s0);
    int i = s1;
    for (; i + tileRows <= e.n; i += tileRows) updateRows(i, tileRows, s1 - s0);
    for (; i < e.n; i++) updateRows(i, 1, s1 - s0);
}

// The updates of pivots [t0, t1) to the columns [c0, c1) of the rows below
// them, in slices of pivots and of columns that stay in the cache.
template <typename E>
void updateColumns(const Elimination<E>& e, int t0, int t1, int c0, int c1) {
    constexpr int columnSlice = 512 / int(sizeof(E) / sizeof(double));
    for (int s0 = t0; s0 < t1; s0 += pivotSlice) {
        const int s1 = std::min(t1, s0 + pivotSlice);
        for (int l0 = c0; l0 < c1; l0 += columnSlice)
            updateSlice(e, s0, s1, l0, std::min(c1, l0 + columnSlice));
    }
}

// Columns narrower than this are eliminated column by column.
constexpr int leafColumns = 16;

template <typename E>
void eliminateBlock(Elimination<E>& e, int k0, int k1) {
    if (k1 - k0 <= leafColumns) {
        eliminateColumns(e, k0, k1, k1);
        return;
    }
    const int middle = k0 + (k1 - k0) / 2;
    const int t0 = e.j;
    eliminateBlock(e, k0, middle);
    if (e.j > t0) updateColumns(e, t0, e.j, middle, k1);
    if (e.j < e.n) eliminateBlock(e, middle, k1);
}

template <typename E>
LuResult decomposeInPlace(E* a, int n, int m, double epsilon, int* permutation, int* pivotColumns) {
    for (int i = 0; i < n; i++) permutation[i] = i;
    Elimination<E> e;
    e.a = a;
    e.n = n;
    e.m = m;
    e.epsilon = epsilon;
    e.permutation = permutation;
    e.pivotColumns = pivotColumns;
    bool blocked = m > leafColumns && n > 1;
    if (blocked) {
        try {
            e.columnOf.reserve(size_t(std::min(n, m)));
            e.skipped.assign(size_t((int64_t(n) * m + 63) / 64), 0);
            e.lastZero.assign(size_t(n), -1);
        } catch (const std::bad_alloc&) {
            blocked = false;
            e.skipped.clear();
        }
    }
    if (blocked)
        eliminateBlock(e, 0, m);
    else
        eliminateColumns(e, 0, m, m);
    if (e.j < n || e.visited < m) e.sign = 0;
    for (int l = e.visited; l < m; l++) pivotColumns[l] = 0;
    LuResult result;
    result.rank = e.j;
    // A rank-deficient matrix reports +0, never -0.
    if (e.sign != 0) {
        const E d = double(e.sign) * e.determinant;
        std::copy_n(reinterpret_cast<const double*>(&d), sizeof(E) / sizeof(double),
                    result.determinant);
    }
    return result;
}

// --- triangular solves --------------------------------------------------------

// Row-oriented substitutions: each element of x sees the same products in
// the same order as the column-by-column textbook form.
template <typename E>
SolveStatus solveTriangular(const E* lu, int n, const E* b, int m, E* x) {
    for (int l = 0; l < n; l++)
        if (isZero(lu[int64_t(l) * n + l])) return SolveStatus::singular;
    std::vector<E> sums;
    try {
        sums.resize(size_t(m));
    } catch (const std::bad_alloc&) {
        return SolveStatus::noMemory;
    }
    for (int l = 0; l < n; l++) {
        E* xl = x + int64_t(l) * m;
        std::copy_n(b + int64_t(l) * m, m, xl);
        const E* row = lu + int64_t(l) * n;
        for (int q = 0; q < l; q++) {
            const E f = row[q];
            const E* xq = x + int64_t(q) * m;
            for (int c = 0; c < m; c++) xl[c] -= f * xq[c];
        }
    }
    for (int l = n - 1; l >= 0; l--) {
        E* xl = x + int64_t(l) * m;
        const E* row = lu + int64_t(l) * n;
        std::fill(sums.begin(), sums.end(), E{});
        for (int q = l + 1; q < n; q++) {
            const E f = row[q];
            const E* xq = x + int64_t(q) * m;
            for (int c = 0; c < m; c++) sums[c] += f * xq[c];
        }
        const E diagonal = row[l];
        for (int c = 0; c < m; c++) xl[c] = (xl[c] - sums[c]) / diagonal;
    }
    return SolveStatus::ok;
}

// --- the dense solver through LAPACK --------------------------------------------

lapack_int factor(const LapackLibrary& lapack, double* a, int n, lapack_int* pivots) {
    return lapack.dgetrf_work(LAPACK_COL_MAJOR, n, n, a, n, pivots);
}
lapack_int factor(const LapackLibrary& lapack, ComplexPair* a, int n, lapack_int* pivots) {
    return lapack.zgetrf_work(LAPACK_COL_MAJOR, n, n, reinterpret_cast<lapack_complex_double*>(a),
                              n, pivots);
}
lapack_int substitute(const LapackLibrary& lapack, const double* a, int n, const lapack_int* pivots,
                      double* b, int m) {
    return lapack.dgetrs_work(LAPACK_COL_MAJOR, 'N', n, m, a, n, pivots, b, n);
}
lapack_int substitute(const LapackLibrary& lapack, const ComplexPair* a, int n,
                      const lapack_int* pivots, ComplexPair* b, int m) {
    return lapack.zgetrs_work(LAPACK_COL_MAJOR, 'N', n, m,
                              reinterpret_cast<const lapack_complex_double*>(a), n, pivots,
                              reinterpret_cast<lapack_complex_double*>(b), n);
}

// The power of two that brings a row of absolute sum s near 1 (a
// multiplication by it is exact); 1 for a sum that is not finite.
double rowScale(double s) {
    if (!std::isfinite(s)) return 1;
    int e;
    std::frexp(s, &e);
    return std::ldexp(1.0, -std::clamp(e, -1000, 1000));
}

// Copies the rows x columns row-major `from`, row i times scale[i], into
// the column-major `to` (leading dimension rows).
template <typename E>
void transposeScaled(const E* from, int rows, int columns, const double* scale, E* to) {
    transposeBlocked(from, rows, columns, to, [scale](int i, E e) { return scale[i] * e; });
}

template <typename E>
SolveStatus solveDense(const E* a, int n, const E* b, int m, E* x, double epsilon) {
    if (n <= 0) return SolveStatus::singular;
    const LapackLibrary* lapack = lapackLibrary();
    if (!lapack) return SolveStatus::noLibrary;
    std::vector<E> factors, rhs;
    std::vector<double> scale;
    std::vector<lapack_int> pivots;
    try {
        factors.resize(size_t(n) * n);
        rhs.resize(size_t(n) * m);
        scale.resize(size_t(n));
        pivots.resize(size_t(n));
    } catch (const std::bad_alloc&) {
        return SolveStatus::noMemory;
    }
    for (int i = 0; i < n; i++) {
        double s = 0;
        const E* row = a + int64_t(i) * n;
        for (int j = 0; j < n; j++) s += magnitude(row[j]);
        if (s == 0) return SolveStatus::singular;
        scale[i] = rowScale(s);
    }
    transposeScaled(a, n, n, scale.data(), factors.data());
    double largest = 0;
    for (const E& e : factors) largest = std::max(largest, magnitude(e));
    if (factor(*lapack, factors.data(), n, pivots.data()) != 0) return SolveStatus::singular;
    const double bound = epsilon * largest;
    for (int i = 0; i < n; i++)
        if (magnitude(factors[int64_t(i) * n + i]) < bound) return SolveStatus::singular;
    if (m == 0) return SolveStatus::ok;
    transposeScaled(b, n, m, scale.data(), rhs.data());
    substitute(*lapack, factors.data(), n, pivots.data(), rhs.data(), m);
    const std::vector<double> unit(size_t(m), 1.0);
    transposeScaled(rhs.data(), m, n, unit.data(), x);
    return SolveStatus::ok;
}

}  // namespace

LuResult decomposeLuReal(double* a, int rows, int columns, double epsilon, int* permutation,
                         int* pivotColumns) {
    return decomposeInPlace(a, rows, columns, epsilon, permutation, pivotColumns);
}

LuResult decomposeLuComplex(double* a, int rows, int columns, double epsilon, int* permutation,
                            int* pivotColumns) {
    return decomposeInPlace(asPairs(a), rows, columns, epsilon, permutation, pivotColumns);
}

SolveStatus solveLuReal(const double* lu, int n, const double* b, int m, double* x) {
    return solveTriangular(lu, n, b, m, x);
}

SolveStatus solveLuComplex(const double* lu, int n, const double* b, int m, double* x) {
    return solveTriangular(asPairs(lu), n, asPairs(b), m, asPairs(x));
}

SolveStatus solveSystemReal(const double* a, int n, const double* b, int m, double* x,
                            double epsilon) {
    return solveDense(a, n, b, m, x, epsilon);
}

SolveStatus solveSystemComplex(const double* a, int n, const double* b, int m, double* x,
                               double epsilon) {
    return solveDense(asPairs(a), n, asPairs(b), m, asPairs(x), epsilon);
}

}  // namespace kalix
