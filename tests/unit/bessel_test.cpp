// Bessel kernels against values of the functions computed to 40 digits:
// both branches of each method (x below and above 2), integer and
// fractional orders, the reduction of negative orders and arguments, the
// limits at 0, overflow and underflow of the recurrences, and the refusals.
#include <cmath>

#include <gtest/gtest.h>

#include "numerics/bessel.h"

namespace {

constexpr double epsilon = 2.220446049250313e-12;

struct Reference {
    double nu, x;
    BesselValues jy, ik;
};

// J, Y, J', Y' and I, K, I', K'.
const Reference references[] = {
    {0.0,
     0.5,
     {0.9384698072408129, -0.44451873350670656, -0.2422684576748739, 1.471472392670243},
     {1.0634833707413236, 0.9244190712276659, 0.2578943053908963, -1.656441120003301}},
    {0.0,
     1.0,
     {0.7651976865579666, 0.08825696421567696, -0.4400505857449335, 0.7812128213002887},
     {1.2660658777520084, 0.42102443824070834, 0.565159103992485, -0.6019072301972346}},
    {1.0,
     1.0,
     {0.4400505857449335, -0.7812128213002887, 0.32514710081303305, 0.8694697855159657},
     {0.565159103992485, 0.6019072301972346, 0.7009067737595233, -1.0229316684379428}},
    {0.3,
     1.9,
     {0.47201364515549976, 0.32644954137592946, -0.45280203322428003, 0.3966962055649047},
     {2.02276880101597, 0.13137942527906504, 1.481996908455723, -0.16393958973900646}},
    {2.5,
     0.5,
     {0.009236407819379724, -14.138547422284622, 0.04551966052875268, 68.17127156100177},
     {0.00957224378631588, 20.425904466498483, 0.04854225490243734, -105.35466514299219}},
    {0.5,
     2.0,
     {0.5130161365618278, 0.23478571040624846, -0.3630397445467054, 0.45431970896026563},
     {2.046236863089055, 0.11993777196806145, 1.6110324044053734, -0.14992221496007682}},
    {1.0,
     5.0,
     {-0.32757913759146523, 0.14786314339122683, -0.11208094379604526, -0.33809025392727915},
     {24.335642142450528, 0.004044613445452165, 22.37274339511434, -0.0045000210231330275}},
    {10.0,
     1.0,
     {2.6306151236874534e-10, -121618014.27868919, 2.6186350562244217e-09, 1209399937.84816},
     {2.7529480398368737e-10, 180713289.90102947, 2.7654378229217985e-09, -1817137939.997965}},
    {2.5,
     10.0,
     {0.19665848358181842, -0.16417847961494106, 0.1488178718604385, 0.19947924229192557},
     {2028.5127573919356, 2.393132586462789e-05, 1993.777965594134, -2.577565736923267e-05}},
    {30.0,
     3.0,
     {6.722339938146331e-28, -1.5863291359145298e+25, 6.6897383835661e-27, 1.578101117621847e+26},
     {7.772548260804785e-28, 2.1336456624222088e+25, 7.810072435613672e-27,
      -2.1446513548128145e+26}},
    {0.0,
     50.0,
     {0.055812327669251816, -0.09806499547007708, 0.09751182812517514, 0.05679566856201477},
     {2.9325537838493362e+20, 3.4101677497894956e-23, 2.903078590103557e+20,
      -3.4441022267175555e-23}},
};

void expectClose(double expected, double actual, double tolerance, const char* what) {
    EXPECT_LE(std::fabs(actual - expected), tolerance * std::fabs(expected))
        << what << ": " << actual << " instead of " << expected;
}

void expectValues(const BesselValues& expected, const BesselValues& actual, double tolerance) {
    expectClose(expected.first, actual.first, tolerance, "first");
    expectClose(expected.second, actual.second, tolerance, "second");
    expectClose(expected.firstDerivative, actual.firstDerivative, tolerance, "first derivative");
    expectClose(expected.secondDerivative, actual.secondDerivative, tolerance, "second derivative");
}

BesselValues jy(double nu, double x) {
    BesselValues v{};
    EXPECT_EQ(besselJY(nu, x, epsilon, &v), BesselStatus::ok) << nu << ", " << x;
    return v;
}

BesselValues ik(double nu, double x) {
    BesselValues v{};
    EXPECT_EQ(besselIK(nu, x, epsilon, &v), BesselStatus::ok) << nu << ", " << x;
    return v;
}

BesselValues scaled(const BesselValues& v, double first, double second, double firstDerivative,
                    double secondDerivative) {
    return {first * v.first, second * v.second, firstDerivative * v.firstDerivative,
            secondDerivative * v.secondDerivative};
}

}  // namespace

TEST(Bessel, ValuesAndDerivativesMatchTheFunctions) {
    for (const Reference& r : references) {
        SCOPED_TRACE(testing::Message() << "nu " << r.nu << ", x " << r.x);
        expectValues(r.jy, jy(r.nu, r.x), 1e-13);
        expectValues(r.ik, ik(r.nu, r.x), 1e-13);
    }
}

