// Reductions and cumulative builtins. The language works by rows: a
// reduction of an n x m matrix is an n x 1 column, a cumulative builtin
// keeps the shape; in matlab mode sum, colsum, prod and the cumulative ones
// work by columns. NaN counts as nonzero in every zero test.
#include <algorithm>
#include <climits>
#include <cmath>

#include "builtins/concatenation.h"
#include "builtins/intervals.h"
#include "builtins/matrix_values.h"
#include "interpreter/arguments.h"
#include "interpreter/arithmetic.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/evaluator.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

// The one argument of a reduction, a matrix of the kinds given; refused
// with "Need <need> for <builtin>".
constexpr Signature matrixSignature(const char* builtin, const char* need, KindSet kinds) {
    return {builtin, need, {{kinds}}};
}

constexpr KindSet takesRealOrComplex = takesRealMatrix | takesComplexMatrix;
constexpr Signature sumSignature = matrixSignature("sum", "matrix", takesNumeric);
constexpr Signature prodSignature = matrixSignature("prod", "matrix", takesNumeric);
constexpr Signature colsumSignature = matrixSignature("colsum", "matrix", takesNumeric);
constexpr Signature cumsumSignature = matrixSignature("cumsum", "matrix", takesRealOrComplex);
constexpr Signature cumprodSignature = matrixSignature("cumprod", "matrix", takesNumeric);
constexpr Signature cummaxSignature = matrixSignature("cummax", "real matrix", takesRealMatrix);
constexpr Signature cumminSignature = matrixSignature("cummin", "real matrix", takesRealMatrix);
constexpr const char* realOrIntervalNeed = "real or interval matrix type";
constexpr Signature maxSignature =
    matrixSignature("max", realOrIntervalNeed, takesRealMatrix | takesIntervalMatrix);
constexpr Signature minSignature =
    matrixSignature("min", realOrIntervalNeed, takesRealMatrix | takesIntervalMatrix);
constexpr Signature totalmaxSignature = matrixSignature("totalmax", "real matrix", takesRealMatrix);
constexpr Signature totalminSignature = matrixSignature("totalmin", "real matrix", takesRealMatrix);
constexpr Signature extremaSignature = matrixSignature("extrema", "real matrix", takesRealMatrix);
constexpr Signature allSignature = matrixSignature("all", "matrix", takesRealOrComplex);
constexpr Signature anySignature = matrixSignature("any", "matrix", takesRealOrComplex);
constexpr Signature nonzerosSignature = matrixSignature("nonzeros", "row vector", takesRealMatrix);
// A scalar is refused.
constexpr Signature mnonzerosSignature = matrixSignature(
    "mnonzeros", "real or complex matrix", kindBit(kindRealMatrix) | kindBit(kindComplexMatrix));
constexpr Signature firstnonzeroSignature =
    matrixSignature("firstnonzero", "real matrix or scalar", takesRealMatrix);
constexpr Signature lastnonzeroSignature =
    matrixSignature("lastnonzero", "real matrix or scalar", takesRealMatrix);
// count(v, n)
constexpr Signature countSignature = {
    "count", "row vector and integer", {{kindBit(kindRealMatrix)}, {takesReal}}};

// The argument as a matrix, or false after the refusal.
bool readArgument(header* first, const Signature& signature, MatrixValue* m) {
    const Arguments a(first, signature);
    if (!a) return false;
    *m = a.matrix(0);
    return true;
}

// Runs a row-wise builtin; in matlab mode on the transposed argument, and
// its result transposed back.
void byColumnsInMatlabMode(header* first, void (*builtin)(header*)) {
    if (matlabMode) transposeValue(first);
    if (errorCode) return;
    builtin(first);
    if (matlabMode && !errorCode) transposeValue(first);
}

// --- sums and products -------------------------------------------------------

// Element steps: acc op= x for one family (w doubles an element).
void addReal(double* acc, const double* x) { acc[0] += x[0]; }
void addComplex(double* acc, const double* x) {
    acc[0] += x[0];
    acc[1] += x[1];
}
void addInterval(double* acc, const double* x) {
    addIntervalBounds(acc[0], acc[1], x[0], x[1], &acc[0], &acc[1]);
}
void multiplyReal(double* acc, const double* x) { acc[0] *= x[0]; }
void multiplyComplex(double* acc, const double* x) {
    multiplyComplexElement(acc[0], acc[1], x[0], x[1], &acc[0], &acc[1]);
}
void multiplyInterval(double* acc, const double* x) {
    multiplyIntervalBounds(acc[0], acc[1], x[0], x[1], &acc[0], &acc[1]);
}

