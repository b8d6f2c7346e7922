// Matrix literals, built in place: the header is pushed first and each
// element is written behind it as soon as it is read.
#include "interpreter/matrix_literals.h"

#include <climits>
#include <cstring>

#include "base/settings.h"
#include "interpreter/concatenation.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/scanner.h"
#include "interpreter/stack.h"

namespace kalix {

namespace {

constexpr int64_t freeAfterElement = 32;

enum ElementFamily { familyReal = 0, familyComplex = 1, familyInterval = 2 };
const int matrixKinds[] = {kindRealMatrix, kindComplexMatrix, kindIntervalMatrix};

// The literal being read. The header is kept as an offset: an element's
// evaluation may move records (a function defined on the way).
struct Literal {
    int64_t start;      // header offset from ramstart
    int64_t rows = 0;   // finished rows
    int64_t width = 0;  // widest row so far
    int64_t inRow = 0;  // elements of the current row
    int family = familyReal;

    header* record() const { return recordAt(ramstart + start); }
    int doubles() const { return family == familyReal ? 1 : 2; }
    double* data() const { return matrixData(record()); }
    int64_t written() const { return (rows * width + inRow) * doubles(); }
    char* writeEnd() const { return reinterpret_cast<char*>(data() + written()); }
    // Keeps the record's size over the data written, so that the stack
    // stays a sequence of whole records while elements are read.
    void cover() const { record()->size = writeEnd() - reinterpret_cast<char*>(record()); }
};

bool roomFor(char* end, int code) {
    if (end + freeAfterElement <= ramend) return true;
    fail(code, "Memory overflow!\n");
    return false;
}

int familyOf(int kind) {
    if (kind == kindComplex || kind == kindComplexMatrix) return familyComplex;
    if (kind == kindInterval || kind == kindIntervalMatrix) return familyInterval;
    return familyReal;
}

// At the end of a line inside the literal: the next line of a program file
// or function body (or of any source when `always`). Returns whether a line
// was fetched.
bool crossLineEnd(bool always) {
    if (*scanPointer != 0 || errorCode) return false;
    if (!always && !loadFile && !scanningStoredBody()) return false;
    nextLine();
    return !errorCode;
}

// Skips blanks and, where allowed, line ends; returns whether a line ended.
bool skipLiteralBlanks(bool always) {
    bool changed = false;
    for (;;) {
        skipBlanks();
        if (!crossLineEnd(always)) return changed;
        changed = true;
    }
}

// Reads one element at the stack top; "name=" before it is skipped.
header* readElement() {
    skipBlanks();
    char* p = endOfLetters(scanPointer, false);
    if (p > scanPointer) {
        while (*p == ' ' || *p == '\t') p++;
        if (*p == '=' && p[1] != '=') scanPointer = p + 1;
    }
    char* element = newram;
    evaluateToValues();
    if (errorCode) return nullptr;
    if (newram > element)
        newram = endOf(recordAt(element));
    else
        fail(errorMatrixLiteral, "Illegal vector!\n");
    return errorCode ? nullptr : recordAt(element);
}

// Turns the elements written so far into the wider family. The element
// record behind them moves up first, out of the way.
header* widenFamily(Literal& literal, int family, header* element) {
    if (literal.family == family || family == familyReal) return element;
    if (literal.family == familyInterval) {
        fail(errorMatrixLiteral, "Cannot make an interval matrix complex.\n");
        return nullptr;
    }
    if (literal.family == familyComplex) {
        fail(errorMatrixLiteral, "Cannot convert a complex matrix to an interval.\n");
        return nullptr;
    }
    int64_t count = literal.written();
    int64_t growth = count * 8;
    char* from = reinterpret_cast<char*>(element);
    if (!roomFor(from + element->size + growth, errorMatrixLiteral)) return nullptr;
    std::memmove(from + growth, from, element->size);
    newram += growth;
    double* data = literal.data();
    for (int64_t i = count - 1; i >= 0; i--) {
        double x = data[i];
        data[2 * i] = x;
        data[2 * i + 1] = family == familyComplex ? 0.0 : x;
    }
    literal.family = family;
    return recordAt(from + growth);
}

void writeElement(double*& target, int family, const double* source, int sourceDoubles) {
    target[0] = source[0];
    if (family != familyReal)
        target[1] = sourceDoubles == 2 ? source[1] : (family == familyComplex ? 0.0 : source[0]);
    target += family == familyReal ? 1 : 2;
}

// Appends a scalar or the elements of a row vector.
bool appendNumbers(Literal& literal, header* element) {
    element = widenFamily(literal, familyOf(element->kind), element);
    if (!element) return false;
    bool scalar = isScalarKind(element->kind);
    int64_t count = scalar ? 1 : matrixColumns(element);
    int sourceDoubles = familyOf(element->kind) == familyReal ? 1 : 2;
    const double* source =
        scalar ? reinterpret_cast<double*>(dataOf(element)) : matrixData(element);
    char* target = literal.writeEnd();
    int64_t bytes = count * literal.doubles() * 8;
    if (recordOnStack(element) && target + bytes > reinterpret_cast<const char*>(source)) {
        // The widened copy would overrun its source: move the element up.
        char* from = reinterpret_cast<char*>(element);
        int64_t shift = target + bytes - reinterpret_cast<const char*>(source);
        shift = (shift + 7) & ~int64_t(7);
        if (!roomFor(from + element->size + shift, errorMatrixLiteral)) return false;
        std::memmove(from + shift, from, element->size);
        source = reinterpret_cast<const double*>(reinterpret_cast<const char*>(source) + shift);
    }
    double* out = reinterpret_cast<double*>(target);
    for (int64_t i = 0; i < count; i++)
        writeElement(out, literal.family, source + i * sourceDoubles, sourceDoubles);
    literal.inRow += count;
    newram = literal.writeEnd();
    literal.cover();
    if (!roomFor(newram, errorMatrixLiteral)) return false;
    if (literal.inRow >= INT_MAX) {
        fail(errorMatrixColumns, "Matrix has more than %d columns!\n", INT_MAX);
        return false;
    }
    return true;
}

// ";" or "]": pads the row to the widest width, or widens the earlier rows.
bool endRow(Literal& literal) {
    int64_t per = literal.doubles();
    double* data = literal.data();
    int64_t rows = literal.rows, width = literal.width, count = literal.inRow;
    int64_t newWidth = rows == 0 || count > width ? count : width;
    char* end = reinterpret_cast<char*>(data + (rows + 1) * newWidth * per);
    if (end > ramend) {
        fail(errorMatrixRows, "Memory overflow!\n");
        return false;
    }
    if (newWidth > width && rows > 0) {
        std::memmove(data + rows * newWidth * per, data + rows * width * per, count * per * 8);
        for (int64_t r = rows - 1; r >= 0; r--) {
            std::memmove(data + r * newWidth * per, data + r * width * per, width * per * 8);
            std::memset(data + (r * newWidth + width) * per, 0, (newWidth - width) * per * 8);
        }
    } else if (count < newWidth) {
        std::memset(data + (rows * newWidth + count) * per, 0, (newWidth - count) * per * 8);
    }
    literal.width = newWidth;
    literal.rows++;
    literal.inRow = 0;
    newram = literal.writeEnd();
    literal.cover();
    if (literal.rows >= INT_MAX) {
        fail(errorMatrixRows, "Matrix has more than %d rows!\n", INT_MAX);
        return false;
    }
    return true;
}

void finishMatrix(Literal& literal) {
    header* record = literal.record();
    record->kind = matrixKinds[literal.family];
    matrixColumns(record) = int32_t(literal.width);
    matrixRows(record) = literal.width == 0 ? 1 : int32_t(literal.rows);
    record->size =
        headerSize + 8 +
        int64_t(literal.width == 0 ? 0 : literal.rows) * literal.width * literal.doubles() * 8;
    newram = endOf(record);
}

// --- string vectors -----------------------------------------------------------

// Appends the strings of a string or string vector at `*write`.
bool appendStrings(char** write, header* element, int32_t* flags) {
    const char* source = stringOf(element);
    int64_t bytes;
    if (element->kind == kindString) {
        bytes = int64_t(std::strlen(source)) + 1;
    } else if (element->kind == kindStringMatrix) {
        const char* end = static_cast<const char*>(std::memchr(source, 1, endOf(element) - source));
        bytes = end ? end - source : 0;
    } else {
        return false;
    }
    *flags |= element->flags & flagUtf8;
    std::memmove(*write, source, bytes);
    *write += bytes;
    newram = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(*write) + 7) & ~uintptr_t(7));
    return true;
}

