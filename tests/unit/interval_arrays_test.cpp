// The interval array kernels give, bit for bit, what the element method
// gives: round to nearest, then one step outward where the rounding error
// shows the exact result beyond. The method is written out plainly here and
// both the array kernels and the element kernels are held to it, over
// random sweeps rich in special values and sizes around the block width.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "numerics/interval_arrays.h"

namespace kalix {

namespace {

namespace plain {

constexpr double tinyLimit = 0x1p-969;  // errors of smaller results may round
constexpr double tiny = DBL_TRUE_MIN;

double below(double x) {
    if (x == 0) return 0.0;
    return std::isnan(x) ? x : std::nextafter(x, -INFINITY);
}
double above(double x) {
    if (x == 0) return 0.0;
    if (std::isnan(x)) return x;
    double y = std::nextafter(x, INFINITY);
    return y == 0 ? 0.0 : y;
}

double twoSumError(double a, double b, double s) {
    double bb = s - a;
    return (a - (s - bb)) + (b - bb);
}
double sumDown(double a, double b) {
    double s = a + b;
    return std::isfinite(s) && twoSumError(a, b, s) >= 0 ? s : below(s);
}
double sumUp(double a, double b) {
    double s = a + b;
    return std::isfinite(s) && twoSumError(a, b, s) <= 0 ? s : above(s);
}

// Products: a zero factor gives +0, an underflow to 0 keeps its side,
// results out of the exact range always move.
double product(double a, double b, bool up) {
    if (a == 0 || b == 0) return 0.0;
    double p = a * b;
    bool negative = std::signbit(a) != std::signbit(b);
    if (p == 0) return up ? (negative ? 0.0 : tiny) : (negative ? -tiny : 0.0);
    if (!std::isfinite(p) || std::fabs(p) < tinyLimit) return up ? above(p) : below(p);
    double e = std::fma(a, b, -p);
    if (up) return e > 0 ? above(p) : p;
    return e < 0 ? below(p) : p;
}

void multiply(double a, double b, double c, double d, double* lo, double* hi) {
    auto down = [](double x, double y) { return product(x, y, false); };
    auto up = [](double x, double y) { return product(x, y, true); };
    if (a >= 0) {
        if (c >= 0)
            *lo = down(a, c), *hi = up(b, d);
        else if (d >= 0)
            *lo = down(b, c), *hi = up(b, d);
        else
            *lo = down(b, c), *hi = up(a, d);
    } else if (b >= 0) {
        if (c >= 0)
            *lo = down(a, d), *hi = up(b, d);
        else if (d < 0)
            *lo = down(b, c), *hi = up(a, c);
        else
            *lo = std::fmin(down(a, d), down(b, c)), *hi = std::fmax(up(b, d), up(a, c));
    } else {
        if (c >= 0)
            *lo = down(a, d), *hi = up(b, c);
        else if (d >= 0)
            *lo = down(a, d), *hi = up(a, c);
        else
            *lo = down(b, d), *hi = up(a, c);
    }
}

// Quotients: the remainder a - q b over b gives the error's sign.
double quotient(double a, double b, bool up) {
    double q = a / b;
    if (q == 0 && a != 0 && std::isfinite(b)) {
        bool negative = std::signbit(a) != std::signbit(b);
        return up ? (negative ? 0.0 : tiny) : (negative ? -tiny : 0.0);
    }
    if (!std::isfinite(q) || !std::isfinite(b) || std::fabs(a) < tinyLimit ||
        std::fabs(q) < tinyLimit)
        return up ? above(q) : below(q);
    double r = std::fma(-q, b, a);
    if (r == 0) return q;
    bool exactBelow = (r < 0) != (b < 0);
    if (up) return exactBelow ? q : above(q);
    return exactBelow ? below(q) : q;
}

void divide(double a, double b, double c, double d, double* lo, double* hi) {
    auto down = [](double x, double y) { return quotient(x, y, false); };
    auto up = [](double x, double y) { return quotient(x, y, true); };
    if (c > 0) {
        if (a >= 0)
            *lo = down(a, d), *hi = up(b, c);
        else if (b >= 0)
            *lo = down(a, c), *hi = up(b, c);
        else
            *lo = down(a, c), *hi = up(b, d);
    } else {
        if (a >= 0)
            *lo = down(b, d), *hi = up(a, c);
        else if (b >= 0)
            *lo = down(b, d), *hi = up(a, d);
        else
            *lo = down(b, c), *hi = up(a, d);
    }
}

double root(double x, bool up) {
    double s = std::sqrt(x);
    if (s == 0 || !std::isfinite(s) || x < tinyLimit) return up ? above(s) : below(s);
    double e = std::fma(-s, s, x);
    if (up) return e > 0 ? above(s) : s;
    return e < 0 ? below(s) : s;
}

}  // namespace plain

// Bounds for the sweeps: special values, exact small numbers, ordinary
// numbers of every size, and numbers whose products and quotients land
// near overflow or near the underflow range.
double randomBound(std::mt19937_64& g, double specialShare) {
    static const double specials[] = {0.0,          -0.0,          INFINITY, -INFINITY, NAN,
                                      0x1p-1000,    DBL_MAX,       -DBL_MAX, DBL_MIN,   -DBL_MIN,
                                      DBL_TRUE_MIN, -DBL_TRUE_MIN, 0x1p-969, -0x1p-969, 1.0,
                                      -1.0,         0.5,           3.0,      0x1p-485,  0x1p512};
    std::uniform_real_distribution<double> unit(0, 1);
    if (unit(g) < specialShare) return specials[g() % std::size(specials)];
    double sign = g() % 2 ? -1.0 : 1.0;
    switch (g() % 6) {
        case 0:  // exact: small integers and halves
            return sign * double(g() % 41) / double(1 + g() % 2);
        case 1:  // any bit pattern but NaN
        {
            double x;
            uint64_t bits = g();
            std::memcpy(&x, &bits, 8);
            return std::isnan(x) ? 1.0 : x;
        }
        case 2:  // ordinary sizes
            return sign * std::ldexp(1 + unit(g), int(g() % 61) - 30);
        case 3:  // products and quotients near the underflow range
            return sign * std::ldexp(1 + unit(g), int(g() % 80) - 520);
        case 4:  // products near overflow
            return sign * std::ldexp(1 + unit(g), int(g() % 30) + 495);
        default:  // near 1: cancellation in sums
            return sign * (1 + std::ldexp(unit(g), -int(g() % 54)));
    }
}

std::vector<double> randomIntervals(std::mt19937_64& g, int64_t n, double specialShare) {
    std::vector<double> x(2 * n);
    for (int64_t i = 0; i < n; i++) {
        double lo = randomBound(g, specialShare), hi = randomBound(g, specialShare);
        if (g() % 10 != 0 && lo > hi) std::swap(lo, hi);  // some stay reversed
        if (g() % 8 == 0) hi = lo;                        // point intervals
        x[2 * i] = lo;
        x[2 * i + 1] = hi;
    }
    return x;
}

bool sameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

using ArrayOperation = void (*)(IntervalArray, IntervalArray, double*, int64_t);
using PlainOperation = void (*)(double, double, double, double, double*, double*);

void addArrays(IntervalArray a, IntervalArray b, double* r, int64_t n) {
    addIntervalArrays(a, b, r, n);
}
void subtractArrays(IntervalArray a, IntervalArray b, double* r, int64_t n) {
    subtractIntervalArrays(a, b, r, n);
}
void multiplyArrays(IntervalArray a, IntervalArray b, double* r, int64_t n) {
    multiplyIntervalArrays(a, b, r, n);
}
void divideArrays(IntervalArray a, IntervalArray b, double* r, int64_t n) {
    ASSERT_EQ(divideIntervalArrays(a, b, r, n), IntervalStatus::ok);
}

void plainAdd(double a, double b, double c, double d, double* lo, double* hi) {
    *lo = plain::sumDown(a, c);
    *hi = plain::sumUp(b, d);
}
void plainSubtract(double a, double b, double c, double d, double* lo, double* hi) {
    *lo = plain::sumDown(a, -d);
    *hi = plain::sumUp(b, -c);
}

void elementDivide(double a, double b, double c, double d, double* lo, double* hi) {
    divideBounds(a, b, c, d, lo, hi);
}

struct Operation {
    const char* name;
    ArrayOperation array;
    PlainOperation element, reference;
};

const Operation operations[] = {
    {"+", addArrays, addIntervalBounds, plainAdd},
    {"-", subtractArrays, subtractIntervalBounds, plainSubtract},
    {"*", multiplyArrays, multiplyIntervalBounds, plain::multiply},
    {"/", divideArrays, elementDivide, plain::divide},
};

// Divisors holding 0 are refused; the sweeps of / move them off 0.
void keepOffZero(std::vector<double>& x) {
    for (size_t i = 0; i < x.size(); i += 2)
        if (x[i] <= 0 && x[i + 1] >= 0) x[i] = x[i + 1] = x[i] == 0 ? 2.5 : -x[i];
}

const int64_t sweepSizes[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,   14,
                              15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27,   28,
                              29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 1000, 1023};
const double specialShares[] = {0.0, 0.02, 0.3};

// Each element of `result` against the reference on the operands' pairs.
void expectReference(const Operation& op, const double* a, bool stepA, const double* b, bool stepB,
                     const std::vector<double>& result, int64_t n, const char* form) {
    int failures = 0;
    for (int64_t i = 0; i < n && failures < 5; i++) {
        const double *x = stepA ? a + 2 * i : a, *y = stepB ? b + 2 * i : b;
        double lo, hi;
        op.reference(x[0], x[1], y[0], y[1], &lo, &hi);
        if (!sameBits(lo, result[2 * i]) || !sameBits(hi, result[2 * i + 1])) {
            failures++;
            ADD_FAILURE() << form << " [" << x[0] << ", " << x[1] << "] " << op.name << " [" << y[0]
                          << ", " << y[1] << "] gave [" << result[2 * i] << ", "
                          << result[2 * i + 1] << "], the method gives [" << lo << ", " << hi
                          << "] (n = " << n << ", element " << i << ")";
        }
    }
}

}  // namespace

// Both operands stepping, one of them a single pair, and the result written
// over the first operand.
TEST(IntervalArrays, SameBitsAsTheElementMethod) {
    std::mt19937_64 g(49);
    for (const Operation& op : operations) {
        for (double share : specialShares) {
            for (int64_t n : sweepSizes) {
                std::vector<double> a = randomIntervals(g, n, share),
                                    b = randomIntervals(g, n, share);
                if (op.array == divideArrays) keepOffZero(b);
                std::vector<double> r(2 * n);
                op.array({a.data(), true}, {b.data(), true}, r.data(), n);
                expectReference(op, a.data(), true, b.data(), true, r, n, "array");
                op.array({a.data(), false}, {b.data(), true}, r.data(), n);
                expectReference(op, a.data(), false, b.data(), true, r, n, "first single");
                op.array({a.data(), true}, {b.data() + 2 * (n / 2), false}, r.data(), n);
                expectReference(op, a.data(), true, b.data() + 2 * (n / 2), false, r, n,
                                "second single");
                std::vector<double> inPlace = a;
                op.array({inPlace.data(), true}, {b.data(), true}, inPlace.data(), n);
                expectReference(op, a.data(), true, b.data(), true, inPlace, n, "in place");
                for (int64_t i = 0; i < n; i++)
                    op.element(a[2 * i], a[2 * i + 1], b[2 * i], b[2 * i + 1], &r[2 * i],
                               &r[2 * i + 1]);
                expectReference(op, a.data(), true, b.data(), true, r, n, "element kernel");
            }
        }
    }
}

TEST(IntervalArrays, SquareRootsHaveTheBitsOfTheElementMethod) {
    std::mt19937_64 g(4949);
    for (double share : specialShares) {
        for (int64_t n : sweepSizes) {
            std::vector<double> x = randomIntervals(g, n, share);
            for (int64_t i = 0; i < n; i++) {  // only intervals above 0 are taken
                if (x[2 * i] <= 0) x[2 * i] = x[2 * i] == 0 ? DBL_TRUE_MIN : -x[2 * i];
                if (g() % 16 == 0) x[2 * i] = NAN;
            }
            std::vector<double> r(2 * n), e(2 * n);
            ASSERT_EQ(sqrtIntervalArrays(x.data(), r.data(), n), IntervalStatus::ok);
            for (int64_t i = 0; i < n; i++)
                ASSERT_EQ(sqrtBounds(&x[2 * i], &e[2 * i]), IntervalStatus::ok);
            for (int64_t i = 0; i < n; i++) {
                const double lo = plain::root(x[2 * i], false),
                             hi = plain::root(x[2 * i + 1], true);
                ASSERT_TRUE(sameBits(r[2 * i], lo) && sameBits(r[2 * i + 1], hi))
                    << "sqrt [" << x[2 * i] << ", " << x[2 * i + 1] << "] gave [" << r[2 * i]
                    << ", " << r[2 * i + 1] << "], the method gives [" << lo << ", " << hi << "]";
                ASSERT_TRUE(sameBits(e[2 * i], lo) && sameBits(e[2 * i + 1], hi))
                    << "element kernel, sqrt [" << x[2 * i] << ", " << x[2 * i + 1] << "]";
            }
        }
    }
}

// A divisor holding 0, or a root of an interval reaching 0, anywhere in the
// array: refused before anything is written.
TEST(IntervalArrays, RefusalsWriteNothing) {
    for (int64_t n : {1, 4, 9, 1000}) {
        for (int64_t bad : {int64_t(0), n / 2, n - 1}) {
            std::vector<double> a(2 * n, 2.0), b(2 * n, 3.0), r(2 * n, 7.0);
            b[2 * bad] = -0.0;
            b[2 * bad + 1] = 1;
            EXPECT_EQ(divideIntervalArrays({a.data(), true}, {b.data(), true}, r.data(), n),
                      IntervalStatus::divisionByZero);
            a[2 * bad] = 0;
            EXPECT_EQ(sqrtIntervalArrays(a.data(), r.data(), n), IntervalStatus::sqrtOutOfRange);
            EXPECT_EQ(r, std::vector<double>(2 * n, 7.0)) << n << " " << bad;
        }
    }
    std::vector<double> a(8, 2.0), r(8, 7.0);
    const double holdsZero[2] = {-1, 1};
    EXPECT_EQ(divideIntervalArrays({a.data(), true}, {holdsZero, false}, r.data(), 4),
              IntervalStatus::divisionByZero);
    EXPECT_EQ(r, std::vector<double>(8, 7.0));
}

}  // namespace kalix
