// Value helpers of the interpreter: tolerances and error switches, number
// families, string and collection counters, matrix pushes, conversions of
// doubles to ints.
#include "interpreter/value_helpers.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

double globalEpsilon = defaultEpsilon;
int errorsOff = 0;
int underflowsOn = 0;
int complexExpressionFlag = 0;

LongAccumulator accuReal;
LongAccumulator accuImag;
int accuKind = accuKindReal;

void resetAccumulators() {
    clearAccumulator(accuReal);
    clearAccumulator(accuImag);
    accuKind = accuKindReal;
}

void resetBuiltinState() {
    currentEpsilon = globalEpsilon = defaultEpsilon;
    errorsOff = 0;
    complexExpressionFlag = 0;
}

NumberFamily numberFamily(const header* record) {
    switch (record->kind) {
        case kindReal:
        case kindRealMatrix:
            return numberReal;
        case kindComplex:
        case kindComplexMatrix:
            return numberComplex;
        case kindInterval:
        case kindIntervalMatrix:
            return numberInterval;
        default:
            return numberNone;
    }
}

int compareStrings(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    while (*p && *p == *q) p++, q++;
    return *p > *q ? 1 : *p < *q ? -1 : 0;
}

int countStrings(const header* vector) {
    const char* p = stringOf(vector);
    const char* end = reinterpret_cast<const char*>(vector) + vector->size;
    int count = 0;
    while (p < end && *p != 1) {
        const char* nul = static_cast<const char*>(std::memchr(p, 0, end - p));
        if (!nul) break;
        count++;
        p = nul + 1;
    }
    return count;
}

int countCollectionItems(const header* collection) {
    const char* p = dataOf(collection);
    const char* end = reinterpret_cast<const char*>(collection) + collection->size;
    int count = 0;
    while (p + headerSize <= end) {
        int64_t size = reinterpret_cast<const header*>(p)->size;
        if (size < headerSize) break;
        count++;
        p += size;
    }
    return count;
}

header* pushMatrixOfKind(int kind, int rows, int columns) {
    if (kind == kindRealMatrix) return pushRealMatrix(rows, columns);
    if (kind == kindComplexMatrix) return pushComplexMatrix(rows, columns);
    return pushIntervalMatrix(rows, columns);
}

int clampToInt(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return INT_MAX;
    if (x <= -2147483648.0) return INT_MIN;
    return int(x);
}

bool truncateToInt(double x, int* value) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) return false;
    *value = int(x);
    return true;
}

bool widenToPairs(header* record, header* value, NumberFamily family) {
    bool scalar = value->kind == kindReal;
    int rows = scalar ? 1 : matrixRows(value), columns = scalar ? 1 : matrixColumns(value);
    int64_t count = int64_t(rows) * columns;
    int64_t newSize = scalar ? scalarRecordSize(16) : matrixRecordSize(rows, columns, 16);
    int64_t growth = newSize - record->size;
    if (growth > ramend - newram) {
        fail(errorMemoryOverflow, "Memory overflow!\n");
        return false;
    }
    // The value may lie above the record (then it moves with the records
    // there), below it (a variable) or outside the stack (a global).
    char* above = endOf(record);
    char* valueAddress = reinterpret_cast<char*>(value);
    bool moves = recordInArea(value, above, newram);
    int64_t valueOffset = moves ? valueAddress - above : 0;
    std::memmove(above + growth, above, newram - above);
    newram += growth;
    if (moves) value = recordAt(above + growth + valueOffset);
    const double* in = scalar ? reinterpret_cast<double*>(dataOf(value)) : matrixData(value);
    if (record->kind == kindReference)
        record->flags &= ~(flagReferenceArgument | flagGlobalCommand | flagGlobalReference);
    record->size = newSize;
    bool complex = family == numberComplex;
    double* out;
    if (scalar) {
        record->kind = complex ? kindComplex : kindInterval;
        out = reinterpret_cast<double*>(dataOf(record));
    } else {
        record->kind = complex ? kindComplexMatrix : kindIntervalMatrix;
        matrixColumns(record) = columns;
        matrixRows(record) = rows;
        out = matrixData(record);
    }
    // Backwards, so that a matrix converts over its own data.
    for (int64_t k = count - 1; k >= 0; k--) {
        double x = in[k];
        out[2 * k] = x;
        out[2 * k + 1] = complex ? 0 : x;
    }
    return true;
}

char* replaceRecord(char* place, header* value, char* top) {
    int64_t oldSize = recordAt(place)->size;
    int64_t newSize = value->size;
    int64_t delta = newSize - oldSize;
    char* source = reinterpret_cast<char*>(value);
    char* rest = place + oldSize;
    // The value was pushed above `top`, lies below it on the stack (and
    // moves with the records above `place`), or lies outside the stack.
    bool onStack = recordOnStack(value);
    bool pushed = onStack && inArea(source, top, ramend);
    if (delta > 0) {
        char* needed = (pushed ? source + newSize : top) + delta;
        if (needed > ramend) {
            fail(errorStackOverflow, "Stack overflow!\n");
            return nullptr;
        }
        if (pushed) {
            std::memmove(source + delta, source, newSize);
            source += delta;
        }
    }
    if (onStack && inArea(source, rest, top)) source += delta;
    std::memmove(rest + delta, rest, top - rest);
    std::memmove(place, source, newSize);
    return top + delta;
}

}  // namespace kalix
