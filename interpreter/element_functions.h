// Element functions that the operators share with the builtin library:
// error reporting inside element functions, the real power, the complex
// element functions, and the handlers of ^, degree, % and !.
#pragma once

#include <cmath>

#include "interpreter/stack.h"

namespace kalix {

// --- error reporting inside element functions --------------------------------

// A domain error: the message and code are set once (the first failing
// element) and never while errors are off.
void reportDomainError(const char* message, int code);
// "Floating point error!\n" with `code` (1 from the operators, 51 from
// the element functions), as a domain error.
void reportFloatingPointError(int code);
// The math library reported a domain error, overflow or underflow: error 51
// without a message, unless errors are off.
void reportLibraryError();
// A NaN value from a number (a domain error) or an infinite value from
// finite arguments (an overflow) is an error of the library call. Inline:
// the element loops check every value.
inline bool isLibraryError(bool argumentNaN, bool argumentFinite, double value) {
    return (std::isnan(value) && !argumentNaN) || (std::isinf(value) && argumentFinite);
}
inline void checkLibraryValue(double argument, double value) {
    if (isLibraryError(std::isnan(argument), std::isfinite(argument), value)) reportLibraryError();
}
inline void checkLibraryPair(const double* z, const double* value) {
    const bool nan = std::isnan(z[0]) || std::isnan(z[1]);
    const bool finite = std::isfinite(z[0]) && std::isfinite(z[1]);
    if (isLibraryError(nan, finite, value[0]) || isLibraryError(nan, finite, value[1]))
        reportLibraryError();
}
// log of a positive number; else "log defined only for positive numbers!"
// (50) and NaN.
double checkedLog(double x);
// pow under the library's error checks (overflow and underflow: error 51).
double checkedPow(double a, double b);
bool isInteger(double x);

// --- real element functions of the operators ---------------------------------

double facReal(double x);
double degreeReal(double x);
double percentReal(double x);
// The real element of ^.
void powerReal(const double* pa, const double* pb, double* result);

// --- complex element functions -----------------------------------------------

// (re, im) pairs; the result may not overlap z.
void multiplyPairs(const double* a, const double* b, double* result);
void expComplex(const double* z, double* result);
void logComplex(const double* z, double* result);
void sqrtComplex(const double* z, double* result);
void sinComplex(const double* z, double* result);
void cosComplex(const double* z, double* result);
void powerComplex(double re1, double im1, double re2, double im2, double* re, double* im);

// The polar angle of the point (x, y); angleOfPoint(0, 0) is 0.
double angleOfPoint(double x, double y);

// --- operator handlers the evaluator calls -----------------------------------

void raisePower(header* first);  // a ^ b, a ** b, a .^ b
void degree(header* operand);    // postfix degree sign: x/180*pi
void percent(header* operand);   // postfix %: x*0.01
void fac(header* operand);       // postfix !: factorial

// The builtin `complex` with one argument: a real or real matrix becomes
// complex in place; other values stay as they are.
void convertToComplex(header* argument);

}  // namespace kalix
