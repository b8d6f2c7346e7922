// The `function` command: a definition read once into a `UserFunction`
// record, its parameters with annotations and defaults, its help lines and
// its body stored as pre-tokenised lines.
#include "interpreter/functions.h"

#include <locale.h>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/settings.h"
#include "base/text.h"
#include "interpreter/assignment.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/engine_services.h"
#include "interpreter/evaluator.h"
#include "interpreter/function_index.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/maxima_services.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/program_files.h"
#include "interpreter/scanner.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

int definingMaximaFunction = 0;

const AnnotationWord annotationWords[annotationWordCount] = {
    {"real", 0x8},           {"complex", 0x10}, {"interval", 0x20},  {"string", 0x40},
    {"numerical", 0x80},     {"vector", 0x100}, {"column", 0x200},   {"scalar", 0x400},
    {"none", 0x8000},        {"cpx", 0x800},    {"integer", 0x1000}, {"positive", 0x2000},
    {"nonnegative", 0x4000}, {"index", 0x3400}, {"indices", 0x3100}, {"natural", 0x5400},
    {"number", 0x408},       {"call", 0x10000},
};

Parameter readParameter(char* entry) {
    Parameter p;
    std::memcpy(&p.flags, entry, 4);
    p.name = entry + 4;
    std::memcpy(&p.hash, entry + 36, 4);
    p.defaultRecord = nullptr;
    p.defaultSize = 0;
    p.next = entry + parameterEntryHeadSize;
    if (p.flags & parameterHasDefault) {
        p.defaultRecord = p.next;
        std::memcpy(&p.defaultSize, p.defaultRecord, 8);
        p.next += p.defaultSize;
    }
    return p;
}

char* functionTextLines(header* f) {
    char* entry = functionParameters(f);
    for (int i = functionParameterCount(f); i > 0; i--) entry = readParameter(entry).next;
    return entry;
}

namespace {

constexpr size_t definitionLineLimit = 32752;
constexpr size_t oneLineLimit = 981;
constexpr int oneLineTextLimit = 32766;
constexpr int bodyReserve = 80;  // the body reader stops this far before ramend

const char* const memoryMessage = "Memory overflow while defining a function!\n";
constexpr size_t quotedMaximaLimit = 255;
constexpr int symbolicTextLimit = 32768;

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}
int64_t roundUp8(int64_t n) { return (n + 7) & ~int64_t(7); }

// Everything one definition collects while it is read.
struct Definition {
    char name[32] = "";
    char resultName[32] = "";  // matlab form: the result variable
    int32_t flags = 0;
    bool overwrite = false, comment = false, python = false, tinyc = false;
    header* reference = nullptr;
    header* record = nullptr;  // at the stack top until it is stored
    char* out = nullptr;       // next byte of the record to write
    int32_t parameterCount = 0, minimumCount = 0, semicolon = 0;
    bool loading = false;  // a program file was being loaded
    bool oneLine = false;  // the body is the built one-line text
    char oneLineComment[oneLineLimit + 8] = "";
    bool hasOneLineComment = false;
};

// --- writing the record -------------------------------------------------------

// Appends bytes to the record; false with the memory message when the stack
// end would be passed.
bool put(Definition& d, const void* bytes, size_t n) {
    if (int64_t(n) > ramend - d.out - 8) {
        fail(errorFunctionMemory, "%s", memoryMessage);
        return false;
    }
    std::memcpy(d.out, bytes, n);
    d.out += n;
    return true;
}

bool putByte(Definition& d, char c) { return put(d, &c, 1); }
bool putText(Definition& d, const char* text) { return put(d, text, std::strlen(text) + 1); }

void writeInt32(char* at, int32_t value) { std::memcpy(at, &value, 4); }

// Pushes above the written part go after it.
void raiseStackTop(Definition& d) {
    newram =
        reinterpret_cast<char*>(d.record) + roundUp8(d.out - reinterpret_cast<char*>(d.record));
}

// --- reading lines ------------------------------------------------------------

// The next line of the definition; false at the end of a loaded file (the
// line then holds `endOfBody`) or on error.
bool nextDefinitionLine(Definition& d) {
    nextCodeLine();
    if (errorCode) return false;
    return !(d.loading && *scanPointer == endOfBody);
}

// The loaded file ended inside the definition; the marker line it left is
// not shown as the failing line.
void reportEndOfFile() {
    if (errorCode) return;
    if (*scanPointer == endOfBody) *scanPointer = 0;
    fail(errorFunctionEnd, "End of file reached in function definition!\n");
}

// A definition that cannot be stored in this build: its lines are consumed
// up to "endfunction" so that they do not run as statements.
void refuseDefinition(Definition& d, const char* message, bool hasLines) {
    if (hasLines) {
        char* end;
        while (!(end = std::strstr(scanPointer, "endfunction"))) {
            if (!nextDefinitionLine(d)) break;
        }
        if (end)
            scanPointer = end + 11;
        else
            scanPointer += std::strlen(scanPointer);
    } else {
        scanPointer += std::strlen(scanPointer);
    }
    errorCode = 0;
    fail(errorFailed, "%s", message);
}

// --- header ---------------------------------------------------------------------

