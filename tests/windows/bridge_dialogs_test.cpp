// The bridge to the GUI thread, message boxes and file choosers asked from
// other threads, menus and the status bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "base/settings.h"
#include "base/threads.h"
#include "gui/dialogs.h"
#include "gui/gui_bridge.h"
#include "gui/menus.h"
#include "gui/notebook_window_host.h"
#include "gui/qt_window_parts.h"
#include "platform/host.h"

namespace kalix {

namespace {

class BridgeTest : public testing::Test {
  protected:
    void SetUp() override {
        static char name[] = "kalix";
        static char* words[] = {name, nullptr};
        ASSERT_TRUE(initApplication(1, words));
    }

    // Runs the GUI until `done` (at most 10 s).
    static bool serve(const std::atomic<int>& done) {
        QElapsedTimer timer;
        timer.start();
        while (!done) {
            if (timer.elapsed() > 10000) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    // Acts on the next modal dialog as soon as it shows.
    static void whenModal(std::function<void(QWidget*)> act) {
        auto* poll = new QTimer(QApplication::instance());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog) return;
            poll->stop();
            poll->deleteLater();
            act(dialog);
        });
        poll->start(5);
    }

    // Presses a button of the next message box.
    static void answerNextBox(QMessageBox::StandardButton button) {
        whenModal([button](QWidget* dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(dialog)) box->button(button)->click();
        });
    }
};

}  // namespace

TEST_F(BridgeTest, SentJobsRunOnTheGuiThreadAndPostedOnesInOrder) {
    std::atomic<int> done{0};
    std::vector<int> order;
    bool onGui = false;
    std::thread worker([&] {
        EXPECT_FALSE(isGuiThread());
        postToGui([&] { order.push_back(1); });
        EXPECT_EQ(sendToGui([&] {
                      onGui = isGuiThread();
                      order.push_back(2);
                  }),
                  1);
        done = 1;
    });
    ASSERT_TRUE(serve(done));
    worker.join();
    EXPECT_TRUE(onGui);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    // On the GUI thread a sent job runs at once.
    int ran = 0;
    EXPECT_EQ(sendToGui([&] { ran = 1; }), 1);
    EXPECT_EQ(ran, 1);
}

TEST_F(BridgeTest, AQuestionFromTheComputationThreadIsAnsweredThroughTheBridge) {
    std::atomic<int> done{0};
    int answer = 0;
    answerNextBox(QMessageBox::Yes);
    std::thread worker([&] {
        answer = askYesNo("Save Notebook before quitting?", "Kalix");
        done = 1;
    });
    ASSERT_TRUE(serve(done));
    worker.join();
    EXPECT_EQ(answer, answerYes);

    done = 0;
    answerNextBox(QMessageBox::Cancel);
    std::thread again([&] {
        answer = askYesNoCancel("Stop print?", "Kalix");
        done = 1;
    });
    ASSERT_TRUE(serve(done));
    again.join();
    EXPECT_EQ(answer, answerCancel);
}

// A thread that holds the "Text" lock never waits for the GUI: the box is
// not shown and the answer is the cautious one.
TEST_F(BridgeTest, NoBoxWhileTheTextLockIsHeld) {
    std::atomic<int> done{0};
    int answer = 0, cancel = 0, sent = -1;
    std::thread worker([&] {
        textLock.enter("test");
        answer = askYesNo("Overwrite?", "Kalix");
        cancel = askYesNoCancel("Save?", "Kalix");
        sent = sendToGui([] {});
        textLock.leave("test");
        done = 1;
    });
    ASSERT_TRUE(serve(done));
    worker.join();
    EXPECT_EQ(answer, answerNo);
    EXPECT_EQ(cancel, answerCancel);
    EXPECT_EQ(sent, 0);
}

