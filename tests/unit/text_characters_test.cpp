// Character steps over UTF-8 and single-byte text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"

namespace kalix {

namespace {

// The byte offsets where the characters of a text start, walking forward.
std::vector<size_t> forwardStarts(const std::string& text, bool utf8) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); i += size_t(characterLength(text.c_str() + i, utf8)))
        starts.push_back(i);
    return starts;
}

// The same, walking back from the end.
std::vector<size_t> backwardStarts(const std::string& text, bool utf8) {
    std::vector<size_t> starts;
    for (size_t i = text.size(); i > 0;) {
        i = previousCharacter(text.c_str(), i, utf8);
        starts.insert(starts.begin(), i);
    }
    return starts;
}

struct StepCase {
    const char* name;
    std::string text;
    std::vector<size_t> starts;  // in UTF-8
    std::vector<int> codes;
    bool valid;  // well-formed UTF-8
};

TEST(TextCharacters, StepsOverWholeCharactersBothWays) {
    const StepCase cases[] = {
        {"ascii", "ab", {0, 1}, {'a', 'b'}, true},
        {"umlauts", "x\xC3\xA4y", {0, 1, 3}, {'x', 0xE4, 'y'}, true},
        {"cjk", "\xE6\xBC\xA2\xE5\xAD\x97", {0, 3}, {0x6F22, 0x5B57}, true},
        {"emoji",
         "\xF0\x9F\x98\x80"
         "a",
         {0, 4},
         {0x1F600, 'a'},
         true},
        {"degree and hard space", "1\xC2\xB0\xC2\xA0", {0, 1, 3}, {'1', 0xB0, 0xA0}, true},
        // Broken text: each stray byte is a character of its own.
        {"lone continuation",
         "a\xA4"
         "b",
         {0, 1, 2},
         {'a', 0xA4, 'b'},
         false},
        {"cut sequence",
         "\xE6\xBC"
         "Z",
         {0, 1, 2},
         {0xE6, 0xBC, 'Z'},
         false},
        {"1252 umlaut",
         "Gr\xF6\xDF"
         "e",
         {0, 1, 2, 3, 4},
         {'G', 'r', 0xF6, 0xDF, 'e'},
         false},
        {"overlong", "\xC0\xAF", {0, 1}, {0xC0, 0xAF}, false},
        {"surrogate", "\xED\xA0\x80", {0, 1, 2}, {0xED, 0xA0, 0x80}, false},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(forwardStarts(c.text, true), c.starts);
        EXPECT_EQ(backwardStarts(c.text, true), c.starts);
        EXPECT_EQ(characterCount(c.text.c_str(), c.text.size(), true), c.starts.size());
        for (size_t k = 0; k < c.starts.size(); k++) {
            EXPECT_EQ(characterOffset(c.text.c_str(), k, true), c.starts[k]);
            EXPECT_EQ(characterCode(c.text.c_str() + c.starts[k], true), c.codes[k]);
        }
        EXPECT_EQ(characterOffset(c.text.c_str(), c.starts.size() + 3, true), c.text.size());
        // In a single-byte code page every byte is a character.
        EXPECT_EQ(characterCount(c.text.c_str(), c.text.size(), false), c.text.size());
        EXPECT_EQ(forwardStarts(c.text, false).size(), c.text.size());
        EXPECT_EQ(backwardStarts(c.text, false).size(), c.text.size());
        EXPECT_EQ(isValidUtf8(c.text.c_str(), c.text.size()), c.valid);
    }
}

}  // namespace

}  // namespace kalix
