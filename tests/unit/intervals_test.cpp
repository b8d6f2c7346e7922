// Interval arithmetic: outward rounding of the bound operations (checked
// against exact error terms), the element functions, promotion in place,
// the constructors and the interval builtins and operators.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

#include "builtins/intervals.h"
#include "interpreter/arithmetic.h"
#include "interpreter/elementwise.h"
#include "math_fixture.h"

namespace kalix {

class IntervalTest : public MathTest {};

namespace {

constexpr double tiny = std::numeric_limits<double>::denorm_min();

// x + e (e the exact error of a rounded operation) is at least lo / at most
// hi; the error term decides when x sits on the bound.
bool atLeast(double lo, double x, double e) { return lo < x || (lo == x && e >= 0); }
bool atMost(double hi, double x, double e) { return hi > x || (hi == x && e <= 0); }

// Exact errors: a + b = s + e, a * b = p + e, a / b = q + r / b.
double sumError(double a, double b, double s) {
    double bb = s - a;
    return (a - (s - bb)) + (b - bb);
}
double productError(double a, double b, double p) { return std::fma(a, b, -p); }
double quotientErrorSign(double a, double b, double q) {
    double r = std::fma(-q, b, a);
    return (r == 0) ? 0 : ((r > 0) == (b > 0) ? 1 : -1);
}

using BoundOperation = void (*)(double, double, double, double, double*, double*);

// Every corner of the operands, with its exact value, lies inside the result.
void expectEnclosesCorners(BoundOperation op, char kind, double lo1, double hi1, double lo2,
                           double hi2) {
    double lo, hi;
    op(lo1, hi1, lo2, hi2, &lo, &hi);
    ASSERT_EQ(errorCode, 0);
    ASSERT_LE(lo, hi);
    for (double a : {lo1, hi1}) {
        for (double b : {lo2, hi2}) {
            double x, e;
            switch (kind) {
                case '+':
                    x = a + b;
                    e = sumError(a, b, x);
                    break;
                case '-':
                    x = a - b;
                    e = sumError(a, -b, x);
                    break;
                case '*':
                    x = a * b;
                    e = productError(a, b, x);
                    break;
                default:
                    x = a / b;
                    e = quotientErrorSign(a, b, x);
                    break;
            }
            EXPECT_TRUE(atLeast(lo, x, e))
                << lo1 << " " << hi1 << " " << kind << " " << lo2 << " " << hi2;
            EXPECT_TRUE(atMost(hi, x, e))
                << lo1 << " " << hi1 << " " << kind << " " << lo2 << " " << hi2;
        }
    }
}

}  // namespace

// --- outward rounding ----------------------------------------------------------

TEST_F(IntervalTest, RoundingStepsOneDoubleOutward) {
    EXPECT_EQ(roundUp(1.0), 1.0 + DBL_EPSILON);
    EXPECT_EQ(roundDown(1.0), 1.0 - DBL_EPSILON / 2);
    EXPECT_EQ(roundDown(-1.0), -1.0 - DBL_EPSILON);
    EXPECT_EQ(roundUp(-1.0), -1.0 + DBL_EPSILON / 2);
    EXPECT_EQ(roundUp(0.0), 0.0);
    EXPECT_EQ(roundDown(0.0), 0.0);
    EXPECT_FALSE(std::signbit(roundUp(-tiny)));  // never -0
    EXPECT_EQ(roundUp(tiny), 2 * tiny);          // subnormals move too
    EXPECT_EQ(roundDown(INFINITY), DBL_MAX);     // an overflowed bound
    EXPECT_EQ(roundUp(DBL_MAX), INFINITY);
    EXPECT_TRUE(std::isnan(roundUp(NAN)));
}

TEST_F(IntervalTest, RoundToNearestWouldShrinkTheseResults) {
    double lo, hi;
    // 1 + 1e-17 rounds to 1 under nearest rounding; the upper bound must pass it.
    addIntervalBounds(1, 1, 1e-17, 1e-17, &lo, &hi);
    EXPECT_LE(lo, 1.0);
    EXPECT_GT(hi, 1.0);
    // 1 - 1e-17 rounds to 1; the lower bound must be below 1.
    subtractIntervalBounds(1, 1, 1e-17, 1e-17, &lo, &hi);
    EXPECT_LT(lo, 1.0);
    // 0.1 * 3 is not representable.
    multiplyIntervalBounds(0.1, 0.1, 3, 3, &lo, &hi);
    EXPECT_LT(lo, hi);
    // Products underflowing to zero keep the sign of the exact value.
    multiplyIntervalBounds(1e-200, 1e-200, 1e-200, 1e-200, &lo, &hi);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, tiny);
    multiplyIntervalBounds(-1e-200, -1e-200, 1e-200, 1e-200, &lo, &hi);
    EXPECT_EQ(lo, -tiny);
    EXPECT_EQ(hi, 0.0);
    // A subnormal product that nearest rounding would keep.
    multiplyIntervalBounds(1e-310, 1e-310, 0.3, 0.3, &lo, &hi);
    EXPECT_LT(lo, hi);
    divideIntervalBounds(1e-300, 1e-300, 1e300, 1e300, &lo, &hi);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, tiny);
    // 1/3 both ways: 3 lo <= 1 <= 3 hi exactly, one step apart.
    divideIntervalBounds(1, 1, 3, 3, &lo, &hi);
    EXPECT_LE(std::fma(lo, 3, -1), 0);
    EXPECT_GE(std::fma(hi, 3, -1), 0);
    EXPECT_EQ(std::nextafter(lo, 1), hi);
}

