// The operators that build matrices live with the interpreter.
#pragma once

#include "interpreter/concatenation.h"
