// The operator "\" of the evaluator (the family's builtins are reached
// through the builtin table).
#pragma once

#include "interpreter/stack.h"

// A \ b: the solution x of A x = b for a square real or complex A and b
// with as many rows, over `first` (b is the record after it). A singular A
// prints "Determinant zero!" (131).
void solveLeftDivision(header* first);