struct Keyword {
    const char* word;
    int rank;  // accepted only after keywords of lower rank
    int32_t flag;
};
const Keyword keywords[] = {
    {"tinyc", 1, userFunctionHidden},
    {"python", 1, userFunctionPython},
    {"comment", 2, userFunctionHidden},
    {"overwrite", 3, 0},
    {"strong", 4, userFunctionStrong},
    {"operator", 5, userFunctionOperator},
    {"postfix", 6, userFunctionPostfix},
    {"prefix", 7, userFunctionPrefix},
    {"prefixline", 8, userFunctionPrefixLine},
    {"map", 9, userFunctionMap},
    {"args", 10, userFunctionArgs},
    {"allowassigned", 11, userFunctionAllowAssigned},
};

const Keyword* findKeyword(const char* word) {
    for (const Keyword& k : keywords)
        if (std::strcmp(k.word, word) == 0) return &k;
    return nullptr;
}

// Whether `keyword` may follow what was read so far.
bool keywordAccepted(const Definition& d, const Keyword* keyword, int lastRank) {
    if (!keyword || keyword->rank <= lastRank) return false;
    bool engine = d.python || d.tinyc;
    if (engine && keyword->rank < 9) return false;
    if (d.python && keyword->rank >= 9) return false;
    // The word is a keyword only when a name follows it.
    const char* p = scanPointer;
    while (*p == ' ' || *p == '\t') p++;
    if (keyword->flag == userFunctionPython && (*p == 0 || startsWith(p, ".."))) return true;
    return p != scanPointer && (isLetterAt(p) || *p == '_' || *p == '%' || *p == '"');
}

bool checkKeywordCombination(const Definition& d, const Keyword* k) {
    if (k->flag == userFunctionPostfix && (d.flags & userFunctionOperator)) {
        fail(errorFailed, "\"operator\" and \"postfix\" not possible.\n");
        return false;
    }
    bool prefix = k->flag == userFunctionPrefix || k->flag == userFunctionPrefixLine;
    if (prefix && (d.flags & (userFunctionOperator | userFunctionPostfix | userFunctionStrong))) {
        fail(errorFailed,
             "\"prefix\" cannot be used with \"operator\", \"prefix\", or \"strong\".\n");
        return false;
    }
    return true;
}

// Keywords, then the function name into d.name. False on error or when the
// command has ended (a Python block).
bool readKeywordsAndName(Definition& d) {
    int lastRank = 0;
    for (;;) {
        skipSpaces();
        scanName(d.name);
        if (errorCode) return false;
        const Keyword* keyword = findKeyword(d.name);
        if (!keywordAccepted(d, keyword, lastRank)) return true;
        if (!checkKeywordCombination(d, keyword)) return false;
        lastRank = keyword->rank;
        d.flags |= keyword->flag;
        if (keyword->rank == 1) (keyword->flag == userFunctionPython ? d.python : d.tinyc) = true;
        if (keyword->rank == 2) d.comment = true;
        if (keyword->rank == 3) d.overwrite = true;
        skipSpaces();
        if (d.python && (*scanPointer == 0 || startsWith(scanPointer, ".."))) {
            // A Python block, not a function.
            if (foreignEngines.runPythonBlock)
                foreignEngines.runPythonBlock();
            else
                refuseDefinition(d, "Python is not available.\n", true);
            return false;
        }
    }
}

// The checks of the name before anything is stored.
bool checkName(Definition& d) {
    size_t length = std::strlen(d.name);
    if (length > 0 && d.name[length - 1] == '$') {
        fail(errorFailed, "Cannot name a function %s\n", d.name);
        return false;
    }
    skipSpaces();
    if (matlabMode && *scanPointer == '=' && scanPointer[1] != '=') {
        std::memcpy(d.resultName, d.name, sizeof d.name);
        scanPointer++;
        skipSpaces();
        scanName(d.name);
        if (errorCode) return false;
        d.flags |= userFunctionMatlab;
        skipSpaces();
    }
    if (*scanPointer == '=' && scanPointer[1] != '=') {
        fail(errorDefinition, "Error \"=\" in definition of function %s\n", d.name);
        return false;
    }
    header* global = findGlobal(d.name);
    if (global && global->kind == kindString && (global->flags & flagSymbolic))
        removeGlobal(d.name);
    if (definingMaximaFunction) {
        char hidden[32];
        std::snprintf(hidden, sizeof hidden, "&%s", d.name);
        std::memcpy(d.name, hidden, sizeof hidden);
        d.flags |= userFunctionHidden;
    }
    if (d.overwrite || readIntSetting("allowoverwrite", 0)) return true;
    header* existing = findFunction(d.name);
    if (existing && (existing->flags & userFunctionProtected)) {
        fail(errorFailed, "\nTrying to overwrite protected function %s!\n", d.name);
        return false;
    }
    if (!d.comment && !definingMaximaFunction && findBuiltin(d.name, -1)) {
        fail(errorFailed, "\nTrying to overwriting builtin function %s!\n", d.name);
        return false;
    }
    return true;
}

// Removes the old function and starts the new record at the stack top.
bool startRecord(Definition& d) {
    removeFunction(d.name);
    d.reference = pushReference(nullptr, d.name);
    if (errorCode) return false;
    d.record = pushFunction(d.name);
    if (errorCode) return false;
    d.record->extra = 0;
    d.out = reinterpret_cast<char*>(d.record) + functionParametersOffset;
    if (d.out + 8 > ramend) {
        fail(errorFunctionMemory, "%s", memoryMessage);
        return false;
    }
    raiseStackTop(d);
    return true;
}

