// Cyclic Jacobi rotations.
#include "numerics/jacobi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "numerics/vector_width.h"

namespace kalix {

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

// Turns the entries x of row p and y of row q (or column q) by `r`; V is
// a double or a vector of them.
template <typename V>
inline __attribute__((always_inline)) void turn(V& x, V& y, const Rotation& r) {
    const V x0 = x, y0 = y;
    x = x0 + r.s * (y0 - r.tau * x0);
    y = y0 - r.s * (x0 + r.tau * y0);
}

template <typename V>
inline __attribute__((always_inline)) void load(V& v, const double* p) {
    std::memcpy(&v, p, sizeof v);
}

template <typename V>
inline __attribute__((always_inline)) void store(double* p, const V& v) {
    std::memcpy(p, &v, sizeof v);
}

// The rotations of row p are made in groups of consecutive pairs
// (p, q), ..., (p, q + m - 1), m <= groupSize, none of them skipped, so
// that the rows of the group are turned together: each entry of row p is
// read and written once for the group, and the entries (i, q ... q + m - 1)
// of the column part lie side by side in row i.
constexpr int groupSize = 4;

// A group's window is the columns [start, end), end = start + groupSize or
// n; the group grows while `open`, and `next` is the column after the last
// one looked at.
struct Group {
    int start = 0, end = 0, count = 0, next = 0;
    bool open = false;
    Rotation r[groupSize];
};

inline __attribute__((always_inline)) void openGroup(Group& g, int start, int n) {
    g.start = g.next = start;
    g.end = std::min(start + groupSize, n);
    g.count = 0;
    g.open = true;
}

// Makes the open group's next rotation, or closes the group at a skipped
// pair or at the end of the window. The window must have been turned by
// every earlier rotation of row p; the entries of row p and of the group's
// rows within the window are turned here, rotation by rotation.
inline __attribute__((always_inline)) void growGroup(double* a, int n, int p, double bound,
                                                     double& largest, Group& g) {
    double* rowP = a + int64_t(p) * n;
    const int q = g.next++;
    const double apq = rowP[q], size = std::fabs(apq);
    if (size < bound || size == 0) {
        g.open = false;
        return;
    }
    if (size > largest) largest = size;
    double* rowQ = a + int64_t(q) * n;
    const double app = rowP[p], aqq = rowQ[q];
    const Rotation r = rotationFor(apq, app, aqq);
    rowP[p] = app + r.t * apq;
    rowQ[q] = aqq - r.t * apq;
    rowP[q] = 0;
    for (int j = g.start; j < q; j++) turn(rowP[j], a[int64_t(j) * n + q], r);
    for (int j = q + 1; j < g.end; j++) turn(rowP[j], rowQ[j], r);
    g.r[g.count++] = r;
    if (g.next == g.end) g.open = false;
}

// Turns the entries [i, i1) of row p and of the group's M rows (held in
// rows: i < p or i beyond the window) by the group's rotations in order,
// in vectors V while they fit; answers where it stopped.
template <typename V, int M>
inline __attribute__((always_inline)) int turnRowVectors(double* a, int n, int p, const Group& g,
                                                         int i, int i1) {
    constexpr int width = int(sizeof(V) / sizeof(double));
    double* rowP = a + int64_t(p) * n;
    double* rowQ[M];
    for (int k = 0; k < M; k++) rowQ[k] = a + int64_t(g.start + k) * n;
    for (; i + width <= i1; i += width) {
        V x, y;
        load(x, rowP + i);
        for (int k = 0; k < M; k++) {
            load(y, rowQ[k] + i);
            turn(x, y, g.r[k]);
            store(rowQ[k] + i, y);
        }
        store(rowP + i, x);
    }
    return i;
}

// The same in vectors V, then narrower ones, then one by one.
template <typename V, int M>
inline __attribute__((always_inline)) void turnRows(double* a, int n, int p, const Group& g, int i0,
                                                    int i1) {
    int i = turnRowVectors<V, M>(a, n, p, g, i0, i1);
    if constexpr (sizeof(V) > sizeof(Doubles4)) i = turnRowVectors<Doubles4, M>(a, n, p, g, i, i1);
    if constexpr (sizeof(V) > sizeof(Doubles2)) i = turnRowVectors<Doubles2, M>(a, n, p, g, i, i1);
    turnRowVectors<double, M>(a, n, p, g, i, i1);
}

// Exchanges the rows and columns of the 4 x 4 block v0 ... v3 (and of a
// second one in the upper halves when V holds eight).
template <typename V>
inline __attribute__((always_inline)) void transpose4(V& v0, V& v1, V& v2, V& v3) {
    if constexpr (sizeof(V) == 64) {
        const V t0 = __builtin_shufflevector(v0, v1, 0, 8, 2, 10, 4, 12, 6, 14);
        const V t1 = __builtin_shufflevector(v0, v1, 1, 9, 3, 11, 5, 13, 7, 15);
        const V t2 = __builtin_shufflevector(v2, v3, 0, 8, 2, 10, 4, 12, 6, 14);
        const V t3 = __builtin_shufflevector(v2, v3, 1, 9, 3, 11, 5, 13, 7, 15);
        v0 = __builtin_shufflevector(t0, t2, 0, 1, 8, 9, 4, 5, 12, 13);
        v1 = __builtin_shufflevector(t1, t3, 0, 1, 8, 9, 4, 5, 12, 13);
        v2 = __builtin_shufflevector(t0, t2, 2, 3, 10, 11, 6, 7, 14, 15);
        v3 = __builtin_shufflevector(t1, t3, 2, 3, 10, 11, 6, 7, 14, 15);
    } else {
        const V t0 = __builtin_shufflevector(v0, v1, 0, 4, 2, 6);
        const V t1 = __builtin_shufflevector(v0, v1, 1, 5, 3, 7);
        const V t2 = __builtin_shufflevector(v2, v3, 0, 4, 2, 6);
        const V t3 = __builtin_shufflevector(v2, v3, 1, 5, 3, 7);
        v0 = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
        v1 = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
        v2 = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
        v3 = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
    }
}

// Four entries from `from`, and when V holds eight, four more from `far`.
template <typename V>
inline __attribute__((always_inline)) void loadFour(V& v, const double* from, const double* far) {
    if constexpr (sizeof(V) == 64) {
        Doubles4 low, high;
        load(low, from);
        load(high, far);
        v = __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7);
    } else {
        load(v, from);
    }
}

