// Argument reading and results shared by the graphics builtin families.
#pragma once

#include "platform/host.h"

#include <cstdint>

#include "interpreter/stack.h"

// The resolved argument when it is a real scalar, else null (no message);
// null too after a resolution error.
header* realArgument(header* argument);
// The resolved argument when it is a real 1 x n matrix, else null.
header* realRowArgument(header* argument, int n);
// A real scalar or real matrix: its size and elements; false otherwise.
bool realMatrixOf(header* value, int* rows, int* columns, const double** data);
// True for an omitted argument or the none value (after resolving).
bool isNoneArgument(header* argument);

// Push the result and move it onto `first` (when the builtin had
// arguments).
void returnReal(header* first, double value);
void returnRow(header* first, const double* values, int n);
void returnIntRow(header* first, const int* values, int n);
void returnText(header* first, const char* text);

// Work space of `bytes` in the free stack above `newram` (not reserved: it
// lasts until the next push), or null when it does not fit.
void* freeStackWork(uint64_t bytes);
