// Regular expressions: `strxfind` (the first match and its groups) and
// `strxrepl` (every match replaced). Patterns follow the ECMAScript rules
// as far as PCRE2 can be told to; the matcher runs under a match and heap
// limit, so a pathological pattern ends with an error, never a crash.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstring>
#include <string>

#include "base/text.h"
#include "builtins/builtin_helpers.h"
#include "builtins/text_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/shared_library.h"
#include "platform/host.h"

namespace kalix {

namespace {

// PCRE2, opened when the first pattern is compiled.
struct Pcre2Library {
    decltype(&pcre2_compile) compile;
    decltype(&pcre2_code_free) codeFree;
    decltype(&pcre2_pattern_info) patternInfo;
    decltype(&pcre2_match_data_create_from_pattern) matchDataCreate;
    decltype(&pcre2_match_data_free) matchDataFree;
    decltype(&pcre2_match_context_create) matchContextCreate;
    decltype(&pcre2_match_context_free) matchContextFree;
    decltype(&pcre2_set_match_limit) setMatchLimit;
    decltype(&pcre2_set_heap_limit) setHeapLimit;
    decltype(&pcre2_match) match;
    decltype(&pcre2_get_ovector_pointer) ovector;
};

bool openPcre2(Pcre2Library& f, std::string& error) {
    return openSharedLibrary(
        {"libpcre2-8.so.0"},
        {librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_compile), f.compile),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_code_free), f.codeFree),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_pattern_info), f.patternInfo),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_match_data_create_from_pattern),
                       f.matchDataCreate),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_match_data_free), f.matchDataFree),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_match_context_create), f.matchContextCreate),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_match_context_free), f.matchContextFree),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_set_match_limit), f.setMatchLimit),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_set_heap_limit), f.setHeapLimit),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_match), f.match),
         librarySymbol(LIBRARY_SYMBOL_NAME(pcre2_get_ovector_pointer), f.ovector)},
        error);
}

LibraryTable<Pcre2Library> pcre2Library(openPcre2);

constexpr uint32_t matchLimit = 10000000;
constexpr uint32_t heapLimitKilobytes = 65536;
constexpr int escapePollInterval = 1024;

// ECMAScript-like behaviour: "$" only at the very end, "[^]" any character,
// "\u" escapes, and a back reference to an unset group matches nothing.
constexpr uint32_t compileOptions =
    PCRE2_DOLLAR_ENDONLY | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF;
// UTF-8 text is matched by characters, with Unicode's letters and digits in
// "\w", "\d" and the classes.
constexpr uint32_t utf8Options = PCRE2_UTF | PCRE2_UCP;

