// Probability distributions and special functions through ALGLIB: error
// functions, gamma, log-gamma and beta, incomplete gamma and beta and their
// inverses, the normal, chi-square, Student t, F and binomial distributions,
// and the sample quantile (builtins/alglib_library.h). Every ALGLIB call sits
// in a guard: its failure gives NaN (0 for the binomial members), the
// member's message, and error 1 unless errors are off.
#include "builtins/distributions.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "builtins/alglib_library.h"
#include "builtins/builtin_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/elementwise.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/distribution_kernels.h"

namespace kalix {

namespace {

// The value `evaluate(functions, &value)` computes; when it fails, NaN and
// the error, and `report` prints the member's message (or nothing).
template <class Evaluate, class Report>
double guarded(Evaluate evaluate, Report report) {
    const AlglibFunctions* alglib = alglibFunctions();
    if (!alglib) return NAN;
    double value;
    if (evaluate(*alglib, &value)) return value;
    report();
    if (!errorsOff) errorCode = errorFailed;
    return NAN;
}

void noMessage() {}

template <class Evaluate>
double guarded(Evaluate evaluate) {
    return guarded(evaluate, noMessage);
}

// Degrees of freedom and counts must be 32-bit integers; a failed test is
// an ALGLIB failure of its own.
bool integerParameter(double x, int32_t* n) {
    return x > -2147483649.0 && x < 2147483648.0 && (*n = int32_t(x)) == x;
}

using Functions = const AlglibFunctions&;

// --- one real ------------------------------------------------------------------

double erfReal(double x) {
    return guarded([&](Functions a, double* r) { return a.errorFunction(x, r); });
}
// The C library's erfc keeps its relative accuracy in the whole tail,
// down to the last values above the smallest double.
double erfcReal(double x) { return std::erfc(x); }
double gammalnReal(double x) {
    return guarded([&](Functions a, double* r) { return a.lnGamma(x, r); });
}
// Phi(x) = erfc(-x / sqrt 2) / 2, which keeps the lower tail that
// (1 + erf) / 2 cancels. The argument's rounding (the product's error and
// the constant's own, 1/sqrt 2 = c + cLow) is carried by one Taylor term:
// in the far tail erfc's relative change is 2 t times the argument's.
double normaldisReal(double x) {
    constexpr double c = 0.70710678118654757, cLow = -4.8336466567264567e-17;
    constexpr double twoOverSqrtPi = 1.1283791670955126;
    const double t = -x * c;
    const double e = std::fma(-x, c, -t) - x * cLow;
    const double value = std::erfc(t);
    if (e == 0 || !std::isfinite(value)) return 0.5 * value;
    return 0.5 * (value - e * twoOverSqrtPi * std::exp(-t * t));
}

// --- two reals ----------------------------------------------------------------------

void betaReal(const double* a, const double* b, double* result) {
    *result = guarded([&](Functions f, double* r) { return f.beta(*a, *b, r); });
}

// The members of the form f(x, n) with an integer n: ALGLIB's function
// takes n first; a failure prints "AlgLib: <name>(x,n) could not be
// evaluated."
template <bool (*F)(Functions, double n, double x, double* result), const char* name>
void degreesReal(const double* x, const double* n, double* result) {
    *result = guarded(
        [&](Functions a, double* r) {
            int32_t k;
            return integerParameter(*n, &k) && F(a, *n, *x, r);
        },
        [&] {
            printFormattedMessage("AlgLib: %s(%g,%g) could not be evaluated.\n", name, *x, *n);
        });
}

// P(a, x) (or Q(a, x), `complement`) for a > 0 and x >= 0: from the
// kernels where ALGLIB loses the value or never ends (large a; Q for small
// a and x), else from ALGLIB, whose value is kept inside [0, 1].
bool incompleteGammaValue(Functions f, bool complement, double a, double x, double* r) {
    IncompleteGamma g;
    if (a >= temmeLeastOrder && temmeIncompleteGamma(a, x, &g)) {
        *r = complement ? g.q : g.p;
        return true;
    }
    if (complement && a <= 0.5 && x <= 1.5) {
        *r = smallOrderIncompleteGammaComplement(a, x);
        return true;
    }
    if (!(complement ? f.incompleteGammaComplement(a, x, r) : f.incompleteGamma(a, x, r)))
        return false;
    *r = std::fmax(0.0, std::fmin(1.0, *r));
    return true;
}

// Chi-square with n degrees of freedom is P(n/2, x/2).
bool chiSquare(Functions f, double n, double x, double* r) {
    if (n / 2 >= temmeLeastOrder && x >= 0) return incompleteGammaValue(f, false, n / 2, x / 2, r);
    return f.chiSquare(n, x, r);
}
bool chiSquareComplement(Functions f, double n, double x, double* r) {
    if (n / 2 >= temmeLeastOrder && x >= 0) return incompleteGammaValue(f, true, n / 2, x / 2, r);
    return f.chiSquareComplement(n, x, r);
}
// The ends of the complement's inverse are answered here: ALGLIB's search
// for the x of probability 0 never ends.
bool inverseChiSquare(Functions f, double n, double y, double* r) {
    if (y == 0 && n >= 1) {
        *r = INFINITY;
        return true;
    }
    if (y == 1 && n >= 1) {
        *r = 0;
        return true;
    }
    return f.inverseChiSquare(n, y, r);
}
bool studentT(Functions f, double n, double t, double* r) {
    if (n >= studentTLeastDegrees) {
        *r = studentTManyDegrees(t, n);
        return true;
    }
    return f.studentT(int32_t(n), t, r);
}
bool inverseStudentT(Functions f, double n, double p, double* r) {
    return f.inverseStudentT(int32_t(n), p, r);
}
bool incompleteGamma(Functions f, double a, double x, double* r) {
    return incompleteGammaValue(f, false, a, x, r);
}
bool incompleteGammaComplement(Functions f, double a, double x, double* r) {
    return incompleteGammaValue(f, true, a, x, r);
}

constexpr char chidisName[] = "chidis";
constexpr char chicdisName[] = "chicdis";
constexpr char invchidisName[] = "invchidis";
constexpr char tdisName[] = "tdis";
constexpr char invtdisName[] = "invtdis";
constexpr char gammaiName[] = "gammai";
constexpr char gammaicName[] = "gammaic";

// gammai(x, a) and gammaic(x, a): x >= 0 and a > 0, else error 1 without a
// message of their own.
template <bool (*F)(Functions, double a, double x, double* result), const char* name>
void incompleteGammaReal(const double* x, const double* a, double* result) {
    if (!(*x >= 0 && *a > 0)) {
        if (!errorsOff) errorCode = errorFailed;
        *result = NAN;
        return;
    }
    *result = guarded([&](Functions f, double* r) { return F(f, *a, *x, r); },
                      [&] {
                          printFormattedMessage("AlgLib: %s(%g,%g) could not be evaluated.\n", name,
                                                *x, *a);
                      });
}

// --- several reals --------------------------------------------------------------------

// ALGLIB answers wrongly where its gamma products overflow (a b below
// 1e-300), and its inverse never ends there: the step that the
// distribution is then comes from the kernel. Values are kept inside
// [0, 1]. The first value is x for betai, y for invbetai.
using BetaFunction = bool (*)(double a, double b, double x, double* result);
template <BetaFunction tinyParameter, BetaFunction AlglibFunctions::*alglibMember>
double incompleteBetaReal(double** v, int, int, const char*) {
    const double x = *v[0], a = *v[1], b = *v[2];
    return guarded([&](Functions f, double* r) {
        if (tinyParameter(a, b, x, r)) return true;
        if (!(f.*alglibMember)(a, b, x, r)) return false;
        *r = std::fmax(0.0, std::fmin(1.0, *r));
        return true;
    });
}
constexpr auto betaiReal =
    incompleteBetaReal<tinyParameterIncompleteBeta, &AlglibFunctions::incompleteBeta>;
constexpr auto invbetaiReal =
    incompleteBetaReal<tinyParameterInverseIncompleteBeta, &AlglibFunctions::inverseIncompleteBeta>;

// k and n truncated, p the third value: k and n at least 0, k <= n and p
// not outside [0, 1] (NaN passes), else "Illegal parameter"; errors are
// never switched off here and the failed value is 0.
template <bool (*AlglibFunctions::*F)(int32_t k, int32_t n, double p, double* result)>
double binomialReal(double** v, const char* name) {
    const int k = clampToInt(*v[0]), n = clampToInt(*v[1]);
    const double p = *v[2];
    if (!(n >= 0 && k >= 0 && k <= n && !(p < 0) && !(p > 1))) {
        fail(errorFailed, "Illegal parameter in bindis(%d,%d,%g).\n", k, n, p);
        return 0;
    }
    const AlglibFunctions* alglib = alglibFunctions();
    if (!alglib) return 0;
    double result;
    if ((alglib->*F)(k, n, p, &result)) return result;
    // NaN is written as everywhere else.
    char value[32];
    if (std::isnan(p))
        std::snprintf(value, sizeof value, "NAN");
    else
        std::snprintf(value, sizeof value, "%g", p);
    fail(errorFailed, "AlgLib %s could not evaluate %d out of %d with p=%s!\n", name, k, n, value);
    return 0;
}

double bindisReal(double** v, int, int, const char*) {
    return binomialReal<&AlglibFunctions::binomial>(v, "bindis");
}
double bincdisReal(double** v, int, int, const char*) {
    return binomialReal<&AlglibFunctions::binomialComplement>(v, "bindis");
}
double invpbindisReal(double** v, int, int, const char*) {
    return binomialReal<&AlglibFunctions::inverseBinomial>(v, "invpbindis");
}

// --- handlers ---------------------------------------------------------------------------

UNARY_HANDLER(builtinErf, mapRealComplex, "erf", erfReal, nullptr)
UNARY_HANDLER(builtinErfc, mapRealComplex, "erfc", erfcReal, nullptr)
UNARY_HANDLER(builtinGammaln, mapRealComplex, "gammaln", gammalnReal, nullptr)
UNARY_HANDLER(builtinNormaldis, mapRealComplex, "normaldis", normaldisReal, nullptr)

// The two-real members: the engine's name and the name of "Error in".
template <RealBinaryFunction F, const char* engineName, const char* errorName>
void binaryMember(header* first) {
    mapBinary(F, nullptr, nullptr, first, engineName);
    reportErrorIn(errorName);
}

constexpr char betaName[] = "beta";
constexpr char gammaName[] = "gamma";

void builtinBetai(header* first) { mapRealArguments(first, 3, betaiReal, "betai"); }
void builtinInvbetai(header* first) { mapRealArguments(first, 3, invbetaiReal, "invbetai"); }
void builtinBindis(header* first) { mapRealArguments(first, 3, bindisReal, "bindis"); }
void builtinBincdis(header* first) { mapRealArguments(first, 3, bincdisReal, "bindis"); }
void builtinInvpbindis(header* first) { mapRealArguments(first, 3, invpbindisReal, "invpbindis"); }

// fdis, fcdis, invfcdis: three real scalars x (or y), df1, df2.
using FFunction = bool (*AlglibFunctions::*)(int32_t df1, int32_t df2, double x, double* result);

// Three reals, each checked as soon as it is resolved; the refusal names
// the builtin as its message always has.
constexpr Signature fSignature(const char* refusal) {
    return {.builtin = nullptr,
            .need = nullptr,
            .rules = {{takesReal}, {takesReal}, {takesReal}},
            .order = CheckOrder::asResolved,
            .refusal = {errorWrongArgument, refusal}};
}
constexpr Signature fdisSignature = fSignature("Wrong arguments for fdis\n");
constexpr Signature fcdisSignature = fSignature("Wrong arguments for fdisc\n");
constexpr Signature invfcdisSignature = fSignature("Wrong arguments for invcfdis\n");

void fMember(header* first, const Signature& signature, FFunction f, const char* message) {
    const Arguments arguments(first, signature);
    if (!arguments) return;
    const double v[3] = {arguments.real(0), arguments.real(1), arguments.real(2)};
    const double result = guarded(
        [&](Functions a, double* r) {
            int32_t df1, df2;
            return integerParameter(v[1], &df1) && integerParameter(v[2], &df2) &&
                   (a.*f)(df1, df2, v[0], r);
        },
        [&] { printFormattedMessage(message, v[0], v[1], v[2]); });
    if (errorCode) return;
    header* pushed = pushReal(result);
    if (pushed) moveResult(first, pushed);
}

void builtinFdis(header* first) {
    fMember(first, fdisSignature, &AlglibFunctions::fLower,
            "AlgLib: fdis(%g,%g,%g) could not be evaluated.\n");
}
void builtinFcdis(header* first) {
    fMember(first, fcdisSignature, &AlglibFunctions::fUpper,
            "fcdis(%g,%g,%g) could not be evaluated.\n");
}
void builtinInvfcdis(header* first) {
    fMember(first, invfcdisSignature, &AlglibFunctions::fInverse,
            "finvcdis(%g,%g,%g) could not be evaluated.\n");
}

// The sample quantile of a non-empty real row vector.
// quantile(v, q)
constexpr Signature quantileSignature = {
    "quantile", "real vector and real quantile", {{kindBit(kindRealMatrix)}, {takesReal}}};

void builtinQuantile(header* first) {
    const Arguments a(first, quantileSignature);
    if (!a) return;
    header* v = a[0];
    const double p = a.real(1);
    const int n = matrixColumns(v);
    if (matrixRows(v) != 1 || n < 1 || !(p >= 0 && p <= 1)) {
        a.need("1xn vector and quantile 0<=q<=1");
        return;
    }
    const AlglibFunctions* alglib = alglibFunctions();
    if (!alglib) return;
    double result = 0;
    if (!alglib->samplePercentile(matrixData(v), n, p, &result)) {
        fail(errorFailed, "AlgLib quantile could not evaluate quantile %g!\n", p);
        return;
    }
    header* pushed = pushReal(result);
    if (pushed) moveResult(first, pushed);
}

}  // namespace

double gammaReal(double x) {
    return guarded([&](Functions a, double* r) { return a.gamma(x, r); });
}

static const BuiltinRecord rows[] = {
    {"beta", 2, 0, binaryMember<betaReal, betaName, betaName>},
    {"betai", 3, 0, builtinBetai},
    {"bincdis", 3, 0, builtinBincdis},
    {"bindis", 3, 0, builtinBindis},
    {"chicdis", 2, 0,
     binaryMember<degreesReal<chiSquareComplement, chicdisName>, chicdisName, chicdisName>},
    {"chidis", 2, 0, binaryMember<degreesReal<chiSquare, chidisName>, chidisName, chidisName>},
    {"erf", 1, 0, builtinErf},
    {"erfc", 1, 0, builtinErfc},
    {"fcdis", 3, 0, builtinFcdis},
    {"fdis", 3, 0, builtinFdis},
    {"gammai", 2, 0,
     binaryMember<incompleteGammaReal<incompleteGamma, gammaiName>, gammaiName, gammaName>},
    {"gammaic", 2, 0,
     binaryMember<incompleteGammaReal<incompleteGammaComplement, gammaicName>, gammaicName,
                  gammaName>},
    {"gammaln", 1, 0, builtinGammaln},
    {"invbetai", 3, 0, builtinInvbetai},
    {"invchicdis", 2, 0,
     binaryMember<degreesReal<inverseChiSquare, invchidisName>, invchidisName, invchidisName>},
    {"invfcdis", 3, 0, builtinInvfcdis},
    {"invpbindis", 3, 0, builtinInvpbindis},
    {"invtdis", 2, 0,
     binaryMember<degreesReal<inverseStudentT, invtdisName>, invtdisName, invtdisName>},
    {"normaldis", 1, 0, builtinNormaldis},
    {"quantile", 2, 0, builtinQuantile},
    {"tdis", 2, 0, binaryMember<degreesReal<studentT, tdisName>, tdisName, tdisName>},
};
KALIX_BUILTIN_FAMILY(distributionBuiltins, rows);

}  // namespace kalix
