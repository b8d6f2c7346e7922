// The interpreter loop and the statement executor.
#include "interpreter/main_loop.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/settings.h"
#include "graphics/graphics_state.h"
#include "interpreter/assignment.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/engine_services.h"
#include "interpreter/evaluator.h"
#include "interpreter/function_area.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/globals.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/printing.h"
#include "interpreter/program_files.h"
#include "interpreter/scanner.h"
#include "interpreter/stack_block.h"
#include "interpreter/statement_cache.h"
#include "interpreter/tracing.h"
#include "interpreter/value_helpers.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

int runState = runStateRun;
int64_t stackSize = 0;
int lastCommandKind = 0;
static header commandMarkerRecord;
header* const commandMarker = &commandMarkerRecord;
int matlabModeSetting = 0;
int inLoop = 0;
int usenanPending = 0;

char** interpreterArgs = nullptr;
int interpreterArgCount = 0;
int scriptFailed = 0;

constexpr int defaultStackMegabytes = 1024;
constexpr int minimumStackMegabytes = 256;
constexpr size_t firstLineLimit = 0x8000;

// --- the stack ------------------------------------------------------------

static char* allocateStackBytes(int megabytes) {
    stackSize = int64_t(megabytes) * 1024 * 1024;
    return allocateStackBlock(size_t(stackSize) + stackGuardBytes);
}

int allocateStack() {
    int megabytes = intSetting("stacksize64");
    if (megabytes < minimumStackMegabytes) megabytes = minimumStackMegabytes;
    ramstart = allocateStackBytes(megabytes);
    if (!ramstart) {
        if (!secondInstance) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "Could not allocate %d MB for the stack.\nUsing 1024 MB default size.",
                          megabytes);
            showWarning(text, "Kalix");
        }
        ramstart = allocateStackBytes(defaultStackMegabytes);
    }
    if (!ramstart) return 0;
    stackBlock = ramstart;
    ramend = ramstart + stackSize;
    newram = startlocal = endlocal = functionsEnd = ramstart;
    return 1;
}

// --- the loop -------------------------------------------------------------

static void appendText(const char* text) {
    size_t used = std::strlen(inputLine);
    std::snprintf(inputLine + used, inputLineSize - used, "%s", text);
}

// "load kalix.cfg", the program file and its directory, mode switches.
static void composeFirstLine(int argc, char** argv) {
    inputLine[0] = 0;
    // A missing start-up program must not keep the program file from loading.
    if (programFileExists("kalix.cfg")) appendText("load \"kalix.cfg\"; ");
    if (argc > 1) {
        appendText("cd(home()); ");
        if (std::strlen(inputLine) + std::strlen(argv[1]) + 20 <= firstLineLimit) {
            appendText(argv[1][0] == '"' ? " load " : " load \"");
            appendText(argv[1]);
            appendText(argv[1][0] == '"' ? ";" : "\";");
        }
    }
    interpreterArgs = argc > 2 ? argv + 2 : nullptr;
    interpreterArgCount = argc > 2 ? argc - 2 : 0;
    if (!scriptMode && intSetting("startinmaximamode")) appendText(" maximamode,");
    if (scriptMode) appendText(" quit;");
    scanPointer = inputLine;
}

// Everything an interpreter start empties or resets.
static void startInterpreter(int argc, char** argv) {
    if (stackBlock) ramstart = stackBlock;
    writeLog("KXW restarted (Stack size %ld)", long(ramend - ramstart));
    clearTextWindow();
    runState = runStateRun;
    resetSearchPath();
    resetAddmenuSubmenu();
    changeToProgramDir();
    restoreGraphicsDefaults();
    startStartupThread();
    startlocal = endlocal = newram = functionsEnd = ramstart;
    markFunctionIndexStale();
    clearGlobals();
    resetBuiltinState();
    sortBuiltins();
    sortCommands();
    initArgNameHashes();
    clearFunctionKeys();
    resetAccumulators();
    composeFirstLine(argc, argv);
}

static int failStatement();

// A library container that found no memory threw out of the statement:
// "Out of Memory!", and the next statement starts at the top level again
// (the frames and program files the statement had entered are left).
static void recoverFromOutOfMemory() {
    functionState = functionTopLevel;
    currentFunction = nullptr;
    startlocal = topStartLocal;
    endlocal = topEndLocal;
    newram = endlocal;
    if (loadFile) std::fclose(loadFile);
    loadFile = nullptr;
    reportOutOfMemory();
    failStatement();
}

int runInterpreterLoop(int argc, char** argv) {
    for (;;) {
        startInterpreter(argc, argv);
        while (runState == runStateRun) {
            topStartLocal = startlocal;
            topEndLocal = endlocal;
            try {
                executeNextStatement();
            } catch (const std::bad_alloc&) {
                recoverFromOutOfMemory();
            }
            matlabMode = matlabModeSetting;
            if (traceState < 0) traceState = 0;
        }
        closeForeignEngines();
        // A script that failed ends here instead of starting over.
        if (runState == runStateQuit || scriptFailed) return scriptFailed;
        matlabMode = matlabModeSetting = 0;
        currentMaximaMode = currentPythonMode = 0;
        startNewNotebook();
        resetExecPermission();
        argc = 1;
    }
}

