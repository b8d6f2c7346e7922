// Hessenberg form, characteristic polynomial, Jacobi eigenvalues, the
// singular value decomposition and Toeplitz systems.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "numerics/hessenberg.h"
#include "numerics/jacobi.h"
#include "numerics/lu.h"
#include "numerics/svd.h"
#include "numerics/toeplitz.h"
#include "numerics/vector_width.h"
#include "random_values.h"

namespace kalix {

namespace {

constexpr double epsilon = 2.220446049250313e-12;

std::vector<double> randomSymmetric(int n, unsigned seed) {
    std::vector<double> a = randomMatrix(n, n, seed);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < i; j++) a[i * n + j] = a[j * n + i];
    return a;
}

TEST(Hessenberg, ReducedMatrixIsHessenbergInItsOrder) {
    const int n = 6;
    std::vector<double> a = randomMatrix(n, n, 7);
    double trace = 0;
    for (int i = 0; i < n; i++) trace += a[i * n + i];
    std::vector<int> order(n);
    reduceHessenbergReal(a.data(), n, epsilon, order.data());
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < n; i++) EXPECT_EQ(sorted[i], i);
    // A similarity keeps the trace; below the subdiagonal lie the negated
    // multipliers (at most 1 in magnitude by the pivoting).
    double reducedTrace = 0;
    for (int i = 0; i < n; i++) {
        reducedTrace += a[order[i] * n + order[i]];
        for (int j = 0; j + 1 < i; j++) EXPECT_LE(std::fabs(a[order[i] * n + order[j]]), 1.0);
    }
    EXPECT_NEAR(reducedTrace, trace, 1e-13);
}

TEST(Hessenberg, SmallColumnsAreLeftAlone) {
    std::vector<double> a = {1, 2, 3, 1e-13, 4, 5, -1e-13, 6, 7};
    const std::vector<double> original = a;
    std::vector<int> order(3);
    reduceHessenbergReal(a.data(), 3, epsilon, order.data());
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(a, original);
}

