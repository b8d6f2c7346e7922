// Linear programming by the simplex method on a dense tableau, with
// smallest-index rules against cycling and every test against a tolerance.
#pragma once

#include <cstddef>

namespace kalix {

struct LinearProgram {
    int m = 0, n = 0;           // constraints, variables
    const double* a = nullptr;  // m x n, row by row
    const double* b = nullptr;  // m right-hand sides
    const double* c = nullptr;  // n objective coefficients
    // Per row: -1 A x <= b, 0 A x = b, +1 A x >= b; per column: +1 x >= 0,
    // -1 x <= 0, 0 free. A list of one entry holds for every row (column);
    // null means the default (-1 for rows, +1 for columns). Values within
    // epsilon of 0 count as 0.
    const double* equationFlags = nullptr;
    int equationCount = 0;
    const double* restrictionFlags = nullptr;
    int restrictionCount = 0;
    double direction = -1;  // -1 minimise c x, +1 maximise, 0 any feasible point
    double epsilon = 0;
    bool (*interrupted)(void* context) = nullptr;  // polled after each exchange step
    void* context = nullptr;
};

enum SimplexResult {
    simplexInfeasible = -1,
    simplexOptimal = 0,
    simplexUnbounded = 1,
    simplexInterrupted = 2,
};

// Bytes of work space for an m x n program.
size_t simplexWorkspaceBytes(int m, int n);

// Solves the program in `workspace` (simplexWorkspaceBytes, 8-aligned).
// x receives n values (0 for non-basic variables; left 0 when the program
// is infeasible or found unbounded before the optimisation), marks m values:
// 1 where the constraint's slack ended non-basic in an unlocked column.
SimplexResult solveLinearProgram(const LinearProgram& program, void* workspace, double* x,
                                 double* marks);

}  // namespace kalix
