#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/base_directory.h"
#include "base/registry.h"
#include "base/setting_keys.h"
#include "base/settings.h"
#include "settings_folder.h"
#include "threaded_suite.h"

namespace kalix {

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// A fresh temporary directory as HOME and XDG_CONFIG_HOME for each test.
class SettingsTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kalix-settings-XXXXXX";
        root = mkdtemp(pattern);
        home.emplace("HOME");
        config.emplace(root / "config");
        setenv("HOME", (root / "home").c_str(), 1);
        fs::create_directories(root / "home");
    }
    void TearDown() override {
        home.reset();
        config.reset();
        fs::remove_all(root);
    }
    fs::path registryFile() const { return root / "config" / "kalix" / "settings"; }
    // A run whose base directory is root/chosen and whose per-user file
    // holds `registry`; returns the profile's path.
    fs::path startRun(SettingsStore& store, const std::string& registry) {
        fs::path chosen = root / "chosen";
        fs::create_directories(chosen / "Kalix Files");
        chooseBaseDirectory(chosen.c_str());
        writeFile(registryFile(), registry);
        readSettingsAtStart(store);
        return chosen / ".kalix.profile";
    }

    fs::path root;

  private:
    std::optional<KeptVariable> home;
    std::optional<PrivateSettingsFolder> config;
};

THREADED_SUITE(SettingsTest);

TEST_F(SettingsTest, ProfileLines) {
    fs::path profile = root / "profile";
    writeFile(profile,
              "quoted=\"20\"\n"
              "bare=20\n"
              "empty=\n"
              "emptyquoted=\"\"\n"
              "inner=\"say \"hi\"\"\n"
              "crlf=\"x\"\r\n"
              "spaced = \"v\"\n"
              "equals=\"a=b\"\n"
              "open=\"half\n"
              "Case=upper\n"
              "quoted=\"second\"\n"
              "this line has no equals sign\n"
              "after=\"lost\"\n");
    SettingsStore store("settings");
    store.loadProfile(profile.c_str());
    ASSERT_TRUE(store.hasProfile());
    struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"quoted", "20"},  // the first entry of a name counts
        {"bare", "20"},    {"empty", ""},         {"emptyquoted", ""},  {"inner", "say \"hi\""},
        {"crlf", "x"},     {"spaced ", " \"v\""}, {"equals", "a=b"},    {"open", "half"},
        {"Case", "upper"}, {"case", "default"},   {"after", "default"},  // behind the line without
                                                                         // '='
    };
    for (const auto& c : cases)
        EXPECT_STREQ(store.getSetting(c.name, "default"), c.expected) << c.name;
    EXPECT_EQ(store.readIntSetting("quoted", 1), 20);
    EXPECT_EQ(store.readIntSetting("bare", 1), 20);
}

TEST_F(SettingsTest, LongProfileLinesAreReadWhole) {
    fs::path profile = root / "profile";
    std::string longValue(3000, 'p');
    writeFile(profile, "browserdir=\"" + longValue + "\"\nspaces=\"0\"\n");
    SettingsStore store("settings");
    store.loadProfile(profile.c_str());
    EXPECT_EQ(store.getSetting("browserdir", ""), longValue);
    EXPECT_EQ(store.readIntSetting("spaces", 1), 0);
}

TEST_F(SettingsTest, MissingKeyGivesDefaultNotRegistryValue) {
    writeFile(registryFile(), "spaces=\"0\"\ncommas=\"0\"\n");
    SettingsStore store("settings");
    EXPECT_EQ(store.readIntSetting("spaces", 1), 0);  // no profile: registry
    fs::path profile = root / "profile";
    writeFile(profile, "commas=\"1\"\n");
    store.loadProfile(profile.c_str());
    EXPECT_EQ(store.readIntSetting("spaces", 1), 1);
    EXPECT_EQ(store.readIntSetting("commas", 0), 1);
}

