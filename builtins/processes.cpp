// Builtins that run other programs and talk to them through pipes: exec,
// execread, execwrite, execwriteln and execkill. The host starts, feeds,
// reads and ends the one remembered child.
#include <string>

#include "builtins/system_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace {

// exec(program, args, directory, print, hidden, wait)
void builtinExec(header* first) {
    header* values[6];
    header* argument = first;
    for (int i = 0; i < 6; i++) {
        values[i] = resolveValue(argument);
        if (errorCode) return;
        bool fits = i < 3 ? values[i]->kind == kindString : values[i]->kind == kindReal;
        if (!fits) {
            reportNeed("program, args, directory, print flag, hidden flag, wait flag", "exec");
            return;
        }
        argument = recordAt(endOf(argument));
    }
    std::string program = stringOf(values[0]);
    std::string arguments = stringOf(values[1]);
    std::string directory = stringOf(values[2]);
    int print = clampToInt(realOf(values[3]));
    int hidden = clampToInt(realOf(values[4]));
    int wait = clampToInt(realOf(values[5]));
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

void writeToChild(header* first, int addNewline) {
    header* text = stringArgument(first, "string", "execwrite");
    if (!text) return;
    moveResult(first, pushReal(writeExecPipe(stringOf(text), addNewline)));
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
