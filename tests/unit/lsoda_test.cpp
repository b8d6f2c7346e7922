// The LSODA kernels: the dense linear algebra, the method coefficients, and
// the driver on nonstiff and stiff problems, its messages and its failures.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "numerics/lsoda.h"
#include "numerics/lsoda_linear_algebra.h"

namespace kalix {

namespace {

// --- dense linear algebra ---------------------------------------------------

// A 1-based matrix of row pointers over its own storage.
struct Matrix {
    int n;
    std::vector<double> storage;
    std::vector<double*> rows;
    Matrix(int size, std::vector<double> values)
        : n(size), storage(size_t(size) * (size + 1)), rows(size_t(size) + 1) {
        for (int i = 1; i <= n; i++) {
            rows[size_t(i)] = storage.data() + (i - 1) * (n + 1);
            for (int j = 1; j <= n; j++) rows[size_t(i)][j] = values[size_t((i - 1) * n + j - 1)];
        }
    }
    double** a() { return rows.data(); }
};

// Factors M and solves M x = b (job 0) or M' x = b; returns x (0-based).
std::vector<double> solve(int n, std::vector<double> m, std::vector<double> b, int job) {
    Matrix a(n, m);
    std::vector<int> piv(size_t(n) + 1);
    int info = -1;
    factorMatrix(a.a(), n, piv.data(), &info);
    EXPECT_EQ(info, 0);
    std::vector<double> x(size_t(n) + 1);
    std::copy(b.begin(), b.end(), x.begin() + 1);
    solveFactored(a.a(), n, piv.data(), x.data(), job);
    return std::vector<double>(x.begin() + 1, x.end());
}

TEST(LsodaLinearAlgebra, FactorAndSolveBothWays) {
    const std::vector<double> m = {1, 2, 3, 4};
    EXPECT_EQ(solve(2, m, {3, 7}, 0), (std::vector<double>{1, 1}));
    EXPECT_EQ(solve(2, m, {4, 6}, 1), (std::vector<double>{1, 1}));
    // A 4 x 4 system that needs pivoting, solved to rounding both ways.
    const std::vector<double> big = {0, 2, 1, 4, 3, 1, 0, 2, 1, 5, 2, 0, 2, 0, 3, 1};
    const std::vector<double> x = {1, -2, 3, 0.5};
    for (int job : {0, 1}) {
        std::vector<double> b(4, 0);
        for (int i = 0; i < 4; i++)
            for (int j = 0; j < 4; j++) b[i] += (job ? big[j * 4 + i] : big[i * 4 + j]) * x[j];
        const std::vector<double> solved = solve(4, big, b, job);
        for (int i = 0; i < 4; i++) EXPECT_NEAR(solved[i], x[i], 1e-13) << job;
    }
}

TEST(LsodaLinearAlgebra, ZeroPivotIsReportedAndTheEliminationGoesOn) {
    Matrix a(3, {1, 2, 3, 0, 0, 0, 4, 5, 7});
    std::vector<int> piv(4);
    int info = 0;
    factorMatrix(a.a(), 3, piv.data(), &info);
    EXPECT_EQ(info, 2);
    EXPECT_EQ(piv[3], 3);
}

TEST(LsodaLinearAlgebra, VectorKernels) {
    const double x[] = {0, 1, -3, 3};  // 1-based
    EXPECT_EQ(indexOfMaxAbs(3, x, 1), 2);
    EXPECT_EQ(indexOfMaxAbs(0, x, 1), 0);
    EXPECT_EQ(indexOfMaxAbs(1, x, 1), 1);
    EXPECT_EQ(indexOfMaxAbs(2, x, 2), 2);  // elements 1 and 3
    const double y[] = {0, 10, 20, 30};
    EXPECT_EQ(dotProduct(3, x, 1, y, 1), 10 - 60 + 90);
    EXPECT_EQ(dotProduct(3, x, -1, y, 1), 3 * 10 - 3 * 20 + 1 * 30);
    EXPECT_EQ(dotProduct(0, x, 1, y, 1), 0);
    double z[] = {0, 1, 1, 1, 1, 1};
    const double nan[] = {0, NAN, NAN, NAN};
    scaledAdd(3, 0, nan, 1, z, 1);
    EXPECT_EQ(z[1], 1);
    scaledAdd(2, 2, y, 1, z, 2);  // z[1] += 20, z[3] += 40
    EXPECT_EQ(z[1], 21);
    EXPECT_EQ(z[3], 41);
    scaleVector(3, -1, z, 2);  // z[1], z[3], z[5]
    EXPECT_EQ(z[1], -21);
    EXPECT_EQ(z[2], 1);
    EXPECT_EQ(z[5], -1);
    Matrix m(2, {1, -2, 3, 4});
    const double w[] = {0, 1, 2};
    EXPECT_EQ(weightedMatrixNorm(2, m.a(), w), std::max(1 * (1 + 2.0 / 2), 2 * (3 + 4.0 / 2)));
}

// --- coefficients -------------------------------------------------------------

TEST(LsodaCoefficients, TheTablesOfOrdersOneAndTwo) {
    LsodaState s;
    computeMethodCoefficients(s, 1);
    EXPECT_EQ(s.coefTable[1][1], 1);
    EXPECT_EQ(s.coefTable[1][2], 1);
    EXPECT_DOUBLE_EQ(s.coefTable[2][1], 0.5);
    EXPECT_DOUBLE_EQ(s.coefTable[2][3], 0.5);
    const double adams1[] = {0, 2, 12}, adams2[] = {1, 12, 24};
    for (int k = 0; k < 3; k++) {
        EXPECT_DOUBLE_EQ(s.testTable[1][k + 1], adams1[k]);
        EXPECT_DOUBLE_EQ(s.testTable[2][k + 1], adams2[k]);
    }
    // l(-1) = 0 for every Adams order.
    for (int q = 1; q <= 12; q++) {
        double sum = 0, sign = 1;
        for (int i = 1; i <= q + 1; i++, sign = -sign) sum += sign * s.coefTable[q][i];
        EXPECT_NEAR(sum, 0, 1e-12) << q;
    }
    computeMethodCoefficients(s, 2);
    EXPECT_EQ(s.coefTable[1][1], 1);
    EXPECT_DOUBLE_EQ(s.coefTable[2][1], 2.0 / 3);
    EXPECT_DOUBLE_EQ(s.coefTable[2][3], 1.0 / 3);
    const double bdf1[] = {1, 2, 3}, bdf2[] = {1, 4.5, 6};
    for (int k = 0; k < 3; k++) {
        EXPECT_DOUBLE_EQ(s.testTable[1][k + 1], bdf1[k]);
        EXPECT_DOUBLE_EQ(s.testTable[2][k + 1], bdf2[k]);
    }
}

// --- the driver ---------------------------------------------------------------

// A problem with its own state and work space; f counts its calls and may
// fail from a given call on.
struct Problem {
    int neq;
    std::function<void(double, const double*, double*)> f;
    LsodaState state;
    std::vector<double> work;
    std::vector<double> y, rtol, atol;
    std::string messages;
    int calls = 0;
    int failFrom = -1;
    int istate = 1;
    double t = 0;

