// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

// Keep one line per family, sorted.
extern const BuiltinFamily constantBuiltins;
extern const BuiltinFamily elementAccessBuiltins;
extern const BuiltinFamily engineBuiltins;
extern const BuiltinFamily evaluationBuiltins;
extern const BuiltinFamily filterBuiltins;
extern const BuiltinFamily formatBuiltins;
extern const BuiltinFamily globalBuiltins;
extern const BuiltinFamily intervalBuiltins;
extern const BuiltinFamily introspectionBuiltins;
extern const BuiltinFamily mapBuiltins;
extern const BuiltinFamily mathBuiltins;
extern const BuiltinFamily matrixConstructionBuiltins;
extern const BuiltinFamily reductionBuiltins;
extern const BuiltinFamily sortingBuiltins;
extern const BuiltinFamily systemBuiltins;
extern const BuiltinFamily vectorSearchBuiltins;

const BuiltinFamily* const builtinFamilies[] = {
    &constantBuiltins,
    &elementAccessBuiltins,
    &engineBuiltins,
    &evaluationBuiltins,
    &filterBuiltins,
    &formatBuiltins,
    &globalBuiltins,
    &intervalBuiltins,
    &introspectionBuiltins,
    &mapBuiltins,
    &mathBuiltins,
    &matrixConstructionBuiltins,
    &reductionBuiltins,
    &sortingBuiltins,
    &systemBuiltins,
    &vectorSearchBuiltins,
    nullptr,
};

extern const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);
