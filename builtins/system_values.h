// Helpers of the system builtins (processes, files, keys): an argument
// kept as the result, and string vectors made from texts the operating
// system gives (output lines, file names), pushed only after their size is
// known, so that a vector the stack cannot hold is refused ("Stack
// overflow!", error 2) before anything is written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "interpreter/stack.h"

namespace kalix {

// Leaves a copy of the resolved argument `value` (without a name) as the
// result over `first`.
void keepArgumentAsResult(header* first, header* value);

// The lines of `text` as a string vector: carriage returns are dropped and
// every line feed ends a string. The rest after the last line feed is one
// more string when it is not empty, or always when `restAlways` (then a
// text ending in a line feed gives a final empty string).
header* pushLineVector(std::string_view text, bool restAlways);

// The names as a string vector (none: a vector without strings).
header* pushNameVector(const std::vector<std::string>& names);

}  // namespace kalix
