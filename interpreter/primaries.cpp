// Primary expressions: the tightest level of the evaluator.
#include "interpreter/primaries.h"

#include <locale.h>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "interpreter/arithmetic.h"
#include "interpreter/assignment.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/concatenation.h"
#include "interpreter/element_functions.h"
#include "interpreter/engine_services.h"
#include "interpreter/evaluator.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/interval_operators.h"
#include "interpreter/machine_stack.h"
#include "interpreter/main_loop.h"
#include "interpreter/matrix_literals.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/tracing.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

int semicolonPosition = 0;

namespace {

constexpr int maxPositionalArguments = 50;
constexpr int numberTextLimit = 32764;    // digits and point
constexpr int exponentTextLimit = 32766;  // with the exponent
constexpr int symbolicTextSize = 32768;
bool isNameStart(const char* p) { return isLetterAt(p) || *p == '_' || *p == '%'; }

// Only the first value an operand left stays on the stack.
void keepFirstValue(char* entry) {
    if (!errorCode && newram > entry) newram = endOf(recordAt(entry));
}

// Parameter count of a user-function record.
int parameterCount(header* function) {
    int32_t count;
    std::memcpy(&count, dataOf(function) + 8, 4);
    return count;
}

// --- numbers -----------------------------------------------------------------

// Pushes the value, imaginary when an "i" that starts no name follows.
void pushNumber(double value) {
    if (*scanPointer == 'i' && !isLetterAt(scanPointer + 1)) {
        scanPointer++;
        pushComplex(0, value);
    } else {
        pushReal(value);
    }
}

// The scan stops where the number went wrong.
void reportNumber(const char* text, int length, char* position) {
    scanPointer = position;
    fail(errorFailed, "Error in number %.*s\n", length, text);
}

void readNumber() {
    static char text[exponentTextLimit + 2];
    int length = 0;
    bool point = false;
    char* p = scanPointer;
    for (;; p++) {
        if (isDigit(*p)) {
            if (length >= numberTextLimit) return reportNumber(text, length, p);
            text[length++] = *p;
        } else if (int space = hardSpaceLength(p)) {
            p += space - 1;
        } else if (*p == '.') {
            char next = p[1];
            if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z')) break;
            if (point) return reportNumber(text, length, p);
            if (length >= numberTextLimit) return reportNumber(text, length, p);
            point = true;
            text[length++] = '.';
        } else {
            break;
        }
    }
    if (*p == 'e' || *p == 'E') {
        text[length++] = 'e';
        p++;
        if (*p == '+' || *p == '-') text[length++] = *p++;
        if (!isDigit(*p)) {
            scanPointer = p;
            fail(errorFailed, "Invalid exponential format 'e'.\n");
            return;
        }
        while (isDigit(*p)) {
            if (length >= exponentTextLimit) return reportNumber(text, length, p);
            text[length++] = *p++;
        }
    }
    scanPointer = p;
    text[length] = 0;
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    double value = strtod_l(text, nullptr, cLocale);
    pushNumber(value);
}

// Byte 2 of a stored body and its double.
void readNumberToken() {
    double value;
    std::memcpy(&value, scanPointer + 1, 8);
    scanPointer += tokenSize;
    pushNumber(value);
}

void reportCommandToken() {
    int32_t index;
    std::memcpy(&index, scanPointer + 1, 4);
    const char* name = index >= 0 && index < commandCount ? commandTable[index].name : "?";
    fail(errorCommandAsVariable, "Command name \"%s\" used as variable!\n", name);
}

// --- strings ----------------------------------------------------------------

void readString() {
    char* start = scanPointer + 1;
    char* end = std::strchr(start, '"');
    if (!end) {
        fail(errorFailed, "\" missing\n");
        return;
    }
    pushString(start, end - start);
    scanPointer = end + 1;
}

void readSingleQuotedString() {
    char* start = scanPointer + 2;
    char* end = std::strstr(start, "''");
    if (!end) {
        fail(errorFailed, "'' missing\n");
        return;
    }
    pushString(start, end - start);
    scanPointer = end + 2;
}

void readUtfString() {
    char* entry = newram;
    scanPointer++;
    readString();
    if (!errorCode) callRequiredBuiltin("utf", 1, recordAt(entry));
}

// "@" expression: a string with its flags cleared.
void readStringExpression() {
    scanPointer++;
    header* value = evaluateToValues();
    if (errorCode) return;
    if (value->kind != kindString) {
        fail(errorArguments, "@ not followed by a string!\n");
        return;
    }
    value->flags = 0;
}

// ~a~ and ~a,b~.
void readIntervalLiteral() {
    char* entry = newram;
    scanPointer++;
    evaluateToValues();
    if (errorCode) return;
    keepFirstValue(entry);
    skipBlanks();
    if (*scanPointer == '~') {
        scanPointer++;
        makeInterval(recordAt(entry));
        return;
    }
    if (*scanPointer != ',') {
        fail(errorFailed, "\",\" expected!\n");
        return;
    }
    scanPointer++;
    char* second = newram;
    evaluateToValues();
    if (errorCode) return;
    keepFirstValue(second);
    skipBlanks();
    if (*scanPointer != '~') {
        fail(errorFailed, "\"~\" expected!\n");
        return;
    }
    scanPointer++;
    makeIntervalFromBounds(recordAt(entry));
}

void readParenthesised() {
    char* entry = newram;
    scanPointer++;
    evaluateExpression();
    if (errorCode) return;
    skipBlanks();
    if (*scanPointer != ')') {
        fail(errorClosingBracket, "Closing bracket ) missing!\n");
        return;
    }
    scanPointer++;
    keepFirstValue(entry);
}

// "@:" and "&:": Maxima's answer evaluated as an expression.
void evaluateSymbolicNumerically() {
    char* entry = newram;
    scanPointer += 2;
    pushSymbolicText();
    if (errorCode) return;
    callRequiredBuiltin("mxm", 1, recordAt(entry));
    if (errorCode) return;
    char* answerEnd = newram;
    evaluateString(recordAt(entry), recordAt(answerEnd), 0, 0);
    if (!errorCode) moveResult(recordAt(entry), recordAt(answerEnd));
}

// --- names -------------------------------------------------------------------

// Reads "name{i}" or "name{i, j}" after the "{".
void readBraceIndex(const char* name) {
    char* first = newram;
    scanPointer++;
    evaluateExpression();
    keepFirstValue(first);
    char* second = nullptr;
    skipBlanks();
    if (!errorCode && *scanPointer == ',') {
        scanPointer++;
        second = newram;
        evaluateExpression();
        keepFirstValue(second);
        skipBlanks();
    }
    if (errorCode) return;
    if (*scanPointer != '}') {
        fail(errorBraceMissing, "} missing!\n");
        return;
    }
    scanPointer++;
    if (second)
        indexBraces(name, recordAt(first), recordAt(second));
    else
        indexBraces(name, recordAt(first));
}

// A prefix operator: the function applied to the rest of the expression
// (or, with "prefixline", to the rest of the line as a string).
void callPrefixFunction(header* function) {
    char* entry = newram;
    if (function->flags & userFunctionPrefixLine) {
        size_t length = std::strlen(scanPointer);
        pushString(scanPointer, length);
        scanPointer += length;
    } else {
        evaluateExpression();
        keepFirstValue(entry);
    }
    if (!errorCode) callUserFunction(function, recordAt(entry), 1, 1);
}

// The argument list of a call or an indexing.
struct Arguments {
    char bracket = 0;  // '(' or '[' or 0 without a list
    header* first = nullptr;
    int positional = 0;
    int values = 0;
    int semicolon = 0;
};

// A collection whose first element names a function: its further elements
// follow the arguments, the unnamed ones right after the name counting as
// positional. Returns the function-name element.
header* spreadCollectionCall(header* collection, Arguments& arguments) {
    char* element = dataOf(collection);
    char* end = endOf(collection);
    header* nameElement = recordAt(element);
    bool unnamedRun = true;
    int extra = 0;
    for (char* p = element + nameElement->size; p < end; p += recordAt(p)->size) {
        header* item = recordAt(p);
        char* copy = pushHeader(item->kind, item->size, item->name);
        if (!copy) return nullptr;
        std::memcpy(copy, dataOf(item), item->size - headerSize);
        recordAt(copy - headerSize)->flags = item->flags;
        if (item->name[0] != 0) unnamedRun = false;
        if (unnamedRun) extra++;
    }
    arguments.positional += extra;
    arguments.values = arguments.positional;
    arguments.semicolon = 0;
    return nameElement;
}

// Calls a name with "(" that is no user function: builtin, DLL function,
// else indexing of the target (when there is one).
void callOrIndex(const char* name, header* target, const Arguments& arguments, int origin) {
    semicolonPosition = arguments.semicolon;
    if (callBuiltin(name, arguments.values, arguments.first)) return;
    if (callDllFunction(name, arguments.positional, arguments.first)) return;
    if (target) {
        indexParentheses(arguments.positional, target, arguments.first, 1, arguments.semicolon,
                         origin);
        return;
    }
    errorCode = errorNotVariable;
    reportBuiltinArity(name, arguments.values);
}

// "_name(...)": builtins and DLL functions only.
void callUnderscoreName(const char* name, const Arguments& arguments) {
    const char* builtinName = name + 1;
    if (arguments.bracket == '(') {
        semicolonPosition = arguments.semicolon;
        if (callBuiltin(builtinName, arguments.values, arguments.first)) return;
        if (callDllFunction(builtinName, arguments.positional, arguments.first)) return;
    }
    reportBuiltinArity(builtinName, arguments.values);
    errorCode = errorFailed;
}

// The name's variable for "[", or the callee for "(". Returns false when
// the primary has ended (a collection element, a Python call).
bool callWithBrackets(const char* name, Arguments& arguments) {
    header* target = nullptr;
    header* function = nullptr;
    bool mapCall = false;
    int origin = 0;
    header* variable = nullptr;
    if (arguments.bracket == '(' && hasPrefix(name, "py$")) {
        callPythonFunction(name + 3, arguments.positional, arguments.first);
        return true;
    }
    variable = findVariable(name);
    if (variable) {
        origin = (variable->flags & flagZeroBased) ? 1 : 0;
        // Only the kind is looked at here: a value made by the resolution
        // must not stand behind the arguments of the call.
        char* top = newram;
        header* value = resolveValue(variable);
        if (errorCode) return false;
        newram = top;
        if (arguments.bracket == '[') {
            if (value->kind == kindCollection && arguments.values == 1) {
                getCollectionItem(value, arguments.first);
                return false;
            }
            target = variable;
        } else if (value->kind == kindString && !isNoneMarker(value)) {
            target = variable;
        } else if (value->kind == kindCollection && value->size > headerSize &&
                   recordAt(dataOf(value))->kind == kindString) {
            target = spreadCollectionCall(value, arguments);
            if (errorCode) return false;
        }
    }
    if (arguments.bracket == '(' && !target) {
        function = findFunction(name);
        if (function && (function->flags & userFunctionMap)) {
            mapCall = true;
        } else if (!function) {
            function = findMapFunction(name);
            mapCall = function != nullptr;
        }
        if (!function) target = variable;
    }
    if (function) {
        if (mapCall)
            callMapFunction(arguments.first, function->name, arguments.semicolon);
        else
            callUserFunction(function, arguments.first, arguments.positional, arguments.semicolon);
    } else if (arguments.bracket == '(') {
        callOrIndex(name, target, arguments, origin);
    } else if (target) {
        indexParentheses(arguments.positional, target, arguments.first, 2, arguments.semicolon,
                         origin);
    } else {
        fail(errorNotVariable, "%s is not a variable!\n", name);
    }
    return true;
}

// A name with what follows it. Returns whether postfix operators apply.
bool evaluateName() {
    char name[32];
    scanName(name);
    if (errorCode) return false;
    bool blankAfter = *scanPointer == ' ' || *scanPointer == '\t';
    skipBlanks();
    if (*scanPointer == '{') {
        readBraceIndex(name);
        return true;
    }
    if (blankAfter) {
        header* function = findFunction(name);
        if (isPrefixFunction(function)) {
            callPrefixFunction(function);
            return false;
        }
    }
    Arguments arguments;
    arguments.first = recordAt(newram);
    if (*scanPointer == '(' || *scanPointer == '[') {
        arguments.bracket = *scanPointer++;
        arguments.positional = evaluateCall(
            &arguments.semicolon, arguments.bracket == '(' ? ')' : ']', &arguments.values);
        if (errorCode) return false;
    }
    if (name[0] == '_') {
        callUnderscoreName(name, arguments);
        return true;
    }
    if (arguments.bracket) return callWithBrackets(name, arguments);
    pushReference(findVariable(name), name);
    return true;
}

// --- postfix operators ----------------------------------------------------------

// Indexing of a value that is no variable: always copies.
void indexValue(char* entry) {
    char bracket = *scanPointer++;
    Arguments arguments;
    arguments.first = recordAt(newram);
    arguments.positional =
        evaluateCall(&arguments.semicolon, bracket == '(' ? ')' : ']', &arguments.values);
    if (errorCode) return;
    int savedCopyMode = indexCopyMode;
    indexCopyMode = 1;
    indexParentheses(arguments.positional, recordAt(entry), arguments.first, bracket == '(' ? 1 : 2,
                     arguments.semicolon, 0);
    indexCopyMode = savedCopyMode;
    if (errorCode) return;
    header* result = resolveValue(arguments.first);
    if (!errorCode) moveResult(recordAt(entry), result);
}

int applyPostfixOperators(char* entry, int flag) {
    while (!errorCode) {
        char c = *scanPointer;
        if (c == '\'') {
            scanPointer++;
            transposeValue(recordAt(entry));
        } else if (int sign = degreeSignLength(scanPointer)) {
            scanPointer += sign;
            degree(recordAt(entry));
        } else if (c == '%') {
            scanPointer++;
            percent(recordAt(entry));
        } else if (c == '(' || c == '[') {
            indexValue(entry);
        } else {
            if (c == ' ' || c == '\t') flag = 0;
            skipBlanks();
            if (*scanPointer == '!' && scanPointer[1] != '=') {
                scanPointer++;
                fac(recordAt(entry));
                continue;
            }
            if (isLetterAt(scanPointer) && applyUserOperator(entry, true)) continue;
            break;
        }
    }
    return flag && (isLetterAt(scanPointer) || *scanPointer == '$');
}

// --- symbolic text ------------------------------------------------------------

void reportSymbolic(const char* message) { fail(errorWrongOperand, "%s", message); }

// Rest of the line is ":" alone or ": // ...".
bool colonEndsLine(const char* p) { return p[0] == ':' && (p[1] == 0 || hasPrefix(p + 1, " // ")); }

}  // namespace

