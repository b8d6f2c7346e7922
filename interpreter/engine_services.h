// What the interpreter asks of the external engines (Maxima, Python,
// external libraries). Maxima is not available in this build: every entry
// point that would run it says so and sets error 1. Python and C functions
// are installed at start (`foreignEngines`); until then they answer the
// same way.
#pragma once

#include "interpreter/stack.h"
#include "interpreter/state.h"

// Maxima: the rest of the current line in direct or compatibility syntax.
void collectDirectModeLine();
void translateCompatibilityLine();
// Clears the translator's per-statement flags.
void clearMaximaStatementFlags();
void sendMaximaLine(const char* text, int selector);

// Python: the rest of the current line; a file.
void runPythonLine();
const char* callPyRunFile(const char* path);
// A call of a function defined with the keyword python: the arguments
// from `first` (n positional) go to Python, the result replaces them.
void callPythonUserFunction(header* function, header* first, int n);

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