// --- parameter list -----------------------------------------------------------

struct ListState {
    bool groupOpen = false;
    bool defaultSeen = false;
    bool semicolonSeen = false;
};

int32_t findAnnotation(const char* word) {
    for (const AnnotationWord& a : annotationWords)
        if (std::strcmp(a.word, word) == 0) return a.bits;
    return 0;
}

// Annotation words after ":".
bool readAnnotations(int32_t* flags) {
    for (;;) {
        skipSpaces();
        if (!isLetterAt(scanPointer)) return true;
        char word[32];
        scanName(word);
        if (errorCode) return false;
        int32_t bits = findAnnotation(word);
        if (!bits) {
            fail(errorParameterType, "Illegal parameter type %s!\n", word);
            return false;
        }
        *flags |= bits;
    }
}

// A default value evaluated into the record after the entry head.
bool readDefault(Definition& d, const char* name, int32_t* flags) {
    skipSpaces();
    raiseStackTop(d);
    char* start = newram;
    evaluateToValues();
    if (errorCode) return false;
    if (newram <= start) {
        fail(errorParameterType, "Syntax error in parameter list!\n");
        return false;
    }
    header* value = recordAt(start);
    int64_t size = value->size;
    value->flags &= ~flagResult;
    if (isNoneMarker(value) && stringOf(value)[0] == markerNone) *flags |= annotationNone;
    char* place = d.out;
    if (size > ramend - place - 8) {
        fail(errorFunctionMemory, "%s", memoryMessage);
        return false;
    }
    std::memmove(place, start, size_t(size));
    char nameField[32] = {};
    std::memcpy(nameField, name, strnlen(name, 31));
    std::memcpy(place + 8, nameField, 32);
    writeInt32(place + 40, hashName(nameField));
    d.out = place + size;
    raiseStackTop(d);
    *flags |= parameterHasDefault;
    return true;
}

// What may follow the name of an entry: a default, "]", annotations.
bool readEntryAttributes(Definition& d, ListState& s, const char* name, int32_t* flags) {
    for (;;) {
        skipSpaces();
        char c = *scanPointer;
        if ((c == '=' && scanPointer[1] != '=') || (c == ':' && scanPointer[1] == '=')) {
            if (s.groupOpen) {
                fail(errorFailed, "Vector parameter cannot have default value!\n");
                return false;
            }
            scanPointer += c == '=' ? 1 : 2;
            if (!readDefault(d, name, flags)) return false;
        } else if (c == ']') {
            if (!s.groupOpen) {
                fail(errorFailed, "Closing ] found!\n");
                return false;
            }
            scanPointer++;
            s.groupOpen = false;
            *flags |= parameterGroupEnd;
        } else if (c == ':') {
            if (s.groupOpen) {
                fail(errorFailed, "Vector parameter is always scalar!\n");
                return false;
            }
            scanPointer++;
            if (!readAnnotations(flags)) return false;
        } else {
            return true;
        }
    }
}

// One entry: ["["] name attributes.
bool readEntry(Definition& d, ListState& s) {
    bool opens = *scanPointer == '[';
    if (opens) {
        if (s.groupOpen) {
            fail(errorParameterType, "Syntax error in parameter list!\n");
            return false;
        }
        scanPointer++;
        skipSpaces();
        s.groupOpen = true;
    }
    bool inGroup = s.groupOpen;
    char name[32];
    scanName(name);
    if (errorCode) return false;
    char* entry = d.out;
    char head[parameterEntryHeadSize] = {};
    std::memcpy(head + 4, name, strnlen(name, 31));
    writeInt32(head + 36, hashName(name));
    if (!put(d, head, sizeof head)) return false;
    raiseStackTop(d);
    int32_t flags = opens ? parameterGroupStart : 0;
    if (!readEntryAttributes(d, s, name, &flags)) return false;
    writeInt32(entry, flags);
    if (opens) {
        d.minimumCount++;
    } else if (!inGroup) {
        if (flags & parameterHasDefault)
            s.defaultSeen = true;
        else if (!s.defaultSeen)
            d.minimumCount++;
    }
    d.parameterCount++;
    return true;
}

// After "(": entries up to ")" or ", ...)".
bool readParameterList(Definition& d) {
    ListState s;
    bool entryExpected = true;
    for (;;) {
        skipSpaces();
        char c = *scanPointer;
        if ((c == 0 || (startsWith(scanPointer, "..") && scanPointer[2] != '.')) && entryExpected) {
            if (!nextDefinitionLine(d)) {
                reportEndOfFile();
                return false;
            }
            continue;
        }
        if (c == ')' || startsWith(scanPointer, "...")) {
            if (s.groupOpen) {
                fail(errorFailed, "Parameter vector not closed!\n");
                return false;
            }
            if (c == ')') {
                scanPointer++;
                return true;
            }
            scanPointer += 3;
            skipSpaces();
            if (*scanPointer != ')') break;
            scanPointer++;
            d.flags |= userFunctionExtraArguments;
            return true;
        }
        if (!entryExpected) break;
        if (!readEntry(d, s)) return false;
        skipSpaces();
        entryExpected = true;
        if (*scanPointer == ',') {
            scanPointer++;
        } else if (*scanPointer == ';') {
            if (!(d.flags & userFunctionMap)) {
                fail(errorFailed, "Semicolon parameters only in map functions!\n");
                return false;
            }
            if (s.semicolonSeen) {
                fail(errorFailed, "Only one semicolon in parameter list allowed!\n");
                return false;
            }
            s.semicolonSeen = true;
            d.semicolon = d.parameterCount;
            scanPointer++;
        } else {
            entryExpected = false;
        }
    }
    fail(errorParameterType, "Syntax error in parameter list!\n");
    return false;
}

