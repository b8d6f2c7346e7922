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

namespace kalix {

namespace {

// The integrator's work vectors above the stack top ("Out of stack space
// in Runge!"); null after a failure.
double* reserveWork(int vectors, int n) {
    char* work = reserveStack(int64_t(sizeof(double)) * vectors * n, "Runge!");
    return errorCode ? nullptr : reinterpret_cast<double*>(work);
}

// The start value y0, argument k, into y, shaping f; false after the
// refusal.
bool readStart(const Arguments& arguments, int k, NamedFunction* f, std::vector<double>* y) {
    if (readStartValue(arguments[k], f, y)) return true;
    arguments.refuse();
    return false;
}

// runge1(f, a, b, n, y0, ...)
constexpr Signature runge1Signature = {
    "runge1",
    "f, real a, real b, integer n, vector y0",
    {{takesString}, {takesReal}, {takesReal}, {takesReal}, {takesRealMatrix}}};

void builtinRunge1(header* first) {
    char* top = newram;
    NamedFunction f;
    const CallArguments arguments(first, runge1Signature, 5, &f);
    std::vector<double> y;
    if (!arguments || !readStart(arguments, 4, &f, &y)) return;
    const double a = arguments.real(1), b = arguments.real(2);
    const int steps = std::max(1, clampToInt(arguments.real(3)));
    newram = top;
    double* work = reserveWork(runge1WorkVectors, f.n);
    if (!work) return;
    const OdeSystem system{evaluateNamedDerivative, escapePressed, &f};
    const OdeStatus status = integrateRunge1(system, a, b, steps, y.data(), f.n, work);
    newram = top;
    if (status != odeOk) {
        failAfterCall("Error in runge1\n");
        return;
    }
    header* result = pushLikeStartValue(f, y);
    if (result) moveResult(first, result);
}

// runge2(f, a, b, y0, eps, steps, ...)
constexpr Signature runge2Signature = {
    "runge2",
    "f, real a, real b, vector y0, eps, integer steps",
    {{takesString}, {takesReal}, {takesReal}, {takesRealMatrix}, {takesReal}, {takesReal}}};

void builtinRunge2(header* first) {
    char* top = newram;
    NamedFunction f;
    const CallArguments arguments(first, runge2Signature, 6, &f);
    std::vector<double> y;
    if (!arguments || !readStart(arguments, 3, &f, &y)) return;
    const double a = arguments.real(1), b = arguments.real(2), eps = arguments.real(4),
                 step = arguments.real(5);
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
        failAfterCall("Error in runge2\n");
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

}  // namespace kalix