// Outward rounding moves a bound only where the operation rounded: exact
// results keep their bounds, and an inexact one moves on one side only
// (the rounded value lies on the other side of the exact one).
TEST_F(IntervalTest, ExactOperationsKeepTheirBounds) {
    struct Case {
        const char* what;
        BoundOperation op;
        double lo1, hi1, lo2, hi2, lo, hi;
    };
    const double third = 1.0 / 3;  // below 1/3
    const Case cases[] = {
        {"[1,2] + [3,4]", addIntervalBounds, 1, 2, 3, 4, 4, 6},
        {"[1,2] - [1,2]", subtractIntervalBounds, 1, 2, 1, 2, -1, 1},
        {"[1,3] * [0.5,0.5]", multiplyIntervalBounds, 1, 3, 0.5, 0.5, 0.5, 1.5},
        {"[1,4] / [2,2]", divideIntervalBounds, 1, 4, 2, 2, 0.5, 2},
        {"[0.1,0.1] + [0.2,0.2]", addIntervalBounds, 0.1, 0.1, 0.2, 0.2,
         std::nextafter(0.1 + 0.2, 0.0), 0.1 + 0.2},
        {"[1,1] / [3,3]", divideIntervalBounds, 1, 1, 3, 3, third, std::nextafter(third, 1.0)},
        {"[2^60,2^60] + [1,1]", addIntervalBounds, 0x1p60, 0x1p60, 1, 1, 0x1p60,
         std::nextafter(0x1p60, INFINITY)},
    };
    for (const Case& c : cases) {
        double lo, hi;
        c.op(c.lo1, c.hi1, c.lo2, c.hi2, &lo, &hi);
        EXPECT_EQ(lo, c.lo) << c.what;
        EXPECT_EQ(hi, c.hi) << c.what;
    }
    const double four[2] = {4, 9}, two[2] = {2, 2};
    double r[2];
    ASSERT_EQ(sqrtBounds(four, r), IntervalStatus::ok);
    EXPECT_EQ(r[0], 2);
    EXPECT_EQ(r[1], 3);
    ASSERT_EQ(sqrtBounds(two, r), IntervalStatus::ok);
    EXPECT_LE(std::fma(r[0], r[0], -2), 0);
    EXPECT_GE(std::fma(r[1], r[1], -2), 0);
    EXPECT_EQ(std::nextafter(r[0], 2), r[1]);
}

// 0 times an infinite bound counts as 0: the product still encloses every
// product of points.
TEST_F(IntervalTest, ZeroTimesAnInfiniteBoundIsZero) {
    double lo, hi;
    multiplyIntervalBounds(0, 0, 1, INFINITY, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
    multiplyIntervalBounds(0, 0, -INFINITY, INFINITY, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
    multiplyIntervalBounds(0, 2, 1, INFINITY, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, INFINITY);
    multiplyIntervalBounds(-INFINITY, 0, -1, 0, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, INFINITY);
}

TEST_F(IntervalTest, BoundOperationsEncloseEveryCorner) {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-1074, 1000);
    auto draw = [&] {
        return std::ldexp(mantissa(random), exponent(random) / 3 * (random() % 2 ? 1 : 3));
    };
    for (int i = 0; i < 20000; i++) {
        double a = draw(), b = draw(), c = draw(), d = draw();
        if (a > b) std::swap(a, b);
        if (c > d) std::swap(c, d);
        if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d))
            continue;
        expectEnclosesCorners(addIntervalBounds, '+', a, b, c, d);
        expectEnclosesCorners(subtractIntervalBounds, '-', a, b, c, d);
        expectEnclosesCorners(multiplyIntervalBounds, '*', a, b, c, d);
        if (c > 0 || d < 0) expectEnclosesCorners(divideIntervalBounds, '/', a, b, c, d);
        if (HasFailure()) return;
    }
}

