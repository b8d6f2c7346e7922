// The File and Extras menus' notebook commands through the real window:
// saving under a chosen name on the save thread, opening (at once, or after
// a restart with "alwaysrestart"), deleting, the export dialogs and the
// HTML pattern files.
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/base_directory.h"
#include "base/settings.h"
#include "engines/maxima_bridge.h"
#include "gui/file_menu_commands.h"
#include "gui/kalix_menu.h"
#include "modal_helpers.h"
#include "notebook/notebook_file_operations.h"
#include "tests/documentation_pages.h"
#include "window_fixture.h"

namespace kalix {

namespace fs = std::filesystem;

namespace {

class FileCommandTest : public WindowTest {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kalix-files-XXXXXX";
        folder = mkdtemp(pattern);
        // Loading and saving move the current directory to the notebook.
        start = fs::current_path();
        writeIntSetting("askconfirmations", 0);
        writeIntSetting("alwaysrestart", 0);
        writeIntSetting("openexportedhtml", 0);
        writeIntSetting("openexportedpdf", 0);
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        fs::current_path(start);
        fs::remove_all(folder);
    }

    KalixMenu& menu() { return *host.getMenu(); }
    std::string path(const char* name) { return (folder / name).string(); }
    static bool exists(const std::string& file) { return fs::exists(file); }

    // The next file chooser takes `file` (an empty name cancels it).
    static void chooseNext(const std::string& file) {
        whenModal([file](QWidget* widget) {
            auto* chooser = qobject_cast<QFileDialog*>(widget);
            ASSERT_NE(chooser, nullptr);
            if (file.empty()) {
                chooser->reject();
                return;
            }
            chooser->selectFile(QString::fromStdString(file));
            static_cast<QDialog*>(chooser)->accept();
        });
    }
    // The save thread has finished and the window takes input again.
    bool saveJobDone() {
        return waitFor([this] {
            return !windowSaveWorkerBusy() && client->isEnabled() && getIntCell(busyFlag) == 0;
        });
    }
    bool windowSaveWorkerBusy() { return windowSaveWorker(editor()).isRunning(); }
    // A notebook file with one command and its output.
    void writeNotebook(const std::string& file, const char* command) {
        ASSERT_TRUE(run(command));
        ASSERT_EQ(saveNotebookTo(editor(), file), 1);
    }
    static std::string contents(const std::string& file) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool hasLine(const char* text) {
        std::vector<std::string> all = lines();
        return std::find(all.begin(), all.end(), text) != all.end();
    }

    fs::path folder, start;
};

}  // namespace

TEST_F(FileCommandTest, SaveAsWritesOnTheSaveThreadAndTheNotebookJoinsTheRecentList) {
    ASSERT_TRUE(run("x=41+1"));
    std::string file = path("first.kn");
    chooseNext(file);
    menu().dispatchMenuCommand(105);
    ASSERT_TRUE(waitFor([&] { return exists(file); }));
    ASSERT_TRUE(saveJobDone());
    EXPECT_EQ(std::string(editor().getFilePath()), file);
    EXPECT_FALSE(editor().isNotebookChanged());
    EXPECT_NE(contents(file).find(">x=41+1"), std::string::npos);
    ASSERT_TRUE(waitFor([&] { return !menu().getRecentFiles().empty(); }));
    EXPECT_EQ(menu().getRecentFiles().back(), file);

    // Save (Ctrl+S) writes to the same file; a cancelled Save as writes
    // nothing.
    ASSERT_TRUE(run("y=2"));
    menu().dispatchMenuCommand(104);
    ASSERT_TRUE(waitFor([&] { return contents(file).find(">y=2") != std::string::npos; }));
    ASSERT_TRUE(saveJobDone());
    chooseNext("");
    menu().dispatchMenuCommand(105);
    ASSERT_TRUE(saveJobDone());
    EXPECT_EQ(std::string(editor().getFilePath()), file);
}

