// Distribution functions where the library's methods lose their digits or
// do not end: the regularised incomplete gamma functions P(a, x) and
// Q(a, x) = 1 - P(a, x) for large a (the library's prefactor cancels to
// nothing from a near 1e14 on, and its series no longer ends from 2^52 on)
// and Q for small a and x (the library forms 1 - P); Student's t for many
// degrees of freedom (the library sums n terms); and the incomplete beta
// function and its inverse for tiny parameters. function and its inverse for tiny parameters.
#pragma once

namespace kalix {

struct IncompleteGamma {
    double p, q;
};

// From here on Temme's uniform expansion serves where its series in eta
// converges (`temmeIncompleteGamma`).
constexpr double temmeLeastOrder = 200;

// P and Q for a >= temmeLeastOrder and x >= 0 by Temme's uniform asymptotic
// expansion, to a few units of the last place. False when x is so far from
// a that the expansion's series in eta does not hold there; the smaller of
// P and Q is then below 1e-86 (0 in double from a near 1500 on, where this
// never fails).
bool temmeIncompleteGamma(double a, double x, IncompleteGamma* result);

// Q(a, x) for 0 < a <= 1/2 and 0 <= x <= 3/2 from the series of P with
// 1 - x^a / Gamma(1 + a) formed without cancellation: relative accuracy
// for a down to the smallest doubles, where Q is about a E1(x).
double smallOrderIncompleteGammaComplement(double a, double x);

// From here on `studentTManyDegrees` serves (the library's sum over the
// degrees of freedom takes milliseconds per value, seconds at 2^31).
constexpr double studentTLeastDegrees = 1e5;

// The Student t distribution function at t for n >= studentTLeastDegrees
// degrees of freedom, by Hill's transformation to a normal deviate: within
// about 1e-14 of itself down to the smallest doubles.
double studentTManyDegrees(double t, double n);

// The incomplete beta function I_x(a, b) and its inverse where a b < 1e-300
// (the library's gamma products overflow there; it answers wrongly, and its
// inverse does not end): the distribution is then a step in the doubles,
// its mass b / (a + b) at 0 and a / (a + b) at 1 when both a and b are
// below 1e-19, else all at 0 (a the smaller) or at 1 (b the smaller), to
// within 1e-260. False outside that region (a, b > 0).
bool tinyParameterIncompleteBeta(double a, double b, double x, double* value);
bool tinyParameterInverseIncompleteBeta(double a, double b, double y, double* x);

}  // namespace kalix