using ElementStep = void (*)(double* acc, const double* x);

// acc(i) = a(i, 0) op ... op a(i, m - 1), from `start`, one accumulator a row.
template <ElementStep step>
void accumulateRows(const MatrixValue& a, const double* start, double* out) {
    const int w = a.width;
    for (int i = 0; i < a.rows; i++) {
        double acc[2] = {start[0], start[1]};
        const double* x = a.element(int64_t(i) * a.columns);
        for (int j = 0; j < a.columns; j++, x += w) step(acc, x);
        std::copy_n(acc, w, out + int64_t(i) * w);
    }
}

// Plain sums of real rows: one pass, added from the first column on.
template <>
void accumulateRows<addReal>(const MatrixValue& a, const double* start, double* out) {
    for (int i = 0; i < a.rows; i++) {
        const double* x = a.element(int64_t(i) * a.columns);
        double s = start[0];
        for (int j = 0; j < a.columns; j++) s += x[j];
        out[i] = s;
    }
}

// out(i, 0) = a(i, 0), out(i, j) = out(i, j - 1) op a(i, j).
template <ElementStep step>
void runAlongRows(const MatrixValue& a, double* out) {
    const int w = a.width;
    const int64_t rowLength = int64_t(a.columns) * w;
    for (int i = 0; i < a.rows; i++) {
        const double* x = a.data + i * rowLength;
        double* y = out + i * rowLength;
        std::copy_n(x, w, y);
        for (int64_t j = w; j < rowLength; j += w) {
            std::copy_n(y + j - w, w, y + j);
            step(y + j, x + j);
        }
    }
}

template <>
void runAlongRows<addReal>(const MatrixValue& a, double* out) {
    for (int i = 0; i < a.rows; i++) {
        const double* x = a.element(int64_t(i) * a.columns);
        double* y = out + int64_t(i) * a.columns;
        double s = x[0];
        y[0] = s;
        for (int j = 1; j < a.columns; j++) y[j] = s = s + x[j];
    }
}

// One operation in each family (indexed by NumberFamily).
struct Accumulation {
    ElementStep step[3];
    void (*rows[3])(const MatrixValue& a, const double* start, double* out);
    void (*runs[3])(const MatrixValue& a, double* out);
    double start;  // 0 or 1: the start value 0, 0 + 0i, [0, 0] or 1, 1 + 0i, [1, 1]
};
constexpr Accumulation summing = {
    {addReal, addComplex, addInterval},
    {accumulateRows<addReal>, accumulateRows<addComplex>, accumulateRows<addInterval>},
    {runAlongRows<addReal>, runAlongRows<addComplex>, runAlongRows<addInterval>},
    0};
constexpr Accumulation multiplying = {
    {multiplyReal, multiplyComplex, multiplyInterval},
    {accumulateRows<multiplyReal>, accumulateRows<multiplyComplex>,
     accumulateRows<multiplyInterval>},
    {runAlongRows<multiplyReal>, runAlongRows<multiplyComplex>, runAlongRows<multiplyInterval>},
    1};

void startValue(const Accumulation& how, NumberFamily family, double* acc) {
    acc[0] = how.start;
    acc[1] = family == numberInterval ? how.start : 0;
}

void reduceRows(header* first, const Accumulation& how, const Signature& signature) {
    MatrixValue a;
    if (!readArgument(first, signature, &a)) return;
    header* result = pushMatrixOfKind(matrixKindOf(a.family), a.rows, 1);
    if (!result) return;
    double start[2];
    startValue(how, a.family, start);
    how.rows[a.family](a, start, matrixData(result));
    moveResolvedResult(first, result);
}

void sumRows(header* first) { reduceRows(first, summing, sumSignature); }
void multiplyRows(header* first) { reduceRows(first, multiplying, prodSignature); }

