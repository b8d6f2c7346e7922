// Givens rotations and Gram-Schmidt orthogonalisation.
#include "numerics/orthogonal.h"

#include <cmath>
#include <cstdint>

#include "numerics/complex_pairs.h"

namespace kalix {

void rotateRows(double* a, int columns, int from, int x, int y, double c, double s) {
    double* rowX = a + int64_t(x) * columns;
    double* rowY = a + int64_t(y) * columns;
    for (int k = from; k < columns; k++) {
        const double u = rowX[k], v = rowY[k];
        rowX[k] = u * c - v * s;
        rowY[k] = u * s + v * c;
    }
}

namespace {

// The rotation leaves -d over 0 in column j; both are stored exactly
// rather than with the rounding of x c - y s and x s + y c.
void setRotatedColumn(double* a, int m, int j, int x, int y, double d) {
    a[int64_t(x) * m + j] = -d;
    a[int64_t(y) * m + j] = 0;
}

}  // namespace

void givensRotate(double* a, int m, double* b, int p, int j, int x, int y) {
    const double u = a[int64_t(x) * m + j], v = a[int64_t(y) * m + j];
    const double d = std::sqrt(u * u + v * v);
    if (d == 0) return;
    rotateRows(a, m, 0, x, y, -u / d, v / d);
    rotateRows(b, p, 0, x, y, -u / d, v / d);
    setRotatedColumn(a, m, j, x, y, d);
}

void givensReduce(double* r, int n, int m, double* q, int p, double epsilon, double* flags) {
    int t = 0;
    for (int j = 0; j < m; j++) {
        for (int i = t + 1; i < n; i++) {
            const double u = r[int64_t(t) * m + j], v = r[int64_t(i) * m + j];
            const double d = std::sqrt(u * u + v * v);
            if (d > epsilon) {
                rotateRows(r, m, j, t, i, -u / d, v / d);
                rotateRows(q, p, 0, t, i, -u / d, v / d);
                setRotatedColumn(r, m, j, t, i, d);
            }
        }
        if (t < n && std::fabs(r[int64_t(t) * m + j]) > epsilon) {
            flags[j] = 1;
            t++;
        } else {
            flags[j] = 0;
        }
    }
}

namespace {

template <typename E>
void gramSchmidt(const E* a, int rows, int columns, double epsilon, E* q, double* flags) {
    auto at = [columns](int i, int j) { return int64_t(i) * columns + j; };
    int accepted = 0;
    for (int j = 0; j < columns; j++) {
        flags[j] = 0;
        if (accepted == rows) {
            for (int i = 0; i < rows; i++) q[at(i, j)] = E{};
            continue;
        }
        for (int i = 0; i < rows; i++) q[at(i, j)] = a[at(i, j)];
        for (int p = 0; p < j; p++) {
            if (flags[p] == 0) continue;
            E s{};
            for (int i = 0; i < rows; i++) s += conjugate(q[at(i, p)]) * a[at(i, j)];
            for (int i = 0; i < rows; i++) q[at(i, j)] -= s * q[at(i, p)];
        }
        double sum = 0;
        for (int i = 0; i < rows; i++) sum += magnitudeSquared(q[at(i, j)]);
        const double norm = std::sqrt(sum);
        if (norm > epsilon) {
            for (int i = 0; i < rows; i++) q[at(i, j)] = q[at(i, j)] / norm;
            flags[j] = 1;
            accepted++;
        }
    }
}

}  // namespace

void gramSchmidtReal(const double* a, int rows, int columns, double epsilon, double* q,
                     double* flags) {
    gramSchmidt(a, rows, columns, epsilon, q, flags);
}

void gramSchmidtComplex(const double* a, int rows, int columns, double epsilon, double* q,
                        double* flags) {
    gramSchmidt(asPairs(a), rows, columns, epsilon, asPairs(q), flags);
}

}  // namespace kalix
