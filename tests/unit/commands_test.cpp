// The command table: lookup of command words and dispatch.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "interpreter/commands.h"
#include "interpreter/main_loop.h"
#include "interpreter/scanner.h"
#include "stack_fixture.h"

namespace kalix {

class CommandsTest : public SmallStack {
  protected:
    void SetUp() override {
        SmallStack::SetUp();
        sortCommands();
        functionState = functionTopLevel;
        runState = runStateRun;
    }
    void scanFrom(const char* text) {
        std::snprintf(inputLine, inputLineSize, "%s", text);
        scanPointer = inputLine;
    }
};

TEST_F(CommandsTest, TableIsSortedByteWise) {
    ASSERT_GT(commandCount, 1);
    for (int i = 1; i < commandCount; i++)
        EXPECT_LT(std::strcmp(commandTable[i - 1].name, commandTable[i].name), 0);
    EXPECT_EQ(commandTable[commandCount].name, nullptr);
    const CommandRecord* quit = lookupCommandName("quit");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->kind, commandQuit);
    EXPECT_EQ(lookupCommandName("restart")->kind, commandTopLevel);
    EXPECT_EQ(lookupCommandName("quitx"), nullptr);
}

TEST_F(CommandsTest, FindCommandReadsOnlyLetters) {
    struct Case {
        const char* text;
        const char* command;  // null: none
        int length;
    } cases[] = {
        {"quit;", "quit", 4},  {"quit1", "quit", 4},  // digits end the word
        {"quit_x", "quit", 4},                        // so does "_"
        {"quits", nullptr, 5}, {"restartrestarts", nullptr, 15},
        {"1quit", nullptr, 0},
    };
    for (const Case& c : cases) {
        scanFrom(c.text);
        int length = -1;
        const CommandRecord* row = findCommand(&length);
        if (c.command) {
            ASSERT_NE(row, nullptr) << c.text;
            EXPECT_STREQ(row->name, c.command) << c.text;
        } else {
            EXPECT_EQ(row, nullptr) << c.text;
        }
        EXPECT_EQ(length, c.length) << c.text;
        EXPECT_EQ(scanPointer, inputLine) << c.text;
    }
    // Sixteen letters are never a command, even when fifteen spell one.
    scanFrom("restartaaaaaaaaa");
    int length = 0;
    EXPECT_EQ(findCommand(&length), nullptr);
}

TEST_F(CommandsTest, DispatchRunsTheHandlerAndSkipsOneSeparator) {
    scanFrom("quit;;");
    EXPECT_EQ(dispatchCommand(), 1);
    EXPECT_EQ(runState, runStateQuit);
    EXPECT_EQ(lastCommandKind, commandQuit);
    EXPECT_STREQ(scanPointer, ";");

    scanFrom("restart, x");
    EXPECT_EQ(dispatchCommand(), 1);
    EXPECT_EQ(runState, runStateRestart);
    EXPECT_STREQ(scanPointer, " x");

    scanFrom("x = 1");
    EXPECT_EQ(dispatchCommand(), 0);
}

TEST_F(CommandsTest, FunctionsRefuseTopLevelCommands) {
    functionState = functionRunning;
    scanFrom("restart");
    EXPECT_EQ(dispatchCommand(), 0);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Cannot execute command restart in a function.\n");
    EXPECT_EQ(runState, runStateRun);

    // A stored command token names the row by its index.
    errorCode = 0;
    char token[16] = {commandToken};
    int32_t index = commandIndex(lookupCommandName("quit"));
    std::memcpy(token + 1, &index, 4);
    scanPointer = token;
    EXPECT_EQ(dispatchCommand(), 1);
    EXPECT_EQ(runState, runStateQuit);
    EXPECT_EQ(scanPointer, token + 9);
    functionState = functionTopLevel;
}

TEST_F(CommandsTest, InFunctionsAnAssignableCommandWordCanBeAVariable) {
    functionState = functionRunning;
    scanFrom("cd = 5");
    EXPECT_EQ(dispatchCommand(), 0);
    EXPECT_EQ(errorCode, 0);
    scanFrom("cd := 5");
    EXPECT_EQ(dispatchCommand(), 0);
    functionState = functionTopLevel;
}

}  // namespace kalix
