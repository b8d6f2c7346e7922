// The main menu of the notebook window: its items, check marks, keys and
// accelerators, the toggled settings, the recent notebooks, the user menu
// that addmenu, submenu and load fill, and the commands whose facilities
// are not in the program yet.
#include <QClipboard>
#include <QGuiApplication>

#include <unistd.h>

#include <algorithm>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/settings.h"
#include "gui/kalix_menu.h"
#include "modal_helpers.h"
#include "window_fixture.h"

namespace kalix {

namespace {

class MenuTest : public WindowTest {
  protected:
    KalixMenu& menu() { return *host.getMenu(); }
    QMenuBar* bar() { return window->parts().menuBar; }
    // The texts of a popup's (or submenu's) items and submenus, in order;
    // separators as "-".
    static std::vector<std::string> texts(QMenu* popup) {
        std::vector<std::string> out;
        for (QAction* action : popup->actions())
            out.push_back(action->isSeparator() ? "-" : action->text().toStdString());
        return out;
    }
    QMenu* popup(int position) { return bar()->actions()[position]->menu(); }
    static QMenu* submenu(QMenu* popup, const char* title) {
        for (QAction* action : popup->actions())
            if (action->menu() && action->text() == title) return action->menu();
        return nullptr;
    }
    QAction* item(int id) {
        std::vector<QAction*> found = menuActions(bar(), id);
        return found.empty() ? nullptr : found[0];
    }
    // Runs a command and waits until the interpreter waits again.
    bool runMenu(int id) {
        int waits = host.getInputWaitCount();
        menu().dispatchMenuCommand(id);
        return waitForPrompt(waits);
    }
    std::filesystem::path folder() {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("kalix-menu-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }
    void TearDown() override {
        std::filesystem::remove_all(folder());
        WindowTest::TearDown();
    }
};

}  // namespace

TEST_F(MenuTest, ThePopupsAndTheirItemsStandAsWrittenWithTheirKeys) {
    std::vector<std::string> titles;
    for (QAction* action : bar()->actions()) titles.push_back(action->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Recent", "&Edit", "E&xtras", "Options",
                                                "User Menu", "Tasks", "&Help"}));
    EXPECT_EQ(texts(popup(popupFile)),
              (std::vector<std::string>{"&Restart Kalix\tCtrl+N",
                                        "-",
                                        "&Open ...\tCtrl+O",
                                        "Open in Kalix Files ...\tAlt+O",
                                        "Open Tutorials or Examples",
                                        "-",
                                        "Open a second window with KXW\tCtrl+Shift+O",
                                        "-",
                                        "&Save\tCtrl+S",
                                        "Save &as ...\tShift+Ctrl+S",
                                        "Save in Kalix Files ...\tAlt+S",
                                        "Save and create &ZIP",
                                        "-",
                                        "&Load and interpret *.k File",
                                        "-",
                                        "Save Graphics as P&NG ...",
                                        "&Copy Graphics to Clipboard as Bitmap",
                                        "Crop for Graphics Export ...",
                                        "-",
                                        "Save Graphics as S&VG ...",
                                        "Copy Graphics to Clipboard as &Metafile ",
                                        "-",
                                        "&Print Graphics",
                                        "-",
                                        "E&xit\tAlt+F4"}));
    QMenu* commandLine = submenu(popup(popupEdit), "Command Line");
    ASSERT_NE(commandLine, nullptr);
    EXPECT_EQ(texts(commandLine), (std::vector<std::string>{
                                      "&Join Line With Previous Line\tCtrl+Back",
                                      "&Split Command at Cursor Position\tCtrl+Return",
                                      "&Split Line at Cursor Position\tShift+Ctrl+Return",
                                      "-",
                                      "&Delete current Command\tAlt+Back",
                                      "&Undo: Insert deleted Commands\tAlt+U",
                                      "-",
                                      "&Insert Command above\tAlt+Insert",
                                      "&Clear Current Command Line\tCtrl+Delete",
                                  }));
    // Labels spelled right (70 columns is what fixlinelength fixes); the same id may stand twice.
    struct Sample {
        int id;
        const char* text;
    };
    for (Sample s : {Sample{120, "Select all\tCtrl-A"}, Sample{6060, "Search for ...\tCtrl+F"},
                     Sample{6037, "Save Notebook Images in Subdirectory \\images"},
                     Sample{6810, "Show Graphics\tTAB"}, Sample{6800, "Fix Linewidth to 70"},
                     Sample{3002, "Insert previous Command from History\tCtrl+Up"},
                     Sample{9011, "Algebraic Transformations"}, Sample{9000, "Help on Help"},
                     Sample{userMenuFirstId, "Currently Empty"}, Sample{109, "About Kalix"}}) {
        ASSERT_NE(item(s.id), nullptr) << s.id;
        EXPECT_EQ(item(s.id)->text().toStdString(), s.text);
    }
    EXPECT_EQ(menuActions(bar(), 125).size(), 2u);
    EXPECT_EQ(menuActions(bar(), 9009).size(), 3u);
    // The Options popup: four items, the six settings submenus, the reset.
    std::vector<std::string> options = texts(popup(popupOptions));
    EXPECT_EQ(options.size(), 13u);
    EXPECT_EQ(options.back(), "Reset default values for Kalix");
    EXPECT_EQ(options[options.size() - 3], "Beamer Settings");
    EXPECT_EQ(texts(popup(popupRecent)), (std::vector<std::string>{"&Clear Recent", "-"}));
}

TEST_F(MenuTest, CheckMarksShowTheSettingsAndTogglesKeepThemInStep) {
    // Defaults of the key table: on, off, and the antialiasing handler's.
    EXPECT_TRUE(item(6000)->isChecked());
    EXPECT_FALSE(item(7960)->isChecked());
    EXPECT_TRUE(item(6700)->isChecked());
    EXPECT_TRUE(item(7601)->isChecked());
    EXPECT_FALSE(item(7602)->isChecked());
    item(6000)->trigger();
    EXPECT_EQ(intSetting("askconfirmations"), 0);
    EXPECT_FALSE(item(6000)->isChecked());
    menu().dispatchMenuCommand(6000);
    EXPECT_EQ(intSetting("askconfirmations"), 1);
    EXPECT_TRUE(item(6000)->isChecked());
    // Toggles without an item flip their settings too.
    int before = intSetting("allowvaroverwrite");
    menu().dispatchMenuCommand(6840);
    EXPECT_EQ(intSetting("allowvaroverwrite"), !before);
    menu().dispatchMenuCommand(6840);
}

TEST_F(MenuTest, AcceleratorsRunTheirCommands) {
    struct Key {
        const char* keys;
        int id;
    };
    for (Key k : {Key{"Ctrl+N", 2001}, Key{"Shift+Return", 6080}, Key{"Ctrl+Shift+Return", 7940},
                  Key{"Alt+Ins", 117}, Key{"F9", 121}, Key{"Ctrl+Del", 7501},
                  Key{"Ctrl+Backspace", 7500}, Key{"Alt+F4", 101}, Key{"Ctrl+Z", 6062}})
        EXPECT_EQ(menu().acceleratorCommand(k.keys), k.id) << k.keys;
    // Tab, Ctrl+Up and Ctrl+Down are the text window's own keys.
    EXPECT_EQ(menu().acceleratorCommand("Tab"), 0);
    EXPECT_EQ(menu().acceleratorCommand("Ctrl+Up"), 0);

    // Alt+Backspace deletes the command, Alt+U (also the User Menu's
    // mnemonic once) brings it back.
    ASSERT_TRUE(run("1+1"));
    {
        TextLockHold hold(editor(), "test");
        editor().setCursorLine(editor().document().getFirstLine(), 1);
    }
    ASSERT_EQ(cursorText(), ">1+1");
    press(Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(menu().getLastCommandId(), 116);
    EXPECT_NE(cursorText(), ">1+1");
    press(Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(menu().getLastCommandId(), 2005);
    EXPECT_EQ(cursorText(), ">1+1");

    // A key pressed in the window: Ctrl+A selects the whole notebook.
    press(Qt::Key_A, Qt::ControlModifier);
    TextLockHold hold(editor(), "test");
    EXPECT_EQ(editor().cursor().getSelectionFirst(), editor().document().getFirstLine());
    EXPECT_EQ(editor().cursor().getSelectionLast(), editor().lastLine());
}

TEST_F(MenuTest, TheRecentListKeepsTwentyNotebooksWithoutDuplicates) {
    for (int i = 0; i < 21; i++)
        menu().addRecentFile(("/notes/n" + std::to_string(i) + ".kn").c_str());
    menu().addRecentFile("/notes/n5.kn");
    std::vector<std::string> files = menu().getRecentFiles();
    ASSERT_EQ(files.size(), 20u);
    EXPECT_EQ(files.front(), "/notes/n1.kn");
    EXPECT_EQ(files.back(), "/notes/n5.kn");
    EXPECT_EQ(std::count(files.begin(), files.end(), "/notes/n5.kn"), 1);
    EXPECT_STREQ(textSetting("recent19"), "/notes/n5.kn");
    std::vector<std::string> items = texts(popup(popupRecent));
    ASSERT_EQ(items.size(), 22u);
    EXPECT_EQ(items[2], "n1");
    EXPECT_EQ(items.back(), "n5");

    // Another thread's notebook reaches the list through the GUI thread.
    std::thread saver([this] { menu().addRecentFile("/notes/saved.kn"); });
    saver.join();
    ASSERT_TRUE(waitFor([this] { return menu().getRecentFiles().back() == "/notes/saved.kn"; }));

    // A notebook that is gone says so and stays in the list.
    std::string message;
    answerNextBox(&message);
    menu().dispatchMenuCommand(recentFirstId + 19);
    EXPECT_EQ(message, "Load Recent: File does no longer exist!");
    EXPECT_EQ(menu().getRecentFiles().size(), 20u);

    menu().dispatchMenuCommand(6400);
    EXPECT_TRUE(menu().getRecentFiles().empty());
    EXPECT_EQ(texts(popup(popupRecent)).size(), 2u);
    EXPECT_STREQ(textSetting("recent0"), "");
}

TEST_F(MenuTest, AddmenuEntriesInsertTheirTextAtTheCursor) {
    ASSERT_TRUE(run("submenu Mine"));
    ASSERT_TRUE(run("addmenu x=%;"));
    ASSERT_TRUE(run("addmenu plot(?x)"));
    ASSERT_TRUE(run("addmenu x=%;"));
    ASSERT_TRUE(run("submenu Symbolic"));
    ASSERT_TRUE(run("addmenu :: diff(%,x)"));
    ASSERT_TRUE(waitFor([this] { return menu().getUserMenuCount() == 3; }));
    QMenu* mine = submenu(popup(popupUser), "Mine");
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(texts(mine), (std::vector<std::string>{"x=;", "plot(x)"}));
    EXPECT_EQ(texts(popup(popupUser)), (std::vector<std::string>{"Mine", "Symbolic"}));

    // "%" is not inserted: the cursor stands where it was.
    item(userMenuFirstId)->trigger();
    EXPECT_EQ(cursorText(), ">x=;");
    EXPECT_EQ(cursorColumn(), 3);
    // "?" stays and takes the cursor.
    item(userMenuFirstId + 1)->trigger();
    EXPECT_EQ(cursorText(), ">x=plot(?x);");
    EXPECT_EQ(cursorColumn(), 8);
    // A symbolic entry on an ordinary command inserts nothing ...
    item(userMenuFirstId + 2)->trigger();
    EXPECT_EQ(cursorText(), ">x=plot(?x);");
    // ... and on a bare prompt makes a symbolic line.
    {
        TextLockHold hold(editor(), "test");
        editor().cursor().getLine()->text.assign(">");
        editor().setCursorColumn(1);
    }
    item(userMenuFirstId + 2)->trigger();
    EXPECT_EQ(cursorText(), ">:: diff(,x)");
    EXPECT_EQ(cursorColumn(), 9);
}

TEST_F(MenuTest, LoadedFilesAndTheirEntriesGoToSubmenusAndARestartClearsThem) {
    std::string program = (folder() / "tools").string();
    std::ofstream(program + ".k") << "addmenu tool(%)\n";
    std::ofstream(program + ".cfg") << "addmenu fromcfg\n";
    ASSERT_TRUE(run(("load \"" + program + "\"").c_str()));
    ASSERT_TRUE(run(("load \"" + program + ".cfg\"").c_str()));
    ASSERT_TRUE(waitFor([this] { return menu().getUserMenuCount() == 3; }));
    QMenu* loaded = submenu(popup(popupUser), "Loaded Kalix Files");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(texts(loaded), (std::vector<std::string>{program + ".k"}));
    QMenu* tools = submenu(popup(popupUser), program.c_str());
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(texts(tools), (std::vector<std::string>{"tool()"}));

    writeIntSetting("askconfirmations", 0);
    answerNextBox(nullptr, QMessageBox::No);  // the changed notebook is not saved
    ASSERT_TRUE(runMenu(2001));
    writeIntSetting("askconfirmations", 1);
    EXPECT_EQ(menu().getUserMenuCount(), 0);
    EXPECT_EQ(texts(popup(popupUser)), (std::vector<std::string>{"Currently empty!"}));
    // The placeholder does nothing; the next entry replaces it.
    item(userMenuFirstId)->trigger();
    EXPECT_EQ(cursorText(), ">");
    ASSERT_TRUE(run("addmenu again"));
    ASSERT_TRUE(waitFor([this] { return menu().getUserMenuCount() == 1; }));
    std::vector<std::string> entries = texts(popup(popupUser));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0], "Currently empty!");
}

// A loaded file's addmenu entries go to a submenu named after it; once the
// load has ended, addmenu goes to the submenu before it again ("Other" at
// first, or the one a submenu command chose), also after a nested load.
TEST_F(MenuTest, AddmenuAfterALoadGoesToTheSubmenuBeforeIt) {
    std::string inner = (folder() / "inner").string();
    std::string outer = (folder() / "outer").string();
    std::ofstream(inner + ".k") << "addmenu inner(%)\n";
    std::ofstream(outer + ".k") << "addmenu first(%)\nload \"" << inner << "\"\naddmenu last(%)\n";
    ASSERT_TRUE(run(("load \"" + outer + "\"").c_str()));
    ASSERT_TRUE(run("addmenu atprompt(%)"));
    ASSERT_TRUE(run("submenu Mine"));
    ASSERT_TRUE(run(("load \"" + inner + "\"").c_str()));
    ASSERT_TRUE(run("addmenu mine(%)"));
    ASSERT_TRUE(waitFor([this] { return menu().getUserMenuCount() == 7; }));
    struct Case {
        std::string submenu;
        std::vector<std::string> entries;
    };
    for (const Case& c : {Case{outer, {"first()", "last()"}}, Case{inner, {"inner()"}},
                          Case{"Other", {"atprompt()"}}, Case{"Mine", {"mine()"}}}) {
        QMenu* found = submenu(popup(popupUser), c.submenu.c_str());
        ASSERT_NE(found, nullptr) << c.submenu;
        EXPECT_EQ(texts(found), c.entries) << c.submenu;
    }
}

TEST_F(MenuTest, AnEmptyAddmenuOrSubmenuGivesItsOwnName) {
    ASSERT_TRUE(run("submenu"));
    ASSERT_TRUE(run("addmenu"));
    ASSERT_TRUE(waitFor([this] { return menu().getUserMenuCount() == 1; }));
    EXPECT_EQ(menu().getUserMenuEntry(0), "addmenu");
    EXPECT_NE(submenu(popup(popupUser), "submenu"), nullptr);
    EXPECT_EQ(menuEntryLabel(std::string(300, 'a') + "?%"), std::string(255, 'a'));
}

TEST_F(MenuTest, TaskTopicsNameTheirHelpTopics) {
    EXPECT_STREQ(taskHelpTopic(9015), "Units");
    EXPECT_STREQ(taskHelpTopic(9031), "");
}

// The check runs on a thread of its own; without an address it says so.
TEST_F(MenuTest, CheckForUpdatesWithoutAnAddressSaysSo) {
    std::string message;
    answerNextBox(&message);
    menu().dispatchMenuCommand(7201);
    ASSERT_TRUE(waitFor([&message] { return !message.empty(); }));
    EXPECT_EQ(message,
              "Kalix: No address for the update check is set (setting \"updateaddress\").");
}

// Keys as the keyboard gives them: to the open popup, else to the widget
// with the focus in the active window (shortcuts and mnemonics first).
static void keyToFocus(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}
static void typeToFocus(const char* text) {
    for (const char* c = text; *c; c++) QTest::keyClick(static_cast<QWidget*>(nullptr), *c);
}

// After Escape on a menu, and after the window was left and activated
// again, the notebook takes the keys.
TEST_F(MenuTest, TypingAfterEscapeOnAMenuReachesTheNotebook) {
    activateAgain(frame);
    QAction* file = bar()->actions()[0];
    QAction* edit = bar()->actions()[2];
    enum Way { altLetter, mouse, altLetterThenAway };
    std::string typed = ">";
    for (Way way : {altLetter, mouse, altLetterThenAway}) {
        SCOPED_TRACE("way " + std::to_string(int(way)));
        if (way == mouse)
            QTest::mouseClick(bar(), Qt::LeftButton, Qt::NoModifier,
                              bar()->actionGeometry(file).center());
        else
            keyToFocus(Qt::Key_F, Qt::AltModifier);
        ASSERT_TRUE(waitFor([&] { return QApplication::activePopupWidget() == file->menu(); }));
        // Right goes on to the next popups: the menu bar keeps the keys.
        keyToFocus(Qt::Key_Right);
        keyToFocus(Qt::Key_Right);
        ASSERT_TRUE(waitFor([&] { return QApplication::activePopupWidget() == edit->menu(); }));
        keyToFocus(Qt::Key_Escape);
        ASSERT_TRUE(waitFor([] { return QApplication::activePopupWidget() == nullptr; }));
        if (way == altLetterThenAway) {
            // Another window comes to the front, then the notebook again.
            QWidget other;
            other.resize(200, 100);
            other.show();
            ASSERT_TRUE(waitFor([&] {
                if (QApplication::activeWindow() != &other) other.activateWindow();
                return QApplication::activeWindow() == &other;
            }));
            other.hide();
        }
        // The notebook's window is active again, and the notebook has the
        // keyboard (its caret blinks) ...
        ASSERT_TRUE(waitFor([this] {
            if (QApplication::activeWindow() != frame) frame->activateWindow();
            return QApplication::activeWindow() == frame && QApplication::focusWidget() == client;
        })) << (frame->focusWidget() ? frame->focusWidget()->metaObject()->className() : "nothing")
            << " has the keyboard";
        // ... and takes what is typed.
        const std::string text = "1+" + std::to_string(int(way));
        typeToFocus(text.c_str());
        typed += text;
        EXPECT_TRUE(waitFor([&] { return cursorText() == typed; })) << cursorText();
    }
}

}  // namespace kalix
