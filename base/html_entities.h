// Character entities of HTML ("&not;", "&#8713;") and their decoding into
// UTF-8, for notebook comments and the builtin `utf`.
#pragma once

#include <cstdint>
#include <string>

namespace kalix {

struct HtmlEntity {
    const char* name;
    int64_t codePoint;
};

// The named entities, ended by a row with an empty name.
constexpr int htmlEntityCount = 252;
extern const HtmlEntity HtmlEntityTable[htmlEntityCount + 1];

// Code point of the first row with exactly that name; -1 when none.
int64_t findHtmlEntity(const char* name, size_t length);
// 1 when the first entity that decides (numeric, or a known name) says the
// text holds an entity worth decoding.
int checkEntities(const char* text);
// Copies text to out with every entity replaced by its UTF-8 encoding; 0
// (out undefined) when an "&" has no ";" after it, a numeric entity holds a
// non-digit, or a name is unknown.
int decodeEntities(const char* text, std::string& out);
// A comment line in the code page, converted to UTF-8 and decoded, with the
// marker bytes EF BB BF in front when withBom is 1; 0 when decoding failed.
int decodeCommentEntities(const char* text, int withBom, std::string& out);

}  // namespace kalix
