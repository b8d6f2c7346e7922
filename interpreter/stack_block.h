// The memory of the interpreter stack block.
#pragma once

#include <cstddef>

namespace kalix {

// A block of `bytes` bytes for the stack, or null when there is no memory.
// The optimised build takes it from malloc. Under AddressSanitizer it is a
// mapping of its own, apart from the heap, so that the leak checker at exit
// reads only the used part (the block's start up to `newram`) instead of
// every page of the block; the bytes around it stay poisoned.
char* allocateStackBlock(size_t bytes);

}  // namespace kalix
