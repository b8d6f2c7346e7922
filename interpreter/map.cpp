// Element-wise application of a function: the builtin `map` and the calls
// of functions defined with the keyword `map`. Each element (or broadcast
// combination of elements) of the mapped arguments is pushed as a scalar,
// the unmapped arguments are copied after it, and the function is called;
// the results fill a matrix of the common shape.
#include <cmath>
#include <cstring>
#include <vector>

#include "interpreter/builtin_table.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

constexpr int maxMapArguments = 16;

enum class Family { real, complex, interval, string, stringVector, marker, other };

// A resolved mapped argument.
struct Mapped {
    header* value;
    Family family;
    int rows, columns;
    std::vector<const char*> strings;  // the strings of a string vector
};

// What is called for each element.
struct Callee {
    char name[33] = "";
    header* function = nullptr;
    const BuiltinRecord* builtin = nullptr;
};

Family familyOf(const header* v) {
    switch (v->kind) {
        case kindReal:
        case kindRealMatrix:
            return Family::real;
        case kindComplex:
        case kindComplexMatrix:
            return Family::complex;
        case kindInterval:
        case kindIntervalMatrix:
            return Family::interval;
        case kindString:
            return isNoneMarker(v) ? Family::marker : Family::string;
        case kindStringMatrix:
            return Family::stringVector;
        default:
            return Family::other;
    }
}

bool classify(header* record, Mapped& m) {
    m.value = resolveValue(record);
    if (errorCode) return false;
    m.family = familyOf(m.value);
    m.rows = m.columns = 1;
    switch (m.family) {
        case Family::real:
        case Family::complex:
        case Family::interval:
            if (m.value->kind == kindRealMatrix || m.value->kind == kindComplexMatrix ||
                m.value->kind == kindIntervalMatrix) {
                m.rows = matrixRows(m.value);
                m.columns = matrixColumns(m.value);
            }
            return true;
        case Family::string:
        case Family::marker:
            m.family = Family::string;
            return true;
        case Family::stringVector:
            for (const char* s = stringOf(m.value); *s != 1; s += std::strlen(s) + 1)
                m.strings.push_back(s);
            m.columns = int(m.strings.size());
            return true;
        default:
            fail(errorWrongArgument, "Wrong arguments for %s\n", "map");
            return false;
    }
}

// The common size; rows and columns agree or are 1.
bool commonShape(const std::vector<Mapped>& mapped, int* rows, int* columns) {
    int r = 0, c = 0;
    for (const Mapped& m : mapped) {
        r = std::max(r, m.rows);
        c = std::max(c, m.columns);
    }
    for (const Mapped& m : mapped) {
        if (m.rows != r && m.rows != 1)
            return fail(errorFailed, "Rows do not match in map!\n"), false;
        if (m.columns != c && m.columns != 1)
            return fail(errorFailed, "Colums do not match in map!\n"), false;
    }
    *rows = r;
    *columns = c;
    return true;
}

// Pushes element (i, j) of a mapped argument, broadcast over rows and
// columns of size 1.
bool pushElement(const Mapped& m, int i, int j) {
    int64_t k = int64_t(m.rows > 1 ? i : 0) * m.columns + (m.columns > 1 ? j : 0);
    header* v = m.value;
    bool matrix = isMatrixKind(v->kind);
    const double* x = matrix ? matrixData(v) : reinterpret_cast<const double*>(dataOf(v));
    switch (m.family) {
        case Family::real: {
            double value;
            std::memcpy(&value, matrix ? x + k : x, 8);
            pushReal(value);
            break;
        }
        case Family::complex:
            pushComplex(x[2 * k], x[2 * k + 1]);
            break;
        case Family::interval:
            pushInterval(x[2 * k], x[2 * k + 1]);
            break;
        case Family::stringVector:
            pushCString(m.strings[size_t(m.columns > 1 ? j : 0)]);
            break;
        default:
            pushRecordCopy(reinterpret_cast<char*>(v), v->size);
            break;
    }
    return !errorCode;
}

// One result as a value the matrix can take.
struct Element {
    Family family = Family::marker;
    double a = 0, b = 0;
};

Element readElement(header* result) {
    Element e;
    header* v = resolveValue(result);
    if (errorCode) return e;
    e.family = familyOf(v);
    bool scalar = isScalarKind(v->kind);
    if (!scalar && e.family != Family::marker) e.family = Family::other;
    if (!scalar) return e;
    std::memcpy(&e.a, dataOf(v), 8);
    if (v->kind != kindReal) std::memcpy(&e.b, dataOf(v) + 8, 8);
    return e;
}

