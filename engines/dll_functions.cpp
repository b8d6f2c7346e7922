// C functions in shared libraries: opening, binding, calling, closing, and
// the builtins dll and closedll.
#include "engines/dll_functions.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engines/foreign_calls.h"
#include "engines/foreign_guard.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/program_files.h"
#include "interpreter/values.h"
#include "platform/allow_question.h"
#include "platform/host.h"

namespace kalix {

namespace {

// A C function is handed at most this many arguments.
constexpr int maxDllArguments = 32;
constexpr int maxDllParameters = 16;

// What a C function is: its arguments, their number, the free stack; it
// returns the new stack top.
using DllFunctionInterface = char* (*)(header** arguments, int n, char* ramstart, char* ramend);

struct DllLibrary {
    void* handle;
    std::string name;  // the name given to dll
};

struct DllFunction {
    DllFunctionInterface function;
    std::string name;
    int nargs;  // -1: any number
    DllLibrary* library;
};

std::vector<std::unique_ptr<DllLibrary>> dllLibraries;
std::vector<DllFunction> dllFunctions;
int dllAllowed = 0;

// --- callbacks ----------------------------------------------------------------

void waitKeyCallback() {
    int keyCode = 0;
    waitForKey(&keyCode);
}

// A call of C code back into the interpreter: the records from `first` up
// to *top are the arguments; the results replace them and *top follows.
// 1 on success, 0 on failure.
int dllCallback(const char* name, header* first, char** top) {
    char* saved = newram;
    newram = *top;
    char* arguments = reinterpret_cast<char*>(first);
    bool ok = callFromForeign(name, first, countRecords(arguments, newram), "C");
    *top = newram;
    newram = saved;
    return ok ? 1 : 0;
}

using InitFunction = void (*)(void (*)(const char*), void (*)(const char*, ...), void (*)(),
                              int (*)(), int (*)(const char*, header*, char**));
using ClearFunction = void (*)();

// Runs an export of a library that takes no part in the results ("init",
// "clear") under the guard.
template <typename Call>
void runLibraryExport(const char* exportName, Call call) {
    if (runForeignCall(call)) fail(errorFailed, "DLL function %s crashed.\n", exportName);
}

DllLibrary* findLibrary(const char* name) {
    for (auto& library : dllLibraries)
        if (library->name == name) return library.get();
    return nullptr;
}

DllFunction* findDllFunction(const char* name, int n) {
    for (DllFunction& f : dllFunctions)
        if ((f.nargs == -1 || f.nargs == n) && f.name == name) return &f;
    return nullptr;
}

// The file of a library: found along the path (as given or with ".so"),
// else the name itself. A name without "/" is made relative to the current
// directory, so that the system's library search does not take it.
std::string libraryFile(const char* name) {
    const char* found = findFileInPath(name, ".so");
    std::string file = found ? found : name;
    if (found && file.find('/') == std::string::npos) file = "./" + file;
    return file;
}

DllLibrary* openLibrary(const char* name, const char* given) {
    std::string file = given ? given : libraryFile(name);
    std::string question =
        std::string("Kalix wants to load the DLL\n") + name + "\n\nAllow this DLL?";
    if (!askAllowed(question.c_str(), &dllAllowed)) {
        fail(errorFailed, "DLL could not be started!\n");
        return nullptr;
    }
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        fail(errorFailed, "Could not open the DLL library!\n");
        return nullptr;
    }
    dllLibraries.push_back(std::make_unique<DllLibrary>(DllLibrary{handle, name}));
    DllLibrary* library = dllLibraries.back().get();
    auto init = reinterpret_cast<InitFunction>(dlsym(handle, "init"));
    if (!init) {
        fail(errorFailed, "Could not find the init function in DLL!\n");
        return nullptr;
    }
    runLibraryExport("init", [&] {
        init(printText, printFormatted, waitKeyCallback, checkEscape, dllCallback);
    });
    return errorCode ? nullptr : library;
}

void closeLibrary(DllLibrary* library) {
    auto clear = reinterpret_cast<ClearFunction>(dlsym(library->handle, "clear"));
    if (clear) runLibraryExport("clear", [&] { clear(); });
    dlclose(library->handle);
}

// Whether the records from `start` to `end` are whole records one after
// another, as results must be.
bool recordsFill(char* start, char* end) {
    char* p = start;
    while (p < end) {
        int64_t size = recordAt(p)->size;
        if (size < headerSize || size % 8 != 0 || size > end - p) return false;
        p += size;
    }
    return p == end;
}

// What a C function returned at `result` for the call whose free stack
// began at `start`, its arguments at `first`.
// Results end above `start` on the stack; null, `start` or a place below
// it means none. Anything else (outside the stack) is broken.
void placeDllResults(const char* name, header* first, char* start, char* result) {
    if (result && !inArea(result, ramstart, start + 1)) {
        if (!inArea(result, start + 1, ramend + 1) || !recordsFill(start, result)) {
            fail(errorFailed, "DLL function %s returned broken results.\n", name);
            return;
        }
        newram = result;
        moveResults(first, recordAt(start));
        return;
    }
    if (result && *start) {
        std::string text(start, strnlen(start, size_t(ramend - start)));
        fail(errorFailed, "%s returned an error:\n%s\n", name, text.c_str());
        return;
    }
    newram = reinterpret_cast<char*>(first);
    pushMarker(markerNoResult);
}

// --- the builtins -----------------------------------------------------------------

void builtinDll(header* first) {
    header* second = nextValue(first);
    header* third = second ? nextValue(second) : nullptr;
    header* library = resolveValue(first);
    header* function = errorCode ? nullptr : resolveValue(second);
    header* count = errorCode ? nullptr : resolveValue(third);
    if (errorCode) return;
    if (library->kind != kindString || function->kind != kindString || count->kind != kindReal) {
        fail(errorWrongArgument, "Wrong arguments for %s\n", "dll");
        return;
    }
    double nargs = realOf(count);
    if (!(nargs >= -1 && nargs <= maxDllParameters)) {
        fail(errorFailed, "DLL functions must have variable number (-1) or 0 to 16 parameters.\n");
        return;
    }
    std::string name = stringOf(function);
    bool added = false;
    if (!dll::bindFunction(stringOf(library), name.c_str(), int(nargs), &added)) return;
    moveResult(first, pushCString(added ? name.c_str() : ""));
}

void builtinClosedll(header* first) {
    header* name = resolveValue(first);
    if (errorCode) return;
    if (name->kind != kindString) {
        fail(errorWrongArgument, "Need a string for closedll");
        return;
    }
    dll::unloadLibrary(std::string(stringOf(name)).c_str());
    if (errorCode) return;
    moveResult(first, pushMarker(markerNoResult));
}

const BuiltinRecord rows[] = {
    {"dll", 3, 0, builtinDll},
    {"closedll", 1, 0, builtinClosedll},
};

}  // namespace

