// The help window over the real notebook window: the query field, the
// answer, Enter, Escape, double clicks, F1 on the notebook, the Tasks menu,
// its place kept between openings; and the spell check from the menu.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/settings.h"
#include "gui/help_window.h"
#include "gui/kalix_menu.h"
#include "modal_helpers.h"
#include "notebook/help_database.h"
#include "notebook/spell_check.h"
#include "window_fixture.h"

namespace kalix {

namespace {

class HelpWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        helpDatabase.clear();
        helpDatabase.addHelpLines({
            "!Topics",
            "Functions, commands and operators of Kalix.",
            "#",
            "!sin",
            "sin(x)",
            "    The sine of x.",
            "See also: cos",
            "#",
            "!cos",
            "cos(x)",
            "#",
            "!cosh",
            "cosh(x)",
            "#",
            "!linspace",
            "linspace(a,b,n)",
            "    n+1 points from a to b.",
            "#",
            "!Plots\u00a0in\u00a0"
            "2D",
            "plot2d, plot and their styles.",
            "#",
        });
        clearHelpHistory();
        setCurrentHelpWord("");
        setStatusHelp("", 0);
        WindowTest::SetUp();
    }
    void TearDown() override {
        QPointer<QWidget> help = helpWindowWidget();
        if (help) help->close();
        waitFor([&] { return !help; });
        WindowTest::TearDown();
        helpDatabase.clear();
    }

    QWidget* help() { return helpWindowWidget(); }
    QLineEdit* field() { return controlById<QLineEdit>(help(), 11); }
    QPlainTextEdit* answer() { return controlById<QPlainTextEdit>(help(), 12); }
    std::string query() { return field()->text().toStdString(); }
    std::string shown() { return answer()->toPlainText().toStdString(); }
    // The shown answer without the history line above it.
    std::string body() {
        std::string text = shown();
        size_t rule = text.find("-\n\n");
        return rule == std::string::npos ? text : text.substr(rule + 3);
    }
    void keyInField(Qt::Key key) { QTest::keyClick(field(), key); }
    // Escape in the field until the window hides, and back to the notebook.
    void backToNotebook() {
        for (int i = 0; i < 2 && help()->isVisible(); i++) keyInField(Qt::Key_Escape);
        ASSERT_FALSE(help()->isVisible());
        notebookActive();
    }
    // The notebook's window active and the notebook with the keyboard (the
    // hidden help window may take the activation back for a while).
    void notebookActive() {
        ASSERT_TRUE(waitFor([this] {
            if (QApplication::activeWindow() != frame) frame->activateWindow();
            return QApplication::activeWindow() == frame && QApplication::focusWidget() == client;
        }));
    }
    void pressF1() {
        notebookActive();
        press(Qt::Key_F1);
    }
    bool checked(int id) {
        std::vector<QAction*> items = menuActions(frame->findChild<QMenuBar*>(), id);
        return !items.empty() && items[0]->isChecked();
    }
};

}  // namespace

