// The exact long accumulator: exact sums and products, the window limits,
// the one rounding of the read-back (nearest and directed) and the digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "numerics/accumulators.h"

namespace kalix {

namespace {

LongAccumulator sumOf(std::initializer_list<double> terms) {
    LongAccumulator acc;
    clearAccumulator(acc);
    for (double x : terms) EXPECT_EQ(addToAccumulator(acc, x), accumulatorOk) << x;
    return acc;
}

std::vector<double> digitsOf(const LongAccumulator& acc) {
    std::vector<double> terms(accumulatorDigitCount);
    terms.resize(size_t(accumulatorDigitTerms(acc, terms.data())));
    return terms;
}

TEST(LongAccumulator, SumsAndDotProductsAreExact) {
    EXPECT_EQ(accumulatorToDouble(sumOf({1e20, 1, -1e20})), 1);
    LongAccumulator acc;
    clearAccumulator(acc);
    const double v[] = {1e10, 1, -1e10}, w[] = {1e10, 1, 1e10};
    ASSERT_EQ(addDotProduct(acc, v, w, 3), accumulatorOk);
    EXPECT_EQ(accumulatorToDouble(acc), 1);
    EXPECT_TRUE(isAccumulatorZero(sumOf({0.1, -0.1, 2.5, -2.5})));
    EXPECT_EQ(accumulatorToDouble(sumOf({})), 0);
}

// Terms and their negatives over the whole exponent range, shuffled with
// one more term: the sum is that term exactly.
TEST(LongAccumulator, RandomCancellationLeavesTheOddTermExactly) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-400, 400);
    for (int trial = 0; trial < 50; trial++) {
        std::vector<std::pair<double, double>> products;
        for (int i = 0; i < 200; i++) {
            double a = std::ldexp(mantissa(random), exponent(random));
            double b = std::ldexp(mantissa(random), exponent(random));
            products.push_back({a, b});
            products.push_back({-a, b});
        }
        const double odd = std::ldexp(mantissa(random), exponent(random));
        products.push_back({odd, 1});
        std::shuffle(products.begin(), products.end(), random);
        LongAccumulator acc;
        clearAccumulator(acc);
        for (auto [a, b] : products) ASSERT_EQ(addProductToAccumulator(acc, a, b), accumulatorOk);
        EXPECT_EQ(accumulatorToDouble(acc), odd);
    }
}

// A single product or a sum of two doubles read back must equal the IEEE
// result (correctly rounded to nearest); the directed read-backs step one
// double outward exactly when the rounding error says so.
TEST(LongAccumulator, ReadBackIsCorrectlyRounded) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-400, 400);
    for (int trial = 0; trial < 20000; trial++) {
        const double a = std::ldexp(mantissa(random), exponent(random));
        const double b = std::ldexp(mantissa(random), exponent(random));
        LongAccumulator acc;
        clearAccumulator(acc);
        ASSERT_EQ(addProductToAccumulator(acc, a, b), accumulatorOk);
        const double p = a * b, error = std::fma(a, b, -p);
        ASSERT_EQ(accumulatorToDouble(acc), p);
        ASSERT_EQ(accumulatorToDouble(acc, roundTowardNegative),
                  error < 0 ? std::nextafter(p, -INFINITY) : p);
        ASSERT_EQ(accumulatorToDouble(acc, roundTowardPositive),
                  error > 0 ? std::nextafter(p, INFINITY) : p);
        const double c = std::ldexp(mantissa(random), exponent(random) / 8);
        ASSERT_EQ(accumulatorToDouble(sumOf({c, a})), c + a);
    }
}

TEST(LongAccumulator, TiesAndStickyBits) {
    const double u = std::ldexp(1, -53);
    struct Case {
        std::initializer_list<double> terms;
        double nearest, down, up;
    } cases[] = {
        {{1, u}, 1, 1, 1 + 2 * u},                      // tie to even: down
        {{1, 3 * u}, 1 + 4 * u, 1 + 2 * u, 1 + 4 * u},  // tie to even: up
        {{1, u, std::ldexp(1, -300)}, 1 + 2 * u, 1, 1 + 2 * u},
        {{-1, -u, -std::ldexp(1, -300)}, -1 - 2 * u, -1 - 2 * u, -1},
        {{DBL_MAX, std::ldexp(1, 970)}, INFINITY, DBL_MAX, INFINITY},
        {{std::ldexp(1, -1024), std::ldexp(3, -1024)},
         std::ldexp(1, -1022),
         std::ldexp(1, -1022),
         std::ldexp(1, -1022)},
    };
    for (const Case& c : cases) {
        LongAccumulator acc = sumOf(c.terms);
        EXPECT_EQ(accumulatorToDouble(acc), c.nearest);
        EXPECT_EQ(accumulatorToDouble(acc, roundTowardNegative), c.down);
        EXPECT_EQ(accumulatorToDouble(acc, roundTowardPositive), c.up);
    }
}

