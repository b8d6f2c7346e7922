// Matrix products that skip zero factors: a term a(i, k) b(k, j) is added
// only when both factors are non-zero (a complex factor is zero when both
// parts are; NaN counts as non-zero), so zeros cost nothing and an
// infinite entry times a zero contributes nothing. Row-major arrays of
// doubles, or of (re, im) pairs for the complex twins.
#pragma once

namespace kalix {

// c (n x m) = a (n x k) times b (k x m).
void multiplySkippingZerosReal(const double* a, int n, int k, const double* b, int m, double* c);
void multiplySkippingZerosComplex(const double* a, int n, int k, const double* b, int m, double* c);

// The same for a square result (n x n, b being k x n): only the entries on
// and above the diagonal are computed; each is mirrored below it (complex:
// conjugated), as for a product such as A A'.
void multiplySymmetricReal(const double* a, int n, int k, const double* b, double* c);
void multiplySymmetricComplex(const double* a, int n, int k, const double* b, double* c);

}  // namespace kalix
