// Cyclic Jacobi rotations.
#include "numerics/jacobi.h"

#include <cmath>
#include <cstdint>

// The sweep is compiled twice on x86-64, for processors with AVX2 and for
// all others, and the loader picks one. Both make the same roundings in the
// same order (no contraction into fused multiply-adds), so the bits are the
// same; the AVX2 one turns four entries at a time instead of two.
// Not under ThreadSanitizer: the picker it instruments runs in the loader,
// before the sanitizer's runtime is there, and crashes the program.
#if defined(__x86_64__) && defined(__has_attribute) && !defined(__SANITIZE_THREAD__)
#if __has_attribute(target_clones)
#define AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef AVX2_CLONES
#define AVX2_CLONES
#endif

namespace {

// Where the entries of the symmetric matrix are held during the sweep's
// row p: entry (i, j), i < j, is at a[j][i] (below the diagonal) when
// i < p and at a[i][j] (above it) otherwise; the diagonal is held once.
// So row p of `a` is the whole of row p, and a rotation of (p, q) turns
// rows p and q in place, except for the entries (i, q), p < i < q, which
// are in column q.

// The rotation that makes a(p, q) zero, from apq = a(p, q), app = a(p, p)
// and aqq = a(q, q): its tangent t, sine s and tau = s / (1 + c).
struct Rotation {
    double t, s, tau;
};

inline __attribute__((always_inline)) Rotation rotationFor(double apq, double app, double aqq) {
    const double theta = (app - aqq) / (2 * apq);
    double t = 1 / (std::fabs(theta) + std::sqrt(1 + theta * theta));
    if (theta < 0) t = -t;
    const double c = 1 / std::sqrt(1 + t * t), s = t * c, tau = s / (1 + c);
    return {t, s, tau};
}

// Turns the entries x of row p and y of row q (or column q) by `r`.
inline __attribute__((always_inline)) void turn(double& x, double& y, const Rotation& r) {
    const double x0 = x, y0 = y;
    x = x0 + r.s * (y0 - r.tau * x0);
    y = y0 - r.s * (x0 + r.tau * y0);
}

// The rotations of row p: of each pair (p, q), q > p, in turn, skipping
// those with |a(p, q)| below `bound` (or zero). Answers the largest
// |a(p, q)| rotated, or `largest` when that is larger.
// A rotation's own arithmetic is a chain of divisions and roots; the
// next pair's is started before the rows are turned, as soon as its a(p, q)
// is known, so that the two overlap.
inline __attribute__((always_inline)) double rotateRow(double* a, int n, int p, double bound,
                                                       double largest) {
    double* __restrict rowP = a + int64_t(p) * n;
    int q = p + 1;
    auto skipped = [&](int k) {
        const double v = std::fabs(rowP[k]);
        return v < bound || v == 0;
    };
    while (q < n && skipped(q)) q++;
    if (q == n) return largest;
    Rotation r = rotationFor(rowP[q], rowP[p], a[int64_t(q) * n + q]);
    while (q < n) {
        double* __restrict rowQ = a + int64_t(q) * n;
        const double apq = rowP[q], app = rowP[p], aqq = rowQ[q];
        if (std::fabs(apq) > largest) largest = std::fabs(apq);
        rowP[p] = app + r.t * apq;
        rowQ[q] = aqq - r.t * apq;
        rowP[q] = 0;
        // a(p, q + 1) first, and with it the next rotation when it is made.
        const Rotation current = r;
        int next = q + 1;
        if (next < n) turn(rowP[next], rowQ[next], current);
        const bool nextReady = next < n && !skipped(next);
        if (nextReady) r = rotationFor(rowP[next], rowP[p], a[int64_t(next) * n + next]);
        for (int i = 0; i < p; i++) turn(rowP[i], rowQ[i], current);
        for (int i = p + 1; i < q; i++) turn(rowP[i], a[int64_t(i) * n + q], current);
        for (int i = q + 2; i < n; i++) turn(rowP[i], rowQ[i], current);
        if (!nextReady) {
            while (next < n && skipped(next)) next++;
            if (next < n) r = rotationFor(rowP[next], rowP[p], a[int64_t(next) * n + next]);
        }
        q = next;
    }
    return largest;
}

// Copies row p's entries beyond the diagonal into column p, for the rows
// after p, where they are held from then on.
inline __attribute__((always_inline)) void moveBelow(double* a, int n, int p) {
    const double* row = a + int64_t(p) * n;
    for (int j = p + 1; j < n; j++) a[int64_t(j) * n + p] = row[j];
}

// Copies the lower triangle into the upper one, where a sweep starts from.
void mirrorLower(double* a, int n) {
    constexpr int tile = 32;
    for (int i0 = 0; i0 < n; i0 += tile)
        for (int j0 = i0; j0 < n; j0 += tile)
            for (int i = i0; i < i0 + tile && i < n; i++)
                for (int j = j0 > i + 1 ? j0 : i + 1; j < j0 + tile && j < n; j++)
                    a[int64_t(i) * n + j] = a[int64_t(j) * n + i];
}

// One sweep over the pairs in their order; answers the largest |a(p, q)|
// rotated (0 when none was), or -1 when `interrupted` answered true, with
// the matrix left symmetric.
AVX2_CLONES double sweep(double* a, int n, double bound, bool (*interrupted)()) {
    double largest = 0;
    for (int p = 0; p + 1 < n; p++) {
        if (interrupted && interrupted()) {
            for (int i = p; i < n; i++) moveBelow(a, n, i);
            mirrorLower(a, n);
            return -1;
        }
        largest = rotateRow(a, n, p, bound, largest);
        moveBelow(a, n, p);
    }
    mirrorLower(a, n);
    return largest;
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
    if (maxSweeps < 1)  // left symmetric, as after any sweep
        for (int i = 0; i < n; i++) moveBelow(a, n, i);
    for (int k = 0; k < maxSweeps; k++) {
        const double largest = sweep(a, n, bound, interrupted);
        if (largest < 0) return JacobiStatus::interrupted;
        if (largest == 0) {
            status = JacobiStatus::ok;
            break;
        }
    }
    for (int i = 0; i < n; i++) eigenvalues[i] = a[int64_t(i) * n + i];
    return status;
}
