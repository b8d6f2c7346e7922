// Complex gamma by reflection and Lanczos' approximation.
#include "numerics/complex_gamma.h"

#include <cmath>

#include "numerics/polynomials.h"

namespace {

using C = Complex;

constexpr double pi = 3.141592653589793;

// Lanczos' coefficients for g = 7, nine terms.
constexpr double lanczosCoefficients[9] = {
    0.99999999999980993,  676.5203681218851,     -1259.1392167224028,
    771.32342877765313,   -176.61502916214059,   12.507343278686905,
    -0.13857109526572012, 9.9843695780195716e-6, 1.5056327351493116e-7};

C multiply(C a, C b) { return complexProduct(a, b); }

C expOf(C z) {
    const double r = std::exp(z.real());
    return {r * std::cos(z.imag()), r * std::sin(z.imag())};
}

C logOf(C z) { return {std::log(std::hypot(z.real(), z.imag())), std::atan2(z.imag(), z.real())}; }

C sinOf(C z) {
    return {std::sin(z.real()) * std::cosh(z.imag()), std::cos(z.real()) * std::sinh(z.imag())};
}

// The series A(z') of Lanczos' approximation, z' = z - 1.
C lanczosSum(C z) {
    const double xr = z.real() - 1, xi = z.imag();
    double sumRe = lanczosCoefficients[0], sumIm = 0;
    for (int k = 1; k < 9; k++) {
        const double re = xr + k;
        const double d = re * re + xi * xi;
        sumRe += lanczosCoefficients[k] * re / d;
        sumIm -= lanczosCoefficients[k] * xi / d;
    }
    return {sumRe, sumIm};
}

// Gamma(z) for Re z >= 1/2: sqrt(2 pi) t^(z' + 1/2) e^-t A(z') with
// z' = z - 1 and t = z' + 7.5; power and exponential taken together.
C lanczos(C z) {
    const double xr = z.real() - 1, xi = z.imag();
    const C t = {xr + 7.5, xi};
    const C power = multiply({xr + 0.5, xi}, logOf(t));
    const C value = multiply(expOf(power - t), lanczosSum(z));
    return std::sqrt(2 * pi) * value;
}

// log Gamma(z) for Re z >= 1/2 (a branch of it), where Gamma(z) itself
// overflows.
C lanczosLog(C z) {
    const double xr = z.real() - 1, xi = z.imag();
    const C t = {xr + 7.5, xi};
    const C power = multiply({xr + 0.5, xi}, logOf(t));
    return power - t + logOf(lanczosSum(z)) + 0.5 * std::log(2 * pi);
}

// sin(pi z) with the real part first reduced by an even integer (exactly),
// so that the product by pi loses nothing far from 0.
C sinPi(C z) {
    double re = z.real();
    if (std::fabs(re) < 4503599627370496.0) re -= 2 * std::nearbyint(re / 2);
    return sinOf({pi * re, pi * z.imag()});
}

}  // namespace

Complex gammaComplex(Complex z, double epsilon, double (*realGamma)(double)) {
    const double re = z.real(), im = z.imag();
    if (std::fabs(im) < epsilon) {
        if (re <= 0 && std::fabs(std::trunc(re) - re) < epsilon) return {NAN, 0};
        return {realGamma(re), 0};
    }
    if (re < 0.5) {
        // Gamma(z) = pi / (sin(pi z) Gamma(1 - z)); a scaled quotient, since
        // |sin(pi z) Gamma(1 - z)|^2 overflows from Re z near -98, and
        // logarithms where Gamma(1 - z) overflows itself.
        const C s = sinPi(z);
        const C g = gammaComplex({1 - re, -im}, epsilon, realGamma);
        C q;
        if (std::isfinite(g.real()) && std::isfinite(g.imag())) {
            if (!scaledComplexQuotient(pi, multiply(g, s), &q)) return {NAN, NAN};
            return q;
        }
        if (!scaledComplexQuotient(pi, s, &q)) return {NAN, NAN};
        return expOf(logOf(q) - lanczosLog({1 - re, -im}));
    }
    return lanczos(z);
}
