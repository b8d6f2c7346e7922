// The general commands: removing and protecting variables, globals seen from
// functions, listings, the dump file, hex dumps, switches and modes, and
// aliases. Commands whose facilities are not built yet answer so.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/text.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/engine_services.h"
#include "interpreter/evaluator.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/maxima_services.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/printing.h"
#include "interpreter/program_files.h"
#include "interpreter/scanner.h"
#include "interpreter/tracing.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

void requireSemicolon(const char* command) {
    skipBlanks();
    if (*scanPointer == 0) return;
    if (*scanPointer == ';') {
        scanPointer++;
        return;
    }
    fail(errorFailed, "Command \"%s\" needs a semicolon!\n", command);
}

namespace {

int promptOn = 1;  // command `prompt`; nothing else reads it

bool startsWithDefault(const char* name) { return std::strncmp(name, "default", 7) == 0; }

bool atStatementEnd() {
    char c = *scanPointer;
    return c == 0 || c == ';' || c == ',';
}

// Reads names separated by "," and hands each to `each`; stops at the
// first error.
template <typename Each>
void forEachName(Each each) {
    for (;;) {
        skipBlanks();
        char name[32];
        scanName(name);
        if (errorCode) return;
        each(name);
        if (errorCode) return;
        skipBlanks();
        if (*scanPointer != ',') return;
        scanPointer++;
    }
}

// The records of a stack area, each handed to `each`; the area must not
// change meanwhile.
template <typename Each>
void forEachRecord(char* from, char* to, Each each) {
    for (char* p = from; p + headerSize <= to;) {
        header* record = recordAt(p);
        if (record->size < headerSize || record->size > to - p) return;
        p += record->size;
        each(record);
    }
}

// --- removing variables and functions -------------------------------------

// clear and remvalue: [ ( ] a, b, ... [ ) ]
void removeNamedVariables(const char* command, bool inMaxima) {
    skipBlanks();
    bool bracket = *scanPointer == '(';
    if (bracket) scanPointer++;
    forEachName([inMaxima](const char* name) {
        removeVariable(name);
        if (!inMaxima) return;
        char line[64];
        std::snprintf(line, sizeof line, "remvalue(%s)$", name);
        sendMaximaLine(line, 0);
    });
    if (errorCode) return;
    if (bracket) {
        skipBlanks();
        if (*scanPointer != ')') {
            fail(errorFailed, "Closing bracket missing\n");
            return;
        }
        scanPointer++;
    }
    requireSemicolon(command);
}

void clearCommand() { removeNamedVariables("clear", false); }

void remvalueCommand() { removeNamedVariables("remvalue", true); }

bool clearedByClearall(const header* record) {
    return !(record->flags & flagProtected) && !startsWithDefault(record->name) &&
           record->name[0] != '%';
}

void clearallCommand() {
    for (char* p = startlocal; p + headerSize <= endlocal;) {
        header* record = recordAt(p);
        if (record->size < headerSize || record->size > endlocal - p) break;
        if (clearedByClearall(record))
            closeStackGap(p, record->size);
        else
            p += record->size;
    }
    clearUnprotectedGlobals();
    requireSemicolon("clearall");
}

void forgetCommand() {
    if (functionState != functionTopLevel) {
        fail(errorForgetInFunction, "Cannot forget functions in a function!\n");
        return;
    }
    forEachName([](const char* name) {
        header* function = findFunction(name);
        // A symbolic function lives in Maxima too.
        if (function && (function->flags & userFunctionSymbolic) && isMaximaRunning()) {
            std::string command = std::string("remfunction(") + name + ")";
            askMaxima(command.c_str(), 5, 0);
        }
        removeFunction(name);
    });
}

void clsCommand() {
    showTextWindow();
    clearTextWindow();
    requireSemicolon("cls");
}

// --- variables seen from functions ----------------------------------------

bool assignmentFollows() {
    skipBlanks();
    return scanPointer[0] == '=' || (scanPointer[0] == ':' && scanPointer[1] == '=');
}

// The value after "=" or ":=" stored as the global `name`; null on error.
header* storeGlobalValue(const char* name) {
    scanPointer += scanPointer[0] == '=' ? 1 : 2;
    char* top = newram;
    header* value = resolveValue(evaluateExpression());
    if (errorCode) return nullptr;
    header* stored = putGlobal(name, value, 0);
    newram = top;
    if (!stored && !errorCode) {
        fail(errorFailed, "Could not allocate the global variable %s\n", name);
    }
    return stored;
}

// One name of `global`: a reference to the global (or top-level variable)
// becomes the last variable of the running frame.
void declareGlobal(const char* name) {
    header* target = findGlobal(name);
    if (!target) target = findNamedRecord(topStartLocal, topEndLocal, name);
    if (!target) {
        if (!assignmentFollows()) {
            fail(errorGlobalNotFound, "Global variable %s not found in \"global\" command.\n",
                 name);
            return;
        }
        target = storeGlobalValue(name);
        if (!target) return;
    }
    newram = endlocal;
    header* reference = pushReference(target, name);
    if (!reference) return;
    reference->flags |= flagGlobalCommand | flagGlobalReference | target->flags;
    endlocal = newram;
    int64_t referenceSize = reference->size;
    if (!assignmentFollows()) return;
    header* stored = storeGlobalValue(name);
    if (stored) referenceTarget(recordAt(endlocal - referenceSize)) = stored;
}

void globalCommand() {
    if (functionState == functionTopLevel) {
        fail(errorGlobalOutside, "It makes no sense to use \"global\" outside of functions.\n");
        return;
    }
    forEachName(declareGlobal);
    if (!errorCode) requireSemicolon("global");
}

void useglobalCommand() {
    useGlobalMode = 1;
    requireSemicolon("useglobal");
}

void setglobalCommand() {
    forEachName([](const char* name) {
        header* record = findGlobal(name);
        if (!record) record = findNamedRecord(functionsEnd, topEndLocal, name);
        if (!record) {
            fail(errorGlobalNotFound, "Global variable %s not found in \"setglobal\" command.\n",
                 name);
            return;
        }
        record->flags |= flagSetGlobal;
    });
}

void zerobaseCommand() {
    forEachName([](const char* name) {
        header* record = findVariable(name);
        if (!record) {
            fail(errorFailed, "Variable %s not found.\n", name);
            return;
        }
        record->flags |= flagZeroBased;
    });
    if (!errorCode) requireSemicolon("zerobase");
}

void protectCommand() {
    forEachRecord(ramstart, functionsEnd, [](header* function) {
        if (!startsWithDefault(function->name)) function->flags |= flagProtected;
    });
    forEachRecord(functionsEnd, topEndLocal, [](header* variable) {
        if (!startsWithDefault(variable->name) && variable->name[0] != '%')
            variable->flags |= flagProtected;
    });
    protectGlobals();
}

// --- listings -------------------------------------------------------------

// The text after a listing command: up to a blank or the end of the line,
// at most `limit` characters kept.
void readListText(char* text, int limit) {
    skipBlanks();
    size_t span = std::strcspn(scanPointer, " \t");
    size_t n = characterPrefix(scanPointer, std::min(span, size_t(limit)), systemCodePageIsUtf8);
    std::memcpy(text, scanPointer, n);
    text[n] = 0;
    scanPointer += span;
}

void listCommand() {
    char text[32];
    readListText(text, 31);
    listNames(text);
}

void listvarCommand() {
    char text[256];
    readListText(text, 255);
    listVariables(text);
}

void listlistsCommand() {
    char text[256];
    readListText(text, 255);
    if (listGlobalLists(text) > 0) return;
    if (text[0])
        printFormatted("No lists containing %s found.\n", text);
    else
        printText("No lists defined.\n");
}

// --- dump and hexdump -----------------------------------------------------

void dumpCommand() {
    if (dumpFile) {
        FILE* file = dumpFile;
        dumpFile = nullptr;
        if (std::fclose(file) != 0) printText("Error while closing dumpfile.\n");
    }
    skipBlanks();
    if (atStatementEnd()) {
        skipSeparator();
        return;
    }
    char* top = newram;
    header* name = resolveValue(evaluateExpression());
    if (errorCode) return;
    if (name->kind != kindString) {
        fail(errorDumpName, "Dump needs a filename!\n");
        return;
    }
    dumpFile = std::fopen(stringOf(name), "a");
    if (!dumpFile) {
        fail(errorFailed, "Could not open %s!\n", stringOf(name));
    }
    newram = top;
}

void printHexLine(const unsigned char* bytes, int64_t offset, int n) {
    printFormatted("\n%4lx  ", static_cast<unsigned long>(offset));
    for (int k = 0; k < n; k++) printHexByte(bytes[k]);
    for (int k = n; k < 16; k++) printText("   ");
    printByteChars(bytes, n);
}

void hexdumpCommand() {
    skipBlanks();
    char name[32];
    scanName(name);
    if (errorCode) return;
    header* record = findVariable(name);
    if (!record) record = findFunction(name);
    if (!record) return;
    // Records outside the stack (globals) are shown at their address.
    const char* start = reinterpret_cast<const char*>(record);
    bool onStack = recordOnStack(record);
    unsigned long place = onStack ? static_cast<unsigned long>(start - ramstart)
                                  : static_cast<unsigned long>(reinterpret_cast<uintptr_t>(start));
    printFormatted("\n%s at %8lx\n", name, place);
    const auto* bytes = reinterpret_cast<const unsigned char*>(record);
    for (int64_t offset = 0; offset < record->size; offset += 16) {
        int n = record->size - offset < 16 ? int(record->size - offset) : 16;
        printHexLine(bytes + offset, offset, n);
        if (checkEscape()) break;
    }
    printText("\n");
}

// --- switches and modes ---------------------------------------------------

// "off", "on" (consumed) or nothing (toggles).
void switchFlag(int* flag, int onValue, bool newlineWhenOn) {
    skipBlanks();
    if (std::strncmp(scanPointer, "off", 3) == 0) {
        scanPointer += 3;
        *flag = !onValue;
    } else if (std::strncmp(scanPointer, "on", 2) == 0) {
        scanPointer += 2;
        *flag = onValue;
        if (newlineWhenOn) printText("\n");
    } else {
        *flag = !*flag;
    }
}

void outputCommand() { switchFlag(&outputOn, 1, true); }
void errorsCommand() { switchFlag(&errorsOff, 0, false); }
void easyunitsCommand() { switchFlag(&easyUnitsMode, 1, false); }
void underflowsCommand() { switchFlag(&underflowsOn, 1, false); }
void largematricesCommand() { switchFlag(&largeMatricesOn, 1, false); }
void promptCommand() { switchFlag(&promptOn, 1, true); }
void commentsCommand() { switchFlag(&commentsOn, 1, true); }

// "on", "off", another name (no change) or nothing (toggles); the state
// is shown unless ";" follows.
void switchMode(int* flag, const char* label) {
    skipBlanks();
    if (!atStatementEnd()) {
        char word[32];
        scanName(word);
        if (errorCode) return;
        if (std::strcmp(word, "on") == 0) *flag = 1;
        if (std::strcmp(word, "off") == 0) *flag = 0;
    } else {
        *flag = !*flag;
    }
    skipBlanks();
    if (*scanPointer != ';') printFormatted("%s mode is %s\n", label, *flag ? "on" : "off");
    skipSeparator();
}

void yacasmodeCommand() { switchMode(&yacasMode, "Yacas"); }
void matlabCommand() { switchMode(&matlabModeSetting, "Matlab"); }

void aliasCommand() {
    char alias[32], text[32];
    skipBlanks();
    scanName(alias);
    if (errorCode) return;
    skipBlanks();
    scanName(text);
    if (errorCode) return;
    addAlias(alias, text);
}

void helpCommand() { showHelp(0); }

// The rest of the line (at most 255 characters), or `empty` when nothing
// follows; the statement ends there.
std::string restOfLine(const char* empty) {
    skipSpaces();
    std::string text(scanPointer, characterPrefix(scanPointer, 255, systemCodePageIsUtf8));
    scanPointer += std::strlen(scanPointer);
    return text.empty() ? std::string(empty) : text;
}

void addmenuCommand() { addUserMenuItem(restOfLine("addmenu").c_str()); }
void submenuCommand() { setAddmenuSubmenu(restOfLine("submenu")); }

const CommandRecord rows[] = {
    {"clear", commandTopLevel, 0, clearCommand},
    {"clearall", commandTopLevel, 0, clearallCommand},
    {"remvalue", commandAssignable, 0, remvalueCommand},
    {"cls", commandAssignable, 0, clsCommand},
    {"forget", commandTopLevel, 0, forgetCommand},
    {"global", commandEverywhere, 0, globalCommand},
    {"useglobal", commandEverywhere, 0, useglobalCommand},
    {"zerobase", commandEverywhere, 0, zerobaseCommand},
    {"list", commandAssignable, 0, listCommand},
    {"listvar", commandAssignable, 0, listvarCommand},
    {"listvars", commandAssignable, 0, listvarCommand},
    {"listlists", commandAssignable, 0, listlistsCommand},
    {"type", commandAssignable, 0, typeCommand},
    {"dump", commandAssignable, 0, dumpCommand},
    {"help", commandAssignable, 0, helpCommand},
    {"mxmhelp", commandAssignable, 0, mxmhelpCommand},
    {"hexdump", commandAssignable, 0, hexdumpCommand},
    {"output", commandAssignable, 0, outputCommand},
    {"errors", commandAssignable, 0, errorsCommand},
    {"underflows", commandAssignable, 0, underflowsCommand},
    {"comments", commandTopLevel, 0, commentsCommand},
    {"prompt", commandEverywhere, 0, promptCommand},
    {"protect", commandAssignable, 0, protectCommand},
    {"maximamode", commandAssignable, 0, maximamodeCommand},
    {"pythonmode", commandAssignable, 0, pythonmodeCommand},
    {"yacasmode", commandAssignable, 0, yacasmodeCommand},
    {"addmenu", commandTopLevel, 0, addmenuCommand},
    {"submenu", commandTopLevel, 0, submenuCommand},
    {"easyunits", commandAssignable, 0, easyunitsCommand},
    {"setglobal", commandTopLevel, 0, setglobalCommand},
    {"matlab", commandAssignable, 0, matlabCommand},
    {"largematrices", commandAssignable, 0, largematricesCommand},
    {"alias", commandTopLevel, 0, aliasCommand},
};

}  // namespace

KALIX_COMMAND_FAMILY(generalCommands, rows);

}  // namespace kalix
