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
    EXPECT_EQ(besselJY(1, INFINITY, epsilon, &v), BesselStatus::cf1Failed);
    EXPECT_EQ(besselIK(1, INFINITY, epsilon, &v), BesselStatus::cf1Failed);
    ASSERT_EQ(besselJY(NAN, 1, epsilon, &v), BesselStatus::ok);
    EXPECT_TRUE(std::isnan(v.first) && std::isnan(v.second));
    ASSERT_EQ(besselIK(1, NAN, epsilon, &v), BesselStatus::ok);
    EXPECT_TRUE(std::isnan(v.first) && std::isnan(v.secondDerivative));
}

// Far from the origin and near it, against values computed with 40 digits
// (Hankel's expansion at 60 digits beyond x = 1e4): J and Y within 1e-13
// of their envelope sqrt(J^2 + Y^2) up to x = 1e8, I and K within 1e-13 of
// themselves, and J and I at tiny x for large orders within 1e-13 of
// themselves, near the turning point nu ~ x too (nu = x - 50 and x + 20).
TEST(Bessel, LargeArgumentsHoldTheirDigits) {
    struct Point {
        double nu, x, first, second;
    };
    const Point jy[] = {
        {0.0, 30.0, -0.08636798358104021, -0.11729573168666403},
        {1.0, 30.0, -0.11875106261662294, 0.08442557066174723},
        {2.5, 30.0, 0.14120285879928213, 0.036788354967208246},
        {10.0, 30.0, -0.12987689399858876, 0.07505670212239711},
        {100.0, 30.0, 4.5788015281752443e-42, -7.287528470824471e+38},
        {50.0, 30.0, 2.0581656631564178e-08, -386759.32602734736},
        {0.0, 100.0, 0.019985850304223122, -0.07724431336508315},
        {1.0, 100.0, -0.07714535201411216, -0.020372312002759792},
        {2.5, 100.0, 0.038325919332375405, 0.06999451452277503},
        {10.0, 100.0, -0.05473217693547201, 0.058331574236414926},
        {100.0, 100.0, 0.09636667329586156, -0.1669214114175765},
        {50.0, 100.0, -0.038698339728525384, 0.07650526394480305},
        {120.0, 100.0, 1.1476221795664937e-05, -418.56823639227736},
        {0.0, 1000.0, 0.024786686152420176, 0.0047159179776228135},
        {1.0, 1000.0, 0.004728311907089524, -0.024784331292351778},
        {2.5, 1000.0, -0.020905772723406796, 0.0141269370024039},
        {10.0, 1000.0, -0.02452062230603656, -0.005949000574162668},
        {100.0, 1000.0, 0.011676135007802554, -0.022438688257723275},
        {1000.0, 1000.0, 0.04473067294796404, -0.07747600152072075},
        {950.0, 1000.0, -0.0423907980478326, -0.015510805422049483},
        {1020.0, 1000.0, 0.001916967039672492, -0.8363236390688569},
        {0.0, 9000.0, -0.0010271344749786385, 0.008347486143996597},
        {1.0, 9000.0, 0.00834742909385231, 0.0010275982257925132},
        {2.5, 9000.0, -0.005173968406912317, -0.00663065485507822},
        {10.0, 9000.0, 0.0010734936444303747, -0.008341653625823803},
        {100.0, 9000.0, -0.005275454089210837, 0.006550532886836489},
        {1000.0, 9000.0, 0.006129755458819653, 0.005796753594655169},
        {8950.0, 9000.0, -0.023487399532921904, 0.010813110818114546},
        {9020.0, 9000.0, 0.006335648789435083, -0.08689762494137462},
        {0.0, 9800.0, -0.006710222864253722, -0.004464763184032834},
        {1.0, 9800.0, -0.004465105548152415, 0.0067099950789479435},
        {2.5, 9800.0, 0.007902414448545388, -0.0015852599706708333},
        {10.0, 9800.0, 0.006687357961879791, 0.004498941929723536},
        {100.0, 9800.0, -0.0036753144632971214, -0.007173328866302581},
        {1000.0, 9800.0, -0.001481377180571515, -0.00794402830415603},
        {9750.0, 9800.0, -0.021183658244959293, 0.013842946054514412},
        {9820.0, 9800.0, 0.0064248229362897195, -0.08205010321960118},
        {0.0, 10000.0, -0.0070961603533888015, 0.0036478055589866058},
        {1.0, 10000.0, 0.0036474507555295803, 0.007096342752536495},
        {2.5, 10000.0, 0.0024407290815813493, -0.007596368915273966},
        {10.0, 10000.0, 0.007114312383354275, -0.003612280207880416},
        {100.0, 10000.0, -0.007976516311393374, -0.00020086818765188425},
        {1000.0, 10000.0, -0.006125542627867078, 0.005143969473623731},
        {9950.0, 10000.0, -0.020594429954191643, 0.01448195014123346},
        {10020.0, 10000.0, 0.006444641867733501, -0.08095616931129836},
        {0.0, 123456.5, -0.0019381916885496018, -0.0011832350792037084},
        {1.0, 123456.5, -0.0011832429289081977, 0.0019381868964521653},
        {2.5, 123456.5, 0.002207195546703367, -0.0005337790684272503},
        {10.0, 123456.5, 0.0019377123214508896, 0.0011840199535627675},
        {0.0, 1000000.0, 0.00033104301373987376, -0.0007259685223351791},
        {1.0, 1000000.0, -0.000725968356813763, -0.00033104337672417626},
        {2.5, 1000000.0, 0.00027925216950278146, 0.000747420897618926},
        {10.0, 1000000.0, -0.00033107931176044886, 0.000725951969295187},
        {0.0, 10000000.0, -8.683734864191702e-05, 0.000236899244653925},
        {1.0, 10000000.0, 0.00023689924031205785, 8.683736048687936e-05},
        {2.5, 10000000.0, -0.00010610971273144146, -0.00022891637359702125},
        {10.0, 10000000.0, 8.683853313707653e-05, -0.00023689881046427976},
        {100.0, 10000000.0, -8.695578740681511e-05, 0.0002368557963749292},
        {0.0, 100000000.0, 3.206029534041208e-05, 7.306391165521707e-05},
        {1.0, 100000000.0, 7.306391181551854e-05, -3.2060294975092524e-05},
        {2.5, 100000000.0, -7.433403872740717e-05, -2.8993937472308693e-05},
        {10.0, 100000000.0, -3.2060258808452325e-05, -7.30639276853558e-05},
        {100.0, 100000000.0, 3.2056642104763483e-05, 7.306551457867181e-05},
    };
    for (const Point& p : jy) {
        BesselValues v;
        ASSERT_EQ(besselJY(p.nu, p.x, epsilon, &v), BesselStatus::ok) << p.nu << " " << p.x;
        const double envelope = std::hypot(p.first, p.second);
        EXPECT_LE(std::fabs(v.first - p.first), 1e-13 * envelope) << "J " << p.nu << " " << p.x;
        EXPECT_LE(std::fabs(v.second - p.second), 1e-13 * envelope) << "Y " << p.nu << " " << p.x;
    }
    const Point ik[] = {
        {0.0, 30.0, 781672297823.9775, 2.1324774964630563e-14},
        {1.0, 30.0, 768532038938.957, 2.1677320018915495e-14},
        {2.5, 30.0, 703124015519.2032, 2.3624987811047993e-14},
        {10.0, 30.0, 145831809975.96713, 1.0842816942222974e-13},
        {50.0, 30.0, 0.00014590106916468948, 58.77068625800724},
        {0.0, 100.0, 1.0737517071310738e+42, 4.656628229175902e-45},
        {1.0, 100.0, 1.0683693903381625e+42, 4.6798537356369095e-45},
        {2.5, 100.0, 1.0405531961408039e+42, 4.8036952541575023e-45},
        {10.0, 100.0, 6.498975524720148e+41, 7.6554279773881e-45},
        {50.0, 100.0, 4.8219580855940807e+36, 9.274522653613326e-40},
        {0.0, 500.0, 2.504809476570078e+215, 3.992321609117793e-219},
        {1.0, 500.0, 2.5023034121761e+215, 3.9963119385460035e-219},
        {2.5, 500.0, 2.489187678957609e+215, 4.017326650768103e-219},
        {10.0, 500.0, 2.2662258123840038e+215, 4.411742876731852e-219},
        {50.0, 500.0, 2.0552180163054087e+214, 4.841518738593636e-218},
        {0.0, 700.0, 1.5295933476718737e+302, 4.669776431685377e-306},
        {1.0, 700.0, 1.5285003902339006e+302, 4.6731107967079664e-306},
        {2.5, 700.0, 1.5227751694938985e+302, 4.690655294648921e-306},
        {10.0, 700.0, 1.4240763999290821e+302, 5.015271800836715e-306},
        {50.0, 700.0, 2.5634565477255455e+301, 2.7793358770120587e-305},
    };
    for (const Point& p : ik) {
        BesselValues v;
        ASSERT_EQ(besselIK(p.nu, p.x, epsilon, &v), BesselStatus::ok) << p.nu << " " << p.x;
        EXPECT_LE(std::fabs(v.first - p.first), 1e-13 * p.first) << "I " << p.nu << " " << p.x;
        EXPECT_LE(std::fabs(v.second - p.second), 1e-13 * p.second) << "K " << p.nu << " " << p.x;
    }
}

