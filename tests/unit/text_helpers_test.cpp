// Text results built at the stack top, the argument helpers of the text and
// file builtins, and the decoding of HTML character entities.
#include <cstring>
#include <string>

#include "base/html_entities.h"
#include "builtins/builtin_helpers.h"
#include "builtins/text_helpers.h"
#include "stack_fixture.h"

namespace kalix {

using TextHelpersTest = SmallStack;

TEST_F(TextHelpersTest, StringRecordsHaveTheSizeOfPushedStrings) {
    for (int n = 0; n < 20; n++) {
        std::string text(size_t(n), 'x');
        header* pushed = pushCString(text.c_str());
        int64_t pushedSize = pushed->size;
        newram = ramstart;
        StackText built(kindString);
        ASSERT_TRUE(built.append(text.data(), text.size()));
        header* record = built.finish(flagUtf8);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->size, pushedSize) << n;
        EXPECT_EQ(record->kind, kindString);
        EXPECT_EQ(record->flags, flagUtf8);
        EXPECT_EQ(record->name[0], 0);
        EXPECT_EQ(std::string(stringOf(record)), text);
        EXPECT_EQ(newram, endOf(record));
        newram = ramstart;
    }
}

TEST_F(TextHelpersTest, VectorItemsAreClosedByTheByteOne) {
    StackText vector(kindStringMatrix);
    for (const char* item : {"a", "", "bc"}) {
        vector.append(item, std::strlen(item));
        vector.endItem();
    }
    header* record = vector.finish();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, kindStringMatrix);
    EXPECT_EQ(record->size % 8, 0);
    EXPECT_EQ(countStrings(record), 3);
    EXPECT_EQ(std::memcmp(stringOf(record), "a\0\0bc\0\1", 7), 0);

    newram = ramstart;
    header* empty = StackText(kindStringMatrix).finish();
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(countStrings(empty), 0);
}

TEST_F(TextHelpersTest, FullStackGivesOutOfMemoryAndWritesNothingBeyond) {
    pushRealMatrix(1, int((stackBytes - 200) / 8));
    char* top = newram;
    StackText text(kindString);
    std::string piece(40, 'y');
    int pieces = 0;
    while (text.append(piece.data(), piece.size())) pieces++;
    EXPECT_GT(pieces, 0);
    EXPECT_TRUE(text.failed());
    EXPECT_EQ(errorCode, 120);
    EXPECT_EQ(output(), "Out of Memory!\n");
    EXPECT_FALSE(text.append('z'));
    EXPECT_EQ(text.reserve(1), nullptr);
    EXPECT_EQ(output(), "");  // reported once
    EXPECT_EQ(text.finish(), nullptr);
    EXPECT_EQ(newram, top);
    EXPECT_TRUE(guardIntactFrom(0));
}

TEST_F(TextHelpersTest, LowBitsOfAnyFiniteReal) {
    const struct {
        double x;
        uint32_t bits;
    } cases[] = {
        {0, 0},
        {70000, 70000},
        {65.9, 65},
        {-1, 0xFFFFFFFF},
        {-1.9, 0xFFFFFFFF},
        {4294967296.0 + 5.9, 5},
        {-2147483648.0, 0x80000000},
        {1e20, 1661992960},
        {-1099511627776.0 + 3, 3},
    };
    for (const auto& c : cases) EXPECT_EQ(lowBits32(c.x), c.bits) << c.x;
}

