// Pictures of the menu bar with a menu open, of four dialogs and of the
// help window, each into the folder named on the command line.
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>

#include <string>

#include "gui/help_window.h"
#include "gui/kalix_menu.h"
#include "modal_helpers.h"
#include "notebook/help_database.h"
#include "screenshot_fixture.h"

namespace kalix {

namespace {

class MenuScreenshot : public Screenshot {
  protected:
    void SetUp() override {
        Screenshot::SetUp();
        frame->move(20, 20);
        frame->resize(720, 560);
        ASSERT_TRUE(run("x=linspace(0,1,4)"));
        ASSERT_TRUE(run("sum(x)"));
        window->raiseWindow();
        QTest::qWait(300);
    }
    // A dialog of a command, saved when it has shown.
    void saveDialogOf(int id, const char* name, std::function<void(QWidget*)> prepare = nullptr) {
        bool saved = false;
        whenModal([&](QWidget* dialog) {
            if (prepare) prepare(dialog);
            QTest::qWait(300);
            saved = dialog->grab().save(destination(name));
            dialog->close();
        });
        host.getMenu()->dispatchMenuCommand(id);
        EXPECT_TRUE(saved);
    }
};

}  // namespace

TEST_F(MenuScreenshot, EditMenu) {
    // Wide enough for the submenu: the picture shows no screen around it.
    frame->resize(1100, 560);
    QTest::qWait(200);
    QMenuBar* bar = window->parts().menuBar;
    QAction* edit = bar->actions()[popupEdit];
    bar->setActiveAction(edit);
    QTest::qWait(300);
    QMenu* popup = edit->menu();
    QAction* commandLine = nullptr;
    for (QAction* action : popup->actions())
        if (action->text() == "Command Line") commandLine = action;
    ASSERT_NE(commandLine, nullptr);
    popup->setActiveAction(commandLine);
    commandLine->menu()->popup(popup->geometry().topRight() +
                               QPoint(0, popup->actionGeometry(commandLine).top()));
    QTest::qWait(500);
    QRect area =
        frame->frameGeometry().united(popup->geometry()).united(commandLine->menu()->geometry());
    QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    ASSERT_TRUE(screen.copy(area).save(destination("menu.png")));
    commandLine->menu()->close();
    popup->close();
}

TEST_F(MenuScreenshot, FontsAndColoursDialogs) {
    saveDialogOf(125, "dialog-fonts.png");
    saveDialogOf(2000, "dialog-colors.png");
}

TEST_F(MenuScreenshot, AboutBox) { saveDialogOf(109, "dialog-about.png"); }

TEST_F(MenuScreenshot, InternalEditor) {
    type("function f(x)");
    saveDialogOf(121, "dialog-editor.png", [](QWidget* dialog) {
        dialog->resize(520, 360);
        controlById<QPlainTextEdit>(dialog, 12)
            ->setPlainText(
                "function f(x)\n  ## The square of x plus one.\n  return x^2+1\nendfunction");
    });
}

TEST_F(MenuScreenshot, HelpWindow) {
    ASSERT_GT(loadHelpFiles(QT_TESTCASE_SOURCEDIR "/../resources/"), 0);
    showHelpTopic("linspace");
    QWidget* help = helpWindowWidget();
    ASSERT_NE(help, nullptr);
    help->move(60, 60);
    help->resize(640, 420);
    QTest::qWait(400);
    EXPECT_TRUE(help->grab().save(destination("help-window.png")));
    help->close();
}

}  // namespace kalix