// J_-n = (-1)^n J_n, Y_-n = (-1)^n Y_n (derivatives alike), I_-n = I_n and
// K_-n = K_n; at -x J_n and I_n take (-1)^n, their derivatives (-1)^(n+1),
// and Y, K are complex (NaN).
TEST(Bessel, NegativeIntegerOrdersAndArguments) {
    for (int n : {1, 2, 3}) {
        for (double x : {0.7, 3.0}) {
            SCOPED_TRACE(testing::Message() << "n " << n << ", x " << x);
            const double s = n % 2 ? -1 : 1;
            expectValues(scaled(jy(n, x), s, s, s, s), jy(-n, x), 1e-15);
            expectValues(ik(n, x), ik(-n, x), 1e-15);
            const BesselValues j = jy(n, x), jm = jy(n, -x), i = ik(n, x), im = ik(n, -x);
            expectClose(s * j.first, jm.first, 1e-15, "J(-x)");
            expectClose(-s * j.firstDerivative, jm.firstDerivative, 1e-15, "J'(-x)");
            expectClose(s * i.first, im.first, 1e-15, "I(-x)");
            expectClose(-s * i.firstDerivative, im.firstDerivative, 1e-15, "I'(-x)");
            EXPECT_TRUE(std::isnan(jm.second) && std::isnan(jm.secondDerivative));
            EXPECT_TRUE(std::isnan(im.second) && std::isnan(im.secondDerivative));
        }
    }
}

TEST(Bessel, LimitsAtZero) {
    struct Case {
        double nu, derivative;
    } cases[] = {{0, 0}, {0.5, INFINITY}, {1, 0.5}, {2.5, 0}};
    for (const Case& c : cases) {
        for (double x : {0.0, 1e-13, -1e-13}) {
            SCOPED_TRACE(testing::Message() << "nu " << c.nu << ", x " << x);
            const double value = c.nu == 0 ? 1 : 0;
            const BesselValues j = jy(c.nu, x), i = ik(c.nu, x);
            EXPECT_EQ(j.first, value);
            EXPECT_EQ(j.firstDerivative, c.derivative);
            EXPECT_EQ(j.second, -INFINITY);
            EXPECT_EQ(j.secondDerivative, INFINITY);
            EXPECT_EQ(i.first, value);
            EXPECT_EQ(i.firstDerivative, c.derivative);
            EXPECT_EQ(i.second, INFINITY);
            EXPECT_EQ(i.secondDerivative, -INFINITY);
        }
    }
    // Order -1: J_-1'(0) = -1/2, Y_-1(0) = +inf; I_-1 = I_1.
    const BesselValues j = jy(-1, 0), i = ik(-1, 0);
    EXPECT_EQ(j.firstDerivative, -0.5);
    EXPECT_EQ(j.second, INFINITY);
    EXPECT_EQ(i.firstDerivative, 0.5);
    EXPECT_FALSE(std::signbit(j.first)) << "J_-1(0) is +0";
}

// Values beyond the range of doubles: J and I underflow to 0 and Y, K
// overflow to infinities, their derivatives to infinities of the other
// sign; no NaN from the recurrences.
TEST(Bessel, RecurrencesOverflowAndUnderflowCleanly) {
    for (double x : {1e-10, 1.0}) {
        const BesselValues j = jy(200, x), i = ik(200, x);
        EXPECT_EQ(j.first, 0);
        EXPECT_EQ(j.firstDerivative, 0);
        EXPECT_EQ(j.second, -INFINITY);
        EXPECT_EQ(j.secondDerivative, INFINITY);
        EXPECT_EQ(i.first, 0);
        EXPECT_EQ(i.second, INFINITY);
        EXPECT_EQ(i.secondDerivative, -INFINITY);
    }
    // J_100(3) = 4.2603601811326255e-141 after 100 steps of recurrence.
    expectClose(4.2603601811326255e-141, jy(100, 3).first, 1e-12, "J_100(3)");
}

TEST(Bessel, RefusalsAndNaN) {
    BesselValues v;
    EXPECT_EQ(besselJY(-2.5, 0.5, epsilon, &v), BesselStatus::badArguments);
    EXPECT_EQ(besselIK(-2.5, 0.5, epsilon, &v), BesselStatus::badArguments);
    EXPECT_EQ(besselJY(2.5, -0.5, epsilon, &v), BesselStatus::badArguments);
    EXPECT_EQ(besselJY(1e12, 0.5, epsilon, &v), BesselStatus::badArguments);
    EXPECT_EQ(besselJY(1, 1e6, epsilon, &v), BesselStatus::cf1Failed);
    EXPECT_EQ(besselJY(1, INFINITY, epsilon, &v), BesselStatus::cf1Failed);
    ASSERT_EQ(besselJY(NAN, 1, epsilon, &v), BesselStatus::ok);
    EXPECT_TRUE(std::isnan(v.first) && std::isnan(v.second));
    ASSERT_EQ(besselIK(1, NAN, epsilon, &v), BesselStatus::ok);
    EXPECT_TRUE(std::isnan(v.first) && std::isnan(v.secondDerivative));
}
