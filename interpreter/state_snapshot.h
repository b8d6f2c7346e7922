// What the GUI thread reads of the interpreter's state, as an immutable
// copy: the computation thread publishes one each time it parks for an
// input line in the notebook, and the completion, the status help and the
// line editor read only that. A change the interpreter makes while it runs
// is seen when it waits again.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "interpreter/state.h"

namespace kalix {

struct StateSnapshot {
    int yacasMode = 0;
    // The function-key texts, slot k for key k (slot 0 unused).
    std::array<std::string, functionKeyCount + 1> functionKeys;
    // The names in the function area, newest first (a name stored twice
    // is there twice), and the usage line with the help text of the
    // function each name finds.
    std::vector<std::string> functionNames;
    std::vector<std::pair<std::string, std::string>> functionHints;  // sorted by name
    // The aliases and their texts, in the order of the alias map.
    std::vector<std::pair<std::string, std::string>> aliases;

    // The hint of the user function of exactly that name, or null.
    const std::string* hintOf(const std::string& name) const;
    // The text of the alias, or null.
    const std::string* aliasTarget(const std::string& name) const;
    // As findAnyFunction: a function of that name, else of its alias.
    bool findsFunction(const std::string& name) const;
};

// A copy of the state now. Computation thread.
StateSnapshot takeStateSnapshot();
// Makes a copy of the state now the published one. Computation thread.
void publishStateSnapshot();
// The copy published last (an empty one before the first). Any thread.
std::shared_ptr<const StateSnapshot> publishedStateSnapshot();

}  // namespace kalix
