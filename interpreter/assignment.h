// Assignment: finishing an expression statement whose left side has been
// evaluated into targets (references, views, string subvectors), and
// storing one value under one target.
#pragma once

#include <cstdint>
#include "interpreter/stack.h"

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

// Whether `value` can be copied over `variable` in place: same kind and
// byte size (and row count for matrices); strings and string vectors fit
// when the variable's record is at least as large.
bool isSameShape(const header* variable, const header* value);

// The setting "assignments": plain "=" refused at the top level.
bool strictAssignments();

// Writes `name` and its hash into the record; returns the hash.
int32_t setValueName(header* record, const char* name);
