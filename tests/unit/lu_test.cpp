// Complex pair arithmetic, the LU decomposition, the triangular solves and
// the dense solver.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "numerics/complex_pairs.h"
#include "numerics/lu.h"
#include "random_values.h"

namespace kalix {

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

// The elimination column by column, as the decomposition is defined: the
// blocked decomposition must give the same bits.
template <typename E>
LuResult referenceDecomposition(E* a, int n, int m, double eps, int* permutation, int* flags) {
    for (int i = 0; i < n; i++) permutation[i] = i;
    int sign = 1, rank = 0;
    E determinant = unitOf<E>();
    int j = 0, k = 0;
    for (; k < m && j < n; k++) {
        int p = j;
        double best = magnitude(a[permutation[j] * m + k]);
        for (int i = j + 1; i < n; i++)
            if (magnitude(a[permutation[i] * m + k]) > best) {
                best = magnitude(a[permutation[i] * m + k]);
                p = i;
            }
        if (best < eps) {
            sign = 0;
            flags[k] = 0;
            continue;
        }
        flags[k] = 1;
        rank++;
        determinant = determinant * a[permutation[p] * m + k];
        if (p != j) {
            sign = -sign;
            std::swap(permutation[p], permutation[j]);
        }
        const E* pivotRow = a + permutation[j] * m;
        for (int i = j + 1; i < n; i++) {
            E* row = a + permutation[i] * m;
            if (isZero(row[k])) continue;
            const E f = row[k] / pivotRow[k];
            row[k] = f;
            for (int l = k + 1; l < m; l++) row[l] = row[l] - f * pivotRow[l];
        }
        j++;
    }
    if (j < n || k < m) sign = 0;
    for (int l = k; l < m; l++) flags[l] = 0;
    LuResult r;
    r.rank = rank;
    if (sign != 0) {
        const E d = double(sign) * determinant;
        std::memcpy(r.determinant, &d, sizeof d);
    }
    return r;
}

// Matrices of many shapes and kinds: dense, with exact zeros (rows that
// skip pivots), rank-deficient, with a column below the tolerance, with
// infinities, NaN, signed zeros and multipliers that underflow to 0.
std::vector<double> testMatrix(int n, int m, int kind, unsigned seed, int doubles) {
    std::vector<double> a = randomValues(size_t(n) * m * doubles, seed);
    const std::vector<double> pick = randomValues(size_t(n) * m, seed + 1000);
    for (size_t e = 0; e < pick.size(); e++) {
        double* v = &a[e * doubles];
        const int i = int(e / m), l = int(e % m);
        switch (kind) {
            case 1:  // mostly zeros, some negative zeros
                if (pick[e] < 0.6) std::fill_n(v, doubles, pick[e] < -0.2 ? 0.0 : -0.0);
                break;
            case 2:  // banded
                if (std::abs(i - l) > 2) std::fill_n(v, doubles, 0.0);
                break;
            case 3:  // rank deficient: every third row repeats the row above; tiny columns
                if (i % 3 == 2) std::copy_n(&a[(e - m) * doubles], doubles, v);
                if (l % 7 == 3) std::fill_n(v, doubles, 1e-20 * pick[e]);
                break;
            case 4:  // huge, tiny, infinite and NaN entries
                if (pick[e] > 0.97)
                    v[0] = INFINITY;
                else if (pick[e] < -0.97)
                    v[0] = NAN;
                else if (pick[e] > 0.8)
                    v[0] = 1e300 * pick[e];
                else if (pick[e] < -0.8)
                    v[0] = 1e-300 * pick[e];
                else if (std::fabs(pick[e]) < 0.05)
                    std::fill_n(v, doubles, -0.0);
                break;
            default:
                break;
        }
    }
    return a;
}

// Equal bits, or both NaN: which NaN an operation passes on depends on the
// order of its operands, which the compiler may choose for a product.
bool sameBits(double x, double y) {
    return (std::isnan(x) && std::isnan(y)) || std::memcmp(&x, &y, sizeof x) == 0;
}

template <typename E>
void expectSameDecomposition(const std::vector<double>& a, int n, int m, double eps,
                             LuResult (*decompose)(double*, int, int, double, int*, int*)) {
    const int doubles = int(sizeof(E) / sizeof(double));
    std::vector<double> blocked = a, reference = a;
    std::vector<int> p1(static_cast<size_t>(n)), p2 = p1, f1(static_cast<size_t>(m)), f2 = f1;
    const LuResult r1 = decompose(blocked.data(), n, m, eps, p1.data(), f1.data());
    const LuResult r2 = referenceDecomposition(reinterpret_cast<E*>(reference.data()), n, m, eps,
                                               p2.data(), f2.data());
    EXPECT_EQ(r1.rank, r2.rank);
    EXPECT_EQ(p1, p2);
    EXPECT_EQ(f1, f2);
    EXPECT_TRUE(sameBits(r1.determinant[0], r2.determinant[0]));
    EXPECT_TRUE(sameBits(r1.determinant[1], r2.determinant[1]));
    size_t differing = 0;
    for (size_t e = 0; e < size_t(n) * m * doubles; e++)
        if (!sameBits(blocked[e], reference[e])) differing++;
    EXPECT_EQ(differing, 0u);
}

TEST(DecomposeLu, BlockedEliminationGivesTheBitsOfTheColumnLoop) {
    std::vector<std::pair<int, int>> shapes;
    for (int n = 1; n <= 70; n++) shapes.push_back({n, n});
    for (int n : {100, 257}) shapes.push_back({n, n});
    for (auto [n, m] : {std::pair{3, 40},
                        {40, 3},
                        {17, 33},
                        {33, 17},
                        {64, 129},
                        {129, 64},
                        {1, 90},
                        {90, 1},
                        {45, 200},
                        {200, 45}})
        shapes.push_back({n, m});
    unsigned seed = 1;
    for (auto [n, m] : shapes)
        for (int kind = 0; kind <= 4; kind++) {
            SCOPED_TRACE(std::to_string(n) + " x " + std::to_string(m) + ", kind " +
                         std::to_string(kind));
            expectSameDecomposition<double>(testMatrix(n, m, kind, seed, 1), n, m, epsilon,
                                            decomposeLuReal);
            if (n % 4 == 1 || n > 70)
                expectSameDecomposition<ComplexPair>(testMatrix(n, m, kind, seed + 7, 2), n, m,
                                                     epsilon, decomposeLuComplex);
            seed++;
        }
}

TEST(DecomposeLu, LargeBlockedEliminationGivesTheBitsOfTheColumnLoop) {
    // Multipliers that underflow to 0 still update their rows (which turns
    // -0 into +0 where the pivot row holds a negative number).
    const int n = 60;
    std::vector<double> a = randomMatrix(n, n, 77);
    for (int l = 0; l < n; l++) a[l] = 1e300 * (l % 2 ? 1 : -1);
    for (int i = 1; i < n; i += 2) {
        a[size_t(i) * n] = 1e-300;
        a[size_t(i) * n + 40] = -0.0;
    }
    expectSameDecomposition<double>(a, n, n, epsilon, decomposeLuReal);
    expectSameDecomposition<double>(testMatrix(500, 500, 0, 5, 1), 500, 500, epsilon,
                                    decomposeLuReal);
    expectSameDecomposition<double>(testMatrix(300, 300, 1, 6, 1), 300, 300, epsilon,
                                    decomposeLuReal);
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

}  // namespace kalix
