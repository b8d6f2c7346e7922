// The user-function index: a hash map from function names to their records
// in the function area. Records move whenever a function is added or
// removed, so every change only marks the index stale and the next lookup
// rebuilds it from the function area.
#pragma once

#include "interpreter/stack.h"

// Marks the index stale (a function was stored or removed, or the stack was
// emptied).
void markFunctionIndexStale();
void rebuildFunctionIndex();
// Replaces the entry of `name`.
void indexFunction(const char* name, header* record);

// Every function of that name, hidden ones included; one alias step.
header* findAnyFunction(const char* name);
// As findAnyFunction; a hidden function gives null.
header* findFunction(const char* name);
// For "fmap": the function f; names of 33 characters or more give null.
header* findMapFunction(const char* name);
