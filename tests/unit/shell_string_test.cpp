#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/string.h"

namespace kalix {

namespace {

TEST(ShellString, ConstructorsSetCapacity) {
    String plain;
    EXPECT_EQ(plain.getCapacity(), 64);
    EXPECT_STREQ(plain.getText(), "");
    EXPECT_TRUE(plain.isStringEmpty());

    String fromText("hello");
    EXPECT_EQ(fromText.getCapacity(), 5);

    String withMinimum("hello", 260);
    EXPECT_EQ(withMinimum.getCapacity(), 260);
    String shortMinimum("hello", 2);
    EXPECT_EQ(shortMinimum.getCapacity(), 5);

    String copy(withMinimum);
    EXPECT_EQ(copy.getCapacity(), 260);
    EXPECT_STREQ(copy.getText(), "hello");
    EXPECT_NE(copy.getText(), withMinimum.getText());
    copy.append("!");
    EXPECT_STREQ(withMinimum.getText(), "hello");
}

TEST(ShellString, GrowthIsExact) {
    String s("abc", 4);
    const char* buffer = s.getText();
    s.append("d");  // fits: same buffer, same capacity
    EXPECT_EQ(s.getText(), buffer);
    EXPECT_EQ(s.getCapacity(), 4);
    s.append("efg");
    EXPECT_EQ(s.getCapacity(), 7);
    EXPECT_STREQ(s.getText(), "abcdefg");

    s.assign("xy");  // shorter: capacity kept
    EXPECT_EQ(s.getCapacity(), 7);
    s.assign("0123456789");
    EXPECT_EQ(s.getCapacity(), 10);
    EXPECT_STREQ(s.getText(), "0123456789");

    s.insertChar(10, '!');
    EXPECT_EQ(s.getCapacity(), 11);
    s.insertAt(0, "<<");
    EXPECT_EQ(s.getCapacity(), 13);
    EXPECT_STREQ(s.getText(), "<<0123456789!");

    s.reserve(s.getText(), 100);
    EXPECT_EQ(s.getCapacity(), 100);
    EXPECT_STREQ(s.getText(), "<<0123456789!");
}

TEST(ShellString, AssignmentYieldsTheText) {
    String s;
    const char* text = "value";
    EXPECT_EQ(s = text, text);
    EXPECT_STREQ(s.getText(), "value");
    String other("x");
    other = s;
    EXPECT_STREQ(other.getText(), "value");
    other = other;
    EXPECT_STREQ(other.getText(), "value");
}

TEST(ShellString, OwnTextAsArgument) {
    String s("abc", 3);
    s.append(s.getText());
    EXPECT_STREQ(s.getText(), "abcabc");
    String fits("abc", 10);
    fits.append(fits.getText());
    EXPECT_STREQ(fits.getText(), "abcabc");
    String inserted("abc", 3);
    inserted.insertAt(1, inserted.getText());
    EXPECT_STREQ(inserted.getText(), "aabcbc");
    String tail("a/b.c", 10);
    tail.replaceExtension(tail.getText() + 3);
    EXPECT_STREQ(tail.getText(), "a/b.c");
    String shifted("abcdef");
    shifted.assign(shifted.getText() + 2);
    EXPECT_STREQ(shifted.getText(), "cdef");
}

struct EditCase {
    const char* text;
    int a, b;
    const char* expected;
};

template <typename Edit>
void checkEdits(const EditCase* cases, size_t count, Edit edit) {
    for (size_t i = 0; i < count; i++) {
        const EditCase& c = cases[i];
        String s(c.text);
        edit(s, c.a, c.b);
        EXPECT_STREQ(s.getText(), c.expected) << c.text << " " << c.a << " " << c.b;
    }
}

TEST(ShellString, Erase) {
    const EditCase cases[] = {
        {"abcde", 2, 3, "ab"},     // reaches the end: cut
        {"abcde", 2, 4, "abcde"},  // past the end: nothing
        {"abcde", 0, 1, "bcde"},
        {"abcde", 1, 2, "ade"},
        {"abcde", 0, 5, ""},
        {"abcde", 5, 0, "abcde"},
        {"abcde", -1, 2, "abcde"},
        {"abcde", 1, -1, "abcde"},
        {"abcde", 3, 2147483647, "abcde"},
        {"", 0, 0, ""},
    };
    checkEdits(cases, std::size(cases), [](String& s, int a, int b) { s.erase(a, b); });
}

TEST(ShellString, DropPrefixAndCutToRange) {
    const EditCase drops[] = {
        {"abcde", 2, 0, "cde"},   {"abcde", 5, 0, ""},       {"abcde", 6, 0, "abcde"},
        {"abcde", 0, 0, "abcde"}, {"abcde", -1, 0, "abcde"},
    };
    checkEdits(drops, std::size(drops), [](String& s, int a, int) { s.dropPrefix(a); });
    const EditCase cuts[] = {
        {"abcdef", 1, 3, "bcd"}, {"abcdef", 0, 2, "ab"}, {"abcdef", 2, 10, "cdef"},
        {"abcdef", 9, 2, ""},    {"abcdef", 0, 0, ""},   {"abcdef", 1, -1, "bcdef"},
    };
    checkEdits(cuts, std::size(cuts), [](String& s, int a, int b) { s.cutToRange(a, b); });
}

TEST(ShellString, InsertOutsideTheTextDoesNothing) {
    String s("abc");
    s.insertChar(4, 'x');
    s.insertChar(-1, 'x');
    s.insertAt(5, "yy");
    s.insertAt(-2, "yy");
    EXPECT_STREQ(s.getText(), "abc");
    s.insertChar(3, 'd');
    s.insertAt(1, "");
    EXPECT_STREQ(s.getText(), "abcd");
}

struct TextCase {
    const char* text;
    const char* expected;
};

TEST(ShellString, TrimAndStripQuotes) {
    const TextCase trims[] = {
        {"  a b  ", "a b"}, {"\ta\t", "\ta\t"}, {"    ", ""}, {"", ""}, {"x", "x"},
    };
    for (const auto& c : trims) {
        String s(c.text);
        s.trimBlanks();
        EXPECT_STREQ(s.getText(), c.expected) << "[" << c.text << "]";
    }
    const TextCase quotes[] = {
        {"\"\"x\"\"", "x"},   {"\"", "\""},   {"\"\"", ""},     {"\"a", "\"a"},
        {"\"a\"b\"", "a\"b"}, {"a\"", "a\""}, {"\"\"\"", "\""},
    };
    for (const auto& c : quotes) {
        String s(c.text);
        s.stripQuotes();
        EXPECT_STREQ(s.getText(), c.expected) << c.text;
    }
}

TEST(ShellString, ReplaceAll) {
    struct Case {
        const char* text;
        const char* search;
        const char* replacement;
        const char* expected;
    } cases[] = {
        {"abc", "", "x", "abc"},
        {"aaa", "aa", "b", "ba"},     // left to right, no overlap
        {"aXa", "a", "aa", "aaXaa"},  // the replacement is not searched again
        {"a.b.c", ".", "", "abc"},
        {"no match", "zz", "y", "no match"},
        {"x", "x", "a much longer replacement", "a much longer replacement"},
    };
    for (const auto& c : cases) {
        String s(c.text);
        s.replaceAll(c.search, c.replacement);
        EXPECT_STREQ(s.getText(), c.expected) << c.text << " " << c.search;
    }
}

TEST(ShellString, Queries) {
    String s("  hello world");
    EXPECT_EQ(s.length(), 13);
    EXPECT_EQ(s.positionOf("world"), 8);
    EXPECT_EQ(s.positionOf("World"), -1);
    EXPECT_TRUE(s.containsText("lo w"));
    EXPECT_FALSE(s.containsText("xyz"));
    EXPECT_TRUE(s.matchesAt(2, "hell"));
    EXPECT_FALSE(s.matchesAt(2, "help"));
    EXPECT_FALSE(s.matchesAt(12, "dd"));
    EXPECT_FALSE(s.matchesAt(14, ""));
    EXPECT_FALSE(s.matchesAt(-1, ""));
    EXPECT_TRUE(s.equals("  hello world"));
    EXPECT_FALSE(s.equals("  Hello world"));
    EXPECT_TRUE(s.endsWith("world"));
    EXPECT_TRUE(s.endsWith(""));
    EXPECT_FALSE(s.endsWith("xx  hello world"));
    EXPECT_EQ(s.lengthAfterIndent(), 11);
    EXPECT_EQ(String(" \t \t").lengthAfterIndent(), 0);
    s.clearString();
    EXPECT_TRUE(s.isStringEmpty());
    EXPECT_EQ(s.getCapacity(), 13);
}

TEST(ShellString, PathHelpers) {
    const TextCase extensions[] = {
        {"dir.d/file", ""}, {"a/b.c.k", ".k"},           {"name.kn", ".kn"},
        {"noext", ""},      {"/x/.profile", ".profile"}, {"a.b/", ""},
    };
    for (const auto& c : extensions) {
        String s(c.text);
        EXPECT_STREQ(s.findExtension(), c.expected) << c.text;
    }
    String dirOnly("dir.d/file");
    EXPECT_EQ(*dirOnly.findExtension(), 0);
    EXPECT_EQ(dirOnly.findExtension(), dirOnly.getText() + dirOnly.length());

    EXPECT_TRUE(String("notes.kn").hasExtension(".KN"));
    EXPECT_FALSE(String("notes.kn").hasExtension(".K"));
    EXPECT_FALSE(String("notes.k").hasExtension(".kn"));
    EXPECT_TRUE(String("noext").hasExtension(""));

    String replaced("a/b.c.k");
    replaced.replaceExtension(".png");
    EXPECT_STREQ(replaced.getText(), "a/b.c.png");
    String added("dir.d/file");
    added.replaceExtension(".k");
    EXPECT_STREQ(added.getText(), "dir.d/file.k");

    const TextCase fileNames[] = {
        {"c:/x/y", "y"}, {"/a/b/c.k", "c.k"}, {"name", "name"}, {"dir/", ""}, {"a\\b", "a\\b"},
    };
    for (const auto& c : fileNames) {
        String s(c.text);
        EXPECT_STREQ(s.findFileName(), c.expected) << c.text;
    }
    const TextCase directories[] = {
        {"/a/b/c.k", "/a/b/"},
        {"name", ""},
        {"dir/", "dir/"},
        {"/", "/"},
    };
    for (const auto& c : directories) {
        String s(c.text);
        s.removeFileName();
        EXPECT_STREQ(s.getText(), c.expected) << c.text;
    }
    const TextCase separators[] = {{"", ""}, {"a", "a/"}, {"a/", "a/"}, {"a\\", "a\\/"}};
    for (const auto& c : separators) {
        String s(c.text);
        s.ensureTrailingSeparator();
        EXPECT_STREQ(s.getText(), c.expected) << c.text;
    }
}

// Every allocation fails while an object of this type lives.
class FailingAllocation {
  public:
    FailingAllocation() : saved(stringAllocate) {
        stringAllocate = [](size_t) -> void* { return nullptr; };
    }
    ~FailingAllocation() { stringAllocate = saved; }

  private:
    void* (*saved)(size_t);
};

TEST(ShellString, AllocationFailureSetsTheFlag) {
    String grown("abc", 3);
    {
        FailingAllocation failing;
        String fresh("text");
        EXPECT_TRUE(fresh.isFailed());
        EXPECT_STREQ(fresh.getText(), "");
        fresh.append("more");  // still safe to use
        fresh.insertChar(0, 'x');
        fresh.erase(0, 1);
        fresh.replaceExtension(".k");
        EXPECT_STREQ(fresh.getText(), "");

        grown.append("def");
        EXPECT_TRUE(grown.isFailed());
        EXPECT_STREQ(grown.getText(), "abc");  // unchanged
        EXPECT_EQ(grown.getCapacity(), 3);
        grown.reserve(grown.getText(), 50);
        EXPECT_STREQ(grown.getText(), "abc");
        grown.replaceAll("b", "bbbb");
        EXPECT_STREQ(grown.getText(), "abc");
        grown.assign("a longer text");
        EXPECT_STREQ(grown.getText(), "");

        String copy(grown);
        EXPECT_TRUE(copy.isFailed());
    }
    grown.assign("back again");
    EXPECT_STREQ(grown.getText(), "back again");
}

}  // namespace

}  // namespace kalix
