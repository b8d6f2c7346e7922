// The transpose of a compressed sparse matrix, for the operator "'".
#pragma once

#include "interpreter/stack.h"

// The transposed compressed matrix over `operand`; "Out of Memory!" (120)
// when the copy does not fit.
void transposeCompressed(header* operand);
