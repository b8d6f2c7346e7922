// Searching in vectors of numbers or strings: find (how many elements of a
// sorted vector are <= each value), indexof (first equal element, linear),
// indexofsorted (an equal element by bisection), multofsorted (how many
// are equal) and stringcompare. Sorted vectors are in the order sort gives
// (NaN after every number). An empty vector answers 0 to every query.
#include <cstring>

#include "builtins/matrix_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/vector_search.h"

namespace kalix {

namespace {

// A string ordered by unsigned bytes, a prefix before the longer string.
struct ByteString {
    const char* text;
};
bool operator<(ByteString a, ByteString b) { return compareStrings(a.text, b.text) < 0; }
bool operator>(ByteString a, ByteString b) { return compareStrings(a.text, b.text) > 0; }
bool operator<=(ByteString a, ByteString b) { return compareStrings(a.text, b.text) <= 0; }
bool operator==(ByteString a, ByteString b) { return compareStrings(a.text, b.text) == 0; }

// The strings of a string vector as a table at the stack top (dropped with
// the arguments); null after "Out of Memory!".
ByteString* stringTable(header* vector, int* n) {
    *n = countStrings(vector);
    const int64_t bytes = 8 * int64_t(*n);
    if (bytes > ramend - newram) {
        fail(errorOutOfMemory, "Out of Memory!\n");
        return nullptr;
    }
    auto* table = reinterpret_cast<ByteString*>(newram);
    newram += bytes;
    const char* text = stringOf(vector);
    for (int i = 0; i < *n; i++, text += std::strlen(text) + 1) table[i] = {text};
    return table;
}

bool isStringQuery(header* x) { return x->kind == kindString || x->kind == kindStringMatrix; }

// One answer for each string of x (a string or a string vector), as a 1 x k
// real row; as a real scalar for a single string when `scalarForString`.
template <class Answer>
void answerEachString(header* first, header* x, bool scalarForString, Answer answer) {
    const bool single = x->kind == kindString;
    const int k = single ? 1 : countStrings(x);
    header* result =
        single && scalarForString ? pushReal(0) : pushMatrixOfKind(kindRealMatrix, 1, k);
    if (errorCode) return;
    double* out =
        single && scalarForString ? reinterpret_cast<double*>(dataOf(result)) : matrixData(result);
    const char* text = stringOf(x);
    for (int i = 0; i < k; i++, text += std::strlen(text) + 1) out[i] = double(answer(text));
    moveResult(first, result);
}

// A real result in the shape of the real x (a scalar for a scalar) with
// its elements at `*out`; null after an error.
header* pushAnswersFor(const MatrixValue& x, double** out) {
    header* result = x.scalar ? pushReal(0) : pushMatrixOfKind(kindRealMatrix, x.rows, x.columns);
    if (errorCode) return nullptr;
    *out = x.scalar ? reinterpret_cast<double*>(dataOf(result)) : matrixData(result);
    return result;
}

// One answer for each element of the real x, in x's shape.
template <class Answer>
void answerEachReal(header* first, header* xValue, Answer answer) {
    MatrixValue x;
    readMatrixValue(xValue, &x);
    double* out;
    header* result = pushAnswersFor(x, &out);
    if (!result) return;
    for (int64_t k = 0; k < x.count(); k++) out[k] = double(answer(x.data[k]));
    moveResult(first, result);
}

bool isReal(header* value) { return numberFamily(value) == numberReal; }

// The vector searched: real numbers or strings; the query is checked by
// each builtin against the vector's kind.
constexpr ArgumentRule searchedVector = {takesRealMatrix | takesStringVector};

constexpr Signature findSignature = {
    "find", "sorted row vector, real row vector", {searchedVector, {takesAnything}}};

void builtinFind(header* first) {
    const Arguments a(first, findSignature);
    if (!a) return;
    header *v = a[0], *x = a[1];
    if (v->kind == kindStringMatrix) {
        if (x->kind == kindString) {
            // Linear: up to the first greater string, or just past the first equal one.
            answerEachString(first, x, true, [v](const char* query) {
                const ByteString q = {query};
                const char* text = stringOf(v);
                int count = 0;
                for (int i = countStrings(v); i > 0; i--, text += std::strlen(text) + 1) {
                    if (ByteString{text} > q) break;
                    count++;
                    if (ByteString{text} == q) break;
                }
                return count;
            });
            return;
        }
        if (x->kind != kindStringMatrix) return a.need("sorted vector, scalar or vector");
        int n;
        ByteString* table = stringTable(v, &n);
        if (!table) return;
        answerEachString(first, x, false, [table, n](const char* query) {
            return countNotAbove(table, n, ByteString{query});
        });
        return;
    }
    if (!isReal(x)) return a.refuse();
    const MatrixValue m = a.matrix(0);
    if (!m.isVector()) return a.need("sorted vector, scalar or vector");
    const MatrixValue queries = a.matrix(1);
    double* out;
    header* result = pushAnswersFor(queries, &out);
    if (!result) return;
    countNotAboveEach(sortedDoubles(m.data, m.count()), queries.data, queries.count(), out);
    moveResult(first, result);
}

constexpr Signature indexofSignature = {
    "indexof", "vector, vector", {searchedVector, {takesAnything}}};

void builtinIndexof(header* first) {
    const Arguments a(first, indexofSignature);
    if (!a) return;
    header *v = a[0], *x = a[1];
    if (v->kind == kindStringMatrix) {
        if (!isStringQuery(x)) return a.need("scalar or vector");
        answerEachString(first, x, true, [v](const char* query) {
            const char* text = stringOf(v);
            const int n = countStrings(v);
            for (int i = 1; i <= n; i++, text += std::strlen(text) + 1)
                if (std::strcmp(text, query) == 0) return i;
            return 0;
        });
        return;
    }
    const MatrixValue m = a.matrix(0);
    if (!isReal(x) || !m.isVector()) return a.need("two row vectors");
    const MatrixValue queries = a.matrix(1);
    double* out;
    header* result = pushAnswersFor(queries, &out);
    if (!result) return;
    // Many queries in a long vector: sort it once where there is room.
    const int64_t n = m.count(), bytes = firstEqualScratchBytes(n);
    if (queries.count() > 16 && n > 16 && bytes <= ramend - newram) {
        firstEqualPositionEach(m.data, uint32_t(n), queries.data, queries.count(), out, newram);
    } else {
        for (int64_t k = 0; k < queries.count(); k++)
            out[k] = double(firstEqualPosition(m.data, n, queries.data[k]));
    }
    moveResult(first, result);
}

// indexofsorted and multofsorted: checks alike, answers by bisection
// (numbers among the numbers of v, a NaN for the NaN elements at its end).
template <class StringAnswer, class RealAnswer>
void searchSorted(header* first, const Signature& signature, StringAnswer stringAnswer,
                  RealAnswer realAnswer) {
    const Arguments a(first, signature);
    if (!a) return;
    header *v = a[0], *x = a[1];
    if (v->kind == kindStringMatrix) {
        if (!isStringQuery(x)) return a.need("string or string vector");
        int n;
        ByteString* table = stringTable(v, &n);
        if (!table) return;
        answerEachString(first, x, false, [&](const char* query) {
            return stringAnswer(table, n, ByteString{query});
        });
        return;
    }
    // This message names find, whichever builtin refuses.
    if (!isReal(x)) return reportNeed("real row vector", "find");
    const MatrixValue m = a.matrix(0);
    if (!m.isVector()) return a.need("row vector");
    const SortedDoubles sorted = sortedDoubles(m.data, m.count());
    answerEachReal(first, x, [&](double q) { return realAnswer(sorted, q); });
}

constexpr Signature indexofsortedSignature = {
    "indexofsorted", "sorted vector, vector", {searchedVector, {takesAnything}}};
constexpr Signature multofsortedSignature = {
    "multofsorted", "sorted vector, vector", {searchedVector, {takesAnything}}};

void builtinIndexofsorted(header* first) {
    searchSorted(first, indexofsortedSignature, lastEqualPosition<ByteString*, ByteString>,
                 [](const SortedDoubles& v, double x) { return lastEqualPosition(v, x); });
}

void builtinMultofsorted(header* first) {
    searchSorted(first, multofsortedSignature, equalCount<ByteString*, ByteString>,
                 [](const SortedDoubles& v, double x) { return equalCount(v, x); });
}

constexpr Signature stringcompareSignature = {
    "stringcompare", "two strings", {{takesString}, {takesString}}};

void builtinStringcompare(header* first) {
    const Arguments a(first, stringcompareSignature);
    if (!a) return;
    header* result = pushReal(compareStrings(a.text(0), a.text(1)));
    if (!errorCode) moveResult(first, result);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"find", 2, 0, builtinFind},
    {"indexof", 2, 0, builtinIndexof},
    {"indexofsorted", 2, 0, builtinIndexofsorted},
    {"multofsorted", 2, 0, builtinMultofsorted},
    {"stringcompare", 2, 0, builtinStringcompare},
};
KALIX_BUILTIN_FAMILY(vectorSearchBuiltins, rows);

}  // namespace kalix
