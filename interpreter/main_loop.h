// The top of the interpreter: the loop that runs for the life of the
// computation thread, and the statement executor that every statement loop
// (top level, loops, `load`, user-function calls) drives.
#pragma once

#include <cstdint>
#include "interpreter/stack.h"
#include "platform/host.h"

// 0 run, 1 quit, 2 restart; set to 0 at the start of every statement.
enum RunState { runStateRun = 0, runStateQuit = 1, runStateRestart = 2 };
extern int runState;

// 0 top level, 1 running a user function, 2 a return has been executed,
// 3 evaluating a string.
extern int functionState;

extern int64_t stackSize;            // bytes of the interpreter stack
extern int lastCommandKind;          // kind of the command that ran last
extern header* const commandMarker;  // returned when a command ran
extern int matlabModeSetting;        // command `matlab`; copied after each top-level statement
extern int inLoop;                   // a loop body statement runs
extern int usenanPending;            // prefix "usenan " is active
extern char** interpreterArgs;       // command-line words after the program file
extern int interpreterArgCount;
extern int scriptFailed;  // a script ended through an error

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
