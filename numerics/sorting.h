// Sorting kernels on plain data: the ascending order of doubles with NaN
// last, and a stable merge sort of positions under any ordering.
#pragma once

#include <algorithm>
#include <cstdint>

namespace kalix {

// Bytes of work space that sortDoubles needs for n values.
int64_t doubleSortScratchBytes(int64_t n);

// Sorts values[0 .. n) ascending into `sorted`, with the 0-based position
// each had into `positions`: every NaN after every number; equal values (-0
// and 0 alike) and the NaNs keep their original order. `scratch` holds
// doubleSortScratchBytes(n) bytes, aligned to 8. A radix sort on the bit
// patterns: no comparisons.
void sortDoubles(const double* values, uint32_t n, double* sorted, double* positions,
                 void* scratch);

// Stable sort of the positions order[0 .. n) by less(a, b); `temp` holds n
// entries. An ordering that is no strict weak order (rows with NaN
// elements) still gives a permutation and never reads outside the arrays.
template <class Less>
void mergeSortPositions(uint32_t* order, uint32_t* temp, int64_t n, Less less) {
    constexpr int64_t run = 16;
    // Insertion sort of short runs: each element moves left past greater ones.
    for (int64_t start = 0; start < n; start += run) {
        const int64_t end = std::min(n, start + run);
        for (int64_t i = start + 1; i < end; i++) {
            const uint32_t item = order[i];
            int64_t j = i;
            for (; j > start && less(item, order[j - 1]); j--) order[j] = order[j - 1];
            order[j] = item;
        }
    }
    // Merge runs of doubling width, back and forth between the two arrays.
    uint32_t* from = order;
    uint32_t* to = temp;
    for (int64_t width = run; width < n; width *= 2) {
        for (int64_t left = 0; left < n; left += 2 * width) {
            const int64_t middle = std::min(n, left + width), right = std::min(n, left + 2 * width);
            int64_t i = left, j = middle, k = left;
            while (i < middle && j < right)
                to[k++] = less(from[j], from[i]) ? from[j++] : from[i++];
            while (i < middle) to[k++] = from[i++];
            while (j < right) to[k++] = from[j++];
        }
        std::swap(from, to);
    }
    if (from != order) std::copy_n(from, n, order);
}

}  // namespace kalix
