// The Python bridge and the C functions, made known to the interpreter.
#pragma once

// Fills the interpreter's table of foreign engines (once at start).
void installForeignEngines();