template <typename V>
inline __attribute__((always_inline)) void storeFour(double* to, double* far, const V& v) {
    if constexpr (sizeof(V) == 64) {
        store(to, Doubles4(__builtin_shufflevector(v, v, 0, 1, 2, 3)));
        store(far, Doubles4(__builtin_shufflevector(v, v, 4, 5, 6, 7)));
    } else {
        store(to, v);
    }
}

// Turns the entries (p, i) and (i, start ... start + 3), i in [i0, i1),
// held in rows i, by a full group's rotations in order: 4 rows at a time
// (8 in Doubles8), through a transposition.
template <typename V>
inline __attribute__((always_inline)) int turnColumnBlocks(double* a, int n, int p, const Group& g,
                                                           int i0, int i1) {
    constexpr int rows = int(sizeof(V) / sizeof(double));
    double* rowP = a + int64_t(p) * n;
    int i = i0;
    for (; i + rows <= i1; i += rows) {
        // y0 holds rows i and i + 4 (the latter in Doubles8), y1 rows i + 1
        // and i + 5, ...
        double* at = a + int64_t(i) * n + g.start;
        double* far = at + 4 * int64_t(n);
        const int64_t next = n;
        V y0, y1, y2, y3, x;
        loadFour(y0, at, far);
        loadFour(y1, at + next, far + next);
        loadFour(y2, at + 2 * next, far + 2 * next);
        loadFour(y3, at + 3 * next, far + 3 * next);
        transpose4(y0, y1, y2, y3);
        load(x, rowP + i);
        turn(x, y0, g.r[0]);
        turn(x, y1, g.r[1]);
        turn(x, y2, g.r[2]);
        turn(x, y3, g.r[3]);
        store(rowP + i, x);
        transpose4(y0, y1, y2, y3);
        storeFour(at, far, y0);
        storeFour(at + next, far + next, y1);
        storeFour(at + 2 * next, far + 2 * next, y2);
        storeFour(at + 3 * next, far + 3 * next, y3);
    }
    return i;
}

// Turns the entries (p, i) and (i, start ... start + M - 1), i in [i0, i1)
// (between p and the window), held in rows i, by the group's rotations.
template <typename V, int M>
inline __attribute__((always_inline)) void turnColumns(double* a, int n, int p, const Group& g,
                                                       int i0, int i1) {
    double* rowP = a + int64_t(p) * n;
    int i = i0;
    if constexpr (M == 4 && sizeof(V) >= sizeof(Doubles4)) {
        if constexpr (sizeof(V) == sizeof(Doubles8))
            i = turnColumnBlocks<Doubles8>(a, n, p, g, i, i1);
        i = turnColumnBlocks<Doubles4>(a, n, p, g, i, i1);
    }
    for (; i < i1; i++) {
        double* y = a + int64_t(i) * n + g.start;
        for (int k = 0; k < M; k++) turn(rowP[i], y[k], g.r[k]);
    }
}

