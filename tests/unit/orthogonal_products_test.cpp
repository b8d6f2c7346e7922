// Givens rotations, Gram-Schmidt and the products that skip zero factors.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numerics/matrix_products.h"
#include "numerics/orthogonal.h"

namespace kalix {

namespace {

constexpr double epsilon = 2.220446049250313e-12;

TEST(Givens, ReduceColumnVector) {
    std::vector<double> r = {3, 4}, q = {1, 0, 0, 1}, flags(1);
    givensReduce(r.data(), 2, 1, q.data(), 2, epsilon, flags.data());
    EXPECT_EQ(r[0], -5);  // stored exactly, not as rounded products
    EXPECT_EQ(r[1], 0);
    const double want[] = {-0.6, -0.8, 0.8, -0.6};
    for (int k = 0; k < 4; k++) EXPECT_NEAR(q[k], want[k], 1e-15);
    EXPECT_EQ(flags[0], 1);
}

// Q A = R with Q orthogonal and R in echelon form; a dependent column
// gets no pivot.
TEST(Givens, ReduceGivesEchelonFormAndOrthogonalQ) {
    const int n = 3, m = 3;
    const std::vector<double> a = {1, 2, 1, 2, 4, 0, 2, 4, 3};
    std::vector<double> r = a, q = {1, 0, 0, 0, 1, 0, 0, 0, 1}, flags(m);
    givensReduce(r.data(), n, m, q.data(), n, epsilon, flags.data());
    EXPECT_EQ(flags, (std::vector<double>{1, 0, 1}));
    for (int i = 0; i < n; i++)
        for (int j = 0; j < m; j++) {
            double s = 0, t = 0;
            for (int k = 0; k < n; k++) {
                s += q[i * n + k] * a[k * m + j];
                t += q[k * n + i] * q[k * n + j];
            }
            EXPECT_NEAR(s, r[i * m + j], 1e-14);
            EXPECT_NEAR(t, i == j ? 1 : 0, 1e-15);
        }
    EXPECT_NEAR(r[1 * m + 0], 0, 1e-15);
    EXPECT_NEAR(r[2 * m + 0], 0, 1e-15);
    EXPECT_NEAR(r[2 * m + 1], 0, 1e-14);
    EXPECT_NEAR(r[2 * m + 2], 0, 1e-14);
}

TEST(Givens, RotateOnePair) {
    std::vector<double> a = {3, 1, 4, 1}, b = {1, 0, 0, 1};
    givensRotate(a.data(), 2, b.data(), 2, 0, 0, 1);
    EXPECT_EQ(a[0], -5);
    EXPECT_EQ(a[2], 0);
    EXPECT_NEAR(a[1], -1.4, 1e-15);
    EXPECT_NEAR(a[3], 0.2, 1e-15);
    std::vector<double> zero = {0, 1, 0, 2}, unchanged = zero;
    givensRotate(zero.data(), 2, b.data(), 2, 0, 0, 1);
    EXPECT_EQ(zero, unchanged);
}

TEST(GramSchmidt, EqualColumnsAndOrthonormality) {
    // Columns (1,0,1), (1,0,1), (0,1,1), (1,1,0): the second is dependent.
    const std::vector<double> a = {1, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 0};
    std::vector<double> q(12), flags(4);
    gramSchmidtReal(a.data(), 3, 4, epsilon, q.data(), flags.data());
    EXPECT_EQ(flags, (std::vector<double>{1, 0, 1, 1}));
    const int accepted[] = {0, 2, 3};
    for (int x : accepted)
        for (int y : accepted) {
            double s = 0;
            for (int i = 0; i < 3; i++) s += q[i * 4 + x] * q[i * 4 + y];
            EXPECT_NEAR(s, x == y ? 1 : 0, 1e-15);
        }
}

TEST(GramSchmidt, FullRankStopsAndComplexColumns) {
    // Two rows: after two accepted columns the rest become zero.
    const std::vector<double> a = {1, 0, 5, 0, 1, 7};
    std::vector<double> q(6), flags(3);
    gramSchmidtReal(a.data(), 2, 3, epsilon, q.data(), flags.data());
    EXPECT_EQ(flags, (std::vector<double>{1, 1, 0}));
    EXPECT_EQ(q[2], 0);
    EXPECT_EQ(q[5], 0);
    // Columns (1, i) and (i, 1): the projection uses the conjugate.
    const std::vector<double> c = {1, 0, 0, 1, 0, 1, 1, 0};
    std::vector<double> cq(8), cflags(2);
    gramSchmidtComplex(c.data(), 2, 2, epsilon, cq.data(), cflags.data());
    EXPECT_EQ(cflags, (std::vector<double>{1, 1}));
    // <q0, q1> = conj(q0_0) q1_0 + conj(q0_1) q1_1 must vanish.
    const double re = cq[0] * cq[2] + cq[1] * cq[3] + cq[4] * cq[6] + cq[5] * cq[7];
    const double im = cq[0] * cq[3] - cq[1] * cq[2] + cq[4] * cq[7] - cq[5] * cq[6];
    EXPECT_NEAR(re, 0, 1e-15);
    EXPECT_NEAR(im, 0, 1e-15);
}

TEST(Products, ZeroFactorsContributeNothing) {
    const double a[] = {INFINITY, 2, 1, 0};  // [[inf, 2], [1, 0]]
    const double b[] = {0, 1, 3, NAN};       // [[0, 1], [3, NaN]]
    double c[4];
    multiplySkippingZerosReal(a, 2, 2, b, 2, c);
    EXPECT_EQ(c[0], 6);             // inf*0 skipped
    EXPECT_TRUE(std::isnan(c[1]));  // NaN is no zero
    EXPECT_EQ(c[2], 0);
    EXPECT_EQ(c[3], 1);  // 0*NaN skipped
    // 2x3 times 3x1.
    const double d[] = {1, 2, 3, 4, 5, 6}, e[] = {1, 0, -1};
    double f[2];
    multiplySkippingZerosReal(d, 2, 3, e, 1, f);
    EXPECT_EQ(f[0], -2);
    EXPECT_EQ(f[1], -2);
}

TEST(Products, SymmetricAndHermitianResults) {
    // A A' for A = [[1, 2], [3, 4]] is [[5, 11], [11, 25]].
    const double a[] = {1, 2, 3, 4}, at[] = {1, 3, 2, 4};
    double c[4];
    multiplySymmetricReal(a, 2, 2, at, c);
    EXPECT_EQ(std::vector<double>(c, c + 4), (std::vector<double>{5, 11, 11, 25}));
    // z = [1; -i] times its conjugate transpose [1, i] is [[1, i], [-i, 1]]:
    // the lower triangle is the conjugate of the upper one.
    const double column[] = {1, 0, 0, -1}, row[] = {1, 0, 0, 1};
    double h[8];
    multiplySymmetricComplex(column, 2, 1, row, h);
    const double want[] = {1, 0, 0, 1, 0, -1, 1, 0};
    for (int k = 0; k < 8; k++) EXPECT_EQ(h[k], want[k]) << k;
    // Complex factors with one zero part are not zero.
    const double p[] = {0, 1}, q[] = {0, 1};
    double r[2];
    multiplySkippingZerosComplex(p, 1, 1, q, 1, r);
    EXPECT_EQ(r[0], -1);
    EXPECT_EQ(r[1], 0);
}

}  // namespace

}  // namespace kalix
