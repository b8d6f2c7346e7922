// Reduction of a square matrix to upper Hessenberg form by stabilised
// elementary similarity transformations, and the characteristic polynomial
// computed from that form. Row-major n x n arrays of doubles, or of (re, im)
// pairs for the complex twins.
#pragma once

namespace kalix {

// Reduces `a` in place. Exchanges are recorded in `order` (n entries,
// 0-based) and never move data: the Hessenberg form is H(i, j) =
// a(order[i], order[j]). Below the subdiagonal (in that order) the matrix
// keeps the negated multipliers. A column whose candidates are all below
// `epsilon` in magnitude is left as it is.
void reduceHessenbergReal(double* a, int n, double epsilon, int* order);
void reduceHessenbergComplex(double* a, int n, double epsilon, int* order);

// The coefficients of det(xI - A), constant term first, into the n + 1
// entries of `coefficients` (the last is 1). Destroys `a`. False when the
// work array could not be allocated.
bool computeCharpolyReal(double* a, int n, double epsilon, double* coefficients);
bool computeCharpolyComplex(double* a, int n, double epsilon, double* coefficients);

}  // namespace kalix
