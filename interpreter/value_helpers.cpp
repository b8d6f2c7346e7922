// Value helpers of the interpreter: tolerances and error switches, number
// families, string and collection counters, matrix pushes, conversions of
// doubles to ints.
#include "interpreter/value_helpers.h"

#include <climits>
#include <cmath>
#include <cstring>

double currentEpsilon = defaultEpsilon;
double globalEpsilon = defaultEpsilon;
int errorsOff = 0;
int underflowsOn = 0;
int complexExpressionFlag = 0;
int loopIndex = 0;

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
    int64_t width = kind == kindRealMatrix ? 8 : 16;
    int64_t room = ramend - newram;
    int64_t count = int64_t(rows) * columns;
    // A size beyond the free stack is asked for as one byte too many, so
    // that the push fails in the usual way without overflowing the size.
    int64_t size = count > room / width ? room + 8 : headerSize + 8 + width * count;
    char* data = pushHeader(kind, size, "");
    if (!data) return nullptr;
    header* result = recordAt(data - headerSize);
    matrixColumns(result) = columns;
    matrixRows(result) = rows;
    return result;
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
