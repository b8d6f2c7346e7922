// The external engines as the interpreter sees them (Maxima: see
// maxima_services.cpp). Python is not part of this build: a line handed to
// it is consumed and answered with a message and error 1, so nothing is
// silently dropped.
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

void runPythonLine() { refuseLine("Python is not available.\n"); }

const char* callPyRunFile(const char*) {
    fail(errorFailed, "Python is not available.\n");
    return "";
}

void callPythonFunction(const char*, int, header*) {
    fail(errorFailed, "Python is not available.\n");
}

int callDllFunction(const char*, int, header*) { return 0; }
