// Element-wise mathematical builtins: elementary functions on reals, complex
// numbers and intervals, rounding, factorials and binomials, remainders,
// parts of complex numbers, bit operations, `complex`, and the fast random
// generators.
#include "builtins/math.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>

#include "builtins/alglib_library.h"
#include "builtins/builtin_helpers.h"
#include "builtins/intervals.h"
#include "interpreter/arithmetic.h"
#include "interpreter/builtin_table.h"
#include "interpreter/elementwise.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/binomials.h"
#include "numerics/random_numbers.h"
#include "platform/host.h"

namespace kalix {

namespace {

// --- real element functions --------------------------------------------------

double sinReal(double x) {
    double r = std::sin(x);
    checkLibraryValue(x, r);
    return r;
}

double cosReal(double x) {
    double r = std::cos(x);
    checkLibraryValue(x, r);
    return r;
}

double tanReal(double x) {
    if (std::cos(x) == 0) return NAN;
    double r = std::tan(x);
    checkLibraryValue(x, r);
    return r;
}

double asinReal(double x) {
    if (x < -1 || x > 1) {
        reportFloatingPointError(errorMathLibrary);
        return NAN;
    }
    return std::asin(x);
}

double acosReal(double x) {
    if (x < -1 || x > 1) {
        reportFloatingPointError(errorMathLibrary);
        return NAN;
    }
    return std::acos(x);
}

double atanReal(double x) { return std::atan(x); }

double checkedExp(double x) {
    if (x >= 690) {
        reportFloatingPointError(errorMathLibrary);
        return NAN;
    }
    if (x <= -690) {
        if (underflowsOn) reportFloatingPointError(errorMathLibrary);
        return 0;
    }
    return std::exp(x);
}

double checkedSqrt(double x) {
    if (x < 0) {
        reportFloatingPointError(errorMathLibrary);
        return NAN;
    }
    return std::sqrt(x);
}

double absReal(double x) { return std::fabs(x); }
double ceilReal(double x) { return std::ceil(x); }
double floorReal(double x) { return std::floor(x); }
double itself(double x) { return x; }
double zeroOf(double) { return 0; }

double signReal(double x) {
    if (x < 0) return -1;
    if (x == 0) return 0;
    return 1;
}

double argReal(double x) { return x >= 0 ? 0 : M_PI; }
double isNanReal(double x) { return std::isnan(x) ? 1 : 0; }

// Set by `round` before its pass.
double roundFactor = 1;

// Halves round away from zero. std::round is exact where floor(y + 0.5)
// is not (0.49999999999999994, odd numbers above 2^52); a value too large
// to scale is already a multiple of the step, and a step too large to be
// a double (10^-400) leaves 0.
double roundToFactor(double x) {
    if (roundFactor == 0) return std::isfinite(x) ? 0 : x;
    const double y = x * roundFactor;
    if (std::isinf(y) && std::isfinite(x)) return x;
    return std::round(y) / roundFactor;
}

// The sum of log i; for large n the log-gamma function gives the same sum
// without two billion steps.
double logfacReal(double x) {
    if (std::isnan(x)) return x;
    if (x < 2 || x > 2147483647) return 0;
    const int n = static_cast<int>(x);
    if (n > 10000) return std::lgamma(n + 1.0);
    double sum = 0;
    for (int i = 2; i <= n; i++) sum += std::log(static_cast<double>(i));
    return sum;
}

// The x-quantile of the standard normal distribution; outside (0, 1) NaN
// without an error.
double invnormaldisReal(double x) {
    if (x <= 0 || x >= 1) return NAN;
    const AlglibFunctions* alglib = alglibFunctions();
    if (!alglib) return NAN;
    double y;
    if (alglib->inverseNormal(x, &y)) return y;
    if (!errorsOff) errorCode = errorFailed;
    return NAN;
}

// Truncates to a 64-bit integer without undefined behaviour (NaN gives 0,
// out-of-range values are clamped), then keeps the low 32 bits.
uint32_t lowBits(double x) {
    int64_t v;
    if (std::isnan(x))
        v = 0;
    else if (x >= 9223372036854775807.0)
        v = std::numeric_limits<int64_t>::max();
    else if (x <= -9223372036854775808.0)
        v = std::numeric_limits<int64_t>::min();
    else
        v = static_cast<int64_t>(x);
    return static_cast<uint32_t>(static_cast<uint64_t>(v));
}

double bitnotReal(double x) { return static_cast<uint32_t>(~lowBits(x)); }

// --- binary real element functions -------------------------------------------

// A matrix of binomials may take long: Escape stops it.
bool elementInterrupted() {
    if (!checkEscape()) return false;
    fail(errorFailed, "User interrupted!\n");
    return true;
}

void binReal(const double* a, const double* b, double* result) {
    *result = elementInterrupted() ? NAN : binomialCoefficient(*a, *b);
}

void logbinReal(const double* a, const double* b, double* result) {
    *result = elementInterrupted() ? NAN : logBinomialCoefficient(*a, *b);
}

// The remainder has the sign of the divisor: in [0, m) for m > 0 and in
// (m, 0] for m < 0.
void modReal(const double* a, const double* b, double* result) {
    const double x = *a, m = *b;
    if (m == 0) {
        *result = x;
        return;
    }
    double r = std::fmod(x, m);
    if (r != 0 && (r < 0) != (m < 0)) r += m;
    *result = r;
}

void atan2Real(const double* a, const double* b, double* result) { *result = angleOfPoint(*a, *b); }

void maxReal(const double* a, const double* b, double* result) { *result = *a > *b ? *a : *b; }
void minReal(const double* a, const double* b, double* result) { *result = *a > *b ? *b : *a; }

void bitandReal(const double* a, const double* b, double* result) {
    *result = lowBits(*a) & lowBits(*b);
}
void bitorReal(const double* a, const double* b, double* result) {
    *result = lowBits(*a) | lowBits(*b);
}
void bitxorReal(const double* a, const double* b, double* result) {
    *result = lowBits(*a) ^ lowBits(*b);
}

void relerrorReal(const double* a, const double* b, double* result) {
    const double x = *a, y = *b;
    *result = std::fabs(y) < currentEpsilon ? std::fabs(x) : std::fabs(x / y - 1);
}

double relerrorComplex(double re1, double im1, double re2, double im2) {
    const double z = std::hypot(re1, im1), w = std::hypot(re2, im2);
    return w < currentEpsilon ? z : z / w - 1;
}

// --- complex element functions ------------------------------------------------

void expComplexChecked(const double* z, double* result) {
    if (z[0] >= 690) reportFloatingPointError(errorMathLibrary);
    expComplex(z, result);
}

// The library's complex functions stay accurate far from the origin, where
// the textbook formulas overflow or cancel.
template <std::complex<double> (*f)(const std::complex<double>&)>
void libraryComplex(const double* z, double* result) {
    std::complex<double> w = f(std::complex<double>(z[0], z[1]));
    result[0] = w.real();
    result[1] = w.imag();
}

void tanComplex(const double* z, double* result) { libraryComplex<std::tan>(z, result); }
void asinComplex(const double* z, double* result) { libraryComplex<std::asin>(z, result); }
void acosComplex(const double* z, double* result) { libraryComplex<std::acos>(z, result); }

// At the poles i and -i the log in atan z = (log(1 + iz) - log(1 - iz)) / 2i
// meets 0.
void atanComplex(const double* z, double* result) {
    if (z[0] == 0 && std::fabs(z[1]) == 1) {
        result[0] = 0;
        result[1] = checkedLog(0);
        return;
    }
    libraryComplex<std::atan>(z, result);
}

void conjComplex(const double* z, double* result) {
    result[0] = z[0];
    result[1] = -z[1];
}

void roundComplex(const double* z, double* result) {
    result[0] = roundToFactor(z[0]);
    result[1] = roundToFactor(z[1]);
}

double absComplex(const double* z) { return std::hypot(z[0], z[1]); }
double reComplex(const double* z) { return z[0]; }
double imComplex(const double* z) { return z[1]; }
double argComplex(const double* z) { return angleOfPoint(z[0], z[1]); }
double isNanComplex(const double* z) { return std::isnan(z[0]) || std::isnan(z[1]) ? 1 : 0; }

double realOfComplex(const double* z) {
    if (std::fabs(z[1]) <= currentEpsilon) return z[0];
    reportDomainError("Not a real number!\n", 50);
    return NAN;
}

// --- handlers ------------------------------------------------------------------

// The argument record is the last one: with the prefix "complex:" a real
// argument becomes complex first.
void complexUnderPrefix(header* argument) {
    if (complexExpressionFlag) convertToComplex(argument);
}

UNARY_HANDLER(builtinSin, mapRealComplexInterval, "sin", sinReal, sinComplex, sinInterval)
UNARY_HANDLER(builtinCos, mapRealComplexInterval, "cos", cosReal, cosComplex, cosInterval)
UNARY_HANDLER(builtinTan, mapRealComplexInterval, "tan", tanReal, tanComplex, tanInterval)
UNARY_HANDLER(builtinAsin, mapRealComplexInterval, "asin", asinReal, asinComplex, asinInterval)
UNARY_HANDLER(builtinAcos, mapRealComplexInterval, "acos", acosReal, acosComplex, acosInterval)
UNARY_HANDLER(builtinAtan, mapRealComplexInterval, "atan", atanReal, atanComplex, atanInterval)
UNARY_HANDLER(builtinExp, mapRealComplexInterval, "exp", checkedExp, expComplexChecked,
              expIntervalChecked)
UNARY_HANDLER(builtinAbs, mapToRealOrInterval, "abs", absReal, absComplex, absInterval)
UNARY_HANDLER(builtinCeil, mapRealComplex, "ceil", ceilReal, nullptr)
UNARY_HANDLER(builtinFloor, mapRealComplex, "floor", floorReal, nullptr)
UNARY_HANDLER(builtinSign, mapRealComplex, "sign", signReal, nullptr)
UNARY_HANDLER(builtinLogfac, mapRealComplex, "logfak", logfacReal, nullptr)
UNARY_HANDLER(builtinInvnormaldis, mapRealComplex, "invnormaldis", invnormaldisReal, nullptr)
UNARY_HANDLER(builtinConj, mapRealComplex, "conj", itself, conjComplex)
UNARY_HANDLER(builtinRe, mapComplexToReal, "re", itself, reComplex)
UNARY_HANDLER(builtinIm, mapComplexToReal, "im", zeroOf, imComplex)
UNARY_HANDLER(builtinArg, mapComplexToReal, "arg", argReal, argComplex)
UNARY_HANDLER(builtinBitnot, mapComplexToReal, "bitnot", bitnotReal, nullptr)

void builtinReal(header* first) { mapComplexToReal(itself, realOfComplex, first); }
void builtinIsNan(header* first) { mapComplexToReal(isNanReal, isNanComplex, first); }

void builtinLog(header* first) {
    complexUnderPrefix(first);
    if (errorCode) return;
    mapRealComplexInterval(checkedLog, logComplex, logInterval, first);
    reportErrorIn("log");
}

void builtinSqrt(header* first) {
    complexUnderPrefix(first);
    if (errorCode) return;
    mapRealComplexInterval(checkedSqrt, sqrtComplex, sqrtInterval, first, sqrtIntervals);
    reportErrorIn("sqrt");
}

constexpr double powersOfTen[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};

void setRoundFactor(int n) { roundFactor = n >= 0 && n <= 10 ? powersOfTen[n] : std::pow(10.0, n); }

void builtinRound1(header* first) {
    setRoundFactor(0);
    mapRealComplex(roundToFactor, roundComplex, first);
    reportErrorIn("round");
}

// The digits of round(x, n), read before x: x goes to the element map.
constexpr Signature roundDigitsSignature = {"round", "real, or real and int", {{takesReal}}};

void builtinRound2(header* first) {
    const Arguments digits(nextValue(first), roundDigitsSignature);
    if (!digits) return;
    setRoundFactor(clampToInt(digits.real(0)));
    mapRealComplex(roundToFactor, roundComplex, first);
    reportErrorIn("round");
}

BINARY_HANDLER(builtinBin, mapBinary, "bin", binReal, nullptr, nullptr)
BINARY_HANDLER(builtinLogbin, mapBinary, "logbin", logbinReal, nullptr, nullptr)
BINARY_HANDLER(builtinMod, mapBinary, "mod", modReal, nullptr, nullptr)
BINARY_HANDLER(builtinAtan2, mapBinary, "tan2", atan2Real, nullptr, nullptr)
BINARY_HANDLER(builtinMax, mapBinary, "max", maxReal, nullptr, maxIntervals)
BINARY_HANDLER(builtinMin, mapBinary, "min", minReal, nullptr, minIntervals)
BINARY_HANDLER(builtinBitand, mapBinaryToReal, "bitand", bitandReal, nullptr, nullptr)
BINARY_HANDLER(builtinBitor, mapBinaryToReal, "bitor", bitorReal, nullptr, nullptr)
BINARY_HANDLER(builtinBitxor, mapBinaryToReal, "bitxor", bitxorReal, nullptr, nullptr)
BINARY_HANDLER(builtinRelerror, mapBinaryToReal, "relerror", relerrorReal, relerrorComplex, nullptr)

// The project's 15-bit generator (0 .. 32767), the same on every machine;
// never reseeded.
double nextFastRandom() { return static_cast<double>(nextRandom15()) / 32767; }

// [n, m] with 0 <= n < 2^31 - 1 and 0 <= m <= 2^31 - 1 as rows and columns.
constexpr Signature randomShapeSignature(const char* builtin) {
    return {builtin, "1x2 vector", {{.kinds = kindBit(kindRealMatrix), .rows = 1, .columns = 2}}};
}
constexpr Signature fastrandomSignature = randomShapeSignature("random");
constexpr Signature fastnormalSignature = randomShapeSignature("normal");

bool readRandomShape(header* first, const Signature& signature, int* rows, int* columns) {
    const Arguments a(first, signature);
    if (!a) return false;
    const double n = matrixData(a[0])[0], m = matrixData(a[0])[1];
    if (n >= 0 && n < 2147483647 && m >= 0 && m <= 2147483647) {
        *rows = static_cast<int>(n);
        *columns = static_cast<int>(m);
        return true;
    }
    a.refuse();
    return false;
}

template <class Draw>
void fillRandom(header* first, const Signature& signature, Draw draw) {
    int rows, columns;
    if (!readRandomShape(first, signature, &rows, &columns)) return;
    header* result = pushRealMatrix(rows, columns);
    if (errorCode) return;
    double* out = matrixData(result);
    const int64_t n = int64_t(rows) * columns;
    for (int64_t i = 0; i < n; i++) out[i] = draw();
    moveResult(first, result);
}

void builtinFastrandom(header* first) { fillRandom(first, fastrandomSignature, nextFastRandom); }

// Box-Muller, one value per two draws; a first draw of 0 gives 0.
void builtinFastnormal(header* first) {
    fillRandom(first, fastnormalSignature, [] {
        double u = nextFastRandom();
        if (u == 0) return 0.0;
        double v = nextFastRandom();
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * M_PI * v);
    });
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"abs", 1, 0, builtinAbs},
    {"acos", 1, 0, builtinAcos},
    {"arccos", 1, 0, builtinAcos},
    {"arcsin", 1, 0, builtinAsin},
    {"arctan", 1, 0, builtinAtan},
    {"arctan2", 2, 0, builtinAtan2},
    {"arg", 1, 0, builtinArg},
    {"asin", 1, 0, builtinAsin},
    {"atan", 1, 0, builtinAtan},
    {"atan2", 2, 0, builtinAtan2},
    {"bin", 2, 0, builtinBin},
    {"bitand", 2, 0, builtinBitand},
    {"bitnot", 1, 0, builtinBitnot},
    {"bitor", 2, 0, builtinBitor},
    {"bitxor", 2, 0, builtinBitxor},
    {"ceil", 1, 0, builtinCeil},
    {"complex", 1, 0, convertToComplex},
    {"conj", 1, 0, builtinConj},
    {"cos", 1, 0, builtinCos},
    {"exp", 1, 0, builtinExp},
    {"fac", 1, 0, fac},
    {"fastnormal", 1, 0, builtinFastnormal},
    {"fastrandom", 1, 0, builtinFastrandom},
    {"floor", 1, 0, builtinFloor},
    {"im", 1, 0, builtinIm},
    {"invnormaldis", 1, 0, builtinInvnormaldis},
    {"isNAN", 1, 0, builtinIsNan},
    {"ln", 1, 0, builtinLog},
    {"log", 1, 0, builtinLog},
    {"logbin", 2, 0, builtinLogbin},
    {"logfac", 1, 0, builtinLogfac},
    {"max", 2, 0, builtinMax},
    {"min", 2, 0, builtinMin},
    {"mod", 2, 0, builtinMod},
    {"re", 1, 0, builtinRe},
    {"real", 1, 0, builtinReal},
    {"relerror", 2, 0, builtinRelerror},
    {"round", 1, 0, builtinRound1},
    {"round", 2, 0, builtinRound2},
    {"sign", 1, 0, builtinSign},
    {"sin", 1, 0, builtinSin},
    {"sqrt", 1, 0, builtinSqrt},
    {"tan", 1, 0, builtinTan},
};
KALIX_BUILTIN_FAMILY(mathBuiltins, rows);

}  // namespace kalix
