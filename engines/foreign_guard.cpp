// The interpreter state around guarded foreign calls.
#include "engines/foreign_guard.h"

#include "interpreter/machine_stack.h"
#include "platform/host.h"

InterpreterSnapshot takeInterpreterSnapshot() {
    return InterpreterSnapshot{saveCallContext(),
                               newram,
                               callDepth,
                               semicolonPosition,
                               functionEntryActive,
                               StackRef::newest(),
                               currentOverflowTarget()};
}

void restoreInterpreterSnapshot(const InterpreterSnapshot& s) {
    const CallContext& c = s.context;
    startlocal = c.startlocal;
    endlocal = c.endlocal;
    scanPointer = c.scanPointer;
    lineStart = c.lineStart;
    functionState = c.functionState;
    currentFunction = c.currentFunction;
    currentFunctionName = c.currentFunctionName;
    argumentCount = c.argumentCount;
    argumentSplit = c.argumentSplit;
    relaxedFunctionMode = c.relaxedFunctionMode;
    matlabMode = c.matlabMode;
    useGlobalMode = c.useGlobalMode;
    indexCopyMode = c.indexCopyMode;
    loopIndex = c.loopIndex;
    currentEpsilon = c.currentEpsilon;
    globalEpsilon = c.globalEpsilon;
    traceState = c.traceState;
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
