// Line sources and the scanner: names, file lines, continuation, blanks
// and comments.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "interpreter/main_loop.h"
#include "interpreter/scanner.h"
#include "stack_fixture.h"

namespace kalix {

class ScannerTest : public SmallStack {
  protected:
    void SetUp() override {
        SmallStack::SetUp();
        functionState = functionTopLevel;
        runState = runStateRun;
        evaluatingString = 0;
        inputEvaluating = 0;
        readingDefinitionLine = 0;
    }
    void TearDown() override {
        if (loadFile) std::fclose(loadFile);
        loadFile = nullptr;
        SmallStack::TearDown();
    }

    void scanFrom(const char* text) {
        std::snprintf(inputLine, inputLineSize, "%s", text);
        scanPointer = inputLine;
    }

    // A program file holding `text`, opened as the file being loaded.
    void loadText(const std::string& text) {
        loadFile = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), loadFile);
        std::rewind(loadFile);
    }

    std::string rest() const { return scanPointer; }

    // A name that scanName reads from a text, and the text left after it.
    struct NameCase {
        const char* text;
        const char* name;
        const char* rest;
    };
    template <size_t n>
    void expectNames(const NameCase (&cases)[n]) {
        for (const NameCase& c : cases) {
            scanFrom(c.text);
            char name[32];
            scanName(name);
            EXPECT_EQ(errorCode, 0) << c.text;
            EXPECT_STREQ(name, c.name) << c.text;
            EXPECT_EQ(rest(), c.rest) << c.text;
        }
    }
};

TEST_F(ScannerTest, ScanNameReadsNamesAndStopsWhereTheyEnd) {
    const NameCase cases[] = {
        {"abc+1", "abc", "+1"},   {"x1$ = 2", "x1$", " = 2"},
        {"a__b", "a_b", ""},  // two underscores store one
        {"a_b", "a", "_b"},   // one underscore is the operator
        {"__x", "_x", ""},        {"_x", "_x", ""},
        {"%", "%", ""},           {"%x2", "%x2", ""},
        {"\"a b\"c", "a b", "c"},                          // quoted name
        {"a\\+b", "a+b", ""},                              // backslash takes the next character
        {"a\\b", "a", "\\b"},                              // but not a letter: left division
        {"a\\(", "a", "\\("},     {"\xE4x", "\xE4x", ""},  // bytes from 0xC2 are letters
    };
    expectNames(cases);
}

TEST_F(ScannerTest, NamesHaveAtMostThirtyCharacters) {
    std::string thirty(30, 'a');
    scanFrom(thirty.c_str());
    char name[32];
    scanName(name);
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(std::string(name), thirty);
    EXPECT_EQ(output(), "");

    std::string thirtyOne(31, 'b');
    for (const std::string& text : {thirtyOne, "\"" + thirtyOne + "\""}) {
        errorCode = 0;
        scanFrom(text.c_str());
        scanName(name);
        EXPECT_EQ(errorCode, 11) << text;
        EXPECT_EQ(output(), "Name too long!\n") << text;
        EXPECT_LT(std::strlen(name), sizeof name);
    }
}

// In code page 65001 the letter rule applies to characters: a letter is a
// character from U+00C2 up or the hard space U+00A0.
class Utf8ScannerTest : public ScannerTest {
  protected:
    void SetUp() override {
        ScannerTest::SetUp();
        systemCodePageIsUtf8 = 1;
    }
    void TearDown() override {
        systemCodePageIsUtf8 = 0;
        ScannerTest::TearDown();
    }
};

TEST_F(Utf8ScannerTest, NamesAreReadByCharacter) {
    const NameCase cases[] = {
        {"größe*2", "größe", "*2"},
        {"äend", "äend", ""},
        {"x°", "x", "°"},              // the degree sign is no letter
        {"a±b", "a", "±b"},            // nor is plus-minus
        {"x\u00A0y", "x\u00A0y", ""},  // the hard space is one
        {"àà", "àà", ""},              // à ends in the byte of the hard space
        {"α漢😀=1", "α漢😀", "=1"},
        {"\xE4x", "\xE4x", ""},    // a byte that starts no sequence, as in 1252
        {"x\xA4y", "x", "\xA4y"},  // a lone continuation byte is no letter
        {"a\\°b", "a°b", ""},      // a backslash takes the whole character
        {"\"漢 字\"+", "漢 字", "+"},
    };
    expectNames(cases);
}

