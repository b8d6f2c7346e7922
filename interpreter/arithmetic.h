// Arithmetic operators on values: "+", "-", "*", "/" (and their element-wise
// spellings), unary minus and the "." matrix product, over real, complex and
// interval scalars and matrices; plus the common-kind promotion that other
// builtins use before they combine operands.
//
// Operators follow the handler convention: they receive the first operand's
// record, the second operand is the record after it, and the result is left
// over the first operand. On an error `errorCode` is set, a message has been
// printed and no result is moved down.
#pragma once

#include <cstdint>
#include <limits>

#include "interpreter/stack.h"

namespace kalix {

// The four operators, in the order of the element functions' tables.
enum class ArithmeticOperator : uint8_t { add, subtract, multiply, divide };

// A division by zero, which the operator reports (reportFloatingPointError)
// before it takes the result: an error, or NaN while errors are off.
constexpr bool dividesByZero(ArithmeticOperator op, double y) {
    return op == ArithmeticOperator::divide && y == 0;
}

// The operators on two real numbers: the one definition that the operators
// on values and the statement cache compute with. x / 0 is a quiet NaN of
// positive sign, not the processor's 0/0.
constexpr double applyRealOperator(ArithmeticOperator op, double x, double y) {
    switch (op) {
        case ArithmeticOperator::add:
            return x + y;
        case ArithmeticOperator::subtract:
            return x - y;
        case ArithmeticOperator::multiply:
            return x * y;
        default:
            return y == 0 ? std::numeric_limits<double>::quiet_NaN() : x / y;
    }
}

// Binary element-wise operators with broadcasting (a scalar, a row or a
// column is repeated to the larger shape). `addValues` joins as "|" does when
// either operand is a string.
void addValues(header* first);
void subtractValues(header* first);
void multiplyValues(header* first);
void divideValues(header* first);

// Unary minus; the result replaces the operand.
void negateValue(header* operand);

// The "." product: a true matrix product for real, complex and interval
// matrices; a scalar with a row (or a column with a scalar) falls back to
// the element-wise product. `second` is the record after `first`.
void matrixProduct(header* first, header* second);

// Promotes `count` consecutive records from `first` in place to complex
// when any base value is complex, else to interval when any is an interval
// (the records above may move). Returns whether it promoted.
bool promoteConsecutive(header* first, int count);

// Brings two (three) consecutive argument records to one kind in place:
// complex when any is complex, else interval when any is an interval. The
// records above may move; on return the pointers hold the resolved values.
void convertToCommonKind(header** a, header** b);

// Element functions handed to the element-wise engines.
void addRealElement(const double* a, const double* b, double* result);
void subtractRealElement(const double* a, const double* b, double* result);
void multiplyRealElement(const double* a, const double* b, double* result);
void divideRealElement(const double* a, const double* b, double* result);
double negateRealElement(double x);

void addComplexElement(double re1, double im1, double re2, double im2, double* re, double* im);
void subtractComplexElement(double re1, double im1, double re2, double im2, double* re, double* im);
void multiplyComplexElement(double re1, double im1, double re2, double im2, double* re, double* im);
void divideComplexElement(double re1, double im1, double re2, double im2, double* re, double* im);
void negateComplexElement(const double* x, double* result);

// Small helpers on (re, im) and (lower, upper) pairs.
void makeComplex(double re, double im, double* pair);
// accumulator += a * b
void addComplexProduct(double* accumulator, const double* a, const double* b);
// accumulator += a * b, rounded outward
void addIntervalProduct(double* accumulator, const double* a, const double* b);

}  // namespace kalix
