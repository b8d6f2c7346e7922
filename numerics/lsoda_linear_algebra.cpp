// LU factorisation along rows with partial pivoting and its solve, on row
// pointers so that elimination and solve run over contiguous row tails.
#include "numerics/lsoda_linear_algebra.h"

#include <cmath>

namespace kalix {

namespace {

// First element of a strided vector of n elements (1-based).
int firstIndex(int n, int inc) { return inc < 0 ? (1 - n) * inc + 1 : 1; }

}  // namespace

void scaledAdd(int n, double a, const double* x, int incx, double* y, int incy) {
    if (n < 0 || a == 0) return;
    if (incx == incy && incx >= 1) {
        for (int i = 1; i <= n * incx; i += incx) y[i] += a * x[i];
        return;
    }
    int ix = firstIndex(n, incx), iy = firstIndex(n, incy);
    for (int i = 1; i <= n; i++, ix += incx, iy += incy) y[iy] += a * x[ix];
}

double dotProduct(int n, const double* x, int incx, const double* y, int incy) {
    double sum = 0;
    if (n <= 0) return sum;
    if (incx == incy && incx >= 1) {
        for (int i = 1; i <= n * incx; i += incx) sum += x[i] * y[i];
        return sum;
    }
    int ix = firstIndex(n, incx), iy = firstIndex(n, incy);
    for (int i = 1; i <= n; i++, ix += incx, iy += incy) sum += x[ix] * y[iy];
    return sum;
}

void scaleVector(int n, double a, double* x, int incx) {
    if (n <= 0 || incx <= 0) return;
    for (int i = 1; i <= n * incx; i += incx) x[i] *= a;
}

int indexOfMaxAbs(int n, const double* x, int incx) {
    if (n <= 0) return 0;
    if (n == 1 || incx <= 0) return 1;
    int best = 1;
    double largest = std::fabs(x[1]);
    for (int k = 2, i = 1 + incx; k <= n; k++, i += incx) {
        const double v = std::fabs(x[i]);
        if (v > largest) {
            largest = v;
            best = k;
        }
    }
    return best;
}

double weightedMatrixNorm(int n, double** a, const double* w) {
    double norm = 0;
    for (int i = 1; i <= n; i++) {
        double sum = 0;
        for (int j = 1; j <= n; j++) sum += std::fabs(a[i][j]) / w[j];
        if (sum * w[i] > norm) norm = sum * w[i];
    }
    return norm;
}

void factorMatrix(double** a, int n, int* piv, int* info) {
    *info = 0;
    for (int k = 1; k <= n - 1; k++) {
        // a[k] + k - 1 is the 1-based view of row k from column k.
        const int j = indexOfMaxAbs(n - k + 1, a[k] + k - 1, 1) + k - 1;
        piv[k] = j;
        if (a[k][j] == 0) {
            *info = k;
            continue;
        }
        if (j != k) {
            const double t = a[k][j];
            a[k][j] = a[k][k];
            a[k][k] = t;
        }
        scaleVector(n - k, -1 / a[k][k], a[k] + k, 1);
        for (int i = k + 1; i <= n; i++) {
            const double t = a[i][j];
            if (j != k) {
                a[i][j] = a[i][k];
                a[i][k] = t;
            }
            scaledAdd(n - k, t, a[k] + k, 1, a[i] + k, 1);
        }
    }
    piv[n] = n;
    if (a[n][n] == 0) *info = n;
}

void solveFactored(double** a, int n, const int* piv, double* b, int job) {
    if (job == 0) {
        for (int k = 1; k <= n; k++) b[k] = (b[k] - dotProduct(k - 1, a[k], 1, b, 1)) / a[k][k];
        for (int k = n - 1; k >= 1; k--) {
            b[k] += dotProduct(n - k, a[k] + k, 1, b + k, 1);
            const int j = piv[k];
            if (j != k) {
                const double t = b[j];
                b[j] = b[k];
                b[k] = t;
            }
        }
        return;
    }
    for (int k = 1; k <= n - 1; k++) {
        const int j = piv[k];
        const double t = b[j];
        if (j != k) {
            b[j] = b[k];
            b[k] = t;
        }
        scaledAdd(n - k, t, a[k] + k, 1, b + k, 1);
    }
    for (int k = n; k >= 1; k--) {
        b[k] /= a[k][k];
        scaledAdd(k - 1, -b[k], a[k], 1, b, 1);
    }
}

}  // namespace kalix