TEST_F(HelpWindowTest, TheFieldLooksUpEveryChangeEnterTakesTheFirstMatchEscapeEmptiesThenHides) {
    host.getMenu()->dispatchMenuCommand(7980);  // the overview: the list of topics
    ASSERT_NE(help(), nullptr);
    EXPECT_TRUE(help()->isVisible());
    EXPECT_EQ(help()->windowTitle().toStdString(), "Kalixbench - Help Window");
    EXPECT_EQ(controlById<QPushButton>(help(), 13)->text().toStdString(), "Open Browser (F2)");
    EXPECT_TRUE(answer()->isReadOnly());
    EXPECT_NE(shown().find("Functions, commands and operators of Kalix."), std::string::npos);

    QTest::keyClicks(field(), "c");
    EXPECT_NE(shown().find("cos cosh"), std::string::npos) << shown();
    QTest::keyClicks(field(), "o");
    keyInField(Qt::Key_Return);
    EXPECT_EQ(query(), "cos ");
    EXPECT_EQ(body(), "cos\ncos(x)\n");
    // Exactly one match: Enter shows it rather than emptying the field.
    field()->clear();
    QTest::keyClicks(field(), "cosh");
    keyInField(Qt::Key_Return);
    EXPECT_EQ(query(), "cosh ");
    EXPECT_EQ(body(), "cosh\ncosh(x)\n");
    field()->clear();
    QTest::keyClicks(field(), "Plo");
    keyInField(Qt::Key_Return);
    EXPECT_EQ(body().substr(0, 5), "Plots");
    field()->clear();
    QTest::keyClicks(field(), "co");
    keyInField(Qt::Key_Return);

    // Keys in the answer do not edit it; Escape there empties the field.
    QTest::keyClicks(answer(), "abc");
    EXPECT_EQ(body(), "cos\ncos(x)\n");
    QTest::keyClick(answer(), Qt::Key_Escape);
    EXPECT_EQ(query(), "");

    QTest::keyClicks(field(), "sin");
    keyInField(Qt::Key_Escape);
    EXPECT_EQ(query(), "");
    EXPECT_TRUE(help()->isVisible());
    keyInField(Qt::Key_Escape);
    EXPECT_FALSE(help()->isVisible());
    // Hidden, not forgotten: the next request shows the same window.
    QWidget* first = help();
    host.getMenu()->dispatchMenuCommand(7980);
    EXPECT_EQ(help(), first);
    EXPECT_TRUE(help()->isVisible());
}

// Every topic of the Tasks menu opens its entry of the help files.
TEST_F(HelpWindowTest, EveryTasksTopicOpensItsEntry) {
    helpDatabase.clear();
    ASSERT_EQ(loadHelpFiles(QT_TESTCASE_SOURCEDIR "/../resources/"), 2);
    for (int id = taskHelpFirstId; id < taskHelpFirstId + taskHelpCount; id++) {
        std::string topic = taskHelpTopic(id);
        const HelpEntry* entry = helpDatabase.findTopic(topic);
        ASSERT_NE(entry, nullptr) << topic;
        ASSERT_GE(entry->lines.size(), 3u) << topic;
        host.getMenu()->dispatchMenuCommand(id);
        ASSERT_NE(help(), nullptr);
        EXPECT_EQ(body().rfind(topic + "\n" + entry->lines.front() + "\n", 0), 0u) << topic << "\n"
                                                                                   << shown();
    }
}

// The Help menu's pages, Ctrl+H on a name and F2 in the help window open
// pages of the documentation written at build time; a stand-in browser
// records what it is asked to open.
TEST_F(HelpWindowTest, HelpPagesOpenFilesThatExist) {
    namespace fs = std::filesystem;
    // The pages lie in "docs" of the build folder, one above this test's
    // program; the setting browserdir points there.
    fs::path docs = fs::canonical("/proc/self/exe").parent_path().parent_path() / "docs";
    // A missing page would stop in a box that says so: the files are looked
    // for first.
    for (const char* page : {"documentation.html", "reference/index.html",
                             "reference/maximacore.html", "reference/overview.html"})
        ASSERT_TRUE(fs::is_regular_file(docs / page)) << (docs / page);
    fs::path work = fs::temp_directory_path() / ("kalix-browser-" + std::to_string(getpid()));
    fs::create_directories(work);
    fs::path pages = work / "pages";
    fs::path browser = work / "browser";
    std::ofstream(browser) << "#!/bin/sh\necho \"$1\" >> '" << pages.string() << "'\n";
    fs::permissions(browser, fs::perms::owner_all);
    std::string savedBrowser = textSetting("browserstring");
    std::string savedFolder = textSetting("browserdir");
    writeSetting("browserstring", browser.string().c_str());
    writeSetting("browserdir", docs.string().c_str());
    for (int id : {6801, 6003, 6860}) host.getMenu()->dispatchMenuCommand(id);
    type("sqrt(2)");
    press(Qt::Key_Home);
    for (int i = 0; i < 4; i++) press(Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(editor().getSelectionText(), "sqrt");
    host.getMenu()->dispatchMenuCommand(4001);
    host.getMenu()->dispatchMenuCommand(7980);
    ASSERT_NE(help(), nullptr);
    QTest::keyClick(field(), Qt::Key_F2);  // the empty field: the overview

    auto opened = [&] {
        std::ifstream in(pages);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };
    ASSERT_TRUE(waitFor([&] { return opened().size() == 5; })) << opened().size();
    std::vector<std::string> expected = {"documentation.html", "reference/index.html",
                                         "reference/maximacore.html", "reference/index.html#sqrt",
                                         "reference/overview.html"};
    std::vector<std::string> got = opened();  // the browsers may finish in any order
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(got[i], "file://" + docs.string() + "/" + expected[i]);
        std::string file = got[i].substr(7, got[i].find('#') - 7);
        std::ifstream in(file);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("<h1>"), std::string::npos) << file;
        size_t hash = got[i].find('#');
        if (hash != std::string::npos) {
            EXPECT_NE(text.find("id=\"" + got[i].substr(hash + 1) + "\""), std::string::npos);
        }
    }
    writeSetting("browserstring", savedBrowser.c_str());
    writeSetting("browserdir", savedFolder.c_str());
    fs::remove_all(work);
}

