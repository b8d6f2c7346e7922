// The graphics window beside the notebook: plots drawn and painted, raised
// once for plots in a row, the drawing area and its aspect, the mouse, the
// crop area dragged with it, the waits for time and keys, PNG files of the
// window's size.
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "base/settings.h"
#include "graphics/crop_area.h"
#include "graphics/graphics_area.h"
#include "gui/graphics_commands.h"
#include "gui/graphics_window.h"
#include "gui/graphics_window_commands.h"
#include "platform/host.h"

#include "window_fixture.h"

namespace kalix {

using Lines = std::vector<std::string>;

namespace {

class GraphicsWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(waitFor([&] { return graphics().getSurfaceWidth() > 0; }));
    }

    GraphicsWindow& graphics() { return *host.getGraphicsWindow(); }
    QWidget* graphicsClient() { return clientWidgetOf(&graphics()); }

    std::string notebook() {
        std::string all;
        for (const std::string& line : lines()) all += line + "\n";
        return all;
    }
    // Pixels of the painted window that are not white.
    int inkInWindow() {
        QImage shot = graphicsClient()->grab().toImage();
        int ink = 0;
        for (int y = 0; y < shot.height(); y++)
            for (int x = 0; x < shot.width(); x++) ink += (shot.pixel(x, y) & 0xffffff) != 0xffffff;
        return ink;
    }
};

}  // namespace

TEST(DrawingArea, MarginsAndAspect) {
    struct Case {
        int w, h;
        bool keep;
        double aspect;
        DrawingArea expected;
    } cases[] = {
        // 5% of the shorter side as margin, the picture from half of it on.
        {1000, 600, false, 1, {15, 15, 970, 570}},
        // A fixed ratio: the largest such rectangle inside, centred.
        {1000, 600, true, 1, {215, 15, 570, 570}},
        {1000, 600, true, 2, {15, 57, 970, 485}},
        {400, 1000, true, 1, {10, 310, 380, 380}},
        // Tiny windows keep a picture of at least 10 x 10.
        {4, 4, false, 1, {0, 0, 10, 10}},
    };
    for (const Case& c : cases) {
        DrawingArea a = drawingAreaOf(c.w, c.h, c.keep, c.aspect);
        EXPECT_EQ(a.x, c.expected.x) << c.w << "x" << c.h << " " << c.aspect;
        EXPECT_EQ(a.y, c.expected.y) << c.w << "x" << c.h << " " << c.aspect;
        EXPECT_EQ(a.width, c.expected.width) << c.w << "x" << c.h << " " << c.aspect;
        EXPECT_EQ(a.height, c.expected.height) << c.w << "x" << c.h << " " << c.aspect;
    }
}

TEST_F(GraphicsWindowTest, BothWindowsOpenWithTheirTitles) {
    EXPECT_EQ(frame->windowTitle().toStdString(), "KXW x64 (New Notebook)");
    EXPECT_EQ(frameOf(&graphics())->windowTitle().toStdString(), "Kavrost - Kalixbench - Graphics");
    EXPECT_TRUE(graphics().isVisible());
}

TEST_F(GraphicsWindowTest, APlotIsDrawnOnTheSurfaceAndPainted) {
    const int ink = inkInWindow();
    ASSERT_TRUE(run("x=1:10; plot(x,x^2);"));
    EXPECT_TRUE(waitFor([&] { return inkInWindow() > ink + 200; }));
    // Smoothed, the surface is three times the picture.
    EXPECT_EQ(graphics().getAntialiasFactor(), 3);
    EXPECT_EQ(graphics().getSurfaceWidth(), 3 * graphics().getDrawingArea().width);
    EXPECT_EQ(graphics().getSurfaceHeight(), 3 * graphics().getDrawingArea().height);
}

TEST_F(GraphicsWindowTest, PlotsInARowRaiseTheGraphicsOnceAndThePromptTheNotebook) {
    const int raised = graphics().getRaiseCount();
    ASSERT_TRUE(run("x=1:10; plot(x,x^2); plot(x,x^3);"));
    EXPECT_EQ(graphics().getRaiseCount(), raised + 1);
    // The prompt brought the notebook back; the next plot raises again.
    ASSERT_TRUE(run("plot(x,x);"));
    EXPECT_EQ(graphics().getRaiseCount(), raised + 2);
    // Output alone raises nothing.
    ASSERT_TRUE(run("1+1"));
    EXPECT_EQ(graphics().getRaiseCount(), raised + 2);
}

