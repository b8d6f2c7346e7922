// The external engines as the interpreter sees them. Maxima is not part of
// this build, and Python and C functions only once engines/ installed them:
// a line handed to a missing engine is consumed and answered with a
// message and error 1, so nothing is silently dropped.
#include "interpreter/engine_services.h"

#include <cstring>

#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"

int currentMaximaMode = 0;
int currentPythonMode = 0;
ForeignEngines foreignEngines = {};

// Consumes the rest of the current line.
static void refuseLine(const char* message) {
    scanPointer += std::strlen(scanPointer);
    fail(errorFailed, "%s", message);
}

void collectDirectModeLine() { refuseLine("Maxima is not available.\n"); }

void translateCompatibilityLine() { refuseLine("Maxima is not available.\n"); }

void clearMaximaStatementFlags() {}

void sendMaximaLine(const char*, int) { fail(errorFailed, "Maxima is not available.\n"); }

void runPythonLine() {
    if (foreignEngines.runPythonLine)
        foreignEngines.runPythonLine();
    else
        refuseLine("Python is not available.\n");
}

const char* callPyRunFile(const char* path) {
    if (foreignEngines.callPyRunFile) return foreignEngines.callPyRunFile(path);
    fail(errorFailed, "Python is not available.\n");
    return "";
}

void callPythonUserFunction(header* function, header* first, int n) {
    if (foreignEngines.callPythonUserFunction)
        foreignEngines.callPythonUserFunction(function, first, n);
    else
        fail(errorFailed, "Python is not available.\n");
}

const char* getTexFromMaxima(const char*) { return nullptr; }

void findMaximaFunctions(const char*, char* output, char*, int) { output[0] = 0; }

void callPythonFunction(const char* name, int n, header* first) {
    if (foreignEngines.callPythonFunction)
        foreignEngines.callPythonFunction(name, n, first);
    else
        fail(errorFailed, "Python is not available.\n");
}

int callDllFunction(const char* name, int n, header* first) {
    return foreignEngines.callDllFunction ? foreignEngines.callDllFunction(name, n, first) : 0;
}

void closeForeignEngines() {
    if (foreignEngines.close) foreignEngines.close();
}

// "pythonmode" [on|off]: without a word it toggles.
void pythonmodeCommand() {
    skipSpaces();
    if (std::strncmp(scanPointer, "on", 2) == 0 && !isLetter(scanPointer[2])) {
        currentPythonMode = 1;
        scanPointer += 2;
    } else if (std::strncmp(scanPointer, "off", 3) == 0 && !isLetter(scanPointer[3])) {
        currentPythonMode = 0;
        scanPointer += 3;
    } else {
        currentPythonMode = !currentPythonMode;
    }
    skipSpaces();
    if (*scanPointer != ';')
        printText(currentPythonMode ? "Python mode is on\n" : "Python mode is off\n");
    if (*scanPointer == ';' || *scanPointer == ',') scanPointer++;
}

void compileTinyc(const char* name) {
    if (foreignEngines.compileTinyc)
        foreignEngines.compileTinyc(name);
    else
        fail(errorFailed, "Tiny C is not available.\n");
}

// The builtin `mxm`: Maxima's answer for a string. Without Maxima the
// symbolic expressions that use it ("&", "$", "::", "@:") stop here.
static void builtinMxm(header* first) {
    header* text = resolveValue(first);
    if (errorCode) return;
    if (text->kind != kindString) {
        reportNeed("string", "mxm");
        return;
    }
    fail(errorFailed, "Maxima is not available.\n");
}

static const BuiltinRecord rows[] = {
    {"mxm", 1, 0, builtinMxm},
};
KALIX_BUILTIN_FAMILY(engineBuiltins, rows);
