// libkalixpy3.so: the Python bridge. It embeds Python 3, runs code in the
// namespace of __main__, and converts values between Python objects and the
// interpreter's stack records:
//   real, complex              float (int, bool), complex
//   real or complex matrix     list of rows, each a list of numbers
//   string, string vector      str, list of str
// Back into Kalix a list of numbers is a row vector, a list of equal lists a
// matrix, an object with tolist() (numpy arrays and scalars) is converted
// through it, a tuple gives one record per element and None gives none.
//
// Python code reaches Kalix through the module "kalix": call(name, *args)
// calls an interpreter function, show(value) prints a value as Kalix does,
// key() returns the last key typed. Its output (sys.stdout, sys.stderr) goes
// to the interpreter's output as it is written.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "dlldef.h"
#include "interpreter/type_names.h"
#include "kalixpy.h"

namespace kalix {

namespace {

PythonCallbacks callbacks;
std::string lastError;
std::string runText;
PyObject* mainDict = nullptr;    // the namespace of __main__ (borrowed)
PyObject* kalixError = nullptr;  // kalix.error
PyThreadState* savedThread = nullptr;
// Calls into the library that are running (callbacks nest). Written by the
// Kalix thread; Python threads read it.
std::atomic<int> depth{0};
// The thread that started Python: the only one that may call back into
// Kalix. Written once by py_init.
pthread_t kalixThread;

// Output of Python threads, written while Kalix may be computing: it waits
// here until the Kalix thread prints it. Guarded by pendingMutex.
std::mutex pendingMutex;
std::string pendingOutput;

// On the Kalix thread, inside one of its calls into the library.
bool onKalixThread() { return depth > 0 && pthread_equal(pthread_self(), kalixThread); }

// Prints what Python threads wrote (on the Kalix thread).
void printPendingOutput() {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(pendingMutex);
        text.swap(pendingOutput);
    }
    if (!text.empty()) callbacks.printFormattedMessage("%s", text.c_str());
}

// Holds the interpreter lock while the outermost call runs; between calls
// it is released, so that Python threads go on.
struct PythonLock {
    PythonLock() {
        if (depth++ == 0 && savedThread) {
            PyEval_RestoreThread(savedThread);
            savedThread = nullptr;
        }
        // A Ctrl-C that came after the last call ended is not for this one.
        if (depth == 1 && PyErr_CheckSignals() < 0) PyErr_Clear();
        printPendingOutput();
    }
    ~PythonLock() {
        printPendingOutput();
        if (--depth == 0) savedThread = PyEval_SaveThread();
    }
};

// --- errors -----------------------------------------------------------------

// The pending Python exception as text (its traceback included), cleared.
void takeError() {
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    lastError = "unknown Python error";
    PyObject* module = PyImport_ImportModule("traceback");
    PyObject* lines =
        module ? PyObject_CallMethod(module, "format_exception", "OOO", type ? type : Py_None,
                                     value ? value : Py_None, traceback ? traceback : Py_None)
               : nullptr;
    PyObject* empty = lines ? PyUnicode_FromString("") : nullptr;
    PyObject* joined = empty ? PyUnicode_Join(empty, lines) : nullptr;
    const char* text = joined ? PyUnicode_AsUTF8(joined) : nullptr;
    if (text) {
        lastError = text;
        while (!lastError.empty() && lastError.back() == '\n') lastError.pop_back();
    }
    PyErr_Clear();
    Py_XDECREF(joined);
    Py_XDECREF(empty);
    Py_XDECREF(lines);
    Py_XDECREF(module);
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
}

// --- records to Python ------------------------------------------------------

const char* kindName(int kind) {
    return kind >= 0 && kind < int(std::size(typeNames)) ? typeNames[kind] : "value";
}

// A text of Kalix: UTF-8 when flagged or valid, else the Windows code page.
PyObject* textToPython(const char* text, int flags) {
    Py_ssize_t n = Py_ssize_t(std::strlen(text));
    if (flags & FLAG_UTF8) return PyUnicode_DecodeUTF8(text, n, "replace");
    PyObject* result = PyUnicode_DecodeUTF8(text, n, "strict");
    if (result) return result;
    PyErr_Clear();
    return PyUnicode_Decode(text, n, "cp1252", "replace");
}

PyObject* numberToPython(const double* x, bool complex) {
    return complex ? PyComplex_FromDoubles(x[0], x[1]) : PyFloat_FromDouble(x[0]);
}

PyObject* matrixToPython(header* h, bool complex) {
    int rows = 0, columns = 0;
    double* data = nullptr;
    if (complex)
        getcomplexmatrix(h, &rows, &columns, &data);
    else
        getmatrix(h, &rows, &columns, &data);
    int step = complex ? 2 : 1;
    PyObject* list = PyList_New(rows);
    for (int i = 0; list && i < rows; i++) {
        PyObject* row = PyList_New(columns);
        if (!row) {
            Py_CLEAR(list);
            break;
        }
        PyList_SET_ITEM(list, i, row);
        for (int j = 0; j < columns; j++) {
            double x[2];
            std::memcpy(x, data + (size_t(i) * columns + j) * step, sizeof(double) * step);
            PyObject* item = numberToPython(x, complex);
            if (!item) {
                Py_CLEAR(list);
                break;
            }
            PyList_SET_ITEM(row, j, item);
        }
    }
    return list;
}

PyObject* stringVectorToPython(header* h) {
    int count = 0;
    char* text = nullptr;
    getstringvector(h, &count, &text);
    PyObject* list = PyList_New(count);
    for (int i = 0; list && i < count; i++) {
        PyObject* item = textToPython(text, h->flags);
        if (!item) {
            Py_CLEAR(list);
            break;
        }
        PyList_SET_ITEM(list, i, item);
        text += std::strlen(text) + 1;
    }
    return list;
}

// A new reference, or null with a Python exception.
PyObject* toPython(header* h) {
    double x[2];
    char* text = nullptr;
    switch (h->kind) {
        case kindReal:
            getreal(h, x);
            return numberToPython(x, false);
        case kindComplex:
            getcomplex(h, x, x + 1);
            return numberToPython(x, true);
        case kindMatrix:
            return matrixToPython(h, false);
        case kindComplexMatrix:
            return matrixToPython(h, true);
        case kindString:
            getstring(h, &text);
            return textToPython(text, h->flags);
        case kindStringVector:
            return stringVectorToPython(h);
        default:
            PyErr_Format(PyExc_TypeError, "a Kalix %s cannot be passed to Python",
                         kindName(h->kind));
            return nullptr;
    }
}

// --- Python to records ------------------------------------------------------

bool isNumber(PyObject* o) { return PyFloat_Check(o) || PyLong_Check(o); }

// The elements of a list or tuple of numbers, as doubles (pairs when
// complex). False, without an exception, when it is not one.
bool readNumbers(PyObject* sequence, std::vector<double>& values, bool& complex) {
    Py_ssize_t n = PySequence_Fast_GET_SIZE(sequence);
    PyObject** items = PySequence_Fast_ITEMS(sequence);
    for (Py_ssize_t i = 0; i < n; i++) {
        PyObject* item = items[i];
        if (PyComplex_Check(item)) {
            complex = true;
        } else if (!isNumber(item)) {
            return false;
        }
    }
    for (Py_ssize_t i = 0; i < n; i++) {
        PyObject* item = items[i];
        if (PyComplex_Check(item)) {
            values.push_back(PyComplex_RealAsDouble(item));
            values.push_back(PyComplex_ImagAsDouble(item));
        } else {
            values.push_back(PyFloat_AsDouble(item));
            if (complex) values.push_back(0.0);
        }
        if (PyErr_Occurred()) return false;
    }
    return true;
}

// Widens real pairs written before the first complex row.
void widen(std::vector<double>& values) {
    std::vector<double> pairs;
    pairs.reserve(values.size() * 2);
    for (double x : values) {
        pairs.push_back(x);
        pairs.push_back(0.0);
    }
    values.swap(pairs);
}

bool pushMatrix(int rows, int columns, const std::vector<double>& values, bool complex) {
    double* data = nullptr;
    header* h = complex ? newcomplexmatrix(rows, columns, &data) : newmatrix(rows, columns, &data);
    if (!h) {
        PyErr_SetString(PyExc_MemoryError, "out of stack space in Kalix");
        return false;
    }
    if (!values.empty()) std::memcpy(data, values.data(), values.size() * sizeof(double));
    return true;
}

bool pushText(PyObject* o) {
    Py_ssize_t n = 0;
    const char* text = PyUnicode_AsUTF8AndSize(o, &n);
    if (!text) return false;
    header* h = newstring(text);
    if (!h) {
        PyErr_SetString(PyExc_MemoryError, "out of stack space in Kalix");
        return false;
    }
    for (Py_ssize_t i = 0; i < n; i++)
        if (static_cast<unsigned char>(text[i]) >= 0x80) h->flags |= FLAG_UTF8;
    return true;
}

bool pushStringList(PyObject* list) {
    Py_ssize_t n = PySequence_Fast_GET_SIZE(list);
    PyObject** items = PySequence_Fast_ITEMS(list);
    std::vector<const char*> texts;
    bool utf8 = false;
    for (Py_ssize_t i = 0; i < n; i++) {
        Py_ssize_t length = 0;
        const char* text = PyUnicode_AsUTF8AndSize(items[i], &length);
        if (!text) return false;
        for (Py_ssize_t k = 0; k < length; k++)
            if (static_cast<unsigned char>(text[k]) >= 0x80) utf8 = true;
        texts.push_back(text);
    }
    header* h = newstringvector(int(texts.size()), texts.data());
    if (!h) {
        PyErr_SetString(PyExc_MemoryError, "out of stack space in Kalix");
        return false;
    }
    if (utf8) h->flags |= FLAG_UTF8;
    return true;
}

bool allStrings(PyObject* list) {
    Py_ssize_t n = PySequence_Fast_GET_SIZE(list);
    PyObject** items = PySequence_Fast_ITEMS(list);
    for (Py_ssize_t i = 0; i < n; i++)
        if (!PyUnicode_Check(items[i])) return false;
    return n > 0;
}

bool refuse(PyObject* o) {
    PyErr_Format(PyExc_TypeError, "a Python %s cannot be passed to Kalix", Py_TYPE(o)->tp_name);
    return false;
}

// A list or tuple: a row vector, a matrix of equal rows, or a string vector.
bool pushList(PyObject* o) {
    PyObject* list = PySequence_Fast(o, "a sequence");
    if (!list) return false;
    Py_ssize_t n = PySequence_Fast_GET_SIZE(list);
    std::vector<double> values;
    bool complex = false;
    bool done = false;
    if (n > 0 && allStrings(list)) {
        done = pushStringList(list);
    } else if (readNumbers(list, values, complex)) {
        done = pushMatrix(n == 0 ? 0 : 1, int(n), values, complex);
    } else if (!PyErr_Occurred()) {
        // Rows: each a list or tuple of numbers, all of one length.
        PyObject** rows = PySequence_Fast_ITEMS(list);
        Py_ssize_t columns = -1;
        bool ok = true;
        for (Py_ssize_t i = 0; ok && i < n; i++) {
            if (!PyList_Check(rows[i]) && !PyTuple_Check(rows[i])) {
                PyErr_SetString(PyExc_TypeError,
                                "Kalix takes lists of numbers, of strings or of rows of numbers");
                ok = false;
                break;
            }
            PyObject* row = PySequence_Fast(rows[i], "a row");
            bool rowComplex = false;
            std::vector<double> rowValues;
            ok = row && readNumbers(row, rowValues, rowComplex);
            Py_ssize_t length = row ? PySequence_Fast_GET_SIZE(row) : 0;
            Py_XDECREF(row);
            if (!ok) {
                if (!PyErr_Occurred()) refuse(rows[i]);
                break;
            }
            if (columns >= 0 && length != columns) {
                PyErr_SetString(PyExc_ValueError, "rows of different lengths for a Kalix matrix");
                ok = false;
                break;
            }
            columns = length;
            if (rowComplex && !complex) {
                widen(values);
                complex = true;
            }
            if (complex && !rowComplex) widen(rowValues);
            values.insert(values.end(), rowValues.begin(), rowValues.end());
        }
        if (ok) done = pushMatrix(int(n), int(columns), values, complex);
    }
    Py_DECREF(list);
    return done;
}

bool pushValue(PyObject* o);

// numpy arrays and scalars, and anything else that has tolist().
bool pushThroughToList(PyObject* o) {
    PyObject* plain = PyObject_CallMethod(o, "tolist", nullptr);
    if (!plain) return false;
    bool done = PyList_Check(plain) || PyTuple_Check(plain) || isNumber(plain) ||
                        PyComplex_Check(plain) || PyUnicode_Check(plain)
                    ? pushValue(plain)
                    : refuse(o);
    Py_DECREF(plain);
    return done;
}

// One record for the object at newram; false with a Python exception.
bool pushValue(PyObject* o) {
    if (isNumber(o)) {
        double x = PyFloat_AsDouble(o);
        if (PyErr_Occurred()) return false;
        if (newreal(x)) return true;
    } else if (PyComplex_Check(o)) {
        if (newcomplex(PyComplex_RealAsDouble(o), PyComplex_ImagAsDouble(o))) return true;
    } else if (PyUnicode_Check(o)) {
        return pushText(o);
    } else if (PyList_Check(o) || PyTuple_Check(o)) {
        return pushList(o);
    } else if (PyObject_HasAttrString(o, "tolist")) {
        return pushThroughToList(o);
    } else {
        return refuse(o);
    }
    PyErr_SetString(PyExc_MemoryError, "out of stack space in Kalix");
    return false;
}

// A result: None gives no record, a tuple one record per element.
bool pushResult(PyObject* o) {
    if (o == Py_None) return true;
    if (!PyTuple_Check(o)) return pushValue(o);
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(o); i++)
        if (!pushValue(PyTuple_GET_ITEM(o, i))) return false;
    return true;
}