TEST_F(Utf8ScannerTest, ATooLongNameIsNeverCutInsideACharacter) {
    // 29 bytes and a letter of 2, 3 or 4 bytes: past the 30 bytes a name holds.
    for (const char* letter : {"\xC3\xA4", "\xE6\xBC\xA2", "\xF0\x9F\x98\x80"}) {
        std::string prefix(29, 'a');
        for (const std::string& text : {prefix + letter, "\"" + prefix + letter + "\""}) {
            errorCode = 0;
            scanFrom(text.c_str());
            char name[32];
            scanName(name);
            EXPECT_EQ(errorCode, 11) << text;
            EXPECT_EQ(output(), "Name too long!\n") << text;
            // The name keeps the letter whole or leaves it out.
            std::string kept = name;
            EXPECT_TRUE(kept == prefix || kept == prefix + letter) << text;
        }
    }
    errorCode = 0;
    std::string fits = std::string(28, 'a') + "\xC3\xA4";
    scanFrom(fits.c_str());
    char name[32];
    scanName(name);
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(std::string(name), fits);
}

TEST_F(Utf8ScannerTest, SignsAndLettersAreFoundAtAPosition) {
    struct Case {
        const char* text;
        int letter, degree, plusMinus, hardSpace;
    } cases[] = {
        {"a", 1, 0, 0, 0},      {"°", 0, 2, 0, 0}, {"±", 0, 0, 2, 0},
        {"\u00A0", 2, 0, 0, 2}, {"€", 3, 0, 0, 0}, {"©", 0, 0, 0, 0},  // below U+00C2
        {"à", 2, 0, 0, 0},     // C3 A0 ends in the byte of the hard space
        {"\xA0", 0, 0, 0, 0},  // that byte alone
        {"\xB0", 0, 0, 0, 0},  // the degree sign of 1252 is no character here
        {"\xC2", 1, 0, 0, 0},  // a lead byte at the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(letterLength(c.text), c.letter) << c.text;
        EXPECT_EQ(degreeSignLength(c.text), c.degree) << c.text;
        EXPECT_EQ(plusMinusLength(c.text), c.plusMinus) << c.text;
        EXPECT_EQ(hardSpaceLength(c.text), c.hardSpace) << c.text;
    }
    const char text[] = "xäend °end";
    EXPECT_TRUE(nameCharBefore(text, text + 3));   // after ä
    EXPECT_FALSE(nameCharBefore(text, text + 9));  // after the degree sign
    EXPECT_FALSE(nameCharBefore(text, text));
}

TEST_F(ScannerTest, MissingNameIsReportedOnlyWhenAsked) {
    scanFrom("1abc");
    char name[32];
    scanName(name);
    EXPECT_EQ(errorCode, 11);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(output(), "Name expected at: 1abc!\n");

    errorCode = 0;
    scanFrom("+x");
    scanNameN(name, sizeof name, 0);
    EXPECT_EQ(errorCode, 11);
    EXPECT_EQ(output(), "");
}

TEST_F(ScannerTest, ScanFileNameStopsAtSeparators) {
    struct Case {
        const char* text;
        const char* name;
        const char* rest;
    } cases[] = {
        {"dir/file.k; x", "dir/file.k", "; x"},
        {"a,b", "a", ",b"},
        {"\"with blank.k\";", "with blank.k", ";"},
        {"name\tx", "name", "\tx"},
    };
    for (const Case& c : cases) {
        scanFrom(c.text);
        char name[256];
        scanFileName(name, sizeof name);
        EXPECT_EQ(errorCode, 0) << c.text;
        EXPECT_STREQ(name, c.name) << c.text;
        EXPECT_EQ(rest(), c.rest) << c.text;
    }
    scanFrom(";");
    char name[256];
    scanFileName(name, sizeof name);
    EXPECT_EQ(errorCode, 11);
    EXPECT_EQ(output(), "Name expected at: ;!\n");

    errorCode = 0;
    std::string longName(300, 'f');
    scanFrom(longName.c_str());
    scanFileName(name, sizeof name);
    EXPECT_EQ(errorCode, 11);
    EXPECT_EQ(output(), "Name too long!\n");
}

TEST_F(ScannerTest, FindContinuationFindsTheTrailingDots) {
    struct Case {
        const char* line;
        int place;  // offset of the continuation, -1 for none
    } cases[] = {
        {"x = 1 + ...", 8},
        {"x = 1 + // plus two ...", 8},  // the comment goes with the dots
        {"x = 1 + ... ", -1},            // the dots must end the line
        {"x = 1 +...", -1},              // a blank must precede them
        {"s = \"open ...", -1},          // unterminated string
        {"s = \"a ...\" + ...", 14},     // dots in a string do not count
        {"function f(x) ...", -1},       // a function header is never joined
        {"py: x ...", -1},
        {">x ...", -1},
        {":x ...", -1},
    };
    for (const Case& c : cases) {
        std::snprintf(inputLine, inputLineSize, "%s", c.line);
        char* place = findContinuation(inputLine);
        if (c.place < 0)
            EXPECT_EQ(place, nullptr) << c.line;
        else
            EXPECT_EQ(place, inputLine + c.place) << c.line;
    }
}

