// The menu commands that edit and run the notebook, through the real
// window and interpreter: commands written for the interpreter never take
// a typed command's place, the clipboard commands, joining and splitting,
// the run commands, search, and the restart.
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "base/settings.h"
#include "gui/kalix_menu.h"
#include "modal_helpers.h"
#include "window_fixture.h"

namespace kalix {

namespace {

class CommandTest : public WindowTest {
  protected:
    KalixMenu& menu() { return *host.getMenu(); }
    bool runMenu(int id) {
        int waits = host.getInputWaitCount();
        menu().dispatchMenuCommand(id);
        return waitForPrompt(waits);
    }
    // Puts the cursor on the command with that text (column 1).
    void cursorTo(const char* command) {
        TextLockHold hold(editor(), "test");
        for (NotebookLine* line = editor().document().getFirstLine(); line; line = line->next) {
            if (line->text.getText() == std::string(command)) {
                editor().setCursorLine(line, 1);
                return;
            }
        }
        ADD_FAILURE() << "no line " << command;
    }
    // A key in the notebook window (which a closed dialog may have left
    // inactive on the "offscreen" platform).
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        activateAgain(frame);
        press(k, modifiers);
    }
    std::vector<std::string> outputLines() {
        std::vector<std::string> out;
        TextLockHold hold(editor(), "test");
        for (NotebookLine* line = editor().document().getFirstLine(); line; line = line->next)
            if (line->kind == lineOutput && !line->text.isStringEmpty())
                out.push_back(line->text.getText());
        return out;
    }
};

}  // namespace

TEST_F(CommandTest, CtrlMWritesTheMaximaModeCommandBelowATypedCommand) {
    type("1+1");
    int waits = host.getInputWaitCount();
    press(Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(waitForPrompt(waits));
    std::vector<std::string> all = lines();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0], ">1+1");
    EXPECT_EQ(all[1], ">maximamode on");
    EXPECT_EQ(lineEditor.history.entry(lineEditor.history.count() - 1), "maximamode on");
    // On an empty prompt the prompt itself takes the command.
    ASSERT_TRUE(run("2+2"));
    std::vector<std::string> before = lines();
    ASSERT_TRUE(runMenu(6111));
    EXPECT_EQ(lineEditor.history.entry(lineEditor.history.count() - 1), "maximamode direct");
    std::vector<std::string> after = lines();
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(before.back(), ">");
    EXPECT_EQ(after[before.size() - 1], ">maximamode direct");
}

TEST_F(CommandTest, DeletingAllOutputLeavesEverythingSelected) {
    ASSERT_TRUE(run("1+1"));
    ASSERT_TRUE(run("[1,2;3,4]"));
    EXPECT_FALSE(outputLines().empty());
    menu().dispatchMenuCommand(127);
    EXPECT_TRUE(outputLines().empty());
    TextLockHold hold(editor(), "test");
    for (NotebookLine* line = editor().document().getFirstLine(); line; line = line->next)
        EXPECT_TRUE(line->selected) << line->text.getText();
    EXPECT_EQ(editor().cursor().getSelectionFirst(), editor().document().getFirstLine());
}

TEST_F(CommandTest, CopyCommandsOnlyAndPasteAsCommands) {
    ASSERT_TRUE(run("a=2"));
    ASSERT_TRUE(run("a*3"));
    menu().dispatchMenuCommand(120);
    menu().dispatchMenuCommand(124);
    ASSERT_TRUE(waitFor([] { return !QGuiApplication::clipboard()->text().isEmpty(); }));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "a=2\r\na*3\r\n\r\n");

    QGuiApplication::clipboard()->setText("b=5\r\nc=b+1\r\n");
    menu().dispatchMenuCommand(6040);
    std::vector<std::string> all = lines();
    auto at = std::find(all.begin(), all.end(), ">b=5");
    ASSERT_NE(at, all.end());
    EXPECT_EQ(*(at + 1), ">c=b+1");
    EXPECT_EQ(cursorText(), ">b=5");
    // One line of tab-separated numbers goes into the command as a list.
    cursorTo(">c=b+1");
    press(Qt::Key_End);
    QGuiApplication::clipboard()->setText("+1\t2\t3");
    menu().dispatchMenuCommand(123);
    EXPECT_EQ(cursorText(), ">c=b+1+1,2,3");
}

TEST_F(CommandTest, SplitAndJoinCommandLines) {
    type("12+34");
    for (int i = 0; i < 3; i++) press(Qt::Key_Left);
    menu().dispatchMenuCommand(7940);
    EXPECT_EQ(cursorText(), ">+34");
    std::vector<std::string> all = lines();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], ">12");
    menu().dispatchMenuCommand(7500);
    EXPECT_EQ(lines(), (std::vector<std::string>{">12 +34"}));
    EXPECT_EQ(cursorColumn(), 4);
    // Split as one command: the first part goes on with " ...".
    press(Qt::Key_Right);
    press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(lines(), (std::vector<std::string>{">12 + ...", ">34"}));
    // Clear Current Command Line leaves the bare prompt.
    press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(cursorText(), ">");
}

