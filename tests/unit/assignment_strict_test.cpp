// The setting "assignments" refuses a plain "=" at the top level; a change
// of the setting while the program runs counts from the next statement.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "base/settings.h"
#include "global_store_fixture.h"
#include "interpreter/assignment.h"
#include "interpreter/globals.h"
#include "interpreter/scanner.h"
#include "settings_folder.h"

namespace kalix {

namespace {

class StrictAssignmentTest : public GlobalStoreTest {
  protected:
    std::optional<PrivateSettingsFolder> config;

    void SetUp() override {
        GlobalStoreTest::SetUp();
        config.emplace();
        settings.deleteRegistryKey();
    }

    void TearDown() override {
        settings.deleteRegistryKey();
        config.reset();
        GlobalStoreTest::TearDown();
    }

    // Runs "x<rest>" as a statement; returns what it printed.
    std::string assignX(const char* rest) {
        errorCode = 0;
        newram = endlocal;
        output();
        std::strcpy(inputLine, rest);
        scanPointer = inputLine;
        executeAssignment(pushReference(nullptr, "x"));
        return output();
    }
};

TEST_F(StrictAssignmentTest, SettingChangesCountAtOnce) {
    struct Case {
        int setting;  // -1: removed, the default 0 counts
        const char* rest;
        int code;
        double x;  // the value of x afterwards
    };
    const Case cases[] = {
        {-1, " = 1;", 0, 1}, {1, " = 2;", 1, 1}, {1, " := 3;", 0, 3},
        {0, " = 4;", 0, 4},  {1, "=5;", 1, 4},   {-1, " = 6;", 0, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rest);
        if (c.setting < 0)
            settings.deleteSetting("assignments");
        else
            writeIntSetting("assignments", c.setting);
        std::string printed = assignX(c.rest);
        EXPECT_EQ(errorCode, c.code);
        EXPECT_EQ(printed, c.code ? "Use assignment := in strict mode!\n" : "");
        ASSERT_NE(findGlobal("x"), nullptr);
        EXPECT_EQ(realOf(findGlobal("x")), c.x);
    }
}

// Inside a function "=" stays allowed.
TEST_F(StrictAssignmentTest, FunctionsMayUsePlainAssignment) {
    writeIntSetting("assignments", 1);
    functionState = functionRunning;
    std::string printed = assignX(" = 2;");
    EXPECT_EQ(errorCode, 0) << printed;
}

}  // namespace

}  // namespace kalix
