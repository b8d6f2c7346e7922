// The crash guard: the report, where it goes, the children it ends, and how
// it shares the fatal signals with the guards of foreign calls and of the
// machine stack.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "interpreter/machine_stack.h"
#include "platform/crash_guard.h"
#include "platform/foreign_call_guard.h"
#include "waiting.h"

namespace kalix {

namespace {

volatile int* volatile nowhere = nullptr;

__attribute__((no_sanitize("undefined"))) void writeThroughNull(void*) { *nowhere = 1; }

// Recursion deep enough to use up the thread's stack.
volatile int recursionLimit = 1 << 30;
__attribute__((noinline)) int recurse(int depth) {
    volatile char frame[512];
    frame[0] = char(depth);
    if (depth >= recursionLimit) return frame[0];
    return recurse(depth + 1) + frame[0];
}

void* overflowStack(void*) {
    prepareCrashGuardThread(crashInCode);
    recurse(0);
    return nullptr;
}

// Runs `body` on a thread prepared as the computation thread is.
void onCodeThread(void (*body)()) {
    std::thread thread([body] {
        prepareCrashGuardThread(crashInCode);
        body();
    });
    thread.join();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts two children that a crash must end (Maxima leads a process
// group, the exec child here does not), lists their pids, and crashes.
void crashWithChildren(const std::string& log, const std::string& pids) {
    installCrashGuard("support@example.org");
    setCrashLogDescriptor(open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644));
    FILE* list = std::fopen(pids.c_str(), "w");
    for (CrashChild slot : {crashChildMaxima, crashChildExec}) {
        char sleep[] = "sleep", seconds[] = "100";
        char* words[] = {sleep, seconds, nullptr};
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        if (slot == crashChildMaxima) {
            posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
            posix_spawnattr_setpgroup(&attributes, 0);
        }
        pid_t child;
        posix_spawnp(&child, "sleep", nullptr, &attributes, words, environ);
        setCrashChildProcess(slot, child, slot == crashChildMaxima);
        std::fprintf(list, "%d\n", int(child));
    }
    std::fclose(list);
    raise(SIGSEGV);
}

constexpr int crashStatus(int signal) { return 128 + signal; }

}  // namespace

TEST(CrashReport, TextNamesCodeAndPlace) {
    struct Case {
        unsigned code;
        CrashPlace place;
        const char* address;
        const char* expected;
    } cases[] = {
        {11, crashInGui, "",
         "Sorry, Kalix crashed (Code b, in GUI)!\n\nPlease help me to remove this bug and\n"
         "report the crash with sufficient details to\n\nThank you!"},
        {0xc0000005u, crashInCode, "help@example.org",
         "Sorry, Kalix crashed (Code c0000005, in Code)!\n\nPlease help me to remove this bug "
         "and\nreport the crash with sufficient details to\n\nhelp@example.org\n\nThank you!"},
        {0, crashInCode, nullptr,
         "Sorry, Kalix crashed (Code 0, in Code)!\n\nPlease help me to remove this bug and\n"
         "report the crash with sufficient details to\n\nThank you!"},
    };
    for (const Case& c : cases) {
        char buffer[512];
        int length = formatCrashReport(buffer, sizeof buffer, c.code, c.place, c.address);
        EXPECT_EQ(std::string(buffer, size_t(length)), c.expected);
    }
    // A short buffer holds the beginning, terminated.
    char small[12];
    EXPECT_EQ(formatCrashReport(small, sizeof small, 11, crashInGui, ""), 11);
    EXPECT_STREQ(small, "Sorry, Kali");
}

TEST(CrashGuardDeath, EverySignalIsReportedWithItsPlace) {
    struct Case {
        int signal;
        const char* code;
    } cases[] = {{SIGSEGV, "b"}, {SIGBUS, "7"}, {SIGFPE, "8"}, {SIGILL, "4"}, {SIGABRT, "6"}};
    for (const Case& c : cases) {
        std::string gui = std::string("Sorry, Kalix crashed \\(Code ") + c.code + ", in GUI\\)!";
        EXPECT_EXIT(
            {
                installCrashGuard("");
                raise(c.signal);
            },
            testing::ExitedWithCode(crashStatus(c.signal)), gui);
    }
    static int signal = SIGFPE;
    EXPECT_EXIT(
        {
            installCrashGuard("");
            onCodeThread([] { raise(signal); });
        },
        testing::ExitedWithCode(crashStatus(SIGFPE)), "crashed \\(Code 8, in Code\\)!");
}

TEST(CrashGuardDeath, AFaultAndAStackOverflowAreReported) {
    EXPECT_EXIT(
        {
            installCrashGuard("");
            writeThroughNull(nullptr);
        },
        testing::ExitedWithCode(crashStatus(SIGSEGV)), "Code b, in GUI\\)!\n\n.*Thank you!");
    // The handler runs on the alternate stack: the thread's own is used up.
    EXPECT_EXIT(
        {
            installCrashGuard("");
            pthread_attr_t attributes;
            pthread_attr_init(&attributes);
            pthread_attr_setstacksize(&attributes, 1 << 20);
            pthread_t thread;
            pthread_create(&thread, &attributes, overflowStack, nullptr);
            pthread_join(thread, nullptr);
        },
        testing::ExitedWithCode(crashStatus(SIGSEGV)), "Code b, in Code\\)!");
    // An exception that escapes to std::terminate aborts: reported too.
    EXPECT_EXIT(
        {
            installCrashGuard("");
            onCodeThread([] { throw std::runtime_error("escaped"); });
        },
        testing::ExitedWithCode(crashStatus(SIGABRT)), "escaped.*Code 6, in Code\\)!");
}

TEST(CrashGuardDeath, TheReportGoesToTheLogAndTheChildrenEnd) {
    char pattern[] = "/tmp/kalix-crash-XXXXXX";
    std::string directory = mkdtemp(pattern);
    std::string log = directory + "/log", pids = directory + "/pids";
    EXPECT_EXIT(crashWithChildren(log, pids), testing::ExitedWithCode(crashStatus(SIGSEGV)),
                "Code b, in GUI");
    EXPECT_EQ(readFile(log),
              "Sorry, Kalix crashed (Code b, in GUI)!\n\nPlease help me to remove this bug and\n"
              "report the crash with sufficient details to\n\nsupport@example.org\n\nThank "
              "you!\n");
    std::istringstream list(readFile(pids));
    int pid, count = 0;
    while (list >> pid) {
        count++;
        EXPECT_TRUE(waitUntil([pid] { return processEnded(pid); })) << pid;
    }
    EXPECT_EQ(count, 2);
    std::system(("rm -rf '" + directory + "'").c_str());
}

// The other guards were installed after the crash guard: they take their
// own faults and pass every other on, a signal sent from outside too.
TEST(CrashGuardDeath, TheOtherGuardsPassOnWhatTheyDoNotTake) {
    EXPECT_EXIT(
        {
            installCrashGuard("");
            if (runGuardedForeignCall(writeThroughNull, nullptr) != SIGSEGV) _exit(1);
            writeThroughNull(nullptr);
        },
        testing::ExitedWithCode(crashStatus(SIGSEGV)), "Code b, in GUI");
    EXPECT_EXIT(
        {
            installCrashGuard("");
            runGuardedForeignCall([](void*) {}, nullptr);
            raise(SIGSEGV);
        },
        testing::ExitedWithCode(crashStatus(SIGSEGV)), "Code b, in GUI");
    EXPECT_EXIT(
        {
            installCrashGuard("");
            onCodeThread([] {
                machineStackNearlyExhausted();  // installs the overflow guard
                raise(SIGSEGV);
            });
        },
        testing::ExitedWithCode(crashStatus(SIGSEGV)), "Code b, in Code");
}

}  // namespace kalix
