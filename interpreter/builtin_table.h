// The builtin table: rows of name, argument count and handler, sorted by
// name and count and indexed by name; plus the alias map.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>
#include "interpreter/stack.h"

namespace kalix {

// A handler (named builtinName: builtinSin for "sin") receives the first
// argument record (null for no arguments);
// further arguments follow it up to `newram`. It leaves its result over the
// first argument.
using BuiltinHandler = void (*)(header* first);

struct BuiltinRecord {
    const char* name;
    int nargs;  // -1 for any number
    int flags;
    BuiltinHandler handler;
};

// Each builtin family keeps its rows in its own file and exports them as a
// family; app/builtin_families.cpp lists the families.
struct BuiltinFamily {
    const BuiltinRecord* rows;
    size_t count;
};
#define KALIX_BUILTIN_FAMILY(familyName, rowArray) \
    extern const BuiltinFamily familyName = {rowArray, sizeof(rowArray) / sizeof(rowArray[0])}

// Declares a family for the list in builtin_families.cpp.
#define KALIX_DECLARE_BUILTIN_FAMILY(familyName) extern const BuiltinFamily familyName;

// The listed families (builtin_families.cpp); null entries are skipped.
extern const BuiltinFamily* const builtinFamilies[];
extern const size_t builtinFamilyCount;

// The sorted table assembled from the families, and its number of rows.
extern const BuiltinRecord* builtinTable;
extern int builtinCount;

// A row that a table cannot take (no name or handler, a full table, a name
// and count taken): said at once on standard error, since it is a fault of
// the program, and the row is left out.
void reportRefusedRow(const char* table, const char* name, const char* why);

// Assembles the table from `builtinFamilies`, sorts it and indexes it by
// name (every interpreter start).
void sortBuiltins();
// The same from a given list of families (tests use their own rows).
void sortBuiltinFamilies(const BuiltinFamily* const* families, size_t count);
int compareBuiltins(const BuiltinRecord* a, const BuiltinRecord* b);
// The row for a call with n arguments (-1: any row of the name), trying
// one alias step when the name is unknown; null when none fits.
const BuiltinRecord* findBuiltin(const char* name, int n);
// Runs the row's handler guarded against a fault on the machine stack's
// guard page (see machine_stack.h).
void runBuiltinHandler(const BuiltinRecord* row, header* first);
// Runs the handler of the fitting row; 1 when one ran, 0 when none fits.
int callBuiltin(const char* name, int n, header* first);
// The same for a builtin the interpreter relies on (utf, mxm, index,
// cpxtranspose); its absence is an error of its own.
void callRequiredBuiltin(const char* name, int n, header* first);

void addAlias(const char* alias, const char* text);
const char* resolveAlias(const char* name);
void clearAliases();
// Appends alias names beginning with `prefix` to names[n..maximum);
// returns the new n.
int collectAliasNames(const char* prefix, const char** names, int n, int maximum);
// Every alias with its text, in the order collectAliasNames finds them.
std::vector<std::pair<std::string, std::string>> aliasList();

}  // namespace kalix
