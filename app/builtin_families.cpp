// Every builtin family; the table is assembled from these at start.
#include "interpreter/builtin_table.h"

namespace kalix {

// Keep one line per family, sorted.
// clang-format off
#define KALIX_BUILTIN_FAMILIES(family) \
    family(accumulatorBuiltins) \
    family(alglibBuiltins) \
    family(besselGammaBuiltins) \
    family(characterBuiltins) \
    family(clockBuiltins) \
    family(colourBuiltins) \
    family(constantBuiltins) \
    family(contourBuiltins) \
    family(distributionBuiltins) \
    family(dllBuiltins) \
    family(elementAccessBuiltins) \
    family(evaluationBuiltins) \
    family(fileBuiltins) \
    family(fileSystemBuiltins) \
    family(filterBuiltins) \
    family(formatBuiltins) \
    family(formattedPrintingBuiltins) \
    family(globalBuiltins) \
    family(graphicsFileBuiltins) \
    family(graphicsStateBuiltins) \
    family(graphicsStyleBuiltins) \
    family(integrationBuiltins) \
    family(intervalBuiltins) \
    family(introspectionBuiltins) \
    family(keyInputBuiltins) \
    family(linearAlgebraBuiltins) \
    family(linearProgrammingBuiltins) \
    family(lsodaBuiltins) \
    family(mapBuiltins) \
    family(mathBuiltins) \
    family(matrixConstructionBuiltins) \
    family(maximaBuiltins) \
    family(minimiserBuiltins) \
    family(mouseBuiltins) \
    family(notebookPictureBuiltins) \
    family(pageBuiltins) \
    family(plot2dBuiltins) \
    family(plot3dBuiltins) \
    family(polynomialBuiltins) \
    family(processBuiltins) \
    family(pythonBuiltins) \
    family(randomBuiltins) \
    family(reductionBuiltins) \
    family(regularExpressionBuiltins) \
    family(rungeKuttaBuiltins) \
    family(solidBuiltins) \
    family(sortingBuiltins) \
    family(sparseMatrixBuiltins) \
    family(stringBuiltins) \
    family(structuredMatrixBuiltins) \
    family(systemBuiltins) \
    family(transformBuiltins) \
    family(urlBuiltins) \
    family(vectorSearchBuiltins)
// clang-format on

KALIX_BUILTIN_FAMILIES(KALIX_DECLARE_BUILTIN_FAMILY)

#define KALIX_BUILTIN_FAMILY_ADDRESS(name) &name,
const BuiltinFamily* const builtinFamilies[] = {
    KALIX_BUILTIN_FAMILIES(KALIX_BUILTIN_FAMILY_ADDRESS) nullptr,
};

const size_t builtinFamilyCount = sizeof(builtinFamilies) / sizeof(builtinFamilies[0]);

}  // namespace kalix
