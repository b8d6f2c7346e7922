// Value resolution and access.
#include "interpreter/values.h"

#include <cmath>
#include <cstring>

#include "base/settings.h"
#include "interpreter/builtin_table.h"
#include "interpreter/engine_services.h"
#include "interpreter/evaluator.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/scanner.h"
#include "interpreter/tracing.h"
#include "interpreter/value_helpers.h"
#include "interpreter/variables.h"

namespace kalix {

namespace {

// Doubles per element of a numeric kind (scalar, matrix or view).
int doublesPerElement(int kind) {
    switch (kind) {
        case kindComplex:
        case kindComplexMatrix:
        case kindComplexSubmatrix:
        case kindInterval:
        case kindIntervalMatrix:
        case kindIntervalSubmatrix:
            return 2;
        default:
            return 1;
    }
}

int scalarKindOf(int kind) {
    switch (kind) {
        case kindComplex:
        case kindComplexMatrix:
        case kindComplexSubmatrix:
            return kindComplex;
        case kindInterval:
        case kindIntervalMatrix:
        case kindIntervalSubmatrix:
            return kindInterval;
        default:
            return kindReal;
    }
}

int matrixKindOf(int kind) {
    switch (scalarKindOf(kind)) {
        case kindComplex:
            return kindComplexMatrix;
        case kindInterval:
            return kindIntervalMatrix;
        default:
            return kindRealMatrix;
    }
}

// Element data and column count of a view's base (a scalar counts as 1x1).
const double* baseElements(header* base, int* columns) {
    if (isMatrixKind(base->kind)) {
        *columns = matrixColumns(base);
        return matrixData(base);
    }
    *columns = 1;
    return reinterpret_cast<const double*>(dataOf(base));
}

header* pushScalar(int kind, const double* element) {
    if (kind == kindComplex) return pushComplex(element[0], element[1]);
    if (kind == kindInterval) return pushInterval(element[0], element[1]);
    return pushReal(element[0]);
}

// A view as a new value: a scalar for one element, else a matrix.
header* materializeView(header* view) {
    header* base = viewBase(view);
    int baseColumns;
    const double* source = baseElements(base, &baseColumns);
    int rows = viewRows(view), columns = viewColumns(view);
    int width = doublesPerElement(view->kind);
    if (rows == 1 && columns == 1) {
        int64_t at = int64_t(viewRowIndices(view)[0]) * baseColumns + viewColumnIndices(view)[0];
        return pushScalar(scalarKindOf(view->kind), source + at * width);
    }
    header* result = pushMatrixOfKind(matrixKindOf(view->kind), rows, columns);
    if (errorCode) return result;
    double* target = matrixData(result);
    const int32_t* rowIndices = viewRowIndices(view);
    const int32_t* columnIndices = viewColumnIndices(view);
    for (int i = 0; i < rows; i++) {
        const double* row = source + int64_t(rowIndices[i]) * baseColumns * width;
        for (int j = 0; j < columns; j++) {
            const double* element = row + int64_t(columnIndices[j]) * width;
            *target++ = element[0];
            if (width == 2) *target++ = element[1];
        }
    }
    return result;
}

header* pushStringCopy(const char* text, int32_t flags) {
    header* result = pushCString(text);
    if (!errorCode) result->flags = flags & flagUtf8;
    return result;
}

// The stand-in value of a failed resolution.
header* pushErrorString(const char* text) {
    char* old = newram;
    int code = errorCode;
    errorCode = 0;
    pushCString(text);
    errorCode = code ? code : errorCode;
    return recordAt(old);
}

void reportUnknownVariable(const char* name, const char* evaluateHint) {
    printFormatted("Variable %s not found!\n", name);
    if (functionState != functionTopLevel) {
        const char* function = currentFunctionName ? currentFunctionName : "";
        if (std::strcmp(function, "evaluate") == 0)
            printText(evaluateHint);
        else
            printFormatted("Use global or local variables defined in function %s.\n", function);
    }
    errorCode = errorWrongOperand;
}

// An unbound name: a builtin without arguments, else a user function called
// without arguments (a symbolic one gives its name).
header* resolveUnboundName(const char* name) {
    char* old = newram;
    if (callBuiltin(name, 0, recordAt(old))) return recordAt(old);
    header* function = findFunction(name);
    if (!function) {
        reportUnknownVariable(name, "Use global variables or parameters for string evaluation.\n");
        return pushErrorString("Error");
    }
    if (function->flags & userFunctionSymbolic) {
        pushCString(name);
        return recordAt(old);
    }
    callUserFunction(function, recordAt(old), 0, 0);
    return recordAt(old);
}

}  // namespace

header* followReference(header* record) {
    while (record && record->kind == kindReference && referenceTarget(record))
        record = referenceTarget(record);
    return record;
}

header* resolveWithoutCopy(header* record) {
    while (record->kind == kindReference) {
        if (record->flags & flagGlobalReference) {
            record = findGlobal(record->name);
            if (!record) return nullptr;
            break;
        }
        record = referenceTarget(record);
        if (!record) return nullptr;
    }
    if (isViewKind(record->kind) || record->kind == kindStringSubvector) return nullptr;
    if ((record->kind == kindRealMatrix || record->kind == kindComplexMatrix) &&
        matrixRows(record) == 1 && matrixColumns(record) == 1)
        return nullptr;
    return record;
}

header* resolveValue(header* record) {
    if (errorCode || !record) return nullptr;
    while (record->kind == kindReference) {
        if (record->flags & flagGlobalReference) {
            header* global = findGlobal(record->name);
            if (!global) return resolveUnboundName(record->name);
            record = global;
            break;
        }
        header* target = referenceTarget(record);
        if (!target) return resolveUnboundName(record->name);
        record = target;
    }
    header* result = record;
    if (isViewKind(record->kind)) {
        result = materializeView(record);
    } else if (record->kind == kindStringSubvector) {
        header* vector = subvectorBase(record);
        const char* text = getStringVectorItem(vector, subvectorIndex(record));
        if (errorCode) return nullptr;
        result = pushStringCopy(text, vector->flags);
    } else if (record->kind == kindRealMatrix && matrixRows(record) == 1 &&
               matrixColumns(record) == 1) {
        result = pushReal(matrixData(record)[0]);
    } else if (record->kind == kindComplexMatrix && matrixRows(record) == 1 &&
               matrixColumns(record) == 1) {
        result = pushComplex(matrixData(record)[0], matrixData(record)[1]);
    } else {
        return record;
    }
    if (errorCode) return pushErrorString("Error");
    return result;
}

header* resolveToBase(header* record) {
    if (!record) return nullptr;
    header* base = followReference(record);
    if (base->kind == kindReference) {
        reportUnknownVariable(record->name,
                              "Use global variables or parameters to string evaluation.\n");
        return pushErrorString("Fehler");
    }
    if (isViewKind(base->kind)) return viewBase(base);
    return base;
}

char* getStringVectorItem(header* vector, int k) {
    static char emptyText[1];
    char* text = stringOf(vector);
    char* end = endOf(vector);
    int i = 1;
    while (k >= 1 && text < end && *text != 1) {
        char* stop = static_cast<char*>(std::memchr(text, 0, end - text));
        if (!stop) break;
        if (i == k) return text;
        text = stop + 1;
        i++;
    }
    if (indexErrorsReported()) {
        fail(errorFailed, "Index %d in string vector out of bounds!\n", k);
    }
    emptyText[0] = 0;
    return emptyText;
}

// --- braces ----------------------------------------------------------------

namespace {

// The index value truncated after adding the tolerance; false (with the
// message) for a non-real index.
bool readBraceIndex(header* index, int* k) {
    if (index->kind != kindReal) {
        fail(errorBraceIndex, "Index must be a number!\n");
        return false;
    }
    *k = clampToInt(realOf(index) + currentEpsilon);
    return true;
}

header* findBraceVariable(const char* name, header** value) {
    header* variable = findVariable(name);
    if (!variable) {
        fail(errorBraceNotVariable, "%s not a variable!\n", name);
        return nullptr;
    }
    *value = resolveValue(variable);
    return errorCode ? nullptr : variable;
}

void reportBraceIndex(int k) { fail(errorFailed, "Index %d out of bounds!\n", k); }

header* braceElementOfMatrix(header* matrix, int k) {
    int64_t count = int64_t(matrixRows(matrix)) * matrixColumns(matrix);
    if (matrix->kind != kindRealMatrix && count == 0) {
        fail(errorEmptyMatrix, "Matrix is empty!\n");
        return nullptr;
    }
    if (k > count) {
        reportBraceIndex(k);
        return nullptr;
    }
    int width = doublesPerElement(matrix->kind);
    if (indexCopyMode)
        return pushScalar(scalarKindOf(matrix->kind), matrixData(matrix) + int64_t(k - 1) * width);
    if (matrix->kind == kindComplexMatrix) return pushComplexSubmatrix(matrix, k);
    if (matrix->kind == kindIntervalMatrix) return pushIntervalSubmatrix(matrix, k);
    return pushSubmatrix(matrix, k);
}

void reportBraceKind(const char* name) {
    fail(errorBraceVariable, "%s not a variable of proper type for {}!\n", name);
}

}  // namespace

void indexBraces(const char* name, header* index) {
    if (errorCode) return;
    header* indexValue = resolveValue(index);
    if (errorCode) return;
    header* value;
    header* variable = findBraceVariable(name, &value);
    if (!variable) return;
    int k;
    if (!readBraceIndex(indexValue, &k)) return;
    if (k <= 0) {
        reportBraceIndex(k);
        return;
    }
    header* result;
    if (isScalarKind(value->kind) || value->kind == kindString) {
        result = pushReference(variable, name);
    } else if (isMatrixKind(value->kind)) {
        result = braceElementOfMatrix(value, k);
    } else if (value->kind == kindStringMatrix) {
        int item = clampToInt(realOf(indexValue));
        if (item < 1 || item > countStrings(value)) {
            fail(errorFailed, "Index %d out of bounds!", item);
            return;
        }
        result = pushStringCopy(getStringVectorItem(value, item), value->flags);
    } else {
        reportBraceKind(name);
        return;
    }
    if (!errorCode && result) moveResult(index, result);
}

void indexBraces(const char* name, header* row, header* column) {
    if (errorCode) return;
    header* rowValue = resolveValue(row);
    header* columnValue = resolveValue(column);
    if (errorCode) return;
    int i, j;
    if (!readBraceIndex(rowValue, &i) || !readBraceIndex(columnValue, &j)) return;
    header* value;
    header* variable = findBraceVariable(name, &value);
    if (!variable) return;
    header* result;
    if (isScalarKind(value->kind)) {
        result = pushReference(variable, name);
    } else if (isMatrixKind(value->kind)) {
        int rows = matrixRows(value), columns = matrixColumns(value);
        if (i < 1 || (i > rows && rows != 1)) {
            reportBraceIndex(i);
            return;
        }
        if (j < 1 || (j > columns && columns != 1)) {
            reportBraceIndex(j);
            return;
        }
        int64_t at = int64_t(rows == 1 ? 0 : i - 1) * columns + (columns == 1 ? 0 : j - 1);
        result = pushScalar(scalarKindOf(value->kind),
                            matrixData(value) + at * doublesPerElement(value->kind));
    } else {
        reportBraceKind(name);
        return;
    }
    if (!errorCode) moveResult(row, result);
}

// --- parentheses and brackets ----------------------------------------------

namespace {

// Calls the function a string names, or evaluates the string.
void callStringFunction(header* text, int n, header* first, int m) {
    const char* name = stringOf(text);
    if (std::strlen(name) < 32) {
        char buffer[32];
        std::strcpy(buffer, name);
        header* function = findFunction(buffer);
        if (function && (function->flags & userFunctionMap)) {
            callMapFunction(first, buffer, m);
            return;
        }
        if (function) {
            callUserFunction(function, first, n, m);
            return;
        }
        // "gmap" calls g element by element, as the name written directly.
        if (header* mapped = findMapFunction(buffer)) {
            callMapFunction(first, mapped->name, m);
            return;
        }
        semicolonPosition = m;
        if (callBuiltin(buffer, n, first)) return;
        if (callDllFunction(buffer, n, first)) return;
    }
    evaluateString(text, first, n, m);
}

void indexString(header* text, int n, header* first) {
    if (n > 1) {
        fail(errorFailed, "Can only use one index for strings or string vectors!\n");
        return;
    }
    header* index = n == 1 ? resolveValue(first) : nullptr;
    if (errorCode) return;
    double value = index && index->kind == kindReal ? realOf(index) : 0;
    int k = clampToInt(std::floor(value + 0.5));
    if (k != 1) {
        fail(errorFailed, "Index %d out of range for string (need string vector).\n", k);
        return;
    }
    header* result = pushStringCopy(stringOf(text), text->flags);
    if (!errorCode) moveResult(first, result);
}

bool bracketsRefused() {
    if (functionState != functionTopLevel && (relaxedFunctionMode || matlabMode)) return false;
    return intSetting("brackets") != 0;
}

// A new string vector of the strings of `vector` chosen by the elements of
// a real row vector.
header* selectStringItems(header* vector, header* indices) {
    int count = matrixColumns(indices);
    const double* values = matrixData(indices);
    int64_t bytes = 1;
    for (int i = 0; i < count; i++) {
        bytes += int64_t(std::strlen(getStringVectorItem(vector, clampToInt(values[i])))) + 1;
        if (errorCode) return nullptr;
    }
    if (newram + headerSize + bytes > ramend) {
        fail(errorFailed, "Out of stack space.\n");
        return nullptr;
    }
    header* result = recordAt(newram);
    char* text = pushHeader(kindStringMatrix, headerSize + bytes, "");
    if (!text) return nullptr;
    for (int i = 0; i < count; i++) {
        const char* item = getStringVectorItem(vector, clampToInt(values[i]));
        size_t length = std::strlen(item) + 1;
        std::memcpy(text, item, length);
        text += length;
    }
    *text++ = 1;
    std::memset(text, 0, endOf(result) - text);
    result->flags = vector->flags & flagUtf8;
    return result;
}

void indexStringVector(header* vector, int n, header* first) {
    if (n == 2) {
        fail(errorNotMatrix, "Cannot use a string vector as matrix!\n");
        return;
    }
    header* index = resolveValue(first);
    if (errorCode) return;
    header* result;
    if (index->kind == kindReal) {
        result = selectStringItem(vector, realOf(index));
    } else if (index->kind == kindRealMatrix && matrixRows(index) == 1 &&
               matrixColumns(index) >= 2) {
        result = selectStringItems(vector, index);
    } else {
        fail(errorSubstringVector, "Cannot generate this type of substring vector.\n");
        return;
    }
    if (!errorCode && result) moveResult(first, result);
}

}  // namespace

void indexParentheses(int n, header* indexed, header* first, int bracketKind, int m, int origin) {
    if (errorCode) return;
    char* before = newram;
    header* value = resolveValue(indexed);
    if (errorCode) return;
    // A value made by the resolution lies above the arguments and vanishes
    // with them: select copies from it, never views.
    int savedCopyMode = indexCopyMode;
    if (recordInArea(value, before, ramend)) indexCopyMode = 1;
    if (value->kind == kindString) {
        if (bracketKind == 2)
            indexString(value, n, first);
        else
            callStringFunction(value, n, first, m);
        indexCopyMode = savedCopyMode;
        return;
    }
    if (bracketKind == 1 && bracketsRefused()) {
        printText("Unexpected \"(\". Index () not allowed in strict mode!\n");
        fail(errorFailed, "In Kalix files, use relax to avoid this.\n");
    } else if (n != 1 && n != 2) {
        fail(errorIndexCount, "Need one or two indices for a matrix reference!\n");
    } else if (value->kind == kindStringMatrix) {
        indexStringVector(value, n, first);
    } else {
        header* rows = resolveValue(first);
        header* columns = n == 2 ? resolveValue(nextValue(first)) : nullptr;
        if (!errorCode && n == 1) {
            bool oneRow =
                isMatrixKind(value->kind) ? matrixRows(value) == 1 : isScalarKind(value->kind);
            if (oneRow) {
                columns = rows;
                rows = pushReal(1 - origin);
            } else {
                columns = pushCommand(commandAllIndices);
            }
        }
        if (!errorCode) {
            if (isScalarKind(value->kind) || isMatrixKind(value->kind)) {
                header* result = selectSubmatrix(value, rows, columns, origin);
                if (!errorCode) moveResult(first, result);
            } else {
                fail(errorNotMatrix, "%s is not a matrix!\n", indexed->name);
            }
        }
    }
    indexCopyMode = savedCopyMode;
}

// --- strings as expressions -------------------------------------------------

namespace {

// Parameter names of an anonymous function "@(a, b) expression": fills
// `names` (32 bytes each) and returns their number and the expression's
// start, or -1 when the list is malformed.
int scanAnonymousParameters(const char* text, char names[][32], int maximum,
                            const char** expression) {
    const char* p = text + 2;
    int count = 0;
    for (;;) {
        while (*p == ' ' || *p == '\t') p++;
        if (*p == ')' && count == 0) break;
        const char* end = endOfName(p);
        size_t length = size_t(end - p);
        if (length == 0 || length > 30) return -1;
        if (count < maximum) {
            std::memcpy(names[count], p, length);
            names[count][length] = 0;
        }
        p = end;
        count++;
        while (*p == ' ' || *p == '\t') p++;
        if (*p == ')') break;
        if (*p != ',') return -1;
        p++;
    }
    p++;
    while (*p == ' ' || *p == '\t') p++;
    *expression = p;
    return count;
}

}  // namespace

void evaluateString(header* text, header* first, int n, int m) {
    if (errorCode) return;
    header* value = resolveValue(text);
    if (errorCode) return;
    if (value->kind != kindString) {
        reportNeed("string", "evaluate");
        return;
    }
    const char* source = stringOf(value);
    // The arguments end at the stack top, or at the string when it was
    // pushed above them.
    char* argumentsEnd = newram;
    char* valueAddress = reinterpret_cast<char*>(value);
    if (value != first && recordInArea(value, reinterpret_cast<char*>(first), argumentsEnd))
        argumentsEnd = valueAddress;

    constexpr int maxParameters = 64;
    char parameters[maxParameters][32];
    int parameterCount = -1;
    const char* expression = source;
    if (source[0] == '@' && source[1] == '(') {
        parameterCount = scanAnonymousParameters(source, parameters, maxParameters, &expression);
        if (parameterCount < 0 || *expression == 0) {
            fail(errorFailed, "Anonymous function needs an expression!\n");
            return;
        }
    }

    char* savedStartLocal = startlocal;
    char* savedEndLocal = endlocal;
    startlocal = newram;
    int named = m > 0 ? m : n;
    int i = 0;
    for (char* p = reinterpret_cast<char*>(first); p < argumentsEnd; p += recordAt(p)->size, i++) {
        header* argument = recordAt(p);
        const char* name = argument->name;
        char letter[2] = {0, 0};
        if (i < named) {
            if (parameterCount < 0) {
                letter[0] = char('a' + (23 + i) % 26);
                name = letter;
            } else if (i < parameterCount && i < maxParameters) {
                name = parameters[i];
            }
        }
        pushReference(argument, name);
        if (errorCode) break;
    }
    endlocal = newram;

    header* result = recordAt(newram);
    if (!errorCode) {
        FunctionState savedState = functionState;
        const char* savedName = currentFunctionName;
        char* savedScan = scanPointer;
        functionState = functionEvaluatingString;
        currentFunctionName = "evaluate";
        scanPointer = const_cast<char*>(expression);
        result = evaluateToValues();
        if (!errorCode) {
            skipBlanks();
            if (*scanPointer != 0) {
                fail(errorFailed, "Error in Evaluate, superfluous characters found.\n");
            }
        }
        functionState = savedState;
        currentFunctionName = savedName;
        scanPointer = savedScan;
    }
    if (errorCode) {
        printFormatted("Error in expression: %s\n", source);
        result = pushErrorString("Syntax error!");
    }
    startlocal = savedStartLocal;
    endlocal = savedEndLocal;
    moveResult(first, result);
}

}  // namespace kalix
