// Brent's minimisation with its bracketing march, and Nelder-Mead.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "numerics/minimisers.h"

namespace kalix {

namespace {

constexpr double epsilon = 2.220446049250313e-12;

// A scalar function with a call counter; it fails from call `failFrom` on.
struct Scalar {
    std::function<double(double)> f;
    int calls = 0, failFrom = -1;
    bool stop = false;
    ScalarObjective objective() {
        return {[](void* c, double x, double* value) {
                    Scalar& s = *static_cast<Scalar*>(c);
                    if (s.failFrom >= 0 && s.calls >= s.failFrom) return false;
                    s.calls++;
                    *value = s.f(x);
                    return true;
                },
                [](void* c) { return static_cast<Scalar*>(c)->stop; }, this};
    }
};

TEST(Brent, FindsMinimaOnEitherSide) {
    struct Case {
        double a, d, minimum;
    } cases[] = {{0, 0.1, 3},        {0, 0.1, -2},        {10, 1, 10},  {0, 0, 1e-10},
                 {5, -1, 5 - 2e-10}, {0, 0, 5},           {0, 0, -5},   {0, 1e-3, 1e6},
                 {3, 0.1, -1e8},     {0, 1e-300, 1e-200}, {0, 1, 1e12}, {-1e15, 1, 1e15}};
    // A step d <= epsilon starts from epsilon; the steps grow by the golden
    // ratio, so minima far from the start are reached in a few hundred.
    for (const Case& c : cases) {
        Scalar s{[&](double x) { return (x - c.minimum) * (x - c.minimum); }};
        double x = NAN;
        ASSERT_EQ(minimiseBrent(s.objective(), c.a, c.d, 1e-10, epsilon, &x), minimiserOk)
            << c.minimum;
        EXPECT_NEAR(x, c.minimum, 2 * (1e-8 * std::fabs(c.minimum) + epsilon)) << c.minimum;
        EXPECT_LT(s.calls, 300) << c.minimum;
    }
    // A non-smooth minimum is found by golden sections.
    Scalar s{[](double x) { return std::fabs(x - 0.7); }};
    double x = 0;
    ASSERT_EQ(minimiseBrent(s.objective(), 0, 0.25, 1e-8, epsilon, &x), minimiserOk);
    EXPECT_NEAR(x, 0.7, 1e-7);
}

TEST(Brent, FailuresStopTheSearch) {
    Scalar falling{[](double x) { return -x; }};
    double x = 0;
    EXPECT_EQ(minimiseBrent(falling.objective(), 0, 1, 1e-8, epsilon, &x, 100), minimiserNoBracket);
    EXPECT_LE(falling.calls, 103);
    // Without a step limit that bites, a function that keeps falling (either
    // way) ends when the march leaves the doubles.
    for (double sign : {1.0, -1.0}) {
        Scalar s{[sign](double x) { return -sign * x; }};
        EXPECT_EQ(minimiseBrent(s.objective(), 0, 0, 1e-8, epsilon, &x), minimiserNoBracket);
        EXPECT_LT(s.calls, 2000);
    }
    for (int failFrom : {0, 1, 2, 10}) {
        Scalar s{[](double x) { return x * x; }};
        s.failFrom = failFrom;
        EXPECT_EQ(minimiseBrent(s.objective(), 3, 0.5, 1e-8, epsilon, &x),
                  minimiserEvaluationFailed);
        EXPECT_EQ(s.calls, failFrom);
    }
    Scalar stopped{[](double x) { return -x; }};
    stopped.stop = true;
    EXPECT_EQ(minimiseBrent(stopped.objective(), 0, 1, 1e-8, epsilon, &x), minimiserInterrupted);
}

struct Vector {
    std::function<double(const double*)> f;
    int calls = 0, failFrom = -1;
    VectorObjective objective() {
        return {[](void* c, const double* x, double* value) {
                    Vector& v = *static_cast<Vector*>(c);
                    if (v.failFrom >= 0 && v.calls >= v.failFrom) return false;
                    v.calls++;
                    *value = v.f(x);
                    return true;
                },
                nullptr, this};
    }
};

double rosenbrock(const double* x) {
    return 100 * (x[1] - x[0] * x[0]) * (x[1] - x[0] * x[0]) + (1 - x[0]) * (1 - x[0]);
}

TEST(NelderMead, RosenbrockAndAQuadraticBowl) {
    std::vector<double> work(size_t(nelderWorkspaceSize(3))), best(3);
    Vector r{rosenbrock};
    const double start[] = {-1.2, 1};
    ASSERT_EQ(
        minimiseNelderMead(r.objective(), start, 2, 0.1, 1e-16, epsilon, work.data(), best.data()),
        minimiserOk);
    EXPECT_NEAR(best[0], 1, 1e-4);
    EXPECT_NEAR(best[1], 1, 1e-4);
    Vector bowl{[](const double* x) {
        return (x[0] - 1) * (x[0] - 1) + 2 * (x[1] + 2) * (x[1] + 2) + 3 * x[2] * x[2];
    }};
    const double origin[] = {0, 0, 0};
    ASSERT_EQ(
        minimiseNelderMead(bowl.objective(), origin, 3, 1, 0, epsilon, work.data(), best.data()),
        minimiserOk);
    EXPECT_NEAR(best[0], 1, 1e-5);
    EXPECT_NEAR(best[1], -2, 1e-5);
    EXPECT_NEAR(best[2], 0, 1e-5);
}

TEST(NelderMead, LimitsAndFailures) {
    std::vector<double> work(size_t(nelderWorkspaceSize(2))), best(2);
    const double start[] = {-1.2, 1};
    Vector large{[](const double* x) { return 1e12 * rosenbrock(x) + 1e12; }};
    EXPECT_EQ(minimiseNelderMead(large.objective(), start, 2, 0.1, 1e-20, epsilon, work.data(),
                                 best.data(), 200),
              minimiserTooManyIterations);
    Vector early{rosenbrock};
    early.failFrom = 2;
    EXPECT_EQ(minimiseNelderMead(early.objective(), start, 2, 0.1, 1e-8, epsilon, work.data(),
                                 best.data()),
              minimiserStartFailed);
    Vector later{rosenbrock};
    later.failFrom = 20;
    EXPECT_EQ(minimiseNelderMead(later.objective(), start, 2, 0.1, 1e-8, epsilon, work.data(),
                                 best.data()),
              minimiserEvaluationFailed);
    EXPECT_EQ(later.calls, 20);
}

}  // namespace

}  // namespace kalix