TEST_F(SettingsTest, WritesWithAProfileAreReadBackAndLeaveTheRegistryAlone) {
    fs::path profile = root / "profile";
    writeFile(profile, "allowoverwrite=\"0\"\n");
    SettingsStore store("settings");
    store.loadProfile(profile.c_str());
    store.writeIntSetting("allowoverwrite", 1);
    store.writeIntSetting("spaces", 0);
    EXPECT_EQ(store.readIntSetting("allowoverwrite", 0), 1);
    EXPECT_EQ(store.readIntSetting("spaces", 1), 0);
    EXPECT_FALSE(fs::exists(registryFile()));
}

TEST_F(SettingsTest, EmptyProfileFallsBackToRegistry) {
    writeFile(registryFile(), "spaces=\"0\"\n");
    fs::path profile = root / "profile";
    writeFile(profile, "");
    SettingsStore store("settings");
    store.loadProfile(profile.c_str());
    EXPECT_FALSE(store.hasProfile());
    EXPECT_EQ(store.readIntSetting("spaces", 1), 0);
}

TEST_F(SettingsTest, NumbersAreReadWithDefaults) {
    fs::path profile = root / "profile";
    writeFile(profile,
              "plain=\"20\"\nblank=\" 21\"\nplus=\"+7\"\nminus=\"-3\"\ntrailing=\"12abc\"\n"
              "word=\"abc\"\nnothing=\"\"\nhuge=\"99999999999\"\nreal=\"1.5e3\"\ncomma=\"2,5\"\n");
    SettingsStore store("settings");
    store.loadProfile(profile.c_str());
    struct {
        const char* name;
        int expected;
    } ints[] = {{"plain", 20}, {"blank", 21},   {"plus", 7},  {"minus", -3},   {"trailing", 12},
                {"word", 99},  {"nothing", 99}, {"huge", 99}, {"missing", 99}, {"real", 1}};
    for (const auto& c : ints) EXPECT_EQ(store.readIntSetting(c.name, 99), c.expected) << c.name;
    EXPECT_EQ(store.readColorSetting("minus", 5), -3);
    EXPECT_DOUBLE_EQ(store.readDoubleSetting("real", 0.5), 1500.0);
    EXPECT_DOUBLE_EQ(store.readDoubleSetting("minus", 0.5), -3.0);
    EXPECT_DOUBLE_EQ(store.readDoubleSetting("comma", 0.5), 2.0);
    EXPECT_DOUBLE_EQ(store.readDoubleSetting("word", 0.5), 0.5);
}

TEST_F(SettingsTest, RegistryFileReadWriteDelete) {
    SettingsStore store("settings");
    store.writeSetting("textfontname", "Mono");
    store.writeIntSetting("spaces", 0);
    store.writeDoubleSetting("aspect", 1.0);
    store.writeColorSetting("color3", 16711680);
    EXPECT_EQ(readFile(registryFile()),
              "textfontname=\"Mono\"\nspaces=\"0\"\naspect=\"1.000000000000000e+00\"\ncolor3="
              "\"16711680\"\n");
    store.writeSetting("textfontname", "Other");
    EXPECT_STREQ(store.getSetting("textfontname", ""), "Other");
    EXPECT_DOUBLE_EQ(store.readDoubleSetting("aspect", 0), 1.0);
    store.deleteSetting("spaces");
    EXPECT_EQ(store.readIntSetting("spaces", 1), 1);
    EXPECT_STREQ(store.getSetting("textfontname", ""), "Other");
    store.deleteRegistryKey();
    EXPECT_FALSE(fs::exists(registryFile()));
    EXPECT_STREQ(store.getSetting("textfontname", "gone"), "gone");
}

TEST_F(SettingsTest, RegistryFollowsTheEnvironment) {
    std::string config = (root / "config").string();
    std::string value;
    registryWrite("settings", "spaces", "0");
    ASSERT_EQ(registryRead("settings", "spaces", value), 1);
    unsetenv("XDG_CONFIG_HOME");
    registryWrite("settings", "spaces", "2");
    EXPECT_TRUE(fs::exists(root / "home" / ".config" / "kalix" / "settings"));
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ASSERT_EQ(registryRead("settings", "spaces", value), 1);
    EXPECT_EQ(value, "0");
    setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    ASSERT_EQ(registryRead("settings", "spaces", value), 1);
    EXPECT_EQ(value, "2");
    EXPECT_EQ(registryRead("settings", "commas", value), 0);
}

