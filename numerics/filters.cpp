// Recursive filters and folds.
#include "numerics/filters.h"

#include <cstdint>

namespace kalix {

void filterReal(const double* b, int nb, const double* a, int na, const double* x, int nx,
                const double* y, int ny, double* r) {
    const int length = nx - nb + 1;
    for (int l = 0; l < length; l++) {
        double s = 0;
        for (int p = 0; p < nb; p++) s += b[p] * x[nb - 1 + l - p];
        for (int k = 1; k < na; k++) {
            const int t = l - k;
            s = s - (t >= 0 ? r[t] : y[ny + t]) * a[k];
        }
        r[l] = s / a[0];
    }
}

namespace {

// s += u v, s -= u v on (re, im) pairs.
void addProduct(double* s, const double* u, const double* v) {
    s[0] += u[0] * v[0] - u[1] * v[1];
    s[1] += u[0] * v[1] + u[1] * v[0];
}
void subtractProduct(double* s, const double* u, const double* v) {
    s[0] = s[0] - (u[0] * v[0] - u[1] * v[1]);
    s[1] = s[1] - (u[0] * v[1] + u[1] * v[0]);
}

}  // namespace

void filterComplex(const double* b, int nb, const double* a, int na, const double* x, int nx,
                   const double* y, int ny, double* r) {
    const int length = nx - nb + 1;
    const double h = a[0] * a[0] + a[1] * a[1];
    for (int l = 0; l < length; l++) {
        double s[2] = {0, 0};
        for (int p = 0; p < nb; p++) addProduct(s, b + 2 * p, x + 2 * (nb - 1 + l - p));
        for (int k = 1; k < na; k++) {
            const int t = l - k;
            subtractProduct(s, t >= 0 ? r + 2 * t : y + 2 * (ny + t), a + 2 * k);
        }
        r[2 * l] = (s[0] * a[0] + s[1] * a[1]) / h;
        r[2 * l + 1] = (a[0] * s[1] - s[0] * a[1]) / h;
    }
}

namespace {

// The fold with A's elements of `widthA` doubles and B's of `widthB`.
template <int widthA, int widthB>
void fold(const double* a, int ra, int ca, const double* b, int rb, int cb, double* out) {
    const int rows = ra - rb + 1, columns = ca - cb + 1;
    for (int i = 0; i < rows; i++) {
        for (int j = 0; j < columns; j++, out += widthA) {
            double s[2] = {0, 0};
            for (int k = 0; k < rb; k++) {
                const double* u = a + (int64_t(i + k) * ca + j) * widthA;
                const double* v = b + int64_t(k) * cb * widthB;
                for (int l = 0; l < cb; l++, u += widthA, v += widthB) {
                    if (widthA == 1) {
                        s[0] += u[0] * v[0];
                    } else if (widthB == 1) {
                        s[0] += u[0] * v[0];
                        s[1] += u[1] * v[0];
                    } else {
                        addProduct(s, u, v);
                    }
                }
            }
            out[0] = s[0];
            if (widthA == 2) out[1] = s[1];
        }
    }
}

}  // namespace

void foldReal(const double* a, int ra, int ca, const double* b, int rb, int cb, double* out) {
    fold<1, 1>(a, ra, ca, b, rb, cb, out);
}

void foldComplexReal(const double* a, int ra, int ca, const double* b, int rb, int cb,
                     double* out) {
    fold<2, 1>(a, ra, ca, b, rb, cb, out);
}

void foldComplex(const double* a, int ra, int ca, const double* b, int rb, int cb, double* out) {
    fold<2, 2>(a, ra, ca, b, rb, cb, out);
}

}  // namespace kalix