// --- text lines ---------------------------------------------------------------

bool writeOriginLines(Definition& d) {
    char origin[1100];
    if (d.loading)
        std::snprintf(origin, sizeof origin, "## Function in file : %s", loadFileName);
    else
        std::snprintf(origin, sizeof origin, "## Entered from command line. %s",
                      d.python ? "Python function." : "");
    if (!putText(d, origin) || !putText(d, "## ")) return false;
    if (d.hasOneLineComment) {
        char line[sizeof d.oneLineComment + 4];
        std::snprintf(line, sizeof line, "##%s", d.oneLineComment);
        if (!putText(d, line)) return false;
    }
    return true;
}

bool isHelpLine(const char* line) {
    while (*line == ' ' || *line == '\t') line++;
    return startsWith(line, "##") || (matlabMode && startsWith(line, "% "));
}

// The "##" lines right after the header line.
bool copyHelpLines(Definition& d) {
    while (isHelpLine(scanPointer)) {
        if (!putText(d, scanPointer)) return false;
        if (!nextDefinitionLine(d)) {
            reportEndOfFile();
            return false;
        }
    }
    return true;
}

// --- one-line forms -----------------------------------------------------------

// The text after ":=" up to the line end, a "; ..." ending or the next line
// after a " .." continuation, as "useglobal; return ... endfunction".
char oneLineText[oneLineTextLimit + 64];

// Cuts the line at its comment mark; the comment goes to the record.
void cutOneLineComment(Definition& d, bool hashMarks) {
    char* p = scanPointer;
    for (; *p; p++) {
        bool mark = startsWith(p, "//") || (hashMarks && startsWith(p, "##")) ||
                    (matlabMode && startsWith(p, "% "));
        if (!mark) continue;
        std::snprintf(d.oneLineComment, sizeof d.oneLineComment, "%s", p + 2);
        d.hasOneLineComment = true;
        *p = 0;
        return;
    }
}

// Whether the rest after a ";" is blanks and exactly "...".
bool ellipsisEnds(const char* p) {
    while (*p == ' ' || *p == '\t') p++;
    return std::strcmp(p, "...") == 0;
}

// Copies a string literal ("..." or ''...'') at the scan position into the
// one-line text; false when none starts there. An unclosed one runs to the
// line end (the body reader reports it).
bool copyOneLineString(char* text, int* n) {
    const char* quote = *scanPointer == '"' ? "\"" : startsWith(scanPointer, "''") ? "''" : nullptr;
    if (!quote) return false;
    size_t q = std::strlen(quote);
    const char* end = std::strstr(scanPointer + q, quote);
    size_t length = end ? size_t(end - scanPointer) + q : std::strlen(scanPointer);
    for (size_t i = 0; i < length && *n < oneLineTextLimit; i++) text[(*n)++] = *scanPointer++;
    return true;
}

// Copies the body text of a ":=" form; false on error. A ".." continues
// the text with the next line as in multi-line bodies: what follows it on
// its line is a comment.
bool copyOneLineBody(Definition& d, char* text, int* length) {
    int n = 0, depth = 0;
    for (;;) {
        char c = *scanPointer;
        if (c == 0) break;
        if (c == ';' && depth == 0 && ellipsisEnds(scanPointer + 1)) break;
        if (startsWith(scanPointer, "..")) {
            functionEntryActive = 0;
            nextInputLine(1);
            functionEntryActive = 1;
            if (errorCode) return false;
            if (d.loading && *scanPointer == endOfBody) {
                reportEndOfFile();
                return false;
            }
            if (n > 0 && n < oneLineTextLimit && text[n - 1] != ' ') text[n++] = ' ';
            continue;
        }
        if (n >= oneLineTextLimit) {
            fail(errorWrongOperand, "One-line function too long.\n");
            return false;
        }
        if (copyOneLineString(text, &n)) continue;
        if (c == '(' || c == '[') depth++;
        if (c == ')' || c == ']') depth--;
        text[n++] = c;
        scanPointer++;
    }
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t')) n--;
    text[n] = 0;
    *length = n;
    return true;
}

// ":=": builds the one-line text and points the scan at it; the scan
// position to return to is stored in `*resume`.
bool prepareOneLine(Definition& d, char** resume) {
    skipSpaces();
    if (startsWith(scanPointer, "return ")) scanPointer += 7;
    if (std::strlen(scanPointer) >= oneLineLimit) {
        fail(errorFailed, "One line function too long!\n");
        return false;
    }
    cutOneLineComment(d, false);
    static char text[oneLineTextLimit + 1];
    int length = 0;
    if (!copyOneLineBody(d, text, &length)) return false;
    if (length == 0) {
        fail(errorWrongOperand, "Function body missing!\n");
        return false;
    }
    *resume = scanPointer;
    std::snprintf(oneLineText, sizeof oneLineText, "useglobal; return %s endfunction", text);
    scanPointer = oneLineText;
    d.oneLine = true;
    return true;
}