TEST_F(SettingsTest, FrozenStoreReadsDefaultsAndWritesNothing) {
    writeFile(registryFile(), "spaces=\"0\"\n");
    SettingsStore store("settings");
    store.setFrozen(1);
    EXPECT_EQ(store.readIntSetting("spaces", 1), 1);
    EXPECT_STREQ(store.getSetting("spaces", "d"), "d");
    store.writeIntSetting("commas", 0);
    store.deleteSetting("spaces");
    store.deleteRegistryKey();
    EXPECT_EQ(readFile(registryFile()), "spaces=\"0\"\n");
}

TEST_F(SettingsTest, ProfileWritingOncePerNameAndOnlyWhenComplete) {
    fs::path profile = root / "out.profile";
    writeFile(profile, "old=\"kept until close\"\n");
    SettingsStore store("settings");
    ASSERT_TRUE(store.openProfileForWriting(profile.c_str()));
    store.writeSetting("usecolors", "1");
    store.writeSetting("usecolors", "0");  // the second line would be dead
    store.writeSetting("search", "two\nlines");
    store.writeSetting("after", "still read");
    EXPECT_EQ(readFile(profile), "old=\"kept until close\"\n");
    EXPECT_EQ(store.closeProfile(), 1);
    EXPECT_EQ(readFile(profile), "usecolors=\"1\"\nsearch=\"two lines\"\nafter=\"still read\"\n");
    EXPECT_FALSE(fs::exists(registryFile()));

    SettingsStore next("settings");
    next.loadProfile(profile.c_str());
    EXPECT_STREQ(next.getSetting("after", ""), "still read");

    EXPECT_EQ(store.openProfileForWriting((root / "no such dir" / "p").c_str()), 0);
    store.writeSetting("search", "x");  // falls back to the registry
    testing::internal::CaptureStderr();
    EXPECT_EQ(store.closeProfile(), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no such dir/p"), std::string::npos);
    EXPECT_EQ(readFile(registryFile()), "search=\"x\"\n");
}

// An exit that changes nothing leaves the profile file alone (replacing it
// costs a rename, which can wait for the disk); a changed one is replaced.
TEST_F(SettingsTest, AnUnchangedProfileIsNotReplaced) {
    fs::path profile = root / "same.profile";
    auto writeProfile = [&](const char* value) {
        SettingsStore store("settings");
        EXPECT_EQ(store.openProfileForWriting(profile.c_str()), 1);
        store.writeSetting("first", "1");
        store.writeSetting("second", value);
        EXPECT_EQ(store.closeProfile(), 1);
    };
    auto inode = [&] {
        struct stat status {};
        EXPECT_EQ(stat(profile.c_str(), &status), 0);
        return status.st_ino;
    };
    writeProfile("two");
    chmod(profile.c_str(), 0600);
    ino_t before = inode();
    writeProfile("two");
    EXPECT_EQ(inode(), before);
    writeProfile("three");
    EXPECT_NE(inode(), before);
    EXPECT_EQ(readFile(profile), "first=\"1\"\nsecond=\"three\"\n");
    struct stat status {};
    stat(profile.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0600u) << "the access rights are kept";
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 2)
        << "temporary files left";  // the profile and home/
}

TEST_F(SettingsTest, ScreenKeysAndTableDefaults) {
    screenKeyPrefix = "1920-1080-";
    EXPECT_STREQ(makeScreenKey("wtext"), "1920-1080-wtext");
    EXPECT_EQ(intSetting(makeScreenKey("wtext")), 700);
    writeIntSetting(makeScreenKey("wtext"), 800);
    EXPECT_EQ(intSetting(makeScreenKey("wtext")), 800);
    screenKeyPrefix = "1366-768-";  // another screen keeps its own layout
    EXPECT_EQ(intSetting(makeScreenKey("wtext")), 700);
    screenKeyPrefix = "";

    EXPECT_EQ(intSetting("reportindex"), 1);
    EXPECT_EQ(intSetting("stacksize64"), 1024);
    EXPECT_EQ(intSetting("no such key"), 0);
    EXPECT_EQ(intSetting("xtext"), 0);  // worked out at start
    EXPECT_DOUBLE_EQ(doubleSetting("aspect"), 1.0);
    EXPECT_STREQ(textSetting("textfontname"), "Courier New");
    EXPECT_EQ(readIntSetting("spaces", 5), 5);
    writeIntSetting("spaces", 0);
    EXPECT_EQ(intSetting("spaces"), 0);
}

