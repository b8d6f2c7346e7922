// Complex gamma against values computed to 30 digits: Lanczos' region, the
// reflection, the real axis through the given real gamma, and the poles.
#include <cmath>

#include <gtest/gtest.h>

#include "numerics/complex_gamma.h"

namespace {

constexpr double epsilon = 2.220446049250313e-12;

double libraryGamma(double x) { return std::tgamma(x); }

}  // namespace

TEST(ComplexGamma, MatchesTheFunction) {
    struct Case {
        Complex z, gamma;
    } cases[] = {
        {{1, 1}, {0.49801566811835607, -0.15494982830181067}},
        {{0.5, 0.5}, {0.8181639995417473, -0.7633138287139826}},
        {{-0.5, 1}, {-0.4602521504507614, -0.07056854203527513}},
        {{-3.3, 0.5}, {0.0462197173221359, 0.14297147422541154}},
        {{5, -2}, {-15.586497870240713, -1.0575920372152245}},
        {{0.1, 20}, {-2.4907424588333927e-16, 1.7174149756817257e-14}},
    };
    for (const Case& c : cases) {
        const Complex g = gammaComplex(c.z, epsilon, libraryGamma);
        EXPECT_LE(std::abs(g - c.gamma), 2e-13 * std::abs(c.gamma)) << c.z << ": " << g;
    }
}

// Within epsilon of the real axis the real gamma answers; its poles give
// NaN + 0i without calling it.
TEST(ComplexGamma, RealAxisAndPoles) {
    static int calls;
    calls = 0;
    auto fake = [](double x) {
        calls++;
        return x * 100;
    };
    EXPECT_EQ(gammaComplex({0.5, 1e-13}, epsilon, fake), Complex(50, 0));
    EXPECT_EQ(calls, 1);
    for (double pole : {0.0, -2.0, -7.0}) {
        const Complex g = gammaComplex({pole, 0}, epsilon, fake);
        EXPECT_TRUE(std::isnan(g.real())) << pole;
        EXPECT_EQ(g.imag(), 0);
    }
    EXPECT_EQ(calls, 1);
    // Reflection agrees with Gamma(z + 1) = z Gamma(z) across Re z = 1/2.
    const Complex z = {0.3, 0.7};
    const Complex left = gammaComplex(z, epsilon, libraryGamma);
    const Complex right = gammaComplex(z + 1.0, epsilon, libraryGamma);
    EXPECT_LE(std::abs(z * left - right), 1e-14 * std::abs(right));
}

// Far left of the plane, where |sin(pi z) Gamma(1 - z)| passes the square
// root of the largest double and then the largest double itself: values to
// 40 digits, down to the subnormal range.
TEST(ComplexGamma, FarLeftOfTheAxis) {
    struct Case {
        Complex z, gamma;
    } cases[] = {
        {{-100.3, 0.001}, {-1.0431105895134517e-158, -7.193020406722426e-161}},
        {{-98.7, 0.25}, {-8.586733624770922e-156, -7.30095627053418e-156}},
        {{-120.5, 2.0}, {1.6002534226043194e-202, 2.6958996167901354e-203}},
        {{-150.25, -0.5}, {6.486653395569968e-264, -7.061285283295954e-265}},
        {{-160.9, 10.0}, {-3.320728364461889e-300, 2.6681176503880428e-300}},
        {{-168.4, 0.01}, {-1.6772292435754336e-303, -1.0327483293955645e-304}},
        {{-171.3, 0.5}, {-2.21787406476144e-310, -4.29383615641e-312}},
        {{-50.5, 30.0}, {-1.455576135325766e-102, -2.1972446394633483e-103}},
    };
    for (const Case& c : cases) {
        const Complex g = gammaComplex(c.z, epsilon, libraryGamma);
        EXPECT_LE(std::abs(g - c.gamma), 1e-12 * std::abs(c.gamma)) << c.z << ": " << g;
    }
    // Beyond the smallest double the value is 0, not NaN.
    const Complex tiny = gammaComplex({-200.5, 0.5}, epsilon, libraryGamma);
    EXPECT_EQ(tiny, Complex(0, 0));
}