TEST_F(GraphicsWindowTest, TheAspectIsKeptWhenTheWindowResizes) {
    ASSERT_TRUE(run("aspect(2);"));
    DrawingArea a = graphics().getDrawingArea();
    EXPECT_NEAR(double(a.width) / a.height, 2, 0.01);
    frameOf(&graphics())->resize(900, 500);
    ASSERT_TRUE(waitFor([&] { return graphics().getDrawingArea().width != a.width; }));
    a = graphics().getDrawingArea();
    EXPECT_NEAR(double(a.width) / a.height, 2, 0.01);
    ASSERT_TRUE(run("getaspect()"));
    EXPECT_EQ(lastOutput(), "2");
    // pixel() follows the window's picture size.
    ASSERT_TRUE(run(("p=pixel(); w=window(); s=plot(); round(p[1]*(w[3]-w[1])/(s[2]-s[1])*" +
                     std::to_string(a.width) + ",6)")
                        .c_str()));
    EXPECT_EQ(lastOutput(), "1024");
    ASSERT_TRUE(run("aspect(0)"));
    EXPECT_EQ(lastOutput(), "2");
}

TEST_F(GraphicsWindowTest, SavepngWithoutASizeSavesTheWindowsPicture) {
    const std::string file = "/tmp/kalix-graphics-window-" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(run("x=1:10; plot(x,x^2);"));
    ASSERT_TRUE(run(("savepng(\"" + file + "\",0,0,1);").c_str()));
    QImage saved(QString::fromStdString(file));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.width(), graphics().getDrawingArea().width);
    EXPECT_EQ(saved.height(), graphics().getDrawingArea().height);
    std::remove(file.c_str());
}

