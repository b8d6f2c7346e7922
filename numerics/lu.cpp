// LU decomposition, triangular solves and the dense solver.
#include "numerics/lu.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "numerics/lapack_library.h"
#include "numerics/complex_pairs.h"

namespace {

// --- rank-revealing decomposition in place -----------------------------------

template <typename E>
LuResult decomposeInPlace(E* a, int n, int m, double epsilon, int* permutation, int* pivotColumns) {
    for (int i = 0; i < n; i++) permutation[i] = i;
    int sign = 1, rank = 0;
    E determinant = unitOf<E>();
    int j = 0, k = 0;
    for (; k < m && j < n; k++) {
        int p = j;
        double best = magnitude(a[int64_t(permutation[j]) * m + k]);
        for (int i = j + 1; i < n; i++) {
            const double v = magnitude(a[int64_t(permutation[i]) * m + k]);
            if (v > best) {
                best = v;
                p = i;
            }
        }
        if (best < epsilon) {
            sign = 0;
            pivotColumns[k] = 0;
            continue;
        }
        pivotColumns[k] = 1;
        rank++;
        determinant = determinant * a[int64_t(permutation[p]) * m + k];
        if (p != j) {
            sign = -sign;
            std::swap(permutation[p], permutation[j]);
        }
        const E* pivotRow = a + int64_t(permutation[j]) * m;
        const E pivot = pivotRow[k];
        for (int i = j + 1; i < n; i++) {
            E* row = a + int64_t(permutation[i]) * m;
            if (isZero(row[k])) continue;
            const E f = row[k] / pivot;
            row[k] = f;
            for (int l = k + 1; l < m; l++) row[l] -= f * pivotRow[l];
        }
        j++;
    }
    if (j < n || k < m) sign = 0;
    for (int l = k; l < m; l++) pivotColumns[l] = 0;
    LuResult result;
    result.rank = rank;
    // A rank-deficient matrix reports +0, never -0.
    if (sign != 0) {
        const E d = double(sign) * determinant;
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
    return lapack.zgetrf_work(LAPACK_COL_MAJOR, n, n, reinterpret_cast<lapack_complex_double*>(a), n,
                              pivots);
}
lapack_int substitute(const LapackLibrary& lapack, const double* a, int n,
                      const lapack_int* pivots, double* b, int m) {
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
// the column-major `to` (leading dimension rows), in cache-sized blocks.
template <typename E>
void transposeScaled(const E* from, int rows, int columns, const double* scale, E* to) {
    constexpr int block = 32;
    for (int i0 = 0; i0 < rows; i0 += block)
        for (int j0 = 0; j0 < columns; j0 += block) {
            const int i1 = std::min(rows, i0 + block), j1 = std::min(columns, j0 + block);
            for (int i = i0; i < i1; i++)
                for (int j = j0; j < j1; j++)
                    to[int64_t(j) * rows + i] = scale[i] * from[int64_t(i) * columns + j];
        }
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
