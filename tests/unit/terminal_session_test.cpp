// The program on a terminal (a pseudo-terminal): the permission question
// before a command runs, and the trace steered by the keys the terminal
// sends.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "kalix_program.h"
#include "threaded_suite.h"
#include "waiting.h"

namespace kalix {

namespace {

class TerminalSession : public ::testing::Test {
  protected:
    std::string home;
    pid_t child = -1;
    int terminal = -1;
    std::string seen;  // everything the program wrote

    void SetUp() override {
        std::string program = kalixProgramPath();
        if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no kalix at " << program;
        char pattern[] = "/tmp/kalix-terminal-XXXXXX";
        home = mkdtemp(pattern);
        std::vector<std::string> words = {"kalix"};
        for (const std::string& word : arguments()) words.push_back(word);
        bool interactive = words.size() == 1;
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        child = forkpty(&terminal, nullptr, nullptr, nullptr);
        ASSERT_GE(child, 0);
        if (child == 0) {
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
            setenv("TERM", "xterm", 1);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        if (interactive) {
            ASSERT_TRUE(waitFor(">"));
        }
    }
    // Command-line arguments; files they name are made in `home` first.
    virtual std::vector<std::string> arguments() { return {}; }
    // A file in `home`: the line `first`, then `count` copies of `line`.
    void writeRepeated(const std::string& name, const std::string& first, const std::string& line,
                       int count) {
        std::ofstream out(home + "/" + name);
        out << first;
        for (int i = 0; i < count; i++) out << line;
    }
    void TearDown() override {
        if (child > 0) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        if (terminal >= 0) close(terminal);
        if (!home.empty()) std::system(("rm -rf '" + home + "'").c_str());
    }

    // Reads until `text` has been written since the last wait (false when
    // the program did not write it).
    bool waitFor(const std::string& text) {
        auto deadline = std::chrono::steady_clock::now() + eventBound;
        size_t from = mark;
        while (seen.find(text, from) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            pollfd watch = {terminal, POLLIN, 0};
            if (poll(&watch, 1, 100) <= 0) continue;
            char buffer[4096];
            ssize_t n = read(terminal, buffer, sizeof buffer);
            if (n <= 0) return false;
            seen.append(buffer, size_t(n));
        }
        mark = seen.find(text, from) + text.size();
        return true;
    }
    void type(const std::string& keys) {
        ssize_t written = write(terminal, keys.data(), keys.size());
        ASSERT_EQ(written, ssize_t(keys.size()));
    }

  private:
    size_t mark = 0;
};

THREADED_SUITE(TerminalSession);

TEST_F(TerminalSession, CommandsRunOnlyWhenAllowed) {
    type("exec(\"echo\", \"first\", \"\", 0, 0, 1)\n");
    ASSERT_TRUE(waitFor("Kalix wants to execute the command"));
    ASSERT_TRUE(waitFor("\"echo\" first"));
    ASSERT_TRUE(waitFor("Allow this command?"));
    ASSERT_TRUE(waitFor("? "));
    type("n\n");
    ASSERT_TRUE(waitFor("Command was not allowed!"));
    ASSERT_TRUE(waitFor(">"));
    type("exec(\"echo\", \"second\", \"\", 0, 0, 1)\n");
    ASSERT_TRUE(waitFor("Allow this command?"));
    type("y\n");
    ASSERT_TRUE(waitFor("second"));
    ASSERT_TRUE(waitFor(">"));
    // Allowed until the interpreter restarts: no further question.
    type("exec(\"echo\", \"third\", \"\", 0, 0, 1)\n");
    ASSERT_TRUE(waitFor("Allow this command?"));
    type("a\n");
    ASSERT_TRUE(waitFor("third"));
    type("exec(\"echo\", \"fourth\", \"\", 0, 0, 1)\n");
    ASSERT_TRUE(waitFor("fourth\r\n0\r\n"));  // the child's line, then its exit code
    EXPECT_EQ(seen.find("Allow this command?", seen.rfind("third\r\n")), std::string::npos);
}

// Maxima runs shell commands: it starts only after the question exec asks.
TEST_F(TerminalSession, MaximaStartsOnlyWhenAllowed) {
    if (std::system("command -v maxima >/dev/null 2>&1") != 0) GTEST_SKIP() << "no maxima";
    type(":: 1+1\n");
    ASSERT_TRUE(waitFor("Kalix wants to execute the command"));
    ASSERT_TRUE(waitFor("\"maxima\""));
    ASSERT_TRUE(waitFor("Allow this command?"));
    ASSERT_TRUE(waitFor("? "));
    type("n\n");
    ASSERT_TRUE(waitFor("Command was not allowed!"));
    ASSERT_TRUE(waitFor(">"));
    type(":: 2+3\n");
    ASSERT_TRUE(waitFor("Allow this command?"));
    type("y\n");
    EXPECT_TRUE(waitFor("5"));
    ASSERT_TRUE(waitFor(">"));
    // Running, Maxima is not asked for again.
    type(":: 4+3\n");
    EXPECT_TRUE(waitFor("7"));
    EXPECT_EQ(seen.find("Allow this command?", seen.rfind("4+3")), std::string::npos);
}

TEST_F(TerminalSession, TheTraceFollowsTheKeys) {
    type("function f(a)\n");
    type("b = a + 1;\n");
    type("return b * 2\n");
    type("endfunction\n");
    type("trace f\n");
    ASSERT_TRUE(waitFor("Tracing f"));
    type("f(1)\n");
    ASSERT_TRUE(waitFor("f: b = a + 1;"));
    type("\x1b[2~");  // Insert asks for an expression
    ASSERT_TRUE(waitFor("Expression? "));
    type("a + 10\n");
    ASSERT_TRUE(waitFor("11"));
    type("q");  // no trace key: the help
    ASSERT_TRUE(waitFor("cursor-left   Stop tracing"));
    type("\x1b[B");
    ASSERT_TRUE(waitFor("f: return b * 2"));
    type("\x1b[B");
    ASSERT_TRUE(waitFor("4"));
    ASSERT_TRUE(waitFor(">"));
}

// A read from a stream without end stops on Ctrl-C. The key comes once the
// statement says it runs (the line is taken; the word it prints is not in
// the line the terminal echoes).
TEST_F(TerminalSession, EndlessStreamsStopOnCtrlC) {
    signal(SIGPIPE, SIG_IGN);
    std::string fifo = home + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        int out = open(fifo.c_str(), O_WRONLY);
        const std::string text(4096, 'x');
        while (out >= 0 && !done && write(out, text.data(), text.size()) > 0) {}
        if (out >= 0) close(out);
    });
    for (const std::string& path : {std::string("/dev/zero"), fifo}) {
        type("open(\"" + path + "\",\"r\"); \"read\" | \"ing\", v=getvector(10)\n");
        ASSERT_TRUE(waitFor("reading")) << path;
        type("\x03");
        EXPECT_TRUE(waitFor("User interrupted!")) << path;
        ASSERT_TRUE(waitFor(">"));
        type("close();\n");
    }
    done = true;
    feeder.join();
    // A long program file stops between its statements.
    writeRepeated("long.k", "\"running\"\n", "x=sum(1:10000);\n", 1000000);
    type("load \"" + home + "/long.k\"\n");
    ASSERT_TRUE(waitFor("running"));
    type("\x03");
    EXPECT_TRUE(waitFor("User interrupted!"));
}

// A copy from a source without end stops on Ctrl-C and leaves no target;
// the next command runs.
TEST_F(TerminalSession, AnEndlessCopyStopsOnCtrlCAndLeavesNoFile) {
    std::string target = home + "/big";
    type("filecopy(\"/dev/zero\", \"" + target + "\")\n");
    struct stat info;
    ASSERT_TRUE(waitUntil([&] { return stat(target.c_str(), &info) == 0 && info.st_size > 0; }));
    type("\x03");
    ASSERT_TRUE(waitFor("Error while copying"));
    ASSERT_TRUE(waitFor("/dev/zero to " + target));
    ASSERT_TRUE(waitFor(">"));
    EXPECT_NE(stat(target.c_str(), &info), 0);
    type("\"goes on\"\n");
    EXPECT_TRUE(waitFor("goes on"));
}

// A long unattended run stops between two commands: exit status 1, the
// notebook unchanged. Its first command makes the file "started".
class TerminalRun : public TerminalSession {
  protected:
    std::vector<std::string> arguments() override {
        writeRepeated("long.kn", firstCommand(), ">x=sum(1:10000);\n", 100000);
        return {"-xrun", home + "/long.kn"};
    }
    std::string firstCommand() const { return ">open(\"" + home + "/started\",\"w\"); close();\n"; }
};

THREADED_SUITE(TerminalRun);

TEST_F(TerminalRun, ALongRunStopsOnCtrlC) {
    struct stat info;
    ASSERT_TRUE(waitUntil([&] { return stat((home + "/started").c_str(), &info) == 0; }));
    type("\x03");
    EXPECT_TRUE(waitFor("User interrupted!"));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    child = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    std::ifstream in(home + "/long.kn");
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first + "\n", firstCommand());
    EXPECT_EQ(second, ">x=sum(1:10000);");
}

