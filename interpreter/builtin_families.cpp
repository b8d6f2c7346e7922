// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

// Keep one line per family, sorted.
extern const BuiltinFamily characterBuiltins;
extern const BuiltinFamily constantBuiltins;
extern const BuiltinFamily engineBuiltins;
extern const BuiltinFamily evaluationBuiltins;
extern const BuiltinFamily fileBuiltins;
extern const BuiltinFamily formatBuiltins;
extern const BuiltinFamily formattedPrintingBuiltins;
extern const BuiltinFamily globalBuiltins;
extern const BuiltinFamily intervalBuiltins;
extern const BuiltinFamily introspectionBuiltins;
extern const BuiltinFamily mapBuiltins;
extern const BuiltinFamily mathBuiltins;
extern const BuiltinFamily regularExpressionBuiltins;
extern const BuiltinFamily stringBuiltins;
extern const BuiltinFamily systemBuiltins;

const BuiltinFamily* const builtinFamilies[] = {
    &characterBuiltins,
    &constantBuiltins,
    &engineBuiltins,
    &evaluationBuiltins,
    &fileBuiltins,
    &formatBuiltins,
    &formattedPrintingBuiltins,
    &globalBuiltins,
    &intervalBuiltins,
    &introspectionBuiltins,
    &mapBuiltins,
    &mathBuiltins,
    &regularExpressionBuiltins,
    &stringBuiltins,
    &systemBuiltins,
    nullptr,
};

extern const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);
