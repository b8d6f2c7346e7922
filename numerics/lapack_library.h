// LAPACKE over OpenBLAS, opened on first use (the dense solver and the
// companion matrix's eigenvalues).
#pragma once

#define LAPACK_COMPLEX_STRUCTURE
#include <lapacke.h>

namespace kalix {

struct LapackLibrary {
    decltype(&LAPACKE_dgetrf_work) dgetrf_work;
    decltype(&LAPACKE_zgetrf_work) zgetrf_work;
    decltype(&LAPACKE_dgetrs_work) dgetrs_work;
    decltype(&LAPACKE_zgetrs_work) zgetrs_work;
    decltype(&LAPACKE_zgeev) zgeev;
};

// The functions, null when the libraries cannot be opened (lapackError in
// numerics/lu.h says why). OpenBLAS's worker threads wait by spinning: beside other busy
// processes a 100 x 100 solve then takes a hundred times longer than on
// one thread. So LAPACK runs on the calling thread alone unless the
// environment asks for more (OPENBLAS_NUM_THREADS or OMP_NUM_THREADS).
const LapackLibrary* lapackLibrary();

}  // namespace kalix