TEST_F(CommandTest, PastingAnImageNeedsOneOnTheClipboard) {
    QGuiApplication::clipboard()->clear();
    std::string message;
    answerNextBox(&message);
    menu().dispatchMenuCommand(6803);
    EXPECT_EQ(message, "Kalix: No image on clipboard!");
    // With an image, a notebook without a name must be saved first.
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(image);
    std::vector<std::string> messages;
    whenModal([&messages](QWidget* first) {
        auto* box = qobject_cast<QMessageBox*>(first);
        if (!box) return;
        messages.push_back(box->text().toStdString());
        // Then the chooser of the new name: cancelled, nothing is pasted.
        whenModal([](QWidget* chooser) {
            if (auto* dialog = qobject_cast<QFileDialog*>(chooser)) dialog->reject();
        });
        box->button(QMessageBox::Ok)->click();
    });
    menu().dispatchMenuCommand(6803);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Notebook needs to be saved first!");
    EXPECT_EQ(lines(), (std::vector<std::string>{">"}));
}

TEST_F(CommandTest, RunSectionRunsTheCursorsSectionOnly) {
    ASSERT_TRUE(run("a=1"));
    ASSERT_TRUE(run("b=a+1"));
    ASSERT_TRUE(run("c=3"));
    cursorTo(">a=1");
    editor().setComment("* First");
    cursorTo(">c=3");
    editor().setComment("* Second");
    menu().dispatchMenuCommand(127);
    ASSERT_TRUE(outputLines().empty());
    cursorTo(">b=a+1");
    // The commands of a run follow each other without a prompt: the run
    // ends with the next prompt.
    int waits = host.getInputWaitCount();
    press(Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_TRUE(waitForPrompt(waits));
    EXPECT_EQ(outputLines(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(cursorText(), ">c=3");

    // Ctrl+R runs everything from the cursor on.
    menu().dispatchMenuCommand(127);
    cursorTo(">b=a+1");
    waits = host.getInputWaitCount();
    press(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(waitForPrompt(waits));
    EXPECT_EQ(outputLines(), (std::vector<std::string>{"2", "3"}));
}

TEST_F(CommandTest, SearchFindsTheTextAndSearchNextGoesOn) {
    ASSERT_TRUE(run("xa=1"));
    ASSERT_TRUE(run("y=2"));
    ASSERT_TRUE(run("xb=3"));
    cursorTo(">xa=1");
    // Without a search text, "Search next" does nothing.
    writeSetting("search", "");
    key(Qt::Key_F3);
    {
        TextLockHold hold(editor(), "test");
        EXPECT_EQ(editor().cursor().getSelectionFirst(), nullptr);
    }
    whenModal([](QWidget* dialog) {
        controlById<QLineEdit>(dialog, 10)->setText("x");
        clickControl(dialog, 1);
    });
    press(Qt::Key_F, Qt::ControlModifier);
    EXPECT_STREQ(textSetting("search"), "x");
    std::string found;
    {
        TextLockHold hold(editor(), "test");
        ASSERT_NE(editor().cursor().getSelectionFirst(), nullptr);
        found = editor().cursor().getSelectionFirst()->text.getText();
    }
    key(Qt::Key_F3);
    TextLockHold hold(editor(), "test");
    ASSERT_NE(editor().cursor().getSelectionFirst(), nullptr);
    EXPECT_NE(editor().cursor().getSelectionFirst()->text.getText(), found);
    EXPECT_EQ(std::string(editor().cursor().getSelectionFirst()->text.getText()).substr(0, 2),
              ">x");
}

TEST_F(CommandTest, SearchScrollsTheMatchIntoViewFiveLinesBelowTheTop) {
    ASSERT_TRUE(run("(1:20)'"));
    ASSERT_TRUE(run("needle=1"));
    for (int i = 0; i < 5; i++) ASSERT_TRUE(run("(1:20)'"));
    auto lineIndex = [this](NotebookLine* wanted) {
        int i = 0;
        for (NotebookLine* line = editor().document().getFirstLine(); line && line != wanted;
             line = line->next)
            i++;
        return i;
    };
    int needle = 0;
    {
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().document().getFirstLine();
        while (line && line->text.getText() != std::string(">needle=1")) line = line->next;
        ASSERT_NE(line, nullptr);
        needle = lineIndex(line);
        // The prompt at the end keeps the match out of view.
        ASSERT_GT(lineIndex(editor().view().getTopLine()), needle)
            << lineIndex(editor().lastLine());
    }
    whenModal([](QWidget* dialog) {
        controlById<QLineEdit>(dialog, 10)->setText("needle");
        clickControl(dialog, 1);
    });
    press(Qt::Key_F, Qt::ControlModifier);
    TextLockHold hold(editor(), "test");
    ASSERT_NE(editor().cursor().getSelectionFirst(), nullptr);
    EXPECT_EQ(lineIndex(editor().cursor().getSelectionFirst()), needle);
    EXPECT_EQ(lineIndex(editor().view().getTopLine()), needle - 5);
}

TEST_F(CommandTest, RestartAsksWithConfirmationsAndClearsTheInterpreter) {
    ASSERT_TRUE(run("v=7"));
    type("v+1");
    editor().setNotebookChanged(0);  // a changed one asks to save instead
    std::string question;
    answerNextBox(&question, QMessageBox::No);
    menu().dispatchMenuCommand(2001);
    EXPECT_EQ(question, "Kalix: Really restart?");
    EXPECT_EQ(cursorText(), ">v+1");
    editor().setNotebookChanged(0);

    answerNextBox(nullptr, QMessageBox::Yes);
    int waits = host.getInputWaitCount();
    key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(waitForPrompt(waits));
    EXPECT_EQ(window->getTitle(), "KXW x64 (New Notebook)");
    ASSERT_TRUE(run("v"));
    std::vector<std::string> out = outputLines();
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "Variable v not found!");
}

TEST_F(CommandTest, NewNotebookKeepsAChangedNotebookWithoutConfirmations) {
    ASSERT_TRUE(run("1+1"));
    writeIntSetting("askconfirmations", 0);
    menu().dispatchMenuCommand(102);
    EXPECT_GT(lines().size(), 1u);
    writeIntSetting("askconfirmations", 1);
    answerNextBox(nullptr, QMessageBox::Yes);
    menu().dispatchMenuCommand(102);
    EXPECT_EQ(lines(), (std::vector<std::string>{">"}));
}

TEST_F(CommandTest, CommandsThatChangeTheNotebookWaitForTheInterpreter) {
    ASSERT_TRUE(run("a=1"));
    ASSERT_TRUE(run("b=2"));
    // While a computation runs, nothing changes.
    type("s=0; for i=1 to 1000000; s=s+i; end; s");
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([] { return getIntCell(inputWaiting) == 0; }));
    std::vector<std::string> before = lines();
    for (int id : {120, 127, 116, 6110, 7501}) menu().dispatchMenuCommand(id);
    EXPECT_EQ(lines(), before);
    ASSERT_TRUE(waitForPrompt());
    // Deleting a command and undoing it brings it back.
    cursorTo(">a=1");
    menu().dispatchMenuCommand(116);
    std::vector<std::string> after = lines();
    EXPECT_EQ(std::find(after.begin(), after.end(), ">a=1"), after.end());
    menu().dispatchMenuCommand(2005);
    after = lines();
    EXPECT_NE(std::find(after.begin(), after.end(), ">a=1"), after.end());
}

TEST_F(CommandTest, F5EditsTheCommentAboveTheCommand) {
    ASSERT_TRUE(run("a=1"));
    cursorTo(">a=1");
    editor().setComment("* Title\r\nold text");
    whenModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Edit Comment to Command");
        auto* field = controlById<QPlainTextEdit>(dialog, 10);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->toPlainText(), "* Title\nold text");
        field->setPlainText("* Title\nnew text");
        clickControl(dialog, 1);
    });
    key(Qt::Key_F5);
    std::vector<std::string> all = lines();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[0], "% Title");
    EXPECT_EQ(all[1], "% new text");
    EXPECT_EQ(all[2], ">a=1");
    EXPECT_GT(readIntSetting(makeScreenKey("commentw"), 0), 0);
    // Cancel keeps the comment.
    whenModal([](QWidget* dialog) {
        controlById<QPlainTextEdit>(dialog, 10)->setPlainText("gone");
        clickControl(dialog, 2);
    });
    key(Qt::Key_F5);
    EXPECT_EQ(lines(), all);
}

TEST_F(CommandTest, HistoryCommandsOfTheMenuRecallEarlierLines) {
    ASSERT_TRUE(run("1+1"));
    ASSERT_TRUE(run("2+2"));
    menu().dispatchMenuCommand(3002);
    EXPECT_EQ(cursorText(), ">2+2");
    menu().dispatchMenuCommand(3002);
    EXPECT_EQ(cursorText(), ">1+1");
    menu().dispatchMenuCommand(3003);
    EXPECT_EQ(cursorText(), ">2+2");
    menu().dispatchMenuCommand(3000);
    EXPECT_EQ(cursorText(), ">2+");
}

// Ctrl+End goes to the last command, behind its text; Ctrl+Home to the
// first.
TEST_F(CommandTest, CtrlEndPutsTheCursorBehindTheLastCommand) {
    ASSERT_TRUE(run("x=1"));
    ASSERT_TRUE(run("y=22"));
    type("z=333");
    press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(cursorText(), ">x=1");
    press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(cursorText(), ">z=333");
    EXPECT_EQ(cursorColumn(), 6);
}

}  // namespace kalix
