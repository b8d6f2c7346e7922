// Escape pressed while a solver that calls a user function runs: the
// solver stops with an error and the interpreter stays usable.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/host.h"
#include "terminal/terminal_host.h"
#include "program_fixture.h"

namespace {

class EscapeInSolvers : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        installInterruptHandler();
    }
    // The error of running the program; the code is cleared for the next.
    int runAndClear(const std::string& program) {
        const int code = run(program);
        errorCode = 0;
        return code;
    }
};

TEST_F(EscapeInSolvers, EveryLoopStopsAndTheNextCallWorks) {
    ASSERT_EQ(run("function f(t, y) := -y\n"
                  "function osc(t, y) := [y[2], -y[1]]\n"
                  "function p(x) := (x - 1)^2\n"
                  "function q(v) := v.v'\n"),
              0)
        << output();
    struct Case {
        const char* call;
        const char* message;
    } cases[] = {
        {"lsoda(\"osc\", 0:1:1000, [1, 0], 1e-10, 0, 0)", "Error in lsoda"},
        {"runge1(\"f\", 0, 1, 100000, 1)", "Error in runge1"},
        {"runge2(\"f\", 0, 1000, 1, 1e-12, 0.1)", "Error in runge2"},
        {"brent(\"p\", 0, 0.1, 1e-10)", ""},
        {"nelder(\"q\", [1, 2], 1, 1e-10)", "failed in nelder."},
        {"simplex([1, 2; 3, 1], [4; 6], [1, 1], -1, 1, 1)", ""},
    };
    for (const Case& c : cases) {
        output();
        raise(SIGINT);
        EXPECT_NE(runAndClear(std::string("x = ") + c.call + ";\n"), 0) << c.call;
        EXPECT_NE(output().find(c.message), std::string::npos) << c.call;
        EXPECT_EQ(checkEscape(), 0) << c.call;  // the key was taken
        EXPECT_EQ(runAndClear(std::string("x = ") + c.call + ";\n"), 0) << c.call << output();
    }
}

}  // namespace
