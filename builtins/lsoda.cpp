// The builtin lsoda(f, x, y0, eps, warn, restart, ...): y' = f(t, y) for a
// user function f, solved at every point of x with automatic switching
// between the Adams (nonstiff) and BDF (stiff) methods. Each call has its
// own solver state and work space, taken once for the whole call, so f may
// itself call lsoda.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/function_evaluation.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/lsoda.h"
#include "platform/host.h"

namespace kalix {

namespace {

// Consecutive illegal-input failures, counted across calls.
int illegalInputCount = 0;

void printSolverMessage(void*, const char* text) { printText(text); }

// Output points: a real row or column with at least two elements.
bool readPoints(header* value, std::vector<double>* x) {
    if (value->kind != kindRealMatrix) return false;
    const int rows = matrixRows(value), columns = matrixColumns(value);
    if ((rows != 1 && columns != 1) || int64_t(rows) * columns < 2) return false;
    x->assign(matrixData(value), matrixData(value) + int64_t(rows) * columns);
    return true;
}

// One call's solver: the state, the current solution between intervals,
// and the 1-based buffers the driver integrates.
struct Integration {
    std::unique_ptr<LsodaState> state = std::make_unique<LsodaState>();
    int neq = 0;
    double eps = 0;
    int istate = 1;
    double* y = nullptr;         // neq values, 0-based
    double* solution = nullptr;  // 1-based buffers of neq + 1 doubles
    double* rtol = nullptr;
    double* atol = nullptr;
};

// Integrates y from t to tout; false when the interval failed.
bool advanceLsoda(Integration& run, double t, double tout) {
    const int neq = run.neq;
    if (run.istate == 1) {
        // A fresh start at tout = t has nothing to integrate: y stays and
        // the next interval starts afresh.
        if (tout == t) return true;
        std::copy(run.y, run.y + neq, run.solution + 1);
        run.state->initialised = 0;
    }
    for (int i = 1; i <= neq; i++) {
        double tol = std::fabs(run.y[i - 1] * run.eps);
        if (!(tol > run.eps)) tol = run.eps;
        if (tol < 1e-50) tol = 1e-50;
        run.rtol[i] = run.atol[i] = tol;
    }
    double tlocal = t;
    runLsoda(*run.state, neq, run.solution, &tlocal, tout, 2, run.rtol, run.atol, 1, &run.istate, 0,
             2);
    std::copy(run.solution + 1, run.solution + neq + 1, run.y);
    return !errorCode && run.istate == 2;
}

// The points and the start value are checked after the reader; arguments
// after the sixth go to f.
constexpr Signature lsodaSignature = {
    "lsoda",
    "f, row vector x, vector y0, eps, warning flag",
    {{takesString}, {takesRealMatrix}, {takesRealMatrix}, {takesReal}, {takesReal}, {takesReal}}};

void builtinLsoda(header* first) {
    char* top = newram;
    NamedFunction f;
    const CallArguments a(first, lsodaSignature, 6, &f);
    if (!a) return;
    std::vector<double> x, y0;
    if (!readPoints(a[1], &x) || !readStartValue(a[2], &f, &y0)) return a.refuse();
    Integration run;
    run.neq = f.n;
    run.eps = a.real(3);
    const bool warn = a.real(4) != 0, restart = a.real(5) != 0;
    newram = top;

    const int neq = run.neq, n = int(x.size());
    header* result = pushRealMatrix(neq, n);
    if (!result) return;
    const size_t vectors = size_t(neq) + 3 * (size_t(neq) + 1);
    char* work =
        reserveStack(int64_t(vectors * sizeof(double) + lsodaWorkspaceBytes(neq)), "lsoda");
    if (errorCode) {
        printFormattedMessage("Error in lsoda\n");
        newram = top;
        return;
    }
    run.y = reinterpret_cast<double*>(work);
    run.solution = run.y + neq;
    run.rtol = run.solution + neq + 1;
    run.atol = run.rtol + neq + 1;
    attachLsodaWorkspace(*run.state, run.atol + neq + 1, neq);
    run.state->callbacks = {evaluateNamedDerivative, printSolverMessage, escapePressed, &f};
    run.state->warningsEnabled = warn;
    run.state->illegalCount = illegalInputCount;

    std::copy(y0.begin(), y0.end(), run.y);
    double* columns = matrixData(result);
    for (int i = 0; i < neq; i++) columns[int64_t(i) * n] = y0[size_t(i)];
    for (int j = 0; j + 1 < n; j++) {
        if (!advanceLsoda(run, x[size_t(j)], x[size_t(j) + 1])) {
            errorCode = errorFailed;
            break;
        }
        for (int i = 0; i < neq; i++) columns[int64_t(i) * n + j + 1] = run.y[i];
        if (restart) run.istate = 1;
    }
    illegalInputCount = run.state->illegalCount;
    if (errorCode) {
        printFormattedMessage("Error in lsoda\n");
        newram = top;
        return;
    }
    newram = endOf(result);
    moveResult(first, result);
}

const BuiltinRecord rows[] = {
    {"lsoda", -1, 0, builtinLsoda},
};

}  // namespace

KALIX_BUILTIN_FAMILY(lsodaBuiltins, rows);

}  // namespace kalix
