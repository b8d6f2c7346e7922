#include "interpreter/expression_input.h"

#include <cstring>
#include <vector>

#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "platform/host.h"

namespace kalix {

bool readAnswerLine(const char* prompt, char* line) {
    printText(prompt);
    printText("? ");
    inputBuiltinActive = 1;
    int read = readInputLine(line);
    inputBuiltinActive = 0;
    if (read == 0) {
        fail(errorInterrupt, "Interrupt\n");
        return false;
    }
    if (read == inputLineTooLong) {
        fail(errorFailed, "Line too long!\n");
        return false;
    }
    return true;
}

namespace {

// Evaluates the answer in single-line mode: no further line may be
// fetched and ".." continues nothing.
void evaluateAnswer(char* answer) {
    char* savedScan = scanPointer;
    int savedEvaluating = evaluatingString;
    int savedInput = inputEvaluating;
    FunctionState savedState = functionState;
    evaluatingString = 1;
    inputEvaluating = 1;
    // In a running body the line reader would move on to the next line.
    if (functionState != functionTopLevel) functionState = functionEvaluatingString;
    scanPointer = answer;
    evaluateToValues();
    functionState = savedState;
    inputEvaluating = savedInput;
    evaluatingString = savedEvaluating;
    scanPointer = savedScan;
}

}  // namespace

header* inputExpression(const char* prompt, bool emptyLineEnds) {
    // Each question has a line of its own: an answer may ask again.
    std::vector<char> line(inputBufferSize);
    char* entry = newram;
    for (;;) {
        if (!readAnswerLine(prompt, line.data())) {
            if (errorCode == errorInterrupt) return nullptr;
            errorCode = 0;  // a refused line is a wrong answer
        } else if (std::strcmp(line.data(), "escape") == 0 || (emptyLineEnds && !line[0])) {
            errorCode = errorInterrupt;
            return nullptr;
        } else {
            evaluateAnswer(line.data());
            if (!errorCode && newram > entry) {
                header* first = recordAt(entry);
                newram = endOf(first);
                return first;
            }
        }
        printText("Error in input!\n");
        errorCode = 0;
        newram = entry;
    }
}

}  // namespace kalix
