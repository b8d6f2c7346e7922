// Readers that turn a stored user function back into text: body lines,
// the usage line, annotation suffixes, and the command `type`.
#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/printing.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

namespace {

constexpr size_t lineTextSize = 32766;
constexpr size_t printedPieceLength = 60;
constexpr int headerParameterLimit = 5;

// A text built piece by piece in a fixed buffer; longer text is cut.
struct TextBuffer {
    char* text;
    size_t size;
    size_t length = 0;

    void append(const char* piece) {
        size_t n = std::strlen(piece);
        if (length + 1 >= size) return;
        if (n > size - 1 - length) n = size - 1 - length;
        std::memcpy(text + length, piece, n);
        length += n;
        text[length] = 0;
    }
    void clear() {
        length = 0;
        text[0] = 0;
    }
};

// Appends the token at p as text; returns the position after it.
const char* appendToken(const char* p, TextBuffer& out) {
    char piece[48];
    if (*p == numberToken) {
        double x;
        std::memcpy(&x, p + 1, 8);
        std::snprintf(piece, sizeof piece, "%g", x);
        out.append(piece);
        return p + tokenSize;
    }
    if (*p == commandToken) {
        int32_t index;
        std::memcpy(&index, p + 1, 4);
        out.append(index >= 0 && index < commandCount ? commandTable[index].name : "?");
        return p + tokenSize;
    }
    // A whole character, so that a listing cut into pieces never splits one.
    int length = characterLength(p, systemCodePageIsUtf8);
    std::memcpy(piece, p, size_t(length));
    piece[length] = 0;
    out.append(piece);
    return p + length;
}

bool isLineEnd(char c) { return c == 0 || c == endOfBody; }

}  // namespace

const char* detokenizeLine(const char* line) {
    static char text[lineTextSize];
    TextBuffer out{text, sizeof text};
    out.clear();
    for (const char* p = line; !isLineEnd(*p);) p = appendToken(p, out);
    return text;
}

const char* textAtPosition(const char* position) {
    bool stored = inArea(position, ramstart, functionsEnd);
    return stored ? detokenizeLine(position) : position;
}

char* printFunctionLine(char* line, int skipBlanks) {
    static char text[lineTextSize];
    TextBuffer out{text, sizeof text};
    out.clear();
    char* p = line;
    if (skipBlanks)
        while (*p == ' ' || *p == '\t') p++;
    while (!isLineEnd(*p)) {
        p = const_cast<char*>(appendToken(p, out));
        if (out.length > printedPieceLength && !isLineEnd(*p)) {
            out.append(" ...");
            printFormatted("%s\n", text);
            return p;
        }
    }
    printFormatted("%s\n", text);
    return *p == 0 ? p + 1 : p;
}

const char* getParameterTypeName(int32_t flags) {
    static char text[256];
    TextBuffer out{text, sizeof text};
    out.clear();
    int32_t remaining = flags & ~(parameterHasDefault | parameterGroupStart | parameterGroupEnd);
    for (int i = annotationWordCount - 1; i >= 0; i--) {
        int32_t bits = annotationWords[i].bits;
        if ((remaining & bits) != bits) continue;
        out.append(out.length == 0 ? ": " : " ");
        out.append(annotationWords[i].word);
        remaining &= ~bits;
    }
    return text;
}

namespace {

struct FlagWord {
    int32_t flag;
    const char* word;
};
const FlagWord headerWords[] = {
    {userFunctionHidden, "comment "},    {userFunctionMap, "map "},
    {userFunctionStrong, "strong "},     {userFunctionPrefix, "prefix "},
    {userFunctionOperator, "operator "}, {userFunctionPostfix, "postfix "},
    {userFunctionArgs, "args "},         {userFunctionMatlab, "matlab "},
    {userFunctionPython, "python "},
};

// The first help text: the third text line without its two leading
// characters, or null.
const char* firstHelpText(header* function) {
    char* p = functionTextLines(function);
    char* body = functionBody(function);
    for (int line = 0; line < 2 && p < body; line++) p += strnlen(p, size_t(body - p)) + 1;
    if (p >= body || strnlen(p, size_t(body - p)) <= 2) return nullptr;
    return p + 2;
}

void appendParameters(header* function, TextBuffer& out) {
    char* entry = functionParameters(function);
    int count = functionParameterCount(function);
    bool defaultSeen = false;
    for (int i = 0; i < count; i++) {
        Parameter p = readParameter(entry);
        entry = p.next;
        if (p.defaultRecord && !defaultSeen) {
            out.append(" {");
            defaultSeen = true;
        }
        if (i > 0) out.append(", ");
        if (i == headerParameterLimit) {
            out.append("...");
            break;
        }
        if (p.flags & parameterGroupStart) out.append("[");
        out.append(p.name);
        if (p.flags & parameterGroupEnd) out.append("]");
        out.append(getParameterTypeName(p.flags));
    }
    if (defaultSeen) out.append("}");
}

}  // namespace