TEST(LongAccumulator, TermsOutsideTheWindowAreRefusedAndLeaveTheSum) {
    LongAccumulator acc = sumOf({DBL_MAX, 5});
    const LongAccumulator before = acc;
    // Above the window (or not a number), and below it: told apart.
    const struct {
        double x;
        AccumulatorStatus status;
    } refused[] = {{DBL_MAX, accumulatorOverflow},
                   {NAN, accumulatorOverflow},
                   {INFINITY, accumulatorOverflow},
                   {std::ldexp(1, -1074), accumulatorBelowRange},
                   {std::ldexp(3, -1025), accumulatorBelowRange}};
    for (const auto& r : refused) {
        EXPECT_EQ(addToAccumulator(acc, r.x), r.status) << r.x;
        EXPECT_EQ(std::memcmp(&acc, &before, sizeof acc), 0) << r.x;
    }
    EXPECT_EQ(addProductToAccumulator(acc, 1e300, 1e300), accumulatorOverflow);
    EXPECT_EQ(addProductToAccumulator(acc, std::ldexp(1, -600), std::ldexp(1, -600)),
              accumulatorBelowRange);
    const double tiny = 1e-300;
    EXPECT_EQ(addDotProduct(acc, &tiny, &tiny, 1), accumulatorBelowRange);
    EXPECT_EQ(std::memcmp(&acc, &before, sizeof acc), 0);
    // The window's edges themselves are fine.
    EXPECT_EQ(addProductToAccumulator(acc, std::ldexp(1, -512), std::ldexp(1, -512)),
              accumulatorOk);
    LongAccumulator low;
    clearAccumulator(low);
    EXPECT_EQ(addToAccumulator(low, std::ldexp(1, -1024)), accumulatorOk);
    EXPECT_EQ(accumulatorToDouble(low), std::ldexp(1, -1024));
    // Far down negative, then refused at -2^1024.
    LongAccumulator negative = sumOf({-DBL_MAX});
    EXPECT_EQ(addToAccumulator(negative, -DBL_MAX), accumulatorOverflow);
    EXPECT_EQ(addToAccumulator(negative, -std::ldexp(1, 971)), accumulatorOverflow);
    EXPECT_EQ(accumulatorToDouble(negative), -DBL_MAX);
}

TEST(LongAccumulator, DigitsFromTheHighestDown) {
    const std::vector<double> expected = {std::ldexp(1, 40), 0, 0, 0, 0, std::ldexp(1, -40)};
    EXPECT_EQ(digitsOf(sumOf({std::ldexp(1, 40), std::ldexp(1, -40)})), expected);
    EXPECT_EQ(digitsOf(sumOf({})), std::vector<double>{0});
    EXPECT_EQ(digitsOf(sumOf({-65537})), (std::vector<double>{-65536, -1}));
    // The terms add up to the value again.
    LongAccumulator acc = sumOf({M_PI, -std::ldexp(M_E, 700), std::ldexp(1.5, -900)});
    LongAccumulator again;
    clearAccumulator(again);
    for (double term : digitsOf(acc)) ASSERT_EQ(addToAccumulator(again, term), accumulatorOk);
    EXPECT_EQ(std::memcmp(&acc, &again, sizeof acc), 0);
}

TEST(LongAccumulator, IntervalProductBoundsBySigns) {
    struct Case {
        double a, b, c, d, lower, upper;
    } cases[] = {
        {1, 2, 3, 4, 3, 8},     {1, 2, -3, 4, -6, 8},   {1, 2, -4, -3, -8, -3},
        {-1, 2, 3, 4, -4, 8},   {-1, 2, -3, 4, -6, 8},  {-2, 1, -3, 4, -8, 6},
        {-1, 2, -4, -3, -8, 4}, {-2, -1, 3, 4, -8, -3}, {-2, -1, -3, 4, -8, 6},
        {-2, -1, -4, -3, 3, 8},
    };
    for (const Case& c : cases) {
        LongAccumulator lower, upper;
        clearAccumulator(lower);
        clearAccumulator(upper);
        ASSERT_EQ(addIntervalProductBounds(lower, upper, c.a, c.b, c.c, c.d), accumulatorOk);
        EXPECT_EQ(accumulatorToDouble(lower), c.lower) << c.a << " " << c.b << " " << c.c;
        EXPECT_EQ(accumulatorToDouble(upper), c.upper) << c.a << " " << c.b << " " << c.c;
    }
    // Candidates that are equal after rounding are told apart exactly:
    // a d rounds to b c but lies below it.
    const double e = std::ldexp(1, -52);
    const double a = -(1 + e), b = 1 + 2 * e, c = -1, d = 1 + e;
    ASSERT_EQ(a * d, b * c);
    LongAccumulator lower, upper, exact;
    clearAccumulator(lower);
    clearAccumulator(upper);
    clearAccumulator(exact);
    ASSERT_EQ(addIntervalProductBounds(lower, upper, a, b, c, d), accumulatorOk);
    addProductToAccumulator(exact, a, d);
    EXPECT_EQ(std::memcmp(&lower, &exact, sizeof exact), 0);
    EXPECT_EQ(addIntervalProductBounds(lower, upper, -INFINITY, 1, 0, 1), accumulatorOverflow);
}

}  // namespace

}  // namespace kalix
