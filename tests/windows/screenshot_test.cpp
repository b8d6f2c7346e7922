// A picture of the window after a few commands, a comment and a heading:
// with KALIX_SCREENSHOT naming a PNG file (scripts/window_screenshot runs it
// under Xvfb); skipped otherwise.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "window_fixture.h"

TEST_F(WindowTest, ScreenshotOfANotebook) {
    const char* path = std::getenv("KALIX_SCREENSHOT");
    if (!path) GTEST_SKIP() << "KALIX_SCREENSHOT names no file";
    frame->resize(720, 820);
    ASSERT_TRUE(run("x=linspace(0,1,4)"));
    ASSERT_TRUE(run("sum(x)"));
    ASSERT_TRUE(run("function f(x) := x^2+1"));
    ASSERT_TRUE(run("f(3)"));
    ASSERT_TRUE(run("\"Hello \"|\"notebook\""));
    const std::string plot = "/tmp/sine.png";
    ASSERT_TRUE(run("t=0:0.01:6; plot(t,sin(t)); frame(); savepng(\"/tmp/sine.png\",480,320,1);"));
    {
        TextLockHold hold(editor(), "test");
        editor().setCursorLine(editor().document().getFirstLine(), 1);
    }
    editor().setComment("* A first notebook\r\nSome numbers, a function and a string.");
    {
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().document().getFirstLine();
        while (line && line->text.getText() != std::string(">f(3)")) line = line->next;
        ASSERT_NE(line, nullptr);
        editor().setCursorLine(line, 1);
    }
    editor().setComment("The function at 3.");
    {
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().document().getFirstLine();
        while (line && std::string(line->text.getText()).rfind(">t=", 0) != 0) line = line->next;
        ASSERT_NE(line, nullptr);
        editor().setCursorLine(line, 1);
    }
    editor().setComment(("A sine, drawn and saved:\r\nimage: (14) " + plot).c_str());
    std::remove(plot.c_str());
    {
        TextLockHold hold(editor(), "test");
        editor().setCursorLine(editor().lastLine(), 1);
    }
    window->raiseWindow();
    type("f(");
    // The status-line help comes after 500 ms; the blinking caret shows
    // again after two blinks of 530 ms.
    QTest::qWait(1100);
    ASSERT_TRUE(frame->grab().save(QString::fromLocal8Bit(path)));
}