// The status line says "Saving. Please wait!" only after the chooser of a
// save closed with a file, never while it is open; a cancelled save shows
// nothing.
TEST_F(FileCommandTest, TheSavingStatusWaitsForTheChosenFile) {
    struct Case {
        int id;  // 104 Save (no file yet), 7920 Save in user files, 105 Save as
        const char* file;
    };
    ASSERT_TRUE(run("x=41+1"));
    QLabel* status = window->parts().status;
    ASSERT_NE(status, nullptr);
    // Save in user files names "*.kn" in its chooser, which a chooser
    // accepted by the test would take as the file: it comes last.
    for (Case c : {Case{104, ""}, Case{105, ""}, Case{104, "first.kn"}, Case{105, "second.kn"},
                   Case{7920, ""}}) {
        std::string whileChoosing = "<no chooser>";
        std::string file = *c.file ? path(c.file) : "";
        {
            // A notebook without a file: Save asks for one, and Save as
            // asks nothing about an old file.
            TextLockHold hold(editor(), "test");
            editor().setFilePath("");
        }
        whenModal([&](QWidget* widget) {
            auto* chooser = qobject_cast<QFileDialog*>(widget);
            ASSERT_NE(chooser, nullptr);
            whileChoosing = status->text().toStdString();
            if (file.empty()) {
                chooser->reject();
                return;
            }
            chooser->selectFile(QString::fromStdString(file));
            static_cast<QDialog*>(chooser)->accept();
        });
        menu().dispatchMenuCommand(c.id);
        ASSERT_TRUE(waitFor([&] { return whileChoosing != "<no chooser>"; })) << c.id;
        ASSERT_TRUE(saveJobDone()) << c.id;
        // The save thread's last status was posted before it ended.
        ASSERT_TRUE(postedJobsRan());
        EXPECT_EQ(whileChoosing, "") << c.id << " " << c.file;
        EXPECT_EQ(status->text().toStdString(), "") << c.id;
        if (*c.file) {
            EXPECT_TRUE(exists(file)) << c.id << " " << c.file;
        }
    }
}

TEST_F(FileCommandTest, OpenLoadsAtOnceOrAfterARestartWithAlwaysRestart) {
    std::string first = path("first.kn"), second = path("second.kn");
    writeNotebook(first, "a=5");
    editor().startNewNotebook();
    writeNotebook(second, "b=7");
    ASSERT_TRUE(run("c=1"));

    // A changed notebook: with "askconfirmations" the question comes first;
    // No opens without saving.
    writeIntSetting("askconfirmations", 1);
    std::string question;
    whenModal([&question, first](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        question = box->text().toStdString();
        chooseNext(first);
        box->button(QMessageBox::No)->click();
    });
    menu().dispatchMenuCommand(103);
    EXPECT_EQ(question, "Save this Notebook\nbefore deleting it?");
    EXPECT_TRUE(hasLine(">a=5"));
    EXPECT_FALSE(hasLine(">c=1"));
    EXPECT_EQ(std::string(editor().getFilePath()), first);
    EXPECT_EQ(contents(second).find(">c=1"), std::string::npos);

    // With "alwaysrestart" the interpreter restarts and the notebook comes
    // at its next prompt: the variables are gone.
    writeIntSetting("askconfirmations", 0);
    writeIntSetting("alwaysrestart", 1);
    ASSERT_TRUE(run("keep=3"));
    int waits = host.getInputWaitCount();
    // Questions off: the changed notebook still asks before it goes.
    question.clear();
    whenModal([&question, second](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        question = box->text().toStdString();
        chooseNext(second);
        box->button(QMessageBox::No)->click();
    });
    menu().dispatchMenuCommand(103);
    EXPECT_EQ(question, "Save this Notebook\nbefore deleting it?");
    ASSERT_TRUE(waitForPrompt(waits));
    EXPECT_TRUE(hasLine(">b=7"));
    EXPECT_EQ(std::string(editor().getFilePath()), second);
    {
        TextLockHold hold(editor(), "test");
        NotebookLine* last = editor().document().getFirstLine();
        while (last->next) last = last->next;
        editor().setCursorLine(last, 1);
    }
    ASSERT_TRUE(run("keep"));
    EXPECT_TRUE(hasLine("Variable keep not found!")) << ::testing::PrintToString(lines());
}

