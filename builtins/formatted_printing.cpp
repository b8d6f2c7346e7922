// Builtins that turn numbers and strings into formatted strings: `print`
// (fixed decimals, grouping, a chosen decimal mark), `printf` (one C
// conversion), `printstr` (alignment and filling), `printnow` (the date and
// time) and `frac` (exact fractions in the syntax of the algebra bridge).
// None of them prints; each returns its text.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "builtins/builtin_helpers.h"
#include "builtins/text_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/formats.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

namespace {

// The low byte of a real truncated to an integer; 0 for NaN and infinities.
unsigned char lowByte(double x) { return std::isfinite(x) ? lowBits32(x) & 0xFF : 0; }

void pushTextResult(header* first, const char* text, size_t length, int32_t flags = 0) {
    header* result = pushString(text, int64_t(length));
    if (errorCode) return;
    result->flags = flags;
    moveResult(first, result);
}

// A string argument that is neither the none marker nor empty.
bool isGivenText(const header* value) { return !isNoneMarker(value) && stringOf(value)[0] != 0; }

// --- print -------------------------------------------------------------------

// More decimals than a double holds are noise; the bound keeps texts small.
constexpr int maxPrintDigits = 100;
constexpr int maxPrintLength = 16384;

// |trunc(x)| limited to `limit`; NaN gives 0.
int boundedMagnitude(double x, int limit) {
    double a = std::fabs(x);
    return std::isnan(a) ? 0 : int(std::min(a, double(limit)));
}

// Inserts `separator` into the first run of digits of `text`, in groups of
// three from the right.
std::string groupDigits(const std::string& text, const char* separator) {
    size_t start = text.find_first_of("0123456789");
    if (start == std::string::npos) return text;
    size_t end = text.find_first_not_of("0123456789", start);
    if (end == std::string::npos) end = text.size();
    std::string result = text.substr(0, start);
    for (size_t i = start; i < end; i++) {
        result += text[i];
        size_t left = end - i - 1;
        if (left > 0 && left % 3 == 0) result += separator;
    }
    return result + text.substr(end);
}

constexpr Signature printSignature = {
    "print",
    "x,digizs,length,separator,dot",
    {{takesReal}, {takesReal}, {takesReal}, {takesString}, {takesString}}};

void builtinPrint(header* first) {
    const Arguments a(first, printSignature);
    if (!a) return;
    header* const v[5] = {a[0], a[1], a[2], a[3], a[4]};
    int digits = boundedMagnitude(realOf(v[1]), maxPrintDigits);
    int length = boundedMagnitude(realOf(v[2]), maxPrintLength);
    char number[maxPrintDigits + 400];  // 309 integer digits at most
    std::snprintf(number, sizeof number, "%1.*f", digits, realOf(v[0]));
    std::string text = number;
    // The mark and the separator may be characters of several bytes.
    const bool utf8 = isUtf8Text(v[3]) || isUtf8Text(v[4]);
    int32_t flags = 0;
    // The decimal mark goes on the number's own point, never on a separator.
    size_t point = text.find('.');
    if (isGivenText(v[4]) && point != std::string::npos) {
        const char* mark = stringOf(v[4]);
        text.replace(point, 1, mark, size_t(characterLength(mark, utf8)));
        flags |= utf8FlagOf(v[4]);
    }
    if (isGivenText(v[3])) {
        text = groupDigits(text, stringOf(v[3]));
        flags |= utf8FlagOf(v[3]);
    }
    const size_t characters = characterCount(text.c_str(), text.size(), utf8);
    if (characters < size_t(length)) text.insert(0, size_t(length) - characters, ' ');
    pushTextResult(first, text.data(), text.size(), flags);
}

// --- printf ------------------------------------------------------------------

constexpr int printfBufferSize = 32768;
constexpr int64_t printfFormatLimit = 32736;

// The conversion letter of a format with exactly one conversion, or 0
// after a reported error. Only "-", "." and digits may stand between the
// percent sign and the letter; `*conversion` receives its percent sign.
char readConversion(const char* format, const char** conversion) {
    int64_t length = int64_t(std::strlen(format));
    char letter = 0;
    for (const char* p = format; *p;) {
        if (*p != '%') {
            p++;
            continue;
        }
        if (p[1] == '%') {
            p += 2;
            continue;
        }
        if (letter) {
            fail(errorFailed, "Only one format specification in printf allowed!\n");
            return 0;
        }
        *conversion = p++;
        while (*p == '-' || *p == '.' || (*p >= '0' && *p <= '9')) {
            if (*p == '-' || *p == '.') {
                p++;
                continue;
            }
            int64_t number = 0;
            for (; *p >= '0' && *p <= '9'; p++)
                if (number <= printfFormatLimit) number = number * 10 + (*p - '0');
            if (length + number > printfFormatLimit) {
                fail(errorFailed, "Format too long!\n");
                return 0;
            }
        }
        if (!*p) {
            fail(errorFailed, "Need a format specification in printf!\n");
            return 0;
        }
        letter = *p++;
    }
    if (!letter) fail(errorFailed, "No format string!\n");
    return letter;
}

// Formats into a buffer of `printfBufferSize` bytes; a longer text is
// refused.
// The result keeps the UTF-8 flag of the format and of a text value.
__attribute__((format(printf, 3, 4))) void formatResult(header* first, int32_t flags,
                                                        const char* format, ...) {
    static char buffer[printfBufferSize];
    va_list arguments;
    va_start(arguments, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (n < 0 || n >= printfBufferSize) {
        fail(errorFailed, "Format too long!\n");
        return;
    }
    pushTextResult(first, buffer, size_t(n), flags);
}

// A value of the wrong kind for the conversion, named in the message.
void refuseValue(char letter, const char* needed) {
    fail(errorWrongArgument, "Format %%%c in printf needs %s!\n", letter, needed);
}

// A conversion of the usual form: the flags "-" and "0", a width, a
// precision after ".".
struct Field {
    bool left = false;
    int64_t width = 0;
    int64_t precision = -1;
    const char* rest = nullptr;  // the format after the letter
};

// Reads the field from the percent sign at `conversion` to the letter;
// false for any other form (the C library then prints it as it stands).
bool readField(const char* conversion, Field& field) {
    const char* p = conversion + 1;
    for (; *p == '-' || *p == '0'; p++) field.left = field.left || *p == '-';
    // Each number is bounded by the format's length (readConversion).
    for (; *p >= '0' && *p <= '9'; p++) field.width = field.width * 10 + (*p - '0');
    if (*p == '.') {
        field.precision = 0;
        for (p++; *p >= '0' && *p <= '9'; p++) field.precision = field.precision * 10 + (*p - '0');
    }
    field.rest = p + 1;
    return *p && !std::strchr("-.0123456789", *p);
}

// The conversion of UTF-8 text, "%s" or "%c" (the character of the code
// `bytes` holds), counted in characters: the precision cuts, the width
// pads, never inside a character. The conversion becomes a plain "%s" of
// the finished field.
void formatCharacters(header* first, int32_t flags, const char* format, const char* conversion,
                      const Field& field, const char* text, size_t bytes) {
    size_t characters = characterCount(text, bytes, true);
    if (field.precision >= 0 && size_t(field.precision) < characters) {
        bytes = characterOffset(text, size_t(field.precision), true);
        characters = size_t(field.precision);
    }
    std::string padding(field.width > int64_t(characters) ? size_t(field.width) - characters : 0,
                        ' ');
    std::string value(text, bytes);
    value = field.left ? value + padding : padding + value;
    std::string plain(format, conversion);
    plain += "%s";
    plain += field.rest;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    formatResult(first, flags, plain.c_str(), value.c_str());
#pragma GCC diagnostic pop
}

// The value is checked against the format's conversion.
constexpr Signature printfSignature = {"printf", "format string", {{takesString}, {takesAnything}}};

void builtinPrintf(header* first) {
    const Arguments a(first, printfSignature);
    if (!a) return;
    header* const v[2] = {a[0], a[1]};
    const char* format = stringOf(v[0]);
    const char* conversion = nullptr;
    char letter = readConversion(format, &conversion);
    if (!letter) return;
    int32_t flags = utf8FlagOf(v[0]);
    Field field;
    const bool usualField = readField(conversion, field);
    // The format is checked: one conversion, no "*", no length modifier.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    if (std::strchr("feEgGFaA", letter)) {
        if (v[1]->kind != kindReal) return refuseValue(letter, "a real number");
        double x = realOf(v[1]);
        formatResult(first, flags, format, x == 0 ? 0.0 : x);
    } else if (std::strchr("diuoxX", letter)) {
        if (v[1]->kind != kindReal) return refuseValue(letter, "a real number");
        formatResult(first, flags, format, clampToInt(realOf(v[1])));
    } else if (letter == 's') {
        if (v[1]->kind != kindString) return refuseValue(letter, "a string");
        const char* text = stringOf(v[1]);
        flags |= utf8FlagOf(v[1]);
        if (usualField && (isUtf8Text(v[0]) || isUtf8Text(v[1])))
            formatCharacters(first, flags, format, conversion, field, text, std::strlen(text));
        else
            formatResult(first, flags, format, text);
    } else if (letter == 'c') {
        if (v[1]->kind != kindReal) return refuseValue(letter, "a real number");
        const double code = realOf(v[1]);
        // The code 0 ends the text in every code page.
        if (!usualField || !isUtf8Text(v[0]) || !std::isfinite(code) || std::trunc(code) == 0) {
            formatResult(first, flags, format, int(lowByte(code)));
            return;
        }
        char bytes[4];
        const int length = encodeCharacter(code, true, bytes);
        if (!length) return refuseValue(letter, "a real number");
        formatCharacters(first, flags, format, conversion, field, bytes, size_t(length));
    } else {
        fail(errorFailed, "Illegal format string %c in format\n", letter);
    }
#pragma GCC diagnostic pop
}

// --- printstr ------------------------------------------------------------------

// printstr(s, length), printstr(s, length, mode), printstr(s, length,
// mode, fill): the mode is 1 (right-aligned) when left out.
constexpr Signature printstrSignature = {
    "printstr",
    "string, length, mode (optional), fillcharacter (optional)",
    {{takesString},
     {takesReal},
     {.kinds = takesReal, .presence = Presence::optional, .fallback = 1},
     {takesReal | takesString, Presence::optional}}};

void builtinPrintstr(header* first) {
    const Arguments a(first, printstrSignature);
    if (!a) return;
    // Lengths count characters; in UTF-8 text the fill is a character too.
    const bool utf8 = isUtf8Text(a[0]);
    const char* s = stringOf(a[0]);
    const size_t textBytes = std::strlen(s);
    int64_t textLength = int64_t(characterCount(s, textBytes, utf8));
    int64_t n = std::clamp(clampToInt(a.real(1)), 0, maxPrintLength);
    if (textLength > n) n = textLength;
    double mode = a.real(2);
    char fill[4] = {' '};
    int fillBytes = 1;
    if (a.given(3) && a[3]->kind == kindReal) {
        const double code = a.real(3);
        fillBytes = std::isfinite(code) ? encodeCharacter(code, utf8, fill) : 0;
        if (!fillBytes && std::isfinite(code)) return a.refuse();
    } else if (a.given(3)) {
        fillBytes = characterLength(stringOf(a[3]), utf8);
        std::memcpy(fill, stringOf(a[3]), size_t(fillBytes));
    }
    if (fillBytes == 0 || (fillBytes == 1 && (fill[0] == 0 || fill[0] == 1))) {
        fill[0] = ' ';
        fillBytes = 1;
    }
    int64_t before = mode < 0 ? 0 : mode == 0 ? (n - textLength) / 2 : n - textLength;
    int64_t after = n - textLength - before;
    StackText text(kindString);
    for (int64_t i = 0; i < before && !text.failed(); i++) text.append(fill, size_t(fillBytes));
    text.append(s, textBytes);
    for (int64_t i = 0; i < after && !text.failed(); i++) text.append(fill, size_t(fillBytes));
    header* result = text.finish(utf8FlagOf(a[0]));
    if (result) moveResult(first, result);
}

// --- printnow ------------------------------------------------------------------

constexpr Signature printnowSignature = {"printnow", "utc-flag", {{takesReal}}};

void builtinPrintnow(header* first) {
    const Arguments a(first, printnowSignature);
    if (!a) return;
    char text[1024];
    formatNow(text, sizeof text, a.real(0) != 0);
    pushTextResult(first, text, std::strlen(text));
}

// --- frac --------------------------------------------------------------------

constexpr size_t fracTextLimit = 1024;

void appendFraction(std::string& text, double x) {
    char number[numberTextSize];
    formatFraction(x, number);
    text += number;
}

// A real or complex element (complex: re, "+I*", im).
void appendElement(std::string& text, const double* element, bool complex) {
    appendFraction(text, element[0]);
    if (!complex) return;
    text += "+I*";
    appendFraction(text, element[1]);
}

constexpr Signature fracSignature = {.builtin = "frac",
                                     .rules = {{takesRealMatrix | takesComplexMatrix}},
                                     .refusal = {errorFailed, "Cannot convert this to frac!\n"}};

void builtinFrac(header* first) {
    const Arguments a(first, fracSignature);
    if (!a) return;
    header* value = a[0];
    int kind = value->kind;
    bool complex = kind == kindComplex || kind == kindComplexMatrix;
    std::string text;
    if (kind == kindReal || kind == kindComplex) {
        appendElement(text, reinterpret_cast<const double*>(dataOf(value)), complex);
    } else {
        int rows = matrixRows(value), columns = matrixColumns(value);
        const double* data = matrixData(value);
        text = rows == 1 ? "" : "matrix(";
        for (int i = 0; i < rows; i++) {
            text += i ? ",[" : "[";
            for (int j = 0; j < columns; j++) {
                if (j) text += ',';
                appendElement(text, data + (int64_t(i) * columns + j) * (complex ? 2 : 1), complex);
                if (text.size() > fracTextLimit) {
                    fail(errorFailed, "String too long!\n");
                    return;
                }
            }
            text += ']';
        }
        if (rows != 1) text += ')';
    }
    if (text.size() > fracTextLimit) {
        fail(errorFailed, "String too long!\n");
        return;
    }
    pushTextResult(first, text.data(), text.size());
}

const BuiltinRecord rows[] = {
    {"frac", 1, 0, builtinFrac},         {"print", 5, 0, builtinPrint},
    {"printf", 2, 0, builtinPrintf},     {"printnow", 1, 0, builtinPrintnow},
    {"printstr", 2, 0, builtinPrintstr}, {"printstr", 3, 0, builtinPrintstr},
    {"printstr", 4, 0, builtinPrintstr},
};

}  // namespace

KALIX_BUILTIN_FAMILY(formattedPrintingBuiltins, rows);

}  // namespace kalix
