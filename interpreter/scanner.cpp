// Line sources and the scanner.
#include "interpreter/scanner.h"

#include <cstring>

#include "base/text.h"
#include "interpreter/engine_services.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/stack.h"
#include "interpreter/tracing.h"
#include "platform/host.h"

namespace kalix {

char inputLine[inputLineSize];
FILE* loadFile = nullptr;
int evaluatingString = 0;
int readingDefinitionLine = 0;
int inputAnswerFlag = 0;
int inputEvaluating = 0;
char hardSpaceCode = char(0xA0);

// --- fetching lines -------------------------------------------------------

// Inside a running body: the next stored line, or the end of the body.
static void nextBodyLine() {
    scanPointer += std::strlen(scanPointer) + 1;
    if (*scanPointer == endOfBody) {
        functionState = functionTopLevel;
        return;
    }
    lineStart = scanPointer;
    if (traceState > 0) traceStep(lineStart);
}

// Reads one line from the current source into `buffer`; the host's buffer
// must hold inputBufferSize bytes. Returns 0 at the end of the host input.
static int readSourceLine(char* buffer, int noJoin) {
    if (loadFile) {
        readFileLine(buffer);
        return 1;
    }
    readingDefinitionLine = noJoin;
    int read;
    try {
        read = readInputLine(buffer);
    } catch (...) {
        // Memory ran out in the host: the flag must not outlive the read,
        // or every later line would be refused.
        readingDefinitionLine = 0;
        throw;
    }
    readingDefinitionLine = 0;
    if (read == inputLineTooLong) {
        errorCode = errorFailed;  // set first: the message shows also while output is off
        printText("Line too long!\n");
        read = 1;
    }
    return read;
}

// The host has no more lines: the interpreter quits. A statement that was
// still waiting for text (continuation, definition, input) ends with an
// error that is not shown.
static void endOfInput() {
    runState = runStateQuit;
    if (!errorCode) errorCode = errorFailed;
    errorShown = 1;
}

void nextInputLine(int noJoin) {
    if (readingDefinitionLine) {
        fail(errorFailed, ".. not allowed here.\n");
        return;
    }
    if (functionState == functionRunning || functionState == functionReturned) {
        nextBodyLine();
        return;
    }
    if (traceState == -1) traceState = 1;
    if (evaluatingString || functionState == functionEvaluatingString) {
        fail(errorStringNotClosed, "Line ended inside a string!\n");
        return;
    }
    inputAnswerFlag = 0;
    static char buffer[inputBufferSize];
    char* place = inputLine;
    for (;;) {
        int fromFile = loadFile != nullptr;
        continuationActive = place != inputLine;
        int read = readSourceLine(buffer, noJoin);
        continuationActive = 0;
        if (!read) {
            *place = 0;
            endOfInput();
            break;
        }
        size_t length = std::strlen(buffer);
        if (length >= size_t(inputLine + inputLineSize - place)) {
            // A chain of continued lines that does not fit.
            fail(fromFile ? errorLineTooLong : errorFailed, "Line too long!\n");
            inputLine[0] = 0;
            break;
        }
        std::memcpy(place, buffer, length + 1);
        if (errorCode || noJoin) break;
        place = findContinuation(inputLine);
        if (!place) break;
    }
    scanPointer = inputLine;
}

void nextLine() { nextInputLine(0); }

void nextCodeLine() {
    for (;;) {
        nextInputLine(1);
        if (errorCode) return;
        const char* p = scanPointer;
        while (*p == ' ' || *p == '\t') p++;
        if (*p != 0 && !hasPrefix(p, "//")) return;
    }
}

void readFileLine(char* buffer) {
    int n = 0;
    int c = 0;
    int any = 0;
    while ((c = std::getc(loadFile)) != EOF) {
        any = 1;
        if (c == '\n') break;
        if (c < 32 && c != '\t') continue;
        if (n == fileLineLimit) {
            fail(errorLineTooLong, "Line too long!\n");
            buffer[0] = 0;
            return;
        }
        buffer[n++] = char(c);
    }
    if (c == EOF && !any) {
        std::fclose(loadFile);
        loadFile = nullptr;
        buffer[0] = endOfBody;
        buffer[1] = 0;
        return;
    }
    buffer[n] = 0;
}

char* findContinuation(char* line) {
    if (hasPrefix(line, "py: ") || line[0] == '>' || line[0] == ':' || currentPythonMode)
        return nullptr;
    char* commentStart = nullptr;
    for (char* p = line; *p; p++) {
        if (*p == '"') {
            p = std::strchr(p + 1, '"');
            if (!p) return nullptr;
            continue;
        }
        if (!commentStart && hasPrefix(p, " // ")) commentStart = p + 1;
        if (std::strcmp(p, " ...") == 0) return commentStart ? commentStart : p + 1;
        if (hasPrefix(p, "function ")) return nullptr;
    }
    return nullptr;
}

// --- blanks and comments --------------------------------------------------

int skipBlanksAndComments(int crossLines) {
    char c = *scanPointer;
    int skipped = c == ' ' || c == '\t' ||
                  (functionState == functionTopLevel && c == '.' && scanPointer[1] == '.');
    for (;;) {
        while (*scanPointer == ' ' || *scanPointer == '\t') scanPointer++;
        // After an error no line is fetched: the statement is being given up,
        // and a refused fetch would be reported again at every skip.
        if (functionState != functionEvaluatingString && !inputEvaluating && !errorCode &&
            scanPointer[0] == '.' && scanPointer[1] == '.') {
            nextLine();
            if (errorCode) return 2;
            continue;
        }
        if ((functionState == functionRunning || functionState == functionReturned) && crossLines &&
            *scanPointer == 0) {
            nextLine();
            if (errorCode) return 2;
            continue;
        }
        break;
    }
    char mark = functionState == functionTopLevel ? '/' : '#';
    if (scanPointer[0] == mark && scanPointer[1] == mark) scanPointer += std::strlen(scanPointer);
    return skipped;
}

int skipSpaces() {
    char* start = scanPointer;
    while (*scanPointer == ' ' || *scanPointer == '\t') scanPointer++;
    return scanPointer != start;
}

// --- names ----------------------------------------------------------------

int wideLetterLength(const char* p) {
    if (!systemCodePageIsUtf8) return static_cast<unsigned char>(*p) >= 0xC2 || *p == hardSpaceCode;
    // A byte that starts no sequence counts as a character of its own: a
    // lead byte is a letter as in 1252, a lone continuation byte never is,
    // so a scan that stands inside a character finds no letter there.
    int length;
    int code = characterCode(p, true, &length);
    return code >= 0xC2 || (code == 0xA0 && length == 2) ? length : 0;
}

const char* endOfWideLetters(const char* p, bool digits) {
    for (;;) {
        int length = letterLength(p);
        if (!length && digits && isDigit(*p)) length = 1;
        if (!length) return p;
        p += length;
    }
}

bool nameCharBefore(const char* start, const char* p) {
    if (p <= start) return false;
    if (!systemCodePageIsUtf8 || static_cast<unsigned char>(p[-1]) < 0x80)
        return nameCharLength(p - 1) != 0;
    return nameCharLength(start + previousCharacter(start, size_t(p - start), true)) != 0;
}

// Stores one character of `length` bytes at `buffer[n]`; returns the new
// length, or -1 (with the error) when the name is full. A character is
// stored whole or not at all.
static int storeNameChar(char* buffer, int size, int n, const char* c, int length, int report) {
    if (n + length <= size - 1) {
        for (int k = 0; k < length; k++) buffer[n++] = c[k];
        buffer[n] = 0;
        if (n < size - 1) return n;
    }
    buffer[n] = 0;
    if (report) printText("Name too long!\n");
    errorCode = errorName;
    return -1;
}

// A name in double quotes: up to the closing quote or the end of the line.
static void scanQuotedName(char* buffer, int size, int report) {
    int n = 0;
    buffer[0] = 0;
    scanPointer++;
    while (*scanPointer && *scanPointer != '"') {
        int length = characterLength(scanPointer, systemCodePageIsUtf8);
        if ((n = storeNameChar(buffer, size, n, scanPointer, length, report)) < 0) return;
        scanPointer += length;
    }
    if (*scanPointer == '"') scanPointer++;
}

static void reportNameExpected() {
    printFormatted("Name expected at: %s!\n", textAtPosition(scanPointer));
}

// Any name: quoted, beginning with "_", "%" or a backslash, holding "__",
// escapes or letters beyond ASCII, or too long.
[[gnu::noinline]] static void scanAnyName(char* buffer, int size, int report) {
    const char* p = scanPointer;
    if (*p == '"') {
        scanQuotedName(buffer, size, report);
        return;
    }
    int n = 0;
    buffer[0] = 0;
    char c = *p;
    if (!isLetterAt(p) && c != '_' && c != '%' && c != '\\') {
        if (report) reportNameExpected();
        errorCode = errorName;
        return;
    }
    if (p[0] == '_' && p[1] == '_') {
        n = storeNameChar(buffer, size, n, "_", 1, report);
        p += 2;
    } else if (c == '_' || c == '%') {
        n = storeNameChar(buffer, size, n, p, 1, report);
        p++;
    }
    while (n >= 0) {
        const char* character = p;
        auto u = static_cast<unsigned char>(*p);
        int length = 1;
        if (u < 0x80 && (isAsciiLetter(u) || isDigit(u) || u == '$')) {
            p++;
        } else if (u >= 0x80 && (length = wideLetterLength(p))) {
            p += length;
        } else if (p[0] == '_' && p[1] == '_') {
            character = "_";
            p += 2;
        } else if (*p == '\\') {
            char next = p[1];
            if (next == 0 || isLetterAt(p + 1) || next == '(' || next == '[' || next == ' ') break;
            character = p + 1;
            length = characterLength(character, systemCodePageIsUtf8);
            p += 1 + length;
        } else {
            break;
        }
        n = storeNameChar(buffer, size, n, character, length, report);
    }
    scanPointer = const_cast<char*>(p);
}

// Most names are ASCII letters, digits and "$": they are read here, with
// no call (so no registers to save) and the scan position kept local (the
// stores into the buffer would make the compiler write it back each time).
// Anything else is read again by scanAnyName.
void scanNameN(char* buffer, int size, int report) {
    const char* p = scanPointer;
    auto u = static_cast<unsigned char>(*p);
    if (u < 0x80 && isAsciiLetter(u)) {
        int n = 0;
        for (; n < size - 2; n++, p++) {
            u = static_cast<unsigned char>(*p);
            if (u >= 0x80 || !(isAsciiLetter(u) || isDigit(u) || u == '$')) break;
            buffer[n] = char(u);
        }
        if (n < size - 2 && u < 0x80 && u != '_' && u != '\\') {
            buffer[n] = 0;
            scanPointer = const_cast<char*>(p);
            return;
        }
    }
    scanAnyName(buffer, size, report);
}

void scanName(char* buffer, int report) { scanNameN(buffer, 32, report); }

void scanFileName(char* buffer, int size) {
    if (*scanPointer == '"') {
        scanQuotedName(buffer, size, 1);
        return;
    }
    int n = 0;
    buffer[0] = 0;
    for (;;) {
        unsigned char c = static_cast<unsigned char>(*scanPointer);
        if (c <= ' ' || c == ',' || c == ';' || c >= 0x80) break;
        if ((n = storeNameChar(buffer, size, n, scanPointer, 1, 1)) < 0) return;
        scanPointer++;
    }
    if (n == 0) {
        reportNameExpected();
        errorCode = errorName;
    }
}

}  // namespace kalix
