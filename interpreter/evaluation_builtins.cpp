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
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"

namespace kalix {

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

// What resolveValue returns unchanged: no reference, view or string
// subvector, no 1x1 real or complex matrix.
bool resolvesToItself(header* record) {
    int kind = record->kind;
    if (kind == kindReference || kind == kindStringSubvector || isViewKind(kind)) return false;
    bool single = (kind == kindRealMatrix || kind == kindComplexMatrix) &&
                  matrixRows(record) == 1 && matrixColumns(record) == 1;
    return !single;
}

// The records from `from` to the stack top become unnamed values in place:
// references, views and 1x1 matrices are replaced by their values, plain
// values stay where they are (many results are not copied again).
void replaceByValues(char* from) {
    for (char* p = from; p < newram && !errorCode; p += recordAt(p)->size) {
        header* record = recordAt(p);
        if (resolvesToItself(record)) {
            if (record->name[0]) setRecordName(record, "");
            continue;
        }
        char* top = newram;
        header* value = resolveValue(record);
        if (errorCode) return;
        if (value != recordAt(p)) {
            char* end = replaceRecord(p, value, top);
            if (!end) return;
            newram = end;
        }
        setRecordName(recordAt(p), "");
    }
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
    // The text is read: the level takes the argument's place and the values
    // follow it, so that they need not move down afterwards.
    newram = reinterpret_cast<char*>(argument);
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
    }
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

}  // namespace kalix