// The records from `first` to `end` as one object, a tuple of several, or
// None without any.
PyObject* resultsToPython(char* first, char* end) {
    std::vector<PyObject*> items;
    for (char* p = first; p < end; p += reinterpret_cast<header*>(p)->size) {
        PyObject* item = toPython(reinterpret_cast<header*>(p));
        if (!item) {
            for (PyObject* done : items) Py_DECREF(done);
            return nullptr;
        }
        items.push_back(item);
    }
    if (items.empty()) Py_RETURN_NONE;
    if (items.size() == 1) return items[0];
    PyObject* tuple = PyTuple_New(Py_ssize_t(items.size()));
    for (size_t i = 0; i < items.size(); i++) {
        if (tuple)
            PyTuple_SET_ITEM(tuple, Py_ssize_t(i), items[i]);
        else
            Py_DECREF(items[i]);
    }
    return tuple;
}

// --- the module "kalix" -----------------------------------------------------

// Callbacks write at the interpreter's stack top and run the interpreter:
// only the Kalix thread may make them, while Kalix waits in a call.
bool refuseOtherThread(const char* function) {
    if (onKalixThread()) return false;
    PyErr_Format(kalixError, "kalix.%s only from the Kalix thread, inside a call from Kalix",
                 function);
    return true;
}