// Column sums, each column added from the first row down.
void sumColumns(header* first) {
    MatrixValue a;
    if (!readArgument(first, colsumSignature, &a)) return;
    header* result = pushMatrixOfKind(matrixKindOf(a.family), 1, a.columns);
    if (!result) return;
    const int w = a.width;
    double* out = matrixData(result);
    std::fill_n(out, int64_t(a.columns) * w, 0.0);
    const ElementStep step = summing.step[a.family];
    for (int i = 0; i < a.rows; i++) {
        const double* x = a.element(int64_t(i) * a.columns);
        if (a.family == numberReal)
            for (int j = 0; j < a.columns; j++) out[j] += x[j];
        else
            for (int j = 0; j < a.columns; j++) step(out + j * w, x + j * w);
    }
    moveResolvedResult(first, result);
}

void builtinSum(header* first) { byColumnsInMatlabMode(first, sumRows); }
void builtinColsum(header* first) { byColumnsInMatlabMode(first, sumColumns); }
void builtinProd(header* first) { byColumnsInMatlabMode(first, multiplyRows); }

// --- running sums, products, maxima and minima ----------------------------------

void runRows(header* first, const Accumulation& how, const Signature& signature) {
    MatrixValue a;
    if (!readArgument(first, signature, &a)) return;
    const int kind = matrixKindOf(a.family);
    if (a.columns == 0) {
        // No columns: one start value per row.
        header* result = pushMatrixOfKind(kind, a.rows, 1);
        if (!result) return;
        double start[2];
        startValue(how, a.family, start);
        for (int i = 0; i < a.rows; i++)
            std::copy_n(start, a.width, matrixData(result) + i * a.width);
        moveResult(first, result);
        return;
    }
    header* result = pushMatrixOfKind(kind, a.rows, a.columns);
    if (!result) return;
    how.runs[a.family](a, matrixData(result));
    moveResult(first, result);
}

void runningSums(header* first) { runRows(first, summing, cumsumSignature); }
void runningProducts(header* first) { runRows(first, multiplying, cumprodSignature); }

// The running maximum (minimum) never falls (rises): a NaN element gives NaN
// at its own place and leaves the running value as it was.
void runExtremes(header* first, bool maximum, const Signature& signature) {
    MatrixValue a;
    if (!readArgument(first, signature, &a)) return;
    header* result = pushMatrixOfKind(kindRealMatrix, a.rows, a.columns);
    if (!result) return;
    double* out = matrixData(result);
    for (int64_t i = 0; i < a.rows; i++) {
        double running = NAN;
        for (int64_t k = i * a.columns; k < (i + 1) * a.columns; k++) {
            const double x = a.data[k];
            if (std::isnan(x)) {
                out[k] = x;
                continue;
            }
            if (std::isnan(running) || (maximum ? x > running : x < running)) running = x;
            out[k] = running;
        }
    }
    moveResult(first, result);
}

void runningMaxima(header* first) { runExtremes(first, true, cummaxSignature); }
void runningMinima(header* first) { runExtremes(first, false, cumminSignature); }

void builtinCumsum(header* first) { byColumnsInMatlabMode(first, runningSums); }
void builtinCumprod(header* first) { byColumnsInMatlabMode(first, runningProducts); }
void builtinCummax(header* first) { byColumnsInMatlabMode(first, runningMaxima); }
void builtinCummin(header* first) { byColumnsInMatlabMode(first, runningMinima); }

// --- maxima and minima ---------------------------------------------------------

// The extreme of n reals with its 0-based position: the first element
// starts, a NaN extreme is replaced by the next element, later equal values
// keep the earlier position. NaN and -1 for no elements.
struct Extreme {
    double value;
    int64_t position;
};

template <bool maximum>
Extreme extremeOf(const double* x, int64_t n) {
    Extreme e = {NAN, -1};
    int64_t j = 0;
    // A NaN start gives way to the next element, NaN or not.
    while (j < n && std::isnan(x[j])) e = {x[j], j}, j++;
    if (j == n) return e;
    e = {x[j], j};
    for (j++; j < n; j++) {
        if (maximum ? x[j] > e.value : x[j] < e.value) e = {x[j], j};
    }
    return e;
}

