// Shared steps of the matrix builtin families.
#include "builtins/matrix_values.h"

#include <climits>

#include "interpreter/values.h"

bool readMatrixValue(header* value, MatrixValue* m) {
    m->family = numberFamily(value);
    if (m->family == numberNone) return false;
    m->width = m->family == numberReal ? 1 : 2;
    m->scalar =
        value->kind == kindReal || value->kind == kindComplex || value->kind == kindInterval;
    if (m->scalar) {
        m->rows = m->columns = 1;
        m->data = reinterpret_cast<double*>(dataOf(value));
    } else {
        m->rows = matrixRows(value);
        m->columns = matrixColumns(value);
        m->data = matrixData(value);
    }
    return true;
}

int matrixKindOf(NumberFamily family) {
    switch (family) {
        case numberComplex:
            return kindComplexMatrix;
        case numberInterval:
            return kindIntervalMatrix;
        default:
            return kindRealMatrix;
    }
}

void collectArguments(header* first, header** arguments, int n) {
    header* record = first;
    for (int i = 0; i < n; i++) {
        arguments[i] = record;
        record = record ? nextValue(record) : nullptr;
    }
}

header* pushMatrixSized(int kind, int64_t rows, int64_t columns) {
    if (rows < 0 || columns < 0 || rows > INT_MAX || columns > INT_MAX) {
        pushHeader(kind, INT64_MAX, "");
        return nullptr;
    }
    return pushMatrixOfKind(kind, int(rows), int(columns));
}

void moveResolvedResult(header* first, header* result) {
    header* value = resolveValue(result);
    if (!errorCode) moveResult(first, value);
}
