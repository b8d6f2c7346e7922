// The string builtins of the real program in code page 65001, where they
// count, cut, search and case-map characters, and in 1252, where every
// byte is a character and the answers are those of single bytes. The lines
// go in through standard input as a user types them (UTF-8, converted to
// the code page at the terminal).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kalix_program.h"
#include "threaded_suite.h"

namespace kalix {

namespace {

struct CodePageCase {
    const char* line;  // prints one line
    const char* utf8;  // what 65001 prints
    const char* ansi;  // what 1252 prints
};

const CodePageCase cases[] = {
    {"strlen(\"漢字\")", "2", "2"},  // "??" in 1252
    {"strlen(\"äöüß\")", "4", "4"},
    {"strfind(\"äöüß\",\"ü\")", "3", "3"},
    {"strfind(\"äöüß\",\"ß\",-1)", "4", "4"},
    {"strfind(u\"äöüß\",u\"ü\")", "3", "3"},
    {"substring(\"äöüß\",2,3)", "öü", "öü"},
    {"substring(\"äöüß\",-2,-1)", "üß", "üß"},
    {"strtochar(\"äα\")", "[228,  945]", "[228,  63]"},
    {"printf(\"[%6s]\",\"äö\")", "[    äö]", "[    äö]"},
    {"printf(\"[%.3s]\",\"äöü\")", "[äöü]", "[äöü]"},
    {"printf(\"[%-4.3s]\",\"äöüß\")", "[äöü ]", "[äöü ]"},
    {"strlen(printf(\"%c\",228))", "1", "1"},
    {"printf(\"%c\",945)", "α", "±"},  // 945 modulo 256 in 1252
    {"printstr(\"äö\",4,0,\"·\")", "·äö·", "·äö·"},
    {"t=strtokens(\"aöb\",\"ä\")", "aöb", "aöb"},
    {"strrepl(\"äöü\",\"ö\",\"-\")", "ä-ü", "ä-ü"},
    {"toupper(\"äöüßαω\")", "ÄÖÜßΑΩ", "äöüß??"},
    {"tolower(\"ÄÖÜ Σ Ж\")", "äöü σ ж", "ÄÖÜ ? ?"},
    {"{p,m}=strxfind(\"größe=3\",\"(\\w+)=(\\d)\"); p|\" \"|m", "1 größe=3", "5 e=3"},
    {"strxfind(\"x😀y\",\"x.y\")", "1", "1"},
    {"strxfind(\"äöü\",\"ü\")", "3", "3"},
    {"strxrepl(\"äöü\",\"[äö]\",\"x\")", "xxü", "xxü"},
    {"ascii(\"ä\")", "228", "-28"},
    {"char(228)", "ä", "ä"},
    {"strtochar(char(160))", "160", "160"},  // the hard space
    {"chartostr([228,945])", "äα", "ä±"},
};

// Runs the lines through `kalix -codepage <page>` in an empty home; the
// lines it printed.
std::vector<std::string> runLines(int page, const std::string& input) {
    const std::string program = kalixProgramPath();
    char pattern[] = "/tmp/kalix-code-pages-XXXXXX";
    const std::string home = mkdtemp(pattern);
    std::ofstream(home + "/input.k") << input;
    std::string homeSetting = "HOME=" + home;
    std::string configSetting = "XDG_CONFIG_HOME=" + home + "/config";
    std::string localeSetting = "LANG=C.UTF-8";
    std::vector<char*> environment = {homeSetting.data(), configSetting.data(),
                                      localeSetting.data(), nullptr};
    std::string pageWord = std::to_string(page);
    std::vector<std::string> words = {program, "-codepage", pageWord};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (home + "/input.k").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (home + "/output").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child;
    const int failed =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    std::vector<std::string> lines;
    if (failed) return lines;
    int status = 0;
    waitpid(child, &status, 0);
    std::ifstream output(home + "/output");
    for (std::string line; std::getline(output, line);) lines.push_back(line);
    std::system(("rm -rf '" + home + "'").c_str());
    return lines;
}

THREADED_SUITE(StringsInCodePages);

TEST(StringsInCodePages, CharactersIn65001AndBytesIn1252) {
    if (access(kalixProgramPath().c_str(), X_OK) != 0) GTEST_SKIP() << "no kalix";
    std::string input;
    for (const CodePageCase& c : cases) input += std::string(c.line) + "\n";
    for (int page : {65001, 1252}) {
        const std::vector<std::string> lines = runLines(page, input);
        EXPECT_EQ(lines.size(), std::size(cases)) << "code page " << page;
        for (size_t i = 0; i < std::min(lines.size(), std::size(cases)); i++) {
            const char* expected = page == 65001 ? cases[i].utf8 : cases[i].ansi;
            EXPECT_EQ(lines[i], expected) << "code page " << page << ": " << cases[i].line;
        }
    }
}

}  // namespace

}  // namespace kalix
