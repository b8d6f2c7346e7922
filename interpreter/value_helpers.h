// Value helpers of the interpreter that the builtins share: the comparison
// tolerance and the switches of floating-point errors, number families,
// string and collection counters, matrix pushes and conversions of doubles
// to ints.
#pragma once

#include <cstdint>

#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// The comparison tolerances and `defaultEpsilon`: interpreter/state.h.

// Resets both tolerances and clears `errorsOff` and
// `complexExpressionFlag` (interpreter (re)start).
void resetBuiltinState();
// Empties both accumulators and makes them real (interpreter (re)start).
void resetAccumulators();

// Numeric families of values: real (kinds 0 and 2), complex (1 and 3) and
// interval (10 and 11). The higher of two is their common family; complex
// and interval never meet.
enum NumberFamily { numberNone = -1, numberReal = 0, numberComplex = 1, numberInterval = 2 };
NumberFamily numberFamily(const header* record);
// The matrix kind of a family (kind 2, 3 or 11).
inline int matrixKindOf(NumberFamily family) {
    return family == numberComplex    ? kindComplexMatrix
           : family == numberInterval ? kindIntervalMatrix
                                      : kindRealMatrix;
}

// Byte by byte as unsigned bytes up to the first difference or the common
// end (a shorter string that is a prefix compares as less): 1, -1 or 0.
int compareStrings(const char* a, const char* b);

// Number of strings in a string vector record (kind 13).
int countStrings(const header* vector);
// Number of records nested in a collection record (kind 16).
int countCollectionItems(const header* collection);

// Pushes a real, complex or interval matrix (kind 2, 3 or 11) of the given
// size, elements not written. A size the free stack cannot hold fails as
// any push does ("Stack overflow!", error 2) and gives null.
header* pushMatrixOfKind(int kind, int rows, int columns);
// Replaces the record at `place` by a copy of `value`; the records above it
// up to `top` move by the difference. `value` may be a new record at `top`,
// a record below `top` on the stack, or a record outside the stack.
// Returns the new top, or null on a stack overflow.
char* replaceRecord(char* place, header* value, char* top);

// Rewrites `record` in place as the complex (x, 0) or interval [x, x] form
// (by `family`) of the real scalar or real matrix `value`, which is the
// record itself, a record above it or one outside the stack; the records
// above `record` move up by the growth and `newram` with them. No room:
// "Memory overflow!", error 180, and false.
bool widenToPairs(header* record, header* value, NumberFamily family);

// Converts a double to an int without undefined behaviour: truncates toward
// zero and clamps to the int range; NaN gives 0.
int clampToInt(double x);
// True when x is finite and its truncation fits an int; `*value` is then the
// truncated value.
bool truncateToInt(double x, int* value);

}  // namespace kalix
