// The gamma function of a complex argument.
#pragma once

#include "numerics/polynomials.h"

namespace kalix {

// Gamma(z). On the real axis (imaginary part 0) the real gamma `realGamma`
// serves (a pole there gives NaN + 0i); left of 1/2 the reflection
// Gamma(z) = pi / (sin(pi z) Gamma(1 - z)); else Stirling's series after a
// shift of the argument. Within a few units of the last place wherever the
// value is a normal double.
Complex gammaComplex(Complex z, double (*realGamma)(double));

}  // namespace kalix
