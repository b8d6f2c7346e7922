// String builtins: length, search, substrings, replacement, tokens and
// case. Positions count characters from 1 (bytes in a single-byte code
// page); a negative position counts from the end. Results made from the
// bytes of a UTF-8 text keep its UTF-8 flag.
#include <locale.h>
#include <wctype.h>

#include <cstring>
#include <string>

#include "builtins/builtin_helpers.h"
#include "builtins/text_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

namespace {

// Strings are checked as each is resolved: a wrong one is reported before
// a later argument is resolved.
constexpr ArgumentRule text = {takesString};

constexpr Signature strlenSignature = {
    .builtin = "strlen", .need = "string", .rules = {text}, .order = CheckOrder::asResolved};

void finishString(header* first, StackText& text, int32_t flags) {
    header* result = text.finish(flags);
    if (result) moveResult(first, result);
}

// --- strlen ----------------------------------------------------------------

void builtinStrlen(header* first) {
    const Arguments a(first, strlenSignature);
    if (!a) return;
    header* s = a[0];
    const char* text = stringOf(s);
    header* result = pushReal(double(characterCount(text, std::strlen(text), isUtf8Text(s))));
    if (!errorCode) moveResult(first, result);
}

// --- strfind -----------------------------------------------------------------

constexpr Signature strfindSignature = {.builtin = "strfind",
                                        .need = "string, substring, start position",
                                        .rules = {text, text, {takesReal, Presence::optional}},
                                        .order = CheckOrder::asResolved};

void findFrom(header* first, header* s, header* sub, int64_t start) {
    const SearchStart at = searchStart(s, start);
    double position = 0;
    if (at.offset < at.length) {
        const char* needle = stringOf(sub);
        size_t before;
        if (findCharacters(at.text + at.from, at.bytes - at.from, needle, std::strlen(needle),
                           at.utf8, &before))
            position = double(at.offset + int64_t(before) + 1);
    }
    header* result = pushReal(position);
    if (!errorCode) moveResult(first, result);
}

// strfind(s, sub) and strfind(s, sub, start): the start is optional.
void builtinStrfind(header* first) {
    const Arguments a(first, strfindSignature);
    if (!a) return;
    int64_t start = 1;
    if (a.given(2) && !readTextPosition(a[2], &start)) return a.refuse();
    findFrom(first, a[0], a[1], start);
}

// --- substring -----------------------------------------------------------------

constexpr Signature substringSignature = {
    "substring", "string and two integers", {text, {takesReal}, {takesReal}}};

void builtinSubstring(header* first) {
    const Arguments arguments(first, substringSignature);
    if (!arguments) return;
    header* s = arguments[0];
    int64_t a, b;
    if (!readTextPosition(arguments[1], &a) || !readTextPosition(arguments[2], &b))
        return arguments.refuse();
    const char* text = stringOf(s);
    const bool utf8 = isUtf8Text(s);
    int64_t n = int64_t(characterCount(text, std::strlen(text), utf8));
    int64_t firstIndex = a >= 0 ? a - 1 : n + a;
    if (firstIndex < 0) firstIndex = 0;
    int64_t lastIndex = b >= 0 ? b - 1 : n + b;
    if (lastIndex >= n) lastIndex = n - 1;
    int64_t count = lastIndex < firstIndex ? 0 : lastIndex - firstIndex + 1;
    const char* cut = text + (count ? characterOffset(text, size_t(firstIndex), utf8) : 0);
    const size_t bytes = count ? characterOffset(cut, size_t(count), utf8) : 0;
    header* result = pushString(cut, int64_t(bytes));
    if (errorCode) return;
    result->flags = utf8FlagOf(s);
    moveResult(first, result);
}

// --- strrepl -------------------------------------------------------------------

// Occurrences between two polls of the Escape key.
constexpr int escapePollInterval = 4096;

constexpr Signature strreplSignature = {.builtin = "strrepl",
                                        .need = "string, search string and replacement",
                                        .rules = {text, text, text},
                                        .order = CheckOrder::asResolved};

void builtinStrrepl(header* first) {
    const Arguments a(first, strreplSignature);
    if (!a) return;
    header* const v[3] = {a[0], a[1], a[2]};
    // An empty search text matches everywhere without advancing.
    if (!stringOf(v[1])[0]) return a.refuse();
    const std::string search = stringOf(v[1]);
    const std::string replacement = stringOf(v[2]);
    int32_t flags = utf8FlagOf(v[0]) | utf8FlagOf(v[2]);
    const bool utf8 = isUtf8Text(v[0]);
    const char* text = stringOf(v[0]);
    const char* end = text + std::strlen(text);
    // A text stored below the arguments lets the result take their place.
    bool below = !recordOnStack(v[0]) || endOf(v[0]) <= reinterpret_cast<char*>(first);
    StackText result = below ? StackText(kindString, first) : StackText(kindString);
    int polls = 0;
    while (!result.failed()) {
        const char* found =
            findCharacters(text, size_t(end - text), search.data(), search.size(), utf8);
        if (!found) {
            result.append(text, size_t(end - text));
            break;
        }
        result.append(text, size_t(found - text));
        result.append(replacement.data(), replacement.size());
        text = found + search.size();
        if (++polls == escapePollInterval) {
            polls = 0;
            if (checkEscape()) {
                errorCode = errorFailed;
                return;
            }
        }
    }
    finishString(first, result, flags);
}

// --- strtokens -----------------------------------------------------------------

// Bytes of the character at `text` when it is one of the `separators`,
// else 0.
size_t separatorAt(const char* text, const char* separators, bool utf8) {
    const int length = characterLength(text, utf8);
    if (length == 1 && static_cast<unsigned char>(*text) < 0x80)
        return *text && std::strchr(separators, *text) ? 1 : 0;
    for (const char* p = separators; *p; p += characterLength(p, utf8))
        if (characterLength(p, utf8) == length && std::memcmp(p, text, size_t(length)) == 0)
            return size_t(length);
    return 0;
}

// Characters, not bytes, are separators: a separator never cuts a character.
void tokenize(header* first, header* s, const char* separators) {
    const char* text = stringOf(s);
    const bool utf8 = isUtf8Text(s);
    auto skipSeparators = [&] {
        while (size_t n = separatorAt(text, separators, utf8)) text += n;
    };
    StackText vector(kindStringMatrix);
    skipSeparators();
    do {
        const char* end = text;
        while (*end && !separatorAt(end, separators, utf8)) end += characterLength(end, utf8);
        vector.append(text, size_t(end - text));
        vector.endItem();
        text = end;
        skipSeparators();
    } while (*text && !vector.failed());
    header* result = vector.finish(utf8FlagOf(s));
    if (result) moveResult(first, result);
}

constexpr Signature strtokensSignature = {.builtin = "strtokens",
                                          .need = "two strings",
                                          .rules = {text, {takesString, Presence::optional}},
                                          .order = CheckOrder::asResolved};

// strtokens(s) and strtokens(s, separators).
void builtinStrtokens(header* first) {
    const Arguments a(first, strtokensSignature);
    if (!a) return;
    tokenize(first, a[0], a.given(1) ? a.text(1) : ";, \t");
}

// --- case ------------------------------------------------------------------------

// Unicode's simple case mapping (one character for one, so "ß" stays),
// from the C library's UTF-8 locale whatever the user's locale is; ASCII
// only if that locale is missing.
locale_t unicodeCaseLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    return locale;
}

