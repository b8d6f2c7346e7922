// Calling a function the user names by a string, with the arguments that
// follow a builtin's own ("args for f") passed on behind the point of
// evaluation. Shared by the minimisers, the integrators of differential
// equations and the adaptive quadrature.
//
// Every evaluation leaves `newram` as it found it and reports failure only
// through `errorCode`; with `errorCode` already set it evaluates nothing
// (the real-valued ones return 0, dy stays as it was).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interpreter/stack.h"

namespace kalix {

// The records behind a builtin's fixed arguments, up to `newram`. They are
// copied byte for byte behind the records each evaluation pushes, so the
// function sees them as its further arguments, in order and with their
// names. The block stays where it is while the builtin runs.
struct ExtraArguments {
    int count = 0;
    const char* first = nullptr;
    int64_t bytes = 0;
};

// The extras behind the first `fixedCount` records from `first`. Find them
// before the fixed arguments are resolved (resolving may push records).
ExtraArguments findExtraArguments(header* first, int fixedCount);

// The named function at a real x: a builtin taking one argument (or any
// number) is tried first, then a user function. Not found: error 1 without
// a message. A result that is not a real (a 1 x 1 real matrix counts as
// one): "Real expected from %s!".
double evaluateRealFunction(const std::string& name, double x, const ExtraArguments& extras);

// The named function at a vector v of n elements, passed as an n x 1 matrix
// when `column` is set, else 1 x n; the result must be a real (error 1
// without a message otherwise).
double evaluateVectorArgFunction(const std::string& name, const double* v, int n,
                                 const ExtraArguments& extras, bool column);

// The user function at a real x with the extras; false (error 1, no
// message) when the call fails or gives no real.
bool evaluateUserFunctionAt(header* function, double x, const ExtraArguments& extras,
                            double* value);

// The user function f(x, y, extras...) with y of n elements shaped as above
// (n = 1: a 1 x 1 matrix); the result must have y's shape (for n = 1 a
// real) and is copied into dy. Builtins are not tried. Wrong shapes print
// "Column vector expected from %s" or "Row vector expected from %s".
void evaluateVectorFunction(double x, const double* y, double* dy, int n, const std::string& name,
                            const ExtraArguments& extras, bool column);

// A named function with its extras, as the kernels' callbacks take it: n
// and `column` give the shape of vector arguments.
struct NamedFunction {
    std::string name;
    ExtraArguments extras;
    int n = 0;
    bool column = false;
    bool scalar = false;       // an integrator's start value was a real
    const char* builtin = "";  // the builtin that evaluates it, for messages
};

// Kernel callbacks on a NamedFunction context; false when the evaluation
// failed (`errorCode` is set). A NAN value (or a NAN in the derivative) is
// a failure too: "Function %s returned NAN in %s." with the function's and
// the builtin's names, error 1.
bool evaluateNamedAtReal(void* context, double x, double* value);
bool evaluateNamedAtVector(void* context, const double* x, double* value);
bool evaluateNamedDerivative(void* context, double x, const double* y, double* dy);

// The start value of an integrator: a real, or a real row or column vector
// with at least one element. Sets f's n and `column` (one column; a 1 x 1
// matrix counts as a column) and copies the values into y.
bool readStartValue(header* value, NamedFunction* f, std::vector<double>* y);
// Pushes y as a value of the start value's kind and shape.
header* pushLikeStartValue(const NamedFunction& f, const std::vector<double>& y);

}  // namespace kalix
