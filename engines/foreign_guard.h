// Calls into foreign code (C functions, the Python bridge) guarded against
// fatal signals, and the interpreter state such a call may leave half
// changed when it faults inside a callback into the interpreter.
#pragma once

#include <csetjmp>

#include "interpreter/stack.h"
#include "interpreter/state.h"
#include "platform/foreign_call_guard.h"

namespace kalix {

// What a fault inside a foreign call (or inside the interpreter code it
// called back) may leave changed: the call context, the stack top, the
// call depth, the records held by frames the jump abandoned, the target of
// the machine-stack guard.
struct InterpreterSnapshot {
    CallContext context;
    double globalEpsilon;
    char* newram;
    int callDepth;
    int semicolonPosition;
    int functionEntryActive;
    StackRef* newestStackRef;
    sigjmp_buf* overflowTarget;
};
InterpreterSnapshot takeInterpreterSnapshot();
void restoreInterpreterSnapshot(const InterpreterSnapshot& snapshot);

// Prepares the guard once: the machine-stack guard installs its handler
// first, so that the foreign-call guard passes other faults on to it.
void prepareForeignCalls();

// Runs call() under the guard; 0 when it returned, else the signal number
// (the interpreter state is then put back as it was before the call).
template <typename Call>
int runForeignCall(Call& call) {
    prepareForeignCalls();
    InterpreterSnapshot snapshot = takeInterpreterSnapshot();
    int signal = runGuardedForeignCall([](void* c) { (*static_cast<Call*>(c))(); }, &call);
    if (signal) restoreInterpreterSnapshot(snapshot);
    return signal;
}

}  // namespace kalix
