// Element-wise mathematical builtins: elementary functions on reals, complex
// numbers and intervals, rounding, factorials and binomials, remainders,
// parts of complex numbers, bit operations, the power operator, degree and
// percent, `complex`, and the fast random generators.
#include "builtins/math.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>

#include <specialfunctions.h>

#include "builtins/builtin_helpers.h"
#include "builtins/intervals.h"
#include "interpreter/arithmetic.h"
#include "interpreter/builtin_table.h"
#include "interpreter/elementwise.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/random_numbers.h"

// 1 while an expression after "complex:" is evaluated (the evaluator's).
extern int complexExpressionFlag;

namespace {

// --- error reporting -------------------------------------------------------

// A domain error inside an element function: the message and code are set
// once (the first failing element) and never while errors are off.
void reportDomainError(const char* message, int code) {
    if (errorsOff || errorCode) return;
    printText(message);
    errorCode = code;
}

void reportFloatingPointError() { reportDomainError("Floating point error!\n", 51); }

// The math library reported a domain error, overflow or underflow: error 51
// without a message, unless errors are off.
void reportLibraryError() {
    if (!errorsOff) errorCode = 51;
}

// A NaN value from a number (a domain error) or an infinite value from
// finite arguments (an overflow) is an error of the library call.
bool isLibraryError(bool argumentNaN, bool argumentFinite, double value) {
    return (std::isnan(value) && !argumentNaN) || (std::isinf(value) && argumentFinite);
}

void checkLibraryValue(double argument, double value) {
    if (isLibraryError(std::isnan(argument), std::isfinite(argument), value)) reportLibraryError();
}

void checkLibraryPair(const double* z, const double* value) {
    const bool nan = std::isnan(z[0]) || std::isnan(z[1]);
    const bool finite = std::isfinite(z[0]) && std::isfinite(z[1]);
    if (isLibraryError(nan, finite, value[0]) || isLibraryError(nan, finite, value[1]))
        reportLibraryError();
}

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
        reportFloatingPointError();
        return NAN;
    }
    return std::asin(x);
}

double acosReal(double x) {
    if (x < -1 || x > 1) {
        reportFloatingPointError();
        return NAN;
    }
    return std::acos(x);
}

double atanReal(double x) { return std::atan(x); }

double checkedExp(double x) {
    if (x >= 690) {
        reportFloatingPointError();
        return NAN;
    }
    if (x <= -690) {
        if (underflowsOn) reportFloatingPointError();
        return 0;
    }
    return std::exp(x);
}

double checkedLog(double x) {
    if (x <= 0) {
        reportDomainError("log defined only for positive numbers!\n", 50);
        return NAN;
    }
    return std::log(x);
}

