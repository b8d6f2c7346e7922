// The element-wise mathematical builtins share the interpreter's element
// functions (error reporting, complex functions, the power operator).
#pragma once

#include "interpreter/element_functions.h"
#include "interpreter/stack.h"
