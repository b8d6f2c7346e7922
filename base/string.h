// The program's own growable byte string.
//
// A NUL-terminated buffer of capacity + 1 bytes. It never shrinks and grows
// to exactly the length an operation needs (never geometrically). A failed
// allocation sets `failed` and never throws; the string then keeps a valid
// (possibly empty) text, so reading it is always safe. Positions and lengths
// are in bytes. Paths use "/" as the only separator.
#pragma once

#include <cstddef>

namespace kalix {

// Capacity of a default-constructed string.
extern int defaultStringCapacity;

// Allocator of every string buffer; tests replace it to simulate exhaustion.
// Returns null on failure.
extern void* (*stringAllocate)(size_t bytes);

class String {
  public:
    String();
    String(const char* text);
    String(const char* text, int minimumCapacity);
    String(const String& other);
    ~String();

    String& operator=(const String& other);
    // Assignment inside expressions yields the given text.
    const char* operator=(const char* text);

    const char* getText() const { return text; }
    int length() const;
    int getCapacity() const { return capacity; }
    int isFailed() const { return failed; }
    int isStringEmpty() const { return text[0] == 0; }

    void clearString();
    void assign(const char* newText);
    void append(const char* added);
    void reserve(const char* newText, int minimumCapacity);
    void insertChar(int pos, char c);
    void insertAt(int pos, const char* inserted);
    void erase(int pos, int count);
    void dropPrefix(int n);
    void cutToRange(int start, int count);
    void trimBlanks();
    void stripQuotes();
    void replaceAll(const char* search, const char* replacement);

    int positionOf(const char* search) const;
    int containsText(const char* search) const;
    int matchesAt(int pos, const char* search) const;
    int equals(const char* other) const;
    int endsWith(const char* tail) const;
    int lengthAfterIndent() const;

    // Path helpers ("/" is the separator).
    void ensureTrailingSeparator();
    const char* findExtension() const;
    int hasExtension(const char* extension) const;
    void replaceExtension(const char* extension);
    const char* findFileName() const;
    void removeFileName();

  private:
    char* text;
    int capacity;
    int failed;

    int allocate(size_t capacityNeeded, const char* initial);
    void setEmptyFailed();
    void release();
};

}  // namespace kalix
