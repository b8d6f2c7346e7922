// Child processes of the host: words of an argument text, the program
// search, and children started, fed, read, waited for, interrupted and
// reaped.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/settings.h"
#include "platform/host.h"
#include "platform/processes.h"
#include "settings_folder.h"
#include "terminal/terminal_host.h"
#include "threaded_suite.h"
#include "waiting.h"

namespace kalix {

namespace {

TEST(CommandWords, BlanksSeparateQuotesGroup) {
    struct Case {
        const char* text;
        std::vector<std::string> words;
    } cases[] = {
        {"", {}},
        {"  a  b\tc ", {"a", "b", "c"}},
        {"-c \"exit 3\"", {"-c", "exit 3"}},
        {"\"\"", {""}},                         // an empty word
        {"a\"b c\"d", {"ab cd"}},               // quotes inside a word
        {"say \\\"hi\\\"", {"say", "\"hi\""}},  // \" is a quote
        {"C:\\dir\\ x", {"C:\\dir\\", "x"}},    // other backslashes stay
        {"'single quotes' stay", {"'single", "quotes'", "stay"}},
        {"\"open quote", {"open quote"}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitCommandWords(c.text), c.words) << c.text;
}

TEST(CommandWords, ProgramsAreFoundOnThePath) {
    std::string sh = findProgram("sh");
    ASSERT_FALSE(sh.empty());
    EXPECT_EQ(sh.substr(sh.size() - 3), "/sh");
    EXPECT_EQ(findProgram("no-such-program-anywhere"), "");
    EXPECT_EQ(findProgram("/bin/sh"), "/bin/sh");
    EXPECT_EQ(findProgram("./no-such-file"), "");
    EXPECT_EQ(findProgram(""), "");
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    EXPECT_EQ(findProgram("."), "");  // a directory is no program on the path
}

// Children of this process that have ended and were not waited for.
int zombieCount() {
    int count = 0;
    DIR* processes = opendir("/proc");
    while (const dirent* entry = processes ? readdir(processes) : nullptr) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string text;
        if (!std::getline(stat, text)) continue;
        size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(text.substr(close + 2));
        char state;
        int parent;
        fields >> state >> parent;
        if (parent == getpid() && state == 'Z') count++;
    }
    if (processes) closedir(processes);
    return count;
}

// Commands are allowed through the per-user settings of a temporary home.
class ChildProcesses : public ::testing::Test {
  protected:
    std::string root;
    std::optional<KeptVariable> keptConfig;

    void SetUp() override {
        char pattern[] = "/tmp/kalix-processes-XXXXXX";
        root = mkdtemp(pattern);
        keptConfig.emplace("XDG_CONFIG_HOME");
        allowCommands(true);
        installInterruptHandler();
        checkEscape();
    }
    void TearDown() override {
        killExecProcess();
        keptConfig.reset();
        noteSettingsChanged();
        std::system(("rm -rf '" + root + "'").c_str());
    }
    // A settings file of its own for each answer: the store reads a file
    // again when its path changes.
    void allowCommands(bool allowed) {
        std::string config = root + (allowed ? "/allowed" : "/asking");
        mkdir(config.c_str(), 0777);
        mkdir((config + "/kalix").c_str(), 0777);
        std::ofstream(config + "/kalix/settings") << "askexec=\"" << (allowed ? 0 : 1) << "\"\n";
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        noteSettingsChanged();
        ASSERT_EQ(intSetting("askexec"), allowed ? 0 : 1);
    }

