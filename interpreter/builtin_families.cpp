// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

// Keep one line per family, sorted.
extern const BuiltinFamily accumulatorBuiltins;
extern const BuiltinFamily integrationBuiltins;
extern const BuiltinFamily linearProgrammingBuiltins;
extern const BuiltinFamily lsodaBuiltins;
extern const BuiltinFamily minimiserBuiltins;
extern const BuiltinFamily rungeKuttaBuiltins;
extern const BuiltinFamily constantBuiltins;
extern const BuiltinFamily engineBuiltins;
extern const BuiltinFamily evaluationBuiltins;
extern const BuiltinFamily formatBuiltins;
extern const BuiltinFamily globalBuiltins;
extern const BuiltinFamily intervalBuiltins;
extern const BuiltinFamily introspectionBuiltins;
extern const BuiltinFamily mapBuiltins;
extern const BuiltinFamily mathBuiltins;
extern const BuiltinFamily systemBuiltins;

const BuiltinFamily* const builtinFamilies[] = {
    &constantBuiltins,
    &engineBuiltins,
    &evaluationBuiltins,
    &formatBuiltins,
    &globalBuiltins,
    &intervalBuiltins,
    &introspectionBuiltins,
    &mapBuiltins,
    &mathBuiltins,
    &systemBuiltins,
    &accumulatorBuiltins,
    &integrationBuiltins,
    &linearProgrammingBuiltins,
    &lsodaBuiltins,
    &minimiserBuiltins,
    &rungeKuttaBuiltins,
    nullptr,
};

extern const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);
