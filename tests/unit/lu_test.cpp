// Complex pair arithmetic, the LU decomposition, the triangular solves and
// the dense solver.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numerics/complex_pairs.h"
#include "numerics/lu.h"
#include "random_values.h"

namespace {

constexpr double epsilon = 2.220446049250313e-12;

// Largest |A x - b| over all right-hand columns.
double residual(const std::vector<double>& a, int n, const std::vector<double>& b, int m,
                const std::vector<double>& x) {
    double worst = 0;
    for (int i = 0; i < n; i++)
        for (int c = 0; c < m; c++) {
            double s = -b[i * m + c];
            for (int k = 0; k < n; k++) s += a[i * n + k] * x[k * m + c];
            worst = std::max(worst, std::fabs(s));
        }
    return worst;
}

TEST(ComplexPairs, ArithmeticAndAliasing) {
    double z[2] = {1, 2}, w[2] = {3, 4}, out[2];
    multiplyComplex(z, w, out);
    EXPECT_EQ(out[0], -5);
    EXPECT_EQ(out[1], 10);
    divideComplex(out, w, out);  // the result may be the dividend
    EXPECT_DOUBLE_EQ(out[0], 1);
    EXPECT_DOUBLE_EQ(out[1], 2);
    multiplyComplex(z, z, z);  // both operands read before writing
    EXPECT_EQ(z[0], -3);
    EXPECT_EQ(z[1], 4);
    addComplex(z, w, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 8);
    subtractComplex(z, w, out);
    EXPECT_EQ(out[0], -6);
    EXPECT_EQ(out[1], 0);
    double big[2] = {1e200, 1e200}, pythagorean[2] = {3, 4};
    EXPECT_EQ(absComplex(pythagorean), 5);
    EXPECT_TRUE(std::isinf(absComplex(big)));
}

struct LuCase {
    const char* name;
    int rows, columns;
    std::vector<double> a;
    int rank;
    std::vector<int> pivotRows;  // first `rank` entries of the permutation
    std::vector<int> flags;
    double determinant;
};

TEST(DecomposeLu, RanksPermutationsFlagsAndDeterminants) {
    const LuCase cases[] = {
        {"regular", 2, 2, {1, 2, 3, 4}, 2, {1, 0}, {1, 1}, -2},
        {"exchange", 2, 2, {0, 1, 1, 0}, 2, {1, 0}, {1, 1}, -1},
        {"tie keeps the upper row", 2, 2, {1, 0, 1, 1}, 2, {0, 1}, {1, 1}, 1},
        {"rank 1", 2, 2, {1, 2, 2, 4}, 1, {1}, {1, 0}, 0},
        {"rank 2 of 3", 3, 3, {1, 2, 3, 2, 4, 6, 1, 0, 1}, 2, {1, 2}, {1, 1, 0}, 0},
        {"wide", 2, 3, {1, 2, 3, 4, 5, 6}, 2, {1, 0}, {1, 1, 0}, 0},
        {"tall", 3, 2, {1, 2, 3, 4, 5, 6}, 2, {2, 0}, {1, 1}, 0},
        {"scalar", 1, 1, {5}, 1, {0}, {1}, 5},
    };
    for (const LuCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> a = c.a;
        std::vector<int> permutation(size_t(c.rows)), flags(size_t(c.columns));
        const LuResult r =
            decomposeLuReal(a.data(), c.rows, c.columns, epsilon, permutation.data(), flags.data());
        EXPECT_EQ(r.rank, c.rank);
        EXPECT_EQ(std::vector<int>(permutation.begin(), permutation.begin() + r.rank), c.pivotRows);
        EXPECT_EQ(flags, c.flags);
        EXPECT_DOUBLE_EQ(r.determinant[0], c.determinant);
        EXPECT_FALSE(std::signbit(r.determinant[0]) && c.determinant == 0) << "-0 reported";
    }
}

// Taken in pivot order, the stored rows hold L (below the diagonal, unit
// diagonal) and U: L U must give the rows of A in that order.
TEST(DecomposeLu, FactorsReproduceThePermutedMatrix) {
    const int n = 7;
    const std::vector<double> a = randomMatrix(n, n, 1);
    std::vector<double> lu = a;
    std::vector<int> permutation(n), flags(n);
    const LuResult r = decomposeLuReal(lu.data(), n, n, epsilon, permutation.data(), flags.data());
    ASSERT_EQ(r.rank, n);
    double determinantFromFactors = 1;
    for (int i = 0; i < n; i++) {
        const double* row = &lu[permutation[i] * n];
        determinantFromFactors *= row[i];
        for (int j = 0; j < n; j++) {
            double s = 0;
            for (int k = 0; k <= std::min(i, j); k++) {
                const double l = k == i ? 1 : row[k];
                s += l * lu[permutation[k] * n + j] * (k <= j ? 1 : 0);
            }
            EXPECT_NEAR(s, a[permutation[i] * n + j], 1e-12) << i << "," << j;
        }
    }
    EXPECT_NEAR(std::fabs(r.determinant[0]), std::fabs(determinantFromFactors), 1e-12);
}

TEST(DecomposeLu, ComplexDeterminant) {
    // [[1+i, 2], [3, 4i]]: det = (1+i)(4i) - 6 = -10 + 4i.
    std::vector<double> a = {1, 1, 2, 0, 3, 0, 0, 4};
    std::vector<int> permutation(2), flags(2);
    const LuResult r =
        decomposeLuComplex(a.data(), 2, 2, epsilon, permutation.data(), flags.data());
    EXPECT_EQ(r.rank, 2);
    EXPECT_NEAR(r.determinant[0], -10, 1e-14);
    EXPECT_NEAR(r.determinant[1], 4, 1e-14);
}

TEST(SolveLu, SolvesWithRowsInPivotOrderAndRefusesAZeroDiagonal) {
    const int n = 5, m = 2;
    const std::vector<double> a = randomMatrix(n, n, 2), b = randomMatrix(n, m, 3);
    std::vector<double> lu = a;
    std::vector<int> permutation(n), flags(n);
    decomposeLuReal(lu.data(), n, n, epsilon, permutation.data(), flags.data());
    std::vector<double> ordered(n * n), orderedB(n * m), x(n * m);
    for (int i = 0; i < n; i++) {
        std::copy_n(&lu[permutation[i] * n], n, &ordered[i * n]);
        std::copy_n(&b[permutation[i] * m], m, &orderedB[i * m]);
    }
    ASSERT_EQ(solveLuReal(ordered.data(), n, orderedB.data(), m, x.data()), SolveStatus::ok);
    EXPECT_LT(residual(a, n, b, m, x), 1e-12);

    const double zeroDiagonal[] = {1, 2, 3, 0}, rhs[] = {1, 1};
    double out[2];
    EXPECT_EQ(solveLuReal(zeroDiagonal, 2, rhs, 1, out), SolveStatus::singular);
    const double complexZero[] = {1, 0, 2, 0, 3, 0, 0, 0}, complexRhs[] = {1, 0, 1, 0};
    double complexOut[4];
    EXPECT_EQ(solveLuComplex(complexZero, 2, complexRhs, 1, complexOut), SolveStatus::singular);
}

TEST(SolveSystem, SmallSystems) {
    struct Case {
        const char* name;
        int n;
        std::vector<double> a, b, x;
    };
    const Case cases[] = {
        {"diagonal", 2, {2, 0, 0, 4}, {2, 4}, {1, 1}},
        {"exchange", 2, {0, 1, 1, 0}, {1, 2}, {2, 1}},
        {"row scaling matters", 2, {1, 1000, 0.5, 0}, {1001, 0.5}, {1, 1}},
        {"tiny but regular", 5, {}, {1e-3, 2e-3, 3e-3, 4e-3, 5e-3}, {1, 2, 3, 4, 5}},
        {"rows of very different size", 2, {1e-200, 1e-200, 1e200, -1e200}, {2e-200, 0}, {1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> a = c.a;
        if (a.empty()) {
            a.assign(25, 0);
            for (int i = 0; i < 5; i++) a[i * 6] = 0.001;
        }
        std::vector<double> x(c.n);
        ASSERT_EQ(solveSystemReal(a.data(), c.n, c.b.data(), 1, x.data(), epsilon),
                  SolveStatus::ok);
        for (int i = 0; i < c.n; i++) EXPECT_NEAR(x[i], c.x[i], 1e-12);
    }
}

TEST(SolveSystem, SingularSystems) {
    const std::vector<std::vector<double>> matrices = {
        {1, 2, 2, 4},                  // dependent rows
        {0, 0, 1, 1},                  // a zero row
        {1, 1, 1, 1 + 1e-14},          // singular within the tolerance
        {1e-20, 2e-20, 2e-20, 4e-20},  // singular at any scale
    };
    for (const auto& a : matrices) {
        const double b[] = {1, 1};
        double x[2];
        EXPECT_EQ(solveSystemReal(a.data(), 2, b, 1, x, epsilon), SolveStatus::singular);
    }
    const double zero[] = {0}, one[] = {1};
    double x[1];
    EXPECT_EQ(solveSystemReal(zero, 1, one, 1, x, epsilon), SolveStatus::singular);
}

TEST(SolveSystem, LargeSystemWithSeveralRightHandSides) {
    const int n = 120, m = 3;
    const std::vector<double> a = randomMatrix(n, n, 4), b = randomMatrix(n, m, 5);
    std::vector<double> x(n * m);
    ASSERT_EQ(solveSystemReal(a.data(), n, b.data(), m, x.data(), epsilon), SolveStatus::ok);
    EXPECT_LT(residual(a, n, b, m, x), 1e-11);
}

TEST(SolveSystem, ComplexSystem) {
    // [[2, i], [1, 1]] x = [2 + i; 2] has x = [1; 1].
    const double a[] = {2, 0, 0, 1, 1, 0, 1, 0}, b[] = {2, 1, 2, 0};
    double x[4];
    ASSERT_EQ(solveSystemComplex(a, 2, b, 1, x, epsilon), SolveStatus::ok);
    EXPECT_NEAR(x[0], 1, 1e-15);
    EXPECT_NEAR(x[1], 0, 1e-15);
    EXPECT_NEAR(x[2], 1, 1e-15);
    EXPECT_NEAR(x[3], 0, 1e-15);
    const double singular[] = {1, 1, 2, 2, 2, 2, 4, 4};
    EXPECT_EQ(solveSystemComplex(singular, 2, b, 1, x, epsilon), SolveStatus::singular);
}

}  // namespace