// --- symbolic forms -----------------------------------------------------------

// The definition head for Maxima: the name (without the "&" of
// `maximafunction`) and the parameter names, "f(x,y)".
std::string maximaHead(const Definition& d) {
    std::string head = d.name[0] == '&' ? d.name + 1 : d.name;
    head += "(";
    char* entry = reinterpret_cast<char*>(d.record) + functionParametersOffset;
    for (int k = 0; k < d.parameterCount; k++) {
        Parameter p = readParameter(entry);
        if (k) head += ",";
        head += p.name;
        entry = p.next;
    }
    return head + ")";
}

// Maxima forgets the old function, learns the new one and its operator form.
void defineInMaxima(const Definition& d, const std::string& head, const std::string& body,
                    int conversion) {
    std::string name = d.name[0] == '&' ? d.name + 1 : d.name;
    sendToMaxima(("kill(\"" + name + "\")$").c_str(), maximaReplyInternal, maximaAsTyped);
    if (errorCode) return;
    sendToMaxima((head + " := " + body + "$").c_str(), maximaReplyInternal, conversion);
    if (errorCode) return;
    bool strong = d.flags & userFunctionStrong;
    std::string form;
    if (d.flags & userFunctionOperator)
        form = strong ? "infix(\"%\",190,190)$" : "infix(\"%\",10,10)$";
    else if (d.flags & userFunctionPostfix)
        form = strong ? "postfix(\"%\",190)$" : "postfix(\"%\",10)$";
    else if (d.flags & userFunctionPrefix)
        form = "prefix(\"%\",10)$";
    if (form.empty()) return;
    form.replace(form.find('%'), 1, name);
    sendToMaxima(form.c_str(), maximaReplyInternal, maximaAsTyped);
}

// The numerical body of a symbolic one-line form.
void useOneLineBody(Definition& d, const std::string& expression) {
    std::snprintf(oneLineText, sizeof oneLineText, "useglobal; return %s endfunction",
                  expression.c_str());
    scanPointer = oneLineText;
    d.oneLine = true;
}

// "::=", "&=" and "&&=" after the parameter list. Returns false on error
// and for "&&=", which stores no numerical function.
bool readSymbolicForm(Definition& d, char** resume) {
    int form = scanPointer[0] == ':' ? 0 : scanPointer[1] == '&' ? 2 : 1;  // ::=, &=, &&=
    scanPointer += form == 1 ? 2 : 3;
    skipSpaces();
    if (startsWith(scanPointer, "return ")) scanPointer += 7;
    if (std::strlen(scanPointer) >= oneLineLimit) {
        fail(errorFailed, "One line function too long!\n");
        return false;
    }
    cutOneLineComment(d, true);
    char* rest = scanPointer;
    static char text[symbolicTextLimit];
    int length = readSymbolicText(text, symbolicTextLimit);
    if (errorCode) return false;
    if (length == 0) {
        if (form == 2)
            fail(errorWrongOperand, "Function body for &&= missing!\n%s\n", rest);
        else
            fail(errorWrongOperand, "Function body missing!\n");
        return false;
    }
    bool shown = *scanPointer != ';';
    std::string expression = text, head = maximaHead(d);
    *resume = scanPointer;
    if (form == 0) {
        sendToMaxima((head + " := " + expression + "$").c_str(), maximaReplyPrinted,
                     maximaSingleUnderscores);
        if (errorCode) return false;
        useOneLineBody(d, expression);
        return true;
    }
    if (form == 1) {
        std::string answer = askMaxima(text, 5, 0);
        if (errorCode) return false;
        if (shown && answer.size() < size_t(oneLineTextLimit))
            sendMaximaLine((answer + ";").c_str(), maximaAsTyped);
        if (errorCode) return false;
        defineInMaxima(d, head, answer, maximaMatrixAndVariables);
        if (errorCode) return false;
        d.flags |= userFunctionSymbolic;
        useOneLineBody(d, answer);
        return true;
    }
    std::string substituted = substituteMaximaVariables(text, 1);
    if (errorCode) return false;
    if (shown) sendMaximaLine(("'(" + substituted + ");").c_str(), maximaAsTyped);
    if (!errorCode) defineInMaxima(d, head, substituted, maximaAsTyped);
    scanPointer = *resume;
    *resume = nullptr;
    return false;
}

// --- body reader --------------------------------------------------------------

struct BodyReader {
    Definition& d;
    char* bodyStart;
    char* inputLineBegin;  // start of the input line being read
    bool blockComment = false;
    bool textEnded = false;  // the built one-line text has no further line
};

// The bytes that mark line ends, the body end and tokens in a stored body
// cannot come from typed text; a loaded file's lines never hold them (the
// reader drops control characters).
bool refuseMarkerBytes(const BodyReader& r, const char* line) {
    if (r.d.loading) return true;
    for (const char* p = line; *p; p++) {
        if (*p == endOfBody || *p == numberToken || *p == commandToken) {
            fail(errorFunctionEnd, "Illegal character (code %d) in function body!\n", *p);
            return false;
        }
    }
    return true;
}