TEST(Charpoly, KnownPolynomials) {
    struct Case {
        const char* name;
        int n;
        std::vector<double> a, coefficients;
    };
    const Case cases[] = {
        {"1x1", 1, {2}, {-2, 1}},
        {"2x2", 2, {1, 2, 3, 4}, {-2, -5, 1}},
        {"identity", 4, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, {1, -4, 6, -4, 1}},
        // Companion-like matrix with eigenvalues 1, 2, 3: x^3 - 6x^2 + 11x - 6.
        {"3x3", 3, {6, -11, 6, 1, 0, 0, 0, 1, 0}, {-6, 11, -6, 1}},
        {"needs an exchange", 3, {2, 1, 1, 0, 3, 1, 4, 1, 5}, {-20, 26, -10, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> a = c.a, p(c.n + 1);
        ASSERT_TRUE(computeCharpolyReal(a.data(), c.n, epsilon, p.data()));
        for (int k = 0; k <= c.n; k++) EXPECT_NEAR(p[k], c.coefficients[k], 1e-12) << k;
    }
}

TEST(Charpoly, ComplexMatrix) {
    // [[i, 1], [2, -i]]: x^2 - trace x + det = x^2 + (1 - 2) = x^2 - 1.
    std::vector<double> a = {0, 1, 1, 0, 2, 0, 0, -1}, p(6);
    ASSERT_TRUE(computeCharpolyComplex(a.data(), 2, epsilon, p.data()));
    const double want[] = {-1, 0, 0, 0, 1, 0};
    for (int k = 0; k < 6; k++) EXPECT_NEAR(p[k], want[k], 1e-15) << k;
}

TEST(Charpoly, RandomMatrixAgreesWithTraceAndDeterminant) {
    const int n = 7;
    const std::vector<double> a = randomMatrix(n, n, 8);
    double trace = 0;
    for (int i = 0; i < n; i++) trace += a[i * n + i];
    std::vector<double> copy = a, p(n + 1);
    ASSERT_TRUE(computeCharpolyReal(copy.data(), n, epsilon, p.data()));
    copy = a;
    std::vector<int> permutation(n), flags(n);
    const double determinant =
        decomposeLuReal(copy.data(), n, n, epsilon, permutation.data(), flags.data())
            .determinant[0];
    EXPECT_NEAR(p[n - 1], -trace, 1e-12);
    EXPECT_NEAR(p[0], -determinant, 1e-12);  // (-1)^n det A for odd n
    EXPECT_EQ(p[n], 1);
}

TEST(Jacobi, KnownEigenvalues) {
    std::vector<double> a = {2, 1, 1, 2}, e(2);
    ASSERT_EQ(jacobiEigenvalues(a.data(), 2, epsilon, 50, nullptr, e.data()), JacobiStatus::ok);
    EXPECT_NEAR(e[0], 3, 1e-15);
    EXPECT_NEAR(e[1], 1, 1e-15);
    std::vector<double> d = {3, 0, 0, 0, -1, 0, 0, 0, 2}, f(3);
    ASSERT_EQ(jacobiEigenvalues(d.data(), 3, epsilon, 50, nullptr, f.data()), JacobiStatus::ok);
    EXPECT_EQ(f, (std::vector<double>{3, -1, 2}));
    std::vector<double> zero(9, 0.0), g(3);
    EXPECT_EQ(jacobiEigenvalues(zero.data(), 3, epsilon, 50, nullptr, g.data()), JacobiStatus::ok);
}

TEST(Jacobi, RandomSymmetricMatrixKeepsInvariants) {
    const int n = 30;
    std::vector<double> a = randomSymmetric(n, 11);
    double trace = 0, frobenius = 0;
    for (int i = 0; i < n; i++) trace += a[i * n + i];
    for (double x : a) frobenius += x * x;
    std::vector<double> e(n);
    ASSERT_EQ(jacobiEigenvalues(a.data(), n, epsilon, 50, nullptr, e.data()), JacobiStatus::ok);
    double sum = 0, squares = 0;
    for (double x : e) {
        sum += x;
        squares += x * x;
    }
    EXPECT_NEAR(sum, trace, 1e-12);
    EXPECT_NEAR(squares, frobenius, 1e-11);
    // Large entries converge as well: the bound is relative.
    std::vector<double> big = randomSymmetric(n, 12);
    for (double& x : big) x *= 1e8;
    EXPECT_EQ(jacobiEigenvalues(big.data(), n, epsilon, 50, nullptr, e.data()), JacobiStatus::ok);
}

// The plain cyclic method on the full matrix: each rotation turns rows p
// and q whole and copies them into columns p and q. Stops after `rows` rows
// of sweeps when that is given.
std::vector<double> plainJacobi(std::vector<double> a, int n, double bound, int rows = -1) {
    for (int sweep = 0; sweep < 50; sweep++) {
        double largest = 0;
        for (int p = 0; p + 1 < n; p++) {
            if (rows-- == 0) return a;
            for (int q = p + 1; q < n; q++) {
                const double v = std::fabs(a[p * n + q]);
                if (v < bound || v == 0) continue;
                largest = std::fmax(largest, v);
                double* rowP = &a[p * n];
                double* rowQ = &a[q * n];
                const double apq = rowP[q], app = rowP[p], aqq = rowQ[q];
                const double theta = (app - aqq) / (2 * apq);
                double t = 1 / (std::fabs(theta) + std::sqrt(1 + theta * theta));
                if (theta < 0) t = -t;
                const double c = 1 / std::sqrt(1 + t * t), s = t * c, tau = s / (1 + c);
                for (int i = 0; i < n; i++) {
                    const double x = rowP[i], y = rowQ[i];
                    rowP[i] = x + s * (y - tau * x);
                    rowQ[i] = y - s * (x + tau * y);
                }
                rowP[p] = app + t * apq;
                rowQ[q] = aqq - t * apq;
                rowP[q] = rowQ[p] = 0;
                for (int i = 0; i < n; i++) {
                    a[i * n + p] = rowP[i];
                    a[i * n + q] = rowQ[i];
                }
            }
        }
        if (largest == 0) break;
    }
    return a;
}

// Symmetric test matrices of three kinds: dense; with most entries zero, so
// that many pairs are skipped; and near diagonal, with most off-diagonal
// entries below the bound from the start.
std::vector<double> symmetricOfKind(int kind, int n, unsigned seed) {
    std::vector<double> a = randomSymmetric(n, seed);
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++) {
            double& x = a[i * n + j];
            if (kind == 1 && (i * 7 + j * 3) % 5 != 0) x = 0;
            if (kind == 2) x *= (i + j) % 4 == 0 ? 1e-3 : 1e-15;
            a[j * n + i] = x;
        }
    return a;
}

double boundOf(const std::vector<double>& a) {
    double sum = 0;
    for (double x : a) sum += x * x;
    return epsilon * std::sqrt(sum);
}

// The vector widths the sweep is compiled for that this processor has.
std::vector<VectorWidth> widthsHere() {
    std::vector<VectorWidth> widths = {VectorWidth::basic};
    if (widestVectors() != VectorWidth::basic) widths.push_back(VectorWidth::avx2);
    if (widestVectors() == VectorWidth::avx512) widths.push_back(VectorWidth::avx512);
    return widths;
}

// The rotations work on a matrix held partly above and partly below the
// diagonal, turn contiguous rows, make the rotations of consecutive pairs
// in groups, turn a group's rows together (its column part through
// transpositions), and make the next group's rotations while the rows of
// the current one are turned; the eigenvalues and the matrix left behind
// are bit for bit those of the plain method, for every vector width the
// processor has, for sizes around the vector widths and the group size
// and matrices of several kinds (the mostly zero ones make groups of every
// length).
TEST(Jacobi, SameBitsAsThePlainMethod) {
    for (int kind = 0; kind < 3; kind++)
        for (int n :
             {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 31, 33, 64, 100, 127, 128, 129}) {
            std::vector<double> start = symmetricOfKind(kind, n, 20 + n);
            const std::vector<double> expected = plainJacobi(start, n, boundOf(start));
            for (VectorWidth width : widthsHere()) {
                SCOPED_TRACE(testing::Message()
                             << "kind " << kind << ", n " << n << ", width " << int(width));
                std::vector<double> a = start, e(n);
                ASSERT_EQ(jacobiEigenvalues(a.data(), n, epsilon, 50, nullptr, e.data(), width),
                          JacobiStatus::ok);
                EXPECT_EQ(std::memcmp(a.data(), expected.data(), a.size() * sizeof(double)), 0);
                for (int i = 0; i < n; i++)
                    EXPECT_EQ(std::memcmp(&e[i], &expected[i * n + i], sizeof(double)), 0);
            }
        }
}

// Interrupted after some rows of a sweep, the matrix left behind is the
// plain method's after as many rows, symmetric.
int pollsLeft = 0;
bool interruptedWhenCounted() { return pollsLeft-- == 0; }

TEST(Jacobi, InterruptionLeavesThePlainMethodsMatrix) {
    const int n = 40;
    for (int rows : {0, 1, 17, 38, 39, 40, 60}) {
        const std::vector<double> start = randomSymmetric(n, 31);
        const std::vector<double> expected = plainJacobi(start, n, boundOf(start), rows);
        for (VectorWidth width : widthsHere()) {
            SCOPED_TRACE(testing::Message() << "rows " << rows << ", width " << int(width));
            std::vector<double> a = start, e(n);
            pollsLeft = rows;
            ASSERT_EQ(jacobiEigenvalues(a.data(), n, epsilon, 50, interruptedWhenCounted, e.data(),
                                        width),
                      JacobiStatus::interrupted);
            EXPECT_EQ(std::memcmp(a.data(), expected.data(), a.size() * sizeof(double)), 0);
        }
    }
}

bool alwaysInterrupted() { return true; }

TEST(Jacobi, SweepLimitAndInterruption) {
    std::vector<double> a = randomSymmetric(10, 13), e(10);
    std::vector<double> copy = a;
    EXPECT_EQ(jacobiEigenvalues(copy.data(), 10, epsilon, 1, nullptr, e.data()),
              JacobiStatus::noConvergence);
    copy = a;
    EXPECT_EQ(jacobiEigenvalues(copy.data(), 10, epsilon, 50, alwaysInterrupted, e.data()),
              JacobiStatus::interrupted);
}

// A matrix is symmetric for the rotations when its two triangles differ by
// at most epsilon times its Frobenius norm, at every scale; computed
// symmetric matrices (B' B, B + B') pass, sizes from 2 to 200.
TEST(Jacobi, SymmetryWithinEpsilonOfTheNorm) {
    struct Case {
        const char* name;
        int n;
        std::vector<double> a;
        bool symmetric;
    };
    const Case cases[] = {
        {"non-symmetric 2x2", 2, {1, 2, 3, 4}, false},
        {"symmetric 2x2", 2, {1, 2, 2, 4}, true},
        {"zero", 2, {0, 0, 0, 0}, true},
        {"below the bound", 2, {1, 2, 2 + 1e-13, 1}, true},
        {"above the bound", 2, {1, 2, 2 + 1e-10, 1}, false},
        {"large entries", 2, {1e300, 2e300, 2.0000000001e300, 1e300}, false},
        {"large entries, rounding", 2, {1e300, 2e300, 2.0000000000001e300, 1e300}, true},
        {"tiny entries", 2, {1e-300, 2e-300, 3e-300, 1e-300}, false},
        {"one entry below", 3, {1, 0, 0, 0, 1, 0, 1e-3, 0, 1}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isSymmetricWithin(c.a.data(), c.n, epsilon), c.symmetric) << c.name;
    for (int n = 2; n <= 200; n += n < 10 ? 1 : 19) {
        SCOPED_TRACE(testing::Message() << "n " << n);
        const std::vector<double> b = randomMatrix(n, n, 50 + n);
        std::vector<double> product(size_t(n) * n), sum(product.size());
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) {
                double s = 0;
                for (int k = 0; k < n; k++) s += b[k * n + i] * b[k * n + j];
                product[i * n + j] = s;
                sum[i * n + j] = b[i * n + j] + b[j * n + i];
            }
        EXPECT_TRUE(isSymmetricWithin(product.data(), n, epsilon));
        EXPECT_TRUE(isSymmetricWithin(sum.data(), n, epsilon));
        EXPECT_FALSE(isSymmetricWithin(b.data(), n, epsilon));
        sum[(n - 1) * n] += 1e-6;
        EXPECT_FALSE(isSymmetricWithin(sum.data(), n, epsilon));
    }
}

// U diag(w) V' must give A back, with w >= 0 and V orthogonal.
void checkDecomposition(const std::vector<double>& a, int m, int n) {
    std::vector<double> u = a, w(n), v(size_t(n) * n);
    ASSERT_EQ(singularValueDecomposition(u.data(), m, n, w.data(), v.data()), SvdStatus::ok);
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++) {
            double s = 0;
            for (int k = 0; k < n; k++) s += u[i * n + k] * w[k] * v[j * n + k];
            EXPECT_NEAR(s, a[i * n + j], 1e-13) << i << "," << j;
        }
    for (double x : w) EXPECT_GE(x, 0);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) {
            double s = 0;
            for (int k = 0; k < n; k++) s += v[k * n + i] * v[k * n + j];
            EXPECT_NEAR(s, i == j ? 1 : 0, 1e-13);
        }
}

