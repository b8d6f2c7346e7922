// Temporary stand-ins for interpreter functions whose owners are not in the
// tree yet, so that the program links and starts. Delete each one as the
// real function arrives (and this file with pending_links.h when it is
// empty; the family line in builtin_families.cpp goes with `home`).
#include "interpreter/pending_links.h"

#include "interpreter/builtin_table.h"
#include "platform/host.h"

// Tracing.
int traceState = 0;
void traceStep(char*) {}

// User functions: none can be defined yet.
header* findFunction(const char*) { return nullptr; }
void markFunctionIndexStale() {}
void callUserFunction(header*, header*, int, int) { errorCode = 1; }
void initArgNameHashes() {}

// The builtin `home` of the system builtins, which the first command line
// needs ("cd(home());") to run a program file in the start directory.
static void builtinHome(header*) { pushCString(getHomeDir()); }

static const BuiltinRecord rows[] = {
    {"home", 0, 0, builtinHome},
};
KALIX_BUILTIN_FAMILY(pendingBuiltins, rows);
