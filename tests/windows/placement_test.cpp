// Window placement kept between runs: five starts and quits leave the
// stored rectangles of both windows as they were, and a rectangle larger
// than the screen is fitted to it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <array>
#include <memory>

#include "base/settings.h"
#include "gui/notebook_window_host.h"
#include "gui/qt_window_parts.h"

namespace kalix {

namespace {

using Placement = std::array<int, 8>;

Placement storedPlacement() {
    Placement p{};
    const char* names[] = {"xtext",     "ytext",     "wtext",     "htext",
                           "xgraphics", "ygraphics", "wgraphics", "hgraphics"};
    for (int i = 0; i < 8; i++) p[size_t(i)] = readIntSetting(makeScreenKey(names[i]), -1);
    return p;
}

// One start and quit: the windows open where the settings say, and their
// placement is stored when they close.
void startAndQuit() {
    static char name[] = "kalix";
    static char* words[] = {name, nullptr};
    auto host = std::make_unique<NotebookWindowHost>();
    ASSERT_TRUE(host->openWindows(1, words));
    QApplication::processEvents();
    host->storeWindowPlacement();
}

}  // namespace

TEST(WindowPlacement, FiveStartsAndQuitsKeepTheStoredSizes) {
    startAndQuit();
    Placement first = storedPlacement();
    for (int run = 0; run < 5; run++) {
        startAndQuit();
        EXPECT_EQ(storedPlacement(), first) << "start " << run + 2;
    }
    // A stored size larger than the screen comes back fitted to it.
    QRect area = QApplication::primaryScreen()->availableGeometry();
    writeIntSetting(makeScreenKey("htext"), area.height() * 3);
    writeIntSetting(makeScreenKey("wgraphics"), area.width() * 3);
    startAndQuit();
    Placement fitted = storedPlacement();
    EXPECT_LE(fitted[1] + fitted[3], area.bottom() + 1);
    EXPECT_LE(fitted[4] + fitted[6], area.right() + 1);
}

// Maximised by the window manager, or the notebook's full screen, then quit: the stored rectangles
// stay the normal ones, and the flags tell which windows were maximised.
TEST(WindowPlacement, MaximisedOrFullScreenKeepTheNormalRectangles) {
    startAndQuit();
    const Placement normal = storedPlacement();
    static char name[] = "kalix";
    static char* words[] = {name, nullptr};
    for (bool maximise : {true, false}) {
        const char* label = maximise ? "maximised" : "full screen";
        auto host = std::make_unique<NotebookWindowHost>();
        ASSERT_TRUE(host->openWindows(1, words));
        QApplication::processEvents();
        QWidget* text = frameOf(host->getTextWindow());
        QWidget* graphics = frameOf(host->getGraphicsWindow());
        if (maximise) {
            text->showMaximized();
            graphics->showMaximized();
        } else {
            text->activateWindow();
            QApplication::processEvents();
            QTest::keyClick(clientWidgetOf(host->getTextWindow()), Qt::Key_Q,
                            Qt::ControlModifier | Qt::ShiftModifier);
            // A work area lower than 800 pixels: the notebook alone over all
            // of it, without frame and menu bar; else the notebook on the
            // left over the whole height.
            QRect area = QApplication::primaryScreen()->availableGeometry();
            bool low = area.height() < 800;
            EXPECT_EQ(bool(text->windowFlags() & Qt::FramelessWindowHint), low) << label;
            EXPECT_EQ(host->getTextWindow()->parts().menuBar->isVisible(), !low) << label;
            EXPECT_EQ(text->frameGeometry().topLeft(), area.topLeft()) << label;
            EXPECT_EQ(text->frameGeometry().height(), area.height()) << label;
        }
        QApplication::processEvents();
        host->storeWindowPlacement();
        EXPECT_EQ(storedPlacement(), normal) << label;
        EXPECT_EQ(readIntSetting(makeScreenKey("textmax"), -1), maximise ? 1 : 0) << label;
        EXPECT_EQ(readIntSetting(makeScreenKey("graphmax"), -1), maximise ? 1 : 0) << label;
        // Full screen was left: frame and menu bar are back.
        EXPECT_FALSE(text->windowFlags() & Qt::FramelessWindowHint) << label;
        EXPECT_TRUE(host->getTextWindow()->parts().menuBar->isVisible()) << label;
    }
}

}  // namespace kalix