// Beyond x = 700 with nu^2 > 2x: Debye's expansion, within 1e-13 down to
// the lowest orders it serves there (nu near sqrt(2x)); K near the smallest
// double is compared with the smallest normal double there.
TEST(Bessel, LargeOrdersBeyondSevenHundred) {
    struct Point {
        double nu, x, i, k, tolerance;
    } points[] = {
        {300.0, 720.0, 1.1946299025035337e+284, 5.36589339425677e-288, 1e-13},
        {1000.0, 800.0, 1.7850006513554681e+99, 2.1873066580240859e-103, 1e-13},
        {400.0, 705.5, 3.177395977959289e+256, 1.9403261701946806e-260, 1e-13},
        {2500.0, 1500.0, 1.5143862892758019e-130, 1.1324625993392645e+126, 1e-13},
        {60.0, 710.0, 2.6502774813424026e+305, 2.64773903713552e-309, 1e-13},
        {38.0, 701.0, 1.4826751360994197e+302, 4.8036231642128435e-306, 1e-13},
        {40.0, 710.0, 1.0836234153880922e+306, 6.4885140885555e-310, 1e-13},
    };
    for (const Point& p : points) {
        BesselValues v;
        ASSERT_EQ(besselIK(p.nu, p.x, epsilon, &v), BesselStatus::ok) << p.nu << " " << p.x;
        EXPECT_LE(std::fabs(v.first - p.i), p.tolerance * p.i) << "I " << p.nu << " " << p.x;
        EXPECT_LE(std::fabs(v.second - p.k), p.tolerance * std::fmax(p.k, 2.2250738585072014e-308))
            << "K " << p.nu << " " << p.x;
    }
    BesselValues v;
    ASSERT_EQ(besselIK(200, 750, epsilon, &v), BesselStatus::ok);
    EXPECT_EQ(v.first, INFINITY);
    EXPECT_NEAR(v.second, 2.7933371e-316, 1e-322);
}

