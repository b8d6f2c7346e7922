// Text conversions between UTF-8 and the program's code page, and UTF-8
// characters one at a time.
#pragma once

#include <string>

// Conversions, each into a 64 KB buffer of its own (valid until the next
// call of the same function); null when the conversion fails. A character
// the target cannot hold becomes "?".
const char* utf8ToAnsi(const char* text);
const char* ansiToUtf8(const char* text);
// The same conversions into a string of any length, for the host's edges.
void codePageToUtf8(const char* text, std::string& out);
void utf8ToCodePage(const char* text, std::string& out);
// As utf8ToCodePage; returns how many characters became "?".
int utf8ToCodePageLosing(const char* text, std::string& out);
int codePageIsUtf8();
// Selects the code page of the program's 8-bit text (65001 for UTF-8);
// returns 0 when the code page is not known.
int selectCodePage(int codePageNumber);
// The code page for a character set name of the C library (UTF-8 and plain
// ASCII: 65001; Latin-1: 1252; ISO-8859-n, KOI8: their single-byte pages;
// a multi-byte set: 65001), and the one for the current LC_CTYPE locale.
int codePageOfCharset(const char* charset);
int localeCodePage();
// Writes the code point as UTF-8 at `destination`; returns the end.
char* appendUtf8(int codePoint, char* destination);
// Reads one code point at `text` into `*code` and returns the position after
// it. Stops early, without consuming it, at a 0 continuation byte.
const char* decodeUtf8Char(const char* text, int* code);