// Restart with a changed notebook asks "Save Notebook?" with or without
// confirmations: Cancel keeps everything, Yes saves and then restarts.
TEST_F(FileCommandTest, RestartAsksToSaveAChangedNotebook) {
    std::string file = path("kept.kn");
    writeNotebook(file, "a=1");
    for (int confirmations : {0, 1}) {
        writeIntSetting("askconfirmations", confirmations);
        ASSERT_TRUE(run("b=2"));
        std::string question;
        answerNextBox(&question, QMessageBox::Cancel);
        menu().dispatchMenuCommand(2001);
        EXPECT_EQ(question, "Kalix: Save Notebook?");
        EXPECT_TRUE(hasLine(">b=2"));
        EXPECT_TRUE(editor().isNotebookChanged());
    }
    int waits = host.getInputWaitCount();
    answerNextBox(nullptr, QMessageBox::Yes);
    menu().dispatchMenuCommand(2001);
    ASSERT_TRUE(waitForPrompt(waits));
    EXPECT_NE(contents(file).find(">b=2"), std::string::npos);
    EXPECT_FALSE(hasLine(">b=2"));
    ASSERT_TRUE(run("b"));
    EXPECT_TRUE(hasLine("Variable b not found!")) << ::testing::PrintToString(lines());
}

// After a save the notebook has the keyboard at once, and keys typed
// while the save ran are typed after it, in order.
TEST_F(FileCommandTest, KeysDuringAndAfterASaveReachTheNotebook) {
    std::string file = path("keys.kn");
    writeNotebook(file, "a=1");
    for (int command : {104, 104}) {  // two saves in a row (exports run the same save job)
        ASSERT_TRUE(run("b=2"));
        client->window()->activateWindow();
        client->setFocus();
        ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == client; }));
        menu().dispatchMenuCommand(command);
        QTest::keyClicks(QApplication::focusWidget(), "c=3");
        ASSERT_TRUE(saveJobDone());
        ASSERT_TRUE(waitFor([&] { return cursorText() == ">c=3"; })) << cursorText();
        ASSERT_EQ(QApplication::focusWidget(), client) << command;
        QTest::keyClicks(QApplication::focusWidget(), "+4");
        int waits = host.getInputWaitCount();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_TRUE(waitForPrompt(waits));
        EXPECT_TRUE(hasLine(">c=3+4"));
        EXPECT_TRUE(hasLine("7"));
    }
}

TEST_F(FileCommandTest, DeleteAsksAndRemovesTheNotebookWithItsExports) {
    std::string file = path("gone.kn");
    writeNotebook(file, "1+1");
    std::ofstream(path("gone.html")) << "<html></html>\n";
    std::ofstream(path("gone.k")) << "// a program file of the same name stays\n";
    answerNextBox(nullptr, QMessageBox::No);
    menu().dispatchMenuCommand(7420);
    EXPECT_TRUE(exists(file));
    std::string question;
    answerNextBox(&question, QMessageBox::Yes);
    menu().dispatchMenuCommand(7420);
    EXPECT_EQ(question, "Delete Notebook?: Delete the notebook\n" + file +
                            "\nwith its exports and images from disk?");
    EXPECT_FALSE(exists(file));
    EXPECT_FALSE(exists(path("gone.html")));
    EXPECT_TRUE(exists(path("gone.k")));
}

