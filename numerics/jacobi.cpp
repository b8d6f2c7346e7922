// Cyclic Jacobi rotations.
#include "numerics/jacobi.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// The sines and tau = s / (1 + c) of the rotations of one row p, with the
// columns q they paired p with, in the order they were made.
struct Rotations {
    std::vector<int> column;
    std::vector<double> sine, tau;
};

// One rotation of the pair (p, q), p < q, that makes a(p, q) zero. Only the
// upper triangle (with the diagonal) is read and written: entry (i, j) of
// the symmetric matrix is held at a[min(i, j) * n + max(i, j)]. Rows from p
// on are rotated here; rows above p are left to rotateAbove, as no rotation
// of row p reads them.
void rotate(double* a, int n, int p, int q, Rotations& made) {
    double* rowP = a + int64_t(p) * n;
    double* rowQ = a + int64_t(q) * n;
    const double apq = rowP[q], app = rowP[p], aqq = rowQ[q];
    const double theta = (app - aqq) / (2 * apq);
    double t = 1 / (std::fabs(theta) + std::sqrt(1 + theta * theta));
    if (theta < 0) t = -t;
    const double c = 1 / std::sqrt(1 + t * t), s = t * c, tau = s / (1 + c);
    for (int i = p + 1; i < q; i++) {
        double* below = a + int64_t(i) * n + q;
        const double x = rowP[i], y = *below;
        rowP[i] = x + s * (y - tau * x);
        *below = y - s * (x + tau * y);
    }
    for (int i = q + 1; i < n; i++) {
        const double x = rowP[i], y = rowQ[i];
        rowP[i] = x + s * (y - tau * x);
        rowQ[i] = y - s * (x + tau * y);
    }
    rowP[p] = app + t * apq;
    rowQ[q] = aqq - t * apq;
    rowP[q] = 0;
    made.column.push_back(q);
    made.sine.push_back(s);
    made.tau.push_back(tau);
}

// Applies the rotations of row p, in order, to the rows above p: their
// entries in column p and the columns q. The rows are taken a few at a time
// so that their chains of rotations run side by side.
void rotateAbove(double* a, int n, int p, const Rotations& made) {
    constexpr int block = 8;
    const size_t count = made.column.size();
    if (count == 0) return;
    for (int first = 0; first < p; first += block) {
        const int rows = p - first < block ? p - first : block;
        double* row[block];
        double x[block];
        for (int r = 0; r < rows; r++) {
            row[r] = a + int64_t(first + r) * n;
            x[r] = row[r][p];
        }
        for (size_t k = 0; k < count; k++) {
            const double s = made.sine[k], tau = made.tau[k];
            const int q = made.column[k];
            for (int r = 0; r < rows; r++) {
                const double y = row[r][q];
                row[r][q] = y - s * (x[r] + tau * y);
                x[r] = x[r] + s * (y - tau * x[r]);
            }
        }
        for (int r = 0; r < rows; r++) row[r][p] = x[r];
    }
}

// Copies the upper triangle into the lower one.
void mirrorUpper(double* a, int n) {
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++) a[int64_t(j) * n + i] = a[int64_t(i) * n + j];
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
    Rotations made;
    for (int sweep = 0; sweep < maxSweeps; sweep++) {
        double largest = 0;
        for (int p = 0; p + 1 < n; p++) {
            if (interrupted && interrupted()) {
                mirrorUpper(a, n);
                return JacobiStatus::interrupted;
            }
            made.column.clear();
            made.sine.clear();
            made.tau.clear();
            for (int q = p + 1; q < n; q++) {
                const double v = std::fabs(a[int64_t(p) * n + q]);
                if (v < bound || v == 0) continue;
                if (v > largest) largest = v;
                rotate(a, n, p, q, made);
            }
            rotateAbove(a, n, p, made);
        }
        if (largest == 0) {
            status = JacobiStatus::ok;
            break;
        }
    }
    mirrorUpper(a, n);
    for (int i = 0; i < n; i++) eigenvalues[i] = a[int64_t(i) * n + i];
    return status;
}
