#include "numerics/blas_threads.h"

#include <cstdlib>
#include <mutex>

extern "C" void openblas_set_num_threads(int threads);

void limitBlasThreads() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!std::getenv("OPENBLAS_NUM_THREADS") && !std::getenv("OMP_NUM_THREADS"))
            openblas_set_num_threads(1);
    });
}
