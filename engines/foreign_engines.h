// The Python bridge and the C functions, made known to the interpreter.
#pragma once

namespace kalix {

// Fills the interpreter's table of foreign engines (once at start).
void installForeignEngines();

}  // namespace kalix