TEST_F(FileCommandTest, ExportDialogsShowAndStoreTheirSettingsAndExport) {
    writeNotebook(path("page.kn"), "z=3");
    // The LaTeX export takes the style package that lies beside it.
    std::ofstream(path("kalnb.sty")) << "\\ProvidesPackage{kalnb}\n";
    struct Case {
        int command;
        std::vector<std::pair<int, const char*>> checks;
        const char* made;
        const char* notMade;
    };
    writeIntSetting("generatelatexfileonly", 1);
    writeIntSetting("respectfolding", 0);
    for (const Case& c :
         {Case{2003,
               {{10, "openexportedhtml"},
                {11, "uselargeimagesforhtml"},
                {12, "htmlutf"},
                {13, "generatexhtml"},
                {14, "exportlatexasmathjax"},
                {15, "createsvg"},
                {16, "respectfolding"},
                {17, "noreformat"}},
               "page.html",
               nullptr},
          Case{7990,
               {{10, "openexportedhtml"},
                {11, "uselargeimagesforhtml"},
                {12, "htmlutf"},
                {16, "respectfolding"}},
               "page.md",
               nullptr},
          Case{
              7401,
              {{10, "openexportedpdf"}, {11, "generatelatexfileonly"}, {16, "respectfoldinglatex"}},
              "page.tex",
              "page.pdf"}}) {
        // Cancel stores nothing and exports nothing.
        int before = intSetting("respectfolding");
        whenModal([](QWidget* dialog) {
            controlById<QCheckBox>(dialog, 16)->click();
            clickControl(dialog, 2);
        });
        menu().dispatchMenuCommand(c.command);
        EXPECT_EQ(intSetting("respectfolding"), before) << c.command;
        EXPECT_FALSE(exists(path(c.made))) << c.command;

        // Each check box shows its setting; OK stores them and exports.
        std::vector<std::pair<int, const char*>> checks = c.checks;
        whenModal([checks, &c](QWidget* dialog) {
            for (int id = 10; id <= 17; id++) {
                bool listed = false;
                for (const auto& [check, key] : checks) listed = listed || check == id;
                EXPECT_EQ(controlById<QCheckBox>(dialog, id) != nullptr, listed)
                    << c.command << " " << id;
            }
            for (const auto& [id, key] : checks)
                EXPECT_EQ(controlById<QCheckBox>(dialog, id)->isChecked(), intSetting(key) != 0)
                    << key;
            controlById<QCheckBox>(dialog, 16)->click();
            clickControl(dialog, 1);
        });
        int respect = c.command == 7401 ? intSetting("respectfoldinglatex") : before;
        menu().dispatchMenuCommand(c.command);
        ASSERT_TRUE(waitFor([&] { return exists(path(c.made)); })) << c.command;
        ASSERT_TRUE(saveJobDone());
        const char* key = c.command == 7401 ? "respectfoldinglatex" : "respectfolding";
        EXPECT_EQ(intSetting(key), !respect) << c.command;
        if (c.notMade) {
            EXPECT_FALSE(exists(path(c.notMade)));
        }
    }
    EXPECT_NE(contents(path("page.html")).find("z=3"), std::string::npos);
}

TEST_F(FileCommandTest, PatternFilesAreCopiedIntoTheCurrentFolder) {
    const std::string program = programDir.getText();
    fs::path docs = documentationFolder();
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    // A program folder without the patterns: the copy says so.
    fs::path bare = path("bare");
    fs::create_directories(bare);
    programDir.assign((bare.string() + "/").c_str());
    std::string message;
    answerNextBox(&message);
    menu().dispatchMenuCommand(7611);
    programDir.assign(program.c_str());
    EXPECT_EQ(message.rfind("Kalix: Could not copy\n" +
                                (bare / "docs" / "KalixBlackAndWhite.html").string() +
                                "\nto Pattern.html",
                            0),
              0u)
        << message;
    // The patterns shipped in "docs" beside the program are copied.
    programDir.assign((docs.parent_path().string() + "/").c_str());
    for (auto [command, name] :
         {std::pair{7610, "KalixDefault.html"}, std::pair{7611, "KalixBlackAndWhite.html"},
          std::pair{7612, "KalixWebFont.html"}}) {
        menu().dispatchMenuCommand(command);
        std::string copied = contents(path("Pattern.html"));
        EXPECT_EQ(copied, contents((docs / name).string())) << name;
        EXPECT_NE(copied.find("\n#"), std::string::npos) << name;
    }
    programDir.assign(program.c_str());
    ASSERT_EQ(chdir(here), 0);
}

// Image lines that name devices without end are dropped as pictures that
// cannot be loaded; the notebook opens with the rest.
TEST_F(FileCommandTest, ImageLinesNamingDevicesAreDroppedWhenTheNotebookOpens) {
    std::string file = path("devices.kn");
    {
        std::ofstream out(file, std::ios::binary);
        out << "> 1+1\r\n %image% /dev/zero\r\n% %image% /dev/urandom\r\n> 2+2\r\n";
    }
    chooseNext(file);
    menu().dispatchMenuCommand(103);
    ASSERT_TRUE(waitFor([&] { return std::string(editor().getFilePath()) == file; }));
    EXPECT_EQ(lines(), (std::vector<std::string>{"> 1+1", "> 2+2"}));
}

