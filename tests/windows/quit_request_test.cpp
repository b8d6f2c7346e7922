// Ending the program from the window: the question before a changed
// notebook is lost, and the keyboard state the exit reads.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/settings.h"
#include "notebook/notebook_file_operations.h"
#include "window_fixture.h"

namespace kalix {

namespace {

class QuitTest : public WindowTest {
  protected:
    // requestQuit with the answer given to its question; `asked` tells
    // whether it asked.
    int quitAnswering(QMessageBox::StandardButton button, int& asked) {
        asked = 0;
        QPointer<QTimer> poll = clickInNextBox(button, &asked);
        int result = host.requestQuit();
        // A box that did not show leaves its poll behind; it must not
        // answer a later question.
        delete poll.data();
        return result;
    }
};

TEST_F(QuitTest, AnUnchangedNotebookEndsWithoutAQuestion) {
    editor().setNotebookChanged(0);
    int asked;
    EXPECT_EQ(quitAnswering(QMessageBox::Cancel, asked), 1);
    EXPECT_EQ(asked, 0);
}

TEST_F(QuitTest, AChangedNotebookAsksAndCancelKeepsTheProgram) {
    ASSERT_TRUE(run("x=1"));
    ASSERT_TRUE(editor().isNotebookChanged());
    int asked;
    EXPECT_EQ(quitAnswering(QMessageBox::Cancel, asked), 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(quitAnswering(QMessageBox::No, asked), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(editor().isNotebookChanged());
    // Questions off: a changed notebook still asks.
    writeIntSetting("askconfirmations", 0);
    EXPECT_EQ(quitAnswering(QMessageBox::Cancel, asked), 0);
    EXPECT_EQ(asked, 1);
    writeIntSetting("askconfirmations", 1);
}

TEST_F(QuitTest, YesSavesTheNotebookBeforeTheEnd) {
    char path[] = "/tmp/kalix-quit-XXXXXX.kn";
    int fd = mkstemps(path, 3);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(saveNotebookTo(editor(), path), 1);
    ASSERT_TRUE(run("y=12345"));
    ASSERT_TRUE(editor().isNotebookChanged());
    int asked;
    EXPECT_EQ(quitAnswering(QMessageBox::Yes, asked), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(editor().isNotebookChanged());
    FILE* file = std::fopen(path, "r");
    ASSERT_NE(file, nullptr);
    char text[4096] = {0};
    size_t n = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    EXPECT_NE(std::string(text, n).find("y=12345"), std::string::npos);
    std::remove(path);
}

TEST_F(QuitTest, AfterTheInterpreterEndedNothingIsAsked) {
    ASSERT_TRUE(run("x=1"));
    host.interpreterEnded();
    int asked;
    EXPECT_EQ(quitAnswering(QMessageBox::Cancel, asked), 1);
    EXPECT_EQ(asked, 0);
}

TEST_F(QuitTest, ShiftIsReadFromTheKeyboardNow) {
    QWindow* handle = frame->windowHandle();
    ASSERT_NE(handle, nullptr);
    // The state as the platform reports it with each key.
    QTest::keyPress(handle, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(host.isShiftKeyHeld(), 1);
    QTest::keyRelease(handle, Qt::Key_Shift, Qt::NoModifier);
    EXPECT_EQ(host.isShiftKeyHeld(), 0);
}

}  // namespace

}  // namespace kalix