bool nextBodyInputLine(BodyReader& r) {
    if (r.d.oneLine) {
        r.textEnded = true;
        return true;
    }
    nextCodeLine();
    r.inputLineBegin = scanPointer;
    return !errorCode && refuseMarkerBytes(r, scanPointer);
}

bool putToken(Definition& d, char kind, const void* payload, size_t n) {
    char token[tokenSize] = {};
    token[0] = kind;
    std::memcpy(token + 1, payload, n);
    return put(d, token, tokenSize);
}

bool putCommandToken(Definition& d, const CommandRecord* row) {
    int32_t index = commandIndex(row);
    return putToken(d, commandToken, &index, 4);
}

// Ends the body with its line end and the body-end byte.
bool finishBody(BodyReader& r) {
    Definition& d = r.d;
    if (d.flags & userFunctionMatlab) {
        const CommandRecord* row = lookupCommandName("return");
        if (row && !putCommandToken(d, row)) return false;
        if (!row && !put(d, "return", 6)) return false;
        char text[40];
        std::snprintf(text, sizeof text, " %s;", d.resultName);
        if (!put(d, text, std::strlen(text))) return false;
    }
    if (d.out != r.bodyStart && d.out[-1] != 0 && !putByte(d, 0)) return false;
    return putByte(d, endOfBody);
}

// A literal "..." or ''...'' copied with its quotes.
bool copyStringLiteral(BodyReader& r, const char* quote) {
    size_t q = std::strlen(quote);
    const char* end = std::strstr(scanPointer + q, quote);
    if (!end) {
        char message[32];
        std::snprintf(message, sizeof message, "%s missing.\n", quote);
        fail(errorFunctionEnd, "%s", message);
        return false;
    }
    size_t n = size_t(end - scanPointer) + q;
    if (!put(r.d, scanPointer, n)) return false;
    scanPointer += n;
    return true;
}

// The number grammar of the evaluator: digits with one ".", an exponent.
// Returns the length read, -1 for an "e" without exponent digits (the
// evaluator reports that when it reads the text).
int scanNumberText(const char* p, char* text, int size) {
    int n = 0, i = 0;
    bool point = false;
    auto add = [&](char c) {
        if (n < size - 1) text[n++] = c;
    };
    for (;; i++) {
        char c = p[i];
        int space;
        if (isDigit(c))
            add(c);
        else if (i > 0 && (space = hardSpaceLength(p + i)) && isDigit(p[i + space]))
            i += space - 1;
        else if (c == '.' && !point && !isLetterAt(p + i + 1)) {
            point = true;
            add(c);
        } else
            break;
    }
    if ((p[i] == 'e' || p[i] == 'E')) {
        int j = i + 1;
        if (p[j] == '+' || p[j] == '-') j++;
        if (!isDigit(p[j])) return -1;
        add('e');
        if (p[i + 1] == '-' || p[i + 1] == '+') add(p[i + 1]);
        for (; isDigit(p[j]); j++) add(p[j]);
        i = j;
    }
    text[n] = 0;
    return i;
}

// Digits that continue a name are copied as text.
bool copyDigits(BodyReader& r) {
    char* p = scanPointer + 1;
    while (isDigit(*p)) p++;
    if (!put(r.d, scanPointer, size_t(p - scanPointer))) return false;
    scanPointer = p;
    return true;
}

bool putNumber(BodyReader& r) {
    char text[128];
    int length = scanNumberText(scanPointer, text, sizeof text);
    if (length < 0) return copyDigits(r);
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    double value = strtod_l(text, nullptr, cLocale);
    if (!putToken(r.d, numberToken, &value, 8)) return false;
    scanPointer += length;
    return true;
}

bool atLineStart(const BodyReader& r) { return scanPointer == r.inputLineBegin; }

bool previousIsNameChar(const BodyReader& r) {
    return nameCharBefore(r.inputLineBegin, scanPointer);
}

// A command word (not of the assignable kind) as a token.
bool tryCommandWord(BodyReader& r, bool* done) {
    *done = false;
    if (!isLetterAt(scanPointer) || previousIsNameChar(r)) return true;
    int length = 0;
    const CommandRecord* row = findCommand(&length);
    if (!row || row->kind == commandAssignable) return true;
    *done = true;
    if (!putCommandToken(r.d, row)) return false;
    scanPointer += length;
    return true;
}

bool endLine(BodyReader& r) {
    if (!putByte(r.d, 0)) return false;
    return nextBodyInputLine(r);
}

// "@:" or "&:" and a symbolic expression: Maxima's answer in the body.
bool putMaximaAnswer(BodyReader& r) {
    scanPointer += 2;
    static char text[symbolicTextLimit];
    readSymbolicText(text, symbolicTextLimit);
    if (errorCode) return false;
    std::string answer = askMaxima(text, 5, 0);
    return !errorCode && put(r.d, answer.data(), answer.size());
}