THREADED_SUITE(SettingKeys);

TEST(SettingKeys, Table) {
    std::set<std::string> names;
    for (int i = 0; i < settingKeyCount; i++) {
        const SettingKey& key = settingKeys[i];
        EXPECT_TRUE(names.insert(key.name).second) << "twice: " << key.name;
        if (key.type == settingInt &&
            !(key.flags & (settingComputedDefault | settingWrittenOnly))) {
            char* end;
            std::strtol(key.defaultText, &end, 10);
            EXPECT_TRUE(key.defaultText[0] && *end == 0) << key.name;
        }
        EXPECT_EQ(key.count > 0, std::string(key.name).find("%d") != std::string::npos) << key.name;
    }
    const char* interpreterKeys[] = {"stacksize64",      "startinmaximamode",
                                     "allowsymbolicdp",  "enablemaxima",
                                     "spaces",           "commas",
                                     "brackets",         "assignments",
                                     "allowoverwrite",   "allowvaroverwrite",
                                     "reportindex",      "insertsmaller",
                                     "fixlinelength",    "alwaysrelax",
                                     "conditionvectors", "askexec"};
    for (const char* name : interpreterKeys) {
        const SettingKey* key = findSettingKey(name);
        ASSERT_NE(key, nullptr) << name;
        EXPECT_EQ(key->type, settingInt) << name;
    }
    struct {
        const char* name;
        const char* row;
    } numbered[] = {
        {"color0", "color%d"},         {"color15", "color%d"},  {"color16", nullptr},
        {"color01", nullptr},          {"color", nullptr},      {"color1x", nullptr},
        {"textcolor5", "textcolor%d"}, {"textcolor6", nullptr}, {"recent19", "recent%d"},
        {"recent20", nullptr}};
    for (const auto& c : numbered) {
        const SettingKey* key = findSettingKey(c.name);
        if (c.row) {
            ASSERT_NE(key, nullptr) << c.name;
            EXPECT_STREQ(key->name, c.row);
        } else {
            EXPECT_EQ(key, nullptr) << c.name;
        }
    }
}

// Without "-home" the program directory is the base only for the owner of
// its "Kalix Files" folder; everyone else keeps the base, the profile and
// the files folder in their own home.
TEST_F(SettingsTest, AFolderBesideTheProgramMovesOnlyItsOwnersSettings) {
    chooseBaseDirectory(nullptr);
    fs::path home = root / "home";
    EXPECT_EQ(std::string(baseDir.getText()), home.string() + "/");
    EXPECT_EQ(std::string(userFilesDir.getText()), home.string() + "/Kalix Files/");
    EXPECT_EQ(std::string(profilePath.getText()), home.string() + "/.kalix.profile");
    fs::path beside = fs::path(programDir.getText()) / "Kalix Files";
    ASSERT_FALSE(fs::exists(beside)) << "left from another run";
    fs::create_directories(beside);
    if (geteuid() == 0) {
        // Made by another user: a shared folder.
        ASSERT_EQ(chown(beside.c_str(), 4321, 4321), 0);
        chooseBaseDirectory(nullptr);
        EXPECT_EQ(std::string(baseDir.getText()), home.string() + "/");
        EXPECT_EQ(std::string(userFilesDir.getText()), home.string() + "/Kalix Files/");
        ASSERT_EQ(chown(beside.c_str(), 0, 0), 0);
    }
    chooseBaseDirectory(nullptr);
    EXPECT_EQ(std::string(baseDir.getText()), programDir.getText());
    EXPECT_EQ(std::string(userFilesDir.getText()), beside.string() + "/");
    fs::remove(beside);
}

