// Calling a user-defined function: the arguments become the frame of the
// call in place (they only get the parameters' names), defaults and spread
// vector elements are pushed after them, and the stored body runs statement
// by statement through the statement executor.
#include "interpreter/function_calls.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/text.h"
#include "interpreter/builtin_table.h"
#include "interpreter/control_flow.h"
#include "interpreter/engine_services.h"
#include "interpreter/evaluator.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/machine_stack.h"
#include "interpreter/main_loop.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/scanner.h"
#include "interpreter/tracing.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

CallContext callContext;
int callDepth = 0;

const char* const argNames[argNameCount] = {
    "arg1",  "arg2",  "arg3",  "arg4",  "arg5",  "arg6",  "arg7",  "arg8",  "arg9",  "arg10",
    "arg11", "arg12", "arg13", "arg14", "arg15", "arg16", "arg17", "arg18", "arg19", "arg20",
};
int32_t argNameHashes[argNameCount];

void initArgNameHashes() {
    for (int i = 0; i < argNameCount; i++) argNameHashes[i] = hashName(argNames[i]);
}

header* pushRecordCopy(const char* bytes, int64_t size) {
    header* copy = recordAt(newram);
    if (!pushHeader(kindReal, size, "")) return nullptr;
    std::memmove(copy, bytes, size_t(size));
    return copy;
}