TEST_F(TextHelpersTest, SearchOffsetsCountFromEitherEnd) {
    const struct {
        int64_t start, length, offset;
    } cases[] = {
        {1, 4, 0}, {3, 4, 2}, {0, 4, 0}, {-1, 4, 3}, {-4, 4, 0}, {-9, 4, 0}, {9, 4, 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(searchOffset(c.start, c.length), c.offset) << c.start << " " << c.length;
}

TEST(HtmlEntities, TableHasItsRowsAndEnd) {
    int rows = 0;
    while (HtmlEntityTable[rows].name[0]) rows++;
    EXPECT_EQ(rows, htmlEntityCount);
    EXPECT_EQ(HtmlEntityTable[rows].codePoint, 32);
}

TEST(HtmlEntities, DecodesNamedAndDecimalEntities) {
    const struct {
        const char* text;
        const char* decoded;  // null: refused
    } cases[] = {
        {"plain", "plain"},
        {"a&amp;b", "a&b"},
        {"&not;&notin;", "\xC2\xAC\xE2\x88\x89"},
        {"&quot;&iexcl;&euro;&Omega;&yuml;", "\"\xC2\xA1\xE2\x82\xAC\xCE\xA9\xC3\xBF"},
        {"&#65;&#233;&#128512;", "A\xC3\xA9\xF0\x9F\x98\x80"},
        {"a & b", nullptr},
        {"&nbsp;", nullptr},
        {"&fnof;", nullptr},
        {"&AMP;", nullptr},
        {"&#x41;", nullptr},
        {"&#;", nullptr},
        {"&#1114112;", nullptr},
        {"&#99999999999999999999;", nullptr},
    };
    for (const auto& c : cases) {
        std::string out;
        const int decoded = decodeEntities(c.text, out);
        if (!c.decoded) {
            EXPECT_EQ(decoded, 0) << c.text;
            continue;
        }
        ASSERT_EQ(decoded, 1) << c.text;
        EXPECT_EQ(out, c.decoded);
    }
}

// utf reserves the length of its text for the decoded text: no entity may
// decode into more bytes than it is written with.
TEST(HtmlEntities, DecodedTextIsNeverLongerThanTheText) {
    for (int k = 0; k < htmlEntityCount; k++) {
        const std::string entity = std::string("&") + HtmlEntityTable[k].name + ";";
        std::string out;
        ASSERT_EQ(decodeEntities(entity.c_str(), out), 1) << entity;
        EXPECT_LE(out.size(), entity.size()) << entity;
    }
    for (const char* entity : {"&#1;", "&#127;", "&#2047;", "&#65535;", "&#1114111;"}) {
        std::string out;
        ASSERT_EQ(decodeEntities(entity, out), 1) << entity;
        EXPECT_LE(out.size(), std::strlen(entity)) << entity;
    }
}

TEST(FindText, FindsTheFirstOccurrence) {
    const std::string many(5000, 'a');
    const struct {
        std::string text, needle;
        long position;  // -1: not found
    } cases[] = {
        {"abcb", "b", 1},
        {"abcb", "cb", 2},
        {"abcb", "", 0},
        {"", "", 0},
        {"ab", "abc", -1},
        {"abc", "abc", 0},
        {"xxabxab", "ab", 2},
        {"aaab", "aab", 1},
        {"the lazy dog", "dog", 9},
        {"the lazy dog", "cat", -1},
        {std::string("a\0b", 3), std::string("\0b", 2), 1},
        // Frequent first bytes hand over to the linear search.
        {many + "b", "aab", 4998},
        {many, "ab", -1},
        {"b" + many + "b", "ab", 5000},
    };
    for (const auto& c : cases) {
        const char* found =
            findText(c.text.data(), c.text.size(), c.needle.data(), c.needle.size());
        long position = found ? long(found - c.text.data()) : -1;
        EXPECT_EQ(position, c.position) << c.needle << " in " << c.text.substr(0, 20);
    }
}

// In UTF-8 text an occurrence starts and ends where characters do; only a
// needle that is no UTF-8 could match elsewhere.
TEST(FindCharacters, FindsWholeCharactersOnly) {
    const struct {
        std::string text, needle;
        bool utf8;
        long position;    // bytes; -1: not found
        long characters;  // before it
    } cases[] = {
        {"\xC3\xA4\xC3\xB6\xC3\xBC", "\xC3\xBC", true, 4, 2},
        {"\xC3\xA4\xC3\xB6\xC3\xBC", "\xC3\xBC", false, 4, 4},
        {"a\xE6\xBC\xA2"
         "b\xE6\xBC\xA2",
         "\xE6\xBC\xA2", true, 1, 1},
        {"\xF0\x9F\x98\x80"
         "a",
         "a", true, 4, 1},
        {"\xC3\xA4", "", true, 0, 0},
        // A stray continuation byte is not found inside a character, but
        // where it stands alone.
        {"\xC3\xA4", "\xA4", true, -1, 0},
        {"\xC3\xA4\xA4", "\xA4", true, 2, 1},
        {"\xC3\xA4", "\xA4", false, 1, 1},
        // A lead byte alone does not match the start of a character.
        {"\xC3\xA4x\xC3", "\xC3", true, 3, 2},
        {"\xC3\xA4", "\xC3", true, -1, 0},
        {"x\xC3\xA4y\xC3\xA4", "\xC3\xA4y", true, 1, 1},
    };
    for (const auto& c : cases) {
        size_t before = 0;
        const char* found = findCharacters(c.text.data(), c.text.size(), c.needle.data(),
                                           c.needle.size(), c.utf8, &before);
        long position = found ? long(found - c.text.data()) : -1;
        EXPECT_EQ(position, c.position) << c.text << " " << c.utf8;
        if (found) {
            EXPECT_EQ(long(before), c.characters) << c.text << " " << c.utf8;
        }
    }
}

TEST_F(TextHelpersTest, CharactersOfCodes) {
    const struct {
        double code;
        bool utf8;
        std::string bytes;  // empty: refused
    } cases[] = {
        {65, true, "A"},
        {65.9, true, "A"},
        {228, true, "\xC3\xA4"},
        {160, true, "\xC2\xA0"},
        {8364, true, "\xE2\x82\xAC"},
        {128512, true, "\xF0\x9F\x98\x80"},
        {1114111, true, "\xF4\x8F\xBF\xBF"},
        {0, true, std::string(1, '\0')},
        {-1, true, ""},
        {55296, true, ""},
        {57343, true, ""},
        {1114112, true, ""},
        {1e300, true, ""},
        {228, false, "\xE4"},
        {321, false, "A"},
        {-1, false, "\xFF"},
        {945, false, "\xB1"},
    };
    for (const auto& c : cases) {
        char out[4];
        const int length = encodeCharacter(c.code, c.utf8, out);
        EXPECT_EQ(std::string(out, size_t(length)), c.bytes) << c.code << " " << c.utf8;
    }
}

}  // namespace kalix
