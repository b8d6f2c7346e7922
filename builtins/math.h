// Element-wise mathematical builtins, the power operator and the postfix
// operators degree and percent; the complex element functions that other
// parts of the library share.
#pragma once

#include "interpreter/stack.h"

// Operator handlers the evaluator calls.
void raisePower(header* first);  // a ^ b, a ** b, a .^ b
void degree(header* operand);    // postfix degree sign: x/180*pi
void percent(header* operand);   // postfix %: x*0.01
void fac(header* operand);       // postfix !: factorial

// The builtin `complex` with one argument: a real or real matrix becomes
// complex in place; other values stay as they are.
void convertToComplex(header* argument);

// Complex element functions on (re, im) pairs; the result may not overlap z.
void expComplex(const double* z, double* result);
void logComplex(const double* z, double* result);
void sqrtComplex(const double* z, double* result);
void sinComplex(const double* z, double* result);
void cosComplex(const double* z, double* result);
void powerComplex(double re1, double im1, double re2, double im2, double* re, double* im);

// The polar angle of the point (x, y); angleOfPoint(0, 0) is 0.
double angleOfPoint(double x, double y);
