// Adaptive Gauss-Kronrod integration of a user function over a finite
// interval through ALGLIB: alintegrate (smooth integrands) and alsingular
// (end-point singularities (x-a)^alpha, (b-x)^beta). The arguments after
// the builtin's own go on to the function.
#include <integration.h>

#include "builtins/function_evaluation.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/function_index.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace {

// The integrand of one call (ALGLIB hands it back to the callback).
struct Integrand {
    header* function;
    ExtraArguments extras;
};

void evaluateIntegrand(double x, double, double, double& y, void* pointer) {
    const Integrand& f = *static_cast<Integrand*>(pointer);
    if (!evaluateUserFunctionAt(f.function, x, f.extras, &y)) {
        y = 0;
        throw alglib::ap_error("Error in Function Evaluation");
    }
}

// Reads f (a user function's name) and `count` - 1 reals after it.
bool readArguments(header* first, int count, Integrand* f, double* reals) {
    f->extras = findExtraArguments(first, count);
    header* v[5];
    if (!resolveFixedArguments(first, count, v) || v[0]->kind != kindString) return false;
    for (int k = 1; k < count; k++) {
        if (v[k]->kind != kindReal) return false;
        reals[k - 1] = realOf(v[k]);
    }
    f->function = findFunction(stringOf(v[0]));
    return f->function && !errorCode;
}

// Runs the integration that `setup` prepares; the value replaces the
// arguments.
template <typename Setup>
void integrate(header* first, Integrand& f, Setup setup) {
    char* top = newram;
    double value = 0;
    try {
        alglib::autogkstate state;
        alglib::autogkreport report;
        setup(state);
        alglib::autogkintegrate(state, evaluateIntegrand, &f);
        alglib::autogkresults(state, value, report);
        // Parameters ALGLIB refuses without throwing (an exponent of
        // -1 or below) end with a negative termination type.
        if (report.terminationtype < 0) throw alglib::ap_error("Integration failed");
    } catch (const alglib::ap_error&) {
        newram = top;
        fail(errorFailed, "AlgLib integration returned an error!\n");
        return;
    }
    newram = reinterpret_cast<char*>(first);
    pushReal(value);
}

void builtinAlintegrate(header* first) {
    Integrand f;
    double r[2];
    if (!readArguments(first, 3, &f, r)) {
        if (!errorCode) reportNeed("function, a and b", "alintegrate");
        return;
    }
    integrate(first, f,
              [&](alglib::autogkstate& state) { alglib::autogksmooth(r[0], r[1], state); });
}

void builtinAlsingular(header* first) {
    Integrand f;
    double r[4];
    if (!readArguments(first, 5, &f, r)) {
        if (!errorCode) reportNeed("function, a and b, alpha and beta", "alsingular");
        return;
    }
    integrate(first, f, [&](alglib::autogkstate& state) {
        alglib::autogksingular(r[0], r[1], r[2], r[3], state);
    });
}

const BuiltinRecord rows[] = {
    {"alintegrate", -1, 0, builtinAlintegrate},
    {"alsingular", -1, 0, builtinAlsingular},
};

}  // namespace

KALIX_BUILTIN_FAMILY(integrationBuiltins, rows);