TEST(Svd, ReconstructsMatricesOfEveryShape) {
    checkDecomposition(randomMatrix(6, 4, 21), 6, 4);
    checkDecomposition(randomMatrix(4, 6, 22), 4, 6);
    checkDecomposition(randomMatrix(5, 5, 23), 5, 5);
    checkDecomposition({1, 2, 2, 4, 3, 6}, 3, 2);  // rank 1
    checkDecomposition(std::vector<double>(12, 0.0), 4, 3);
}

// Every shape from 1 x 1 on, square, tall and wide, through the paths of
// the diagonalisation (U stored by columns in place or through a copy).
TEST(Svd, ReconstructsASweepOfShapes) {
    unsigned seed = 100;
    for (int n = 1; n <= 40; n++)
        for (int m : {n, n + 3, std::max(1, n - 2), 2 * n + 1, 1}) {
            SCOPED_TRACE(std::to_string(m) + " x " + std::to_string(n));
            checkDecomposition(randomMatrix(m, n, seed++), m, n);
        }
    checkDecomposition(randomMatrix(100, 60, seed++), 100, 60);
}

// Digests of the bits of U, w and V for matrices of portable pseudo-random
// numbers: the decomposition is defined by its sequence of operations, so a
// faster arrangement of the loops must not change a single bit.
TEST(Svd, ResultsKeepTheirBits) {
    const auto portable = [](int m, int n) {
        std::vector<double> a(size_t(m) * n);
        uint64_t x = uint64_t(m) * 1000 + uint64_t(n);
        for (double& e : a) {
            x = x * 6364136223846793005ULL + 1442695040888963407ULL;
            e = double(x >> 11) * 0x1p-53 * 2 - 1;
        }
        return a;
    };
    struct Case {
        int m, n;
        uint64_t digest;
    };
    const Case cases[] = {
        {6, 4, 0x56740ba1d9856be1ULL},    {4, 6, 0x835e72e19fcf4261ULL},
        {9, 9, 0xe4037b90d4004079ULL},    {31, 17, 0x24adbbb46f15f8aaULL},
        {17, 31, 0x6de039d2d1035e0bULL},  {64, 64, 0x927f9652758b79c9ULL},
        {120, 80, 0xc8d073e1029d8167ULL}, {1, 5, 0x449aabcd81c2bd00ULL},
        {5, 1, 0xb43da794809df6a8ULL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.m) + " x " + std::to_string(c.n));
        std::vector<double> u = portable(c.m, c.n), w(size_t(c.n)), v(size_t(c.n) * c.n);
        ASSERT_EQ(singularValueDecomposition(u.data(), c.m, c.n, w.data(), v.data()),
                  SvdStatus::ok);
        uint64_t h = 14695981039346656037ULL;  // FNV-1a over the bytes of U, w, V
        for (const std::vector<double>* part : {&u, &w, &v})
            for (double d : *part) {
                uint64_t bits;
                std::memcpy(&bits, &d, sizeof bits);
                for (int k = 0; k < 8; k++) {
                    h ^= (bits >> (8 * k)) & 255;
                    h *= 1099511628211ULL;
                }
            }
        EXPECT_EQ(h, c.digest);
    }
}

