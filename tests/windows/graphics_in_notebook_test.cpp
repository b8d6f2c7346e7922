// The picture and the notebook window together: Tab switching the front
// window, the picture drawn inside the notebook window ("intextwindow",
// Ctrl+G), the anaglyph kept at the prompt and redrawn, the picture's window
// following the notebook's minimising, the old picture going with a restart
// or an opened notebook, and the computation thread's priorities.
#include <QAction>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/settings.h"
#include "graphics/graphics_store.h"
#include "graphics/pages.h"
#include "gui/file_menu_commands.h"
#include "gui/graphics_window.h"
#include "gui/graphics_window_commands.h"
#include "gui/notebook_commands.h"
#include "notebook/notebook_file_operations.h"

#include "window_fixture.h"

namespace kalix {

namespace {

// Pixels that are not white in the lower part of an image (from `top` on):
// the notebook's few lines stay above it, a picture reaches into it.
int inkFrom(const QImage& image, int top) {
    int ink = 0;
    for (int y = top; y < image.height(); y++)
        for (int x = 0; x < image.width(); x++) ink += (image.pixel(x, y) & 0xffffff) != 0xffffff;
    return ink;
}

// Pixels of the anaglyph's cyan (a line of the first page) and red (of the
// second), which no plain plot draws.
struct AnaglyphInk {
    int cyan = 0, red = 0;
};
AnaglyphInk anaglyphInk(const QImage& image) {
    AnaglyphInk ink;
    for (int y = 0; y < image.height(); y++)
        for (int x = 0; x < image.width(); x++) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) < 110 && qGreen(p) > 150 && qBlue(p) > 150) ink.cyan++;
            if (qRed(p) > 200 && qGreen(p) < 150 && qBlue(p) < 150) ink.red++;
        }
    return ink;
}

class PictureAndNotebookTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(waitFor([&] { return graphics().getSurfaceWidth() > 0; }));
        frame->resize(640, 720);
        ASSERT_TRUE(waitFor([&] { return window->getClientHeight() > 500; }));
    }
    void TearDown() override {
        if (graphicsInTextWindow) setGraphicsInTextWindow(0);
        WindowTest::TearDown();
    }

    GraphicsWindow& graphics() { return *host.getGraphicsWindow(); }
    QWidget* graphicsClient() { return clientWidgetOf(&graphics()); }
    // What the notebook window shows now, below its upper third.
    int notebookInk() {
        const QImage shot = client->grab().toImage();
        return inkFrom(shot, shot.height() / 3);
    }
    int graphicsInk() {
        const QImage shot = graphicsClient()->grab().toImage();
        return inkFrom(shot, 0);
    }
    // Ctrl+G: the menu's "Graphics in Text Window" and its check mark.
    bool inTextWindowChecked() {
        for (QAction* action : frame->findChildren<QAction*>())
            if (action->text().startsWith("Graphics in Te")) return action->isChecked();
        return false;
    }
};

const char* const diagonal = "setplot([0,1,0,1]); linewidth(4); plot([0,1],[0,1]); linewidth(1);";

}  // namespace

TEST_F(PictureAndNotebookTest, TabSwitchesBetweenTheNotebookAndThePicture) {
    for (int inside : {0, 1}) {
        SCOPED_TRACE(inside ? "picture inside the notebook" : "picture in its own window");
        setGraphicsInTextWindow(inside);
        EXPECT_EQ(graphics().isVisible(), !inside);
        ASSERT_TRUE(run(diagonal));
        // The prompt brought the notebook back.
        ASSERT_TRUE(waitFor([&] { return host.isTextInFront() == 1; }));
        const int raised = graphics().getRaiseCount();
        EXPECT_EQ(notebookInk(), 0);

        press(Qt::Key_Tab);
        EXPECT_EQ(host.isTextInFront(), 0);
        EXPECT_EQ(graphics().getRaiseCount(), raised + 1);
        EXPECT_EQ(graphicsOverText.load(), inside);
        if (inside) {
            EXPECT_TRUE(waitFor([&] { return notebookInk() > 500; }));
            EXPECT_FALSE(graphics().isVisible());
        } else {
            EXPECT_TRUE(graphics().isVisible());
            EXPECT_EQ(notebookInk(), 0);
        }
        // The command line is left as it was.
        EXPECT_EQ(cursorText(), ">");

        press(Qt::Key_Tab);
        EXPECT_EQ(host.isTextInFront(), 1);
        EXPECT_EQ(graphicsOverText.load(), 0);
        EXPECT_TRUE(waitFor([&] { return notebookInk() == 0; }));
        EXPECT_TRUE(window->isCaretShown());

        // Any other key brings the notebook back too, and types.
        press(Qt::Key_Tab);
        EXPECT_EQ(host.isTextInFront(), 0);
        type("1");
        EXPECT_EQ(host.isTextInFront(), 1);
        EXPECT_EQ(cursorText(), ">1");
        press(Qt::Key_Backspace);
    }
}

