// Searches in vectors on plain data: the position of a value in a sorted
// vector, the first equal element, and the extremes that plots scale by.
#pragma once

#include <cstdint>

// The number of elements <= x in the sorted v[0 .. n) by bisection: 0 when
// x < v[0], n when x > v[n - 1]. Every comparison with a NaN is false, so a
// NaN x gives n - 1 (1 when n is 1), and NaN elements at the end of v are
// passed over. 0 for an empty v. `Vector` is indexed by position and its
// items compare with `T` by <, >, <= and == (doubles, or a string wrapper).
template <class Vector, class T>
int64_t sortedPosition(const Vector& v, int64_t n, const T& x) {
    if (n == 0 || x < v[0]) return 0;
    if (x > v[n - 1]) return n;
    int64_t low = 0, high = n - 1;
    while (high - low > 1) {
        const int64_t middle = (low + high) / 2;
        if (v[middle] > x)
            high = middle;
        else
            low = middle;
    }
    return v[high] <= x ? high + 1 : low + 1;
}

// The number of elements <= x (the position search, then past any later
// elements still <= x: nothing to pass on sorted data).
template <class Vector, class T>
int64_t countNotAbove(const Vector& v, int64_t n, const T& x) {
    int64_t p = sortedPosition(v, n, x);
    while (p < n && v[p] <= x) p++;
    return p;
}

// countNotAbove for each of x[0 .. m) into out: the same answers, with the
// bisections of several queries interleaved so that their memory reads
// overlap.
void countNotAboveEach(const double* v, int64_t n, const double* x, int64_t m, double* out);

// The 1-based position of the last element equal to x in the sorted v, 0
// when none is (a NaN x: see the double overload).
template <class Vector, class T>
int64_t lastEqualPosition(const Vector& v, int64_t n, const T& x) {
    const int64_t p = sortedPosition(v, n, x);
    return p > 0 && v[p - 1] == x ? p : 0;
}

// How many elements of the sorted v equal x.
template <class Vector, class T>
int64_t equalCount(const Vector& v, int64_t n, const T& x) {
    int64_t p = lastEqualPosition(v, n, x), count = 0;
    while (p > 0 && v[p - 1] == x) p--, count++;
    return count;
}

// Doubles: a NaN x stands for the NaN elements at the end of v.
int64_t lastEqualPositionOfDouble(const double* v, int64_t n, double x);
int64_t equalCountOfDouble(const double* v, int64_t n, double x);

// The 1-based position of the first element equal to x (a NaN x finds the
// first NaN), 0 when none is.
int64_t firstEqualPosition(const double* v, int64_t n, double x);

// Minimum and maximum of n doubles, NaN elements passed over, with their
// 0-based positions (the first of equal extremes). All zero for n = 0; NaN
// at position 0 when every element is NaN.
struct MinMax {
    double minimum, maximum;
    int64_t minimumIndex, maximumIndex;
};
MinMax findMinMax(const double* x, int64_t n);