TEST_F(IntervalTest, ProductAndQuotientBySignCases) {
    struct Case {
        double lo1, hi1, lo2, hi2, lo, hi;
    };
    const Case products[] = {
        {1, 2, 3, 4, 3, 8},     {1, 2, -3, 4, -6, 8},   {1, 2, -4, -3, -8, -3},
        {-1, 2, 3, 4, -4, 8},   {-1, 2, -3, 4, -6, 8},  {-1, 2, -4, -3, -8, 4},
        {-2, -1, 3, 4, -8, -3}, {-2, -1, -3, 4, -8, 6}, {-2, -1, -4, -3, 3, 8},
    };
    for (const Case& c : products) {
        double lo, hi;
        multiplyIntervalBounds(c.lo1, c.hi1, c.lo2, c.hi2, &lo, &hi);
        // Exact products: the bounds are the products themselves.
        EXPECT_EQ(lo, c.lo) << c.lo1 << " " << c.hi1 << " * " << c.lo2 << " " << c.hi2;
        EXPECT_EQ(hi, c.hi) << c.lo1 << " " << c.hi1 << " * " << c.lo2 << " " << c.hi2;
    }
    const Case quotients[] = {
        {1, 4, 1, 2, 0.5, 4},     {-1, 4, 1, 2, -1, 4},   {-4, -1, 1, 2, -4, -0.5},
        {1, 4, -2, -1, -4, -0.5}, {-1, 4, -2, -1, -4, 1}, {-4, -1, -2, -1, 0.5, 4},
    };
    for (const Case& c : quotients) {
        double lo, hi;
        divideIntervalBounds(c.lo1, c.hi1, c.lo2, c.hi2, &lo, &hi);
        EXPECT_EQ(lo, c.lo) << c.lo1 << " " << c.hi1 << " / " << c.lo2 << " " << c.hi2;
        EXPECT_EQ(hi, c.hi) << c.lo1 << " " << c.hi1 << " / " << c.lo2 << " " << c.hi2;
    }
}

TEST_F(IntervalTest, DivisorHoldingZeroIsRefused) {
    for (auto divisor : {std::pair{-1.0, 1.0}, std::pair{0.0, 1.0}, std::pair{-1.0, 0.0}}) {
        errorCode = 0;
        double lo, hi;
        divideIntervalBounds(1, 2, divisor.first, divisor.second, &lo, &hi);
        EXPECT_EQ(errorCode, 1);
        EXPECT_EQ(output(), "Division by 0\n");
    }
}

TEST_F(IntervalTest, PairFormsMatchBoundForms) {
    const double a[2] = {1, 2}, b[2] = {3, 4};
    double r[2], lo, hi;
    addIntervals(a, b, r);
    addIntervalBounds(1, 2, 3, 4, &lo, &hi);
    EXPECT_EQ(r[0], lo);
    EXPECT_EQ(r[1], hi);
    EXPECT_EQ(r[0], 4.0);
    EXPECT_EQ(r[1], 6.0);
    subtractIntervals(a, a, r);  // ~1,2~ - ~1,2~ holds 0: [-1, 1]
    EXPECT_EQ(r[0], -1.0);
    EXPECT_EQ(r[1], 1.0);
    double inPlace[2] = {-1, 2};
    const double other[2] = {-3, 4};
    multiplyIntervals(inPlace, other, inPlace);
    EXPECT_EQ(inPlace[0], -6);
    EXPECT_EQ(inPlace[1], 8);
    divideIntervals(b, a, r);
    EXPECT_EQ(r[0], 1.5);
    EXPECT_EQ(r[1], 4);
    copyDoublePair(b, r);
    EXPECT_EQ(r[0], 3);
    EXPECT_EQ(r[1], 4);
}

// --- operators over matrices -------------------------------------------------------

namespace {

// Bounds for the operator sweeps: special values and numbers of all sizes.
double sweepBound(std::mt19937_64& g) {
    static const double values[] = {0.0,     -0.0, INFINITY, -INFINITY, NAN, tiny,     -tiny,
                                    DBL_MAX, 1,    -1,       3,         0.1, 0x1p-969, 0x1p600};
    if (g() % 4 == 0) return values[g() % std::size(values)];
    return (g() % 2 ? -1 : 1) * std::ldexp(1 + double(g() % 1000) / 1000, int(g() % 200) - 100);
}

// n intervals; `offZero`: none holds 0 (divisors).
std::vector<double> sweepPairs(std::mt19937_64& g, int n, bool offZero) {
    std::vector<double> x(2 * n);
    for (int i = 0; i < n; i++) {
        double lo = sweepBound(g), hi = sweepBound(g);
        if (lo > hi) std::swap(lo, hi);
        if (offZero && lo <= 0 && hi >= 0) lo = hi = 2.5;
        x[2 * i] = lo;
        x[2 * i + 1] = hi;
    }
    return x;
}

bool sameBits(const std::vector<double>& x, const std::vector<double>& y) {
    return x.size() == y.size() && std::memcmp(x.data(), y.data(), 8 * x.size()) == 0;
}

}  // namespace

