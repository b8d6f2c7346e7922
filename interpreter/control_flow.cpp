// Conditionals and loops. A loop command drives its own body through
// executeNextStatement and acts on the command kind each statement returns;
// skipping a branch or leaving a loop scans forward for the matching
// keyword (or, in a stored body, jumps by the token's cached distance).
#include "interpreter/control_flow.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/settings.h"
#include "base/text.h"
#include "interpreter/commands.h"
#include "interpreter/evaluator.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/scanner.h"
#include "interpreter/statement_cache.h"
#include "interpreter/tracing.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

int returnLoopIndex = 0;

namespace {

// The word `word` at the scan position, not followed by a name character.
bool atWord(const char* word) {
    size_t n = std::strlen(word);
    return std::strncmp(scanPointer, word, n) == 0 && !nameCharLength(scanPointer + n);
}

// --- jump caches ----------------------------------------------------------

// The jump cache of the command token just dispatched (the scan position
// is right after it), or null outside stored bodies.
char* tokenCacheSlot() {
    if (!scanningStoredBody() || scanPointer[-tokenSize] != commandToken) return nullptr;
    return scanPointer - tokenSize + tokenCacheOffset;
}

// Continues at `target` by a cached distance from `from` (a token
// boundary): the line ends passed are not read, so the line start is
// found by stepping over the tokens between.
void jumpTo(char* from, char* target) {
    for (char* p = from; p < target;) {
        char c = *p;
        if (c == numberToken || c == commandToken) {
            p += tokenSize;
        } else {
            p++;
            if (c == 0) lineStart = p;
        }
    }
    scanPointer = target;
}

int32_t readCache(const char* slot) {
    int32_t value = 0;
    if (slot) std::memcpy(&value, slot, sizeof value);
    return value;
}

void writeCache(char* slot, int32_t value) {
    if (slot) std::memcpy(slot, &value, sizeof value);
}

// --- block scanning -------------------------------------------------------

// Passes a string literal ("..." or ''...'') starting at the scan position;
// false when none starts there.
bool skipStringLiteral() {
    char* p = scanPointer;
    if (*p == '"') {
        char* end = std::strchr(p + 1, '"');
        scanPointer = end ? end + 1 : p + std::strlen(p);
        return true;
    }
    if (p[0] == '\'' && p[1] == '\'') {
        char* end = std::strstr(p + 2, "''");
        // Without a closing pair these are two transposes.
        scanPointer = end ? end + 2 : p + 2;
        return true;
    }
    return false;
}

// Moves the scan position after the next command keyword and returns its
// kind; -1 at the end of the line (top level) or of the body. Keywords
// inside string literals and comments are passed over.
int nextKeyword() {
    bool body = scanningStoredBody();
    bool afterName = false;  // a name character ends right before the scan position
    for (;;) {
        char* p = scanPointer;
        char c = *p;
        if (c == 0) {
            if (!body || p[1] == endOfBody) return -1;
            scanPointer = lineStart = p + 1;
            afterName = false;
            continue;
        }
        if (body && c == endOfBody) return -1;
        if (body && c == numberToken) {
            scanPointer += tokenSize;
            afterName = true;
            continue;
        }
        if (body && c == commandToken) {
            int32_t index;
            std::memcpy(&index, p + 1, sizeof index);
            scanPointer += tokenSize;
            afterName = false;
            if (index >= 0 && index < commandCount) return commandTable[index].kind;
            continue;
        }
        if ((c == '#' && p[1] == '#') || (c == '.' && p[1] == '.') ||
            (!body && c == '/' && p[1] == '/')) {
            scanPointer += std::strlen(p);
            continue;
        }
        if (skipStringLiteral()) {
            afterName = false;
            continue;
        }
        if (!body && !afterName && isLetterAt(p)) {
            int length = 0;
            const CommandRecord* row = findCommand(&length);
            if (row) {
                scanPointer += length;
                return row->kind;
            }
        }
        // Whole characters, so that the scan never stands inside a letter.
        int length = nameCharLength(p);
        afterName = length != 0;
        scanPointer += length ? length : characterLength(p, systemCodePageIsUtf8);
    }
}

void traceFoundKeyword() {
    if (scanningStoredBody() && traceState > 0) traceStep(lineStart);
}

void reportMissing(const char* message, char* savedLineStart) {
    if (!errorCode) {
        fail(errorMissing, "%s", message);
    }
    lineStart = savedLineStart;
}

bool opensConditional(int kind) { return kind == commandIf; }

bool opensLoop(int kind) {
    return kind == commandFor || kind == commandRepeat || kind == commandLoop;
}

// Scans past the keyword of kind `closing`; constructs that `opens` starts
// are passed whole.
void skipPastClosing(int closing, bool (*opens)(int), const char* message) {
    char* savedLineStart = lineStart;
    for (;;) {
        int kind = nextKeyword();
        if (kind < 0) {
            reportMissing(message, savedLineStart);
            return;
        }
        if (kind == closing) {
            traceFoundKeyword();
            return;
        }
        if (opens(kind)) {
            skipPastClosing(closing, opens, message);
            if (errorCode) {
                lineStart = savedLineStart;
                return;
            }
        }
    }
}

// --- conditions -----------------------------------------------------------

bool allElementsNonzero(header* matrix, int pairs) {
    int64_t n = int64_t(matrixRows(matrix)) * matrixColumns(matrix) * pairs;
    const double* x = matrixData(matrix);
    for (int64_t i = 0; i < n; i += pairs) {
        if (x[i] == 0 && (pairs == 1 || x[i + 1] == 0)) return false;
    }
    return true;
}

// Evaluates a condition at the scan position; a single "=" after it is
// reported. The value is dropped again.
int evaluateCondition() {
    skipBlanks();
    char* top = newram;
    header* value = evaluateExpression();
    if (errorCode) return 0;
    skipBlanks();
    if (*scanPointer == '=') {
        fail(errorFailed, "Want to use == for conditions?\n");
        return 0;
    }
    int truth = isConditionTrue(value);
    newram = top;
    return truth;
}

// --- loops ----------------------------------------------------------------

enum LoopType { forLoop, countedLoop, repeatLoop };

// The call depth of the innermost running loop body.
int loopCallDepth = 0;

const char* endMissingMessage(LoopType type) {
    switch (type) {
        case forLoop:
            return "\"end\" missing!\n";
        case countedLoop:
            return "End missing in loop!\n";
        default:
            return "\"end\" missing in repeat statement!\n";
    }
}

// Continues after the loop's `end`: by the cached distance, else by
// scanning, and then the distance is cached.
void leaveLoop(char* loopStart, char* cacheSlot) {
    int32_t cached = readCache(cacheSlot);
    if (cached > 0) {
        jumpTo(loopStart, loopStart + cached);
        return;
    }
    findLoopEnd();
    if (!errorCode) writeCache(cacheSlot, int32_t(scanPointer - loopStart));
}

// Only blank and comment lines remain of a stored body: its end is near,
// and no `end` can follow any more.
bool onlyBodyEndFollows() {
    for (const char* p = scanPointer;; p++) {
        while (*p == ' ' || *p == '\t') p++;
        if (*p == endOfBody) return true;
        if (p[0] == '#' && p[1] == '#') p += std::strlen(p);
        if (*p != 0) return false;
    }
}

bool atBodyEnd() {
    if (scanningStoredBody()) return onlyBodyEndFollows();
    skipBlanks();
    return errorCode || *scanPointer == 0;
}

// Runs the body from the scan position until the loop ends. `advance`
// moves to the next pass and returns false when the loop is exhausted or
// failed (with the error set).
template <typename Advance>
void runLoopBody(LoopType type, char* loopStart, char* cacheSlot, Advance advance) {
    skipBlanks();
    if (*scanPointer == ';' || *scanPointer == ',') scanPointer++;
    char* bodyStart = scanPointer;
    char* bodyLineStart = lineStart;
    FunctionState entryState = functionState;
    // At the top level the loop must stand in its line; a ".." in the body
    // fetches the next line over it, and the loop cannot go back.
    std::string loopText;
    if (!scanningStoredBody()) loopText.assign(inputLine, size_t(bodyStart - inputLine));
    bool keepsVariables = type != repeatLoop && functionState == functionTopLevel;
    CachedLoopBody cachedBody(bodyStart);
    while (!errorCode) {
        if (atBodyEnd()) {
            if (errorCode) return;
            fail(errorEndMissing, "%s", endMissingMessage(type));
            return;
        }
        int savedInLoop = inLoop, savedLoopCallDepth = loopCallDepth;
        inLoop = 1;
        loopCallDepth = callDepth;
        int result = cachedBody.runPass() ? commandEnd : executeNextStatement();
        if (keepsVariables) topEndLocal = endlocal;
        // `quit` and `restart` end the loop too: the next statement
        // would clear the request.
        bool stopped = errorCode || runState != runStateRun || (keepsVariables && !inLoop);
        inLoop = savedInLoop;
        loopCallDepth = savedLoopCallDepth;
        if (stopped) return;
        if (functionState != entryState || result == commandReturn) {
            if (type == countedLoop) returnLoopIndex = loopIndex;
            return;
        }
        switch (result) {
            case commandBreak:
                leaveLoop(loopStart, cacheSlot);
                return;
            case commandWhile:
            case commandUntil: {
                int truth = evaluateCondition();
                if (errorCode) return;
                if (*scanPointer == ';') scanPointer++;
                if ((result == commandWhile) != (truth != 0)) {
                    leaveLoop(loopStart, cacheSlot);
                    return;
                }
                break;
            }
            case commandEnd:
            case commandContinue:
                if (!scanningStoredBody() &&
                    loopText.compare(0, loopText.size(), inputLine, loopText.size()) != 0) {
                    fail(errorEndMissing, "%s", endMissingMessage(type));
                    return;
                }
                if (!advance()) {
                    if (!errorCode && result == commandContinue) leaveLoop(loopStart, cacheSlot);
                    return;
                }
                scanPointer = bodyStart;
                lineStart = bodyLineStart;
                if (checkEscape()) {
                    fail(errorFailed, "User interrupted!\n");
                    return;
                }
                break;
            default:
                break;
        }
    }
}

// The state of a `for` loop: a range, or the elements of a vector copied
// out of the stack (the body may move or change the original).
struct ForLoop {
    char name[32];
    int kind;          // kindReal, kindComplex or kindInterval
    int width;         // doubles per value: 1 or 2
    double end, step;  // range loops
    int direction;
    double* elements;  // vector loops, null for a range
    int64_t count, next;
};

bool passedEnd(const ForLoop& loop, double x) {
    return loop.direction > 0 ? x > loop.end : x < loop.end;
}

// The next pass: the variable is found again by name and must still be of
// the loop's kind.
bool advanceFor(ForLoop& loop) {
    header* variable = findVariable(loop.name);
    if (!variable || variable->kind != loop.kind) {
        fail(errorFailed, "Loop variable %s has been changed.\n", loop.name);
        return false;
    }
    if (!loop.elements) {
        // A step lost in rounding (or a step of 0) would repeat the value,
        // and NaN passes no end: both end the loop.
        double current = realOf(variable);
        double x = current + loop.step;
        if (x == current || std::isnan(x) || std::isnan(loop.end) || passedEnd(loop, x))
            return false;
        std::memcpy(dataOf(variable), &x, sizeof x);
        return true;
    }
    if (loop.next >= loop.count) return false;
    std::memcpy(dataOf(variable), loop.elements + loop.next * loop.width,
                loop.width * sizeof(double));
    loop.next++;
    return true;
}

// A real number after the word `word` ("to", "step"); false with the error.
bool readRealAfterWord(const char* word, const char* message, double* x) {
    scanPointer += std::strlen(word);
    header* value = resolveValue(evaluateExpression());
    if (errorCode) return false;
    if (!value || value->kind != kindReal) {
        fail(errorLoopEnd, "%s", message);
        return false;
    }
    *x = realOf(value);
    return true;
}

// The rest of a range loop's head: "to" end ["step" step]. False when the
// loop runs no pass (or on error).
bool readRange(ForLoop& loop, double start) {
    loop.end = start;
    loop.step = 1;
    skipBlanks();
    if (atWord("to")) {
        if (!readRealAfterWord("to", "Endvalue must be real!\n", &loop.end)) return false;
        skipBlanks();
        if (atWord("step") && !readRealAfterWord("step", "Stepvalue must be real!\n", &loop.step))
            return false;
    }
    loop.direction = loop.step >= 0 ? 1 : -1;
    loop.end += loop.direction * currentEpsilon;
    return !passedEnd(loop, start);
}

// Copies the elements of a vector start value; false with the error for a
// value that cannot start a loop.
bool readVector(ForLoop& loop, header* value) {
    switch (value->kind) {
        case kindRealMatrix:
            loop.kind = kindReal;
            break;
        case kindComplex:
        case kindComplexMatrix:
            loop.kind = kindComplex;
            break;
        case kindInterval:
        case kindIntervalMatrix:
            loop.kind = kindInterval;
            break;
        default:
            loop.kind = -1;
            break;
    }
    int rows = 1, columns = 1;
    const char* data = dataOf(value);
    if (value->kind == kindRealMatrix || value->kind == kindComplexMatrix ||
        value->kind == kindIntervalMatrix) {
        rows = matrixRows(value);
        columns = matrixColumns(value);
        data = dataOf(value) + 8;
    }
    if (loop.kind < 0 || (rows > 1 && columns > 1)) {
        fail(errorLoopStart, "Illegal start value for loop!\n");
        return false;
    }
    loop.width = loop.kind == kindReal ? 1 : 2;
    loop.count = int64_t(rows) * columns;
    loop.next = 0;
    size_t bytes = size_t(loop.count) * loop.width * sizeof(double);
    loop.elements = static_cast<double*>(std::malloc(bytes ? bytes : 1));
    if (!loop.elements) {
        fail(errorFailed, "Out of RAM in for loop!\n");
        return false;
    }
    std::memcpy(loop.elements, data, bytes);
    return true;
}

// --- command handlers -----------------------------------------------------

void returnCommand() {
    if (scanningStoredBody()) {
        // The return values see the index `#` has here, also outside loops.
        returnLoopIndex = loopIndex;
        functionState = functionReturned;
        return;
    }
    fail(errorRaised, "Use return only in functions!\n");
}

void ifCommand() {
    char* start = scanPointer;
    char* cacheSlot = tokenCacheSlot();
    for (;;) {
        int truth = evaluateCondition();
        if (errorCode || truth) return;
        int32_t cached = readCache(cacheSlot);
        if (cached > 0) {
            jumpTo(start, start + cached);
            return;
        }
        if (cached < 0) {
            jumpTo(start, start - cached);
        } else {
            if (!skipToElse(start, cacheSlot)) return;
            writeCache(cacheSlot, -readCache(cacheSlot));
        }
        // After an `elseif`: its condition decides next.
        start = scanPointer;
        cacheSlot = tokenCacheSlot();
    }
}

// A branch ran and reached `else` or `elseif`: the rest is passed over.
void elseCommand() { skipToEndif(); }

void nothingCommand() {}

// `end`, `continue`, `break`, `until` and `while` act through the loop
// driver; reached outside a loop body they are errors. The body of a
// function called from a loop is outside it.
void requireLoop(const char* message) {
    if (inLoop && loopCallDepth == callDepth) return;
    fail(errorNotInLoop, "%s", message);
}

void endCommand() { requireLoop("\"end\" only allowed in loops!\n"); }
void continueCommand() { requireLoop("\"continue\" only allowed in loops!\n"); }
void breakCommand() { requireLoop("\"break\" only allowed in loops!\n"); }
void untilCommand() { requireLoop("\"until\" only allowed in loops!\n"); }
void whileCommand() { requireLoop("\"while\" only allowed in loops!\n"); }

// Makes the loop variable: a record with room for two doubles at the end
// of the frame. Null on error.
header* makeLoopVariable(const char* name) {
    removeVariable(name);
    newram = endlocal;
    header* variable = pushComplex(0, 0, name);
    if (!variable) return nullptr;
    endlocal = newram;
    if (functionState == functionTopLevel) topEndLocal = endlocal;
    return variable;
}

// At the top level an assignment to the loop variable stores a global of
// that name, which the loop then follows; the frame record it hides would
// be listed beside it and is dropped.
void dropShadowedLoopVariable(const char* name) {
    if (!findGlobal(name)) return;
    header* record = findNamedRecord(startlocal, endlocal, name);
    if (record) closeStackGap(reinterpret_cast<char*>(record), record->size);
}

void forCommand() {
    char* loopStart = scanPointer;
    char* cacheSlot = tokenCacheSlot();
    ForLoop loop{};
    skipBlanks();
    scanName(loop.name);
    if (errorCode) return;
    header* variable = makeLoopVariable(loop.name);
    if (!variable) return;
    // The variable is the last record of the frame; the frame may move
    // while the head is evaluated.
    int64_t variableSize = variable->size;
    skipBlanks();
    if (*scanPointer != '=') {
        fail(errorForSyntax, "Syntax error in for!\n");
        return;
    }
    scanPointer++;
    header* start = resolveValue(evaluateExpression());
    if (errorCode) return;
    variable = recordAt(endlocal - variableSize);
    bool runs;
    if (start->kind == kindReal) {
        double x = realOf(start);
        loop.kind = kindReal;
        runs = readRange(loop, x);
        if (errorCode) return;
        std::memcpy(dataOf(variable), &x, sizeof x);
    } else {
        if (!readVector(loop, start)) return;
        runs = loop.count > 0;
        if (runs) {
            std::memcpy(dataOf(variable), loop.elements, loop.width * sizeof(double));
            loop.next = 1;
        }
    }
    variable->kind = loop.kind;
    newram = endlocal;
    if (runs) {
        runLoopBody(forLoop, loopStart, cacheSlot, [&loop] { return advanceFor(loop); });
    } else {
        leaveLoop(loopStart, cacheSlot);
    }
    std::free(loop.elements);
    if (functionState == functionTopLevel) {
        dropShadowedLoopVariable(loop.name);
        topEndLocal = endlocal;
    }
}

// A real loop bound truncated toward zero; false with the error.
bool readLoopBound(const char* message, int code, int64_t* bound) {
    header* value = resolveValue(evaluateExpression());
    if (errorCode) return false;
    if (!value || value->kind != kindReal) {
        fail(code, "%s", message);
        return false;
    }
    *bound = clampToInt(realOf(value));
    return true;
}

void loopCommand() {
    char* loopStart = scanPointer;
    char* cacheSlot = tokenCacheSlot();
    int savedIndex = loopIndex;
    int64_t first = 0, last = 0;
    if (!readLoopBound("Startvalue must be real!\n", errorLoopStart, &first)) return;
    skipBlanks();
    if (!atWord("to")) {
        fail(errorLoopEnd, "Endvalue missing in loop!\n");
        return;
    }
    scanPointer += 2;
    if (!readLoopBound("Endvalue must be real!\n", errorLoopEnd, &last)) return;
    newram = endlocal;
    if (last < first) {
        leaveLoop(loopStart, cacheSlot);
        return;
    }
    if (functionState == functionTopLevel) topEndLocal = endlocal;
    int64_t counter = first;
    loopIndex = int(counter);
    runLoopBody(countedLoop, loopStart, cacheSlot, [&counter, last] {
        if (counter >= last) return false;
        loopIndex = int(++counter);
        return true;
    });
    loopIndex = savedIndex;
}

void repeatCommand() {
    char* loopStart = scanPointer;
    char* cacheSlot = tokenCacheSlot();
    newram = endlocal;
    runLoopBody(repeatLoop, loopStart, cacheSlot, [] { return true; });
}

const CommandRecord rows[] = {
    {"return", commandReturn, 0, returnCommand},
    {"for", commandFor, 0, forCommand},
    {"endif", commandEndif, 0, nothingCommand},
    {"end", commandEnd, 0, endCommand},
    {"continue", commandContinue, 0, continueCommand},
    {"break", commandBreak, 0, breakCommand},
    {"until", commandUntil, 0, untilCommand},
    {"while", commandWhile, 0, whileCommand},
    {"loop", commandLoop, 0, loopCommand},
    {"else", commandElse, 0, elseCommand},
    {"elseif", commandElseif, 0, elseCommand},
    {"if", commandIf, 0, ifCommand},
    {"then", commandThen, 0, nothingCommand},
    {"repeat", commandRepeat, 0, repeatCommand},
};

}  // namespace

