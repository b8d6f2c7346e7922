#include "interpreter/state_snapshot.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "interpreter/builtin_table.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/state_hand_over.h"

namespace kalix {

namespace {

// Guards `published`; held only to swap or copy the pointer.
std::mutex publishMutex;
// Written by the computation thread, read by any thread, under publishMutex.
std::shared_ptr<const StateSnapshot> published;

constexpr size_t nameLimit = sizeof header::name;

bool byName(const std::pair<std::string, std::string>& entry, const std::string& name) {
    return entry.first < name;
}

}  // namespace

const std::string* StateSnapshot::hintOf(const std::string& name) const {
    auto found = std::lower_bound(functionHints.begin(), functionHints.end(), name, byName);
    return found != functionHints.end() && found->first == name ? &found->second : nullptr;
}

const std::string* StateSnapshot::aliasTarget(const std::string& name) const {
    for (const auto& alias : aliases)
        if (alias.first == name) return &alias.second;
    return nullptr;
}

bool StateSnapshot::findsFunction(const std::string& name) const {
    // The index compares at most the stored length of a name.
    auto stored = [this](const std::string& n) { return hintOf(n.substr(0, nameLimit)); };
    if (stored(name)) return true;
    const std::string* target = aliasTarget(name);
    return target && stored(*target);
}

StateSnapshot takeStateSnapshot() {
    KALIX_CHECK(stateReadableByCaller());
    StateSnapshot copy;
    copy.yacasMode = yacasMode;
    for (int k = 1; k <= functionKeyCount; k++) copy.functionKeys[size_t(k)] = functionKeyTexts[k];
    for (char* p = ramstart; p && p < functionsEnd; p += recordAt(p)->size) {
        const header* record = recordAt(p);
        if (record->kind == kindFunction)
            copy.functionNames.emplace_back(record->name, strnlen(record->name, nameLimit));
    }
    std::vector<std::string> names = copy.functionNames;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (std::string& name : names) {
        // The record a lookup of the name finds (the oldest of a name
        // stored twice).
        header* found = findStoredFunction(name.c_str());
        std::string hint = found ? buildFunctionHeader(found, 1) : "";
        copy.functionHints.emplace_back(std::move(name), std::move(hint));
    }
    copy.aliases = aliasList();
    return copy;
}

void publishStateSnapshot() {
    auto copy = std::make_shared<const StateSnapshot>(takeStateSnapshot());
    std::lock_guard<std::mutex> hold(publishMutex);
    published = std::move(copy);
}

std::shared_ptr<const StateSnapshot> publishedStateSnapshot() {
    static const auto empty = std::make_shared<const StateSnapshot>();
    std::lock_guard<std::mutex> hold(publishMutex);
    return published ? published : empty;
}

}  // namespace kalix
