// Global variables and global lists, and their builtins.
#include "interpreter/globals.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/name_map.h"
#include "interpreter/assignment.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/printing.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

namespace {

// Both stores are reached only from the interpreter thread. They are
// searched by std::string_view, so a lookup builds no string.
NameMap<GlobalValue> globalVariables;
NameMap<PointerList> globalLists;

constexpr int32_t initialListCapacity = 16;

// Blocks of global variables that were replaced or removed. A statement may
// still hold a pointer to such a block (the reference pushed for the name,
// a view of it, a frame's `global` reference), so the block is freed only
// once the top-level statement has ended (`releaseRetiredGlobals`).
std::vector<header*> retiredBlocks;

void retireBlock(header* block) {
    try {
        retiredBlocks.push_back(block);
    } catch (const std::bad_alloc&) {
        std::free(block);
    }
}

void freeRetiredBlocks() {
    for (header* block : retiredBlocks) std::free(block);
    retiredBlocks.clear();
}

// The last names looked up and what they found (null: no such global), so
// that a loop asking for the same few names every pass does not hash them
// each time. A slot counts only while the store is as it was when the slot
// was filled: every change of the store's names or blocks starts a new
// generation.
struct RecentLookup {
    uint64_t generation;  // 0: empty
    header* record;
    char name[sizeof(header::name)];
};
constexpr unsigned recentSlots = 64;
RecentLookup recentLookups[recentSlots];
uint64_t storeGeneration = 1;

void storeChanged() { storeGeneration++; }

RecentLookup& recentSlot(std::string_view key) {
    unsigned h = unsigned(key.size()) * 31;
    if (!key.empty())
        h += static_cast<unsigned char>(key[0]) * 7 + static_cast<unsigned char>(key.back());
    return recentLookups[h % recentSlots];
}

bool isRecent(const RecentLookup& slot, std::string_view key) {
    if (slot.generation != storeGeneration) return false;
    for (size_t i = 0; i < key.size(); i++)
        if (slot.name[i] != key[i]) return false;
    return slot.name[key.size()] == 0;
}

// Frees the stored records at program end (declared after the maps, so it
// runs before they go).
struct StoreRelease {
    ~StoreRelease() { clearGlobals(); }
} storeRelease;

// Stored names are cut to what a record's name field holds, so a stored
// record's name always equals its key.
std::string_view globalKey(const char* name) {
    size_t length = 0;
    while (length < sizeof(header::name) - 1 && name[length]) length++;
    return std::string_view(name, length);
}

// A record's size is sound when it covers the head, is a multiple of 8 and,
// for a record on the stack, ends inside the stack.
bool hasSoundSize(const header* record) {
    if (record->size < headerSize || record->size % 8 != 0) return false;
    if (!isOnStack(record)) return true;
    return record->size <= ramend - reinterpret_cast<const char*>(record);
}

// A heap copy of a record, or null.
header* copyToHeap(const header* record) {
    if (!hasSoundSize(record)) return nullptr;
    auto* copy = static_cast<header*>(std::malloc(record->size));
    if (copy) std::memcpy(copy, record, record->size);
    return copy;
}

void freeList(PointerList& list) {
    for (int32_t i = 0; i < list.count; i++) std::free(list.items[i]);
    std::free(list.items);
    list = {nullptr, 0, 0};
}

bool isListedByDefault(const char* name, const header* record) {
    return !(record->flags & flagProtected) && std::strncmp(name, "default", 7) != 0 &&
           name[0] != '%';
}

std::vector<std::string> sortedNames(const auto& map, const char* pattern) {
    std::vector<std::string> names;
    for (const auto& entry : map)
        if (!*pattern || entry.first.find(pattern) != std::string::npos)
            names.push_back(entry.first);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

header* findGlobal(const char* name) {
    std::string_view key = globalKey(name);
    RecentLookup& slot = recentSlot(key);
    if (isRecent(slot, key)) return slot.record;
    auto found = globalVariables.find(key);
    header* record = found == globalVariables.end() ? nullptr : found->second.record;
    slot.generation = storeGeneration;
    slot.record = record;
    std::memcpy(slot.name, key.data(), key.size());
    slot.name[key.size()] = 0;
    return record;
}

header* copyGlobalToStack(const char* name) {
    header* stored = findGlobal(name);
    if (!stored) return nullptr;
    if (stored->size >= ramend - newram) {
        fail(errorFailed, "Out of stack space for global variable %s\n", name);
        return nullptr;
    }
    header* copy = recordAt(newram);
    std::memcpy(copy, stored, stored->size);
    copy->flags &= ~flagSetGlobal;
    newram += copy->size;
    return copy;
}

header* putGlobal(const char* name, const header* record, int32_t extraFlags) {
    // The name may lie in the record, which is about to be overwritten.
    char keyText[sizeof(header::name)];
    std::string_view key = globalKey(name);
    std::memcpy(keyText, key.data(), key.size());
    keyText[key.size()] = 0;
    key = std::string_view(keyText, key.size());
    auto found = globalVariables.find(key);
    if (!hasSoundSize(record)) {
        fail(errorFailed, "Out of RAM for global variable.\n");
        return nullptr;
    }
    header* stored;
    if (found != globalVariables.end() && record->size < found->second.capacity) {
        stored = found->second.record;
        std::memmove(stored, record, record->size);
    } else {
        // The new block is filled before the old one is freed: the record
        // may be the old stored value itself.
        int64_t capacity = record->size * 5 / 4 + 16;
        stored = static_cast<header*>(std::malloc(capacity));
        if (!stored) {
            fail(errorFailed, "Out of RAM for global variable.\n");
            return nullptr;
        }
        std::memcpy(stored, record, record->size);
        if (found != globalVariables.end()) {
            retireBlock(found->second.record);
            found->second = {stored, capacity};
            storeChanged();
        } else {
            try {
                globalVariables.emplace(key, GlobalValue{stored, capacity});
                storeChanged();
            } catch (const std::bad_alloc&) {
                std::free(stored);
                fail(errorFailed, "Could not generate global variable %s!", keyText);
                return nullptr;
            }
        }
    }
    stored->flags |= extraFlags;
    setValueName(stored, keyText);
    return stored;
}

void removeGlobal(const char* name) {
    auto found = globalVariables.find(globalKey(name));
    if (found == globalVariables.end()) return;
    retireBlock(found->second.record);
    globalVariables.erase(found);
    storeChanged();
}

void clearGlobals() {
    for (auto& entry : globalVariables) std::free(entry.second.record);
    globalVariables.clear();
    storeChanged();
    freeRetiredBlocks();
    for (auto& entry : globalLists) freeList(entry.second);
    globalLists.clear();
}

void releaseRetiredGlobals() { freeRetiredBlocks(); }

void clearUnprotectedGlobals() {
    for (auto it = globalVariables.begin(); it != globalVariables.end();) {
        if (isListedByDefault(it->first.c_str(), it->second.record)) {
            retireBlock(it->second.record);
            it = globalVariables.erase(it);
            storeChanged();
        } else {
            ++it;
        }
    }
}

void protectGlobals() {
    for (auto& entry : globalVariables) entry.second.record->flags |= flagProtected;
}

PointerList* findGlobalList(const char* name) {
    auto found = globalLists.find(globalKey(name));
    if (found == globalLists.end()) {
        fail(errorFailed, "Global list %s not found\n", name);
        return nullptr;
    }
    return &found->second;
}

int listGlobalLists(const char* pattern) {
    int count = 0;
    for (const std::string& name : sortedNames(globalLists, pattern)) {
        printFormatted("%sglobal list\n", nameColumn(name.c_str()).c_str());
        count++;
        if (checkEscape()) break;
    }
    return count;
}

std::vector<header*> globalRecords() {
    std::vector<header*> records;
    records.reserve(globalVariables.size());
    for (auto& entry : globalVariables) records.push_back(entry.second.record);
    return records;
}

int listGlobals(const char* pattern) {
    int count = 0;
    for (const std::string& name : sortedNames(globalVariables, pattern)) {
        header* record = globalVariables[name].record;
        if (!*pattern && !isListedByDefault(name.c_str(), record)) continue;
        describeVariable(record);
        count++;
        if (checkEscape() || errorCode) break;
    }
    return count;
}

// --- list operations ---------------------------------------------------------

namespace {

// Makes room for one more element; false with the message when the array
// cannot grow (the list is unchanged).
bool growList(PointerList& list) {
    if (list.count + 1 < list.capacity) return true;
    if (list.capacity > INT32_MAX / 2) {
        fail(errorFailed, "Out of RAM in globalput.\n");
        return false;
    }
    int32_t capacity = list.capacity * 2;
    auto* items = static_cast<header**>(std::realloc(list.items, sizeof(header*) * capacity));
    if (!items) {
        fail(errorFailed, "Out of RAM in globalput.\n");
        return false;
    }
    list.items = items;
    list.capacity = capacity;
    return true;
}

header* copyForList(const header* value) {
    header* copy = copyToHeap(value);
    if (!copy) {
        fail(errorFailed, "Out of RAM in globalput.\n");
    }
    return copy;
}

// Inserts a copy of the value before `position` (0 .. count).
void insertIntoList(PointerList& list, int32_t position, const header* value) {
    if (!growList(list)) return;
    header* copy = copyForList(value);
    if (!copy) return;
    std::memmove(list.items + position + 1, list.items + position,
                 sizeof(header*) * (list.count - position));
    list.items[position] = copy;
    list.count++;
}

// The 0-based position of an index value: trunc(x) - 1, clamped to the
// int32 range; NaN gives false.
bool listPosition(double x, int32_t* position) {
    if (std::isnan(x)) return false;
    double t = std::trunc(x);
    if (t < -2147483647.0) t = -2147483647.0;
    if (t > 2147483647.0) t = 2147483647.0;
    *position = static_cast<int32_t>(t) - 1;
    return true;
}

bool isString(const header* h) { return h && h->kind == kindString; }
// Resolves an argument that may be missing.
header* resolveArgument(header* record) { return record ? resolveValue(record) : nullptr; }
bool isReal(const header* h) { return h && h->kind == kindReal; }

// The marker for "no value" over the first argument.
void returnMarker(header* first) {
    header* marker = pushMarker(markerNoResult);
    if (!errorCode) moveResult(first, marker);
}

void returnCount(header* first, int32_t count) {
    header* result = pushReal(count);
    if (!errorCode) moveResult(first, result);
}

// Resolves the list-name argument and, when asked, an index argument and
// a value argument after it. Refuses wrong kinds with "Need <what>".
struct ListArguments {
    PointerList* list = nullptr;
    const char* name = nullptr;
    int32_t position = 0;
    header* value = nullptr;
};

bool readListArguments(header* first, bool hasIndex, bool hasValue, const char* what,
                       const char* builtinName, ListArguments* out) {
    header* name = resolveValue(first);
    if (errorCode) return false;
    header* index = nullptr;
    header* next = nextValue(first);
    if (hasIndex) {
        index = resolveArgument(next);
        if (errorCode) return false;
        next = nextValue(next);
    }
    if (hasValue) {
        out->value = resolveArgument(next);
        if (errorCode) return false;
    }
    if (!isString(name) ||
        (hasIndex && (!isReal(index) || !listPosition(realOf(index), &out->position))) ||
        (hasValue && !out->value)) {
        reportNeed(what, builtinName);
        return false;
    }
    out->name = stringOf(name);
    out->list = findGlobalList(out->name);
    return out->list != nullptr;
}

bool checkListPosition(const ListArguments& a) {
    if (a.position >= 0 && a.position < a.list->count) return true;
    fail(errorFailed, "List index %d out of range %d in list %s.\n", a.position + 1, a.list->count,
         a.name);
    return false;
}

// The name argument of the variable builtins.
const char* readNameArgument(header* first, const char* what, const char* builtinName) {
    header* name = resolveValue(first);
    if (errorCode) return nullptr;
    if (!isString(name)) {
        reportNeed(what, builtinName);
        return nullptr;
    }
    return stringOf(name);
}

}  // namespace

// --- builtins ----------------------------------------------------------------

void builtinGset(header* first) {
    header* name = resolveValue(first);
    if (errorCode) return;
    header* value = resolveArgument(nextValue(first));
    if (errorCode) return;
    if (!isString(name) || !value) {
        reportNeed("variable name and value", "gset");
        return;
    }
    if (!putGlobal(stringOf(name), value, 0)) return;
    returnMarker(first);
}

void builtinGvar(header* first) {
    const char* name = readNameArgument(first, "variable name", "gvar");
    if (!name) return;
    header* copy = copyGlobalToStack(name);
    if (errorCode) return;
    if (!copy) {
        fail(errorFailed, "Global variable %s not found\n", name);
        return;
    }
    moveResult(first, copy);
}

void builtinGremove(header* first) {
    const char* name = readNameArgument(first, "variable name", "gremove");
    if (!name) return;
    removeGlobal(name);
    returnMarker(first);
}

// Called without arguments: the result goes to `newram`.
void builtinGclear(header*) {
    for (auto& entry : globalVariables) retireBlock(entry.second.record);
    globalVariables.clear();
    storeChanged();
    for (auto& entry : globalLists) freeList(entry.second);
    globalLists.clear();
    pushMarker(markerNoResult);
}

void builtinGlist(header* first) {
    const char* name = readNameArgument(first, "list name", "glist");
    if (!name) return;
    auto* items = static_cast<header**>(std::malloc(sizeof(header*) * initialListCapacity));
    if (!items) {
        fail(errorFailed, "Out of RAM in globalput.\n");
        return;
    }
    std::string_view key = globalKey(name);
    auto found = globalLists.find(key);
    if (found != globalLists.end()) {
        freeList(found->second);
        found->second = {items, 0, initialListCapacity};
    } else {
        try {
            globalLists.emplace(key, PointerList{items, 0, initialListCapacity});
        } catch (const std::bad_alloc&) {
            std::free(items);
            fail(errorFailed, "Out of RAM in globalput.\n");
            return;
        }
    }
    returnMarker(first);
}

void builtinGlistadd(header* first) {
    ListArguments a;
    if (!readListArguments(first, false, true, "list name and value", "glistadd", &a)) return;
    insertIntoList(*a.list, a.list->count, a.value);
    if (!errorCode) returnCount(first, a.list->count);
}

void builtinGlistinsert(header* first) {
    ListArguments a;
    if (!readListArguments(first, true, true, "list name, index, value", "glistinsert", &a)) return;
    int32_t position = std::clamp(a.position, 0, a.list->count);
    insertIntoList(*a.list, position, a.value);
    if (!errorCode) returnCount(first, a.list->count);
}

void builtinGlistput(header* first) {
    ListArguments a;
    if (!readListArguments(first, true, true, "list name, index, value", "glistput", &a)) return;
    PointerList& list = *a.list;
    if (a.position >= list.count || list.count == 0) {
        insertIntoList(list, list.count, a.value);
    } else {
        int32_t position = std::max(a.position, 0);
        header* copy = copyForList(a.value);
        if (!copy) return;
        std::free(list.items[position]);
        list.items[position] = copy;
    }
    if (!errorCode) returnCount(first, list.count);
}

void builtinGlistget(header* first) {
    ListArguments a;
    if (!readListArguments(first, true, false, "list name and index", "glistget", &a)) return;
    if (!checkListPosition(a)) return;
    const header* stored = a.list->items[a.position];
    if (stored->size > ramend - newram) {
        fail(errorOutOfMemory, "Out of Memory!\n");
        return;
    }
    header* copy = recordAt(newram);
    std::memcpy(copy, stored, stored->size);
    newram += copy->size;
    moveResult(first, copy);
}

void builtinGlistdelete(header* first) {
    ListArguments a;
    if (!readListArguments(first, true, false, "list name and index", "glistdelete", &a)) return;
    if (!checkListPosition(a)) return;
    PointerList& list = *a.list;
    std::free(list.items[a.position]);
    std::memmove(list.items + a.position, list.items + a.position + 1,
                 sizeof(header*) * (list.count - a.position - 1));
    list.count--;
    returnCount(first, list.count);
}

void builtinGlistlength(header* first) {
    ListArguments a;
    if (!readListArguments(first, false, false, "list name", "glistlength", &a)) return;
    returnCount(first, a.list->count);
}

void builtinGlistremove(header* first) {
    const char* name = readNameArgument(first, "list name", "glistremove");
    if (!name) return;
    auto found = globalLists.find(globalKey(name));
    if (found != globalLists.end()) {
        freeList(found->second);
        globalLists.erase(found);
    }
    returnMarker(first);
}

static const BuiltinRecord rows[] = {
    {"gclear", 0, 0, builtinGclear},
    {"glist", 1, 0, builtinGlist},
    {"glistadd", 2, 0, builtinGlistadd},
    {"glistdelete", 2, 0, builtinGlistdelete},
    {"glistget", 2, 0, builtinGlistget},
    {"glistinsert", 3, 0, builtinGlistinsert},
    {"glistlength", 1, 0, builtinGlistlength},
    {"glistput", 3, 0, builtinGlistput},
    {"glistremove", 1, 0, builtinGlistremove},
    {"gremove", 1, 0, builtinGremove},
    {"gset", 2, 0, builtinGset},
    {"gvar", 1, 0, builtinGvar},
};
KALIX_BUILTIN_FAMILY(globalBuiltins, rows);

}  // namespace kalix
