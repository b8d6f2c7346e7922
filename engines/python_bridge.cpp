// The Python bridge: loading libkalixpy3.so, its guarded calls, the
// callbacks it gets, and everything of the language that runs Python.
#include "engines/python_bridge.h"

#include <dlfcn.h>

#include <atomic>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/settings.h"
#include "base/text.h"
#include "base/threads.h"
#include "engines/foreign_calls.h"
#include "engines/foreign_guard.h"
#include "engines/pybridge/kalixpy.h"
#include "interpreter/arguments.h"
#include "interpreter/builtin_table.h"
#include "interpreter/functions.h"
#include "interpreter/output.h"
#include "interpreter/printing.h"
#include "interpreter/scanner.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "platform/allow_question.h"
#include "platform/foreign_call_guard.h"
#include "platform/host.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace kalix {

namespace {

// The Python functions take at most this many arguments.
constexpr int maxPythonArguments = 32;

struct BridgeLibrary {
    void* handle = nullptr;
    PyExitFunction exit = nullptr;
    PyRunFunction run = nullptr;
    PyRunFileFunction runFile = nullptr;
    PyErrorFunction error = nullptr;
    PyGetFunction get = nullptr;
    PySetFunction set = nullptr;
    PyEvalFunction eval = nullptr;
};
BridgeLibrary bridge;
int pythonAllowed = 0;
// A fault inside Python leaves it unusable: the bridge stays off.
bool switchedOff = false;
// Where that fault was (an export of the bridge), for the later messages.
std::string crashPlace;
// The last start was refused by the user.
bool startRefused = false;
// Calls into the bridge that are running (callbacks nest them).
int bridgeDepth = 0;

// --- Escape and Ctrl-C while Python runs -----------------------------------------

// Python's own entry points, found once Python is loaded; written by the
// computation thread before the watcher first runs. PyErr_SetInterrupt
// marks a KeyboardInterrupt for the code that runs on Python's main thread
// (the computation thread), but from another thread Python only notices it
// when that thread next gives up the interpreter lock: taking the lock for a
// moment makes it do so.
void (*setInterrupt)() = nullptr;
int (*takePythonLock)() = nullptr;
void (*givePythonLock)(int) = nullptr;

void interruptPython() {
    setInterrupt();
    givePythonLock(takePythonLock());
}

// Python code (not the interpreter called back from it) is running. Written
// by the computation thread; the watcher and the fault handler read it.
std::atomic<bool> pythonCodeRunning{false};

// --- faults on threads of Python -------------------------------------------------

// Python's own test whether the running thread is one of its threads.
void* (*pythonThreadState)() = nullptr;
// The computation thread, the one that calls Python. Written before the
// fault handler is set.
pthread_t computationThread;
// A thread of Python faulted (set by the fault handler): Python is to be
// switched off.
std::atomic<bool> pythonThreadFaulted{false};

// In the signal handler of a fault outside the guarded calls: a fault on a
// thread Python started is Python's. The thread is parked for good (it may
// hold Python's lock); a call into Python that runs is abandoned, since it
// may wait for that lock.
bool onPythonThreadFault(int) {
    if (pthread_equal(pthread_self(), computationThread) || !pythonThreadState()) return false;
    pythonThreadFaulted = true;
    if (pythonCodeRunning) abandonGuardedCall(computationThread);
    return true;
}

void watchPythonThreads() {
    pythonThreadState =
        reinterpret_cast<void* (*)()>(dlsym(RTLD_DEFAULT, "PyGILState_GetThisThreadState"));
    if (!pythonThreadState) return;
    computationThread = pthread_self();
    setForeignThreadFaultHandler(onPythonThreadFault);
}
// The watcher sleeps until the next call. Shared by both.
std::atomic<bool> watcherIdle{false};

// Watches Escape (window) and Ctrl-C (terminal) while Python code runs:
// Python never asks for them, so the key becomes a KeyboardInterrupt.
class EscapeWatcher : public Thread {
  public:
    int run() override {
        while (!stopRequested()) {
            if (!pythonCodeRunning) {
                watcherIdle = true;
                // A call that began meanwhile would not wake the watcher.
                if (!pythonCodeRunning || !watcherIdle.exchange(false)) suspendThread();
                continue;
            }
            suspendThreadFor(50);
            if (pythonCodeRunning && checkEscape() == keyEscape) interruptPython();
        }
        return 0;
    }
};
EscapeWatcher escapeWatcher;

// Marks Python code as running (or not) until the scope ends.
class PythonCodeRuns {
  public:
    explicit PythonCodeRuns(bool running) : saved(pythonCodeRunning) {
        pythonCodeRunning = running;
        if (running && watcherIdle.exchange(false)) escapeWatcher.resumeThread();
    }
    ~PythonCodeRuns() { pythonCodeRunning = saved; }
    PythonCodeRuns(const PythonCodeRuns&) = delete;
    PythonCodeRuns& operator=(const PythonCodeRuns&) = delete;

