// Pictures of the notebook window: after a few commands, a comment and a
// heading; with plots and a formula inserted; with a picture drawn inside.
#include <cstdio>
#include <string>

#include "gui/graphics_window_commands.h"
#include "platform/child_process.h"
#include "screenshot_fixture.h"

namespace kalix {

namespace {

bool haveLatex() {
    return !locateProgram("", "latex").empty() && !locateProgram("", "dvipng").empty();
}

// The cursor to the first line that begins with `start`.
bool cursorToLineStarting(NotebookEditor& editor, const std::string& start) {
    TextLockHold hold(editor, "screenshot");
    NotebookLine* line = editor.document().getFirstLine();
    while (line && std::string(line->text.getText()).rfind(start, 0) != 0) line = line->next;
    if (line) editor.setCursorLine(line, 1);
    return line != nullptr;
}

void cursorToLastLine(NotebookEditor& editor) {
    TextLockHold hold(editor, "screenshot");
    editor.setCursorLine(editor.lastLine(), 1);
}

// Pixels that are not white in the lower part of an image (from `top` on).
int inkFrom(const QImage& image, int top) {
    int ink = 0;
    for (int y = top; y < image.height(); y++)
        for (int x = 0; x < image.width(); x++) ink += (image.pixel(x, y) & 0xffffff) != 0xffffff;
    return ink;
}

class InsideScreenshot : public Screenshot {
  protected:
    void SetUp() override {
        Screenshot::SetUp();
        ASSERT_TRUE(graphicsShown());
        frame->resize(640, 720);
        ASSERT_TRUE(waitFor([&] { return window->getClientHeight() > 500; }));
    }
    void TearDown() override {
        if (graphicsInTextWindow) setGraphicsInTextWindow(0);
        Screenshot::TearDown();
    }
    // What the notebook window shows below its upper third.
    int notebookInk() {
        const QImage shot = client->grab().toImage();
        return inkFrom(shot, shot.height() / 3);
    }
};

}  // namespace

TEST_F(Screenshot, Notebook) {
    frame->resize(720, 820);
    ASSERT_TRUE(run("x=linspace(0,1,4)"));
    ASSERT_TRUE(run("sum(x)"));
    ASSERT_TRUE(run("function f(x) := x^2+1"));
    ASSERT_TRUE(run("f(3)"));
    ASSERT_TRUE(run("\"Hello \"|\"notebook\""));
    const std::string plot = "/tmp/sine.png";
    ASSERT_TRUE(run("t=0:0.01:6; plot(t,sin(t)); frame(); savepng(\"/tmp/sine.png\",480,320,1);"));
    {
        TextLockHold hold(editor(), "screenshot");
        editor().setCursorLine(editor().document().getFirstLine(), 1);
    }
    editor().setComment("* A first notebook\r\nSome numbers, a function and a string.");
    ASSERT_TRUE(cursorToLineStarting(editor(), ">f(3)"));
    editor().setComment("The function at 3.");
    ASSERT_TRUE(cursorToLineStarting(editor(), ">t="));
    editor().setComment(("A sine, drawn and saved:\r\nimage: (14) " + plot).c_str());
    std::remove(plot.c_str());
    cursorToLastLine(editor());
    window->raiseWindow();
    type("f(");
    // The status-line help comes after 500 ms; the blinking caret shows
    // again after two blinks of 530 ms.
    QTest::qWait(1100);
    ASSERT_TRUE(frame->grab().save(destination("notebook.png")));
}

// A plot inserted under its command and a formula in a comment.
TEST_F(Screenshot, PicturesInANotebook) {
    frame->resize(720, 900);
    ASSERT_TRUE(run("x=linspace(0,2*pi,500); plot(x,sin(x)); frame(); insimg(14)"));
    ASSERT_TRUE(run("insimglines(14); clg; plot(x,cos(x)^2); frame():"));
    if (haveLatex()) {
        ASSERT_TRUE(cursorToLineStarting(editor(), ">insimglines"));
        editor().setComment("The area under the parabola:\r\nlatex: \\int_0^1 x^2\\,dx = \\frac13");
        cursorToLastLine(editor());
    }
    window->raiseWindow();
    QTest::qWait(600);
    ASSERT_TRUE(frame->grab().save(destination("pictures.png")));
}

// Options > "Graphics in Text Window": a program that waits for a key
// shows its picture over the notebook.
TEST_F(InsideScreenshot, PictureInsideTheNotebook) {
    frame->resize(720, 640);
    setGraphicsInTextWindow(1);
    ASSERT_TRUE(run("x=-1:0.05:1; y=x';"));
    startCommand(
        "solid(x,y,exp(-3*(x^2+y^2))); "
        "ctext(\"Graphics in the notebook window\",[512,20]); "
        "key(\"Press a key to see the notebook again.\");");
    ASSERT_TRUE(waitingForUser());
    ASSERT_TRUE(waitFor([&] { return notebookInk() > 500; }, 3000));
    QTest::qWait(300);
    ASSERT_TRUE(frame->grab().save(destination("graphics-in-notebook.png")));
    type(" ");
    ASSERT_TRUE(waitForPrompt());
}

}  // namespace kalix
