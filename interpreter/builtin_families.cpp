// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

// Keep one line per family, sorted.
// clang-format off
#define KALIX_BUILTIN_FAMILIES(family) \
    family(clockBuiltins) \
    family(constantBuiltins) \
    family(engineBuiltins) \
    family(evaluationBuiltins) \
    family(fileSystemBuiltins) \
    family(formatBuiltins) \
    family(globalBuiltins) \
    family(intervalBuiltins) \
    family(introspectionBuiltins) \
    family(keyInputBuiltins) \
    family(mapBuiltins) \
    family(mathBuiltins) \
    family(processBuiltins) \
    family(systemBuiltins) \
    family(urlBuiltins)
// clang-format on

KALIX_BUILTIN_FAMILIES(KALIX_DECLARE_BUILTIN_FAMILY)

#define KALIX_BUILTIN_FAMILY_ADDRESS(name) &name,
const BuiltinFamily* const builtinFamilies[] = {
    KALIX_BUILTIN_FAMILIES(KALIX_BUILTIN_FAMILY_ADDRESS) nullptr,
};

const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);