// +, -, * and / with interval matrices, single intervals and real scalars
// give the element engine's bits and kinds, over temporaries (which may
// take the result) and variables (which keep their values).
TEST_F(IntervalTest, OperatorsGiveTheElementEnginesBits) {
    struct Op {
        void (*apply)(header*);
        IntervalBinaryFunction element;
        const char* name;
    };
    const Op ops[] = {{addValues, addIntervalBounds, "+"},
                      {subtractValues, subtractIntervalBounds, "-"},
                      {multiplyValues, multiplyIntervalBounds, "*"},
                      {divideValues, divideIntervalBounds, "/"}};
    enum Form { matrixForm, oneByOne, single, realScalar, variableForm, forms };
    std::mt19937_64 g(49);
    char* base = endlocal;
    for (const Op& op : ops) {
        for (auto [rows, columns] : {std::pair{1, 1}, {1, 3}, {2, 5}, {3, 7}, {1, 40}, {4, 101}}) {
            for (int left = 0; left < forms; left++) {
                for (int right = 0; right < forms; right++) {
                    if (left == realScalar && right == realScalar) continue;
                    endlocal = newram = base;
                    const bool large[2] = {left == matrixForm || left == variableForm,
                                           right == matrixForm || right == variableForm};
                    std::vector<double> data[2];
                    const int form[2] = {left, right};
                    header* variables[2] = {nullptr, nullptr};
                    for (int k = 0; k < 2; k++) {
                        data[k] = sweepPairs(g, large[k] ? rows * columns : 1,
                                             k == 1 && op.element == divideIntervalBounds);
                        if (form[k] == realScalar) data[k].resize(1);
                        if (form[k] != variableForm) continue;
                        variables[k] = pushIntervalMatrix(rows, columns, k ? "w" : "v");
                        std::copy(data[k].begin(), data[k].end(), matrixData(variables[k]));
                        endlocal = newram;
                    }
                    // The operands as fresh records; variables by reference
                    // (`resolved`: the variable itself).
                    auto push = [&](int k, bool resolved) -> header* {
                        const std::vector<double>& d = data[k];
                        switch (form[k]) {
                            case matrixForm:
                                return pairs(kindIntervalMatrix, rows, columns, d);
                            case oneByOne:
                                return pairs(kindIntervalMatrix, 1, 1, d);
                            case single:
                                return pushInterval(d[0], d[1]);
                            case realScalar:
                                return pushReal(d[0]);
                            default:
                                return resolved ? variables[k]
                                                : pushReference(variables[k], k ? "w" : "v");
                        }
                    };
                    header* first = push(0, false);
                    push(1, false);
                    op.apply(first);
                    ASSERT_EQ(errorCode, 0) << op.name << " " << left << " " << right;
                    onlyResult(first);
                    header* a = push(0, true);
                    header* b = push(1, true);
                    header* expected = applyBinary(nullptr, nullptr, op.element, a, b, op.name);
                    ASSERT_NE(expected, nullptr);
                    const char* what = op.name;
                    EXPECT_EQ(first->kind, expected->kind) << what << " " << left << " " << right;
                    EXPECT_TRUE(sameBits(elements(first), elements(expected)))
                        << what << " forms " << left << ", " << right << ", " << rows << "x"
                        << columns;
                    for (int k = 0; k < 2; k++) {
                        if (!variables[k]) continue;
                        EXPECT_TRUE(sameBits(elements(variables[k]), data[k]));
                    }
                }
            }
        }
    }
    endlocal = newram = base;
}

// A divisor holding 0, or a root of an interval reaching 0, anywhere in a
// matrix is reported as for a single interval.
TEST_F(IntervalTest, RefusalsInsideMatrices) {
    for (int n : {1, 4, 5, 9, 64}) {
        for (int bad : {0, n - 1}) {
            std::vector<double> divisors(2 * n, 2.0);
            divisors[2 * bad] = -1;
            apply(
                [&] {
                    pairs(kindIntervalMatrix, 1, n, std::vector<double>(2 * n, 1.0));
                    pairs(kindIntervalMatrix, 1, n, divisors);
                },
                divideValues);
            expectRefused("Division by 0\n", 1);
            std::vector<double> roots(2 * n, 4.0);
            roots[2 * bad] = 0;
            apply([&] { pairs(kindIntervalMatrix, 1, n, roots); },
                  [&](header* first) { call("sqrt", 1, first); });
            expectRefused("Sqrt out of range\nError in sqrt\n", 1);
        }
    }
}

