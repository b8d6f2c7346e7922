// The window tests run in one Qt application per process (each test is its
// own process under ctest), with settings in a folder of their own.
#include <gtest/gtest.h>

#include <QApplication>

#include "gui/qt_pixels.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    using namespace kalix;
    char folder[] = "/tmp/kalix-window-tests-XXXXXX";
    if (mkdtemp(folder)) setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    installQtPixelBackend();
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::string remove = std::string("rm -rf ") + folder;
    if (std::system(remove.c_str()) != 0) result = result ? result : 1;
    return result;
}