    int run(const char* program, const char* arguments, int pipes, int wait,
            std::string* output = nullptr, const char* directory = "") {
        ExecStatus status;
        std::string text;
        int code = execProgram(program, arguments, directory, pipes, 0, wait,
                               output ? output : &text, &status);
        EXPECT_EQ(status, execStarted) << program;
        return code;
    }
};

THREADED_SUITE(ChildProcesses);

TEST_F(ChildProcesses, ExitCodesAndOutputOfBothStreams) {
    std::string output;
    EXPECT_EQ(run("sh", "-c \"echo out; echo err >&2; exit 3\"", 1, 1, &output), 3);
    EXPECT_EQ(output, "out\nerr\n");
    EXPECT_EQ(run("sh", "-c \"kill -9 $$\"", 0, 1), 128 + 9);
    EXPECT_EQ(run("pwd", "", 1, 1, &output, "/"), 0);
    EXPECT_EQ(output, "/\n");
}

TEST_F(ChildProcesses, AChildWritingMoreThanThePipeHoldsIsReadWhileItRuns) {
    std::string output;
    EXPECT_EQ(run("head", "-c 3000000 /dev/zero", 1, 1, &output), 0);
    EXPECT_EQ(output.size(), 3000000u);
}

TEST_F(ChildProcesses, WritingToAChildThatAnswersDoesNotBlock) {
    // cat writes back all it reads; its output is read while its input is
    // written, or both pipes would fill.
    run("cat", "", 1, 0);
    std::string line(999, 'x');
    for (int i = 0; i < 1000; i++) ASSERT_EQ(writeExecPipe(line.c_str(), 1), 1);
    std::string echoed;
    waitUntil([&] {
        readExecPipe(&echoed);
        return echoed.size() >= 1000000;
    });
    EXPECT_EQ(echoed.size(), 1000000u);
    // cat keeps its output open and writes nothing more: a read that waited
    // for data would never return.
    std::string nothing;
    EXPECT_EQ(readExecPipe(&nothing), 1);
    EXPECT_EQ(nothing, "");
    killExecProcess();
    EXPECT_EQ(writeExecPipe("gone", 1), 0);
}

TEST_F(ChildProcesses, EscapeEndsAWaitingChildAndItsChildren) {
    // Escape once the shell has started its sleep.
    pid_t grandchild = 0;
    std::thread interrupter([&grandchild] {
        waitUntil([&grandchild] {
            for (pid_t child : childrenOf(getpid()))
                for (pid_t next : childrenOf(child)) grandchild = next;
            return grandchild != 0;
        });
        raise(SIGINT);
    });
    std::string output;
    // The shell's child holds the pipe too; both end, long before the
    // sleep would.
    int code = run("sh", "-c \"sleep 600; echo late\"", 1, 1, &output);
    interrupter.join();
    EXPECT_EQ(code, 128 + 9);
    EXPECT_EQ(output, "");
    ASSERT_NE(grandchild, 0);
    EXPECT_TRUE(waitUntil([grandchild] { return processEnded(grandchild); }));
}

TEST_F(ChildProcesses, ChildrenAreReaped) {
    // Each start replaces the remembered child; the ended ones are reaped
    // at the next start, the remembered one by execkill too.
    auto allEnded = [] {
        for (pid_t child : childrenOf(getpid()))
            if (!processEnded(child)) return false;
        return true;
    };
    for (int i = 0; i < 3; i++) run("true", "", 0, 0);
    ASSERT_TRUE(waitUntil(allEnded));
    run("true", "", 0, 1);
    EXPECT_EQ(zombieCount(), 0);
    run("true", "", 1, 0);
    ASSERT_TRUE(waitUntil(allEnded));
    killExecProcess();
    EXPECT_EQ(zombieCount(), 0);
}

TEST_F(ChildProcesses, FailuresAndRefusals) {
    ExecStatus status;
    std::string output;
    EXPECT_EQ(execProgram("no-such-program-anywhere", "", "", 1, 0, 1, &output, &status), 1);
    EXPECT_EQ(status, execFailed);
    EXPECT_EQ(execProgram("/etc/passwd", "", "", 1, 0, 1, &output, &status), 1);
    EXPECT_EQ(status, execFailed);
    EXPECT_EQ(execProgram("true", "", "/no/such/directory", 0, 0, 1, &output, &status), 1);
    EXPECT_EQ(status, execFailed);
    // Asked with nobody at a terminal: refused, nothing runs.
    allowCommands(false);
    if (isatty(STDIN_FILENO)) GTEST_SKIP() << "a terminal would be asked";
    std::string marker = root + "/ran";
    EXPECT_EQ(execProgram("touch", marker.c_str(), "", 0, 0, 1, &output, &status), 1);
    EXPECT_EQ(status, execRefused);
    EXPECT_NE(access(marker.c_str(), F_OK), 0);
}

}  // namespace

}  // namespace kalix
