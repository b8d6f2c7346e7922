// The option dialogs read their settings and write them back on OK, with
// the corrections of their Parts; Cancel stores nothing.
#include <QColorDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/settings.h"
#include "graphics/colors.h"
#include "gui/kalix_menu.h"
#include "gui/program_launch.h"
#include "modal_helpers.h"
#include "platform/host.h"
#include "platform/processes.h"
#include "window_fixture.h"

namespace kalix {

namespace {

class OptionTest : public WindowTest {
  protected:
    // Runs the dialog of a command: `act` fills it and ends it.
    void dialogOf(int id, std::function<void(QWidget*)> act) {
        bool acted = false;
        whenModal([&acted, act](QWidget* dialog) {
            acted = true;
            act(dialog);
        });
        host.getMenu()->dispatchMenuCommand(id);
        EXPECT_TRUE(acted) << id;
    }
    static void setText(QWidget* dialog, int id, const char* text) {
        auto* edit = controlById<QLineEdit>(dialog, id);
        ASSERT_NE(edit, nullptr) << id;
        edit->setText(text);
    }
    static std::string textOf(QWidget* dialog, int id) {
        auto* edit = controlById<QLineEdit>(dialog, id);
        return edit ? edit->text().toStdString() : "<none>";
    }
};

}  // namespace

TEST_F(OptionTest, MemorySizesHaveTheirLowerLimitsAndCancelStoresNothing) {
    dialogOf(115, [](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Set Sizes");
        setText(dialog, 12, "100");
        setText(dialog, 11, "20");
        clickControl(dialog, 1);
    });
    EXPECT_EQ(intSetting("stacksize64"), 128);
    EXPECT_EQ(intSetting("graphicssize64"), 32);
    dialogOf(115, [](QWidget* dialog) {
        EXPECT_EQ(textOf(dialog, 12), "128");
        clickControl(dialog, 10);
        EXPECT_EQ(textOf(dialog, 12), "1024");
        EXPECT_EQ(textOf(dialog, 11), "256");
        clickControl(dialog, 2);
    });
    EXPECT_EQ(intSetting("stacksize64"), 128);
    EXPECT_EQ(intSetting("graphicssize64"), 32);
}

TEST_F(OptionTest, FontsKeepGraphicsLinesInRangeAndClampTheTextFont) {
    struct Case {
        const char* lines;
        const char* size;
        int expectedLines;
        int expectedSize;
    };
    writeIntSetting("graphicslines", 40);
    for (Case c :
         {Case{"5", "300", 40, 96}, Case{"250", "12abc", 40, 12}, Case{"60", "2", 60, 6}}) {
        dialogOf(125, [&c](QWidget* dialog) {
            setText(dialog, 11, c.lines);
            setText(dialog, 10, c.size);
            setText(dialog, 511, "Liberation Mono");
            clickControl(dialog, 1);
        });
        EXPECT_EQ(intSetting("graphicslines"), c.expectedLines) << c.lines;
        EXPECT_EQ(intSetting("textfont"), c.expectedSize) << c.size;
    }
    EXPECT_EQ(window->getFonts().normal.height, 6);

    // "Default" applies at once and closes the dialog.
    writeSetting("graphicsfontname", "Liberation Serif");
    dialogOf(125, [](QWidget* dialog) { clickControl(dialog, 5); });
    EXPECT_STREQ(textSetting("graphicsfontname"), "Arial");
    EXPECT_STREQ(textSetting("textfontname"), "Courier New");
    EXPECT_EQ(intSetting("graphicslines"), 40);
    EXPECT_EQ(intSetting("textfont"), 16);
    EXPECT_EQ(window->getFonts().normal.height, 16);
}

TEST_F(OptionTest, TheGraphicsFontChooserOffersProportionalFaces) {
    writeIntSetting(makeScreenKey("hgraphics"), 600);
    writeIntSetting(makeScreenKey("wgraphics"), 800);
    dialogOf(125, [](QWidget* dialog) {
        whenModal([](QWidget* chooser) {
            auto* fonts = qobject_cast<QFontDialog*>(chooser);
            ASSERT_NE(fonts, nullptr);
            EXPECT_FALSE(fonts->testOption(QFontDialog::MonospacedFonts));
            QFont font("Liberation Sans");
            font.setPixelSize(20);
            fonts->setCurrentFont(font);
            fonts->accept();
        });
        clickControl(dialog, 13);
        EXPECT_EQ(textOf(dialog, 510), "Liberation Sans");
        int lines = std::stoi(textOf(dialog, 11));
        EXPECT_GT(lines, 15);
        EXPECT_LT(lines, 30);
        whenModal([](QWidget* chooser) {
            auto* fonts = qobject_cast<QFontDialog*>(chooser);
            ASSERT_NE(fonts, nullptr);
            EXPECT_TRUE(fonts->testOption(QFontDialog::MonospacedFonts));
            fonts->reject();
        });
        clickControl(dialog, 12);
        clickControl(dialog, 2);
    });
}

TEST_F(OptionTest, ColoursComeFromTheChooserAndTheDefaults) {
    Palette defaults;
    currentPalette.entries[2] = RgbColor(1, 2, 3);
    dialogOf(2000, [](QWidget* dialog) {
        clickControl(dialog, 10);
        whenModal([](QWidget* chooser) {
            auto* colours = qobject_cast<QColorDialog*>(chooser);
            ASSERT_NE(colours, nullptr);
            colours->setCurrentColor(QColor(10, 20, 30));
            colours->accept();
        });
        clickControl(dialog, 201);
        clickControl(dialog, 1);
    });
    EXPECT_EQ(currentPalette.entries[2], defaults.entries[2]);
    EXPECT_EQ(currentPalette.entries[1], RgbColor(10, 20, 30));
    EXPECT_EQ(defaultPalette.entries[1], RgbColor(10, 20, 30));
    EXPECT_EQ(uint32_t(readColorSetting("color1", 0)), RgbColor(10, 20, 30).value());
    EXPECT_EQ(textColors[1], defaultTextColors[1]);
    currentPalette = defaultPalette = defaults;
}

TEST_F(OptionTest, BrowserLatexMaximaAndCodePageSettings) {
    writeSetting("browserstring", "");
    dialogOf(6802, [](QWidget* dialog) {
        EXPECT_EQ(textOf(dialog, 10), registeredBrowser());
        setText(dialog, 11, "/usr/share/doc/kalix");
        clickControl(dialog, 1);
    });
    EXPECT_EQ(textSetting("browserstring"), registeredBrowser());
    EXPECT_STREQ(textSetting("browserdir"), "/usr/share/doc/kalix");

    dialogOf(6855, [](QWidget* dialog) {
        setText(dialog, 10, "/opt/tex");
        setText(dialog, 12, "");
        clickControl(dialog, 1);
    });
    EXPECT_STREQ(textSetting("latexbin"), "/opt/tex/");
    EXPECT_STREQ(textSetting("latexdir"), "");

    // With a directory and no program, the program is found below it.
    std::filesystem::path tree =
        std::filesystem::temp_directory_path() / ("kalix-maxima-" + std::to_string(getpid()));
    std::filesystem::create_directories(tree / "a" / "bin");
    std::ofstream(tree / "a" / "bin" / "maxima") << "#!/bin/sh\n";
    dialogOf(6030, [&tree](QWidget* dialog) {
        setText(dialog, 10, "");
        setText(dialog, 11, tree.c_str());
        clickControl(dialog, 1);
    });
    EXPECT_EQ(textSetting("maximacallstring"), (tree / "a" / "bin" / "maxima").string());
    std::filesystem::remove_all(tree);
    dialogOf(6030, [](QWidget* dialog) {
        clickControl(dialog, 20);
        std::string found = findProgram("maxima");
        EXPECT_EQ(textOf(dialog, 10), found.empty() ? "maxima" : found);
        EXPECT_EQ(textOf(dialog, 11), "");
        clickControl(dialog, 2);
    });

    int saved = codePage;
    dialogOf(8001, [](QWidget* dialog) {
        EXPECT_EQ(textOf(dialog, 10), "1252");
        setText(dialog, 10, "1250");
        clickControl(dialog, 1);
    });
    EXPECT_EQ(codePage, 1250);
    EXPECT_EQ(intSetting("CODE_PAGE"), 1250);
    codePage = saved;
}

TEST_F(OptionTest, TheExternalEditorSetupStoresItsThreeTexts) {
    dialogOf(131, [](QWidget* dialog) {
        setText(dialog, 10, "gedit");
        clickControl(dialog, 2);
    });
    EXPECT_STREQ(textSetting("externaleditor"), "");
    dialogOf(131, [](QWidget* dialog) {
        setText(dialog, 10, "gedit");
        setText(dialog, 11, "--new-window");
        setText(dialog, 12, "/tmp/work.k");
        clickControl(dialog, 1);
    });
    EXPECT_STREQ(textSetting("externaleditor"), "gedit");
    EXPECT_STREQ(textSetting("externalparameters"), "--new-window");
    EXPECT_STREQ(textSetting("externalfile"), "/tmp/work.k");
    dialogOf(131, [](QWidget* dialog) {
        clickControl(dialog, 3);
        EXPECT_EQ(textOf(dialog, 10), "");
        EXPECT_EQ(textOf(dialog, 12), "");
        clickControl(dialog, 1);
    });
    EXPECT_STREQ(textSetting("externaleditor"), "");
}

TEST_F(OptionTest, AboutBoxResetHintAndAMissingHelpPage) {
    dialogOf(109, [](QWidget* dialog) {
        auto* text = controlById<QLabel>(dialog, 500);
        ASSERT_NE(text, nullptr);
        EXPECT_TRUE(text->text().startsWith("Kalixbench x64 for Linux"));
        EXPECT_TRUE(text->text().contains("This is version "));
        // Every line shows: the label is as tall as its text needs and
        // lies inside the box.
        EXPECT_GE(text->height(), text->heightForWidth(text->width()));
        EXPECT_GE(text->height(), 4 * text->fontMetrics().lineSpacing());
        EXPECT_TRUE(dialog->rect().contains(text->geometry()));
        clickControl(dialog, 2);
    });
    std::string message;
    answerNextBox(&message);
    host.getMenu()->dispatchMenuCommand(7080);
    EXPECT_NE(message.find("Reset Kalix: To reset Kalixbench\ndelete the file \".kalix.profile\""),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("-reset"), std::string::npos);

    writeSetting("browserdir", "/nonexistent/docs");
    dialogOf(115, [&message](QWidget* dialog) {
        answerNextBox(&message);
        clickControl(dialog, 30);
        clickControl(dialog, 2);
    });
    EXPECT_EQ(message,
              "Kalix: The documentation page\n/nonexistent/docs/reference/overview.html\nis not "
              "available.");
}

}  // namespace kalix