namespace {

constexpr int recursionCheckInterval = 50;
constexpr int maxNamedArguments = 20;
constexpr int tracebackDepth = 20;

// --- binding ------------------------------------------------------------------

bool isUnboundReference(const header* record) {
    return record->kind == kindReference && !referenceTarget(const_cast<header*>(record)) &&
           !(record->flags & flagGlobalReference);
}

void nameRecord(header* record, const char* name, int32_t hash) {
    std::memset(record->name, 0, sizeof record->name);
    std::strncpy(record->name, name, sizeof record->name - 1);
    record->hash = hash;
}

// The value a binding check looks at: references followed, views resolved,
// nothing else copied.
header* checkedValue(header* candidate) {
    header* value = followReference(candidate);
    if (!value || value->kind == kindReference || value->kind == kindSubmatrix ||
        value->kind == kindComplexSubmatrix || value->kind == kindIntervalSubmatrix ||
        value->kind == kindStringSubvector)
        value = resolveValue(candidate);
    return value;
}

int rowsOf(header* v) { return isMatrixKind(v->kind) ? matrixRows(v) : 1; }
int columnsOf(header* v) { return isMatrixKind(v->kind) ? matrixColumns(v) : 1; }
bool isScalar(header* v) { return isNumericKind(v->kind) && rowsOf(v) == 1 && columnsOf(v) == 1; }

bool isIntegerValue(double x) { return std::floor(x) == x; }

struct Check {
    const char* function;
    const char* parameter;
};

bool refuse(const Check& c, const char* what) {
    fail(errorFailed, "Function %s needs %s for %s\n", c.function, what, c.parameter);
    return false;
}

bool checkShape(header* v, int32_t bits, const Check& c) {
    bool string = bits & annotationString;
    if (bits & annotationScalar) {
        if (isScalar(v) || (string && v->kind == kindString)) return true;
        return refuse(c, "a scalar");
    }
    if ((bits & annotationVector) && !string) {
        if (isNumericKind(v->kind) && rowsOf(v) == 1) return true;
        return refuse(c, "a vector");
    }
    if (bits & annotationVector) {
        if (v->kind == kindStringMatrix || v->kind == kindString) return true;
        return refuse(c, "a string vector");
    }
    if (bits & annotationColumn) {
        if (isNumericKind(v->kind) && columnsOf(v) == 1) return true;
        return refuse(c, "a column vector");
    }
    return true;
}

bool checkInteger(header* v, const Check& c) {
    if (v->kind == kindReal) return isIntegerValue(realOf(v)) || refuse(c, "an integer");
    if (v->kind != kindRealMatrix) return refuse(c, "integer values");
    const double* x = matrixData(v);
    for (int64_t i = 0, n = int64_t(matrixRows(v)) * matrixColumns(v); i < n; i++)
        if (!isIntegerValue(x[i])) return refuse(c, "integer values");
    return true;
}

bool isCall(header* v) {
    if (v->kind == kindString) return true;
    return v->kind == kindCollection && v->size > headerSize &&
           recordAt(dataOf(v))->kind == kindString;
}

bool checkKind(header* v, int32_t bits, const Check& c) {
    int k = v->kind;
    if (bits & annotationInteger) return checkInteger(v, c);
    if (bits & annotationReal) return k == kindReal || k == kindRealMatrix || refuse(c, "a real");
    if (bits & annotationComplex)
        return k == kindReal || k == kindRealMatrix || k == kindComplex || k == kindComplexMatrix ||
               refuse(c, "a complex");
    if (bits & annotationInterval)
        return k == kindReal || k == kindRealMatrix || k == kindInterval ||
               k == kindIntervalMatrix || refuse(c, "an interval");
    if (bits & annotationString) {
        if (k == kindString || ((bits & annotationVector) && k == kindStringMatrix)) return true;
        return refuse(c, "a string");
    }
    if (bits & annotationCall)
        return isCall(v) ||
               refuse(c,
                      "a function name, an expression,\n   or a collection (with a function name)");
    if (bits & annotationCompressed)
        return k == kindCompressedMatrix || refuse(c, "a compressed matrix");
    if (bits & annotationNumerical) return isNumericKind(k) || refuse(c, "a numerical type");
    return true;
}

bool checkSign(header* v, int32_t bits, const Check& c) {
    bool positive = bits & annotationPositive;
    if (!positive && !(bits & annotationNonnegative)) return true;
    if (v->kind == kindReal) {
        double x = realOf(v);
        return (positive ? x > 0 : x >= 0) || refuse(c, "a positive value");
    }
    if (v->kind != kindRealMatrix) return refuse(c, "a positive value");
    const double* x = matrixData(v);
    for (int64_t i = 0, n = int64_t(matrixRows(v)) * matrixColumns(v); i < n; i++) {
        bool good = positive ? x[i] > 0 : x[i] >= 0;
        if (!good) return refuse(c, "positive values");
    }
    return true;
}

// The annotation check of one bound value.
bool checkAnnotations(header* candidate, const Parameter& p, const char* functionName) {
    int32_t bits = p.flags & ~(parameterHasDefault | parameterGroupStart | parameterGroupEnd);
    if (!bits) return true;
    header* v = checkedValue(candidate);
    if (errorCode) return false;
    if ((bits & annotationNone) && isNoneMarker(v)) return true;
    Check c{functionName, p.name};
    return checkShape(v, bits, c) && checkKind(v, bits, c) && checkSign(v, bits, c);
}

struct Binding {
    header* function;
    const char* name;  // the function's name (inside its record)
    int parameterCount;
    char* parameter;  // the next parameter entry
    int bound = 0;
    char* entryTop;  // the stack top when the call began
};

// A matrix argument spread over the parameters of a vector group.
bool spreadVector(Binding& b, header* argument, header* v) {
    int columns = matrixColumns(v);
    int k = 0;
    nameRecord(argument, "", 0);
    for (;;) {
        Parameter p = readParameter(b.parameter);
        k++;
        if (columns < k) {
            fail(errorFailed, "Vector too short in function call to %s!\n", b.name);
            return false;
        }
        double* x = matrixData(v);
        header* element = v->kind == kindRealMatrix      ? pushReal(x[k - 1])
                          : v->kind == kindComplexMatrix ? pushComplex(x[2 * k - 2], x[2 * k - 1])
                                                         : pushInterval(x[2 * k - 2], x[2 * k - 1]);
        if (errorCode) return false;
        nameRecord(element, p.name, p.hash);
        b.parameter = p.next;
        b.bound++;
        if ((p.flags & parameterGroupEnd) || b.bound >= b.parameterCount) break;
    }
    if (k != columns) {
        fail(errorFailed, "Vector too long for vector parameter (%d elements expected, got %d).\n",
             k, columns);
        return false;
    }
    // The argument stays in the frame as an inert record, an empty matrix
    // (a reference or a view becomes one: every record has room for it).
    if (!isMatrixKind(argument->kind)) {
        argument->kind = kindRealMatrix;
        matrixRows(argument) = 1;
    }
    matrixColumns(argument) = 0;
    return true;
}

// Binds argument i (0-based) by position.
bool bindPositional(Binding& b, header* argument, int i) {
    header* candidate = argument;
    if (isUnboundReference(argument)) {
        if (i < b.parameterCount && b.bound < b.parameterCount && argument->name[0] == 0) {
            Parameter p = readParameter(b.parameter);
            if (p.defaultRecord) {
                if (!pushRecordCopy(p.defaultRecord, p.defaultSize)) return false;
                b.parameter = p.next;
                b.bound++;
                return true;
            }
        }
        candidate = resolveValue(argument);
        if (errorCode) return false;
    }
    if (b.bound >= b.parameterCount) {
        if (i < argNameCount) nameRecord(candidate, argNames[i], argNameHashes[i]);
        return true;
    }
    Parameter p = readParameter(b.parameter);
    if (p.flags & parameterGroupStart) {
        header* v = checkedValue(candidate);
        if (errorCode) return false;
        if (isMatrixKind(v->kind) && matrixColumns(v) > 1) return spreadVector(b, candidate, v);
    }
    if (!checkAnnotations(candidate, p, b.name)) return false;
    nameRecord(candidate, p.name, p.hash);
    if (p.name[0] != '%') candidate->flags |= flagReferenceArgument;
    b.parameter = p.next;
    b.bound++;
    return true;
}

void printParameterList(header* function) {
    printText("Parameters:\n");
    char* entry = functionParameters(function);
    int column = 0;
    for (int i = 0, n = functionParameterCount(function); i < n; i++) {
        Parameter p = readParameter(entry);
        if (i > 0) {
            printText(", ");
            column += 2;
        }
        printFormatted("%s%s%s", (p.flags & parameterGroupStart) ? "[" : "", p.name,
                       (p.flags & parameterGroupEnd) ? "]" : "");
        column += int(characterCount(p.name, std::strlen(p.name), systemCodePageIsUtf8));
        if (column > lineLength - 15) {
            printText(" ..\n");
            column = 0;
        }
        entry = p.next;
    }
    printText("\n\n");
}

// Defaults for the parameters left unbound; named arguments take their
// place. Fails for a parameter without a default and, unless the function
// allows it, for a named argument that names no such parameter.
bool bindRemaining(Binding& b, header* namedStart) {
    header* named[maxNamedArguments];
    int namedCount = 0;
    for (char* p = reinterpret_cast<char*>(namedStart); p < b.entryTop; p += recordAt(p)->size) {
        header* r = recordAt(p);
        if (r->size < headerSize) break;
        if (r->name[0] && !(r->flags & flagColonNamed) && namedCount < maxNamedArguments)
            named[namedCount++] = r;
    }
    for (; b.bound < b.parameterCount; b.bound++) {
        Parameter p = readParameter(b.parameter);
        b.parameter = p.next;
        if (!p.defaultRecord) {
            fail(errorFailed, "Argument %s undefined for function %s.\n", p.name, b.name);
            return false;
        }
        bool given = false;
        for (int k = 0; k < namedCount && !given; k++) {
            if (named[k] && named[k]->hash == p.hash &&
                std::strncmp(named[k]->name, p.name, 32) == 0) {
                named[k] = nullptr;
                given = true;
            }
        }
        // A named argument lies before the default in the frame and would
        // hide it; only a missing one needs the default.
        if (!given && !pushRecordCopy(p.defaultRecord, p.defaultSize)) return false;
    }
    if (b.function->flags & userFunctionAllowAssigned) return true;
    for (int k = 0; k < namedCount; k++) {
        if (!named[k]) continue;
        printFormatted("Argument %s not in parameter list of function %s.\n\n", named[k]->name,
                       b.name);
        printParameterList(b.function);
        errorCode = errorFailed;
        return false;
    }
    return true;
}

// Count checks before any binding; a builtin of the name may take a call
// with too few arguments. Returns false when the call ends here.
bool checkArgumentCount(header* function, header* first, int n, int s) {
    const char* name = function->name;
    int parameterCount = functionParameterCount(function);
    int minimum = functionMinimumArguments(function);
    if (n < minimum) {
        char builtinName[32];
        std::memcpy(builtinName, name, sizeof builtinName);
        if (callBuiltin(builtinName, n, first)) return false;
        if (minimum < 2)
            printFormatted("Function %s needs at least one argument!\n", name);
        else
            printFormatted("Function %s needs at least %d arguments!\n", name, minimum);
        fail(errorFailed, "Use: %s\n", buildFunctionHeader(function, 0));
        return false;
    }
    int c = s > 0 ? s : n;
    if (!(function->flags & userFunctionExtraArguments) && parameterCount > 0 &&
        c > parameterCount) {
        printFormatted("Function %s needs only %d arguments (got %d)!\n", name, parameterCount, c);
        fail(errorFailed, "Use: %s\n", buildFunctionHeader(function, 0));
        return false;
    }
    return true;
}

bool bindArguments(header* function, header* first, int n, int s) {
    Binding b{
        function, function->name, functionParameterCount(function), functionParameters(function),
        0,        newram};
    int m = s ? s : n;
    header* argument = first;
    for (int i = 0; i < n && reinterpret_cast<char*>(argument) < b.entryTop; i++) {
        header* next = recordAt(endOf(argument));
        if (i < m) {
            if (!bindPositional(b, argument, i)) return false;
        } else {
            nameRecord(argument, "", 0);
        }
        argument = next;
    }
    return bindRemaining(b, argument);
}

// --- running the body -----------------------------------------------------------

// Puts the caller's context back. A body that changed the global tolerance
// leaves it in force; one that switched tracing off leaves it off.
void returnToCaller(const CallContext& caller, double callerGlobalEpsilon) {
    const int trace = traceState;
    callContext = caller;
    if (globalEpsilon != callerGlobalEpsilon) currentEpsilon = globalEpsilon;
    if (trace < 0) traceState = trace;
}

// After `return`: the values after it become the results over `first`.
void placeReturnValues(header* function, header* first) {
    skipBlanks();
    char c = *scanPointer;
    char* results = newram;
    if (c == ';' || c == ',' || c == 0) {
        pushMarker(markerNoResult);
    } else {
        int savedLoopIndex = loopIndex;
        loopIndex = returnLoopIndex;
        evaluateToValues();
        loopIndex = savedLoopIndex;
        if (errorCode) return;
        // A return without values (as of an empty args()) still yields the
        // marker: the caller must not read what lay there before.
        if (newram == results) pushMarker(markerNoResult);
        if (function->flags & userFunctionArgs) recordAt(results)->flags |= flagResult;
        skipBlanks();
        c = *scanPointer;
        bool ends = c == 0 || c == ';' || c == ',' || c == commandToken ||
                    (c == '/' && scanPointer[1] == '/');
        if (!ends) {
            if (!errorCode) fail(errorFailed, "Error in return result.\n");
            errorCode = errorFailed;
            return;
        }
    }
    moveResults(first, recordAt(results));
}

void runStatements(header* function, header* first) {
    while (!errorCode && functionState == functionRunning) {
        executeNextStatement();
        if (errorCode) break;
        // quit and restart end the body; the next statement would clear them.
        if (runState != runStateRun) break;
        if (functionState == functionReturned) placeReturnValues(function, first);
        if (checkEscape() == keyEscape) {
            fail(errorCallInterrupt, "User interrupted!\n");
        }
    }
}

void startTrace(header* function) {
    if (traceState < 1 && (function->flags & userFunctionTraced)) {
        traceState = 1;
    } else if (traceState == 2) {
        traceState = 0;
    }
    if (traceState > 0) traceStep(lineStart);
}

void checkRecursion() {
    if (machineStackNearlyExhausted()) {
        reportMachineStackOverflow();
        return;
    }
    if (callDepth % recursionCheckInterval == 0 && getUsedStackSize() > recursionStackLimit) {
        fail(errorFailed, "Too many recursions!\n");
    }
}

void printTraceback(header* function) {
    if (callDepth == 1 && !traceErrorsMode)
        printText("Try \"trace errors\" to inspect local variables after errors.\n");
    if (callDepth < tracebackDepth) {
        printFormatted("%s:\n    ", function->name);
        char* line = lineStart;
        if (line >= reinterpret_cast<char*>(function) && line < endOf(function))
            printFunctionLine(line, 1);
        else
            printText("\n");
    } else if (callDepth == tracebackDepth) {
        printText("...\n");
    }
}

}  // namespace