TEST_F(IntervalTest, SquareRootsOfMatricesGiveTheElementBits) {
    std::mt19937_64 g(7);
    for (int n : {1, 3, 4, 7, 40, 101}) {
        std::vector<double> x = sweepPairs(g, n, false);
        for (int i = 0; i < n; i++)
            if (!(x[2 * i] > 0)) x[2 * i] = x[2 * i] == 0 ? tiny : std::fabs(x[2 * i]);
        header* first = apply([&] { pairs(kindIntervalMatrix, 1, n, x); },
                              [&](header* f) { call("sqrt", 1, f); });
        ASSERT_EQ(errorCode, 0) << output();
        std::vector<double> expected(2 * n);
        for (int i = 0; i < n; i++) sqrtBounds(&x[2 * i], &expected[2 * i]);
        EXPECT_TRUE(sameBits(elements(first), expected)) << n;
    }
}

// --- element functions -------------------------------------------------------------

// The long-double library value at each end must lie inside the result.
TEST_F(IntervalTest, LibraryFunctionsEncloseTheirValues) {
    struct Case {
        const char* what;
        void (*f)(const double*, double*);
        long double (*exact)(long double);
        double lo, hi;
        bool decreasing;
    };
    const Case cases[] = {
        {"exp", expInterval, expl, -3.7, 2.3, false},
        {"exp small", expInterval, expl, 1e-20, 3e-20, false},
        {"log", logInterval, logl, 0.1, 7.9, false},
        {"sqrt", sqrtInterval, sqrtl, 0.2, 3.0, false},
        {"atan", atanInterval, atanl, -5.5, 0.3, false},
        {"asin", asinInterval, asinl, -0.9, 0.7, false},
        {"acos", acosInterval, acosl, -0.9, 0.7, true},
        {"tan", tanInterval, tanl, -1.0, 1.0, false},
        {"sin increasing", sinInterval, sinl, 0.0, 1.0, false},
        {"sin decreasing", sinInterval, sinl, 2.0, 4.0, true},
        {"cos decreasing", cosInterval, cosl, 0.5, 3.0, true},
        {"cos increasing", cosInterval, cosl, 3.5, 6.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const double x[2] = {c.lo, c.hi};
        double r[2];
        c.f(x, r);
        ASSERT_EQ(errorCode, 0) << output();
        long double atLo = c.exact(c.lo), atHi = c.exact(c.hi);
        long double low = c.decreasing ? atHi : atLo, high = c.decreasing ? atLo : atHi;
        EXPECT_LE(static_cast<long double>(r[0]), low);
        EXPECT_GE(static_cast<long double>(r[1]), high);
        EXPECT_LT(r[1] - r[0],
                  (high - low) * (1 + 1e-14) + 1e-300 + 4 * DBL_EPSILON * std::fabs((double)high));
    }
}

TEST_F(IntervalTest, SineAndCosineOverExtrema) {
    struct Case {
        void (*f)(const double*, double*);
        double lo, hi, expectedLo, expectedHi;  // NaN: beyond both end values
    };
    const Case cases[] = {
        {cosInterval, 0, 7, -1, 1},     // wider than 2 pi
        {cosInterval, 0, 4, -1, 1},     // holds the minimum at pi; cos 0 = 1 at the top
        {cosInterval, 5, 7, NAN, 1},    // holds the maximum at 2 pi
        {sinInterval, 1, 2, NAN, 1},    // holds pi/2
        {sinInterval, 4, 5, -1, NAN},   // holds 3 pi/2
        {sinInterval, 2, 6, -1, NAN},   // decreasing then increasing
        {sinInterval, 0, 4, NAN, 1},    // the maximum inside, sin 4 the lowest value
        {sinInterval, -1, 5.2, -1, 1},  // wider than pi, rising at both ends
    };
    for (const Case& c : cases) {
        const double x[2] = {c.lo, c.hi};
        double r[2];
        c.f(x, r);
        const double fa = c.f == cosInterval ? std::cos(c.lo) : std::sin(c.lo);
        const double fb = c.f == cosInterval ? std::cos(c.hi) : std::sin(c.hi);
        if (std::isnan(c.expectedLo)) {
            EXPECT_LT(r[0], std::fmin(fa, fb)) << c.lo << " " << c.hi;
        } else {
            EXPECT_EQ(r[0], c.expectedLo) << c.lo << " " << c.hi;
        }
        if (std::isnan(c.expectedHi)) {
            EXPECT_GT(r[1], std::fmax(fa, fb)) << c.lo << " " << c.hi;
        } else {
            EXPECT_EQ(r[1], c.expectedHi) << c.lo << " " << c.hi;
        }
        EXPECT_GE(r[0], -1.0);
        EXPECT_LE(r[1], 1.0);
    }
}

TEST_F(IntervalTest, DomainErrorsOfElementFunctions) {
    struct Case {
        void (*f)(const double*, double*);
        double lo, hi;
        const char* message;
        int code;
    };
    const Case cases[] = {
        {sqrtInterval, 0, 1, "Sqrt out of range\n", 1},
        {logInterval, 0, 1, "Log out of range\n", 1},
        {tanInterval, 1, 2, "tan out of range\n", 1},
        {tanInterval, -2, 0, "tan out of range\n", 1},
        {asinInterval, 0.5, 2, "Floating point error!\n", 51},
        {acosInterval, -1.5, 0, "Floating point error!\n", 51},
    };
    for (const Case& c : cases) {
        errorCode = 0;
        errorsOff = 1;  // interval messages are never silenced
        const double x[2] = {c.lo, c.hi};
        double r[2];
        c.f(x, r);
        EXPECT_EQ(errorCode, c.code);
        EXPECT_EQ(output(), c.message);
    }
    errorsOff = 0;
}

TEST_F(IntervalTest, PowersOfIntervals) {
    struct Case {
        double a, b, c, d, lo, hi;  // expected before outward rounding
    };
    const Case cases[] = {
        {-2, 3, 2, 2, 0, 9},      {-2, -1, -1, -1, -1, -0.5},
        {-3, -2, 2, 2, 4, 9},     {-3, -2, -2, -2, 1.0 / 9, 0.25},
        {-2, 3, 3, 3, -8, 27},    {-2, 5, 0, 0, 1, 1},
        {0.5, 2, 2, 3, 0.125, 8}, {0.25, 0.5, 1, 2, 0.0625, 0.5},
        {2, 4, -1, 1, 0.25, 4},   {0.25, 0.5, -2, -1, 2, 16},
    };
    for (const Case& c : cases) {
        double lo, hi;
        powerInterval(c.a, c.b, c.c, c.d, &lo, &hi);
        ASSERT_EQ(errorCode, 0) << output();
        EXPECT_LE(lo, c.lo) << c.a << " " << c.b << " ^ " << c.c << " " << c.d;
        EXPECT_GE(hi, c.hi) << c.a << " " << c.b << " ^ " << c.c << " " << c.d;
        EXPECT_GE(lo, c.lo - 1e-14 - 1e-14 * std::fabs(c.lo));
        EXPECT_LE(hi, c.hi + 1e-14 * std::fabs(c.hi));
    }
    double lo, hi;
    powerInterval(-1, 1, -1, -1, &lo, &hi);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "0^n undefined for negative n\n");
    errorCode = 0;
    powerInterval(-2, 1, 0.5, 0.5, &lo, &hi);
    EXPECT_EQ(errorCode, 10);
    EXPECT_EQ(output(), "Cannot raise negative number to non-integer power.\n");
    errorCode = 0;
    powerInterval(1e-10, 1e-10, 40, 40, &lo, &hi);  // underflows, yet stays above 0
    EXPECT_EQ(lo, 0.0);
    EXPECT_GT(hi, 0.0);
}