TEST(Bessel, TinyArgumentsAndLargeOrders) {
    struct Point {
        double nu, x, j, i;
    };
    const Point points[] = {
        {0.0, 0.001, 0.9999997500000156, 1.0000002500000156},
        {2.5, 0.001, 1.6820882278642758e-09, 1.6820884681626111e-09},
        {10.0, 0.001, 2.6911443943049994e-40, 2.6911445166297473e-40},
        {50.0, 0.001, 2.920285702604064e-230, 2.920285731234316e-230},
        {0.0, 1e-08, 1.0, 1.0},
        {2.5, 1e-08, 5.319230405352436e-22, 5.319230405352436e-22},
        {10.0, 1e-08, 2.6911444554673727e-90, 2.6911444554673727e-90},
        {0.0, 0.5, 0.9384698072408129, 1.0634833707413236},
        {2.5, 0.5, 0.009236407819379724, 0.00957224378631588},
        {10.0, 0.5, 2.6131773608228033e-13, 2.6430419258812794e-13},
        {50.0, 0.5, 2.590558066078543e-95, 2.596915260602652e-95},
        {100.0, 0.5, 6.663899904277085e-219, 6.672152410844657e-219},
        {0.0, 0.9, 0.8075237981225448, 1.2129851657286843},
        {2.5, 0.9, 0.03856241297509218, 0.04329351123390266},
        {10.0, 0.9, 9.212149857207125e-11, 9.557646211629885e-11},
        {50.0, 0.9, 1.49908530135389e-82, 1.51103719556311e-82},
        {100.0, 0.9, 2.24066523191173e-193, 2.249668115919357e-193},
        {0.0, 1e-30, 1.0, 1.0},
        {2.5, 1e-30, 5.319230405352437e-77, 5.319230405352437e-77},
    };
    for (const Point& p : points) {
        BesselValues jy, ik;
        ASSERT_EQ(besselJY(p.nu, p.x, 0, &jy), BesselStatus::ok) << p.nu << " " << p.x;
        ASSERT_EQ(besselIK(p.nu, p.x, 0, &ik), BesselStatus::ok) << p.nu << " " << p.x;
        EXPECT_LE(std::fabs(jy.first - p.j), 1e-13 * std::fabs(p.j)) << "J " << p.nu << " " << p.x;
        EXPECT_LE(std::fabs(ik.first - p.i), 1e-13 * p.i) << "I " << p.nu << " " << p.x;
    }
}

