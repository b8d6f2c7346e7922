// Numeric values seen as matrices: a scalar as 1 x 1, a matrix as its
// shape and elements, for the operators and the matrix builtin families.
#pragma once

#include <cstdint>
#include <vector>

#include "interpreter/stack.h"
#include "interpreter/value_helpers.h"

namespace kalix {

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

// A real or complex scalar or matrix: its shape and elements.
struct NumericMatrix {
    int rows = 0, columns = 0;
    double* data = nullptr;
    bool complex = false;
    bool matrix = false;  // a matrix kind (a scalar is 1 x 1 but no matrix)
    int64_t elements() const { return int64_t(rows) * columns; }
};
// False (nothing printed) for every kind but real and complex.
bool readNumericMatrix(header* value, NumericMatrix* m);

// The elements as (re, im) pairs; a real matrix gets imaginary parts 0.
std::vector<double> complexElements(const NumericMatrix& m);

// Pushes a real (complex) rows x columns matrix; null with the push's error.
header* pushNumericMatrix(bool complex, int rows, int columns);

}  // namespace kalix
