// Pictures of the graphics window beside the notebook and of its Set Size
// and Print dialogs.
#include <QGuiApplication>
#include <QPlainTextEdit>

#include <string>

#include "gui/graphics_commands.h"
#include "gui/graphics_window_commands.h"
#include "modal_helpers.h"
#include "screenshot_fixture.h"

namespace kalix {

namespace {

class GraphicsScreenshot : public Screenshot {
  protected:
    void SetUp() override {
        Screenshot::SetUp();
        ASSERT_TRUE(graphicsShown());
    }
    void TearDown() override {
        setExportDialogs(nullptr, nullptr, nullptr);
        Screenshot::TearDown();
    }
};

}  // namespace

// The whole screen after a plot.
TEST_F(GraphicsScreenshot, BothWindows) {
    const char* plot = "plot(x,sin(3*x)*exp(-x^2)); frame(); ctext(\"A damped sine\",[512,0]);";
    ASSERT_TRUE(run("x=-2:0.01:2;"));
    ASSERT_TRUE(run(plot));
    ASSERT_TRUE(run("1+1"));
    // Plotted once more, the picture comes to the front again.
    ASSERT_TRUE(run(plot));
    QTest::qWait(800);
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(screen->grabWindow(0).save(destination("windows.png")));
}

TEST_F(GraphicsScreenshot, SizeAndPrintDialogs) {
    ASSERT_TRUE(run("x=linspace(0,1,50); plot(x,x^2);"));
    setExportDialogs(
        nullptr, [](const char*) { return std::string(); }, nullptr);
    bool saved = false;
    whenModal([&saved](QWidget* dialog) {
        QTest::qWait(100);
        saved = dialog->grab().save(destination("dialog-set-size.png"));
        clickControl(dialog, 2);
    });
    saveGraphicsPngDialog();
    EXPECT_TRUE(saved);
    saved = false;
    whenModal([&saved](QWidget* dialog) {
        controlById<QPlainTextEdit>(dialog, 11)->setPlainText("f(x) = x^2 on [0,1]");
        QTest::qWait(100);
        saved = dialog->grab().save(destination("dialog-print.png"));
        clickControl(dialog, 2);
    });
    printGraphicsDialog();
    EXPECT_TRUE(saved);
}

}  // namespace kalix