TEST_F(BridgeTest, ACancelledChooserKeepsTheLastChoice) {
    const char* const filter[] = {"Kalix Notebooks", "*.kn", "All Files", "*.*", nullptr};
    FileSelector selector(nullptr, "", 1, "Save Notebook", "kn", filter);
    EXPECT_EQ(selector.filterText(), "Kalix Notebooks (*.kn);;All Files (*)");
    auto respond = [](bool accept) {
        whenModal([accept](QWidget* widget) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle().toStdString(), "Save Notebook");
            if (accept) {
                dialog->selectFile("/tmp/chosen");
                static_cast<QDialog*>(dialog)->accept();
            } else {
                dialog->reject();
            }
        });
    };
    std::atomic<int> done{0};
    std::string first, second;
    respond(true);
    std::thread worker([&] {
        first = selector.chooseFile();
        done = 1;
    });
    ASSERT_TRUE(serve(done));
    worker.join();
    EXPECT_EQ(first, "/tmp/chosen.kn");

    done = 0;
    respond(false);
    std::thread again([&] {
        second = selector.chooseFile();
        done = 1;
    });
    ASSERT_TRUE(serve(done));
    again.join();
    EXPECT_EQ(second, "");
    EXPECT_EQ(selector.getFileName(), "/tmp/chosen.kn");
}

TEST_F(BridgeTest, WarningsOfTheWindowHostGoToTheLog) {
    char path[] = "/tmp/kalix-log-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    openLogFile(path);
    NotebookWindowHost host;
    std::atomic<int> done{0};
    std::thread worker([&] {
        textLock.enter("test");  // no box: the warning goes to the log only
        host.showWarning("Could not find\nmaxima", "Kalix");
        textLock.leave("test");
        done = 1;
    });
    ASSERT_TRUE(serve(done));
    worker.join();
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Kalix: Could not find\nmaxima"), std::string::npos) << text.str();
    std::remove(path);
}

// --- menus --------------------------------------------------------------------------------

namespace {

int firstRan = 0, secondRan = 0;
void first() { firstRan++; }
void second() { secondRan++; }

class MenuWindow : public StandardWindow {
  public:
    MenuWindow() : StandardWindow("Menus", 300, 200, WindowStyle{false, false, true}) {}
};

}  // namespace

TEST_F(BridgeTest, MenuBindingsTogglesAndTheNewestBindingWins) {
    MenuWindow window;
    Menu menu(window);
    menu.attachMenu();
    int file = menu.addSubmenu("&File");
    menu.addMenuItem(file, 100, "&Run\tF9", first);
    menu.addMenuItem(file, 100, "Run &again", second);
    int flag = 5;
    menu.addMenuItem(file, 101, "&Colours", nullptr);
    menu.addMenuToggle(101, &flag);

    EXPECT_EQ(menu.dispatchMenuCommand(100), 1);
    EXPECT_EQ(secondRan, 1);
    EXPECT_EQ(firstRan, 0);
    menu.removeMenuItem(file, 100);
    EXPECT_EQ(menu.dispatchMenuCommand(100), 1);
    EXPECT_EQ(firstRan, 1);
    EXPECT_EQ(menu.getLastCommandId(), 100);

    // A toggle on an int holding 5 makes it 0 and takes the check mark off.
    QAction* colours = nullptr;
    for (QAction* action : window.parts().menuBar->actions()[0]->menu()->actions())
        if (action->text() == "&Colours") colours = action;
    ASSERT_NE(colours, nullptr);
    EXPECT_TRUE(colours->isChecked());
    EXPECT_EQ(menu.dispatchMenuCommand(101), 1);
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(colours->isChecked());
    colours->trigger();
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(colours->isChecked());

    EXPECT_EQ(menu.dispatchMenuCommand(999), 0);
}

TEST_F(BridgeTest, StatusTextsGoToTheTitleWithHelpInTitle) {
    MenuWindow window;
    StatusBar bar(window);
    showStatus(window, "ready");
    EXPECT_EQ(window.parts().status->text().toStdString(), "ready");
    writeIntSetting("helpintitle", 1);
    showStatus(window, "help text");
    writeIntSetting("helpintitle", 0);
    EXPECT_EQ(window.getTitle(), "help text");
    EXPECT_EQ(window.parts().status->text().toStdString(), "ready");
    bar.setStatusPartText("right", 2);
    EXPECT_TRUE(window.parts().status->alignment() & Qt::AlignRight);
}

}  // namespace kalix