TEST(Svd, ColumnVectorGivesItsLength) {
    std::vector<double> u = {3, 4}, w(1), v(1);
    ASSERT_EQ(singularValueDecomposition(u.data(), 2, 1, w.data(), v.data()), SvdStatus::ok);
    EXPECT_NEAR(w[0], 5, 1e-15);
    EXPECT_EQ(std::fabs(v[0]), 1);
}

// Large and small entries: the matrix [2, 1, 0.5; 1, 3, 0.2; 0.5, 0.2, 4]
// times a decimal factor (entries rounded to double as the interpreter's
// product rounds them), with the singular values of that double matrix to
// 20 digits (mpmath, 50 digits working precision).
TEST(Svd, LargeAndSmallEntriesConverge) {
    struct Case {
        double factor;
        double singular[3];
    };
    const Case cases[] = {
        {1e150,
         {4.3071229378626216463e+150, 3.3507154943537388671e+150, 1.3421615677836391324e+150}},
        {1e155,
         {4.3071229378626218032e+155, 3.350715494353739138e+155, 1.3421615677836392425e+155}},
        {1e200,
         {4.3071229378626216359e+200, 3.350715494353738927e+200, 1.3421615677836391647e+200}},
        {1e300,
         {4.3071229378626219751e+300, 3.3507154943537392248e+300, 1.3421615677836392727e+300}},
        {1e-200,
         {4.3071229378626216915e-200, 3.3507154943537389656e-200, 1.3421615677836391818e-200}},
        {1e-300,
         {4.3071229378626218893e-300, 3.3507154943537392234e-300, 1.3421615677836392786e-300}},
    };
    const double a[] = {2, 1, 0.5, 1, 3, 0.2, 0.5, 0.2, 4};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "factor " << c.factor);
        std::vector<double> u(9), w(3), v(9);
        for (int k = 0; k < 9; k++) u[k] = c.factor * a[k];
        ASSERT_EQ(singularValueDecomposition(u.data(), 3, 3, w.data(), v.data()), SvdStatus::ok);
        std::sort(w.begin(), w.end(), std::greater<double>());
        for (int k = 0; k < 3; k++)
            EXPECT_NEAR(w[k] / c.singular[k], 1, 1e-15) << w[k] << " against " << c.singular[k];
    }
}

