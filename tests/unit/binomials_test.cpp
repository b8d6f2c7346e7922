// Binomial coefficients of real arguments: the step-by-step product where
// it is short, log-gamma where it is long or overflows on the way, and a
// bounded time for any arguments.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "numerics/binomials.h"

namespace kalix {

TEST(Binomials, ValuesAgainstExactOnes) {
    struct Case {
        double n, k, expected, tolerance;  // relative
    };
    const Case cases[] = {
        {5, 2, 10, 0},
        {5, 0, 1, 0},
        {5, -1, 1, 0},
        {0.5, 2, -0.125, 0},
        {10.5, 3, 141.3125, 0},
        {2, 5, 0, 0},                // a factor 0
        {10, 1e17, 0, 0},            // a factor 0 far away: no 10^17 steps
        {-3, 20001, -200050003, 0},  // a negative whole n: the short side
        {1000, 500, 2.7028824094543656e299, 1e-13},
        // Long products, and products whose steps overflow (-1/2 over 10^4).
        {-0.5, 1e9, 1.7841241159297556e-05, 1e-12},
        {-0.5, 10000, 0.00564182531222042006, 1e-12},
        {-2.5, 1e6, 752254188.53801592196, 1e-12},
        {-1.8542665859946883, 706024532, 38277229.664905986191, 1e-9},
    };
    for (const Case& c : cases) {
        double r = binomialCoefficient(c.n, c.k);
        if (c.tolerance == 0)
            EXPECT_EQ(r, c.expected) << "bin(" << c.n << ", " << c.k << ")";
        else
            EXPECT_NEAR(r / c.expected, 1, c.tolerance) << "bin(" << c.n << ", " << c.k << ")";
    }
    EXPECT_EQ(binomialCoefficient(1100, 500), INFINITY);
    EXPECT_EQ(binomialCoefficient(1e300, 1e18), INFINITY);
    EXPECT_EQ(binomialCoefficient(1e10 + 0.5, 30000), INFINITY);
    EXPECT_TRUE(std::isnan(binomialCoefficient(NAN, 3)));
    EXPECT_TRUE(std::isnan(binomialCoefficient(3, INFINITY)));
}

TEST(Binomials, LogarithmsAgainstExactOnes) {
    struct Case {
        double n, k, expected, tolerance;  // absolute over max(1, |expected|)
    };
    const Case cases[] = {
        {5, 2, std::log(10.0), 1e-15},
        {5, 0, 0, 0},
        {1e10, 5e9, 6931471793.860736276532365, 1e-14},
        {1e12, 20001, 374562.5278649269048965143, 1e-14},
        {1e300, 1e18, 6.5032899622383e20, 1e-12},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(logBinomialCoefficient(c.n, c.k), c.expected,
                    c.tolerance * std::fmax(1, std::fabs(c.expected)))
            << "logbin(" << c.n << ", " << c.k << ")";
    // A negative first term of the sum is NaN, a zero one -inf, as the sum of
    // logarithms gives them.
    EXPECT_TRUE(std::isnan(logBinomialCoefficient(10, 1e17)));
    EXPECT_TRUE(std::isnan(logBinomialCoefficient(10, 12)));
    EXPECT_EQ(logBinomialCoefficient(10, 11), -INFINITY);
}

// A loop over k would take hours from k = 1e12 on; the bound catches that
// and is no measure of speed.
TEST(Binomials, FarArgumentsTakeNoLoopOverK) {
    auto start = std::chrono::steady_clock::now();
    for (double k : {1e9, 1e12, 1e15, 1e17, 1e300}) {
        binomialCoefficient(10, k);
        binomialCoefficient(-0.5, k);
        binomialCoefficient(k, k / 2);
        logBinomialCoefficient(10, k);
        logBinomialCoefficient(k, k / 2);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

}  // namespace kalix
