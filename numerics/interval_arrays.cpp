// Interval operations over arrays. The portable form runs the element
// kernels one pair after another. On x86-64 processors with AVX2 and FMA
// the arrays go in blocks of four intervals, each bound computed as the
// element kernel computes it (round to nearest, then the rounding error's
// sign from a two-sum or a fused multiply-add moves the bound one step
// outward), with selections instead of branches. A block holding anything
// the block form does not cover (NaN, infinities, results near the
// underflow range, where the element kernels have rules of their own) is
// handed to the element kernels whole.
#include "numerics/interval_arrays.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define BLOCK_FORMS 1
#endif

namespace kalix {

namespace {

// The pair of an operand for element i.
const double* pairAt(IntervalArray x, int64_t i) { return x.steps ? x.pairs + 2 * i : x.pairs; }

template <class Element>
void eachPair(IntervalArray a, IntervalArray b, double* result, int64_t from, int64_t to,
              Element element) {
    for (int64_t i = from; i < to; i++) {
        const double *x = pairAt(a, i), *y = pairAt(b, i);
        element(x[0], x[1], y[0], y[1], &result[2 * i], &result[2 * i + 1]);
    }
}

void subtractElement(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    subtractIntervalBounds(lo1, hi1, lo2, hi2, lo, hi);
}

void addElement(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    addIntervalBounds(lo1, hi1, lo2, hi2, lo, hi);
}

// divideBounds on a divisor known not to hold 0.
void divideElement(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    divideBounds(lo1, hi1, lo2, hi2, lo, hi);
}

void sqrtPairs(const double* x, double* result, int64_t from, int64_t to) {
    for (int64_t i = from; i < to; i++) sqrtBounds(&x[2 * i], &result[2 * i]);
}

bool anyReachesZero(const double* x, int64_t n) {
    bool reaches = false;
    for (int64_t i = 0; i < n; i++) reaches |= x[2 * i] <= 0;
    return reaches;
}

}  // namespace

bool anyIntervalHoldsZero(IntervalArray x, int64_t n) {
    if (!x.steps) n = n > 0 ? 1 : 0;
    bool holds = false;
    for (int64_t i = 0; i < n; i++) holds |= x.pairs[2 * i] <= 0 && x.pairs[2 * i + 1] >= 0;
    return holds;
}

}  // namespace kalix

#ifdef BLOCK_FORMS
#include <immintrin.h>

namespace kalix {

#define WIDE __attribute__((target("avx2,fma")))

namespace {

using Wide = __m256d;

// Four intervals: their lower and their upper bounds. The pairs are
// unpacked within each 128-bit half, so the lanes hold elements 0, 2, 1, 3;
// packing reverses that.
struct Block {
    Wide lo, hi;
};

WIDE inline Block loadBlock(IntervalArray x, int64_t i) {
    if (!x.steps) return {_mm256_broadcast_sd(x.pairs), _mm256_broadcast_sd(x.pairs + 1)};
    Wide first = _mm256_loadu_pd(x.pairs + 2 * i), second = _mm256_loadu_pd(x.pairs + 2 * i + 4);
    return {_mm256_unpacklo_pd(first, second), _mm256_unpackhi_pd(first, second)};
}

WIDE inline void storeBlock(double* result, int64_t i, Block r) {
    _mm256_storeu_pd(result + 2 * i, _mm256_unpacklo_pd(r.lo, r.hi));
    _mm256_storeu_pd(result + 2 * i + 4, _mm256_unpackhi_pd(r.lo, r.hi));
}

// Comparisons give all-ones lanes; a selection looks at the sign bit only.
WIDE inline Wide less(Wide x, Wide y) { return _mm256_cmp_pd(x, y, _CMP_LT_OQ); }
WIDE inline Wide atLeast(Wide x, Wide y) { return _mm256_cmp_pd(x, y, _CMP_GE_OQ); }
WIDE inline Wide equal(Wide x, Wide y) { return _mm256_cmp_pd(x, y, _CMP_EQ_OQ); }
WIDE inline Wide both(Wide p, Wide q) { return _mm256_and_pd(p, q); }
WIDE inline Wide either(Wide p, Wide q) { return _mm256_or_pd(p, q); }
WIDE inline Wide negation(Wide p) {
    return _mm256_xor_pd(p, _mm256_castsi256_pd(_mm256_set1_epi64x(-1)));
}
WIDE inline Wide select(Wide where, Wide yes, Wide no) { return _mm256_blendv_pd(no, yes, where); }
WIDE inline Wide zeros() { return _mm256_setzero_pd(); }
WIDE inline Wide magnitude(Wide x) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), x); }
WIDE inline bool allSet(Wide p) { return _mm256_movemask_pd(p) == 0xF; }

