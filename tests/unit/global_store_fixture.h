// A stack of 256 KB with output captured and empty global stores, for the
// tests of globals and assignment.
#pragma once

#include <gtest/gtest.h>

#include "interpreter_state_fixture.h"

#include <string>
#include <vector>

#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/stack.h"

namespace kalix {

class GlobalStoreTest : public InterpreterStateTest {
  protected:
    static constexpr size_t stackBytes = 1 << 18;
    std::vector<uint64_t> block = std::vector<uint64_t>((stackBytes + stackGuardBytes) / 8);
    std::vector<char> captured = std::vector<char>(1 << 16);

    void SetUp() override {
        InterpreterStateTest::SetUp();
        ramstart = reinterpret_cast<char*>(block.data());
        ramend = ramstart + stackBytes;
        newram = startlocal = endlocal = functionsEnd = topStartLocal = topEndLocal = ramstart;
        errorCode = 0;
        functionState = functionTopLevel;
        indexCopyMode = 0;
        clearGlobals();
        captureDestination = captured.data();
        captureLimit = captured.data() + captured.size();
        captureOverflow = 0;
    }

    void TearDown() override {
        clearGlobals();
        functionState = functionTopLevel;
        captureDestination = captureLimit = nullptr;
        errorCode = 0;
        ramstart = ramend = newram = startlocal = endlocal = nullptr;
        functionsEnd = topStartLocal = topEndLocal = nullptr;
        InterpreterStateTest::TearDown();
    }

    // Everything printed since the last call.
    std::string output() {
        std::string text(captured.data(), captureDestination);
        captureDestination = captured.data();
        return text;
    }
};

}  // namespace kalix
