// C functions in shared libraries: libraries opened by the builtin `dll`
// (or compiled from a tinyc definition), the functions bound from them,
// their calls, and the callbacks a library gets.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

namespace dll {

// 0 when no bound function has that name and takes n arguments (nothing
// changes); 1 when one was called, whatever happened in the call.
int callFunction(const char* name, int n, header* first);

// Opens the library (once; its file found along the path, as given or with
// ".so", unless `file` names it) and binds its function with nargs
// arguments (-1: any number). Returns false with the error set. `*added`
// says whether the function was new.
bool bindFunction(const char* library, const char* function, int nargs, bool* added,
                  const char* file = nullptr);

// Closes the library of that name and forgets its functions; nothing
// happens when none is open.
void unloadLibrary(const char* name);
// Every library (restart and exit); the permission until restart is
// forgotten.
void unloadAll();

}  // namespace dll

}  // namespace kalix
