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

namespace {

// Resolves `count` arguments from `first` into `values`; false when one
// failed or is not a string (then with "Need <what> for <name>").
bool resolveStrings(header* first, int count, header** values, const char* what, const char* name) {
    header* argument = first;
    for (int i = 0; i < count; i++, argument = nextValue(argument)) {
        values[i] = stringArgument(argument, what, name);
        if (!values[i]) return false;
    }
    return true;
}

void finishString(header* first, StackText& text, int32_t flags) {
    header* result = text.finish(flags);
    if (result) moveResult(first, result);
}

// --- strlen ----------------------------------------------------------------

void builtinStrlen(header* first) {
    header* s;
    if (!resolveStrings(first, 1, &s, "string", "strlen")) return;
    const char* text = stringOf(s);
    header* result = pushReal(double(characterCount(text, std::strlen(text), isUtf8Text(s))));
    if (!errorCode) moveResult(first, result);
}

// --- strfind -----------------------------------------------------------------

constexpr const char* strfindWhat = "string, substring, start position";

void findFrom(header* first, header* s, header* sub, int64_t start) {
    const char* text = stringOf(s);
    const bool utf8 = isUtf8Text(s);
    const size_t bytes = std::strlen(text);
    int64_t length = int64_t(characterCount(text, bytes, utf8));
    int64_t offset = searchOffset(start, length);
    double position = 0;
    if (offset < length) {
        const size_t from = characterOffset(text, size_t(offset), utf8);
        const char* needle = stringOf(sub);
        size_t before;
        if (findCharacters(text + from, bytes - from, needle, std::strlen(needle), utf8, &before))
            position = double(offset + int64_t(before) + 1);
    }
    header* result = pushReal(position);
    if (!errorCode) moveResult(first, result);
}

void builtinStrfind(header* first) {
    header* values[2];
    if (!resolveStrings(first, 2, values, strfindWhat, "strfind")) return;
    findFrom(first, values[0], values[1], 1);
}

void builtinStrfindFrom(header* first) {
    header* values[2];
    header* third = nextValue(nextValue(first));
    if (!resolveStrings(first, 2, values, strfindWhat, "strfind")) return;
    header* startValue = resolveValue(third);
    if (errorCode) return;
    int64_t start;
    if (!readTextPosition(startValue, &start)) {
        reportNeed(strfindWhat, "strfind");
        return;
    }
    findFrom(first, values[0], values[1], start);
}

// --- substring -----------------------------------------------------------------

void builtinSubstring(header* first) {
    header* second = nextValue(first);
    header* third = nextValue(second);
    header* s = resolveValue(first);
    if (errorCode) return;
    header* from = resolveValue(second);
    if (errorCode) return;
    header* to = resolveValue(third);
    if (errorCode) return;
    int64_t a, b;
    if (s->kind != kindString || !readTextPosition(from, &a) || !readTextPosition(to, &b)) {
        reportNeed("string and two integers", "substring");
        return;
    }
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

void builtinStrrepl(header* first) {
    header* v[3];
    const char* what = "string, search string and replacement";
    if (!resolveStrings(first, 3, v, what, "strrepl")) return;
    // An empty search text matches everywhere without advancing.
    if (!stringOf(v[1])[0]) {
        reportNeed(what, "strrepl");
        return;
    }
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

void builtinStrtokens(header* first) {
    header* s;
    if (!resolveStrings(first, 1, &s, "two strings", "strtokens")) return;
    tokenize(first, s, ";, \t");
}

void builtinStrtokensWith(header* first) {
    header* v[2];
    if (!resolveStrings(first, 2, v, "two strings", "strtokens")) return;
    tokenize(first, v[0], stringOf(v[1]));
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
void changeCase(header* first, const char* name, bool upper) {
    header* s;
    if (!resolveStrings(first, 1, &s, "string", name)) return;
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

void builtinTolower(header* first) { changeCase(first, "tolower", false); }
void builtinToupper(header* first) { changeCase(first, "toupper", true); }

const BuiltinRecord rows[] = {
    {"strfind", 2, 0, builtinStrfind},     {"strfind", 3, 0, builtinStrfindFrom},
    {"strlen", 1, 0, builtinStrlen},       {"strrepl", 3, 0, builtinStrrepl},
    {"strtokens", 1, 0, builtinStrtokens}, {"strtokens", 2, 0, builtinStrtokensWith},
    {"substring", 3, 0, builtinSubstring}, {"tolower", 1, 0, builtinTolower},
    {"toupper", 1, 0, builtinToupper},
};

}  // namespace

KALIX_BUILTIN_FAMILY(stringBuiltins, rows);
