// Hessenberg form and characteristic polynomial.
#include "numerics/hessenberg.h"

#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "numerics/complex_pairs.h"

namespace kalix {

namespace {

// Element (i, j) of the matrix seen through the index vector.
template <typename E>
struct Indexed {
    E* a;
    int n;
    const int* order;
    E& operator()(int i, int j) const { return a[int64_t(order[i]) * n + order[j]]; }
};

template <typename E>
void reduce(E* a, int n, double epsilon, int* order) {
    for (int i = 0; i < n; i++) order[i] = i;
    const Indexed<E> h{a, n, order};
    for (int j = 0; j + 2 < n; j++) {
        int p = j + 1;
        double best = magnitude(h(j + 1, j));
        for (int i = j + 2; i < n; i++) {
            const double v = magnitude(h(i, j));
            if (v > best) {
                best = v;
                p = i;
            }
        }
        if (best < epsilon) continue;
        if (p != j + 1) std::swap(order[j + 1], order[p]);
        const E pivot = h(j + 1, j);
        E* pivotRow = a + int64_t(order[j + 1]) * n;
        const int pivotColumn = order[j + 1];
        for (int k = j + 2; k < n; k++) {
            const E f = -(h(k, j) / pivot);
            h(k, j) = f;
            E* row = a + int64_t(order[k]) * n;
            for (int m = j + 1; m < n; m++) row[order[m]] += f * pivotRow[order[m]];
            const int column = order[k];
            for (int m = 0; m < n; m++) {
                E* r = a + int64_t(m) * n;
                r[pivotColumn] -= f * r[column];
            }
        }
    }
}

template <typename E>
bool charpoly(E* a, int n, double epsilon, E* coefficients) {
    if (n <= 0) {
        coefficients[0] = unitOf<E>();
        return true;
    }
    std::vector<int> order;
    try {
        order.resize(size_t(n));
    } catch (const std::bad_alloc&) {
        return false;
    }
    reduce(a, n, epsilon, order.data());
    const Indexed<E> h{a, n, order.data()};
    h(0, 0) = -h(0, 0);
    for (int i = 1; i < n; i++) {
        h(0, i) = -h(0, i);
        for (int j = 1; j <= i; j++) {
            const E s = h(j, j - 1);
            const E t = -h(j, i);
            for (int k = 0; k < j; k++) h(k, i) = h(k, i) * s + h(k, j - 1) * t;
            h(j, i) = t;
        }
        for (int j = 0; j < i; j++) h(j + 1, i) += h(j, i - 1);
    }
    for (int k = 0; k < n; k++) coefficients[k] = h(k, n - 1);
    coefficients[n] = unitOf<E>();
    return true;
}

}  // namespace

void reduceHessenbergReal(double* a, int n, double epsilon, int* order) {
    reduce(a, n, epsilon, order);
}

void reduceHessenbergComplex(double* a, int n, double epsilon, int* order) {
    reduce(asPairs(a), n, epsilon, order);
}

bool computeCharpolyReal(double* a, int n, double epsilon, double* coefficients) {
    return charpoly(a, n, epsilon, coefficients);
}

bool computeCharpolyComplex(double* a, int n, double epsilon, double* coefficients) {
    return charpoly(asPairs(a), n, epsilon, asPairs(coefficients));
}

}  // namespace kalix
