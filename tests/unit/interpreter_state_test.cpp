// The copy of the interpreter's state that the fixtures take: every kind of
// value in state.h comes back as it was, the call context with it.
#include <gtest/gtest.h>

#include <cstring>

#include "interpreter/state.h"

namespace kalix {

TEST(InterpreterState, RestorePutsBackEveryKindOfValue) {
    InterpreterState before = InterpreterState::save();
    char* scan = scanPointer;
    int loop = loopIndex;
    double epsilon = currentEpsilon;
    int depth = callDepth;
    int length = lineLength;
    int digits = formatState.scalarDigits;
    std::string line = inputLine;
    std::string key = functionKeyTexts[3];

    scanPointer = inputLine + 7;
    loopIndex = loop + 5;
    currentEpsilon = 0.5;
    callDepth = depth + 3;
    lineLength = length + 11;
    formatState.scalarDigits = digits + 2;
    std::strcpy(inputLine, "changed");
    std::strcpy(functionKeyTexts[3], "key");
    EXPECT_EQ(callContext.scanPointer, inputLine + 7);
    EXPECT_EQ(callContext.loopIndex, loop + 5);

    before.restore();
    EXPECT_EQ(scanPointer, scan);
    EXPECT_EQ(loopIndex, loop);
    EXPECT_EQ(currentEpsilon, epsilon);
    EXPECT_EQ(callDepth, depth);
    EXPECT_EQ(lineLength, length);
    EXPECT_EQ(formatState.scalarDigits, digits);
    EXPECT_EQ(std::string(inputLine), line);
    EXPECT_EQ(std::string(functionKeyTexts[3]), key);
}

}  // namespace kalix
