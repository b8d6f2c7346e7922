// The simplex kernel: the programs of each kind of constraint and variable,
// the result codes, and random programs against their best vertex.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "numerics/simplex.h"

namespace kalix {

namespace {

struct Outcome {
    SimplexResult code;
    std::vector<double> x, marks;
};

struct Program {
    int m, n;
    std::vector<double> a, b, c;
    std::vector<double> equations, restrictions;
    double direction = -1;
};

Outcome solve(const Program& p, bool (*interrupted)(void*) = nullptr) {
    LinearProgram lp;
    lp.m = p.m;
    lp.n = p.n;
    lp.a = p.a.data();
    lp.b = p.b.data();
    lp.c = p.c.data();
    if (!p.equations.empty()) {
        lp.equationFlags = p.equations.data();
        lp.equationCount = int(p.equations.size());
    }
    if (!p.restrictions.empty()) {
        lp.restrictionFlags = p.restrictions.data();
        lp.restrictionCount = int(p.restrictions.size());
    }
    lp.direction = p.direction;
    lp.epsilon = 2.220446049250313e-12;
    lp.interrupted = interrupted;
    std::vector<double> work(simplexWorkspaceBytes(p.m, p.n) / 8 + 1);
    Outcome o{simplexOptimal, std::vector<double>(size_t(p.n)), std::vector<double>(size_t(p.m))};
    o.code = solveLinearProgram(lp, work.data(), o.x.data(), o.marks.data());
    return o;
}

void expectNear(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); i++) EXPECT_NEAR(actual[i], expected[i], 1e-12) << i;
}

TEST(Simplex, ProgramsOfEveryKind) {
    struct Case {
        const char* what;
        Program program;
        SimplexResult code;
        std::vector<double> x, marks;
    } cases[] = {
        {"maximise",
         {2, 2, {1, 2, 3, 1}, {4, 6}, {1, 1}, {}, {}, 1},
         simplexOptimal,
         {1.6, 1.2},
         {1, 1}},
        {"minimise at the origin",
         {2, 2, {1, 2, 3, 1}, {4, 6}, {1, 1}, {}, {}, -1},
         simplexOptimal,
         {0, 0},
         {0, 0}},
        {"x >= 1 and x <= 0",
         {2, 1, {1, 1}, {1, 0}, {1}, {1, -1}, {}, -1},
         simplexInfeasible,
         {0},
         {}},
        {"unbounded", {1, 1, {0}, {1}, {1}, {-1}, {1}, 1}, simplexUnbounded, {0}, {0}},
        {"equalities",
         {2, 2, {1, 1, 1, -1}, {2, 0}, {1, 1}, {0}, {}, 0},
         simplexOptimal,
         {1, 1},
         {0, 0}},
        // min x1 + 2 x2 with x1 + x2 >= 3, x1 <= 2: x = [2, 1].
        {">= rows",
         {2, 2, {1, 1, 1, 0}, {3, 2}, {1, 2}, {1, -1}, {}, -1},
         simplexOptimal,
         {2, 1},
         {1, 1}},
        // max x1 - x2 with x2 <= 0, x1 <= 2, x1 + x2 >= -1: x = [2, -3].
        {"x <= 0 column",
         {2, 2, {1, 0, 1, 1}, {2, -1}, {1, -1}, {-1, 1}, {1, -1}, 1},
         simplexOptimal,
         {2, -3},
         {1, 1}},
        // min -x1 with a free x2: x1 - x2 <= 1, x1 + x2 <= 3 gives x1 = 2, x2 = 1.
        {"free variable",
         {2, 2, {1, -1, 1, 1}, {1, 3}, {-1, 0}, {-1}, {1, 0}, -1},
         simplexOptimal,
         {2, 1},
         {1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = solve(c.program);
        EXPECT_EQ(o.code, c.code);
        if (!c.x.empty()) expectNear(o.x, c.x);
        if (!c.marks.empty()) expectNear(o.marks, c.marks);
    }
}

// Small random programs max c x, A x <= b, x >= 0 with A > 0 and b > 0 are
// feasible and bounded: the optimum must be the best feasible vertex.
TEST(Simplex, RandomProgramsReachTheBestVertex) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> uniform(0.1, 2);
    for (int trial = 0; trial < 200; trial++) {
        const int m = 4, n = 2;
        Program p{m, n, {}, {}, {}, {}, {}, 1};
        for (int k = 0; k < m * n; k++) p.a.push_back(uniform(random));
        for (int i = 0; i < m; i++) p.b.push_back(uniform(random));
        for (int j = 0; j < n; j++) p.c.push_back(uniform(random) - 0.5);
        // Vertices: intersections of two of the m + 2 boundary lines.
        std::vector<std::array<double, 3>> lines;
        for (int i = 0; i < m; i++) lines.push_back({p.a[i * 2], p.a[i * 2 + 1], p.b[i]});
        lines.push_back({1, 0, 0});
        lines.push_back({0, 1, 0});
        double best = -INFINITY;
        for (size_t u = 0; u < lines.size(); u++) {
            for (size_t v = u + 1; v < lines.size(); v++) {
                const auto &l1 = lines[u], &l2 = lines[v];
                const double det = l1[0] * l2[1] - l1[1] * l2[0];
                if (std::fabs(det) < 1e-12) continue;
                const double x = (l1[2] * l2[1] - l1[1] * l2[2]) / det;
                const double y = (l1[0] * l2[2] - l1[2] * l2[0]) / det;
                bool feasible = x >= -1e-12 && y >= -1e-12;
                for (int i = 0; i < m; i++)
                    feasible = feasible && p.a[i * 2] * x + p.a[i * 2 + 1] * y <= p.b[i] + 1e-12;
                if (feasible) best = std::max(best, p.c[0] * x + p.c[1] * y);
            }
        }
        const Outcome o = solve(p);
        ASSERT_EQ(o.code, simplexOptimal);
        EXPECT_NEAR(p.c[0] * o.x[0] + p.c[1] * o.x[1], best, 1e-10) << trial;
    }
}

TEST(Simplex, EscapeStopsTheExchangeSteps) {
    Program p{2, 2, {1, 2, 3, 1}, {4, 6}, {1, 1}, {}, {}, 1};
    EXPECT_EQ(solve(p, [](void*) { return true; }).code, simplexInterrupted);
}

}  // namespace

}  // namespace kalix
