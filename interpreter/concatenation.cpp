// The operators "|", "_", a:d:b and "'", and promoteToComplex.
#include "interpreter/concatenation.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "interpreter/builtin_table.h"
#include "interpreter/formats.h"
#include "interpreter/interval_operators.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"

namespace kalix {

namespace {

// Doubles per element.
int widthOf(NumberFamily f) { return f == numberReal ? 1 : 2; }

// A numeric operand seen as a matrix; a scalar kind repeats its value where
// the result is larger, a matrix pads with zeros.
struct Operand {
    int rows = 0, columns = 0;
    double* data = nullptr;
    bool scalar = false;
};

Operand readOperand(header* h) {
    Operand o;
    getMatrix(h, &o.rows, &o.columns, &o.data);
    o.scalar = isScalarKind(h->kind);
    return o;
}

// Writes `count` elements of the operand's padding: its own value when it is
// a scalar, else zeros. Returns the position after them.
double* writePadding(double* out, const Operand& o, int64_t count, int width) {
    if (o.scalar) {
        for (int64_t k = 0; k < count; k++, out += width)
            std::memcpy(out, o.data, width * sizeof(double));
        return out;
    }
    std::fill(out, out + count * width, 0.0);
    return out + count * width;
}

void reportJoinKind() { reportNeed("matrices or strings", "|"); }
void reportStackKind() { reportNeed("matrices", "_"); }

// Two operands of different numeric families are brought together by
// promoting the real one in place. Returns true when a promotion ran (the
// caller resolves again), false when the pair cannot be joined.
bool promoteForJoin(header* first, NumberFamily fa, NumberFamily fb) {
    header* second = nextValue(first);
    if (fa == numberReal && fb == numberComplex)
        promoteToComplex(first);
    else if (fa == numberComplex && fb == numberReal)
        promoteToComplex(second);
    else if (fa == numberReal && fb == numberInterval)
        promoteArgumentToInterval(first);
    else if (fa == numberInterval && fb == numberReal)
        promoteArgumentToInterval(second);
    else
        return false;
    return true;
}

// Resolves both operands of a join and brings numeric ones to one family.
// Returns false on an error or on kinds that cannot meet (then `*a` and
// `*b` are still set when both exist, so the caller can look at strings).
bool resolveJoinOperands(header* first, header** a, header** b, void (*reportKind)()) {
    for (int attempt = 0; attempt < 3; attempt++) {
        *a = resolveValue(first);
        if (errorCode) return false;
        header* second = nextValue(first);
        if (!second) {
            reportKind();
            return false;
        }
        *b = resolveValue(second);
        if (errorCode) return false;
        NumberFamily fa = numberFamily(*a), fb = numberFamily(*b);
        if (fa == numberNone || fb == numberNone) return false;
        if (fa == fb) return true;
        if (!promoteForJoin(first, fa, fb)) {
            reportKind();
            return false;
        }
        if (errorCode) return false;
    }
    reportKind();
    return false;
}

// --- numeric joins ------------------------------------------------------------

void joinSideBySide(header* first, header* a, header* b) {
    NumberFamily family = numberFamily(a);
    Operand left = readOperand(a), right = readOperand(b);
    int64_t columns = int64_t(left.columns) + right.columns;
    if (columns > INT_MAX) {
        reportJoinKind();
        return;
    }
    int rows = std::max(left.rows, right.rows);
    header* result = pushMatrixOfKind(matrixKindOf(family), rows, int(columns));
    if (!result) return;
    int width = widthOf(family);
    double* out = matrixData(result);
    for (int i = 0; i < rows; i++) {
        for (const Operand* o : {&left, &right}) {
            size_t n = size_t(o->columns) * width;
            if (i < o->rows) {
                std::memcpy(out, o->data + size_t(i) * n, n * sizeof(double));
                out += n;
            } else {
                out = writePadding(out, *o, o->columns, width);
            }
        }
    }
    moveResult(first, result);
}

void joinStacked(header* first, header* a, header* b) {
    NumberFamily family = numberFamily(a);
    Operand top = readOperand(a), bottom = readOperand(b);
    if (top.columns == 0) top.rows = 0;
    if (bottom.columns == 0) bottom.rows = 0;
    int64_t rows = int64_t(top.rows) + bottom.rows;
    if (rows > INT_MAX) {
        fail(errorWrongArgument, "Matrix too large in %s\n", "_");
        return;
    }
    int columns = std::max(top.columns, bottom.columns);
    header* result = pushMatrixOfKind(matrixKindOf(family), int(rows), columns);
    if (!result) return;
    int width = widthOf(family);
    double* out = matrixData(result);
    for (const Operand* o : {&top, &bottom}) {
        size_t n = size_t(o->columns) * width;
        for (int i = 0; i < o->rows; i++) {
            std::memcpy(out, o->data + size_t(i) * n, n * sizeof(double));
            out = writePadding(out + n, *o, columns - o->columns, width);
        }
    }
    moveResult(first, result);
}

// --- strings ------------------------------------------------------------------

// Bytes of the strings of a string vector, each with its NUL, without the
// closing byte 1.
size_t stringVectorBytes(header* v) {
    const char* start = stringOf(v);
    const char* end = endOf(v);
    const char* p = start;
    while (p < end && *p != 1) {
        const char* nul = static_cast<const char*>(std::memchr(p, 0, end - p));
        if (!nul) break;
        p = nul + 1;
    }
    return p - start;
}

// A string made of two pieces of text.
header* pushJoinedString(const char* left, size_t leftLength, const char* right, size_t rightLength,
                         int flags) {
    int64_t n = int64_t(leftLength) + int64_t(rightLength);
    char* data = pushHeader(kindString, headerSize + stringDataSize(n), "");
    if (!data) return nullptr;
    header* result = recordAt(data - headerSize);
    std::memcpy(data, left, leftLength);
    std::memcpy(data + leftLength, right, rightLength);
    std::memset(data + n, 0, endOf(result) - (data + n));
    result->flags = flags;
    return result;
}

// A string vector made of two runs of NUL-terminated strings.
header* pushJoinedVector(const char* left, size_t leftBytes, const char* right, size_t rightBytes,
                         int flags) {
    int64_t n = int64_t(leftBytes) + int64_t(rightBytes);
    char* data = pushHeader(kindStringMatrix, headerSize + n + 1, "");
    if (!data) return nullptr;
    header* result = recordAt(data - headerSize);
    std::memcpy(data, left, leftBytes);
    std::memcpy(data + leftBytes, right, rightBytes);
    data[n] = 1;
    std::memset(data + n + 1, 0, endOf(result) - (data + n + 1));
    result->flags = flags;
    return result;
}

double zeroRounded(double x) { return formatState.zeroRounding && std::fabs(x) < 1e-12 ? 0.0 : x; }

void writeScalar(char* text, double x, bool nanAsText) {
    x = zeroRounded(x);
    if (nanAsText && std::isnan(x))
        std::strcpy(text, "NAN");
    else
        std::snprintf(text, numberTextSize, formatState.scalarFormat, x);
}

// Each part of a complex or interval number gets half of the text.
constexpr int partTextSize = numberTextSize / 2 - 4;

void writePart(char* text, double x) {
    std::snprintf(text, partTextSize, formatState.joinFormat, zeroRounded(x));
}

// After a string the imaginary part is written with its own operator
// ("1-2i"); before a string always "+" then the part with its sign.
void writeComplex(char* text, double re, double im, bool afterString) {
    char realPart[partTextSize], imagPart[partTextSize];
    writePart(realPart, re);
    im = zeroRounded(im);
    bool minus = afterString && im < 0;
    writePart(imagPart, afterString ? std::fabs(im) : im);
    std::snprintf(text, numberTextSize, "%s%c%si", realPart, minus ? '-' : '+', imagPart);
}

void writeInterval(char* text, double lo, double hi) {
    char lower[partTextSize], upper[partTextSize];
    writePart(lower, lo);
    writePart(upper, hi);
    std::snprintf(text, numberTextSize, "~%s,%s~", lower, upper);
}

// The text of a number joined to a string, or false for other kinds.
bool writeNumber(char* text, header* x, bool afterString) {
    switch (x->kind) {
        case kindReal:
            writeScalar(text, realOf(x), afterString);
            return true;
        case kindComplex:
            writeComplex(text, complexOf(x)[0], complexOf(x)[1], afterString);
            return true;
        case kindInterval:
            writeInterval(text, intervalOf(x)[0], intervalOf(x)[1]);
            return true;
        default:
            return false;
    }
}

}  // namespace

void moveValueAsResult(header* first, header* value, int32_t keptFlags) {
    if (value != first)
        moveResult(first, value);
    else
        newram = endOf(first);
    if (errorCode) return;
    setRecordName(first, "");
    first->flags &= keptFlags;
}

namespace {

bool isEmptyRealMatrix(header* h) {
    return h->kind == kindRealMatrix && (matrixRows(h) == 0 || matrixColumns(h) == 0);
}

// Joins when at least one operand is a string or string vector; the UTF-8
// flag of every string operand passes to the result.
void joinStrings(header* first, header* a, header* b) {
    int flags = (a->flags | b->flags) & flagUtf8;
    int ka = a->kind, kb = b->kind;
    header* result = nullptr;
    if (ka == kindString && kb == kindString) {
        result = pushJoinedString(stringOf(a), std::strlen(stringOf(a)), stringOf(b),
                                  std::strlen(stringOf(b)), flags);
    } else if (ka == kindString && kb == kindStringMatrix) {
        result = pushJoinedVector(stringOf(a), std::strlen(stringOf(a)) + 1, stringOf(b),
                                  stringVectorBytes(b), flags);
    } else if (ka == kindStringMatrix && kb == kindString) {
        result = pushJoinedVector(stringOf(a), stringVectorBytes(a), stringOf(b),
                                  std::strlen(stringOf(b)) + 1, flags);
    } else if (ka == kindStringMatrix && kb == kindStringMatrix) {
        result = pushJoinedVector(stringOf(a), stringVectorBytes(a), stringOf(b),
                                  stringVectorBytes(b), flags);
    } else if ((ka == kindString || ka == kindStringMatrix) && kb == kindRealMatrix) {
        if (!isEmptyRealMatrix(b)) {
            reportJoinKind();
            return;
        }
        moveValueAsResult(first, a, flagUtf8 | flagSymbolic | flagFormula);
        return;
    } else if (ka == kindRealMatrix && kb == kindString) {
        if (matrixColumns(a) != 0) {
            fail(errorWrongOperand, "Can only append a string to an empty vector!\n");
            return;
        }
        result = pushJoinedVector(stringOf(b), std::strlen(stringOf(b)) + 1, "", 0, flags);
    } else {
        char number[numberTextSize];
        if (ka == kindString && writeNumber(number, b, true))
            result = pushJoinedString(stringOf(a), std::strlen(stringOf(a)), number,
                                      std::strlen(number), flags);
        else if (kb == kindString && writeNumber(number, a, false))
            result = pushJoinedString(number, std::strlen(number), stringOf(b),
                                      std::strlen(stringOf(b)), flags);
        else {
            reportJoinKind();
            return;
        }
    }
    if (errorCode) return;
    moveResult(first, result);
}

bool isText(const header* h) { return h->kind == kindString || h->kind == kindStringMatrix; }

// Copies the elements of an r x c matrix of `width` doubles each into its
// c x r transpose, in tiles so that both sides stay in cache.
void transposeElements(const double* in, double* out, int rows, int columns, int width) {
    const int tile = 32;
    for (int i0 = 0; i0 < rows; i0 += tile) {
        int i1 = std::min(rows, i0 + tile);
        for (int j0 = 0; j0 < columns; j0 += tile) {
            int j1 = std::min(columns, j0 + tile);
            for (int i = i0; i < i1; i++)
                for (int j = j0; j < j1; j++)
                    std::memcpy(out + (size_t(j) * rows + i) * width,
                                in + (size_t(i) * columns + j) * width, width * sizeof(double));
        }
    }
}

}  // namespace

void concatenateHorizontally(header* first) {
    if (errorCode) return;
    header *a = nullptr, *b = nullptr;
    if (resolveJoinOperands(first, &a, &b, reportJoinKind)) {
        joinSideBySide(first, a, b);
        return;
    }
    if (errorCode) return;
    if (isText(a) || isText(b))
        joinStrings(first, a, b);
    else
        reportJoinKind();
}

void concatenateVertically(header* first) {
    if (errorCode) return;
    header *a = nullptr, *b = nullptr;
    if (resolveJoinOperands(first, &a, &b, reportStackKind)) {
        joinStacked(first, a, b);
        return;
    }
    if (!errorCode) reportStackKind();
}

void buildRangeVector(header* start) {
    if (errorCode) return;
    header* records[3] = {start, nextValue(start), nullptr};
    records[2] = nextValue(records[1]);
    double v[3];
    for (int k = 0; k < 3; k++) {
        header* value = records[k] ? resolveValue(records[k]) : nullptr;
        if (errorCode) return;
        if (!value || value->kind != kindReal) {
            fail(errorRangeOperand, "The : allows only real arguments!\n");
            return;
        }
        v[k] = realOf(value);
    }
    double from = v[0], step = v[1], to = v[2];
    if (std::isnan(from) || std::isnan(step) || std::isnan(to)) {
        fail(errorFailed, "Illegal value NAN in : operator.\n");
        return;
    }
    if (step == 0) {
        fail(errorZeroStep, "A step size of 0 is not allowed in : \n");
        return;
    }
    double count = std::fabs(to - from) / std::fabs(step) + 1 + currentEpsilon;
    // NaN (an infinite start and end) counts as too long as well.
    if (!(count <= 2147483647.0)) {
        fail(errorVectorTooLong, "A vector can only have %d elements\n", 2147483647);
        return;
    }
    // Never below 0, whatever the tolerance.
    int n = count < 1 ? 0 : int(std::floor(count));
    if ((to > from && step < 0) || (to < from && step > 0)) n = 0;
    header* result = pushMatrixOfKind(kindRealMatrix, 1, n);
    if (!result) return;
    double* out = matrixData(result);
    double x = from;
    for (int k = 0; k < n; k++, x += step) out[k] = x;
    moveResult(start, result);
}

void transposeValue(header* operand) {
    if (errorCode) return;
    header* a = resolveValue(operand);
    if (errorCode) return;
    NumberFamily family = numberFamily(a);
    if (family != numberNone && isScalarKind(a->kind)) {
        moveValueAsResult(operand, a, 0);
        return;
    }
    if (family == numberNone) {
        if (a->kind == kindCompressedMatrix) {
            // The transpose of a compressed matrix is the builtin cpxtranspose.
            callRequiredBuiltin("cpxtranspose", 1, operand);
            return;
        }
        fail(errorTranspose, "' not defined for this value!\n");
        return;
    }
    int rows = matrixRows(a), columns = matrixColumns(a);
    header* result = pushMatrixOfKind(a->kind, columns, rows);
    if (!result) return;
    transposeElements(matrixData(a), matrixData(result), rows, columns, widthOf(family));
    moveResult(operand, result);
}

namespace {

// Rewrites the argument record in place as the complex (x, 0) or interval
// [x, x] form of its real value, the records above it moving by the growth.
// The argument may be a reference or a view: then only the value it stands
// for is converted, and the variable is left as it was.
void rewriteAsPairs(header* argument, NumberFamily family) {
    char* oldTop = newram;
    header* value = resolveValue(argument);
    if (errorCode) return;
    // A value pushed by the resolution is dropped after the conversion.
    int64_t pushedBytes = newram - oldTop;
    if (!widenToPairs(argument, value, family)) {
        newram = oldTop;
        return;
    }
    newram -= pushedBytes;
}

}  // namespace

void promoteToComplex(header* argument) {
    if (errorCode) return;
    header* base = resolveToBase(argument);
    if (errorCode) return;
    if (base->kind == kindComplex || base->kind == kindComplexMatrix) return;
    if (base->kind == kindInterval || base->kind == kindIntervalMatrix) {
        fail(errorFailed, "Cannot convert from interval to complex.\n");
        return;
    }
    char* oldTop = newram;
    header* value = resolveValue(argument);
    if (errorCode) return;
    newram = oldTop;
    if (value->kind != kindReal && value->kind != kindRealMatrix) {
        reportNeed("real matrix", "complex");
        return;
    }
    rewriteAsPairs(argument, numberComplex);
}

void promoteArgumentToInterval(header* argument) {
    if (errorCode) return;
    char* oldTop = newram;
    header* value = resolveValue(argument);
    if (errorCode) return;
    newram = oldTop;
    if (value->kind == kindReal || value->kind == kindRealMatrix)
        rewriteAsPairs(argument, numberInterval);
    else
        promoteToInterval(value);  // an interval stays, anything else is refused
}

}  // namespace kalix
