// Primary expressions: numbers, names, calls and indexing, strings, interval
// and symbolic literals, parenthesised expressions, and the postfix operators.
#pragma once

#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// Calls a map function with the arguments from `first`, publishing the
// semicolon position for the duration of the call.
void callMapFunction(header* first, const char* name, int semicolon);

// Pushes one operand and applies its postfix operators. Returns the
// implicit-product flag: 1 when a number or parenthesised expression is
// followed directly by a letter or "$" (as in 2x).
int evaluatePrimary();

// A plain name followed by "=" or ":=" at the scan position (the target of
// an assignment, a named argument): pushes its reference and leaves the scan
// at the operator, as the operator levels would, without descending them.
// Returns false, nothing done, for anything else.
bool evaluateAssignedName();

// Reads an argument list after its opening bracket up to and including
// `closing` (')' or ']') and pushes the argument values. Returns the number of
// positional arguments; `semicolon` receives the semicolon position and
// `valueCount` the number of values pushed.
int evaluateCall(int* semicolon, char closing, int* valueCount);

// Evaluates an expression and replaces references and views by copies of
// their values. Returns the first result (the stack top at entry).
header* evaluateToValues();

// Whether the scan lies in a stored function body: a body runs (its scan
// stays in it), or the scan stands in the function area at the top level
// (an empty body's end). Only there are the bytes 2 (number) and 3
// (command) tokens and do constructs span the body's lines; elsewhere they
// are ordinary characters.
inline bool scanningStoredBody() {
    return functionState == functionRunning || functionState == functionReturned ||
           inArea(scanPointer, ramstart, functionsEnd);
}

// A user function called with the rest of the expression, as in "f x".
bool isPrefixFunction(const header* function);

// The user function whose name stands at the scan position, or null;
// `length` receives the name's length. The scan position does not move.
header* findFunctionAtScan(int* length);

// A user operator function named at the scan position, applied to the value
// at `entry`: infix (right operand: one primary when `strong`, else the rest
// of the expression) or postfix. Only functions whose "strong" flag equals
// `strong` count. Returns false, the scan unchanged, for any other name.
bool applyUserOperator(char* entry, bool strong);

// Symbolic expressions for Maxima.
int readSymbolicText(char* buffer, int size);
void pushSymbolicText();
void evaluateSymbolic();

}  // namespace kalix
