// Argument and result helpers of the matrix families.
#include "builtins/matrix_arguments.h"

#include <algorithm>
#include <cstring>

#include "builtins/builtin_helpers.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"

bool resolveArguments(header* first, int count, header** values) {
    if (errorCode) return false;
    header* record = first;
    for (int k = 0; k < count; k++) {
        if (!record) return false;
        values[k] = record;
        record = nextValue(record);
    }
    for (int k = 0; k < count; k++) {
        values[k] = resolveValue(values[k]);
        if (errorCode) return false;
    }
    return true;
}

void reuseArgumentSpace(header* first, header* const* values, int count) {
    char* start = reinterpret_cast<char*>(first);
    for (int k = 0; k < count; k++) {
        const char* value = reinterpret_cast<const char*>(values[k]);
        if (value + values[k]->size > start && value < ramend) return;
    }
    newram = start;
}

bool readNumericMatrix(header* value, NumericMatrix* m) {
    switch (value->kind) {
        case kindReal:
        case kindComplex:
            m->rows = m->columns = 1;
            m->data = reinterpret_cast<double*>(dataOf(value));
            m->complex = value->kind == kindComplex;
            m->matrix = false;
            return true;
        case kindRealMatrix:
        case kindComplexMatrix:
            m->rows = matrixRows(value);
            m->columns = matrixColumns(value);
            m->data = matrixData(value);
            m->complex = value->kind == kindComplexMatrix;
            m->matrix = true;
            return true;
        default:
            return false;
    }
}

std::vector<double> complexElements(const NumericMatrix& m) {
    const int64_t n = m.elements();
    if (m.complex) return std::vector<double>(m.data, m.data + 2 * n);
    std::vector<double> pairs(size_t(2 * n), 0.0);
    for (int64_t k = 0; k < n; k++) pairs[size_t(2 * k)] = m.data[k];
    return pairs;
}

header* pushNumericMatrix(bool complex, int rows, int columns) {
    return pushMatrixOfKind(complex ? kindComplexMatrix : kindRealMatrix, rows, columns);
}

header* pushRealRow(const double* values, int n) {
    if (n == 1) {
        header* scalar = pushReal(values[0]);
        return errorCode ? nullptr : scalar;
    }
    header* row = pushMatrixOfKind(kindRealMatrix, 1, n);
    if (row) std::copy_n(values, n, matrixData(row));
    return row;
}

bool escapePressed() { return checkEscape() != 0; }

void reportInterrupted() { fail(errorFailed, "User interrupted!\n"); }

void reportOutOfMemory() { fail(errorOutOfMemory, "Out of Memory!\n"); }
