// The command table: statements that are not expressions. Rows live in
// families beside their handlers; app/command_families.cpp lists
// the families, and `sortCommands` assembles and sorts the table at every
// interpreter start. Stored function bodies refer to commands by their
// index in the sorted table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "interpreter/state.h"

namespace kalix {

enum CommandKind : int32_t {
    commandQuit = 0,
    commandReturn = 1,
    commandIf = 2,
    commandThen = 3,
    commandElse = 4,
    commandFor = 5,
    commandRepeat = 6,
    commandEnd = 7,
    commandEndif = 8,
    commandContinue = 9,
    commandBreak = 10,
    commandUntil = 11,
    commandWhile = 12,
    commandLoop = 13,
    commandElseif = 14,
    commandTopLevel = 15,    // refused inside functions
    commandAssignable = 16,  // inside functions "name =" assigns a variable
    commandEverywhere = 17,
};

using CommandHandler = void (*)();

// After a command's own text only the end of the line or ";" may follow,
// else "Command \"name\" needs a semicolon!".
void requireSemicolon(const char* command);

struct CommandRecord {
    const char* name;
    int32_t kind;   // CommandKind
    int32_t flags;  // 0 in every row
    CommandHandler handler;
};

struct CommandFamily {
    const CommandRecord* rows;
    size_t count;
};
#define KALIX_COMMAND_FAMILY(familyName, rowArray) \
    extern const CommandFamily familyName = {rowArray, sizeof(rowArray) / sizeof(rowArray[0])}
// Declares a family for the list in command_families.cpp.
#define KALIX_DECLARE_COMMAND_FAMILY(familyName) extern const CommandFamily familyName;

// Null-terminated list of families (command_families.cpp).
extern const CommandFamily* const commandFamilies[];

constexpr int maxCommands = 128;
extern CommandRecord commandTable[maxCommands + 1];  // sorted, closed by a null name
extern int commandCount;

// Longest command word; a longer word is never a command.
constexpr int commandWordLimit = 15;

void sortCommands();
// The command whose word stands at `scanPointer`, or null; `*length` gets
// the word's length. The scan position does not move.
const CommandRecord* findCommand(int* length);
const CommandRecord* lookupCommandName(const char* name);
// Index of a row in the sorted table.
int commandIndex(const CommandRecord* row);
// Runs the command at the scan position; 1 when one ran, 0 otherwise.
int dispatchCommand();

// Skips one ";" or "," at the scan position.
void skipSeparator();

}  // namespace kalix
