// The status line and name completion at the prompt read the copy of the
// interpreter's state it published when it began to wait; the help window
// reads the state itself only while the waiting interpreter has handed it
// over.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <atomic>
#include <thread>

#include "gui/gui_bridge.h"
#include "gui/help_window.h"
#include "gui/kalix_menu.h"
#include "interpreter/state_hand_over.h"
#include "modal_helpers.h"
#include "window_fixture.h"

namespace kalix {

namespace {

class StatusHelpTest : public WindowTest {
  protected:
    void TearDown() override {
        QPointer<QWidget> help = helpWindowWidget();
        if (help) help->close();
        waitFor([&] { return !help; });
        WindowTest::TearDown();
    }
    QLabel* status() { return window->parts().status; }
    bool statusIs(const std::string& text) {
        return waitFor([&] { return status()->text().toStdString() == text; });
    }
    // Defines a function with a help line through the function prompts.
    void define(const char* header, const char* help, const char* body) {
        ASSERT_TRUE(run(header));
        ASSERT_TRUE(run(help));
        ASSERT_TRUE(run(body));
        int waits = host.getInputWaitCount();
        press(Qt::Key_Escape);
        ASSERT_TRUE(waitForPrompt(waits));
    }
    std::string helpAnswer() {
        auto* text = controlById<QPlainTextEdit>(helpWindowWidget(), 12);
        return text ? text->toPlainText().toStdString() : "";
    }
};

}  // namespace

TEST_F(StatusHelpTest, AUserFunctionTypedAtThePromptShowsItsHintAndInsertCompletesIt) {
    define("function hintfun(a, b)", "## adds the two", "return a+b");
    type("x=hintf");
    press(Qt::Key_Insert);
    EXPECT_EQ(cursorText(), ">x=hintfun");
    EXPECT_TRUE(statusIs("hintfun (a, b)  adds the two")) << status()->text().toStdString();
    type("(");
    EXPECT_TRUE(statusIs("hintfun (a, b)  adds the two")) << status()->text().toStdString();
}

// Work the window hands to the waiting interpreter takes the state back:
// a help query asked meanwhile (the window's events go on) leaves the
// interpreter's names out; asked at the prompt again, it has them.
TEST_F(StatusHelpTest, TheHelpWindowReadsTheStateOnlyWhileTheInterpreterIsParked) {
    define("function parkedfn(a)", "## parked help", "return a");
    host.getMenu()->dispatchMenuCommand(7980);
    QWidget* help = helpWindowWidget();
    ASSERT_NE(help, nullptr);
    auto* field = controlById<QLineEdit>(help, 11);
    ASSERT_NE(field, nullptr);
    std::string during;
    bool readableDuring = true;
    bool handed = host.runOnComputationThread([&] {
        // On the computation thread: the GUI thread answers a query now.
        std::atomic<bool> answered{false};
        // Through the window's own queue, whose lock the thread checker sees.
        postToGui([&] {
            StateHandOverHold hold;
            readableDuring = bool(hold);
            field->setText("parkedf");
            during = helpAnswer();
            answered = true;
        });
        while (!answered) std::this_thread::yield();
    });
    ASSERT_TRUE(handed);
    EXPECT_FALSE(readableDuring);
    EXPECT_EQ(during.find("parked help"), std::string::npos) << during;
    // Once the interpreter waits for a line again, the state is handed over.
    EXPECT_TRUE(waitFor([&] {
        field->setText("");
        field->setText("parkedf");
        return helpAnswer().find("parked help") != std::string::npos;
    })) << helpAnswer();
}

}  // namespace kalix
