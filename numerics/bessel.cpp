// Steed's method for J and Y, and its analogue for I and K, at an order
// nu >= 0 and x > 0 after the reduction of negative orders and arguments.
//
// Both kernels first run a continued fraction (CF1, modified Lentz) for
// f = J'/J at nu and recur downwards to mu = nu - nl, |mu| <= 1/2. For
// x < 2 Temme's series gives Y (or K) at mu and mu + 1; beyond, a complex
// continued fraction (CF2) does. The Wronskian then fixes the scale of the
// downward recurrence, and Y (or K) recurs upwards to nu.
#include "numerics/bessel.h"

#include <cmath>

namespace kalix {

namespace {

constexpr double accuracy = 1e-16;
constexpr double tiny = 1e-30;
constexpr int maximumSteps = 10000;
constexpr double pi = 3.141592653589793;

// Chebyshev coefficients of Temme's gamma1(mu) = (1/Gamma(1 - mu) -
// 1/Gamma(1 + mu)) / (2 mu) and gamma2(mu) = (1/Gamma(1 - mu) +
// 1/Gamma(1 + mu)) / 2 in T_k(8 mu^2 - 1), |mu| <= 1/2.
constexpr double temmeGamma1Coefficients[7] = {-1.1420226803711678406,    6.5165112670736880645e-3,
                                               3.0870901730853682431e-4,  -3.470626964904317836e-6,
                                               6.9437664486674495957e-9,  3.6779539885744101652e-11,
                                               -1.3563951023664248708e-13};
constexpr double temmeGamma2Coefficients[8] = {
    1.843740587300905313,       -7.685284084478667369e-2,  1.2719271366545622927e-3,
    -4.9717367041957398581e-6,  -3.3126119768180852711e-8, 2.4230957900482704055e-10,
    -1.7023776642512729175e-13, -1.4943667065169001769e-15};

// Clenshaw's sum of c[0]/2 + c[1] T_1(y) + ... on [a, b].
bool chebyshevEvaluate(double a, double b, const double* c, int m, double x, double* sum) {
    if ((x - a) * (x - b) > 0) return false;
    const double y = (2 * x - a - b) / (b - a), y2 = 2 * y;
    double d = 0, dd = 0;
    for (int j = m - 1; j >= 1; j--) {
        const double saved = d;
        d = y2 * d - dd + c[j];
        dd = saved;
    }
    *sum = y * d - dd + 0.5 * c[0];
    return true;
}

struct TemmeGammas {
    double gamma1, gamma2, plus, minus;  // plus = 1/Gamma(1 + mu), minus = 1/Gamma(1 - mu)
};

bool temmeGammas(double mu, TemmeGammas* g) {
    const double t = 8 * mu * mu - 1;
    if (!chebyshevEvaluate(-1, 1, temmeGamma1Coefficients, 7, t, &g->gamma1) ||
        !chebyshevEvaluate(-1, 1, temmeGamma2Coefficients, 8, t, &g->gamma2))
        return false;
    g->plus = g->gamma2 - mu * g->gamma1;
    g->minus = g->gamma2 + mu * g->gamma1;
    return true;
}

// z / sin(z), and sinh(z) / z, 1 near 0.
double overSine(double z) { return std::fabs(z) < accuracy ? 1 : z / std::sin(z); }
double sinhOver(double z) { return std::fabs(z) < accuracy ? 1 : std::sinh(z) / z; }
double sineOver(double z) { return std::fabs(z) < accuracy ? 1 : std::sin(z) / z; }

double keepTiny(double v) { return std::fabs(v) < tiny ? tiny : v; }

// The downward recurrence grows by about 2 nu / x per step: scale it down
// before it overflows (only the ratio of the start to the end counts; a
// start that underflows means a value below the smallest double).
void rescale(double* value, double* derivative, double* start, double* startDerivative) {
    if (std::fabs(*value) < 1e250) return;
    *value *= 1e-250;
    *derivative *= 1e-250;
    *start *= 1e-250;
    *startDerivative *= 1e-250;
}

// The upward recurrence of Y (sign -1) or K (sign 1) from the orders mu
// and mu + 1 to mu + nl and mu + nl + 1. Once a value overflows, every
// later one is infinite with its sign (the magnitudes grow with the order
// there): the recurrence stops instead of making NaN of two infinities.
void upwards(int nl, double mu, double xi2, double sign, double* y, double* y1) {
    for (int k = 1; k <= nl; k++) {
        if (std::isinf(*y1)) {
            *y = *y1;
            return;
        }
        const double next = (mu + k) * xi2 * *y1 + sign * *y;
        *y = *y1;
        *y1 = next;
    }
}

// Y and Y' at mu and mu + 1 (the starting pair of the upward recurrence),
// and J at mu from the Wronskian.
struct MuValues {
    double j, y, y1;
};

// The start of Temme's series at mu and x: the first term f0 (without the
// factor 2/pi of J and Y), (x/2)^-mu and the gammas.
struct TemmeStart {
    double f0, power;
    TemmeGammas g;
};

bool temmeStart(double mu, double x, TemmeStart* t) {
    // -log(x/2), without halving the smallest subnormals to 0.
    const double d = x < 1e-300 ? std::log(2.0) - std::log(x) : -std::log(0.5 * x), e = mu * d;
    if (!temmeGammas(mu, &t->g)) return false;
    t->f0 = overSine(pi * mu) * (t->g.gamma1 * std::cosh(e) + t->g.gamma2 * sinhOver(e) * d);
    t->power = std::exp(e);
    return true;
}

// Y at mu and mu + 1 for x < 2 (the divisions by x last, so that they
// overflow only where the value does, for x below the smallest normal
// double).
BesselStatus temmeY(double mu, double x, double* y, double* y1) {
    const double x2 = 0.5 * x, pimu = pi * mu;
    TemmeStart t;
    if (!temmeStart(mu, x, &t)) return BesselStatus::chebyshevRange;
    double ff = 2 / pi * t.f0;
    double p = t.power / (t.g.plus * pi), q = 1 / (t.power * pi * t.g.minus);
    const double pimu2 = 0.5 * pimu, fact3 = sineOver(pimu2);
    const double r = pi * pimu2 * fact3 * fact3;
    double c = 1;
    const double d = -x2 * x2;
    double sum = ff + r * q, sum1 = p;
    int i = 1;
    for (; i <= maximumSteps; i++) {
        ff = (i * ff + p + q) / (i * i - mu * mu);
        c *= d / i;
        p /= i - mu;
        q /= i + mu;
        const double del = c * (ff + r * q);
        sum += del;
        sum1 += c * p - i * del;
        if (std::fabs(del) < (1 + std::fabs(sum)) * accuracy) break;
    }
    if (i > maximumSteps) return BesselStatus::seriesFailed;
    *y = -sum;
    *y1 = -2 * sum1 / x;
    return BesselStatus::ok;
}

// Y at mu and mu + 1, and J at mu from the Wronskian with f = J'/J.
BesselStatus temmeJY(double mu, double x, double f, MuValues* out) {
    const BesselStatus status = temmeY(mu, x, &out->y, &out->y1);
    if (status != BesselStatus::ok) return status;
    const double xi = 1 / x, w = 2 / (pi * x);
    const double yPrime = mu * xi * out->y - out->y1;
    out->j = w / (yPrime - f * out->y);
    return BesselStatus::ok;
}

// CF2 for p + iq = (J' + iY') / (J + iY) at mu; `j` is the sign carrier of
// the downward recurrence.
BesselStatus steedJY(double mu, double x, double f, double j, MuValues* out) {
    const double xi = 1 / x, w = 2 / (pi * x);
    double a = 0.25 - mu * mu, p = -0.5 * xi, q = 1;
    const double br = 2 * x;
    double bi = 2;
    double fact = a * xi / (p * p + q * q);
    double cr = br + q * fact, ci = bi + p * fact;
    double den = br * br + bi * bi;
    double dr = br / den, di = -bi / den;
    double dlr = cr * dr - ci * di, dli = cr * di + ci * dr;
    double temp = p * dlr - q * dli;
    q = p * dli + q * dlr;
    p = temp;
    int i = 2;
    for (; i <= maximumSteps; i++) {
        a += 2 * (i - 1);
        bi += 2;
        dr = a * dr + br;
        di = a * di + bi;
        if (std::fabs(dr) + std::fabs(di) < tiny) dr = tiny;
        fact = a / (cr * cr + ci * ci);
        cr = br + cr * fact;
        ci = bi - ci * fact;
        if (std::fabs(cr) + std::fabs(ci) < tiny) cr = tiny;
        den = dr * dr + di * di;
        dr /= den;
        di /= -den;
        dlr = cr * dr - ci * di;
        dli = cr * di + ci * dr;
        temp = p * dlr - q * dli;
        q = p * dli + q * dlr;
        p = temp;
        if (std::fabs(dlr - 1) + std::fabs(dli) < accuracy) break;
    }
    if (i > maximumSteps) return BesselStatus::cf2Failed;
    const double gam = (p - f) / q;
    out->j = std::copysign(std::sqrt(w / ((p - f) * gam + q)), j);
    out->y = out->j * gam;
    const double yPrime = out->y * (p + q / gam);
    out->y1 = mu * xi * out->y - yPrime;
    return BesselStatus::ok;
}

// --- large x: Hankel's asymptotic expansion ---------------------------------
//
// With mu = 4 nu^2 and a_k = (mu - 1)(mu - 9)...(mu - (2k - 1)^2) / (k! (8x)^k),
// P = a_0 - a_2 + a_4 - ..., Q = a_1 - a_3 + ...; then
// J = sqrt(2 / (pi x)) (P cos chi - Q sin chi), Y = sqrt(2 / (pi x))
// (P sin chi + Q cos chi), chi = x - (nu / 2 + 1/4) pi, and
// I = e^x / sqrt(2 pi x) (a_0 - a_1 + a_2 - ...), K = sqrt(pi / (2x)) e^-x
// (a_0 + a_1 + a_2 + ...). The terms fall at once where nu^2 <= 2x and stay
// below the last digit well before they grow again when x >= 25.

constexpr double hankelLeast = 25;

bool hankelApplies(double nu, double x) { return x >= hankelLeast && nu * nu <= 2 * x; }

// The sums of the even and odd terms, each with alternating signs (`pq`),
// or all with the sign (-1)^k (`alternating`, for I) or all positive (K).
struct HankelSums {
    double p, q, alternating, positive;
};

HankelSums hankelSums(double nu, double x) {
    const double mu = 4 * nu * nu;
    HankelSums s{1, 0, 1, 1};
    double term = 1;
    for (int k = 1; k < 200; k++) {
        const double odd = 2.0 * k - 1;
        const double next = term * (mu - odd * odd) / (k * 8 * x);
        if (next == 0) break;
        if (std::fabs(next) > std::fabs(term) && k > 1) break;  // the asymptotic series turns
        term = next;
        const double sign = (k / 2) % 2 ? -1 : 1;  // k = 0, 1: +; 2, 3: -; ...
        if (k % 2)
            s.q += sign * term;
        else
            s.p += sign * term;
        s.alternating += k % 2 ? -term : term;
        s.positive += term;
        if (std::fabs(term) < 1e-18 * std::fabs(s.p) && std::fabs(term) < 1e-18) break;
    }
    return s;
}

// cos and sin of chi = x - (nu / 2 + 1/4) pi from cos x and sin x (exact
// argument) and the angle's own cos and sin (nu reduced modulo 4 exactly).
void hankelPhase(double nu, double x, double* c, double* s) {
    const double theta = (std::fmod(nu, 4.0) / 2 + 0.25) * pi;
    const double cx = std::cos(x), sx = std::sin(x), ct = std::cos(theta), st = std::sin(theta);
    *c = cx * ct + sx * st;
    *s = sx * ct - cx * st;
}

void hankelJY(double nu, double x, double* j, double* y) {
    const HankelSums h = hankelSums(nu, x);
    double c, s;
    hankelPhase(nu, x, &c, &s);
    const double factor = std::sqrt(2 / (pi * x));
    *j = factor * (h.p * c - h.q * s);
    *y = factor * (h.p * s + h.q * c);
}

// J and Y with their derivatives from nu and nu + 1: J' = (nu / x) J - J_nu+1.
void largeArgumentJY(double nu, double x, BesselValues* out) {
    double j, y, j1, y1;
    hankelJY(nu, x, &j, &y);
    hankelJY(nu + 1, x, &j1, &y1);
    *out = {j, y, nu / x * j - j1, nu / x * y - y1};
}

// Where nu^2 > 2x but nu < x: the expansion at the highest order nu0 =
// nu - n it serves, then the recurrence upwards for J and Y together
// (neither dominates while the order is below x).
void upwardsFromHankel(double nu, double x, BesselValues* out) {
    const double top = std::floor(std::sqrt(2 * x)) - 1;
    const int n = int(std::ceil(nu - top));
    const double nu0 = nu - n;
    double j, y, j1, y1;
    hankelJY(nu0, x, &j, &y);
    hankelJY(nu0 + 1, x, &j1, &y1);
    for (int k = 1; k < n; k++) {
        const double f = 2 * (nu0 + k) / x;  // one rounding per step: no drift of 2 / x
        const double jn = f * j1 - j, yn = f * y1 - y;
        j = j1, y = y1, j1 = jn, y1 = yn;
    }
    // j, y at nu - 1 and j1, y1 at nu (n >= 1): J' = J_nu-1 - (nu / x) J.
    *out = {j1, y1, j - nu / x * j1, y - nu / x * y1};
}

// --- small x: the power series -------------------------------------------
//
// J = (x/2)^nu / Gamma(nu + 1) sum (-x^2/4)^k / (k! (nu + 1)_k), and I with
// +x^2/4. For x < 1 the terms fall by 4 at least from the first on. The
// factor in front is (x/2)^m / Gamma(m + 1) times (x/2) / (m + k) for
// k = 1 .. n, nu = m + n with 0 <= m < 1: a product that falls
// monotonically, so it is 0 only where the value is below the smallest
// double.

double seriesFactor(double nu, double x) {
    const double half = x / 2;
    const double m = nu - std::floor(nu);
    // (x/2)^m without halving the smallest subnormals to 0.
    const double power = x < 1e-300 ? std::pow(x, m) * std::pow(0.5, m) : std::pow(half, m);
    double factor = power / std::tgamma(m + 1);
    for (double k = 1; k <= nu - m && factor != 0; k++) factor *= half / (m + k);
    return factor;
}

double seriesSum(double nu, double x, double sign) {
    const double q = sign * x * x / 4;
    double term = 1, sum = 1;
    for (int k = 1; k < 100; k++) {
        term *= q / (k * (nu + k));
        sum += term;
        if (std::fabs(term) < 1e-17 * std::fabs(sum)) break;
    }
    return sum;
}

// Sum of (1 + 2k / nu) times the terms of `seriesSum`: the derivative's.
double seriesDerivativeSum(double nu, double x, double sign) {
    const double q = sign * x * x / 4;
    double term = 1, sum = 1;
    for (int k = 1; k < 100; k++) {
        term *= q / (k * (nu + k));
        const double part = term * (1 + 2 * k / nu);
        sum += part;
        if (std::fabs(part) < 1e-17 * std::fabs(sum)) break;
    }
    return sum;
}

// J (sign -1) or I (sign 1) and its derivative. From order 1 on the
// derivative is the series' own, (x/2)^(nu-1) / (2 Gamma(nu)) times
// sum (1 + 2k / nu) t_k, which stays representable where J underflows;
// below, J' = nu J / x - J_nu+1 and I' = nu I / x + I_nu+1.
void smallArgument(double nu, double x, double sign, double* value, double* derivative) {
    const double factor = seriesFactor(nu, x);
    const double v = factor * seriesSum(nu, x, sign);
    *value = v;
    if (nu >= 1) {
        *derivative = seriesFactor(nu - 1, x) / 2 * seriesDerivativeSum(nu, x, sign);
    } else {
        const double v1 = factor * (x / 2 / (nu + 1)) * seriesSum(nu + 1, x, sign);
        *derivative = nu * v / x + sign * v1;
    }
}

// Y (sign -1, `temme` = temmeY) or K (sign 1, temmeK) and its derivative
// for x < 1: Temme's series at mu = nu - nl, |mu| <= 1/2, and mu + 1, then
// the recurrence upwards to nu - 1 and nu. The derivative from there,
// Y' = Y_nu-1 - nu Y / x and K' = -K_nu-1 - nu K / x, overflows only where
// it is beyond the doubles itself (Y_nu+1, which the other form takes,
// overflows first).
using TemmeSecondKind = BesselStatus (*)(double mu, double x, double* value, double* next);

BesselStatus smallArgumentSecondKind(double nu, double x, double sign, TemmeSecondKind temme,
                                     double* value, double* derivative) {
    const int nl = int(nu + 0.5);
    const double mu = nu - nl;
    double v, v1;
    const BesselStatus status = temme(mu, x, &v, &v1);
    if (status != BesselStatus::ok) return status;
    if (nl == 0) {
        *value = v;
        *derivative = std::isinf(v1) ? -v1 : std::isinf(v) ? -v : nu * v / x - v1;
        return BesselStatus::ok;
    }
    upwards(nl - 1, mu, 2 / x, sign, &v, &v1);
    *value = v1;
    *derivative = std::isinf(v1) ? -v1 : -sign * v - nu * v1 / x;
    return BesselStatus::ok;
}

// nu >= 0, x > 0, both finite, nu below 2^31.
BesselStatus steedJYPositive(double nu, double x, BesselValues* out);

// nu >= 0, x > 0, both finite, nu below 2^31.
BesselStatus besselJYPositive(double nu, double x, BesselValues* out) {
    if (std::isinf(x)) return BesselStatus::cf1Failed;
    if (hankelApplies(nu, x)) {
        largeArgumentJY(nu, x, out);
        return BesselStatus::ok;
    }
    // The first continued fraction takes about x - nu steps.
    if (x >= hankelLeast && nu < x - 2 * std::cbrt(x)) {
        upwardsFromHankel(nu, x, out);
        return BesselStatus::ok;
    }
    // Below 1 the power series gives J, and Y needs no continued fraction
    // (which would not reach x near the smallest doubles).
    if (x < 1) {
        smallArgument(nu, x, -1, &out->first, &out->firstDerivative);
        return smallArgumentSecondKind(nu, x, -1, temmeY, &out->second, &out->secondDerivative);
    }
    return steedJYPositive(nu, x, out);
}

// Steed's method for J and Y.
BesselStatus steedJYPositive(double nu, double x, BesselValues* out) {
    const double xi = 1 / x, xi2 = 2 / x;
    const int nl = x < 2 ? int(nu + 0.5) : (nu - x + 1.5 > 0 ? int(nu - x + 1.5) : 0);
    const double mu = nu - nl;
    // CF1 for J'/J at nu; its sign changes count into the sign of J.
    double h = nu * xi;
    if (h < tiny) h = tiny;
    double b = xi2 * nu, d = 0, c = h, sign = 1;
    int i = 1;
    for (; i <= maximumSteps; i++) {
        b += xi2;
        d = keepTiny(b - d);
        c = keepTiny(b - 1 / c);
        d = 1 / d;
        const double del = c * d;
        h *= del;
        if (d < 0) sign = -sign;
        if (std::fabs(del - 1) < accuracy) break;
    }
    if (i > maximumSteps) return BesselStatus::cf1Failed;
    // Downward recurrence from an arbitrary scale.
    double j = sign * tiny, jPrime = h * j;
    double jStart = j, jPrimeStart = jPrime;
    double fact = nu * xi;
    for (int l = nl; l >= 1; l--) {
        const double temp = fact * j + jPrime;
        fact -= xi;
        jPrime = fact * temp - j;
        j = temp;
        rescale(&j, &jPrime, &jStart, &jPrimeStart);
    }
    if (j == 0) j = accuracy;
    const double f = jPrime / j;
    MuValues m;
    const BesselStatus status = x < 2 ? temmeJY(mu, x, f, &m) : steedJY(mu, x, f, j, &m);
    if (status != BesselStatus::ok) return status;
    const double scale = m.j / j;
    out->first = jStart * scale;
    out->firstDerivative = jPrimeStart * scale;
    double y = m.y, y1 = m.y1;
    upwards(nl, mu, xi2, -1, &y, &y1);
    out->second = y;
    // Where Y_nu+1 overflows, Y' (about -Y_nu+1 / 2 there) does too.
    out->secondDerivative = std::isinf(y1) ? -y1 : std::isinf(y) ? -y : nu * xi * y - y1;
    return BesselStatus::ok;
}

// K at mu and mu + 1 for x < 2.
BesselStatus temmeK(double mu, double x, double* k, double* k1) {
    const double x2 = 0.5 * x;
    TemmeStart t;
    if (!temmeStart(mu, x, &t)) return BesselStatus::chebyshevRange;
    double ff = t.f0;
    double sum = ff;
    double p = 0.5 * t.power / t.g.plus, q = 0.5 / (t.power * t.g.minus);
    double c = 1;
    const double d = x2 * x2;
    double sum1 = p;
    int i = 1;
    for (; i <= maximumSteps; i++) {
        ff = (i * ff + p + q) / (i * i - mu * mu);
        c *= d / i;
        p /= i - mu;
        q /= i + mu;
        const double del = c * ff;
        sum += del;
        sum1 += c * (p - i * ff);
        if (std::fabs(del) < std::fabs(sum) * accuracy) break;
    }
    if (i > maximumSteps) return BesselStatus::seriesFailed;
    *k = sum;
    *k1 = sum1 * 2 / x;
    return BesselStatus::ok;
}

// K at mu and mu + 1 for x >= 2 (Steed's CF2 in the Thompson-Barnett form).
BesselStatus steedK(double mu, double x, double* k, double* k1) {
    double b = 2 * (1 + x), d = 1 / b, h = d, delh = d;
    double q1 = 0, q2 = 1;
    const double a1 = 0.25 - mu * mu;
    double q = a1, c = a1, a = -a1;
    double s = 1 + q * delh;
    int i = 2;
    for (; i <= maximumSteps; i++) {
        a -= 2 * (i - 1);
        c = -a * c / i;
        const double qnew = (q1 - b * q2) / a;
        q1 = q2;
        q2 = qnew;
        q += c * qnew;
        b += 2;
        d = 1 / (b + a * d);
        delh = (b * d - 1) * delh;
        h += delh;
        const double dels = q * delh;
        s += dels;
        if (std::fabs(dels / s) < accuracy) break;
    }
    if (i > maximumSteps) return BesselStatus::cf2Failed;
    *k = std::sqrt(pi / (2 * x)) * std::exp(-x) / s;
    *k1 = *k * (mu + x + 0.5 - a1 * h) / x;
    return BesselStatus::ok;
}

// I and K from the expansion at nu and nu + 1; I overflows to infinity
// (from x near 713), K underflows to 0.
void largeArgumentIK(double nu, double x, BesselValues* out) {
    const HankelSums h = hankelSums(nu, x), h1 = hankelSums(nu + 1, x);
    const double grow = std::exp(x / 2), shrink = std::exp(-x);
    const double iFactor = grow / std::sqrt(2 * pi * x) * grow;
    const double kFactor = std::sqrt(pi / (2 * x)) * shrink;
    const double i = iFactor * h.alternating, i1 = iFactor * h1.alternating;
    const double k = kFactor * h.positive, k1 = kFactor * h1.positive;
    *out = {i, k, std::isinf(i) ? i : nu / x * i + i1, nu / x * k - k1};
}

// Debye's uniform expansion for large orders: with z = x / nu,
// s = sqrt(1 + z^2), t = 1 / s and eta = s + log(z / (1 + s)),
// I = e^(nu eta) / (sqrt(2 pi nu) s^(1/2)) sum u_k(t) / nu^k,
// K = sqrt(pi / (2 nu)) e^(-nu eta) / s^(1/2) sum (-1)^k u_k(t) / nu^k,
// and the derivatives with s^(1/2) / z in place of 1 / s^(1/2) and
// v_k(t) = u_k + t (t^2 - 1) (u_k-1 / 2 + t u_k-1'). Terms to u_4: the
// next one is below 1e-3 / nu^5.

// u_k(t) as coefficients of t^0 .. t^12.
constexpr double debyeU[5][13] = {
    {1},
    {0, 3.0 / 24, 0, -5.0 / 24},
    {0, 0, 81.0 / 1152, 0, -462.0 / 1152, 0, 385.0 / 1152},
    {0, 0, 0, 30375.0 / 414720, 0, -369603.0 / 414720, 0, 765765.0 / 414720, 0, -425425.0 / 414720},
    {0, 0, 0, 0, 4465125.0 / 39813120, 0, -94121676.0 / 39813120, 0, 349922430.0 / 39813120, 0,
     -446185740.0 / 39813120, 0, 185910725.0 / 39813120},
};

double polynomialAt(const double* c, double t, bool derivative) {
    double sum = 0;
    for (int k = 12; k >= (derivative ? 1 : 0); k--) sum = sum * t + (derivative ? k * c[k] : c[k]);
    return sum;
}

void debyeIK(double nu, double x, BesselValues* out) {
    const double z = x / nu, s = std::sqrt(1 + z * z), t = 1 / s;
    // nu eta runs to some hundreds and its parts are larger still: it is
    // formed in long double (64-bit mantissa on x86), and its part below
    // the double enters as the factor 1 + low.
    const long double zl = static_cast<long double>(x) / nu;
    const long double sl = std::sqrt(1 + zl * zl);
    const long double exponent = nu * (sl + std::log(zl / (1 + sl)));
    const double nuEta = double(exponent), low = double(exponent - nuEta);
    double sumU = 0, sumUAlternating = 0, sumV = 0, sumVAlternating = 0, power = 1;
    for (int k = 0; k <= 4; k++) {
        const double u = polynomialAt(debyeU[k], t, false);
        double v = u;
        if (k > 0)
            v += t * (t * t - 1) *
                 (polynomialAt(debyeU[k - 1], t, false) / 2 +
                  t * polynomialAt(debyeU[k - 1], t, true));
        const double sign = k % 2 ? -1 : 1;
        sumU += u / power;
        sumUAlternating += sign * u / power;
        sumV += v / power;
        sumVAlternating += sign * v / power;
        power *= nu;
    }
    const double root = std::sqrt(s);
    // e^(nu eta) in two halves, so that an I near the largest double (or
    // a K near the smallest) does not overflow on the way.
    const double half = std::exp(nuEta / 2);
    const double i = half / std::sqrt(2 * pi * nu) / root * half * (1 + low);
    const double k = std::sqrt(pi / (2 * nu)) / root / half / half * (1 - low);
    const double iPrime = half / std::sqrt(2 * pi * nu) * root / z * half * (1 + low);
    const double kPrime = -std::sqrt(pi / (2 * nu)) * root / z / half / half * (1 - low);
    *out = {i * sumU, k * sumUAlternating, iPrime * sumV, kPrime * sumVAlternating};
}

BesselStatus steedIKPositive(double nu, double x, BesselValues* out);

BesselStatus besselIKPositive(double nu, double x, BesselValues* out) {
    if (std::isinf(x)) return BesselStatus::cf1Failed;
    if (hankelApplies(nu, x)) {
        largeArgumentIK(nu, x, out);
        return BesselStatus::ok;
    }
    // Beyond x = 700 the K of Steed's method underflows at the order it
    // starts from, and I overflows there.
    if (x > 700) {
        debyeIK(nu, x, out);
        return BesselStatus::ok;
    }
    if (x < 1) {
        smallArgument(nu, x, 1, &out->first, &out->firstDerivative);
        return smallArgumentSecondKind(nu, x, 1, temmeK, &out->second, &out->secondDerivative);
    }
    return steedIKPositive(nu, x, out);
}

// The analogue of Steed's method for I and K.
BesselStatus steedIKPositive(double nu, double x, BesselValues* out) {
    const double xi = 1 / x, xi2 = 2 / x;
    const int nl = int(nu + 0.5);
    const double mu = nu - nl;
    double h = nu * xi;
    if (h < tiny) h = tiny;
    double b = xi2 * nu, d = 0, c = h;
    int i = 1;
    for (; i <= maximumSteps; i++) {
        b += xi2;
        d = 1 / (b + d);
        c = b + 1 / c;
        const double del = c * d;
        h *= del;
        if (std::fabs(del - 1) < accuracy) break;
    }
    if (i > maximumSteps) return BesselStatus::cf1Failed;
    double iv = tiny, ivPrime = h * iv;
    double ivStart = iv, ivPrimeStart = ivPrime;
    double fact = nu * xi;
    for (int l = nl; l >= 1; l--) {
        const double temp = fact * iv + ivPrime;
        fact -= xi;
        ivPrime = fact * temp + iv;
        iv = temp;
        rescale(&iv, &ivPrime, &ivStart, &ivPrimeStart);
    }
    const double f = ivPrime / iv;
    double k, k1;
    const BesselStatus status = x < 2 ? temmeK(mu, x, &k, &k1) : steedK(mu, x, &k, &k1);
    if (status != BesselStatus::ok) return status;
    const double kPrime = mu * xi * k - k1;
    const double iMu = xi / (f * k - kPrime);
    out->first = iMu * ivStart / iv;
    out->firstDerivative = iMu * ivPrimeStart / iv;
    upwards(nl, mu, xi2, 1, &k, &k1);
    out->second = k;
    out->secondDerivative = std::isinf(k1) ? -k1 : std::isinf(k) ? -k : nu * xi * k - k1;
    return BesselStatus::ok;
}

// -v without making -0 of 0.
double flip(double v) { return v == 0 ? 0 : -v; }

// The orders and arguments left after the reduction, and the factors that
// carry the results back.
struct Reduction {
    double nu, x;
    bool oddOrder;    // the order was a negative odd integer
    bool negativeX;   // x was below -epsilon (integer order)
    bool oddInteger;  // the (reduced) integer order is odd
};

// Orders beyond the int range cannot be stepped through.
constexpr double largestOrder = 2147483000.0;

BesselStatus reduce(double nu, double x, double epsilon, Reduction* r) {
    if (!(std::fabs(nu) <= largestOrder)) return BesselStatus::badArguments;
    const bool integer = nu == std::trunc(nu);
    const bool odd = integer && std::fmod(std::fabs(nu), 2) == 1;
    *r = {nu, x, false, false, odd};
    if (nu < 0) {
        if (!integer) return BesselStatus::badArguments;
        r->nu = -nu;
        r->oddOrder = odd;
    }
    if (x < 0) {
        if (integer) {
            r->x = -x;
            r->negativeX = true;
        } else if (x < -epsilon) {
            return BesselStatus::badArguments;
        } else {
            r->x = 0;  // complex values just left of 0: the limits there
        }
    }
    return BesselStatus::ok;
}

// The limits at x = 0 for the order nu >= 0.
BesselValues limitsAtZero(double nu, double epsilon, double singular) {
    BesselValues v;
    v.first = nu < epsilon ? 1 : 0;
    if (nu < epsilon)
        v.firstDerivative = 0;
    else if (std::fabs(nu - 1) < epsilon)
        v.firstDerivative = 0.5;
    else
        v.firstDerivative = nu < 1 ? INFINITY : 0;
    v.second = singular;
    v.secondDerivative = -singular;
    return v;
}

using PositiveKernel = BesselStatus (*)(double nu, double x, BesselValues* out);

// J and I flip with negative x for odd orders (their derivatives for even
// ones); Y and K are complex there. `orderFlipsSecond`: Y changes sign with
// a negative odd order, K does not.
BesselStatus evaluateReduced(double nu, double x, double epsilon, PositiveKernel kernel,
                             double singular, bool orderFlips, BesselValues* out) {
    if (std::isnan(nu) || std::isnan(x)) {
        *out = {NAN, NAN, NAN, NAN};
        return BesselStatus::ok;
    }
    Reduction r;
    BesselStatus status = reduce(nu, x, epsilon, &r);
    if (status != BesselStatus::ok) return status;
    BesselValues v;
    // Only 0 itself is singular: near it the kernels hold their digits, Y
    // and K while they are representable.
    if (r.x == 0) {
        v = limitsAtZero(r.nu, epsilon, singular);
    } else {
        status = kernel(r.nu, r.x, &v);
        if (status != BesselStatus::ok) return status;
    }
    if (r.oddOrder && orderFlips)
        v = {flip(v.first), flip(v.second), flip(v.firstDerivative), flip(v.secondDerivative)};
    if (r.negativeX) {
        if (r.oddInteger)
            v.first = flip(v.first);
        else
            v.firstDerivative = flip(v.firstDerivative);
        v.second = v.secondDerivative = NAN;
    }
    *out = v;
    return BesselStatus::ok;
}

}  // namespace

BesselStatus besselJY(double nu, double x, double epsilon, BesselValues* out) {
    return evaluateReduced(nu, x, epsilon, besselJYPositive, -INFINITY, true, out);
}

BesselStatus besselIK(double nu, double x, double epsilon, BesselValues* out) {
    return evaluateReduced(nu, x, epsilon, besselIKPositive, INFINITY, false, out);
}

}  // namespace kalix
