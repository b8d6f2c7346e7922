// Most-significant-digit radix sort of doubles by their bit patterns.
#include "numerics/sorting.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace kalix {

namespace {

// A key that orders as the double does: negative numbers have all bits
// inverted, the others only the sign bit; -0 counts as 0.
uint64_t sortKey(double x) {
    uint64_t bits;
    if (x == 0) x = 0;
    std::memcpy(&bits, &x, 8);
    return (bits >> 63) ? ~bits : bits | (uint64_t(1) << 63);
}

double valueOfKey(uint64_t key) {
    const uint64_t bits = (key >> 63) ? key & ~(uint64_t(1) << 63) : ~key;
    double x;
    std::memcpy(&x, &bits, 8);
    return x;
}

struct SortRecord {
    uint64_t key;
    uint64_t position;
};

constexpr uint32_t insertionLimit = 32;
constexpr int maxDigitBits = 11;

// Stable by key: equal keys keep their order.
void insertionSort(SortRecord* a, uint32_t n) {
    for (uint32_t i = 1; i < n; i++) {
        const SortRecord item = a[i];
        uint32_t j = i;
        for (; j > 0 && a[j - 1].key > item.key; j--) a[j] = a[j - 1];
        a[j] = item;
    }
}

// Sorts a[0 .. n) stably by key with tmp[0 .. n) as work space: a stable
// distribution by the highest bits in which the keys differ (so clustered
// data, such as numbers of one exponent, spread at once), then each bucket
// by the bits below. Buckets soon fit the cache.
void sortRecords(SortRecord* a, SortRecord* tmp, uint32_t n) {
    if (n <= insertionLimit) {
        insertionSort(a, n);
        return;
    }
    uint64_t differ = 0;
    for (uint32_t i = 1; i < n; i++) differ |= a[i].key ^ a[0].key;
    if (differ == 0) return;  // all equal: already in their original order
    const int bits = std::min(maxDigitBits, std::max(4, int(std::bit_width(n)) - 2));
    const int high = 63 - std::countl_zero(differ);
    const int shift = std::max(0, high - bits + 1);
    const uint64_t mask = (uint64_t(1) << bits) - 1;
    uint32_t start[(1 << maxDigitBits) + 1] = {};
    for (uint32_t i = 0; i < n; i++) start[((a[i].key >> shift) & mask) + 1]++;
    for (uint64_t b = 1; b <= mask + 1; b++) start[b] += start[b - 1];
    uint32_t next[1 << maxDigitBits];
    std::memcpy(next, start, sizeof(uint32_t) * (mask + 1));
    for (uint32_t i = 0; i < n; i++) tmp[next[(a[i].key >> shift) & mask]++] = a[i];
    std::memcpy(a, tmp, sizeof(SortRecord) * n);
    for (uint64_t b = 0; b <= mask; b++) {
        const uint32_t size = start[b + 1] - start[b];
        if (size > 1) sortRecords(a + start[b], tmp + start[b], size);
    }
}

}  // namespace

int64_t doubleSortScratchBytes(int64_t n) { return 2 * int64_t(sizeof(SortRecord)) * n; }

void sortDoubles(const double* values, uint32_t n, double* sorted, double* positions,
                 void* scratch) {
    SortRecord* records = static_cast<SortRecord*>(scratch);
    // Numbers to the records, NaNs straight to the end of the results.
    uint32_t count = 0;
    for (uint32_t i = 0; i < n; i++)
        if (!std::isnan(values[i])) records[count++] = {sortKey(values[i]), i};
    for (uint32_t i = 0, k = count; k < n; i++) {
        if (!std::isnan(values[i])) continue;
        sorted[k] = values[i];
        positions[k++] = i;
    }
    sortRecords(records, records + n, count);
    for (uint32_t i = 0; i < count; i++) {
        const double x = valueOfKey(records[i].key);
        sorted[i] = x == 0 ? values[records[i].position] : x;  // keeps the sign of a zero
        positions[i] = double(records[i].position);
    }
}

}  // namespace kalix
