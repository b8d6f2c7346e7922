// A fixture for tests that run programs in this process: a stack of its
// own, the tables sorted as at an interpreter start, output captured, and
// lines run from a temporary file as `load` runs them.
#pragma once

#include <gtest/gtest.h>

#include "interpreter_state_fixture.h"

#include <cstdio>
#include <string>
#include <vector>

#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/value_helpers.h"

namespace kalix {

class ProgramTest : public InterpreterStateTest {
  protected:
    std::vector<uint64_t> block;
    std::vector<char> buffer = std::vector<char>(1 << 20);

    void SetUp() override {
        InterpreterStateTest::SetUp();
        block.assign((4 << 20) / 8 + stackGuardBytes / 8, 0);
        ramstart = reinterpret_cast<char*>(block.data());
        ramend = ramstart + (4 << 20);
        newram = startlocal = endlocal = functionsEnd = topStartLocal = topEndLocal = ramstart;
        errorCode = 0;
        functionState = functionTopLevel;
        callDepth = 0;
        traceState = traceErrorsMode = 0;
        markFunctionIndexStale();
        clearGlobals();
        clearAliases();
        sortBuiltins();
        sortCommands();
        initArgNameHashes();
        currentEpsilon = globalEpsilon = defaultEpsilon;
        startCapture();
    }

    void TearDown() override {
        clearAliases();
        clearGlobals();
        markFunctionIndexStale();
        scanPointer = lineStart = inputLine;
        inputLine[0] = 0;
        InterpreterStateTest::TearDown();
    }

    void startCapture() {
        buffer[0] = 0;
        captureDestination = buffer.data();
        captureLimit = buffer.data() + buffer.size();
    }

    // Everything printed since the last call.
    std::string output() {
        std::string text = buffer.data();
        startCapture();
        return text;
    }

    // Runs the lines until they end or (unless `goOn`) a statement fails;
    // a failed statement is shown as the interpreter shows it. Returns the
    // first error.
    int run(const std::string& program, bool goOn = false) {
        FILE* file = std::tmpfile();
        std::fputs(program.c_str(), file);
        std::rewind(file);
        loadFile = file;
        inputLine[0] = 0;
        scanPointer = inputLine;
        runState = runStateRun;
        int code = 0;
        while (loadFile && (!code || goOn) && runState == runStateRun) {
            topStartLocal = startlocal;
            topEndLocal = endlocal;
            executeNextStatement();
            if (!code) code = errorCode;
            if (traceState < 0) traceState = 0;
        }
        if (loadFile) std::fclose(loadFile);
        loadFile = nullptr;
        inputLine[0] = 0;
        scanPointer = inputLine;
        return code;
    }
};

}  // namespace kalix
