// Complex gamma by reflection and Stirling's series.
#include "numerics/complex_gamma.h"

#include <cmath>
#include <cstdint>

#include "numerics/polynomials.h"

namespace kalix {

namespace {

// The work is done in long double (64-bit mantissa and a wide exponent on
// x86): log Gamma reaches about 1000 near the end of the double range, where
// a double would lose 1e-13 of the value, and neither Gamma(1 - z) nor the
// reflection's quotient then overflows or underflows before the result is
// rounded to double.
using Real = long double;

struct Wide {
    Real re, im;
};

Wide operator*(Wide a, Wide b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }

// a / b by Smith's quotient, which forms no square of b.
Wide operator/(Wide a, Wide b) {
    if (std::fabs(b.re) >= std::fabs(b.im)) {
        const Real r = b.im / b.re, d = b.re + b.im * r;
        return {(a.re + a.im * r) / d, (a.im - a.re * r) / d};
    }
    const Real r = b.re / b.im, d = b.re * r + b.im;
    return {(a.re * r + a.im) / d, (a.im * r - a.re) / d};
}

constexpr Real pi = 3.141592653589793238462643383279502884L;

// exp(z). The phase is reduced to the nearest multiple of pi/2 in long
// double before its sine and cosine are taken in double (long double sine
// and cosine are slow): a phase of thousands of radians keeps its digits,
// and so does a part far smaller than the modulus (a phase near a multiple
// of pi/2, as next to the real axis).
Wide expOf(Wide z) {
    // Beyond 2^62 quarter turns the phase has no digits left anyway.
    const double quarters =
        std::fmax(-0x1p62, std::fmin(0x1p62, std::nearbyint(double(z.im / (pi / 2)))));
    const double phase = double(z.im - Real(quarters) * (pi / 2));
    const Real r = std::exp(z.re), c = r * std::cos(phase), s = r * std::sin(phase);
    switch (int64_t(quarters) & 3) {
        case 0:
            return {c, s};
        case 1:
            return {-s, c};
        case 2:
            return {-c, -s};
        default:
            return {s, -c};
    }
}

// B_2k / (2k (2k - 1)) for k = 1 .. 8: Stirling's series.
constexpr Real stirlingSeries[8] = {1.0L / 12,   -1.0L / 360,      1.0L / 1260, -1.0L / 1680,
                                    1.0L / 1188, -691.0L / 360360, 1.0L / 156,  -3617.0L / 122400};

Wide logOf(Wide z) { return {0.5L * std::log(z.re * z.re + z.im * z.im), std::atan2(z.im, z.re)}; }

// log Gamma(w) (a branch of it) for Re w >= 1/2: Stirling's series after
// Gamma(w) = Gamma(w + n) / (w (w + 1) ... (w + n - 1)) has moved the
// argument to |w + n| >= 10, where eight terms leave less than 2e-18.
// (Lanczos' approximation with nine terms, accurate near the real axis,
// keeps an error of 2e-13 for large |w|.) Everything stays a logarithm until
// the one exponential at the end, so that a part of the value far smaller
// than its modulus (its phase near a multiple of pi/2) keeps its digits.
Wide logGammaRightHalf(Real re, Real im) {
    Wide divisor = {1, 0};
    if (std::fabs(im) < 10 && re < 10) {
        const int shift = int(std::ceil(std::sqrt(100 - im * im) - re));
        for (int k = 0; k < shift; k++) divisor = divisor * Wide{re + k, im};
        if (shift > 0) re += shift;
    }
    const Wide inverse = Wide{1, 0} / Wide{re, im}, u = inverse * inverse;
    Wide sum = {stirlingSeries[7], 0};
    for (int k = 6; k >= 0; k--) {
        sum = sum * u;
        sum.re += stirlingSeries[k];
    }
    sum = sum * inverse;
    // (w - 1/2) log w - w + log(2 pi) / 2 + the series - log(divisor).
    const Wide power = Wide{re - 0.5L, im} * logOf({re, im});
    const Wide logDivisor = logOf(divisor);
    return {power.re - re + 0.5L * std::log(2 * pi) + sum.re - logDivisor.re,
            power.im - im + sum.im - logDivisor.im};
}

// sin(pi z) = (-1)^n sin(pi (z - n)) with n the integer nearest to Re z:
// the reduction is exact, so that next to the poles (the integers) the
// small distance to them is not lost in the product by pi.
Wide sinPi(double re, double im) {
    bool odd;
    if (std::fabs(re) < 4503599627370496.0) {  // 2^52; larger doubles are integers
        const double n = std::nearbyint(re);
        re -= n;
        odd = std::fmod(n, 2) != 0;
    } else {
        odd = std::fmod(re, 2) != 0;
        re = 0;
    }
    // sin and cos of pi re for |re| <= 1/2 in double, cos(pi re) as
    // sin(pi (1/2 - |re|)) near 1/2 so that it vanishes there; cosh and sinh
    // of pi im from one expm1 in long double, where pi im keeps its digits
    // (and stays normal when im is a subnormal double).
    const double x = 3.141592653589793 * re;
    const double cosine =
        std::fabs(re) < 0.25 ? std::cos(x) : std::sin(3.141592653589793 * (0.5 - std::fabs(re)));
    const Real y = std::fabs(pi * Real(im)), e = std::expm1(y);
    const Real ch = 1 + e * e / (2 * (1 + e));
    Real sh = e * (2 + e) / (2 * (1 + e));
    if (im < 0) sh = -sh;
    const Real sr = std::sin(x) * ch, si = cosine * sh;
    return odd ? Wide{-sr, -si} : Wide{sr, si};
}

}  // namespace

Complex gammaComplex(Complex z, double (*realGamma)(double)) {
    const double re = z.real(), im = z.imag();
    if (std::isnan(re) || std::isnan(im)) return {NAN, NAN};
    // Only the real axis itself is real: however small, the imaginary part
    // carries the value's (near a pole the value's whole size).
    if (im == 0) {
        if (re <= 0 && std::trunc(re) == re) return {NAN, 0};
        return {realGamma(re), 0};
    }
    if (re >= 0.5) {
        const Wide g = expOf(logGammaRightHalf(re, im));
        return {double(g.re), double(g.im)};
    }
    // Gamma(z) = pi / (sin(pi z) Gamma(1 - z)), as (pi / Gamma(1 - z)) /
    // sin(pi z); 1 - z is exact in long double. sin(pi z) overflows only
    // where Gamma(z) is far below the smallest double.
    const Wide s = sinPi(re, im);
    if (!std::isfinite(s.re) || !std::isfinite(s.im)) return {0, 0};
    const Wide reflected = logGammaRightHalf(1 - Real(re), -Real(im));
    const Wide g = expOf({std::log(pi) - reflected.re, -reflected.im}) / s;
    return {double(g.re), double(g.im)};
}

}  // namespace kalix
