#include "base/string.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kalix {

int defaultStringCapacity = 64;

static void* allocateWithMalloc(size_t bytes) { return std::malloc(bytes); }
void* (*stringAllocate)(size_t bytes) = allocateWithMalloc;

// The text of a string whose first allocation failed. Never written: every
// writing operation either needs capacity (which it lacks) or finds nothing
// to change in an empty text.
static char emptyText[1] = {0};

static bool pointsInto(const char* p, const char* buffer, int capacity) {
    auto address = reinterpret_cast<uintptr_t>(p);
    auto start = reinterpret_cast<uintptr_t>(buffer);
    return address >= start && address <= start + static_cast<uintptr_t>(capacity);
}

String::String() : text(emptyText), capacity(0), failed(0) { allocate(defaultStringCapacity, ""); }

String::String(const char* initial) : text(emptyText), capacity(0), failed(0) {
    allocate(std::strlen(initial), initial);
}

String::String(const char* initial, int minimumCapacity) : text(emptyText), capacity(0), failed(0) {
    size_t needed = std::strlen(initial);
    if (minimumCapacity > 0 && static_cast<size_t>(minimumCapacity) > needed)
        needed = minimumCapacity;
    allocate(needed, initial);
}

String::String(const String& other) : text(emptyText), capacity(0), failed(0) {
    allocate(other.capacity, other.text);
}

String::~String() { release(); }

String& String::operator=(const String& other) {
    if (this != &other) assign(other.text);
    return *this;
}

const char* String::operator=(const char* newText) {
    assign(newText);
    return newText;
}

void String::release() {
    if (text != emptyText) std::free(text);
    text = emptyText;
    capacity = 0;
}

void String::setEmptyFailed() {
    release();
    failed = 1;
}

// Replaces the buffer by one of exactly capacityNeeded + 1 bytes holding
// `initial` (which may lie in the old buffer). On failure the string is
// unchanged, except that a string without a buffer gets the empty text.
int String::allocate(size_t capacityNeeded, const char* initial) {
    char* buffer = nullptr;
    if (capacityNeeded < static_cast<size_t>(INT_MAX))
        buffer = static_cast<char*>(stringAllocate(capacityNeeded + 1));
    if (!buffer) {
        failed = 1;
        return 0;
    }
    size_t initialLength = std::strlen(initial);
    std::memcpy(buffer, initial, initialLength + 1);
    release();
    text = buffer;
    capacity = static_cast<int>(capacityNeeded);
    return 1;
}

int String::length() const { return static_cast<int>(std::strlen(text)); }

void String::clearString() {
    if (text[0]) text[0] = 0;
}

void String::assign(const char* newText) {
    size_t newLength = std::strlen(newText);
    if (newLength <= static_cast<size_t>(capacity)) {
        std::memmove(text, newText, newLength + 1);
        return;
    }
    // A longer text cannot lie inside this buffer.
    if (!allocate(newLength, newText)) clearString();
}

void String::append(const char* added) {
    size_t oldLength = std::strlen(text);
    size_t addedLength = std::strlen(added);
    size_t sum = oldLength + addedLength;
    if (sum <= static_cast<size_t>(capacity)) {
        std::memmove(text + oldLength, added, addedLength + 1);
        return;
    }
    if (sum >= static_cast<size_t>(INT_MAX)) {
        failed = 1;
        return;
    }
    char* buffer = static_cast<char*>(stringAllocate(sum + 1));
    if (!buffer) {
        failed = 1;
        return;
    }
    std::memcpy(buffer, text, oldLength);
    std::memcpy(buffer + oldLength, added, addedLength + 1);
    release();
    text = buffer;
    capacity = static_cast<int>(sum);
}

void String::reserve(const char* newText, int minimumCapacity) {
    size_t needed = std::strlen(newText);
    if (minimumCapacity > 0 && static_cast<size_t>(minimumCapacity) > needed)
        needed = minimumCapacity;
    allocate(needed, newText);
}

void String::insertChar(int pos, char c) {
    int oldLength = length();
    if (pos < 0 || pos > oldLength) return;
    if (capacity < oldLength + 1) {
        reserve(text, oldLength + 1);
        if (capacity < oldLength + 1) return;
    }
    std::memmove(text + pos + 1, text + pos, oldLength - pos + 1);
    text[pos] = c;
}

void String::insertAt(int pos, const char* inserted) {
    int oldLength = length();
    size_t insertedLength = std::strlen(inserted);
    if (pos < 0 || pos > oldLength || insertedLength == 0) return;
    std::string ownCopy;
    if (pointsInto(inserted, text, capacity)) {
        ownCopy = inserted;
        inserted = ownCopy.c_str();
    }
    size_t sum = oldLength + insertedLength;
    if (sum > static_cast<size_t>(capacity)) {
        if (sum >= static_cast<size_t>(INT_MAX)) {
            failed = 1;
            return;
        }
        reserve(text, static_cast<int>(sum));
        if (sum > static_cast<size_t>(capacity)) return;
    }
    std::memmove(text + pos + insertedLength, text + pos, oldLength - pos + 1);
    std::memcpy(text + pos, inserted, insertedLength);
}

