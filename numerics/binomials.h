// Binomial coefficients of real arguments in a bounded number of steps.
#pragma once

namespace kalix {

// Products of more factors than this come from log-gamma.
constexpr double binomialStepLimit = 10000;

// bin(n, k): 1 for k <= 0; otherwise (n-k+1)(n-k+2)...(n-k+K) / K!, K the
// integer part of k (at least 1); for whole n >= k the smaller of k and
// n - k. Up to binomialStepLimit factors the product is formed a step at a
// time (multiply, then divide); a longer one, or one that overflows on the
// way, comes from log-gamma. A factor 0 gives 0.
double binomialCoefficient(double n, double k);

// logbin(n, k), n and k truncated: 0 for k <= 0; otherwise the sum of
// log(a + i - 1) - log i for i = 1 .. k with a = n - k + 1 (the first term
// without log 1): NaN when a < 0, -inf when a = 0.
double logBinomialCoefficient(double n, double k);

}  // namespace kalix
