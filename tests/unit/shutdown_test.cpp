// The end of the program: the exit sequence, and the program itself ended
// by quitting, by a signal that asks it to end, and by a crash.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/shutdown.h"
#include "base/base_directory.h"
#include "kalix_program.h"
#include "platform/host.h"
#include "settings_folder.h"
#include "threaded_suite.h"
#include "waiting.h"

namespace kalix {

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// A base directory with "Kalix Files" and a per-user settings folder of
// its own; removed at the end.
class ExitTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kalix-exit-XXXXXX";
        root = mkdtemp(pattern);
        fs::create_directories(root / "base" / "Kalix Files");
        fs::create_directories(root / "config");
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path profile() const { return root / "base" / ".kalix.profile"; }
    fs::path registry() const { return root / "config" / "kalix" / "settings"; }

    fs::path root;
};

// --- the exit sequence -----------------------------------------------------------

class ExitSequenceTest : public ExitTest {
  protected:
    void SetUp() override {
        ExitTest::SetUp();
        config.emplace(root / "config");
    }
    void TearDown() override {
        config.reset();
        secondInstance = 0;
        ExitTest::TearDown();
    }
    // Starts a run on `store` whose profile holds `text`, and ends it.
    int endRun(SettingsStore& store, const std::string& text, int shift) {
        writeFile(profile(), text);
        chooseBaseDirectory((root / "base").c_str());
        readSettingsAtStart(store);
        store.writeIntSetting("spaces", 0);  // a change of this run
        ExitSequence exit;
        exit.store = &store;
        exit.shiftKeyHeld = shift ? [] { return 1; } : [] { return 0; };
        return runExitSequence(exit);
    }

    std::optional<PrivateSettingsFolder> config;
};

// Shift held at the end (the keyboard-state query says so): the profile
// stays byte for byte as it was, odd lines and all.
TEST_F(ExitSequenceTest, ShiftHeldLeavesTheProfileAsItWas) {
    std::string before = "spaces=\"1\"\r\ntextfont=20\nrecent0=\"/a b.kn\"\nno equals sign\n";
    SettingsStore store("settings");
    EXPECT_EQ(endRun(store, before, 1), 0);
    EXPECT_EQ(readFile(profile()), before);
    EXPECT_FALSE(fs::exists(registry()));

    SettingsStore again("settings");
    EXPECT_EQ(endRun(again, before, 0), 1);
    std::string after = readFile(profile());
    EXPECT_NE(after.find("spaces=\"0\"\n"), std::string::npos) << after;
    EXPECT_NE(after.find("textfont=\"20\"\n"), std::string::npos) << after;
    EXPECT_NE(after.find("recent0=\"/a b.kn\"\n"), std::string::npos) << after;
}

TEST_F(ExitSequenceTest, ASecondInstanceWritesNothing) {
    secondInstance = 1;
    SettingsStore store("settings");
    EXPECT_EQ(endRun(store, "spaces=\"1\"\n", 0), 0);
    EXPECT_EQ(readFile(profile()), "spaces=\"1\"\n");
}

// --- the program -----------------------------------------------------------------

// The program run in the test's directory with its settings there; standard
// input is a pipe the test holds open (or /dev/null for the window).
class ProgramEnd : public ExitTest {
  protected:
    void SetUp() override {
        ExitTest::SetUp();
        program = kalixProgramPath();
        if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no kalix at " << program;
    }
    void TearDown() override {
        if (child > 0) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        if (input >= 0) close(input);
        ExitTest::TearDown();
    }

    // Starts kalix with `arguments`; in the window (offscreen) when `window`.
    void start(std::vector<std::string> arguments, bool window) {
        arguments.insert(arguments.begin(), {program, "-home", (root / "base").string()});
        std::vector<char*> argv;
        for (std::string& word : arguments) argv.push_back(word.data());
        argv.push_back(nullptr);
        std::vector<std::string> variables = {"HOME=" + (root / "home").string(),
                                              "XDG_CONFIG_HOME=" + (root / "config").string(),
                                              "PATH=" + std::string(std::getenv("PATH"))};
        // A checking build's options (its suppressions) hold for the child too.
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"})
            if (const char* value = std::getenv(name))
                variables.push_back(std::string(name) + "=" + value);
        if (window) {
            // A remote display name is taken as reachable; the offscreen
            // platform never opens it.
            variables.push_back("DISPLAY=localhost:99");
            variables.push_back("QT_QPA_PLATFORM=offscreen");
        }
        std::vector<char*> environment;
        for (std::string& v : variables) environment.push_back(v.data());
        environment.push_back(nullptr);
        fs::create_directories(root / "home");
        int pipeEnds[2];
        ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (window)
            posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        else
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
        posix_spawn_file_actions_addopen(&actions, 1, (root / "out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, (root / "err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, root.c_str());
        ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(),
                              environment.data()),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[0]);
        input = pipeEnds[1];
    }
    // Waits for the program's end; its wait status (-1 when it runs on).
    int finish() {
        if (input >= 0) close(input);
        input = -1;
        int status = -1;
        if (!waitUntil([&] { return waitpid(child, &status, WNOHANG) == child; })) return -1;
        child = -1;
        return status;
    }
    // The program's child processes.
    std::vector<pid_t> children() const { return childrenOf(child); }
    std::string log() const { return readFile(root / "home" / "Kalix" / "kalixlog.txt"); }

    std::string program;
    pid_t child = -1;
    int input = -1;
};

