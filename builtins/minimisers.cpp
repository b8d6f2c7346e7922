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

namespace {

bool isReal(const header* value) { return value->kind == kindReal; }

void builtinBrent(header* first) {
    const char* usage = "string f, real a, real d, real eps, args for f";
    char* top = newram;
    NamedFunction f;
    f.extras = findExtraArguments(first, 4);
    header* v[4];
    if (!resolveFixedArguments(first, 4, v)) {
        if (!errorCode) reportNeed(usage, "brent");
        return;
    }
    if (v[0]->kind != kindString || !isReal(v[1]) || !isReal(v[2]) || !isReal(v[3])) {
        reportNeed(usage, "brent");
        return;
    }
    f.name = stringOf(v[0]);
    f.builtin = "brent";
    const double a = realOf(v[1]), d = realOf(v[2]), eps = realOf(v[3]);
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

// A real row or column vector of at least two elements.
bool isStartVector(const header* value) {
    if (value->kind != kindRealMatrix) return false;
    header* m = const_cast<header*>(value);
    return (matrixRows(m) == 1 || matrixColumns(m) == 1) &&
           int64_t(matrixRows(m)) * matrixColumns(m) >= 2;
}

void builtinNelder(header* first) {
    const char* usage = "string f, vector v, real d, real eps, args for f";
    char* top = newram;
    NamedFunction f;
    f.extras = findExtraArguments(first, 4);
    header* v[4];
    if (!resolveFixedArguments(first, 4, v)) {
        if (!errorCode) reportNeed(usage, "nelder");
        return;
    }
    if (v[0]->kind != kindString || !isStartVector(v[1]) || !isReal(v[2]) || !isReal(v[3])) {
        reportNeed(usage, "nelder");
        return;
    }
    f.name = stringOf(v[0]);
    f.builtin = "nelder";
    f.column = matrixColumns(v[1]) == 1;
    f.n = f.column ? matrixRows(v[1]) : matrixColumns(v[1]);
    const std::vector<double> start(matrixData(v[1]), matrixData(v[1]) + f.n);
    const double d = realOf(v[2]), eps = realOf(v[3]);
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
        if (!errorCode) errorCode = errorFailed;
        printText("Error in nelder.\n");
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
