// Interval kernels: products and quotients by signs, element functions,
// powers, tests.
#include "numerics/intervals.h"

namespace kalix {

using interval_detail::smallestPositive;

// The kernels whose bounds come from fused multiply-adds are compiled twice
// on x86-64, for processors with FMA and for all others, and the loader
// picks one. A fused multiply-add is exact in both, so the bounds are the
// same bits; the portable one only calls the library's slower fma.
// Not under ThreadSanitizer: the picker it instruments runs in the loader,
// before the sanitizer's runtime is there, and crashes the program.
#if defined(__x86_64__) && defined(__has_attribute) && !defined(__SANITIZE_THREAD__)
#if __has_attribute(target_clones)
#define FMA_CLONES __attribute__((target_clones("fma", "default")))
#endif
#endif
#ifndef FMA_CLONES
#define FMA_CLONES
#endif

// Product by the signs of the operands: nonnegative, holding 0, negative.
FMA_CLONES void multiplyIntervalBounds(double lo1, double hi1, double lo2, double hi2, double* lo,
                                       double* hi) {
    double l, h;
    if (lo1 >= 0) {
        if (lo2 >= 0) {
            l = productDown(lo1, lo2);
            h = productUp(hi1, hi2);
        } else if (hi2 >= 0) {
            l = productDown(hi1, lo2);
            h = productUp(hi1, hi2);
        } else {
            l = productDown(hi1, lo2);
            h = productUp(lo1, hi2);
        }
    } else if (hi1 >= 0) {
        if (lo2 >= 0) {
            l = productDown(lo1, hi2);
            h = productUp(hi1, hi2);
        } else if (hi2 < 0) {
            l = productDown(hi1, lo2);
            h = productUp(lo1, lo2);
        } else {
            l = std::fmin(productDown(lo1, hi2), productDown(hi1, lo2));
            h = std::fmax(productUp(hi1, hi2), productUp(lo1, lo2));
        }
    } else {
        if (lo2 >= 0) {
            l = productDown(lo1, hi2);
            h = productUp(hi1, lo2);
        } else if (hi2 >= 0) {
            l = productDown(lo1, hi2);
            h = productUp(lo1, lo2);
        } else {
            l = productDown(hi1, hi2);
            h = productUp(lo1, lo2);
        }
    }
    *lo = l;
    *hi = h;
}

// Quotient: the dividend times [1/hi2, 1/lo2], formed directly by signs.
FMA_CLONES IntervalStatus divideBounds(double lo1, double hi1, double lo2, double hi2, double* lo,
                                       double* hi) {
    if (lo2 <= 0 && hi2 >= 0) {
        *lo = *hi = NAN;
        return IntervalStatus::divisionByZero;
    }
    double l, h;
    if (lo2 > 0) {
        if (lo1 >= 0) {
            l = quotientDown(lo1, hi2);
            h = quotientUp(hi1, lo2);
        } else if (hi1 >= 0) {
            l = quotientDown(lo1, lo2);
            h = quotientUp(hi1, lo2);
        } else {
            l = quotientDown(lo1, lo2);
            h = quotientUp(hi1, hi2);
        }
    } else {
        if (lo1 >= 0) {
            l = quotientDown(hi1, hi2);
            h = quotientUp(lo1, lo2);
        } else if (hi1 >= 0) {
            l = quotientDown(hi1, hi2);
            h = quotientUp(lo1, hi2);
        } else {
            l = quotientDown(hi1, lo2);
            h = quotientUp(lo1, hi2);
        }
    }
    *lo = l;
    *hi = h;
    return IntervalStatus::ok;
}

void addIntervals(const double* a, const double* b, double* result) {
    addIntervalBounds(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

void subtractIntervals(const double* a, const double* b, double* result) {
    subtractIntervalBounds(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

void multiplyIntervals(const double* a, const double* b, double* result) {
    multiplyIntervalBounds(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

void copyDoublePair(const double* source, double* destination) {
    double lo = source[0], hi = source[1];
    destination[0] = lo;
    destination[1] = hi;
}

// --- element functions -----------------------------------------------------

namespace {

// pi lies strictly between these two doubles.
constexpr double piBelow = 3.141592653589793;
constexpr double piAbove = 3.1415926535897936;

// A library value that is positive for every argument (exp) keeps a
// positive upper bound when it underflows.
double upperOfPositive(double x) { return x == 0 ? smallestPositive : roundUpFunction(x); }

double clampToUnit(double x) { return x < -1 ? -1 : (x > 1 ? 1 : x); }

void setPair(double* result, double lo, double hi) {
    result[0] = lo;
    result[1] = hi;
}

IntervalStatus refuse(IntervalStatus status, double* result) {
    setPair(result, NAN, NAN);
    return status;
}

}  // namespace

void expInterval(const double* x, double* result) {
    setPair(result, roundDownFunction(std::exp(x[0])), upperOfPositive(std::exp(x[1])));
}

IntervalStatus logBounds(const double* x, double* result) {
    if (x[0] <= 0) return refuse(IntervalStatus::logOutOfRange, result);
    setPair(result, roundDownFunction(std::log(x[0])), roundUpFunction(std::log(x[1])));
    return IntervalStatus::ok;
}

FMA_CLONES IntervalStatus sqrtBounds(const double* x, double* result) {
    if (x[0] <= 0) return refuse(IntervalStatus::sqrtOutOfRange, result);
    setPair(result, sqrtDown(x[0]), sqrtUp(x[1]));
    return IntervalStatus::ok;
}

// An interval reaching outside [-1, 1] is refused as the real functions
// refuse such arguments.
IntervalStatus asinBounds(const double* x, double* result) {
    if (!(x[0] >= -1 && x[1] <= 1)) return refuse(IntervalStatus::outsideUnitRange, result);
    setPair(result, roundDownFunction(std::asin(x[0])), roundUpFunction(std::asin(x[1])));
    return IntervalStatus::ok;
}

IntervalStatus acosBounds(const double* x, double* result) {
    if (!(x[0] >= -1 && x[1] <= 1)) return refuse(IntervalStatus::outsideUnitRange, result);
    setPair(result, roundDownFunction(std::acos(x[1])), roundUpFunction(std::acos(x[0])));
    return IntervalStatus::ok;
}

void atanInterval(const double* x, double* result) {
    setPair(result, roundDownFunction(std::atan(x[0])), roundUpFunction(std::atan(x[1])));
}

IntervalStatus tanBounds(const double* x, double* result) {
    if (x[0] <= -M_PI_2 || x[1] >= M_PI_2) return refuse(IntervalStatus::tanOutOfRange, result);
    setPair(result, roundDownFunction(std::tan(x[0])), roundUpFunction(std::tan(x[1])));
    return IntervalStatus::ok;
}

// sin or cos over [a, b] from their values fa, fb at the ends and whether
// the function rises there: rising then falling holds a maximum, falling then
// rising a minimum (for widths up to 2 pi); a monotone piece shorter than pi
// lies between the end values. Bounds are kept inside [-1, 1].
static void periodicInterval(double a, double b, double fa, double fb, bool risingAtA,
                             bool risingAtB, double* result) {
    double lo = -1, hi = 1;
    if (!(b - a > 2 * M_PI)) {
        if (risingAtA && !risingAtB)
            lo = std::fmin(roundDownFunction(fa), roundDownFunction(fb));
        else if (!risingAtA && risingAtB)
            hi = std::fmax(roundUpFunction(fa), roundUpFunction(fb));
        else if (b - a < M_PI) {
            if (risingAtA) {
                lo = roundDownFunction(fa);
                hi = roundUpFunction(fb);
            } else {
                lo = roundDownFunction(fb);
                hi = roundUpFunction(fa);
            }
        }
    }
    setPair(result, clampToUnit(lo), clampToUnit(hi));
}

void cosInterval(const double* x, double* result) {
    const double a = x[0], b = x[1];
    periodicInterval(a, b, std::cos(a), std::cos(b), std::sin(a) < 0, std::sin(b) < 0, result);
}

void sinInterval(const double* x, double* result) {
    const double a = x[0], b = x[1];
    periodicInterval(a, b, std::sin(a), std::sin(b), std::cos(a) > 0, std::cos(b) > 0, result);
}

void absInterval(const double* x, double* result) {
    double lo = x[0], hi = x[1];
    if (lo >= 0)
        setPair(result, lo, hi);
    else if (hi < 0)
        setPair(result, -hi, -lo);
    else
        setPair(result, 0.0, -lo > hi ? -lo : hi);
}

// x/180*pi with pi enclosed between two doubles.
void degreeInterval(const double* x, double* result) {
    multiplyIntervalBounds(quotientDown(x[0], 180), quotientUp(x[1], 180), piBelow, piAbove,
                           &result[0], &result[1]);
}

void percentInterval(const double* x, double* result) {
    setPair(result, quotientDown(x[0], 100), quotientUp(x[1], 100));
}

void maxIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    *lo = lo1 > lo2 ? lo1 : lo2;
    *hi = hi1 > hi2 ? hi1 : hi2;
}

void minIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    *lo = lo1 > lo2 ? lo2 : lo1;
    *hi = hi1 > hi2 ? hi2 : hi1;
}

IntervalStatus intersectBounds(double lo1, double hi1, double lo2, double hi2, double* lo,
                               double* hi) {
    double l = lo1 > lo2 ? lo1 : lo2;
    double h = hi1 < hi2 ? hi1 : hi2;
    *lo = l;
    *hi = h;
    return h < l ? IntervalStatus::emptyIntersection : IntervalStatus::ok;
}

void hullIntervals(double lo1, double hi1, double lo2, double hi2, double* lo, double* hi) {
    *lo = lo1 < lo2 ? lo1 : lo2;
    *hi = hi1 > hi2 ? hi1 : hi2;
}

// Outward bounds of x^y. pow of a nonzero base never is zero, so a zero
// result underflowed: its sign is negative only for a negative base with an
// odd exponent.
static double powerDown(double x, double y) {
    double r = std::pow(x, y);
    if (r == 0 && x != 0) return x < 0 && std::fmod(y, 2) != 0 ? -smallestPositive : 0.0;
    return roundDownFunction(r);
}

static double powerUp(double x, double y) {
    double r = std::pow(x, y);
    if (r == 0 && x != 0) return x < 0 && std::fmod(y, 2) != 0 ? 0.0 : smallestPositive;
    return roundUpFunction(r);
}

// Monotone cases for a positive base; a nonpositive base only with a point
// exponent holding an integer.
IntervalStatus powerBounds(double a, double b, double c, double d, double* lo, double* hi) {
    // Exact exponents: x^1 is x, x^0 is 1, however large x is.
    if (c == d && (c == 0 || c == 1)) {
        *lo = c == 0 ? 1 : a;
        *hi = c == 0 ? 1 : b;
        return IntervalStatus::ok;
    }
    if (a > 0 && a < 1 && b > 1) {
        *lo = std::fmin(powerDown(a, d), powerDown(b, c));
        *hi = std::fmax(powerUp(b, d), powerUp(a, c));
    } else if (a > 0 && b <= 1) {
        *hi = c >= 0 ? powerUp(b, c) : powerUp(a, c);
        *lo = (c >= 0 || d > 0) ? powerDown(a, d) : powerDown(b, d);
    } else if (a >= 1) {
        *lo = c >= 0 ? powerDown(a, c) : powerDown(b, c);
        *hi = (c >= 0 || d > 0) ? powerUp(b, d) : powerUp(a, d);
    } else {
        const double n = c;
        if (!(c == d && std::isfinite(n) && std::nearbyint(n) == n)) {
            *lo = *hi = NAN;
            return IntervalStatus::negativeBaseNonInteger;
        }
        if (n == 0) {
            *lo = *hi = 1;
            return IntervalStatus::ok;
        }
        if (n < 0 && b >= 0) {
            *lo = *hi = NAN;
            return IntervalStatus::zeroToNegativePower;
        }
        const bool even = std::fmod(n, 2) == 0;
        if (even && n > 0) {
            if (b >= 0) {
                *lo = 0;
                *hi = std::fmax(powerUp(-a, n), powerUp(b, n));
            } else {
                *lo = powerDown(-b, n);
                *hi = powerUp(-a, n);
            }
        } else if (even) {
            *lo = powerDown(-a, n);
            *hi = powerUp(-b, n);
        } else if (n > 0) {
            *lo = powerDown(a, n);
            *hi = powerUp(b, n);
        } else {
            *lo = powerDown(b, n);
            *hi = powerUp(a, n);
        }
    }
    return IntervalStatus::ok;
}

double isProperSubinterval(double lo1, double hi1, double lo2, double hi2) {
    return (lo1 > lo2 && hi1 <= hi2) || (lo1 >= lo2 && hi1 < hi2);
}

double isSubinterval(double lo1, double hi1, double lo2, double hi2) {
    return lo1 >= lo2 && hi1 <= hi2;
}

double intervalsIntersect(double lo1, double hi1, double lo2, double hi2) {
    return hi1 >= lo2 && hi2 >= lo1;
}

double intervalDiameter(const double* x) { return x[1] - x[0]; }
double intervalLeft(const double* x) { return x[0]; }
double intervalRight(const double* x) { return x[1]; }

// Halves first when the sum of far bounds would overflow.
double intervalMiddle(const double* x) {
    double m = (x[0] + x[1]) / 2;
    if (std::isinf(m) && std::isfinite(x[0]) && std::isfinite(x[1])) m = x[0] / 2 + x[1] / 2;
    return m;
}

// Formed as [lo - (f - 1) h, hi + (f - 1) h] in interval arithmetic:
// computing m and f h first would cancel and lose the enclosure.
void expandInterval(const double* x, double f, double* result) {
    double lo = x[0], hi = x[1], unused;
    double width[2], half[2], growth[2], step[2];
    subtractIntervalBounds(hi, hi, lo, lo, &width[0], &width[1]);
    multiplyIntervalBounds(width[0], width[1], 0.5, 0.5, &half[0], &half[1]);
    subtractIntervalBounds(f, f, 1, 1, &growth[0], &growth[1]);
    multiplyIntervalBounds(growth[0], growth[1], half[0], half[1], &step[0], &step[1]);
    subtractIntervalBounds(lo, lo, step[0], step[1], &result[0], &unused);
    addIntervalBounds(hi, hi, step[0], step[1], &unused, &result[1]);
}

}  // namespace kalix
