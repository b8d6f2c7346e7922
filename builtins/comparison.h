// The comparison operators now live with the interpreter.
#pragma once

#include "interpreter/comparison.h"
