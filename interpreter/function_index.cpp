// The user-function index.
#include "interpreter/function_index.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

#include "interpreter/builtin_table.h"
#include "interpreter/functions.h"

namespace {

// Keys are views of the names inside the records: they stay valid until
// the function area changes, and every change marks the index stale.
std::unordered_map<std::string_view, header*> functionIndex;
int indexStale = 1;

constexpr size_t nameLimit = sizeof header::name;

std::string_view recordName(const header* record) {
    return std::string_view(record->name, strnlen(record->name, nameLimit));
}

header* lookUp(const char* name) {
    if (indexStale) rebuildFunctionIndex();
    auto found = functionIndex.find(std::string_view(name, strnlen(name, nameLimit)));
    return found == functionIndex.end() ? nullptr : found->second;
}

bool anyAlias() {
    const char* names[1];
    return collectAliasNames("", names, 0, 1) > 0;
}

// The record of `name`, else of its alias (one step). Most names looked up
// are no functions; without any alias that costs one hash lookup.
header* lookUpWithAlias(const char* name) {
    if (header* record = lookUp(name)) return record;
    const char* alias = anyAlias() ? resolveAlias(name) : nullptr;
    return alias ? lookUp(alias) : nullptr;
}

}  // namespace

void markFunctionIndexStale() { indexStale = 1; }

void indexFunction(const char* name, header* record) {
    std::string_view key(name, strnlen(name, nameLimit));
    functionIndex.erase(key);
    functionIndex.emplace(recordName(record), record);
}

void rebuildFunctionIndex() {
    functionIndex.clear();
    for (char* p = ramstart; p + headerSize <= functionsEnd;) {
        header* record = recordAt(p);
        if (record->kind != kindFunction || record->size < headerSize ||
            record->size > functionsEnd - p)
            break;
        indexFunction(record->name, record);
        p += record->size;
    }
    indexStale = 0;
}

header* findAnyFunction(const char* name) { return lookUpWithAlias(name); }

header* findFunction(const char* name) {
    header* record = lookUpWithAlias(name);
    return record && !(record->flags & userFunctionHidden) ? record : nullptr;
}

header* findMapFunction(const char* name) {
    size_t length = strnlen(name, nameLimit + 1);
    if (length >= nameLimit + 1 || length <= 3 || std::strcmp(name + length - 3, "map") != 0)
        return nullptr;
    char base[nameLimit + 1];
    std::memcpy(base, name, length - 3);
    base[length - 3] = 0;
    return findFunction(base);
}
