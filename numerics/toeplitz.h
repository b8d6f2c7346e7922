// Toeplitz matrices: an n x n matrix given by the 2n - 1 values of its
// diagonals, T(i, j) = t[n - 1 + j - i] (0-based): t[n - 1] is the main
// diagonal, the values after it the diagonals to its right (the first row
// is t[n - 1] .. t[2n - 2]), the values before it those below.
#pragma once

namespace kalix {

// Writes the n x n row-major matrix of `t`.
void buildToeplitz(const double* t, int n, double* matrix);

enum class ToeplitzStatus {
    ok,
    singular,  // a leading principal minor is singular
    noMemory,
};

// Solves T x = b (b and x of n values) by the Levinson recursion for
// general Toeplitz matrices, O(n^2). Every leading principal minor must be
// regular: a pivot below `epsilon` in magnitude is `singular`.
ToeplitzStatus solveToeplitz(const double* t, int n, const double* b, double* x, double epsilon);

}  // namespace kalix
