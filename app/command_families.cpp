// Every command family; the command table is assembled from these at start.
#include "interpreter/commands.h"

namespace kalix {

// Keep one line per family, sorted.
// clang-format off
#define KALIX_COMMAND_FAMILIES(family) \
    family(controlFlowCommands) \
    family(functionCommands) \
    family(generalCommands) \
    family(graphicsCommands) \
    family(programFileCommands) \
    family(runStateCommands) \
    family(tracingCommands)
// clang-format on

KALIX_COMMAND_FAMILIES(KALIX_DECLARE_COMMAND_FAMILY)

#define KALIX_COMMAND_FAMILY_ADDRESS(name) &name,
const CommandFamily* const commandFamilies[] = {
    KALIX_COMMAND_FAMILIES(KALIX_COMMAND_FAMILY_ADDRESS) nullptr,
};

}  // namespace kalix
