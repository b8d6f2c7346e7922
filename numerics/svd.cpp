// Golub-Reinsch singular value decomposition.
#include "numerics/svd.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "numerics/blocked_transpose.h"
#include "numerics/vector_width.h"

namespace kalix {

namespace {

// sqrt(a^2 + b^2) without overflow.
double hypotenuse(double a, double b) {
    a = std::fabs(a);
    b = std::fabs(b);
    if (a > b) return a * std::sqrt(1 + (b / a) * (b / a));
    if (b == 0) return 0;
    return b * std::sqrt(1 + (a / b) * (a / b));
}

double withSignOf(double a, double b) { return b >= 0 ? std::fabs(a) : -std::fabs(a); }

// Row-major storage addressed 1-based, as the method is written.
struct Matrix {
    double* data;
    int columns;
    double& operator()(int i, int j) const { return data[int64_t(i - 1) * columns + (j - 1)]; }
};

// The same kind of matrix stored by columns: column j is a contiguous run,
// along which the rotations of the diagonalisation go.
struct ColumnMatrix {
    double* data;
    int rows;
    double& operator()(int i, int j) const { return data[int64_t(j - 1) * rows + (i - 1)]; }
};

// Rotates columns j and i of the rows x columns matrix: (y, z) becomes
// (y c + z s, z c - y s).
void rotateColumns(const Matrix& a, int rows, int j, int i, double c, double s) {
    for (int k = 1; k <= rows; k++) {
        const double y = a(k, j), z = a(k, i);
        a(k, j) = y * c + z * s;
        a(k, i) = z * c - y * s;
    }
}

// The rotation of two runs of `count` doubles, for each vector width.
inline __attribute__((always_inline)) void rotateRuns(double* __restrict x, double* __restrict y,
                                                      int count, double c, double s) {
    for (int k = 0; k < count; k++) {
        const double p = x[k], q = y[k];
        x[k] = p * c + q * s;
        y[k] = q * c - p * s;
    }
}

void rotateRunsBasic(double* x, double* y, int count, double c, double s) {
    rotateRuns(x, y, count, c, s);
}

KALIX_VECTORS_AVX2 void rotateRunsAvx2(double* x, double* y, int count, double c, double s) {
    rotateRuns(x, y, count, c, s);
}

KALIX_VECTORS_AVX512 void rotateRunsAvx512(double* x, double* y, int count, double c, double s) {
    rotateRuns(x, y, count, c, s);
}

using RunsRotation = void (*)(double* x, double* y, int count, double c, double s);

void rotateColumns(const ColumnMatrix& a, int rows, int j, int i, double c, double s) {
    static const RunsRotation rotate =
        forWidestVectors(rotateRunsBasic, rotateRunsAvx2, rotateRunsAvx512);
    rotate(&a(1, j), &a(1, i), rows, c, s);
}

// Transposes the n x n matrix in place.
void transposeSquare(double* a, int n) {
    constexpr int block = 32;
    for (int i0 = 0; i0 < n; i0 += block)
        for (int j0 = i0; j0 < n; j0 += block) {
            const int i1 = std::min(n, i0 + block), j1 = std::min(n, j0 + block);
            for (int i = i0; i < i1; i++)
                for (int j = std::max(j0, i + 1); j < j1; j++)
                    std::swap(a[int64_t(i) * n + j], a[int64_t(j) * n + i]);
        }
}

// to[q] += factor * from[q] for q = 0 ... count - 1.
void addMultiple(double* __restrict to, const double* __restrict from, double factor, int count) {
    for (int q = 0; q < count; q++) to[q] += factor * from[q];
}

struct Bidiagonal {
    double anorm = 0;
    double g = 0;  // carried into the accumulation of the right-hand transforms
};

// Householder reduction to bidiagonal form: diagonal in w, superdiagonal
// in rv (rv[1] = 0).
// `sums` is a work array of n + 1 entries.
Bidiagonal bidiagonalise(const Matrix& a, int m, int n, double* w, double* rv, double* sums) {
    Bidiagonal b;
    double g = 0, scale = 0;
    for (int i = 1; i <= n; i++) {
        const int l = i + 1;
        rv[i] = scale * g;
        g = scale = 0;
        double s = 0;
        if (i <= m) {
            for (int k = i; k <= m; k++) scale += std::fabs(a(k, i));
            if (scale != 0) {
                for (int k = i; k <= m; k++) {
                    a(k, i) /= scale;
                    s += a(k, i) * a(k, i);
                }
                double f = a(i, i);
                g = -withSignOf(std::sqrt(s), f);
                const double h = f * g - s;
                a(i, i) = f - g;
                // For each column j > i: s = sum of a(k, i) a(k, j) over k, then
                // a(k, j) += (s / h) a(k, i); all columns at once, row by row.
                if (l <= n) {
                    std::fill(sums + l, sums + n + 1, 0.0);
                    for (int k = i; k <= m; k++) addMultiple(sums + l, &a(k, l), a(k, i), n - i);
                    for (int j = l; j <= n; j++) sums[j] /= h;
                    for (int k = i; k <= m; k++) addMultiple(&a(k, l), sums + l, a(k, i), n - i);
                }
                for (int k = i; k <= m; k++) a(k, i) *= scale;
            }
        }
        w[i] = scale * g;
        g = s = scale = 0;
        if (i <= m && i != n) {
            for (int k = l; k <= n; k++) scale += std::fabs(a(i, k));
            if (scale != 0) {
                for (int k = l; k <= n; k++) {
                    a(i, k) /= scale;
                    s += a(i, k) * a(i, k);
                }
                const double f = a(i, l);
                g = -withSignOf(std::sqrt(s), f);
                const double h = f * g - s;
                a(i, l) = f - g;
                for (int k = l; k <= n; k++) rv[k] = a(i, k) / h;
                // Rows j > i: a(j, k) += (sum of a(j, k) a(i, k) over k) rv[k];
                // the sums of four rows side by side.
                const double* ai = &a(i, l);
                int j = l;
                for (; j + 3 <= m; j += 4) {
                    double* r[4] = {&a(j, l), &a(j + 1, l), &a(j + 2, l), &a(j + 3, l)};
                    double t[4] = {0, 0, 0, 0};
                    for (int k = 0; k < n - i; k++)
                        for (int q = 0; q < 4; q++) t[q] += r[q][k] * ai[k];
                    for (int q = 0; q < 4; q++) addMultiple(r[q], rv + l, t[q], n - i);
                }
                for (; j <= m; j++) {
                    double t = 0;
                    for (int k = l; k <= n; k++) t += a(j, k) * a(i, k);
                    addMultiple(&a(j, l), rv + l, t, n - i);
                }
                for (int k = l; k <= n; k++) a(i, k) *= scale;
            }
        }
        b.anorm = std::max(b.anorm, std::fabs(w[i]) + std::fabs(rv[i]));
    }
    b.g = g;
    return b;
}

void accumulateRight(const Matrix& a, const Matrix& v, int n, const double* rv, double g,
                     double* sums) {
    int l = n + 1;
    for (int i = n; i >= 1; i--) {
        if (i < n) {
            if (g != 0) {
                for (int j = l; j <= n; j++) v(j, i) = (a(i, j) / a(i, l)) / g;
                // Columns j > i: v(k, j) += (sum of a(i, k) v(k, j) over k) v(k, i).
                std::fill(sums + l, sums + n + 1, 0.0);
                for (int k = l; k <= n; k++) addMultiple(sums + l, &v(k, l), a(i, k), n - i);
                for (int k = l; k <= n; k++) addMultiple(&v(k, l), sums + l, v(k, i), n - i);
            }
            for (int j = l; j <= n; j++) v(i, j) = v(j, i) = 0;
        }
        v(i, i) = 1;
        g = rv[i];
        l = i;
    }
}

void accumulateLeft(const Matrix& a, int m, int n, const double* w, double* sums) {
    for (int i = std::min(m, n); i >= 1; i--) {
        const int l = i + 1;
        double g = w[i];
        for (int j = l; j <= n; j++) a(i, j) = 0;
        if (g != 0) {
            g = 1 / g;
            // Columns j > i: a(k, j) += ((sum of a(k, i) a(k, j) over k > i) /
            // a(i, i)) g a(k, i).
            if (l <= n) {
                std::fill(sums + l, sums + n + 1, 0.0);
                for (int k = l; k <= m; k++) addMultiple(sums + l, &a(k, l), a(k, i), n - i);
                for (int j = l; j <= n; j++) sums[j] = (sums[j] / a(i, i)) * g;
                for (int k = i; k <= m; k++) addMultiple(&a(k, l), sums + l, a(k, i), n - i);
            }
            for (int j = i; j <= m; j++) a(j, i) *= g;
        } else {
            for (int j = i; j <= m; j++) a(j, i) = 0;
        }
        a(i, i) += 1;
    }
}

// One implicit QR step on rows l..k of the bidiagonal form, with the shift
// from the bottom 2 x 2 minor.
template <typename UView>
void shiftedQrStep(const UView& a, const ColumnMatrix& v, int m, int n, double* w, double* rv,
                   int l, int k) {
    double x = w[l];
    const int nm = k - 1;
    double y = w[nm], z = w[k];
    double g = rv[nm], h = rv[k];
    double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2 * h * y);
    g = hypotenuse(f, 1);
    f = ((x - z) * (x + z) + h * ((y / (f + withSignOf(g, f))) - h)) / x;
    double c = 1, s = 1;
    for (int j = l; j <= nm; j++) {
        const int i = j + 1;
        g = rv[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = hypotenuse(f, h);
        rv[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        rotateColumns(v, n, j, i, c, s);
        z = hypotenuse(f, h);
        w[j] = z;
        if (z != 0) {  // otherwise the rotation keeps the previous c and s
            z = 1 / z;
            c = f * z;
            s = h * z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        rotateColumns(a, m, j, i, c, s);
    }
    rv[l] = 0;
    rv[k] = f;
    w[k] = x;
}

template <typename UView>
bool diagonalise(const UView& a, const ColumnMatrix& v, int m, int n, double* w, double* rv,
                 double anorm) {
    for (int k = n; k >= 1; k--) {
        for (int pass = 1; pass <= 30; pass++) {
            bool cancel = true;
            int l = k;
            // rv[1] is always 0, so the search ends at l = 1 at the latest.
            for (; l >= 1; l--) {
                if (l == 1 || std::fabs(rv[l]) + anorm == anorm) {
                    cancel = false;
                    break;
                }
                if (std::fabs(w[l - 1]) + anorm == anorm) break;
            }
            if (cancel) {
                const int nm = l - 1;
                double c = 0, s = 1;
                for (int i = l; i <= k; i++) {
                    const double f = s * rv[i];
                    rv[i] = c * rv[i];
                    if (std::fabs(f) + anorm == anorm) break;
                    const double g = w[i];
                    double h = hypotenuse(f, g);
                    w[i] = h;
                    h = 1 / h;
                    c = g * h;
                    s = -f * h;
                    rotateColumns(a, m, nm, i, c, s);
                }
            }
            if (l == k) {
                if (w[k] < 0) {
                    w[k] = -w[k];
                    for (int j = 1; j <= n; j++) v(j, k) = -v(j, k);
                }
                break;
            }
            if (pass == 30) return false;
            shiftedQrStep(a, v, m, n, w, rv, l, k);
        }
    }
    return true;
}

}  // namespace

SvdStatus singularValueDecomposition(double* u, int m, int n, double* w, double* v) {
    std::vector<double> rv, values, sums;
    try {
        rv.resize(size_t(n) + 1);
        values.resize(size_t(n) + 1);
        sums.resize(size_t(n) + 1);
    } catch (const std::bad_alloc&) {
        return SvdStatus::noMemory;
    }
    // The shift squares entries: work on the matrix scaled by a power of two
    // (exactly) to a largest magnitude in [0.5, 1), so that neither large nor
    // small entries overflow or underflow there, and scale the singular values
    // back at the end.
    const int64_t count = int64_t(m) * n;
    double largest = 0;
    for (int64_t k = 0; k < count; k++) largest = std::max(largest, std::fabs(u[k]));
    int exponent = 0;
    if (largest > 0 && std::isfinite(largest)) std::frexp(largest, &exponent);
    if (exponent != 0)
        for (int64_t k = 0; k < count; k++) u[k] = std::ldexp(u[k], -exponent);
    const Matrix a{u, n}, vm{v, n};
    double* w1 = values.data();  // 1-based
    const Bidiagonal b = bidiagonalise(a, m, n, w1, rv.data(), sums.data());
    accumulateRight(a, vm, n, rv.data(), b.g, sums.data());
    accumulateLeft(a, m, n, w1, sums.data());
    // The diagonalisation rotates columns: V and U are stored by columns for
    // it, in place when square, else U through a copy (or as it is, when
    // there is no room for the copy).
    const ColumnMatrix vColumns{v, n};
    transposeSquare(v, n);
    bool converged;
    if (m == n) {
        transposeSquare(u, n);
        converged = diagonalise(ColumnMatrix{u, m}, vColumns, m, n, w1, rv.data(), b.anorm);
        transposeSquare(u, n);
    } else if (const std::unique_ptr<double[]> copy(new (std::nothrow) double[size_t(m) * n]);
               copy) {
        const auto same = [](int, double e) { return e; };
        transposeBlocked(u, m, n, copy.get(), same);
        converged =
            diagonalise(ColumnMatrix{copy.get(), m}, vColumns, m, n, w1, rv.data(), b.anorm);
        transposeBlocked(copy.get(), n, m, u, same);
    } else {
        converged = diagonalise(a, vColumns, m, n, w1, rv.data(), b.anorm);
    }
    transposeSquare(v, n);
    if (!converged) return SvdStatus::noConvergence;
    for (int k = 0; k < n; k++) w[k] = std::ldexp(w1[k + 1], exponent);
    return SvdStatus::ok;
}

}  // namespace kalix