// The crash report; a signal sent to the process may reach any thread, so
// the place is either.
bool holdsCrashReport(const std::string& text) {
    const std::string rest =
        ")!\n\nPlease help me to remove this bug and\nreport the crash with sufficient details "
        "to\n\nThank you!\n";
    for (const char* place : {"in GUI", "in Code"})
        if (text.find(std::string("Sorry, Kalix crashed (Code b, ") + place + rest) !=
            std::string::npos)
            return true;
    return false;
}

THREADED_SUITE(ProgramEnd);

TEST_F(ProgramEnd, TheCodePageAndEverySettingSurviveAStartQuitStartCycle) {
    // A first run reads the per-user file, writes the profile and removes
    // the file.
    writeFile(registry(), "usecolors=\"0\"\nspaces=\"0\"\n");
    writeFile(root / "cp.k", "char(130)\n");
    start({"-codepage", "437", "cp.k"}, false);
    EXPECT_EQ(WEXITSTATUS(finish()), 0);
    EXPECT_EQ(readFile(root / "out"), "\xC3\xA9\n");  // é in code page 437
    EXPECT_FALSE(fs::exists(registry()));
    std::string first = readFile(profile());
    for (const char* line : {"CODE_PAGE=\"437\"\n", "usecolors=\"0\"\n", "spaces=\"0\"\n",
                             "started=\"1\"\n", "saveprofile=\"1\"\n", "textcolor0=\"0\"\n"})
        EXPECT_NE(first.find(line), std::string::npos) << line << first;
    EXPECT_EQ(first.find("\ncolor0="), std::string::npos) << first;

    start({"cp.k"}, false);
    EXPECT_EQ(WEXITSTATUS(finish()), 0);
    EXPECT_EQ(readFile(root / "out"), "\xC3\xA9\n");
    EXPECT_EQ(readFile(profile()), first);
}

// The window program stores its window's place and size; the next run
// opens it there, so the profile comes back unchanged.
TEST_F(ProgramEnd, TheWindowProgramWritesTheSameProfileEachRun) {
    writeFile(root / "quit.k", "1+1\nquit\n");
    std::string profiles[2];
    for (std::string& written : profiles) {
        start({"quit.k"}, true);
        int status = finish();
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        written = readFile(profile());
    }
    // The window keys lead, with the screen's prefix ("800-800-xtext").
    std::string firstLine = profiles[0].substr(0, profiles[0].find('\n'));
    EXPECT_NE(firstLine.find("-xtext=\""), std::string::npos) << profiles[0];
    EXPECT_NE(profiles[0].find("textmax=\"0\""), std::string::npos) << profiles[0];
    EXPECT_EQ(profiles[1], profiles[0]);
}

TEST_F(ProgramEnd, ACrashIsReportedOnStandardErrorAndInTheLog) {
    writeFile(profile(), "logging=\"1\"\n");
    writeFile(root / "ready.k", "\"ready\"\n");
    start({"ready.k"}, false);
    ASSERT_TRUE(waitUntil([this] { return readFile(root / "out") == "ready\n"; }));
    kill(child, SIGSEGV);
    int status = finish();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_TRUE(holdsCrashReport(readFile(root / "err"))) << readFile(root / "err");
    EXPECT_TRUE(holdsCrashReport(log())) << log();
    // No settings are written after a crash.
    EXPECT_EQ(readFile(profile()), "logging=\"1\"\n");
}

TEST_F(ProgramEnd, ACrashOfTheWindowProgramIsReported) {
    writeFile(profile(), "logging=\"1\"\n");
    writeFile(root / "ready.k", "\"ready\"\n");
    start({"ready.k"}, true);
    ASSERT_TRUE(waitUntil([this] { return log().find("load ") != std::string::npos; }));
    kill(child, SIGSEGV);
    int status = finish();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_TRUE(holdsCrashReport(readFile(root / "err"))) << readFile(root / "err");
    EXPECT_TRUE(holdsCrashReport(log())) << log();
}

