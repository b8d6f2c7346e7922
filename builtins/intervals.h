// The interval builtins use the interval kernels and the interpreter's
// interval operators; both are included here for the builtin families.
#pragma once

#include "interpreter/interval_operators.h"
#include "interpreter/stack.h"
#include "numerics/intervals.h"
