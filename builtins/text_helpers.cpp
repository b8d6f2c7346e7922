#include "builtins/text_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

// Bytes kept free behind the text for its closing byte and the padding.
constexpr size_t closingRoom = 16;

StackText::StackText(int kind) : StackText(kind, recordAt(newram)) {}

StackText::StackText(int kind, header* at) : kind_(kind) {
    newram = reinterpret_cast<char*>(at);
    start_ = write_ = newram + headerSize;
    if (newram + headerSize + closingRoom > ramend) {
        failed_ = true;
        reportOutOfMemory();
    }
}

bool StackText::fits(size_t count) {
    if (failed_) return false;
    if (count > size_t(ramend - write_) - closingRoom) {
        failed_ = true;
        reportOutOfMemory();
        return false;
    }
    return true;
}

bool StackText::append(const char* bytes, size_t count) {
    if (!fits(count)) return false;
    std::memmove(write_, bytes, count);
    write_ += count;
    return true;
}

char* StackText::reserve(size_t count) { return fits(count) ? write_ : nullptr; }

header* StackText::finish(int32_t flags) {
    if (failed_ || errorCode) return nullptr;
    // The closing byte and the zero padding fit in the room kept free;
    // strings get the size `pushString` gives them.
    int64_t size;
    if (kind_ == kindString) {
        size = headerSize + stringDataSize(int64_t(length()));
        std::memset(write_, 0, size_t(newram + size - write_));
    } else {
        *write_ = 1;
        size = ((write_ + 1 - newram) + 7) & ~int64_t(7);
        std::memset(write_ + 1, 0, size_t(newram + size - write_ - 1));
    }
    header* record = recordAt(newram);
    record->size = size;
    setRecordName(record, "");
    record->kind = kind_;
    record->flags = flags;
    newram += size;
    return record;
}

bool readTextPosition(const header* value, int64_t* position) {
    if (value->kind != kindReal) return false;
    double x = realOf(value);
    if (std::isnan(x)) return false;
    constexpr double limit = 9007199254740992.0;  // 2^53
    *position = int64_t(std::trunc(std::clamp(x, -limit, limit)));
    return true;
}

uint32_t lowBits32(double x) {
    // The remainder of a double division is exact.
    double r = std::fmod(std::trunc(x), 4294967296.0);
    return uint32_t(r < 0 ? r + 4294967296.0 : r);
}

int64_t searchOffset(int64_t start, int64_t length) {
    if (start < 0) start = length + 1 + start;
    return start >= 1 ? start - 1 : 0;
}

SearchStart searchStart(const header* s, int64_t start) {
    SearchStart at;
    at.text = stringOf(s);
    at.utf8 = isUtf8Text(s);
    at.bytes = std::strlen(at.text);
    at.length = int64_t(characterCount(at.text, at.bytes, at.utf8));
    at.offset = searchOffset(start, at.length);
    at.from =
        at.offset < at.length ? characterOffset(at.text, size_t(at.offset), at.utf8) : at.bytes;
    return at;
}

const char* findText(const char* text, size_t length, const char* needle, size_t count) {
    if (count == 0) return text;
    if (count > length) return nullptr;
    // Candidates by the first byte (memchr is the fastest scan); when they
    // come too often, the search that is linear in any case takes over.
    const char* p = text;
    const char* last = text + length - count;
    size_t misses = 0;
    while (p <= last) {
        p = static_cast<const char*>(std::memchr(p, needle[0], size_t(last - p) + 1));
        if (!p) return nullptr;
        if (std::memcmp(p + 1, needle + 1, count - 1) == 0) return p;
        p++;
        if (++misses > 64 && misses * 16 > size_t(p - text))
            return static_cast<const char*>(memmem(p, size_t(text + length - p), needle, count));
    }
    return nullptr;
}

const char* findCharacters(const char* text, size_t length, const char* needle, size_t count,
                           bool utf8, size_t* characters) {
    size_t at = 0, before = 0;  // a character start and the characters before it
    for (;;) {
        const char* found = findText(text + at, length - at, needle, count);
        if (!found || !utf8) {
            if (found && characters) *characters = size_t(found - text);
            return found;
        }
        const size_t offset = size_t(found - text);
        for (; at < offset; before++) at += size_t(characterLength(text + at, true));
        if (at > offset) continue;  // inside a character: search on from the next
        size_t end = at;
        while (end < offset + count) end += size_t(characterLength(text + end, true));
        if (end == offset + count) {
            if (characters) *characters = before;
            return found;
        }
        at += size_t(characterLength(text + at, true));
        before++;
    }
}

int encodeCharacter(double code, bool utf8, char* out) {
    if (!utf8) {
        *out = char(lowBits32(code));
        return 1;
    }
    const double c = std::trunc(code);
    if (c < 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return int(appendUtf8(int(c), out) - out);
}

}  // namespace kalix
