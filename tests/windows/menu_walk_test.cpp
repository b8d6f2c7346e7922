// Every entry of the main menu and every accelerator, walked through the
// real window: each is triggered as a user would (the menu item, the key)
// and what it did is compared with the table below. Modal dialogs, file
// choosers and message boxes that open are closed by the test (Cancel, No),
// browser pages and the second window are caught by a stand-in program.
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "base/base_directory.h"
#include "base/settings.h"
#include "gui/file_menu_commands.h"
#include "gui/graphics_window.h"
#include "gui/help_window.h"
#include "gui/kalix_menu.h"
#include "modal_helpers.h"
#include "notebook/notebook_file_operations.h"
#include "window_fixture.h"

namespace kalix {

namespace {

// What one command did.
struct Observed {
    std::vector<std::string> modals;  // "title" of each modal widget closed
    std::vector<std::string> pages;   // what the stand-in programs were asked
    bool linesChanged = false;
    bool helpShown = false;
    bool clipboardChanged = false;
    bool selection = false;
    bool moved = false;
    bool graphicsShown = false;
    bool magnified = false;
    bool recentCleared = false;
    std::string status;
    std::string text() const {
        std::string out;
        for (const std::string& m : modals) out += "[" + m + "]";
        for (const std::string& p : pages) out += "<" + p + ">";
        if (linesChanged) out += " lines";
        if (helpShown) out += " help";
        if (clipboardChanged) out += " clipboard";
        if (selection) out += " selection";
        if (moved) out += " moved";
        if (graphicsShown) out += " graphics";
        if (magnified) out += " magnified";
        if (recentCleared) out += " recent";
        if (!status.empty()) out += " status:" + status;
        return out;
    }
};

// What an entry should do: "dialog <caption>", "file <title>", "box <text>"
// (a modal widget with that text showed), "page <name>" (the browser was
// asked for it, or a box said it is missing), "program <arguments>" (the
// stand-in program was started with them), "setting <key>" (flipped, the
// check mark in step), "lines", "help", "clipboard", "selection", "moved",
// "graphics", "status <text>".
bool matches(const std::string& expected, const Observed& seen) {
    auto anyModal = [&seen](const std::string& text) {
        for (const std::string& m : seen.modals)
            if (m.find(text) != std::string::npos) return true;
        return false;
    };
    const size_t space = expected.find(' ');
    const std::string kind = expected.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : expected.substr(space + 1);
    if (kind == "dialog" || kind == "file" || kind == "box") return anyModal(expected);
    if (kind == "page") {
        for (const std::string& p : seen.pages)
            if (p.find(rest) != std::string::npos) return true;
        return anyModal("is not available") && anyModal(rest);
    }
    if (kind == "program") {
        for (const std::string& p : seen.pages)
            if (p == rest) return true;
        return false;
    }
    if (kind == "lines") return seen.linesChanged;
    if (kind == "help") return seen.helpShown;
    if (kind == "clipboard") return seen.clipboardChanged;
    if (kind == "selection") return seen.selection;
    if (kind == "moved") return seen.moved;
    if (kind == "graphics") return seen.graphicsShown;
    if (kind == "magnified") return seen.magnified;
    if (kind == "recent") return seen.recentCleared;
    if (kind == "status") return seen.status == rest;
    return false;
}

// Closes every modal widget that shows and records its title (and a box's
// text).
class ModalCloser : public QObject {
  public:
    std::vector<std::string> seen;
    // Acts on the next modal widget instead of closing it (once).
    std::function<void(QWidget*)> answer;
    QTimer timer;
    ModalCloser() {
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] { closeOne(); });
        timer.start(5);
    }
    void closeOne() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == lastClosed) return;
        lastClosed = modal;
        if (answer) {
            seen.push_back("answered " + modal->windowTitle().toStdString());
            auto act = std::move(answer);
            answer = nullptr;
            act(modal);
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.push_back("box " + box->windowTitle().toStdString() + ": " +
                           box->text().toStdString());
            QAbstractButton* button = box->button(QMessageBox::Cancel);
            if (!button) button = box->button(QMessageBox::No);
            if (!button) button = box->button(QMessageBox::Ok);
            if (button)
                button->click();
            else
                box->reject();
            return;
        }
        std::string kind = qobject_cast<QFileDialog*>(modal) ? "file " : "dialog ";
        seen.push_back(kind + modal->windowTitle().toStdString());
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        else
            modal->close();
    }
    QPointer<QWidget> lastClosed;
};

class MenuWalkTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        folder =
            std::filesystem::temp_directory_path() / ("kalix-walk-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        browserLog = (folder / "browser.log").string();
        const std::string browser = (folder / "browser").string();
        std::ofstream(browser) << "#!/bin/sh\necho \"$@\" >> '" << browserLog << "'\n";
        chmod(browser.c_str(), 0755);
        writeSetting("browserstring", browser.c_str());
        writeSetting("externaleditor", browser.c_str());
        // The second window's program is "kalix" in the program folder.
        std::filesystem::copy_file(browser, folder / "kalix");
        savedProgramDir = programDir.getText();
    }
    void TearDown() override {
        programDir.assign(savedProgramDir.c_str());
        writeSetting("browserstring", "");
        writeSetting("externaleditor", "");
        std::filesystem::remove_all(folder);
        WindowTest::TearDown();
    }
    KalixMenu& menu() { return *host.getMenu(); }
    QMenuBar* bar() { return window->parts().menuBar; }

    // The lines the stand-in programs wrote so far.
    std::vector<std::string> browserPages() {
        std::vector<std::string> out;
        std::ifstream in(browserLog);
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

    // The second window starts the stand-in instead of the program.
    void standInProgramDir() { programDir.assign((folder.string() + "/").c_str()); }

    std::filesystem::path folder;
    std::string browserLog;
    std::string savedProgramDir;
};

// One entry of the menu: what it should do, and what the notebook needs
// first for that to show.
struct Entry {
    int id;
    const char* expected;
    std::function<void()> prepare = nullptr;
    std::function<void(QWidget*)> answer = nullptr;
};

class MenuWalk : public MenuWalkTest {
  protected:
    // The cursor behind the text of the second command, nothing marked.
    void cursorOnSecond() {
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().document().getFirstLine();
        int count = 0;
        while (line && !(line->kind == lineCommand && ++count == 2)) line = line->next;
        ASSERT_NE(line, nullptr);
        editor().setCursorLine(line, int(std::strlen(line->text.getText())));
        editor().unmarkAll();
    }
    // The second command changed as if typed.
    void changeSecond() {
        cursorOnSecond();
        TextLockHold hold(editor(), "test");
        editor().cursor().getLine()->text.assign(
            (std::string(editor().cursor().getLine()->text.getText()) + "5").c_str());
        editor().setNotebookChanged(1);
    }
    void cursorAtStart() {
        TextLockHold hold(editor(), "test");
        editor().setCursorLine(editor().document().getFirstLine(), 1);
        editor().unmarkAll();
    }
    void cursorAtEnd() {
        TextLockHold hold(editor(), "test");
        editor().setCursorLine(editor().lastLine(), 1);
        editor().unmarkAll();
    }
    bool hasSelection() {
        TextLockHold hold(editor(), "test");
        return editor().cursor().getSelectionFirst() &&
               (editor().cursor().getSelectionFirst() != editor().cursor().getSelectionLast() ||
                editor().cursor().getSelectionStartColumn() !=
                    editor().cursor().getSelectionEndColumn());
    }
    QWidget* graphicsFrame() { return graphicsWindow ? frameOf(graphicsWindow) : nullptr; }
    int recentCount() { return int(bar()->actions()[popupRecent]->menu()->actions().size()); }

    // What a command started has ended: its modal widgets closed, its save
    // job (the menu takes no command meanwhile) and the jobs it posted to
    // the window ran, the interpreter idle at its prompt.
    bool settled() {
        return waitFor([this] {
                   return !QApplication::activeModalWidget() &&
                          !windowSaveWorker(editor()).isRunning();
               }) &&
               postedJobsRan() && waitUntilIdle();
    }

