// Polynomial kernels on real and complex coefficients, and the root
// iteration: exact small cases, identities that tie the kernels together
// (division undone by multiplication, interpolation converted back to
// coefficients), and root finding on polynomials with known roots.
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "numerics/polynomial_roots.h"
#include "numerics/polynomials.h"

namespace kalix {

namespace {

using R = RealArithmetic;
using C = ComplexArithmetic;
constexpr double epsilon = 2.220446049250313e-12;

std::vector<double> randomReals(std::mt19937& g, int n) {
    std::uniform_real_distribution<double> d(-2, 2);
    std::vector<double> v(n);
    for (double& x : v) x = d(g);
    return v;
}

}  // namespace

TEST(Polynomials, SmallCasesExactly) {
    const double p[] = {1, 2, 3};
    EXPECT_EQ(hornerValue<R>(p, 2, 2.0), 17);
    const Complex pc[] = {1, 0, 1};
    EXPECT_EQ(hornerValue<C>(pc, 2, Complex(0, 1)), Complex(0, 0));

    const double a[] = {1, 1}, b[] = {1, -1};
    double product[3];
    polynomialProduct<R>(a, 2, b, 2, product);
    EXPECT_EQ(std::vector<double>(product, product + 3), (std::vector<double>{1, 0, -1}));

    const double roots[] = {1, 2};
    double c[3];
    polynomialFromRoots<R>(roots, 2, c);
    EXPECT_EQ(std::vector<double>(c, c + 3), (std::vector<double>{2, -3, 1}));
    double constant[1];
    polynomialFromRoots<R>(roots, 0, constant);
    EXPECT_EQ(constant[0], 1);

    double work[] = {-1, 0, 1}, quotient[2];
    const double divisor[] = {1, 1};
    polynomialDivide<R>(work, 3, divisor, 2, quotient);
    EXPECT_EQ(std::vector<double>(quotient, quotient + 2), (std::vector<double>{-1, 1}));
    EXPECT_EQ(work[0], 0);
    EXPECT_EQ(work[1], 0);

    const double sumP[] = {1, 2, 3}, sumQ[] = {1, 1};
    double sum[3];
    polynomialSum<R>(sumP, 3, sumQ, 2, sum);
    EXPECT_EQ(std::vector<double>(sum, sum + 3), (std::vector<double>{2, 3, 3}));
}

TEST(Polynomials, NewtonFormThroughGivenPoints) {
    const double x[] = {0, 1, 2};
    double d[] = {1, 3, 7};
    ASSERT_EQ(dividedDifferencesInPlace<R>(x, d, 3), -1);
    EXPECT_EQ(std::vector<double>(d, d + 3), (std::vector<double>{1, 2, 1}));
    EXPECT_EQ(newtonValue<R>(x, d, 2, 3.0), 13);
    double c[3];
    newtonToPowerForm<R>(x, d, 3, c);
    EXPECT_EQ(std::vector<double>(c, c + 3), (std::vector<double>{1, 1, 1}));
    const double twice[] = {0, 1, 0};
    double y[] = {1, 2, 3};
    EXPECT_EQ(dividedDifferencesInPlace<R>(twice, y, 3), 2);
}

// Random operands: q * quotient + remainder gives p back, and the Newton
// form of p's values converts back to p, for real and complex coefficients.
TEST(Polynomials, DivisionAndInterpolationIdentities) {
    std::mt19937 g(5);
    for (int trial = 0; trial < 20; trial++) {
        const int m = 2 + trial % 7, n = 1 + trial % m;
        std::vector<double> p = randomReals(g, m), q = randomReals(g, n);
        std::vector<double> work = p, quotient(m - n + 1), back(m);
        polynomialDivide<R>(work.data(), m, q.data(), n, quotient.data());
        polynomialProduct<R>(q.data(), n, quotient.data(), m - n + 1, back.data());
        for (int k = 0; k < n - 1; k++) back[k] += work[k];
        for (int k = 0; k < m; k++) EXPECT_NEAR(back[k], p[k], 1e-9 * (1 + std::fabs(p[k])));

        std::vector<Complex> points(m), values(m), coefficients(m), pc(m);
        for (int k = 0; k < m; k++) {
            pc[k] = Complex(p[k], q[k % n]);
            points[k] = Complex(k - 2.5, 0.3 * k);
        }
        for (int k = 0; k < m; k++) values[k] = hornerValue<C>(pc.data(), m - 1, points[k]);
        ASSERT_EQ(dividedDifferencesInPlace<C>(points.data(), values.data(), m), -1);
        newtonToPowerForm<C>(points.data(), values.data(), m, coefficients.data());
        for (int k = 0; k < m; k++) EXPECT_LE(std::abs(coefficients[k] - pc[k]), 1e-9);
    }
}

namespace {

RootStatus findRoots(const std::vector<Complex>& p, std::vector<Complex>* roots,
                     int (*poll)() = nullptr) {
    std::vector<Complex> work(2 * p.size());
    roots->assign(p.size() - 1, 0);
    return bauhuberRoots(p.data(), int(p.size()) - 1, roots->data(), true, 0.0,
                         RootSearch{epsilon, poll, work.data()});
}

std::vector<Complex> fromRoots(const std::vector<Complex>& roots, double scale = 1) {
    std::vector<Complex> c(roots.size() + 1);
    polynomialFromRoots<C>(roots.data(), int64_t(roots.size()), c.data());
    for (Complex& z : c) z *= scale;
    return c;
}

// Every expected root is matched by a distinct found root within tolerance.
void expectRoots(std::vector<Complex> expected, std::vector<Complex> found, double tolerance) {
    ASSERT_EQ(expected.size(), found.size());
    for (const Complex& r : expected) {
        auto best = std::min_element(found.begin(), found.end(), [&](Complex a, Complex b) {
            return std::abs(a - r) < std::abs(b - r);
        });
        EXPECT_LE(std::abs(*best - r), tolerance) << "root " << r << " found as " << *best;
        found.erase(best);
    }
}

}  // namespace

TEST(PolynomialRoots, KnownRoots) {
    struct Case {
        const char* name;
        std::vector<Complex> roots;
        double scale, tolerance;
    } cases[] = {
        {"linear", {2.5}, 3, 0},
        {"quadratic, complex pair", {Complex(0, 1), Complex(0, -1)}, 1, 1e-15},
        {"cubic", {1, 2, 3}, 1, 1e-12},
        {"scaled down", {1, 2, 3}, 1e-20, 1e-12},
        {"scaled up", {1, 2, 3}, 1e20, 1e-12},
        {"complex coefficients", {Complex(1, 2), Complex(-3, 0.5), Complex(0, -1), 4}, 1, 1e-12},
        {"fivefold root", {1, 1, 1, 1, 1}, 1, 1e-2},
        {"spread", {1e-3, 1, 1e3, -7, Complex(2, 2), Complex(2, -2)}, 1, 1e-9},
        {"Wilkinson 10", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 1, 1e-6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Complex> found;
        ASSERT_EQ(findRoots(fromRoots(c.roots, c.scale), &found), RootStatus::found);
        expectRoots(c.roots, found, c.tolerance);
    }
}

// x^3: one root from the start value 0, then the quadratic x^2 whose closed
// formula would divide 0 by 0.
TEST(PolynomialRoots, CubeHasThreeZeroRoots) {
    std::vector<Complex> found;
    ASSERT_EQ(findRoots({0, 0, 0, 1}, &found), RootStatus::found);
    for (const Complex& r : found) EXPECT_EQ(r, Complex(0, 0));
    EXPECT_EQ(smallerQuadraticRoot(1, 0, 0), Complex(0, 0));
    EXPECT_EQ(smallerQuadraticRoot(0, 4, -2), Complex(0.5, 0));
}

TEST(PolynomialRoots, RootsOfUnity) {
    std::vector<Complex> p(13, 0), expected;
    p[0] = -1;
    p[12] = 1;
    for (int k = 0; k < 12; k++) expected.push_back(std::polar(1.0, 2 * M_PI * k / 12));
    std::vector<Complex> found;
    ASSERT_EQ(findRoots(p, &found), RootStatus::found);
    expectRoots(expected, found, 1e-12);
}

// One root from a start value: a start that is a root comes back unchanged
// (degree 3 and more); degree 2 ignores the start.
TEST(PolynomialRoots, OneRootFromAStartValue) {
    const std::vector<Complex> p = fromRoots({1, 2, 3});
    std::vector<Complex> work(2 * p.size());
    const RootSearch search{epsilon, nullptr, work.data()};
    Complex root;
    ASSERT_EQ(bauhuberRoots(p.data(), 3, &root, false, 2.0, search), RootStatus::found);
    EXPECT_EQ(root, Complex(2, 0));
    ASSERT_EQ(bauhuberRoots(p.data(), 3, &root, false, 3.2, search), RootStatus::found);
    EXPECT_NEAR(std::abs(root - 3.0), 0, 1e-12);
    const std::vector<Complex> q = {1, 0, 1};
    ASSERT_EQ(bauhuberRoots(q.data(), 2, &root, false, 5.0, search), RootStatus::found);
    EXPECT_NEAR(std::abs(root), 1, 1e-15);
    EXPECT_EQ(root.real(), 0);
}

// Not a number among the coefficients: no root, and the search ends.
TEST(PolynomialRoots, FailuresAreReported) {
    std::vector<Complex> found;
    EXPECT_EQ(findRoots({1, NAN, 1, 1}, &found), RootStatus::notConverged);
    EXPECT_EQ(findRoots({1, 1, INFINITY, 1}, &found), RootStatus::notConverged);
    EXPECT_EQ(findRoots({NAN, 1}, &found), RootStatus::notConverged);
}

// |p(r)| against the size of its terms: the relative change of the
// coefficients that makes r an exact root.
double backwardError(const std::vector<Complex>& p, Complex r) {
    double size = 0;
    for (size_t k = 0; k < p.size(); k++) size += std::abs(p[k]) * std::pow(std::abs(r), k);
    return std::abs(hornerValue<C>(p.data(), int(p.size()) - 1, r)) / size;
}

// Roots crowded into [1, 2] are fixed by the coefficients only loosely
// (like Wilkinson's): each root found is exact for a polynomial within
// rounding of the given one.
std::vector<Complex> crowdedRoots(int n, double scale) {
    std::mt19937 g(3);
    std::uniform_real_distribution<double> d(1, 2);
    std::vector<Complex> roots(n);
    for (Complex& r : roots) r = scale * d(g);
    return roots;
}

// Searches here take more than 200 steps; the poll is asked every 200 and
// stops the search when it says so.
TEST(PolynomialRoots, EscapeStopsALongSearch) {
    const std::vector<Complex> p = fromRoots(crowdedRoots(20, 1));
    static int polls;
    polls = 0;
    std::vector<Complex> found;
    ASSERT_EQ(findRoots(p, &found, [] { return polls++, 0; }), RootStatus::found);
    ASSERT_GT(polls, 0);
    for (const Complex& r : found) EXPECT_LE(backwardError(p, r), 1e-14) << r;
    EXPECT_EQ(findRoots(p, &found, [] { return 1; }), RootStatus::interrupted);
}

// The tests of the iteration are relative, and evaluating large values
// does not overflow: crowded roots at any scale.
TEST(PolynomialRoots, ScaleOfTheRoots) {
    for (double scale : {1e-8, 1.0, 1e4, 1e8, 1e14}) {
        SCOPED_TRACE(scale);
        const std::vector<Complex> p = fromRoots(crowdedRoots(12, scale));
        std::vector<Complex> found;
        ASSERT_EQ(findRoots(p, &found), RootStatus::found);
        for (const Complex& r : found) EXPECT_LE(backwardError(p, r), 1e-14) << r;
    }
}

// Degree 50 with random coefficients: every root is exact for a
// polynomial within rounding of the given one.
TEST(PolynomialRoots, RandomDegreeFifty) {
    std::mt19937 g(11);
    std::normal_distribution<double> d;
    std::vector<Complex> p(51);
    for (Complex& c : p) c = d(g);
    std::vector<Complex> found;
    ASSERT_EQ(findRoots(p, &found), RootStatus::found);
    for (const Complex& r : found) EXPECT_LE(backwardError(p, r), 1e-14) << r;
}

// High degrees, where deflation alone carries roots away from the
// polynomial: every root returned is exact for a polynomial within 1e-10
// of the given one, or the search reports its failure. Real and complex
// coefficients, fixed seeds.
TEST(PolynomialRoots, RandomHighDegreesPassOrFail) {
    int found = 0;
    for (int degree : {150, 180, 200, 240, 300}) {
        for (bool complex : {false, true}) {
            SCOPED_TRACE(testing::Message() << degree << (complex ? " complex" : " real"));
            std::mt19937 g(unsigned(degree) + complex);
            std::normal_distribution<double> d;
            std::vector<Complex> p(degree + 1);
            for (Complex& c : p) c = complex ? Complex(d(g), d(g)) : Complex(d(g), 0);
            std::vector<Complex> roots;
            const RootStatus status = findRoots(p, &roots);
            if (status == RootStatus::notConverged) continue;
            ASSERT_EQ(status, RootStatus::found);
            found++;
            for (const Complex& r : roots) EXPECT_LE(backwardError(p, r), 1e-10) << r;
        }
    }
    EXPECT_GT(found, 0);
}

}  // namespace kalix