void readStringVector(Literal& literal, header* first) {
    header* record = literal.record();
    record->kind = kindStringMatrix;
    char* write = dataOf(record);
    int32_t flags = 0;
    appendStrings(&write, first, &flags);
    record->size = newram - reinterpret_cast<char*>(record);
    for (;;) {
        skipLiteralBlanks(true);
        if (errorCode) return;
        if (*scanPointer == ']') break;
        if (*scanPointer != ',') {
            fail(errorMatrixLiteral, "Illegal string vector!\n");
            return;
        }
        scanPointer++;
        skipLiteralBlanks(true);
        header* element = readElement();
        if (!element) return;
        if (!appendStrings(&write, element, &flags)) {
            fail(errorMatrixLiteral, "Illegal string vector!\n");
            return;
        }
        record = literal.record();
        record->size = newram - reinterpret_cast<char*>(record);
        if (!roomFor(newram, errorMatrixLiteral)) return;
    }
    scanPointer++;
    *write++ = 1;
    record = literal.record();
    newram = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(write) + 7) & ~uintptr_t(7));
    std::memset(write, 0, newram - write);
    record->size = newram - reinterpret_cast<char*>(record);
    record->flags = flags;
}

// --- column mode ----------------------------------------------------------------

// Columns or blocks joined side by side with "|".
void readColumns(Literal& literal, header* element) {
    header* record = literal.record();
    record->kind = matrixKinds[literal.family];
    matrixColumns(record) = int32_t(literal.inRow);
    matrixRows(record) = 1;
    literal.cover();
    char* end = endOf(record);
    std::memmove(end, element, element->size);
    newram = end + recordAt(end)->size;
    concatenateHorizontally(literal.record());
    for (;;) {
        if (errorCode) return;
        bool changed = skipLiteralBlanks(false);
        if (errorCode) return;
        char c = *scanPointer;
        if (c == ']') {
            scanPointer++;
            return;
        }
        if (c == ';')
            return fail(errorFailed,
                        "Semicolon not allowed in matrix of column vectors or matrices.\n");
        if (c == 0) return fail(errorFailed, "] missing\n");
        if (c == ',')
            scanPointer++;
        else if (!changed && intSetting("commas"))
            return fail(errorFailed, "Comma missing.\n");
        if (!readElement()) return;
        concatenateHorizontally(literal.record());
    }
}