// The group's rotations on everything outside its window and the next
// groupSize columns [end, ahead) (which the next group's window may reach,
// turned before it is made): rows 0 .. p - 1, the column part p + 1 ..
// start - 1 and rows ahead .. n - 1, in pieces, with `between()` called
// before each piece (it grows the next group, whose arithmetic is a chain
// of divisions and roots that then overlaps the pieces).
template <typename V, int M, typename F>
inline __attribute__((always_inline)) void turnRest(double* a, int n, int p, const Group& g,
                                                    int ahead, F between) {
    const int length = p + (g.start - p - 1) + (n - ahead);
    const int piece = ((length + groupSize - 1) / groupSize + 7) & ~7;
    int budget = 0;
    // [i0, i1) by turnPart in pieces of at most `budget` entries; a piece
    // that does not end the range is a multiple of 8 long, so that the
    // vectors are not cut short.
    auto inPieces = [&](int i0, int i1, auto turnPart) __attribute__((always_inline)) {
        while (i0 < i1) {
            int take = i1 - i0;
            if (take > budget) take = budget & ~7;
            if (take == 0) {
                between();
                budget = piece;
                continue;
            }
            turnPart(i0, i0 + take);
            i0 += take;
            budget -= take;
        }
    };
    auto rows = [&](int i0, int i1) __attribute__((always_inline)) {
        turnRows<V, M>(a, n, p, g, i0, i1);
    };
    inPieces(0, p, rows);
    inPieces(
        p + 1, g.start, [&](int i0, int i1) __attribute__((always_inline)) {
            turnColumns<V, M>(a, n, p, g, i0, i1);
        });
    inPieces(ahead, n, rows);
}

// f(M) for a group's count M, as a constant.
template <typename F>
inline __attribute__((always_inline)) void forCount(int count, F f) {
    switch (count) {
        case 1:
            return f(std::integral_constant<int, 1>());
        case 2:
            return f(std::integral_constant<int, 2>());
        case 3:
            return f(std::integral_constant<int, 3>());
        default:
            return f(std::integral_constant<int, 4>());
    }
}

// The rotations of row p: of each pair (p, q), q > p, in turn, skipping
// those with |a(p, q)| below `bound` (or zero). Answers the largest
// |a(p, q)| rotated, or `largest` when that is larger.
template <typename V>
inline __attribute__((always_inline)) double rotateRow(double* a, int n, int p, double bound,
                                                       double largest) {
    Group current, next;
    // The next group with at least one rotation, from column q on; the
    // window must have been turned by all earlier rotations.
    auto makeNext = [&](int q) {
        next.count = 0;
        while (next.count == 0 && q < n) {
            openGroup(next, q, n);
            while (next.open) growGroup(a, n, p, bound, largest, next);
            q = next.next;
        }
    };
    makeNext(p + 1);
    while (next.count > 0) {
        current = next;
        const int ahead = std::min(current.end + groupSize, n);
        forCount(
            current.count, [&](auto m) __attribute__((always_inline)) {
                turnRows<V, m()>(a, n, p, current, current.end, ahead);
                next.count = 0;
                next.open = current.next < n;
                if (next.open) openGroup(next, current.next, n);
                turnRest<V, m()>(
                    a, n, p, current, ahead, [&]() __attribute__((always_inline)) {
                        if (next.open) growGroup(a, n, p, bound, largest, next);
                    });
            });
        while (next.open) growGroup(a, n, p, bound, largest, next);
        if (next.count == 0) makeNext(next.next);
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
template <typename V>
inline __attribute__((always_inline)) double sweepWith(double* a, int n, double bound,
                                                       bool (*interrupted)()) {
    double largest = 0;
    for (int p = 0; p + 1 < n; p++) {
        if (interrupted && interrupted()) {
            for (int i = p; i < n; i++) moveBelow(a, n, i);
            mirrorLower(a, n);
            return -1;
        }
        largest = rotateRow<V>(a, n, p, bound, largest);
        moveBelow(a, n, p);
    }
    mirrorLower(a, n);
    return largest;
}

// The sweep for each vector width; all make the same roundings in the same
// order (products are never fused into sums), so they give the same bits.
using Sweep = double (*)(double* a, int n, double bound, bool (*interrupted)());

double sweepBasic(double* a, int n, double bound, bool (*interrupted)()) {
    return sweepWith<Doubles2>(a, n, bound, interrupted);
}

KALIX_VECTORS_AVX2 double sweepAvx2(double* a, int n, double bound, bool (*interrupted)()) {
    return sweepWith<Doubles4>(a, n, bound, interrupted);
}

KALIX_VECTORS_AVX512 double sweepAvx512(double* a, int n, double bound, bool (*interrupted)()) {
    return sweepWith<Doubles8>(a, n, bound, interrupted);
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
    return jacobiEigenvalues(a, n, epsilon, maxSweeps, interrupted, eigenvalues, widestVectors());
}

JacobiStatus jacobiEigenvalues(double* a, int n, double epsilon, int maxSweeps,
                               bool (*interrupted)(), double* eigenvalues, VectorWidth width) {
    const Sweep sweep = width == VectorWidth::avx512 ? sweepAvx512
                        : width == VectorWidth::avx2 ? sweepAvx2
                                                     : sweepBasic;
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

bool isSymmetricWithin(const double* a, int n, double epsilon) {
    const double bound = epsilon * frobeniusNorm(a, int64_t(n) * n);
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++)
            if (!(std::fabs(a[int64_t(i) * n + j] - a[int64_t(j) * n + i]) <= bound)) return false;
    return true;
}

}  // namespace kalix
