// Recursive digital filters and two-dimensional folds on plain data.
// Complex data are (re, im) pairs.
#pragma once

namespace kalix {

// The filter output r(l), l = 0 .. nx - nb, for the data point x(l + nb - 1):
//   s = sum over p = 0 .. nb-1 of b(p) x(nb - 1 + l - p), by increasing p,
//   s = s - w(l - k) a(k) for k = 1 .. na-1, w(t) = r(t) for t >= 0 and the
//       start value y(ny + t) for t < 0,
//   r(l) = s / a(0).
// Needs 1 <= nb < nx, na >= 1, ny >= na - 1 and a(0) != 0.
void filterReal(const double* b, int nb, const double* a, int na, const double* x, int nx,
                const double* y, int ny, double* r);
// The same in complex arithmetic; s / a(0) is s conj(a(0)) / |a(0)|^2.
void filterComplex(const double* b, int nb, const double* a, int na, const double* x, int nx,
                   const double* y, int ny, double* r);

// out(i, j) = sum over k (outer), l (inner) of A(i + k, j + l) B(k, l), for
// every place where B lies wholly inside A: out has (ra - rb + 1) x
// (ca - cb + 1) elements. B is neither mirrored nor conjugated.
void foldReal(const double* a, int ra, int ca, const double* b, int rb, int cb, double* out);
// Complex A with real B: each part of A's element times B's element.
void foldComplexReal(const double* a, int ra, int ca, const double* b, int rb, int cb, double* out);
void foldComplex(const double* a, int ra, int ca, const double* b, int rb, int cb, double* out);

}  // namespace kalix
