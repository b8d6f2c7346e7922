// The unattended run of a notebook, driven as the interpreter drives it:
// every command line in order, body lines while a definition is read,
// output under each command, the end at the last prompt, and the save and
// export of "-xrun" whose failure fails the run.
#include "notebook/notebook_runner.h"

#include "base/base_directory.h"
#include "notebook_fixture.h"

namespace kalix {

namespace fs = std::filesystem;

class NotebookRunnerTest : public NotebookTest {
  protected:
    void SetUp() override {
        NotebookTest::SetUp();
        savedHome = homeDir.getText();
    }
    void TearDown() override {
        functionEntryActive = 0;
        fs::current_path(fs::temp_directory_path());
        homeDir.assign(savedHome.c_str());
        NotebookTest::TearDown();
    }
    std::string savedHome;
    // Takes every line the runner gives; a command "function ..." is read
    // on as a definition until "endfunction", a line ending in "..." is
    // continued, and every other line prints "<line> done".
    std::vector<std::string> takeAll(NotebookRunner& runner) {
        std::vector<std::string> taken;
        char buffer[inputBufferSize];
        while (runner.readLine(buffer) == 1) {
            std::string line = buffer;
            taken.push_back(line);
            if (line.rfind("function ", 0) == 0) functionEntryActive = 1;
            if (line == "endfunction") functionEntryActive = 0;
            bool continued = line.size() >= 3 && line.compare(line.size() - 3, 3, "...") == 0;
            if (!functionEntryActive && !continued && line != "endfunction")
                runner.print((line + " done\n").c_str());
        }
        return taken;
    }
};

TEST_F(NotebookRunnerTest, EveryCommandRunsAndXrunSavesAndExports) {
    fs::path dir = makeFolder();
    fs::path path = dir / "nb.kn";
    writeFile(path,
              "% * Title\r\n>a\r\nold output\r\n>b ...\r\n>c\r\n%% comment\r\n"
              ">function f(x)\r\n$  return x\r\n$endfunction\r\n>\r\n>g\r\n");
    NotebookRunner runner(path.string(), 1);
    EXPECT_EQ(takeAll(runner), (std::vector<std::string>{"a", "b ...", "c", "function f(x)",
                                                         "  return x", "endfunction", "", "g"}));
    EXPECT_EQ(runner.failed(), 0);
    EXPECT_EQ(readFile(path),
              "\xEF\xBB\xBF% * Title\r\n>a\r\na done\r\n>b ...\r\n>c\r\nc done\r\n"
              "% comment\r\n>function f(x)\r\n$  return x\r\n$endfunction\r\n"
              ">\r\n done\r\n>g\r\ng done\r\n>\r\n");
    EXPECT_NE(readFile(dir / "nb.html").find("<pre class=\"output\">g done\n</pre>"),
              std::string::npos);
    EXPECT_EQ(fs::current_path(), dir);
    // More lines after the end: none.
    char buffer[inputBufferSize];
    EXPECT_EQ(runner.readLine(buffer), 0);
}

TEST_F(NotebookRunnerTest, RunLeavesTheFileAndFailuresFailTheRun) {
    fs::path dir = makeFolder();
    fs::path path = dir / "nb.kn";
    writeFile(path, ">a\r\n>\r\n");
    NotebookRunner run(path.string(), 0);
    EXPECT_EQ(takeAll(run), (std::vector<std::string>{"a"}));
    EXPECT_EQ(readFile(path), ">a\r\n>\r\n");
    EXPECT_FALSE(fs::exists(dir / "nb.html"));
    EXPECT_EQ(run.failed(), 0);

    // Output printed while the error code is set marks the run failed.
    NotebookRunner failing(path.string(), 0);
    char buffer[inputBufferSize];
    ASSERT_EQ(failing.readLine(buffer), 1);
    errorCode = 1;
    failing.print("Error in:\n");
    errorCode = 0;
    EXPECT_EQ(failing.failed(), 1);

    // An export that cannot be written fails the run; the notebook is saved.
    fs::create_directories(dir / "nb.html");
    NotebookRunner exporting(path.string(), 1);
    takeAll(exporting);
    EXPECT_EQ(exporting.failed(), 1);
    EXPECT_EQ(readFile(path), "\xEF\xBB\xBF>a\r\na done\r\n>\r\n");

    NotebookRunner missing((dir / "missing.kn").string(), 1);
    EXPECT_EQ(takeAll(missing), std::vector<std::string>{});
    EXPECT_EQ(missing.failed(), 1);
}

// A host below the run that records what reaches it.
class HostBelowTheRun : public Host {
  public:
    std::vector<std::string> calls;
    int readInputLine(char* buffer) override {
        calls.push_back("line");
        buffer[0] = 0;
        return 0;
    }
    int checkEscape() override { return 0; }
    int pollKey() override {
        calls.push_back("poll");
        return 'k';
    }
    int waitKeyWithStatus(int* keyCode, const char* status) override {
        calls.push_back(std::string("key ") + status);
        *keyCode = keyNone;
        return 'w';
    }
    int waitWithStatus(double, int* keyCode, const char*) override {
        *keyCode = keyNone;
        return 0;
    }
    int waitMouseClick(double*, double*, const char*) override { return 0; }
    int waitMouseDrag(double*, double*, int*, int*, const char*) override { return 0; }
    int getMousePosition(double*, double*) override { return 0; }
    int printToTextWindow(const char* text) override {
        calls.push_back(std::string("print ") + text);
        return 1;
    }
    void showWarning(const char* text, const char*) override {
        calls.push_back(std::string("warning ") + text);
    }
    void insertLatexImage(const char* latex) override {
        calls.push_back(std::string("latex ") + latex);
    }
    int askAllowDialog(const char*) override {
        calls.push_back("allow");
        return 0;
    }
    void setStatusText(const char* text) override {
        calls.push_back(std::string("status ") + text);
    }
    bool runsStartupJobs() override { return true; }
};

TEST_F(NotebookRunnerTest, AsTheHostTheRunTakesLinesAndOutputAndPassesTheRest) {
    fs::path dir = makeFolder();
    fs::path path = dir / "nb.kn";
    writeFile(path, ">a\r\n>b\r\n");
    HostBelowTheRun below;
    NotebookRunner runner(path.string(), 0, below);
    Host* before = installHost(&runner);
    char buffer[inputBufferSize];
    inputBuiltinActive = 1;
    EXPECT_EQ(readInputLine(buffer), 1);
    EXPECT_STREQ(buffer, "a");
    EXPECT_EQ(inputBuiltinActive, 0);
    printToTextWindow("out\n");
    int keyCode = -1;
    EXPECT_EQ(pollKey(), 'k');
    EXPECT_EQ(waitKeyWithStatus(&keyCode, "s"), 'w');
    setStatusText("busy");
    showWarning("careful", "Kalix");
    insertLatexImage("x^2");
    EXPECT_EQ(askAllowDialog("Allow?"), 0);
    EXPECT_FALSE(installedHost->runsStartupJobs());
    reportAutomaticModeError("bad line");
    installHost(before);
    EXPECT_EQ(runner.failed(), 1);
    EXPECT_EQ(below.calls, (std::vector<std::string>{
                               "poll", "key s", "status busy", "warning careful", "latex x^2",
                               "allow", "warning Error in automatic mode!\nbad line"}));
    // The output went into the notebook, under the command.
    TextLockHold hold(runner.getEditor(), "test");
    std::vector<std::string> lines;
    for (NotebookLine* line = runner.getEditor().document().getFirstLine(); line; line = line->next)
        lines.push_back(line->text.getText());
    EXPECT_EQ(lines, (std::vector<std::string>{">a", "out", "", ">b", ">"}));
}

}  // namespace kalix
