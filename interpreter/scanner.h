// Line sources and the scanner. The interpreter keeps one scan position,
// `scanPointer`, in the text it executes: the line buffer `inputLine`
// (filled from the program file being loaded or from the host), a stored
// user-function body, or a string being evaluated. Every parser routine
// reads forward from it.
#pragma once

#include <cstdio>

#include "interpreter/state.h"
#include "platform/host.h"

namespace kalix {

constexpr int fileLineLimit = 1023;  // bytes of one program-file line

// Bytes of stored function bodies: each line ends with 0, the body with
// `endOfBody`; a number is `numberToken` and 8 bytes of double, a command
// `commandToken`, a 32-bit command index and a 32-bit jump cache.
constexpr char endOfBody = 1;
constexpr char numberToken = 2;
constexpr char commandToken = 3;
// Bytes of a number or command token (the token byte and 8 bytes), and the
// offset of the jump cache in a command token.
constexpr int tokenSize = 9;
constexpr int tokenCacheOffset = 5;

// '0'-'9'; any other byte or value (EOF) is not a digit.
inline bool isDigit(int c) { return c >= '0' && c <= '9'; }

// --- characters of names and signs ------------------------------------------
// In code page 65001 a character is a UTF-8 sequence, and the byte rules of
// the language apply to characters, so that a program means the same as in
// 1252: a letter is a character from U+00C2 up (the bytes 0xC2-0xFF) or the
// hard space, and the degree sign, plus-minus and the hard space are
// U+00B0, U+00B1 and U+00A0. Each test below takes a position and answers
// with the bytes of the character it found there (0: none); ASCII text is
// decided inline.

// Bytes of the letter at `p` whose first byte is not ASCII; 0 when none.
int wideLetterLength(const char* p);

inline bool isAsciiLetter(unsigned char u) { return (u | 0x20) >= 'a' && (u | 0x20) <= 'z'; }

// Bytes of the letter at `p`: 'A'-'Z', 'a'-'z', a byte 0xC2-0xFF or
// `hardSpaceCode` (in UTF-8 a character from U+00C2 up or U+00A0); 0 when
// none stands there.
inline int letterLength(const char* p) {
    unsigned char u = static_cast<unsigned char>(*p);
    if (u < 0x80) return isAsciiLetter(u) ? 1 : 0;
    return wideLetterLength(p);
}
inline bool isLetterAt(const char* p) { return letterLength(p) != 0; }

// Bytes of the name character at `p` (a letter, a digit, '_' or '$'); 0
// when none stands there.
inline int nameCharLength(const char* p) {
    unsigned char u = static_cast<unsigned char>(*p);
    if (u < 0x80) return isAsciiLetter(u) || isDigit(u) || u == '_' || u == '$' ? 1 : 0;
    return wideLetterLength(p);
}

// The end of the run of letters at `p` (with `digits`, of letters and
// digits); of name characters for endOfName. From the first byte beyond
// ASCII on the run is followed out of line.
const char* endOfWideLetters(const char* p, bool digits);
inline const char* endOfLetters(const char* p, bool digits) {
    for (;; p++) {
        auto u = static_cast<unsigned char>(*p);
        if (u >= 0x80) return endOfWideLetters(p, digits);
        if (!isAsciiLetter(u) && !(digits && isDigit(u))) return p;
    }
}
inline char* endOfLetters(char* p, bool digits) {
    return const_cast<char*>(endOfLetters(static_cast<const char*>(p), digits));
}
inline const char* endOfName(const char* p) {
    for (int length; (length = nameCharLength(p));) p += length;
    return p;
}

// Whether the character that ends right before `p` is a name character;
// `start` is where the text begins (false at it).
bool nameCharBefore(const char* start, const char* p);

// Bytes of the character at `p` that 1252 writes as the byte `latin`
// (0xA0-0xBF): that byte in a single-byte code page, C2 and that byte in
// UTF-8; 0 when another character stands there.
inline int latinSignLength(const char* p, unsigned char latin) {
    if (static_cast<unsigned char>(*p) < 0x80) return 0;
    if (!systemCodePageIsUtf8) return static_cast<unsigned char>(*p) == latin ? 1 : 0;
    return p[0] == '\xC2' && static_cast<unsigned char>(p[1]) == latin ? 2 : 0;
}
inline int degreeSignLength(const char* p) { return latinSignLength(p, 0xB0); }
inline int plusMinusLength(const char* p) { return latinSignLength(p, 0xB1); }
// The hard space: `hardSpaceCode` in a single-byte code page (none when 0).
inline int hardSpaceLength(const char* p) {
    if (!systemCodePageIsUtf8) return *p == hardSpaceCode && hardSpaceCode != 0 ? 1 : 0;
    return latinSignLength(p, 0xA0);
}

// Whether `text` begins with `prefix`. A plain loop: the prefixes are short
// literals, tested at every token, and this folds to a few compares.
inline bool hasPrefix(const char* text, const char* prefix) {
    for (; *prefix; text++, prefix++)
        if (*text != *prefix) return false;
    return true;
}

// The length of `prefix` where `text` begins with it, else 0: the step
// over it.
inline int prefixLength(const char* text, const char* prefix) {
    int n = 0;
    for (; prefix[n]; n++)
        if (text[n] != prefix[n]) return 0;
    return n;
}

// Steps `text` over `prefix` where it begins with it; whether it did.
inline bool skipPrefix(char*& text, const char* prefix) {
    int n = prefixLength(text, prefix);
    text += n;
    return n != 0;
}

// Fetches the next line: the next body line inside a function, else the
// next file or host line into `inputLine`, joined with following lines
// ending in " ..." unless `noJoin`.
void nextInputLine(int noJoin);
void nextLine();
// Next line that is neither empty nor a "//" comment (definition readers).
void nextCodeLine();

// Reads one line of `loadFile` into `buffer` (at least fileLineLimit + 1
// bytes). At the end of the file stores the end-of-body byte, closes the
// file and sets `loadFile` to null.
void readFileLine(char* buffer);
// Where the next line is to be appended (over " ..." or the " // "
// comment before it), or null.
char* findContinuation(char* line);

// Skips blanks, tabs, ".." continuations and comments; returns 1 when it
// stood on a blank (or on ".." at the top level), 2 when fetching a line
// failed, else 0. Runs before every token, so blanks before an ordinary
// byte are skipped here and only the rest goes to skipBlanksAndComments.
int skipBlanksAndComments(int crossLines);
inline bool mayStartSkip(char c) {
    return c == ' ' || c == '\t' || c == '.' || c == '/' || c == '#' || c == 0;
}
inline int skipBlanks(int crossLines = 0) {
    if (!mayStartSkip(*scanPointer)) return 0;
    int blanks = *scanPointer == ' ' || *scanPointer == '\t';
    while (*scanPointer == ' ' || *scanPointer == '\t') scanPointer++;
    if (blanks && !mayStartSkip(*scanPointer)) return 1;
    int skipped = skipBlanksAndComments(crossLines);
    return skipped == 2 || !blanks ? skipped : 1;
}
// Blanks and tabs only; returns whether any were skipped.
int skipSpaces();

// A name into `buffer` of `size` bytes (at most size - 2 characters).
// On failure the name is empty and errorCode is 11; `report` prints the
// message.
void scanNameN(char* buffer, int size, int report);
void scanName(char* buffer, int report = 1);
// A file name: quoted, or up to a blank, ",", ";" or a control byte.
void scanFileName(char* buffer, int size);

}  // namespace kalix