bool evaluateAssignedName() {
    char* p = scanPointer;
    if (!isLetterAt(p)) return false;
    int n = int(endOfLetters(p, true) - p);
    char name[32];
    if (n >= int(sizeof name) - 1) return false;  // too long: scanName reports it
    char* after = p + n;
    bool blankAfter = *after == ' ' || *after == '\t';
    while (*after == ' ' || *after == '\t') after++;
    bool assignment = (after[0] == '=' && after[1] != '=') || (after[0] == ':' && after[1] == '=');
    // "not " and "complex:" are read before any name.
    if (!assignment || hasPrefix(p, "not ") || hasPrefix(p, "complex:")) return false;
    std::memcpy(name, p, n);
    name[n] = 0;
    if (blankAfter && isPrefixFunction(findFunction(name))) return false;
    scanPointer = after;
    pushReference(findVariable(name), name);
    return true;
}

bool isPrefixFunction(const header* function) {
    return function && (function->flags & (userFunctionPrefix | userFunctionPrefixLine));
}

header* findFunctionAtScan(int* length) {
    const char* p = scanPointer;
    if (!isLetterAt(p)) return nullptr;
    int n = int(endOfName(p) - p);
    if (n > 30) return nullptr;
    char name[32];
    std::memcpy(name, p, size_t(n));
    name[n] = 0;
    header* function = findFunction(name);
    *length = n;
    return function;
}

