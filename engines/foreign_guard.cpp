// The interpreter state around guarded foreign calls.
#include "engines/foreign_guard.h"

#include "interpreter/machine_stack.h"
#include "platform/host.h"

namespace kalix {

InterpreterSnapshot takeInterpreterSnapshot() {
    return InterpreterSnapshot{callContext,        globalEpsilon,          newram,
                               callDepth,          semicolonPosition,      functionEntryActive,
                               StackRef::newest(), currentOverflowTarget()};
}

void restoreInterpreterSnapshot(const InterpreterSnapshot& s) {
    callContext = s.context;
    globalEpsilon = s.globalEpsilon;
    newram = s.newram;
    callDepth = s.callDepth;
    semicolonPosition = s.semicolonPosition;
    functionEntryActive = s.functionEntryActive;
    StackRef::forgetNewerThan(s.newestStackRef);
    restoreOverflowTarget(s.overflowTarget);
}

void prepareForeignCalls() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    machineStackNearlyExhausted();
}

}  // namespace kalix
