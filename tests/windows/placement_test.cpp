// Window placement kept between runs: five starts and quits leave the
// stored rectangles of both windows as they were, and a rectangle larger
// than the screen is fitted to it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>

#include <array>
#include <memory>

#include "base/settings.h"
#include "gui/notebook_window_host.h"

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