// The message of a compile error by its kind.
const char* compileErrorText(int code) {
    switch (code) {
        case PCRE2_ERROR_POSIX_NO_SUPPORT_COLLATING:
            return "Invalid collating element name.\n";
        case PCRE2_ERROR_POSIX_CLASS_NOT_IN_CLASS:
        case PCRE2_ERROR_UNKNOWN_POSIX_CLASS:
            return "Invalid character class name.\n";
        case PCRE2_ERROR_BAD_SUBPATTERN_REFERENCE:
        case PCRE2_ERROR_ZERO_RELATIVE_REFERENCE:
        case PCRE2_ERROR_BAD_RELATIVE_REFERENCE:
        case PCRE2_ERROR_SUBPATTERN_NUMBER_TOO_BIG:
            return "Invalid backward reference.\n";
        case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
            return "Invalid bracket.\n";
        case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
        case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS:
        case PCRE2_ERROR_MISSING_CONDITION_CLOSING:
        case PCRE2_ERROR_MISSING_COMMENT_CLOSING:
        case PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY:
        case PCRE2_ERROR_UNRECOGNIZED_AFTER_QUERY_P:
        case PCRE2_ERROR_MISSING_CALLOUT_CLOSING:
        case PCRE2_ERROR_PARENS_QUERY_R_MISSING_CLOSING:
        case PCRE2_ERROR_MISSING_NAME_TERMINATOR:
        case PCRE2_ERROR_INVALID_SUBPATTERN_NAME:
        case PCRE2_ERROR_SUBPATTERN_NAME_EXPECTED:
        case PCRE2_ERROR_VERB_UNKNOWN:
            return "Invalid parenthesis.\n";
        case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
        case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
            return "Invalid range specifier in braces.\n";
        case PCRE2_ERROR_CLASS_RANGE_ORDER:
        case PCRE2_ERROR_CLASS_INVALID_RANGE:
            return "Invalid character range.\n";
        case PCRE2_ERROR_HEAP_FAILED:
            return "Insufficient memory.\n";
        case PCRE2_ERROR_QUANTIFIER_INVALID:
        case PCRE2_ERROR_INTERNAL_UNEXPECTED_REPEAT:
            return "Invalid repeat specifier\n";
        case PCRE2_ERROR_END_BACKSLASH:
        case PCRE2_ERROR_END_BACKSLASH_C:
        case PCRE2_ERROR_UNKNOWN_ESCAPE:
        case PCRE2_ERROR_ESCAPE_INVALID_IN_CLASS:
        case PCRE2_ERROR_CODE_POINT_TOO_BIG:
        case PCRE2_ERROR_UNSUPPORTED_ESCAPE_SEQUENCE:
        case PCRE2_ERROR_ESCAPE_INVALID_IN_VERB:
        case PCRE2_ERROR_OCTAL_BYTE_TOO_BIG:
        case PCRE2_ERROR_BACKSLASH_O_MISSING_BRACE:
        case PCRE2_ERROR_BACKSLASH_G_SYNTAX:
        case PCRE2_ERROR_INVALID_OCTAL:
        case PCRE2_ERROR_INVALID_HEXADECIMAL:
        case PCRE2_ERROR_BACKSLASH_C_SYNTAX:
        case PCRE2_ERROR_BACKSLASH_K_SYNTAX:
        case PCRE2_ERROR_BACKSLASH_N_IN_CLASS:
        case PCRE2_ERROR_BACKSLASH_U_CODE_POINT_TOO_BIG:
        case PCRE2_ERROR_MISSING_OCTAL_OR_HEX_DIGITS:
        case PCRE2_ERROR_BACKSLASH_C_CALLER_DISABLED:
        case PCRE2_ERROR_BACKSLASH_C_LIBRARY_DISABLED:
        case PCRE2_ERROR_BACKSLASH_K_IN_LOOKAROUND:
            return "Invalid escaped character.\n";
        default:
            return "Too complex.\n";
    }
}

// The message of a failed match (other than no match).
const char* matchErrorText(int code) {
    switch (code) {
        case PCRE2_ERROR_MATCHLIMIT:
        case PCRE2_ERROR_DEPTHLIMIT:
        case PCRE2_ERROR_HEAPLIMIT:
            return "Out of stack.\n";
        case PCRE2_ERROR_NOMEMORY:
            return "Insufficient memory.\n";
        default:
            return "Too complex.\n";
    }
}

void reportPatternError(const char* text, const char* pattern) {
    printText(text);
    fail(errorFailed, "Error in regular expression\n%s\n", pattern);
}

