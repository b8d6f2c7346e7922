// The memory of the interpreter stack block (stack_block.h).
#include "interpreter/stack_block.h"

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)

#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "interpreter/stack.h"

namespace kalix {

namespace {

// The newest mapped block; the leak checker reads the used part of it.
// Owner: the start-up thread (the block is allocated once, before the
// computation thread starts); read at exit.
char* mappedBlock = nullptr;
size_t mappedBytes = 0;

// Runs at exit before the leak check (the sanitizer registered its own
// handler at start, so it runs later). Live records lie below `newram`: the
// room below the function area (moved function records), the functions, the
// top-level variables, the frames and their temporaries; above it only stale
// copies remain. Records point only to records, on the stack or in the
// global store (whose heap copies the store holds itself), so a computation
// thread that was given up and still pushes loses no heap object here. When
// the stack lies elsewhere (a test set its own), the whole block is read, as
// for a heap block.
void registerUsedPart() {
    char* end = mappedBlock + mappedBytes;
    if (inArea(newram, mappedBlock, end)) end = newram;
    if (end > mappedBlock) __lsan_register_root_region(mappedBlock, size_t(end - mappedBlock));
}

}  // namespace

char* allocateStackBlock(size_t bytes) {
    size_t page = size_t(sysconf(_SC_PAGESIZE));
    size_t used = (bytes + page - 1) / page * page;
    if (used < bytes || used > SIZE_MAX - 2 * page) return nullptr;
    // One page before the block and the rest of its last page and one more
    // after it, poisoned, stand in for the heap's red zones.
    size_t length = used + 2 * page;
    void* mapped = mmap(nullptr, length, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    char* base = static_cast<char*>(mapped);
    char* block = base + page;
    ASAN_POISON_MEMORY_REGION(base, page);
    ASAN_POISON_MEMORY_REGION(block + bytes, length - page - bytes);
    // The first bytes are filled as the sanitizer's malloc fills them, so
    // that a read of never-written stack shows the same as with the heap.
    std::memset(block, 0xbe, std::min<size_t>(bytes, 4096));
    static bool registered = false;
    if (!registered) registered = std::atexit(registerUsedPart) == 0;
    mappedBlock = block;
    mappedBytes = bytes;
    return block;
}

}  // namespace kalix

#else

namespace kalix {

char* allocateStackBlock(size_t bytes) { return static_cast<char*>(std::malloc(bytes)); }

}  // namespace kalix

#endif
