// Printing values, variable descriptions, name listings and hex-dump helpers.
#include "interpreter/printing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/engine_services.h"
#include "interpreter/formats.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "platform/host.h"

namespace kalix {

int largeMatricesOn = 0;

static const char utf8Mark[] = "\xEF\xBB\xBF";

// Strings sent to Maxima or rendered as formulas must be shorter than this.
constexpr size_t maximaTextLimit = 32766;

// Rows a summary shows, and line breaks of a dense row, while large
// matrices are not printed in full.
constexpr int summaryRows = 20;
constexpr int denseLineBreaks = 20;

constexpr int denseLineSize = 32768;

// --- matrix layouts ---------------------------------------------------------

// What distinguishes real, complex and interval output.
struct Layout {
    int stride;  // doubles per element
    void (*printEntry)(const double* element);
    void (*formatText)(char* text, const double* element);
    const char* heading;     // summary heading with rows and columns
    int perLine;             // entries per line of a column block
    int summaryEntries;      // entries of a row shown in a summary
    const char* denseOpen;   // before a dense row of more than one element
    const char* denseClose;  // after it
    bool scalarFormat;       // a 1 x 1 dense value uses the scalar format
};

static void printRealElement(const double* x) { printRealEntry(x[0]); }
static void formatRealElement(char* text, const double* x) { formatRealText(text, x[0]); }
static void printComplexElement(const double* z) { printComplexEntry(z[0], z[1]); }
static void formatComplexElement(char* text, const double* z) {
    formatComplexText(z[0], z[1], text);
}
static void printIntervalElement(const double* i) { printIntervalEntry(i[0], i[1]); }
static void formatIntervalElement(char* text, const double* i) {
    formatIntervalText(i[0], i[1], text);
}

static int atLeastOne(int n) { return n < 1 ? 1 : n; }

static Layout realLayout() {
    return {1,
            printRealElement,
            formatRealElement,
            "Real %d x %d matrix\n\n",
            formatState.realColumns,
            formatState.realColumns - 1,
            "[",
            "]\n",
            true};
}

static Layout complexLayout() {
    int perLine = atLeastOne(formatState.realColumns / 2);
    return {2,
            printComplexElement,
            formatComplexElement,
            "Complex %d x %d matrix\n\n",
            perLine,
            perLine,
            "[ ",
            " ]\n",
            false};
}

static Layout intervalLayout() {
    return {2,
            printIntervalElement,
            formatIntervalElement,
            "Interval %d x %d matrix\n\n",
            formatState.intervalColumns,
            atLeastOne(formatState.intervalColumns - 1),
            "[ ",
            " ]\n",
            false};
}

// The patterns and limits a dense scalar replaces for its own output.
struct SavedPatterns {
    char normal[16], extreme[16];
    double small, large;
};

static SavedPatterns savePatterns() {
    SavedPatterns saved;
    memcpy(saved.normal, formatState.normalFormat, sizeof saved.normal);
    memcpy(saved.extreme, formatState.extremeFormat, sizeof saved.extreme);
    saved.small = formatState.smallLimit;
    saved.large = formatState.largeLimit;
    return saved;
}

static void restorePatterns(const SavedPatterns& saved) {
    memcpy(formatState.normalFormat, saved.normal, sizeof saved.normal);
    memcpy(formatState.extremeFormat, saved.extreme, sizeof saved.extreme);
    formatState.smallLimit = saved.small;
    formatState.largeLimit = saved.large;
}

static void useScalarFormat() {
    memcpy(formatState.normalFormat, formatState.scalarFormat, sizeof formatState.normalFormat);
    memcpy(formatState.extremeFormat, formatState.scalarFormat, sizeof formatState.extremeFormat);
    formatState.smallLimit = formatState.scalarSmallLimit;
    formatState.largeLimit = formatState.scalarLargeLimit;
}

// One row as texts separated by "," and `formatState.denseOutput` blanks, broken into
// lines of at most `lineLength` characters.
static void printDenseRow(const Layout& layout, int columns, const double* data) {
    SavedPatterns saved = savePatterns();
    if (columns == 1 && layout.scalarFormat && formatState.scalarFormatOn) useScalarFormat();
    if (columns > 1) printText(layout.denseOpen);
    char line[denseLineSize];
    char text[numberTextSize + 2];
    int length = 0, breaks = 0;
    line[0] = 0;
    for (int j = 0; j < columns; j++) {
        layout.formatText(text, data + j * layout.stride);
        if (errorCode) {
            restorePatterns(saved);
            return;
        }
        if (j < columns - 1) strcat(text, ",");
        int textLength = int(strlen(text));
        int gap = length > 0 ? formatState.denseOutput : 0;
        int needed = textLength + length + gap;
        if (lineLength < needed || needed >= denseLineSize) {
            printText(line);
            printText("\n");
            length = 0;
            line[0] = 0;
            if (++breaks >= denseLineBreaks && !largeMatricesOn) {
                strcpy(line, " ... ");
                length = int(strlen(line));
                break;
            }
        }
        if (length > 0) {
            memset(line + length, ' ', formatState.denseOutput);
            length += formatState.denseOutput;
        }
        memcpy(line + length, text, textLength + 1);
        length += textLength;
        if (checkEscape()) break;
    }
    restorePatterns(saved);
    if (length > 0) printText(line);
    printText(columns > 1 ? layout.denseClose : "\n");
}

// The first rows and columns, each cut row ended by "    ...".
static void printSummary(const Layout& layout, int rows, int columns, const double* data) {
    printFormattedMessage(layout.heading, rows, columns);
    int shown = std::min(columns, layout.summaryEntries);
    for (int i = 0; i < rows && i < summaryRows; i++) {
        for (int j = 0; j < shown; j++) {
            layout.printEntry(data + (int64_t(i) * columns + j) * layout.stride);
            if (errorCode) return;
        }
        printText(columns <= layout.summaryEntries ? "\n" : "    ...\n");
    }
    if (rows > summaryRows) printText("    ...\n");
}

// Blocks of `perLine` columns, headed when there is more than one block.
static void printColumnBlocks(const Layout& layout, int rows, int columns, const double* data) {
    int perLine = atLeastOne(layout.perLine);
    for (int start = 0; start < columns; start += perLine) {
        int end = std::min(columns, start + perLine);
        if (columns > perLine) {
            if (end - start == 1)
                printFormattedMessage("Column %d:\n", start + 1);
            else
                printFormattedMessage("Column %d to %d:\n", start + 1, end);
        }
        for (int i = 0; i < rows; i++) {
            for (int j = start; j < end; j++) {
                layout.printEntry(data + (int64_t(i) * columns + j) * layout.stride);
                if (errorCode) return;
            }
            printText("\n");
            if (checkEscape()) return;
        }
    }
}

static void printMatrix(const Layout& layout, int rows, int columns, const double* data) {
    if (rows == 1 && columns == 0) {
        printText("[]\n");
    } else if (rows == 0 || columns == 0) {
        printFormattedMessage("Empty matrix of size %dx%d\n", rows, columns);
    } else if (rows == 1 && formatState.denseOutput) {
        printDenseRow(layout, columns, data);
    } else if (!largeMatricesOn && (columns > layout.perLine || rows > summaryRows)) {
        printSummary(layout, rows, columns, data);
    } else {
        printColumnBlocks(layout, rows, columns, data);
    }
}

// --- other kinds ------------------------------------------------------------

static void printPlainString(const char* text, bool utf8) {
    if (utf8 && systemCodePageIsUtf8) {
        const char* converted = utf8ToAnsi(text);
        printText(converted ? converted : text);
    } else if (utf8) {
        printText((std::string(utf8Mark) + text).c_str());
    } else {
        printText(text);
    }
    printText("\n");
}

static void printString(header* value) {
    const char* text = stringOf(value);
    size_t length = strlen(text);
    if (length <= 1 && isNoneMarker(value)) return;
    if ((value->flags & flagFormula) && length < maximaTextLimit) {
        const char* latex = getTexFromMaxima(text);
        if (latex) insertLatexImage(latex);
    } else if ((value->flags & flagSymbolic) && length < maximaTextLimit) {
        sendMaximaLine((std::string(text) + ";").c_str(), 4);
    } else {
        printPlainString(text, value->flags & flagUtf8);
    }
}

static void printStringVector(header* value) {
    const char* end = endOf(value);
    bool utf8 = value->flags & flagUtf8;
    for (const char* p = stringOf(value); p < end && *p != 1; p += strlen(p) + 1) {
        printText(utf8 ? (std::string(utf8Mark) + p).c_str() : p);
        printText("\n");
        if (checkEscape()) return;
    }
}

static void printSparse(header* value) {
    printFormattedMessage("Compressed %dx%d matrix\n", sparseRows(value), sparseColumns(value));
    const char* entry = sparseEntries(value);
    for (int k = 0; k < sparseEntryCount(value); k++, entry += 16) {
        int32_t column, row;
        double x;
        memcpy(&column, entry, 4);
        memcpy(&row, entry + 4, 4);
        memcpy(&x, entry + 8, 8);
        printFormatted("%5d %5d %20g\n", row + 1, column + 1, x);
        if (checkEscape()) return;
    }
}

static void printCollection(header* value) {
    char* end = endOf(value);
    for (char* p = dataOf(value); p + headerSize <= end; p += recordAt(p)->size) {
        header* item = recordAt(p);
        if (item->size < headerSize || p + item->size > end) return;
        printValue(item);
        if (errorCode) return;
    }
}

// A user format runs Kalix code for every entry, and that code may replace
// or remove a global variable. A value held outside the stack (a global's
// stored record) is therefore printed from a copy at the stack top; null
// with error 2 when there is no room.
static header* copyOffStackValue(header* value) {
    if (!formatState.userFormat[0] || recordOnStack(value)) return value;
    char* data = pushHeader(value->kind, value->size, "");
    if (!data) return nullptr;
    header* copy = recordAt(data - headerSize);
    memcpy(copy, value, value->size);
    return copy;
}

int printValue(header* value) {
    int previous = errorsOff;
    char* savedTop = newram;
    value = copyOffStackValue(value);
    if (!value) return previous;
    errorsOff = 1;
    switch (value->kind) {
        case kindReal:
            printMatrix(realLayout(), 1, 1, reinterpret_cast<double*>(dataOf(value)));
            break;
        case kindRealMatrix:
            printMatrix(realLayout(), matrixRows(value), matrixColumns(value), matrixData(value));
            break;
        case kindComplex:
            printMatrix(complexLayout(), 1, 1, complexOf(value));
            break;
        case kindComplexMatrix:
            printMatrix(complexLayout(), matrixRows(value), matrixColumns(value),
                        matrixData(value));
            break;
        case kindInterval:
            printMatrix(intervalLayout(), 1, 1, intervalOf(value));
            break;
        case kindIntervalMatrix:
            printMatrix(intervalLayout(), matrixRows(value), matrixColumns(value),
                        matrixData(value));
            break;
        case kindString:
            printString(value);
            break;
        case kindStringMatrix:
            printStringVector(value);
            break;
        case kindCompressedMatrix:
            printSparse(value);
            break;
        case kindCollection:
            printCollection(value);
            break;
        case kindBinary: {
            int32_t bytes;
            memcpy(&bytes, dataOf(value), 4);
            printFormatted("Binary data of %d bytes\n", bytes);
            break;
        }
        default:
            printFormatted("Unknown type %d\n", value->kind);
            break;
    }
    newram = savedTop;
    errorsOff = previous;
    return previous;
}

// --- variable descriptions ----------------------------------------------------

static void describeType(const char* name, const char* type) {
    printFormatted("%sType: %s\n", name, type);
}

static void describeSized(const char* name, const char* type, int rows, int columns) {
    printFormatted("%sType: %s (%dx%d)\n", name, type, rows, columns);
}

std::string nameColumn(const char* name) {
    size_t characters = characterCount(name, std::strlen(name), systemCodePageIsUtf8);
    return name + std::string(characters < 20 ? 20 - characters : 0, ' ');
}

void describeVariable(header* value) {
    std::string column = nameColumn(value->name);
    const char* name = column.c_str();
    double* x = reinterpret_cast<double*>(dataOf(value));
    switch (value->kind) {
        case kindReal:
            printFormatted("%s%0.15g\n", name, realOf(value));
            break;
        case kindComplex:
            printFormatted("%s%0.15g+%0.15gi\n", name, x[0], x[1]);
            break;
        case kindInterval:
            printFormatted("%s~%0.15g,%0.15g~\n", name, x[0], x[1]);
            break;
        case kindString: {
            // Long texts are cut after 32 characters, never inside one.
            const char* text = stringOf(value);
            const bool utf8 = (value->flags & flagUtf8) || codePageIsUtf8();
            const size_t cut = characterOffset(text, 32, utf8);
            if (text[cut])
                printFormatted("%s%.*s ...\n", name, int(cut), text);
            else
                printFormatted("%s%s\n", name, text);
            break;
        }
        case kindRealMatrix:
            describeSized(name, "Real Matrix", matrixRows(value), matrixColumns(value));
            break;
        case kindComplexMatrix:
            describeSized(name, "Complex Matrix", matrixRows(value), matrixColumns(value));
            break;
        case kindIntervalMatrix:
            describeSized(name, "Interval Matrix", matrixRows(value), matrixColumns(value));
            break;
        case kindCompressedMatrix:
            describeSized(name, "Compressed Matrix", sparseRows(value), sparseColumns(value));
            break;
        case kindSubmatrix:
            describeSized(name, "Real Submatrix", viewRows(value), viewColumns(value));
            break;
        case kindComplexSubmatrix:
            describeSized(name, "Complex Submatrix", viewRows(value), viewColumns(value));
            break;
        case kindIntervalSubmatrix:
            describeSized(name, "Interval Submatrix", viewRows(value), viewColumns(value));
            break;
        case kindReference:
            describeType(name, "Reference");
            break;
        case kindStringMatrix:
            describeType(name, "String Vector");
            break;
        case kindCollection:
            describeType(name, "Collection");
            break;
        case kindBinary:
            describeType(name, "Binary Data");
            break;
        default:
            describeType(name, "Unknown Type");
            break;
    }
}

// --- listings -------------------------------------------------------------------

static bool hiddenByDefault(const header* value) {
    return (value->flags & flagProtected) || strncmp(value->name, "default", 6) == 0 ||
           value->name[0] == '%';
}

int listVariables(const char* text) {
    int count = 0;
    for (char* p = startlocal; p < endlocal; p += recordAt(p)->size) {
        header* value = recordAt(p);
        bool shown = text[0] ? strstr(value->name, text) != nullptr : !hiddenByDefault(value);
        if (shown) {
            describeVariable(value);
            count++;
        }
        if (checkEscape()) break;
    }
    if (functionState == functionTopLevel) {
        count += listGlobals(text);
        count += listGlobalLists(text);
    }
    if (count == 0) {
        if (text[0])
            printFormatted("No variable containing %s found.\n", text);
        else
            printText("No user variables defined.\n");
    }
    return count;
}

constexpr size_t maxListedNames = 10000;

static bool listedName(const char* name, const char* text) {
    return name[0] && name[0] != '%' && strstr(name, text) != nullptr;
}

static bool nameLess(const char* a, const char* b) { return compareStrings(a, b) < 0; }

// Names in running lines under the heading; equal neighbours shown once.
// A new line starts when the next name would reach the line length (with
// `strict`, exceed it). Returns the number of names shown.
static int printNameSection(const char* heading, const std::vector<const char*>& names,
                            bool strict) {
    if (names.empty()) return 0;
    printText(heading);
    int count = 0, shown = 0;
    const char* previous = nullptr;
    for (const char* name : names) {
        if (previous && strcmp(previous, name) == 0) continue;
        previous = name;
        int length = int(strlen(name));
        int needed = count + length + 3;
        if (strict ? needed > lineLength : needed >= lineLength) {
            printText("\n");
            count = 0;
        }
        printFormatted("%s ", name);
        count += length + 2;
        shown++;
    }
    printText("\n");
    return shown;
}

static std::vector<const char*> functionNames(const char* text) {
    std::vector<const char*> names;
    for (char* p = ramstart; p < functionsEnd && names.size() < maxListedNames;
         p += recordAt(p)->size) {
        header* function = recordAt(p);
        if (function->kind == kindFunction && listedName(function->name, text))
            names.push_back(function->name);
    }
    for (int k = 0; k < builtinCount; k++)
        if (strstr(builtinTable[k].name, text)) names.push_back(builtinTable[k].name);
    std::sort(names.begin(), names.end(), nameLess);
    return names;
}

static std::vector<const char*> variableNames(const char* text) {
    std::vector<const char*> names;
    for (char* p = startlocal; p < newram && names.size() < maxListedNames;
         p += recordAt(p)->size) {
        header* value = recordAt(p);
        if (value->kind != kindFunction && listedName(value->name, text))
            names.push_back(value->name);
    }
    // Top-level variables live in the global store.
    for (header* value : globalRecords())
        if (names.size() < maxListedNames && listedName(value->name, text))
            names.push_back(value->name);
    std::sort(names.begin(), names.end(), nameLess);
    return names;
}

static std::vector<const char*> commandNames(const char* text) {
    std::vector<const char*> names;
    for (int k = 0; k < commandCount; k++)
        if (strstr(commandTable[k].name, text)) names.push_back(commandTable[k].name);
    return names;
}

// The Maxima names in lines broken at the first blank after `lineLength` - 16
// characters; returns the number of names.
static int printMaximaNames(const char* list) {
    size_t minimum = lineLength > 16 ? size_t(lineLength - 16) : 0;
    int count = 0;
    for (const char* p = list; *p; p++)
        if (*p != ' ' && (p == list || p[-1] == ' ')) count++;
    if (count == 0) return 0;
    printText("\n  *** Maxima:\n\n");
    const char* p = list + strspn(list, " ");
    while (*p) {
        const char* end = p + std::min(minimum, strlen(p));
        end += strcspn(end, " ");
        printText((std::string(p, end) + "\n").c_str());
        p = end + strspn(end, " ");
    }
    return count;
}

int listNames(const char* text) {
    int count = printNameSection("\n  *** Functions:\n", functionNames(text), false);
    count += printNameSection("\n  *** Variables :\n", variableNames(text), false);
    count += printNameSection("\n  *** Commands:\n", commandNames(text), true);
    std::vector<char> maxima(32768), help(32768);
    findMaximaFunctions(text, maxima.data(), help.data(), 0);
    maxima.back() = 0;
    return count + printMaximaNames(maxima.data());
}

// --- hex-dump helpers -----------------------------------------------------------

void printHexDigit(int d) { printFormatted("%c", "0123456789ABCDEF"[d & 15]); }

void printHexByte(int b) {
    printHexDigit((b >> 4) & 15);
    printHexDigit(b & 15);
    printText(" ");
}

int printByteChars(const unsigned char* bytes, int n) {
    // In UTF-8 a byte beyond ASCII shows only within a whole character of
    // these bytes: a sequence cut by the end of the line would be no text.
    char line[17] = {};
    std::memcpy(line, bytes, size_t(std::clamp(n, 0, 16)));
    std::string text;
    for (int k = 0; k < n && k < 16;) {
        int length = characterLength(line + k, systemCodePageIsUtf8);
        if (length == 1 && systemCodePageIsUtf8 && bytes[k] >= 0x80) length = 0;
        if (length <= 1) {
            text += bytes[k] < 32 || length == 0 ? '_' : char(bytes[k]);
            k++;
        } else {
            text.append(line + k, size_t(length));
            k += length;
        }
    }
    printText(text.c_str());
    return n;
}

}  // namespace kalix
