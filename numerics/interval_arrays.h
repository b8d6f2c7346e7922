// Interval operations over arrays of bound pairs (lower, upper, lower, ...),
// with the same bits, element by element, as the element kernels of
// numerics/intervals.h. The result may be one of the operands, but must not
// overlap them otherwise.
#pragma once

#include <cstdint>

#include "numerics/intervals.h"

namespace kalix {

// An operand: its pairs, and whether it steps along the array (false: its
// one pair meets every element of the other operand).
struct IntervalArray {
    const double* pairs;
    bool steps;
};

void addIntervalArrays(IntervalArray a, IntervalArray b, double* result, int64_t n);
void subtractIntervalArrays(IntervalArray a, IntervalArray b, double* result, int64_t n);
void multiplyIntervalArrays(IntervalArray a, IntervalArray b, double* result, int64_t n);
// Refuses, writing nothing, when a divisor holds 0.
IntervalStatus divideIntervalArrays(IntervalArray a, IntervalArray b, double* result, int64_t n);
// Refuses, writing nothing, when an interval reaches 0 or below.
IntervalStatus sqrtIntervalArrays(const double* x, double* result, int64_t n);

// Whether one of the intervals holds 0 (a divisor the quotient refuses).
bool anyIntervalHoldsZero(IntervalArray x, int64_t n);

}  // namespace kalix
