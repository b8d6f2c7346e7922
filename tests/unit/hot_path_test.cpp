// The shortcuts of the statement path: the command index, the prefix and
// blank scanners, and the per-thread cache of intSetting.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "base/settings.h"
#include "interpreter/commands.h"
#include "interpreter/main_loop.h"
#include "interpreter/scanner.h"
#include "settings_folder.h"
#include "threaded_suite.h"

namespace kalix {

namespace fs = std::filesystem;

namespace {

// The row a plain search of the table finds, or null.
const CommandRecord* rowNamed(const std::string& name) {
    for (int i = 0; i < commandCount; i++)
        if (name == commandTable[i].name) return &commandTable[i];
    return nullptr;
}

TEST(CommandIndex, AgreesWithAPlainSearch) {
    sortCommands();
    ASSERT_GT(commandCount, 1);
    for (int i = 0; i < commandCount; i++) {
        std::string name = commandTable[i].name;
        for (const std::string& word :
             {name, name + "x", name.substr(0, name.size() - 1), "x" + name})
            EXPECT_EQ(lookupCommandName(word.c_str()), rowNamed(word)) << word;
    }
    EXPECT_EQ(lookupCommandName(""), nullptr);
    EXPECT_EQ(lookupCommandName("s"), nullptr);
}

// A skip steps over the whole prefix or not at all; an empty prefix is
// there but takes no step.
TEST(Scanner, HasPrefix) {
    struct {
        const char* text;
        const char* prefix;
        bool expected;
        int step;
    } cases[] = {
        {"kalix x", "kalix ", true, 6},
        {"kalix", "kalix ", false, 0},
        {"", "//", false, 0},
        {"//", "//", true, 2},
        {"x", "", true, 0},
        {"/*", "//", false, 0},
        {"::: x", "::", true, 2},
        {"\xEF\xBB\xBFx", "\xEF\xBB\xBF", true, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hasPrefix(c.text, c.prefix), c.expected) << c.text << " " << c.prefix;
        EXPECT_EQ(prefixLength(c.text, c.prefix), c.step) << c.text << " " << c.prefix;
        char text[16];
        std::snprintf(text, sizeof text, "%s", c.text);
        char* p = text;
        EXPECT_EQ(skipPrefix(p, c.prefix), c.step > 0) << c.text << " " << c.prefix;
        EXPECT_EQ(p - text, c.step) << c.text << " " << c.prefix;
    }
}

TEST(Scanner, SkipBlanksResultAndPosition) {
    struct {
        const char* text;
        int state;  // functionState
        int result;
        int rest;  // bytes left at the scan position
    } cases[] = {
        {"x", 0, 0, 1},         {"  x", 0, 1, 1},       {"\tx", 0, 1, 1},  {"  // note", 0, 1, 0},
        {"// note", 0, 0, 0},   {"  ## note", 0, 1, 7},  // "##" is a comment only in a function
        {"  ## note", 1, 1, 0}, {"  / 2", 0, 1, 3},     {"  .5", 0, 1, 2}, {"  #", 0, 1, 1},
        {"", 0, 0, 0},
    };
    FunctionState savedState = functionState;
    for (const auto& c : cases) {
        std::snprintf(inputLine, inputLineSize, "%s", c.text);
        scanPointer = inputLine;
        functionState = FunctionState(c.state);
        EXPECT_EQ(skipBlanks(), c.result) << c.text;
        EXPECT_EQ(int(std::strlen(scanPointer)), c.rest) << c.text;
    }
    functionState = savedState;
}

// A fresh per-user settings file for each test.
class SettingCacheTest : public testing::Test {
  protected:
    void SetUp() override {
        config.emplace();
        settings.deleteRegistryKey();
    }
    void TearDown() override {
        settings.deleteRegistryKey();
        config.reset();
    }
    std::optional<PrivateSettingsFolder> config;
};

THREADED_SUITE(SettingCacheTest);

TEST_F(SettingCacheTest, WritesAreSeenAtOnce) {
    EXPECT_EQ(intSetting("spaces"), 1);
    EXPECT_EQ(intSetting("spaces"), 1);
    writeIntSetting("spaces", 0);
    EXPECT_EQ(intSetting("spaces"), 0);
    writeIntSetting("spaces", 7);
    EXPECT_EQ(intSetting("spaces"), 7);
    settings.deleteSetting("spaces");
    EXPECT_EQ(intSetting("spaces"), 1);
}

TEST_F(SettingCacheTest, FreezingHidesStoredValues) {
    writeIntSetting("commas", 0);
    EXPECT_EQ(intSetting("commas"), 0);
    settings.setFrozen(1);
    EXPECT_EQ(intSetting("commas"), 1);  // the table's default
    settings.setFrozen(0);
    EXPECT_EQ(intSetting("commas"), 0);
}

// Keys built in one buffer: the text decides, not the address.
TEST_F(SettingCacheTest, OneBufferDifferentKeys) {
    writeIntSetting("reportindex", 0);
    char key[32];
    std::snprintf(key, sizeof key, "reportindex");
    EXPECT_EQ(intSetting(key), 0);
    std::snprintf(key, sizeof key, "stacksize64");
    EXPECT_EQ(intSetting(key), 1024);
    std::snprintf(key, sizeof key, "reportindex");
    EXPECT_EQ(intSetting(key), 0);
}

}  // namespace

}  // namespace kalix
