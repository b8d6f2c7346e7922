// Comparison and logical operators. Each handler receives the first
// operand's record with the second behind it (the prefix "!" only one) and
// leaves a real 0/1, a 0/1 matrix of the broadcast shape, or for "&&" and
// "||" on intervals an interval, over the first operand.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

void compareEqual(header* first);         // ==
void compareNotEqual(header* first);      // <>, !=
void compareAboutEqual(header* first);    // ~=
void compareLess(header* first);          // <
void compareLessEqual(header* first);     // <=
void compareGreater(header* first);       // >
void compareGreaterEqual(header* first);  // >=
void applyAnd(header* first);             // &&
void applyOr(header* first);              // ||
void applyNot(header* operand);           // prefix !

// x ~= y relative to x with tolerance `currentEpsilon` (1 or 0).
double realAboutEqual(double x, double y);
// realAboutEqual of the first parts, then of the second parts.
double complexAboutEqual(double re1, double im1, double re2, double im2);

}  // namespace kalix
