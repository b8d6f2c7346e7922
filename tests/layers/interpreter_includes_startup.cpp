// Must not compile: the interpreter may not include the shell's start-up.
#include "app/startup.h"
