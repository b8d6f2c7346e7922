// Incomplete gamma functions for large orders (Temme's uniform expansion)
// and the complement for small orders, Student's t for many degrees of
// freedom, and the incomplete beta function for tiny parameters.
#include "numerics/distribution_kernels.h"

#include <cmath>

namespace kalix {

namespace {

constexpr double pi = 3.141592653589793;

// t - log(1 + t) without cancellation: with u = t / (2 + t), log(1 + t) =
// 2 atanh u, so t - log(1 + t) = 2u^2 / (1 - u) - 2u^3 (1/3 + u^2/5 + ...).
double logOnePlusMinus(double t) {
    if (std::fabs(t) >= 0.5) return t - std::log1p(t);
    const double u = t / (2 + t), u2 = u * u;
    double sum = 0, power = 1;
    for (int k = 3; k < 80; k += 2) {
        const double term = power / k;
        sum += term;
        if (term < 1e-17 * sum) break;
        power *= u2;
    }
    return 2 * u2 / (1 - u) - 2 * u2 * u * sum;
}

// Taylor coefficients in eta of Temme's c_k(eta), k = 0 .. 5 (computed to
// 21 digits from c_0 = 1/(lambda - 1) - 1/eta and the recurrence c_k =
// c_k-1' / eta + (-1)^k g_k / (lambda - 1), g_k those of Stirling's series),
// as many as |eta| <= 1 needs for each weight a^-k from a = 200 on.
constexpr double temme0[32] = {
    -0.333333333333333333333,    0.0833333333333333333333,      -0.0148148148148148148148,
    0.00115740740740740740741,   0.000352733686067019400353,    -0.0001787551440329218107,
    0.000039192631785224377817,  -0.00000218544851067999216147, -0.0000018540622107151599607,
    8.29671134095308600502e-7,   -1.76659527368260793044e-7,    6.70785354340149858037e-9,
    1.02618097842403080426e-8,   -4.38203601845335318655e-9,    9.14769958223679023418e-10,
    -2.55141939949462497669e-11, -5.83077213255042506746e-11,   2.43619480206674162437e-11,
    -5.02766928011417558909e-12, 1.10043920319561347708e-13,    3.37176326240098537883e-13,
    -1.39238872241816206592e-13, 2.8534893807047443204e-14,     -5.13911183424257261899e-16,
    -1.97522882943494428354e-15, 8.09952115670456133407e-16,    -1.65225312163981618192e-16,
    2.53054300974788842327e-18,  1.16869397385595765888e-17,    -4.77003704982048475822e-18,
    9.69912605905623712421e-19,  -1.29325655380381750104e-20,
};
constexpr double temme1[28] = {
    -0.00185185185185185185185,  -0.00347222222222222222222,   0.00264550264550264550265,
    -0.000990226337448559670782, 0.000205761316872427983539,   -4.0187757201646090535e-7,
    -0.000018098550334489977837, 0.00000764916091608111008464, -0.00000161209008945634460038,
    4.64712780280743434226e-9,   1.37863344691572095931e-7,    -5.75254560351770496402e-8,
    1.19516285997781473243e-8,   -1.75432417197476476238e-11,  -1.00915437106004126275e-9,
    4.16279299184258263623e-10,  -8.56390702649298063807e-11,  6.06721510160475861513e-14,
    7.16249896481148539008e-12,  -2.93318664377143711741e-12,  5.9966963656836887233e-13,
    -2.16717865273233141017e-16, -4.97833997236926164053e-14,  2.02916288237134247737e-14,
    -4.13125571381061004935e-15, 8.2865162398830964438e-19,    3.41003088693333279336e-16,
    -1.38541953028939715357e-16,
};
constexpr double temme2[24] = {
    0.00413359788359788359788,    -0.00268132716049382716049,  0.000771604938271604938272,
    0.00000200938786008230452675, -0.000107366532263651605215, 0.0000529234488291201254164,
    -0.0000127606351886187277134, 3.42357873409613807419e-8,   0.00000137219573090629332056,
    -6.29899213838005502291e-7,   1.42806142060642417916e-7,   -2.04770984219908660149e-10,
    -1.40925299108675210533e-8,   6.22897408492202203356e-9,   -1.36704883966171134993e-9,
    9.42835615901467819548e-13,   1.28722524000893180595e-10,  -5.56459561343633211465e-11,
    1.19759355463669810036e-11,   -4.16897822518386350404e-15, -1.09406404278845944099e-12,
    4.66223994639013574633e-13,   -9.90510576390690597844e-14, 1.89318767683735145057e-17,
};
constexpr double temme3[20] = {
    0.000649434156378600823045,  0.000229472093621399176955,   -0.000469189494395255712128,
    0.000267720632062838852962,  -0.0000756180167188397641073, -2.39650511386729665193e-7,
    0.0000110826541153473023615, -0.0000056749528269915965675, 0.00000142309007324358839146,
    -2.78610802915281422406e-11, -1.69584040919302772899e-7,   8.09946490538808236335e-8,
    -1.91111684859736540607e-8,  2.39286204398081179686e-12,   2.0620131815488798437e-9,
    -9.46049666185513217375e-10, 2.1541049775774907838e-10,    -1.38882333681390304603e-14,
    -2.18947616819639394064e-11, 9.79099895117168512568e-12,
};
constexpr double temme4[17] = {
    -0.000861888290916711698605,   0.000784039221720066627474,  -0.000299072480303190179733,
    -0.00000146384525788434181781, 0.0000664149821546512218666, -0.0000396836504717943466443,
    0.0000113757269706784190981,   2.50749722623753280165e-10,  -0.00000169541495365583060147,
    8.90750753220530968883e-7,     -2.29293483400080487057e-7,  2.95679413754404904697e-11,
    2.88658297427087836297e-8,     -1.41897394378032193895e-8,  3.4463580499464897066e-9,
    -2.3024517174528067132e-13,    -3.94092330280464052751e-10,
};
constexpr double temme5[14] = {
    -0.000336798553366358150309,  -0.0000697281375836585777429, 0.000277275324495939207873,
    -0.000199325705161888477003,  0.0000679778047793720783882,  1.41906292064396701483e-7,
    -0.0000135940481897686932785, 0.00000801847025633420153972, -0.00000229148117650809517038,
    -3.25247355129845395166e-10,  3.46528464910852649559e-7,    -1.84471871911713432765e-7,
    4.82409670378941807564e-8,    -1.79894667217435153026e-14,
};

constexpr const double* temmeSeries[6] = {temme0, temme1, temme2, temme3, temme4, temme5};
constexpr int temmeCounts[6] = {32, 28, 24, 20, 17, 14};

double polynomial(const double* c, int n, double x) {
    double sum = c[n - 1];
    for (int k = n - 2; k >= 0; k--) sum = sum * x + c[k];
    return sum;
}

// 1 / Gamma(1 + a) - 1 for |a| <= 1/2, from the Taylor series of
// 1 / Gamma(1 + a) without its constant term.
constexpr double reciprocalGammaSeries[25] = {
    0.57721566490153286061,     -0.65587807152025388108,     -0.042002635034095235529,
    0.1665386113822914895,      -0.042197734555544336748,    -0.0096219715278769735621,
    0.0072189432466630995424,   -0.0011651675918590651121,   -0.00021524167411495097282,
    0.00012805028238811618615,  -0.000020134854780788238656, -1.2504934821426706573e-6,
    1.1330272319816958824e-6,   -2.0563384169776071035e-7,   6.1160951044814158179e-9,
    5.0020076444692229301e-9,   -1.1812745704870201446e-9,   1.0434267116911005105e-10,
    7.782263439905071254e-12,   -3.6968056186422057082e-12,  5.100370287454475979e-13,
    -2.0583260535665067832e-14, -5.3481225394230179824e-15,  1.2267786282382607902e-15,
    -1.1812593016974587695e-16,
};

}  // namespace

bool temmeIncompleteGamma(double a, double x, IncompleteGamma* result) {
    if (x == 0) {
        *result = {0, 1};
        return true;
    }
    if (std::isinf(x)) {
        *result = {1, 0};
        return true;
    }
    // lambda = x / a; D = lambda - 1 - log lambda = eta^2 / 2; the
    // difference x - a is exact where it matters (x near a).
    const double t = (x - a) / a;
    const double d = logOnePlusMinus(t);
    const double eta = std::copysign(std::sqrt(2 * d), t);
    if (std::fabs(eta) > 1) {
        // Below e^(-a/2): nothing left in double from a near 1500 on.
        if (a * d < 800) return false;
        *result = t > 0 ? IncompleteGamma{1, 0} : IncompleteGamma{0, 1};
        return true;
    }
    double sum = 0, power = 1;
    for (int k = 0; k < 6; k++) {
        sum += polynomial(temmeSeries[k], temmeCounts[k], eta) * power;
        power /= a;
    }
    // Q = erfc(eta sqrt(a/2)) / 2 + R, P = erfc(-eta sqrt(a/2)) / 2 - R,
    // R = e^(-a eta^2 / 2) / sqrt(2 pi a) sum c_k(eta) a^-k; each taken
    // where it is the smaller.
    const double w = std::copysign(std::sqrt(a * d), t);
    const double r = std::exp(-a * d) / std::sqrt(2 * pi * a) * sum;
    if (t > 0) {
        const double q = 0.5 * std::erfc(w) + r;
        *result = {1 - q, q};
    } else {
        const double p = 0.5 * std::erfc(-w) - r;
        *result = {p, 1 - p};
    }
    return true;
}

double smallOrderIncompleteGammaComplement(double a, double x) {
    if (x == 0) return 1;
    // P = u (1 + a T) with u = x^a / Gamma(1 + a) = (1 + e)(1 + r) and
    // T = sum over n >= 1 of (-x)^n / (n! (a + n)); so Q = 1 - P =
    // -(e + r + e r) - u a T, where e = x^a - 1 and r = 1 / Gamma(1 + a) - 1
    // keep their digits as a goes to 0.
    const double e = std::expm1(a * std::log(x));
    const double r = a * polynomial(reciprocalGammaSeries, 25, a);
    double t = 0, term = 1;
    for (int n = 1; n < 60; n++) {
        term *= -x / n;
        const double part = term / (a + n);
        t += part;
        if (std::fabs(part) < 1e-17 * std::fabs(t)) break;
    }
    const double u = (1 + e) * (1 + r);
    return -(e + r + e * r) - u * a * t;
}

double studentTManyDegrees(double t, double n) {
    if (std::isnan(t)) return NAN;
    if (std::isinf(t)) return t > 0 ? 1 : 0;
    // z^2 = (n - 1/2) log(1 + t^2 / n), then Hill's correction of z to a
    // normal deviate; Phi of it by erfc, which keeps both tails.
    const double a = n - 0.5, b = 48 * a * a;
    const double z = std::sqrt(a * std::log1p(t / n * t));
    const double z2 = z * z, z4 = z2 * z2;
    double y = z + (z2 + 3) * z / b -
               (((4 * z2 + 33) * z4 + 240 * z2 + 855) * z) / (10 * b * (b + 0.8 * z4 + 100));
    if (t < 0) y = -y;
    return 0.5 * std::erfc(-y / std::sqrt(2.0));
}

namespace {

// The mass at 0 of the step (the rest is at 1); false outside the region.
bool tinyParameterMassAtZero(double a, double b, double* mass) {
    if (!(a > 0 && b > 0 && a * b < 1e-300)) return false;
    if (std::fmax(a, b) < 1e-19)
        *mass = b / (a + b);
    else
        *mass = a < b ? 1 : 0;
    return true;
}

}  // namespace

bool tinyParameterIncompleteBeta(double a, double b, double x, double* value) {
    double mass;
    if (!tinyParameterMassAtZero(a, b, &mass)) return false;
    *value = std::isnan(x) ? NAN : x <= 0 ? 0 : x >= 1 ? 1 : mass;
    return true;
}

bool tinyParameterInverseIncompleteBeta(double a, double b, double y, double* x) {
    double mass;
    if (!tinyParameterMassAtZero(a, b, &mass)) return false;
    // The smallest x with I_x >= y; where the step is flat at y, 1/2.
    *x = std::isnan(y) ? NAN : y <= 0 ? 0 : y >= 1 ? 1 : y < mass ? 0 : y > mass ? 1 : 0.5;
    return true;
}

}  // namespace kalix
