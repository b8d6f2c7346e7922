// System builtins. Only `home` exists so far: the first command line runs
// "cd(home());" before it loads a program file named on the command line.
#include "interpreter/builtin_table.h"
#include "platform/host.h"

static void builtinHome(header*) { pushCString(getHomeDir()); }

static const BuiltinRecord rows[] = {
    {"home", 0, 0, builtinHome},
};
KALIX_BUILTIN_FAMILY(systemBuiltins, rows);
