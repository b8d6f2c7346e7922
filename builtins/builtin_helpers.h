// Small helpers shared by the builtin library: sorting comparators, magic
// squares and the arguments of builtins that call a function the user
// names. The value helpers (tolerances, number families, counters, matrix
// pushes, int conversions) and the declared arguments (interpreter/
// arguments.h) live with the interpreter and UTF-8 decoding in the text
// module; all are included here for the builtin families.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "interpreter/arguments.h"
#include "interpreter/stack.h"
#include "interpreter/value_helpers.h"

namespace kalix {

struct ExtraArguments;  // builtins/function_evaluation.h
struct NamedFunction;

// Comparators (1, -1 or 0).
// Two rows of n doubles: the first element where one is greater decides;
// NaN elements decide nothing.
int compareRows(const double* a, const double* b, int n);
// NaN is greater than every number; two NaN are equal.
int compareDoublesNanLast(double a, double b);

// Fills the n x n row-major `square` (n >= 3) with a magic square. Orders
// 4m+2 take scratch from the stack, released before returning; when it does
// not fit: "Out of stack space in magic", error 1.
void buildMagicSquare(double* square, int n);

// The arguments of a builtin that calls the function its first argument
// names: the records behind the first `fixedCount` go on to that function
// as its extras, found before the declared arguments are resolved
// (resolving may push records).
class CallArguments : public Arguments {
  public:
    CallArguments(header* first, const Signature& signature, int fixedCount,
                  ExtraArguments* extras);
    // Names f too, once the arguments are accepted: the first argument and
    // the signature's builtin.
    CallArguments(header* first, const Signature& signature, int fixedCount, NamedFunction* f);
    CallArguments(header*, const Signature&&, int, ExtraArguments*) = delete;
    CallArguments(header*, const Signature&&, int, NamedFunction*) = delete;
};

// A builtin's failure after the function it called: error 1 unless that
// function set an error of its own, and the message.
void failAfterCall(const char* message);

}  // namespace kalix