// Nonzero, finite and NaN-free lanes hold x >= limit in magnitude.
WIDE inline Wide inRange(Wide x, double limit) {
    Wide m = magnitude(x);
    return both(atLeast(m, _mm256_set1_pd(limit)), less(m, _mm256_set1_pd(INFINITY)));
}

WIDE inline Wide finite(Wide x) { return less(magnitude(x), _mm256_set1_pd(INFINITY)); }

// The neighbouring double where `move` is set, for nonzero finite lanes:
// one unit more or less in the bit pattern, by the sign.
WIDE inline Wide stepWhere(Wide x, Wide move, Wide towardZero) {
    __m256i delta = _mm256_or_si256(_mm256_castpd_si256(towardZero), _mm256_set1_epi64x(1));
    Wide stepped = _mm256_castsi256_pd(_mm256_add_epi64(_mm256_castpd_si256(x), delta));
    return select(move, stepped, x);
}
WIDE inline Wide stepDownWhere(Wide x, Wide move) { return stepWhere(x, move, less(zeros(), x)); }
WIDE inline Wide stepUpWhere(Wide x, Wide move) { return stepWhere(x, move, less(x, zeros())); }

// sumDown and sumUp; `covered` is cleared where a sum is not finite.
WIDE inline Wide sumError(Wide a, Wide b, Wide s) {
    Wide bb = _mm256_sub_pd(s, a);
    return _mm256_add_pd(_mm256_sub_pd(a, _mm256_sub_pd(s, bb)), _mm256_sub_pd(b, bb));
}
WIDE inline Wide sumDownBlock(Wide a, Wide b, Wide& covered) {
    Wide s = _mm256_add_pd(a, b);
    covered = both(covered, finite(s));
    return stepDownWhere(s, less(sumError(a, b, s), zeros()));
}
WIDE inline Wide sumUpBlock(Wide a, Wide b, Wide& covered) {
    Wide s = _mm256_add_pd(a, b);
    covered = both(covered, finite(s));
    return stepUpWhere(s, less(zeros(), sumError(a, b, s)));
}

// productDown and productUp: +0 for a zero factor; `covered` is cleared
// where a product of nonzero factors is out of range.
struct Product {
    Wide zero, p, error;
};
WIDE inline Product productOf(Wide a, Wide b, Wide& covered) {
    Wide zero = either(equal(a, zeros()), equal(b, zeros()));
    Wide p = _mm256_mul_pd(a, b);
    covered = both(covered, either(zero, inRange(p, interval_detail::exactErrorLimit)));
    return {zero, p, _mm256_fmsub_pd(a, b, p)};
}
WIDE inline Wide productDownBlock(Wide a, Wide b, Wide& covered) {
    Product r = productOf(a, b, covered);
    return _mm256_andnot_pd(r.zero, stepDownWhere(r.p, less(r.error, zeros())));
}
WIDE inline Wide productUpBlock(Wide a, Wide b, Wide& covered) {
    Product r = productOf(a, b, covered);
    return _mm256_andnot_pd(r.zero, stepUpWhere(r.p, less(zeros(), r.error)));
}

