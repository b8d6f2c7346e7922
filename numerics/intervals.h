// Interval kernels with outward rounding, on plain bound pairs.
//
// An interval is a pair of doubles, lower then upper, lower <= upper. Every
// computed bound is moved outward so that the exact result of the operation
// on any points of the operands lies inside the computed interval: the
// arithmetic (+, -, *, /, sqrt) moves a bound only when its operation was
// inexact, the library functions always. Bounds that are only selected or
// copied (min, max, hull, negation) are not moved.
// Kernels that can fail return an IntervalStatus and leave NaN bounds; they
// never print.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace kalix {

enum class IntervalStatus {
    ok,
    divisionByZero,          // a divisor holding 0
    logOutOfRange,           // log of an interval reaching 0 or below
    sqrtOutOfRange,          // sqrt of an interval reaching 0 or below
    outsideUnitRange,        // asin, acos beyond [-1, 1]
    tanOutOfRange,           // tan reaching a pole
    emptyIntersection,       // disjoint intervals
    negativeBaseNonInteger,  // a nonpositive base with a non-integer exponent
    zeroToNegativePower,     // a base holding 0 with a negative exponent
};

namespace interval_detail {

constexpr double smallestPositive = std::numeric_limits<double>::denorm_min();

inline uint64_t bitsOf(double x) {
    uint64_t u;
    std::memcpy(&u, &x, 8);
    return u;
}
inline double doubleOf(uint64_t u) {
    double x;
    std::memcpy(&x, &u, 8);
    return x;
}

// The neighbouring double below a nonzero, non-NaN x (-inf stays).
inline double stepDown(double x) {
    if (x == -INFINITY) return x;
    uint64_t u = bitsOf(x);
    return doubleOf(x > 0 ? u - 1 : u + 1);
}

// The neighbouring double above a nonzero, non-NaN x (+inf stays); never -0.
inline double stepUp(double x) {
    if (x == INFINITY) return x;
    uint64_t u = bitsOf(x);
    double y = doubleOf(x > 0 ? u + 1 : u - 1);
    return y == 0 ? 0.0 : y;
}

}  // namespace interval_detail

// One step outward from a correctly rounded result (+, -, *, /, sqrt): the
// neighbouring double below / above. Zero stays zero: a sum or difference is
// zero only when exact; products and quotients that underflow to zero are
// handled by the operations themselves. NaN and the infinity in the
// direction of the step stay as they are.
inline double roundDown(double x) {
    if (x == 0) return 0.0;
    if (std::isnan(x)) return x;
    return interval_detail::stepDown(x);
}
inline double roundUp(double x) {
    if (x == 0) return 0.0;
    if (std::isnan(x)) return x;
    return interval_detail::stepUp(x);
}

// Bounds of a math-library function value (within one unit in the last
// place, not correctly rounded): two steps outward.
inline double roundDownFunction(double x) { return roundDown(roundDown(x)); }
inline double roundUpFunction(double x) { return roundUp(roundUp(x)); }

namespace interval_detail {

// Below this size the rounding error of a product, quotient or square root
// may itself be rounded (2^-1022 * 2^53): such results always move.
constexpr double exactErrorLimit = 0x1p-969;

}  // namespace interval_detail

// Outward bounds of a sum: the rounding error (two-sum) tells whether the
// computed sum lies above or below the exact one, and only that side moves;
// an exact sum stays.
inline double sumDown(double a, double b) {
    double s = a + b;
    if (!std::isfinite(s)) return roundDown(s);
    double bb = s - a;
    double error = (a - (s - bb)) + (b - bb);
    return error < 0 ? roundDown(s) : s;
}
inline double sumUp(double a, double b) {
    double s = a + b;
    if (!std::isfinite(s)) return roundUp(s);
    double bb = s - a;
    double error = (a - (s - bb)) + (b - bb);
    return error > 0 ? roundUp(s) : s;
}

// Outward bounds of a product or quotient of two doubles: exact results stay
// (the error comes from a fused multiply-add), a zero factor gives 0 also
// against an infinite bound, and results that underflowed to zero keep
// their side.
inline double productDown(double a, double b) {
    if (a == 0 || b == 0) return 0.0;
    double p = a * b;
    if (p == 0)
        return std::signbit(a) != std::signbit(b) ? -interval_detail::smallestPositive : 0.0;
    if (!std::isfinite(p) || std::fabs(p) < interval_detail::exactErrorLimit) return roundDown(p);
    return std::fma(a, b, -p) < 0 ? roundDown(p) : p;
}
inline double productUp(double a, double b) {
    if (a == 0 || b == 0) return 0.0;
    double p = a * b;
    if (p == 0) return std::signbit(a) != std::signbit(b) ? 0.0 : interval_detail::smallestPositive;
    if (!std::isfinite(p) || std::fabs(p) < interval_detail::exactErrorLimit) return roundUp(p);
    return std::fma(a, b, -p) > 0 ? roundUp(p) : p;
}