bool applyUserOperator(char* entry, bool strong) {
    int length;
    header* function = findFunctionAtScan(&length);
    if (!function || bool(function->flags & userFunctionStrong) != strong) return false;
    if (function->flags & userFunctionOperator) {
        scanPointer += length;
        skipBlanks(1);
        keepFirstValue(entry);
        if (strong)
            evaluatePrimary();
        else
            evaluateExpression();
        if (errorCode) {
            printFormatted("Operator %s expects second argument.\n", function->name);
            return true;
        }
        callUserFunction(function, recordAt(entry), 2, 2);
        return true;
    }
    if (function->flags & userFunctionPostfix) {
        scanPointer += length;
        keepFirstValue(entry);
        callUserFunction(function, recordAt(entry), 1, 1);
        return true;
    }
    return false;
}

void callMapFunction(header* first, const char* name, int semicolon) {
    semicolonPosition = semicolon;
    mapFunction(first, name);
    semicolonPosition = 0;
}

int readSymbolicText(char* buffer, int size) {
    skipBlanks();
    char* p = scanPointer;
    int n = 0;
    bool overflow = false;
    auto put = [&](char c) {
        if (n < size - 1)
            buffer[n++] = c;
        else
            overflow = true;
    };
    if (*p == '"' && p[1] == '"') {
        char* end = std::strstr(p + 2, "\"\"");
        if (!end) {
            reportSymbolic("&\"\"...\"\" string for Maxima not closed!\n");
            return 0;
        }
        put('"');
        for (char* q = p + 2; q < end; q++) put(*q);
        put('"');
        p = end + 2;
    } else if (*p == '"') {
        char* end = std::strchr(p + 1, '"');
        if (!end) {
            reportSymbolic("String not closed.\n");
            return 0;
        }
        for (char* q = p + 1; q < end; q++) put(*q);
        p = end + 1;
    } else {
        int round = 0, square = 0;
        bool stored = scanningStoredBody();
        for (;;) {
            char c = *p;
            if (c == 0) break;
            if (c == numberToken && stored) {
                reportSymbolic("Use quotes &\"...\" for symbolic expressions in functions!\n");
                return 0;
            }
            if (p[0] == '.' && p[1] == '.') {
                scanPointer = p;
                nextLine();
                if (errorCode) return 0;
                p = scanPointer;
                continue;
            }
            if (round == 0 && square == 0) {
                if (c == ',' || c == ';' || hasPrefix(p, "//") || colonEndsLine(p)) break;
            }
            if (c == '"') {
                char* end = std::strchr(p + 1, '"');
                if (!end) {
                    reportSymbolic("String not closed in symbolic expression!\n");
                    return 0;
                }
                for (; p <= end; p++) put(*p);
                continue;
            }
            if (c == ')') {
                if (round == 0) break;
                round--;
                put(c);
                p++;
                if (round == 0 && *p == '(') break;
                continue;
            }
            if (c == ']') {
                if (square == 0) break;
                square--;
            }
            if (c == '(') round++;
            if (c == '[') square++;
            put(c);
            p++;
        }
        if (round != 0 || square != 0) {
            buffer[n] = 0;
            printText("Closing bracket missing.\n");
            printFormatted("Found: %s\n", buffer);
            fail(errorWrongOperand, "Brackets: %d (, %d [\n", round, square);
            return 0;
        }
    }
    scanPointer = p;
    if (overflow) n = 0;
    buffer[n] = 0;
    return n;
}