void String::erase(int pos, int count) {
    long long oldLength = length();
    if (pos < 0 || count <= 0) return;
    long long end = static_cast<long long>(pos) + count;
    if (end > oldLength) return;
    if (end == oldLength) {
        text[pos] = 0;
        return;
    }
    std::memmove(text + pos, text + end, oldLength - end + 1);
}

void String::dropPrefix(int n) {
    int oldLength = length();
    if (n <= 0 || n > oldLength) return;
    std::memmove(text, text + n, oldLength - n + 1);
}

void String::cutToRange(int start, int count) {
    if (start > 0) {
        int oldLength = length();
        if (start >= oldLength)
            clearString();
        else
            dropPrefix(start);
    }
    if (count >= 0 && length() > count) text[count] = 0;
}

void String::trimBlanks() {
    int oldLength = length();
    int end = oldLength;
    while (end > 0 && text[end - 1] == ' ') end--;
    if (end < oldLength) text[end] = 0;
    int start = 0;
    while (start < end && text[start] == ' ') start++;
    if (start > 0) std::memmove(text, text + start, end - start + 1);
}

void String::stripQuotes() {
    int currentLength = length();
    while (currentLength >= 2 && text[0] == '"' && text[currentLength - 1] == '"') {
        text[currentLength - 1] = 0;
        std::memmove(text, text + 1, currentLength - 1);
        currentLength -= 2;
    }
}

void String::replaceAll(const char* search, const char* replacement) {
    size_t searchLength = std::strlen(search);
    if (searchLength == 0) return;
    size_t replacementLength = std::strlen(replacement);
    size_t occurrences = 0;
    for (const char* p = std::strstr(text, search); p; p = std::strstr(p + searchLength, search))
        occurrences++;
    if (occurrences == 0) return;
    size_t resultLength =
        std::strlen(text) - occurrences * searchLength + occurrences * replacementLength;
    if (resultLength >= static_cast<size_t>(INT_MAX)) {
        failed = 1;
        return;
    }
    String result("", static_cast<int>(resultLength));
    if (result.failed) {
        failed = 1;
        return;
    }
    char* out = result.text;
    const char* rest = text;
    for (const char* p = std::strstr(rest, search); p; p = std::strstr(rest, search)) {
        std::memcpy(out, rest, p - rest);
        out += p - rest;
        std::memcpy(out, replacement, replacementLength);
        out += replacementLength;
        rest = p + searchLength;
    }
    std::strcpy(out, rest);
    assign(result.text);
}

int String::positionOf(const char* search) const {
    const char* found = std::strstr(text, search);
    return found ? static_cast<int>(found - text) : -1;
}

int String::containsText(const char* search) const { return positionOf(search) >= 0; }

int String::matchesAt(int pos, const char* search) const {
    if (pos < 0 || pos > length()) return 0;
    return std::strncmp(text + pos, search, std::strlen(search)) == 0;
}

int String::equals(const char* other) const { return std::strcmp(text, other) == 0; }

int String::endsWith(const char* tail) const {
    size_t ownLength = std::strlen(text);
    size_t tailLength = std::strlen(tail);
    if (tailLength > ownLength) return 0;
    return std::strcmp(text + ownLength - tailLength, tail) == 0;
}

int String::lengthAfterIndent() const {
    const char* p = text;
    while (*p == ' ' || *p == '\t') p++;
    return static_cast<int>(std::strlen(p));
}

void String::ensureTrailingSeparator() {
    int currentLength = length();
    if (currentLength > 0 && text[currentLength - 1] != '/') append("/");
}

const char* String::findExtension() const {
    const char* name = findFileName();
    const char* dot = std::strrchr(name, '.');
    return dot ? dot : name + std::strlen(name);
}

int String::hasExtension(const char* extension) const {
    const char* own = findExtension();
    while (*own && *extension) {
        if (std::toupper(static_cast<unsigned char>(*own)) !=
            std::toupper(static_cast<unsigned char>(*extension)))
            return 0;
        own++;
        extension++;
    }
    return *own == 0 && *extension == 0;
}

void String::replaceExtension(const char* extension) {
    std::string added = extension;  // the extension may lie in this buffer
    char* cut = text + (findExtension() - text);
    if (*cut) *cut = 0;
    append(added.c_str());
}

const char* String::findFileName() const {
    const char* slash = std::strrchr(text, '/');
    return slash ? slash + 1 : text;
}

void String::removeFileName() {
    size_t cut = findFileName() - text;
    if (text[cut]) text[cut] = 0;
}

}  // namespace kalix