    Problem(int n, std::function<void(double, const double*, double*)> rhs, double tol)
        : neq(n),
          f(std::move(rhs)),
          work(lsodaWorkspaceBytes(n) / 8 + 1),
          y(size_t(n) + 1),
          rtol(size_t(n) + 1, tol),
          atol(size_t(n) + 1, tol) {
        attachLsodaWorkspace(state, work.data(), n);
        state.callbacks.derivative = [](void* c, double t, const double* y, double* dy) {
            Problem& p = *static_cast<Problem*>(c);
            if (p.failFrom >= 0 && p.calls >= p.failFrom) return false;
            p.calls++;
            p.f(t, y, dy);
            return true;
        };
        state.callbacks.message = [](void* c, const char* text) {
            static_cast<Problem*>(c)->messages += text;
        };
        state.callbacks.context = this;
    }
    Problem(const Problem&) = delete;

    void start(std::vector<double> y0, double t0) {
        std::copy(y0.begin(), y0.end(), y.begin() + 1);
        t = t0;
        istate = 1;
    }
    void advance(double tout) {
        runLsoda(state, neq, y.data(), &t, tout, 2, rtol.data(), atol.data(), 1, &istate, 0, 2);
    }
};

void decay(double, const double* y, double* dy) { dy[0] = -y[0]; }

void robertson(double, const double* y, double* dy) {
    dy[0] = -0.04 * y[0] + 1e4 * y[1] * y[2];
    dy[2] = 3e7 * y[1] * y[1];
    dy[1] = -dy[0] - dy[2];
}

TEST(LsodaDriver, DecayAndTheCoefficientConstants) {
    Problem p(1, decay, 1e-10);
    p.start({1}, 0);
    for (double tout : {0.5, 1.0, 2.0}) {
        p.advance(tout);
        ASSERT_EQ(p.istate, 2);
        EXPECT_NEAR(p.y[1], std::exp(-tout), 1e-8);
    }
    const double adams[] = {2, 6, 4, 1.578947368421053};
    for (int q = 1; q <= 4; q++) EXPECT_NEAR(p.state.adamsConstants[q], adams[q - 1], 1e-12);
    const double bdf[] = {2, 1.5, 2.0 / 3, 0.2083333333333333, 0.05};
    for (int q = 1; q <= 5; q++) EXPECT_NEAR(p.state.bdfConstants[q], bdf[q - 1], 1e-12);
    EXPECT_EQ(p.state.methodUsed, 1);  // nonstiff: Adams throughout
    EXPECT_TRUE(p.messages.empty());
}

TEST(LsodaDriver, RobertsonSwitchesToBdfInFewSteps) {
    Problem p(3, robertson, 1e-10);
    p.start({1, 0, 0}, 0);
    const double reference[] = {1.786592114226676e-02, 7.274751468505643e-08,
                                9.821340061102219e-01};
    double t = 1e-5;
    for (; t <= 1.000001e5; t *= 10) {
        p.advance(t);
        ASSERT_EQ(p.istate, 2) << p.messages;
    }
    for (int i = 0; i < 3; i++) EXPECT_NEAR(p.y[size_t(i) + 1] / reference[i], 1, 1e-6) << i;
    EXPECT_EQ(p.state.methodUsed, 2);
    EXPECT_GT(p.state.switchTime, 0);
    EXPECT_GT(p.state.jacobianCount, 0);
    EXPECT_LT(p.state.nst, 1500);
}

TEST(LsodaDriver, TooMuchAccuracyIsRefusedAndRepeatedIllegalInputNoticed) {
    Problem p(1, decay, 1e-20);
    for (int call = 1; call <= 6; call++) {
        p.messages.clear();
        p.start({1}, 0);
        p.advance(1);
        EXPECT_EQ(p.istate, -3);
        EXPECT_NE(p.messages.find("lsoda -- at start of problem, too much accuracy\n"
                                  "         requested for precision of machine,\n"
                                  "         suggested scaling factor = 2.2"),
                  std::string::npos)
            << p.messages;
        const bool repeated =
            p.messages.find("[lsoda] repeated occurrence of illegal input") != std::string::npos;
        EXPECT_EQ(repeated, call == 6) << call;
    }
}

TEST(LsodaDriver, FreshStartsAtToutEqualTAreCounted) {
    Problem p(1, decay, 1e-8);
    for (int call = 1; call <= 6; call++) {
        p.messages.clear();
        p.start({1}, 2);
        p.advance(2);
        EXPECT_EQ(p.istate, 1);
        EXPECT_EQ(p.messages.empty(), call < 5) << call;
    }
    p.start({1}, 0);
    p.advance(1);
    EXPECT_EQ(p.state.repeatCount, 0);
}

TEST(LsodaDriver, InterpolationOnlyInsideTheLastStep) {
    Problem p(1, decay, 1e-8);
    p.start({1}, 0);
    p.advance(1);
    ASSERT_EQ(p.istate, 2);
    std::vector<double> value(2);
    int iflag = 1;
    const double inside = p.state.tcur - p.state.hu / 2;
    interpolateLsoda(p.state, inside, 0, value.data(), &iflag);
    EXPECT_EQ(iflag, 0);
    EXPECT_NEAR(value[1], std::exp(-inside), 1e-7);
    interpolateLsoda(p.state, inside, 1, value.data(), &iflag);
    EXPECT_NEAR(value[1], -std::exp(-inside), 1e-5);
    interpolateLsoda(p.state, 0, 0, value.data(), &iflag);
    EXPECT_EQ(iflag, -2);
    EXPECT_NE(p.messages.find("intdy -- t = 0 illegal."), std::string::npos);
    // Behind the last step the continuation is refused.
    p.advance(0.1);
    EXPECT_EQ(p.istate, -3);
    EXPECT_NE(p.messages.find("[lsoda] trouble from intdy, itask = 1, tout = 0.1\n"),
              std::string::npos);
}

TEST(LsodaDriver, AFailingRightHandSideStopsAtOnce) {
    for (int failFrom : {0, 1, 7, 40}) {
        Problem p(3, robertson, 1e-8);
        p.failFrom = failFrom;
        p.start({1, 0, 0}, 0);
        p.advance(100);
        EXPECT_EQ(p.istate, lsodaEvaluationFailed) << failFrom;
        EXPECT_EQ(p.calls, failFrom);
    }
}

TEST(LsodaDriver, EscapeStopsTheIntegration) {
    Problem p(3, robertson, 1e-8);
    static int polls;
    polls = 0;
    p.state.callbacks.interrupted = [](void*) { return ++polls > 3; };
    p.start({1, 0, 0}, 0);
    p.advance(100);
    EXPECT_EQ(p.istate, lsodaInterrupted);
    EXPECT_EQ(polls, 4);
}

// A problem integrated in pieces while another runs in between gives the
// same result as alone.
TEST(LsodaDriver, IndependentStatesDoNotMeet) {
    auto run = [](bool interleave) {
        Problem a(3, robertson, 1e-9);
        a.start({1, 0, 0}, 0);
        a.advance(10);
        if (interleave) {
            Problem b(1, decay, 1e-6);
            b.start({5}, 0);
            b.advance(3);
        }
        a.advance(1000);
        return std::vector<double>(a.y.begin() + 1, a.y.end());
    };
    EXPECT_EQ(run(false), run(true));
}

}  // namespace

}  // namespace kalix
