// Eigenvalues of a real symmetric matrix by cyclic Jacobi rotations.
#pragma once

#include "numerics/vector_width.h"

namespace kalix {

enum class JacobiStatus {
    ok,
    noConvergence,  // the sweep limit was reached
    interrupted,    // `interrupted` answered true
};

// Rotates the symmetric n x n row-major `a` towards diagonal form, sweep by
// sweep over the pairs (p, q), p < q, until the largest off-diagonal value
// met in a sweep is below `epsilon` times the Frobenius norm of the matrix
// (taken without overflow for entries up to the largest double);
// pairs already below that bound are not rotated. The eigenvalues are the
// diagonal in its own order (not sorted), written to `eigenvalues`.
// `interrupted` (may be null) is polled once per row of a sweep.
JacobiStatus jacobiEigenvalues(double* a, int n, double epsilon, int maxSweeps,
                               bool (*interrupted)(), double* eigenvalues);

// The same with the sweep compiled for `width` vectors, which the processor
// must have; every width gives the same bits (tests run each of them).
JacobiStatus jacobiEigenvalues(double* a, int n, double epsilon, int maxSweeps,
                               bool (*interrupted)(), double* eigenvalues, VectorWidth width);

// Whether the n x n row-major `a` is symmetric within `epsilon` times its
// Frobenius norm: |a[i][j] - a[j][i]| never exceeds that bound (the bound
// of the rotations above, so rounding in a computed symmetric matrix
// passes, a matrix that is not symmetric does not).
bool isSymmetricWithin(const double* a, int n, double epsilon);

}  // namespace kalix
