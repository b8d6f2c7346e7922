// Builtins that evaluate text and raise or catch errors: evaluate,
// errorlevel, error, and eval, which calls a user function by name.
#include <cstring>
#include <string>

#include "interpreter/builtin_table.h"
#include "interpreter/evaluator.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"

namespace {

// Evaluates `text` as one expression from its start, with the scanner
// refusing to fetch further lines; `*superfluous` tells whether text is
// left after it.
void evaluateText(const std::string& text, bool* superfluous) {
    char* savedScan = scanPointer;
    int savedEvaluating = evaluatingString;
    FunctionState savedState = functionState;
    evaluatingString = 1;
    // Inside a function body the line reader would move on to the next
    // body line; as a string being evaluated it refuses.
    if (functionState != functionTopLevel) functionState = functionEvaluatingString;
    scanPointer = const_cast<char*>(text.c_str());
    evaluateExpression();
    if (!errorCode) {
        skipBlanks();
        *superfluous = *scanPointer != 0;
    }
    functionState = savedState;
    evaluatingString = savedEvaluating;
    scanPointer = savedScan;
}

// A string argument as text; false with "Need string for <builtin>".
bool readText(header* argument, const char* builtin, std::string* text) {
    header* value = resolveValue(argument);
    if (errorCode) return false;
    if (value->kind != kindString) {
        reportNeed("string", builtin);
        return false;
    }
    // A copy: the evaluation may replace the variable holding the text.
    text->assign(stringOf(value));
    return true;
}

// The values from `from` to the stack top as resolved copies, moved down
// to `from`.
void replaceByValues(char* from) {
    char* end = newram;
    char* copies = newram;
    for (char* p = from; p < end && !errorCode; p += recordAt(p)->size) {
        char* top = newram;
        header* value = resolveValue(recordAt(p));
        if (errorCode) return;
        if (reinterpret_cast<char*>(value) >= top) continue;  // already a new record at the top
        header* copy = pushRecordCopy(reinterpret_cast<char*>(value), value->size);
        if (copy) setRecordName(copy, "");
    }
    if (!errorCode) moveResults(recordAt(from), recordAt(copies));
}

void builtinEvaluate(header* argument) {
    std::string text;
    if (!readText(argument, "evaluate", &text)) return;
    const char* savedName = currentFunctionName;
    currentFunctionName = "evaluate";
    char* results = newram;
    bool superfluous = false;
    evaluateText(text, &superfluous);
    currentFunctionName = savedName;
    if (!errorCode && superfluous) {
        fail(errorSuperfluousText, "Error in Evaluate, superfluous characters found.\n");
    }
    if (errorCode) {
        int code = errorCode;
        errorCode = 0;
        newram = results;
        header* message = pushCString("Syntax error in \"evaluate\"!");
        if (message && !errorCode) moveResult(argument, message);
        errorCode = code;
        return;
    }
    // An expression that yields nothing (an empty args()) gives no value,
    // not the text it was given.
    if (newram <= results) pushMarker(markerNoResult);
    if (!errorCode) replaceByValues(results);
    if (!errorCode) moveResult(argument, recordAt(results));
}

void builtinErrorlevel(header* argument) {
    std::string text;
    if (!readText(argument, "errorlevel", &text)) return;
    header* level = pushReal(0);
    if (errorCode) return;
    char* values = newram;
    int savedSuppressed = outputSuppressed;
    outputSuppressed = 1;
    bool superfluous = false;
    evaluateText(text, &superfluous);
    if (!errorCode && newram > values) {
        header* first = recordAt(values);
        bool unbound = first->kind == kindReference && !referenceTarget(first) &&
                       !(first->flags & flagGlobalReference);
        if (unbound) {
            resolveValue(first);
            if (errorCode) errorCode = errorNotInLoop;
        }
    }
    if (!errorCode) replaceByValues(values);
    outputSuppressed = savedSuppressed;
    int code = errorCode;
    errorCode = 0;
    if (code != 0) {
        newram = values;
        double codeValue = code;
        std::memcpy(dataOf(level), &codeValue, sizeof codeValue);
        moveResult(argument, level);
        return;
    }
    moveResults(argument, level);
}

void builtinError(header* argument) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    if (value->kind != kindString) {
        reportNeed("string", "error");
        return;
    }
    fail(errorRaised, "Error : %s\n", stringOf(value));
}

void builtinEval(header* first) {
    header* function = nullptr;
    char* top = newram;
    if (first) {
        header* value = resolveValue(first);
        if (errorCode) return;
        if (value->kind == kindString) function = findFunction(stringOf(value));
    }
    if (!function) {
        reportNeed("function and arguments", "eval");
        return;
    }
    newram = top;
    char* arguments = endOf(first);
    int n = 0;
    for (char* p = arguments; p < newram; p += recordAt(p)->size) {
        if (n == argNameCount) {
            reportNeed("at most 20 arguments", "eval");
            return;
        }
        setRecordName(recordAt(p), argNames[n++]);
    }
    int64_t count = newram - arguments;
    std::memmove(first, arguments, size_t(count));
    newram = reinterpret_cast<char*>(first) + count;
    callUserFunction(function, first, n, 0);
}

const BuiltinRecord rows[] = {
    {"error", 1, 0, builtinError},
    {"errorlevel", 1, 0, builtinErrorlevel},
    {"eval", -1, 0, builtinEval},
    {"evaluate", 1, 0, builtinEvaluate},
};

}  // namespace

KALIX_BUILTIN_FAMILY(evaluationBuiltins, rows);
