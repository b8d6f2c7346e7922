// Dense linear algebra of the LSODA chord iteration: LU factorisation with
// partial pivoting and its solve, and the small vector kernels they use.
// Vectors are 1-based (element 0 left free); a matrix is an array of n
// pointers to 1-based rows (a[i][j] = row i, column j). Strides follow the
// level-1 BLAS: a negative stride starts at element (1 - n) * inc + 1.
#pragma once

namespace kalix {

// a overwritten by the factors, piv the pivot columns; *info 0, or the
// index of the last zero pivot met (the elimination still runs to the end).
void factorMatrix(double** a, int n, int* piv, int* info);
// b := the solution of M x = b (job 0) or of the transposed system (any
// other job), with a and piv from factorMatrix.
void solveFactored(double** a, int n, const int* piv, double* b, int job);

// y += a * x
void scaledAdd(int n, double a, const double* x, int incx, double* y, int incy);
// The sum of x_i * y_i in index order.
double dotProduct(int n, const double* x, int incx, const double* y, int incy);
// x *= a
void scaleVector(int n, double a, double* x, int incx);
// The 1-based index of the first element of largest absolute value.
int indexOfMaxAbs(int n, const double* x, int incx);
// max over i of w_i * sum over j of |a[i][j]| / w_j.
double weightedMatrixNorm(int n, double** a, const double* w);

}  // namespace kalix