TEST_F(ScannerTest, ContinuedFileLinesAreJoined) {
    loadText("x = 1 + ...\n2\ny = 3 + // three ...\n  4 ...\n  + 5\nfunction f ...\nz\n");
    nextLine();
    EXPECT_STREQ(inputLine, "x = 1 + 2");
    EXPECT_EQ(scanPointer, inputLine);
    nextLine();
    EXPECT_STREQ(inputLine, "y = 3 +   4   + 5");
    nextLine();
    EXPECT_STREQ(inputLine, "function f ...");
    nextInputLine(1);
    EXPECT_STREQ(inputLine, "z");
    EXPECT_EQ(errorCode, 0);
}

TEST_F(ScannerTest, FileLinesDropControlBytesAndEndWithTheEndByte) {
    loadText("a\tb\r\n\x01q\nlast");
    char line[fileLineLimit + 1];
    readFileLine(line);
    EXPECT_STREQ(line, "a\tb");
    readFileLine(line);
    EXPECT_STREQ(line, "q");
    readFileLine(line);
    EXPECT_STREQ(line, "last");  // no final newline
    ASSERT_NE(loadFile, nullptr);
    readFileLine(line);
    EXPECT_STREQ(line, "\x01");
    EXPECT_EQ(loadFile, nullptr);
}

TEST_F(ScannerTest, FileLinesHaveAtMost1023Bytes) {
    loadText(std::string(1023, 'a') + "\n" + std::string(1024, 'b') + "\n");
    char line[fileLineLimit + 1];
    readFileLine(line);
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(std::strlen(line), 1023u);
    readFileLine(line);
    EXPECT_EQ(errorCode, 50);
    EXPECT_STREQ(line, "");
    EXPECT_EQ(output(), "Line too long!\n");
}

TEST_F(ScannerTest, AChainOfContinuationsThatDoesNotFitIsTooLong) {
    std::string piece = std::string(1000, 'x') + " ...\n";
    std::string text;
    for (int i = 0; i < 70; i++) text += piece;
    loadText(text + "end\n");
    nextLine();
    EXPECT_EQ(errorCode, 50);
    EXPECT_STREQ(inputLine, "");
    EXPECT_EQ(output(), "Line too long!\n");
}

TEST_F(ScannerTest, SkipBlanksSkipsCommentsAndFollowsDoubleDots) {
    scanFrom("   // comment");
    EXPECT_EQ(skipBlanks(), 1);
    EXPECT_EQ(rest(), "");

    scanFrom("x");
    EXPECT_EQ(skipBlanks(), 0);
    EXPECT_EQ(rest(), "x");

    loadText("  next\n");
    scanFrom(".. the rest is ignored");
    EXPECT_EQ(skipBlanks(), 1);
    EXPECT_EQ(rest(), "next");

    // A string being evaluated does not pull lines and has "##" comments.
    functionState = functionEvaluatingString;
    scanFrom(" .. ## x");
    skipBlanks();
    EXPECT_EQ(rest(), ".. ## x");
    scanFrom(" ## x");
    skipBlanks();
    EXPECT_EQ(rest(), "");
    functionState = functionTopLevel;
}

TEST_F(ScannerTest, LinesCannotBeFetchedInsideStringsOrDefinitions) {
    evaluatingString = 1;
    nextLine();
    EXPECT_EQ(errorCode, 2300);
    EXPECT_EQ(output(), "Line ended inside a string!\n");
    evaluatingString = 0;

    errorCode = 0;
    readingDefinitionLine = 1;
    nextLine();
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), ".. not allowed here.\n");
    readingDefinitionLine = 0;
}

TEST_F(ScannerTest, BodyLinesAreFollowedUpToTheEndOfTheBody) {
    static char body[] = "a=1\0b=2\0\x01";
    functionState = functionRunning;
    scanPointer = body;
    nextLine();
    EXPECT_EQ(lineStart, body + 4);
    EXPECT_EQ(scanPointer, body + 4);
    EXPECT_EQ(functionState, functionRunning);
    nextLine();
    EXPECT_EQ(*scanPointer, endOfBody);
    EXPECT_EQ(functionState, functionTopLevel);
}

TEST_F(ScannerTest, NextCodeLineSkipsEmptyAndCommentLines) {
    loadText("\n   \n  // note\ncode\n");
    nextCodeLine();
    EXPECT_STREQ(inputLine, "code");
}

}  // namespace kalix