// --- the statement executor -----------------------------------------------

static void discardLine() {
    scanPointer = inputLine;
    inputLine[0] = 0;
}

// Engines take the rest of the line; inside a function they are refused.
static int refuseInFunction(const char* message) {
    fail(errorFailed, "%s", message);
    return statementStopped;
}

static void insertImage() {
    int lines = imageLineCount;
    if (intSetting("insertsmaller")) lines -= 10;
    insertGraphicsImage(lines, "", 1, 0.0, 1.0, 0.0, 1.0);
}

// The prefixes that hand a line to Maxima, Python, help or the comment
// skipper. Returns 1 when the statement was handled here. A line refused
// inside a function keeps its scan position.
static int handlePrefixes(bool atLineStart) {
    // Away from the line start only "restart", "quit", "kalix ", "usenan "
    // and "/*" count: every statement of a loop or a function body comes here.
    char c = *scanPointer;
    if (!atLineStart && c != 'r' && c != 'q' && c != 'k' && c != 'u' && c != '/') return 0;
    bool topLevel = functionState == functionTopLevel;
    if (atLineStart) {
        if (!skipPrefix(scanPointer, "%% ")) skipPrefix(scanPointer, "%+ ");
        const char* p = scanPointer;
        if (int n = prefixLength(p, "::: ")) {
            if (!topLevel) return refuseInFunction("Maxima ::: not allowed in functions!\n"), 1;
            scanPointer += n;
            collectDirectModeLine();
            return 1;
        }
        // The blank after "::" goes to the translator.
        if (int n = prefixLength(p, "::"); n && (p[n] == ' ' || !intSetting("allowsymbolicdp"))) {
            if (!topLevel) return refuseInFunction("Maxima :: not allowed in functions!\n"), 1;
            scanPointer += n;
            translateCompatibilityLine();
            return 1;
        }
        if (skipPrefix(scanPointer, "?? ")) {
            showHelp(1);
            return 1;
        }
        if (int n = prefixLength(p, "maxima ")) {
            if (!topLevel) return refuseInFunction("Maxima not allowed in functions!\n"), 1;
            scanPointer += n;
            translateCompatibilityLine();
            return 1;
        }
    }
    const char* p = scanPointer;
    // "quit" leaves Python mode before the line could go to Python.
    int quit = prefixLength(p, "quit");
    bool quitWord = quit && nameCharLength(p + quit) == 0;
    if (atLineStart && topLevel && currentPythonMode && !quitWord && !hasPrefix(p, "pythonmode") &&
        !hasPrefix(p, "function ") && !hasPrefix(p, "kalix ")) {
        runPythonLine();
        return 1;
    }
    if (atLineStart) {
        // After ">> " one more blank goes too.
        int python = prefixLength(p, "py: "), prompt = prefixLength(p, ">> ");
        if (python || prompt) {
            if (!topLevel)
                return refuseInFunction("Python command lines not allowed in functions!\n"), 1;
            scanPointer += python + prompt;
            if (prompt && *scanPointer == ' ') scanPointer++;
            runPythonLine();
            return 1;
        }
    }
    if (hasPrefix(p, "restart") || hasPrefix(p, "quit")) {
        currentMaximaMode = yacasMode = currentPythonMode = 0;
        return 0;
    }
    bool kalixLine = hasPrefix(p, "maximamode") || hasPrefix(p, "kalix ");
    if (atLineStart && currentMaximaMode == 1 && !kalixLine) {
        if (topLevel) translateCompatibilityLine();
        return 1;
    }
    if (atLineStart && p[0] == ':' && p[1] != ':') {
        if (!intSetting("enablemaxima")) {
            if (topLevel) discardLine();
            fail(errorFailed, "Maxima direct mode disabled!\n");
        } else if (!topLevel) {
            refuseInFunction("Maxima : not allowed in functions!\n");
        } else {
            scanPointer++;
            collectDirectModeLine();
        }
        return 1;
    }
    if (atLineStart && currentMaximaMode == 2 && !kalixLine) {
        if (topLevel) collectDirectModeLine();
        return 1;
    }
    skipPrefix(scanPointer, "kalix ");
    if (skipPrefix(scanPointer, "usenan ")) {
        errorsOff = 1;
        usenanPending = 1;
    }
    if (skipPrefix(scanPointer, "/*")) {
        skipCommentBlock();
        return 1;
    }
    return 0;
}

// A function with the prefix flag called with the next expression, as in
// "f x". Returns 1 when it was called.
static int callPrefixFunction(header* s) {
    if (endOf(s) != newram || s->kind != kindReference) return 0;
    // The cheap test first: most such statements are assignments.
    const char* p = scanPointer;
    while (*p == ' ' || *p == '\t') p++;
    if (p[0] == '=' || (p[0] == ':' && p[1] == '=')) return 0;
    if (findVariable(s->name)) return 0;
    header* function = findFunction(s->name);
    if (!function || !(function->flags & userFunctionPrefix)) return 0;
    header* argument = evaluateExpression();
    if (errorCode) return 1;
    callUserFunction(function, argument, 1, 0);
    if (errorCode) return 1;
    moveResult(s, argument);
    return 1;
}