const char* buildFunctionHeader(header* function, int withHelp) {
    static char text[4096];
    TextBuffer out{text, sizeof text};
    out.clear();
    for (const FlagWord& w : headerWords)
        if (function->flags & w.flag) out.append(w.word);
    out.append(function->name);
    out.append(" (");
    appendParameters(function, out);
    out.append(") ");
    if (withHelp) {
        const char* help = firstHelpText(function);
        out.append(help ? help : "Kalix function has no help line!");
    }
    return text;
}

void reportBuiltinArity(const char* name, int count) {
    const BuiltinRecord* row = findBuiltin(name, -1);
    if (!row)
        printFormatted("Function %s not found.\nTry list ... to find functions!\n", name);
    else if (row->nargs == 1)
        printFormatted("Built-in function %s needs 1 argument (got %d)!\n", name, count);
    else
        printFormatted("Built-in function %s needs %d arguments (got %d)!\n", name, row->nargs,
                       count);
}

// --- the command `type` ---------------------------------------------------------

namespace {

bool isBlockValue(int kind) {
    return isMatrixKind(kind) || kind == kindStringMatrix || kind == kindCompressedMatrix;
}

// Prints a default value from its (unaligned) place in the record.
void printDefault(const Parameter& p) {
    printFormatted("## Default for %s : ", p.name);
    char* top = newram;
    header* copy = pushRecordCopy(p.defaultRecord, p.defaultSize);
    if (!copy) return;
    if (isNoneMarker(copy)) {
        printText("none\n");
    } else {
        if (isBlockValue(copy->kind)) printText("\n");
        printValue(copy);
    }
    newram = top;
}

void describeFunction(header* function, bool afterBuiltin) {
    if (afterBuiltin) printFormatted("\n%s is also an Kalix function.\n\n", function->name);
    char head[64];
    std::snprintf(head, sizeof head,
                  (function->flags & userFunctionMap) ? "function map %s (" : "function %s (",
                  function->name);
    printText(head);
    int column = int(std::strlen(head));
    char* entry = functionParameters(function);
    int count = functionParameterCount(function);
    for (int i = 0; i < count; i++) {
        Parameter p = readParameter(entry);
        entry = p.next;
        if (i > 0) {
            printText(", ");
            column += 2;
        }
        const char* suffix = getParameterTypeName(p.flags);
        printFormatted("%s%s%s%s", (p.flags & parameterGroupStart) ? "[" : "", p.name, suffix,
                       (p.flags & parameterGroupEnd) ? "]" : "");
        column += int(characterCount(p.name, std::strlen(p.name), systemCodePageIsUtf8) +
                      std::strlen(suffix));
        if (column > lineLength - 15) {
            printText(" ..\n");
            column = 0;
        }
    }
    printText(")\n");
    bool anyDefault = false;
    entry = functionParameters(function);
    for (int i = 0; i < count && !errorCode; i++) {
        Parameter p = readParameter(entry);
        entry = p.next;
        if (!p.defaultRecord) continue;
        if (!anyDefault) printText("\n");
        anyDefault = true;
        printDefault(p);
    }
    if (anyDefault) printText("\n");
    char* end = endOf(function);
    for (char* line = functionBody(function); line < end && *line != endOfBody;)
        line = printFunctionLine(line, 0);
    printText("endfunction\n");
}

bool isPlainValue(int kind) {
    return kind == kindReal || kind == kindComplex || kind == kindString || kind == kindInterval;
}

void reportNoSuchName() { fail(errorNoSuchName, "No such function or variable!\n"); }

// "name = value" for each variable of a comma list. Returns false when the
// first name is no variable; a later name that is none is reported.
bool describeVariables(const char* first, bool printedBefore) {
    char name[32];
    std::snprintf(name, sizeof name, "%s", first);
    for (bool isFirst = true;; isFirst = false) {
        header* variable = findVariable(name);
        if (!variable) {
            if (isFirst) return false;
            reportNoSuchName();
            return true;
        }
        char* top = newram;
        header* value = resolveValue(variable);
        if (errorCode) return true;
        if (printedBefore) printText("\n");
        printFormatted("%s = ", name);
        if (!isPlainValue(value->kind)) printText("\n");
        printValue(value);
        newram = top;
        printedBefore = true;
        skipBlanks();
        if (*scanPointer != ',') return true;
        scanPointer++;
        skipBlanks();
        scanName(name);
        if (errorCode) return true;
    }
}

}  // namespace

void describeName(const char* name) {
    bool printed = false;
    if (const BuiltinRecord* row = findBuiltin(name, -1)) {
        if (row->nargs < 0)
            printFormatted("%s is a builtin function.\n", name);
        else
            printFormatted("%s is a builtin function with %d argument(s).\n", name, row->nargs);
        printed = true;
    }
    if (header* function = findFunction(name)) {
        describeFunction(function, printed);
        printed = true;
    }
    if (errorCode) return;
    if (describeVariables(name, printed) || errorCode || printed) return;
    reportNoSuchName();
}

void typeCommand() {
    skipBlanks();
    char name[32];
    scanName(name);
    if (errorCode) return;
    describeName(name);
}

}  // namespace kalix
