// Adaptive Gauss-Kronrod integration of a user function over a finite
// interval through ALGLIB (builtins/alglib_library.h): alintegrate (smooth integrands) and
// alsingular (end-point singularities (x-a)^alpha, (b-x)^beta). The arguments after the builtin's
// own go on to the function.
#include "builtins/alglib_library.h"
#include "builtins/builtin_helpers.h"
#include "builtins/function_evaluation.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/function_index.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

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

constexpr Signature alintegrateSignature = {
    "alintegrate", "function, a and b", {{takesString}, {takesReal}, {takesReal}}};
constexpr Signature alsingularSignature = {
    "alsingular",
    "function, a and b, alpha and beta",
    {{takesString}, {takesReal}, {takesReal}, {takesReal}, {takesReal}}};

// Reads f (the name of a user function, which must exist) and the `count`
// - 1 reals after it; false after the refusal or an error. The arguments
// after those go on to f.
bool readArguments(header* first, const Signature& signature, int count, Integrand* f,
                   double* reals) {
    const CallArguments a(first, signature, count, &f->extras);
    if (!a) return false;
    for (int k = 1; k < count; k++) reals[k - 1] = a.real(k);
    f->function = findFunction(a.text(0));
    if (errorCode) return false;
    if (!f->function) a.refuse();
    return f->function != nullptr;
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
    if (!readArguments(first, alintegrateSignature, 3, &f, r)) return;
    integrate(first, f, r, false);
}

void builtinAlsingular(header* first) {
    Integrand f;
    double r[4];
    if (!readArguments(first, alsingularSignature, 5, &f, r)) return;
    integrate(first, f, r, true);
}

const BuiltinRecord rows[] = {
    {"alintegrate", -1, 0, builtinAlintegrate},
    {"alsingular", -1, 0, builtinAlsingular},
};

}  // namespace

KALIX_BUILTIN_FAMILY(integrationBuiltins, rows);

}  // namespace kalix