  private:
    bool saved;
};

// Finds Python's entry points and starts the watcher; without them Python
// runs as before, only not interruptible.
void startEscapeWatcher() {
    if (escapeWatcher.isThreadRunning()) return;
    setInterrupt = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "PyErr_SetInterrupt"));
    takePythonLock = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "PyGILState_Ensure"));
    givePythonLock = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "PyGILState_Release"));
    if (setInterrupt && takePythonLock && givePythonLock) escapeWatcher.startThread();
}

// Python cannot be ended and started again in one process, so what it
// allocates (its modules and the libraries they load included) lives until
// the process ends: the leak checks of sanitizer builds pass over it.
struct PythonAllocations {
#if defined(__SANITIZE_ADDRESS__)
    PythonAllocations() { __lsan_disable(); }
    ~PythonAllocations() { __lsan_enable(); }
#else
    PythonAllocations() {}
    ~PythonAllocations() {}
#endif
    PythonAllocations(const PythonAllocations&) = delete;
    PythonAllocations& operator=(const PythonAllocations&) = delete;
};

// --- output -------------------------------------------------------------------

// Python's texts are UTF-8; the interpreter's are in the code page.
void printUtf8(const char* text) {
    const char* p = text;
    while (*p && static_cast<unsigned char>(*p) < 0x80) p++;
    if (!*p) {
        printText(text);
        return;
    }
    std::string converted;
    utf8ToCodePage(text, converted);
    printText(converted.c_str());
}

// A text of the interpreter (code, names) as Python reads it: UTF-8.
std::string toUtf8(const std::string& text) {
    if (codePageIsUtf8()) return text;
    std::string converted;
    codePageToUtf8(text.c_str(), converted);
    return converted;
}

// A text of Python as a string record, flagged UTF-8 when it needs it.
header* pushUtf8(const char* text) {
    header* record = pushCString(text);
    if (!record) return nullptr;
    for (const char* p = text; *p; p++)
        if (static_cast<unsigned char>(*p) >= 0x80) {
            record->flags |= flagUtf8;
            break;
        }
    return record;
}

// --- callbacks ------------------------------------------------------------------

void printFromPython(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? size_t(n) : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    va_end(arguments);
    printUtf8(text.c_str());
}

void getStackBounds(char** top, char** end) {
    *top = newram;
    *end = ramend;
}

// A call of Python back into the interpreter: the string record `first`
// names the function, the records after it up to *top are its arguments;
// the results replace the name.
int pythonCallback(header* first, char** top) {
    PythonCodeRuns interpreterRuns(false);
    char* saved = newram;
    newram = *top;
    int ok = 0;
    if (first->kind != kindString) {
        fail(errorFailed, "Python called Kalix without a function name\n");
    } else {
        std::string name = stringOf(first);
        StackRef nameRecord(first);
        char* arguments = endOf(first);
        if (callFromForeign(name.c_str(), recordAt(arguments), countRecords(arguments, newram),
                            "Python")) {
            header* target = nameRecord.get();
            moveResults(target, recordAt(endOf(target)));
            ok = !errorCode;
        }
    }
    *top = newram;
    newram = saved;
    // A fault inside a nested Python call has switched Python off: the
    // Python code that called back must not go on either.
    if (switchedOff && bridgeDepth > 0) raise(SIGABRT);
    return ok;
}

int pollKeyCallback() { return pollKey(); }

int printPythonValue(header* value, char* top) {
    char* saved = newram;
    if (recordInArea(value, ramstart, top)) {
        newram = top;
        printValue(value);
    }
    newram = saved;
    return 1;
}

