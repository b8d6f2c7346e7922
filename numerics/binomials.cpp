#include "numerics/binomials.h"

#include <algorithm>
#include <cmath>

namespace {

// For whole n >= k the smaller of k and n - k gives the same coefficient in
// fewer steps (bin(10^12, 10^12) would otherwise take 10^12 of them).
double smallerSide(double n, double k) {
    if (std::isfinite(n) && n == std::trunc(n) && k == std::trunc(k) && n - k >= 0 && n - k < k)
        return n - k;
    return k;
}

// log Gamma(a + n) - log Gamma(a) for a > 0. For a large a the two terms
// agree in most digits: the difference of their Stirling series keeps them.
double logGammaRatio(double a, double n) {
    if (n == 0) return 0;
    if (a < 1e7) return std::lgamma(a + n) - std::lgamma(a);
    double b = a + n;
    return (a - 0.5) * std::log1p(n / a) + n * (std::log(b) - 1) + (1 / b - 1 / a) / 12;
}

// log |(x+1)(x+2)...(x+K)| and whether the product is negative; no factor
// is 0. The m factors below 0 and the ones above are gamma ratios each.
double logAbsProduct(double x, double count, bool* negative) {
    double m = x < -1 ? std::min(count, std::ceil(-x) - 1) : 0;
    double sum = 0;
    if (m > 0) sum += logGammaRatio(-x - m, m);
    if (m < count) sum += logGammaRatio(x + m + 1, count - m);
    *negative = std::fmod(m, 2) != 0;
    return sum;
}

double binomialByLogGamma(double x, double count) {
    bool negative;
    double r = std::exp(logAbsProduct(x, count, &negative) - std::lgamma(count + 1));
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
            if (std::isinf(c)) return binomialByLogGamma(x, count);
        }
        return c;
    }
    return binomialByLogGamma(x, count);
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
    return logGammaRatio(first, k) - std::lgamma(k + 1);
}
