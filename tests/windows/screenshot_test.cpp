// A picture of the window after a few commands, a comment and a heading:
// with KALIX_SCREENSHOT naming a PNG file (scripts/window_screenshot runs it
// under Xvfb); skipped otherwise.
#include <cstdlib>

#include "window_fixture.h"

TEST_F(WindowTest, ScreenshotOfANotebook) {
    const char* path = std::getenv("KALIX_SCREENSHOT");
    if (!path) GTEST_SKIP() << "KALIX_SCREENSHOT names no file";
    frame->resize(720, 560);
    ASSERT_TRUE(run("x=linspace(0,1,4)"));
    ASSERT_TRUE(run("sum(x)"));
    ASSERT_TRUE(run("function f(x) := x^2+1"));
    ASSERT_TRUE(run("f(3)"));
    ASSERT_TRUE(run("\"Hello \"|\"notebook\""));
    {
        TextLockHold hold(editor(), "test");
        editor().setCursorLine(editor().firstLine, 1);
    }
    editor().setComment("* A first notebook\r\nSome numbers, a function and a string.");
    {
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().firstLine;
        while (line && line->text.getText() != std::string(">f(3)")) line = line->next;
        ASSERT_NE(line, nullptr);
        editor().setCursorLine(line, 1);
    }
    editor().setComment("The function at 3.");
    {
        TextLockHold hold(editor(), "test");
        editor().setCursorLine(editor().lastLine(), 1);
    }
    type("f(2");
    window->invalidate();
    QTest::qWait(800);
    ASSERT_TRUE(waitFor([&] { return window->redrawText(); }));
    QTest::qWait(100);
    ASSERT_TRUE(frame->grab().save(QString::fromLocal8Bit(path)));
}