// Keeps the value of a top-level statement as the variable "%".
static void keepAsPercent(header* value) {
    header* target = pushReference(findVariable("%"), "%");
    if (!target) return;
    assignVariable(target, value);
}

// A value that is not assignable: print it, keep it, or report what
// follows it. Sets `*imageRequested` for a statement ending in ":".
static void finishValue(header* s, bool* imageRequested) {
    const char* p = scanPointer;
    if (p[0] == '=' || (p[0] == ':' && p[1] == '=')) {
        fail(errorAssignmentSyntax, "Cannot assign to a value of type %s.\n", typeNames[s->kind]);
        return;
    }
    *imageRequested = endStatement(s);
    if (functionState == functionTopLevel && !inLoop && !errorCode) keepAsPercent(s);
}

// The end of every statement: what it left on the stack is dropped and the
// picture a ":" asked for inserted. After a failure the error position is
// shown, the rest of the line dropped and the statement's modes reset.
static int endStatementRun(bool imageRequested = false) {
    const bool failed = errorCode != 0;
    if (failed) {
        writeLog("Error in %s", inputLine);
        showErrorPosition(scanPointer);
        errorsOff = 0;
        holdFlag = 0;
        inLoop = 0;
    }
    newram = endlocal;
    if (imageRequested) insertImage();
    if (failed) {
        discardLine();
        restoreStyleDefaults();
        if (scriptMode) {
            runState = runStateRestart;
            scriptFailed = 1;
        }
    }
    if (usenanPending) {
        errorsOff = 0;
        usenanPending = 0;
    }
    return statementDone;
}

// The statement failed in its command or expression: drop everything of it.
static int failStatement() { return endStatementRun(); }

header* executeCommandOrExpression() {
    if (dispatchCommand()) return commandMarker;
    if (errorCode) return reinterpret_cast<header*>(newram);
    return evaluateExpression();
}

int executeNextStatement() {
    runState = runStateRun;
    errorCode = 0;
    beginStatementOutput();
    functionEntryActive = 0;
    // Inside a function a statement that begins a body line is at line
    // start too: the prefixes it may not use are refused there.
    auto lineBegins = [] {
        return scanPointer == inputLine ||
               (functionState != functionTopLevel && scanPointer == lineStart);
    };
    bool atLineStart = lineBegins();
    for (;;) {
        skipBlanks(0);
        if (errorCode) return runState == runStateRun ? failStatement() : statementStopped;
        if (*scanPointer) break;
        nextLine();
        if (errorCode) return runState == runStateRun ? failStatement() : statementStopped;
        atLineStart = lineBegins();
    }
    if (*scanPointer == endOfBody) {
        if (functionState != functionTopLevel || scanningStoredBody()) return statementDone;
        // At the top level only the line that marks the end of a loaded
        // file is the byte alone; it is consumed. Inside typed text the
        // byte is an ordinary character.
        if (scanPointer[1] == 0) {
            scanPointer++;
            return statementDone;
        }
    }
    if (skipPrefix(scanPointer, "\xEF\xBB\xBF")) {
        fail(errorFailed, "Cannot interpret UTF-8 commands!\nNext command: %s\n", scanPointer);
        return statementStopped;
    }
    if (handlePrefixes(atLineStart)) {
        // A refused line is not run on as further statements (a function
        // body's line ends with the function).
        if (errorCode && functionState == functionTopLevel) discardLine();
        return statementStopped;
    }

    int cachedResult;
    if (runCachedStatement(&cachedResult)) return cachedResult;
    clearMaximaStatementFlags();
    header* s = executeCommandOrExpression();
    if (errorCode) return failStatement();
    if (s == commandMarker) {
        newram = endlocal;
        if (*scanPointer == ':' && functionState == functionTopLevel && !inLoop) {
            scanPointer++;
            insertImage();
        }
        return lastCommandKind;
    }
    // An expression that left nothing on the stack (a call yielding no
    // value) stands for the marker that such a call returns.
    if (!inArea(s, ramstart, newram)) {
        s = pushMarker(markerNoResult);
        if (errorCode) return failStatement();
    }
    if (callPrefixFunction(s) && errorCode) return statementStopped;

    bool imageRequested = false;
    switch (s->kind) {
        case kindReference:
        case kindSubmatrix:
        case kindComplexSubmatrix:
        case kindIntervalSubmatrix:
        case kindStringSubvector:
            executeAssignment(s);
            break;
        case kindCommand:
        case kindFunction:
        case kindOverflow:
            break;
        default:
            finishValue(s, &imageRequested);
            break;
    }
    return endStatementRun(imageRequested);
}

}  // namespace kalix