    // Triggers the menu item of `entry`, waits until `done` holds for what
    // it did (or in vain, for a fault) and the command has ended, and
    // returns what happened.
    Observed walk(const Entry& entry, ModalCloser& closer,
                  const std::function<bool(const Observed&)>& done) {
        if (std::string(entry.expected) == "clipboard")
            QGuiApplication::clipboard()->setText("clipboard before");
        if (entry.prepare) entry.prepare();
        const std::vector<std::string> before = lines();
        const QString clipboard = QGuiApplication::clipboard()->text();
        const bool helpBefore = helpWindowWidget() && helpWindowWidget()->isVisible();
        if (graphicsFrame()) graphicsFrame()->hide();
        const QRect geometry = frame->geometry();
        const int lineHeight = window->lineHeight();
        const int recent = recentCount();
        window->setStatusText("");
        closer.seen.clear();
        closer.lastClosed = nullptr;
        closer.answer = entry.answer;
        std::filesystem::remove(browserLog);
        std::vector<QAction*> found = menuActions(bar(), entry.id);
        if (found.empty()) return Observed();
        auto observe = [&] {
            Observed seen;
            seen.modals = closer.seen;
            seen.pages = browserPages();
            seen.linesChanged = lines() != before;
            seen.helpShown = !helpBefore && helpWindowWidget() && helpWindowWidget()->isVisible();
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            seen.clipboardChanged =
                QGuiApplication::clipboard()->text() != clipboard || (data && data->hasImage());
            seen.selection = hasSelection();
            seen.moved = frame->geometry() != geometry;
            seen.graphicsShown = graphicsFrame() && graphicsFrame()->isVisible();
            seen.magnified = window->lineHeight() != lineHeight;
            seen.recentCleared = recentCount() < recent;
            seen.status = window->getStatusText();
            return seen;
        };
        found[0]->trigger();
        // What the command does may come later: from a posted job, a
        // started program, a command run in the notebook.
        waitFor([&] { return done(observe()); });
        EXPECT_TRUE(settled());
        const Observed seen = observe();
        std::filesystem::remove(browserLog);
        if (helpWindowWidget()) helpWindowWidget()->hide();
        programDir.assign(savedProgramDir.c_str());
        activateAgain(frame);
        return seen;
    }
};

// "setting <key>" entries flip an int setting and keep the check mark in
// step; the walk flips them back.
bool isToggle(const Entry& e) { return std::string(e.expected).rfind("setting ", 0) == 0; }

}  // namespace

