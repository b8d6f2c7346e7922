// Searches in vectors on plain data: the position of a value in a sorted
// vector, the first equal element, and the extremes that plots scale by.
#pragma once

#include <cstdint>

namespace kalix {

// The number of elements <= x in the sorted v[0 .. n) by bisection: 0 when
// x < v[0], n when x > v[n - 1], else the last position whose element is
// <= x; 0 for an empty v. `Vector` is indexed by position and its items
// compare with `T` by <, >, <= and == (doubles without NaN, or a string
// wrapper).
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

// The 1-based position of the last element equal to x in the sorted v, 0
// when none is.
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

// A sorted vector of doubles in the order that sorting gives: numbers
// ascending, then any NaN elements. Searches compare in that order: a NaN
// is above every number and equal to another NaN, so numbers are searched
// among the numbers only and a NaN query stands for the NaN elements.
struct SortedDoubles {
    const double* v;
    int64_t n;
    int64_t numbers;  // elements before the NaNs at the end
};
SortedDoubles sortedDoubles(const double* v, int64_t n);

int64_t countNotAbove(const SortedDoubles& s, double x);
int64_t lastEqualPosition(const SortedDoubles& s, double x);
int64_t equalCount(const SortedDoubles& s, double x);
// countNotAbove for each of x[0 .. m) into out, with the bisections of
// several queries interleaved so that their memory reads overlap.
void countNotAboveEach(const SortedDoubles& s, const double* x, int64_t m, double* out);

// The 1-based position of the first element equal to x (a NaN x finds the
// first NaN), 0 when none is.
int64_t firstEqualPosition(const double* v, int64_t n, double x);
// The same for each of x[0 .. m) into out, for many queries: v is sorted
// once (stably, so the first of equal elements leads its run) into
// `scratch` of firstEqualScratchBytes(n) bytes, aligned to 8, and each
// query found by bisection.
int64_t firstEqualScratchBytes(int64_t n);
void firstEqualPositionEach(const double* v, uint32_t n, const double* x, int64_t m, double* out,
                            void* scratch);

// Minimum and maximum of n doubles, NaN elements passed over, with their
// 0-based positions (the first of equal extremes). All zero for n = 0; NaN
// at position 0 when every element is NaN.
struct MinMax {
    double minimum, maximum;
    int64_t minimumIndex, maximumIndex;
};
MinMax findMinMax(const double* x, int64_t n);

}  // namespace kalix
