// The copy of the interpreter's state (InterpreterState of state.h).
#include "interpreter/state.h"

#include <cstring>
#include <type_traits>

#include "interpreter/function_area.h"

namespace kalix {

// Calls `visit` on every plain value of state.h and on the stack block
// below the function area, always in this order. A value added to state.h
// is added here.
template <typename Visit>
static void visitState(Visit&& visit) {
    visit(inputLine);
    visit(callContext);
    visit(stackBlock);
    visit(ramstart);
    visit(ramend);
    visit(newram);
    visit(functionsEnd);
    visit(topStartLocal);
    visit(topEndLocal);
    visit(stackSize);
    visit(errorCode);
    visit(runState);
    visit(lastCommandKind);
    visit(matlabModeSetting);
    visit(inLoop);
    visit(usenanPending);
    visit(interpreterArgs);
    visit(interpreterArgCount);
    visit(scriptFailed);
    visit(returnLoopIndex);
    visit(loadFile);
    visit(evaluatingString);
    visit(readingDefinitionLine);
    visit(inputAnswerFlag);
    visit(inputEvaluating);
    visit(hardSpaceCode);
    visit(loadFileName);
    visit(pathList);
    visit(pathCount);
    visit(commentsOn);
    visit(relaxMode);
    visit(callDepth);
    visit(semicolonPosition);
    visit(definingMaximaFunction);
    visit(traceErrorsMode);
    visit(globalEpsilon);
    visit(errorsOff);
    visit(underflowsOn);
    visit(complexExpressionFlag);
    visit(easyUnitsMode);
    visit(yacasMode);
    visit(currentPythonMode);
    visit(accuReal);
    visit(accuImag);
    visit(accuKind);
    visit(outputOn);
    visit(outputSuppressed);
    visit(captureDestination);
    visit(captureLimit);
    visit(captureOverflow);
    visit(dumpFile);
    visit(errorShown);
    visit(paddedLine);
    visit(largeMatricesOn);
    visit(functionKeyTexts);
    visit(formatState);
}

InterpreterState InterpreterState::save() {
    InterpreterState state;
    visitState([&](const auto& value) {
        static_assert(std::is_trivially_copyable_v<std::remove_cvref_t<decltype(value)>>);
        const char* from = reinterpret_cast<const char*>(&value);
        state.bytes.insert(state.bytes.end(), from, from + sizeof value);
    });
    state.savedLineLength = lineLength.load();
    state.savedMaximaMode = currentMaximaMode.load();
    return state;
}

void InterpreterState::restore() const {
    size_t at = 0;
    visitState([&](auto& value) {
        std::memcpy(&value, bytes.data() + at, sizeof value);
        at += sizeof value;
    });
    lineLength = savedLineLength;
    currentMaximaMode = savedMaximaMode;
}

}  // namespace kalix
