// Output channels: the notebook (through the host), the capture buffer and
// the dump file.
#pragma once

#include <cstdio>

#include "interpreter/error_codes.h"
#include "interpreter/state.h"

namespace kalix {

void printText(const char* text);
void printFormatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
void printFormattedMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
void printLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
int printPadded(int width, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Starts the output of a statement: the error position may be shown again,
// and nothing printed while output was off is held back any more.
void beginStatementOutput();
// Shows the input line around `position` with a caret under it, once per
// statement; texts of the statement held back while output is off (its
// error message among them) are shown first.
void showErrorPosition(const char* position);

// Prints the message (printf-style, ending in "\n" as every message does)
// and sets `errorCode` to `code`: the one way the interpreter and the
// builtins report an error.
void fail(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Shared message texts.
// "Need %s for %s\n" with what is needed and the builtin's name; error 26.
void reportNeed(const char* what, const char* builtinName);
// "Out of Memory!" when a result or work space finds no room; error 120.
void reportOutOfMemory();

}  // namespace kalix