TEST_F(MenuWalk, EveryMenuEntryDoesWhatItSays) {
    ASSERT_TRUE(run("x=1"));
    ASSERT_TRUE(run("y=2"));
    ASSERT_TRUE(run("t=linspace(0,1,50); plot(t,t^2);"));
    const std::string recentFile = (folder / "recent.kn").string();
    auto onY = [this] { cursorOnSecond(); };
    auto atEnd = [this] { cursorAtEnd(); };
    auto all = [this] {
        TextLockHold hold(editor(), "test");
        editor().selectAll();
    };
    auto typeOnY = [this] { changeSecond(); };
    auto atStart = [this] { cursorAtStart(); };
    auto commandsOnClipboard = [this] {
        cursorAtEnd();
        QGuiApplication::clipboard()->setText("z=3");
    };
    auto find = [](QWidget* dialog) {
        controlById<QLineEdit>(dialog, 10)->setText("=");
        clickControl(dialog, 1);
    };
    const std::string inside = std::string("setting ") + makeScreenKey("intextwindow");
    const std::vector<Entry> table = {
        {2001, "box Kalix: Save Notebook?"},
        {7930, "program -second", [this] { standInProgramDir(); }},
        {103, "file Load Notebook"},
        {4006, "file Load Notebook"},
        {4005, "file Load Notebook"},
        {104, "file Save Notebook"},
        {105, "file Save Notebook"},
        {7920, "file Save Notebook"},
        {6890, "box Kalix: Notebook is not yet saved."},
        {113, "file Load KALIX File"},
        {122, "dialog Set Size"},
        {112, "dialog Set Size"},
        {6600, "status Drag a crop area with the mouse! End with Return!"},
        {6402, "dialog Set Size"},
        {6004, "clipboard"},
        {111, "dialog Print"},
        {6400, "recent", [this, recentFile] { host.getMenu()->addRecentFile(recentFile.c_str()); }},
        // Two versions of a command (each run keeps one) to go back and forth.
        {6062, "lines",
         [this] {
             changeSecond();
             TextLockHold hold(editor(), "test");
             NotebookEditor::pushLineBackup(editor().cursor().getLine());
         }},
        {7950, "lines"},
        {6080, "lines", typeOnY},
        {7220, "lines", typeOnY},
        {7221, "lines", typeOnY},
        {118, "clipboard", all},
        {6032, "clipboard", all},
        {124, "clipboard", all},
        // Cut all, and Paste brings it back.
        {6041, "lines", all},
        {123, "lines", atEnd},
        {6040, "lines", commandsOnClipboard},
        {120, "selection", atEnd},
        {6060, "selection", atStart, find},
        {6061, "selection", atStart},
        {119, "lines", all},
        {127, "lines",
         [this] {
             cursorAtEnd();
             run("w=4");
         }},
        {7500, "lines", onY},
        {6034, "lines",
         [this] {
             cursorAtEnd();
             type("a=1; b=2");
             TextLockHold hold(editor(), "test");
             editor().setCursorColumn(5);
         }},
        {7940, "lines", onY},
        {116, "lines", onY},
        {2005, "lines"},
        {117, "lines", onY},
        {7501, "lines", typeOnY},
        {3002, "lines", atEnd},
        {3003, "lines",
         [this] {
             cursorAtEnd();
             menu().dispatchMenuCommand(3002);
             menu().dispatchMenuCommand(3002);
         }},
        {106, "dialog Edit Comment to Command", onY},
        {121, "dialog Internal Editor", onY},
        {2003, "dialog Export to HTML"},
        {7610, "box Kalix: Could not copy"},
        {7611, "box Kalix: Could not copy"},
        {7612, "box Kalix: Could not copy"},
        {7020, "file Load KALIX File"},
        {7990, "dialog Export to Markdown"},
        {7401, "dialog Export to PDF"},
        {7601, "setting english"},
        {7602, "setting german"},
        {6036, "dialog Internal Editor", atEnd},
        {6110, "lines", atEnd},
        {6111, "lines", atEnd},
        {6810, "graphics", atEnd},
        {7050, inside.c_str()},
        {6880, "dialog Set Aspect", onY},
        {7450, "setting foldallmultilines"},
        {2000, "dialog Set Graphics and Text Colors"},
        {7311, "setting usecolors"},
        {7071, "setting largeimages"},
        {6700, "setting antialiasgraphics"},
        {7901, "setting sharper"},
        {6820, "setting neverantialiasinsimg"},
        {7900, "setting systemscaling"},
        {7000, "setting fatterlines"},
        {7060, "setting fontlines"},
        {4004, "setting scalelines"},
        {6881, "setting boldfont"},
        {125, "dialog Set Fonts"},
        {7430, "setting savecompressedsvg"},
        {4010, "setting saveimages"},
        {6037, "setting imagesindirectory"},
        {6001, "setting createbb"},
        {6802, "dialog Define Browser"},
        {131, "dialog External Editor Setup"},
        {8001, "dialog Codepage Setup"},
        {7960, "setting logging"},
        {6000, "setting askconfirmations"},
        {7090, "setting askexec"},
        {6031, "setting statushelp"},
        {6821, "setting helpintitle"},
        {6033, "setting alwaysrestart"},
        {7970, "setting python27"},
        {6800, "setting fixlinelength"},
        {115, "dialog Set Sizes"},
        {7211, "setting utf"},
        {7480, "setting linux"},
        {6030, "dialog Maxima Call String"},
        {6090, "setting startinmaximamode"},
        {6091, "setting usedirectmode"},
        {7100, "setting answermaxima"},
        {6830, "setting allowsymbolicdp"},
        {4011, "setting killo"},
        {6050, "setting startmaxima"},
        {6052, "setting enablemaxima"},
        {6053, "setting enableyacas"},
        {6051, "setting startyacas"},
        {6070, "setting brackets"},
        {6071, "setting spaces"},
        {6072, "setting assignments"},
        {6073, "setting commas"},
        {6200, "setting allowoverwrite"},
        {6201, "setting alwaysrelax"},
        {6202, "setting reportindex"},
        {6500, "setting conditionvectors"},
        {6855, "dialog Set Latex Environment"},
        {7301, "setting disablelatex"},
        {6856, "setting latexsilent"},
        {7302, "setting displaymathjaxaslatex"},
        {6850, "setting latexams"},
        {6851, "setting latexlarger"},
        {6852, "setting latexmagnify"},
        {7481, "setting latexantialias"},
        {7460, "setting latexkeeplarge"},
        {6853, "setting latexgreen"},
        {6870, "setting latextransparent"},
        {6854, "setting latexcleanup"},
        {7800, "moved"},
        {7800, "moved"},
        {6871, "magnified"},
        {6871, "magnified"},
        {7700, "setting insertsmaller"},
        {7080, "box Reset Kalix: To reset Kalixbench"},
        {userMenuFirstId, "lines",
         [this] {
             host.getMenu()->addUserMenuItem("q=7");
             cursorAtEnd();
         }},
        {7440, "help"},
        {7980, "help"},
        {6801, "page documentation.html"},
        {6003, "page reference/index.html"},
        {6860, "page reference/maximacore.html"},
        {4001, "page reference/index.html", atEnd},
        {7981, "page index.html"},
        {7010, "page search.html"},
        {7201, "box Kalix: No address for the update check is set"},
        {7200, "setting checkforupdates"},
        {7030, "page Changes.html"},
        {109, "dialog Kalix"},
        {7470, "setting spellcheck"},
        {130, "page .k", onY},
        {7420, "box Delete Notebook?: Delete the notebook",
         [this] { saveNotebookTo(editor(), (folder / "walk.kn").string()); }},
        {5000, "box Kalix: Save this Notebook",
         [this] {
             host.getMenu()->addRecentFile((folder / "walk.kn").string().c_str());
             changeSecond();
         }},
        // Exit asks about the changed notebook; the walk says Cancel.
        {101, "box Kalix", [this] { changeSecond(); }},
    };
    ModalCloser closer;
    std::set<int> walked;
    for (const Entry& entry : table) {
        walked.insert(entry.id);
        SCOPED_TRACE(entry.id);
        ASSERT_FALSE(menuActions(bar(), entry.id).empty());
        if (isToggle(entry)) {
            const char* key = entry.expected + 8;
            const int before = intSetting(key);
            walk(entry, closer, [&](const Observed&) { return intSetting(key) == !before; });
            EXPECT_EQ(intSetting(key), !before) << key;
            for (QAction* action : menuActions(bar(), entry.id))
                EXPECT_EQ(action->isChecked(), !before) << key;
            walk(entry, closer, [&](const Observed&) { return intSetting(key) == before; });
            EXPECT_EQ(intSetting(key), before) << key;
            continue;
        }
        const Observed seen = walk(
            entry, closer, [&](const Observed& seen) { return matches(entry.expected, seen); });
        std::string notebook;
        for (const std::string& line : lines()) notebook += line + " | ";
        EXPECT_TRUE(matches(entry.expected, seen))
            << entry.id << " should give " << entry.expected << ", gave " << seen.text()
            << "; the notebook: " << notebook;
    }
    // The walk left nothing out. Elsewhere: the tasks (MenuTest), adding
    // marked words to the dictionary (the spelling tests).
    walked.insert(7471);
    for (QAction* action : bar()->findChildren<QAction*>()) {
        if (!action->data().isValid() || action->menu() || action->isSeparator()) continue;
        const int id = action->data().toInt();
        if (id >= taskHelpFirstId && id < taskHelpFirstId + taskHelpCount) continue;
        EXPECT_TRUE(walked.count(id)) << id << " " << action->text().toStdString();
    }
}

