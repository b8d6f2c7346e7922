#include "numerics/lapack_library.h"

#include <cstdlib>
#include <mutex>
#include <string>

#include "numerics/lu.h"
#include "numerics/shared_library.h"

namespace {

LapackLibrary functions;  // written once, under `opened`
bool loaded = false;
std::string error;
std::once_flag opened;

void open() {
    void (*setThreads)(int) = nullptr;
    if (!openSharedLibrary({"libopenblas.so.0"},
                           {librarySymbol("openblas_set_num_threads", setThreads)}, error))
        return;
    if (!std::getenv("OPENBLAS_NUM_THREADS") && !std::getenv("OMP_NUM_THREADS")) setThreads(1);
    loaded = openSharedLibrary({"liblapacke.so.3"},
                               {librarySymbol("LAPACKE_dgetrf_work", functions.dgetrf_work),
                                librarySymbol("LAPACKE_zgetrf_work", functions.zgetrf_work),
                                librarySymbol("LAPACKE_dgetrs_work", functions.dgetrs_work),
                                librarySymbol("LAPACKE_zgetrs_work", functions.zgetrs_work),
                                librarySymbol("LAPACKE_zgeev", functions.zgeev)},
                               error);
}

}  // namespace

const LapackLibrary* lapackLibrary() {
    std::call_once(opened, open);
    return loaded ? &functions : nullptr;
}

const char* lapackError() {
    std::call_once(opened, open);
    return error.c_str();
}
