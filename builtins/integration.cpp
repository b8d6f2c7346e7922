// Adaptive Gauss-Kronrod integration of a user function over a finite
// interval through ALGLIB (builtins/alglib_library.h): alintegrate (smooth integrands) and alsingular
// (end-point singularities (x-a)^alpha, (b-x)^beta). The arguments after
// the builtin's own go on to the function.
#include "builtins/alglib_library.h"
#include "builtins/function_evaluation.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/function_index.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace {

// The integrand of one call (the module hands it back to the callback).
struct Integrand {
    header* function;
    ExtraArguments extras;
};

// False stops the integration, which then fails.
bool evaluateIntegrand(double x, double* y, void* pointer) {
    const Integrand& f = *static_cast<Integrand*>(pointer);
    return evaluateUserFunctionAt(f.function, x, f.extras, y);
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

// Integrates f over r[0] .. r[1], with the end-point exponents r[2] and
// r[3] when `singular`; the value replaces the arguments.
void integrate(header* first, Integrand& f, const double* r, bool singular) {
    const AlglibFunctions* alglib = alglibFunctions();
    if (!alglib) return;
    char* top = newram;
    double value = 0;
    if (!alglib->integrate(evaluateIntegrand, &f, r[0], r[1], singular, singular ? r[2] : 0,
                           singular ? r[3] : 0, &value)) {
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
    integrate(first, f, r, false);
}

void builtinAlsingular(header* first) {
    Integrand f;
    double r[4];
    if (!readArguments(first, 5, &f, r)) {
        if (!errorCode) reportNeed("function, a and b, alpha and beta", "alsingular");
        return;
    }
    integrate(first, f, r, true);
}

const BuiltinRecord rows[] = {
    {"alintegrate", -1, 0, builtinAlintegrate},
    {"alsingular", -1, 0, builtinAlsingular},
};

}  // namespace

KALIX_BUILTIN_FAMILY(integrationBuiltins, rows);