TEST_F(IntervalTest, SelectedBoundsAreNotRounded) {
    double r[2];
    const double x[2] = {-3, 2};
    absInterval(x, r);
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[1], 3);
    const double negative[2] = {-3, -2};
    absInterval(negative, r);
    EXPECT_EQ(r[0], 2);
    EXPECT_EQ(r[1], 3);
    double lo, hi;
    intersectIntervals(1, 3, 2, 4, &lo, &hi);
    EXPECT_EQ(lo, 2);
    EXPECT_EQ(hi, 3);
    hullIntervals(1, 2, 3, 4, &lo, &hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 4);
    maxIntervals(1, 5, 2, 3, &lo, &hi);
    EXPECT_EQ(lo, 2);
    EXPECT_EQ(hi, 5);
    minIntervals(1, 5, 2, 3, &lo, &hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 3);
    negateInterval(1, 2, &lo, &hi);
    EXPECT_EQ(lo, -2);
    EXPECT_EQ(hi, -1);
    intersectIntervals(1, 2, 3, 4, &lo, &hi);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Empty intersection.\n");
}

TEST_F(IntervalTest, DegreeAndPercentEncloseTheExactValue) {
    double r[2];
    const double right[2] = {90, 90};
    degreeInterval(right, r);
    EXPECT_LE(static_cast<long double>(r[0]), 3.14159265358979323846264L / 2);
    EXPECT_GE(static_cast<long double>(r[1]), 3.14159265358979323846264L / 2);
    const double tenth[2] = {10, 10};
    percentInterval(tenth, r);
    // 0.1 is not representable: the bounds straddle it, 100 lo <= 10 <= 100 hi.
    EXPECT_LE(std::fma(r[0], 100, -10), 0);
    EXPECT_GE(std::fma(r[1], 100, -10), 0);
    EXPECT_LT(r[0], r[1]);
}

