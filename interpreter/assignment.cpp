// Assignment statements and storing values under targets.
#include "interpreter/assignment.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/registry.h"
#include "base/settings.h"
#include "base/text.h"
#include "graphics/graphics_state.h"
#include "interpreter/builtin_table.h"
#include "interpreter/element_functions.h"
#include "interpreter/function_area.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/globals.h"
#include "interpreter/interval_operators.h"
#include "interpreter/main_loop.h"
#include "interpreter/maxima_services.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/printing.h"
#include "interpreter/scanner.h"
#include "interpreter/tracing.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"

namespace kalix {

namespace {

constexpr int nameSize = sizeof(header::name);

// Storing a value may open or close a gap in the stack (a local variable
// changes size, a new local or a new user function is inserted). The value
// being stored and the remembered targets of a multiple assignment are held
// in StackRefs, which every such move carries along (interpreter/stack.h);
// a stored global is found again by its name (see Anchor below).

// --- small helpers -------------------------------------------------------------

bool isTopLevel() { return functionState == functionTopLevel; }

bool overwritingAllowed() {
    return intSetting("allowoverwrite") || intSetting("allowvaroverwrite");
}

bool isNoResultMarker(const header* value) {
    return value->kind == kindString && stringOf(value)[0] == markerNoResult &&
           stringOf(value)[1] == 0;
}

// A name of more than two characters ending in "$$".
bool isGlobalStoreName(const char* name) {
    if (!name[0] || !name[1] || !name[2]) return false;
    const char* end = name + 3;
    while (*end) end++;
    return end[-1] == '$' && end[-2] == '$';
}

// The name "%" (the last result).
bool isPercentName(const char* name) { return name[0] == '%' && !name[1]; }

// Copies a name field or name buffer (`nameSize` bytes) and terminates it.
void copyName(char* destination, const char* name) {
    std::memcpy(destination, name, nameSize);
    destination[nameSize - 1] = 0;
}

// A user function of that name with the protected flag.
bool isProtectedFunction(const char* name) {
    header* function = findFunction(name);
    return function && (function->flags & flagProtected);
}

// Pushes a copy of a record; null on overflow.
header* pushCopy(const header* record) {
    char* data = pushHeader(record->kind, record->size, record->name);
    if (!data) return nullptr;
    header* copy = recordAt(data - headerSize);
    std::memcpy(data, dataOf(record), record->size - headerSize);
    copy->flags = record->flags;
    return copy;
}

// --- numeric elements of views -------------------------------------------------

// Rows, columns and element bytes of a scalar (1 x 1) or matrix.
struct Elements {
    int64_t rows;
    int64_t columns;
    char* data;
    int elementSize;
};

Elements elementsOf(header* h) {
    int size = numberFamily(h) == numberReal ? 8 : 16;
    if (isScalarKind(h->kind)) return {1, 1, dataOf(h), size};
    return {matrixRows(h), matrixColumns(h), dataOf(h) + 8, size};
}

// A view may still address elements of its base: the base belongs to a
// numeric family and every selected element lies inside it (an earlier
// target of the same statement may have changed the base). Only the linear
// positions count: a one-element view of the last column holds the next row
// and column -1.
bool viewFitsBase(header* view, header* base) {
    if (numberFamily(base) == numberNone || view->size < 72) return false;
    int64_t rows = viewRows(view), columns = viewColumns(view);
    if (rows < 0 || columns < 0 || 72 + 4 * (rows + columns) > view->size) return false;
    if (rows == 0 || columns == 0) return true;
    Elements b = elementsOf(base);
    const int32_t* r = viewRowIndices(view);
    const int32_t* c = viewColumnIndices(view);
    auto [rmin, rmax] = std::minmax_element(r, r + rows);
    auto [cmin, cmax] = std::minmax_element(c, c + columns);
    return *rmin * b.columns + *cmin >= 0 && *rmax * b.columns + *cmax < b.rows * b.columns;
}

// Copies the value's elements into the selected elements of the base (same
// family): element by element for equal shapes, one element into all.
bool copyIntoView(header* view, header* base, header* value) {
    Elements b = elementsOf(base), v = elementsOf(value);
    int64_t rows = viewRows(view), columns = viewColumns(view);
    bool sameShape = v.rows == rows && v.columns == columns;
    if (!sameShape && !(v.rows == 1 && v.columns == 1)) {
        fail(errorIllegalAssignment, "Illegal assignment!\nRow or column numbers do not agree!\n");
        return false;
    }
    const int32_t* r = viewRowIndices(view);
    const int32_t* c = viewColumnIndices(view);
    for (int64_t i = 0; i < rows; i++)
        for (int64_t j = 0; j < columns; j++) {
            int64_t source = sameShape ? i * v.columns + j : 0;
            int64_t target = r[i] * b.columns + c[j];
            std::memcpy(b.data + target * b.elementSize, v.data + source * v.elementSize,
                        b.elementSize);
        }
    return true;
}

// --- storing under one target ----------------------------------------------------

header* assignToVariable(header* variable, header* value, const char* name, bool throughGlobal);

// The base turned complex or interval by `convert`, assigned through the
// view, and then stored as the base variable.
header* convertBaseAndAssign(header* view, header* base, header* value, void (*convert)(header*)) {
    header* converted = pushCopy(base);
    if (errorCode) return nullptr;
    convert(converted);
    if (errorCode) return nullptr;
    if (!copyIntoView(view, converted, value)) return nullptr;
    char name[nameSize];
    copyName(name, base->name);
    return assignToVariable(base, converted, name, false);
}

// The value converted by `convert` into a copy at the stack top.
header* convertedValue(header* value, void (*convert)(header*)) {
    header* copy = pushCopy(value);
    if (errorCode) return nullptr;
    convert(copy);
    return errorCode ? nullptr : copy;
}

header* assignThroughView(header* view, header* value) {
    header* base = viewBase(view);
    if (!base || !viewFitsBase(view, base)) {
        fail(errorInternalVariable, "Internal variable error!\n");
        return nullptr;
    }
    NumberFamily valueFamily = numberFamily(value);
    switch (numberFamily(base)) {
        case numberReal:
            if (valueFamily == numberComplex)
                return convertBaseAndAssign(view, base, value, convertToComplex);
            if (valueFamily == numberInterval)
                return convertBaseAndAssign(view, base, value, promoteToInterval);
            if (valueFamily == numberReal) return copyIntoView(view, base, value) ? base : nullptr;
            if (value->kind == kindString || value->kind == kindStringMatrix)
                fail(errorIllegalAssignment, "Cannot assign a string to real!\n");
            else
                fail(errorIllegalAssignment, "Cannot assign this value to real!\n");
            return nullptr;
        case numberComplex:
            if (valueFamily == numberReal)
                value = convertedValue(value, convertToComplex);
            else if (valueFamily != numberComplex)
                fail(errorIllegalAssignment, "Illegal assignment!\n");
            if (errorCode) return nullptr;
            return copyIntoView(view, base, value) ? base : nullptr;
        default:
            if (valueFamily == numberReal)
                value = convertedValue(value, promoteToInterval);
            else if (valueFamily != numberInterval)
                fail(errorIllegalAssignment, "Cannot assign this type to intervals!\n");
            if (errorCode) return nullptr;
            return copyIntoView(view, base, value) ? base : nullptr;
    }
}

// Byte offset and length of the k-th (1-based) string of a string vector
// and the offset of its end marker; false when there is no such string or
// the vector is malformed.
bool findVectorString(const header* vector, int k, int64_t* offset, int64_t* length,
                      int64_t* marker) {
    const char* data = dataOf(vector);
    int64_t size = vector->size - headerSize;
    int64_t position = 0;
    bool found = false;
    for (int i = 1; position < size && data[position] != 1; i++) {
        const char* end =
            static_cast<const char*>(std::memchr(data + position, 0, size - position));
        if (!end) return false;
        if (i == k) {
            *offset = position;
            *length = end - (data + position);
            found = true;
        }
        position = end - data + 1;
    }
    if (position >= size) return false;
    *marker = position;
    return found;
}

// A new string vector with one string replaced, stored as the base variable.
header* assignThroughSubvector(header* subvector, header* value) {
    header* base = subvectorBase(subvector);
    if (!base || base->kind != kindStringMatrix || base->size < headerSize) {
        fail(errorInternalVariable, "Internal variable error!\n");
        return nullptr;
    }
    if (value->kind != kindString) {
        fail(errorStringVectorElement,
             "Can only assign a string to an element of the string vector %s!\n", base->name);
        return nullptr;
    }
    int k = subvectorIndex(subvector);
    int64_t offset, oldLength, marker;
    if (!findVectorString(base, k, &offset, &oldLength, &marker)) {
        fail(errorStringVectorElement, "Index %d out of range in string vector %s!\n", k,
             base->name);
        return nullptr;
    }
    const char* text = stringOf(value);
    int64_t newLength = strnlen(text, value->size - headerSize);
    const char* old = dataOf(base);
    int64_t tail = marker + 1 - (offset + oldLength + 1);
    int64_t size = headerSize + offset + newLength + 1 + tail;
    char* data = pushHeader(kindStringMatrix, size, "");
    if (!data) return nullptr;
    header* vector = recordAt(data - headerSize);
    std::memset(data, 0, vector->size - headerSize);
    std::memcpy(data, old, offset);
    std::memcpy(data + offset, text, newLength);
    std::memcpy(data + offset + newLength + 1, old + offset + oldLength + 1, tail);
    vector->flags = (base->flags | value->flags) & flagUtf8;
    char name[nameSize];
    copyName(name, base->name);
    return assignToVariable(base, vector, name, false);
}

// Replaces a variable of the running frame by the value: the records above
// it move by the difference of the sizes.
header* replaceLocalVariable(header* variable, header* value) {
    char* place = reinterpret_cast<char*>(variable);
    int64_t delta = value->size - variable->size;
    if (delta > 0 && delta > ramend - newram) {
        fail(errorReplaceMemory, "Memory overflow in assignment.\n");
        return nullptr;
    }
    char name[nameSize];
    copyName(name, variable->name);
    StackRef held(value);
    char* oldEndlocal = endlocal;
    moveStackRegion(place + variable->size, delta);
    value = held.get();
    std::memmove(place, value, value->size);
    endlocal += delta;
    if (isTopLevel() && topEndLocal == oldEndlocal) topEndLocal = endlocal;
    header* replaced = recordAt(place);
    setValueName(replaced, name);
    replaced->flags &= ~flagProtected;
    return replaced;
}

// Stores the value in the global store with the target's own flags: a
// value copied from a protected variable does not protect its target.
header* storeGlobal(const char* name, header* value, int32_t targetFlags) {
    header* stored = putGlobal(name, value, 0);
    if (stored) stored->flags = (stored->flags & ~flagProtected) | targetFlags;
    return stored;
}

bool realStoreInPlaceEnabled = true;  // read and written by the interpreter thread

// A real number without flags stored in place where that is all the
// assignment below would do: the global must be the stored block (the right
// side may have replaced it), a local keep its name.
bool storedInPlace(header* variable, const header* value, const char* name) {
    if (!realStoreInPlaceEnabled || !isRealScalarRecord(value) || value->flags != 0) return false;
    bool topLevel = isTopLevel();
    if (topLevel ? findGlobal(variable->name) != variable : std::strcmp(variable->name, name) != 0)
        return false;
    return storeRealInPlace(variable, realOf(value), topLevel);
}

// Stores the value as the existing variable (not a view, not a subvector).
// At the top level (except "%") and through a `global` declaration the
// value goes to the global store; a variable outside the running frame
// (a caller's, or a global reached through an argument) keeps its shape.
header* assignToVariable(header* variable, header* value, const char* name, bool throughGlobal) {
    if (!throughGlobal && storedInPlace(variable, value, name)) return variable;
    char* place = reinterpret_cast<char*>(variable);
    bool stacked = recordOnStack(variable);
    bool inFunctionArea = stacked && inArea(place, ramstart, functionsEnd);
    if (throughGlobal ||
        (isTopLevel() && (!stacked || (!isPercentName(name) && !inFunctionArea)))) {
        int32_t keep = variable->flags & ~flagsDroppedByAssignment;
        char storeName[nameSize];
        copyName(storeName, throughGlobal || !stacked ? variable->name : name);
        header* stored = storeGlobal(storeName, value, keep);
        if (stored && throughGlobal) referenceTarget(variable) = stored;
        return stored;
    }
    if (!stacked || !inArea(place, startlocal, endlocal)) {
        if (!isSameShape(variable, value)) {
            fail(errorStringVectorElement, "Cannot change type of non-local variable %s!\n", name);
            return nullptr;
        }
        std::memmove(dataOf(variable), dataOf(value), value->size - headerSize);
        return variable;
    }
    return replaceLocalVariable(variable, value);
}

// A copy of the value inserted at `place` under the name; everything above
// moves up.
header* insertRecord(char* place, header* value, const char* name) {
    int64_t size = value->size;
    if (size > ramend - newram) {
        fail(errorAssignMemory, "Memory overflow assigning to %s\n", name);
        return nullptr;
    }
    StackRef held(value);
    moveStackRegion(place, size);
    value = held.get();
    std::memmove(place, value, size);
    header* record = recordAt(place);
    setValueName(record, name);
    return record;
}

// A user function defined by assigning a function value: it becomes the
// first record of the function area.
header* defineFunctionValue(header* value, const char* name) {
    StackRef held(value);
    char* place = openFunctionPlace(value->size);
    if (!place) {
        fail(errorAssignMemory, "Memory overflow assigning to %s\n", name);
        return nullptr;
    }
    value = held.get();
    std::memmove(place, value, size_t(value->size));
    header* function = recordAt(place);
    setValueName(function, name);
    indexFunction(function);
    return function;
}

// A new local variable at the end of the running frame.
header* createLocalVariable(header* value, const char* name) {
    char* place = endlocal;
    header* variable = insertRecord(place, value, name);
    if (!variable) return nullptr;
    endlocal += variable->size;
    if (isTopLevel() && topEndLocal == place) topEndLocal = endlocal;
    variable->flags &= ~flagProtected;
    return variable;
}

header* assignNewVariable(header* value, const char* name) {
    if (isTopLevel() && value->kind != kindFunction && !overwritingAllowed()) {
        if (isProtectedFunction(name)) {
            fail(errorFailed, "Cannot change protected function %s!", name);
            return nullptr;
        }
        const BuiltinRecord* builtin = findBuiltin(name, 0);
        if (builtin) {
            fail(errorFailed, "Cannot overwrite builtin function %s!", name);
            return nullptr;
        }
    }
    if (value->kind == kindFunction) return defineFunctionValue(value, name);
    if (isGlobalStoreName(name) || (isTopLevel() && !isPercentName(name)))
        return storeGlobal(name, value, 0);
    return createLocalVariable(value, name);
}

bool isAssignableKind(int kind) {
    return kind == kindReference || isViewKind(kind) || kind == kindStringSubvector ||
           kind == kindStringMatrix;
}

}  // namespace

// --- public operations ---------------------------------------------------------

// Read again only when a setting has changed.
bool strictAssignments() {
    thread_local unsigned generation = 0;  // 0: not read yet
    thread_local bool strict = false;
    unsigned now = settingsGeneration();
    if (now != generation) {
        strict = intSetting("assignments") != 0;
        generation = now;
    }
    return strict;
}

void setRealStoreInPlaceEnabled(bool enabled) { realStoreInPlaceEnabled = enabled; }

int32_t setValueName(header* record, const char* name) {
    setRecordName(record, name);
    return record->hash;
}

bool isSameShape(const header* variable, const header* value) {
    if (variable->kind != value->kind) return false;
    switch (variable->kind) {
        case kindString:
        case kindStringMatrix:
            return variable->size >= value->size;
        case kindRealMatrix:
        case kindComplexMatrix:
        case kindIntervalMatrix:
        case kindCompressedMatrix:
            return variable->size == value->size &&
                   *reinterpret_cast<const int32_t*>(dataOf(variable) + 4) ==
                       *reinterpret_cast<const int32_t*>(dataOf(value) + 4);
        default:
            return variable->size == value->size;
    }
}

header* assignVariable(header* target, header* value) {
    if (errorCode) return nullptr;
    if (!target || !value) {
        fail(errorInternalVariable, "Internal variable error!\n");
        return nullptr;
    }
    char name[nameSize];
    copyName(name, target->name);
    if (isNoResultMarker(value) && !isPercentName(name)) {
        fail(errorFailed, "A function returned no value. Cannot assign this to a variable.\n");
        return nullptr;
    }
    if (target->kind == kindReference && !referenceTarget(target) &&
        !(target->flags & flagGlobalReference))
        return assignNewVariable(value, name);
    if (target->kind == kindReference && isGlobalStoreName(name)) return putGlobal(name, value, 0);

    // Follow the references to the variable; stop at a declaration made by
    // `global` and at an argument passed by reference. A reference to a
    // global is looked up by name: its block may have been replaced.
    header* variable = target;
    bool throughGlobal = false;
    while (variable->kind == kindReference) {
        if (variable->flags & flagGlobalCommand) {
            throughGlobal = true;
            break;
        }
        if (variable->flags & flagReferenceArgument) break;
        header* next = (variable->flags & flagGlobalReference) ? findGlobal(variable->name)
                                                               : referenceTarget(variable);
        if (!next) {
            if (variable->flags & flagGlobalReference) return assignNewVariable(value, name);
            fail(errorInternalVariable, "Internal variable error!\n");
            return nullptr;
        }
        variable = next;
    }

    // Through a view the variable is its base.
    const header* owner = variable;
    if (isViewKind(variable->kind) && viewBase(variable)) owner = viewBase(variable);
    if (variable->kind == kindStringSubvector && subvectorBase(variable))
        owner = subvectorBase(variable);
    if (isTopLevel() && (owner->flags & flagProtected) && !overwritingAllowed()) {
        fail(errorFailed, "Cannot change protected variable %s!",
             owner->name[0] ? owner->name : name);
        return nullptr;
    }
    if (value->kind == kindFunction && variable->kind != kindFunction) {
        fail(errorFunctionValue, "Cannot assign a UDF to a variable!\n");
        return nullptr;
    }

    if (isViewKind(variable->kind)) return assignThroughView(variable, value);
    if (variable->kind == kindStringSubvector) return assignThroughSubvector(variable, value);
    return assignToVariable(variable, value, name, throughGlobal);
}

// --- the assignment statement ----------------------------------------------------

namespace {

enum AssignmentOperator {
    noAssignment,
    plainAssignment,       // =
    colonAssignment,       // :=
    symbolicAssignment,    // &=
    maximaOnlyAssignment,  // &&=
    maximaAssignment,      // ::=, &:=, :&=
};

AssignmentOperator readAssignmentOperator() {
    char c = scanPointer[0];
    if (c == '=') {
        if (scanPointer[1] == '=') return noAssignment;
        scanPointer++;
        return plainAssignment;
    }
    if (c != ':' && c != '&') return noAssignment;
    struct Spelling {
        const char* text;
        int length;
        AssignmentOperator op;
    };
    static const Spelling spellings[] = {
        {"::=", 3, maximaAssignment},  {"&:=", 3, maximaAssignment},
        {":&=", 3, maximaAssignment},  {"&&=", 3, maximaOnlyAssignment},
        {"&=", 2, symbolicAssignment}, {":=", 2, colonAssignment},
    };
    for (const Spelling& s : spellings)
        if (hasPrefix(scanPointer, s.text)) {
            scanPointer += s.length;
            return s.op;
        }
    return noAssignment;
}

// Pointers a remembered target holds: the referenced variable, a view's
// base or a subvector's vector.
header** innerPointer(header* target) {
    switch (target->kind) {
        case kindReference:
            return &referenceTarget(target);
        case kindSubmatrix:
        case kindComplexSubmatrix:
        case kindIntervalSubmatrix:
            return &viewBase(target);
        case kindStringSubvector:
            return &subvectorBase(target);
        default:
            return nullptr;
    }
}

// A pointer to a record that may move or be replaced by storing a value:
// records on the stack follow the moves through their StackRef, stored
// globals are looked up again by name (their block may have been freed).
struct Anchor {
    char globalName[nameSize];
    bool global;
};

// The name is set only for a global.
Anchor anchorOf(header* record) {
    Anchor a;
    a.global = record && !recordOnStack(record);
    if (a.global) copyName(a.globalName, record->name);
    return a;
}

// The record a StackRef holds; a global is found again by its name (the
// store may have replaced its block).
header* followAnchor(const StackRef& record, const Anchor& anchor) {
    header* h = record.get();
    if (!h) return nullptr;
    return anchor.global ? findGlobal(anchor.globalName) : h;
}

// Assigns the values to the targets; returns the record to print.
header* assignAll(header** targets, int targetCount, header** values, int valueCount) {
    // One target: nothing else is held across its moves.
    if (targetCount == 1) {
        header* stored = assignVariable(targets[0], values[0]);
        return errorCode ? nullptr : stored;
    }
    // Each assignment may move the records of the others.
    StackRef targetRefs[maxAssignmentTargets], valueRefs[maxAssignmentTargets];
    StackRef innerRefs[maxAssignmentTargets];
    for (int j = 0; j < targetCount; j++) targetRefs[j].set(targets[j]);
    for (int j = 0; j < valueCount; j++) valueRefs[j].set(values[j]);
    Anchor anchors[maxAssignmentTargets];
    StackRef printed;
    Anchor printedAnchor{};
    for (int k = 0; k < targetCount; k++) {
        for (int j = k + 1; j < targetCount; j++) {
            header** inner = innerPointer(targetRefs[j].get());
            anchors[j] = anchorOf(inner ? *inner : nullptr);
            innerRefs[j].set(inner ? *inner : nullptr);
        }
        header* stored =
            assignVariable(targetRefs[k].get(), valueRefs[valueCount == 1 ? 0 : k].get());
        if (errorCode) return nullptr;
        if (k == 0) {
            printed.set(stored);
            printedAnchor = anchorOf(stored);
        } else {
            printed.set(followAnchor(printed, printedAnchor));
            printedAnchor = anchorOf(printed.get());
        }
        for (int j = k + 1; j < targetCount; j++) {
            targets[j] = targetRefs[j].get();
            header** inner = innerPointer(targets[j]);
            if (inner && *inner) *inner = followAnchor(innerRefs[j], anchors[j]);
            // A name that became a variable here is bound to it, so that
            // {a, a} = ... does not make two variables.
            if (targets[j]->kind == kindReference && !*inner &&
                !(targets[j]->flags & flagGlobalReference))
                *inner = findVariable(targets[j]->name);
        }
    }
    return printed.get();
}

// Collects the records from `from` up to `to`; returns their number (also
// beyond `maximum`, when only the first `maximum` are kept).
int collectRecords(char* from, char* to, header** records, int maximum) {
    int count = 0;
    for (char* p = from; p < to && recordAt(p)->size > 0; p += recordAt(p)->size) {
        if (count < maximum) records[count] = recordAt(p);
        count++;
    }
    return count;
}

// Skips a "//" comment after symbolic text.
void skipLineComment() {
    skipBlanks();
    if (scanPointer[0] == '/' && scanPointer[1] == '/')
        while (*scanPointer && *scanPointer != endOfBody) scanPointer++;
}

// "&=" and "&&=": Maxima evaluates "name:text;". "&=" keeps the answer as
// a symbolic string in the target; "&&=" changes no variable.
header* assignSymbolic(header* target, header* text, AssignmentOperator op) {
    bool keep = op == symbolicAssignment;
    std::string command = std::string(target->name) + ":" + stringOf(text) + ";";
    std::string answer = askMaxima(command.c_str(), 5, keep);
    if (errorCode) return nullptr;
    newram = reinterpret_cast<char*>(text);
    if (!keep) return pushMarker(markerNoResult);
    header* value = pushString(answer.c_str(), int64_t(answer.size()));
    if (!value) return nullptr;
    value->flags |= flagSymbolic;
    header* stored = assignVariable(target, value);
    if (errorCode) return nullptr;
    stored->flags |= flagSymbolic;
    return stored;
}

// "::=", "&:=", ":&=": the stored variable goes to Maxima as "name:value;".
void sendAssignedValue(header* stored) {
    std::string text = convertToMaxima(stored, (std::string(stored->name) + ":").c_str(), 1);
    if (errorCode) return;
    sendToMaxima((text + ";").c_str(), maximaReplyInternal, maximaMatrixVariablesPercent);
}

// Reads the right side and assigns it; returns the record to print.
header* performAssignment(header* first, AssignmentOperator op) {
    if (op == plainAssignment && isTopLevel() && strictAssignments()) {
        fail(errorFailed, "Use assignment := in strict mode!\n");
        return nullptr;
    }
    char* valuesStart = newram;
    if (op == symbolicAssignment || op == maximaOnlyAssignment) {
        pushSymbolicText();
        if (errorCode) return nullptr;
        skipLineComment();
    } else {
        indexCopyMode = 1;
        evaluateToValues();
        indexCopyMode = 0;
        if (errorCode) return nullptr;
    }

    header* targets[maxAssignmentTargets];
    int targetCount =
        collectRecords(reinterpret_cast<char*>(first), valuesStart, targets, maxAssignmentTargets);
    for (int k = 0; k < std::min(targetCount, maxAssignmentTargets); k++)
        if (!isAssignableKind(targets[k]->kind)) {
            fail(errorFunctionMemory, "Cannot assign to this value!\n");
            return nullptr;
        }
    if (targetCount > maxAssignmentTargets) {
        fail(errorTooManyVariables,
             "Too many variables for multiple assignment (%d variables found)!\n", targetCount);
        return nullptr;
    }
    header* values[maxAssignmentTargets];
    int valueCount = collectRecords(valuesStart, newram, values, maxAssignmentTargets);
    if (valueCount > maxAssignmentTargets) {
        fail(errorTooManyValues, "Too many values found for multiple assignment (%d found)!\n",
             valueCount);
        return nullptr;
    }
    if (valueCount == 0) {
        fail(errorAssignmentTarget, "Illegal assignment!\n");
        return nullptr;
    }
    if (valueCount > 1 && valueCount < targetCount) {
        fail(errorMultipleAssignment, "Illegal multiple assignment!\n");
        return nullptr;
    }
    if (op != plainAssignment && op != colonAssignment && targetCount > 1) {
        fail(errorMultipleAssignment, "No multiple assignment for Maxima!\n");
        return nullptr;
    }
    if (op == symbolicAssignment || op == maximaOnlyAssignment)
        return assignSymbolic(targets[0], values[0], op);
    header* printed = assignAll(targets, targetCount, values, valueCount);
    if (op == maximaAssignment && !errorCode) sendAssignedValue(printed);
    return errorCode ? nullptr : printed;
}

bool spacesRequired() { return intSetting("spaces"); }

void reportSeparator(const char* message) {
    const char* found = textAtPosition(scanPointer);
    fail(errorAssignmentSyntax, message, found, characterCode(found, systemCodePageIsUtf8));
}

}  // namespace

bool endStatement(header* value) {
    bool graphics = isTopLevel() && scanPointer[0] == ':' &&
                    (!scanPointer[1] || std::strcmp(scanPointer, ": ") == 0 ||
                     std::strncmp(scanPointer, ": /", 3) == 0);
    char c = *scanPointer;
    if (c == ')' || c == ']') {
        fail(errorAssignmentSyntax, "Found too many closing brackets, excessive %c\n", c);
        return false;
    }
    if (c == 0 || c == endOfBody || c == ',') {
        if (c == ',') scanPointer++;
        printValue(value);
        if (errorCode) return false;
    } else if (c == ';' || graphics) {
        scanPointer++;
    } else if (c != commandToken && spacesRequired()) {
        reportSeparator(
            "Commands must be separated by semicolon or comma!\nFound: %s (character %d)\n"
            "You can disable this in the Options menu.\n");
        return false;
    }
    c = *scanPointer;
    if (c != 0 && c != endOfBody && c != ' ' && c != '\t' && c != commandToken &&
        std::strncmp(scanPointer, "...", 3) != 0 && spacesRequired()) {
        reportSeparator(
            "Space between commands expected!\nFound: %s (character %d)\n"
            "You can disable this in the Options menu.\n");
        return false;
    }
    // Nothing of a finished top-level statement points into the global
    // store any more.
    if (isTopLevel()) releaseRetiredGlobals();
    return graphics;
}

void executeAssignment(header* first) {
    skipBlanks();
    AssignmentOperator op = readAssignmentOperator();
    header* value = op == noAssignment ? resolveValue(first) : performAssignment(first, op);
    if (errorCode) {
        indexCopyMode = 0;
        return;
    }
    if (endStatement(value))
        insertGraphicsImage(imageLineCount - 10 * (intSetting("insertsmaller") != 0), "", 1, 0.0,
                            1.0, 0.0, 1.0);
}

}  // namespace kalix