// A notebook whose first line is the Maxima-mode line sends its commands to
// Maxima once it is open (with the real Maxima).
TEST_F(FileCommandTest, ANotebookInMaximaModeRunsItsCommandsInMaxima) {
    if (system("command -v maxima >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Maxima is not installed (Debian package maxima)";
    installMaximaBridge();
    std::string file = path("symbolic.kn");
    {
        std::ofstream out(file, std::ios::binary);
        out << "Maxima mode is on (compatibility mode)\r\n>expand((a+b)^2)\r\n";
    }
    openNotebookFile(file.c_str());
    ASSERT_EQ(cursorText(), ">expand((a+b)^2)");
    ASSERT_TRUE(waitFor([this] { return getIntCell(keyWaitFlag) != 0; }));
    int waits = host.getInputWaitCount();
    // Maxima starts only after the question exec asks, answered here.
    std::string question;
    whenModal([&question](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (!box) return;
        question = box->text().toStdString();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == "Yes") button->click();
    });
    press(Qt::Key_End);
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor(
        [&] { return host.getInputWaitCount() > waits && getIntCell(inputWaiting); }, 60000));
    EXPECT_EQ(question.rfind("Kalix wants to execute the command\n\n\"maxima\"", 0), 0u)
        << question;
    std::string all;
    for (const std::string& line : lines()) all += line + "\n";
    EXPECT_NE(all.find("2 a b"), std::string::npos) << all;
    EXPECT_EQ(all.find("not found"), std::string::npos) << all;
    ASSERT_TRUE(run("maximamode off"));
    endMaximaBridge();
}

// In UTF-8, a notebook an older version wrote in code page 1252 (no mark,
// bytes that are no UTF-8) opens with its letters right, and the comment
// dialog (F5) and OK keep them: nothing becomes U+FFFD.
TEST_F(FileCommandTest, ACodePage1252NotebookOpensRightAndSurvivesTheCommentDialog) {
    selectCodePage(65001);
    std::string file = path("old.kn");
    std::ofstream(file, std::ios::binary) << "% Gr\xF6\337e \x80 \xB1\r\n>a=1\r\n";
    openNotebookFile(file.c_str());
    ASSERT_EQ(cursorText(), ">a=1");
    const std::string comment = "% Gr\xC3\xB6\xC3\237e \xE2\x82\xAC \xC2\xB1";
    ASSERT_EQ(lines()[0], comment);
    std::string shown;
    whenModal([&shown](QWidget* dialog) {
        auto* field = controlById<QPlainTextEdit>(dialog, 10);
        ASSERT_NE(field, nullptr);
        shown = field->toPlainText().toStdString();
        clickControl(dialog, 1);
    });
    activateAgain(frame);
    press(Qt::Key_F5);
    EXPECT_EQ(shown, comment.substr(2));
    EXPECT_EQ(lines()[0], comment);
    ASSERT_EQ(saveNotebookTo(editor(), file), 1);
    std::string saved = contents(file);
    EXPECT_NE(saved.find(comment), std::string::npos) << saved;
    EXPECT_TRUE(isValidUtf8(saved.data(), saved.size())) << saved;
    selectCodePage(1252);
}

