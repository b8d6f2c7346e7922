// Number formats: the global format state, the mode setters, the entry
// printers that turn one real, complex or interval number into a column
// entry or a compact text, and the format builtins.
#pragma once

#include "interpreter/stack.h"

// --- format state --------------------------------------------------------
// Patterns are printf patterns for one double with no width ("%0.6g").

extern int formatMode;          // 1 format, 2 goodformat, 3 expformat, 4 fixedformat, 5 fracformat
extern int formatTotal;         // total width given to the last mode builtin
extern double formatDigits;     // its digits (fracformat: the tolerance)
extern int fieldWidth;          // width of a real column entry; complex entries take twice
extern char normalFormat[16];   // numbers inside the limits, and 0
extern char extremeFormat[16];  // nonzero numbers outside the limits
extern char joinFormat[16];     // parts of complex and interval numbers joined to strings
extern double smallLimit;
extern double largeLimit;
extern int columnWidth;         // width that counts the real columns per line
extern int realColumns;         // real entries per output line
extern int intervalFormat;      // 0: two digits; positive: the digits the interval supports
extern int intervalWidth;       // width of an interval column entry
extern int intervalColumns;     // interval entries per output line
extern double fractionEpsilon;  // positive: reals print as fractions within it
extern int scalarFormatOn;      // a 1x1 real in dense output uses the scalar format
extern int scalarDigits;
extern char scalarFormat[16];  // also the pattern of a real joined to a string
extern double scalarSmallLimit;
extern double scalarLargeLimit;
extern int denseOutput;      // 0: rows in columns; 1..10: dense rows, blanks between entries
extern int zeroRounding;     // tiny values print as 0
extern char userFormat[40];  // user function formatting each number, or empty
// The [total, digits] pair each mode builtin set last; returned by its next call.
extern double formatPair[2];
extern double goodFormatPair[2];
extern double expFormatPair[2];
extern double fixedFormatPair[2];

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
