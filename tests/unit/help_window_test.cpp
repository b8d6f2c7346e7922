// The help window's model: answers as the user types, Enter and Escape,
// double clicks that follow links between entries, browser pages, and the
// text as the window shows it.
#include "base/text.h"
#include "help_fixture.h"
#include "notebook/help_window_model.h"

namespace kalix {

TEST(HelpDisplayTest, TabsNoBreakSpacesAndTheLimit) {
    selectCodePage(1252);
    struct Case {
        const char* answer;
        const char* shown;
    } cases[] = {
        {"a\tb", "a   b"},       {"ab\tc", "ab  c"},  {"abcd\te", "abcd    e"},
        {"x\ny\tz", "x\ny   z"}, {"x___y", "x\xA0y"}, {"__x", "__x"},
    };
    for (const Case& c : cases) EXPECT_EQ(helpDisplayText(c.answer), c.shown) << c.answer;
    EXPECT_EQ(helpDisplayText(std::string(40000, 'x')).size(), 31998u);
}

TEST(HelpDisplayTest, DoubleClickedWords) {
    std::string text = "See also: cos, &diff_x$2 and util.k. % 1x a";
    struct Case {
        size_t position;
        const char* word;
    } cases[] = {
        {10, "cos"}, {12, "cos"},    {16, "&diff_x$2"}, {21, "&diff_x$2"}, {23, ""},
        {15, ""},    {31, "util.k"}, {3, ""},           {4, "also"},       {38, ""},
        {39, ""},    {40, "x"},      {42, "a"},         {100, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(helpWordAt(text, c.position), c.word) << c.position;
}

// The name at the cursor of a command line, which F1 looks up when nothing
// is selected; in UTF-8 a letter beyond ASCII is one character of several
// bytes, in 1252 one byte.
TEST(HelpDisplayTest, NamesAtTheCursor) {
    struct Case {
        int codePage;
        const char* line;
        size_t column;
        const char* name;
    } cases[] = {
        {65001, ">x=linspace(0,1,4)", 3, "linspace"},
        {65001, ">x=linspace(0,1,4)", 7, "linspace"},
        {65001, ">x=linspace(0,1,4)", 11, "linspace"},  // before "("
        {65001, ">x=linspace(0,1,4)", 12, "linspace"},  // just behind "("
        {65001, ">x=linspace(0,1,4)", 14, ""},          // after "0,"
        {65001, ">x=linspace(0,1,4)", 1, "x"},
        {65001, ">x=linspace(0,1,4)", 0, ""},
        {65001, ">f_2$+1", 3, "f_2$"},
        {65001, ">12+a", 2, ""},  // a number is no name
        {65001, ">r\xC3\xA9sum\xC3\xA9(1)", 4, "r\xC3\xA9sum\xC3\xA9"},
        {65001, ">r\xC3\xA9sum\xC3\xA9(1)", 10, "r\xC3\xA9sum\xC3\xA9"},
        {65001, ">\xC3\xA9t\xC3\xA9", 1, "\xC3\xA9t\xC3\xA9"},
        {65001, ">\xC3\xA9t\xC3\xA9", 6, "\xC3\xA9t\xC3\xA9"},
        {65001,
         ">a\xC2\xB1"
         "b",
         2, "a"},  // plus-minus ends a name
        {1252, ">r\xE9sum\xE9(1)", 3, "r\xE9sum\xE9"},
        {1252, ">r\xE9sum\xE9(1)", 8, "r\xE9sum\xE9"},
        {1252,
         ">a\xB1"
         "b",
         2, "a"},
        {65001, ">sin(", 99, "sin"},
    };
    for (const Case& c : cases) {
        selectCodePage(c.codePage);
        EXPECT_EQ(helpNameAt(c.line, c.column), c.name) << c.line << " at " << c.column;
    }
    selectCodePage(1252);
}

// In both code pages tab stops and the limit count characters, a no-break
// space is the code page's own, and a double click takes whole letters.
TEST(HelpDisplayTest, CharactersOfSeveralBytesInBothCodePages) {
    struct Case {
        const char* answer;
        const char* shown;
        bool singleByte;
    } cases[] = {
        {"\u00e4\tb", "\u00e4   b", true},
        {"\u6f22\u5b57\tc", "\u6f22\u5b57  c", false},
        {"\U0001F600\t\u00e9", "\U0001F600   \u00e9", false},
        {"x___\u00fc", "x\u00a0\u00fc", true},
    };
    const char* words = "See gr\u00f6\u00dfe_x, \u6f22\u5b57 and \u00e4\u00a0b.";
    struct Word {
        const char* before;  // the text before the clicked character
        const char* word;
        bool singleByte;
    } clicks[] = {
        {"See gr", "gr\u00f6\u00dfe_x", true},
        {"See gr\u00f6\u00df", "gr\u00f6\u00dfe_x", true},
        {"See gr\u00f6\u00dfe_x, \u6f22", "\u6f22\u5b57", false},
        {"See gr\u00f6\u00dfe_x, \u6f22\u5b57 and ", "\u00e4\u00a0b", false},
    };
    for (int page : {65001, 1252}) {
        selectCodePage(page);
        auto inPage = [](const char* utf8) {
            std::string text;
            utf8ToCodePage(utf8, text);
            return text;
        };
        for (const Case& c : cases) {
            if (page == 1252 && !c.singleByte) continue;
            EXPECT_EQ(helpDisplayText(inPage(c.answer)), inPage(c.shown)) << page << c.answer;
        }
        if (page == 65001) {
            // The limit never cuts a character.
            std::string many;
            for (int i = 0; i < 10000; i++) many += "\U0001F600";
            std::string shown = helpDisplayText(many);
            EXPECT_EQ(shown.size(), 31996u);
            EXPECT_TRUE(isValidUtf8(shown.c_str(), shown.size()));
        }
        for (const Word& w : clicks) {
            if (page == 1252 && !w.singleByte) continue;
            EXPECT_EQ(helpWordAt(inPage(words), inPage(w.before).size()), inPage(w.word))
                << page << " " << w.before;
        }
    }
}

TEST_F(HelpTest, TypingEnterAndEscapeInTheQueryField) {
    HelpWindowModel window;
    window.setQuery("c");
    EXPECT_NE(window.shownText().find("cos cosh \n"), std::string::npos) << window.shownText();
    window.setQuery("co");
    window.enter();
    EXPECT_EQ(window.query(), "cos ");
    EXPECT_EQ(body(window.shownText()), "cos\ncos(x)\n");
    EXPECT_FALSE(window.escape());
    EXPECT_EQ(window.query(), "");
    EXPECT_EQ(body(window.shownText()), "Topics\nFunctions, commands and operators of Kalix.\n");
    EXPECT_TRUE(window.escape());
}

TEST_F(HelpTest, DoubleClicksFollowLinksBetweenEntries) {
    HelpWindowModel window;
    window.showTopic("sin");
    EXPECT_EQ(window.query(), "sin ");
    const std::string& text = window.shownText();
    size_t link = text.find("See also: cos") + 10;
    ASSERT_TRUE(window.doubleClick(link));
    EXPECT_EQ(window.query(), "cos ");
    EXPECT_EQ(body(window.shownText()), "cos\ncos(x)\n");
    // The history line above the answer names what was shown before.
    EXPECT_EQ(window.shownText().substr(0, 5), "sin\n-");
    size_t x = window.shownText().find("cos(x)") + 4;
    EXPECT_FALSE(window.doubleClick(x));  // "x" is a one-letter word
    EXPECT_EQ(window.query(), "cos ");

    // A Maxima query keeps looking words up in Maxima's help; a full-text
    // search goes into the history first.
    window.setQuery("&co");
    window.setQuery("&co" + std::string(200, ' '));
    EXPECT_TRUE(window.doubleClick(window.shownText().find("cos")));
    EXPECT_EQ(window.query(), "&cos ");
    window.setQuery("?sine");
    EXPECT_TRUE(window.doubleClick(window.shownText().find("sin :")));
    std::vector<std::string> history = helpHistory();
    EXPECT_NE(std::find(history.begin(), history.end(), "?sine"), history.end());
    EXPECT_EQ(window.query(), "sin ");
}

TEST_F(HelpTest, ShowTopicAndBrowserPages) {
    HelpWindowModel window;
    struct Case {
        const char* topic;
        const char* query;
    } topics[] = {{"sin", "sin "}, {"sin(", "sin("}, {"?x", "?x"}, {"util.k", "util.k"}, {"", ""}};
    for (const Case& c : topics) {
        window.showTopic(c.topic);
        EXPECT_EQ(window.query(), c.query) << c.topic;
    }
    EXPECT_EQ(window.browserPage(), "reference/overview.html");
    window.setQuery("&diff ");
    EXPECT_EQ(window.browserPage(), "reference/index.html#diff");
    window.setQuery("plot(");
    EXPECT_EQ(window.browserPage(), "reference/index.html#plot");
    window.setQuery("co");
    window.setQuery("*os");
    EXPECT_EQ(window.browserPage(), "reference/index.html#cos");
    EXPECT_EQ(window.query(), "cos ");

    EXPECT_TRUE(helpRequestForWord("http://example.org", false).browser);
    EXPECT_TRUE(helpRequestForWord("See: page.html", false).browser);
    setStatusHelp("linspace", 0);
    EXPECT_EQ(helpRequestForWord("", false).target, "linspace");
    EXPECT_EQ(helpRequestForWord("diff", true).target, "&diff");
    EXPECT_EQ(helpRequestForWord("sin", false).target, "sin");
    EXPECT_EQ(browserPageForWord("&diff"), "reference/index.html#diff");
    EXPECT_EQ(browserPageForWord(""), "reference/index.html");
}

TEST_F(HelpTest, TheWindowAsksWhetherTheInterpreterMayBeRead) {
    run("function f(x)\n## adds two\nreturn x\nendfunction\n");
    bool idle = false;
    HelpWindowModel window([&] { return idle; });
    window.setQuery("f(");
    EXPECT_EQ(window.shownText().find("function f"), std::string::npos);
    idle = true;
    window.setQuery("f(");
    EXPECT_NE(window.shownText().find("function f (x)"), std::string::npos);
}

TEST_F(HelpTest, TheWindowPlaceIsRememberedAndKeptLargeEnough) {
    PrivateSettingsFolder folder;
    HelpWindowPlace place = readHelpWindowPlace();
    EXPECT_GE(place.width, 500);
    EXPECT_GE(place.height, 300);
    rememberHelpWindowPlace({10, 20, 300, 200});
    place = readHelpWindowPlace();
    EXPECT_EQ(place.x, 10);
    EXPECT_EQ(place.y, 20);
    EXPECT_EQ(place.width, 500);
    EXPECT_EQ(place.height, 300);
}

}  // namespace kalix
