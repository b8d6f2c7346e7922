// Value resolution and access: the value a record stands for, string vector
// items, indexing with braces and brackets, and strings evaluated as
// expressions with arguments.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

// The value a record stands for: references are followed, views and string
// subvectors become new values at the stack top, a 1x1 real or complex matrix
// becomes a scalar; other values are returned themselves (do not change
// them). An unbound name tries a builtin without arguments, then a user
// function. Null when `errorCode` is already set.
header* resolveValue(header* record);

// The value resolveValue gives when it would make nothing new (no view, no
// string element, no 1x1 matrix, no unbound name): the record itself, the
// references followed. Null otherwise; nothing is pushed or reported.
header* resolveWithoutCopy(header* record);

// The first record of a reference chain that is no reference, or the last
// reference when its target is null.
header* followReference(header* record);

// For assignments and in-place operations: follows references, gives a
// view's base matrix, else the record itself.
header* resolveToBase(header* record);

// The k-th (1-based) string of a string vector; an empty text when k is out
// of range.
char* getStringVectorItem(header* vector, int k);

// name{index} and name{row, column}; the result replaces the first index.
void indexBraces(const char* name, header* index);
void indexBraces(const char* name, header* row, header* column);

// Indexing of `indexed` with n indices from `first`: bracketKind 1 for "(",
// 2 for "["; m arguments stand before the semicolon; origin 1 for zero-based
// variables, else 0. A string indexed with "(" names a function to call.
void indexParentheses(int n, header* indexed, header* first, int bracketKind, int m, int origin);

// Evaluates the string `text` as an expression (or "@(params) expression")
// with the n arguments from `first`, m of them before the semicolon. The
// result replaces `first`.
void evaluateString(header* text, header* first, int n, int m);

}  // namespace kalix