KALIX_BUILTIN_FAMILY(dllBuiltins, rows);

bool dll::bindFunction(const char* libraryName, const char* functionName, int nargs, bool* added,
                       const char* file) {
    *added = false;
    DllLibrary* library = findLibrary(libraryName);
    if (!library) library = openLibrary(libraryName, file);
    if (!library) return false;
    size_t length = std::strlen(functionName);
    if (length > 0 && functionName[length - 1] == '$') {
        fail(errorFailed, "Cannot name a function %s\n", functionName);
        return false;
    }
    auto function = reinterpret_cast<DllFunctionInterface>(dlsym(library->handle, functionName));
    if (!function) {
        fail(errorFailed, "Could not find this DLL function!\n");
        return false;
    }
    if (findDllFunction(functionName, nargs)) return true;
    dllFunctions.push_back(DllFunction{function, functionName, nargs, library});
    *added = true;
    return true;
}

int dll::callFunction(const char* name, int n, header* first) {
    DllFunction* bound = findDllFunction(name, n);
    if (!bound) return 0;
    DllFunctionInterface function = bound->function;
    StackRef arguments(first);
    header* resolved[maxDllArguments];
    int count = resolveArguments(first, n, maxDllArguments, resolved);
    if (count < 0) return 1;
    char* start = newram;
    if (start >= ramend) {
        fail(errorStackOverflow, "Stack overflow!\n");
        return 1;
    }
    *start = 0;
    char* result = nullptr;
    auto call = [&] { result = function(resolved, count, start, ramend); };
    if (runForeignCall(call)) {
        fail(errorFailed, "DLL function %s crashed.\n", name);
        return 1;
    }
    if (errorCode) return 1;
    placeDllResults(name, arguments.get(), start, result);
    return 1;
}

void dll::unloadLibrary(const char* name) {
    DllLibrary* library = findLibrary(name);
    if (!library) return;
    std::erase_if(dllFunctions, [&](const DllFunction& f) { return f.library == library; });
    closeLibrary(library);
    std::erase_if(dllLibraries, [&](const auto& l) { return l.get() == library; });
}

void dll::unloadAll() {
    dllAllowed = 0;
    dllFunctions.clear();
    for (auto& library : dllLibraries) closeLibrary(library.get());
    dllLibraries.clear();
}

}  // namespace kalix
