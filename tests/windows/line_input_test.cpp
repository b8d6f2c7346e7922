// Typing at the prompt of the notebook window, with the interpreter on its
// own thread: commands run, the history, completion, continued commands,
// function entry, Escape.
#include <QLabel>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "engines/maxima_help.h"
#include "interpreter/maxima_services.h"
#include "interpreter/state_hand_over.h"
#include "notebook/help_database.h"
#include "window_fixture.h"

namespace kalix {

using Lines = std::vector<std::string>;

TEST_F(WindowTest, OnePlusOneShowsTwoBelowAndANewPrompt) {
    EXPECT_EQ(lines(), Lines{">"});
    ASSERT_TRUE(run("1+1"));
    EXPECT_EQ(lines(), (Lines{">1+1", "2", ">"}));
    EXPECT_EQ(cursorColumn(), 1);
    EXPECT_EQ(lineEditor.history.count(), 1);
}

TEST_F(WindowTest, UpGoesToTheCommandAboveAndCtrlUpRecallsTheHistory) {
    ASSERT_TRUE(run("1+1"));
    ASSERT_TRUE(run("2+2"));
    press(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(cursorText(), ">2+2");
    press(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(cursorText(), ">1+1");
    EXPECT_EQ(cursorColumn(), 4);
    press(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(cursorText(), ">2+2");
    // Escape sets the history back to its end.
    press(Qt::Key_Escape);
    press(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(cursorText(), ">2+2");

    // Plain Up moves to the command above; Return runs it there again.
    press(Qt::Key_Home);
    for (int i = 0; i < 4; i++) press(Qt::Key_Delete);
    press(Qt::Key_Up);
    EXPECT_EQ(cursorText(), ">2+2");
    press(Qt::Key_Up);
    EXPECT_EQ(cursorText(), ">1+1");
    press(Qt::Key_End);
    type("0");
    ASSERT_TRUE(returnAndWait());
    EXPECT_EQ(lines(), (Lines{">1+10", "11", ">2+2", "4", ">"}));
    EXPECT_EQ(cursorText(), ">2+2");
}

TEST_F(WindowTest, HomeGoesAfterThePromptAndBackspaceStopsThere) {
    type("abc");
    press(Qt::Key_Home);
    EXPECT_EQ(cursorColumn(), 1);
    press(Qt::Key_Backspace);
    EXPECT_EQ(cursorText(), ">abc");
    press(Qt::Key_Left);
    EXPECT_EQ(cursorColumn(), 1);
    press(Qt::Key_End);
    EXPECT_EQ(cursorColumn(), 4);
    press(Qt::Key_Backspace);
    EXPECT_EQ(cursorText(), ">ab");
    press(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(cursorColumn(), 1);
}

TEST_F(WindowTest, InsertCompletesTheShortestNameAndCyclesThroughTheOthers) {
    type("x=si");
    press(Qt::Key_Insert);
    EXPECT_EQ(cursorText(), ">x=sin");
    // Every further Insert offers the next name, never shorter than the one
    // before, until the cycle comes back to the first.
    std::vector<std::string> offered;
    for (int k = 0; k < 40; k++) {
        press(Qt::Key_Insert);
        std::string text = cursorText();
        if (text == ">x=sin") break;
        offered.push_back(text);
    }
    EXPECT_EQ(cursorText(), ">x=sin");
    EXPECT_EQ(cursorColumn(), 6);
    ASSERT_GE(offered.size(), 2u);
    EXPECT_EQ(offered[0], ">x=sign");
    for (size_t k = 0; k < offered.size(); k++) {
        EXPECT_EQ(offered[k].rfind(">x=si", 0), 0u) << offered[k];
        if (k > 0) {
            EXPECT_LE(offered[k - 1].size(), offered[k].size());
        }
    }
    EXPECT_NE(std::find(offered.begin(), offered.end(), ">x=size"), offered.end());
}

namespace {

// A Maxima bridge that only completes names, from maximaFunctionList.
int completeFromList(const char* word, char* completion, char* help, int index) {
    std::string names, line;
    int more = matchMaximaFunctions(word, &names, &line, index);
    std::snprintf(completion, 32768, "%s", names.c_str());
    std::snprintf(help, 32768, "%s", line.c_str());
    return more;
}

const MaximaBridge completingBridge = {
    [] {},
    [] {},
    [] {},
    [](const char*, int) {},
    [](const char*, int, int) {},
    [](const char*, int, int) { return ""; },
    [](header*, const char*, int) { return ""; },
    [](const char*, int) { return ""; },
    [](const char*) -> const char* { return nullptr; },
    [](const char*) { return ""; },
    completeFromList,
    [] { return 0; },
    [] {},
    [] {},
};

struct MaximaListForTest {
    MaximaListForTest() {
        maximaFunctionList = {
            {"integrate (expr, x) Integration of expr with respect to x.", "integrate"},
            {"integrate (expr, x, a, b) Definite integration from a to b.", "integrate"},
            {"integer_partitions (n) The integer partitions of n.", "integer_partitions"},
            {"intopois (a) A Poisson encoding of a.", "intopois"},
        };
        setMaximaBridge(&completingBridge);
    }
    ~MaximaListForTest() {
        setMaximaBridge(nullptr);
        maximaFunctionList.clear();
    }
};

}  // namespace

// In a Maxima line (":: ", or after "&") Insert completes Maxima's names,
// "_" included, and the status line shows their help; a name with several
// entries shows the next one's help at each Insert. Kalix lines keep to
// Kalix names.
TEST_F(WindowTest, InsertCompletesMaximaNamesInMaximaLinesWithTheirHelp) {
    MaximaListForTest list;
    QLabel* status = window->parts().status;
    auto clearLine = [&] {
        press(Qt::Key_Home);
        for (size_t n = cursorText().size(); n > 1; n--) press(Qt::Key_Delete);
    };
    auto statusIs = [&](const std::string& text) {
        return waitFor([&] { return status->text().toStdString() == text; });
    };
    type("x &= integrate");
    press(Qt::Key_Insert);
    EXPECT_EQ(cursorText(), ">x &= integrate");
    std::string first = "integrate (expr, x) Integration of expr with respect to x.";
    std::string second = "integrate (expr, x, a, b) Definite integration from a to b.";
    std::string more = " ... and 1 more (press ins)";
    EXPECT_TRUE(statusIs(first + more)) << status->text().toStdString();
    EXPECT_EQ(getStatusHelp(), "&integrate");
    press(Qt::Key_Insert);
    EXPECT_TRUE(statusIs(second + more)) << status->text().toStdString();
    window->onTimer(statusHelpTimerId);  // the status timer keeps the entry Insert reached
    EXPECT_EQ(status->text().toStdString(), second + more);
    press(Qt::Key_Insert);
    EXPECT_TRUE(statusIs(first + more)) << status->text().toStdString();

    clearLine();
    type(":: integ");
    press(Qt::Key_Insert);
    EXPECT_EQ(cursorText(), ">:: integrate");
    press(Qt::Key_Insert);
    EXPECT_EQ(cursorText(), ">:: integer_partitions");
    press(Qt::Key_Insert);
    EXPECT_EQ(cursorText(), ">:: integrate");

    clearLine();
    type(":: integer_p");
    press(Qt::Key_Insert);
    EXPECT_EQ(cursorText(), ">:: integer_partitions");
    type("(");
    EXPECT_TRUE(statusIs("integer_partitions (n) The integer partitions of n."))
        << status->text().toStdString();

    clearLine();
    type("integ");
    press(Qt::Key_Insert);
    EXPECT_EQ(cursorText(), ">integ");
}

TEST_F(WindowTest, AContinuedLastCommandOpensANewPromptInsteadOfRunning) {
    type("1+ ...");
    press(Qt::Key_Return);
    EXPECT_EQ(lines(), (Lines{">1+ ...", ">"}));
    EXPECT_TRUE(getIntCell(inputWaiting));
    ASSERT_TRUE(run("2"));
    EXPECT_EQ(lines(), (Lines{">1+ ...", ">2", "3", ">"}));
}

TEST_F(WindowTest, FunctionsAreEnteredAtDollarPrompts) {
    ASSERT_TRUE(run("function g(x)"));
    EXPECT_EQ(cursorText(), "$");
    ASSERT_TRUE(run("return x+1"));
    EXPECT_EQ(cursorText(), "$");
    // Escape on an empty body line ends the function.
    int waits = host.getInputWaitCount();
    press(Qt::Key_Escape);
    ASSERT_TRUE(waitForPrompt(waits));
    ASSERT_TRUE(run("g(1)"));
    EXPECT_EQ(lines(), (Lines{">function g(x)", "$return x+1", "$endfunction", ">g(1)", "2", ">"}));
}

TEST_F(WindowTest, EscapeStopsALongComputation) {
    type("for i=1 to 1e12; end;");
    int waits = host.getInputWaitCount();
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([] { return !getIntCell(inputWaiting); }));
    EXPECT_EQ(host.getInputWaitCount(), waits);
    // A key typed after Escape does not take the Escape away.
    press(Qt::Key_Escape);
    type("a");
    ASSERT_TRUE(waitForPrompt(waits));
    EXPECT_EQ(cursorText(), ">");
    // The next command runs as usual.
    ASSERT_TRUE(run("3*3"));
    EXPECT_EQ(lines().back(), ">");
    EXPECT_EQ(lines()[lines().size() - 2], "9");
}

// A resumed interpreter that sleeps on a lock before it leaves its wait
// for the line is not idle yet: what waits for the end of a command
// started from the menu does not return before the command ran.
TEST_F(WindowTest, AResumedInterpreterHeldOnALockIsNotIdle) {
    ASSERT_TRUE(waitUntilIdle());
    type("x=5;");
    const int waits = host.getInputWaitCount();
    {
        // The woken thread takes the state back first.
        StateHandOverHold state;
        press(Qt::Key_Return);
        ASSERT_TRUE(waitFor([] { return threadIsAsleep(computationThread.load()); }));
        EXPECT_FALSE(isIdle());
        EXPECT_FALSE(waitForPrompt(waits - 1, 0));
    }
    ASSERT_TRUE(waitForPrompt(waits));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(lines(), (Lines{">x=5;", ">"}));
}

// Keys that find the text lock busy are dropped without waiting for it,
// except Escape, which is kept for the interpreter. (The holder lets go
// after a minute at the latest: keys that waited for the lock would take
// that long.)
TEST_F(WindowTest, KeysNeverWaitForTheLockAndEscapeIsNeverDropped) {
    Parker taken, release;
    std::thread holder([&] {
        textLock.enter("test");
        taken.unpark();
        release.parkFor(60000);
        textLock.leave("test");
    });
    taken.park();
    QElapsedTimer timer;
    timer.start();
    type("ab");
    press(Qt::Key_Escape);
    EXPECT_FALSE(window->redrawText());
    EXPECT_LT(timer.elapsed(), 30000);
    release.unpark();
    holder.join();
    EXPECT_EQ(cursorText(), ">");
    EXPECT_EQ(window->takeEscape(), 5);
    EXPECT_EQ(window->takeEscape(), 0);
    EXPECT_TRUE(waitFor([&] { return window->redrawText(); }));
}

TEST_F(WindowTest, ALineOfThirtyTwoThousandSevenHundredSixtySevenIsRefused) {
    for (int length : {32766, 32767}) {
        std::string text(size_t(length), ' ');
        text.replace(text.size() - 2, 2, "7;");
        editor().setInputLine(text.c_str(), 0);
        ASSERT_TRUE(returnAndWait());
        Lines all = lines();
        bool refused = std::find(all.begin(), all.end(), "Line too long!") != all.end();
        EXPECT_EQ(refused, length == 32767) << length;
    }
}

// With output off nothing is printed, yet every command keeps its line: the
// next prompt opens below it (a prompt taken for the next existing one
// would delete the command).
TEST_F(WindowTest, CommandsKeepTheirLinesWithOutputOff) {
    ASSERT_TRUE(run("output off"));
    ASSERT_TRUE(run("a=1"));
    ASSERT_TRUE(run("1+1"));
    EXPECT_EQ(lines(), (Lines{">output off", ">a=1", ">1+1", ">"}));
    // Run again in the middle: the cursor goes on to the next command.
    press(Qt::Key_Up);
    press(Qt::Key_Up);
    EXPECT_EQ(cursorText(), ">a=1");
    ASSERT_TRUE(returnAndWait());
    EXPECT_EQ(cursorText(), ">1+1");
    EXPECT_EQ(lines(), (Lines{">output off", ">a=1", ">1+1", ">"}));
}

}  // namespace kalix
