// The Runge-Kutta integrators: the Cash-Karp table, the order of the
// classical method, the adaptive control and its failures.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numerics/runge_kutta.h"

namespace kalix {

namespace {

TEST(CashKarpTable, StagesAndWeightsAreConsistent) {
    const double* a = cashKarpTable;
    const double* b = cashKarpTable + 5;
    for (int s = 1; s <= 5; s++, b += s - 1) {
        double sum = 0;
        for (int k = 0; k < s; k++) sum += b[k];
        EXPECT_NEAR(sum, a[s - 1], 1e-15) << s;
    }
    const double* c = cashKarpTable + 20;
    EXPECT_NEAR(c[0] + c[1] + c[2] + c[3], 1, 1e-15);
    EXPECT_DOUBLE_EQ(cashKarpTable[24], -277.0 / 14336);
    double errorSum = 0;
    for (double w : cashKarpErrorWeights) errorSum += w;
    EXPECT_NEAR(errorSum, 0, 1e-15);
    EXPECT_EQ(cashKarpErrorWeights[1], 0);
    EXPECT_EQ(cashKarpErrorWeights[4], cashKarpTable[24]);
}

// y' = k y (k in the context); counts calls and may fail or stop.
struct Growth {
    double k = -1;
    int calls = 0, failFrom = -1;
    bool stop = false;
    OdeSystem system() {
        return {[](void* c, double, const double* y, double* dy) {
                    Growth& g = *static_cast<Growth*>(c);
                    if (g.failFrom >= 0 && g.calls >= g.failFrom) return false;
                    g.calls++;
                    dy[0] = g.k * y[0];
                    return true;
                },
                [](void* c) { return static_cast<Growth*>(c)->stop; }, this};
    }
};

TEST(Runge1, FourthOrderConvergence) {
    std::vector<double> work(runge1WorkVectors);
    double error[2];
    for (int k = 0; k < 2; k++) {
        Growth g;
        double y = 1;
        ASSERT_EQ(integrateRunge1(g.system(), 0, 1, 10 << k, &y, 1, work.data()), odeOk);
        EXPECT_EQ(g.calls, 4 * (10 << k));
        error[k] = y - std::exp(-1.0);
    }
    EXPECT_NEAR(error[0] / error[1], 16, 1);
    EXPECT_LT(std::fabs(error[1]), 1e-7);
}

TEST(Runge2, AdaptiveStepsForwardBackwardAndStill) {
    std::vector<double> work(runge2WorkVectors);
    struct Case {
        double a, b, eps;
    } cases[] = {{0, 1, 1e-8}, {0, 10, 1e-10}, {1, 0, 1e-8}, {0, -3, 1e-6}};
    for (const Case& c : cases) {
        Growth g;
        double y = 1, next = 0;
        ASSERT_EQ(integrateRunge2(g.system(), c.a, c.b, &y, 1, c.eps, 0.1, work.data(), &next),
                  odeOk);
        EXPECT_NEAR(y / std::exp(c.a - c.b), 1, 50 * c.eps) << c.b;
        EXPECT_EQ(next > 0, c.b > c.a);
    }
    Growth still;
    double y = 2, next = 1;
    ASSERT_EQ(integrateRunge2(still.system(), 3, 3, &y, 1, 1e-8, 0.1, work.data(), &next), odeOk);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(next, 0);
}

TEST(Runge2, Failures) {
    std::vector<double> work(runge2WorkVectors);
    double y = 1, next = 0;
    Growth exact;
    EXPECT_EQ(integrateRunge2(exact.system(), 0, 1, &y, 1, 0, 0.1, work.data(), &next),
              odeStepsizeUnderflow);
    Growth many;
    y = 1;
    EXPECT_EQ(integrateRunge2(many.system(), 0, 100, &y, 1, 1e-8, 0.1, work.data(), &next, 5),
              odeTooManySteps);
    EXPECT_EQ(many.calls, 5 * 6);
    Growth failing;
    failing.failFrom = 9;
    y = 1;
    EXPECT_EQ(integrateRunge2(failing.system(), 0, 1, &y, 1, 1e-8, 0.1, work.data(), &next),
              odeEvaluationFailed);
    EXPECT_EQ(failing.calls, 9);
    Growth stopped;
    stopped.stop = true;
    y = 1;
    EXPECT_EQ(integrateRunge2(stopped.system(), 0, 1, &y, 1, 1e-8, 0.1, work.data(), &next),
              odeInterrupted);
    std::vector<double> work1(runge1WorkVectors);
    EXPECT_EQ(integrateRunge1(stopped.system(), 0, 1, 3, &y, 1, work1.data()), odeInterrupted);
}

}  // namespace

}  // namespace kalix