const PythonCallbacks callbacks = {printFromPython, getStackBounds, pythonCallback, pollKeyCallback,
                                   printPythonValue};

// --- loading --------------------------------------------------------------------

void freeBridge() {
    // Loaded with RTLD_NODELETE: Python stays in the process (it cannot be
    // started twice), only the handle is given back.
    if (bridge.handle) dlclose(bridge.handle);
    bridge = BridgeLibrary();
}

template <typename Function>
bool resolve(Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(bridge.handle, name));
    return function != nullptr;
}

void warn(const char* format, const char* text) {
    char message[2048];
    std::snprintf(message, sizeof message, format, text);
    showWarning(message, "Kalix");
}

void loadPython() {
    if (switchedOff) return;
    startRefused = false;
    if (!askAllowed("Kalix wants to use Python.\nAllow?", &pythonAllowed)) {
        startRefused = true;
        errorCode = errorFailed;
        return;
    }
    std::string path = std::string(getProgramDir()) +
                       (intSetting("python27") ? "libkalixpy2.so" : "libkalixpy3.so");
    // Global: Python's extension modules find the Python library's symbols.
    bridge.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
    if (!bridge.handle) {
        warn("Could not open %s", path.c_str());
        errorCode = errorFailed;
        return;
    }
    PyInitFunction init = nullptr;
    bool found = resolve(bridge.exit, "py_exit") && resolve(bridge.run, "py_run") &&
                 resolve(bridge.runFile, "py_run_file") && resolve(bridge.error, "py_error") &&
                 resolve(bridge.get, "py_get") && resolve(bridge.set, "py_set") &&
                 resolve(bridge.eval, "py_eval") && resolve(init, "py_init");
    if (!found) {
        warn("%s", "Could not initialize Python DLL");
        errorCode = errorFailed;
        freeBridge();
        return;
    }
    int started = 0;
    PythonAllocations python;
    auto call = [&] { started = init(&callbacks); };
    if (runForeignCall(call)) {
        printText("Python crash executing:\npy_init\n");
        switchedOff = true;
        crashPlace = "py_init";
        errorCode = errorFailed;
        bridge = BridgeLibrary();
        return;
    }
    if (started) {
        startEscapeWatcher();
        watchPythonThreads();
    }
    if (!started) {
        printFormatted("%s\n", bridge.error());
        warn("%s", "Error when initializing Python (in pyinit())");
        errorCode = errorFailed;
        freeBridge();
    }
}

// --- guarded calls ----------------------------------------------------------------

// A thread of Python faulted while no call ran, or during one that went
// on: Python is not used again.
void switchOffAfterThreadFault() {
    printText("Python crash in a thread of Python.\n");
    switchedOff = true;
    crashPlace = "a thread of Python";
    bridge = BridgeLibrary();
}

// Runs one export of the bridge, loading it first. False when the bridge is
// not there ("Python was not initialized (<export>)") or Python faulted
// (the crash message with `what`; Python is switched off).
template <typename Call>
bool callBridge(const char* exportName, const char* crashFormat, const char* what, Call call) {
    if (pythonThreadFaulted && !switchedOff) switchOffAfterThreadFault();
    if (!bridge.handle) loadPython();
    if (!bridge.handle) {
        if (switchedOff)
            printFormatted("Python was switched off after a crash in %s.\n", crashPlace.c_str());
        else if (startRefused)
            printText("Starting Python was not allowed (setting askexec).\n");
        else
            printFormatted("Python was not initialized (%s).\n", exportName);
        errorCode = errorFailed;
        return false;
    }
    bridgeDepth++;
    int signal;
    {
        PythonCodeRuns running(true);
        PythonAllocations python;
        signal = runForeignCall(call);
    }
    bridgeDepth--;
    if (!signal && pythonThreadFaulted && !switchedOff) {
        switchOffAfterThreadFault();
        errorCode = errorFailed;
        return false;
    }
    if (!signal) return true;
    if (pythonThreadFaulted) what = "(a thread of Python)";
    // Reported once: an outer call that is abandoned with it stays quiet.
    if (!switchedOff) {
        printFormatted(crashFormat, what);
        crashPlace = pythonThreadFaulted ? "a thread of Python" : exportName;
    }
    switchedOff = true;
    bridge = BridgeLibrary();
    errorCode = errorFailed;
    if (bridgeDepth > 0) raise(SIGABRT);
    return false;
}

