// What the interpreter asks of the external engines (Maxima, Python,
// external libraries). Maxima is reached through the bridge of
// maxima_services.h. Python and C functions are installed at start
// (`foreignEngines`); until then every entry point that would run one says
// so and sets error 1.
#pragma once

#include "interpreter/maxima_services.h"
#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// Python: the rest of the current line; a file.
void runPythonLine();
const char* callPyRunFile(const char* path);
// A call of a function defined with the keyword python: the arguments
// from `first` (n positional) go to Python, the result replaces them.
void callPythonUserFunction(header* function, header* first, int n);

// Calls the Python function of that name on the arguments (names "py$...").
void callPythonFunction(const char* name, int n, header* first);

// External-library functions: 0 when none of that name and argument count
// is loaded (nothing changes), 1 when one was called.
int callDllFunction(const char* name, int n, header* first);
// Restart and quit: Python's session ends, every library is closed, the
// permissions given until restart are forgotten.
void closeForeignEngines();

// The command `pythonmode`.
void pythonmodeCommand();
// Closes the library `name` and compiles name.c into it (`tccompile`).
void compileTinyc(const char* name);

// The Python bridge and the C functions (engines/) fill this table at
// start; an empty slot means the engine is not available. The definitions
// (`function python`, `function tinyc`) call their slots directly: each
// reads the lines after the header up to "endfunction".
struct ForeignEngines {
    void (*runPythonLine)();
    // The lines as one Python text ("function python" without a name).
    void (*runPythonBlock)();
    const char* (*callPyRunFile)(const char* path);
    // The lines as the body of the Python function `name`, whose record
    // (at the stack top) is about to be stored.
    void (*definePythonFunction)(const char* name, header* function);
    void (*callPythonUserFunction)(header* function, header* first, int n);
    void (*callPythonFunction)(const char* name, int n, header* first);
    int (*callDllFunction)(const char* name, int n, header* first);
    // The lines as the C body of `name`, compiled and bound with that
    // parameter count.
    void (*defineTinycFunction)(const char* name, int parameterCount);
    // `tccompile`: closes the library of that name and compiles its C file.
    void (*compileTinyc)(const char* name);
    void (*close)();
};
extern ForeignEngines foreignEngines;

}  // namespace kalix
