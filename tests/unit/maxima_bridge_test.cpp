// The interpreter's side of the Maxima bridge: texts sent in pieces, the
// reply kinds, answers in one line with Maxima's questions, Escape, and the
// conversions of values and command texts. The stand-in Maxima of
// unit/files is found as "maxima" on PATH.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "base/settings.h"
#include "engines/maxima_commands.h"
#include "engines/maxima_conversions.h"
#include "engines/maxima_help.h"
#include "engines/maxima_lines.h"
#include "engines/maxima_session.h"
#include "global_store_fixture.h"
#include "interpreter/maxima_services.h"
#include "platform/host.h"
#include "settings_folder.h"
#include "terminal/terminal_host.h"
#include "threaded_suite.h"
#include "waiting.h"

namespace kalix {

namespace {

class MaximaBridgeTest : public GlobalStoreTest {
  protected:
    std::string savedPath;
    std::optional<PrivateSettingsFolder> settings;

    void SetUp() override {
        GlobalStoreTest::SetUp();
        // Starting Maxima is allowed without the question exec asks.
        settings.emplace();
        std::filesystem::create_directories(settings->root / "kalix");
        std::ofstream(settings->root / "kalix" / "settings") << "askexec=\"0\"\n";
        noteSettingsChanged();
        const char* path = std::getenv("PATH");
        savedPath = path ? path : "";
        setenv("PATH", (std::string(KALIX_UNIT_FILES) + ":" + savedPath).c_str(), 1);
    }
    void TearDown() override {
        closeMaxima();
        setenv("PATH", savedPath.c_str(), 1);
        settings.reset();
        noteSettingsChanged();
        GlobalStoreTest::TearDown();
    }
    std::string ask(const char* text, int depth = 5, bool doubled = false) {
        return maxima::askMaxima(text, depth, doubled);
    }
};

THREADED_SUITE(MaximaBridgeTest);

TEST_F(MaximaBridgeTest, PiecesAreSentOneByOneAndOnlyPrintedRepliesShow) {
    maxima::sendMaximaLine("a$ b; \"c;d\";", maximaAsTyped);
    ASSERT_EQ(errorCode, 0);
    std::string shown = output();
    // "a$" is read silently; the labels are blanked (setting "killo").
    EXPECT_EQ(shown.find("(%o"), std::string::npos) << shown;
    EXPECT_EQ(shown.find(" a"), std::string::npos) << shown;
    EXPECT_NE(shown.find(" b\n\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find(" \"c;d\"\n\n"), std::string::npos) << shown;  // one piece
    // A continued line waits for its end; its reply comes with the end.
    maxima::sendMaximaLine("x+..", maximaAsTyped);
    EXPECT_EQ(output(), "");
    maxima::sendMaximaLine("1;", maximaAsTyped);
    EXPECT_NE(output().find(" x+1\n"), std::string::npos);
    // A finished statement before ".." is answered at once: the next
    // reply is still the right one.
    maxima::sendMaximaLine("y;..", maximaAsTyped);
    EXPECT_EQ(ask("z"), "z");
}

TEST_F(MaximaBridgeTest, AnswersAreOneLineAndFailuresAreReported) {
    EXPECT_EQ(ask("x_1"), "x_1");
    EXPECT_EQ(ask("x_1", 5, true), "x__1");
    EXPECT_EQ(output(), "");
    EXPECT_EQ(ask("nolabel"), "");
    EXPECT_EQ(errorCode, errorMaximaSaid);
    EXPECT_EQ(output(), "Maxima said:\nsomething went wrong\n\n");
    errorCode = 0;
    EXPECT_EQ(ask("long"), "");
    EXPECT_EQ(errorCode, errorFailed);
    EXPECT_EQ(output(), "\nMaxima output too long!\n");
    errorCode = 0;
    EXPECT_EQ(ask("y"), "y");  // still in step
}

TEST_F(MaximaBridgeTest, QuestionsAreAnsweredOrDismissed) {
    EXPECT_EQ(ask("ask"), "positive");
    EXPECT_EQ(output(), "Answering \"Is x positive, negative or zero?\" with \"positive\"\n");
    EXPECT_EQ(ask("ask", 0), "");
    EXPECT_EQ(errorCode, errorFailed);
    EXPECT_EQ(output(), "Maxima is asking\nIs x positive, negative or zero?\n\nUse assume!\n");
    errorCode = 0;
    EXPECT_EQ(ask("after"), "after");  // the question was dismissed
    // A question shown for a displayed line is left for the user's next
    // Maxima line, but never taken as the answer of an evaluation.
    maxima::sendMaximaLine("ask;", maximaAsTyped);
    EXPECT_EQ(output(), "\nIs x positive, negative or zero?\n\n");
    EXPECT_EQ(ask("next"), "next");
}

TEST_F(MaximaBridgeTest, EscapeEndsMaximaAndTheNextCommandStartsItAgain) {
    EXPECT_EQ(ask("first"), "first");
    pid_t pid = maximaProcess.processId();
    installInterruptHandler();
    // Escape once the stand-in sleeps instead of answering "hang".
    std::thread escape([pid] {
        waitUntil([pid] { return !childrenOf(pid).empty(); });
        kill(getpid(), SIGINT);
    });
    EXPECT_EQ(ask("hang"), "");
    escape.join();
    EXPECT_EQ(errorCode, errorFailed);
    EXPECT_EQ(output(), "User interrupted!\n");
    EXPECT_FALSE(maximaIsRunning());
    EXPECT_TRUE(kill(pid, 0) != 0 && errno == ESRCH);
    signal(SIGINT, SIG_DFL);
    errorCode = 0;
    EXPECT_EQ(ask("again"), "again");
    EXPECT_NE(maximaProcess.processId(), pid);
    // A Maxima that ends is reported and not left marked running.
    EXPECT_EQ(ask("quit"), "");
    EXPECT_EQ(output(), "Could not receive results from Maxima!\n");
    EXPECT_FALSE(maximaIsRunning());
}

TEST_F(MaximaBridgeTest, ValuesInMaximaSyntax) {
    struct Case {
        header* value;
        const char* text;
    };
    header* m = pushRealMatrix(2, 2);
    double elements[] = {1, 2, 3, 4.5};
    std::memcpy(matrixData(m), elements, sizeof elements);
    header* row = pushRealMatrix(1, 2);
    std::memcpy(matrixData(row), elements, 2 * sizeof(double));
    header* c = pushComplexMatrix(1, 1);
    double parts[] = {1, -2};
    std::memcpy(matrixData(c), parts, sizeof parts);
    const Case cases[] = {
        {pushReal(0.1), "0.1"},
        {pushComplex(1, -2), "1+I*-2"},
        {m, "matrix([1,2],[3,4.5])"},
        {row, "[1,2]"},
        {c, "1+I*-2"},  // a 1x1 matrix is a scalar
        {pushCString("x^2"), "x^2"},
    };
    for (const Case& k : cases) EXPECT_EQ(convertValueToMaxima(k.value, "", false), k.text);
    EXPECT_EQ(convertValueToMaxima(pushReal(0.5), "a:", true), "a:1/2");
    EXPECT_EQ(convertValueToMaxima(pushInterval(1, 2), "", false), "");
    EXPECT_EQ(output(), "Cannot convert this for Maxima!\n");
    errorCode = 0;
    // Long texts are refused before the buffer would be passed.
    header* wide = pushComplexMatrix(1, 200);  // "1+I*1," 200 times: past 984
    for (int k = 0; k < 400; k++) matrixData(wide)[k] = 1;
    EXPECT_EQ(convertValueToMaxima(wide, "", false), "");
    EXPECT_EQ(output(), "String too long for Maxima!\n");
    errorCode = 0;
    header* big = pushRealMatrix(1, 4000);
    for (int k = 0; k < 4000; k++) matrixData(big)[k] = 0.123456789;
    EXPECT_EQ(convertValueToMaxima(big, "", false), "");
    EXPECT_EQ(errorCode, errorFailed);
}

TEST_F(MaximaBridgeTest, CommandTextsAreRewrittenBeforeSending) {
    pushReal(2, "a");
    pushReal(7, "%");
    endlocal = newram;
    const struct {
        const char* text;
        bool percent;
        const char* sent;
    } substitutions[] = {
        {"@a^2+b", false, "(2)^2+b"},    {"x__1|y", false, "x_1,y"},
        {"\\@a", false, "@a"},           {"!@a|x", false, "@a|x"},
        {"!!@a", false, "!(2)"},         {"diff(%,x)+%pi", true, "diff((7),x)+%pi"},
        {"f(x):=x^2", true, "f(x):x^2"}, {"diff(%,x)", false, "diff(%,x)"},
    };
    for (const auto& s : substitutions)
        EXPECT_EQ(substituteVariables(s.text, s.percent), s.sent) << s.text;
    EXPECT_EQ(substituteVariables("@nothing", false), "");
    EXPECT_EQ(output(), "Variable nothing not found!\n");
    errorCode = 0;

    const struct {
        const char* text;
        const char* sent;
    } matrices[] = {
        {"[1,2;3,4]", "matrix([1,2],[3,4])"},
        {"[1,2]", "[1,2]"},
        {"a:[1,[2];f(3,4)];", "a:matrix([1,[2]],[f(3,4)]);"},
        {"x[1]; [5;6]", "x[1]; matrix([5],[6])"},
    };
    for (const auto& m : matrices) EXPECT_EQ(convertMatrixSyntax(m.text), m.sent) << m.text;
    EXPECT_EQ(collapseDoubleUnderscores("a__b___c"), "a_b__c");

    const struct {
        const char* text;
        std::vector<std::string> pieces;
    } splits[] = {
        {"a$ b;", {"a$", " b;"}},
        {"print(\"$;\"); x", {"print(\"$;\");", " x"}},
        {"a\\;b; ", {"a\\;b;"}},
        {"  ", {}},
    };
    for (const auto& s : splits) EXPECT_EQ(splitMaximaPieces(s.text), s.pieces) << s.text;

    const struct {
        const char* text;
        bool unclosed;
    } strings[] = {
        {"\"abc", true},
        {"\"abc\"", false},
        {"print(\"a\\\"b\")", false},
        {"print(\"a\\\")", true},
        {"x:2; \"a;b\"; \"", true},
        {"a\\\"b", false},
        {"", false},
    };
    for (const auto& s : strings) EXPECT_EQ(hasUnclosedString(s.text), s.unclosed) << s.text;
}

TEST(MaximaLines, CompatibilitySyntaxBecomesMaximaSyntax) {
    const struct {
        const char* line;
        const char* sent;
    } cases[] = {
        {"a:=5, b:=a^2;", "a:5; b:a^2$"},
        {"f(x):=x^2", "f(x):= ''(x^2);"},
        {"function f(x):=x^2", "f(x):=x^2;"},
        {"f(x):= block([y],y)", "f(x):= block([y],y);"},
        {"g(x,y) := x+y, h(1)", "g(x,y) := ''(x+y); h(1);"},
        {"s:\"a,b\" // comment", "s:\"a,b\";"},
        {"a\\:b", "a:b;"},
        {"", ""},
    };
    for (const auto& c : cases) {
        clearMaximaTranslation();
        EXPECT_EQ(translateCompatibilityText(c.line), c.sent) << c.line;
    }
    // An open bracket and a pending closing one last over a ".." line.
    clearMaximaTranslation();
    EXPECT_EQ(translateCompatibilityText("f(x):=[x, .."), "f(x):= ''([x, ..");
    EXPECT_EQ(translateCompatibilityText("2], y:=3"), "2]); y:3;");
    clearMaximaTranslation();
}

TEST(MaximaCall, TheCallStringChoosesTheProgram) {
    std::string refusal;
    EXPECT_EQ(buildMaximaCall("", "", "", &refusal), std::vector<std::string>{"maxima"});
    EXPECT_EQ(buildMaximaCall("/opt/m/bin/maxima", "", "", &refusal),
              std::vector<std::string>{"/opt/m/bin/maxima"});
    EXPECT_TRUE(buildMaximaCall("/bin/maxima.bat", "", "", &refusal).empty());
    EXPECT_EQ(refusal, "Can only call maxima, maxima.exe or sbcl.exe for Maxima!");
    EXPECT_TRUE(buildMaximaCall("sbcl", "/nonexistent", "", &refusal).empty());
    EXPECT_EQ(refusal, "Could not find maxima.core for sbcl.exe\nAborting Maxima.");
    std::string found;
    EXPECT_TRUE(findFileRecursive(KALIX_UNIT_FILES "/..", "maxima", &found));
    EXPECT_EQ(found, KALIX_UNIT_FILES "/../files/maxima");
}

TEST(MaximaFunctionList, CompletionPicksAmongEntriesOfOneName) {
    maximaFunctionList = {{"diff (expr, x)", "diff"}, {"diff (expr)", "diff"},
                          {"dispfun (f)", "dispfun"}, {"display (expr)", "display"},
                          {"disp (expr)", "disp"},    {"integrate (f, x)", "integrate"}};
    std::string completion, help;
    EXPECT_EQ(matchMaximaFunctions("dif", &completion, &help, 1), 1);
    EXPECT_EQ(completion, "diff");
    EXPECT_EQ(help, "diff (expr) ... and 1 more (press ins)");
    EXPECT_EQ(matchMaximaFunctions("dis", &completion, &help, 0), 0);
    EXPECT_EQ(completion, "disp dispfun display ");
    EXPECT_EQ(matchMaximaFunctions("integrate(", &completion, &help, 0), 0);
    EXPECT_EQ(completion, "");
    EXPECT_EQ(help, "integrate (f, x)");
    EXPECT_EQ(matchMaximaFunctions("zz", &completion, &help, 0), 0);
    EXPECT_EQ(completion + help, "");
    maximaFunctionList.clear();
}

}  // namespace

}  // namespace kalix
