// Dense linear systems: the rank-revealing LU decomposition in place, the
// triangular solves with an LU matrix in pivot order, and the solver of
// A x = b. Matrices are row-major arrays of doubles, or of (re, im) pairs
// for the complex twins; the routines keep no state between calls.
#pragma once

namespace kalix {

enum class SolveStatus {
    ok,
    singular,   // no unique solution ("Determinant zero!")
    noMemory,   // the work arrays could not be allocated
    noLibrary,  // LAPACK could not be opened (lapackError says why)
};

// Why LAPACK (opened on first use) could not be opened.
const char* lapackError();

struct LuResult {
    int rank = 0;                    // number of pivots found
    double determinant[2] = {0, 0};  // (re, im); im stays 0 for real matrices
};

// Gaussian elimination with partial pivoting, column by column, in place on
// the rows x columns matrix `a`. Rows are exchanged only in `permutation`
// (rows entries: entry i is the stored row holding the i-th pivot row), so
// the stored rows keep their places; taken in the permutation's order they
// hold the multipliers of a unit lower triangle and the upper triangle. A
// column whose best candidate is below `epsilon` in magnitude is skipped
// (flag 0 in `pivotColumns`, columns entries). The determinant is the
// product of the pivots with the sign of the exchanges, 0 unless every row
// and column received a pivot.
LuResult decomposeLuReal(double* a, int rows, int columns, double epsilon, int* permutation,
                         int* pivotColumns);
LuResult decomposeLuComplex(double* a, int rows, int columns, double epsilon, int* permutation,
                            int* pivotColumns);

// Solves L U x = b for the n x n matrix `lu` holding L below the diagonal
// (unit diagonal implied) and U on and above it, rows in pivot order, and
// the n x m right-hand side b; no pivoting. A zero on U's diagonal is
// `singular`.
SolveStatus solveLuReal(const double* lu, int n, const double* b, int m, double* x);
SolveStatus solveLuComplex(const double* lu, int n, const double* b, int m, double* x);

// Solves A x = b for the n x n matrix A and the n x m right-hand side b
// (A and b unchanged). The rows are scaled by powers of two to unit size,
// then factored with partial pivoting, which pivots as scaled row pivoting
// does. The system is `singular` when a row is zero or a pivot is below
// `epsilon` relative to the scaled matrix.
SolveStatus solveSystemReal(const double* a, int n, const double* b, int m, double* x,
                            double epsilon);
SolveStatus solveSystemComplex(const double* a, int n, const double* b, int m, double* x,
                               double epsilon);

}  // namespace kalix
