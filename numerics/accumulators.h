// The exact long accumulator: a fixed-point number wide enough to hold any
// sum of doubles and of products of two doubles whose terms lie in the
// window 2^-1024 .. 2^1024, added without rounding and rounded once when read
// back.
#pragma once

#include <cstdint>

namespace kalix {

// Two's complement over 33 words; bit 0 of word 0 weighs 2^-1024. Values
// are kept inside (-2^1024, 2^1024); word 32 only holds the sign.
struct LongAccumulator {
    static constexpr int wordCount = 33;
    uint64_t words[wordCount];
};

// Digits in base 65536: position p (-64 .. 63) weighs 65536^p.
constexpr int accumulatorLowestDigit = -64;
constexpr int accumulatorHighestDigit = 63;
constexpr int accumulatorDigitCount = 128;

enum AccumulatorStatus {
    accumulatorOk = 0,
    // A term or the sum needs bits above the window, or is NaN or
    // infinite. The accumulator keeps the value it had before the call.
    accumulatorOverflow = 1,
    // A nonzero term has bits below the window (below 2^-1024: subnormal
    // values, or products of two tiny factors). The accumulator keeps the
    // value it had before the call.
    accumulatorBelowRange = 2,
};

enum AccumulatorRounding { roundToNearest, roundTowardNegative, roundTowardPositive };

void clearAccumulator(LongAccumulator& acc);
bool isAccumulatorZero(const LongAccumulator& acc);

// acc += x, acc += a * b: both exact.
AccumulatorStatus addToAccumulator(LongAccumulator& acc, double x);
AccumulatorStatus addProductToAccumulator(LongAccumulator& acc, double a, double b);
// acc += sum of x[i] * y[i] for i < n; on overflow the terms before the
// failing one stay added.
AccumulatorStatus addDotProduct(LongAccumulator& acc, const double* x, const double* y, int64_t n);

// Adds the exact lower bound of [a, b] * [c, d] to `lower` and the exact
// upper bound to `upper` (the upper only when the lower did not fail).
AccumulatorStatus addIntervalProductBounds(LongAccumulator& lower, LongAccumulator& upper, double a,
                                           double b, double c, double d);

// The value rounded once, in the given direction (IEEE rounding; a value
// that rounds beyond the largest double gives an infinity).
double accumulatorToDouble(const LongAccumulator& acc,
                           AccumulatorRounding rounding = roundToNearest);

// The value as its nonzero-range digits, highest first: element k is
// sign * digit * 65536^position, every element exact and their exact sum the
// value. Zero gives the single element 0. Writes at most
// `accumulatorDigitCount` elements and returns their number.
int accumulatorDigitTerms(const LongAccumulator& acc, double* terms);

// The kinds of a pair of accumulators: real, complex (real and imaginary
// part) or interval (lower and upper bound).
constexpr int accuKindReal = 0;
constexpr int accuKindComplex = 1;
constexpr int accuKindInterval = 10;

}  // namespace kalix
