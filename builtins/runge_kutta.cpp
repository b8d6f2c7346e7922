// Runge-Kutta integration of y' = f(x, y) for a user function f given by
// name: runge1 (fixed steps) and runge2 (adaptive). The arguments after the
// builtin's own go on to f.
#include <string>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/function_evaluation.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/runge_kutta.h"
#include "platform/host.h"

namespace {

bool isReal(const header* value) { return value->kind == kindReal; }

// The integrator's work vectors above the stack top ("Out of stack space
// in Runge!"); null after a failure.
double* reserveWork(int vectors, int n) {
    char* work = reserveStack(int64_t(sizeof(double)) * vectors * n, "Runge!");
    return errorCode ? nullptr : reinterpret_cast<double*>(work);
}

void builtinRunge1(header* first) {
    const char* usage = "f, real a, real b, integer n, vector y0";
    char* top = newram;
    NamedFunction f;
    f.extras = findExtraArguments(first, 5);
    header* v[5];
    std::vector<double> y;
    if (!resolveFixedArguments(first, 5, v) || v[0]->kind != kindString || !isReal(v[1]) ||
        !isReal(v[2]) || !isReal(v[3]) || !readStartValue(v[4], &f, &y)) {
        if (!errorCode) reportNeed(usage, "runge1");
        return;
    }
    f.name = stringOf(v[0]);
    f.builtin = "runge1";
    const double a = realOf(v[1]), b = realOf(v[2]);
    const int steps = std::max(1, clampToInt(realOf(v[3])));
    newram = top;
    double* work = reserveWork(runge1WorkVectors, f.n);
    if (!work) return;
    const OdeSystem system{evaluateNamedDerivative, escapePressed, &f};
    const OdeStatus status = integrateRunge1(system, a, b, steps, y.data(), f.n, work);
    newram = top;
    if (status != odeOk) {
        if (!errorCode) errorCode = errorFailed;
        printText("Error in runge1\n");
        return;
    }
    header* result = pushLikeStartValue(f, y);
    if (result) moveResult(first, result);
}

void builtinRunge2(header* first) {
    const char* usage = "f, real a, real b, vector y0, eps, integer steps";
    char* top = newram;
    NamedFunction f;
    f.extras = findExtraArguments(first, 6);
    header* v[6];
    std::vector<double> y;
    if (!resolveFixedArguments(first, 6, v) || v[0]->kind != kindString || !isReal(v[1]) ||
        !isReal(v[2]) || !readStartValue(v[3], &f, &y) || !isReal(v[4]) || !isReal(v[5])) {
        if (!errorCode) reportNeed(usage, "runge2");
        return;
    }
    f.name = stringOf(v[0]);
    f.builtin = "runge2";
    const double a = realOf(v[1]), b = realOf(v[2]), eps = realOf(v[4]), step = realOf(v[5]);
    newram = top;
    double* work = reserveWork(runge2WorkVectors, f.n);
    if (!work) return;
    const OdeSystem system{evaluateNamedDerivative, escapePressed, &f};
    double next = 0;
    const OdeStatus status = integrateRunge2(system, a, b, y.data(), f.n, eps, step, work, &next);
    newram = top;
    if (status == odeTooManySteps) fail(errorFailed, "Two many steps in runge2\n");
    if (status == odeStepsizeUnderflow) fail(errorFailed, "Stepsize underflow in runge2\n");
    if (status != odeOk) {
        if (!errorCode) errorCode = errorFailed;
        printText("Error in runge2\n");
        return;
    }
    header* result = pushLikeStartValue(f, y);
    if (!result || !pushReal(next)) return;
    moveResults(first, result);
}

const BuiltinRecord rows[] = {
    {"runge1", -1, 0, builtinRunge1},
    {"runge2", -1, 0, builtinRunge2},
};

}  // namespace

KALIX_BUILTIN_FAMILY(rungeKuttaBuiltins, rows);
