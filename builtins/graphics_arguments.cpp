// Argument reading and results shared by the graphics builtin families.
#include "builtins/graphics_arguments.h"

#include "interpreter/values.h"
#include "platform/host.h"

header* realArgument(header* argument) {
    if (!argument) return nullptr;
    header* value = resolveValue(argument);
    if (!value || value->kind != kindReal) return nullptr;
    return value;
}

header* realRowArgument(header* argument, int n) {
    if (!argument) return nullptr;
    header* value = resolveValue(argument);
    if (!value) return nullptr;
    if (n == 1 && value->kind == kindReal) return value;
    if (value->kind != kindRealMatrix || matrixRows(value) != 1 || matrixColumns(value) != n)
        return nullptr;
    return value;
}

bool realMatrixOf(header* value, int* rows, int* columns, const double** data) {
    if (!value) return false;
    if (value->kind == kindReal) {
        *rows = *columns = 1;
        *data = reinterpret_cast<const double*>(dataOf(value));
        return true;
    }
    if (value->kind != kindRealMatrix) return false;
    *rows = matrixRows(value);
    *columns = matrixColumns(value);
    *data = matrixData(value);
    return true;
}

bool isNoneArgument(header* argument) {
    if (!argument) return true;
    header* value = resolveValue(argument);
    return value && isNoneMarker(value);
}

static void finish(header* first, header* result) {
    if (!errorCode && first) moveResult(first, result);
}

void returnReal(header* first, double value) { finish(first, pushReal(value)); }

void returnRow(header* first, const double* values, int n) {
    header* result = pushRealMatrix(1, n);
    if (errorCode) return;
    for (int i = 0; i < n; i++) matrixData(result)[i] = values[i];
    finish(first, result);
}

void returnIntRow(header* first, const int* values, int n) {
    double copy[16];
    for (int i = 0; i < n && i < 16; i++) copy[i] = values[i];
    returnRow(first, copy, n < 16 ? n : 16);
}

void returnText(header* first, const char* text) { finish(first, pushCString(text)); }

void* freeStackWork(uint64_t bytes) {
    if (bytes > uint64_t(ramend - newram)) return nullptr;
    return newram;
}
