// The user-function index.
#include "interpreter/function_index.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

#include "interpreter/builtin_table.h"
#include "interpreter/functions.h"
#include "interpreter/state_hand_over.h"

namespace kalix {

namespace {

// Each function's distance below `functionsEnd`, less `distanceBias`: a new
// function goes below the others, which stay where they are or move with
// `functionsEnd`, so the distances stay. A removal shortens the distances
// of the newer functions only (see dropIndexedFunction).
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
};
std::unordered_map<std::string, int64_t, NameHash, std::equal_to<>> functionIndex;
int indexStale = 1;
int64_t distanceBias = 0;
// Some name is stored twice (the index holds the oldest record of it).
bool repeatedNames = false;

constexpr size_t nameLimit = sizeof header::name;

std::string_view recordName(const header* record) {
    return std::string_view(record->name, strnlen(record->name, nameLimit));
}

header* lookUp(const char* name) {
    KALIX_CHECK(stateReadableByCaller());
    if (indexStale) rebuildFunctionIndex();
    auto found = functionIndex.find(std::string_view(name, strnlen(name, nameLimit)));
    return found == functionIndex.end() ? nullptr
                                        : recordAt(functionsEnd - (found->second + distanceBias));
}

int64_t distanceOf(const char* record) { return functionsEnd - record; }

// Adds `delta` to the distance of each function from `from` to `to` whose
// name leads to it.
void shiftDistances(char* from, char* to, int64_t delta) {
    for (char* p = from; p < to; p += recordAt(p)->size) {
        auto found = functionIndex.find(recordName(recordAt(p)));
        if (found != functionIndex.end() && found->second + distanceBias == distanceOf(p))
            found->second += delta;
    }
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

void indexFunction(header* record) {
    // As in a rebuild, the oldest record of a name is the one found.
    if (!indexStale && !functionIndex
                            .try_emplace(std::string(recordName(record)),
                                         distanceOf(reinterpret_cast<char*>(record)) - distanceBias)
                            .second)
        repeatedNames = true;
}

void dropIndexedFunction(header* record) {
    if (indexStale) return;
    if (repeatedNames) {
        markFunctionIndexStale();
        return;
    }
    functionIndex.erase(std::string(recordName(record)));
    // The functions newer than the record (below it) come closer to the
    // end by its size: the side with fewer bytes is walked.
    char* at = reinterpret_cast<char*>(record);
    char* end = at + record->size;
    if (at - ramstart <= functionsEnd - end) {
        shiftDistances(ramstart, at, -record->size);
    } else {
        shiftDistances(end, functionsEnd, record->size);
        distanceBias -= record->size;
    }
}

header* findStoredFunction(const char* name) { return lookUp(name); }

void rebuildFunctionIndex() {
    functionIndex.clear();
    distanceBias = 0;
    repeatedNames = false;
    for (char* p = ramstart; p + headerSize <= functionsEnd;) {
        header* record = recordAt(p);
        if (record->kind != kindFunction || record->size < headerSize ||
            record->size > functionsEnd - p)
            break;
        if (!functionIndex.insert_or_assign(std::string(recordName(record)), distanceOf(p)).second)
            repeatedNames = true;
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

}  // namespace kalix
