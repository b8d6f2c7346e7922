// General commands whose output depends on the stack layout.
#include <gtest/gtest.h>

#include <cstdio>

#include "interpreter/commands.h"
#include "interpreter/main_loop.h"
#include "interpreter/scanner.h"
#include "stack_fixture.h"

namespace kalix {

class GeneralCommandsTest : public SmallStack {
  protected:
    void SetUp() override {
        SmallStack::SetUp();
        sortCommands();
        functionState = functionTopLevel;
    }
    void TearDown() override {
        scanPointer = inputLine;
        inputLine[0] = 0;
        SmallStack::TearDown();
    }
    int dispatch(const char* text) {
        std::snprintf(inputLine, inputLineSize, "%s", text);
        scanPointer = inputLine;
        return dispatchCommand();
    }
};

TEST_F(GeneralCommandsTest, HexdumpShowsTheRecordSixteenBytesALine) {
    pushReal(2, "x");
    pushComplex(0, 0, "z");
    endlocal = newram;
    ASSERT_EQ(dispatch("hexdump x"), 1);
    EXPECT_EQ(output(),
              "\nx at        0\n"
              "\n   0  40 00 00 00 00 00 00 00 78 00 00 00 00 00 00 00 @_______x_______"
              "\n  10  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ________________"
              "\n  20  00 00 00 00 00 00 00 00 78 00 00 00 00 00 00 00 ________x_______"
              "\n  30  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 40 _______________@\n");
    // A last line of 8 bytes is padded before its characters.
    ASSERT_EQ(dispatch("hexdump z"), 1);
    std::string text = output();
    EXPECT_EQ(text.rfind("\nz at       40\n", 0), 0u) << text;
    EXPECT_NE(text.find("\n  40  00 00 00 00 00 00 00 00                         ________\n"),
              std::string::npos)
        << text;
    // An unknown name prints nothing.
    ASSERT_EQ(dispatch("hexdump nothing"), 1);
    EXPECT_EQ(output(), "");
    EXPECT_EQ(errorCode, 0);
}

TEST_F(GeneralCommandsTest, ClearallKeepsProtectedDefaultAndPercentNames) {
    for (const char* name : {"a", "%", "defaultx", "b", "p"}) pushReal(1, name);
    endlocal = topEndLocal = newram;
    findNamedRecord(startlocal, endlocal, "p")->flags |= flagProtected;
    ASSERT_EQ(dispatch("clearall;"), 1);
    EXPECT_EQ(errorCode, 0);
    std::string left;
    for (char* p = startlocal; p < endlocal; p += recordAt(p)->size)
        left += std::string(recordAt(p)->name) + " ";
    EXPECT_EQ(left, "% defaultx p ");
    EXPECT_EQ(endlocal, newram);
}

}  // namespace kalix