TEST_F(IntervalTest, TestsOfSubintervals) {
    EXPECT_EQ(isProperSubinterval(1, 2, 0, 3), 1);
    EXPECT_EQ(isProperSubinterval(1, 2, 1, 3), 1);
    EXPECT_EQ(isProperSubinterval(1, 2, 1, 2), 0);
    EXPECT_EQ(isSubinterval(1, 2, 1, 2), 1);
    EXPECT_EQ(isSubinterval(0, 2, 1, 2), 0);
    EXPECT_EQ(intervalsIntersect(1, 2, 2, 3), 1);
    EXPECT_EQ(intervalsIntersect(1, 2, 3, 4), 0);
    const double x[2] = {1, 3};
    EXPECT_EQ(intervalMiddle(x), 2);
    EXPECT_EQ(intervalDiameter(x), 2);
    EXPECT_EQ(intervalLeft(x), 1);
    EXPECT_EQ(intervalRight(x), 3);
    const double far[2] = {DBL_MAX, DBL_MAX};
    EXPECT_EQ(intervalMiddle(far), DBL_MAX);
}

// --- promotion ------------------------------------------------------------------------

TEST_F(IntervalTest, PromotionChangesTheRecordInPlace) {
    header* x = pushReal(2.5);
    header* above = pushReal(7);
    promoteToInterval(x);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(x->kind, kindInterval);
    EXPECT_EQ(elements(x), (std::vector<double>{2.5, 2.5}));
    above = nextValue(x);
    ASSERT_NE(above, nullptr);
    EXPECT_EQ(realOf(above), 7);
    EXPECT_EQ(endOf(above), newram);

    header* m = matrix(2, 2, {1, 2, 3, 4});
    pushCString("behind");
    promoteToInterval(m);
    EXPECT_EQ(m->kind, kindIntervalMatrix);
    EXPECT_EQ(shape(m), (std::vector<int>{2, 2}));
    EXPECT_EQ(elements(m), (std::vector<double>{1, 1, 2, 2, 3, 3, 4, 4}));
    EXPECT_STREQ(stringOf(nextValue(m)), "behind");

    header* already = pushInterval(1, 2);
    int64_t size = already->size;
    promoteToInterval(already);
    EXPECT_EQ(already->size, size);
}

TEST_F(IntervalTest, PromotionRefusals) {
    promoteToInterval(pushComplex(1, 1));
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Cannot convert from complex to interval.\n");
    errorCode = 0;
    promoteToInterval(pushCString("a"));
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Argument not real or complex.\n");
    errorCode = 0;
    // A matrix filling the rest of the stack cannot double.
    int n = int((ramend - newram - 64) / 8);
    header* big = pushRealMatrix(1, n);
    ASSERT_EQ(errorCode, 0);
    promoteToInterval(big);
    EXPECT_EQ(errorCode, 180);
    EXPECT_EQ(output(), "Memory overflow!\n");
    EXPECT_EQ(big->kind, kindRealMatrix);
}

// --- constructors and builtins ------------------------------------------------------------

TEST_F(IntervalTest, IntervalOfOneValue) {
    header* first = call("interval", 1, pushReal(1));
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindInterval);
    EXPECT_EQ(pair(first), (std::vector<double>{1 - DBL_EPSILON / 2, 1 + DBL_EPSILON}));
    newram = endlocal;
    first = call("interval", 1, pushReal(0));
    EXPECT_EQ(pair(first), (std::vector<double>{0, 0}));
    newram = endlocal;
    first = call("interval", 1, row({1, 2}));
    EXPECT_EQ(first->kind, kindIntervalMatrix);
    EXPECT_EQ(elements(first)[2], roundDown(2));
    newram = endlocal;
    first = call("interval", 1, pushInterval(1, 2));
    EXPECT_EQ(pair(first), (std::vector<double>{1, 2}));
    newram = endlocal;
    call("interval", 1, pushCString("a"));
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Illegal argument for ~a~\n");
}

