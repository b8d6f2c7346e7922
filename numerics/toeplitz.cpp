// Toeplitz matrices and the Levinson recursion.
#include "numerics/toeplitz.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

namespace kalix {

void buildToeplitz(const double* t, int n, double* matrix) {
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) matrix[int64_t(i) * n + j] = t[n - 1 + j - i];
}

// The arrays are used 1-based, with r[k] = t[2n - 1 - k], so that
// T(i, j) = r[n + i - j].
ToeplitzStatus solveToeplitz(const double* t, int n, const double* b1, double* x1, double epsilon) {
    std::vector<double> rv, gv, hv;
    try {
        rv.resize(size_t(2) * n);
        gv.resize(size_t(n) + 1);
        hv.resize(size_t(n) + 1);
    } catch (const std::bad_alloc&) {
        return ToeplitzStatus::noMemory;
    }
    double* r = rv.data();
    double* g = gv.data();
    double* h = hv.data();
    const double* b = b1 - 1;
    double* x = x1 - 1;
    for (int k = 1; k <= 2 * n - 1; k++) r[k] = t[2 * n - 1 - k];
    if (std::fabs(r[n]) < epsilon) return ToeplitzStatus::singular;
    x[1] = b[1] / r[n];
    if (n == 1) return ToeplitzStatus::ok;
    g[1] = r[n - 1] / r[n];
    h[1] = r[n + 1] / r[n];
    for (int m = 1;; m++) {
        const int m1 = m + 1;
        double sxn = -b[m1], sd = -r[n];
        for (int j = 1; j <= m; j++) {
            sxn += r[n + m1 - j] * x[j];
            sd += r[n + m1 - j] * g[m - j + 1];
        }
        if (std::fabs(sd) < epsilon) return ToeplitzStatus::singular;
        x[m1] = sxn / sd;
        for (int j = 1; j <= m; j++) x[j] -= x[m1] * g[m - j + 1];
        if (m1 == n) return ToeplitzStatus::ok;
        double sgn = -r[n - m1], shn = -r[n + m1], sgd = -r[n];
        for (int j = 1; j <= m; j++) {
            sgn += r[n + j - m1] * g[j];
            shn += r[n + m1 - j] * h[j];
            sgd += r[n + j - m1] * h[m - j + 1];
        }
        if (std::fabs(sgd) < epsilon) return ToeplitzStatus::singular;
        const double pp = g[m1] = sgn / sgd;
        const double qq = h[m1] = shn / sd;
        for (int j = 1; j <= (m + 1) / 2; j++) {
            const int k = m + 1 - j;
            const double pt1 = g[j], pt2 = g[k], qt1 = h[j], qt2 = h[k];
            g[j] = pt1 - pp * qt2;
            g[k] = pt2 - pp * qt1;
            h[j] = qt1 - qq * pt2;
            h[k] = qt2 - qq * pt1;
        }
    }
}

}  // namespace kalix
