// What the Python bridge and the C functions share: calls from foreign code
// back into the interpreter, the argument records of foreign calls, and the
// lines of a foreign body up to "endfunction".
#pragma once

#include <functional>

#include "interpreter/stack.h"

namespace kalix {

// Calls the interpreter function `name` on the n records from `first` (up
// to newram) for Python or C code (`caller` "Python" or "C"): "py$name" a
// Python function, "_name" a builtin or C function only, any other name a
// user function (map functions element-wise), a builtin, then a C function.
// The results replace the arguments. False with the error set when the
// call failed or no such function exists.
bool callFromForeign(const char* name, header* first, int n, const char* caller);

// The number of records from `first` up to `end`.
int countRecords(char* first, char* end);

// Collects at most `limit` of the n argument records from `first` and
// resolves each into `resolved`; returns how many, -1 on an error. The
// resolved values may lie above the arguments.
int resolveArguments(header* first, int n, int limit, header** resolved);

// Hands the lines of a foreign body to `take`, from the current line (or
// the next one when `fromNextLine`) up to the one that begins with
// "endfunction" (blanks before it allowed); the scan position ends after
// that word. A loaded file that ends first gives "Function did not complete
// in current file" and false; so does any error while lines are read.
bool readForeignBody(bool fromNextLine, const std::function<void(const char*)>& take);

}  // namespace kalix
