// System builtins: the program's directories, the command-line arguments,
// memory figures and the message box. The first command line runs
// "cd(home());" before it loads a program file named on the command line.
#include "builtins/builtin_helpers.h"
#include "builtins/system_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "platform/host.h"

namespace kalix {

namespace {

void builtinHome(header*) { pushCString(getHomeDir()); }
void builtinStart(header*) { pushCString(getProgramDir()); }
void builtinKalixhome(header*) { pushCString(getUserWorkDir()); }
void builtinUserdir(header*) { pushCString(getUserDir()); }
void builtinUserhome(header*) { pushCString(getUserProfileDir()); }

// kalixarg(n): the n-th word after the program file on the command line.
constexpr Signature kalixargSignature = {"kalixarg", "integer", {{takesReal}}};

void builtinKalixarg(header* first) {
    const Arguments a(first, kalixargSignature);
    if (!a) return;
    int index = clampToInt(a.real(0));
    if (index <= 0) {
        a.refuse();
        return;
    }
    if (index > interpreterArgCount) {
        fail(errorFailed, "Argument %d not known (got %d)!\n", index, interpreterArgCount);
        return;
    }
    moveResult(first, pushCString(interpreterArgs[index - 1]));
}

void builtinFree(header*) { pushReal(double(ramend - endlocal)); }
void builtinStacksize(header*) { pushReal(getUsedStackSize()); }
void builtinWin64(header*) { pushReal(1); }

constexpr Signature messageSignature = {"message", "string", {{takesString}}};

void builtinMessage(header* first) {
    const Arguments a(first, messageSignature);
    if (!a) return;
    header* text = a[0];
    showWarning(stringOf(text), "Kalix");
    keepArgumentAsResult(first, text);
}

const BuiltinRecord rows[] = {
    {"free", 0, 0, builtinFree},         {"home", 0, 0, builtinHome},
    {"kalixarg", 1, 0, builtinKalixarg}, {"kalixhome", 0, 0, builtinKalixhome},
    {"message", 1, 0, builtinMessage},   {"stacksize", 0, 0, builtinStacksize},
    {"start", 0, 0, builtinStart},       {"userdir", 0, 0, builtinUserdir},
    {"userhome", 0, 0, builtinUserhome}, {"win64", 0, 0, builtinWin64},
};

}  // namespace

KALIX_BUILTIN_FAMILY(systemBuiltins, rows);

}  // namespace kalix