// A quoted "@:..." or "&:...": Maxima's answer in quotes.
bool putQuotedMaximaAnswer(BodyReader& r) {
    const char* start = scanPointer + 3;
    const char* end = std::strchr(start, '"');
    if (!end || size_t(end - start) > quotedMaximaLimit) {
        fail(errorFunctionEnd, "\" missing.\n");
        return false;
    }
    std::string answer = askMaxima(std::string(start, end).c_str(), 5, 0);
    if (errorCode) return false;
    scanPointer = const_cast<char*>(end) + 1;
    answer = "\"" + answer + "\"";
    return put(r.d, answer.data(), answer.size());
}

// "@" and a variable: its value in Maxima syntax in the body.
bool putMaximaValue(BodyReader& r) {
    scanPointer++;
    char name[32];
    scanName(name);
    if (errorCode) return false;
    header* variable = findVariable(name);
    if (!variable) {
        printFormatted("Variable %s not found.\n", name);
        if (functionState != functionTopLevel) printText("Can only see global variables.\n");
        errorCode = errorFunctionEnd;
        return false;
    }
    std::string text = convertToMaxima(variable, nullptr, 0);
    if (errorCode) return false;
    if (int64_t(text.size()) > ramend - r.d.out - 8) {
        fail(errorFunctionEnd, "Wrong variable or memory overflow in @%s!\n", name);
        return false;
    }
    return put(r.d, text.data(), text.size());
}

// One step of the body reader at the scan position; sets *finished at
// "endfunction" (or at the end of the file in matlab mode).
bool readBodyStep(BodyReader& r, bool* finished) {
    Definition& d = r.d;
    char* p = scanPointer;
    if (!r.blockComment && startsWith(p, "endfunction")) {
        scanPointer += 11;
        *finished = true;
        return finishBody(r);
    }
    if (*p == endOfBody && d.loading && !d.oneLine) {
        if (d.flags & userFunctionMatlab) {
            *finished = true;
            return finishBody(r);
        }
        reportEndOfFile();
        return false;
    }
    if (r.blockComment) {
        if (startsWith(p, "*/")) {
            scanPointer += 2;
            r.blockComment = false;
        } else if (*p == 0) {
            if (!nextBodyInputLine(r)) return false;
        } else {
            scanPointer++;
        }
        return true;
    }
    if (*p == 0) {
        if (d.oneLine) {
            *finished = true;
            return finishBody(r);
        }
        return endLine(r);
    }
    if (startsWith(p, "## ") && !d.oneLine) {
        if (!put(d, p, std::strlen(p))) return false;
        scanPointer += std::strlen(p);
        return endLine(r);
    }
    if (*p == '"' && !startsWith(p + 1, "@:") && !startsWith(p + 1, "&:"))
        return copyStringLiteral(r, "\"");
    if (p[0] == '\'' && p[1] == '\'') return copyStringLiteral(r, "''");
    if (isDigit(*p) || (*p == '.' && isDigit(p[1]))) {
        if (previousIsNameChar(r)) return copyDigits(r);
        return putNumber(r);
    }
    if (startsWith(p, "/*")) {
        scanPointer += 2;
        r.blockComment = true;
        return true;
    }
    bool done;
    if (!tryCommandWord(r, &done) || done) return !errorCode;
    if (startsWith(p, "..")) {
        if (!put(d, "..", 2)) return false;
        scanPointer += 2;
        return endLine(r);
    }
    if (startsWith(p, "//") || (matlabMode && startsWith(p, "% "))) {
        if (!atLineStart(r) && !putByte(d, 0)) return false;
        return nextBodyInputLine(r);
    }
    if (*p == '$' && atLineStart(r)) {
        scanPointer++;
        return true;
    }
    if (startsWith(p, "@:") || startsWith(p, "&:")) return putMaximaAnswer(r);
    if (startsWith(p, "\"@:") || startsWith(p, "\"&:")) return putQuotedMaximaAnswer(r);
    if (p[0] == '@' && isLetterAt(p + 1)) return putMaximaValue(r);
    // Whole characters: the next step must not start inside a letter.
    int length = characterLength(p, systemCodePageIsUtf8);
    scanPointer += length;
    return put(d, p, size_t(length));
}

bool readBody(Definition& d) {
    BodyReader r{d, d.out, scanPointer};
    if (!refuseMarkerBytes(r, scanPointer)) return false;
    for (;;) {
        if (ramend - d.out < bodyReserve) {
            fail(errorFunctionMemory, "%s", memoryMessage);
            return false;
        }
        // A comment or a continuation ran to the end of the one-line text.
        if (r.textEnded) return finishBody(r);
        bool finished = false;
        if (!readBodyStep(r, &finished)) return false;
        if (finished) return true;
    }
}

// Places the body offset and an empty body (tinyc and Python functions
// keep it).
bool startBody(Definition& d) {
    int64_t offset = d.out - reinterpret_cast<char*>(d.record);
    std::memcpy(dataOf(d.record), &offset, 8);
    return true;
}

// --- finishing ---------------------------------------------------------------

bool checkOperatorArity(const Definition& d) {
    const char* message = nullptr;
    if ((d.flags & userFunctionOperator) && d.parameterCount != 2)
        message = "Infix function %s must take two parameters.\n";
    if ((d.flags & userFunctionPostfix) && d.parameterCount != 1)
        message = "Postfix function %s must take one parameter.\n";
    if ((d.flags & (userFunctionPrefix | userFunctionPrefixLine)) && d.parameterCount != 1)
        message = "Prefix function %s must take one parameter.\n";
    if (!message) return true;
    fail(errorFailed, message, d.name);
    return false;
}