// Every accelerator pressed in the window reaches its command (what the
// command does is the menu walk's). Alt+O and Alt+U win over the menu
// bar's mnemonics. Ctrl+Shift+O starts the stand-in second program.
TEST_F(MenuWalk, EveryAcceleratorPressedInTheWindowRunsItsCommand) {
    ASSERT_TRUE(run("x=1"));
    ASSERT_TRUE(run("y=2"));
    struct Key {
        const char* keys;
        int id;
    };
    const std::vector<Key> keys = {
        {"Ctrl+A", 120},
        {"Ctrl+C", 118},
        {"Ctrl+Shift+C", 124},
        {"Ctrl+D", 6036},
        {"Ctrl+Shift+D", 7990},
        {"Ctrl+E", 2003},
        {"Ctrl+F", 6060},
        {"Ctrl+Shift+F", 6032},
        {"Ctrl+G", 7050},
        {"Ctrl+H", 4001},
        {"Ctrl+L", 7450},
        {"Ctrl+L", 7450},
        {"Ctrl+M", 6110},
        {"Ctrl+M", 6110},
        {"Ctrl+Shift+M", 6111},
        {"Ctrl+Shift+M", 6111},
        {"Ctrl+N", 2001},
        {"Ctrl+O", 103},
        {"Alt+O", 4006},
        {"Ctrl+P", 7401},
        {"Ctrl+Q", 6871},
        {"Ctrl+Q", 6871},
        {"Ctrl+Shift+Q", 7800},
        {"Ctrl+Shift+Q", 7800},
        {"Ctrl+R", 7221},
        {"Ctrl+S", 104},
        {"Alt+S", 7920},
        {"Ctrl+Shift+S", 105},
        {"Ctrl+T", 7470},
        {"Ctrl+T", 7470},
        {"Ctrl+Shift+T", 7471},
        {"Alt+Backspace", 116},
        {"Alt+U", 2005},
        {"Ctrl+V", 123},
        {"Ctrl+Shift+V", 6040},
        {"Ctrl+Backspace", 7500},
        {"Ctrl+Del", 7501},
        {"F1", 7440},
        {"F10", 130},
        {"F3", 6061},
        {"F5", 106},
        {"F9", 121},
        {"Alt+Ins", 117},
        {"Ctrl+Return", 6034},
        {"Alt+Return", 7220},
        {"Shift+Return", 6080},
        {"Ctrl+Shift+Return", 7940},
        {"Ctrl+X", 6041},
        {"Ctrl+Z", 6062},
        {"Ctrl+Y", 7950},
        {"Alt+F4", 101},
        {"Ctrl+Shift+O", 7930},
    };
    ModalCloser closer;
    for (const Key& k : keys) {
        SCOPED_TRACE(k.keys);
        EXPECT_EQ(menu().acceleratorCommand(k.keys), k.id);
        cursorOnSecond();
        // Exit asks about the changed notebook (Cancel).
        if (k.id == 101) changeSecond();
        if (k.id == 7930) standInProgramDir();
        const QKeySequence sequence = QKeySequence::fromString(k.keys);
        ASSERT_EQ(sequence.count(), 1);
        const QKeyCombination combination = sequence[0];
        activateAgain(frame);
        menu().dispatchMenuCommand(0);
        QTest::keyClick(client, combination.key(), combination.keyboardModifiers());
        waitFor([&] { return menu().getLastCommandId() == k.id; });
        EXPECT_TRUE(settled());
        EXPECT_EQ(menu().getLastCommandId(), k.id);
        programDir.assign(savedProgramDir.c_str());
        if (helpWindowWidget() && helpWindowWidget()->isVisible()) {
            helpWindowWidget()->hide();
            activateAgain(frame);
            client->setFocus();
            EXPECT_TRUE(waitFor([&] { return client->hasFocus(); }));
        }
        // A notebook emptied by a cut or a restart gets its commands again.
        if (lines().size() < 5) {
            cursorAtEnd();
            ASSERT_TRUE(run("x=1"));
            ASSERT_TRUE(run("y=2"));
        }
    }
}

}  // namespace kalix