bool blankSeparatorAllowed() {
    return scanningStoredBody() || !intSetting("commas") || matlabModeSetting;
}

}  // namespace

void evaluateMatrixLiteral() {
    if (errorCode) return;
    Literal literal;
    literal.start = newram - ramstart;
    pushRealMatrix(0, 0);
    if (errorCode) return;
    skipLiteralBlanks(false);
    if (*scanPointer == ']') {
        scanPointer++;
        finishMatrix(literal);
        return;
    }
    for (;;) {
        header* element = readElement();
        if (!element) return;
        int kind = element->kind;
        bool firstElement = literal.rows == 0 && literal.inRow == 0;
        if (kind == kindString || kind == kindStringMatrix) {
            if (!firstElement)
                return fail(errorMatrixLiteral, "Number matrix cannot contain a string!\n");
            return readStringVector(literal, element);
        }
        bool scalar = isScalarKind(kind);
        bool matrix = isMatrixKind(kind);
        if (!scalar && !matrix) return fail(errorMatrixLiteral, "Illegal vector!\n");
        if (matrix && (matrixRows(element) != 1 || matrixColumns(element) < 1)) {
            if (literal.rows != 0) return fail(errorMatrixLiteral, "Illegal matrix element\n");
            return readColumns(literal, element);
        }
        if (!appendNumbers(literal, element)) return;

        bool changed = skipLiteralBlanks(false);
        if (errorCode) return;
        char c = *scanPointer;
        if (c == ',') {
            scanPointer++;
            skipLiteralBlanks(false);
        } else if (c == ';' || c == ']') {
            scanPointer++;
            if (!endRow(literal)) return;
            if (c == ';') skipLiteralBlanks(false);
            if (errorCode) return;
            if (c == ']' || *scanPointer == ']') {
                if (c == ';') scanPointer++;
                finishMatrix(literal);
                return;
            }
        } else if (c == 0) {
            return fail(errorFailed, "] missing\n");
        } else if (!changed && !blankSeparatorAllowed()) {
            return fail(errorFailed, "Need , or ; between matrix elements in strict mode\n");
        }
        if (errorCode) return;
    }
}

}  // namespace kalix