TEST_F(SettingsTest, BaseDirectoryFromHomeOption) {
    fs::path chosen = root / "chosen";
    fs::create_directories(chosen);
    chooseBaseDirectory(("\"" + chosen.string() + "\"").c_str());
    EXPECT_TRUE(fs::is_directory(chosen / "Kalix Files"));
    EXPECT_EQ(std::string(baseDir.getText()), chosen.string() + "/");
    EXPECT_EQ(std::string(userFilesDir.getText()), chosen.string() + "/Kalix Files/");
    EXPECT_EQ(std::string(profilePath.getText()), chosen.string() + "/.kalix.profile");
    EXPECT_TRUE(programDir.endsWith("/"));
    EXPECT_TRUE(homeDir.endsWith("/"));
    EXPECT_EQ(saveprofile, 1);

    fs::create_directories(root / "relative");
    fs::path start = fs::current_path();
    fs::current_path(root);
    chooseBaseDirectory("relative");
    fs::current_path(start);
    EXPECT_EQ(std::string(baseDir.getText()), (fs::canonical(root) / "relative").string() + "/");
}

TEST_F(SettingsTest, BaseDirectoryFallsBackToHome) {
    chooseBaseDirectory(nullptr);  // no "Kalix Files" beside the test program
    EXPECT_EQ(std::string(userFilesDir.getText()), (root / "home").string() + "/Kalix Files/");
    EXPECT_EQ(std::string(baseDir.getText()), (root / "home").string() + "/");
    EXPECT_EQ(std::string(profilePath.getText()), (root / "home" / ".kalix.profile").string());

    // A -home folder that can't be made falls back as well.
    writeFile(root / "file", "");
    chooseBaseDirectory((root / "file").c_str());
    EXPECT_EQ(std::string(baseDir.getText()), (root / "home").string() + "/");
}

void writeLiveValues(SettingsStore& store) {
    store.writeIntSetting("spaces", 1);
    store.writeSetting("search", "live");
}

// The profile's lines as name and value, in file order.
std::vector<std::pair<std::string, std::string>> profileEntries(const fs::path& path) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::istringstream in(readFile(path));
    std::string line;
    while (std::getline(in, line)) {
        size_t equals = line.find('=');
        entries.push_back(
            {line.substr(0, equals), line.substr(equals + 2, line.size() - equals - 3)});
    }
    return entries;
}

std::string valueOf(const std::vector<std::pair<std::string, std::string>>& entries,
                    const std::string& name) {
    for (const auto& [key, value] : entries)
        if (key == name) return value;
    return "(missing)";
}

TEST_F(SettingsTest, RegistryMigratesToProfileAtExit) {
    SettingsStore first("settings");
    fs::path profile =
        startRun(first, "spaces=\"0\"\ntextfontname=\"Mono\"\nsearch=\"old\"\nstarted=\"0\"\n");
    EXPECT_EQ(profileMissing, 1);
    EXPECT_EQ(first.readIntSetting("spaces", 1), 0);
    EXPECT_EQ(first.readIntSetting("started", 0), 0);
    EXPECT_EQ(writeSettingsAtExit(writeLiveValues, first), 1);
    EXPECT_FALSE(fs::exists(registryFile()));
    auto entries = profileEntries(profile);
    for (auto [name, value] : {std::pair{"spaces", "1"},
                               {"search", "live"},
                               {"saveprofile", "1"},
                               {"started", "1"},
                               {"textfontname", "Mono"},
                               {"commas", "1"}})
        EXPECT_EQ(valueOf(entries, name), value) << name;

    // The next run reads the profile and keeps the per-user file it finds;
    // a run that changes nothing writes the same profile again.
    std::string written = readFile(profile);
    SettingsStore second("settings");
    startRun(second, "spaces=\"0\"\n");
    EXPECT_EQ(profileMissing, 0);
    EXPECT_EQ(second.readIntSetting("spaces", 0), 1);
    EXPECT_STREQ(second.getSetting("textfontname", ""), "Mono");
    EXPECT_EQ(second.readIntSetting("started", 0), 1);
    EXPECT_EQ(writeSettingsAtExit(nullptr, second), 1);
    EXPECT_TRUE(fs::exists(registryFile()));
    EXPECT_EQ(readFile(profile), written);
}