void pushSymbolicText() {
    static char buffer[symbolicTextSize];
    int length = readSymbolicText(buffer, symbolicTextSize);
    if (!errorCode) pushString(buffer, length);
}

void evaluateSymbolic() {
    static char buffer[symbolicTextSize];
    char* entry = newram;
    int length = readSymbolicText(buffer, symbolicTextSize);
    if (errorCode) return;
    if (length == 0) {
        fail(errorFailed, "Symbolic expression expected.\n");
        return;
    }
    pushString(buffer, length);
    callRequiredBuiltin("mxm", 1, recordAt(entry));
    if (errorCode) return;
    recordAt(entry)->flags |= flagSymbolic;
    if (colonEndsLine(scanPointer)) {
        scanPointer++;
        newram = entry;
        pushMarker(markerNoResult);
        char path[1024];
        const char* directory = getUserWorkDir();
        size_t length = std::strlen(directory);
        std::snprintf(path, sizeof path, "%s%sgnuout.png", directory,
                      length && directory[length - 1] != '/' ? "/" : "");
        insertImageFile(35, path, 0.0, 0, nullptr, 0);
    }
}

// --- argument lists -----------------------------------------------------------

namespace {

// ">name", "<name" and "=name" of a round-bracket list.
bool readSwitchArgument() {
    char c = *scanPointer;
    if ((c != '>' && c != '<' && c != '=') || !isNameStart(scanPointer + 1)) return false;
    scanPointer++;
    char name[32];
    scanName(name);
    if (errorCode) return true;
    if (c == '=') {
        header* variable = findVariable(name);
        if (!variable) {
            fail(errorFailed, "Variable %s not found.\n", name);
            return true;
        }
        header* reference = pushReference(variable, name);
        if (!errorCode) reference->flags |= flagReferenceArgument;
    } else {
        pushReal(c == '>' ? 1 : 0, name);
    }
    return true;
}

// "name=value" or "name:=value" after the argument at `argument`.
bool readNamedArgument(char* argument) {
    bool colon = scanPointer[0] == ':' && scanPointer[1] == '=';
    bool equals = scanPointer[0] == '=' && scanPointer[1] != '=';
    if (!colon && !equals) return false;
    header* reference = recordAt(argument);
    if (reference->kind != kindReference || reference->name[0] == 0) {
        fail(errorFailed, "Cannot use expression here, use name=...\n");
        return true;
    }
    char name[32];
    std::memcpy(name, reference->name, 32);
    newram = argument;
    scanPointer += colon ? 2 : 1;
    header* value = evaluateToValues();
    if (errorCode) return true;
    keepFirstValue(argument);
    setRecordName(value, name);
    if (colon) value->flags |= flagColonNamed;
    return true;
}

// A bare name bound to nothing as a positional argument.
void bindUnboundArgument(char* argument) {
    header* reference = recordAt(argument);
    char name[32];
    std::memcpy(name, reference->name, 32);
    header* function = findFunction(name);
    if (function && (function->flags & userFunctionSymbolic)) {
        if (parameterCount(function) < 1) return;
        newram = argument;
        pushCString(name);
        return;
    }
    newram = argument;
    if (function) {
        callUserFunction(function, recordAt(argument), 0, 0);
        return;
    }
    if (callBuiltin(name, 0, recordAt(argument))) return;
    if (callDllFunction(name, 0, recordAt(argument))) return;
    fail(errorFailed, "Variable or function %s not found.\n", name);
}

bool isUnboundName(char* argument) {
    header* record = recordAt(argument);
    return newram > argument && record->kind == kindReference && !referenceTarget(record) &&
           !(record->flags & flagGlobalReference) && record->name[0] != 0;
}

}  // namespace

