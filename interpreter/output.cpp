// Output channels: every text the interpreter prints goes nowhere (output
// suppressed), into a caller's capture buffer, or into the notebook through
// the host and, in addition, into the dump file.
#include "interpreter/output.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>

#include "base/text.h"
#include "interpreter/error_codes.h"
#include "interpreter/main_loop.h"
#include "interpreter/notebook_services.h"
#include "interpreter/scanner.h"
#include "interpreter/stack.h"
#include "platform/host.h"

namespace kalix {

int outputOn = 1;
int outputSuppressed = 0;
char* captureDestination = nullptr;
char* captureLimit = nullptr;
int captureOverflow = 0;
FILE* dumpFile = nullptr;
int errorShown = 0;
char paddedLine[paddedLineSize];

constexpr int formatBufferSize = 32768;

// While output is off, the texts of the current statement are held back
// (the most recent ones that fit), so that a failing statement still shows
// its message: a message is printed before its error code is set.
constexpr size_t heldTextSize = 4096;
static char heldText[heldTextSize];
static size_t heldLength = 0;

static void hold(const char* text) {
    size_t n = std::strlen(text);
    if (n >= heldTextSize) {
        text += n - (heldTextSize - 1);
        n = heldTextSize - 1;
        heldLength = 0;
    } else if (heldLength + n >= heldTextSize) {
        heldLength = 0;
    }
    std::memcpy(heldText + heldLength, text, n + 1);
    heldLength += n;
}

// Once an error is set, what was held back comes first.
static void showHeldText() {
    if (!heldLength) return;
    heldLength = 0;
    printToTextWindow(heldText);
}

void beginStatementOutput() {
    errorShown = 0;
    heldLength = 0;
}

// A text is captured whole or not at all; after the first refusal every
// later text is dropped.
static void capture(const char* text) {
    if (captureOverflow) return;
    size_t n = std::strlen(text);
    if (captureLimit - captureDestination <= static_cast<ptrdiff_t>(n)) {
        captureOverflow = 1;
        return;
    }
    std::memcpy(captureDestination, text, n + 1);
    captureDestination += n;
}

// Flushed at once, so that a failing write (a full disk) is noticed with
// the text that failed, not when the file is closed.
static void writeDump(const char* text) {
    if (!dumpFile) return;
    std::fputs(text, dumpFile);
    std::fflush(dumpFile);
    if (!std::ferror(dumpFile)) return;
    std::fclose(dumpFile);
    dumpFile = nullptr;
    errorCode = errorDumpFile;
    printToTextWindow("Error on dump file.\n");
}

// The notebook (while output is on or an error is set) and the dump file.
static void deliver(const char* text) {
    if (outputOn) {
        printToTextWindow(text);
    } else if (errorCode) {
        showHeldText();
        printToTextWindow(text);
    } else {
        hold(text);
    }
    writeDump(text);
}

static void emit(const char* text) {
    if (captureDestination)
        capture(text);
    else
        deliver(text);
}

void printText(const char* text) {
    if (outputSuppressed) return;
    if (captureDestination) {
        capture(text);
        return;
    }
    showTextWindow();
    deliver(text);
}

static void printFormattedList(const char* format, va_list arguments, const char* ending) {
    if (outputSuppressed) return;
    showTextWindow();
    char text[formatBufferSize];
    int n = std::vsnprintf(text, sizeof text - 1, format, arguments);
    n = std::clamp(n, 0, int(sizeof text) - 2);
    std::strcpy(text + n, ending);
    emit(text);
}

void printFormatted(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    printFormattedList(format, arguments, "");
    va_end(arguments);
}

void printFormattedMessage(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    printFormattedList(format, arguments, "");
    va_end(arguments);
}

void fail(int code, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    printFormattedList(format, arguments, "");
    va_end(arguments);
    errorCode = code;
}

void printLine(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    printFormattedList(format, arguments, "\n");
    va_end(arguments);
}

int printPadded(int width, const char* format, ...) {
    if (width == 0) paddedLine[0] = 0;
    showTextWindow();
    size_t used = std::strlen(paddedLine);
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(paddedLine + used, paddedLineSize - used, format, arguments);
    va_end(arguments);
    int length = int(std::strlen(paddedLine));
    if (width <= 0) return length;
    width = std::min(width, paddedLineSize - 1);
    if (length < width) {
        int shift = width - length;
        std::memmove(paddedLine + shift, paddedLine, length + 1);
        std::memset(paddedLine, ' ', shift);
        length = width;
    }
    if (!outputSuppressed) emit(paddedLine);
    return length;
}

void showErrorPosition(const char* position) {
    if (errorShown) return;
    if (!outputSuppressed) showHeldText();
    if (position >= inputLine && position < inputLine + inputLineSize &&
        position <= inputLine + std::strlen(inputLine)) {
        // Counted in characters: the piece shown is cut between characters
        // and the caret stands under the character at `position`.
        bool utf8 = systemCodePageIsUtf8;
        int width = std::clamp(lineLength - 8, 0, 4000);
        int back = 0;
        const char* from = position;
        for (; back < width * 4 / 5 && from > inputLine; back++)
            from = inputLine + previousCharacter(inputLine, size_t(from - inputLine), utf8);
        size_t available = std::strlen(from);
        std::string text(from, characterOffset(from, size_t(width), utf8));
        printFormattedMessage("Error in:\n");
        if (from != inputLine) {
            printFormattedMessage("... ");
            back += 4;
        }
        printFormattedMessage("%s", text.c_str());
        if (available > text.size()) printFormattedMessage(" ...");
        printFormattedMessage("\n");
        printText((std::string(size_t(back), ' ') + "^\n").c_str());
        reportAutomaticModeError(inputLine);
    } else if (functionState != functionTopLevel && errorCode != errorRaised) {
        reportAutomaticModeError(lineStart);
    } else {
        printFormattedMessage("\nError generated by error() command\n\n");
    }
    errorShown = 1;
}

void reportNeed(const char* what, const char* builtinName) {
    fail(errorWrongArgument, "Need %s for %s\n", what, builtinName);
}

void reportOutOfMemory() { fail(errorOutOfMemory, "Out of Memory!\n"); }

}  // namespace kalix