PyObject* kalixCall(PyObject*, PyObject* arguments) {
    if (refuseOtherThread("call")) return nullptr;
    Py_ssize_t n = PyTuple_GET_SIZE(arguments);
    const char* name = n > 0 ? PyUnicode_AsUTF8(PyTuple_GET_ITEM(arguments, 0)) : nullptr;
    if (!name) {
        PyErr_Clear();
        PyErr_SetString(PyExc_TypeError, "kalix.call needs the name of a function");
        return nullptr;
    }
    char *top = nullptr, *end = nullptr;
    callbacks.getStackBounds(&top, &end);
    start(top, end);
    header* first = newstring(name);
    if (!first) {
        PyErr_SetString(PyExc_MemoryError, "out of stack space in Kalix");
        return nullptr;
    }
    for (Py_ssize_t i = 1; i < n; i++) {
        PyObject* argument = PyTuple_GET_ITEM(arguments, i);
        if (!(PyTuple_Check(argument) ? pushList(argument) : pushValue(argument))) return nullptr;
    }
    char* resultEnd = newram;
    if (!callbacks.pythonCallback(first, &resultEnd)) {
        PyErr_Format(kalixError, "the Kalix function %s failed", name);
        return nullptr;
    }
    return resultsToPython(reinterpret_cast<char*>(first), resultEnd);
}