int evaluateCall(int* semicolon, char closing, int* valueCount) {
    int savedCopyMode = indexCopyMode;
    indexCopyMode = 1;
    int positional = 0, values = 0, semicolonAt = 0;
    bool namedSeen = false, semicolonSeen = false;
    for (;;) {
        skipBlanks(1);
        if (errorCode) break;
        if (*scanPointer == closing) break;
        char* argument = newram;
        bool named = false;
        if (*scanPointer == ',') {
            if (closing == ']')
                pushCommand(commandAllIndices);
            else
                pushReference(nullptr, "");
        } else if (closing == ')' && readSwitchArgument()) {
            named = true;
        } else {
            evaluateExpression();
            if (errorCode) {
                if (*scanPointer == ';') printText("Closing bracket missing?\n");
                break;
            }
            if (newram > argument && !(recordAt(argument)->flags & flagResult))
                keepFirstValue(argument);
            skipBlanks();
            named = readNamedArgument(argument);
            if (!named && !namedSeen && isUnboundName(argument))
                bindUnboundArgument(argument);
            else if (!named && namedSeen && recordAt(argument)->kind != kindReference) {
                fail(errorArgumentList, "Illegal parameter after named parameter!\n");
            }
        }
        if (errorCode) break;
        if (named) namedSeen = true;
        for (char* p = argument; p < newram; p += recordAt(p)->size) {
            if (semicolonSeen) recordAt(p)->flags |= flagAfterSemicolon;
            values++;
            if (!namedSeen) positional++;
        }
        if (positional >= maxPositionalArguments) {
            fail(errorRaised, "Too many arguments for any function (%d found)!\n", positional);
            break;
        }
        skipBlanks(1);
        if (*scanPointer == ';') {
            if (semicolonSeen) {
                fail(errorArgumentList, "Only one semicolon allowed in argument list.\n");
                break;
            }
            semicolonSeen = true;
            semicolonAt = positional;
            scanPointer++;
        } else if (*scanPointer == ',') {
            scanPointer++;
            if (closing == ']' && *scanPointer == ']') {
                if (values != 1) {
                    fail(errorArgumentList, ",] only allowed with two indices");
                    break;
                }
                pushCommand(commandAllIndices);
                values++;
                positional++;
                break;
            }
        } else {
            break;
        }
    }
    indexCopyMode = savedCopyMode;
    if (errorCode) return positional;
    if (*scanPointer != closing) {
        fail(errorCallBracket, "Closing bracket missing in function call!\n");
        return positional;
    }
    scanPointer++;
    if (semicolonAt == positional) semicolonAt = 0;
    *semicolon = semicolonAt;
    *valueCount = values;
    return positional;
}