TEST_F(IntervalTest, IntervalFromBounds) {
    struct Case {
        const char* what;
        std::function<header*(IntervalTest&)> lower, upper;
        std::vector<double> expected;  // empty: an error
        const char* message;
    };
    const Case cases[] = {
        {"two reals",
         [](auto&) { return pushReal(1); },
         [](auto&) { return pushReal(2); },
         {1, 2},
         ""},
        {"reversed",
         [](auto&) { return pushReal(2); },
         [](auto&) { return pushReal(1); },
         {},
         "Empty Interval\n"},
        {"real and row",
         [](auto&) { return pushReal(0); },
         [](auto& t) {
             return t.row({1, 2});
         },
         {0, 1, 0, 2},
         ""},
        {"row and real",
         [](auto& t) {
             return t.row({1, 2});
         },
         [](auto&) { return pushReal(3); },
         {1, 3, 2, 3},
         ""},
        {"two rows",
         [](auto& t) {
             return t.row({1, 2});
         },
         [](auto& t) {
             return t.row({3, 4});
         },
         {1, 3, 2, 4},
         ""},
        {"an empty element",
         [](auto& t) {
             return t.row({1, 5});
         },
         [](auto& t) {
             return t.row({3, 4});
         },
         {},
         "Empty interval\n"},
        {"shapes differ",
         [](auto& t) {
             return t.row({1, 2});
         },
         [](auto& t) {
             return t.column({3, 4});
         },
         {},
         "Matrix dimensions must agree for ~\n"},
        {"string upper",
         [](auto&) { return pushReal(1); },
         [](auto&) { return pushCString("a"); },
         {},
         "Illegal argument for ~\n"},
        {"string lower",
         [](auto&) { return pushCString("a"); },
         [](auto&) { return pushReal(1); },
         {},
         "Illegal argument for ~a,b~\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        errorCode = 0;
        newram = endlocal;
        header* first = c.lower(*this);
        c.upper(*this);
        call("interval", 2, first);
        EXPECT_EQ(output(), c.message);
        if (c.expected.empty()) {
            EXPECT_EQ(errorCode, 1);
        } else {
            ASSERT_EQ(errorCode, 0);
            onlyResult(first);
            EXPECT_EQ(elements(first), c.expected);
        }
    }
}

TEST_F(IntervalTest, ExpandWidensAroundTheMiddle) {
    header* first = pushInterval(1, 3);
    pushReal(2);
    call("expand", 2, first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_LE(pair(first)[0], 0.0);
    EXPECT_NEAR(pair(first)[0], 0, 1e-15);
    EXPECT_GE(pair(first)[1], 4.0);
    EXPECT_NEAR(pair(first)[1], 4, 4e-15);

    newram = endlocal;
    first = pushReal(1);
    pushReal(0.5);
    call("expand", 2, first);
    EXPECT_LT(pair(first)[0], 0.5 + 1e-15);
    EXPECT_GT(pair(first)[1], 1.5 - 1e-15);

    newram = endlocal;
    first = pushInterval(1, 3);
    pushReal(0);
    call("expand", 2, first);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "expand by a positiv scalar only!\n");

    errorCode = 0;
    newram = endlocal;
    first = pushCString("a");
    pushReal(1);
    call("expand", 2, first);
    EXPECT_EQ(errorCode, 26);
    EXPECT_EQ(output(), "Wrong argument\n");
}

TEST_F(IntervalTest, PartsOfIntervals) {
    EXPECT_EQ(real("diameter", 5), 0);
    EXPECT_EQ(real("left", 5), 5);
    newram = endlocal;
    header* first = call("middle", 1, pushInterval(1, 3));
    EXPECT_EQ(realOf(first), 2);
    newram = endlocal;
    first = call("right", 1, pairs(kindIntervalMatrix, 1, 2, {1, 2, 3, 4}));
    EXPECT_EQ(elements(first), (std::vector<double>{2, 4}));
    newram = endlocal;
    call("left", 1, pushComplex(1, 1));
    EXPECT_EQ(errorCode, 3);
    EXPECT_EQ(
        output(),
        "Wrong argument.\nCannot use a complex here.\n\nThis function can only use real values!\n"
        "Error in left\n");
}

TEST_F(IntervalTest, SubintervalOperatorsAndIntersects) {
    struct Case {
        void (*op)(header*);
        double lo1, hi1, lo2, hi2, expected;
    };
    const Case cases[] = {
        {testProperSubintervalOperator, 1, 2, 0, 3, 1},
        {testProperSubintervalOperator, 1, 2, 1, 3, 1},
        {testProperSubintervalOperator, 1, 2, 1, 2, 0},
        {testSubintervalOperator, 1, 2, 1, 2, 1},
        {[](header* f) { findBuiltin("intersects", 2)->handler(f); }, 1, 2, 2, 3, 1},
        {[](header* f) { findBuiltin("intersects", 2)->handler(f); }, 1, 2, 3, 4, 0},
    };
    for (const Case& c : cases) {
        newram = endlocal;
        header* first = pushInterval(c.lo1, c.hi1);
        pushInterval(c.lo2, c.hi2);
        c.op(first);
        ASSERT_EQ(errorCode, 0) << output();
        EXPECT_EQ(realOf(onlyResult(first)), c.expected);
    }
    newram = endlocal;
    header* first = pushReal(1);
    pushReal(2);
    testProperSubintervalOperator(first);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Cannot evaluate < for reals!\n");  // no "Error in" line
}

TEST_F(IntervalTest, PlusMinusAddsASymmetricInterval) {
    for (double width : {0.5, -0.5}) {
        newram = endlocal;
        header* first = pushReal(1);
        pushReal(width);
        applyPlusMinus(first);
        ASSERT_EQ(errorCode, 0) << output();
        onlyResult(first);
        EXPECT_EQ(first->kind, kindInterval);
        EXPECT_EQ(pair(first), (std::vector<double>{0.5, 1.5}));  // exact sums
    }
    newram = endlocal;
    header* first = pushReal(1);
    pushCString("a");
    applyPlusMinus(first);
    EXPECT_EQ(errorCode, 26);
    EXPECT_EQ(output(), "Need two real numbers for plusminus\n");
}

}  // namespace kalix