TEST_F(HelpWindowTest, DoubleClickLooksTheWordUpAndOneLetterWordsAreLeftAlone) {
    showHelpTopic("sin");
    ASSERT_NE(help(), nullptr);
    EXPECT_EQ(query(), "sin ");
    auto clickOn = [this](const char* word, int offset) {
        QTextCursor cursor = answer()->document()->find(word);
        ASSERT_FALSE(cursor.isNull()) << word;
        cursor.setPosition(cursor.selectionStart() + offset);
        QRect place = answer()->cursorRect(cursor);
        QTest::mouseDClick(answer()->viewport(), Qt::LeftButton, Qt::NoModifier,
                           place.center() + QPoint(2, 0));
    };
    clickOn("sin(x)", 4);  // the "x": one letter
    EXPECT_EQ(query(), "sin ");
    clickOn("See also: cos", 10);
    EXPECT_EQ(query(), "cos ");
    EXPECT_EQ(body(), "cos\ncos(x)\n");
}

TEST_F(HelpWindowTest, TasksF1AndTheStatusHelpOpenTopics) {
    // The Tasks menu looks its topics up with no-break spaces.
    host.getMenu()->dispatchMenuCommand(9005);
    ASSERT_NE(help(), nullptr);
    EXPECT_NE(body().find("plot2d, plot and their styles."), std::string::npos) << shown();

    // F1 on a selected name; nothing selected and off any name: the
    // status-line help.
    activateAgain(frame);
    type("sin(1)+");
    press(Qt::Key_Home);
    for (int i = 0; i < 3; i++) press(Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(editor().getSelectionText(), "sin");
    press(Qt::Key_F1);
    EXPECT_EQ(query(), "sin ");
    EXPECT_EQ(body(), "sin\nsin(x)\n    The sine of x.\nSee also: cos\n");
    {
        TextLockHold hold(editor(), "test");
        editor().unmarkAll();
    }
    press(Qt::Key_End);
    setStatusHelp("cosh", 0);
    host.getMenu()->dispatchMenuCommand(7440);
    EXPECT_EQ(query(), "cosh ");

    // Closed with the close box: forgotten; a new one opens at the place
    // the old one had.
    help()->move(200, 150);
    help()->resize(520, 320);
    ASSERT_TRUE(waitFor([&] {
        return help()->pos() == QPoint(200, 150) && help()->size() == QSize(520, 320) &&
               help()->windowHandle()->geometry() == help()->geometry();
    }));
    QPoint place = help()->pos();
    QPointer<QWidget> closed = help();
    help()->close();
    EXPECT_EQ(help(), nullptr);
    ASSERT_TRUE(waitFor([&] { return !closed; }));
    showHelpTopic("cos");
    ASSERT_NE(help(), nullptr);
    EXPECT_EQ(help()->pos(), place);
    EXPECT_EQ(help()->size(), QSize(520, 320));
}

// F1 with nothing selected: the name at the cursor, in the command being
// typed or in one above; off a name, the name the status line explained.
TEST_F(HelpWindowTest, F1OpensTheHelpOfTheNameAtTheCursor) {
    QLabel* status = window->parts().status;
    ASSERT_NE(status, nullptr);
    type("linspace");
    ASSERT_TRUE(waitFor([&] { return status->text() == "linspace(a,b,n)"; }))
        << status->text().toStdString();
    pressF1();
    ASSERT_NE(help(), nullptr);
    EXPECT_EQ(query(), "linspace ");
    EXPECT_EQ(body(), "linspace\nlinspace(a,b,n)\n    n+1 points from a to b.\n");

    backToNotebook();
    type("(0,1,4)+sin(1)");
    ASSERT_TRUE(returnAndWait());
    // Up to the command above, into its names.
    struct Case {
        int column;  // after the prompt
        const char* query;
    };
    const Case cases[] = {{1, "linspace "}, {5, "linspace "}, {9, "linspace "}, {10, "linspace "},
                          {17, "sin "},     {19, "sin "},     {20, "sin "}};
    for (const Case& c : cases) {
        backToNotebook();
        press(Qt::Key_End, Qt::ControlModifier);
        press(Qt::Key_Up);
        press(Qt::Key_Home);
        for (int i = 0; i < c.column - 1; i++) press(Qt::Key_Right);
        ASSERT_EQ(cursorText(), ">linspace(0,1,4)+sin(1)");
        ASSERT_EQ(cursorColumn(), c.column);
        pressF1();
        EXPECT_EQ(query(), c.query) << "column " << c.column;
    }

    // Just behind "sin(": sin; off any name: the name whose help the
    // status line showed.
    backToNotebook();
    press(Qt::Key_End, Qt::ControlModifier);
    type("sin(");
    ASSERT_TRUE(waitFor([&] { return status->text() == "sin(x)"; }))
        << status->text().toStdString();
    pressF1();
    EXPECT_EQ(query(), "sin ");
    backToNotebook();
    type("1)+");
    ASSERT_TRUE(waitFor([&] { return status->text().isEmpty(); }));
    pressF1();
    EXPECT_EQ(query(), "sin ");

    // A name of letters beyond ASCII, the cursor between two of them.
    backToNotebook();
    press(Qt::Key_Home);
    type("gr\u00f6\u00dfe*");
    press(Qt::Key_Home);
    for (int i = 0; i < 3; i++) press(Qt::Key_Right);
    ASSERT_EQ(cursorText(), ">gr\u00f6\u00dfe*sin(1)+");
    pressF1();
    EXPECT_EQ(query(), "gr\u00f6\u00dfe ");
}

TEST_F(HelpWindowTest, SpellCheckFromTheMenuMarksAndAddsWords) {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/kalix-words-XXXXXX";
    fs::path folder = mkdtemp(pattern);
    {
        std::ofstream list(folder / "english.words");
        list << "a\ncomment\nwith\n";
    }
    WordListFiles files{{(folder / "english.words").string()}, {}};
    useWordListFiles(&files);
    freeDictionary();
    editor().setComment("a comment with kalixish");
    auto marks = [this] {
        TextLockHold hold(editor(), "test");
        int count = 0;
        for (NotebookLine* line = editor().document().getFirstLine(); line; line = line->next)
            count += line->misspeltCount;
        return count;
    };
    KalixMenu& menu = *host.getMenu();
    writeIntSetting("spellcheck", 0);
    menu.dispatchMenuCommand(7470);
    EXPECT_EQ(intSetting("spellcheck"), 1);
    EXPECT_TRUE(checked(7470));
    EXPECT_EQ(marks(), 1);
    menu.dispatchMenuCommand(7470);
    EXPECT_EQ(intSetting("spellcheck"), 0);
    EXPECT_FALSE(checked(7470));
    EXPECT_EQ(marks(), 0);
    menu.dispatchMenuCommand(7470);
    EXPECT_EQ(marks(), 1);
    useWordListFiles(nullptr);
    freeDictionary();
    fs::remove_all(folder);
}

}  // namespace kalix
