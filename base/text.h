// Text conversions between UTF-8 and the program's code page, and UTF-8
// characters one at a time.
#pragma once

#include <cstddef>
#include <string>

namespace kalix {

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
// Code page 1252 whatever code page is selected: notebooks of older
// versions were written in it, and the PostScript fonts of EPS files are
// encoded in it. The code point of a byte (the five bytes 1252 leaves
// undefined stand for the control codes of the same number), and the byte
// of a code point (-1 when 1252 has none).
int codePage1252Code(unsigned char byte);
int codePage1252Byte(int codePoint);
void codePage1252ToUtf8(const char* text, std::string& out);
// Writes the code point as UTF-8 at `destination`; returns the end.
char* appendUtf8(int codePoint, char* destination);
// Reads one code point at `text` into `*code` and returns the position after
// it. Stops early, without consuming it, at a 0 continuation byte.
const char* decodeUtf8Char(const char* text, int* code);

// --- characters ------------------------------------------------------------
// In UTF-8 text a character is a well-formed sequence of one to four bytes
// (no overlong forms, surrogates or codes above U+10FFFF); a byte that starts
// no such sequence counts as a character of its own, so every step moves and
// text that is not UTF-8 is never cut worse than it was. In a single-byte
// code page every byte is a character. `utf8` says which rule applies: the
// code page is 65001 (`codePageIsUtf8`) or the text is marked as UTF-8.

// Bytes of the well-formed UTF-8 sequence at `text` (1 to 4), else 0; 0 at
// the end of the text. Reads no further than a zero byte.
int utf8SequenceLength(const char* text);
// Whether the first `bytes` bytes are well-formed UTF-8.
bool isValidUtf8(const char* text, size_t bytes);
// Bytes of the character at `text`; 0 at the end of the text.
inline int characterLength(const char* text, bool utf8) {
    if (!*text) return 0;
    if (!utf8 || static_cast<unsigned char>(*text) < 0x80) return 1;
    int length = utf8SequenceLength(text);
    return length ? length : 1;
}
// Start of the character that ends at byte `offset` (0 at the start).
size_t previousCharacter(const char* text, size_t offset, bool utf8);
// Characters in the first `bytes` bytes of the text.
size_t characterCount(const char* text, size_t bytes, bool utf8);
// Byte offset of the character with 0-based index `index`; the text's length
// when it holds fewer characters.
size_t characterOffset(const char* text, size_t index, bool utf8);
// Bytes of the longest run of whole characters at the start of the text
// that fits in `bytes` bytes: where a text is cut to a byte limit.
size_t characterPrefix(const char* text, size_t bytes, bool utf8);
// The code of the character at `text`: its code point in UTF-8 text, else
// its byte (0..255); `*length` (when given) receives its bytes.
int characterCode(const char* text, bool utf8, int* length = nullptr);

}  // namespace kalix
