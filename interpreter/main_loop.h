// The top of the interpreter: the loop that runs for the life of the
// computation thread, and the statement executor that every statement loop
// (top level, loops, `load`, user-function calls) drives.
#pragma once

#include <cstdint>
#include "interpreter/stack.h"
#include "interpreter/state.h"
#include "platform/host.h"

namespace kalix {

extern header* const commandMarker;  // returned when a command ran

// What executeNextStatement returns besides a command kind (0 to 17).
constexpr int statementDone = 19;
constexpr int statementStopped = 0;

// Allocates the interpreter stack from the setting "stacksize64"; returns 1
// when it exists.
int allocateStack();
// Body of the computation thread. argv[1] is a program file to load,
// argv[2..] the words for `kalixarg`. Returns the exit status (1 when a
// script ended through an error).
int runInterpreterLoop(int argc, char** argv);
// Executes one statement at the scan position.
int executeNextStatement();
// Runs a command (returns `commandMarker`) or evaluates an expression
// (returns its first record).
header* executeCommandOrExpression();

}  // namespace kalix
