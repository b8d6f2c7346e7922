// The gamma function of a complex argument.
#pragma once

#include "numerics/polynomials.h"

// Gamma(z). Within epsilon of the real axis the real gamma `realGamma`
// serves (a pole there gives NaN + 0i); left of 1/2 the reflection
// Gamma(z) = pi / (sin(pi z) Gamma(1 - z)); else Lanczos' approximation
// with g = 7 and nine terms.
Complex gammaComplex(Complex z, double epsilon, double (*realGamma)(double));
