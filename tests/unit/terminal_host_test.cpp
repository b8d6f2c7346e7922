// Host services of the terminal: Ctrl-C as Escape, waits, code-page
// conversion at the edges, directories and file searches.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "interpreter/notebook_services.h"
#include "interpreter/stack.h"
#include "piped_input.h"
#include "platform/host.h"
#include "terminal/terminal_host.h"
#include "terminal/terminal_keys.h"
#include "threaded_suite.h"
#include "waiting.h"

namespace kalix {

static double secondsOf(void (*action)()) {
    auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

THREADED_SUITE(TerminalHost);

TEST(TerminalHost, InterruptIsTheEscapeKeyOnce) {
    installInterruptHandler();
    EXPECT_EQ(checkEscape(), 0);
    raise(SIGINT);
    EXPECT_EQ(checkEscape(), keyEscape);
    EXPECT_EQ(checkEscape(), 0);
}

TEST(TerminalHost, ShortWaitsSleepAndReadNoKey) {
    installInterruptHandler();
    static int key = -1;
    static int result = -1;
    double slept = secondsOf([] { result = waitSeconds(0.3, &key); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(key, keyNone);
    EXPECT_GE(slept, 0.29);
    key = -1;
    EXPECT_EQ(waitSeconds(0, &key), 0);
    EXPECT_EQ(key, keyNone);
}

TEST(TerminalHost, InterruptEndsALongWaitAsEscape) {
    installInterruptHandler();
    static int key = -1;
    // Ctrl-C once the wait sleeps (the Ctrl-C before a wait counts too).
    std::thread interrupter([waiting = currentThreadId()] {
        waitUntil([waiting] { return threadIsAsleep(waiting); });
        raise(SIGINT);
    });
    double waited = secondsOf([] { waitSeconds(60, &key); });
    interrupter.join();
    EXPECT_LT(waited, 30.0);
    EXPECT_EQ(key, keyEscape);
    EXPECT_EQ(checkEscape(), 0);  // the wait took it
}

class CodePage : public ::testing::Test {
  protected:
    void TearDown() override { selectCodePage(1252); }
};

TEST_F(CodePage, ConversionsAtTheEdges) {
    ASSERT_EQ(selectCodePage(1252), 1);
    std::string text;
    utf8ToCodePage("a\xC3\xA4\xE2\x82\xAC", text);  // a, a-umlaut, euro sign
    EXPECT_EQ(text, "a\xE4\x80");
    codePageToUtf8(text.c_str(), text);
    EXPECT_EQ(text, "a\xC3\xA4\xE2\x82\xAC");
    utf8ToCodePage("\xD0\x96x", text);  // a letter 1252 cannot hold
    EXPECT_EQ(text, "?x");
    utf8ToCodePage("\xE4x", text);  // not UTF-8: already in the code page
    EXPECT_EQ(text, "\xE4x");
    codePageToUtf8("\x81", text);  // a byte 1252 leaves undefined
    EXPECT_EQ(text, "?");
    EXPECT_STREQ(utf8ToAnsi("\xC2\xA0"), "\xA0");
    EXPECT_STREQ(ansiToUtf8("\xA0"), "\xC2\xA0");

    ASSERT_EQ(selectCodePage(65001), 1);
    EXPECT_STREQ(utf8ToAnsi("\xD0\x96"), "\xD0\x96");
    EXPECT_EQ(selectCodePage(99999), 0);
    EXPECT_STREQ(utf8ToAnsi("\xD0\x96"), "\xD0\x96");  // the old code page stays
}

// The locale's character set chooses the default code page; each page
// found must also be one that can be selected.
TEST_F(CodePage, FollowsTheLocaleCharacterSet) {
    struct Case {
        const char* charset;
        int page;
    } cases[] = {
        {"UTF-8", 65001},      {"utf8", 65001},   {"ANSI_X3.4-1968", 65001}, {"", 65001},
        {"ISO-8859-1", 1252},  {"CP1252", 1252},  {"ISO-8859-15", 28605},    {"ISO-8859-7", 28597},
        {"ISO-8859-5", 28595}, {"KOI8-R", 20866}, {"CP1251", 1251},          {"EUC-JP", 65001}};
    for (const Case& c : cases) {
        EXPECT_EQ(codePageOfCharset(c.charset), c.page) << c.charset;
        EXPECT_EQ(selectCodePage(c.page), 1) << c.charset;
    }
    ASSERT_EQ(selectCodePage(28597), 1);  // Greek
    std::string text;
    EXPECT_EQ(utf8ToCodePageLosing("\xCE\xB1\xCE\xB2", text), 0);
    codePageToUtf8(text.c_str(), text);
    EXPECT_EQ(text, "\xCE\xB1\xCE\xB2");
    EXPECT_EQ(utf8ToCodePageLosing("\xD0\x96 \xF0\x9F\x98\x80", text), 2);
    EXPECT_EQ(text, "? ?");
}

TEST(AppendUtf8, WritesOneToFourBytes) {
    struct Case {
        int code;
        const char* bytes;
    } cases[] = {
        {0x41, "A"}, {0xE4, "\xC3\xA4"}, {0x20AC, "\xE2\x82\xAC"}, {0x1F600, "\xF0\x9F\x98\x80"}};
    for (const Case& c : cases) {
        char buffer[8];
        char* end = appendUtf8(c.code, buffer);
        EXPECT_EQ(std::string(buffer, end), c.bytes) << c.code;
    }
}

class Directories : public ::testing::Test {
  protected:
    std::string directory;
    void SetUp() override {
        char pattern[] = "/tmp/kalix-host-XXXXXX";
        directory = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf '" + directory + "'").c_str()); }
};

TEST_F(Directories, FindNextFileListsMatchesAndMarksDirectories) {
    std::ofstream(directory + "/a.k") << "x";
    std::ofstream(directory + "/b.k") << "y";
    std::ofstream(directory + "/c.txt") << "z";
    mkdir((directory + "/d.k").c_str(), 0777);
    std::set<std::string> found;
    for (const char* name = findNextFile((directory + "/*.k").c_str()); name;
         name = findNextFile(nullptr))
        found.insert(name);
    EXPECT_EQ(found, (std::set<std::string>{"a.k", "b.k", "d.k/"}));
    EXPECT_EQ(findNextFile(nullptr), nullptr);

    EXPECT_EQ(findNextFile((directory + "/*.none").c_str()), nullptr);
    EXPECT_EQ(findNextFile(nullptr), nullptr);
}

TEST_F(Directories, FilesAndDirectories) {
    std::string from = directory + "/from";
    std::ofstream(from) << "content";
    EXPECT_EQ(checkFileExists(from.c_str()), 1);
    EXPECT_EQ(copyFile(from.c_str(), (directory + "/to").c_str(), 1), 1);
    std::ifstream copied(directory + "/to");
    std::string text;
    copied >> text;
    EXPECT_EQ(text, "content");
    EXPECT_EQ(copyFile((directory + "/none").c_str(), (directory + "/to2").c_str(), 1), 0);
    EXPECT_EQ(makeDirectory((directory + "/sub").c_str()), 1);

    char start[4096];
    ASSERT_NE(getcwd(start, sizeof start), nullptr);
    std::string before = changeDirectory("");
    EXPECT_EQ(before, start);
    EXPECT_EQ(std::string(changeDirectory((directory + "/missing").c_str())), start);
    std::string moved = changeDirectory((directory + "/sub").c_str());
    EXPECT_EQ(moved.substr(moved.size() - 4), "/sub");
    changeDirectory(start);
}

// A copy that fails half-way leaves no part of it behind: a file of its
// own is removed, a file reached through a link is emptied, a device
// written to stays.
TEST_F(Directories, AFailedCopyLeavesNoPartBehind) {
    std::string from = directory + "/from";
    std::ofstream(from) << std::string(300000, 'x');
    std::string linked = directory + "/linked";
    std::ofstream(linked) << "old";
    ASSERT_EQ(symlink(linked.c_str(), (directory + "/link").c_str()), 0);
    ASSERT_EQ(symlink("/dev/full", (directory + "/full").c_str()), 0);
    // Writes past 100000 bytes fail (EFBIG) while the limit holds.
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto savedSignal = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int own = copyFile(from.c_str(), (directory + "/to").c_str(), 1);
    int throughLink = copyFile(from.c_str(), (directory + "/link").c_str(), 1);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, savedSignal);
    EXPECT_EQ(own, 0);
    EXPECT_EQ(checkFileExists((directory + "/to").c_str()), 0);
    EXPECT_EQ(throughLink, 0);
    struct stat info;
    ASSERT_EQ(stat(linked.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 0);
    EXPECT_EQ(copyFile(from.c_str(), (directory + "/full").c_str(), 1), 0);
    EXPECT_EQ(lstat((directory + "/full").c_str(), &info), 0);
    ASSERT_EQ(stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(Clock, SecondsAdvanceAndTimeFieldsAreInRange) {
    double first = getClockSeconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(getClockSeconds() - first, 0.015);
    int year, month, day, hour, minute, second, millisecond;
    getCurrentTime(&year, &month, &day, &hour, &minute, &second, &millisecond, 1);
    EXPECT_GE(year, 2024);
    EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60 &&
                second <= 60 && millisecond < 1000);
    EXPECT_EQ(isNanValue(std::nan("")), 1);
    EXPECT_EQ(isNanValue(1.0), 0);
}

// Standard input replaced by a pipe that a writer thread fills with `text`.
class PipedInput : public ::testing::Test {
  protected:
    void feed(std::string text) { input = std::make_unique<PipedStandardInput>(std::move(text)); }
    void TearDown() override {
        input.reset();
        errorCode = 0;
        selectCodePage(1252);
    }
    std::unique_ptr<PipedStandardInput> input;
    char line[inputBufferSize];
};

THREADED_SUITE(PipedInput);

TEST_F(PipedInput, LinesUpToTheLimitAreTakenLongerOnesRefused) {
    feed(std::string(0x7fff, '1') + "\n" + std::string(0x8000, '2') + "\r\n");
    errorCode = 0;
    ASSERT_EQ(readInputLine(line), 1);
    EXPECT_EQ(std::strlen(line), 0x7fffu);
    EXPECT_EQ(errorCode, 0);
    ASSERT_EQ(readInputLine(line), inputLineTooLong);
    EXPECT_EQ(std::string(line), std::string(refusedLineStart, '2'));  // its start, for the error
    errorCode = 0;
    EXPECT_EQ(readInputLine(line), 0);  // end of input
}

TEST_F(PipedInput, ConvertedToTheCodePageExceptALeadingByteOrderMark) {
    ASSERT_EQ(selectCodePage(1252), 1);
    feed("\xEF\xBB\xBF\xC3\xA4=1\n\xC3\xA4\xEF\xBB\xBF\n");
    ASSERT_EQ(readInputLine(line), 1);
    EXPECT_STREQ(line, "\xEF\xBB\xBF\xE4=1");  // the executor refuses it
    ASSERT_EQ(readInputLine(line), 1);
    EXPECT_STREQ(line, "\xE4?");
}

TEST(TerminalKeys, QueuedKeysAreDecodedAsATerminalSendsThem) {
    ASSERT_EQ(selectCodePage(1252), 1);
    struct Case {
        const char* bytes;
        int character;
        int code;
    } cases[] = {
        {"\x1b[A", 0, keyCursorUp},   {"\x1b[B", 0, keyCursorDown},
        {"\x1b[D", 0, keyCursorLeft}, {"\x1b[C", 0, keyCursorRight},
        {"\x1bOA", 0, keyCursorUp},   {"\x1b[1;5B", 0, keyCursorDown},  // application mode, Ctrl
        {"\x1b[2~", 0, keyInsert},    {"\x1b[3~", 0, keyDelete},
        {"\x1bOP", 0, keyF1},         {"\x1bOS", 0, keyF1 + 3},    // VT100 F1, F4
        {"\x1b[11~", 0, keyF1},       {"\x1b[15~", 0, keyF1 + 4},  // F1, F5
        {"\x1b[17~", 0, keyF1 + 5},   {"\x1b[21~", 0, keyF1 + 9},  // F6, F10
        {"\x1b[[A", 0, keyF1},        {"\x1b[[E", 0, keyF1 + 4},   // Linux console
        {"\x1b[1;2P", 0, keyF1},      {"\x1b[H", 0, keyNone},      // Shift-F1, Home
        {"\x1b", 0, keyEscape},       {"a", 'a', keyNone},
        {"\n", 13, keyNone},          {"\x7f", 8, keyNone},
        {"\xC3\xA4", 0xE4, keyNone},  // UTF-8 in, code page out
    };
    for (const Case& c : cases) {
        queueKeys(c.bytes);
        int code = -1;
        EXPECT_EQ(waitForKey(&code), c.character) << c.bytes + 1;
        EXPECT_EQ(code, c.code) << c.bytes + 1;
    }
    // An Escape before another key is a key of its own.
    queueKeys("\x1bx");
    int code = -1;
    EXPECT_EQ(waitForKey(&code), 0);
    EXPECT_EQ(code, keyEscape);
    EXPECT_EQ(pollKey(), 'x');
    EXPECT_EQ(pollKey(), 0);
}

TEST_F(PipedInput, KeysComeFromTheInputAndItsEndIsEscape) {
    feed("key()\na\x1b[B\x1b[2~z");
    ASSERT_EQ(readInputLine(line), 1);
    EXPECT_STREQ(line, "key()");
    EXPECT_EQ(pollKey(), 0);  // a poll reads no commands as keys
    struct Key {
        int character;
        int code;
    } keys[] = {{'a', keyNone}, {0, keyCursorDown}, {0, keyInsert}, {'z', keyNone}, {0, keyEscape}};
    for (const Key& k : keys) {
        int code = -1;
        EXPECT_EQ(waitForKey(&code), k.character);
        EXPECT_EQ(code, k.code);
    }
    // Waits of a second and more take no keys from piped input.
    int code = -1;
    EXPECT_EQ(waitSeconds(0, &code), 0);
    EXPECT_EQ(code, keyNone);
}

TEST_F(PipedInput, NobodyAnswersThePermissionQuestion) {
    feed("y\n");
    EXPECT_EQ(askAllowDialog("Allow?"), 2);
    ASSERT_EQ(readInputLine(line), 1);  // the answer stays a command line
    EXPECT_STREQ(line, "y");
}

}  // namespace kalix
