// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

// Keep one line per family, sorted.
extern const BuiltinFamily alglibBuiltins;
extern const BuiltinFamily besselGammaBuiltins;
extern const BuiltinFamily constantBuiltins;
extern const BuiltinFamily distributionBuiltins;
extern const BuiltinFamily engineBuiltins;
extern const BuiltinFamily evaluationBuiltins;
extern const BuiltinFamily formatBuiltins;
extern const BuiltinFamily globalBuiltins;
extern const BuiltinFamily intervalBuiltins;
extern const BuiltinFamily introspectionBuiltins;
extern const BuiltinFamily mapBuiltins;
extern const BuiltinFamily mathBuiltins;
extern const BuiltinFamily polynomialBuiltins;
extern const BuiltinFamily randomBuiltins;
extern const BuiltinFamily systemBuiltins;

const BuiltinFamily* const builtinFamilies[] = {
    &alglibBuiltins,     &besselGammaBuiltins,   &constantBuiltins, &distributionBuiltins,
    &engineBuiltins,     &evaluationBuiltins,    &formatBuiltins,   &globalBuiltins,
    &intervalBuiltins,   &introspectionBuiltins, &mapBuiltins,      &mathBuiltins,
    &polynomialBuiltins, &randomBuiltins,        &systemBuiltins,   nullptr,
};

extern const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);
