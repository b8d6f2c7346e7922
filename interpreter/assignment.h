// Assignment: finishing an expression statement whose left side has been
// evaluated into targets (references, views, string subvectors), and
// storing one value under one target.
#pragma once

#include <cstdint>
#include <cstring>

#include "interpreter/stack.h"

namespace kalix {

// Most targets and values in one multiple assignment.
constexpr int maxAssignmentTargets = 15;

// Performs the assignment that follows the left side starting at `first`
// (if any), then prints the value or inserts the graphics as the end of
// the statement asks; leaves `scanPointer` after the statement.
void executeAssignment(header* first);

// The end of a statement after its value: the line end or "," prints the
// value, ";" keeps it silent, a closing bracket or a missing separator is
// error 1000. True when the statement asks for the current graphics to be
// inserted into the notebook (it ends in ":" at the top level).
bool endStatement(header* value);

// Stores `value` under `target`. Returns the record now holding the value
// (the variable, the base matrix of a view, or the stored global), or null
// on error. Records above the variable may move.
header* assignVariable(header* target, header* value);

// Flags of a stored global that an assignment drops.
constexpr int32_t flagsDroppedByAssignment =
    flagSymbolic | flagGlobalCommand | flagGlobalReference | flagReferenceArgument | flagZeroBased;

inline bool isRealScalarRecord(const header* record) {
    return record->kind == kindReal && record->size == scalarRecordSize(8);
}

// Stores a real number over `variable`, the record a name stands for, where
// an assignment changes the number alone: a real scalar that keeps its
// place and its flags (at the top level a stored global whose flags no
// assignment drops or refuses, in a function a variable of the running
// frame). False, nothing changed, otherwise. The assignment and the
// statement cache both store through it; inline, for the cache's loops.
inline bool storeRealInPlace(header* variable, double value, bool topLevel) {
    if (!isRealScalarRecord(variable)) return false;
    if (topLevel) {
        if (recordOnStack(variable) ||
            (variable->flags & (flagProtected | flagsDroppedByAssignment)))
            return false;
    } else if (!recordInArea(variable, startlocal, endlocal)) {
        return false;
    } else {
        // The frame's variable is replaced by the value, which has no flags.
        variable->flags = 0;
    }
    std::memcpy(dataOf(variable), &value, sizeof value);
    return true;
}

// Tests compare assignments that store a real in place with the general
// way (on by default).
void setRealStoreInPlaceEnabled(bool enabled);

// Whether `value` can be copied over `variable` in place: same kind and
// byte size (and row count for matrices); strings and string vectors fit
// when the variable's record is at least as large.
bool isSameShape(const header* variable, const header* value);

// The setting "assignments": plain "=" refused at the top level.
bool strictAssignments();

// Writes `name` and its hash into the record; returns the hash.
int32_t setValueName(header* record, const char* name);

}  // namespace kalix
