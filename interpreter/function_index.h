// The user-function index: a hash map from function names to their records
// in the function area. A new function (at `ramstart`) is added to it and a
// removed one taken out; when a name is stored twice a removal marks it
// stale and the next lookup rebuilds it from the function area.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

// Marks the index stale (a function was stored or removed, or the stack was
// emptied).
void markFunctionIndexStale();
void rebuildFunctionIndex();
// Adds the function just stored at `ramstart` (a stale index stays stale).
void indexFunction(header* record);
// Takes out a function that is about to be removed from the function area.
void dropIndexedFunction(header* record);
// The stored function of exactly that name (no alias), hidden ones too.
header* findStoredFunction(const char* name);

// Every function of that name, hidden ones included; one alias step.
header* findAnyFunction(const char* name);
// As findAnyFunction; a hidden function gives null.
header* findFunction(const char* name);
// For "fmap": the function f; names of 33 characters or more give null.
header* findMapFunction(const char* name);

}  // namespace kalix