// --- values instead of references ------------------------------------------

namespace {

bool needsCopy(int kind) {
    return kind == kindReference || kind == kindSubmatrix || kind == kindComplexSubmatrix ||
           kind == kindIntervalSubmatrix || kind == kindStringSubvector;
}

// Every reference and view from `entry` on becomes a copy of its value.
void copyValuesInPlace(char* entry) {
    for (char* p = entry; p < newram && !errorCode; p += recordAt(p)->size) {
        if (!needsCopy(recordAt(p)->kind)) continue;
        char* top = newram;
        header* value = resolveValue(recordAt(p));
        if (errorCode) return;
        char* end = replaceRecord(p, value, top);
        if (!end) return;
        newram = end;
    }
}

void readCollection(char* entry) {
    scanPointer += 2;
    header* collection = pushCollection();
    if (errorCode) return;
    int savedCopyMode = indexCopyMode;
    indexCopyMode = 1;
    for (;;) {
        skipBlanks(1);
        if (errorCode) break;
        if (newram == reinterpret_cast<char*>(collection) + headerSize &&
            skipPrefix(scanPointer, "}}"))
            break;
        char name[32] = "";
        char* start = scanPointer;
        if (isNameStart(scanPointer)) {
            scanName(name, 0);
            errorCode = 0;
            skipBlanks();
            if (*scanPointer == '=' && scanPointer[1] != '=')
                scanPointer++;
            else {
                scanPointer = start;
                name[0] = 0;
            }
        }
        char* element = newram;
        evaluateToValues();
        if (errorCode) break;
        keepFirstValue(element);
        header* value = resolveValue(recordAt(element));
        if (errorCode) break;
        if (reinterpret_cast<char*>(value) != element)
            newram = replaceRecord(element, value, element + recordAt(element)->size);
        if (errorCode) break;
        setValueName(recordAt(element), name);
        skipBlanks(1);
        if (skipPrefix(scanPointer, "}}")) break;
        if (*scanPointer != ',') {
            fail(errorBraces, "Error in {{}}!\n");
            break;
        }
        scanPointer++;
    }
    indexCopyMode = savedCopyMode;
    if (errorCode) return;
    recordAt(entry)->size = newram - entry;
    skipBlanks();
}

void readValueList() {
    scanPointer++;
    char* element = newram;
    int savedCopyMode = indexCopyMode;
    indexCopyMode = 1;
    evaluateOr();
    indexCopyMode = savedCopyMode;
    for (;;) {
        if (errorCode) return;
        copyValuesInPlace(element);
        skipBlanks();
        if (*scanPointer == '}') {
            scanPointer++;
            skipBlanks();
            return;
        }
        if (*scanPointer != ',') {
            fail(errorBraces, "Error in {}!\n");
            return;
        }
        scanPointer++;
        element = newram;
        evaluateToValues();
    }
}

}  // namespace

