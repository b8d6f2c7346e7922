// Escape pressed while a solver that calls a user function runs: the
// solver stops with an error and the interpreter stays usable.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "platform/host.h"

namespace {

class EscapeInSolvers : public ::testing::Test {
  protected:
    std::vector<uint64_t> block;
    char buffer[1 << 16];

    void SetUp() override {
        block.assign((4 << 20) / 8 + stackGuardBytes / 8, 0);
        ramstart = reinterpret_cast<char*>(block.data());
        ramend = ramstart + (4 << 20);
        newram = startlocal = endlocal = functionsEnd = topStartLocal = topEndLocal = ramstart;
        errorCode = 0;
        functionState = 0;
        callDepth = 0;
        markFunctionIndexStale();
        clearGlobals();
        clearAliases();
        sortBuiltins();
        sortCommands();
        initArgNameHashes();
        currentEpsilon = globalEpsilon = defaultEpsilon;
        installInterruptHandler();
        buffer[0] = 0;
        captureDestination = buffer;
        captureLimit = buffer + sizeof buffer;
    }

    void TearDown() override {
        captureDestination = captureLimit = nullptr;
        clearGlobals();
        markFunctionIndexStale();
        errorCode = 0;
        functionState = 0;
        scanPointer = lineStart = inputLine;
        inputLine[0] = 0;
        ramstart = ramend = newram = startlocal = endlocal = nullptr;
        functionsEnd = topStartLocal = topEndLocal = nullptr;
    }

    std::string output() {
        std::string text(buffer, captureDestination);
        captureDestination = buffer;
        return text;
    }

    // Runs the lines until they end or a statement fails; returns the error.
    int run(const std::string& program) {
        FILE* file = std::tmpfile();
        std::fputs(program.c_str(), file);
        std::rewind(file);
        loadFile = file;
        inputLine[0] = 0;
        scanPointer = inputLine;
        runState = runStateRun;
        int code = 0;
        while (loadFile && !code && runState == runStateRun) {
            topStartLocal = startlocal;
            topEndLocal = endlocal;
            executeNextStatement();
            code = errorCode;
        }
        if (loadFile) std::fclose(loadFile);
        loadFile = nullptr;
        inputLine[0] = 0;
        scanPointer = inputLine;
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
        EXPECT_NE(run(std::string("x = ") + c.call + ";\n"), 0) << c.call;
        EXPECT_NE(output().find(c.message), std::string::npos) << c.call;
        EXPECT_EQ(checkEscape(), 0) << c.call;  // the key was taken
        EXPECT_EQ(run(std::string("x = ") + c.call + ";\n"), 0) << c.call << output();
    }
}

}  // namespace
