// The interval kernels on plain bound pairs: failures come back as a status
// with NaN bounds, and nothing is printed or set elsewhere.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "numerics/intervals.h"

namespace kalix {

TEST(IntervalKernels, FailuresAreStatusesWithNaNBounds) {
    struct Case {
        const char* what;
        std::function<IntervalStatus(double*)> run;
        IntervalStatus status;
    };
    const double holdingZero[2] = {-1, 1}, wide[2] = {-2, 0.5};
    const Case cases[] = {
        {"divide by [-1, 1]", [&](double* r) { return divideBounds(1, 2, -1, 1, &r[0], &r[1]); },
         IntervalStatus::divisionByZero},
        {"log of [-1, 1]", [&](double* r) { return logBounds(holdingZero, r); },
         IntervalStatus::logOutOfRange},
        {"sqrt of [-1, 1]", [&](double* r) { return sqrtBounds(holdingZero, r); },
         IntervalStatus::sqrtOutOfRange},
        {"asin of [-2, 0.5]", [&](double* r) { return asinBounds(wide, r); },
         IntervalStatus::outsideUnitRange},
        {"acos of [-2, 0.5]", [&](double* r) { return acosBounds(wide, r); },
         IntervalStatus::outsideUnitRange},
        {"tan of [-2, 0.5]", [&](double* r) { return tanBounds(wide, r); },
         IntervalStatus::tanOutOfRange},
        {"[-2, -1] ^ 0.5", [&](double* r) { return powerBounds(-2, -1, 0.5, 0.5, &r[0], &r[1]); },
         IntervalStatus::negativeBaseNonInteger},
        {"[-1, 1] ^ -1", [&](double* r) { return powerBounds(-1, 1, -1, -1, &r[0], &r[1]); },
         IntervalStatus::zeroToNegativePower},
    };
    for (const Case& c : cases) {
        double result[2] = {0, 0};
        EXPECT_EQ(c.run(result), c.status) << c.what;
        EXPECT_TRUE(std::isnan(result[0]) && std::isnan(result[1])) << c.what;
    }
    double result[2];
    EXPECT_EQ(intersectBounds(0, 1, 2, 3, &result[0], &result[1]),
              IntervalStatus::emptyIntersection);
    EXPECT_EQ(result[0], 2);  // the bounds are still set
    EXPECT_EQ(result[1], 1);
}

TEST(IntervalKernels, SuccessfulKernelsEncloseTheExactResult) {
    const double positive[2] = {2, 3};
    double r[2];
    ASSERT_EQ(divideBounds(1, 1, 3, 3, &r[0], &r[1]), IntervalStatus::ok);
    EXPECT_LE(std::fma(r[0], 3, -1), 0);  // 3 lo <= 1 <= 3 hi, exactly
    EXPECT_GE(std::fma(r[1], 3, -1), 0);
    ASSERT_EQ(sqrtBounds(positive, r), IntervalStatus::ok);
    EXPECT_LE(r[0] * r[0], 2);
    EXPECT_GE(r[1] * r[1], 3);
    ASSERT_EQ(powerBounds(-2, -1, 3, 3, &r[0], &r[1]), IntervalStatus::ok);
    EXPECT_LE(r[0], -8);
    EXPECT_GE(r[1], -1);
    ASSERT_EQ(intersectBounds(0, 2, 1, 3, &r[0], &r[1]), IntervalStatus::ok);
    EXPECT_EQ(r[0], 1);
    EXPECT_EQ(r[1], 2);
}

}  // namespace kalix
