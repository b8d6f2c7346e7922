// The base of the interpreter's test fixtures: every value of
// interpreter/state.h is copied before a test and put back after it, so
// that no test sees what an earlier one left behind.
#pragma once

#include <gtest/gtest.h>

#include "interpreter/state.h"

class InterpreterStateTest : public ::testing::Test {
  protected:
    InterpreterState interpreterState;
    void SetUp() override { interpreterState = InterpreterState::save(); }
    void TearDown() override { interpreterState.restore(); }
};
