// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

// Keep one line per family, sorted.
extern const BuiltinFamily colourBuiltins;
extern const BuiltinFamily constantBuiltins;
extern const BuiltinFamily engineBuiltins;
extern const BuiltinFamily evaluationBuiltins;
extern const BuiltinFamily formatBuiltins;
extern const BuiltinFamily globalBuiltins;
extern const BuiltinFamily graphicsFileBuiltins;
extern const BuiltinFamily graphicsStateBuiltins;
extern const BuiltinFamily graphicsStyleBuiltins;
extern const BuiltinFamily intervalBuiltins;
extern const BuiltinFamily introspectionBuiltins;
extern const BuiltinFamily mapBuiltins;
extern const BuiltinFamily mathBuiltins;
extern const BuiltinFamily plot2dBuiltins;
extern const BuiltinFamily systemBuiltins;

const BuiltinFamily* const builtinFamilies[] = {
    &colourBuiltins,        &constantBuiltins, &engineBuiltins,        &evaluationBuiltins,
    &formatBuiltins,        &globalBuiltins,   &graphicsFileBuiltins,  &graphicsStateBuiltins,
    &graphicsStyleBuiltins, &intervalBuiltins, &introspectionBuiltins, &mapBuiltins,
    &mathBuiltins,          &plot2dBuiltins,   &systemBuiltins,        nullptr,
};

extern const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);
