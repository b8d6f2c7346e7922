// The external engines as the interpreter sees them (Maxima: see
// maxima_services.cpp). Python and C functions run once engines/ installed
// them: until then a line handed to them is consumed and answered with a
// message and error 1, so nothing is silently dropped.
#include "interpreter/engine_services.h"

#include <cstring>

#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"

namespace kalix {

std::atomic<int> currentMaximaMode{0};
int currentPythonMode = 0;
ForeignEngines foreignEngines = {};

// Consumes the rest of the current line.
static void refuseLine(const char* message) {
    scanPointer += std::strlen(scanPointer);
    fail(errorFailed, "%s", message);
}

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
    if (std::strncmp(scanPointer, "on", 2) == 0 && !isLetterAt(scanPointer + 2)) {
        currentPythonMode = 1;
        scanPointer += 2;
    } else if (std::strncmp(scanPointer, "off", 3) == 0 && !isLetterAt(scanPointer + 3)) {
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

}  // namespace kalix