// After a call: the error text of the bridge, if any, is the error.
bool bridgeSucceeded() {
    const char* error = bridge.error();
    if (!*error) return true;
    printFormatted("Python error:\n");
    printUtf8(error);
    printText("\n");
    errorCode = errorFailed;
    return false;
}

std::string callPyRun(const std::string& code) {
    const char* text = nullptr;
    std::string utf8 = toUtf8(code);
    if (!callBridge("py_run", "Python crash executing:\n%s\n", code.c_str(),
                    [&] { text = bridge.run(utf8.c_str()); }))
        return "";
    if (!text) {
        bridgeSucceeded();
        return "";
    }
    showTextWindow();
    return text;
}

std::string runPythonFile(const char* path) {
    const char* text = nullptr;
    if (!callBridge("py_run_file", "Python crash executing:\n%s\n", path,
                    [&] { text = bridge.runFile(path); }))
        return "";
    if (!text) {
        bridgeSucceeded();
        return "";
    }
    return text;
}

void callPyGet(const char* name, char** top) {
    std::string utf8 = toUtf8(name);
    if (callBridge("py_get", "Python crash getting %s\n", name,
                   [&] { bridge.get(utf8.c_str(), top, ramend); }))
        bridgeSucceeded();
}

void callPySet(const char* name, header* value) {
    std::string utf8 = toUtf8(name);
    if (callBridge("py_set", "Python crash setting %s\n", name,
                   [&] { bridge.set(utf8.c_str(), value); }))
        bridgeSucceeded();
}

void callPyEval(const char* name, header** arguments, int n, char** top) {
    std::string utf8 = toUtf8(name);
    if (callBridge("py_eval", "Python crash evaluating %s\n", name,
                   [&] { bridge.eval(utf8.c_str(), arguments, n, top, ramend); }))
        bridgeSucceeded();
}

// The text of a run, as the lines and blocks print it.
void printRunText(const std::string& text) {
    if (errorCode || !text.empty()) {
        printUtf8(text.c_str());
        printText("\n");
    }
}

// Python's results, pushed at `start` up to `top`, replace the records
// from `destination` on; a call that gave none leaves the marker of a
// missing value.
void placeResults(header* destination, char* start, char* top) {
    newram = top;
    if (top == start && !pushMarker(markerNoResult)) return;
    moveResults(destination, recordAt(start));
}

// Calls the Python function `name` on n argument records from `first`; the
// result replaces the records from `destination` on.
bool evaluateInPython(const char* name, header* destination, header* first, int n) {
    StackRef target(destination);
    header* arguments[maxPythonArguments];
    int count = resolveArguments(first, n, maxPythonArguments, arguments);
    if (count < 0) return false;
    char* start = newram;
    char* top = start;
    callPyEval(name, arguments, count, &top);
    if (errorCode) return false;
    placeResults(target.get(), start, top);
    return !errorCode;
}

// The argument records of a call up to the stack top.
int recordsFrom(header* first, int n) {
    return n > 0 ? countRecords(reinterpret_cast<char*>(first), newram) : 0;
}

// --- the builtins ---------------------------------------------------------------

constexpr Signature pythonSignature = {
    "python", "string or string vector", {{takesString | takesStringVector}}};

void builtinPython(header* first) {
    const Arguments a(first, pythonSignature);
    if (!a) return;
    header* value = a[0];
    std::string code;
    if (value->kind == kindString) {
        code = stringOf(value);
    } else {
        int n = countStrings(value);
        const char* text = stringOf(value);
        for (int i = 0; i < n; i++, text += std::strlen(text) + 1) {
            if (i > 0) code += '\n';
            code += text;
        }
    }
    std::string text = callPyRun(code);
    if (errorCode) return;
    moveResult(first, pushUtf8(text.c_str()));
}

// pyload's refusal names python, as it always has.
constexpr Signature pyloadSignature = {"python", "string or string vector", {{takesString}}};

