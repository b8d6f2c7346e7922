// Must compile: the interpreter may include the kernels and its own headers.
#include "interpreter/stack.h"
#include "numerics/intervals.h"
