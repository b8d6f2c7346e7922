// Small helpers shared by the builtin library: sorting comparators and magic
// squares. The value helpers (tolerances, number families, counters, matrix
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

}  // namespace kalix
