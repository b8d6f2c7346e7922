// File input and output: one current read file and one current write file;
// bytes, 16- and 32-bit little-endian words, strings, lines and numbers.
// Bytes are bytes: nothing is converted between code pages. Every write is
// flushed at once, so a failure (a full disk) is reported by the builtin
// that wrote, and a file being written can be read back at any time.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "builtins/matrix_values.h"
#include "builtins/text_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/program_files.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

namespace {

FILE* readFile = nullptr;
// Opened without "b": lines drop a carriage return before their line feed,
// as a text-mode read does.
bool readFileIsText = false;
FILE* writeFile = nullptr;
// `getvector` and `getvectorline` read it as a decimal point.
char decimalDot = '.';

constexpr int lineLimit = 32768;

void pushResult(header* first, double x) {
    header* result = pushReal(x);
    if (!errorCode) moveResult(first, result);
}

void closeReadFile() {
    if (readFile) std::fclose(readFile);
    readFile = nullptr;
}

// False when closing lost data that was not yet reported.
bool closeWriteFile() {
    if (!writeFile) return true;
    bool reported = std::ferror(writeFile);
    bool closed = std::fclose(writeFile) == 0;
    writeFile = nullptr;
    return closed || reported;
}

bool requireReadFile(const char* name) {
    if (readFile) return true;
    fail(errorNoFile, "No file open in function %s\n", name);
    return false;
}

// After a write: flushes and reports a failure with error 10.
bool checkWritten(const char* message) {
    if (std::fflush(writeFile) == 0 && !std::ferror(writeFile)) return true;
    fail(errorWriteFailed, "%s", message);
    return false;
}

// --- open and close ------------------------------------------------------------

// "r", "w" or "a", then at most one "b" and one "+".
bool isOpenMode(const char* mode) {
    if (!mode[0] || !std::strchr("rwa", mode[0])) return false;
    int binary = 0, update = 0;
    for (const char* p = mode + 1; *p; p++) {
        if (*p == 'b')
            binary++;
        else if (*p == '+')
            update++;
        else
            return false;
    }
    return binary <= 1 && update <= 1;
}

bool hasBinaryMode(const char* mode) { return std::strchr(mode, 'b') != nullptr; }

constexpr Signature openSignature = {"open", "filename, [mode (r,w,a)]", {{takesString}}};

void builtinOpen(header* first) {
    closeReadFile();
    const Arguments a(first, openSignature);
    if (!a) return;
    readFile = openFileInPath(a.text(0), "r", 1, 1);
    if (!readFile) {
        fail(errorFailed, "Could not open the file %s!\n", a.text(0));
        return;
    }
    readFileIsText = true;
    pushResult(first, std::ferror(readFile));
}

constexpr Signature openModeSignature = {
    "open", "filename, mode (r,w,a)", {{takesString}, {takesString}}};

void builtinOpenMode(header* first) {
    const Arguments a(first, openModeSignature);
    if (!a) return;
    if (!isOpenMode(a.text(1))) return a.refuse();
    const char* path = a.text(0);
    const char* m = a.text(1);
    if (!std::strcmp(m, "r") || !std::strcmp(m, "rb")) {
        closeReadFile();
        // The name as given first, then with ".k" added.
        readFile = openFileInPath(path, m, 1, 0);
        if (!readFile) readFile = openFileInPath(path, m, 1, 1);
        if (!readFile) {
            fail(errorFailed, "Could not open the file\n%s\nfor reading!\n", path);
            return;
        }
        readFileIsText = !hasBinaryMode(m);
        pushResult(first, std::ferror(readFile));
        return;
    }
    if (!closeWriteFile()) {
        fail(errorWriteFailed, "Error in close.\n");
        return;
    }
    writeFile = std::fopen(path, m);
    if (!writeFile) {
        fail(errorFailed, "Could not open the file\n%s\nfor writing!\n", path);
        return;
    }
    pushResult(first, std::ferror(writeFile));
}

void builtinClose(header*) {
    int state = -1;
    if (readFile || writeFile) {
        state = readFile ? std::ferror(readFile) : 0;
        if (!state && writeFile) state = std::ferror(writeFile);
    }
    closeReadFile();
    if (!closeWriteFile()) {
        fail(errorWriteFailed, "Error in close.\n");
        return;
    }
    pushReal(state);
}

// 1 at the end of the read file (nothing more to read) or when none is open.
void builtinEof(header*) {
    int end = 1;
    if (readFile) {
        int c = getc(readFile);
        end = c == EOF;
        if (!end) ungetc(c, readFile);
    }
    pushReal(end);
}

// --- bytes and words -------------------------------------------------------------

struct ItemFormat {
    const char* name;
    int size;                  // bytes per item
    bool isSigned;             // read as a signed number
    const char* positiveWhat;  // message for a count below 1
    const char* stackName;     // builtin named in the stack message
};

const ItemFormat charFormat = {"getchar", 1, true, "integer", "getchar"};
const ItemFormat ucharFormat = {"getuchar", 1, false, "nonnegative integer", "getuchar"};
const ItemFormat wordFormat = {"getword", 2, true, "nonnegative integer", "getword"};
const ItemFormat uwordFormat = {"getuword", 2, false, "nonnegative integer", "getuword"};
const ItemFormat longFormat = {"getlongword", 4, true, "nonnegative integer", "getlongword"};
const ItemFormat ulongFormat = {"getulongword", 4, false, "nonnegative integer", "getlongword"};

// One little-endian item of `f.size` bytes.
double itemValue(const unsigned char* bytes, const ItemFormat& f) {
    uint32_t u = 0;
    for (int i = f.size - 1; i >= 0; i--) u = (u << 8) | bytes[i];
    if (!f.isSigned) return u;
    int shift = 32 - 8 * f.size;
    return int32_t(u << shift) >> shift;
}

// Reads one item; -1 at the end.
double readOneItem(const ItemFormat& f) {
    unsigned char bytes[4];
    if (std::fread(bytes, size_t(f.size), 1, readFile) != 1) return -1;
    return itemValue(bytes, f);
}

// getchar() and getuchar(): the next byte 0..255, -1 at the end or with no
// file.
void builtinGetByte(header*) {
    int c = readFile ? getc(readFile) : EOF;
    pushReal(c == EOF ? -1 : c);
}

void readWord(const ItemFormat& f) {
    if (requireReadFile(f.name)) pushReal(readOneItem(f));
}

// A count argument: a real whose integer part is at least 1; 0 after a
// reported error.
int64_t readCount(header* first, const char* name, const char* kindWhat, const char* positiveWhat) {
    const Signature countSignature = {name, kindWhat, {{takesReal}}};
    const Arguments a(first, countSignature);
    if (!a) return 0;
    double n = std::trunc(a.real(0));
    if (!(n >= 1)) {
        a.need(positiveWhat);
        return 0;
    }
    return n > double(INT32_MAX) ? int64_t(INT32_MAX) + 1 : int64_t(n);
}

// Up to n items into a 1 x k row vector. The raw bytes are read into the
// end of the vector's own data and widened to doubles from the front.
void readItems(header* first, const ItemFormat& f) {
    int64_t n = readCount(first, f.name, "integer", f.positiveWhat);
    if (!n || !requireReadFile(f.name)) return;
    int64_t room = (ramend - newram - headerSize - 8) / 8;
    if (n > room || n > INT32_MAX) {
        fail(errorFailed, "Stack overflow in %s.\n", f.stackName);
        return;
    }
    header* vector = pushRealMatrix(1, int(n));
    if (errorCode) return;
    unsigned char* data = reinterpret_cast<unsigned char*>(matrixData(vector));
    unsigned char* raw = data + 8 * n - f.size * n;
    int64_t k = int64_t(std::fread(raw, size_t(f.size), size_t(n), readFile));
    for (int64_t i = 0; i < k; i++) {
        double x = itemValue(raw + i * f.size, f);
        std::memcpy(data + 8 * i, &x, 8);
    }
    matrixColumns(vector) = int32_t(k);
    vector->size = headerSize + 8 + 8 * k;
    newram = endOf(vector);
    moveResult(first, vector);
}

void builtinGetstring(header* first) {
    int64_t n = readCount(first, "getstring", "integer", "nonnegative integer");
    if (!n || !requireReadFile("getstring")) return;
    if (n + 1 > ramend - newram - headerSize - 16) {
        fail(errorFailed, "Stack overflow in getstring.\n");
        return;
    }
    StackText text(kindString);
    char* out = text.reserve(size_t(n));
    if (!out) return;
    size_t got = std::fread(out, 1, size_t(n), readFile);
    text.advance(strnlen(out, got));
    header* result = text.finish();
    if (result) moveResult(first, result);
}

// --- lines and numbers -------------------------------------------------------------

// The next line without its line feed into `line`; false after "Line too
// long in <name>". With `replaceDot` every decimal character becomes ".".
bool readLine(std::string& line, const char* name, bool replaceDot) {
    line.clear();
    int c;
    while ((c = getc_unlocked(readFile)) != EOF && c != '\n') {
        if (line.size() == size_t(lineLimit)) {
            ungetc(c, readFile);
            fail(errorFailed, "Line too long in %s, %d characters!\n", name, lineLimit);
            return false;
        }
        line += replaceDot && c == decimalDot ? '.' : char(c);
    }
    if (c == '\n' && readFileIsText && !line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void builtinGetline(header*) {
    static std::string line;
    if (!requireReadFile("getline") || !readLine(line, "getline", false)) return;
    pushString(line.data(), int64_t(line.size()));
}

// Bytes of an open file, one at a time, with one byte of push-back. A
// file without end (a device, a pipe) is stopped by Escape: the bytes end
// and `stopped` is set.
struct FileBytes {
    FILE* file;
    bool stopped = false;
    unsigned polls = 0;
    int next() {
        if (++polls % 65536 == 0 && checkEscape()) stopped = true;
        return stopped ? EOF : getc_unlocked(file);
    }
    void back(int c) {
        if (c != EOF) ungetc(c, file);
    }
};

// Bytes of a text from a position.
struct TextBytes {
    const std::string& text;
    size_t position;
    int next() {
        return position < text.size() ? (unsigned char)text[position++] : (position++, EOF);
    }
    void back(int) { position--; }
};

// Reads the unsigned number that begins with the byte `c` (a digit or a
// decimal mark): digits, a decimal mark and digits, an exponent. False
// when it holds no digit (a lone decimal mark is consumed all the same).
template <class Bytes>
bool readNumber(Bytes& in, int c, char mark, double* x) {
    static std::string text;
    text.clear();
    bool digits = false;
    for (; isDigit(c); c = in.next()) text += char(c), digits = true;
    if (c == '.' || c == mark) {
        text += '.';
        for (c = in.next(); isDigit(c); c = in.next()) text += char(c), digits = true;
    }
    if (digits && (c == 'e' || c == 'E')) {
        int sign = in.next();
        int d = sign == '+' || sign == '-' ? in.next() : sign;
        if (isDigit(d)) {
            text += 'e';
            if (sign == '-') text += '-';
            for (c = d; isDigit(c); c = in.next()) text += char(c);
        } else {
            // The "e" and a sign are skipped as the reader would skip them.
            c = d;
        }
    }
    in.back(c);
    if (!digits) return false;
    const char* end = text.data() + text.size();
    if (std::from_chars(text.data(), end, *x).ec != std::errc())
        *x = std::strtod(text.c_str(), nullptr);
    return true;
}

void builtinGetvector(header* first) {
    int64_t n = readCount(first, "getvector", "integer", "integer");
    if (!n || !requireReadFile("getvector")) return;
    header* vector = pushRealMatrix(1, int(std::min<int64_t>(n, INT32_MAX)));
    if (errorCode) return;
    double* data = matrixData(vector);
    FileBytes in{readFile};
    int64_t k = 0;
    while (k < n) {
        int c = in.next();
        bool minus = c == '-';
        if (minus) c = in.next();
        if (c == EOF) break;
        if (!isDigit(c) && c != '.' && c != decimalDot) continue;
        double x;
        if (readNumber(in, c, decimalDot, &x)) data[k++] = minus ? -x : x;
    }
    if (in.stopped) return reportInterrupted();
    matrixColumns(vector) = int32_t(k);
    vector->size = headerSize + 8 + 8 * k;
    newram = endOf(vector);
    moveResult(first, vector);
    pushReal(double(k));
}

void builtinGetvectorline(header* first) {
    static std::string line;
    int64_t n = readCount(first, "getvectorline", "nonnegative integer", "nonnegative integer");
    if (!n || !requireReadFile("getvectorline")) return;
    if (!readLine(line, "getvectorline", true)) return;
    // Every number takes at least one byte of the line.
    header* vector = pushRealMatrix(1, int(std::min<int64_t>(n, int64_t(line.size()))));
    if (errorCode) return;
    double* data = matrixData(vector);
    TextBytes in{line, 0};
    int64_t k = 0;
    bool minus = false;
    for (int c; k < n && (c = in.next()) != EOF;) {
        if (c == '-') {
            minus = true;
            continue;
        }
        double x;
        if ((isDigit(c) || c == '.') && readNumber(in, c, '.', &x)) data[k++] = minus ? -x : x;
        minus = false;
    }
    matrixColumns(vector) = int32_t(k);
    vector->size = headerSize + 8 + 8 * k;
    newram = endOf(vector);
    moveResult(first, vector);
    if (errorCode) return;
    pushReal(double(k));
    if (!errorCode) pushString(line.data(), int64_t(line.size()));
}

constexpr Signature setdecimaldotSignature = {
    "setdecimaldot", "string of length 1", {{takesString}}};

void builtinSetdecimaldot(header* first) {
    const Arguments a(first, setdecimaldotSignature);
    if (!a) return;
    if (std::strlen(a.text(0)) != 1) return a.refuse();
    char previous = decimalDot;
    decimalDot = a.text(0)[0];
    header* result = pushString(&previous, 1);
    if (!errorCode) moveResult(first, result);
}

// --- writing -----------------------------------------------------------------

// The items of a real or a nonempty real row vector, all finite, or null
// with the builtin's message.
const double* itemsArgument(header* first, const char* name, int64_t* count) {
    const Signature itemsSignature = {
        name, "integer or vector of integers", {{.kinds = takesRealMatrix, .rows = 1}}};
    const Arguments a(first, itemsSignature);
    if (!a) return nullptr;
    const MatrixValue items = a.matrix(0);
    *count = items.count();
    if (*count >= 1 &&
        std::all_of(items.data, items.data + *count, [](double x) { return std::isfinite(x); }))
        return items.data;
    a.refuse();
    return nullptr;
}

// Writes the items as little-endian words of `size` bytes, formed in the
// free stack space; without a write file bytes are printed as text.
void writeItems(header* first, const char* name, int size, const char* stackName) {
    int64_t count;
    const double* items = itemsArgument(first, name, &count);
    if (!items) return;
    if (size > 1 && !writeFile) {
        fail(errorNoFile, "No file open in function %s\n", name);
        return;
    }
    if (count * size + 1 > ramend - newram) {
        fail(errorFailed, "Stack overflow in %s.\n", stackName);
        return;
    }
    char* bytes = newram;
    for (int64_t i = 0; i < count; i++) {
        uint32_t w = lowBits32(items[i]);
        for (int b = 0; b < size; b++) bytes[i * size + b] = char(w >> (8 * b));
    }
    bytes[count * size] = 0;
    int state = 0;
    if (writeFile) {
        std::fwrite(bytes, size_t(size), size_t(count), writeFile);
        std::string message = std::string("Error in ") + name + ".\n";
        if (!checkWritten(message.c_str())) return;
        state = std::ferror(writeFile);
    } else {
        printText(bytes);
    }
    pushResult(first, state);
}

void builtinPutchar(header* first) { writeItems(first, "putchar", 1, "putchar"); }
void builtinPutuchar(header* first) { writeItems(first, "putuchar", 1, "putuchar"); }
void builtinPutword(header* first) { writeItems(first, "putword", 2, "putword"); }
void builtinPutuword(header* first) { writeItems(first, "putuword", 2, "putword"); }
void builtinPutlongword(header* first) { writeItems(first, "putlongword", 4, "putlongword"); }
void builtinPutulongword(header* first) { writeItems(first, "putulongword", 4, "putlongword"); }

// Writes the text (and a line feed) to the write file, or prints it; false
// after an error.
bool writeText(const char* text, bool lineFeed) {
    if (!writeFile) {
        printText(text);
        if (lineFeed) printText("\n");
        return true;
    }
    std::fputs(text, writeFile);
    if (lineFeed) std::fputc('\n', writeFile);
    return checkWritten("Error in writeln.\n");
}

// write and writeln: both named write in the message.
constexpr Signature writeSignature = {"write", "string", {{takesString}}};

void writeString(header* first, bool lineFeed) {
    const Arguments a(first, writeSignature);
    if (!a || !writeText(a.text(0), lineFeed)) return;
    header* result = pushMarker(markerNone);
    if (!errorCode) moveResult(first, result);
}

void builtinWrite(header* first) { writeString(first, false); }
void builtinWriteln(header* first) { writeString(first, true); }

void builtinNewline(header*) {
    if (writeText("", true)) pushMarker(markerNone);
}

// Items with a count, by format.
void builtinGetcharCount(header* first) { readItems(first, charFormat); }
void builtinGetucharCount(header* first) { readItems(first, ucharFormat); }
void builtinGetwordCount(header* first) { readItems(first, wordFormat); }
void builtinGetuwordCount(header* first) { readItems(first, uwordFormat); }
void builtinGetlongwordCount(header* first) { readItems(first, longFormat); }
void builtinGetulongwordCount(header* first) { readItems(first, ulongFormat); }
void builtinGetword(header*) { readWord(wordFormat); }
void builtinGetuword(header*) { readWord(uwordFormat); }
void builtinGetlongword(header*) { readWord(longFormat); }
void builtinGetulongword(header*) { readWord(ulongFormat); }

const BuiltinRecord rows[] = {
    {"close", 0, 0, builtinClose},
    {"eof", 0, 0, builtinEof},
    {"getchar", 0, 0, builtinGetByte},
    {"getchar", 1, 0, builtinGetcharCount},
    {"getline", 0, 0, builtinGetline},
    {"getlongword", 0, 0, builtinGetlongword},
    {"getlongword", 1, 0, builtinGetlongwordCount},
    {"getstring", 1, 0, builtinGetstring},
    {"getuchar", 0, 0, builtinGetByte},
    {"getuchar", 1, 0, builtinGetucharCount},
    {"getulongword", 0, 0, builtinGetulongword},
    {"getulongword", 1, 0, builtinGetulongwordCount},
    {"getuword", 0, 0, builtinGetuword},
    {"getuword", 1, 0, builtinGetuwordCount},
    {"getvector", 1, 0, builtinGetvector},
    {"getvectorline", 1, 0, builtinGetvectorline},
    {"getword", 0, 0, builtinGetword},
    {"getword", 1, 0, builtinGetwordCount},
    {"open", 1, 0, builtinOpen},
    {"open", 2, 0, builtinOpenMode},
    {"putchar", 1, 0, builtinPutchar},
    {"putlongword", 1, 0, builtinPutlongword},
    {"putuchar", 1, 0, builtinPutuchar},
    {"putulongword", 1, 0, builtinPutulongword},
    {"putuword", 1, 0, builtinPutuword},
    {"putword", 1, 0, builtinPutword},
    {"setdecimaldot", 1, 0, builtinSetdecimaldot},
    {"write", 1, 0, builtinWrite},
    {"writeln", 0, 0, builtinNewline},
    {"writeln", 1, 0, builtinWriteln},
};

}  // namespace

KALIX_BUILTIN_FAMILY(fileBuiltins, rows);

}  // namespace kalix