// Holding Shift at the end freezes the store: the profile stays byte for
// byte as it was (not emptied) and the per-user file is kept.
TEST_F(SettingsTest, FrozenExitLeavesProfileAndRegistryAlone) {
    SettingsStore store("settings");
    fs::path profile = startRun(store, "spaces=\"0\"\n");
    std::string before = "textfont=\"20\"\nspaces=\"1\"\r\nrecent0=\"/a.kn\"\n";
    writeFile(profile, before);
    store.setFrozen(1);
    EXPECT_EQ(writeSettingsAtExit(writeLiveValues, store), 0);
    EXPECT_EQ(readFile(profile), before);
    EXPECT_EQ(readFile(registryFile()), "spaces=\"0\"\n");
    EXPECT_FALSE(fs::exists(profile.string() + ".new"));
}

TEST_F(SettingsTest, ExitWritesEveryKeyInTheProfileOrder) {
    SettingsStore store("settings");
    fs::path profile = startRun(store,
                                "mystery=\"kept\"\nrecent0=\"/a.kn\"\nrecent1=\"\"\n"
                                "recent2=\"/b.kn\"\ncolor3=\"5\"\nusecolors=\"0\"\n");
    screenKeyPrefix = "1920-1080-";
    store.writeIntSetting(makeScreenKey("xtext"), 10);
    EXPECT_EQ(writeSettingsAtExit(nullptr, store), 1);
    screenKeyPrefix = "";
    std::vector<std::string> names;
    for (const auto& entry : profileEntries(profile)) names.push_back(entry.first);
    // Geometry worked out at start is written only when stored; fixed
    // defaults of screen keys are written under the screen's prefix.
    std::vector<std::string> head(names.begin(), names.begin() + 7);
    EXPECT_EQ(head, (std::vector<std::string>{"1920-1080-xtext", "1920-1080-wtext",
                                              "1920-1080-htext", "1920-1080-hgraphics", "search",
                                              "printer", "savewithantialias"}));
    auto at = [&](const std::string& name) {
        return int(std::find(names.begin(), names.end(), name) - names.begin());
    };
    // A stored palette colour stays in its place; the others are not
    // written (their values are worked out at start).
    EXPECT_EQ(at("color3"), at("graphicsfontname") + 1);
    EXPECT_EQ(at("scalelines"), at("color3") + 1);
    EXPECT_EQ(at("maximacallstring"), at("CODE_PAGE") + 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "usecolors"), 1);
    // Then "started", the recent files without empty ones, and whatever
    // else was stored.
    std::vector<std::string> tail(names.end() - 5, names.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"respectfoldinglatex", "started", "recent0",
                                              "recent2", "mystery"}));
    EXPECT_EQ(names.size(), std::set<std::string>(names.begin(), names.end()).size());
}

TEST_F(SettingsTest, DeletedSettingsStayDeletedAtExit) {
    SettingsStore store("settings");
    fs::path profile = startRun(store, "");
    writeFile(profile, "recent0=\"/a.kn\"\nrecent1=\"/b.kn\"\nrecent0=\"/c.kn\"\n");
    readSettingsAtStart(store);
    store.deleteSetting("recent0");
    EXPECT_STREQ(store.getSetting("recent0", "none"), "none");
    EXPECT_STREQ(store.getSetting("recent1", "none"), "/b.kn");
    EXPECT_EQ(writeSettingsAtExit(nullptr, store), 1);
    auto entries = profileEntries(profile);
    EXPECT_EQ(valueOf(entries, "recent0"), "(missing)");
    EXPECT_EQ(valueOf(entries, "recent1"), "/b.kn");
}

