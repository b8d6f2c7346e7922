// Declarations of interpreter functions whose owners are not in the tree
// yet; pending_links.cpp holds their temporary stand-ins. Both files go
// away as the real code arrives.
#pragma once

#include "interpreter/stack.h"

// Tracing.
extern int traceState;
void traceStep(char* line);

// User functions.
constexpr int32_t functionFlagPrefix = 0x800;
header* findFunction(const char* name);
void markFunctionIndexStale();
void callUserFunction(header* function, header* first, int n, int s);
void initArgNameHashes();
