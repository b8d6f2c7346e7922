// Calls from Python and C back into the interpreter, and the bodies of
// Python and C definitions.
#include "engines/foreign_calls.h"

#include <cstring>

#include "interpreter/builtin_table.h"
#include "interpreter/engine_services.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"

namespace kalix {

bool callFromForeign(const char* name, header* first, int n, const char* caller) {
    semicolonPosition = 0;
    if (hasPrefix(name, "py$")) {
        callPythonFunction(name + 3, n, first);
        return !errorCode;
    }
    if (name[0] == '_') {
        if (callBuiltin(name + 1, n, first) || callDllFunction(name + 1, n, first))
            return !errorCode;
        reportBuiltinArity(name + 1, n);
        errorCode = errorFailed;
        return false;
    }
    header* function = findFunction(name);
    bool map = function && (function->flags & userFunctionMap);
    if (!function) {
        function = findMapFunction(name);
        map = function != nullptr;
    }
    if (map) {
        callMapFunction(first, function->name, 0);
    } else if (function) {
        callUserFunction(function, first, n, 0);
    } else if (!callBuiltin(name, n, first) && !callDllFunction(name, n, first)) {
        fail(errorFailed, "Function %s called from %s not found.\n", name, caller);
        return false;
    }
    return !errorCode;
}

int countRecords(char* first, char* end) {
    int n = 0;
    for (char* p = first; p < end && recordAt(p)->size > 0; p += recordAt(p)->size) n++;
    return n;
}

int resolveArguments(header* first, int n, int limit, header** resolved) {
    // The records first: resolving pushes values that must not be taken
    // for further arguments.
    int count = 0;
    for (header* r = n > 0 ? first : nullptr; r && count < n && count < limit; r = nextValue(r))
        resolved[count++] = r;
    for (int i = 0; i < count; i++) {
        resolved[i] = resolveValue(resolved[i]);
        if (errorCode) return -1;
    }
    return count;
}

namespace {

bool isEndLine(const char* line) {
    while (*line == ' ' || *line == '\t') line++;
    return std::strncmp(line, "endfunction", 11) == 0;
}

}  // namespace

bool readForeignBody(bool fromNextLine, const std::function<void(const char*)>& take) {
    FILE* file = loadFile;
    for (bool next = fromNextLine;; next = true) {
        if (next) {
            nextCodeLine();
            if (errorCode) return false;
        }
        if (file && (loadFile != file || *scanPointer == endOfBody)) {
            if (*scanPointer == endOfBody) *scanPointer = 0;
            fail(errorFailed, "Function did not complete in current file\n");
            return false;
        }
        if (isEndLine(scanPointer)) break;
        take(scanPointer);
    }
    scanPointer = std::strstr(scanPointer, "endfunction") + 11;
    return true;
}

}  // namespace kalix