// Processes that end at the same time each write a whole profile of their
// own (a temporary file per process, renamed over the profile): the last
// one replaces the profile, none mixes into another's.
TEST_F(SettingsTest, ProfilesWrittenAtTheSameTimeStayWhole) {
    fs::path profile = root / "shared.profile";
    std::string value(300, 'v');
    SettingsStore first("settings"), second("settings");
    ASSERT_EQ(first.openProfileForWriting(profile.c_str()), 1);
    ASSERT_EQ(second.openProfileForWriting(profile.c_str()), 1);
    std::string expected;
    for (int i = 0; i < 2000; i++) {
        std::string name = "key" + std::to_string(i);
        first.writeSetting(name.c_str(), "first");
        second.writeSetting(name.c_str(), value.c_str());
        expected += name + "=\"" + value + "\"\n";
    }
    EXPECT_EQ(first.closeProfile(), 1);
    EXPECT_EQ(second.closeProfile(), 1);
    EXPECT_EQ(readFile(profile), expected);
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 2)
        << "temporary files left";  // the profile and home/
}

// A profile that cannot be replaced leaves the settings in the per-user
// file, and standard error says so.
TEST_F(SettingsTest, ProfileThatCannotBeReplacedGoesToTheSettingsFile) {
    fs::path chosen = root / "chosen";
    fs::create_directories(chosen / ".kalix.profile");  // a directory in the way
    SettingsStore store("settings");
    startRun(store, "search=\"kept\"\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(writeSettingsAtExit(writeLiveValues, store), 0);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(".kalix.profile"), std::string::npos) << said;
    EXPECT_NE(said.find(registryFile().string()), std::string::npos) << said;
    // The whole list of keys went there, the live values among them.
    std::string written = readFile(registryFile());
    for (const char* line :
         {"search=\"live\"\n", "spaces=\"1\"\n", "saveprofile=\"1\"\n", "started=\"1\"\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line << written;
    EXPECT_TRUE(fs::is_directory(chosen / ".kalix.profile"));
}

// A profile without write permission in a writable folder is the user's
// frozen choice: it stays as it is (the rename would replace it), and the
// settings go to the per-user file.
TEST_F(SettingsTest, ReadOnlyProfileIsKeptAndTheSettingsGoToTheSettingsFile) {
    SettingsStore store("settings");
    fs::path profile = startRun(store, "");
    std::string before = "search=\"kept\"\nspaces=\"0\"\n";
    writeFile(profile, before);
    readSettingsAtStart(store);
    chmod(profile.c_str(), 0444);
    testing::internal::CaptureStderr();
    EXPECT_EQ(writeSettingsAtExit(writeLiveValues, store), 0);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("read-only"), std::string::npos) << said;
    EXPECT_EQ(readFile(profile), before);
    EXPECT_EQ(fs::status(profile).permissions() & fs::perms::all, fs::perms(0444));
    std::string written = readFile(registryFile());
    for (const char* line : {"search=\"live\"\n", "spaces=\"1\"\n", "started=\"1\"\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line << written;
    chmod(profile.c_str(), 0644);
}

// A profile folder where no temporary file can be made (read-only, or
// gone since the start) sends the settings to the per-user file too.
TEST_F(SettingsTest, ProfileFolderWithoutRoomGoesToTheSettingsFile) {
    const struct {
        const char* name;
        void (*spoil)(const fs::path& folder);
    } cases[] = {
        {"read-only", [](const fs::path& folder) { chmod(folder.c_str(), 0555); }},
        {"gone", [](const fs::path& folder) { fs::remove_all(folder); }},
    };
    for (const auto& c : cases) {
        // The owner of every file writes into a read-only folder all the same.
        if (geteuid() == 0 && std::string(c.name) == "read-only") continue;
        SettingsStore store("settings");
        fs::path profile = startRun(store, "search=\"kept\"\n");
        c.spoil(profile.parent_path());
        testing::internal::CaptureStderr();
        EXPECT_EQ(writeSettingsAtExit(writeLiveValues, store), 0) << c.name;
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("its temporary file could not be made"), std::string::npos) << said;
        EXPECT_NE(said.find(registryFile().string()), std::string::npos) << said;
        std::string written = readFile(registryFile());
        EXPECT_NE(written.find("search=\"live\"\n"), std::string::npos) << c.name << written;
        chmod(profile.parent_path().c_str(), 0755);
        fs::remove_all(profile.parent_path());
    }
}

// "-reset": the recent files are gone from the profile and from the
// per-user file, and the font keys are written with their current values.
TEST_F(SettingsTest, ResetForgetsRecentFilesAndWritesFontKeys) {
    fs::path chosen = root / "chosen";
    writeFile(chosen / ".kalix.profile",
              "recent0=\"/a.kn\"\ntextfont=\"20\"\nrecent1=\"/b.kn\"\nsearch=\"s\"\n");
    SettingsStore store("settings");
    fs::path profile = startRun(store, "recent2=\"/c.kn\"\nspaces=\"0\"\n");
    resetSettings(store);
    EXPECT_STREQ(store.getSetting("recent0", "none"), "none");
    EXPECT_STREQ(store.getSetting("recent1", "none"), "none");
    EXPECT_EQ(readFile(registryFile()), "spaces=\"0\"\n");
    EXPECT_EQ(writeSettingsAtExit(nullptr, store), 1);
    std::string written = readFile(profile);
    EXPECT_EQ(written.find("recent"), std::string::npos) << written;
    for (const char* line : {"saveprofile=\"1\"\n", "started=\"1\"\n", "textfont=\"20\"\n",
                             "search=\"s\"\n", "graphicslines=\"40\"\n",
                             "textfontname=\"Courier New\"\n", "graphicsfontname=\"Arial\"\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line << written;
}

}  // namespace

// Readers and writers on many threads at once: the menus and dialogs write
// on the GUI thread while the interpreter reads and writes on its own, and
// the update check writes from a third. Every read sees a whole value (the
// stored one or the default), and the profile written at the end holds
// every write.
TEST_F(SettingsTest, ManyReadersAndWritersAtOnce) {
    fs::path profile = root / "profile";
    std::string preloaded;
    for (int i = 0; i < 40; i++) preloaded += "base" + std::to_string(i) + "=\"0\"\n";
    writeFile(profile, preloaded);
    SettingsStore store("settings");
    store.loadProfile(profile.c_str());

    constexpr int writers = 4, readers = 4, keysPerWriter = 400;
    // Long values, so that a read of a moved or freed value shows.
    auto valueFor = [](int writer, int i) {
        return "w" + std::to_string(writer) + "-" + std::to_string(i) + std::string(40, 'x');
    };
    std::atomic<int> badReads{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < writers; t++)
        threads.emplace_back([&, t] {
            for (int i = 0; i < keysPerWriter; i++) {
                std::string name = "new" + std::to_string(t) + "-" + std::to_string(i);
                store.writeSetting(name.c_str(), valueFor(t, i).c_str());
                store.writeIntSetting(("base" + std::to_string(i % 40)).c_str(), i);
                if (i % 50 == 49) store.deleteSetting(name.c_str());
            }
        });
    for (int t = 0; t < readers; t++)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 3 * keysPerWriter; i++) {
                int writer = (t + i) % writers, index = i % keysPerWriter;
                std::string name = "new" + std::to_string(writer) + "-" + std::to_string(index);
                std::string read = store.getSetting(name.c_str(), "none");
                if (read != "none" && read != valueFor(writer, index)) badReads++;
                int number = store.readIntSetting(("base" + std::to_string(i % 40)).c_str(), -1);
                if (number < 0 || number >= keysPerWriter) badReads++;
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(badReads, 0);

    ASSERT_EQ(store.openProfileForWriting(profile.c_str()), 1);
    store.writeStoredSettings();
    ASSERT_EQ(store.closeProfile(), 1);
    auto entries = profileEntries(profile);
    EXPECT_EQ(entries.size(), 40u + writers * (keysPerWriter - keysPerWriter / 50));
    for (int t = 0; t < writers; t++)
        for (int i = 0; i < keysPerWriter; i++) {
            std::string name = "new" + std::to_string(t) + "-" + std::to_string(i);
            EXPECT_EQ(valueOf(entries, name), i % 50 == 49 ? "(missing)" : valueFor(t, i)) << name;
        }
}

}  // namespace kalix
