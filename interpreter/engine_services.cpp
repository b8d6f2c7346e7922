// The external engines as the interpreter sees them. Neither Maxima nor
// Python is part of this build: a line handed to one of them is consumed
// and answered with a message and error 1, so nothing is silently dropped.
#include "interpreter/engine_services.h"

#include <cstring>

#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"

int currentMaximaMode = 0;
int currentPythonMode = 0;

// Consumes the rest of the current line.
static void refuseLine(const char* message) {
    scanPointer += std::strlen(scanPointer);
    fail(errorFailed, "%s", message);
}

void collectDirectModeLine() { refuseLine("Maxima is not available.\n"); }

void translateCompatibilityLine() { refuseLine("Maxima is not available.\n"); }

void clearMaximaStatementFlags() {}

void sendMaximaLine(const char*, int) { fail(errorFailed, "Maxima is not available.\n"); }

void runPythonLine() { refuseLine("Python is not available.\n"); }

const char* callPyRunFile(const char*) {
    fail(errorFailed, "Python is not available.\n");
    return "";
}

const char* getTexFromMaxima(const char*) { return nullptr; }

void findMaximaFunctions(const char*, char* output, char*, int) { output[0] = 0; }

void callPythonFunction(const char*, int, header*) {
    fail(errorFailed, "Python is not available.\n");
}

int callDllFunction(const char*, int, header*) { return 0; }

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
