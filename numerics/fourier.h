// Fourier and Hartley transforms through FFTW. Plans are made once per
// shape, direction and memory layout and kept for the life of the process;
// every transform is unscaled. Complex data are (re, im) pairs.
#pragma once

namespace kalix {

// y_j = sum over k of x_k exp(sign 2 pi i j k / n) for the n complex values
// at `in` into `out` (which may be `in`). False when no plan could be made.
bool fourierTransform(const double* in, double* out, int n, int sign);

// The same for n real values at `in`; `out` receives the n complex values.
bool fourierTransformReal(const double* in, double* out, int n, int sign);

// The two-dimensional transform of a rows x columns row-major array of
// complex values, with exp(sign 2 pi i (j k / rows + m l / columns)).
bool fourierTransform2d(const double* in, double* out, int rows, int columns, int sign);

// y_j = sum over k of x_k cas(2 pi j k / n), cas = cos + sin, in place.
bool hartleyTransform(double* data, int n);

}  // namespace kalix
