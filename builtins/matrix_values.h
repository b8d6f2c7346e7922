// The small steps the matrix builtin families share (construction,
// reductions, sorting, searching, filters, linear algebra, structured and
// sparse matrices, transforms): taking the argument records, pushing a
// result of a given size, moving results down, the Escape poll. The views
// of values as matrices are in interpreter/matrix_views.h.
#pragma once

#include <cstdint>

#include "builtins/builtin_helpers.h"
#include "interpreter/matrix_views.h"

namespace kalix {

// When the resolved argument values all lie below `first` (variables, not
// temporaries), the argument records are given up, so that the result is
// pushed where it belongs and moveResult has nothing to copy. Call it after
// the arguments are checked and before the result is pushed.
void reuseArgumentSpace(header* first, header* const* values, int count);

// As pushMatrixOfKind for sizes given as 64-bit numbers: a negative size
// or one beyond the int range fails as a push that does not fit ("Stack
// overflow!", error 2). Null on failure.
header* pushMatrixSized(int kind, int64_t rows, int64_t columns);

// Pushes the 1 x n real row of the values, or a real scalar for n = 1 (the
// form resolveValue gives a 1 x 1 matrix).
header* pushRealRow(const double* values, int n);

// Moves a matrix result down, as a scalar when it is a 1 x 1 real or
// complex matrix.
void moveResolvedResult(header* first, header* result);

void reportInterrupted();  // "User interrupted!", error 1

}  // namespace kalix
