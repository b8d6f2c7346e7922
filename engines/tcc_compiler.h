// C functions compiled at run time with tcc: the tinyc definition writes
// name.c into Kalix's own per-user directory ($XDG_CACHE_HOME/kalix), tcc
// makes name.so there of it and dlldef.c (from the "dll" folder beside the
// program), and the function is bound from it.
#pragma once

namespace kalix {

namespace tinyc {

// The lines up to "endfunction" as the C body of `name`, compiled and bound
// with `parameterCount` arguments.
void defineFunction(const char* name, int parameterCount);

// Closes the library `name` and compiles name.c into name.so (`tccompile`).
void compileCommand(const char* name);

}  // namespace tinyc

}  // namespace kalix
