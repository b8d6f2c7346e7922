// Helpers of the string, character, printing and file builtins: strings
// and string vectors written straight into the free stack space (the stack
// end checked before every piece), and the reading of text positions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/text.h"
#include "interpreter/stack.h"
#include "interpreter/value_helpers.h"

namespace kalix {

// A string (kind 8) or string vector (kind 13) record under construction at
// `newram`. Nothing may push while it is open: the record becomes a value
// only with `finish`, which sets its size and moves `newram` past it. When a
// piece does not fit, "Out of Memory!" is printed with error 120 and every
// later call does nothing.
class StackText {
  public:
    explicit StackText(int kind);
    // Built over the records from `at` (at most `newram`) on, which the
    // caller no longer reads: the result then needs no move.
    StackText(int kind, header* at);

    bool append(const char* bytes, size_t count);
    bool append(char byte) { return append(&byte, 1); }
    // String vectors: closes the current item with its zero byte.
    bool endItem() { return append('\0'); }
    // Room for `count` more bytes, written by the caller through `end()`
    // and counted with `advance`; null when they do not fit.
    char* reserve(size_t count);
    void advance(size_t count) { write_ += count; }

    char* begin() const { return start_; }
    char* end() const { return write_; }
    size_t length() const { return size_t(write_ - start_); }
    bool failed() const { return failed_; }

    // Closes the text (a zero byte, or the byte 1 after the items of a
    // vector), pads it to 8 bytes and makes it the top record; null after a
    // failure.
    header* finish(int32_t flags = 0);

  private:
    bool fits(size_t count);

    int kind_;
    char* start_;
    char* write_;
    bool failed_ = false;
};

// The UTF-8 flag of a value (0 or `flagUtf8`).
inline int32_t utf8FlagOf(const header* value) { return value->flags & flagUtf8; }

// Whether the text of a string value is UTF-8: marked so, or written in code
// page 65001. Its lengths, positions and single characters then count
// characters (code points), never bytes (base/text.h steps over them).
inline bool isUtf8Text(const header* value) {
    return (value->flags & flagUtf8) || codePageIsUtf8();
}

// The bytes of the character with the code `code` (finite) at `out` (room
// for 4): in UTF-8 text the code point, else the code modulo 256 as one
// byte. Returns how many; 0 when the code is no code point that UTF-8 can
// encode (negative, a surrogate, above U+10FFFF).
int encodeCharacter(double code, bool utf8, char* out);

// A text position or count from a real: truncated and clamped to +-2^53;
// false for NaN.
bool readTextPosition(const header* value, int64_t* position);
// The offset in a text of `length` bytes where a search from the 1-based
// position `start` begins (a negative start counts from the end; at least 0).
int64_t searchOffset(int64_t start, int64_t length);

// Where a search in the text of the string value `s` begins, from the
// 1-based position `start` (as searchOffset takes it).
struct SearchStart {
    const char* text;
    size_t bytes;    // of the whole text
    bool utf8;       // isUtf8Text
    int64_t length;  // characters of the text
    int64_t offset;  // characters before the start
    size_t from;     // bytes before the start; `bytes` when it lies at or past the end
};
SearchStart searchStart(const header* s, int64_t start);

// The first occurrence of the `count` bytes of `needle` in the `length`
// bytes of `text`, or null; an empty needle is found at the start.
const char* findText(const char* text, size_t length, const char* needle, size_t count);
// As findText over characters: an occurrence begins and ends where
// characters of the text do (in UTF-8 text only a needle that is not UTF-8
// could do otherwise). `text` begins a character; `*characters` (when
// given) receives the characters before the occurrence.
const char* findCharacters(const char* text, size_t length, const char* needle, size_t count,
                           bool utf8, size_t* characters = nullptr);

// The low 32 bits of a finite real truncated to an integer, for any size
// (two's complement for negative values).
uint32_t lowBits32(double x);

}  // namespace kalix
