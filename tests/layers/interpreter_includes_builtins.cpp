// Must not compile: the interpreter may not include a builtins header.
#include "builtins/builtin_helpers.h"
