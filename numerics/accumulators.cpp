// The exact long accumulator. Terms are split into an integer mantissa and
// a binary exponent, products of two mantissas are formed in 128 bits, and
// the exact term is added into the fixed-point words at its bit position.
#include "numerics/accumulators.h"

#include <cmath>
#include <cstring>

namespace kalix {

namespace {

constexpr int wordCount = LongAccumulator::wordCount;
constexpr int windowBits = 2048;  // bits 0 .. 2047 hold |value| < 2^1024
constexpr int lowestExponent = -1024;

using uint128 = unsigned __int128;

// x = (negative ? -1 : 1) * mantissa * 2^exponent; false for NaN and
// infinities. Zero gives mantissa 0.
bool splitDouble(double x, uint64_t* mantissa, int* exponent, bool* negative) {
    uint64_t bits;
    std::memcpy(&bits, &x, 8);
    *negative = (bits >> 63) != 0;
    const int biased = int((bits >> 52) & 0x7ff);
    const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
    if (biased == 0x7ff) return false;
    if (biased == 0) {
        *mantissa = fraction;
        *exponent = -1074;
    } else {
        *mantissa = fraction | (uint64_t(1) << 52);
        *exponent = biased - 1075;
    }
    return true;
}

int bitLength(uint128 m) {
    const uint64_t high = uint64_t(m >> 64);
    if (high) return 128 - __builtin_clzll(high);
    const uint64_t low = uint64_t(m);
    return low ? 64 - __builtin_clzll(low) : 0;
}

int trailingZeros(uint128 m) {
    const uint64_t low = uint64_t(m);
    if (low) return __builtin_ctzll(low);
    return 64 + __builtin_ctzll(uint64_t(m >> 64));
}

// Places m * 2^exponent on the window: `*shift` becomes the bit position of
// m's lowest bit. Fails when a nonzero bit falls outside the window.
AccumulatorStatus placeOnWindow(uint128* m, int exponent, int* shift) {
    int s = exponent - lowestExponent;
    if (s < 0) {
        if (-s >= 128 || trailingZeros(*m) < -s) return accumulatorBelowRange;
        *m >>= -s;
        s = 0;
    }
    if (bitLength(*m) + s > windowBits) return accumulatorOverflow;
    *shift = s;
    return accumulatorOk;
}

// The three words of m << (shift mod 64).
void spreadWords(uint128 m, int offset, uint64_t parts[3]) {
    const uint64_t low = uint64_t(m), high = uint64_t(m >> 64);
    if (offset == 0) {
        parts[0] = low;
        parts[1] = high;
        parts[2] = 0;
    } else {
        parts[0] = low << offset;
        parts[1] = (low >> (64 - offset)) | (high << offset);
        parts[2] = high >> (64 - offset);
    }
}

void addMagnitude(uint64_t* words, int first, const uint64_t parts[3]) {
    uint64_t carry = 0;
    int k = first;
    for (int i = 0; i < 3 && k < wordCount; i++, k++) {
        const uint64_t sum = words[k] + parts[i];
        const uint64_t carried = sum + carry;
        carry = (sum < parts[i]) | (carried < sum);
        words[k] = carried;
    }
    for (; carry && k < wordCount; k++) carry = ++words[k] == 0;
}

void subtractMagnitude(uint64_t* words, int first, const uint64_t parts[3]) {
    uint64_t borrow = 0;
    int k = first;
    for (int i = 0; i < 3 && k < wordCount; i++, k++) {
        const uint64_t a = words[k];
        const uint64_t difference = a - parts[i];
        const uint64_t borrowed = difference - borrow;
        borrow = (a < parts[i]) | (difference < borrow);
        words[k] = borrowed;
    }
    for (; borrow && k < wordCount; k++) borrow = words[k]-- == 0;
}

bool isNegative(const LongAccumulator& acc) { return (acc.words[wordCount - 1] >> 63) != 0; }

// The value lies in (-2^1024, 2^1024): the sign word is all zeros, or all
// ones with some nonzero bit below (which excludes -2^1024).
bool isInWindow(const LongAccumulator& acc) {
    const uint64_t top = acc.words[wordCount - 1];
    if (top == 0) return true;
    if (top != ~uint64_t(0)) return false;
    for (int k = 0; k < wordCount - 1; k++)
        if (acc.words[k]) return true;
    return false;
}

// acc += (negative ? -m : m) * 2^(shift - 1024), undone when the sum leaves
// the window.
AccumulatorStatus addPlaced(LongAccumulator& acc, uint128 m, int shift, bool negative) {
    uint64_t parts[3];
    spreadWords(m, shift % 64, parts);
    const int first = shift / 64;
    if (negative)
        subtractMagnitude(acc.words, first, parts);
    else
        addMagnitude(acc.words, first, parts);
    if (isInWindow(acc)) return accumulatorOk;
    if (negative)
        addMagnitude(acc.words, first, parts);
    else
        subtractMagnitude(acc.words, first, parts);
    return accumulatorOverflow;
}

AccumulatorStatus addProductTerm(LongAccumulator& acc, double a, double b, bool negate) {
    uint64_t ma, mb;
    int ea, eb;
    bool na, nb;
    if (!splitDouble(a, &ma, &ea, &na) || !splitDouble(b, &mb, &eb, &nb))
        return accumulatorOverflow;
    if (ma == 0 || mb == 0) return accumulatorOk;
    uint128 m = uint128(ma) * mb;
    int shift;
    const AccumulatorStatus placed = placeOnWindow(&m, ea + eb, &shift);
    if (placed != accumulatorOk) return placed;
    return addPlaced(acc, m, shift, (na != nb) != negate);
}

// |acc| into `magnitude`; true when acc is negative.
bool takeMagnitude(const LongAccumulator& acc, uint64_t* magnitude) {
    const bool negative = isNegative(acc);
    uint64_t carry = 1;
    for (int k = 0; k < wordCount; k++) {
        if (!negative) {
            magnitude[k] = acc.words[k];
            continue;
        }
        const uint64_t inverted = ~acc.words[k];
        magnitude[k] = inverted + carry;
        carry = carry && magnitude[k] == 0;
    }
    return negative;
}

// `count` (at most 64) bits of the magnitude from bit `start` upwards.
uint64_t bitsAt(const uint64_t* magnitude, int start, int count) {
    const int word = start / 64, offset = start % 64;
    uint64_t v = magnitude[word] >> offset;
    if (offset && word + 1 < wordCount) v |= magnitude[word + 1] << (64 - offset);
    return count == 64 ? v : v & ((uint64_t(1) << count) - 1);
}

// Whether any bit below `end` is set.
bool anyBitBelow(const uint64_t* magnitude, int end) {
    if (end <= 0) return false;
    const int word = end / 64, offset = end % 64;
    for (int k = 0; k < word; k++)
        if (magnitude[k]) return true;
    return offset && (magnitude[word] & ((uint64_t(1) << offset) - 1));
}

}  // namespace

void clearAccumulator(LongAccumulator& acc) { std::memset(acc.words, 0, sizeof acc.words); }

bool isAccumulatorZero(const LongAccumulator& acc) {
    for (uint64_t w : acc.words)
        if (w) return false;
    return true;
}

AccumulatorStatus addToAccumulator(LongAccumulator& acc, double x) {
    uint64_t mantissa;
    int exponent;
    bool negative;
    if (!splitDouble(x, &mantissa, &exponent, &negative)) return accumulatorOverflow;
    if (mantissa == 0) return accumulatorOk;
    uint128 m = mantissa;
    int shift;
    const AccumulatorStatus placed = placeOnWindow(&m, exponent, &shift);
    if (placed != accumulatorOk) return placed;
    return addPlaced(acc, m, shift, negative);
}

AccumulatorStatus addProductToAccumulator(LongAccumulator& acc, double a, double b) {
    return addProductTerm(acc, a, b, false);
}

AccumulatorStatus addDotProduct(LongAccumulator& acc, const double* x, const double* y, int64_t n) {
    for (int64_t i = 0; i < n; i++) {
        const AccumulatorStatus status = addProductTerm(acc, x[i], y[i], false);
        if (status != accumulatorOk) return status;
    }
    return accumulatorOk;
}

AccumulatorStatus addIntervalProductBounds(LongAccumulator& lower, LongAccumulator& upper, double a,
                                           double b, double c, double d) {
    // The bound products by the signs of the factors; where both factors
    // hold 0, the candidates are compared exactly.
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d))
        return accumulatorOverflow;
    double l1, l2, u1, u2;
    auto pick = [](double p1, double p2, double q1, double q2, bool smaller) {
        LongAccumulator difference;
        clearAccumulator(difference);
        addProductTerm(difference, p1, p2, false);
        addProductTerm(difference, q1, q2, true);
        const bool firstIsSmaller = isNegative(difference);
        return smaller == firstIsSmaller;
    };
    if (a >= 0) {
        if (c >= 0) {
            l1 = a, l2 = c, u1 = b, u2 = d;
        } else if (d >= 0) {
            l1 = b, l2 = c, u1 = b, u2 = d;
        } else {
            l1 = b, l2 = c, u1 = a, u2 = d;
        }
    } else if (b >= 0) {
        if (c >= 0) {
            l1 = a, l2 = d, u1 = b, u2 = d;
        } else if (d >= 0) {
            if (pick(a, d, b, c, true))
                l1 = a, l2 = d;
            else
                l1 = b, l2 = c;
            if (pick(b, d, a, c, false))
                u1 = b, u2 = d;
            else
                u1 = a, u2 = c;
        } else {
            l1 = b, l2 = c, u1 = a, u2 = c;
        }
    } else {
        if (c >= 0) {
            l1 = a, l2 = d, u1 = b, u2 = c;
        } else if (d >= 0) {
            l1 = a, l2 = d, u1 = a, u2 = c;
        } else {
            l1 = b, l2 = d, u1 = a, u2 = c;
        }
    }
    const AccumulatorStatus status = addProductTerm(lower, l1, l2, false);
    if (status != accumulatorOk) return status;
    return addProductTerm(upper, u1, u2, false);
}

