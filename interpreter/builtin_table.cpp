// The builtin table assembled from the families, its name index, lookup
// and call, and the alias map.
#include "interpreter/builtin_table.h"
#include "base/name_map.h"
#include "interpreter/error_codes.h"
#include "interpreter/functions.h"
#include "interpreter/machine_stack.h"
#include "interpreter/state_hand_over.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace kalix {

namespace {

std::vector<BuiltinRecord> sortedRows{{nullptr, 0, 0, nullptr}};
NameMap<int> builtinIndex;
NameMap<std::string> aliasMap;

}  // namespace

const BuiltinRecord* builtinTable = sortedRows.data();
int builtinCount = 0;

int compareBuiltins(const BuiltinRecord* a, const BuiltinRecord* b) {
    int byName = std::strcmp(a->name, b->name);  // compares as unsigned bytes
    if (byName) return byName;
    if (a->nargs == -1 || b->nargs == -1) return 0;
    return (a->nargs > b->nargs) - (a->nargs < b->nargs);
}

void reportRefusedRow(const char* table, const char* name, const char* why) {
    std::fprintf(stderr, "Kalix: the %s row \"%s\" is left out: %s.\n", table, name ? name : "",
                 why);
}

static void indexBuiltinName(const char* name, int row) {
    builtinIndex.insert_or_assign(std::string(name), row);
}

void sortBuiltinFamilies(const BuiltinFamily* const* families, size_t count) {
    sortedRows.clear();
    for (size_t f = 0; f < count; f++) {
        if (!families[f]) continue;
        for (size_t i = 0; i < families[f]->count; i++) {
            const BuiltinRecord& row = families[f]->rows[i];
            if (row.name && row.handler)
                sortedRows.push_back(row);
            else
                reportRefusedRow("builtin", row.name, "it has no name or no handler");
        }
    }
    // Rows of one name by ascending count; the tie-break keeps the order
    // total even if a name had a row for any count beside others.
    std::sort(sortedRows.begin(), sortedRows.end(),
              [](const BuiltinRecord& a, const BuiltinRecord& b) {
                  int order = compareBuiltins(&a, &b);
                  return order ? order < 0 : a.nargs < b.nargs;
              });
    // Two rows of one name and count: the second could never be called.
    for (size_t i = 1; i < sortedRows.size(); i++)
        if (std::strcmp(sortedRows[i].name, sortedRows[i - 1].name) == 0 &&
            sortedRows[i].nargs == sortedRows[i - 1].nargs)
            reportRefusedRow("builtin", sortedRows[i].name, "its name and count are taken");
    builtinCount = static_cast<int>(sortedRows.size());
    sortedRows.push_back({nullptr, 0, 0, nullptr});
    builtinTable = sortedRows.data();

    builtinIndex.clear();
    for (int i = 0; i < builtinCount; i++)
        if (i == 0 || std::strcmp(builtinTable[i].name, builtinTable[i - 1].name) != 0)
            indexBuiltinName(builtinTable[i].name, i);
}

void sortBuiltins() { sortBuiltinFamilies(builtinFamilies, builtinFamilyCount); }

// The first row of the name that accepts n arguments; `known` tells
// whether the name has rows at all.
static const BuiltinRecord* findRow(const char* name, int n, bool* known) {
    auto found = builtinIndex.find(std::string_view(name));
    *known = found != builtinIndex.end();
    if (!*known) return nullptr;
    for (int i = found->second; i < builtinCount && std::strcmp(builtinTable[i].name, name) == 0;
         i++) {
        const BuiltinRecord* row = &builtinTable[i];
        if (row->nargs == -1 || n == -1 || row->nargs == n) return row;
    }
    return nullptr;
}

const BuiltinRecord* findBuiltin(const char* name, int n) {
    bool known = false;
    const BuiltinRecord* row = findRow(name, n, &known);
    if (known) return row;
    const char* replacement = resolveAlias(name);
    return replacement ? findRow(replacement, n, &known) : nullptr;
}

void runBuiltinHandler(const BuiltinRecord* row, header* first) {
    struct Call {
        const BuiltinRecord* row;
        header* first;
    } call{row, first};
    if (!runGuardedAgainstOverflow(
            [](void* p) {
                auto* c = static_cast<Call*>(p);
                c->row->handler(c->first);
            },
            &call))
        reportMachineStackOverflow();
}

int callBuiltin(const char* name, int n, header* first) {
    const BuiltinRecord* row = findBuiltin(name, n);
    if (!row) return 0;
    if (n == 0) {
        if (first) newram = reinterpret_cast<char*>(first);
        runBuiltinHandler(row, nullptr);
    } else {
        runBuiltinHandler(row, first);
    }
    return 1;
}

void callRequiredBuiltin(const char* name, int n, header* first) {
    if (callBuiltin(name, n, first)) return;
    reportBuiltinArity(name, n);
    errorCode = errorFailed;
}

void addAlias(const char* alias, const char* text) {
    aliasMap.insert_or_assign(std::string(alias), std::string(text));
}

const char* resolveAlias(const char* name) {
    KALIX_CHECK(stateReadableByCaller());
    auto found = aliasMap.find(std::string_view(name));
    return found == aliasMap.end() ? nullptr : found->second.c_str();
}

void clearAliases() { aliasMap.clear(); }

std::vector<std::pair<std::string, std::string>> aliasList() {
    return {aliasMap.begin(), aliasMap.end()};
}

int collectAliasNames(const char* prefix, const char** names, int n, int maximum) {
    KALIX_CHECK(stateReadableByCaller());
    // Asked at name lookups whether any alias exists: answer that at once.
    if (aliasMap.empty()) return n;
    size_t length = std::strlen(prefix);
    for (auto& entry : aliasMap) {
        if (n >= maximum) break;
        if (entry.first.compare(0, length, prefix) == 0) names[n++] = entry.first.c_str();
    }
    return n;
}

}  // namespace kalix
