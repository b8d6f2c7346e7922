// The notebook window with the real interpreter on its computation thread,
// driven by synthetic key and mouse events on the "offscreen" platform.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/threads.h"
#include "gui/gui_bridge.h"
#include "gui/notebook_window_host.h"
#include "gui/qt_window_parts.h"
#include "interpreter/main_loop.h"
#include "interpreter/stack.h"
#include "interpreter/state.h"
#include "notebook/line_editor.h"
#include "tests/unit/waiting.h"

namespace kalix {

class WindowTest : public testing::Test {
  protected:
    static constexpr int64_t stackBytes = 64 << 20;

    void SetUp() override {
        // The code page a user gets under a UTF-8 or the C locale.
        selectCodePage(65001);
        block.assign(size_t(stackBytes + stackGuardBytes) / 8, 0);
        ramstart = reinterpret_cast<char*>(block.data());
        stackSize = stackBytes;
        ramend = ramstart + stackSize;
        newram = startlocal = endlocal = functionsEnd = ramstart;
        static char name[] = "kalix";
        static char* words[] = {name, nullptr};
        ASSERT_TRUE(host.openWindows(1, words));
        hostBefore = installHost(&host);
        window = host.getTextWindow();
        client = clientWidgetOf(window);
        frame = frameOf(window);
        loop = std::make_unique<Thread>(
            [](Thread*) {
                computationThread = currentThreadId();
                static char name[] = "kalix";
                static char* words[] = {name, nullptr};
                runInterpreterLoop(1, words);
                installedHost->interpreterEnded();
                return 0;
            },
            threadStackSize);
        ASSERT_EQ(loop->startThread(), 0);
        ASSERT_TRUE(waitForPrompt());
    }

    void TearDown() override {
        host.stopInterpreter();
        if (loop) {
            // A checking build ends slowly; the state below is the thread's
            // until it has ended.
            waitFor([this] { return !loop->isThreadRunning(); }, 60000);
            loop->killThread(2000);
        }
        installHost(hostBefore);
        ramstart = ramend = newram = startlocal = endlocal = functionsEnd = nullptr;
    }

    // Runs the event loop until `done` holds (at most `milliseconds`).
    static bool waitFor(const std::function<bool()>& done, int milliseconds = 10000) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > milliseconds) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QTest::qWait(1);
        }
        return true;
    }

    // The interpreter waits at a prompt (again, after `waits` waits).
    bool waitForPrompt(int waits = 0, int milliseconds = 10000) {
        return waitFor([this, waits] { return host.isWaitingForLine(waits); }, milliseconds);
    }
    // The interpreter is idle at its prompt: parked, with no resume on its
    // way.
    bool isIdle() { return host.isWaitingForLine() && threadIsAsleep(computationThread.load()); }
    bool waitUntilIdle() {
        return waitFor([this] { return isIdle(); });
    }
    // The jobs posted to the GUI thread so far have run (they run in order).
    static bool postedJobsRan() {
        auto ran = std::make_shared<std::atomic<bool>>(false);
        postToGui([ran] { *ran = true; });
        return waitFor([ran] { return ran->load(); });
    }
    // The frame at that size, and the notebook laid out for it (the sizes
    // apply under the text lock: at once, or with the next repaint).
    bool resizeFrame(int width, int height) {
        const QSize frameBefore = frame->size(), clientBefore = client->size();
        frame->resize(width, height);
        const bool resized = waitFor([&] {
            return frame->size() == QSize(width, height) &&
                   (frame->size() == frameBefore || client->size() != clientBefore) &&
                   window->getClientWidth() == client->width() &&
                   window->getClientHeight() == client->height();
        });
        window->onSized();
        return resized && waitFor([this] { return window->redrawText(); });
    }
    // Return, and the wait for the next prompt.
    bool returnAndWait() {
        int waits = host.getInputWaitCount();
        press(Qt::Key_Return);
        return waitForPrompt(waits);
    }

    // Types UTF-8 text: a key event for each character, with the
    // character's text (QTest::keyClicks takes Latin-1 only).
    void type(const char* text) {
        const QString typed = QString::fromUtf8(text);
        for (char32_t code : typed.toUcs4()) {
            if (code < 0x80) {
                QTest::keyClick(client, char(code));
            } else {
                QString character = QString::fromUcs4(&code, 1);
                QTest::sendKeyEvent(QTest::Click, client, Qt::Key_unknown, character,
                                    Qt::NoModifier);
            }
        }
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(client, key, modifiers);
    }
    // Types a command and Return, and waits until the next prompt.
    bool run(const char* command) {
        type(command);
        return returnAndWait();
    }

    NotebookEditor& editor() { return window->getEditor(); }

    // Runs a command that waits for the user: the prompt comes back only
    // after a key, a click or the time.
    void startCommand(const char* command) {
        type(command);
        press(Qt::Key_Return);
    }
    // The computation waits for a key, a click or the time.
    bool waitingForUser() {
        return waitFor([] { return getIntCell(userWaitFlag) && !getIntCell(inputWaiting); });
    }
    // The output line below the last command.
    std::string lastOutput() {
        std::vector<std::string> all = lines();
        return all.size() >= 2 ? all[all.size() - 2] : "";
    }

    // Presses a button of the next message box as soon as it shows; `asked`
    // (when given) counts the boxes. Returns the poll, which ends itself
    // once it pressed the button.
    static QPointer<QTimer> clickInNextBox(QMessageBox::StandardButton button,
                                           int* asked = nullptr) {
        auto* poll = new QTimer(QApplication::instance());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, button, asked] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            poll->stop();
            poll->deleteLater();
            if (asked) ++*asked;
            box->button(button)->click();
        });
        poll->start(5);
        return poll;
    }

    // The notebook: ">" commands, "$" body lines, "% " comments, output as is.
    std::vector<std::string> lines() {
        std::vector<std::string> out;
        TextLockHold hold(editor(), "test");
        for (NotebookLine* line = editor().document().getFirstLine(); line; line = line->next) {
            std::string text = line->text.getText();
            out.push_back(line->kind == lineComment ? "% " + text : text);
        }
        return out;
    }
    std::string cursorText() {
        TextLockHold hold(editor(), "test");
        return editor().cursor().getLine()->text.getText();
    }
    int cursorColumn() {
        TextLockHold hold(editor(), "test");
        return editor().cursor().getColumn();
    }

    std::vector<uint64_t> block;
    NotebookWindowHost host;
    Host* hostBefore = nullptr;
    TextWindow* window = nullptr;
    QWidget* client = nullptr;
    QWidget* frame = nullptr;
    std::unique_ptr<Thread> loop;
    // The computation thread's id in the kernel, once it runs.
    static inline std::atomic<pid_t> computationThread{0};
};

}  // namespace kalix
