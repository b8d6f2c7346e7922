// The operator "\" and the steps of square linear systems.
#include "interpreter/linear_systems.h"

#include <vector>

#include "interpreter/arithmetic.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/state.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

// Reports a failed solve; true when there was one.
bool reportSolveStatus(SolveStatus status) {
    switch (status) {
        case SolveStatus::ok:
            return false;
        case SolveStatus::singular:
            fail(errorSingular, "Determinant zero!\n");
            return true;
        case SolveStatus::noMemory:
            reportOutOfMemory();
            return true;
        case SolveStatus::noLibrary:
            fail(errorFailed, "Could not open LAPACK: %s\n", lapackError());
            return true;
    }
    return true;
}

SolveStatus solveSystemRealWithEpsilon(const double* a, int n, const double* b, int m, double* x) {
    return solveSystemReal(a, n, b, m, x, currentEpsilon);
}

SolveStatus solveSystemComplexWithEpsilon(const double* a, int n, const double* b, int m,
                                          double* x) {
    return solveSystemComplex(a, n, b, m, x, currentEpsilon);
}

}  // namespace

bool readLinearSystem(header* a, header* b, LinearSystem* s) {
    if (!readNumericMatrix(a, &s->a) || !readNumericMatrix(b, &s->b)) return false;
    s->complex = s->a.complex || s->b.complex;
    return s->a.rows > 0 && s->a.rows == s->a.columns && s->b.rows == s->a.rows;
}

void solveInto(header* first, const LinearSystem& s, LinearSolver realSolver,
               LinearSolver complexSolver) {
    const int n = s.a.rows, m = s.b.columns;
    std::vector<double> a, b;
    const double *aData = s.a.data, *bData = s.b.data;
    if (s.complex && !(s.a.complex && s.b.complex)) {
        a = complexElements(s.a);
        b = complexElements(s.b);
        aData = a.data();
        bData = b.data();
    }
    header* x = pushNumericMatrix(s.complex, n, m);
    if (!x) return;
    const SolveStatus status =
        (s.complex ? complexSolver : realSolver)(aData, n, bData, m, matrixData(x));
    if (!reportSolveStatus(status)) moveResult(first, x);
}

void solveLeftDivision(header* first) {
    if (errorCode) return;
    header* a = first;
    header* b = nextValue(first);
    if (!b) {
        reportNeed(linearSystemShape, "\\");
        return;
    }
    convertToCommonKind(&a, &b);
    if (errorCode) return;
    LinearSystem s;
    if (!readLinearSystem(a, b, &s)) {
        reportNeed(linearSystemShape, "\\");
        return;
    }
    solveInto(first, s, solveSystemRealWithEpsilon, solveSystemComplexWithEpsilon);
}

}  // namespace kalix
