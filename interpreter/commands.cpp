// The command table: assembly from the families, sorting, lookup and
// dispatch; and the commands that end or restart the interpreter.
#include "interpreter/commands.h"

#include <algorithm>
#include <cstring>

#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/stack.h"

CommandRecord commandTable[maxCommands + 1];
int commandCount = 0;
int yacasMode = 0;

// strcmp's order in an inlined loop: a lookup runs at every statement.
static int compareNames(const char* a, const char* b) {
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

// A hash index into the sorted table: slots hold row numbers (-1 empty),
// collisions go to the next slot. Made for a table of `indexedCount` rows.
constexpr int commandSlots = 512;  // a power of 2, above 2 * maxCommands
static int16_t slotRows[commandSlots];
static int indexedCount = -1;

static unsigned hashCommandName(const char* name) {
    unsigned hash = 0;
    for (; *name; name++) hash = hash * 31 + static_cast<unsigned char>(*name);
    return hash;
}

static void indexCommandNames() {
    std::fill(slotRows, slotRows + commandSlots, int16_t(-1));
    for (int row = 0; row < commandCount; row++) {
        unsigned slot = hashCommandName(commandTable[row].name) % commandSlots;
        while (slotRows[slot] >= 0) slot = (slot + 1) % commandSlots;
        slotRows[slot] = int16_t(row);
    }
    indexedCount = commandCount;
}

void sortCommands() {
    int n = 0;
    for (const CommandFamily* const* family = commandFamilies; *family; family++) {
        for (size_t i = 0; i < (*family)->count && n < maxCommands; i++)
            commandTable[n++] = (*family)->rows[i];
    }
    std::sort(commandTable, commandTable + n, [](const CommandRecord& a, const CommandRecord& b) {
        return compareNames(a.name, b.name) < 0;
    });
    commandTable[n] = CommandRecord{nullptr, 0, 0, nullptr};
    commandCount = n;
    indexCommandNames();
}

const CommandRecord* lookupCommandName(const char* name) {
    if (indexedCount == commandCount) {
        for (unsigned slot = hashCommandName(name) % commandSlots; slotRows[slot] >= 0;
             slot = (slot + 1) % commandSlots) {
            const CommandRecord* row = &commandTable[slotRows[slot]];
            if (compareNames(row->name, name) == 0) return row;
        }
        return nullptr;
    }
    // The table was changed without sortCommands: search it as it is.
    CommandRecord* end = commandTable + commandCount;
    CommandRecord* row = std::lower_bound(
        commandTable, end, name,
        [](const CommandRecord& a, const char* key) { return compareNames(a.name, key) < 0; });
    if (row != end && compareNames(row->name, name) == 0) return row;
    return nullptr;
}

const CommandRecord* findCommand(int* length) {
    char word[commandWordLimit + 1];
    int n = 0;
    while (isLetter(scanPointer[n])) {
        if (n == commandWordLimit) return nullptr;
        word[n] = scanPointer[n];
        n++;
    }
    word[n] = 0;
    *length = n;
    if (n == 0) return nullptr;
    return lookupCommandName(word);
}

int commandIndex(const CommandRecord* row) { return int(row - commandTable); }

void skipSeparator() {
    if (*scanPointer == ';' || *scanPointer == ',') scanPointer++;
}

// Inside a function a word of kind 16 followed by "=" or ":=" is a variable.
static bool assignmentFollows(int length) {
    const char* p = scanPointer + length;
    while (*p == ' ' || *p == '\t') p++;
    return p[0] == '=' || (p[0] == ':' && p[1] == '=');
}

int dispatchCommand() {
    const CommandRecord* row = nullptr;
    int length = 0;
    if (functionState != functionTopLevel && *scanPointer == commandToken) {
        int32_t index;
        std::memcpy(&index, scanPointer + 1, sizeof index);
        if (index < 0 || index >= commandCount) return 0;
        row = &commandTable[index];
        length = 9;
    } else {
        row = findCommand(&length);
        if (!row) return 0;
    }
    if (functionState != functionTopLevel) {
        if (row->kind == commandTopLevel) {
            fail(errorFailed, "Cannot execute command %s in a function.\n", row->name);
            return 0;
        }
        if (row->kind == commandAssignable && assignmentFollows(length)) return 0;
    }
    scanPointer += length;
    row->handler();
    lastCommandKind = row->kind;
    if (functionState != functionReturned) skipSeparator();
    return 1;
}

// --- quit and restart -----------------------------------------------------

static void quitCommand() { runState = runStateQuit; }

static void restartCommand() { runState = runStateRestart; }

static const CommandRecord rows[] = {
    {"quit", commandQuit, 0, quitCommand},
    {"restart", commandTopLevel, 0, restartCommand},
};
KALIX_COMMAND_FAMILY(runStateCommands, rows);
