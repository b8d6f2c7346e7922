// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

// Keep one line per family, sorted.
// clang-format off
#define KALIX_BUILTIN_FAMILIES(family) \
    family(characterBuiltins) \
    family(colourBuiltins) \
    family(constantBuiltins) \
    family(contourBuiltins) \
    family(elementAccessBuiltins) \
    family(engineBuiltins) \
    family(evaluationBuiltins) \
    family(fileBuiltins) \
    family(filterBuiltins) \
    family(formatBuiltins) \
    family(formattedPrintingBuiltins) \
    family(globalBuiltins) \
    family(graphicsFileBuiltins) \
    family(graphicsStateBuiltins) \
    family(graphicsStyleBuiltins) \
    family(intervalBuiltins) \
    family(introspectionBuiltins) \
    family(mapBuiltins) \
    family(mathBuiltins) \
    family(matrixConstructionBuiltins) \
    family(pageBuiltins) \
    family(plot2dBuiltins) \
    family(plot3dBuiltins) \
    family(reductionBuiltins) \
    family(regularExpressionBuiltins) \
    family(solidBuiltins) \
    family(sortingBuiltins) \
    family(stringBuiltins) \
    family(systemBuiltins) \
    family(vectorSearchBuiltins)
// clang-format on

KALIX_BUILTIN_FAMILIES(KALIX_DECLARE_BUILTIN_FAMILY)

#define KALIX_BUILTIN_FAMILY_ADDRESS(name) &name,
const BuiltinFamily* const builtinFamilies[] = {
    KALIX_BUILTIN_FAMILIES(KALIX_BUILTIN_FAMILY_ADDRESS) nullptr,
};

const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);
