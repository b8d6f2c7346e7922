// The Python bridge as the interpreter sees it: the bridge library
// (libkalixpy3.so beside the program) loaded on first use, its guarded
// calls, the callbacks it gets, Python lines, blocks, functions and files,
// and the builtins python, pyload, pyget, pyset and pycall.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

// The interpreter's entries (see interpreter/engine_services.h).
namespace python {

void runLine();
void runBlock();
const char* runFile(const char* path);
void defineFunction(const char* name, header* function);
void callUserFunction(header* function, header* first, int n);
void callFunction(const char* name, int n, header* first);

// The end of the session: Python's exit functions run and its namespace is
// emptied; the permission until restart is forgotten.
void unload();

}  // namespace python

}  // namespace kalix
