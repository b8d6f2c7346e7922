// Cyclic Jacobi rotations.
#include "numerics/jacobi.h"

#include <cmath>
#include <cstdint>

namespace {

// One rotation of the pair (p, q) that makes a(p, q) zero. The matrix is
// kept exactly symmetric: rows p and q are rotated, then copied into
// columns p and q.
void rotate(double* a, int n, int p, int q) {
    double* rowP = a + int64_t(p) * n;
    double* rowQ = a + int64_t(q) * n;
    const double apq = rowP[q], app = rowP[p], aqq = rowQ[q];
    const double theta = (app - aqq) / (2 * apq);
    double t = 1 / (std::fabs(theta) + std::sqrt(1 + theta * theta));
    if (theta < 0) t = -t;
    const double c = 1 / std::sqrt(1 + t * t), s = t * c, tau = s / (1 + c);
    for (int i = 0; i < n; i++) {
        const double x = rowP[i], y = rowQ[i];
        rowP[i] = x + s * (y - tau * x);
        rowQ[i] = y - s * (x + tau * y);
    }
    rowP[p] = app + t * apq;
    rowQ[q] = aqq - t * apq;
    rowP[q] = rowQ[p] = 0;
    for (int i = 0; i < n; i++) {
        double* row = a + int64_t(i) * n;
        row[p] = rowP[i];
        row[q] = rowQ[i];
    }
}

// The Frobenius norm. Where the plain sum of squares overflows (entries
// beyond about 1e154) or comes near underflow, the entries are scaled by
// the largest one first; otherwise the plain sum serves.
double frobeniusNorm(const double* a, int64_t count) {
    double sum = 0;
    for (int64_t k = 0; k < count; k++) sum += a[k] * a[k];
    if (std::isfinite(sum) && (sum == 0 || sum > 1e-290)) return std::sqrt(sum);
    double largest = 0;
    for (int64_t k = 0; k < count; k++) largest = std::fmax(largest, std::fabs(a[k]));
    if (largest == 0 || !std::isfinite(largest)) return largest;
    double scaled = 0;
    for (int64_t k = 0; k < count; k++) {
        const double v = a[k] / largest;
        scaled += v * v;
    }
    return largest * std::sqrt(scaled);
}

}  // namespace

JacobiStatus jacobiEigenvalues(double* a, int n, double epsilon, int maxSweeps,
                               bool (*interrupted)(), double* eigenvalues) {
    const double bound = epsilon * frobeniusNorm(a, int64_t(n) * n);
    JacobiStatus status = JacobiStatus::noConvergence;
    for (int sweep = 0; sweep < maxSweeps; sweep++) {
        double largest = 0;
        for (int p = 0; p + 1 < n; p++) {
            if (interrupted && interrupted()) return JacobiStatus::interrupted;
            for (int q = p + 1; q < n; q++) {
                const double v = std::fabs(a[int64_t(p) * n + q]);
                if (v < bound || v == 0) continue;
                if (v > largest) largest = v;
                rotate(a, n, p, q);
            }
        }
        if (largest == 0) {
            status = JacobiStatus::ok;
            break;
        }
    }
    for (int i = 0; i < n; i++) eigenvalues[i] = a[int64_t(i) * n + i];
    return status;
}