// With "Create and use SVG Images" the HTML export saves, runs every command
// again (each plot written as an SVG file) and then exports the page.
TEST_F(FileCommandTest, TheHtmlExportWithSvgImagesRunsTheNotebookAndShowsTheSvgFiles) {
    writeIntSetting("createsvg", 1);
    writeIntSetting("imagesindirectory", 1);
    std::string file = path("svg.kn");
    ASSERT_TRUE(run("x=linspace(0,1,20); plot(x,x^2):"));
    ASSERT_TRUE(run("y=7"));
    ASSERT_EQ(saveNotebookTo(editor(), file), 1);
    int waits = host.getInputWaitCount();
    whenModal([](QWidget* dialog) {
        EXPECT_TRUE(controlById<QCheckBox>(dialog, 15)->isChecked());
        clickControl(dialog, 1);
    });
    menu().dispatchMenuCommand(2003);
    ASSERT_TRUE(waitFor([&] { return exists(path("svg.html")); }, 20000));
    ASSERT_TRUE(saveJobDone());
    EXPECT_GT(host.getInputWaitCount(), waits);
    EXPECT_TRUE(exists(path("images/svg-001.svg")));
    std::string page = contents(path("svg.html"));
    EXPECT_NE(page.find("<object data=\"images/svg-001.svg\" type=\"image/svg+xml\""),
              std::string::npos)
        << page;
    EXPECT_EQ(system(("xmllint --noout " + path("images/svg-001.svg")).c_str()), 0);
    writeIntSetting("createsvg", 0);
}

// The saves need no prompt: while a command runs they write the notebook
// (the running command in it), the title shows it saved, and the command
// goes on.
TEST_F(FileCommandTest, SavesWhileACommandRunsWriteTheNotebook) {
    std::string file = path("running.kn");
    writeNotebook(file, "a=1");
    auto saved = [&](const std::string& name, const char* text) {
        return exists(name) && contents(name).find(text) != std::string::npos;
    };
    auto running = [] { return !getIntCell(inputWaiting); };
    const std::string unchanged = "KXW x64 (running)";
    auto title = [this] { return frame->windowTitle().toStdString(); };

    // Ctrl+S during a loop of ten seconds.
    const char loop[] = "t0=time(); repeat; until time()>t0+10; end; \"ended\"";
    int waits = host.getInputWaitCount();
    startCommand(loop);
    ASSERT_TRUE(waitFor(running));
    ASSERT_NE(title(), unchanged);
    activateAgain(frame);
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return saved(file, loop); }));
    EXPECT_TRUE(running()) << "written only after the loop";
    EXPECT_TRUE(waitFor([&] { return title() == unchanged; })) << title();
    ASSERT_TRUE(saveJobDone());
    // The loop runs on for its ten seconds.
    ASSERT_TRUE(waitForPrompt(waits, 60000));
    EXPECT_TRUE(hasLine("ended"));

    // Save as, Save in Kalix Files and Save and ZIP while a loop runs
    // until Escape.
    struct Case {
        const char* name;
        std::function<void()> command;
        std::string file;  // where the notebook goes
    };
    std::string zip = path("other.zip");
    std::vector<Case> cases = {
        {"Save as", [&] { press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier); },
         path("other.kn")},
        {"Save in Kalix Files", [&] { press(Qt::Key_S, Qt::AltModifier); }, path("third.kn")},
        {"Save and ZIP", [&] { menuActions(window->parts().menuBar, 6890)[0]->trigger(); },
         path("third.kn")},
    };
    for (int i = 0; i < int(cases.size()); i++) {
        const Case& c = cases[size_t(i)];
        SCOPED_TRACE(c.name);
        const std::string command = "repeat; end; " + std::to_string(i);
        waits = host.getInputWaitCount();
        startCommand(command.c_str());
        ASSERT_TRUE(waitFor(running));
        if (c.file != file) {
            // The file, then the question about the one before: kept.
            std::string chosen = c.file;
            whenModal([chosen](QWidget* widget) {
                auto* chooser = qobject_cast<QFileDialog*>(widget);
                ASSERT_NE(chooser, nullptr);
                chooser->selectFile(QString::fromStdString(chosen));
                answerNextBox(nullptr, QMessageBox::Yes);
                static_cast<QDialog*>(chooser)->accept();
            });
            file = c.file;
        }
        activateAgain(frame);
        c.command();
        ASSERT_TRUE(waitFor([&] { return saved(file, command.c_str()); }));
        EXPECT_TRUE(running());
        ASSERT_TRUE(saveJobDone());
        press(Qt::Key_Escape);
        ASSERT_TRUE(waitForPrompt(waits));
    }
    EXPECT_TRUE(waitFor([&] { return exists(path("third.zip")); }));
}

}  // namespace kalix
