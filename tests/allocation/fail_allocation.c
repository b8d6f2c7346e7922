/* Preloaded into kalix by the allocation-failure test: the allocation
 * numbered KALIX_FAIL_ALLOCATION (counted from the start of the process,
 * malloc, calloc, realloc and aligned allocations alike) fails as when
 * memory has run out. With KALIX_COUNT_ALLOCATIONS naming a file, the
 * number of allocations made is written there at exit. Only the process
 * that loads it first counts: the variables are taken out of the
 * environment, so the programs kalix starts (a shell, Maxima) run as usual.
 *
 * FFTW ends the process by design when an allocation fails, as do the
 * start-up code of the Fortran run-time and OpenBLAS (run when LAPACK is
 * first opened): an allocation asked for by them is passed over and the
 * next one fails instead. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern void* __libc_malloc(size_t);
extern void* __libc_calloc(size_t, size_t);
extern void* __libc_realloc(void*, size_t);
extern void* __libc_memalign(size_t, size_t);

static atomic_long made;
static long failing = -1; /* -1: not read yet, 0: none */
static char countPath[4096];

static void __attribute__((constructor)) takeEnvironment(void) {
    const char* text = getenv("KALIX_FAIL_ALLOCATION");
    failing = text ? atol(text) : 0;
    const char* path = getenv("KALIX_COUNT_ALLOCATIONS");
    if (path) snprintf(countPath, sizeof countPath, "%s", path);
    unsetenv("KALIX_FAIL_ALLOCATION");
    unsetenv("KALIX_COUNT_ALLOCATIONS");
    unsetenv("LD_PRELOAD");
}

static int abortsOnFailure(void* caller) {
    Dl_info info;
    if (!dladdr(caller, &info) || !info.dli_fname) return 0;
    return strstr(info.dli_fname, "libfftw3") || strstr(info.dli_fname, "libgfortran") ||
           strstr(info.dli_fname, "libopenblas");
}

static int fails(void* caller) {
    long n = atomic_fetch_add(&made, 1) + 1;
    if (failing < 0) {
        const char* text = getenv("KALIX_FAIL_ALLOCATION");
        failing = text ? atol(text) : 0;
    }
    if (failing > 0 && n == failing) {
        if (abortsOnFailure(caller)) {
            failing++;
            return 0;
        }
        errno = ENOMEM;
        return 1;
    }
    return 0;
}

#define CALLER __builtin_return_address(0)

void* malloc(size_t size) { return fails(CALLER) ? NULL : __libc_malloc(size); }
void* calloc(size_t count, size_t size) {
    return fails(CALLER) ? NULL : __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) {
    return fails(CALLER) ? NULL : __libc_realloc(block, size);
}
void* memalign(size_t alignment, size_t size) {
    return fails(CALLER) ? NULL : __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    return fails(CALLER) ? NULL : __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    void* block = fails(CALLER) ? NULL : __libc_memalign(alignment, size);
    if (!block) return ENOMEM;
    *out = block;
    return 0;
}

static void __attribute__((destructor)) report(void) {
    if (!countPath[0]) return;
    FILE* file = fopen(countPath, "w");
    if (!file) return;
    fprintf(file, "%ld\n", (long)atomic_load(&made));
    fclose(file);
}
