// String builtins: length, search, substrings, replacement, tokens and
// case. Positions count bytes from 1; a negative position counts from the
// end. Results made from the bytes of a UTF-8 text keep its UTF-8 flag.
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
    double length = 0;
    if (utf8FlagOf(s)) {
        int code;
        while (*text) {
            text = decodeUtf8Char(text, &code);
            length++;
        }
    } else {
        length = double(std::strlen(text));
    }
    header* result = pushReal(length);
    if (!errorCode) moveResult(first, result);
}

// --- strfind -----------------------------------------------------------------

constexpr const char* strfindWhat = "string, substring, start position";

void findFrom(header* first, header* s, header* sub, int64_t start) {
    const char* text = stringOf(s);
    int64_t length = int64_t(std::strlen(text));
    int64_t offset = searchOffset(start, length);
    double position = 0;
    if (offset < length) {
        const char* needle = stringOf(sub);
        const char* found =
            findText(text + offset, size_t(length - offset), needle, std::strlen(needle));
        if (found) position = double(found - text + 1);
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
    int64_t n = int64_t(std::strlen(stringOf(s)));
    int64_t firstIndex = a >= 0 ? a - 1 : n + a;
    if (firstIndex < 0) firstIndex = 0;
    int64_t lastIndex = b >= 0 ? b - 1 : n + b;
    if (lastIndex >= n) lastIndex = n - 1;
    int64_t count = lastIndex < firstIndex ? 0 : lastIndex - firstIndex + 1;
    header* result = pushString(stringOf(s) + (count ? firstIndex : 0), count);
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
    const char* text = stringOf(v[0]);
    const char* end = text + std::strlen(text);
    // A text stored below the arguments lets the result take their place.
    bool below = !recordOnStack(v[0]) || endOf(v[0]) <= reinterpret_cast<char*>(first);
    StackText result = below ? StackText(kindString, first) : StackText(kindString);
    int polls = 0;
    while (!result.failed()) {
        const char* found = findText(text, size_t(end - text), search.data(), search.size());
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

void tokenize(header* first, header* s, const char* separators) {
    const char* text = stringOf(s);
    StackText vector(kindStringMatrix);
    text += std::strspn(text, separators);
    do {
        size_t length = std::strcspn(text, separators);
        vector.append(text, length);
        vector.endItem();
        text += length;
        text += std::strspn(text, separators);
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

// Only the ASCII letters change, whatever the locale.
void changeCase(header* first, const char* name, char from, int shift) {
    header* s;
    if (!resolveStrings(first, 1, &s, "string", name)) return;
    StackText result(kindString);
    if (!result.append(stringOf(s), std::strlen(stringOf(s)))) return;
    for (char* p = result.begin(); p < result.end(); p++)
        if (*p >= from && *p < from + 26) *p = char(*p + shift);
    finishString(first, result, utf8FlagOf(s));
}

void builtinTolower(header* first) { changeCase(first, "tolower", 'A', 'a' - 'A'); }
void builtinToupper(header* first) { changeCase(first, "toupper", 'a', 'A' - 'a'); }

const BuiltinRecord rows[] = {
    {"strfind", 2, 0, builtinStrfind},     {"strfind", 3, 0, builtinStrfindFrom},
    {"strlen", 1, 0, builtinStrlen},       {"strrepl", 3, 0, builtinStrrepl},
    {"strtokens", 1, 0, builtinStrtokens}, {"strtokens", 2, 0, builtinStrtokensWith},
    {"substring", 3, 0, builtinSubstring}, {"tolower", 1, 0, builtinTolower},
    {"toupper", 1, 0, builtinToupper},
};

}  // namespace

KALIX_BUILTIN_FAMILY(stringBuiltins, rows);