// A matrix times 2^k decomposes into the same U and V and the singular
// values times 2^k, bit for bit, for every size up to 200 (square and
// tall) and scales that reach near the ends of the exponent range.
TEST(Svd, PowerOfTwoScalesKeepTheDecomposition) {
    const int scales[] = {-1000, 1000, -700, 700, -520, 520, -300, 300};
    int next = 0;
    for (int n = 1; n <= 200; n++) {
        const int m = n % 2 ? n : n + 3;
        const std::vector<double> a = randomMatrix(m, n, 400 + n);
        std::vector<double> u = a, w(n), v(size_t(n) * n);
        ASSERT_EQ(singularValueDecomposition(u.data(), m, n, w.data(), v.data()), SvdStatus::ok);
        for (int pick = 0; pick < 2; pick++) {
            const int k = scales[next++ % std::size(scales)];
            SCOPED_TRACE(testing::Message() << m << " x " << n << " times 2^" << k);
            std::vector<double> us(a.size()), ws(n), vs(v.size());
            for (size_t q = 0; q < a.size(); q++) us[q] = std::ldexp(a[q], k);
            ASSERT_EQ(singularValueDecomposition(us.data(), m, n, ws.data(), vs.data()),
                      SvdStatus::ok);
            for (int q = 0; q < n; q++) ASSERT_EQ(ws[q], std::ldexp(w[q], k)) << q;
            ASSERT_EQ(us, u);
            ASSERT_EQ(vs, v);
        }
    }
}