// The value of extremeOf alone, with four running extremes over interleaved
// elements so that the comparisons do not wait on each other. Their
// combination is the same value; only the sign of a zero could differ, so a
// zero result is taken from the first zero element, as the single pass does.
template <bool maximum>
double extremeValueOf(const double* x, int64_t n) {
    int64_t j = 0;
    while (j < n && std::isnan(x[j])) j++;
    if (j == n) return n > 0 ? x[n - 1] : NAN;
    const int64_t start = j;
    double m[4] = {x[j], x[j], x[j], x[j]};
    for (j++; j + 4 <= n; j += 4) {
        for (int lane = 0; lane < 4; lane++) {
            const double y = x[j + lane];
            m[lane] = (maximum ? y > m[lane] : y < m[lane]) ? y : m[lane];
        }
    }
    for (; j < n; j++) m[0] = (maximum ? x[j] > m[0] : x[j] < m[0]) ? x[j] : m[0];
    double result = m[0];
    for (int lane = 1; lane < 4; lane++)
        if (maximum ? m[lane] > result : m[lane] < result) result = m[lane];
    if (result == 0)
        for (j = start; j < n; j++)
            if (x[j] == 0) return x[j];
    return result;
}

// Interval rows: each bound on its own.
template <bool maximum>
void intervalExtreme(const double* x, int n, double* out) {
    out[0] = out[1] = NAN;
    if (n == 0) return;
    out[0] = x[0];
    out[1] = x[1];
    for (int j = 1; j < n; j++) {
        for (int b = 0; b < 2; b++) {
            const double bound = x[2 * j + b];
            if (maximum ? !(out[b] > bound) : !(out[b] < bound)) out[b] = bound;
        }
    }
}

template <bool maximum>
void rowExtremes(header* first) {
    MatrixValue a;
    if (!readArgument(first, maximum ? maxSignature : minSignature, &a)) return;
    header* result = pushMatrixOfKind(matrixKindOf(a.family), a.rows, 1);
    if (!result) return;
    double* out = matrixData(result);
    for (int i = 0; i < a.rows; i++) {
        const double* row = a.element(int64_t(i) * a.columns);
        if (a.family == numberInterval)
            intervalExtreme<maximum>(row, a.columns, out + 2 * i);
        else
            out[i] = extremeValueOf<maximum>(row, a.columns);
    }
    moveResolvedResult(first, result);
}

// The first element starts and stays when it is NaN; NaN for no elements.
template <bool maximum>
void totalExtreme(header* first) {
    MatrixValue a;
    if (!readArgument(first, maximum ? totalmaxSignature : totalminSignature, &a)) return;
    double m = NAN;
    if (a.count() > 0) {
        m = a.data[0];
        for (int64_t k = 1; k < a.count(); k++) {
            const double x = a.data[k];
            if (maximum ? x > m : x < m) m = x;
        }
    }
    header* result = pushReal(m);
    if (!errorCode) moveResult(first, result);
}

// Per row: minimum, its column, maximum, its column (columns 0 for an
// empty row).
void builtinExtrema(header* first) {
    MatrixValue a;
    if (!readArgument(first, extremaSignature, &a)) return;
    header* result = pushMatrixOfKind(kindRealMatrix, a.rows, 4);
    if (!result) return;
    double* out = matrixData(result);
    for (int i = 0; i < a.rows; i++, out += 4) {
        const double* row = a.element(int64_t(i) * a.columns);
        const Extreme low = extremeOf<false>(row, a.columns);
        const Extreme high = extremeOf<true>(row, a.columns);
        out[0] = low.value;
        out[1] = double(low.position + 1);
        out[2] = high.value;
        out[3] = double(high.position + 1);
    }
    moveResult(first, result);
}

// --- zero tests ------------------------------------------------------------------

// A complex element is zero only when both parts are.
bool isNonzero(const MatrixValue& a, int64_t k) {
    const double* x = a.element(k);
    return x[0] != 0 || (a.width == 2 && x[1] != 0);
}

void allOrAny(header* first, bool all) {
    MatrixValue a;
    if (!readArgument(first, all ? allSignature : anySignature, &a)) return;
    bool answer = all;
    for (int64_t k = 0; k < a.count(); k++) {
        if (isNonzero(a, k) != all) {
            answer = !all;
            break;
        }
    }
    header* result = pushReal(answer ? 1 : 0);
    if (!errorCode) moveResult(first, result);
}

void builtinAll(header* first) { allOrAny(first, true); }
void builtinAny(header* first) { allOrAny(first, false); }