// Sizes, counts and flags of the finished record; the stack top after it.
void finishRecord(Definition& d) {
    header* f = d.record;
    f->size = roundUp8(d.out - reinterpret_cast<char*>(f));
    std::memset(d.out, 0, size_t(reinterpret_cast<char*>(f) + f->size - d.out));
    writeInt32(dataOf(f) + 8, d.parameterCount);
    writeInt32(dataOf(f) + 12, d.minimumCount);
    writeInt32(dataOf(f) + 16, d.semicolon);
    int32_t flags = d.flags;
    if (relaxMode || readIntSetting("alwaysrelax", 0)) flags |= userFunctionRelaxed;
    f->flags = flags;
    newram = endOf(f);
}

void storeRecord(Definition& d) {
    finishRecord(d);
    assignVariable(d.reference, d.record);
}

// A Python or C function: the record keeps an empty body, the engine reads
// the lines up to "endfunction", and the record is stored when it succeeded.
bool defineForeignFunction(Definition& d, bool multiLine) {
    bool available = d.python ? foreignEngines.definePythonFunction != nullptr
                              : foreignEngines.defineTinycFunction != nullptr;
    if (!available) {
        refuseDefinition(d, d.python ? "Python is not available.\n" : "Tiny C is not available.\n",
                         true);
        return false;
    }
    if (!multiLine) {
        fail(errorFailed, "Error in definition of %s.\n", d.name);
        return false;
    }
    if (!writeOriginLines(d) || !copyHelpLines(d) || !startBody(d) || !putByte(d, 0) ||
        !putByte(d, endOfBody))
        return false;
    finishRecord(d);
    if (d.python)
        foreignEngines.definePythonFunction(d.name, d.record);
    else
        foreignEngines.defineTinycFunction(d.name, d.parameterCount);
    if (errorCode) return false;
    assignVariable(d.reference, d.record);
    return !errorCode;
}

// The form after the parameter list. Returns false on error; *resume is
// the scan position to return to after a one-line body.
bool readForm(Definition& d, char** resume, bool* multiLine) {
    skipSpaces();
    char* p = scanPointer;
    *multiLine = false;
    if (*p == 0 || startsWith(p, "//")) {
        *multiLine = true;
        if (nextDefinitionLine(d)) return true;
        reportEndOfFile();
        return false;
    }
    if (startsWith(p, "::=") || startsWith(p, "&&=") || startsWith(p, "&=")) {
        return readSymbolicForm(d, resume);
    }
    if (startsWith(p, ":=")) {
        scanPointer += 2;
        return prepareOneLine(d, resume);
    }
    if (*p == '=') {
        fail(errorFailed, "Use :=, ::=, or &= in one-line function!\n");
        return false;
    }
    return true;
}

// Without "(": only the line end or a one-line form may follow the name.
bool checkNoParameters(const Definition& d) {
    const char* p = scanPointer;
    while (*p == ' ' || *p == '\t') p++;
    if (*p == 0 || startsWith(p, "//") || startsWith(p, ":=") || startsWith(p, "&=") ||
        p != scanPointer)
        return true;
    fail(errorFailed, "Error in definition of %s.\n", d.name);
    return false;
}

bool readDefinition(Definition& d) {
    if (!readKeywordsAndName(d) || !checkName(d) || !startRecord(d)) return false;
    skipSpaces();
    if (*scanPointer == '(') {
        scanPointer++;
        if (!readParameterList(d)) return false;
    } else if (!checkNoParameters(d)) {
        return false;
    }
    char* resume = nullptr;
    bool multiLine = false;
    if (!readForm(d, &resume, &multiLine)) return false;
    if (d.python || d.tinyc) {
        if (resume) scanPointer = resume;
        return defineForeignFunction(d, multiLine);
    }
    bool read =
        writeOriginLines(d) && (!multiLine || copyHelpLines(d)) && startBody(d) && readBody(d);
    // Back on the input line also after an error, so that its position is
    // shown there and not in the built one-line text.
    if (resume) scanPointer = resume;
    if (!read) return false;
    if (!checkOperatorArity(d)) return false;
    storeRecord(d);
    return !errorCode;
}

}  // namespace

void defineFunction() {
    functionEntryActive = 1;
    if (functionState == functionRunning) {
        fail(errorDefinition, "Cannot define a function in a function!\n");
        functionEntryActive = 0;
        return;
    }
    if (std::strlen(scanPointer) > definitionLineLimit) {
        fail(errorDefinition, "Line too long!\n");
        functionEntryActive = 0;
        return;
    }
    static Definition d;
    d = Definition();
    d.loading = loadFile != nullptr;
    bool stored = readDefinition(d);
    functionEntryActive = 0;
    if (!stored && errorCode != errorWrongOperand) endFunctionEntry();
}

namespace {

void maximafunctionCommand() {
    definingMaximaFunction = 1;
    defineFunction();
    definingMaximaFunction = 0;
}

const CommandRecord rows[] = {
    {"function", commandTopLevel, 0, defineFunction},
    {"maximafunction", commandTopLevel, 0, maximafunctionCommand},
};

}  // namespace

KALIX_COMMAND_FAMILY(functionCommands, rows);

}  // namespace kalix