namespace interval_detail {

// The sign of a/b - q for q = a/b rounded: of the remainder a - q b
// (exact when nothing underflows) over b; 0 when exact. 2 when unknown.
inline int quotientError(double a, double b, double q) {
    if (!std::isfinite(q) || !std::isfinite(b) || std::fabs(a) < exactErrorLimit ||
        std::fabs(q) < exactErrorLimit)
        return 2;
    double r = std::fma(-q, b, a);
    if (r == 0) return 0;
    return (r < 0) != (b < 0) ? -1 : 1;
}

}  // namespace interval_detail

inline double quotientDown(double a, double b) {
    double q = a / b;
    if (q == 0 && a != 0 && std::isfinite(b))
        return std::signbit(a) != std::signbit(b) ? -interval_detail::smallestPositive : 0.0;
    int error = interval_detail::quotientError(a, b, q);
    return error == 0 || error == 1 ? q : roundDown(q);
}
inline double quotientUp(double a, double b) {
    double q = a / b;
    if (q == 0 && a != 0 && std::isfinite(b))
        return std::signbit(a) != std::signbit(b) ? 0.0 : interval_detail::smallestPositive;
    int error = interval_detail::quotientError(a, b, q);
    return error == 0 || error == -1 ? q : roundUp(q);
}

// Bounds of the square root of x >= 0: an exact root stays.
inline double sqrtDown(double x) {
    double s = std::sqrt(x);
    if (s == 0 || !std::isfinite(s) || x < interval_detail::exactErrorLimit) return roundDown(s);
    return std::fma(-s, s, x) < 0 ? roundDown(s) : s;
}
inline double sqrtUp(double x) {
    double s = std::sqrt(x);
    if (s == 0 || !std::isfinite(s) || x < interval_detail::exactErrorLimit) return roundUp(s);
    return std::fma(-s, s, x) > 0 ? roundUp(s) : s;
}

// Operations on bounds: operands (lo1, hi1) and (lo2, hi2), results through
// the last two pointers.
inline void addIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo,
                              double* hi) {
    *lo = sumDown(lo1, lo2);
    *hi = sumUp(hi1, hi2);
}
inline void subtractIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo,
                                   double* hi) {
    *lo = sumDown(lo1, -hi2);
    *hi = sumUp(hi1, -lo2);
}
inline void negateInterval(double lo, double hi, double* rlo, double* rhi) {
    double l = -hi;
    *rhi = -lo;
    *rlo = l;
}
void multiplyIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
// Refuses a divisor holding 0.
IntervalStatus divideBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);

// The same on pairs: each operand points to its two doubles; the result may
// be one of the operands.
void addIntervals(const double* a, const double* b, double* result);
void subtractIntervals(const double* a, const double* b, double* result);
void multiplyIntervals(const double* a, const double* b, double* result);
void copyDoublePair(const double* source, double* destination);

// Element functions: (lower, upper) in, (lower, upper) out.
void expInterval(const double* x, double* result);
void sinInterval(const double* x, double* result);
void cosInterval(const double* x, double* result);
void atanInterval(const double* x, double* result);
void absInterval(const double* x, double* result);
void degreeInterval(const double* x, double* result);
void percentInterval(const double* x, double* result);
IntervalStatus logBounds(const double* x, double* result);
IntervalStatus sqrtBounds(const double* x, double* result);
IntervalStatus tanBounds(const double* x, double* result);
IntervalStatus asinBounds(const double* x, double* result);
IntervalStatus acosBounds(const double* x, double* result);

// Binary element functions.
void maxIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void minIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
void hullIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);
// The bounds are set also when the intersection is empty (lower > upper).
IntervalStatus intersectBounds(double lo1, double hi1, double lo2, double hi2, double* lo,
                               double* hi);
// [a, b] ^ [c, d].
IntervalStatus powerBounds(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi);

// Tests with a 0/1 result.
double isProperSubinterval(double lo1, double hi1, double lo2, double hi2);
double isSubinterval(double lo1, double hi1, double lo2, double hi2);
double intervalsIntersect(double lo1, double hi1, double lo2, double hi2);

// Interval-to-real functions.
double intervalDiameter(const double* x);
double intervalLeft(const double* x);
double intervalRight(const double* x);
double intervalMiddle(const double* x);
// [m - f h, m + f h] for the middle m and half-width h of x.
void expandInterval(const double* x, double f, double* result);

}  // namespace kalix
