// Square linear systems A x = b of real or complex values: the operator
// "\" and the steps it shares with the builtin `lusolve`.
#pragma once

#include "interpreter/matrix_views.h"
#include "numerics/lu.h"

namespace kalix {

// The shape both take, for their "Need ... for" messages.
constexpr const char* linearSystemShape = "nxn matrix A, nxm matrix or vector b";

// A system with A square with n > 0 rows and b with n rows. Either may be
// real when the other is complex; both are then taken as complex.
struct LinearSystem {
    NumericMatrix a, b;
    bool complex = false;
};
// False (nothing printed) when the values do not form such a system.
bool readLinearSystem(header* a, header* b, LinearSystem* s);

// A solver of n x n A and n x m b into x, on real or (re, im) pairs.
using LinearSolver = SolveStatus (*)(const double* a, int n, const double* b, int m, double* x);

// Pushes x and solves with the real or the complex solver (by the system's
// kind); the result replaces `first`. A singular system prints
// "Determinant zero!" (131), no work space "Out of Memory!" (120).
void solveInto(header* first, const LinearSystem& s, LinearSolver realSolver,
               LinearSolver complexSolver);

// A \ b: the solution x of A x = b for a square real or complex A and b
// with as many rows, over `first` (b is the record after it).
void solveLeftDivision(header* first);

}  // namespace kalix