TEST(Toeplitz, BuildAndSolve) {
    const double t[] = {1, 2, 3};
    double m[4];
    buildToeplitz(t, 2, m);
    EXPECT_EQ(std::vector<double>(m, m + 4), (std::vector<double>{2, 3, 1, 2}));
    const double b[] = {3, 5};
    double x[2];
    ASSERT_EQ(solveToeplitz(t, 2, b, x, epsilon), ToeplitzStatus::ok);
    EXPECT_NEAR(x[0], -9, 1e-13);
    EXPECT_NEAR(x[1], 7, 1e-13);
    const double zeroDiagonal[] = {1, 0, 1};
    EXPECT_EQ(solveToeplitz(zeroDiagonal, 2, b, x, epsilon), ToeplitzStatus::singular);
}

TEST(Toeplitz, NonSymmetricSystemMatchesItsMatrix) {
    const int n = 9;
    std::vector<double> t(2 * n - 1);
    std::mt19937 generator(31);
    std::uniform_real_distribution<double> uniform(-1, 1);
    for (double& v : t) v = uniform(generator);
    t[n - 1] = 6;  // dominant diagonal: every leading minor regular
    std::vector<double> b(n), x(n), m(n * n);
    for (double& v : b) v = uniform(generator);
    ASSERT_EQ(solveToeplitz(t.data(), n, b.data(), x.data(), epsilon), ToeplitzStatus::ok);
    buildToeplitz(t.data(), n, m.data());
    for (int i = 0; i < n; i++) {
        double s = 0;
        for (int j = 0; j < n; j++) s += m[i * n + j] * x[j];
        EXPECT_NEAR(s, b[i], 1e-13);
    }
}

}  // namespace

}  // namespace kalix
