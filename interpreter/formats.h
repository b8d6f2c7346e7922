// Number formats: the global format state, the mode setters, the entry
// printers that turn one real, complex or interval number into a column
// entry or a compact text, and the format builtins.
#pragma once

#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// --- format state --------------------------------------------------------
// Patterns are printf patterns for one double with no width ("%0.6g").

// --- mode setters ---------------------------------------------------------
// n is the total width, d the digits.

void setFormat(int n, int d);
void setGoodFormat(int n, int d);
void setExpFormat(int n, int d);
void setFixedFormat(int n, int d);
void setFracFormat(int n, double eps);

// --- entry printers ------------------------------------------------------
// Column entries are printed right-aligned in their width and end in a
// blank. Text forms are written without blanks around them into a buffer of
// at least `numberTextSize` bytes; longer texts are cut.

constexpr int numberTextSize = 1024;

void printRealEntry(double x);
void formatRealText(char* text, double x);
void printComplexEntry(double re, double im);
void formatComplexText(double re, double im, char* text);
void printIntervalEntry(double lo, double hi);
void formatIntervalText(double lo, double hi, char* text);

// x as a fraction within the absolute tolerance `fractionEpsilon`.
void writeFraction(double x);
void formatFractionText(double x, char* text);
// x as a fraction within the relative tolerance `currentEpsilon` x |x|.
void formatFraction(double x, char* text);

// --- builtins (family `formatBuiltins`) -----------------------------------

void builtinFormat(header* first);
void builtinGoodformat(header* first);
void builtinExpformat(header* first);
void builtinFixedformat(header* first);
void builtinFracformat(header* first);
void builtinIformat(header* first);
void builtinScalarformat(header* first);
void builtinSetscalarformat(header* first);
void builtinDenseoutput(header* first);
void builtinZerorounding(header* first);
void builtinUserformat(header* first);
void builtinGetformat(header* first);
void builtinSetformat(header* first);

}  // namespace kalix
