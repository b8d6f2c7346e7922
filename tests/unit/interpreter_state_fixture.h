// The base of the interpreter's test fixtures: every global of
// interpreter/state.h (and the stack block) is copied before a test and
// put back after it, and the function index starts stale, so that no test
// sees what an earlier one left behind.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "interpreter/function_area.h"
#include "interpreter/function_index.h"
#include "interpreter/state.h"

class InterpreterStateSnapshot {
    struct Field {
        void* address;
        size_t size;
    };
#define STATE_FIELD(x) \
    Field { &(x), sizeof(x) }
    const std::vector<Field> fields = {
        STATE_FIELD(stackBlock),
        STATE_FIELD(ramstart),
        STATE_FIELD(ramend),
        STATE_FIELD(newram),
        STATE_FIELD(startlocal),
        STATE_FIELD(endlocal),
        STATE_FIELD(functionsEnd),
        STATE_FIELD(topStartLocal),
        STATE_FIELD(topEndLocal),
        STATE_FIELD(stackSize),
        STATE_FIELD(errorCode),
        STATE_FIELD(runState),
        STATE_FIELD(functionState),
        STATE_FIELD(lastCommandKind),
        STATE_FIELD(matlabModeSetting),
        STATE_FIELD(inLoop),
        STATE_FIELD(usenanPending),
        STATE_FIELD(interpreterArgs),
        STATE_FIELD(interpreterArgCount),
        STATE_FIELD(scriptFailed),
        STATE_FIELD(returnLoopIndex),
        STATE_FIELD(inputLine),
        STATE_FIELD(scanPointer),
        STATE_FIELD(lineStart),
        STATE_FIELD(loadFile),
        STATE_FIELD(evaluatingString),
        STATE_FIELD(readingDefinitionLine),
        STATE_FIELD(inputAnswerFlag),
        STATE_FIELD(inputEvaluating),
        STATE_FIELD(hardSpaceCode),
        STATE_FIELD(loadFileName),
        STATE_FIELD(pathList),
        STATE_FIELD(pathCount),
        STATE_FIELD(commentsOn),
        STATE_FIELD(relaxMode),
        STATE_FIELD(currentFunction),
        STATE_FIELD(currentFunctionName),
        STATE_FIELD(argumentCount),
        STATE_FIELD(argumentSplit),
        STATE_FIELD(relaxedFunctionMode),
        STATE_FIELD(callDepth),
        STATE_FIELD(traceErrorsMode),
        STATE_FIELD(semicolonPosition),
        STATE_FIELD(definingMaximaFunction),
        STATE_FIELD(traceState),
        STATE_FIELD(indexCopyMode),
        STATE_FIELD(currentEpsilon),
        STATE_FIELD(globalEpsilon),
        STATE_FIELD(errorsOff),
        STATE_FIELD(underflowsOn),
        STATE_FIELD(complexExpressionFlag),
        STATE_FIELD(loopIndex),
        STATE_FIELD(matlabMode),
        STATE_FIELD(easyUnitsMode),
        STATE_FIELD(useGlobalMode),
        STATE_FIELD(yacasMode),
        STATE_FIELD(currentMaximaMode),
        STATE_FIELD(currentPythonMode),
        STATE_FIELD(accuReal),
        STATE_FIELD(accuImag),
        STATE_FIELD(accuKind),
        STATE_FIELD(outputOn),
        STATE_FIELD(outputSuppressed),
        STATE_FIELD(captureDestination),
        STATE_FIELD(captureLimit),
        STATE_FIELD(captureOverflow),
        STATE_FIELD(dumpFile),
        STATE_FIELD(errorShown),
        STATE_FIELD(paddedLine),
        STATE_FIELD(lineLength),
        STATE_FIELD(largeMatricesOn),
        STATE_FIELD(functionKeyTexts),
        STATE_FIELD(formatState),
    };
#undef STATE_FIELD
    std::vector<std::vector<char>> saved;

  public:
    void take() {
        saved.clear();
        for (const Field& f : fields) {
            const char* bytes = static_cast<const char*>(f.address);
            saved.emplace_back(bytes, bytes + f.size);
        }
    }
    void put() const {
        for (size_t k = 0; k < fields.size(); k++)
            std::memcpy(fields[k].address, saved[k].data(), fields[k].size);
    }
};

class InterpreterStateTest : public ::testing::Test {
  protected:
    InterpreterStateSnapshot interpreterState;
    void SetUp() override {
        interpreterState.take();
        markFunctionIndexStale();
    }
    void TearDown() override { interpreterState.put(); }
};