// A compiled pattern with its match data and limits; `ok` is false after
// a reported error.
class Regex {
  public:
    // `utf8`: the `subject` is UTF-8 text; a pattern that is not UTF-8 is
    // then matched by bytes. A subject that is UTF-8 is checked here once
    // (PCRE2 would check the rest of it on every search); in one that is
    // not, its bytes that are no character match nothing.
    Regex(const char* pattern, bool utf8, const char* subject) : pattern_(pattern) {
        pcre2_ = pcre2Library.get();
        if (!pcre2_) {
            fail(errorFailed, "Could not open PCRE2: %s\n", pcre2Library.error().c_str());
            return;
        }
        const Pcre2Library& pcre2 = *pcre2_;
        int code;
        PCRE2_SIZE offset;
        uint32_t options = compileOptions;
        if (utf8 && isValidUtf8(pattern, std::strlen(pattern))) {
            options |= utf8Options;
            if (isValidUtf8(subject, std::strlen(subject)))
                matchOptions_ = PCRE2_NO_UTF_CHECK;
            else
                options |= PCRE2_MATCH_INVALID_UTF;
        }
        code_ = pcre2.compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, options,
                              &code, &offset, nullptr);
        if (!code_) {
            reportPatternError(compileErrorText(code), pattern);
            return;
        }
        data_ = pcre2.matchDataCreate(code_, nullptr);
        context_ = pcre2.matchContextCreate(nullptr);
        if (!data_ || !context_) {
            reportPatternError("Insufficient memory.\n", pattern);
            return;
        }
        pcre2.setMatchLimit(context_, matchLimit);
        pcre2.setHeapLimit(context_, heapLimitKilobytes);
        uint32_t groups = 0;
        pcre2.patternInfo(code_, PCRE2_INFO_CAPTURECOUNT, &groups);
        groups_ = int(groups);
    }
    ~Regex() {
        if (!pcre2_) return;
        pcre2_->matchContextFree(context_);
        pcre2_->matchDataFree(data_);
        pcre2_->codeFree(code_);
    }
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;

    bool ok() const { return context_ && data_ && !errorCode; }
    int groups() const { return groups_; }

    // Searches the subject (or its end from a character) from `start`, a
    // character; true on a match, false on none or on an error (then
    // reported).
    bool match(const char* subject, size_t length, size_t start, uint32_t options = 0) {
        int rc = pcre2_->match(code_, reinterpret_cast<PCRE2_SPTR>(subject), length, start,
                               options | matchOptions_, data_, context_);
        if (rc >= 0) return true;
        if (rc != PCRE2_ERROR_NOMATCH) reportPatternError(matchErrorText(rc), pattern_);
        return false;
    }

    // Group k of the last match (0: the whole match); an unset group is
    // empty, at the match start.
    size_t groupStart(int k) const {
        PCRE2_SIZE* v = pcre2_->ovector(data_);
        return v[2 * k] == PCRE2_UNSET ? v[0] : v[2 * k];
    }
    size_t groupLength(int k) const {
        PCRE2_SIZE* v = pcre2_->ovector(data_);
        return v[2 * k] == PCRE2_UNSET ? 0 : v[2 * k + 1] - v[2 * k];
    }

  private:
    const char* pattern_;
    const Pcre2Library* pcre2_ = nullptr;
    pcre2_code* code_ = nullptr;
    pcre2_match_data* data_ = nullptr;
    pcre2_match_context* context_ = nullptr;
    int groups_ = 0;
    uint32_t matchOptions_ = 0;
};

// --- strxfind ----------------------------------------------------------------

// The text and the pattern are both resolved before either is checked; a
// start position or a replacement is resolved only after that check, by a
// signature of its own.
constexpr ArgumentRule text = {takesString};
constexpr const char* strxfindNeed = "string, substring, start position";
constexpr Signature strxfindSignature = {"strreg", strxfindNeed, {text, text}};
constexpr Signature strxfindStartSignature = {"strreg", strxfindNeed, {{takesReal}}};

// The match, its text and the vector of its groups, or 0 when none.
// Positions count characters, as in strfind.
void findMatch(header* first, header* s, header* pattern, int64_t start) {
    const SearchStart at = searchStart(s, start);
    const bool utf8 = at.utf8;
    Regex regex(stringOf(pattern), utf8, at.text);
    if (!regex.ok()) return;
    const char* subject = at.text + at.from;
    if (at.offset > at.length || !regex.match(subject, at.bytes - at.from, 0)) {
        if (errorCode) return;
        header* none = pushReal(0);
        if (!errorCode) moveResult(first, none);
        return;
    }
    const size_t before = characterCount(subject, regex.groupStart(0), utf8);
    header* position = pushReal(double(at.offset + int64_t(before) + 1));
    if (errorCode) return;
    header* whole = pushString(subject + regex.groupStart(0), int64_t(regex.groupLength(0)));
    if (errorCode) return;
    whole->flags = utf8FlagOf(s);
    StackText groups(kindStringMatrix);
    for (int k = 1; k <= regex.groups(); k++) {
        groups.append(subject + regex.groupStart(k), regex.groupLength(k));
        groups.endItem();
    }
    if (!groups.finish(utf8FlagOf(s))) return;
    moveResults(first, position);
}