// The 1-based positions of the nonzero elements of a vector.
void builtinNonzeros(header* first) {
    const Arguments a(first, nonzerosSignature);
    if (!a) return;
    const MatrixValue v = a.matrix(0);
    if (!v.isVector()) {
        a.refuse();
        return;
    }
    header* result = pushMatrixOfKind(kindRealMatrix, 1, int(v.count()));
    if (!result) return;
    double* out = matrixData(result);
    int found = 0;
    for (int64_t k = 0; k < v.count(); k++)
        if (v.data[k] != 0) out[found++] = double(k + 1);
    matrixColumns(result) = found;
    result->size = headerSize + 8 + 8 * int64_t(found);
    newram = endOf(result);
    moveResult(first, result);
}

// Row and column of every nonzero element, in row order.
void builtinMnonzeros(header* first) {
    MatrixValue a;
    if (!readArgument(first, mnonzerosSignature, &a)) return;
    int64_t found = 0;
    for (int64_t k = 0; k < a.count(); k++) found += isNonzero(a, k);
    if (found > (ramend - newram - headerSize - 8) / 16) {
        fail(errorOutOfMemory, "Out of Memory!\n");
        return;
    }
    header* result = pushMatrixOfKind(kindRealMatrix, int(found), 2);
    if (!result) return;
    double* out = matrixData(result);
    for (int64_t k = 0; k < a.count(); k++) {
        if (!isNonzero(a, k)) continue;
        *out++ = double(k / a.columns + 1);
        *out++ = double(k % a.columns + 1);
    }
    moveResult(first, result);
}

// Per row the column of the first (last) nonzero element, 0 if none.
void nonzeroColumns(header* first, bool last) {
    MatrixValue a;
    if (!readArgument(first, last ? lastnonzeroSignature : firstnonzeroSignature, &a)) return;
    header* result = pushMatrixOfKind(kindRealMatrix, a.rows, 1);
    if (!result) return;
    double* out = matrixData(result);
    for (int i = 0; i < a.rows; i++) {
        const double* row = a.element(int64_t(i) * a.columns);
        int column = 0;
        if (last) {
            for (int j = a.columns - 1; j >= 0 && !column; j--)
                if (row[j] != 0) column = j + 1;
        } else {
            for (int j = 0; j < a.columns && !column; j++)
                if (row[j] != 0) column = j + 1;
        }
        out[i] = column;
    }
    moveResolvedResult(first, result);
}

void builtinFirstnonzero(header* first) { nonzeroColumns(first, false); }
void builtinLastnonzero(header* first) { nonzeroColumns(first, true); }

// How many elements fall into each unit bin [k, k + 1), k = 0 .. n - 1.
void builtinCountBins(header* first) {
    const Arguments a(first, countSignature);
    if (!a) return;
    const MatrixValue v = a.matrix(0);
    const double n = a.real(1);
    if (!v.isVector() || !(n >= 2 && n <= double(INT_MAX)) || n != std::floor(n)) {
        a.refuse();
        return;
    }
    const int count = int(n);
    header* result = pushMatrixOfKind(kindRealMatrix, 1, count);
    if (!result) return;
    double* out = matrixData(result);
    std::fill_n(out, count, 0.0);
    for (int64_t k = 0; k < v.count(); k++) {
        const double x = v.data[k];
        if (x >= 0 && x < count) out[int(x)]++;
    }
    moveResult(first, result);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"all", 1, 0, builtinAll},
    {"any", 1, 0, builtinAny},
    {"colsum", 1, 0, builtinColsum},
    {"count", 2, 0, builtinCountBins},
    {"cummax", 1, 0, builtinCummax},
    {"cummin", 1, 0, builtinCummin},
    {"cumprod", 1, 0, builtinCumprod},
    {"cumsum", 1, 0, builtinCumsum},
    {"extrema", 1, 0, builtinExtrema},
    {"firstnonzero", 1, 0, builtinFirstnonzero},
    {"lastnonzero", 1, 0, builtinLastnonzero},
    {"max", 1, 0, rowExtremes<true>},
    {"min", 1, 0, rowExtremes<false>},
    {"mnonzeros", 1, 0, builtinMnonzeros},
    {"nonzeros", 1, 0, builtinNonzeros},
    {"prod", 1, 0, builtinProd},
    {"sum", 1, 0, builtinSum},
    {"totalmax", 1, 0, totalExtreme<true>},
    {"totalmin", 1, 0, totalExtreme<false>},
};
KALIX_BUILTIN_FAMILY(reductionBuiltins, rows);

}  // namespace kalix
