// Builtins through which a function inspects the arguments of its call
// (argn, args, getarg) and through which any code asks what a value is.
#include <cmath>
#include <cstring>

#include "interpreter/builtin_table.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"

namespace kalix {

namespace {

// The k-th (1-based) record of the running frame, or null.
header* frameRecord(int k) {
    char* p = startlocal;
    for (int i = 1; i < k && p < endlocal; i++) p += recordAt(p)->size;
    return p < endlocal ? recordAt(p) : nullptr;
}

// Copies the frame records from..to (1-based) to the stack top, the first
// flagged as one of several results. Returns the first copy, or null with
// the error.
header* copyFrameRecords(int from, int to) {
    header* first = frameRecord(from);
    header* last = frameRecord(to);
    if (!first || !last) {
        fail(errorArguments, "Error in args!\n");
        return nullptr;
    }
    char* start = reinterpret_cast<char*>(first);
    header* copy = pushRecordCopy(start, endOf(last) - start);
    if (copy) copy->flags |= flagResult;
    return copy;
}

// Resolves the argument, pushes what `test` says and moves it down.
template <typename Test>
void answer(header* argument, Test test) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    header* result = pushReal(test(value) ? 1 : 0);
    if (!errorCode) moveResult(argument, result);
}

void builtinArgn(header*) { pushReal(argumentCount); }

// No value. Inside a function nothing stays on the stack, so that an
// argument list passes nothing on, but the marker of a missing result is
// left at `at` for a caller that looks there. Outside functions there is
// nothing to pass on: the marker stays as the value.
void yieldNothing(char* at) {
    newram = at;
    pushMarker(markerNoResult);
    if (currentFunction) newram = at;
}

void builtinArgs(header*) {
    if (argumentSplit == 0 || argumentSplit >= argumentCount) {
        yieldNothing(newram);
        return;
    }
    copyFrameRecords(argumentSplit + 1, argumentCount);
}

// A positive integer argument n (truncated) of `builtin`; 0 after an error.
int readPosition(header* argument, const char* what, const char* builtin, bool zeroMessage) {
    header* value = resolveValue(argument);
    if (errorCode) return 0;
    if (value->kind != kindReal) {
        reportNeed(what, builtin);
        return 0;
    }
    double x = std::trunc(realOf(value));
    if (!(x > 0)) {
        reportNeed(zeroMessage ? "integer>0" : what, builtin);
        return 0;
    }
    return x > 1e9 ? 1000000000 : int(x);
}

void builtinArgsFrom(header* argument) {
    int n = readPosition(argument, "integer", "args", true);
    if (errorCode) return;
    if (n > argumentCount) {
        yieldNothing(reinterpret_cast<char*>(argument));
        return;
    }
    header* copies = copyFrameRecords(n, argumentCount);
    if (copies) moveResults(argument, copies);
}

void builtinGetarg(header* argument) {
    if (!currentFunction) {
        fail(errorCallInterrupt, "getarg works only in functions!\n");
        return;
    }
    int n = readPosition(argument, "nonzero index", "getarg", false);
    if (errorCode) return;
    if (n > argumentCount) {
        yieldNothing(reinterpret_cast<char*>(argument));
        return;
    }
    header* record = frameRecord(n);
    if (!record || record->size == 0) {
        fail(errorArguments, "Error in arg! Argument %d does not exist.\n", n);
        return;
    }
    header* copy = pushRecordCopy(reinterpret_cast<char*>(record), record->size);
    if (copy) moveResult(argument, copy);
}

bool isEmptyValue(header* v) {
    if (isNoneMarker(v)) return true;
    switch (v->kind) {
        case kindString:
            return stringOf(v)[0] == 0;
        case kindRealMatrix:
        case kindComplexMatrix:
        case kindIntervalMatrix:
            return matrixRows(v) == 0 || matrixColumns(v) == 0;
        case kindStringMatrix:
            return stringOf(v)[0] == 1;
        default:
            return false;
    }
}

bool namesFunction(header* v) {
    if (v->kind != kindString) return false;
    const char* name = stringOf(v);
    return findFunction(name) || findMapFunction(name) || findBuiltin(name, -1);
}

void builtinIscall(header* a) {
    answer(a, [](header* v) {
        if (v->kind == kindString) return true;
        return v->kind == kindCollection && v->size > headerSize &&
               recordAt(dataOf(v))->kind == kindString;
    });
}
void builtinIscomplex(header* a) {
    answer(a, [](header* v) { return v->kind == kindComplex || v->kind == kindComplexMatrix; });
}
void builtinIsempty(header* a) { answer(a, isEmptyValue); }
void builtinIsfunction(header* a) { answer(a, namesFunction); }
void builtinIsinterval(header* a) {
    answer(a, [](header* v) { return v->kind == kindInterval || v->kind == kindIntervalMatrix; });
}
void builtinIsreal(header* a) {
    answer(a, [](header* v) { return v->kind == kindReal || v->kind == kindRealMatrix; });
}
void builtinIssymbolic(header* a) {
    answer(a, [](header* v) { return v->kind == kindString && (v->flags & flagSymbolic); });
}
void builtinIsvar(header* a) {
    answer(a,
           [](header* v) { return v->kind == kindString && findVariable(stringOf(v)) != nullptr; });
}

void builtinTypeof(header* argument) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    header* result = pushReal(value->kind);
    if (!errorCode) moveResult(argument, result);
}

void builtinPrinttype(header* argument) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    int kind = value->kind;
    header* result = pushCString(kind >= 0 && kind < kindCount ? typeNames[kind] : "");
    if (!errorCode) moveResult(argument, result);
}

// The name of the variable the argument stands for; "" for a temporary.
void builtinName(header* argument) {
    header* target = followReference(argument);
    resolveValue(argument);
    if (errorCode) return;
    char name[sizeof target->name + 1] = {};
    if (target) std::memcpy(name, target->name, sizeof target->name);
    header* result = pushCString(name);
    if (!errorCode) moveResult(argument, result);
}

const BuiltinRecord rows[] = {
    {"argn", 0, 0, builtinArgn},
    {"args", 0, 0, builtinArgs},
    {"args", 1, 0, builtinArgsFrom},
    {"getarg", 1, 0, builtinGetarg},
    {"iscall", 1, 0, builtinIscall},
    {"iscomplex", 1, 0, builtinIscomplex},
    {"isempty", 1, 0, builtinIsempty},
    {"isfunction", 1, 0, builtinIsfunction},
    {"isinterval", 1, 0, builtinIsinterval},
    {"isreal", 1, 0, builtinIsreal},
    {"issymbolic", 1, 0, builtinIssymbolic},
    {"isvar", 1, 0, builtinIsvar},
    {"name", 1, 0, builtinName},
    {"printtype", 1, 0, builtinPrinttype},
    {"typeof", 1, 0, builtinTypeof},
};

}  // namespace

KALIX_BUILTIN_FAMILY(introspectionBuiltins, rows);

}  // namespace kalix
