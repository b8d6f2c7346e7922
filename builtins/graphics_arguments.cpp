// Argument reading and results shared by the graphics builtin families.
#include "builtins/graphics_arguments.h"

#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

bool matricesFit(int rows1, int columns1, int rows2, int columns2) {
    const int r = rows1 > rows2 ? rows1 : rows2, c = columns1 > columns2 ? columns1 : columns2;
    return (rows1 == 1 || rows1 == r) && (rows2 == 1 || rows2 == r) &&
           (columns1 == 1 || columns1 == c) && (columns2 == 1 || columns2 == c);
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

}  // namespace kalix
