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
