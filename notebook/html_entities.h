// Character entities of HTML ("&amp;", "&#233;") and their decoding.
#pragma once

#include <cstdint>

struct HtmlEntity {
    const char* name;
    int64_t codePoint;
};

constexpr int htmlEntityCount = 252;
// The named entities; a row with an empty name follows the last.
extern const HtmlEntity HtmlEntityTable[htmlEntityCount + 1];

// Copies `text` to `out` with each "&#digits;" and each "&name;" of the
// table (its first row of that name) written as UTF-8, and a closing zero
// byte. Returns the position after the zero byte, or null when an "&" has
// no ";" after it, an entity is unknown or not a number, or the output
// would pass `end` (null: no end).
char* decodeEntities(char* out, const char* text, const char* end);
