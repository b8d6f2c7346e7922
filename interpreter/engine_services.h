// What the interpreter asks of the external engines (Maxima, Python,
// external libraries). Maxima is reached through the bridge of
// maxima_services.h; the others are not available in this build: every
// entry point that would run one says so and sets error 1.
#pragma once

#include "interpreter/maxima_services.h"
#include "interpreter/stack.h"
#include "interpreter/state.h"

// Python: the rest of the current line.
void runPythonLine();
const char* callPyRunFile(const char* path);

// Calls the Python function of that name on the arguments (names "py$...").
void callPythonFunction(const char* name, int n, header* first);

// External-library functions: 0 when none of that name and argument count
// is loaded (nothing changes), 1 when one was called.
int callDllFunction(const char* name, int n, header* first);
