// Singular value decomposition by Householder bidiagonalisation and
// implicitly shifted QR steps (the Golub-Reinsch method).
#pragma once

namespace kalix {

enum class SvdStatus {
    ok,
    noConvergence,  // a singular value did not converge in 30 passes
    noMemory,
};

// On entry `u` holds the m x n row-major matrix A; on return U (m x n), the
// n singular values in `w` (non-negative, not sorted) and V (n x n,
// row-major in `v`), with A = U diag(w) V'.
SvdStatus singularValueDecomposition(double* u, int m, int n, double* w, double* v);

}  // namespace kalix