TEST_F(PictureAndNotebookTest, TabInAFunctionBodyIsATab) {
    ASSERT_TRUE(run("function g(x)"));
    press(Qt::Key_Tab);
    // Blanks to the next stop of four columns.
    EXPECT_EQ(cursorText(), "$   ");
    EXPECT_EQ(host.isTextInFront(), 1);
    ASSERT_TRUE(run("return x+1"));
    ASSERT_TRUE(run("endfunction"));
    ASSERT_TRUE(run("g(1)"));
    EXPECT_EQ(lastOutput(), "2");
}

TEST_F(PictureAndNotebookTest, CtrlGDrawsThePictureInsideTheNotebook) {
    const int ownWidth = graphics().getDrawingArea().width;
    press(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(graphicsInTextWindow.load(), 1);
    EXPECT_EQ(intSetting(makeScreenKey("intextwindow")), 1);
    EXPECT_TRUE(inTextWindowChecked());
    EXPECT_FALSE(graphics().isVisible());
    // The picture takes the notebook window's size, keeps its ratio and
    // stands in the middle.
    DrawingArea a = graphics().getDrawingArea();
    const int w = window->getClientWidth(), h = window->getClientHeight();
    EXPECT_EQ(a.width, std::min(w, h) - int(0.05 * std::min(w, h) + 0.5));
    EXPECT_EQ(a.x, (w - a.width) / 2);
    EXPECT_EQ(a.y, (h - a.height) / 2);

    // A program that waits shows its picture over the notebook; the key
    // that ends the wait brings the notebook back.
    startCommand((std::string(diagonal) + " wait(20); 5").c_str());
    ASSERT_TRUE(waitingForUser());
    EXPECT_EQ(graphicsOverText.load(), 1);
    EXPECT_TRUE(waitFor([&] { return notebookInk() > 500; }));
    EXPECT_FALSE(window->isCaretShown());
    type("x");
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(lastOutput(), "5");
    EXPECT_TRUE(waitFor([&] { return notebookInk() == 0; }));

    // A click on the picture over the notebook answers mouse().
    startCommand((std::string(diagonal) + " m=mouse()").c_str());
    ASSERT_TRUE(waitingForUser());
    a = graphics().getDrawingArea();
    const int x = a.x + a.width / 4, y = a.y + a.height / 2;
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    ASSERT_TRUE(waitForPrompt());
    char check[160];
    std::snprintf(check, sizeof check, "max(abs(m-fromscreen([%.17g,%.17g])))<1e-9",
                  double(x - a.x) / a.width * 1024, double(y - a.y) / a.height * 1024);
    ASSERT_TRUE(run(check));
    EXPECT_EQ(lastOutput(), "1");

    // The picture follows the notebook window's size.
    frame->resize(900, 600);
    ASSERT_TRUE(waitFor([&] { return graphics().getDrawingArea().x != a.x; }));
    a = graphics().getDrawingArea();
    EXPECT_EQ(a.x, (window->getClientWidth() - a.width) / 2);

    press(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(graphicsInTextWindow.load(), 0);
    EXPECT_EQ(intSetting(makeScreenKey("intextwindow")), 0);
    EXPECT_FALSE(inTextWindowChecked());
    EXPECT_TRUE(graphics().isVisible());
    EXPECT_EQ(graphics().getDrawingArea().width, ownWidth);
}

TEST_F(PictureAndNotebookTest, TheAnaglyphStaysAtThePromptAndIsRedrawnAShownPageGivesWay) {
    ASSERT_TRUE(run("deletepages(); setplot([0,1,0,1]); linewidth(6);"));
    ASSERT_TRUE(run("clg; plot([0,1],[0,1]); addpage(); clg; plot([0,1],[1,0]); addpage();"));
    ASSERT_TRUE(run("showpage(-1);"));
    EXPECT_EQ(anaglyphShown, 1);
    auto shows = [&](bool anaglyph) {
        return waitFor(
            [&] {
                const AnaglyphInk ink = anaglyphInk(graphicsClient()->grab().toImage());
                return anaglyph ? ink.cyan > 200 && ink.red > 200 : ink.cyan == 0 && ink.red == 0;
            },
            3000);
    };
    EXPECT_TRUE(shows(true));
    // A new size redraws the anaglyph, not the live picture.
    frameOf(&graphics())->resize(500, 420);
    ASSERT_TRUE(waitFor([&] { return graphics().getDrawingArea().width < 400; }));
    EXPECT_TRUE(shows(true));
    // Inside the notebook the anaglyph shows there.
    setGraphicsInTextWindow(1);
    press(Qt::Key_Tab);
    EXPECT_TRUE(waitFor(
        [&] {
            const AnaglyphInk ink = anaglyphInk(client->grab().toImage());
            return ink.cyan > 200 && ink.red > 200;
        },
        3000));
    press(Qt::Key_Tab);
    setGraphicsInTextWindow(0);
    // A page shown from the prompt gives way to the live picture at the
    // next prompt; the next plot ends the anaglyph.
    ASSERT_TRUE(run("showpage(1);"));
    EXPECT_EQ(shownPage, 0);
    ASSERT_TRUE(run("plot([0,1],[0.5,0.5]);"));
    EXPECT_EQ(anaglyphShown, 0);
    EXPECT_TRUE(shows(false));
    ASSERT_TRUE(run("deletepages(); linewidth(1);"));
}

TEST_F(PictureAndNotebookTest, MinimisingTheNotebookTakesThePicturesWindowAlong) {
    for (int inside : {0, 1}) {
        SCOPED_TRACE(inside ? "picture inside the notebook" : "picture in its own window");
        setGraphicsInTextWindow(inside);
        frame->showMinimized();
        EXPECT_TRUE(waitFor([&] { return !graphics().isVisible(); }));
        frame->showNormal();
        EXPECT_TRUE(waitFor([&] { return graphics().isVisible() == !inside; }));
        // Maximising changes nothing.
        frame->showMaximized();
        EXPECT_EQ(graphics().isVisible(), !inside);
        frame->showNormal();
        EXPECT_TRUE(waitFor([&] { return graphics().isVisible() == !inside; }));
    }
}

TEST_F(PictureAndNotebookTest, ARestartOrAnOpenedNotebookClearsTheOldPicture) {
    namespace fs = std::filesystem;
    const std::string file =
        (fs::temp_directory_path() / ("kalix-picture-" + std::to_string(getpid()) + ".kn"))
            .string();
    ASSERT_TRUE(run("1+1"));
    ASSERT_EQ(saveNotebookTo(editor(), file), 1);
    struct Case {
        const char* name;
        std::function<void()> act;
    } cases[] = {
        {"the restart command", [&] { startCommand("restart"); }},
        {"the menu's restart", [] { restartInterpreter(0); }},
        {"an opened notebook", [&] { openNotebookFile(file.c_str()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(run(diagonal));
        ASSERT_TRUE(waitFor([&] { return graphicsInk() > 500; }));
        const int waits = host.getInputWaitCount();
        c.act();
        ASSERT_TRUE(waitForPrompt(waits));
        EXPECT_TRUE(waitFor([&] { return graphicsInk() == 0; }));
    }
    EXPECT_EQ(lines()[0], ">1+1");
    std::remove(file.c_str());
}

TEST_F(PictureAndNotebookTest, AKeyTypedForTheProgramMarksTheNotebookChanged) {
    struct Case {
        const char* name;
        std::function<void()> key;
        const char* result;
        bool changed;
    } cases[] = {
        {"a character", [this] { type("a"); }, "97", true},
        {"a key without a character", [this] { press(Qt::Key_F2); }, "15", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Without output: the output would change the notebook itself.
        startCommand("k=key();");
        ASSERT_TRUE(waitingForUser());
        {
            TextLockHold hold(editor(), "test");
            editor().setNotebookChanged(0);
        }
        c.key();
        ASSERT_TRUE(waitForPrompt());
        EXPECT_EQ(editor().isNotebookChanged() != 0, c.changed);
        ASSERT_TRUE(run("k"));
        EXPECT_EQ(lastOutput(), c.result);
    }
}

TEST_F(PictureAndNotebookTest, TheComputationThreadWaitsAtAHigherPriorityThanItComputes) {
    EXPECT_EQ(host.getComputationPriority(), threadPriorityHighest);
    startCommand("key()");
    ASSERT_TRUE(waitingForUser());
    EXPECT_EQ(host.getComputationPriority(), threadPriorityNormal);
    type("a");
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(host.getComputationPriority(), threadPriorityHighest);
}

}  // namespace kalix