KALIX_COMMAND_FAMILY(controlFlowCommands, rows);

// --- scanners and conditions ----------------------------------------------

int skipToElse(char* start, char* cacheSlot) {
    char* savedLineStart = lineStart;
    for (;;) {
        int kind = nextKeyword();
        if (kind < 0) {
            reportMissing("\"endif\" missing, searching for \"else\"!\n", savedLineStart);
            return 0;
        }
        if (kind == commandIf) {
            skipToEndif();
            if (errorCode) {
                lineStart = savedLineStart;
                return 0;
            }
        } else if (kind == commandEndif || kind == commandElse || kind == commandElseif) {
            traceFoundKeyword();
            writeCache(cacheSlot, int32_t(scanPointer - start));
            return kind == commandElseif;
        }
    }
}

void skipToEndif() { skipPastClosing(commandEndif, opensConditional, "\"endif\" missing!\n"); }

void findLoopEnd() { skipPastClosing(commandEnd, opensLoop, "\"end\" missing!\n"); }

int isConditionTrue(header* record) {
    header* value = resolveValue(record);
    if (errorCode || !value) return 0;
    switch (value->kind) {
        case kindReal:
            return realOf(value) != 0;
        case kindComplex: {
            double z[2];
            std::memcpy(z, dataOf(value), sizeof z);
            return z[0] != 0 || z[1] != 0;
        }
        case kindString: {
            unsigned char first = static_cast<unsigned char>(stringOf(value)[0]);
            return first != 0 && first != 1;
        }
        case kindRealMatrix:
        case kindComplexMatrix:
            if (relaxedFunctionMode || intSetting("conditionvectors"))
                return allElementsNonzero(value, value->kind == kindRealMatrix ? 1 : 2);
            fail(errorFailed,
                 "Cannot use vectors for conditions, use all(...)!\n"
                 "Maybe you need to vectorize the function with \"map\".\n");
            return 0;
        default:
            fail(errorFailed, "Cannot use this type as if condition.\n");
            return 0;
    }
}

}  // namespace kalix
