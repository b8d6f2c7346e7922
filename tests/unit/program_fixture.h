// A fixture for tests that run programs: a stack of its own, the tables
// sorted as at an interpreter start, output captured.
#pragma once

#include <gtest/gtest.h>

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
#include "interpreter_state_fixture.h"

// Programs run from a temporary file as `load` runs them.
class ProgramTest : public InterpreterStateTest {
  protected:
    std::vector<uint64_t> block;
    char buffer[65536];

    void SetUp() override {
        InterpreterStateTest::SetUp();
        block.assign((4 << 20) / 8 + stackGuardBytes / 8, 0);
        ramstart = reinterpret_cast<char*>(block.data());
        ramend = ramstart + (4 << 20);
        newram = startlocal = endlocal = functionsEnd = topStartLocal = topEndLocal = ramstart;
        errorCode = 0;
        functionState = functionTopLevel;
        callDepth = 0;
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
        captureDestination = captureLimit = nullptr;
        clearAliases();
        clearGlobals();
        markFunctionIndexStale();
        errorCode = 0;
        functionState = functionTopLevel;
        scanPointer = lineStart = inputLine;
        inputLine[0] = 0;
        ramstart = ramend = newram = startlocal = endlocal = nullptr;
        functionsEnd = topStartLocal = topEndLocal = nullptr;
        InterpreterStateTest::TearDown();
    }

    void startCapture() {
        buffer[0] = 0;
        captureDestination = buffer;
        captureLimit = buffer + sizeof buffer;
    }

    std::string output() {
        std::string text = buffer;
        startCapture();
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
        return code;
    }
};
