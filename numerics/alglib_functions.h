// The functions of libkalix-alglib.so, the module beside the program that
// holds ALGLIB (special functions, distributions, a general eigensolver,
// dense solves, adaptive integration). The program opens it on first use,
// so a start that computes none of these does not load ALGLIB. Everything
// crosses the boundary as plain data: each function returns false where
// ALGLIB reports an error, and no ALGLIB type or exception leaves the
// module.
#pragma once

#include <cstdint>

namespace kalix {

// A real function of one variable: false when it cannot be evaluated.
using AlglibIntegrand = bool (*)(double x, double* y, void* context);

struct AlglibFunctions {
    bool (*errorFunction)(double x, double* result);
    bool (*lnGamma)(double x, double* result);
    bool (*gamma)(double x, double* result);
    bool (*beta)(double a, double b, double* result);
    bool (*inverseNormal)(double y, double* result);
    bool (*chiSquare)(double n, double x, double* result);
    bool (*chiSquareComplement)(double n, double x, double* result);
    bool (*inverseChiSquare)(double n, double y, double* result);
    bool (*studentT)(int32_t n, double t, double* result);
    bool (*inverseStudentT)(int32_t n, double p, double* result);
    bool (*incompleteGamma)(double a, double x, double* result);
    bool (*incompleteGammaComplement)(double a, double x, double* result);
    bool (*incompleteBeta)(double a, double b, double x, double* result);
    bool (*inverseIncompleteBeta)(double a, double b, double y, double* result);
    bool (*binomial)(int32_t k, int32_t n, double p, double* result);
    bool (*binomialComplement)(int32_t k, int32_t n, double p, double* result);
    bool (*inverseBinomial)(int32_t k, int32_t n, double y, double* result);
    bool (*fLower)(int32_t a, int32_t b, double x, double* result);
    bool (*fUpper)(int32_t a, int32_t b, double x, double* result);
    bool (*fInverse)(int32_t a, int32_t b, double y, double* result);
    // The p-quantile of x[0 .. n-1].
    bool (*samplePercentile)(const double* x, int n, double p, double* result);
    // Eigenvalues wr + i wi of the row-major n x n matrix a and, when
    // `vectors`, the right eigenvectors as the rows of the row-major n x n
    // vr (a complex pair k, k+1 shares columns k and k+1). `converged`:
    // whether the iteration converged.
    bool (*eigen)(const double* a, int n, bool vectors, double* wr, double* wi, double* vr,
                  bool* converged);
    // Solves a x = b, a n x n, b and x n x m (row-major); `refine` iterates
    // (m > 1 only). info: ALGLIB's code (1 solved, -3 singular), r1 the
    // reciprocal condition number.
    bool (*solve)(const double* a, int n, const double* b, int m, bool refine, double* x,
                  int64_t* info, double* r1);
    // The integral of f from a to b: smooth, or with the end-point
    // singularities (x-a)^alpha, (b-x)^beta. False when f fails or the
    // integration does.
    bool (*integrate)(AlglibIntegrand f, void* context, double a, double b, bool singular,
                      double alpha, double beta, double* result);
};

// The module's file and its one entry, a function returning the table.
inline constexpr const char* alglibModuleFile = "libkalix-alglib.so";
inline constexpr const char* alglibModuleEntry = "kalixAlglibFunctions";
using AlglibModuleEntry = const AlglibFunctions* (*)();

}  // namespace kalix
