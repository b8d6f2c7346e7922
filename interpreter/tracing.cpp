#include "interpreter/tracing.h"

#include <cmath>
#include <cstring>

#include "interpreter/commands.h"
#include "interpreter/expression_input.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/printing.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

int traceErrorsMode = 0;

namespace {

const char* const keyHelp =
    "\nKeys :\ncursor_down   Single step\ncursor_right  Step over subroutines\n"
    "cursor_up     Go until return\ninsert        Evaluate expression\n"
    "escape        Abort execution\ncursor-left   Stop tracing\n\n";

// The end of a stored line: its 0 byte, or the end of the body. Number and
// command tokens carry bytes that may be 0.
char* lineEnd(char* p) {
    while (*p != 0 && *p != endOfBody)
        p += (*p == numberToken || *p == commandToken) ? tokenSize : 1;
    return p;
}

// "f: " and the line; a long line in pieces, each but the last ending in
// " ...".
void showLine(char* line) {
    printFormatted("%s: ", currentFunction ? currentFunction->name : "");
    char* end = lineEnd(line);
    for (char* p = printFunctionLine(line, 1); p < end;) p = printFunctionLine(p, 1);
}

// Reads an expression and prints its value; the trace stays off meanwhile.
void evaluateExpressionTyped() {
    char* savedNewram = newram;
    int savedState = traceState;
    traceState = 0;
    header* value = inputExpression("Expression", false);
    if (value && !errorCode) {
        header* resolved = resolveValue(value);
        if (!errorCode) printValue(resolved);
    }
    newram = savedNewram;
    traceState = savedState;
}

// Returns when the key lets the body go on.
bool actOnKey(int keyCode) {
    switch (keyCode) {
        case keyCursorDown:
        case keyF1:
            return true;
        case keyCursorRight:
        case keyF1 + 1:
            traceState = 2;
            return true;
        case keyCursorUp:
        case keyF1 + 2:
            traceState = 0;
            return true;
        case keyCursorLeft:
        case keyF1 + 9:
            traceState = -1;
            return true;
        case keyEscape:
        case keyF1 + 8:
            fail(errorTraceInterrupted, "Trace interrupted\n");
            return true;
        case keyInsert:
        case keyF1 + 3:
            evaluateExpressionTyped();
            return false;
        default:
            printText(keyHelp);
            return false;
    }
}

// --- the commands ------------------------------------------------------------

void toggleFunctionTrace(const char* name) {
    header* function = findFunction(name);
    if (!function) {
        fail(errorTraceUnknownFunction, "Function %s not found!\n", name);
        return;
    }
    function->flags ^= userFunctionTraced;
    if (function->flags & userFunctionTraced)
        printFormatted("Tracing %s\n", name);
    else
        printFormatted("No longer tracing %s\n", name);
}

void clearAllTraceFlags() {
    for (char* p = ramstart; p + headerSize <= functionsEnd;) {
        header* record = recordAt(p);
        if (record->size < headerSize) break;
        if (record->kind == kindFunction) record->flags &= ~userFunctionTraced;
        p += record->size;
    }
}

// trace [on | off | alloff | errors | function name]
void traceCommand() {
    skipBlanks();
    char c = *scanPointer;
    if (c == 0 || c == ';' || c == ',') {
        traceState = traceState ? 0 : 1;
    } else {
        char word[64];
        scanNameN(word, sizeof word, 1);
        if (errorCode) return;
        if (std::strcmp(word, "off") == 0) {
            traceState = traceErrorsMode = 0;
        } else if (std::strcmp(word, "alloff") == 0) {
            clearAllTraceFlags();
            traceState = traceErrorsMode = 0;
        } else if (std::strcmp(word, "on") == 0) {
            traceState = 1;
        } else if (std::strcmp(word, "errors") == 0) {
            traceErrorsMode = 1;
        } else {
            toggleFunctionTrace(word);
            if (errorCode) return;
        }
    }
    skipBlanks();
    skipSeparator();
}

// traceif condition
void traceifCommand() {
    char* entry = newram;
    header* value = evaluateToValues();
    if (errorCode) return;
    skipBlanks();
    skipSeparator();
    if (newram > entry) value = resolveValue(value);
    if (errorCode) return;
    if (newram > entry && value->kind == kindReal) {
        double x = realOf(value);
        traceState = (x != 0 || std::isnan(x)) ? 1 : 0;
    } else if (newram > entry && value->kind == kindString && stringOf(value)[0] != markerNone) {
        traceState = 1;
    } else {
        reportNeed("real value", "traceif");
        return;
    }
    newram = entry;
}

const CommandRecord rows[] = {
    {"trace", commandEverywhere, 0, traceCommand},
    {"traceif", commandAssignable, 0, traceifCommand},
};

}  // namespace

KALIX_COMMAND_FAMILY(tracingCommands, rows);

void traceStep(char* line) {
    if (errorCode) return;
    showLine(line);
    for (;;) {
        int keyCode;
        waitForKey(&keyCode);
        if (actOnKey(keyCode)) return;
    }
}

void inspectFailedCall() {
    errorCode = 0;
    char* mark = newram;
    while (!errorCode) {
        header* value = inputExpression("Expression", true);
        if (errorCode) break;
        header* resolved = resolveValue(value);
        if (!errorCode) printValue(resolved);
        newram = mark;
    }
    newram = mark;
    errorCode = errorAlreadyReported;
}

}  // namespace kalix
