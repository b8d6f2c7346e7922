// Numeric arguments seen as matrices, and the small steps that the matrix
// builtin families share: taking the argument records, pushing a result of
// a given size, and moving a value down as an unnamed result.
#pragma once

#include <cstdint>

#include "builtins/builtin_helpers.h"

// A real, complex or interval scalar (as 1 x 1) or matrix.
struct MatrixValue {
    NumberFamily family;
    bool scalar;  // kind 0, 1 or 10
    int rows;
    int columns;
    double* data;  // row by row, `width` doubles per element
    int width;     // 1 for real, 2 for complex and interval elements

    int64_t count() const { return int64_t(rows) * columns; }
    bool isVector() const { return rows == 1 || columns == 1; }
    double* element(int64_t i) const { return data + i * width; }
};

// Reads a resolved value; false (nothing printed) for any other kind.
bool readMatrixValue(header* value, MatrixValue* m);

// The matrix kind of a family (kind 2, 3 or 11).
int matrixKindOf(NumberFamily family);

// The n argument records from `first`, null where fewer were given. Take
// them before resolving any: a resolution may push above them.
void collectArguments(header* first, header** arguments, int n);

// As pushMatrixOfKind for sizes given as 64-bit numbers: a negative size
// or one beyond the int range fails as a push that does not fit ("Stack
// overflow!", error 2). Null on failure.
header* pushMatrixSized(int kind, int64_t rows, int64_t columns);

// Moves a matrix result down, as a scalar when it is a 1 x 1 real or
// complex matrix.
void moveResolvedResult(header* first, header* result);
