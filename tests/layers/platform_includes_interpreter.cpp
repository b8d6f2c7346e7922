// Must not compile: the platform may not include the interpreter.
#include "interpreter/output.h"
