// Calling a user-defined function: binding the arguments to the
// parameters, running the stored body as the frame of the call, and the
// element-wise application of functions (`map`).
#pragma once

#include <cstdint>
#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// "arg1" .. "arg20": names of the extra arguments and their hashes.
constexpr int argNameCount = 20;
extern const char* const argNames[argNameCount];
extern int32_t argNameHashes[argNameCount];
void initArgNameHashes();

// Pushes a copy of `size` bytes holding whole records (the source may lie
// at any alignment, as default values inside a function record do).
// Returns the first copied record, or null with "Stack overflow!".
header* pushRecordCopy(const char* bytes, int64_t size);

// Runs `function` on the n positional argument records from `first` (named
// arguments follow them up to `newram`); s arguments stood before a ";" of
// the call (0: none). The results replace the arguments; on failure
// `errorCode` is set and no result is placed.
void callUserFunction(header* function, header* first, int n, int s);

// The builtin `map` (name null: the first argument names the function) and
// calls of map functions (the name given): the function applied element by
// element to the arguments from `first`. Reads `semicolonPosition`.
void mapFunction(header* first, const char* name);

}  // namespace kalix