TEST_F(GraphicsWindowTest, MouseReturnsTheClickedPointInUserCoordinates) {
    ASSERT_TRUE(run("setplot([0,10,0,100]); x=1:10; plot(x,x^2);"));
    startCommand("m=mouse()");
    ASSERT_TRUE(waitingForUser()) << notebook();
    const DrawingArea a = graphics().getDrawingArea();
    const int x = a.x + a.width / 4, y = a.y + a.height / 2;
    QTest::mouseClick(graphicsClient(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    ASSERT_TRUE(waitForPrompt());
    const double c = double(x - a.x) / a.width * 1024, r = double(y - a.y) / a.height * 1024;
    char check[160];
    std::snprintf(check, sizeof check, "max(abs(m-fromscreen([%.17g,%.17g])))<1e-9", c, r);
    ASSERT_TRUE(run(check));
    EXPECT_EQ(lastOutput(), "1");
    // A key ends the wait with its code; mousestate tells the last event.
    ASSERT_TRUE(run("mousestate()"));
    EXPECT_EQ(lastOutput(), "3");
    startCommand("mouse()");
    ASSERT_TRUE(waitingForUser()) << notebook();
    type("a");
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(lastOutput(), "97");
}

TEST_F(GraphicsWindowTest, MousedragReportsPressMoveAndRelease) {
    startCommand("{e,p,t}=mousedrag(); e");
    ASSERT_TRUE(waitingForUser()) << notebook();
    const DrawingArea a = graphics().getDrawingArea();
    QTest::mousePress(graphicsClient(), Qt::LeftButton, Qt::NoModifier, QPoint(a.x + 5, a.y + 5));
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(lastOutput(), "1");
    startCommand("{e,k,p,t}=mousedrag(); [e,k]");
    ASSERT_TRUE(waitingForUser()) << notebook();
    type("q");
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(lastOutput(), "[0,  113]");
}

TEST_F(GraphicsWindowTest, ADragInCropModeChoosesTheAreaOfTheNextExport) {
    const std::string file = "/tmp/kalix-crop-" + std::to_string(getpid()) + ".png";
    const std::string save = "savepng(\"" + file + "\",0,0,1);";
    ASSERT_TRUE(run("x=1:10; plot(x,x^2);"));
    const DrawingArea a = graphics().getDrawingArea();
    const auto bandAt = [&](int x, int y) {
        return (graphicsClient()->grab().toImage().pixel(x, y) & 0xffffff) == 0xdcdcdc;
    };
    const auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(graphicsClient(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(graphicsClient(), (from + to) / 2);
        QTest::mouseMove(graphicsClient(), to);
        QTest::mouseRelease(graphicsClient(), Qt::LeftButton, Qt::NoModifier, to);
    };
    EXPECT_FALSE(bandAt(a.x + 1, a.y + 1));

    startCropMode();
    EXPECT_EQ(cropMode, 1);
    EXPECT_EQ(window->getStatusText(), "Drag a crop area with the mouse! End with Return!");
    setStatusText("something else");
    EXPECT_EQ(window->getStatusText(), "Drag a crop area with the mouse! End with Return!");
    // Dragged up and left from the lower right: the corners are sorted.
    const int x0 = a.width * 3 / 4, y0 = a.height * 4 / 5, x1 = a.width / 5, y1 = a.height / 4;
    drag(QPoint(a.x + x0, a.y + y0), QPoint(a.x + x1, a.y + y1));
    EXPECT_DOUBLE_EQ(currentCrop().left, double(x1) / a.width);
    EXPECT_DOUBLE_EQ(currentCrop().top, double(y1) / a.height);
    EXPECT_DOUBLE_EQ(currentCrop().right, double(a.width - x0) / a.width);
    EXPECT_DOUBLE_EQ(currentCrop().bottom, double(a.height - y0) / a.height);
    // The window greys what is cut off.
    EXPECT_TRUE(bandAt(a.x + 1, a.y + 1));
    EXPECT_TRUE(bandAt(a.x + a.width - 2, a.y + a.height - 2));
    // A click without an area and moves without a button keep the area.
    const CropRectangle chosen = currentCrop();
    QTest::mouseClick(graphicsClient(), Qt::LeftButton, Qt::NoModifier, QPoint(a.x + 5, a.y + 5));
    QTest::mouseMove(graphicsClient(), QPoint(a.x + 9, a.y + 9));
    EXPECT_EQ(currentCrop().left, chosen.left);
    EXPECT_EQ(currentCrop().bottom, chosen.bottom);
    // A key without a character only raises the graphics; Return keeps the area.
    press(Qt::Key_Up);
    EXPECT_EQ(cropMode, 1);
    press(Qt::Key_Return);
    EXPECT_EQ(cropMode, 0);
    EXPECT_EQ(window->getStatusText(), "");
    EXPECT_EQ(currentCrop().left, chosen.left);
    EXPECT_EQ(currentCrop().top, chosen.top);
    ASSERT_TRUE(run(save.c_str()));
    QImage saved(QString::fromStdString(file));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.width(), int((1 - chosen.left - chosen.right) * a.width + 0.5));
    EXPECT_EQ(saved.height(), int((1 - chosen.top - chosen.bottom) * a.height + 0.5));

    // A drag beyond the picture stops at its edges; another key cancels.
    startCropMode();
    EXPECT_TRUE(currentCrop().isWhole());
    drag(QPoint(a.x + a.width / 2, a.y + a.height / 2),
         QPoint(a.x + a.width + 40, a.y + a.height + 40));
    EXPECT_DOUBLE_EQ(currentCrop().right, 0);
    EXPECT_DOUBLE_EQ(currentCrop().bottom, 0);
    EXPECT_DOUBLE_EQ(currentCrop().left, double(a.width / 2) / a.width);
    type("q");
    EXPECT_EQ(cropMode, 0);
    EXPECT_TRUE(currentCrop().isWhole());
    EXPECT_FALSE(bandAt(a.x + 1, a.y + 1));
    ASSERT_TRUE(run(save.c_str()));
    saved = QImage(QString::fromStdString(file));
    EXPECT_EQ(saved.width(), a.width);
    EXPECT_EQ(saved.height(), a.height);
    // Typed "q" ended the crop and is not in the command line.
    EXPECT_EQ(notebook().find("q" + save), std::string::npos);
    std::remove(file.c_str());
}

TEST_F(GraphicsWindowTest, WaitsForTimeAndKeys) {
    using Clock = std::chrono::steady_clock;
    auto t0 = Clock::now();
    ASSERT_TRUE(run("wait(0.5);"));
    double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    EXPECT_GT(seconds, 0.45);
    EXPECT_LT(seconds, 30.0);  // the wait ends at all

    // A key during wait(600) ends it, long before its time, and is its
    // second result.
    t0 = Clock::now();
    startCommand("{t,k}=wait(600); k");
    ASSERT_TRUE(waitingForUser()) << notebook();
    type("x");
    ASSERT_TRUE(waitForPrompt());
    seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    EXPECT_LT(seconds, 60.0);
    EXPECT_EQ(lastOutput(), "120");

    // key() returns the key typed; Escape interrupts.
    startCommand("key()");
    ASSERT_TRUE(waitingForUser()) << notebook();
    type("b");
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(lastOutput(), "98");
    // The text of key(text) stands in the status line while it waits only.
    startCommand("key(\"press a key\")");
    ASSERT_TRUE(waitingForUser()) << notebook();
    EXPECT_EQ(window->getStatusText(), "press a key");
    type("c");
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(lastOutput(), "99");
    EXPECT_NE(window->getStatusText(), "press a key");
    startCommand("wait(100); 7");
    ASSERT_TRUE(waitingForUser()) << notebook();
    press(Qt::Key_Escape);
    ASSERT_TRUE(waitForPrompt());
    const Lines all = lines();
    EXPECT_NE(std::find(all.begin(), all.end(), "Interrupt"), all.end()) << notebook();
    EXPECT_EQ(std::find(all.begin(), all.end(), "7"), all.end()) << notebook();
}

TEST_F(GraphicsWindowTest, RestartClearsVariablesAndTheNextCommandRuns) {
    ASSERT_TRUE(run("a=5; function f(x) := x+1"));
    ASSERT_TRUE(run("restart"));
    ASSERT_TRUE(run("1+1"));
    EXPECT_EQ(lastOutput(), "2");
    ASSERT_TRUE(run("a"));
    EXPECT_NE(lastOutput(), "5");
}

TEST_F(GraphicsWindowTest, MenuTogglesRedrawTheWindow) {
    ASSERT_TRUE(run("x=1:10; plot(x,x^2);"));
    const int smoothing = intSetting("antialiasgraphics");
    toggleAntialias();
    EXPECT_EQ(intSetting("antialiasgraphics"), !smoothing);
    EXPECT_EQ(graphics().getAntialiasFactor(), smoothing ? 1 : 3);
    EXPECT_EQ(graphics().getSurfaceWidth(),
              graphics().getAntialiasFactor() * graphics().getDrawingArea().width);
    toggleAntialias();
    EXPECT_EQ(graphics().getAntialiasFactor(), smoothing ? 3 : 1);
    const int bold = intSetting("boldfont");
    toggleBoldFont();
    EXPECT_EQ(intSetting("boldfont"), !bold);
    toggleBoldFont();
    EXPECT_EQ(intSetting("boldfont"), bold);
}

TEST_F(GraphicsWindowTest, TheAspectDialogsChoiceIsKeptAndClampedForThePicture) {
    AspectChoice choice;
    choice.aspect = 50;
    applyAspectChoice(choice);
    EXPECT_EQ(doubleSetting("aspect"), 50);
    EXPECT_EQ(intSetting("cropsquare"), 1);
    DrawingArea a = graphics().getDrawingArea();
    EXPECT_NEAR(double(a.width) / a.height, 10, 0.2);
    ASSERT_TRUE(run("getaspect()"));
    EXPECT_EQ(lastOutput(), "10");
    // Following the window: the picture takes the window's shape.
    choice.aspect = 1;
    choice.followWindow = true;
    applyAspectChoice(choice);
    frameOf(&graphics())->resize(800, 400);
    ASSERT_TRUE(waitFor([&] { return graphics().getDrawingArea().width > 2 * 330; }));
    a = graphics().getDrawingArea();
    EXPECT_GT(double(a.width) / a.height, 1.5);
    choice.followWindow = false;
    applyAspectChoice(choice);
}

}  // namespace kalix
