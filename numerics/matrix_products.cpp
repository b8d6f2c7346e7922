// Products that skip zero factors.
#include "numerics/matrix_products.h"

#include <algorithm>
#include <cstdint>

#include "numerics/complex_pairs.h"

namespace kalix {

namespace {

// Row i of c from column `from` on; the terms of each entry are added in
// the order of k.
template <typename E>
void multiplyRow(const E* a, int i, int k, const E* b, int m, int from, E* c) {
    E* row = c + int64_t(i) * m;
    std::fill(row + from, row + m, E{});
    const E* ai = a + int64_t(i) * k;
    for (int l = 0; l < k; l++) {
        const E f = ai[l];
        if (isZero(f)) continue;
        const E* bl = b + int64_t(l) * m;
        for (int j = from; j < m; j++)
            if (!isZero(bl[j])) row[j] += f * bl[j];
    }
}

template <typename E>
void multiplySkipping(const E* a, int n, int k, const E* b, int m, E* c) {
    for (int i = 0; i < n; i++) multiplyRow(a, i, k, b, m, 0, c);
}

template <typename E>
void multiplySymmetric(const E* a, int n, int k, const E* b, E* c) {
    for (int i = 0; i < n; i++) multiplyRow(a, i, k, b, n, i, c);
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++) c[int64_t(j) * n + i] = conjugate(c[int64_t(i) * n + j]);
}

}  // namespace

void multiplySkippingZerosReal(const double* a, int n, int k, const double* b, int m, double* c) {
    multiplySkipping(a, n, k, b, m, c);
}

void multiplySkippingZerosComplex(const double* a, int n, int k, const double* b, int m,
                                  double* c) {
    multiplySkipping(asPairs(a), n, k, asPairs(b), m, asPairs(c));
}

void multiplySymmetricReal(const double* a, int n, int k, const double* b, double* c) {
    multiplySymmetric(a, n, k, b, c);
}

void multiplySymmetricComplex(const double* a, int n, int k, const double* b, double* c) {
    multiplySymmetric(asPairs(a), n, k, asPairs(b), asPairs(c));
}

}  // namespace kalix
