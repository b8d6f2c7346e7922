// What the interpreter asks of the external engines (Maxima, Python,
// external libraries). None is available in this build: every entry point
// that would run an engine says so and sets error 1.
#pragma once

#include "interpreter/stack.h"
#include "interpreter/state.h"

// Maxima: the rest of the current line in direct or compatibility syntax.
void collectDirectModeLine();
void translateCompatibilityLine();
// Clears the translator's per-statement flags.
void clearMaximaStatementFlags();
void sendMaximaLine(const char* text, int selector);

// Python: the rest of the current line.
void runPythonLine();
const char* callPyRunFile(const char* path);

// The TeX form of an expression, or null when Maxima gives none.
const char* getTexFromMaxima(const char* expression);
// The names of Maxima's function list that contain the text, separated by
// blanks, into `output` (32 KB); empty when none.
void findMaximaFunctions(const char* text, char* output, char* help, int flag);
// Calls the Python function of that name on the arguments (names "py$...").
void callPythonFunction(const char* name, int n, header* first);

// External-library functions: 0 when none of that name and argument count
// is loaded (nothing changes), 1 when one was called.
int callDllFunction(const char* name, int n, header* first);
