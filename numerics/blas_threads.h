// The number of OpenBLAS worker threads the LAPACK calls run on.
#pragma once

// OpenBLAS's worker threads wait by spinning: beside other busy processes a
// 100 x 100 solve then takes a hundred times longer than on one thread. So
// LAPACK runs on the calling thread alone unless the environment asks for
// more (OPENBLAS_NUM_THREADS or OMP_NUM_THREADS). Called before each use;
// it acts once.
void limitBlasThreads();