// No finite argument fails: a sweep of orders and arguments up to 1e8
// gives finite J and Y, and I, K that are finite or overflow (I) and
// underflow (K) as the functions do; derivatives agree with the
// recurrence J' = (nu / x) J - J_nu+1.
TEST(Bessel, EveryFiniteArgumentGivesAValue) {
    for (double x : {0.3, 2.5, 24.9, 25.0, 99.5, 700.0, 713.0, 5000.0, 9800.0, 2e4, 1e6, 1e8}) {
        for (double nu : {0.0, 0.5, 3.0, 40.5, 300.0, 5000.0}) {
            BesselValues jy, ik, next;
            ASSERT_EQ(besselJY(nu, x, epsilon, &jy), BesselStatus::ok) << nu << " " << x;
            ASSERT_EQ(besselIK(nu, x, epsilon, &ik), BesselStatus::ok) << nu << " " << x;
            EXPECT_FALSE(std::isnan(jy.first) || std::isnan(jy.second)) << nu << " " << x;
            EXPECT_FALSE(std::isnan(ik.first) || std::isnan(ik.second)) << nu << " " << x;
            EXPECT_GE(ik.first, 0);
            EXPECT_GE(ik.second, 0);
            ASSERT_EQ(besselJY(nu + 1, x, epsilon, &next), BesselStatus::ok);
            if (std::isfinite(jy.second) && std::isfinite(next.second)) {
                const double envelope = std::hypot(jy.first, jy.second);
                EXPECT_LE(std::fabs(jy.firstDerivative - (nu / x * jy.first - next.first)),
                          1e-12 * envelope)
                    << nu << " " << x;
            }
        }
    }
}
