// The expression evaluator: one routine per operator level, loosest first.
// Each level reads forward from `scanPointer`, leaves its operands as records
// at the stack top and calls the operator routine on the first operand, which
// overwrites it with the result. A level returns with its result (or results)
// starting at the stack top it found on entry; on an error it returns at once
// with `errorCode` set and the partial values left for the statement executor.
#pragma once

#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// Level 0: "complex:" prefix, "{...}" value lists, else a conversion.
// Returns the first result (the stack top at entry).
header* evaluateExpression();
void evaluateConversion();     // level 1: a -> unit
void evaluateOr();             // level 2: ||, or, user infix and postfix operators
void evaluateAnd();            // level 3: &&, and
void evaluateConcatenation();  // level 4: | and _
void evaluateComparison();     // level 5: !, not, comparisons
void evaluateRange();          // level 6: a:b, a:d:b, ":"
void evaluateSum();            // level 7: + - and plus-minus
void evaluateProduct();        // level 8: * / .* ./ . \ and implicit products
int evaluatePower();  // level 9: ^ ** .^ and leading minus; returns the implicit-product flag

// Skips one operand of "and" or "or" without evaluating it.
void skipOperand();

}  // namespace kalix
