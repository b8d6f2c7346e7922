// Interval arithmetic with outward rounding.
//
// An interval is a pair of doubles, lower then upper, lower <= upper. Every
// computed bound is moved outward so that the exact result of the operation
// on any points of the operands lies inside the computed interval. Bounds
// that are only selected or copied (min, max, hull, negation, constructors
// from two bounds) are not moved.
#pragma once

#include "interpreter/stack.h"

// One step outward from a correctly rounded result (+, -, *, /, sqrt): the
// neighbouring double below / above. Zero stays zero: a sum or difference is
// zero only when exact; products and quotients that underflow to zero are
// handled by the operations themselves. NaN and the infinity in the
// direction of the step stay as they are.
double roundDown(double x);
double roundUp(double x);

// Bounds of a math-library function value (within one unit in the last
// place, not correctly rounded): two steps outward.
double roundDownFunction(double x);
double roundUpFunction(double x);

// Operations on bounds: operands (lo1, hi1) and (lo2, hi2), results through
// the last two pointers. The quotient refuses a divisor holding 0 with
// "Division by 0\n" and error 1.
void addIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void subtractIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void multiplyIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void divideIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void negateInterval(double lo, double hi, double* rlo, double* rhi);

// The same on pairs: each operand points to its two doubles; the result may
// be one of the operands.
void addIntervals(const double* a, const double* b, double* result);
void subtractIntervals(const double* a, const double* b, double* result);
void multiplyIntervals(const double* a, const double* b, double* result);
void divideIntervals(const double* a, const double* b, double* result);
void copyDoublePair(const double* source, double* destination);

// Turns a real or real matrix record into an interval or interval matrix
// with both bounds equal to the value, in place; the records above it move
// up by the growth. Intervals are left alone. Complex: "Cannot convert from
// complex to interval.\n", other kinds "Argument not real or complex.\n",
// error 1; no room: "Memory overflow!\n", error 180.
void promoteToInterval(header* record);

// Interval element functions: (lower, upper) in, (lower, upper) out.
void expInterval(const double* x, double* result);
void logInterval(const double* x, double* result);
void sqrtInterval(const double* x, double* result);
void sinInterval(const double* x, double* result);
void cosInterval(const double* x, double* result);
void tanInterval(const double* x, double* result);
void asinInterval(const double* x, double* result);
void acosInterval(const double* x, double* result);
void atanInterval(const double* x, double* result);
void absInterval(const double* x, double* result);
void degreeInterval(const double* x, double* result);
void percentInterval(const double* x, double* result);

// Binary interval element functions.
void maxIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void minIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void powerInterval(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void intersectIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void hullIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);

// Interval tests with a real 0/1 result.
double isProperSubinterval(double lo1, double hi1, double lo2, double hi2);
double isSubinterval(double lo1, double hi1, double lo2, double hi2);
double intervalsIntersect(double lo1, double hi1, double lo2, double hi2);

// Interval-to-real element functions.
double intervalDiameter(const double* x);
double intervalLeft(const double* x);
double intervalRight(const double* x);
double intervalMiddle(const double* x);

// Handlers the evaluator calls (first operand's record, the second behind
// it). The literals ~a~ and ~a,b~ are the builtin `interval` with one and
// two arguments.
void makeInterval(header* first);                   // interval(a), ~a~
void makeIntervalFromBounds(header* first);         // interval(a, b), ~a,b~
void applyPlusMinus(header* first);                 // a ± b
void testProperSubintervalOperator(header* first);  // <<
void testSubintervalOperator(header* first);        // <<=
