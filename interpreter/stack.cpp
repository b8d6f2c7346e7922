// The interpreter stack: pushing records, scratch space, copying results
// down, views into matrices and removing functions.
#include "interpreter/stack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/settings.h"
#include "interpreter/function_area.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"

namespace kalix {

char* stackBlock = nullptr;
char* ramstart = nullptr;
char* ramend = nullptr;
char* newram = nullptr;
char* functionsEnd = nullptr;
char* topStartLocal = nullptr;
char* topEndLocal = nullptr;

int errorCode = 0;

// Size of a view head before its indices: base pointer and the two counts.
constexpr int64_t viewHeadSize = headerSize + 16;

static int64_t roundUp8(int64_t size) { return ((size - 1) & ~int64_t(7)) + 8; }

// Free bytes between the stack top and the end of the block.
static int64_t freeBytes() { return ramend - newram; }

#ifdef KALIX_CHECK_RECORDS
void checkRecordPlace(const header* record, bool onStack) {
    auto start = reinterpret_cast<uintptr_t>(record);
    auto low = reinterpret_cast<uintptr_t>(ramstart);
    // The overflow marker may lie in the guard bytes beyond ramend.
    auto high = reinterpret_cast<uintptr_t>(ramend) + stackGuardBytes;
    int64_t size = record->size;
    // A fixed marker outside (the command marker) may be an empty head.
    bool sound = onStack ? size >= 8 && uint64_t(size) <= high - start
                         : size >= 0 && (start + uint64_t(size) <= low || start >= high);
    if (sound) return;
    std::fprintf(stderr, "Record check: %s record of %lld bytes at %p, stack %p..%p\n",
                 onStack ? "stack" : "outside", static_cast<long long>(size),
                 static_cast<const void*>(record), static_cast<void*>(ramstart),
                 static_cast<void*>(ramend));
    std::abort();
}
#endif

int32_t hashName(const char* text) {
    int32_t hash = 0;
    for (; *text; text++) hash ^= static_cast<int32_t>(static_cast<signed char>(*text));
    return hash;
}

int hasSuffix(const char* text, const char* suffix) {
    size_t n = std::strlen(text), m = std::strlen(suffix);
    return m <= n && std::memcmp(text + n - m, suffix, m) == 0;
}

// Copies and hashes in one pass: every push names its record.
void setRecordName(header* record, const char* name) {
    std::memset(record->name, 0, sizeof record->name);
    int32_t hash = 0;
    if (name) {
        for (size_t i = 0; i < sizeof record->name - 1 && name[i]; i++) {
            record->name[i] = name[i];
            hash ^= static_cast<int32_t>(static_cast<signed char>(name[i]));
        }
    }
    record->hash = hash;
}

// --- pushing ---------------------------------------------------------------

char* pushHeader(int kind, int64_t size, const char* name) {
    if (size < headerSize) size = headerSize;
    header* record = recordAt(newram);
    if (size > freeBytes() || (size = roundUp8(size)) > freeBytes()) {
        fail(errorStackOverflow, "Stack overflow!\n");
        // The marker head lies in the guard bytes allocated beyond ramend.
        record->size = 8;
        std::memset(record->name, 0, 8);
        record->hash = 0;
        record->kind = kindOverflow;
        record->flags = 0;
        return nullptr;
    }
    record->size = size;
    record->kind = kind;
    record->flags = 0;
    setRecordName(record, name);
    newram += size;
    return dataOf(record);
}

// Every matrix record is made here: a size is never negative.
static header* pushMatrix(int kind, int rows, int columns, int elementBytes, const char* name) {
    if (rows < 0 || columns < 0) {
        fail(errorMatrixSize, "Illegal matrix size %dx%d!\n", rows, columns);
        return nullptr;
    }
    header* record = recordAt(newram);
    char* data = pushHeader(kind, matrixRecordSize(rows, columns, elementBytes), name);
    if (!data) return nullptr;
    matrixColumns(record) = columns;
    matrixRows(record) = rows;
    return record;
}

static header* pushPair(int kind, double a, double b, const char* name) {
    header* record = recordAt(newram);
    char* data = pushHeader(kind, headerSize + 16, name);
    if (!data) return nullptr;
    std::memcpy(data, &a, 8);
    std::memcpy(data + 8, &b, 8);
    return record;
}

header* pushReal(double x, const char* name) {
    header* record = recordAt(newram);
    char* data = pushHeader(kindReal, headerSize + 8, name);
    if (!data) return nullptr;
    std::memcpy(data, &x, 8);
    return record;
}

header* pushComplex(double re, double im, const char* name) {
    return pushPair(kindComplex, re, im, name);
}
header* pushInterval(double lower, double upper, const char* name) {
    return pushPair(kindInterval, lower, upper, name);
}

header* pushRealMatrix(int rows, int columns, const char* name) {
    return pushMatrix(kindRealMatrix, rows, columns, 8, name);
}

header* pushComplexMatrix(int rows, int columns, const char* name) {
    return pushMatrix(kindComplexMatrix, rows, columns, 16, name);
}

header* pushIntervalMatrix(int rows, int columns, const char* name) {
    return pushMatrix(kindIntervalMatrix, rows, columns, 16, name);
}

header* pushReference(header* target, const char* name) {
    header* record = recordAt(newram);
    if (!pushHeader(kindReference, headerSize + 8, name)) return nullptr;
    referenceTarget(record) = target;
    return record;
}

header* pushCommand(int32_t code) {
    header* record = recordAt(newram);
    if (!pushHeader(kindCommand, headerSize + 8, "")) return nullptr;
    commandCode(record) = code;
    return record;
}

// Rows and columns of a matrix or scalar of the view's family; false for
// any other kind.
static bool familyShape(header* base, int viewKind, int* rows, int* columns) {
    int scalar = viewKind == kindSubmatrix          ? kindReal
                 : viewKind == kindComplexSubmatrix ? kindComplex
                                                    : kindInterval;
    int matrix = viewKind == kindSubmatrix          ? kindRealMatrix
                 : viewKind == kindComplexSubmatrix ? kindComplexMatrix
                                                    : kindIntervalMatrix;
    if (base->kind == scalar) {
        *rows = *columns = 1;
        return true;
    }
    if (base->kind != matrix) return false;
    *rows = matrixRows(base);
    *columns = matrixColumns(base);
    return true;
}

// A one-element view for the 1-based linear index k: row k / c and column
// (k mod c) - 1, so that row x c + column = k - 1.
static header* pushElementView(int kind, header* base, int k, const char* name) {
    header* record = recordAt(newram);
    int rows = 0, columns = 0;
    if (!familyShape(base, kind, &rows, &columns) || rows <= 0 || columns <= 0) {
        fail(errorEmptyView, "Matrix is empty!\n");
        return nullptr;
    }
    if (!pushHeader(kind, viewHeadSize + 8, name)) return nullptr;
    viewBase(record) = base;
    viewColumns(record) = 1;
    viewRows(record) = 1;
    viewRowIndices(record)[0] = k / columns;
    viewRowIndices(record)[1] = k % columns - 1;
    return record;
}

header* pushSubmatrix(header* base, int linearIndex, const char* name) {
    return pushElementView(kindSubmatrix, base, linearIndex, name);
}

header* pushComplexSubmatrix(header* base, int linearIndex, const char* name) {
    return pushElementView(kindComplexSubmatrix, base, linearIndex, name);
}

header* pushIntervalSubmatrix(header* base, int linearIndex, const char* name) {
    return pushElementView(kindIntervalSubmatrix, base, linearIndex, name);
}

header* pushString(const char* bytes, int64_t length, const char* name) {
    header* record = recordAt(newram);
    if (length < 0) length = 0;
    if (length > INT64_MAX - 64) length = INT64_MAX - 64;
    int64_t dataSize = stringDataSize(length);
    int64_t copied = bytes ? int64_t(strnlen(bytes, size_t(length))) : 0;
    if (copied > 0 && headerSize + dataSize <= freeBytes()) {
        // The text may lie in scratch space at the stack top: move it into
        // place before the head overwrites it.
        std::memmove(newram + headerSize, bytes, size_t(copied));
    }
    char* data = pushHeader(kindString, headerSize + dataSize, name);
    if (!data) return nullptr;
    std::memset(data + copied, 0, size_t(dataSize - copied));
    return record;
}

header* pushCString(const char* text, const char* name) {
    return pushString(text, int64_t(std::strlen(text)), name);
}

header* pushMarker(int code) {
    char c = static_cast<char>(code);
    return pushString(&c, 1, "");
}

header* pushFunction(const char* name) {
    header* record = recordAt(newram);
    char* data = pushHeader(kindFunction, headerSize + 16, name);
    if (!data) return nullptr;
    int64_t bodyOffset = 64;
    int32_t none = 0;
    std::memcpy(data, &bodyOffset, 8);
    std::memcpy(data + 8, &none, 4);
    std::memcpy(data + 12, &none, 4);
    return record;
}

header* pushStringVector(const char* name) {
    header* record = recordAt(newram);
    char* data = pushHeader(kindStringMatrix, headerSize + 8, name);
    if (!data) return nullptr;
    std::memset(data, 0, 8);
    data[1] = 1;
    return record;
}

header* pushCompressedMatrix(int rows, int columns, int entries, const char* name) {
    header* record = recordAt(newram);
    int64_t size = entries < 0 ? INT64_MAX : 68 + int64_t(entries) * 16;
    if (!pushHeader(kindCompressedMatrix, size, name)) return nullptr;
    sparseColumns(record) = columns;
    sparseRows(record) = rows;
    sparseEntryCount(record) = entries;
    return record;
}

header* pushStringSubvector(header* vector, int index, const char* name) {
    header* record = recordAt(newram);
    char* data = pushHeader(kindStringSubvector, headerSize + 16, name);
    if (!data) return nullptr;
    subvectorBase(record) = vector;
    subvectorIndex(record) = index;
    std::memset(data + 12, 0, 4);
    return record;
}

header* pushCollection(const char* name) {
    header* record = recordAt(newram);
    if (!pushHeader(kindCollection, headerSize, name)) return nullptr;
    return record;
}

// --- views and copies of selections ------------------------------------------

bool indexErrorsReported() { return intSetting("reportindex") != 0 && !relaxedFunctionMode; }

// One index selector: a real, a real row or column vector, or ":".
struct Selector {
    const double* values;
    int64_t count;
    bool all;
};

static bool readSelector(header* selector, Selector* out) {
    out->values = nullptr;
    out->count = 0;
    out->all = false;
    if (selector->kind == kindReal) {
        out->values = reinterpret_cast<const double*>(dataOf(selector));
        out->count = 1;
        return true;
    }
    if (selector->kind == kindRealMatrix) {
        int rows = matrixRows(selector), columns = matrixColumns(selector);
        if ((rows > 1 && columns > 1) || rows < 0 || columns < 0) return false;
        out->values = matrixData(selector);
        out->count = int64_t(rows) * columns;
        return true;
    }
    if (selector->kind == kindCommand && commandCode(selector) == commandAllIndices) {
        out->all = true;
        return true;
    }
    return false;
}

static bool readSelectors(header* rowSelector, header* columnSelector, Selector* rows,
                          Selector* columns) {
    if (readSelector(rowSelector, rows) && readSelector(columnSelector, columns)) return true;
    fail(errorIllegalIndex, "Illegal index!\n");
    return false;
}

// The 0-based index that the selector value u gives in a dimension of n, or
// -1 when it is out of range. Positive values count from 1 (from 0 with
// origin 1); -1 is the last element, -n the first.
static int indexFromValue(double u, int n, int origin) {
    if (std::isnan(u)) return -1;
    if (u <= -1) return u > -(double(n) + 1) ? n - 1 - static_cast<int>(std::trunc(-u - 1)) : -1;
    double g = origin + std::trunc(u) - 1;
    return g >= 0 && g < n ? static_cast<int>(g) : -1;
}

// Turns a selector into indices at `out`; returns the number kept, or -1
// after reporting an out-of-range value. `message` takes the value shown.
static int64_t convertSelector(const Selector& selector, int n, int origin, int32_t* out,
                               const char* message, bool showWithOrigin) {
    if (selector.all) {
        for (int i = 0; i < n; i++) out[i] = i;
        return n;
    }
    int64_t kept = 0;
    for (int64_t i = 0; i < selector.count; i++) {
        double u = selector.values[i];
        int index = indexFromValue(u, n, origin);
        if (index >= 0) {
            out[kept++] = index;
            continue;
        }
        if (indexErrorsReported()) {
            double shown = showWithOrigin ? origin + std::trunc(u) : std::trunc(u);
            fail(errorFailed, message, clampToInt(shown));
            return -1;
        }
    }
    return kept;
}

static int64_t selectedCount(const Selector& selector, int n) {
    return selector.all ? n : selector.count;
}

header* pushView(header* base, header* rowSelector, header* columnSelector, int kind, int origin) {
    header* record = recordAt(newram);
    if (errorCode) return nullptr;
    int rows = 0, columns = 0;
    Selector rowSel, columnSel;
    if (!familyShape(base, kind, &rows, &columns)) {
        fail(errorIllegalIndex, "Illegal index!\n");
        return nullptr;
    }
    if (!readSelectors(rowSelector, columnSelector, &rowSel, &columnSel)) return nullptr;
    int64_t room = selectedCount(rowSel, rows) + selectedCount(columnSel, columns);
    if (room > (INT64_MAX - viewHeadSize) / 4) room = (INT64_MAX - viewHeadSize) / 4;
    if (!pushHeader(kind, viewHeadSize + room * 4, "")) return nullptr;
    viewBase(record) = base;
    int32_t* indices = viewRowIndices(record);
    int64_t keptRows =
        convertSelector(rowSel, rows, origin, indices, "Row index %d out of bounds!\n", false);
    int64_t keptColumns = keptRows < 0
                              ? -1
                              : convertSelector(columnSel, columns, origin, indices + keptRows,
                                                "Column index %d out of bounds!\n", false);
    if (keptColumns < 0) {
        newram = reinterpret_cast<char*>(record);
        return nullptr;
    }
    viewRows(record) = static_cast<int32_t>(keptRows);
    viewColumns(record) = static_cast<int32_t>(keptColumns);
    record->size = roundUp8(viewHeadSize + (keptRows + keptColumns) * 4);
    newram = endOf(record);
    return record;
}

// Element kind, matrix kind and bytes per element of the base's family;
// false when the base is no real, complex or interval value.
static bool elementFamily(const header* base, int* scalarKind, int* matrixKind, int* elementBytes) {
    switch (base->kind) {
        case kindReal:
        case kindRealMatrix:
            *scalarKind = kindReal, *matrixKind = kindRealMatrix, *elementBytes = 8;
            return true;
        case kindComplex:
        case kindComplexMatrix:
            *scalarKind = kindComplex, *matrixKind = kindComplexMatrix, *elementBytes = 16;
            return true;
        case kindInterval:
        case kindIntervalMatrix:
            *scalarKind = kindInterval, *matrixKind = kindIntervalMatrix, *elementBytes = 16;
            return true;
        default:
            return false;
    }
}

// The selected elements of the base as a new value (a scalar for one
// element). Index lists lie in scratch at the stack top; the result is
// built above them and moved down over them.
header* extractSubmatrix(header* base, header* rowSelector, header* columnSelector, int origin) {
    char* start = newram;
    if (errorCode) return nullptr;
    int scalarKind = 0, matrixKind = 0, elementBytes = 0;
    if (!elementFamily(base, &scalarKind, &matrixKind, &elementBytes)) {
        fail(errorIllegalIndex, "Illegal index!\n");
        return nullptr;
    }
    bool scalar = base->kind == scalarKind;
    int rows = scalar ? 1 : matrixRows(base), columns = scalar ? 1 : matrixColumns(base);
    const char* elements = scalar ? dataOf(base) : reinterpret_cast<const char*>(matrixData(base));
    Selector rowSel, columnSel;
    if (!readSelectors(rowSelector, columnSelector, &rowSel, &columnSel)) return nullptr;
    int64_t room = selectedCount(rowSel, rows) + selectedCount(columnSel, columns);
    if (room > freeBytes() / 4 || roundUp8(std::max<int64_t>(room * 4, 8)) > freeBytes()) {
        fail(errorOutOfStackMemory, "Out of memory!\n");
        return nullptr;
    }
    int32_t* rowIndices = reinterpret_cast<int32_t*>(start);
    int64_t keptRows =
        convertSelector(rowSel, rows, origin, rowIndices, "Index %d out of bounds!\n", true);
    if (keptRows < 0) return nullptr;
    int32_t* columnIndices = rowIndices + keptRows;
    int64_t keptColumns = convertSelector(columnSel, columns, origin, columnIndices,
                                          "Index %d out of bounds!\n", true);
    if (keptColumns < 0) return nullptr;
    newram = start + roundUp8(std::max<int64_t>((keptRows + keptColumns) * 4, 8));

    header* result = recordAt(newram);
    char* target;
    if (keptRows == 1 && keptColumns == 1) {
        target = pushHeader(scalarKind, headerSize + elementBytes, "");
    } else {
        pushMatrix(matrixKind, int(keptRows), int(keptColumns), elementBytes, "");
        target = errorCode ? nullptr : reinterpret_cast<char*>(matrixData(result));
    }
    if (!target) {
        newram = start;
        return nullptr;
    }
    for (int64_t i = 0; i < keptRows; i++)
        for (int64_t j = 0; j < keptColumns; j++) {
            int64_t element = int64_t(rowIndices[i]) * columns + columnIndices[j];
            std::memcpy(target, elements + element * elementBytes, size_t(elementBytes));
            target += elementBytes;
        }
    moveResult(recordAt(start), result);
    return recordAt(start);
}

header* selectSubmatrix(header* base, header* rowSelector, header* columnSelector, int origin) {
    if (indexCopyMode) return extractSubmatrix(base, rowSelector, columnSelector, origin);
    int kind = kindSubmatrix;
    if (base->kind == kindComplex || base->kind == kindComplexMatrix)
        kind = kindComplexSubmatrix;
    else if (base->kind == kindInterval || base->kind == kindIntervalMatrix)
        kind = kindIntervalSubmatrix;
    return pushView(base, rowSelector, columnSelector, kind, origin);
}

header* selectStringItem(header* vector, double index, const char* name) {
    int k = clampToInt(std::trunc(index));
    if (!indexCopyMode) return pushStringSubvector(vector, k, name);
    const char* text = getStringVectorItem(vector, k);
    if (errorCode) return nullptr;
    header* record = pushCString(text, name);
    if (!errorCode) record->flags |= vector->flags & flagUtf8;
    return record;
}

// --- scratch and results ------------------------------------------------------

char* reserveStack(int64_t bytes, const char* requester) {
    char* start = newram;
    if (bytes < 0 || bytes > freeBytes()) {
        fail(errorFailed, "Out of stack space in %s\n", requester);
        return start;
    }
    newram += bytes;
    return start;
}

char* moveResult(header* destination, header* result) {
    if (!result) return newram;  // a failed push: the error is set
    if (destination == result) return reinterpret_cast<char*>(destination);
    char* to = reinterpret_cast<char*>(destination);
    int64_t size = result->size;
    // The destination is a place on the stack; the result may be a stored
    // global outside it.
    if (!isOnStack(to) || size > ramend - to) {
        fail(errorStackOverflow, "Stack overflow!\n");
        return newram;
    }
    std::memmove(to, result, size_t(size));
    newram = to + size;
    return newram;
}

void moveResults(header* destination, header* firstResult) {
    char* to = reinterpret_cast<char*>(destination);
    char* from = reinterpret_cast<char*>(firstResult);
    if (to == from || !isOnStack(from) || from > newram) return;
    int64_t count = newram - from;
    if (!isOnStack(to) || count > ramend - to) {
        fail(errorStackOverflow, "Stack overflow!\n");
        return;
    }
    std::memmove(to, from, size_t(count));
    newram = to + count;
}

char* keepResult(header* record) {
    if (record->flags & flagResult) return newram;
    char* start = reinterpret_cast<char*>(record);
    if (recordInArea(record, ramstart, newram)) {
        char* end = endOf(record);
        if (end < newram) newram = end;
        return newram;
    }
    return start;
}

header* nextValue(header* record) {
    if (!record || record->size <= 0) return nullptr;
    char* next = endOf(record);
    return recordOnStack(record) && inArea(next, ramstart, newram) ? recordAt(next) : nullptr;
}

// --- removing records ---------------------------------------------------------

// Closes the gap of `size` bytes at `at`: everything above it up to the
// stack top moves down, and every area bound above it follows.
void StackRef::moveAll(char* from, char* end, int64_t delta) {
    for (StackRef* r = live; r; r = r->next) {
        if (!r->onStack) continue;
        char* p = ramstart + r->offset;
        if (p >= from && p < end) r->offset += delta;
    }
}

void moveStackRegion(char* from, int64_t delta) {
    if (delta == 0) return;
    std::memmove(from + delta, from, size_t(newram - from));
    StackRef::moveAll(from, newram, delta);
    newram += delta;
}

// Moves everything from `ramstart` to the stack top, and every bound with
// it, up by `delta` bytes; held records keep their offsets.
static void raiseWholeStack(int64_t delta) {
    std::memmove(ramstart + delta, ramstart, size_t(newram - ramstart));
    for (char** bound :
         {&ramstart, &functionsEnd, &topStartLocal, &topEndLocal, &startlocal, &endlocal, &newram})
        if (*bound) *bound += delta;
}

char* openFunctionPlace(int64_t size) {
    int64_t room = stackBlock ? ramstart - stackBlock : 0;
    if (room < size) {
        int64_t free = ramend - newram;
        if (free < size - room) return nullptr;
        // The room grows with the function area, so that n definitions move
        // the area a logarithmic number of times, and never takes more than
        // half of the free stack.
        int64_t wanted = std::max<int64_t>(functionsEnd - ramstart, minimumFunctionRoom) + size;
        raiseWholeStack(stackBlock && wanted <= free / 2 ? wanted : size - room);
    }
    StackRef::moveAll(ramstart, newram, size);
    ramstart -= size;
    return ramstart;
}

void closeStackGap(char* at, int64_t size) {
    std::memmove(at, at + size, size_t(newram - (at + size)));
    StackRef::moveAll(at + size, newram, -size);
    for (char** bound :
         {&functionsEnd, &topStartLocal, &topEndLocal, &startlocal, &endlocal, &newram})
        if (*bound > at) *bound -= size;
}

// The first `length` bytes and the terminating zero agree.
static bool sameName(const char* stored, const char* name, size_t length) {
    for (size_t i = 0; i <= length; i++)
        if (stored[i] != name[i]) return false;
    return true;
}

// The first record named `name` from `from` to `to`, or null. Stops at a
// record whose size would leave the area.
header* findNamedRecord(char* from, char* to, const char* name) {
    size_t length = 0;
    int32_t hash = 0;
    for (; name[length]; length++) {
        if (length == sizeof header::name - 1) return nullptr;
        hash ^= static_cast<int32_t>(static_cast<signed char>(name[length]));
    }
    for (char* p = from; p + headerSize <= to;) {
        header* record = recordAt(p);
        if (record->size < headerSize || record->size > to - p) return nullptr;
        if (record->hash == hash && sameName(record->name, name, length)) return record;
        p += record->size;
    }
    return nullptr;
}

// Closes the gap of `size` bytes at `at` in the function area by moving the
// newer functions below it up: `ramstart` rises and the room below the
// area grows; nothing above the gap moves.
static void closeGapFromBelow(char* at, int64_t size) {
    std::memmove(ramstart + size, ramstart, size_t(at - ramstart));
    StackRef::moveAll(at + size, newram, -size);
    ramstart += size;
}

void removeFunction(const char* name) {
    header* record = findStoredFunction(name);
    if (!record) return;
    dropIndexedFunction(record);
    // Whichever side of the record has fewer bytes moves.
    char* at = reinterpret_cast<char*>(record);
    int64_t size = record->size;
    if (stackBlock && at - ramstart < newram - (at + size))
        closeGapFromBelow(at, size);
    else
        closeStackGap(at, size);
}

// --- value helpers -------------------------------------------------------------

bool isNoneMarker(const header* record) {
    if (!record) return true;
    if (record->kind != kindString) return false;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(stringOf(record));
    return text[0] >= 1 && text[0] <= 5 && text[1] == 0;
}

bool isScalarValue(header* record) {
    switch (record->kind) {
        case kindReal:
        case kindComplex:
        case kindInterval:
            return true;
        case kindRealMatrix:
        case kindComplexMatrix:
        case kindIntervalMatrix:
            return matrixRows(record) == 1 && matrixColumns(record) == 1;
        default:
            return false;
    }
}

// Element i of a real or complex scalar or matrix, `part` 0 for the real
// and 1 for the imaginary part; 0 for other kinds and indices outside.
static double elementPart(header* record, int64_t i, int part) {
    switch (record->kind) {
        case kindReal:
            return part == 0 ? realOf(record) : 0;
        case kindComplex:
            return complexOf(record)[part];
        case kindRealMatrix:
        case kindComplexMatrix: {
            if (i < 0 || i >= int64_t(matrixRows(record)) * matrixColumns(record)) return 0;
            if (record->kind == kindRealMatrix) return part == 0 ? matrixData(record)[i] : 0;
            return matrixData(record)[2 * i + part];
        }
        default:
            return 0;
    }
}

double getElementReal(header* record, int64_t i) { return elementPart(record, i, 0); }
double getElementImag(header* record, int64_t i) { return elementPart(record, i, 1); }

// A count of rows or columns: a whole number from 0 below 2^31 - 1 (a
// fraction is refused, never truncated).
static bool legalSize(double n) { return n >= 0 && n < 2147483647.0 && n == std::floor(n); }

header* readSizeArguments(header* first, int* rows, int* columns, const char* builtinName) {
    if (errorCode) return nullptr;
    // Take the neighbours before resolving: resolution may push above them.
    header* second = nextValue(first);
    header* third = nextValue(second);
    header* value = resolveValue(first);
    if (errorCode) return nullptr;
    double n = 0, m = 0;
    header* after = second;
    if (value->kind == kindRealMatrix) {
        int r = matrixRows(value), c = matrixColumns(value);
        if (r != 1 || c != 2) {
            fail(errorFailed, "Matrix for %s must be 1x2 not %dx%d in %s\n", "size", r, c,
                 builtinName);
            return nullptr;
        }
        n = matrixData(value)[0];
        m = matrixData(value)[1];
        if (!legalSize(n) || !legalSize(m)) {
            fail(errorFailed, "Illegal size %g, %g in %s\n", n, m, builtinName);
            return nullptr;
        }
    } else if (value->kind == kindReal) {
        n = realOf(value);
        if (second) {
            header* columnsValue = resolveValue(second);
            if (errorCode) return nullptr;
            if (columnsValue->kind != kindReal) {
                fail(errorFailed, "Expected %s [n,m] or n, m in %s\n", "size", builtinName);
                return nullptr;
            }
            m = realOf(columnsValue);
            after = third;
        } else {
            m = n;
            n = 1;
        }
        if (!legalSize(n) || !legalSize(m)) {
            fail(errorFailed, "Illegal %s %g, %g in %s\n", "size", n, m, builtinName);
            return nullptr;
        }
    } else {
        fail(errorFailed, "Expected size [n,m] or n, m in %s\n", builtinName);
        return nullptr;
    }
    *rows = static_cast<int>(n);
    *columns = static_cast<int>(m);
    return after;
}

}  // namespace kalix