// The result matrix, built once the first value is known.
struct ResultMatrix {
    char* place;  // where the matrix lies (fixed)
    Family family = Family::marker;
    int rows, columns;

    header* record() const { return recordAt(place); }

    // Starts the matrix; positions before `filled` had no value.
    bool start(Family f, int64_t filled) {
        newram = place;
        header* m = f == Family::real      ? pushRealMatrix(rows, columns)
                    : f == Family::complex ? pushComplexMatrix(rows, columns)
                                           : pushIntervalMatrix(rows, columns);
        if (errorCode) return false;
        family = f;
        int width = f == Family::real ? 1 : 2;
        double* x = matrixData(m);
        for (int64_t k = 0; k < filled * width; k++) x[k] = f == Family::complex && k % 2 ? 0 : NAN;
        return true;
    }

    // A real matrix becomes complex (imaginary parts 0).
    bool makeComplex() {
        int64_t n = int64_t(rows) * columns;
        header* complex = pushComplexMatrix(rows, columns);
        if (errorCode) return false;
        const double* from = matrixData(record());
        double* to = matrixData(complex);
        for (int64_t k = 0; k < n; k++) {
            to[2 * k] = from[k];
            to[2 * k + 1] = 0;
        }
        int64_t size = complex->size;
        std::memmove(place, complex, size_t(size));
        newram = place + size;
        family = Family::complex;
        return true;
    }

    bool store(const Element& e, int64_t k) {
        if (family == Family::marker) {
            if (e.family == Family::marker) return true;
            bool numeric = e.family == Family::real || e.family == Family::complex ||
                           e.family == Family::interval;
            if (!numeric) return fail(errorFailed, "Illegal function result in map.\n"), false;
            if (!start(e.family, k)) return false;
        } else if (e.family == Family::complex && family == Family::real) {
            if (!makeComplex()) return false;
        } else {
            bool fits =
                e.family == family || (e.family == Family::real && family == Family::complex);
            if (!fits) return fail(errorFailed, "Illegal function result in map.\n"), false;
        }
        double* x = matrixData(record());
        if (family == Family::real) {
            x[k] = e.a;
        } else {
            x[2 * k] = e.a;
            x[2 * k + 1] = e.b;
        }
        return true;
    }

    char* end() const { return family == Family::marker ? place : endOf(record()); }
};

// Finds what to call: for a map function the function itself; for the
// builtin `map` a builtin of that name taking `count` arguments, a user
// function, or a function reached by cutting a "map" ending.
bool findCallee(Callee& callee, bool mapCall, int count) {
    if (mapCall) {
        callee.function = findFunction(callee.name);
    } else {
        callee.builtin = findBuiltin(callee.name, count);
        if (!callee.builtin) callee.function = findFunction(callee.name);
        if (!callee.builtin && !callee.function) callee.function = findMapFunction(callee.name);
    }
    if (callee.builtin || callee.function) return true;
    fail(errorFailed, "Error in map.\n");
    return false;
}

// Endless recursion through map fails at every level: the first levels
// say so, the others are counted and the outermost map gives their number.
// Computation thread only.
int mapDepth = 0;
int mapErrorsShown = 0;
int mapErrorsHidden = 0;
constexpr int mapErrorLevelsShown = 5;

struct MapLevel {
    MapLevel() {
        if (mapDepth++ == 0) mapErrorsShown = mapErrorsHidden = 0;
    }
    ~MapLevel() { mapDepth--; }
};

void reportMapError() {
    if (mapErrorsShown < mapErrorLevelsShown) {
        printText("Error in map.\n");
        mapErrorsShown++;
    } else {
        mapErrorsHidden++;
    }
    if (mapDepth == 1 && mapErrorsHidden > 0)
        printFormatted("(\"Error in map.\" %d more times)\n", mapErrorsHidden);
}

// Pushes one call's arguments at the stack top and calls; the result stands
// at `callStart`.
bool callOnce(const Callee& callee, const std::vector<Mapped>& mapped,
              const std::vector<header*>& unmapped, int positional, int i, int j) {
    MapLevel level;
    char* callStart = newram;
    for (const Mapped& m : mapped)
        if (!pushElement(m, i, j)) return false;
    for (header* record : unmapped)
        if (!pushRecordCopy(reinterpret_cast<char*>(record), record->size)) return false;
    if (callee.function)
        callUserFunction(callee.function, recordAt(callStart), positional, 0);
    else
        runBuiltinHandler(callee.builtin, recordAt(callStart));
    if (errorCode) {
        reportMapError();
        return false;
    }
    return true;
}