// quotientDown and quotientUp for a nonzero divisor: +0 for a zero
// dividend; the remainder a - q b over b gives the error's sign.
struct Quotient {
    Wide zero, q, inexact, opposite;
};
WIDE inline Quotient quotientOf(Wide a, Wide b, Wide& covered) {
    constexpr double limit = interval_detail::exactErrorLimit;
    Wide zero = equal(a, zeros());
    Wide q = _mm256_div_pd(a, b);
    Wide regular = both(both(inRange(a, limit), finite(b)), inRange(q, limit));
    covered = both(covered, either(zero, regular));
    Wide remainder = _mm256_fnmadd_pd(q, b, a);
    // Sign bit set where the remainder and the divisor differ in sign.
    return {zero, q, _mm256_cmp_pd(remainder, zeros(), _CMP_NEQ_OQ), _mm256_xor_pd(remainder, b)};
}
WIDE inline Wide quotientDownBlock(Wide a, Wide b, Wide& covered) {
    Quotient r = quotientOf(a, b, covered);
    return _mm256_andnot_pd(r.zero, stepDownWhere(r.q, both(r.inexact, r.opposite)));
}
WIDE inline Wide quotientUpBlock(Wide a, Wide b, Wide& covered) {
    Quotient r = quotientOf(a, b, covered);
    return _mm256_andnot_pd(r.zero, stepUpWhere(r.q, _mm256_andnot_pd(r.opposite, r.inexact)));
}

WIDE inline Wide noNaN(Block x, Block y) {
    Wide ordered = _mm256_cmp_pd(x.lo, x.hi, _CMP_ORD_Q);
    return both(ordered, _mm256_cmp_pd(y.lo, y.hi, _CMP_ORD_Q));
}

// The block forms: false where the element kernels must take the block.
struct AddBlocks {
    WIDE bool operator()(Block x, Block y, Block& r) const {
        Wide covered = noNaN(x, y);
        r = {sumDownBlock(x.lo, y.lo, covered), sumUpBlock(x.hi, y.hi, covered)};
        return allSet(covered);
    }
};

struct SubtractBlocks {
    WIDE bool operator()(Block x, Block y, Block& r) const {
        Wide covered = noNaN(x, y), minus = _mm256_set1_pd(-0.0);
        r = {sumDownBlock(x.lo, _mm256_xor_pd(y.hi, minus), covered),
             sumUpBlock(x.hi, _mm256_xor_pd(y.lo, minus), covered)};
        return allSet(covered);
    }
};

// The factors of multiplyIntervalBounds by the signs of the bounds. A
// product of two intervals holding 0 is the lesser (greater) of two
// products; in other lanes of such a block the second pair repeats the
// first.
struct MultiplyBlocks {
    WIDE bool operator()(Block x, Block y, Block& r) const {
        Wide covered = noNaN(x, y);
        Wide a0 = atLeast(x.lo, zeros()), a1 = atLeast(x.hi, zeros());
        Wide b0 = atLeast(y.lo, zeros()), b1 = atLeast(y.hi, zeros());
        Wide notA0 = negation(a0), notA1 = negation(a1), notB0 = negation(b0), notB1 = negation(b1);
        // The cases of multiplyIntervalBounds: bounds from 0 up, holding 0,
        // below 0 (a reversed interval takes the first case that fits).
        Wide heldA = both(notA0, a1), belowA = both(notA0, notA1);
        Wide heldB = both(notB0, b1), belowB = both(notB0, notB1);
        Wide mixed = both(heldA, heldB);
        Wide lowX = select(either(both(a0, notB0), both(notA0, belowB)), x.hi, x.lo);
        Wide lowY = select(either(a0, both(heldA, belowB)), y.lo, y.hi);
        Wide highX = select(either(both(belowB, either(a0, a1)), both(belowA, notB0)), x.lo, x.hi);
        Wide highY = select(either(belowA, both(heldA, belowB)), y.lo, y.hi);
        Wide low = productDownBlock(lowX, lowY, covered);
        Wide high = productUpBlock(highX, highY, covered);
        if (_mm256_movemask_pd(mixed) != 0) {
            low = _mm256_min_pd(low, productDownBlock(select(mixed, x.hi, lowX),
                                                      select(mixed, y.lo, lowY), covered));
            high = _mm256_max_pd(high, productUpBlock(select(mixed, x.lo, highX),
                                                      select(mixed, y.lo, highY), covered));
        }
        r = {low, high};
        return allSet(covered);
    }
};