TEST_F(TerminalSession, InputAsksAfterItsQuestion) {
    type("x = input(\"a number\")\n");
    ASSERT_TRUE(waitFor("a number? "));
    type("6*7\n");
    ASSERT_TRUE(waitFor("42"));
    // F1 typed ahead (the terminal keeps it for key()): no character, the
    // key code.
    type("k = key()\n");
    type("\x1bOP");
    ASSERT_TRUE(waitFor("14"));
}

TEST_F(TerminalSession, CtrlCInterruptsRunningPython) {
    type("x = 5;\n");
    type("py: n = 0\n");
    ASSERT_TRUE(waitFor("Allow?"));
    type("a\n");
    ASSERT_TRUE(waitFor(">"));
    type("py: print(\"looping\")...\n");
    ASSERT_TRUE(waitFor(">"));  // the line goes on
    type("while True: n += 1\n");
    ASSERT_TRUE(waitFor("looping"));
    type("\x03");
    ASSERT_TRUE(waitFor("KeyboardInterrupt")) << seen;
    ASSERT_TRUE(waitFor(">"));
    // Kalix goes on with its variables, and so does Python.
    type("x + 1\n");
    ASSERT_TRUE(waitFor("6"));
    type("py: n > 0\n");
    ASSERT_TRUE(waitFor("True"));
    // Ctrl-C after the interrupted run does not interrupt the next one.
    type("py: 1 + 2\n");
    ASSERT_TRUE(waitFor("3"));
}

}  // namespace

// Tab completes builtin, command, function and variable names at the prompt.
TEST_F(TerminalSession, TabCompletesNames) {
    type("sqr\t(16)\n");
    EXPECT_TRUE(waitFor("4")) << seen;
    EXPECT_TRUE(waitFor(">"));
    type("myvariable=21;\n");
    EXPECT_TRUE(waitFor(">"));
    type("myvar\t*2\n");
    EXPECT_TRUE(waitFor("42")) << seen;
    EXPECT_TRUE(waitFor(">"));
    type("function twice(x) := 2*x\n");
    EXPECT_TRUE(waitFor(">"));
    type("twi\t(5)\n");
    EXPECT_TRUE(waitFor("10")) << seen;
}

}  // namespace kalix
