// Searches in vectors of doubles.
#include "numerics/vector_search.h"

#include <algorithm>
#include <cmath>

#include "numerics/sorting.h"

namespace kalix {

SortedDoubles sortedDoubles(const double* v, int64_t n) {
    int64_t numbers = n;
    while (numbers > 0 && std::isnan(v[numbers - 1])) numbers--;
    return {v, n, numbers};
}

int64_t countNotAbove(const SortedDoubles& s, double x) {
    return std::isnan(x) ? s.n : countNotAbove(s.v, s.numbers, x);
}

int64_t lastEqualPosition(const SortedDoubles& s, double x) {
    if (std::isnan(x)) return s.numbers < s.n ? s.n : 0;
    return lastEqualPosition(s.v, s.numbers, x);
}

int64_t equalCount(const SortedDoubles& s, double x) {
    return std::isnan(x) ? s.n - s.numbers : equalCount(s.v, s.numbers, x);
}

void countNotAboveEach(const SortedDoubles& s, const double* x, int64_t m, double* out) {
    constexpr int batch = 16;
    const double* v = s.v;
    const int64_t n = s.numbers;
    int64_t low[batch], high[batch];
    for (int64_t first = 0; first < m; first += batch) {
        const int count = int(std::min<int64_t>(batch, m - first));
        const double* query = x + first;
        for (int q = 0; q < count; q++) {
            low[q] = 0;
            high[q] = n - 1;
        }
        // Bisect all queries together; a finished one keeps its bounds.
        for (bool going = n > 2; going;) {
            going = false;
            for (int q = 0; q < count; q++) {
                const int64_t middle = (low[q] + high[q]) / 2;
                const bool open = high[q] - low[q] > 1;
                const bool greater = v[middle] > query[q];
                high[q] = open && greater ? middle : high[q];
                low[q] = open && !greater ? middle : low[q];
                going |= open;
            }
        }
        for (int q = 0; q < count; q++) {
            const double y = query[q];
            int64_t p;
            if (std::isnan(y))
                p = s.n;
            else if (n == 0 || y < v[0])
                p = 0;
            else if (y > v[n - 1])
                p = n;
            else
                p = v[high[q]] <= y ? high[q] + 1 : low[q] + 1;
            while (p < n && v[p] <= y) p++;
            out[first + q] = double(p);
        }
    }
}

int64_t firstEqualPosition(const double* v, int64_t n, double x) {
    if (std::isnan(x)) {
        for (int64_t i = 0; i < n; i++)
            if (std::isnan(v[i])) return i + 1;
        return 0;
    }
    for (int64_t i = 0; i < n; i++)
        if (v[i] == x) return i + 1;
    return 0;
}

int64_t firstEqualScratchBytes(int64_t n) { return 16 * n + doubleSortScratchBytes(n); }

void firstEqualPositionEach(const double* v, uint32_t n, const double* x, int64_t m, double* out,
                            void* scratch) {
    double* sorted = static_cast<double*>(scratch);
    double* positions = sorted + n;
    sortDoubles(v, n, sorted, positions, positions + n);
    const SortedDoubles s = sortedDoubles(sorted, n);
    for (int64_t i = 0; i < m; i++) {
        const double y = x[i];
        int64_t k;
        if (std::isnan(y)) {
            k = s.numbers;
            out[i] = k < n ? positions[k] + 1 : 0;
            continue;
        }
        k = std::lower_bound(sorted, sorted + s.numbers, y) - sorted;
        out[i] = k < s.numbers && sorted[k] == y ? positions[k] + 1 : 0;
    }
}

MinMax findMinMax(const double* x, int64_t n) {
    if (n == 0) return {0, 0, 0, 0};
    MinMax m = {x[0], x[0], 0, 0};
    for (int64_t i = 1; i < n; i++) {
        if (std::isnan(x[i])) continue;
        if (std::isnan(m.minimum))
            m = {x[i], x[i], i, i};
        else if (x[i] < m.minimum)
            m.minimum = x[i], m.minimumIndex = i;
        else if (x[i] > m.maximum)
            m.maximum = x[i], m.maximumIndex = i;
    }
    return m;
}

}  // namespace kalix
