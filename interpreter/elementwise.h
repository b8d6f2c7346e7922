// Element-wise application of functions over scalars and matrices of the
// three numeric families (real, complex, interval), with broadcasting for
// binary operations.
//
// A builtin supplies the functions for one element and a name for messages;
// the engines run one tight loop over the elements. An element function
// reports a failure by setting `errorCode`; the engines then stop after that
// element.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

// Element functions. Complex and interval elements are pairs of doubles
// (re, im) and (lower, upper); a result pair may not overlap its operand.
using RealFunction = double (*)(double x);
using ComplexFunction = void (*)(const double* z, double* result);
using IntervalFunction = void (*)(const double* x, double* result);
using ComplexToRealFunction = double (*)(const double* z);
using IntervalToRealFunction = double (*)(const double* x);
using RealBinaryFunction = void (*)(const double* a, const double* b, double* result);
using ComplexBinaryFunction = void (*)(double re1, double im1, double re2, double im2, double* re,
                                       double* im);
using IntervalBinaryFunction = void (*)(double lo1, double hi1, double lo2, double hi2, double* lo,
                                        double* hi);
using ComplexBinaryToRealFunction = double (*)(double re1, double im1, double re2, double im2);
using IntervalBinaryToRealFunction = double (*)(double lo1, double hi1, double lo2, double hi2);
// The form of an interval element function over n pairs: false, having
// written nothing, where an element would fail (the element function then
// runs and reports it).
using IntervalArrayFunction = bool (*)(const double* x, double* result, int64_t n);
// A real function of n reals: pointers to the current values, n, 0, name.
using RealParametersFunction = double (*)(double** values, int n, int reserved, const char* name);

// Engines: operands already resolved. Each pushes its result and returns
// it (partly filled when an element function failed), or returns null when
// the operand is refused.

// Real through `real`, complex through `complex` (when given); result of the
// operand's kind and shape.
header* applyRealComplex(RealFunction real, ComplexFunction complex, header* operand);
// Intervals and interval matrices only; through `array` when given.
header* applyInterval(IntervalFunction interval, header* operand,
                      IntervalArrayFunction array = nullptr);
// As applyRealComplex, complex operands giving real results.
header* applyComplexToReal(RealFunction real, ComplexToRealFunction complex, header* operand);
// Intervals and interval matrices to reals and real matrices.
header* applyIntervalToReal(IntervalToRealFunction interval, header* operand);
// Broadcasting binary operation; result of the higher family (real < complex,
// real < interval). Any function may be null: that family is refused.
header* applyBinary(RealBinaryFunction real, ComplexBinaryFunction complex,
                    IntervalBinaryFunction interval, header* a, header* b, const char* name);
// As applyBinary with a real result in every family.
header* applyBinaryToReal(RealBinaryFunction real, ComplexBinaryToRealFunction complex,
                          IntervalBinaryToRealFunction interval, header* a, header* b,
                          const char* name);

// Resolves the two operands of a binary operation: `first` and the record
// after it. False with the error set, also when an operand was a call that
// yielded no value.
bool resolveTwoOperands(header* first, header** a, header** b, const char* name);

// Wrappers: resolve the argument(s), run the engine and move the result
// onto the first argument. On an error nothing is moved.
void mapRealComplex(RealFunction real, ComplexFunction complex, header* argument);
void mapRealComplexInterval(RealFunction real, ComplexFunction complex, IntervalFunction interval,
                            header* argument, IntervalArrayFunction intervalArray = nullptr);
void mapToRealOrInterval(RealFunction real, ComplexToRealFunction complex,
                         IntervalFunction interval, header* argument);
void mapComplexToReal(RealFunction real, ComplexToRealFunction complex, header* argument);
void mapIntervalToReal(RealFunction real, IntervalToRealFunction interval, header* argument);
// The second operand is the record after `first`.
void mapBinary(RealBinaryFunction real, ComplexBinaryFunction complex,
               IntervalBinaryFunction interval, header* first, const char* name);
void mapBinaryToReal(RealBinaryFunction real, ComplexBinaryToRealFunction complex,
                     IntervalBinaryToRealFunction interval, header* first, const char* name);
// `n` real or real-matrix arguments from `first` on, broadcast together.
void mapRealArguments(header* first, int n, RealParametersFunction function, const char* name);

// Lets the next push build a result of `bytes` over `destination`, the
// record the result will replace, so that it need not be copied down:
// when a push at the stack top would fit too (an overflow stays where it
// was), and the bytes it covers hold nothing of `operand`, unless `inPlace`
// and the operand is the destination itself, read element by element
// before the same element is written. Returns whether it did.
bool aimResultAt(header* destination, int64_t bytes, const header* operand, bool inPlace);

// The element-wise handlers' last step: "Error in %s\n" with the builtin's
// or operator's name when `errorCode` is set.
void reportErrorIn(const char* name);

}  // namespace kalix

// One-line element-wise handlers: run the wrapper on the element functions,
// then add "Error in" with the name when it failed.
#define UNARY_HANDLER(handlerName, map, name, ...) \
    void handlerName(header* first) {              \
        map(__VA_ARGS__, first);                   \
        reportErrorIn(name);                       \
    }

#define BINARY_HANDLER(handlerName, map, name, ...) \
    void handlerName(header* first) {               \
        map(__VA_ARGS__, first, name);              \
        reportErrorIn(name);                        \
    }
