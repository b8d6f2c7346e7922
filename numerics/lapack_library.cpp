#include "numerics/lapack_library.h"

#include <cstdlib>
#include <string>

#include "numerics/lu.h"
#include "numerics/shared_library.h"

namespace kalix {

namespace {

bool openLapack(LapackLibrary& functions, std::string& error) {
    void (*setThreads)(int) = nullptr;
    if (!openSharedLibrary({"libopenblas.so.0"},
                           {librarySymbol("openblas_set_num_threads", setThreads)}, error))
        return false;
    if (!std::getenv("OPENBLAS_NUM_THREADS") && !std::getenv("OMP_NUM_THREADS")) setThreads(1);
    return openSharedLibrary({"liblapacke.so.3"},
                             {librarySymbol("LAPACKE_dgetrf_work", functions.dgetrf_work),
                              librarySymbol("LAPACKE_zgetrf_work", functions.zgetrf_work),
                              librarySymbol("LAPACKE_dgetrs_work", functions.dgetrs_work),
                              librarySymbol("LAPACKE_zgetrs_work", functions.zgetrs_work),
                              librarySymbol("LAPACKE_zgeev", functions.zgeev)},
                             error);
}

LibraryTable<LapackLibrary> lapack(openLapack);

}  // namespace

const LapackLibrary* lapackLibrary() { return lapack.get(); }

const char* lapackError() { return lapack.error().c_str(); }

}  // namespace kalix
