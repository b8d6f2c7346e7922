// Variable lookup with the scoping rules of the language, and helpers on
// value records.
#include "interpreter/variables.h"

#include <cmath>
#include <cstring>

#include "interpreter/evaluator.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"

namespace kalix {

// A top-level variable (between functionsEnd and topEndLocal), optionally
// only when it carries `requiredFlags`.
static header* findTopLevelVariable(const char* name, int32_t requiredFlags) {
    header* record = findNamedRecord(functionsEnd, topEndLocal, name);
    return record && (record->flags & requiredFlags) == requiredFlags ? record : nullptr;
}

static header* findFlaggedGlobal(const char* name, int32_t requiredFlags) {
    header* record = findGlobal(name);
    return record && (record->flags & requiredFlags) == requiredFlags ? record : nullptr;
}

// A by-reference argument of the current frame that stands for the caller's
// variable `name`: an unnamed reference whose chain of unnamed references
// ends at a record of that name.
static header* findReferenceArgument(const char* name) {
    for (char* p = startlocal; p + headerSize <= endlocal;) {
        header* record = recordAt(p);
        if (record->size < headerSize || record->size > endlocal - p) return nullptr;
        p += record->size;
        if (record->kind != kindReference || record->name[0]) continue;
        header* end = referenceTarget(record);
        // References point to older records; the bound only guards a cycle.
        for (int steps = 0; end && end->kind == kindReference && !end->name[0] && steps < 10000;
             steps++)
            end = referenceTarget(end);
        if (end && std::strncmp(end->name, name, sizeof end->name) == 0) return record;
    }
    return nullptr;
}

header* findVariable(const char* name) {
    size_t length = 0;
    while (name[length]) length++;
    bool dollar = length > 0 && name[length - 1] == '$';
    if (length > 2 && dollar && name[length - 2] == '$') return findGlobal(name);
    if (functionState == functionTopLevel) {
        if (header* global = findGlobal(name)) return global;
    }
    if (header* record = findNamedRecord(startlocal, endlocal, name)) return record;
    if (useGlobalMode) {
        if (header* record = findReferenceArgument(name)) return record;
    }
    if (functionState != functionTopLevel) {
        if (useGlobalMode || dollar) {
            if (header* global = findGlobal(name)) return global;
            if (header* record = findTopLevelVariable(name, 0)) return record;
        }
        if (header* global = findFlaggedGlobal(name, flagSetGlobal)) return global;
        if (header* record = findTopLevelVariable(name, flagSetGlobal)) return record;
    }
    if (easyUnitsMode &&
        (functionState == functionTopLevel || functionState == functionEvaluatingString) &&
        !dollar && length + 1 < sizeof header::name) {
        char unitName[sizeof header::name];
        std::memcpy(unitName, name, length);
        unitName[length] = '$';
        unitName[length + 1] = 0;
        return findVariable(unitName);
    }
    return nullptr;
}

void removeVariable(const char* name) {
    if (functionState == functionTopLevel) removeGlobal(name);
    header* record = findNamedRecord(startlocal, endlocal, name);
    if (record) closeStackGap(reinterpret_cast<char*>(record), record->size);
}

int getMatrixNamed(header* record, const char* builtinName, int* rows, int* columns,
                   double** data) {
    switch (record->kind) {
        case kindReal:
        case kindComplex:
        case kindInterval:
            *rows = *columns = 1;
            *data = reinterpret_cast<double*>(dataOf(record));
            return 1;
        case kindRealMatrix:
        case kindComplexMatrix:
        case kindIntervalMatrix:
            *rows = matrixRows(record);
            *columns = matrixColumns(record);
            *data = matrixData(record);
            return 1;
        default:
            if (builtinName)
                fail(errorFailed, "Matrix expected in %s!\n", builtinName);
            else
                fail(errorFailed, "Matrix expected!\n");
            return 0;
    }
}

int getMatrix(header* record, int* rows, int* columns, double** data) {
    return getMatrixNamed(record, nullptr, rows, columns, data);
}

bool hasSymbolicFlag(const header* record) {
    return record->kind == kindString && (record->flags & flagSymbolic);
}

const char* getTypeName(const header* record) {
    if (hasSymbolicFlag(record)) return "symbolic expression";
    if (record->kind < 0 || record->kind >= kindCount) return "unknown";
    return typeNames[record->kind];
}

void reportWrongArgument(const header* record) {
    errorCode = errorWrongOperand;
    if (hasSymbolicFlag(record)) {
        printText(
            "Wrong argument!\n\nCannot combine a symbolic expression here.\n"
            "Did you want to create a symbolic expression?\nThen start with &.\n\n");
    } else {
        printFormatted("Wrong argument.\nCannot use a %s here.\n\n", getTypeName(record));
    }
}

// The k-th (1-based) element record of a collection, or null.
static header* collectionElement(header* collection, double k) {
    char* end = endOf(collection);
    double number = 1;
    for (char* p = dataOf(collection); p + headerSize <= end; number++) {
        header* element = recordAt(p);
        if (element->size < headerSize || element->size > end - p) return nullptr;
        if (number == k) return element;
        p += element->size;
    }
    return nullptr;
}

void getCollectionItem(header* collection, header* index) {
    if (errorCode) return;
    header* value = resolveValue(index);
    if (errorCode) return;
    double k = value->kind == kindReal ? std::trunc(realOf(value) + 0.5) : 0;
    if (!(k >= 1)) {
        fail(errorListIndex, "Need an integer scalar as a list index.\n");
        return;
    }
    header* element = collectionElement(collection, k);
    if (!element) {
        int shown = clampToInt(k);
        if (collection->name[0])
            fail(errorListIndex, "Index %d out of range for collection %.32s.\n", shown,
                 collection->name);
        else
            fail(errorListIndex, "Index %d out of range for collection.\n", shown);
        return;
    }
    moveResult(index, element);
}

}  // namespace kalix
