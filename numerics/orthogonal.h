// Orthogonal reductions: Givens rotations of row pairs, the Givens QR-type
// reduction carried along on a second matrix, and classical Gram-Schmidt
// on the columns of a matrix. Row-major arrays of doubles (Gram-Schmidt
// also of (re, im) pairs).
#pragma once

namespace kalix {

// Rotates rows x and y of the row-major matrix with `columns` columns, from
// column `from` on: each pair (a, b) of row x and row y becomes
// (a c - b s, a s + b c).
void rotateRows(double* a, int columns, int from, int x, int y, double c, double s);

// The rotation of rows x and y of `a` (n x m) that zeroes a(y, j), applied
// to all columns of `a` and of `b` (n x p): c = -u / d, s = v / d for
// u = a(x, j), v = a(y, j), d = sqrt(u^2 + v^2); a(x, j) becomes exactly -d
// and a(y, j) exactly 0. Nothing happens when d is 0.
void givensRotate(double* a, int m, double* b, int p, int j, int x, int y);

// Reduces r (n x m) to echelon form by rotations, carried along on q
// (n x p). Column by column, every row below the current pivot row is
// rotated into it (as givensRotate does) when the pair's norm exceeds
// `epsilon`; flags[j] (m
// entries) is 1 when column j holds a pivot above `epsilon`.
void givensReduce(double* r, int n, int m, double* q, int p, double epsilon, double* flags);

// Classical Gram-Schmidt on the columns of the rows x columns matrix a:
// each column of q is a's column less its projections on the accepted
// earlier columns of q (taken against a's own column), divided by its norm
// when that exceeds `epsilon` (flag 1); otherwise the flag is 0 and the
// remainder stays. Once `rows` columns are accepted, later columns are 0.
void gramSchmidtReal(const double* a, int rows, int columns, double epsilon, double* q,
                     double* flags);
void gramSchmidtComplex(const double* a, int rows, int columns, double epsilon, double* q,
                        double* flags);

}  // namespace kalix