double checkedSqrt(double x) {
    if (x < 0) {
        reportFloatingPointError();
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

// Products beyond 170! overflow to infinity, so the loop stops there.
double facReal(double x) {
    if (std::isnan(x)) return x;
    if (x < 2 || x > 2147483647) return 1;
    if (x > 171) return INFINITY;
    const int n = static_cast<int>(x);
    double product = 1;
    for (int i = 2; i <= n; i++) product *= i;
    return product;
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
// without an error. ALGLIB's exceptions stop here.
double invnormaldisReal(double x) {
    if (x <= 0 || x >= 1) return NAN;
    try {
        return alglib::invnormaldistribution(x);
    } catch (const alglib::ap_error&) {
        if (!errorsOff) errorCode = 1;
        return NAN;
    }
}

double degreeReal(double x) { return x / 180 * M_PI; }
double percentReal(double x) { return x * 0.01; }

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

// For whole n >= k the smaller of k and n - k gives the same coefficient in
// fewer steps (bin(10^12, 10^12) would otherwise take 10^12 of them).
double smallerSide(double n, double k) {
    if (std::isfinite(n) && n == std::trunc(n) && k == std::trunc(k) && n - k >= 0 && n - k < k)
        return n - k;
    return k;
}

void binReal(const double* a, const double* b, double* result) {
    const double n = *a;
    if (*b <= 0) {
        *result = 1;
        return;
    }
    if (!std::isfinite(*b) || std::isnan(n)) {
        *result = NAN;
        return;
    }
    const double k = smallerSide(n, *b);
    if (k == 0) {
        *result = 1;
        return;
    }
    double c = n - k + 1;
    for (double i = 2; i <= k; i++) {
        // Once the product is 0 or NaN it stays so; infinity stays when
        // every later factor is positive.
        if (c == 0 || std::isnan(c) || (std::isinf(c) && n - k + i > 0)) break;
        c *= n - k + i;
        c /= i;
    }
    *result = c;
}

void logbinReal(const double* a, const double* b, double* result) {
    const double n = std::trunc(*a);
    if (std::trunc(*b) <= 0) {
        *result = 0;
        return;
    }
    if (!std::isfinite(*b) || std::isnan(n)) {
        *result = NAN;
        return;
    }
    const double k = smallerSide(n, std::trunc(*b));
    if (k == 0) {
        *result = 0;
        return;
    }
    const double first = n - k + 1;
    double sum = std::log(first);
    for (double i = 2; i <= k; i++) sum += std::log(first + i - 1) - std::log(i);
    *result = sum;
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

// pow under the library's error checks: overflow and underflow set error 51
// (unless errors are off). Only a result that is not a normal number can
// come from an error, so only then is the call repeated under the
// floating-point exception flags.
double checkedPow(double a, double b) {
    double r = std::pow(a, b);
    if (std::isnormal(r)) return r;
    const int errors = FE_OVERFLOW | FE_UNDERFLOW | FE_INVALID | FE_DIVBYZERO;
    std::feclearexcept(errors);
    r = std::pow(a, b);
    if (std::fetestexcept(errors)) reportLibraryError();
    return r;
}

bool isInteger(double x) { return std::isfinite(x) && std::nearbyint(x) == x; }

// The real element of ^.
void powerReal(const double* pa, const double* pb, double* result) {
    const double a = *pa, b = *pb;
    if (a > 0) {
        if (errorCode) {
            *result = std::pow(a, b);
            return;
        }
        double r = checkedPow(a, b);
        if (errorCode && std::log(a) * b < 0) {  // underflow
            r = 0;
            if (!underflowsOn) errorCode = 0;
        }
        *result = r;
        return;
    }
    if (a == 0) {
        *result = b == 0 ? 1 : 0;
        return;
    }
    if (b == 0) {
        *result = 1;
        return;
    }
    if (isInteger(b)) {
        double r = checkedPow(-a, b);
        *result = std::fmod(b, 2) == 0 ? r : -r;
        return;
    }
    // b is the double nearest to 1/q for an odd q > 0 (1/b need not give
    // q back exactly: 1/(1/49) is not 49).
    const double q = std::nearbyint(1 / b);
    if (q > 0 && std::isfinite(q) && std::fmod(q, 2) == 1 && 1 / q == b) {
        *result = -checkedPow(-a, b);
        return;
    }
    *result = NAN;
    if (errorsOff) return;
    printText("^ defined for positive numbers or integer exponent!\n");
    printText("Use complex numbers?\n");
    errorCode = 26;
}

// --- complex element functions ------------------------------------------------

void multiplyPairs(const double* a, const double* b, double* result) {
    multiplyComplexElement(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

void expComplexChecked(const double* z, double* result) {
    if (z[0] >= 690) reportFloatingPointError();
    expComplex(z, result);
}

void tanComplex(const double* z, double* result) {
    double s[2], c[2];
    sinComplex(z, s);
    cosComplex(z, c);
    divideComplexElement(s[0], s[1], c[0], c[1], &result[0], &result[1]);
}

// arg w and -log |w| (the result of -i log w).
void minusILog(const double* w, double* result) {
    double angle = angleOfPoint(w[0], w[1]);
    result[1] = -checkedLog(std::hypot(w[0], w[1]));
    result[0] = angle;
}

// sqrt(1 - z^2)
void complementRoot(const double* z, double* result) {
    double square[2];
    multiplyPairs(z, z, square);
    double d[2] = {1 - square[0], -square[1]};
    sqrtComplex(d, result);
}

void acosComplex(const double* z, double* result) {
    double s[2];
    complementRoot(z, s);
    double w[2] = {z[0] - s[1], z[1] + s[0]};
    minusILog(w, result);
}

void asinComplex(const double* z, double* result) {
    double s[2];
    complementRoot(z, s);
    double w[2] = {-z[1] + s[0], z[0] + s[1]};
    minusILog(w, result);
}

void atanComplex(const double* z, double* result) {
    double w[2];
    divideComplexElement(1 - z[1], z[0], 1 + z[1], -z[0], &w[0], &w[1]);
    minusILog(w, result);
    result[0] /= 2;
    result[1] /= 2;
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

UNARY_HANDLER(sinBuiltin, mapRealComplexInterval, "sin", sinReal, sinComplex, sinInterval)
UNARY_HANDLER(cosBuiltin, mapRealComplexInterval, "cos", cosReal, cosComplex, cosInterval)
UNARY_HANDLER(tanBuiltin, mapRealComplexInterval, "tan", tanReal, tanComplex, tanInterval)
UNARY_HANDLER(asinBuiltin, mapRealComplexInterval, "asin", asinReal, asinComplex, asinInterval)
UNARY_HANDLER(acosBuiltin, mapRealComplexInterval, "acos", acosReal, acosComplex, acosInterval)
UNARY_HANDLER(atanBuiltin, mapRealComplexInterval, "atan", atanReal, atanComplex, atanInterval)
UNARY_HANDLER(expBuiltin, mapRealComplexInterval, "exp", checkedExp, expComplexChecked, expInterval)
UNARY_HANDLER(absBuiltin, mapToRealOrInterval, "abs", absReal, absComplex, absInterval)
UNARY_HANDLER(ceilBuiltin, mapRealComplex, "ceil", ceilReal, nullptr)
UNARY_HANDLER(floorBuiltin, mapRealComplex, "floor", floorReal, nullptr)
UNARY_HANDLER(signBuiltin, mapRealComplex, "sign", signReal, nullptr)
UNARY_HANDLER(logfacBuiltin, mapRealComplex, "logfak", logfacReal, nullptr)
UNARY_HANDLER(invnormaldisBuiltin, mapRealComplex, "invnormaldis", invnormaldisReal, nullptr)
UNARY_HANDLER(conjBuiltin, mapRealComplex, "conj", itself, conjComplex)
UNARY_HANDLER(reBuiltin, mapComplexToReal, "re", itself, reComplex)
UNARY_HANDLER(imBuiltin, mapComplexToReal, "im", zeroOf, imComplex)
UNARY_HANDLER(argBuiltin, mapComplexToReal, "arg", argReal, argComplex)
UNARY_HANDLER(bitnotBuiltin, mapComplexToReal, "bitnot", bitnotReal, nullptr)

void realBuiltin(header* first) { mapComplexToReal(itself, realOfComplex, first); }
void isNanBuiltin(header* first) { mapComplexToReal(isNanReal, isNanComplex, first); }

void logBuiltin(header* first) {
    complexUnderPrefix(first);
    if (errorCode) return;
    mapRealComplexInterval(checkedLog, logComplex, logInterval, first);
    reportErrorIn("log");
}

void sqrtBuiltin(header* first) {
    complexUnderPrefix(first);
    if (errorCode) return;
    mapRealComplexInterval(checkedSqrt, sqrtComplex, sqrtInterval, first);
    reportErrorIn("sqrt");
}

constexpr double powersOfTen[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};

void setRoundFactor(int n) { roundFactor = n >= 0 && n <= 10 ? powersOfTen[n] : std::pow(10.0, n); }

void round1Builtin(header* first) {
    setRoundFactor(0);
    mapRealComplex(roundToFactor, roundComplex, first);
    reportErrorIn("round");
}

void round2Builtin(header* first) {
    header* digits = resolveValue(nextValue(first));
    if (errorCode) return;
    if (digits->kind != kindReal) {
        reportNeed("real, or real and int", "round");
        return;
    }
    setRoundFactor(clampToInt(realOf(digits)));
    mapRealComplex(roundToFactor, roundComplex, first);
    reportErrorIn("round");
}

BINARY_HANDLER(binBuiltin, mapBinary, "bin", binReal, nullptr, nullptr)
BINARY_HANDLER(logbinBuiltin, mapBinary, "logbin", logbinReal, nullptr, nullptr)
BINARY_HANDLER(modBuiltin, mapBinary, "mod", modReal, nullptr, nullptr)
BINARY_HANDLER(atan2Builtin, mapBinary, "tan2", atan2Real, nullptr, nullptr)
BINARY_HANDLER(maxBuiltin, mapBinary, "max", maxReal, nullptr, maxIntervals)
BINARY_HANDLER(minBuiltin, mapBinary, "min", minReal, nullptr, minIntervals)
BINARY_HANDLER(bitandBuiltin, mapBinaryToReal, "bitand", bitandReal, nullptr, nullptr)
BINARY_HANDLER(bitorBuiltin, mapBinaryToReal, "bitor", bitorReal, nullptr, nullptr)
BINARY_HANDLER(bitxorBuiltin, mapBinaryToReal, "bitxor", bitxorReal, nullptr, nullptr)
BINARY_HANDLER(relerrorBuiltin, mapBinaryToReal, "relerror", relerrorReal, relerrorComplex, nullptr)

// The project's 15-bit generator (0 .. 32767), the same on every machine;
// never reseeded.
double nextFastRandom() { return static_cast<double>(nextRandom15()) / 32767; }

// [n, m] with 0 <= n < 2^31 - 1 and 0 <= m <= 2^31 - 1 as rows and columns.
bool readRandomShape(header* first, const char* name, int* rows, int* columns) {
    header* size = resolveValue(first);
    if (errorCode) return false;
    if (size->kind == kindRealMatrix && matrixRows(size) == 1 && matrixColumns(size) == 2) {
        const double n = matrixData(size)[0], m = matrixData(size)[1];
        if (n >= 0 && n < 2147483647 && m >= 0 && m <= 2147483647) {
            *rows = static_cast<int>(n);
            *columns = static_cast<int>(m);
            return true;
        }
    }
    reportNeed("1x2 vector", name);
    return false;
}

template <class Draw>
void fillRandom(header* first, const char* name, Draw draw) {
    int rows, columns;
    if (!readRandomShape(first, name, &rows, &columns)) return;
    header* result = pushRealMatrix(rows, columns);
    if (errorCode) return;
    double* out = matrixData(result);
    const int64_t n = int64_t(rows) * columns;
    for (int64_t i = 0; i < n; i++) out[i] = draw();
    moveResult(first, result);
}

void fastrandomBuiltin(header* first) { fillRandom(first, "random", nextFastRandom); }

// Box-Muller, one value per two draws; a first draw of 0 gives 0.
void fastnormalBuiltin(header* first) {
    fillRandom(first, "normal", [] {
        double u = nextFastRandom();
        if (u == 0) return 0.0;
        double v = nextFastRandom();
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * M_PI * v);
    });
}

}  // namespace

// --- shared complex functions ----------------------------------------------------

double angleOfPoint(double x, double y) { return std::atan2(y, x); }

void expComplex(const double* z, double* result) {
    const double r = std::exp(z[0]);
    result[0] = r * std::cos(z[1]);
    result[1] = r * std::sin(z[1]);
    checkLibraryPair(z, result);
}

void logComplex(const double* z, double* result) {
    const double angle = angleOfPoint(z[0], z[1]);
    result[0] = checkedLog(std::hypot(z[0], z[1]));
    result[1] = angle;
}

// The principal root, taken on the side of the real axis that avoids
// cancellation (exact for perfect squares such as -4); the branch follows
// the sign of the imaginary part as the polar form does.
void sqrtComplex(const double* z, double* result) {
    const double x = z[0], y = z[1];
    const double r = std::hypot(x, y);
    if (r == 0) {
        result[0] = 0;
        result[1] = y;
        return;
    }
    const double t = std::sqrt(0.5 * r + 0.5 * std::fabs(x));
    if (x >= 0) {
        result[0] = t;
        result[1] = y / (2 * t);
    } else {
        result[0] = std::fabs(y) / (2 * t);
        result[1] = std::copysign(t, y);
    }
}

void sinComplex(const double* z, double* result) {
    result[0] = std::cosh(z[1]) * std::sin(z[0]);
    result[1] = std::sinh(z[1]) * std::cos(z[0]);
    checkLibraryPair(z, result);
}

void cosComplex(const double* z, double* result) {
    result[0] = std::cosh(z[1]) * std::cos(z[0]);
    result[1] = -std::sinh(z[1]) * std::sin(z[0]);
    checkLibraryPair(z, result);
}

void powerComplex(double re1, double im1, double re2, double im2, double* re, double* im) {
    if (std::fabs(re2) < currentEpsilon && std::fabs(im2) < currentEpsilon) {
        *re = 1;
        *im = 0;
        return;
    }
    if (std::fabs(re1) < currentEpsilon && std::fabs(im1) < currentEpsilon) {
        *re = 0;
        *im = 0;
        return;
    }
    const double z[2] = {re1, im1}, w[2] = {re2, im2};
    double logZ[2], product[2], value[2];
    logComplex(z, logZ);
    multiplyPairs(w, logZ, product);
    expComplex(product, value);
    *re = value[0];
    *im = value[1];
}

void convertToComplex(header* argument) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    header* result = value;
    if (value->kind == kindReal) {
        result = pushComplex(realOf(value), 0);
    } else if (value->kind == kindRealMatrix) {
        const int rows = matrixRows(value), columns = matrixColumns(value);
        result = pushComplexMatrix(rows, columns);
        if (errorCode) return;
        const double* in = matrixData(value);
        double* out = matrixData(result);
        const int64_t n = int64_t(rows) * columns;
        for (int64_t i = 0; i < n; i++) {
            out[2 * i] = in[i];
            out[2 * i + 1] = 0;
        }
    }
    if (!errorCode) moveResult(argument, result);
}

void raisePower(header* first) {
    if (complexExpressionFlag) {
        header* exponent = nextValue(first);
        if (exponent) convertToComplex(exponent);
        if (errorCode) return;
    }
    mapBinary(powerReal, powerComplex, powerInterval, first, "^");
    if (errorCode == 51) printText("Underflow or overflow error.\n");
    reportErrorIn("^");
}

void degree(header* operand) {
    mapRealComplexInterval(degreeReal, nullptr, degreeInterval, operand);
    reportErrorIn("degree");
}

void percent(header* operand) {
    mapRealComplexInterval(percentReal, nullptr, percentInterval, operand);
    reportErrorIn("percent");
}

void fac(header* operand) {
    mapRealComplex(facReal, nullptr, operand);
    reportErrorIn("fak");
}

static const BuiltinRecord rows[] = {
    {"abs", 1, 0, absBuiltin},
    {"acos", 1, 0, acosBuiltin},
    {"arccos", 1, 0, acosBuiltin},
    {"arcsin", 1, 0, asinBuiltin},
    {"arctan", 1, 0, atanBuiltin},
    {"arctan2", 2, 0, atan2Builtin},
    {"arg", 1, 0, argBuiltin},
    {"asin", 1, 0, asinBuiltin},
    {"atan", 1, 0, atanBuiltin},
    {"atan2", 2, 0, atan2Builtin},
    {"bin", 2, 0, binBuiltin},
    {"bitand", 2, 0, bitandBuiltin},
    {"bitnot", 1, 0, bitnotBuiltin},
    {"bitor", 2, 0, bitorBuiltin},
    {"bitxor", 2, 0, bitxorBuiltin},
    {"ceil", 1, 0, ceilBuiltin},
    {"complex", 1, 0, convertToComplex},
    {"conj", 1, 0, conjBuiltin},
    {"cos", 1, 0, cosBuiltin},
    {"exp", 1, 0, expBuiltin},
    {"fac", 1, 0, fac},
    {"fastnormal", 1, 0, fastnormalBuiltin},
    {"fastrandom", 1, 0, fastrandomBuiltin},
    {"floor", 1, 0, floorBuiltin},
    {"im", 1, 0, imBuiltin},
    {"invnormaldis", 1, 0, invnormaldisBuiltin},
    {"isNAN", 1, 0, isNanBuiltin},
    {"ln", 1, 0, logBuiltin},
    {"log", 1, 0, logBuiltin},
    {"logbin", 2, 0, logbinBuiltin},
    {"logfac", 1, 0, logfacBuiltin},
    {"max", 2, 0, maxBuiltin},
    {"min", 2, 0, minBuiltin},
    {"mod", 2, 0, modBuiltin},
    {"re", 1, 0, reBuiltin},
    {"real", 1, 0, realBuiltin},
    {"relerror", 2, 0, relerrorBuiltin},
    {"round", 1, 0, round1Builtin},
    {"round", 2, 0, round2Builtin},
    {"sign", 1, 0, signBuiltin},
    {"sin", 1, 0, sinBuiltin},
    {"sqrt", 1, 0, sqrtBuiltin},
    {"tan", 1, 0, tanBuiltin},
};
KALIX_BUILTIN_FAMILY(mathBuiltins, rows);
