// Intervals as the interpreter uses them: the interval kernels that can
// fail, under their reporting names (message and error code on failure),
// the promotion of real records, the operators a ± b, << and <<=, and the
// shape helpers the interval builtins share.
#pragma once

#include "interpreter/stack.h"
#include "numerics/intervals.h"

namespace kalix {

// Prints the message of a failed interval kernel and sets its error code;
// nothing for IntervalStatus::ok.
void reportIntervalStatus(IntervalStatus status);

// The failing kernels with their messages: "Division by 0\n" (1), "Log out
// of range\n" (1), "Sqrt out of range\n" (1), "Floating point error!\n"
// (51) for asin and acos, "tan out of range\n" (1), "Empty intersection.\n"
// (1), and for the power "Cannot raise negative number to non-integer
// power.\n" (10) or "0^n undefined for negative n\n" (1).
void divideIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void divideIntervals(const double* a, const double* b, double* result);
void logInterval(const double* x, double* result);
void sqrtInterval(const double* x, double* result);
void tanInterval(const double* x, double* result);
void asinInterval(const double* x, double* result);
void acosInterval(const double* x, double* result);
void intersectIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void powerInterval(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void expIntervalChecked(const double* x, double* result);
// sqrtInterval over n pairs, for applyInterval: false, writing nothing,
// where an interval reaches 0 or below.
bool sqrtIntervals(const double* x, double* result, int64_t n);

// Turns a real or real matrix record into an interval or interval matrix
// with both bounds equal to the value, in place; the records above it move
// up by the growth. Intervals are left alone. Complex: "Cannot convert from
// complex to interval.\n", other kinds "Argument not real or complex.\n",
// error 1; no room: "Memory overflow!\n", error 180.
void promoteToInterval(header* record);

// The literals ~a~ and ~a,b~, also the builtin `interval` with one and two
// arguments.
void makeInterval(header* first);            // interval(a), ~a~
void makeIntervalFromBounds(header* first);  // interval(a, b), ~a,b~

// Operator handlers the evaluator calls (first operand's record, the second
// behind it).
void applyPlusMinus(header* first);                 // a ± b
void testProperSubintervalOperator(header* first);  // <<
void testSubintervalOperator(header* first);        // <<=

// --- shape helpers ----------------------------------------------------------

inline bool isRealKind(const header* h) { return h->kind == kindReal || h->kind == kindRealMatrix; }

// Shape and elements of a real scalar or matrix.
void realShape(header* h, int* rows, int* columns, const double** data);

// Pushes an interval (scalar kind when `matrix` is false) and returns its
// element pairs; null when the push failed.
double* pushIntervalShaped(bool matrix, int rows, int columns, header** result);

// Each element of a real or real matrix becomes an interval by `bounds`.
template <class Bounds>
header* intervalsOfReals(header* value, Bounds bounds) {
    int rows, columns;
    const double* x;
    realShape(value, &rows, &columns, &x);
    header* result;
    double* out = pushIntervalShaped(value->kind == kindRealMatrix, rows, columns, &result);
    if (!out) return nullptr;
    int64_t n = int64_t(rows) * columns;
    for (int64_t i = 0; i < n; i++) bounds(x[i], &out[2 * i]);
    return result;
}

}  // namespace kalix
