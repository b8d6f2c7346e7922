// Must not compile: the kernels may not include the interpreter.
#include "interpreter/stack.h"
