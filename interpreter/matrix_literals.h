// Matrix literals: "[" ... "]" with "," between elements and ";" between rows.
#pragma once

namespace kalix {

// Reads a literal with `scanPointer` just after the "[" and pushes the
// matrix or string vector at the stack top.
void evaluateMatrixLiteral();

}  // namespace kalix
