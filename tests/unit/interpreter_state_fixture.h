// The base of the interpreter's test fixtures: every value of
// interpreter/state.h (and the stack block) is copied before a test and
// put back after it, and the function index starts stale, so that no test
// sees what an earlier one left behind.
#pragma once

#include <gtest/gtest.h>

#include "interpreter/function_index.h"
#include "interpreter/state.h"

namespace kalix {

class InterpreterStateTest : public ::testing::Test {
  protected:
    InterpreterState interpreterState;
    void SetUp() override {
        interpreterState = InterpreterState::save();
        markFunctionIndexStale();
    }
    void TearDown() override { interpreterState.restore(); }
};

}  // namespace kalix
