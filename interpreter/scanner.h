// Line sources and the scanner. The interpreter keeps one scan position,
// `scanPointer`, in the text it executes: the line buffer `inputLine`
// (filled from the program file being loaded or from the host), a stored
// user-function body, or a string being evaluated. Every parser routine
// reads forward from it.
#pragma once

#include <cstdio>

#include "interpreter/state.h"

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

// 'A'-'Z', 'a'-'z', bytes 0xC2-0xFF and `hardSpaceCode`.
inline bool isLetter(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0xC2 ||
           (c == hardSpaceCode && c != 0);
}

// '0'-'9'; any other byte or value (EOF) is not a digit.
inline bool isDigit(int c) { return c >= '0' && c <= '9'; }

// A letter, a digit, '_' or '$': the bytes of a name after its first.
inline bool isNameChar(char c) { return isLetter(c) || isDigit(c) || c == '_' || c == '$'; }

// Whether `text` begins with `prefix`. A plain loop: the prefixes are short
// literals, tested at every token, and this folds to a few compares.
inline bool hasPrefix(const char* text, const char* prefix) {
    for (; *prefix; text++, prefix++)
        if (*text != *prefix) return false;
    return true;
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