PyObject* kalixShow(PyObject*, PyObject* value) {
    if (refuseOtherThread("show")) return nullptr;
    char *top = nullptr, *end = nullptr;
    callbacks.getStackBounds(&top, &end);
    start(top, end);
    header* h = reinterpret_cast<header*>(newram);
    if (!pushValue(value)) return nullptr;
    callbacks.printPythonValue(h, newram);
    Py_RETURN_NONE;
}

PyObject* kalixKey(PyObject*, PyObject*) {
    if (refuseOtherThread("key")) return nullptr;
    return PyLong_FromLong(callbacks.pollKey());
}

PyObject* kalixWrite(PyObject*, PyObject* text) {
    const char* utf8 = PyUnicode_AsUTF8(text);
    if (!utf8) return nullptr;
    if (!onKalixThread()) {
        std::lock_guard<std::mutex> lock(pendingMutex);
        pendingOutput += utf8;
        Py_RETURN_NONE;
    }
    printPendingOutput();
    callbacks.printFormattedMessage("%s", utf8);
    Py_RETURN_NONE;
}

PyMethodDef kalixMethods[] = {
    {"call", kalixCall, METH_VARARGS,
     "call(name, *args): calls a Kalix function and returns its result"},
    {"show", kalixShow, METH_O, "show(value): prints a value as Kalix prints it"},
    {"key", kalixKey, METH_NOARGS, "key(): the last key typed, 0 when none"},
    {"_write", kalixWrite, METH_O, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kalixModule = {PyModuleDef_HEAD_INIT,
                           "kalix",
                           "Kalix from Python",
                           -1,
                           kalixMethods,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr};

PyObject* initKalixModule() {
    PyObject* module = PyModule_Create(&kalixModule);
    if (!module) return nullptr;
    kalixError = PyErr_NewException("kalix.error", nullptr, nullptr);
    if (!kalixError || PyModule_AddObjectRef(module, "error", kalixError) < 0) {
        Py_DECREF(module);
        return nullptr;
    }
    return module;
}

// Output of Python into the interpreter's output, as it is written.
const char* const outputSetup =
    "import sys, kalix\n"
    "class _KalixOutput:\n"
    "    encoding = 'utf-8'\n"
    "    errors = 'replace'\n"
    "    def write(self, text):\n"
    "        kalix._write(text)\n"
    "        return len(text)\n"
    "    def flush(self):\n"
    "        pass\n"
    "    def isatty(self):\n"
    "        return False\n"
    "sys.stdout = sys.stderr = _KalixOutput()\n"
    "del _KalixOutput\n";

// Kalix interrupts Python with PyErr_SetInterrupt, which raises
// KeyboardInterrupt only when Python has a handler for SIGINT. The handler
// goes into Python's table; the process keeps Kalix's own (Ctrl-C is Kalix's
// Escape key).
bool prepareInterrupts() {
    struct sigaction kalixHandler;
    sigaction(SIGINT, nullptr, &kalixHandler);
    int failed = PyRun_SimpleString(
        "import signal\nsignal.signal(signal.SIGINT, signal.default_int_handler)\n");
    sigaction(SIGINT, &kalixHandler, nullptr);
    return failed == 0;
}

bool startPython() {
    if (!Py_IsInitialized()) {
        if (PyImport_AppendInittab("kalix", initKalixModule) < 0) {
            lastError = "Could not add the module kalix";
            return false;
        }
        // Kalix owns the process: Python leaves the locale, the C streams
        // (whose buffered input is Kalix's) and the signals alone (Ctrl-C is
        // Kalix's Escape key), and does not read Kalix's command line.
        PyPreConfig preconfig;
        PyPreConfig_InitPythonConfig(&preconfig);
        preconfig.configure_locale = 0;
        preconfig.utf8_mode = 1;
        PyStatus status = Py_PreInitialize(&preconfig);
        if (PyStatus_Exception(status)) {
            lastError = status.err_msg ? status.err_msg : "Python did not start";
            return false;
        }
        PyConfig config;
        PyConfig_InitPythonConfig(&config);
        config.install_signal_handlers = 0;
        config.configure_c_stdio = 0;
        config.parse_argv = 0;
        status = Py_InitializeFromConfig(&config);
        PyConfig_Clear(&config);
        if (PyStatus_Exception(status)) {
            lastError = status.err_msg ? status.err_msg : "Python did not start";
            return false;
        }
        savedThread = PyEval_SaveThread();
    }
    PythonLock lock;
    PyObject* main = PyImport_AddModule("__main__");
    if (!main || PyRun_SimpleString(outputSetup) != 0 || !prepareInterrupts()) {
        lastError = "Could not prepare Python for Kalix";
        return false;
    }
    mainDict = PyModule_GetDict(main);
    return true;
}

// Runs compiled code in __main__; the value of an expression becomes the
// text result.
bool runCode(PyObject* code) {
    PyObject* value = PyEval_EvalCode(code, mainDict, mainDict);
    if (!value) return false;
    if (value != Py_None) {
        PyObject* text = PyObject_Str(value);
        const char* utf8 = text ? PyUnicode_AsUTF8(text) : nullptr;
        if (utf8) runText = utf8;
        Py_XDECREF(text);
    }
    Py_DECREF(value);
    return !PyErr_Occurred();
}

// Compiles an ast tree (module or expression) and runs it.
bool runTree(PyObject* compile, PyObject* tree, const char* fileName, const char* mode) {
    PyObject* code = PyObject_CallFunction(compile, "Oss", tree, fileName, mode);
    if (!code) return false;
    bool done = runCode(code);
    Py_DECREF(code);
    return done;
}

// The statements of `tree` without a last expression statement, which is
// returned (as an ast.Expression) in *last; false with an exception.
bool splitLastExpression(PyObject* ast, PyObject* tree, PyObject** last) {
    *last = nullptr;
    PyObject* body = PyObject_GetAttrString(tree, "body");
    if (!body) return false;
    PyObject* expressionType = PyObject_GetAttrString(ast, "Expr");
    bool done = expressionType && PyList_Check(body);
    Py_ssize_t n = done ? PyList_GET_SIZE(body) : 0;
    if (done && n > 0 && PyObject_IsInstance(PyList_GET_ITEM(body, n - 1), expressionType) == 1) {
        PyObject* value = PyObject_GetAttrString(PyList_GET_ITEM(body, n - 1), "value");
        *last = value ? PyObject_CallMethod(ast, "Expression", "O", value) : nullptr;
        Py_XDECREF(value);
        done = *last && PyList_SetSlice(body, n - 1, n, nullptr) == 0;
    }
    Py_XDECREF(expressionType);
    Py_DECREF(body);
    return done && !PyErr_Occurred();
}

// Executes source; when its last statement is an expression, its value is
// the text result (as in an interactive session).
bool runWithLastValue(const char* source, const char* fileName) {
    PyObject* ast = PyImport_ImportModule("ast");
    if (!ast) return false;
    PyObject* builtins = PyImport_ImportModule("builtins");
    PyObject* compile = builtins ? PyObject_GetAttrString(builtins, "compile") : nullptr;
    PyCompilerFlags flags = _PyCompilerFlags_INIT;
    flags.cf_flags = PyCF_ONLY_AST;
    PyObject* tree =
        compile ? Py_CompileStringFlags(source, fileName, Py_file_input, &flags) : nullptr;
    PyObject* last = nullptr;
    bool done = tree && splitLastExpression(ast, tree, &last);
    if (done) done = runTree(compile, tree, fileName, "exec");
    if (done && last) done = runTree(compile, last, fileName, "eval");
    Py_XDECREF(last);
    Py_XDECREF(tree);
    Py_XDECREF(compile);
    Py_XDECREF(builtins);
    Py_DECREF(ast);
    return done;
}

// Executes a whole file.
bool runFileSource(const char* source, const char* fileName) {
    PyObject* code = Py_CompileString(source, fileName, Py_file_input);
    if (!code) return false;
    bool done = runCode(code);
    Py_DECREF(code);
    return done;
}

// A name of __main__ or of the builtins, with ".attribute" parts after it
// (as "math.sqrt"); a new reference, or null with NameError.
PyObject* findCallable(const char* name) {
    std::string path = name;
    size_t dot = path.find('.');
    std::string first = path.substr(0, dot);
    PyObject* object = PyDict_GetItemString(mainDict, first.c_str());
    if (!object) object = PyDict_GetItemString(PyEval_GetBuiltins(), first.c_str());
    if (!object) {
        PyErr_Format(PyExc_NameError, "name '%s' is not defined", first.c_str());
        return nullptr;
    }
    Py_INCREF(object);
    while (object && dot != std::string::npos) {
        size_t next = path.find('.', dot + 1);
        std::string part = path.substr(dot + 1, next == std::string::npos ? next : next - dot - 1);
        PyObject* attribute = PyObject_GetAttrString(object, part.c_str());
        Py_DECREF(object);
        object = attribute;
        dot = next;
    }
    return object;
}

bool readFile(const char* path, std::string& text) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char buffer[8192];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return true;
}

void startCall() {
    lastError.clear();
    runText.clear();
}

}  // namespace

