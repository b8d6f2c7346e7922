// Characters as numbers and back, and strings between the program's code
// page and UTF-8 (flag 0x40000). In UTF-8 text a character's number is its
// code point; in a single-byte code page it is the byte.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "base/html_entities.h"
#include "base/text.h"
#include "builtins/builtin_helpers.h"
#include "builtins/text_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

void finishText(header* first, StackText& text, int32_t flags) {
    header* result = text.finish(flags);
    if (result) moveResult(first, result);
}

// A byte that begins no UTF-8 character answers with its signed value, as
// every byte does in a single-byte code page.
constexpr Signature asciiSignature = {"ascii", "string", {{takesString}}};

void builtinAscii(header* first) {
    const Arguments a(first, asciiSignature);
    if (!a) return;
    header* s = a[0];
    int length;
    int code = characterCode(stringOf(s), isUtf8Text(s), &length);
    if (length <= 1 && code >= 0x80) code = static_cast<signed char>(code);
    header* result = pushReal(code);
    if (!errorCode) moveResult(first, result);
}

constexpr Signature charSignature = {"char", "integer", {{takesReal}}};

void builtinChar(header* first) {
    const Arguments a(first, charSignature);
    if (!a) return;
    char bytes[4];
    const int length =
        std::isfinite(a.real(0)) ? encodeCharacter(a.real(0), codePageIsUtf8(), bytes) : 0;
    if (!length) return a.refuse();
    header* result = pushString(bytes, length);
    if (!errorCode) moveResult(first, result);
}

// The codes: a real row vector of finite elements.
constexpr ArgumentRule codesRule = {.kinds = takesRealMatrix, .rows = 1};
constexpr Signature chartostrSignature = {"chartostr", "real row vector", {codesRule}};
constexpr Signature chartoutfSignature = {"chartoutf", "real row vector", {codesRule}};

// The characters of the codes, in UTF-8 (`utf8`) or as bytes; refused for a
// code that is not finite or that UTF-8 cannot encode.
void pushCharacters(header* first, const Signature& signature, bool utf8, int32_t flags) {
    const Arguments a(first, signature);
    if (!a) return;
    const MatrixValue m = a.matrix(0);
    const double* codes = m.data;
    const int64_t count = m.count();
    char bytes[4];
    for (int64_t i = 0; i < count; i++)
        if (!std::isfinite(codes[i]) || !encodeCharacter(codes[i], utf8, bytes)) return a.refuse();
    StackText text(kindString);
    for (int64_t i = 0; i < count && !text.failed(); i++)
        text.append(bytes, size_t(encodeCharacter(codes[i], utf8, bytes)));
    finishText(first, text, flags);
}

void builtinChartostr(header* first) {
    pushCharacters(first, chartostrSignature, codePageIsUtf8(), 0);
}

void builtinChartoutf(header* first) { pushCharacters(first, chartoutfSignature, true, flagUtf8); }

constexpr Signature strtocharSignature = {"strtochar", "string", {{takesString}}};

void builtinStrtochar(header* first) {
    const Arguments a(first, strtocharSignature);
    if (!a) return;
    header* s = a[0];
    const char* text = stringOf(s);
    const bool utf8 = isUtf8Text(s);
    int64_t count = int64_t(characterCount(text, std::strlen(text), utf8));
    count = std::min<int64_t>(count, INT32_MAX);
    header* result = pushMatrixOfKind(kindRealMatrix, 1, int(count));
    if (!result) return;
    double* data = matrixData(result);
    for (int64_t i = 0; i < count; i++) {
        int length;
        data[i] = characterCode(text, utf8, &length);
        text += length;
    }
    moveResult(first, result);
}

// The conversions to and from UTF-8 all refuse in the name of utf.
constexpr Signature utfSignature = {"utf", "string", {{takesString}}};

// A text already marked as UTF-8 is not converted again.
void builtinToutf(header* first) {
    const Arguments a(first, utfSignature);
    if (!a) return;
    header* s = a[0];
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
    const Arguments a(first, utfSignature);
    if (!a) return;
    header* s = a[0];
    const char* converted = utf8FlagOf(s) ? utf8ToAnsi(stringOf(s)) : stringOf(s);
    if (!converted) {
        fail(errorFailed, "Could not convert this string from UTF.\n");
        return;
    }
    header* result = pushCString(converted);
    if (!errorCode) moveResult(first, result);
}

void builtinUtf(header* first) {
    const Arguments a(first, utfSignature);
    if (!a) return;
    header* s = a[0];
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

}  // namespace kalix
