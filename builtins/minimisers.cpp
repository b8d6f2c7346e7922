// Minimising a function given by name: brent (one variable) and nelder
// (several variables). The arguments after the builtin's four go on to the
// function.
#include <string>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/function_evaluation.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/minimisers.h"
#include "platform/host.h"

namespace kalix {

namespace {

// brent(f, a, d, eps, ...)
constexpr Signature brentSignature = {"brent",
                                      "string f, real a, real d, real eps, args for f",
                                      {{takesString}, {takesReal}, {takesReal}, {takesReal}}};

void builtinBrent(header* first) {
    char* top = newram;
    NamedFunction f;
    const CallArguments arguments(first, brentSignature, 4, &f);
    if (!arguments) return;
    const double a = arguments.real(1), d = arguments.real(2), eps = arguments.real(3);
    newram = top;
    double x = 0;
    const ScalarObjective objective{evaluateNamedAtReal, escapePressed, &f};
    switch (minimiseBrent(objective, a, d, eps, currentEpsilon, &x)) {
        case minimiserOk:
            break;
        case minimiserTooManyIterations:
            fail(errorFailed, "Too many iterations in brent\n");
            return;
        case minimiserNoBracket:
            fail(errorFailed, "No minimum bracketed in brent: the function keeps falling\n");
            return;
        case minimiserInterrupted:
            errorCode = errorFailed;
            return;
        default:
            if (!errorCode) errorCode = errorFailed;
            return;
    }
    header* result = pushReal(x);
    if (result) moveResult(first, result);
}

// nelder(f, v, d, eps, ...): v a real row or column of at least two
// elements.
constexpr Signature nelderSignature = {
    "nelder",
    "string f, vector v, real d, real eps, args for f",
    {{takesString}, {kindBit(kindRealMatrix)}, {takesReal}, {takesReal}}};

void builtinNelder(header* first) {
    char* top = newram;
    NamedFunction f;
    const CallArguments arguments(first, nelderSignature, 4, &f);
    if (!arguments) return;
    const MatrixValue v = arguments.matrix(1);
    if (!v.isVector() || v.count() < 2) {
        arguments.refuse();
        return;
    }
    f.column = v.columns == 1;
    f.n = int(v.count());
    const std::vector<double> start(v.data, v.data + f.n);
    const double d = arguments.real(2), eps = arguments.real(3);
    newram = top;
    double* work = reinterpret_cast<double*>(
        reserveStack(int64_t(sizeof(double)) * nelderWorkspaceSize(f.n), "Nelder!"));
    if (errorCode) return;
    std::vector<double> best(size_t(f.n));
    const VectorObjective objective{evaluateNamedAtVector, escapePressed, &f};
    const MinimiserStatus status =
        minimiseNelderMead(objective, start.data(), f.n, d, eps, currentEpsilon, work, best.data());
    newram = top;
    if (status == minimiserStartFailed) {
        printFormatted("Function call to \"%s\" failed in nelder.\n", f.name.c_str());
        if (!errorCode) errorCode = errorFailed;
        return;
    }
    if (status != minimiserOk) {
        if (status == minimiserTooManyIterations) printText("Too many iterations in nelder\n");
        failAfterCall("Error in nelder.\n");
        return;
    }
    header* result = f.column ? pushRealMatrix(f.n, 1) : pushRealMatrix(1, f.n);
    if (!result) return;
    std::copy(best.begin(), best.end(), matrixData(result));
    moveResult(first, result);
}

const BuiltinRecord rows[] = {
    {"brent", -1, 0, builtinBrent},
    {"nelder", -1, 0, builtinNelder},
};

}  // namespace

KALIX_BUILTIN_FAMILY(minimiserBuiltins, rows);

}  // namespace kalix