// SIGTERM during `exec` of a long child, on the terminal and in the window:
// the child ends, the settings are written and the program ends normally.
TEST_F(ProgramEnd, QuittingDuringExecLeavesNoChild) {
    for (bool window : {false, true}) {
        // Not a first start: the quick tips would start a viewer of their own.
        writeFile(profile(), "askexec=\"0\"\nlogging=\"1\"\nstarted=\"1\"\n");
        writeFile(root / "long.k", "exec(\"sleep\", \"1000\", \"\", 0, 1, 1)\n");
        start({"long.k"}, window);
        std::vector<pid_t> started;
        ASSERT_TRUE(waitUntil([&] { return !(started = children()).empty(); })) << window;
        kill(child, SIGTERM);
        int status = finish();
        ASSERT_TRUE(WIFEXITED(status)) << window;
        EXPECT_EQ(WEXITSTATUS(status), 0) << window;
        for (pid_t pid : started)
            EXPECT_TRUE(waitUntil([pid] { return processEnded(pid); }))
                << pid << " " << readFile("/proc/" + std::to_string(pid) + "/cmdline");
        std::string text = log();
        EXPECT_NE(text.find("End KXW process\nConfiguration saved\nEnd logging\n"),
                  std::string::npos)
            << text;
        EXPECT_NE(readFile(profile()).find("started=\"1\""), std::string::npos);
    }
}

// A child started without waiting outlives a waited exec after it; execkill
// ends it and its process group, and so does quitting without execkill.
TEST_F(ProgramEnd, ABackgroundChildSurvivesWaitedExecsAndEndsWithExeckillOrQuit) {
    writeFile(profile(), "askexec=\"0\"\n");
    writeFile(root / "s78.sh", "#!/bin/sh\nsleep 78\n");
    fs::permissions(root / "s78.sh", fs::perms::owner_all);
    for (bool killFirst : {true, false}) {
        start({}, false);
        std::string first = "exec(\"./s78.sh\",\"\",\"\",1,1,0)\n";
        ASSERT_EQ(write(input, first.data(), first.size()), ssize_t(first.size()));
        std::vector<pid_t> started;
        ASSERT_TRUE(waitUntil([&] { return !(started = children()).empty(); })) << killFirst;
        pid_t script = started[0];
        // The script's sleep runs in the script's process group.
        ASSERT_TRUE(waitUntil([&] {
            return readFile("/proc/" + std::to_string(script) + "/task/" + std::to_string(script) +
                            "/children") != "";
        }));
        std::string rest = "exec(\"/bin/true\",\"\",\"\",1,1,1)\n";
        rest += killFirst ? "execkill()\n\"killed\"\n" : "";
        ASSERT_EQ(write(input, rest.data(), rest.size()), ssize_t(rest.size()));
        if (killFirst) {
            ASSERT_TRUE(waitUntil(
                [&] { return readFile(root / "out").find("killed") != std::string::npos; }));
            EXPECT_TRUE(waitUntil([&] { return kill(-script, 0) != 0; })) << "execkill";
        }
        ASSERT_EQ(write(input, "quit\n", 5), 5);
        int status = finish();
        ASSERT_TRUE(WIFEXITED(status)) << killFirst;
        EXPECT_TRUE(waitUntil([&] { return kill(-script, 0) != 0; })) << killFirst;
        kill(-script, SIGKILL);
    }
}

// SIGTERM while Maxima computes: Maxima answered a first command and waits
// (its process sleeps); the long command comes, and a process of Maxima's
// runs.
TEST_F(ProgramEnd, QuittingDuringAMaximaComputationLeavesNoMaxima) {
    if (system("command -v maxima >/dev/null 2>&1") != 0) GTEST_SKIP() << "no maxima";
    writeFile(profile(), "askexec=\"0\"\n");
    writeFile(root / "first.k", "mxm(\"40+2\")\n");
    start({"first.k"}, false);
    std::vector<pid_t> started;
    ASSERT_TRUE(waitUntil([&] { return !(started = children()).empty(); }));
    ASSERT_TRUE(waitUntil([&] { return readFile(root / "out") == "42\n"; }))
        << readFile(root / "out");
    auto maximaRuns = [this] {
        std::vector<pid_t> below = children();
        for (size_t i = 0; i < below.size(); i++) {
            if (stateIn("/proc/" + std::to_string(below[i]) + "/stat") == 'R') return true;
            for (pid_t next : childrenOf(below[i])) below.push_back(next);
        }
        return false;
    };
    ASSERT_TRUE(waitUntil([&] { return !maximaRuns(); }));
    std::string command = "a &= block([s:0],for i:1 thru 1000000000 do s:s+i,s)\n";
    ASSERT_EQ(write(input, command.data(), command.size()), ssize_t(command.size()));
    ASSERT_TRUE(waitUntil(maximaRuns));
    kill(child, SIGTERM);
    int status = finish();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    for (pid_t pid : started) {
        EXPECT_TRUE(waitUntil([pid] { return processEnded(pid); })) << pid;
        // Nothing of its process group is left either.
        EXPECT_TRUE(waitUntil([pid] { return kill(-pid, 0) != 0; })) << pid;
    }
}

}  // namespace

}  // namespace kalix
