// Fourier and Hartley transforms against the defining sums.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numerics/fourier.h"
#include "random_values.h"

namespace kalix {

namespace {

// sum over k of x_k exp(sign 2 pi i j k / n), complex x.
std::vector<double> directSum(const std::vector<double>& x, int n, int sign) {
    std::vector<double> y(2 * n);
    for (int j = 0; j < n; j++)
        for (int k = 0; k < n; k++) {
            const double angle = sign * 2 * M_PI * double((int64_t(j) * k) % n) / n;
            const double c = std::cos(angle), s = std::sin(angle);
            y[2 * j] += x[2 * k] * c - x[2 * k + 1] * s;
            y[2 * j + 1] += x[2 * k] * s + x[2 * k + 1] * c;
        }
    return y;
}

void expectNear(const std::vector<double>& a, const std::vector<double>& b, double tolerance) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); k++) EXPECT_NEAR(a[k], b[k], tolerance) << k;
}

TEST(Fourier, SignConvention) {
    // x = [0, 1, 0, 0]: the positive sign gives [1, i, -1, -i].
    std::vector<double> x = {0, 0, 1, 0, 0, 0, 0, 0}, y(8);
    ASSERT_TRUE(fourierTransform(x.data(), y.data(), 4, 1));
    expectNear(y, {1, 0, 0, 1, -1, 0, 0, -1}, 1e-15);
    ASSERT_TRUE(fourierTransform(x.data(), y.data(), 4, -1));
    expectNear(y, {1, 0, 0, -1, -1, 0, 0, 1}, 1e-15);
}

TEST(Fourier, LengthsOfEveryKindMatchTheSum) {
    for (int n : {1, 2, 3, 6, 7, 12, 97, 128, 1000}) {
        SCOPED_TRACE(n);
        const std::vector<double> x = randomValues(2 * size_t(n), n);
        for (int sign : {1, -1}) {
            std::vector<double> y(2 * n);
            ASSERT_TRUE(fourierTransform(x.data(), y.data(), n, sign));
            expectNear(y, directSum(x, n, sign), 1e-10);
        }
        // In place gives the same.
        std::vector<double> z = x;
        ASSERT_TRUE(fourierTransform(z.data(), z.data(), n, 1));
        expectNear(z, directSum(x, n, 1), 1e-10);
    }
}

TEST(Fourier, RealInputFillsTheWholeSpectrum) {
    for (int n : {1, 2, 5, 8, 9}) {
        SCOPED_TRACE(n);
        const std::vector<double> real = randomValues(size_t(n), 40 + n);
        std::vector<double> complex(2 * n);
        for (int k = 0; k < n; k++) complex[2 * k] = real[k];
        for (int sign : {1, -1}) {
            std::vector<double> y(2 * n);
            ASSERT_TRUE(fourierTransformReal(real.data(), y.data(), n, sign));
            expectNear(y, directSum(complex, n, sign), 1e-12);
        }
    }
}

// Plans are kept per alignment: the same length on arrays 8 bytes apart
// must still give the right numbers.
TEST(Fourier, CachedPlansServeDifferentlyAlignedArrays) {
    const int n = 64;
    const std::vector<double> x = randomValues(2 * n, 5);
    const std::vector<double> want = directSum(x, n, 1);
    std::vector<double> buffer(2 * n + 1);
    for (int offset : {0, 1, 0, 1}) {
        double* data = buffer.data() + offset;
        std::copy(x.begin(), x.end(), data);
        ASSERT_TRUE(fourierTransform(data, data, n, 1));
        expectNear(std::vector<double>(data, data + 2 * n), want, 1e-12);
    }
}

TEST(Fourier, TwoDimensions) {
    // [1, 2; 3, 4] gives [10, -2; -4, 0] with either sign.
    std::vector<double> x = {1, 0, 2, 0, 3, 0, 4, 0}, y(8);
    ASSERT_TRUE(fourierTransform2d(x.data(), y.data(), 2, 2, 1));
    expectNear(y, {10, 0, -2, 0, -4, 0, 0, 0}, 1e-15);
    // [i; 0] gives [i; i]: rows and columns under the same sign.
    std::vector<double> column = {0, 1, 0, 0}, out(4);
    ASSERT_TRUE(fourierTransform2d(column.data(), out.data(), 2, 1, 1));
    expectNear(out, {0, 1, 0, 1}, 1e-15);
    // A 4 x 8 array against the double sum.
    const int r = 4, c = 8;
    const std::vector<double> a = randomValues(2 * r * c, 9);
    std::vector<double> b(2 * r * c);
    ASSERT_TRUE(fourierTransform2d(a.data(), b.data(), r, c, 1));
    for (int j = 0; j < r; j++)
        for (int m = 0; m < c; m++) {
            double re = 0, im = 0;
            for (int k = 0; k < r; k++)
                for (int l = 0; l < c; l++) {
                    const double angle = 2 * M_PI * (double(j * k) / r + double(m * l) / c);
                    const double* z = &a[2 * (k * c + l)];
                    re += z[0] * std::cos(angle) - z[1] * std::sin(angle);
                    im += z[0] * std::sin(angle) + z[1] * std::cos(angle);
                }
            EXPECT_NEAR(b[2 * (j * c + m)], re, 1e-12);
            EXPECT_NEAR(b[2 * (j * c + m) + 1], im, 1e-12);
        }
}

TEST(Hartley, MatchesTheCasSum) {
    for (int n : {1, 2, 7, 16, 30}) {
        SCOPED_TRACE(n);
        const std::vector<double> x = randomValues(size_t(n), 70 + n);
        std::vector<double> y = x;
        ASSERT_TRUE(hartleyTransform(y.data(), n));
        for (int j = 0; j < n; j++) {
            double s = 0;
            for (int k = 0; k < n; k++) {
                const double angle = 2 * M_PI * double((j * k) % n) / n;
                s += x[k] * (std::cos(angle) + std::sin(angle));
            }
            EXPECT_NEAR(y[j], s, 1e-12);
        }
    }
}

}  // namespace

}  // namespace kalix
