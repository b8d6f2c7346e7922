// Shared steps of the matrix builtin families.
#include "builtins/matrix_values.h"

#include <algorithm>
#include <climits>

#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

void reuseArgumentSpace(header* first, header* const* values, int count) {
    char* start = reinterpret_cast<char*>(first);
    for (int k = 0; k < count; k++) {
        const char* value = reinterpret_cast<const char*>(values[k]);
        if (recordOnStack(values[k]) && value + values[k]->size > start) return;
    }
    newram = start;
}

header* pushMatrixSized(int kind, int64_t rows, int64_t columns) {
    if (rows < 0 || columns < 0 || rows > INT_MAX || columns > INT_MAX) {
        pushHeader(kind, INT64_MAX, "");
        return nullptr;
    }
    return pushMatrixOfKind(kind, int(rows), int(columns));
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

void moveResolvedResult(header* first, header* result) {
    header* value = resolveValue(result);
    if (!errorCode) moveResult(first, value);
}

void reportInterrupted() { fail(errorFailed, "User interrupted!\n"); }

}  // namespace kalix
