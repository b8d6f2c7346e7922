// Global variables and global lists: two stores outside the interpreter
// stack that keep heap copies of whole records and survive every change of
// the stack. Only the interpreter thread touches them; other threads (the
// GUI's restart) ask the interpreter to clear them.
#pragma once

#include <cstdint>
#include <vector>
#include "interpreter/stack.h"

namespace kalix {

// One global variable: a heap copy of its record. A later value strictly
// smaller than `capacity` is copied into the same block.
struct GlobalValue {
    header* record;
    int64_t capacity;  // bytes of the block: size when stored x 5 / 4 + 16
};

// A growable array of pointers to heap copies of records, in list order.
// One slot always stays free: the array doubles when count + 1 reaches
// the capacity.
struct PointerList {
    header** items;
    int32_t count;
    int32_t capacity;
};

// The stored record of a global, or null.
header* findGlobal(const char* name);
// A copy of the global pushed at `newram` (flag 0x80 cleared), or null
// when the name is unknown or the stack is full (error 1).
header* copyGlobalToStack(const char* name);
// Creates the global or replaces its value; `extraFlags` are or-ed into
// the stored record's flags. Returns the stored record, null on error.
header* putGlobal(const char* name, const header* record, int32_t extraFlags);
void removeGlobal(const char* name);
// Empties the variables and the lists (interpreter start and restart).
void clearGlobals();
// Frees the blocks of replaced and removed globals. Only when no statement
// is under way: the end of a top-level statement, or a (re)start.
void releaseRetiredGlobals();
// `clearall`: removes every global that is not protected and whose name
// begins neither with "default" nor with "%".
void clearUnprotectedGlobals();
// `protect`: marks every global protected.
void protectGlobals();
// The list, or null with "Global list %s not found" and error 1.
PointerList* findGlobalList(const char* name);
// The stored records of every global variable (valid until a global
// changes).
std::vector<header*> globalRecords();
// Listings; both return the number of lines printed.
int listGlobalLists(const char* pattern);
int listGlobals(const char* pattern);

// Builtin handlers (family `globalBuiltins`).
void builtinGset(header* first);
void builtinGvar(header* first);
void builtinGremove(header* first);
void builtinGclear(header* first);
void builtinGlist(header* first);
void builtinGlistadd(header* first);
void builtinGlistinsert(header* first);
void builtinGlistput(header* first);
void builtinGlistget(header* first);
void builtinGlistdelete(header* first);
void builtinGlistlength(header* first);
void builtinGlistremove(header* first);

}  // namespace kalix
