// Services of the notebook and help that the interpreter calls: images in
// the notebook, help, the output line length and the text conversions
// between UTF-8 and the program's code page.
#pragma once

#include <string>

// Characters per output line.
extern int lineLength;

// Function-key texts: slot k for function key k (1..10; slot 0 unused).
constexpr int functionKeyCount = 10;
constexpr int functionKeyTextSize = 64;
extern char functionKeyTexts[functionKeyCount + 1][functionKeyTextSize];
void clearFunctionKeys();

// Inserts the current graphics after the current command as an image of
// `lineCount` text lines.
// antialias 1; crop rectangle top, bottom, left, right (0, 1, 0, 1 whole).
void insertGraphicsImage(int lineCount, const char* text, int antialias, double top, double bottom,
                         double left, double right);
// Loads a PNG file into the notebook as an image of `lineCount` lines.
void insertImageFile(int lineCount, const char* path, double scale, int mode, const char* text,
                     int flags);
// Help on the name at the scan position (prefix "?? ", command `help`).
void showHelp(int flag);

// Conversions, each into a 64 KB buffer of its own (valid until the next
// call of the same function); null when the conversion fails. A character
// the target cannot hold becomes "?".
const char* utf8ToAnsi(const char* text);
const char* ansiToUtf8(const char* text);
// The same conversions into a string of any length, for the host's edges.
void codePageToUtf8(const char* text, std::string& out);
void utf8ToCodePage(const char* text, std::string& out);
int codePageIsUtf8();
// Selects the code page of the program's 8-bit text (1252 by default,
// 65001 for UTF-8); returns 0 when the code page is not known.
int selectCodePage(int codePageNumber);
// Writes the code point as UTF-8 at `destination`; returns the end.
char* appendUtf8(int codePoint, char* destination);