// --- the exports ---------------------------------------------------------------

extern "C" {

// Python cannot be started a second time in one process (extension modules
// keep their state), so the end of a session runs the exit functions and
// empties the namespace; the next py_init finds Python running.
EXPORT void py_exit(void) {
    if (!Py_IsInitialized() || depth > 0) return;
    PythonLock lock;
    PyRun_SimpleString("import atexit, gc\natexit._run_exitfuncs()\n");
    if (mainDict) {
        PyDict_Clear(mainDict);
        PyObject* builtins = PyImport_ImportModule("builtins");
        if (builtins) PyDict_SetItemString(mainDict, "__builtins__", builtins);
        Py_XDECREF(builtins);
        PyObject* name = PyUnicode_FromString("__main__");
        if (name) PyDict_SetItemString(mainDict, "__name__", name);
        Py_XDECREF(name);
    }
    PyRun_SimpleString("import gc\ngc.collect()\n");
}

EXPORT const char* py_run(const char* code) {
    startCall();
    PythonLock lock;
    if (!runWithLastValue(code, "<kalix>")) {
        takeError();
        return nullptr;
    }
    return runText.c_str();
}

EXPORT const char* py_run_file(const char* path) {
    startCall();
    std::string source;
    if (!readFile(path, source)) {
        lastError = std::string("Could not open ") + path;
        return nullptr;
    }
    PythonLock lock;
    if (!runFileSource(source.c_str(), path)) {
        takeError();
        return nullptr;
    }
    return runText.c_str();
}

EXPORT const char* py_error(void) { return lastError.c_str(); }

EXPORT void py_get(const char* name, char** top, char* end) {
    startCall();
    PythonLock lock;
    PyObject* value = mainDict ? PyDict_GetItemString(mainDict, name) : nullptr;
    if (!value) {
        lastError = std::string("NameError: name '") + name + "' is not defined";
        return;
    }
    start(*top, end);
    if (!pushResult(value)) {
        takeError();
        return;
    }
    *top = newram;
}

EXPORT void py_set(const char* name, struct header* value) {
    startCall();
    PythonLock lock;
    PyObject* object = toPython(value);
    if (!object || PyDict_SetItemString(mainDict, name, object) < 0) takeError();
    Py_XDECREF(object);
}

EXPORT void py_eval(const char* name, struct header** arguments, int n, char** top, char* end) {
    startCall();
    PythonLock lock;
    PyObject* function = findCallable(name);
    PyObject* tuple = function ? PyTuple_New(n) : nullptr;
    for (int i = 0; tuple && i < n; i++) {
        PyObject* item = toPython(arguments[i]);
        if (!item) {
            Py_CLEAR(tuple);
            break;
        }
        PyTuple_SET_ITEM(tuple, i, item);
    }
    PyObject* result = tuple ? PyObject_Call(function, tuple, nullptr) : nullptr;
    Py_XDECREF(tuple);
    Py_XDECREF(function);
    if (result) {
        start(*top, end);
        if (pushResult(result)) *top = newram;
        Py_DECREF(result);
    }
    if (PyErr_Occurred()) takeError();
}

EXPORT int py_init(const PythonCallbacks* given) {
    startCall();
    callbacks = *given;
    kalixThread = pthread_self();
    return startPython() ? 1 : 0;
}

}  // extern "C"

}  // namespace kalix
