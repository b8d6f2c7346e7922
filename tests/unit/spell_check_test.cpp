// Spell checking of notebook comments through the notebook's own interface.
#include "notebook/spell_check.h"
#include "notebook/help_database.h"

#include <fstream>

#include "help_fixture.h"
#include "notebook_fixture.h"

namespace kalix {

namespace {

class SpellCheckTest : public NotebookTest {
  protected:
    PrivateSettingsFolder settingsFolder;
    WordListFiles lists;

    void SetUp() override {
        NotebookTest::SetUp();
        std::filesystem::path folder = makeFolder();
        writeFile(folder / "english.words",
                  "the\nquick\nbrown\nfox\njumps\nover\nlazy\ndog\nmatrix\nParis\nword\n"
                  "words\nthis\nline\nhas\nmany\nunknown\ngr\u00fc\u00dfe\n\n");
        lists.language = {(folder / "english.words").string()};
        lists.optional = {userWordsPath()};
        useWordListFiles(&lists);
        freeDictionary();
    }

    void TearDown() override {
        useWordListFiles(nullptr);
        freeDictionary();
        NotebookTest::TearDown();
    }

    // The marked words of a line: marks count the characters of its text
    // as shown (without the marker bytes of UTF-8).
    static std::vector<std::string> marked(const NotebookLine* line) {
        std::vector<std::string> words;
        const char* text = line->text.getText();
        bool utf8 = isUtf8Text(text);
        if (NotebookEditor::hasUtf8Bom(text)) text += 3;
        for (int i = 0; i < line->misspeltCount; i++) {
            size_t start = characterOffset(text, size_t(line->misspeltStart[i]), utf8);
            size_t end = characterOffset(
                text, size_t(line->misspeltStart[i] + line->misspeltLength[i]), utf8);
            words.push_back(std::string(text + start, end - start));
        }
        return words;
    }
};

}  // namespace

TEST_F(SpellCheckTest, UnknownWordsOfCommentsAreMarked) {
    struct Case {
        const char* comment;
        std::vector<std::string> marks;
    } cases[] = {
        {"the quik brown fox", {"quik"}},
        {"the fxo is lazy", {}},  // three letters are never checked
        {"quikk, browne. lazyy; dogg", {"quikk", "browne", "lazyy", "dogg"}},
        {"quikk: (browne) x=quikk", {}},  // colon, after "(", inside a word
        {"The Quick Matrix", {}},         // a capital is known in lower case
        {"PARIS paris Paris", {"PARIS", "paris"}},
        {"the \"quikk brwn\" fox", {}},  // quoted text is left alone
        {"quik2 Quik", {"Quik"}},
        {"wordwordwordwordwordwordwordwordword", {}},  // 36 letters: the word ends inside
    };
    for (const Case& c : cases) {
        build({"% x", ">1+1"}, 1);
        editor.document().getFirstLine()->text.assign(c.comment);
        spellCheck(editor);
        EXPECT_EQ(marked(editor.document().getFirstLine()), c.marks) << c.comment;
    }
    // Commands and output lines are never marked.
    build({">quikk", "out:quikk", "% quikk"}, 0);
    spellCheck(editor);
    EXPECT_EQ(editor.document().getFirstLine()->misspeltCount, 0);
    EXPECT_EQ(editor.document().getFirstLine()->next->misspeltCount, 0);
    EXPECT_EQ(editor.lastLine()->misspeltCount, 1);
    clearSpellingMarks(editor);
    EXPECT_EQ(editor.lastLine()->misspeltCount, 0);
}

// Letters are characters: a code from 0xC2 on (bytes in 1252, code points
// in 65001); a word is at most 31 of them.
TEST_F(SpellCheckTest, LettersAreCharactersInBothCodePages) {
    struct Case {
        const char* comment;
        std::vector<std::string> marks;
        bool singleByte;
    } cases[] = {
        {"Gr\u00fc\u00dfe quikk", {"quikk"}, true},  // known in lower case
        {"W\u00f6rterr brown \u00dcberr.", {"W\u00f6rterr", "\u00dcberr"}, true},
        {"the \u03b1\u03b2\u03b3\u03b4 fox", {"\u03b1\u03b2\u03b3\u03b4"}, false},
        {"\u6f22\u5b57\u6f22\u5b57, dogg", {"\u6f22\u5b57\u6f22\u5b57", "dogg"}, false},
        {"\u00e4\u00f6\u00fc fox", {}, true},  // three letters
        // 36 letters: the word ends inside, after 31.
        {"\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4"
         "\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4"
         "\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4 x",
         {},
         true},
    };
    for (int page : {65001, 1252}) {
        selectCodePage(page);
        freeDictionary();
        for (const Case& c : cases) {
            if (page == 1252 && !c.singleByte) continue;
            std::string comment;
            utf8ToCodePage(c.comment, comment);
            std::vector<std::string> marks;
            for (const std::string& word : c.marks) {
                marks.emplace_back();
                utf8ToCodePage(word.c_str(), marks.back());
            }
            build({"% x", ">1+1"}, 1);
            editor.document().getFirstLine()->text.assign(comment.c_str());
            spellCheck(editor);
            EXPECT_EQ(marked(editor.document().getFirstLine()), marks) << page << " " << c.comment;
        }
    }
}

TEST_F(SpellCheckTest, EntitiesShiftTheMarksAndSixteenAreKept) {
    build({"% x", ">1"}, 1);
    NotebookLine* line = editor.document().getFirstLine();
    line->setOriginalText("caf&eacute; quik &amp; brwn");
    line->text.assign("cafe quik & brwn");
    spellCheck(editor);
    ASSERT_EQ(line->misspeltCount, 2);
    EXPECT_EQ(line->misspeltStart[0], 12 - 7);
    EXPECT_EQ(line->misspeltStart[1], 23 - 11);

    std::string many;
    for (int i = 0; i < 20; i++) many += "unkn" + std::string(1, char('a' + i)) + " ";
    build({"% x", ">1"}, 1);
    editor.document().getFirstLine()->text.assign(many.c_str());
    spellCheck(editor);
    EXPECT_EQ(editor.document().getFirstLine()->misspeltCount, 16);
}

TEST_F(SpellCheckTest, AddedWordsStayKnownForGood) {
    build({"% the quik brown Foxx", "% brwn", ">1"}, 2);
    spellCheck(editor);
    EXPECT_EQ(marked(editor.document().getFirstLine()), (std::vector<std::string>{"quik", "Foxx"}));
    select(editor.document().getFirstLine(), 0, editor.document().getFirstLine(), 5);
    ASSERT_EQ(addMarkedWordsToDictionary(editor, userWordsPath()), 1);
    EXPECT_EQ(readFile(userWordsPath()), "quik\nfoxx\n");
    EXPECT_EQ(editor.document().getFirstLine()->misspeltCount, 0);
    EXPECT_EQ(marked(editor.document().getFirstLine()->next), std::vector<std::string>{"brwn"});

    // After the dictionary is read again the words are still known.
    freeDictionary();
    spellCheck(editor);
    EXPECT_EQ(editor.document().getFirstLine()->misspeltCount, 0);
    EXPECT_EQ(editor.document().getFirstLine()->next->misspeltCount, 1);

    // Entities of a decoded comment are no words.
    build({"% x", ">1"}, 1);
    editor.document().getFirstLine()->setOriginalText("caf&eacute; quikk");
    editor.document().getFirstLine()->text.assign("cafe quikk");
    select(editor.document().getFirstLine(), 0, editor.document().getFirstLine(), 5);
    addMarkedWordsToDictionary(editor, userWordsPath());
    EXPECT_EQ(readFile(userWordsPath()), "quik\nfoxx\nquikk\n");

    // Nothing selected: nothing happens.
    editor.unmarkAll();
    editor.cursor().clearSelection();
    EXPECT_EQ(addMarkedWordsToDictionary(editor, userWordsPath()), 1);
    EXPECT_EQ(readFile(userWordsPath()), "quik\nfoxx\nquikk\n");
}

TEST_F(SpellCheckTest, AUserListThatCannotBeWrittenIsSaidAndNothingIsAdded) {
    build({"% the quik fox", ">1"}, 1);
    select(editor.document().getFirstLine(), 0, editor.document().getFirstLine(), 3);
    std::filesystem::path blocked = makeFolder() / "folder-in-the-way";
    std::filesystem::create_directories(blocked);
    EXPECT_EQ(addMarkedWordsToDictionary(editor, blocked.string()), 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Could not open\n" + blocked.string());
    spellCheck(editor);
    EXPECT_EQ(marked(editor.document().getFirstLine()), std::vector<std::string>{"quik"});
}

TEST_F(SpellCheckTest, AMissingListTurnsTheCheckOffWithOneMessage) {
    WordListFiles missing = lists;
    missing.language.push_back("/nonexistent/german.words");
    useWordListFiles(&missing);
    freeDictionary();
    build({"% the quik fox", ">1"}, 1);
    spellCheck(editor);
    spellCheck(editor);
    EXPECT_EQ(editor.document().getFirstLine()->misspeltCount, 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("/nonexistent/german.words"), std::string::npos);
    EXPECT_FALSE(spellCheckAvailable());

    // Without any list every word counts as known.
    WordListFiles none;
    useWordListFiles(&none);
    freeDictionary();
    char word[] = "quik";
    EXPECT_TRUE(isKnownWord(word));
}

TEST(DictionaryTest, SortedByteWiseAndSearchedThatWay) {
    Dictionary words;
    for (const char* w : {"beta", "Alpha", "alpha", "zeta", "\xE9t\xE9"}) words.addWord(w);
    words.sortWords();
    words.insertWord("gamma");
    words.insertWord("Beta");
    for (const char* w : {"Alpha", "alpha", "Beta", "beta", "gamma", "zeta", "\xE9t\xE9"})
        EXPECT_TRUE(words.contains(w)) << w;
    for (const char* w : {"ALPHA", "delta", "", "zet"}) EXPECT_FALSE(words.contains(w)) << w;
    EXPECT_EQ(words.size(), 7u);
}

TEST_F(SpellCheckTest, DebiansEnglishListMarksTheQuikBrownFox) {
    if (!std::filesystem::exists("/usr/share/dict/american-english"))
        GTEST_SKIP() << "Debian's word list (package wamerican) is not installed";
    useWordListFiles(nullptr);
    freeDictionary();
    build({"% the quik brown fox jumps over the lazy dog", ">1"}, 1);
    spellCheck(editor);
    EXPECT_EQ(marked(editor.document().getFirstLine()), std::vector<std::string>{"quik"});
    EXPECT_TRUE(host.messages.empty());
    // The names of the help and the project's list are words too.
    loadHelpFiles(KALIX_RESOURCES);
    WordListFiles lists = wordListFilesFromSettings();
    lists.optional.push_back(std::string(KALIX_RESOURCES) + "kalix.words");
    useWordListFiles(&lists);
    freeDictionary();
    build({"% use linspace and glistadd with Kalix, Toeplitz and eigenvalues", ">1"}, 1);
    spellCheck(editor);
    EXPECT_EQ(marked(editor.document().getFirstLine()), std::vector<std::string>{});
    helpDatabase.clear();
}

}  // namespace kalix
