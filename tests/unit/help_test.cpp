// The help database, the `help` command and "?? ", the help window's
// answers, the history, completion and Maxima's part of the help.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "help_fixture.h"
#include "interpreter/function_index.h"
#include "interpreter/state_hand_over.h"
#include "interpreter/state_snapshot.h"
#include "notebook/help_user_functions.h"
#include "notebook/help_writer.h"
#include "threaded_suite.h"

namespace kalix {

namespace {

std::string temporaryFile(const std::string& name, const std::string& bytes) {
    std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

}  // namespace

TEST(HelpDatabaseTest, FilesAreReadAsTheFormatSays) {
    std::string longLine(100000, 'x');
    std::string path = temporaryFile("kalix-help-format.txt",
                                     "text before any entry\r\n"
                                     "!first,second name\r\n"
                                     "line one\r\n"
                                     "// a remark of the file\r\n"
                                     "\r\n"
                                     "caf\xC3\xA9\r\n"
                                     "#\r\n"
                                     "between entries\n"
                                     "!long\n" +
                                         longLine +
                                         "\n"
                                         "#\n"
                                         "!last\n"
                                         "kept without a line end");
    selectCodePage(1252);
    HelpDatabase database;
    ASSERT_EQ(database.loadHelpFile(path.c_str(), 0), 1);
    ASSERT_EQ(database.entries().size(), 3u);

    const HelpEntry* first = database.findTopic("first");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(database.findTopic("second name"), first);
    EXPECT_EQ(database.findTopic("second"), nullptr);
    EXPECT_EQ(first->lines, (std::vector<std::string>{"line one", "", "caf\xE9"}));
    EXPECT_EQ(database.findTopic("long")->lines, std::vector<std::string>{longLine});
    EXPECT_EQ(database.findTopic("last")->lines,
              std::vector<std::string>{"kept without a line end"});

    // A file that cannot be opened changes nothing; append keeps the entries.
    EXPECT_EQ(database.loadHelpFile("/nonexistent/help.txt", 0), 0);
    EXPECT_EQ(database.entries().size(), 3u);
    database.addHelpLines({"!first", "a later entry of a taken name", "#"});
    EXPECT_EQ(database.findTopic("first"), first);
    std::remove(path.c_str());
}

TEST(HelpDatabaseTest, HistoryKeepsSixteenDistinctTopicsInOrder) {
    clearHelpHistory();
    for (int i = 1; i <= 17; i++) addHelpHistory("topic" + std::to_string(i), 0);
    std::vector<std::string> history = helpHistory();
    ASSERT_EQ(history.size(), 16u);
    EXPECT_EQ(history.front(), "topic2");
    EXPECT_EQ(history.back(), "topic17");
    addHelpHistory("topic5", 0);
    EXPECT_EQ(helpHistory(), history);
    addHelpHistory(std::string(64, 'l'), 0);
    addHelpHistory("diff", 1);
    addHelpHistory("plot ", 2);
    history = helpHistory();
    EXPECT_EQ(history[14], "&diff");
    EXPECT_EQ(history[15], "plot");

    clearHelpHistory();
    for (const char* topic :
         {"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta", "iota", "kappa"})
        addHelpHistory(topic, 0);
    EXPECT_EQ(helpHistoryText(),
              "alpha, beta, gamma, delta, epsilon, zeta, eta, \ntheta, iota, kappa");
    clearHelpHistory();
}

TEST_F(HelpTest, HelpCommandOnNamesCommandsAndOperators) {
    struct Case {
        const char* program;
        const char* expected;
    } cases[] = {
        {"help sin\n", "sin is a builtin function.\nsin(x)\n    The sine of x.\nSee also: cos\n\n"},
        {"help nosuchname\n", "No Kalix help found for nosuchname.\n"},
        {"help for\n", "for i=a to b; ...; end\n\n"},
        {"help +\n", "a+b\n    Adds.\n\n"},
        {"help\n", "Functions, commands and operators of Kalix.\n\n"},
        {"alias sinus sin\nhelp sinus\n",
         "sinus is an alias for sin\nsin(x)\n    The sine of x.\nSee also: cos\n\n"},
        {"help 1x\n", "No Kalix help found for 1x.\n"},
        {"help a234567890123456789012345678901234567890\n", "Name too long!\n"},
    };
    for (const Case& c : cases) {
        clearAliases();
        EXPECT_EQ(printed(c.program), c.expected) << c.program;
        EXPECT_EQ(errorCode, 0) << c.program;
    }
}

TEST_F(HelpTest, HelpOnAUserFunctionShowsParametersDefaultsAndHelpLines) {
    run("function f(x,y=3,z=none)\n## adds two\n##numbers\nreturn x+y\nendfunction\n");
    EXPECT_EQ(printed("help f\n"),
              "f is a Kalix function.\n\n"
              "function f (x, y, z)\n\n"
              "Default for y : 3\n"
              "Default for z : none\n\n"
              "adds two\nnumbers\n\n");
}

TEST_F(HelpTest, LongParameterListsGoOnInTheNextLine) {
    lineLength = 40;
    run("function g(alpha,beta,gamma,delta,epsilon,zeta)\nreturn 1\nendfunction\n");
    EXPECT_EQ(printed("help g\n"),
              "g is a Kalix function.\n\n"
              "function g (alpha, beta, gamma, ..\ndelta, epsilon, zeta)\n\n\n");
}

TEST_F(HelpTest, ProgramFileCommentsShowWhatAFileOffers) {
    std::string path = temporaryFile("kalix-help-comments.k",
                                     "// a remark that is skipped\n"
                                     "comment\n"
                                     "Utilities for tests.\n"
                                     "endcomment\n"
                                     "\n"
                                     "\n"
                                     "function f(x)\n"
                                     "## doubles x\n"
                                     "## more help\n"
                                     "  y=2*x;\n"
                                     "  return y\n"
                                     "endfunction\n"
                                     "\n"
                                     "a:=5\n"
                                     "b:=input(\"b?\")\n"
                                     "function %helper(x)\n"
                                     "  return x\n"
                                     "endfunction\n"
                                     "function g(x) := x^2\n"
                                     "function h(a, ..\n"
                                     "  b)\n"
                                     "endfunction\n"
                                     "x=1\n");
    std::string answer;
    HelpWriter out(&answer);
    ASSERT_TRUE(printFileComments(out, path));
    EXPECT_EQ(answer,
              "Utilities for tests.\n\n"
              "function f(x)\n## doubles x\n\n"
              "a:=5\n"
              "function g(x) := x^2\n"
              "function h(a, ..\n  b)\n\n");
    EXPECT_EQ(helpHistory().back(), path);
    HelpWriter none(&answer);
    EXPECT_FALSE(printFileComments(none, "/nonexistent/file"));
    std::remove(path.c_str());
}

TEST_F(HelpTest, WindowAnswersNarrowAsTheUserTypes) {
    run("function f(x,y=3)\n## adds two\nreturn x+y\nendfunction\n");
    struct Case {
        const char* query;
        const char* expected;
        const char* helpWord;
    } cases[] = {
        {"", "Topics\nFunctions, commands and operators of Kalix.\n", ""},
        {"co", "cos cosh \n", "cos"},
        {"cosh", "cosh\ncosh(x)\n", "cosh"},
        {"hyper", "hyperbolic cosine\ncosh(x)\n", "hyperbolic cosine"},
        {"*os", "cos cosh hyperbolic cosine \n", "cos"},
        {"_co",
         "Searching for \"co\"\n\nTopics :\n  Functions, commands and operators of Kalix.\n"
         "sin :\n  See also: cos\ncos :\n  cos(x)\ncosh :\n  cosh(x)\n",
         ""},
        {"_cos", "cos\ncos(x)\n", "cos"},
        {"sin(", "sin\nsin(x)\n    The sine of x.\nSee also: cos\n", ""},
        {"f", "f for \n", "f"},
        {"f(", "f\n\nfunction f (x, y)\n\nadds two\n\nDefault for y : 3\n\n", ""},
        {"?sine", "Searching for \"sine\"\n\nsin :\n      The sine of x.\n", ""},
        {"?dds", "Searching for \"dds\"\n\nf :\n  adds two\n+ :\n      Adds.\n", ""},
    };
    // One match becomes the word that Enter shows.
    for (const Case& c : cases) {
        setCurrentHelpWord("");
        EXPECT_EQ(body(answerHelpQuery(c.query)), c.expected) << "query: " << c.query;
        if (c.query[0] != '?') {
            EXPECT_EQ(getCurrentHelpWord(), c.helpWord) << c.query;
        }
    }
    // The history header names what was shown.
    EXPECT_EQ(answerHelpQuery("co").substr(0, 14), "Topics, cosh, ");
}

TEST_F(HelpTest, WindowAnswersLeaveTheInterpreterAloneWhileItComputes) {
    run("function f(x)\n## adds two\nreturn x\nendfunction\nalias sinus sin\n");
    EXPECT_EQ(body(answerHelpQuery("f", false)), "for\nfor i=a to b; ...; end\n");
    EXPECT_EQ(body(answerHelpQuery("sinus ", true)),
              "sinus is an alias to sin\nsin(x)\n    The sine of x.\nSee also: cos\n");
    EXPECT_EQ(body(answerHelpQuery("type f", false)),
              "Kalix is computing; the answer comes when it waits for input.\n");
    std::string typed = body(answerHelpQuery("type f", true));
    EXPECT_NE(typed.find("function f (x)"), std::string::npos) << typed;
    EXPECT_EQ(errorCode, 0);
}

TEST_F(HelpTest, LongAnswersAreCutAtALineEnd) {
    std::vector<std::string> lines = {"!big"};
    for (int i = 0; i < 5000; i++)
        lines.push_back("line " + std::to_string(i) + " of a long entry");
    helpDatabase.addHelpLines(lines);
    std::string answer = answerHelpQuery("big");
    EXPECT_LE(answer.size(), helpAnswerLimit);
    EXPECT_GT(answer.size(), helpAnswerLimit - 100);
    EXPECT_EQ(answer.back(), '\n');
    answer = answerHelpQuery("?long entry");
    EXPECT_LE(answer.size(), helpAnswerLimit);
}

TEST_F(HelpTest, CompletionOffersNamesAndHints) {
    run("function myfunction(a,b)\n## my help line\nreturn a\nendfunction\n");
    NameCompletion one = completeName("cos", takeStateSnapshot());
    EXPECT_EQ(one.candidates, "cos");
    EXPECT_EQ(one.hint, "cos(x)");
    EXPECT_EQ(getStatusHelp(), "cos");
    NameCompletion call = completeName("sin(", takeStateSnapshot());
    EXPECT_EQ(call.candidates, "sin");
    EXPECT_EQ(call.hint, "sin(x)");
    NameCompletion user = completeName("myfu", takeStateSnapshot());
    EXPECT_EQ(user.candidates, "myfunction");
    EXPECT_EQ(user.hint, "myfunction (a, b)  my help line");
    NameCompletion several = completeName("lin", takeStateSnapshot());
    // Shortest first; further "lin..." builtins may join the list.
    EXPECT_EQ(several.candidates.rfind("linspace ", 0), 0u) << several.candidates;
    EXPECT_NE(several.candidates.find(" linestyle "), std::string::npos);
    EXPECT_NE(several.candidates.find(" linewidth "), std::string::npos);
    EXPECT_EQ(several.hint, several.candidates);
    EXPECT_EQ(completeName("zzzz", takeStateSnapshot()).candidates, "");
    EXPECT_EQ(helpLineOf("sin"), "sin(x)");
    EXPECT_EQ(helpLineOf("Topics"), "Functions, commands and operators of Kalix.");
    EXPECT_EQ(helpLineOf("nothing"), "");
}

// The GUI thread completes from the copy the interpreter published when
// it began to wait for a line: functions and aliases it defines later come
// with the next wait, and a copy once taken never changes.
TEST_F(HelpTest, CompletionSeesWhatWasPublishedAtTheLastWait) {
    run("function earlyfn(a)\n## early help\nreturn a\nendfunction\n");
    publishStateSnapshot();
    const auto first = publishedStateSnapshot();
    run("function laterfn(b)\n## later help\nreturn b\nendfunction\n");
    run("alias sinusalias sin");
    run("yacasmode on");
    EXPECT_EQ(completeName("laterfn(", *first).hint, "");
    publishStateSnapshot();
    const auto second = publishedStateSnapshot();
    struct Case {
        const char* word;
        const StateSnapshot& state;
        const char* hint;
    } cases[] = {
        {"earlyf", *first, "earlyfn (a)  early help"},
        {"laterf", *first, ""},
        {"sinusal", *first, ""},
        {"earlyf", *second, "earlyfn (a)  early help"},
        {"laterf", *second, "laterfn (b)  later help"},
        {"laterfn(", *second, "laterfn (b)  later help"},
        // An alias of a builtin: the builtin's help line.
        {"sinusal", *second, "sin(x)"},
    };
    for (const Case& c : cases) EXPECT_EQ(completeName(c.word, c.state).hint, c.hint) << c.word;
    EXPECT_EQ(first->yacasMode, 0);
    EXPECT_NE(second->yacasMode, 0);
    run("yacasmode off");
}

// A thread that reads the interpreter's state only when it is handed over
// (the GUI thread) stops at a read outside a hold, in the checking build.
TEST(StateHandOverDeathTest, AReadOutsideTheHandOverStops) {
#ifdef KALIX_CHECKS
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_DEATH(
        {
            setHandOverReader();
            userFunctions();
        },
        "stateReadableByCaller");
    EXPECT_DEATH(
        {
            setHandOverReader();
            StateHandOverHold hold;  // held, but the state is not handed over
            findAnyFunction("f");
        },
        "stateReadableByCaller");
#else
    GTEST_SKIP() << "the checks are compiled in the checking build only";
#endif
}

THREADED_SUITE(StateHandOver);

// Handed over, the reader may read inside a hold, and only there.
TEST(StateHandOver, TheReaderMayReadInsideAHoldWhileTheStateIsHandedOver) {
    std::thread reader([] {
        setHandOverReader();
        EXPECT_FALSE(stateReadableByCaller());
        handOverState();
        {
            StateHandOverHold hold;
            EXPECT_TRUE(bool(hold));
            EXPECT_TRUE(stateReadableByCaller());
        }
        EXPECT_FALSE(stateReadableByCaller());
        takeBackState();
        StateHandOverHold hold;
        EXPECT_FALSE(bool(hold));
        EXPECT_FALSE(stateReadableByCaller());
    });
    reader.join();
    // Other threads read as before.
    EXPECT_TRUE(stateReadableByCaller());
}

class MaximaHelpTest : public HelpTest {
  protected:
    FakeMaximaHelp maxima;