// The operands of divideBounds by the signs, for divisors not holding 0.
struct DivideBlocks {
    WIDE bool operator()(Block x, Block y, Block& r) const {
        Wide covered = noNaN(x, y);
        Wide positive = less(zeros(), y.lo);
        Wide a0 = atLeast(x.lo, zeros()), a1 = atLeast(x.hi, zeros());
        Wide lowX = select(positive, x.lo, x.hi);
        Wide fromZeroOrHolding = either(a0, a1);
        Wide lowY = select(select(positive, a0, fromZeroOrHolding), y.hi, y.lo);
        Wide highX = select(positive, x.hi, x.lo);
        Wide highY = select(select(positive, fromZeroOrHolding, a0), y.lo, y.hi);
        r = {quotientDownBlock(lowX, lowY, covered), quotientUpBlock(highX, highY, covered)};
        return allSet(covered);
    }
};

template <class Blocks, class Element>
WIDE void runBlocks(IntervalArray a, IntervalArray b, double* result, int64_t n, Blocks blocks,
                    Element element) {
    int64_t i = 0;
    for (; i + 4 <= n; i += 4) {
        Block r;
        if (blocks(loadBlock(a, i), loadBlock(b, i), r))
            storeBlock(result, i, r);
        else
            eachPair(a, b, result, i, i + 4, element);
    }
    eachPair(a, b, result, i, n, element);
}

// sqrtDown and sqrtUp of intervals above 0.
WIDE void sqrtBlocks(const double* x, double* result, int64_t n) {
    constexpr double limit = interval_detail::exactErrorLimit;
    int64_t i = 0;
    for (; i + 4 <= n; i += 4) {
        Block v = loadBlock({x, true}, i);
        Wide lo = _mm256_sqrt_pd(v.lo), hi = _mm256_sqrt_pd(v.hi);
        Wide covered = both(inRange(v.lo, limit), inRange(v.hi, limit));
        if (!allSet(covered)) {
            sqrtPairs(x, result, i, i + 4);
            continue;
        }
        Wide errorLo = _mm256_fnmadd_pd(lo, lo, v.lo), errorHi = _mm256_fnmadd_pd(hi, hi, v.hi);
        storeBlock(
            result, i,
            {stepDownWhere(lo, less(errorLo, zeros())), stepUpWhere(hi, less(zeros(), errorHi))});
    }
    sqrtPairs(x, result, i, n);
}

bool hasWideUnits() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}

}  // namespace

}  // namespace kalix

#else

namespace kalix {

namespace {
struct AddBlocks;
struct SubtractBlocks;
struct MultiplyBlocks;
struct DivideBlocks;
}  // namespace

}  // namespace kalix

#endif

namespace kalix {

namespace {

// The block form where the processor has one, else the element kernel.
template <class Blocks, class Element>
void runArrays(IntervalArray a, IntervalArray b, double* result, int64_t n, Element element) {
#ifdef BLOCK_FORMS
    if (hasWideUnits()) {
        runBlocks(a, b, result, n, Blocks{}, element);
        return;
    }
#endif
    eachPair(a, b, result, 0, n, element);
}

}  // namespace

void addIntervalArrays(IntervalArray a, IntervalArray b, double* result, int64_t n) {
    runArrays<AddBlocks>(a, b, result, n, addElement);
}

void subtractIntervalArrays(IntervalArray a, IntervalArray b, double* result, int64_t n) {
    runArrays<SubtractBlocks>(a, b, result, n, subtractElement);
}

void multiplyIntervalArrays(IntervalArray a, IntervalArray b, double* result, int64_t n) {
    runArrays<MultiplyBlocks>(a, b, result, n, multiplyIntervalBounds);
}

IntervalStatus divideIntervalArrays(IntervalArray a, IntervalArray b, double* result, int64_t n) {
    if (anyIntervalHoldsZero(b, n)) return IntervalStatus::divisionByZero;
    runArrays<DivideBlocks>(a, b, result, n, divideElement);
    return IntervalStatus::ok;
}

IntervalStatus sqrtIntervalArrays(const double* x, double* result, int64_t n) {
    if (anyReachesZero(x, n)) return IntervalStatus::sqrtOutOfRange;
#ifdef BLOCK_FORMS
    if (hasWideUnits()) {
        sqrtBlocks(x, result, n);
        return IntervalStatus::ok;
    }
#endif
    sqrtPairs(x, result, 0, n);
    return IntervalStatus::ok;
}

}  // namespace kalix
