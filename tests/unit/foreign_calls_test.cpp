// Platform services of the foreign calls: the guard against faults inside
// foreign code, the permission question, and helper programs run to their
// end with their output kept.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/settings.h"
#include "platform/allow_question.h"
#include "platform/foreign_call_guard.h"
#include "platform/host.h"
#include "platform/processes.h"
#include "settings_folder.h"

namespace kalix {

namespace {

volatile int* volatile nowhere = nullptr;

// The faults must happen, not be caught first by the sanitizer's checks.
__attribute__((no_sanitize("undefined"))) void writeThroughNull(void*) { *nowhere = 1; }
__attribute__((no_sanitize("undefined"))) void divideByZero(void* context) {
    volatile int zero = *static_cast<int*>(context);
    // Not 1 / zero: that becomes a comparison, with no division to fault.
    volatile int result = 7 / zero;
    (void)result;
}
void abortNow(void*) { abort(); }
void returnNormally(void* context) { *static_cast<int*>(context) = 42; }

// A guarded call that faults inside another guarded call.
void nestedFault(void* context) {
    *static_cast<int*>(context) = runGuardedForeignCall(writeThroughNull, nullptr);
}

}  // namespace

TEST(ForeignCallGuard, FaultsInsideACallReturnTheSignal) {
    int zero = 0;
    struct Case {
        void (*call)(void*);
        void* context;
        int signal;
    } cases[] = {
        {writeThroughNull, nullptr, SIGSEGV},
        {divideByZero, &zero, SIGFPE},
        {abortNow, nullptr, SIGABRT},
    };
    // Each fault twice: the guard must work again after a jump.
    for (int round = 0; round < 2; round++)
        for (const Case& c : cases) EXPECT_EQ(runGuardedForeignCall(c.call, c.context), c.signal);
}

TEST(ForeignCallGuard, ACallThatReturnsGivesZero) {
    int value = 0;
    EXPECT_EQ(runGuardedForeignCall(returnNormally, &value), 0);
    EXPECT_EQ(value, 42);
}

TEST(ForeignCallGuard, TheInnermostGuardTakesTheFault) {
    int inner = 0;
    EXPECT_EQ(runGuardedForeignCall(nestedFault, &inner), 0);
    EXPECT_EQ(inner, SIGSEGV);
}

TEST(ForeignCallGuard, OutsideAGuardAFaultStillEndsTheProgram) {
    int value = 0;
    runGuardedForeignCall(returnNormally, &value);
    EXPECT_DEATH(writeThroughNull(nullptr), "");
}

TEST(ProgramOutput, OutputIsKeptAndTheExitStatusReturned) {
    std::string output;
    int status = runProgramCollectingOutput({"sh", "-c", "echo out; echo err >&2; exit 3"}, output);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(output, "out\nerr\n");
}

TEST(ProgramOutput, MuchOutputDoesNotBlockTheChild) {
    // Far more than a pipe holds: the child ends only when it is read.
    std::string output;
    int status = runProgramCollectingOutput({"sh", "-c", "head -c 1000000 /dev/zero"}, output);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output.size(), 1000000u);
}

TEST(ProgramOutput, AMissingProgramIsNotStarted) {
    std::string output;
    EXPECT_EQ(runProgramCollectingOutput({"kalix-no-such-program"}, output), programNotStarted);
    EXPECT_EQ(runProgramCollectingOutput({}, output), programNotStarted);
}

// Settings in a configuration directory of their own; standard input from
// /dev/null, as from a pipe.
class AllowQuestion : public ::testing::Test {
  protected:
    std::optional<PrivateSettingsFolder> config;
    int savedInput = -1;

    void SetUp() override {
        config.emplace();
        settings.deleteRegistryKey();
        savedInput = dup(STDIN_FILENO);
        int empty = open("/dev/null", O_RDONLY);
        dup2(empty, STDIN_FILENO);
        close(empty);
    }

    void TearDown() override {
        dup2(savedInput, STDIN_FILENO);
        close(savedInput);
        settings.deleteRegistryKey();
        config.reset();
    }
};

TEST_F(AllowQuestion, AskexecOffAllowsWithoutAsking) {
    writeIntSetting("askexec", 0);
    int untilRestart = 0;
    EXPECT_TRUE(askAllowed("Allow?", &untilRestart));
    EXPECT_EQ(untilRestart, 0);
}

TEST_F(AllowQuestion, WithoutATerminalTheAnswerIsNo) {
    writeIntSetting("askexec", 1);
    int untilRestart = 0;
    EXPECT_EQ(askAllowDialog("Allow?"), allowNo);
    EXPECT_FALSE(askAllowed("Allow?", &untilRestart));
    // An answer "until restart" given before is not asked again.
    untilRestart = 1;
    EXPECT_TRUE(askAllowed("Allow?", &untilRestart));
}

}  // namespace kalix