    void SetUp() override {
        HelpTest::SetUp();
        maxima.add("diff (expr, x) Differentiates.");
        maxima.add("diff (expr) Total differential.");
        maxima.add("diffeq (x) Not really Maxima.");
        maxima.infoFiles = {
            {"File: maxima.info,  Node: Differentiation", " -- Function: diff (<expr>, <x>)",
             " -- Function: diff (<expr>)", "     Returns the derivative.", "",
             "     More text about diff.", "Outside text", " -- Function: diffeq (<x>)",
             "     Another derivative."},
            {" -- Function: integrate (<expr>, <x>)", "     Integrates; the opposite of diff."},
        };
        setMaximaHelpSource(&maxima);
    }
};

TEST_F(MaximaHelpTest, TheHelpCommandListsMaximaEntries) {
    EXPECT_EQ(printed("?? diff\n"),
              "No Kalix help found for diff.\n\nSearch Maxima for help:\n\n"
              "diff (expr, x) Differentiates.\ndiff (expr) Total differential.\n\n"
              "For more information try: mxmhelp diff\n\n");
    EXPECT_EQ(printed("help &diffeq\n"),
              "diffeq (x) Not really Maxima.\n\nFor more information try: mxmhelp diffeq\n\n");
    EXPECT_EQ(printed("?? sin\n"),
              "sin is a builtin function.\nsin(x)\n    The sine of x.\nSee also: cos\n\n"
              "\nSearch Maxima for help:\n\n");
    // The help command alone never searches Maxima.
    EXPECT_EQ(printed("help diff\n"), "No Kalix help found for diff.\n");
    EXPECT_EQ(maxima.listReads, 1);
}

TEST_F(MaximaHelpTest, LongMaximaHelpLinesAreBrokenOnce) {
    lineLength = 30;
    maxima.add("long (a, b) A help line that is longer than the output line.");
    setMaximaHelpSource(&maxima);
    std::string answer;
    HelpWriter out(&answer);
    EXPECT_EQ(printMaximaFunctionHelp(out, "long"), 1);
    EXPECT_EQ(answer,
              "long (a, b) A help line\nthat is longer than the output line.\n\n"
              "For more information try: mxmhelp long\n");
}

TEST_F(MaximaHelpTest, WindowAnswersReadTheInfoFiles) {
    struct Case {
        const char* query;
        const char* expected;
    } cases[] = {
        {"&dif",
         "diff (expr, x) Differentiates.\ndiff (expr) Total differential.\n"
         "diffeq (x) Not really Maxima.\n"},
        {"&diffeq",
         "diffeq (x) Not really Maxima.\n -- Function: diffeq (<x>)\n     Another derivative.\n"},
        {"&diff ",
         " -- Function: diff (<expr>, <x>)\n -- Function: diff (<expr>)\n"
         "     Returns the derivative.\n\n     More text about diff.\n"},
        {"&*eq",
         "diffeq (x) Not really Maxima.\n -- Function: diffeq (<x>)\n     Another derivative.\n"},
        {"?derivative",
         "Searching for \"derivative\"\n\n&diff :\n  Returns the derivative.\n"
         "&diffeq :\n  Another derivative.\n"},
        {"?opposite",
         "Searching for \"opposite\"\n\n&integrate :\n  Integrates; the opposite of diff.\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(body(answerHelpQuery(c.query)), c.expected) << c.query;
    EXPECT_EQ(getCurrentHelpWord(), "&diffeq");
    std::vector<std::string> history = helpHistory();
    EXPECT_NE(std::find(history.begin(), history.end(), "&diff"), history.end());
}

TEST_F(MaximaHelpTest, AMaximaQueryForAUserFunctionShowsBoth) {
    run("function diff(x)\n## my own diff\nreturn x\nendfunction\n");
    std::string answer = body(answerHelpQuery("&diff"));
    EXPECT_EQ(answer.substr(0, 63),
              "diff (expr, x) Differentiates.\ndiff (expr) Total differential.\n");
    EXPECT_NE(answer.find("function diff (x)\n\nmy own diff\n"), std::string::npos) << answer;
}

}  // namespace kalix
