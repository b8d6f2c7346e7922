// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

// Keep one line per family, sorted.
extern const BuiltinFamily constantBuiltins;
extern const BuiltinFamily formatBuiltins;
extern const BuiltinFamily globalBuiltins;
extern const BuiltinFamily intervalBuiltins;
extern const BuiltinFamily mathBuiltins;
extern const BuiltinFamily pendingBuiltins;

const BuiltinFamily* const builtinFamilies[] = {
    &constantBuiltins,
    &formatBuiltins,
    &globalBuiltins,
    &intervalBuiltins,
    &mathBuiltins,
    &pendingBuiltins,
    nullptr,
};

extern const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);