// The number of arguments mapped element by element.
int mappedCount(const Callee& callee, const std::vector<header*>& arguments, int semicolon) {
    int count = int(arguments.size());
    int mapped = count;
    if (semicolon >= 1) {
        mapped = semicolon;
    } else if (callee.function && functionSemicolonPosition(callee.function) > 0) {
        mapped = functionSemicolonPosition(callee.function);
        if (count < mapped) {
            fail(errorFailed, "Function %s needs at least %d arguments.\n", callee.name, mapped);
            return 0;
        }
    }
    if (mapped > count) mapped = count;
    for (int k = 0; k < mapped; k++) {
        header* a = arguments[size_t(k)];
        if (a->name[0] && a->kind != kindReference) return k;
    }
    return mapped;
}

void runMap(header* first, header* arguments, Callee& callee, bool mapCall, int semicolon) {
    char* top = newram;
    std::vector<header*> records;
    for (char* p = reinterpret_cast<char*>(arguments); p < top; p += recordAt(p)->size)
        records.push_back(recordAt(p));
    if (records.empty()) {
        fail(errorFailed, "Map needs arguments for function %s.\n", mapCall ? callee.name : "");
        return;
    }
    if (records.size() > size_t(maxMapArguments))
        return fail(errorFailed, "Map needs at least one and at most 16 arguments.\n");
    if (!findCallee(callee, mapCall, int(records.size()))) return;
    int count = mappedCount(callee, records, semicolon);
    if (errorCode) return;
    std::vector<Mapped> mapped(static_cast<size_t>(count));
    for (int k = 0; k < count; k++)
        if (!classify(records[size_t(k)], mapped[size_t(k)])) return;
    std::vector<header*> unmapped(records.begin() + count, records.end());
    int positional = count;
    for (header* r : unmapped) {
        if (r->name[0] && r->kind != kindReference) break;
        positional++;
    }
    int rows = 1, columns = 1;
    if (!mapped.empty() && !commonShape(mapped, &rows, &columns)) return;

    int savedSemicolon = semicolonPosition;
    semicolonPosition = 0;
    ResultMatrix result{newram, Family::marker, rows, columns};
    bool single = rows == 1 && columns == 1;
    if (int64_t(rows) * columns == 0) result.start(Family::real, 0);
    for (int i = 0; i < rows && !errorCode; i++) {
        for (int j = 0; j < columns && !errorCode; j++) {
            char* callStart = result.end();
            newram = callStart;
            if (!callOnce(callee, mapped, unmapped, positional, i, j)) break;
            if (single) {
                if (newram > callStart)
                    moveResult(first, recordAt(callStart));
                else
                    moveResult(first, pushMarker(markerNoResult));
                semicolonPosition = savedSemicolon;
                return;
            }
            Element e = newram > callStart ? readElement(recordAt(callStart)) : Element{};
            if (errorCode) break;
            newram = callStart;
            if (!result.store(e, int64_t(i) * columns + j)) break;
            newram = result.end();
        }
    }
    semicolonPosition = savedSemicolon;
    if (errorCode) return;
    if (result.family == Family::marker)
        moveResult(first, pushMarker(markerNoResult));
    else
        moveResult(first, result.record());
}

void builtinMap(header* first) {
    Callee callee;
    if (!first) {
        fail(errorFailed, "Map needs arguments for function %s.\n", "");
        return;
    }
    char* arguments = endOf(first);
    char* top = newram;
    header* name = resolveValue(first);
    if (errorCode) return;
    if (name->kind != kindString)
        return fail(errorFailed, "Map needs a string as first argument.\n");
    std::strncpy(callee.name, stringOf(name), sizeof callee.name - 1);
    newram = top;
    int semicolon = semicolonPosition >= 1 ? semicolonPosition - 1 : 0;
    runMap(first, recordAt(arguments), callee, false, semicolon);
}

const BuiltinRecord rows[] = {
    {"map", -1, 0, builtinMap},
};

}  // namespace

void mapFunction(header* first, const char* name) {
    if (!name) {
        builtinMap(first);
        return;
    }
    Callee callee;
    std::strncpy(callee.name, name, sizeof callee.name - 1);
    runMap(first, first, callee, true, semicolonPosition);
}

KALIX_BUILTIN_FAMILY(mapBuiltins, rows);

}  // namespace kalix