int mapCase(int code, bool upper) {
    if (code < 0x80 || !unicodeCaseLocale()) {
        if (upper && code >= 'a' && code <= 'z') return code - ('a' - 'A');
        if (!upper && code >= 'A' && code <= 'Z') return code + ('a' - 'A');
        return code;
    }
    const wint_t c = wint_t(code);
    return int(upper ? towupper_l(c, unicodeCaseLocale()) : towlower_l(c, unicodeCaseLocale()));
}

// In a single-byte code page only the ASCII letters change; in UTF-8 text
// every letter with a case does, and bytes that are not UTF-8 stay.
constexpr Signature tolowerSignature = {"tolower", "string", {text}};
constexpr Signature toupperSignature = {"toupper", "string", {text}};

void changeCase(header* first, const Signature& signature, bool upper) {
    const Arguments a(first, signature);
    if (!a) return;
    header* s = a[0];
    const bool utf8 = isUtf8Text(s);
    const char* text = stringOf(s);
    StackText result(kindString);
    while (*text && !result.failed()) {
        int length;
        const int code = characterCode(text, utf8, &length);
        char* out = result.reserve(4);
        if (!out) return;
        if (utf8 && (length > 1 || code < 0x80)) {
            result.advance(size_t(appendUtf8(mapCase(code, upper), out) - out));
        } else {
            *out = code < 0x80 ? char(mapCase(code, upper)) : *text;
            result.advance(1);
        }
        text += length;
    }
    finishString(first, result, utf8FlagOf(s));
}

void builtinTolower(header* first) { changeCase(first, tolowerSignature, false); }
void builtinToupper(header* first) { changeCase(first, toupperSignature, true); }

const BuiltinRecord rows[] = {
    {"strfind", 2, 0, builtinStrfind},     {"strfind", 3, 0, builtinStrfind},
    {"strlen", 1, 0, builtinStrlen},       {"strrepl", 3, 0, builtinStrrepl},
    {"strtokens", 1, 0, builtinStrtokens}, {"strtokens", 2, 0, builtinStrtokens},
    {"substring", 3, 0, builtinSubstring}, {"tolower", 1, 0, builtinTolower},
    {"toupper", 1, 0, builtinToupper},
};

}  // namespace

KALIX_BUILTIN_FAMILY(stringBuiltins, rows);

}  // namespace kalix