void callUserFunction(header* function, header* first, int n, int s) {
    if (errorCode) return;
    if (function->flags & userFunctionPython) {
        callPythonUserFunction(function, first, n);
        return;
    }
    if (!checkArgumentCount(function, first, n, s)) return;
    if (!bindArguments(function, first, n, s)) return;
    int parameterCount = functionParameterCount(function);
    if (s == 0 && n > parameterCount) s = parameterCount;

    const CallContext caller = callContext;
    const double callerGlobalEpsilon = globalEpsilon;
    startlocal = reinterpret_cast<char*>(first);
    endlocal = newram;
    argumentCount = n;
    argumentSplit = s;
    currentEpsilon = globalEpsilon;
    currentFunction = function;
    currentFunctionName = function->name;
    relaxedFunctionMode = (function->flags & userFunctionRelaxed) ? 1 : 0;
    matlabMode = (function->flags & userFunctionMatlab) ? 1 : 0;
    useGlobalMode = 0;
    indexCopyMode = 0;
    functionState = functionRunning;
    scanPointer = lineStart = functionBody(function);
    // An empty body is the end byte alone: the call ends at once.
    if (*scanPointer == endOfBody)
        functionState = functionTopLevel;
    else
        startTrace(function);

    int depth = ++callDepth;
    if (!errorCode) checkRecursion();
    if (!errorCode) {
        struct Body {
            header* function;
            header* first;
        } body{function, first};
        if (!runGuardedAgainstOverflow(
                [](void* p) {
                    auto* b = static_cast<Body*>(p);
                    runStatements(b->function, b->first);
                },
                &body)) {
            callDepth = depth;
            reportMachineStackOverflow();
        }
    }
    if (errorCode && errorCode != errorAlreadyReported && traceErrorsMode) inspectFailedCall();
    if (errorCode) printTraceback(function);
    callDepth = depth - 1;
    // A body that ended without `return` yields no result.
    if (!errorCode && functionState == functionTopLevel)
        moveResult(first, pushMarker(markerNoResult));
    returnToCaller(caller, callerGlobalEpsilon);
}

}  // namespace kalix
