// Argument and result helpers shared by the linear-algebra, structured
// matrix, transform and compressed sparse matrix families.
#pragma once

#include <vector>

#include "interpreter/stack.h"

// Resolves the `count` argument records from `first` into `values`. The
// neighbours are taken before any is resolved, since resolving may push a
// record above them. False when an argument is missing or `errorCode` is
// set (an unbound name has printed its message).
bool resolveArguments(header* first, int count, header** values);

// When the resolved argument values all lie below `first` (variables, not
// temporaries), the argument records are given up, so that the result is
// pushed where it belongs and moveResult has nothing to copy. Call it after
// the arguments are checked and before the result is pushed.
void reuseArgumentSpace(header* first, header* const* values, int count);

// A real or complex scalar or matrix: its shape and elements.
struct NumericMatrix {
    int rows = 0, columns = 0;
    double* data = nullptr;
    bool complex = false;
    bool matrix = false;  // a matrix kind (a scalar is 1 x 1 but no matrix)
    int64_t elements() const { return int64_t(rows) * columns; }
};
// False (nothing printed) for every kind but real and complex.
bool readNumericMatrix(header* value, NumericMatrix* m);

// The elements as (re, im) pairs; a real matrix gets imaginary parts 0.
std::vector<double> complexElements(const NumericMatrix& m);

// Pushes a real (complex) rows x columns matrix; null with the push's error.
header* pushNumericMatrix(bool complex, int rows, int columns);

// Pushes the 1 x n real row of the values, or a real scalar for n = 1 (the
// form resolveValue gives a 1 x 1 matrix).
header* pushRealRow(const double* values, int n);

// For kernels that poll: true once after the user pressed Escape.
bool escapePressed();

void reportInterrupted();  // "User interrupted!", error 1
void reportOutOfMemory();  // "Out of Memory!", error 120