double accumulatorToDouble(const LongAccumulator& acc, AccumulatorRounding rounding) {
    uint64_t magnitude[wordCount];
    const bool negative = takeMagnitude(acc, magnitude);
    int top = wordCount - 1;
    while (top >= 0 && magnitude[top] == 0) top--;
    if (top < 0) return 0;
    const int highestBit = top * 64 + 63 - __builtin_clzll(magnitude[top]);
    // Every value below 2^53 units is a double (at most 53 bits, none below
    // the subnormal grid).
    const int unit = highestBit > 52 ? highestBit - 52 : 0;
    uint64_t mantissa = bitsAt(magnitude, unit, 53);
    const bool half = unit > 0 && ((bitsAt(magnitude, unit - 1, 1)) != 0);
    const bool below = anyBitBelow(magnitude, unit - 1);
    bool up = false;
    switch (rounding) {
        case roundToNearest:
            up = half && (below || (mantissa & 1));
            break;
        case roundTowardPositive:
            up = !negative && (half || below);
            break;
        case roundTowardNegative:
            up = negative && (half || below);
            break;
    }
    if (up) mantissa++;
    const double value = std::ldexp(double(mantissa), unit + lowestExponent);
    return negative ? -value : value;
}

int accumulatorDigitTerms(const LongAccumulator& acc, double* terms) {
    uint64_t magnitude[wordCount];
    const bool negative = takeMagnitude(acc, magnitude);
    auto digit = [&](int d) { return int((magnitude[d / 4] >> (16 * (d % 4))) & 0xffff); };
    int high = accumulatorDigitCount - 1, low = 0;
    while (high > 0 && digit(high) == 0) high--;
    while (low < high && digit(low) == 0) low++;
    int n = 0;
    for (int d = high; d >= low; d--) {
        const double term = std::ldexp(double(digit(d)), 16 * (d + accumulatorLowestDigit));
        terms[n++] = negative && term != 0 ? -term : term;
    }
    return n;
}

}  // namespace kalix
