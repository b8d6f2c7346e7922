#include "notebook/name_completion.h"

#include <algorithm>
#include <cstring>

#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/functions.h"
#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace {

constexpr size_t candidateLimit = 128;
constexpr size_t hintLimit = 32768;

std::string plainWord(const char* word) {
    std::string out;
    for (const char* p = word; *p; p++) {
        if (*p == '\\' && p[1]) {
            out += *++p;
        } else if (p[0] == '_' && p[1] == '_') {
            out += '_';
            p++;
        } else {
            out += *p;
        }
    }
    return out;
}

bool beginsWith(const char* name, const std::string& word) {
    return std::strncmp(name, word.c_str(), word.size()) == 0;
}

// The user function of exactly that name, hidden ones included (read from
// the function area; the index is not rebuilt from here).
header* userFunctionNamed(const char* name) {
    for (char* p = ramstart; p && p < functionsEnd; p += recordAt(p)->size) {
        header* record = recordAt(p);
        if (record->kind == kindFunction && std::strcmp(record->name, name) == 0) return record;
    }
    return nullptr;
}

void collect(std::vector<std::string>& names, const char* name, const std::string& word) {
    if (names.size() < candidateLimit && beginsWith(name, word)) names.emplace_back(name);
}

// The hint of one name: a user function's header with its help line, else
// a builtin's help line. False when the name is neither.
bool hintOf(const std::string& name, std::string& hint) {
    std::string target = name;
    if (const char* alias = resolveAlias(name.c_str())) target = alias;
    if (header* function = userFunctionNamed(target.c_str())) {
        hint = buildFunctionHeader(function, 1);
        return true;
    }
    if (findBuiltin(target.c_str(), -1)) {
        hint = helpLineOf(target.c_str());
        return true;
    }
    return false;
}

}  // namespace

std::string helpLineOf(const char*) { return std::string(); }

NameCompletion completeName(const char* input) {
    NameCompletion result;
    std::string word = plainWord(input);
    std::vector<std::string> names;
    for (int k = 0; k < builtinCount; k++) collect(names, builtinTable[k].name, word);
    for (char* p = ramstart; p && p < functionsEnd; p += recordAt(p)->size) {
        header* record = recordAt(p);
        if (record->kind == kindFunction) collect(names, record->name, word);
    }
    for (int k = 0; k < commandCount; k++) collect(names, commandTable[k].name, word);
    const char* aliases[candidateLimit];
    int n = collectAliasNames(word.c_str(), aliases, 0, int(candidateLimit));
    for (int k = 0; k < n; k++) collect(names, aliases[k], word);

    size_t bracket = word.find('(');
    if (names.empty() && bracket != std::string::npos) {
        std::string name = word.substr(0, bracket);
        if (hintOf(name, result.hint)) result.candidates.push_back(name);
        return result;
    }
    if (names.size() == 1 && hintOf(names[0], result.hint)) {
        result.candidates = names;
        return result;
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() < b.size();
    });
    for (const std::string& name : names) {
        if (std::find(result.candidates.begin(), result.candidates.end(), name) !=
            result.candidates.end())
            continue;
        if (result.hint.size() + name.size() + 1 > hintLimit) break;
        result.candidates.push_back(name);
        result.hint += name + " ";
    }
    return result;
}