header* evaluateToValues() {
    skipBlanks();
    char* entry = newram;
    if (errorCode) return recordAt(entry);
    if (hasPrefix(scanPointer, "{{")) {
        readCollection(entry);
    } else if (*scanPointer == '{') {
        readValueList();
    } else {
        evaluateOr();
        if (errorCode) return recordAt(entry);
        copyValuesInPlace(entry);
        if (!errorCode && newram > entry) setRecordName(recordAt(entry), "");
    }
    return recordAt(entry);
}

// --- the primary ----------------------------------------------------------------

int evaluatePrimary() {
    skipBlanks();
    if (errorCode) return 0;
    // Strings that evaluate themselves recurse without passing the depth
    // check of user-function calls; stop before the machine stack runs out.
    if (getUsedStackSize() > expressionStackLimit) {
        fail(errorFailed, "Too many recursions!\n");
        return 0;
    }
    char* entry = newram;
    char* p = scanPointer;
    char c = *p;
    bool stored = scanningStoredBody();
    int flag = 0;
    bool postfix = true;
    if (isDigit(c) || (c == '.' && isDigit(p[1]))) {
        readNumber();
        flag = 1;
    } else if (c == numberToken && stored) {
        readNumberToken();
        flag = 1;
    } else if (c == commandToken && stored) {
        reportCommandToken();
    } else if (c == 'u' && p[1] == '"') {
        readUtfString();
    } else if (isNameStart(p)) {
        postfix = evaluateName();
        if (!postfix) return errorCode ? 0 : 1;
    } else if (c == '#' && p[1] != '#') {
        scanPointer++;
        callRequiredBuiltin("index", 0, recordAt(entry));
    } else if (c == '+') {
        scanPointer++;
        return evaluatePrimary();
    } else if (c == '-' && p[1] != '>') {
        scanPointer++;
        flag = evaluatePrimary();
        if (!errorCode) negateValue(recordAt(entry));
        return flag;
    } else if (c == '(') {
        readParenthesised();
        flag = 1;
    } else if (c == '[') {
        scanPointer++;
        evaluateMatrixLiteral();
    } else if (c == '~' && p[1] != '=') {
        readIntervalLiteral();
    } else if ((c == '@' || c == '&') && p[1] == ':' && p[2] != '=') {
        evaluateSymbolicNumerically();
    } else if (c == '&' && p[1] != ':' && p[1] != '>') {
        scanPointer++;
        evaluateSymbolic();
    } else if (c == '$' && p[1] != '>') {
        scanPointer++;
        evaluateSymbolic();
        if (!errorCode) recordAt(entry)->flags |= flagFormula;
    } else if (c == ':' && p[1] == ':') {
        scanPointer += 2;
        evaluateSymbolic();
    } else if (c == '"') {
        readString();
    } else if (c == '@') {
        readStringExpression();
    } else if (c == '\'' && p[1] == '\'') {
        readSingleQuotedString();
    } else {
        fail(errorFailed, "Syntax error in expression, or unfinished expression!\n");
    }
    if (errorCode) return 0;
    if (!postfix) return flag;
    return applyPostfixOperators(entry, flag);
}

}  // namespace kalix
