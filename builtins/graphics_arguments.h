// Argument reading and results shared by the graphics builtin families.
#pragma once

#include "platform/host.h"

#include <cstdint>

#include "interpreter/arguments.h"
#include "interpreter/error_codes.h"
#include "interpreter/stack.h"

namespace kalix {

// The rule of a real 1 x n vector argument (for n = 1 a real scalar).
constexpr ArgumentRule realRowRule(int n) {
    return {.kinds = takesRealMatrix, .rows = 1, .columns = n};
}

// One argument of the rule, refused by the message with the error code.
constexpr Signature oneArgumentSignature(ArgumentRule rule, const char* message,
                                         int code = errorGraphicsArgument) {
    return {.rules = {rule}, .refusal = {code, message}};
}

// Each dimension of each of two matrices is 1 or the larger of the two.
bool matricesFit(int rows1, int columns1, int rows2, int columns2);
// A real scalar or real matrix: its size and elements; false otherwise.
bool realMatrixOf(header* value, int* rows, int* columns, const double** data);

// Push the result and move it onto `first` (when the builtin had
// arguments).
void returnReal(header* first, double value);
void returnRow(header* first, const double* values, int n);
void returnIntRow(header* first, const int* values, int n);
void returnText(header* first, const char* text);

// Work space of `bytes` in the free stack above `newram` (not reserved: it
// lasts until the next push), or null when it does not fit.
void* freeStackWork(uint64_t bytes);

}  // namespace kalix