void builtinPyload(header* first) {
    const Arguments a(first, pyloadSignature);
    if (!a) return;
    std::string text = runPythonFile(std::string(a.text(0)).c_str());
    if (errorCode) return;
    moveResult(first, pushUtf8(text.c_str()));
}

constexpr Signature pygetSignature = {"pyget", "string", {{takesString}}};

void builtinPyget(header* first) {
    const Arguments a(first, pygetSignature);
    if (!a) return;
    std::string name = a.text(0);
    char* start = newram;
    char* top = start;
    callPyGet(name.c_str(), &top);
    if (errorCode) return;
    placeResults(first, start, top);
}

// The name is checked before the value is resolved.
constexpr Signature pysetSignature = {.builtin = "pyset",
                                      .need = "string and value",
                                      .rules = {{takesString}, {takesAnything}},
                                      .order = CheckOrder::asResolved};

void builtinPyset(header* first) {
    const Arguments a(first, pysetSignature);
    if (!a) return;
    std::string name = a.text(0);
    callPySet(name.c_str(), a[1]);
    if (errorCode) return;
    moveResult(first, pushMarker(markerNoResult));
}

// The name; the arguments for Python are resolved when they are passed.
constexpr Signature pycallSignature = {"pycall", "string and arguments", {{takesString}}};

void builtinPycall(header* first) {
    // The arguments before the name is resolved (which may push a value).
    header* arguments = nextValue(first);
    int n = arguments ? countRecords(reinterpret_cast<char*>(arguments), newram) : 0;
    const Arguments a(first, pycallSignature);
    if (!a) return;
    std::string name = a.text(0);
    evaluateInPython(name.c_str(), first, arguments ? arguments : recordAt(newram), n);
}

const BuiltinRecord rows[] = {
    {"python", 1, 0, builtinPython},  {"pyload", 1, 0, builtinPyload},
    {"pyget", 1, 0, builtinPyget},    {"pyset", 2, 0, builtinPyset},
    {"pycall", -1, 0, builtinPycall},
};

}  // namespace

KALIX_BUILTIN_FAMILY(pythonBuiltins, rows);

// --- the language's Python --------------------------------------------------------

void python::runLine() {
    while (std::strcmp(scanPointer, "...") == 0) {
        nextCodeLine();
        if (errorCode) return;
    }
    std::string text = scanPointer;
    scanPointer += std::strlen(scanPointer);
    // A line ending in "..." goes on in the next line.
    while (text.size() >= 4 && text.compare(text.size() - 3, 3, "...") == 0) {
        text.replace(text.size() - 3, 3, "\n");
        nextInputLine(1);
        if (errorCode) return;
        text += scanPointer;
        scanPointer += std::strlen(scanPointer);
    }
    if (text.compare(0, 2, ": ") == 0) text = "print(" + text.substr(2) + ")";
    printRunText(callPyRun(text));
}

void python::runBlock() {
    std::string code;
    if (!readForeignBody(true, [&](const char* line) {
            code += line;
            code += '\n';
        }))
        return;
    printRunText(callPyRun(code));
}

const char* python::runFile(const char* path) {
    static std::string text;
    text = runPythonFile(path);
    return text.c_str();
}

void python::defineFunction(const char* name, header* function) {
    std::string code = std::string("def ") + name + "(";
    char* entry = functionParameters(function);
    for (int i = 0; i < functionParameterCount(function); i++) {
        Parameter parameter = readParameter(entry);
        if (i > 0) code += ",";
        code += parameter.name;
        entry = parameter.next;
    }
    code += "):\n";
    if (!readForeignBody(false, [&](const char* line) {
            code += "  ";
            code += line;
            code += '\n';
        }))
        return;
    printRunText(callPyRun(code));
}

void python::callUserFunction(header* function, header* first, int n) {
    std::string name = function->name;
    evaluateInPython(name.c_str(), first, first, recordsFrom(first, n));
}

void python::callFunction(const char* name, int n, header* first) {
    std::string function = name;
    if (!evaluateInPython(function.c_str(), first, first, n))
        printText("Error in Python command\n");
}

void python::unload() {
    pythonAllowed = 0;
    if (!bridge.handle) return;
    callBridge("py_exit", "Python crash executing:\n%s\n", "py_exit", [] { bridge.exit(); });
    freeBridge();
}

}  // namespace kalix
