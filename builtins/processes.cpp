// Builtins that run other programs and talk to them through pipes: exec,
// execread, execwrite, execwriteln and execkill. The host starts, feeds,
// reads and ends the one remembered child.
#include <string>

#include "builtins/builtin_helpers.h"
#include "builtins/system_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

namespace {

// exec(program, args, directory, print, hidden, wait)
constexpr Signature execSignature = {
    .builtin = "exec",
    .need = "program, args, directory, print flag, hidden flag, wait flag",
    .rules = {{takesString}, {takesString}, {takesString}, {takesReal}, {takesReal}, {takesReal}},
    .order = CheckOrder::asResolved};

void builtinExec(header* first) {
    const Arguments a(first, execSignature);
    if (!a) return;
    std::string program = a.text(0);
    std::string arguments = a.text(1);
    std::string directory = a.text(2);
    int print = clampToInt(a.real(3));
    int hidden = clampToInt(a.real(4));
    int wait = clampToInt(a.real(5));
    std::string output;
    ExecStatus status;
    int code = execProgram(program.c_str(), arguments.c_str(), directory.c_str(), print, hidden,
                           wait, &output, &status);
    if (status == execRefused) {
        fail(errorFailed, "Command was not allowed!\n");
        return;
    }
    if (status == execFailed) {
        errorCode = errorFailed;  // the host has shown why
        return;
    }
    if (print && wait) {
        header* lines = pushLineVector(output, false);
        if (!lines || !pushReal(code)) return;
        moveResults(first, lines);
        return;
    }
    moveResult(first, pushReal(code));
}

void builtinExecread(header*) {
    std::string text;
    readExecPipe(&text);
    pushLineVector(text, true);
}

constexpr Signature execwriteSignature = {"execwrite", "string", {{takesString}}};

void writeToChild(header* first, int addNewline) {
    const Arguments a(first, execwriteSignature);
    if (!a) return;
    moveResult(first, pushReal(writeExecPipe(a.text(0), addNewline)));
}

void builtinExecwrite(header* first) { writeToChild(first, 0); }

void builtinExecwriteln(header* first) { writeToChild(first, 1); }

void builtinExeckill(header*) {
    killExecProcess();
    pushMarker(markerNoResult);
}

const BuiltinRecord rows[] = {
    {"exec", 6, 0, builtinExec},
    {"execkill", 0, 0, builtinExeckill},
    {"execread", 0, 0, builtinExecread},
    {"execwrite", 1, 0, builtinExecwrite},
    {"execwriteln", 1, 0, builtinExecwriteln},
};

}  // namespace

KALIX_BUILTIN_FAMILY(processBuiltins, rows);

}  // namespace kalix
