// Checks of the invariants the code states, compiled in debug and
// sanitizer builds (KALIX_CHECKS): a broken one stops the program with the
// condition and its place. The optimised build leaves the condition
// unevaluated.
#pragma once

#include <cassert>

#ifdef KALIX_CHECKS
#define KALIX_CHECK(condition) assert(condition)
#else
#define KALIX_CHECK(condition) ((void)sizeof(condition))
#endif
