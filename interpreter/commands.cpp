// The command table: assembly from the families, sorting, lookup and
// dispatch; and the commands that end or restart the interpreter.
#include "interpreter/commands.h"

#include <algorithm>
#include <cstring>

#include "base/name_map.h"
#include "interpreter/builtin_table.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/stack.h"

namespace kalix {

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

// The command index is read at every statement: a flat table of row
// numbers (-1 empty) hashed with the shared name hash, collisions in the
// next slot; a power-of-two size keeps the slot arithmetic a mask.
constexpr unsigned commandSlots = 512;  // above 2 * maxCommands
static int16_t slotRows[commandSlots];

static unsigned commandSlot(std::string_view name) {
    return unsigned(NameHash{}(name)) & (commandSlots - 1);
}

void sortCommands() {
    int n = 0;
    for (const CommandFamily* const* family = commandFamilies; *family; family++) {
        for (size_t i = 0; i < (*family)->count; i++) {
            const CommandRecord& row = (*family)->rows[i];
            if (n == maxCommands)
                reportRefusedRow("command", row.name, "the command table is full");
            else if (!row.name || !row.handler)
                reportRefusedRow("command", row.name, "it has no name or no handler");
            else
                commandTable[n++] = row;
        }
    }
    std::sort(commandTable, commandTable + n, [](const CommandRecord& a, const CommandRecord& b) {
        return compareNames(a.name, b.name) < 0;
    });
    commandTable[n] = CommandRecord{nullptr, 0, 0, nullptr};
    commandCount = n;
    std::fill(slotRows, slotRows + commandSlots, int16_t(-1));
    for (int row = 0; row < n; row++) {
        const char* name = commandTable[row].name;
        if (row > 0 && compareNames(name, commandTable[row - 1].name) == 0) {
            reportRefusedRow("command", name, "the name is taken");
            continue;
        }
        unsigned slot = commandSlot(name);
        while (slotRows[slot] >= 0) slot = (slot + 1) & (commandSlots - 1);
        slotRows[slot] = int16_t(row);
    }
}

const CommandRecord* lookupCommandName(const char* name) {
    for (unsigned slot = commandSlot(name); slotRows[slot] >= 0;
         slot = (slot + 1) & (commandSlots - 1)) {
        const CommandRecord* row = &commandTable[slotRows[slot]];
        if (compareNames(row->name, name) == 0) return row;
    }
    return nullptr;
}

const CommandRecord* findCommand(int* length) {
    char word[commandWordLimit + 1];
    int n = 0;
    int letters = 0;
    bool ascii = true;
    while (int letter = letterLength(scanPointer + n)) {
        if (letters == commandWordLimit) return nullptr;
        if (letter == 1) word[letters] = scanPointer[n];
        ascii = ascii && letter == 1;
        letters++;
        n += letter;
    }
    *length = n;
    // Command names are ASCII: a word with a wider letter names none.
    if (n == 0 || !ascii) return nullptr;
    word[n] = 0;
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
        length = tokenSize;
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

}  // namespace kalix
