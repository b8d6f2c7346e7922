// Bessel functions J, Y, I, K of real order element by element, all four
// values of one evaluation, and the gamma function of real and complex
// arguments. Kernels: numerics/bessel.h and numerics/complex_gamma.h.
#include "builtins/builtin_helpers.h"
#include "builtins/distributions.h"
#include "interpreter/builtin_table.h"
#include "interpreter/elementwise.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/bessel.h"
#include "numerics/complex_gamma.h"

namespace kalix {

namespace {

using BesselKernel = BesselStatus (*)(double nu, double x, double epsilon, BesselValues* out);

// The failure messages of the two kernels, J/Y first.
struct BesselMessages {
    const char* tooLarge;
    const char* series;
    const char* secondFraction;
};

constexpr BesselMessages jyMessages = {
    "x too large in bessel\n", "bessrl series failed to converge\n", "cf2 failed in bessjy\n"};
constexpr BesselMessages ikMessages = {"x too large in bessik\n",
                                       "bessk series failed to converge\n",
                                       "bessik: failure to converge in cf2\n"};

// False after the kernel's message and error 1.
bool reportBessel(BesselStatus status, const BesselMessages& messages) {
    switch (status) {
        case BesselStatus::ok:
            return true;
        case BesselStatus::badArguments:
            fail(errorFailed, "bad arguments in bessel\n");
            break;
        case BesselStatus::cf1Failed:
            fail(errorFailed, "%s", messages.tooLarge);
            break;
        case BesselStatus::seriesFailed:
            fail(errorFailed, "%s", messages.series);
            break;
        case BesselStatus::cf2Failed:
            fail(errorFailed, "%s", messages.secondFraction);
            break;
        case BesselStatus::chebyshevRange:
            fail(errorFailed, "x not in range in routine bessel\n");
            break;
    }
    return false;
}

bool evaluateBessel(BesselKernel kernel, double x, double nu, BesselValues* v) {
    const BesselMessages& messages = kernel == besselJY ? jyMessages : ikMessages;
    return reportBessel(kernel(nu, x, currentEpsilon, v), messages);
}

// Element functions: x from the first operand, the order from the second;
// each runs the whole kernel and keeps one value.
template <BesselKernel kernel, double BesselValues::*value>
void besselElement(const double* x, const double* nu, double* result) {
    BesselValues v;
    *result = evaluateBessel(kernel, *x, *nu, &v) ? v.*value : NAN;
}

constexpr char besseljName[] = "besselj";
constexpr char besselyName[] = "bessely";
constexpr char besseliName[] = "besseli";
constexpr char besselkName[] = "besselk";

template <RealBinaryFunction element, const char* name>
void builtinBessel(header* first) {
    mapBinary(element, nullptr, nullptr, first, name);
    reportErrorIn(name);
}

// Real scalars x and nu; the refusal names the builtin as it always has.
constexpr Signature allValuesSignature(const char* refusal) {
    return {.rules = {{takesReal}, {takesReal}}, .refusal = {errorWrongArgument, refusal}};
}
constexpr Signature besselallrSignature = allValuesSignature("Wrong arguments for besselall\n");
constexpr Signature besselmodallrSignature =
    allValuesSignature("Wrong arguments for besselmodall\n");

// The four values of one evaluation at x and nu, as four results.
void allValues(header* first, BesselKernel kernel, const Signature& signature) {
    const Arguments a(first, signature);
    if (!a) return;
    BesselValues v;
    if (!evaluateBessel(kernel, a.real(0), a.real(1), &v)) return;
    newram = reinterpret_cast<char*>(first);
    for (double value : {v.first, v.second, v.firstDerivative, v.secondDerivative}) {
        if (!pushReal(value)) return;
    }
}

void builtinBesselallr(header* first) { allValues(first, besselJY, besselallrSignature); }
void builtinBesselmodallr(header* first) { allValues(first, besselIK, besselmodallrSignature); }

void gammaComplexElement(const double* z, double* result) {
    const Complex g = gammaComplex(Complex(z[0], z[1]), gammaReal);
    result[0] = g.real();
    result[1] = g.imag();
}

UNARY_HANDLER(builtinGamma, mapRealComplex, "gamma", gammaReal, gammaComplexElement)

}  // namespace

static const BuiltinRecord rows[] = {
    {"besselallr", 2, 0, builtinBesselallr},
    {"besseli", 2, 0, builtinBessel<besselElement<besselIK, &BesselValues::first>, besseliName>},
    {"besselj", 2, 0, builtinBessel<besselElement<besselJY, &BesselValues::first>, besseljName>},
    {"besselk", 2, 0, builtinBessel<besselElement<besselIK, &BesselValues::second>, besselkName>},
    {"besselmodallr", 2, 0, builtinBesselmodallr},
    {"bessely", 2, 0, builtinBessel<besselElement<besselJY, &BesselValues::second>, besselyName>},
    {"gamma", 1, 0, builtinGamma},
};
KALIX_BUILTIN_FAMILY(besselGammaBuiltins, rows);

}  // namespace kalix
