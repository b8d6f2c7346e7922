// Element functions that the operators (^, degree, %, !) share with the
// builtin library: error reporting inside element functions, the real
// power, the complex element functions, and the operator handlers.
#include "interpreter/element_functions.h"

#include <cfenv>
#include <cmath>
#include <cstdint>

#include "interpreter/arithmetic.h"
#include "interpreter/elementwise.h"
#include "interpreter/interval_operators.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"

namespace kalix {

// --- error reporting -------------------------------------------------------

// A domain error inside an element function: the message and code are set
// once (the first failing element) and never while errors are off.
void reportDomainError(const char* message, int code) {
    if (errorsOff || errorCode) return;
    fail(code, "%s", message);
}

void reportFloatingPointError(int code) { reportDomainError("Floating point error!\n", code); }

// The math library reported a domain error, overflow or underflow: error 51
// without a message, unless errors are off.
void reportLibraryError() {
    if (!errorsOff) errorCode = errorMathLibrary;
}

double checkedLog(double x) {
    if (x <= 0) {
        reportDomainError("log defined only for positive numbers!\n", errorLogDomain);
        return NAN;
    }
    return std::log(x);
}

// --- real element functions of the operators -------------------------------

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

double degreeReal(double x) { return x / 180 * M_PI; }
double percentReal(double x) { return x * 0.01; }

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

// The real element of ^. A square is the product, the correctly rounded
// square (the library's pow may be one unit off); where the product is not
// a normal number (0, subnormal, infinite, NaN) the rules below decide.
void powerReal(const double* pa, const double* pb, double* result) {
    const double a = *pa, b = *pb;
    if (b == 2) {
        const double square = a * a;
        if (std::isnormal(square)) {
            *result = square;
            return;
        }
    }
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
    fail(errorWrongArgument, "Use complex numbers?\n");
}

// --- complex element functions ----------------------------------------------

void multiplyPairs(const double* a, const double* b, double* result) {
    multiplyComplexElement(a[0], a[1], b[0], b[1], &result[0], &result[1]);
}

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

namespace {

// a ^ 2 for a real scalar or a real matrix: the element loop of mapBinary
// with powerReal, the square taken inline, the result built over `first`
// when it can. False, nothing done, for any other operands.
bool squareReals(header* first) {
    header* second = nextValue(first);
    if (!second || (second->flags & flagResult)) return false;
    header* base = resolveWithoutCopy(first);
    header* exponent = resolveWithoutCopy(second);
    if (!base || !exponent || exponent->kind != kindReal || realOf(exponent) != 2) return false;
    bool matrix = base->kind == kindRealMatrix;
    if (!matrix && base->kind != kindReal) return false;
    const int rows = matrix ? matrixRows(base) : 1, columns = matrix ? matrixColumns(base) : 1;
    if (rows < 1 || columns < 1) return false;
    const double* in = matrix ? matrixData(base) : reinterpret_cast<double*>(dataOf(base));
    const int64_t n = int64_t(rows) * columns;
    // Over a matrix at `first` the square is taken in place (a pushed
    // matrix's elements are not cleared; a scalar's are).
    aimResultAt(first, matrix ? matrixRecordSize(rows, columns, 8) : scalarRecordSize(8), base,
                matrix);
    header* result = matrix ? pushRealMatrix(rows, columns) : pushReal(0);
    if (!result) return true;
    double* out = matrix ? matrixData(result) : reinterpret_cast<double*>(dataOf(result));
    const double two = 2;
    for (int64_t i = 0; i < n; i++) {
        const double a = in[i], square = a * a;
        if (std::isnormal(square)) {
            out[i] = square;
            continue;
        }
        powerReal(&in[i], &two, &out[i]);
        if (errorCode) return true;
    }
    moveResult(first, result);
    return true;
}

}  // namespace

void raisePower(header* first) {
    if (!complexExpressionFlag && squareReals(first)) {
        if (errorCode == errorMathLibrary) printText("Underflow or overflow error.\n");
        reportErrorIn("^");
        return;
    }
    if (complexExpressionFlag) {
        header* exponent = nextValue(first);
        if (exponent) convertToComplex(exponent);
        if (errorCode) return;
    }
    mapBinary(powerReal, powerComplex, powerInterval, first, "^");
    if (errorCode == errorMathLibrary) printText("Underflow or overflow error.\n");
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

}  // namespace kalix
