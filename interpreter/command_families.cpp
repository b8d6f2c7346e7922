// Every command family; the command table is assembled from these at start.
#include "interpreter/commands.h"

// Keep one line per family, sorted.
extern const CommandFamily controlFlowCommands;
extern const CommandFamily functionCommands;
extern const CommandFamily generalCommands;
extern const CommandFamily graphicsCommands;
extern const CommandFamily programFileCommands;
extern const CommandFamily runStateCommands;

const CommandFamily* const commandFamilies[] = {
    &controlFlowCommands, &functionCommands, &generalCommands, &graphicsCommands,
    &programFileCommands, &runStateCommands, nullptr,
};
