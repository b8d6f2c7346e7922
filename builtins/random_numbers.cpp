// Random number builtins: uniform and normal values and matrices, random
// integers, reseeding and random permutations, all drawn from the
// interpreter's generator (numerics/random_numbers.h). Its state lives for
// the process: a restart of the interpreter does not touch it.
#include <cmath>
#include <cstring>

#include "builtins/builtin_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/random_numbers.h"

namespace kalix {

namespace {

// Uniform values never exceed 1 - epsilon.
double uniformCap() { return 1 - currentEpsilon; }

using Fill = void (*)(double* out, int64_t n, double cap);

// No argument: one value at the stack top. Otherwise a matrix of the size
// the arguments give (n: 1 x n; n, m or [n, m]: n x m).
void randomMatrix(header* first, const char* name, Fill fill) {
    if (!first) {
        double value;
        fill(&value, 1, uniformCap());
        pushReal(value);
        return;
    }
    int rows, columns;
    readSizeArguments(first, &rows, &columns, name);
    if (errorCode) return;
    // The size is read: the result takes the arguments' place at once
    // instead of being copied down over them.
    newram = reinterpret_cast<char*>(first);
    header* result = pushRealMatrix(rows, columns);
    if (!result) return;
    fill(matrixData(result), int64_t(rows) * columns, uniformCap());
}

void builtinRandom(header* first) { randomMatrix(first, "random", fillUniform); }
void builtinNormal(header* first) { randomMatrix(first, "normal", fillNormal); }

// --- random integers ----------------------------------------------------------

// The bound k of intrandom: a real scalar of at least 1.
constexpr Signature upperBoundSignature = {
    "random", "optional size n, m, integer k", {{takesReal}}};

bool readUpperBound(header* record, double* k) {
    const Arguments a(record, upperBoundSignature);
    if (!a) return false;
    if (a.real(0) >= 1) {
        *k = a.real(0);
        return true;
    }
    a.refuse();
    return false;
}

double randomInteger(double k) { return std::trunc(uniformRandom(uniformCap()) * k) + 1; }

void builtinIntrandom1(header* first) {
    double k;
    if (!readUpperBound(first, &k)) return;
    header* result = pushReal(randomInteger(k));
    if (result) moveResult(first, result);
}

// n, k / [n, m], k / n, m, k. Two scalars are n and k: k is checked before
// the size reader takes it for the column count.
void builtinIntrandom(header* first) {
    header* second = nextValue(first);
    const bool twoArguments = !nextValue(second);
    // Values resolved here are dropped again: the size reader finds the
    // arguments as they were.
    char* top = newram;
    header* sizeValue = resolveValue(first);
    if (errorCode) return;
    const bool twoScalars = twoArguments && sizeValue->kind == kindReal;
    double k;
    if (twoScalars && !readUpperBound(second, &k)) return;
    newram = top;
    int rows, columns;
    header* after = readSizeArguments(first, &rows, &columns, "normal");
    if (errorCode) return;
    if (twoScalars) {
        columns = rows;
        rows = 1;
    } else if (!readUpperBound(after, &k)) {
        return;
    }
    header* result = pushRealMatrix(rows, columns);
    if (!result) return;
    double* out = matrixData(result);
    const int64_t n = int64_t(rows) * columns;
    for (int64_t i = 0; i < n; i++) out[i] = randomInteger(k);
    moveResult(first, result);
}

// --- seed and shuffle ------------------------------------------------------------

constexpr Signature seedSignature = {.builtin = "seed",
                                     .rules = {{takesReal}},
                                     .refusal = {errorWrongArgument, "Wrong arguments for seed\n"}};

void builtinSeed(header* first) {
    const Arguments a(first, seedSignature);
    if (!a) return;
    const double x = a.real(0);
    seedRandom(x);
    header* result = pushReal(x);
    if (result) moveResult(first, result);
}

// A real row matrix; a scalar is refused.
constexpr Signature shuffleSignature = {
    .builtin = "shuffle",
    .rules = {{.kinds = kindBit(kindRealMatrix), .rows = 1}},
    .refusal = {errorWrongArgument, "Wrong arguments for shuffle\n"}};

// One draw per position from the last down to the second.
void builtinShuffle(header* first) {
    const Arguments a(first, shuffleSignature);
    if (!a) return;
    header* value = a[0];
    const int n = matrixColumns(value);
    header* result = pushRealMatrix(1, n);
    if (!result) return;
    double* r = matrixData(result);
    std::memcpy(r, matrixData(value), size_t(n) * sizeof(double));
    for (int i = n - 1; i >= 1; i--) {
        int j = static_cast<int>(std::floor(uniformRandom(uniformCap()) * (i + 1)));
        if (j > i) j = i;
        if (j != i) {
            const double t = r[i];
            r[i] = r[j];
            r[j] = t;
        }
    }
    moveResult(first, result);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"intrandom", 1, 0, builtinIntrandom1}, {"intrandom", 2, 0, builtinIntrandom},
    {"intrandom", 3, 0, builtinIntrandom},  {"normal", 0, 0, builtinNormal},
    {"normal", 1, 0, builtinNormal},        {"normal", 2, 0, builtinNormal},
    {"random", 0, 0, builtinRandom},        {"random", 1, 0, builtinRandom},
    {"random", 2, 0, builtinRandom},        {"seed", 1, 0, builtinSeed},
    {"shuffle", 1, 0, builtinShuffle},
};
KALIX_BUILTIN_FAMILY(randomBuiltins, rows);

}  // namespace kalix