// strxfind(s, pattern) and strxfind(s, pattern, start).
void builtinStrxfind(header* first) {
    header* third = countArguments(first) > 2 ? nextValue(nextValue(first)) : nullptr;
    const Arguments a(first, strxfindSignature);
    if (!a) return;
    int64_t start = 1;
    if (third) {
        const Arguments b(third, strxfindStartSignature);
        if (!b) return;
        if (!readTextPosition(b[0], &start)) return b.refuse();
    }
    findMatch(first, a[0], a[1], start);
}

// --- strxrepl ----------------------------------------------------------------

// Appends the replacement for the current match: "$&" the match, "$`" the
// text before it, "$'" the text after it, "$n" and "$nn" a group (the
// longest number that names a group), "$$" a dollar sign.
void appendReplacement(StackText& out, const char* replacement, const Regex& regex,
                       const char* subject, size_t length) {
    for (const char* p = replacement; *p && !out.failed(); p++) {
        if (*p != '$' || !p[1]) {
            out.append(*p);
            continue;
        }
        char c = p[1];
        size_t start = regex.groupStart(0), matched = regex.groupLength(0);
        if (c == '$') {
            out.append('$');
        } else if (c == '&') {
            out.append(subject + start, matched);
        } else if (c == '`') {
            out.append(subject, start);
        } else if (c == '\'') {
            out.append(subject + start + matched, length - start - matched);
        } else if (c >= '0' && c <= '9') {
            int group = c - '0';
            if (p[2] >= '0' && p[2] <= '9' && group * 10 + (p[2] - '0') <= regex.groups()) {
                group = group * 10 + (p[2] - '0');
                p++;
            } else if (group > regex.groups()) {
                out.append(*p);
                continue;
            }
            out.append(subject + regex.groupStart(group), regex.groupLength(group));
        } else {
            out.append(*p);
            continue;
        }
        p++;
    }
}

constexpr const char* strxreplNeed = "string, search string and replacement";
constexpr Signature strxreplSignature = {"strrepl", strxreplNeed, {text, text}};
constexpr Signature replacementSignature = {"strrepl", strxreplNeed, {text}};

void builtinStrxrepl(header* first) {
    header* third = nextValue(nextValue(first));
    const Arguments a(first, strxreplSignature);
    if (!a) return;
    const Arguments r(third, replacementSignature);
    if (!r) return;
    header *s = a[0], *pattern = a[1], *replacement = r[0];
    const bool utf8 = isUtf8Text(s);
    const char* subject = stringOf(s);
    Regex regex(stringOf(pattern), utf8, subject);
    if (!regex.ok()) return;
    size_t length = std::strlen(subject);
    StackText out(kindString);
    size_t position = 0;  // the text before it is written
    size_t searchFrom = 0;
    uint32_t options = 0;
    int polls = 0;
    while (!out.failed()) {
        if (!regex.match(subject, length, searchFrom, options)) {
            if (errorCode) return;
            if (options == 0) break;
            // No non-empty match where the empty one was: step one character.
            if (searchFrom >= length) break;
            searchFrom += size_t(characterLength(subject + searchFrom, utf8));
            options = 0;
            continue;
        }
        size_t start = regex.groupStart(0), end = start + regex.groupLength(0);
        out.append(subject + position, start - position);
        appendReplacement(out, stringOf(replacement), regex, subject, length);
        position = searchFrom = end;
        // After an empty match, the next one may not be empty at the same place.
        options = start == end ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
        if (++polls == escapePollInterval) {
            polls = 0;
            if (checkEscape()) {
                errorCode = errorFailed;
                return;
            }
        }
    }
    out.append(subject + position, length - position);
    header* result = out.finish(utf8FlagOf(s) | utf8FlagOf(replacement));
    if (result) moveResult(first, result);
}

const BuiltinRecord rows[] = {
    {"strxfind", 2, 0, builtinStrxfind},
    {"strxfind", 3, 0, builtinStrxfind},
    {"strxrepl", 3, 0, builtinStrxrepl},
};

}  // namespace

KALIX_BUILTIN_FAMILY(regularExpressionBuiltins, rows);

}  // namespace kalix
