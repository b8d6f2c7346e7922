// Calling a function named by a string with the builtin's extra arguments.
#include "builtins/function_evaluation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

// Copies the extras behind the records just pushed; false after a failed
// push (the stack top is then restored by the caller).
bool pushExtras(const ExtraArguments& extras) {
    if (extras.count == 0 || errorCode) return !errorCode;
    return pushRecordCopy(extras.first, extras.bytes) != nullptr;
}

// Runs the user function `name` on the records from `first` (n of them);
// error 1 without a message when there is none.
void callNamedUserFunction(const std::string& name, header* first, int n) {
    header* function = findFunction(name.c_str());
    if (!function || errorCode) {
        errorCode = errorFailed;
        return;
    }
    callUserFunction(function, first, n, 0);
}

// A real result; a 1 x 1 real matrix (as v.v' gives) counts as a real, as
// it does everywhere else in the language.
bool readRealResult(header* result, double* value) {
    if (result->kind == kindReal) {
        *value = realOf(result);
        return true;
    }
    if (result->kind == kindRealMatrix && matrixRows(result) == 1 && matrixColumns(result) == 1) {
        *value = matrixData(result)[0];
        return true;
    }
    return false;
}

// Pushes the argument made by `pushArgument`, the extras, and calls the
// named builtin (one argument) or user function; the result's record, or
// null after a failure. `newram` is back at `top` on return.
template <typename PushArgument>
header* callWithOneArgument(const std::string& name, const ExtraArguments& extras,
                            PushArgument pushArgument) {
    char* top = newram;
    header* argument = pushArgument();
    if (!argument || !pushExtras(extras)) {
        newram = top;
        return nullptr;
    }
    if (!callBuiltin(name.c_str(), 1, argument))
        callNamedUserFunction(name, argument, 1 + extras.count);
    newram = top;
    return errorCode ? nullptr : argument;
}

}  // namespace

ExtraArguments findExtraArguments(header* first, int fixedCount) {
    ExtraArguments extras;
    header* record = first;
    for (int i = 0; i < fixedCount && record; i++) record = nextValue(record);
    if (!record) return extras;
    extras.first = reinterpret_cast<const char*>(record);
    extras.bytes = newram - extras.first;
    for (; record; record = nextValue(record)) extras.count++;
    return extras;
}

double evaluateRealFunction(const std::string& name, double x, const ExtraArguments& extras) {
    if (errorCode) return 0;
    header* result = callWithOneArgument(name, extras, [x] { return pushReal(x); });
    if (!result) return 0;
    double value = 0;
    if (!readRealResult(result, &value))
        fail(errorFailed, "Real expected from %s!\n", name.c_str());
    return value;
}

double evaluateVectorArgFunction(const std::string& name, const double* v, int n,
                                 const ExtraArguments& extras, bool column) {
    if (errorCode) return 0;
    header* result = callWithOneArgument(name, extras, [=] {
        header* argument = column ? pushRealMatrix(n, 1) : pushRealMatrix(1, n);
        if (argument) std::memcpy(matrixData(argument), v, sizeof(double) * size_t(n));
        return argument;
    });
    if (!result) return 0;
    double value = 0;
    if (!readRealResult(result, &value)) errorCode = errorFailed;
    return value;
}

bool evaluateUserFunctionAt(header* function, double x, const ExtraArguments& extras,
                            double* value) {
    if (errorCode) return false;
    char* top = newram;
    header* argument = pushReal(x);
    if (argument && pushExtras(extras)) callUserFunction(function, argument, 1 + extras.count, 0);
    newram = top;
    if (!argument || errorCode || !readRealResult(argument, value)) {
        errorCode = errorFailed;
        return false;
    }
    return true;
}

void evaluateVectorFunction(double x, const double* y, double* dy, int n, const std::string& name,
                            const ExtraArguments& extras, bool column) {
    if (errorCode) return;
    char* top = newram;
    header* argument = pushReal(x);
    header* vector = argument ? (column ? pushRealMatrix(n, 1) : pushRealMatrix(1, n)) : nullptr;
    if (!vector || !pushExtras(extras)) {
        newram = top;
        return;
    }
    std::memcpy(matrixData(vector), y, sizeof(double) * size_t(n));
    callNamedUserFunction(name, argument, 2 + extras.count);
    newram = top;
    if (errorCode) return;
    header* result = argument;
    if (n == 1) {
        if (!readRealResult(result, dy)) errorCode = errorFailed;
        return;
    }
    const bool fits = result->kind == kindRealMatrix && matrixRows(result) == (column ? n : 1) &&
                      matrixColumns(result) == (column ? 1 : n);
    if (!fits) {
        fail(errorFailed,
             column ? "Column vector expected from %s\n" : "Row vector expected from %s\n",
             name.c_str());
        return;
    }
    std::memcpy(dy, matrixData(result), sizeof(double) * size_t(n));
}

namespace {

// No NAN among the n values; else the message and error 1. A minimiser or
// integrator would take NAN for an ordinary value and end with an answer.
bool refuseNan(const NamedFunction& f, const double* values, int n) {
    if (errorCode) return false;
    for (int k = 0; k < n; k++)
        if (std::isnan(values[k])) {
            fail(errorFailed, "Function %s returned NAN in %s.\n", f.name.c_str(), f.builtin);
            return false;
        }
    return true;
}

}  // namespace

bool evaluateNamedAtReal(void* context, double x, double* value) {
    const NamedFunction& f = *static_cast<NamedFunction*>(context);
    *value = evaluateRealFunction(f.name, x, f.extras);
    return refuseNan(f, value, 1);
}

bool evaluateNamedAtVector(void* context, const double* x, double* value) {
    const NamedFunction& f = *static_cast<NamedFunction*>(context);
    *value = evaluateVectorArgFunction(f.name, x, f.n, f.extras, f.column);
    return refuseNan(f, value, 1);
}

bool evaluateNamedDerivative(void* context, double x, const double* y, double* dy) {
    const NamedFunction& f = *static_cast<NamedFunction*>(context);
    evaluateVectorFunction(x, y, dy, f.n, f.name, f.extras, f.column);
    return refuseNan(f, dy, f.n);
}

bool readStartValue(header* value, NamedFunction* f, std::vector<double>* y) {
    if (value->kind == kindReal) {
        f->n = 1;
        f->column = false;
        f->scalar = true;
        y->assign(1, realOf(value));
        return true;
    }
    if (value->kind != kindRealMatrix) return false;
    const int rows = matrixRows(value), columns = matrixColumns(value);
    if ((rows != 1 && columns != 1) || rows < 1 || columns < 1) return false;
    f->column = columns == 1;
    f->scalar = false;
    f->n = f->column ? rows : columns;
    y->assign(matrixData(value), matrixData(value) + f->n);
    return true;
}

header* pushLikeStartValue(const NamedFunction& f, const std::vector<double>& y) {
    if (f.scalar) return pushReal(y[0]);
    header* result = f.column ? pushRealMatrix(f.n, 1) : pushRealMatrix(1, f.n);
    if (result) std::copy(y.begin(), y.end(), matrixData(result));
    return result;
}

}  // namespace kalix
