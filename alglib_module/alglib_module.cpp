// libkalix-alglib.so: thin wrappers on plain data around the ALGLIB calls
// of the builtins. Every ALGLIB error is caught here and becomes false.
#include <integration.h>
#include <linalg.h>
#include <solvers.h>
#include <specialfunctions.h>
#include <statistics.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "numerics/alglib_functions.h"

namespace kalix {

namespace {

// The value of `evaluate` in *result; false on ALGLIB's error.
template <class Evaluate>
bool guard(Evaluate evaluate, double* result) {
    try {
        *result = evaluate();
        return true;
    } catch (const alglib::ap_error&) {
        return false;
    }
}

bool errorFunction(double x, double* r) {
    return guard([&] { return alglib::errorfunction(x); }, r);
}
bool lnGamma(double x, double* r) {
    return guard(
        [&] {
            double sign;
            return alglib::lngamma(x, sign);
        },
        r);
}
bool gamma(double x, double* r) {
    return guard([&] { return alglib::gammafunction(x); }, r);
}
bool beta(double a, double b, double* r) {
    return guard([&] { return alglib::beta(a, b); }, r);
}
bool inverseNormal(double y, double* r) {
    return guard([&] { return alglib::invnormaldistribution(y); }, r);
}
bool chiSquare(double n, double x, double* r) {
    return guard([&] { return alglib::chisquaredistribution(n, x); }, r);
}
bool chiSquareComplement(double n, double x, double* r) {
    return guard([&] { return alglib::chisquarecdistribution(n, x); }, r);
}
bool inverseChiSquare(double n, double y, double* r) {
    return guard([&] { return alglib::invchisquaredistribution(n, y); }, r);
}
bool studentT(int32_t n, double t, double* r) {
    return guard([&] { return alglib::studenttdistribution(n, t); }, r);
}
bool inverseStudentT(int32_t n, double p, double* r) {
    return guard([&] { return alglib::invstudenttdistribution(n, p); }, r);
}
bool incompleteGamma(double a, double x, double* r) {
    return guard([&] { return alglib::incompletegamma(a, x); }, r);
}
bool incompleteGammaComplement(double a, double x, double* r) {
    return guard([&] { return alglib::incompletegammac(a, x); }, r);
}
bool incompleteBeta(double a, double b, double x, double* r) {
    return guard([&] { return alglib::incompletebeta(a, b, x); }, r);
}
bool inverseIncompleteBeta(double a, double b, double y, double* r) {
    return guard([&] { return alglib::invincompletebeta(a, b, y); }, r);
}
bool binomial(int32_t k, int32_t n, double p, double* r) {
    return guard([&] { return alglib::binomialdistribution(k, n, p); }, r);
}
bool binomialComplement(int32_t k, int32_t n, double p, double* r) {
    return guard([&] { return alglib::binomialcdistribution(k, n, p); }, r);
}
bool inverseBinomial(int32_t k, int32_t n, double y, double* r) {
    return guard([&] { return alglib::invbinomialdistribution(k, n, y); }, r);
}
bool fLower(int32_t a, int32_t b, double x, double* r) {
    return guard([&] { return alglib::fdistribution(a, b, x); }, r);
}
bool fUpper(int32_t a, int32_t b, double x, double* r) {
    return guard([&] { return alglib::fcdistribution(a, b, x); }, r);
}
bool fInverse(int32_t a, int32_t b, double y, double* r) {
    return guard([&] { return alglib::invfdistribution(a, b, y); }, r);
}

bool samplePercentile(const double* x, int n, double p, double* r) {
    return guard(
        [&] {
            alglib::real_1d_array values;
            values.setcontent(n, x);
            double result = 0;
            alglib::samplepercentile(values, n, p, result);
            return result;
        },
        r);
}

// ALGLIB's dense linear algebra loses its way when the entries are near
// the ends of the double range (a matrix of 1e308 has "real" eigenvalues, a
// regular one turns "singular"): such values go in scaled by a power of two
// (exactly) to a largest magnitude in [0.5, 1). The exponent to take off
// the `count` values, 0 when they lie well inside the range; false for a
// value that is not finite (ALGLIB answers those with NAN and success).
bool scaleExponent(const double* x, int64_t count, int* exponent) {
    double largest = 0;
    for (int64_t k = 0; k < count; k++) {
        if (!std::isfinite(x[k])) return false;
        largest = std::fmax(largest, std::fabs(x[k]));
    }
    *exponent = 0;
    if (largest > 0x1p500 || (largest > 0 && largest < 0x1p-500)) std::frexp(largest, exponent);
    return true;
}

// x times 2^-exponent, as ALGLIB's array.
std::vector<double> scaled(const double* x, int64_t count, int exponent) {
    std::vector<double> y(x, x + count);
    if (exponent != 0)
        for (double& v : y) v = std::ldexp(v, -exponent);
    return y;
}

bool eigen(const double* a, int n, bool vectors, double* wr, double* wi, double* vr,
           bool* converged) {
    const int64_t count = int64_t(n) * n;
    int exponent;
    if (!scaleExponent(a, count, &exponent)) return false;
    try {
        alglib::real_2d_array matrix, left, right;
        alglib::real_1d_array re, im;
        matrix.setcontent(n, n, scaled(a, count, exponent).data());
        *converged = alglib::rmatrixevd(matrix, n, vectors ? 1 : 0, re, im, left, right);
        // Without convergence the eigenvectors are not even allotted, and
        // what the eigenvalue arrays hold is not the answer: NAN throughout.
        if (re.length() != n || im.length() != n ||
            (vectors && (right.rows() != n || right.cols() != n)))
            *converged = false;
        if (!*converged) {
            std::fill(wr, wr + n, NAN);
            std::fill(wi, wi + n, NAN);
            if (vectors) std::fill(vr, vr + count, NAN);
            return true;
        }
        for (int k = 0; k < n; k++) {
            wr[k] = std::ldexp(re[k], exponent);
            wi[k] = std::ldexp(im[k], exponent);
        }
        if (vectors)
            for (int j = 0; j < n; j++)
                for (int k = 0; k < n; k++) vr[int64_t(j) * n + k] = right[j][k];
        return true;
    } catch (const alglib::ap_error&) {
        return false;
    }
}

bool solve(const double* a, int n, const double* b, int m, bool refine, double* x, int64_t* info,
           double* r1) {
    // A and b scaled apart: x = (2^-p A)^-1 (2^-q b) 2^(q-p).
    int p, q;
    if (!scaleExponent(a, int64_t(n) * n, &p) || !scaleExponent(b, int64_t(n) * m, &q))
        return false;
    try {
        alglib::real_2d_array matrix;
        matrix.setcontent(n, n, scaled(a, int64_t(n) * n, p).data());
        const std::vector<double> rhsValues = scaled(b, int64_t(n) * m, q);
        alglib::ae_int_t code = 0;
        alglib::densesolverreport report;
        if (m == 1) {
            alglib::real_1d_array rhs, solution;
            rhs.setcontent(n, rhsValues.data());
            alglib::rmatrixsolve(matrix, n, rhs, code, report, solution);
            if (solution.length() != n) return false;
            for (int i = 0; i < n; i++) x[i] = std::ldexp(solution[i], q - p);
        } else {
            alglib::real_2d_array rhs, solution;
            rhs.setcontent(n, m, rhsValues.data());
            alglib::rmatrixsolvem(matrix, n, rhs, m, refine, code, report, solution);
            if (solution.rows() != n || solution.cols() != m) return false;
            for (int i = 0; i < n; i++)
                for (int j = 0; j < m; j++)
                    x[int64_t(i) * m + j] = std::ldexp(solution[i][j], q - p);
        }
        *info = code;
        *r1 = report.r1;
        return true;
    } catch (const alglib::ap_error&) {
        return false;
    }
}

struct Integrand {
    AlglibIntegrand f;
    void* context;
};

// ALGLIB's callback: a failed evaluation stops the integration.
void evaluate(double x, double, double, double& y, void* pointer) {
    const Integrand& integrand = *static_cast<Integrand*>(pointer);
    if (!integrand.f(x, &y, integrand.context)) {
        y = 0;
        throw alglib::ap_error("Error in Function Evaluation");
    }
}

bool integrate(AlglibIntegrand f, void* context, double a, double b, bool singular, double alpha,
               double beta, double* result) {
    try {
        alglib::autogkstate state;
        alglib::autogkreport report;
        if (singular)
            alglib::autogksingular(a, b, alpha, beta, state);
        else
            alglib::autogksmooth(a, b, state);
        Integrand integrand{f, context};
        alglib::autogkintegrate(state, evaluate, &integrand);
        double value = 0;
        alglib::autogkresults(state, value, report);
        // Parameters ALGLIB refuses without throwing (an exponent of -1 or
        // below) end with a negative termination type.
        if (report.terminationtype < 0) return false;
        *result = value;
        return true;
    } catch (const alglib::ap_error&) {
        return false;
    }
}

const AlglibFunctions functions = {
    errorFunction,
    lnGamma,
    gamma,
    beta,
    inverseNormal,
    chiSquare,
    chiSquareComplement,
    inverseChiSquare,
    studentT,
    inverseStudentT,
    incompleteGamma,
    incompleteGammaComplement,
    incompleteBeta,
    inverseIncompleteBeta,
    binomial,
    binomialComplement,
    inverseBinomial,
    fLower,
    fUpper,
    fInverse,
    samplePercentile,
    eigen,
    solve,
    integrate,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const AlglibFunctions* kalixAlglibFunctions() {
    return &functions;
}

}  // namespace kalix
