// Characters as numbers and back, and strings between the program's code
// page and UTF-8 (flag 0x40000).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "builtins/builtin_helpers.h"
#include "builtins/text_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "base/html_entities.h"
#include "base/text.h"

namespace {

constexpr int largestCodePoint = 0x10FFFF;

// The code points or bytes of a real row vector, or null with
// "Need real row vector for <name>".
const double* codesArgument(header* first, const char* name, int64_t* count) {
    const double* codes = realRowArgument(first, count);
    if (!codes && !errorCode) reportNeed("real row vector", name);
    return codes;
}

void finishText(header* first, StackText& text, int32_t flags) {
    header* result = text.finish(flags);
    if (result) moveResult(first, result);
}

void builtinAscii(header* first) {
    header* s = stringArgument(first, "string", "ascii");
    if (!s) return;
    header* result = pushReal(static_cast<signed char>(stringOf(s)[0]));
    if (!errorCode) moveResult(first, result);
}

void builtinChar(header* first) {
    header* value = resolveValue(first);
    if (errorCode) return;
    if (value->kind != kindReal || !std::isfinite(realOf(value))) {
        reportNeed("integer", "char");
        return;
    }
    char byte = char(lowBits32(realOf(value)));
    header* result = pushString(&byte, 1);
    if (!errorCode) moveResult(first, result);
}

void builtinChartostr(header* first) {
    int64_t count;
    const double* codes = codesArgument(first, "chartostr", &count);
    if (!codes) return;
    StackText text(kindString);
    for (int64_t i = 0; i < count && !text.failed(); i++) text.append(char(lowBits32(codes[i])));
    finishText(first, text, 0);
}

void builtinStrtochar(header* first) {
    header* s = stringArgument(first, "string", "strtochar");
    if (!s) return;
    const char* text = stringOf(s);
    bool utf8 = utf8FlagOf(s);
    int64_t count = 0;
    int code;
    if (utf8) {
        for (const char* p = text; *p; p = decodeUtf8Char(p, &code)) count++;
    } else {
        count = int64_t(std::strlen(text));
    }
    count = std::min<int64_t>(count, INT32_MAX);
    header* result = pushMatrixOfKind(kindRealMatrix, 1, int(count));
    if (!result) return;
    double* data = matrixData(result);
    const char* p = text;
    for (int64_t i = 0; i < count; i++) {
        if (utf8) {
            p = decodeUtf8Char(p, &code);
            data[i] = code;
        } else {
            data[i] = static_cast<unsigned char>(*p++);
        }
    }
    moveResult(first, result);
}

void builtinChartoutf(header* first) {
    int64_t count;
    const double* codes = codesArgument(first, "chartoutf", &count);
    if (!codes) return;
    for (int64_t i = 0; i < count; i++) {
        if (codes[i] < 0 || codes[i] >= largestCodePoint + 1.0) {
            reportNeed("real row vector", "chartoutf");
            return;
        }
    }
    StackText text(kindString);
    for (int64_t i = 0; i < count; i++) {
        char* at = text.reserve(4);
        if (!at) return;
        text.advance(size_t(appendUtf8(int(codes[i]), at) - at));
    }
    finishText(first, text, flagUtf8);
}

// A text already marked as UTF-8 is not converted again.
void builtinToutf(header* first) {
    header* s = stringArgument(first, "string", "utf");
    if (!s) return;
    const char* converted = utf8FlagOf(s) ? stringOf(s) : ansiToUtf8(stringOf(s));
    if (!converted) {
        fail(errorFailed, "Could not convert this string to UTF.\n");
        return;
    }
    header* result = pushCString(converted);
    if (errorCode) return;
    result->flags = flagUtf8;
    moveResult(first, result);
}

// A text not marked as UTF-8 is in the code page already.
void builtinFromutf(header* first) {
    header* s = stringArgument(first, "string", "utf");
    if (!s) return;
    const char* converted = utf8FlagOf(s) ? utf8ToAnsi(stringOf(s)) : stringOf(s);
    if (!converted) {
        fail(errorFailed, "Could not convert this string from UTF.\n");
        return;
    }
    header* result = pushCString(converted);
    if (!errorCode) moveResult(first, result);
}

void builtinUtf(header* first) {
    header* s = stringArgument(first, "string", "utf");
    if (!s) return;
    const char* converted = utf8FlagOf(s) ? stringOf(s) : ansiToUtf8(stringOf(s));
    // The decoded text is never longer than the text.
    const size_t length = converted ? std::strlen(converted) : 0;
    StackText text(kindString);
    char* out = converted ? text.reserve(length + 1) : nullptr;
    if (text.failed()) return;
    std::string decoded;
    if (!out || !decodeEntities(converted, decoded) || decoded.size() > length) {
        fail(errorFailed, "Illegal entity string, entity not found.\n%s\n", stringOf(s));
        return;
    }
    std::memcpy(out, decoded.c_str(), decoded.size() + 1);
    text.advance(decoded.size());
    finishText(first, text, flagUtf8);
}

const BuiltinRecord rows[] = {
    {"ascii", 1, 0, builtinAscii},         {"char", 1, 0, builtinChar},
    {"chartostr", 1, 0, builtinChartostr}, {"chartoutf", 1, 0, builtinChartoutf},
    {"fromutf", 1, 0, builtinFromutf},     {"strtochar", 1, 0, builtinStrtochar},
    {"toutf", 1, 0, builtinToutf},         {"utf", 1, 0, builtinUtf},
};

}  // namespace

KALIX_BUILTIN_FAMILY(characterBuiltins, rows);
