// kalix_screenshots PICTURE FOLDER: draws one picture of the windows into
// FOLDER, on the display Qt is given (scripts/screenshots gives it Xvfb);
// kalix_screenshots list names the pictures. Each picture is drawn by a
// process of its own: the windows and the interpreter start once a process.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "gui/qt_pixels.h"

namespace kalix {

std::string screenshotFolder;

namespace {

struct Picture {
    const char* name;
    const char* drawer;  // the case of this program that draws it
    const char* files;
};
constexpr Picture pictures[] = {
    {"notebook", "Screenshot.Notebook", "notebook.png"},
    {"windows", "GraphicsScreenshot.BothWindows", "windows.png"},
    {"inside", "InsideScreenshot.PictureInsideTheNotebook", "graphics-in-notebook.png"},
    {"pictures", "Screenshot.PicturesInANotebook", "pictures.png"},
    {"edit-menu", "MenuScreenshot.EditMenu", "menu.png"},
    {"fonts-colours", "MenuScreenshot.FontsAndColoursDialogs",
     "dialog-fonts.png dialog-colors.png"},
    {"about", "MenuScreenshot.AboutBox", "dialog-about.png"},
    {"editor", "MenuScreenshot.InternalEditor", "dialog-editor.png"},
    {"help", "MenuScreenshot.HelpWindow", "help-window.png"},
    {"size-print", "GraphicsScreenshot.SizeAndPrintDialogs",
     "dialog-set-size.png dialog-print.png"},
};

int usage() {
    std::fprintf(stderr, "Usage: kalix_screenshots PICTURE FOLDER | kalix_screenshots list\n");
    for (const Picture& picture : pictures)
        std::fprintf(stderr, "  %-14s %s\n", picture.name, picture.files);
    return 2;
}

}  // namespace

}  // namespace kalix

int main(int argc, char** argv) {
    using namespace kalix;
    if (argc == 2 && std::strcmp(argv[1], "list") == 0) {
        for (const Picture& picture : pictures) std::printf("%s\n", picture.name);
        return 0;
    }
    if (argc != 3) return usage();
    const Picture* chosen = nullptr;
    for (const Picture& picture : pictures)
        if (std::strcmp(argv[1], picture.name) == 0) chosen = &picture;
    if (!chosen) return usage();
    screenshotFolder = argv[2];
    // Default settings, whatever the user running the script has set.
    char folder[] = "/tmp/kalix-screenshots-XXXXXX";
    if (mkdtemp(folder)) setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    installQtPixelBackend();
    testing::InitGoogleTest(&qtArgc, argv);
    GTEST_FLAG_SET(filter, chosen->drawer);
    int result = RUN_ALL_TESTS();
    if (testing::UnitTest::GetInstance()->successful_test_count() != 1) result = 1;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return result;
}
