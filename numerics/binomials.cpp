#include "numerics/binomials.h"

#include <algorithm>
#include <cmath>

namespace kalix {

namespace {

// For whole n >= k the smaller of k and n - k gives the same coefficient in
// fewer steps (bin(10^12, 10^12) would otherwise take 10^12 of them).
double smallerSide(double n, double k) {
    if (std::isfinite(n) && n == std::trunc(n) && k == std::trunc(k) && n - k >= 0 && n - k < k)
        return n - k;
    return k;
}

// The Stirling series of log Gamma(z) beyond its leading terms, for z >= 30
// (the first term left out is below 1e-16 there).
double stirlingTail(double z) {
    double w = 1 / (z * z);
    return (1.0 / 12 - w * (1.0 / 360 - w * (1.0 / 1260 - w / 1680))) / z;
}

// log Gamma(v + d) - log Gamma(v) for v > 0 and v + d > 0, with d given
// exactly (not as the difference of two rounded arguments). For large
// arguments the difference of the Stirling series keeps the digits that two
// lgamma values would cancel.
double logGammaStep(double v, double d) {
    double u = v + d;
    if (u < 30 || v < 30) return std::lgamma(u) - std::lgamma(v);
    return d * std::log(u) + (v - 0.5) * std::log1p(d / v) - d + stirlingTail(u) - stirlingTail(v);
}

// log |(x+1)(x+2)...(x+K) / K!| for x = n - k, K = count, and whether the
// product is negative; no factor is 0. The product is a quotient of gamma
// values (one for the factors below 0, one for those above); the largest
// argument is reached from the next largest by a step formed from n and k
// directly, since x itself has lost the fraction of a small n next to a
// large k.
double logAbsBinomial(double n, double k, double count, bool* negative) {
    const double x = n - k, fraction = k - count;  // k = count + fraction
    const double last = count + 1;
    if (x > -1) {
        *negative = false;
        double first = (n + 1) - k;  // x + 1
        if (first >= last) return logGammaStep(first, count) - std::lgamma(last);
        return logGammaStep(last, x) - std::lgamma(first);
    }
    double m = std::min(count, std::ceil(-x) - 1);  // factors below 0
    *negative = std::fmod(m, 2) != 0;
    double beyond = (fraction - 1) - n;  // -x - (K + 1)
    if (m == count) {
        double lowest = fraction - n;  // -(x + K)
        if (lowest >= last) return logGammaStep(lowest, count) - std::lgamma(last);
        return logGammaStep(last, beyond) - std::lgamma(lowest);
    }
    // Factors on both sides of 0: Gamma(-x) Gamma(x+K+1) / (K! Gamma(-x-m)
    // Gamma(x+m+1)), the last two of arguments in (0, 1).
    double below = k - n, above = (n + 1) - fraction;  // -x, x + K + 1
    double lastBelow = (k - m) - n, firstAbove = (n + 1) - (k - m);
    double large = below >= above ? logGammaStep(last, beyond) + std::lgamma(above)
                                  : logGammaStep(last, x) + std::lgamma(below);
    return large - std::lgamma(lastBelow) - std::lgamma(firstAbove);
}

double binomialByLogGamma(double n, double k, double count) {
    bool negative;
    double r = std::exp(logAbsBinomial(n, k, count, &negative));
    return negative ? -r : r;
}

}  // namespace

double binomialCoefficient(double n, double k) {
    if (k <= 0) return 1;
    if (!std::isfinite(k) || std::isnan(n)) return NAN;
    // A negative whole n: bin(n, k) = (-1)^k bin(k - n - 1, k), whose
    // shorter side has -n - 1 factors.
    if (n < 0 && n == std::trunc(n) && k == std::trunc(k) && k - n - 1 < 0x1p53) {
        double c = binomialCoefficient(k - n - 1, k);
        return std::fmod(k, 2) != 0 ? -c : c;
    }
    k = smallerSide(n, k);
    if (k == 0) return 1;
    const double count = std::max(1.0, std::floor(k));
    if (std::isinf(n)) return n > 0 || std::fmod(count, 2) == 0 ? INFINITY : -INFINITY;
    const double x = n - k;
    // A factor x + i = 0: the product is 0, with the sign of the factors
    // before it.
    if (x == std::trunc(x) && x <= -1 && x >= -count) return std::fmod(-x - 1, 2) != 0 ? -0.0 : 0.0;
    if (count <= binomialStepLimit) {
        double c = x + 1;
        for (double i = 2; i <= k; i++) {
            c *= x + i;
            c /= i;
            if (std::isinf(c)) return binomialByLogGamma(n, k, count);
        }
        return c;
    }
    return binomialByLogGamma(n, k, count);
}

double logBinomialCoefficient(double n, double k) {
    n = std::trunc(n);
    k = std::trunc(k);
    if (k <= 0) return 0;
    if (!std::isfinite(k) || std::isnan(n)) return NAN;
    k = smallerSide(n, k);
    if (k == 0) return 0;
    const double first = n - k + 1;
    if (k <= binomialStepLimit) {
        double sum = std::log(first);
        for (double i = 2; i <= k; i++) sum += std::log(first + i - 1) - std::log(i);
        return sum;
    }
    // The sum is log Gamma(a + k) - log Gamma(a) - log Gamma(k + 1); a
    // negative first term makes it NaN, a zero one -inf.
    if (first < 0) return NAN;
    if (first == 0) return -INFINITY;
    if (std::isinf(first)) return first;
    if (first >= k + 1) return logGammaStep(first, k) - std::lgamma(k + 1);
    return logGammaStep(k + 1, first - 1) - std::lgamma(first);
}

}  // namespace kalix
