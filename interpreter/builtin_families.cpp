// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

// Keep one line per family, sorted.
extern const BuiltinFamily constantBuiltins;
extern const BuiltinFamily engineBuiltins;
extern const BuiltinFamily evaluationBuiltins;
extern const BuiltinFamily formatBuiltins;
extern const BuiltinFamily globalBuiltins;
extern const BuiltinFamily intervalBuiltins;
extern const BuiltinFamily introspectionBuiltins;
extern const BuiltinFamily linearAlgebraBuiltins;
extern const BuiltinFamily mapBuiltins;
extern const BuiltinFamily mathBuiltins;
extern const BuiltinFamily sparseMatrixBuiltins;
extern const BuiltinFamily structuredMatrixBuiltins;
extern const BuiltinFamily systemBuiltins;
extern const BuiltinFamily transformBuiltins;

const BuiltinFamily* const builtinFamilies[] = {
    &constantBuiltins,      &engineBuiltins,        &evaluationBuiltins,
    &formatBuiltins,        &globalBuiltins,        &intervalBuiltins,
    &introspectionBuiltins, &linearAlgebraBuiltins, &mapBuiltins,
    &mathBuiltins,          &sparseMatrixBuiltins,  &structuredMatrixBuiltins,
    &systemBuiltins,        &transformBuiltins,     nullptr,
};

extern const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);
