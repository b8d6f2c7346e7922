// Distributions and special functions through ALGLIB.
#pragma once

namespace kalix {

// The real gamma function (ALGLIB's); a failure gives NaN and error 1
// unless errors are off.
double gammaReal(double x);

}  // namespace kalix
