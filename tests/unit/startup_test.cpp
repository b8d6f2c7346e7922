// Start-up: the command-line options, and the program run as a whole on
// program files (kalix FILE, kalix -script FILE).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "kalix_program.h"
#include "threaded_suite.h"

namespace kalix {

static StartupOptions parse(std::vector<std::string> words) {
    words.insert(words.begin(), "kalix");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return parseOptions(int(words.size()), argv.data());
}

TEST(StartupOptions, LeadingOptionsAndTheWordsLeftOver) {
    struct Case {
        std::vector<std::string> words;
        int script;
        const char* home;
        int codePage;
        std::vector<std::string> left;
    } cases[] = {
        {{"-script", "run.k", "a"}, 1, nullptr, 0, {"run.k", "a"}},
        {{"-script"}, 0, nullptr, 0, {"-script"}},              // nothing follows
        {{"-script", "-x"}, 0, nullptr, 0, {"-script", "-x"}},  // an option follows
        {{"-second", "-script", "f"}, 1, nullptr, 0, {"f"}},
        {{"-home", "/h", "-codepage", "1250", "f"}, 0, "/h", 1250, {"f"}},
        {{"-codepage", "0", "f"}, 0, nullptr, 0, {"f"}},  // 0 changes nothing
        {{"-codepage", "x"}, 0, nullptr, 0, {}},
        {{"-codepage", "1250", "-home", "/h"}, 0, nullptr, 1250, {"-home", "/h"}},  // fixed order
        {{"-home"}, 0, nullptr, 0, {"-home"}},                                      // no value
        {{"f", "-script", "g"}, 0, nullptr, 0, {"f", "-script", "g"}},
    };
    for (const Case& c : cases) {
        StartupOptions options = parse(c.words);
        std::string label = c.words.empty() ? "" : c.words[0];
        EXPECT_EQ(options.scriptMode, c.script) << label;
        EXPECT_EQ(options.homeOption, c.home ? c.home : "") << label;
        EXPECT_EQ(options.codePage, c.codePage) << label;
        ASSERT_FALSE(options.words.empty());
        EXPECT_EQ(std::vector<std::string>(options.words.begin() + 1, options.words.end()), c.left)
            << label;
    }
    EXPECT_EQ(parse({"-second", "f"}).secondInstance, 1);
    EXPECT_EQ(parse({"-reset", "f"}).resetRequested, 1);
}

// A single word left that ends in ".kn" is the notebook, with a run mode
// or without (then the window opens it); two words go to the interpreter.
TEST(StartupOptions, ASingleNotebookWordIsTheNotebook) {
    struct Case {
        std::vector<std::string> words;
        int runMode;
        const char* notebook;
        std::vector<std::string> left;
    } cases[] = {
        {{"-run", "nb.kn"}, 1, "nb.kn", {}},
        {{"-xrun", "\"My Notebook.KN\""}, 2, "My Notebook.KN", {}},
        {{"-codepage", "1250", "-run", "-xrun", "nb.kn"}, 2, "nb.kn", {}},
        {{"-run", "prog.k"}, 1, "", {"prog.k"}},          // a program file is loaded
        {{"-run", "nb.kn", "x"}, 1, "", {"nb.kn", "x"}},  // one word only
        {{"nb.kn"}, 0, "nb.kn", {}},                      // without a run mode
        {{"NB.KN"}, 0, "NB.KN", {}},
        {{"-second", "\"a b.Kn\""}, 0, "a b.Kn", {}},
        {{"prog.k", "nb.kn"}, 0, "", {"prog.k", "nb.kn"}},  // a program and its word
        {{"nb.kn", "prog.k"}, 0, "", {"nb.kn", "prog.k"}},
        {{"nb.k"}, 0, "", {"nb.k"}},
        {{".kn"}, 0, "", {".kn"}},
        {{"-xrun", "-run", "nb.kn"}, 2, "", {"-run", "nb.kn"}},  // fixed order
    };
    for (const Case& c : cases) {
        StartupOptions options = parse(c.words);
        EXPECT_EQ(options.runMode, c.runMode) << c.words[0];
        EXPECT_EQ(options.notebook, c.notebook) << c.words[0];
        EXPECT_EQ(std::vector<std::string>(options.words.begin() + 1, options.words.end()), c.left)
            << c.words[0];
    }
}

TEST(StartupOptions, ProgramFileIsMadeAbsoluteAgainstTheStartDirectory) {
    EXPECT_EQ(absoluteFileName("a/b.k", "/start/"), "/start/a/b.k");
    EXPECT_EQ(absoluteFileName("/x/b.k", "/start/"), "/x/b.k");
    EXPECT_EQ(absoluteFileName("\"q.k\"", "/start/"), "\"q.k\"");
}

}  // namespace kalix

// --- the program on files --------------------------------------------------

extern char** environ;

namespace kalix {

// In a namespace of its own: platform/child_process.h has a ProgramRun too,
// and two classes of one name break the link's one-definition rule (their
// destructors share a symbol).
namespace {

class ProgramRun : public ::testing::Test {
  protected:
    std::string directory;
    std::string program;  // the kalix binary beside the test directory

    void SetUp() override {
        program = kalixProgramPath();
        if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no kalix at " << program;
        char pattern[] = "/tmp/kalix-startup-XXXXXX";
        directory = mkdtemp(pattern);
    }
    void TearDown() override {
        if (!directory.empty()) std::system(("rm -rf '" + directory + "'").c_str());
    }

    void write(const std::string& name, const std::string& text) {
        std::ofstream(directory + "/" + name) << text;
    }

    // Runs the program in the test directory with an empty standard input;
    // returns the exit status and leaves the output in `output`.
    int run(const std::string& binary, std::vector<std::string> arguments, std::string& output) {
        std::string outputFile = directory + "/.output";
        arguments.insert(arguments.begin(), binary);
        std::vector<char*> argv;
        for (std::string& word : arguments) argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
        pid_t child;
        int failed = posix_spawn(&child, binary.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed) return -1;
        int status = 0;
        waitpid(child, &status, 0);
        std::ifstream in(outputFile);
        std::stringstream text;
        text << in.rdbuf();
        output = text.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

THREADED_SUITE(ProgramRun);

TEST_F(ProgramRun, ScriptRunsTheFileAndQuits) {
    write("ok.k", "x = 2;\nx + 1\n");
    std::string output;
    EXPECT_EQ(run(program, {"-script", "ok.k"}, output), 0);
    EXPECT_EQ(output, "3\n");
}

TEST_F(ProgramRun, ScriptEndingThroughAnErrorExitsWithStatusOne) {
    write("bad.k", "1\nunknownname\n2\n");
    std::string output;
    EXPECT_EQ(run(program, {"-script", "bad.k"}, output), 1);
    EXPECT_EQ(output.rfind("1\nVariable unknownname not found!\n", 0), 0u) << output;
    EXPECT_EQ(output.find("\n2\n"), std::string::npos) << output;

    EXPECT_EQ(run(program, {"-script", "missing.k"}, output), 1);
}

// "-script" without a file name is a usage error, not a file "-script".
TEST_F(ProgramRun, ScriptWithoutAFileIsAUsageError) {
    std::string output;
    EXPECT_EQ(run(program, {"-script"}, output), 2);
    EXPECT_EQ(output, "");
    EXPECT_EQ(run(program, {"-script", "-second"}, output), 2);
    EXPECT_EQ(output, "");
    EXPECT_EQ(parse({"-script"}).usageError, 1);
    EXPECT_EQ(parse({"-script", "f"}).usageError, 0);
    EXPECT_EQ(parse({"f", "-script"}).usageError, 0);
}

// "--help" and "-h" print every option, "--version" the version, both
// exiting 0; an unknown option is no file name: usage on stderr, status 2.
TEST_F(ProgramRun, HelpVersionAndUnknownOptions) {
    std::string output;
    for (const char* option : {"--help", "-h"}) {
        EXPECT_EQ(run(program, {option}, output), 0) << option;
        EXPECT_EQ(output, usageText) << option;
    }
    for (const char* option :
         {"-reset", "-second", "-script", "-home", "-codepage", "-run", "-xrun", "--version"})
        EXPECT_NE(std::string(usageText).find(std::string("  ") + option), std::string::npos)
            << option;
    EXPECT_EQ(run(program, {"--version"}, output), 0);
    EXPECT_EQ(output.rfind("Kalix ", 0), 0u) << output;
    EXPECT_EQ(output.back(), '\n');
    for (const char* option : {"--bogus", "-x", "--help-me"}) {
        EXPECT_EQ(run(program, {option}, output), 2) << option;
        EXPECT_EQ(output, "") << option;
    }
    EXPECT_EQ(parse({"-run", "--help"}).showUsage, 1);
    EXPECT_EQ(parse({"f.k", "--help"}).showUsage, 0);
}

TEST_F(ProgramRun, FileRunsInTheStartDirectory) {
    mkdir((directory + "/sub").c_str(), 0777);
    write("sub/where.k", "cd\n");
    std::string output;
    EXPECT_EQ(run(program, {"sub/where.k"}, output), 0);
    char real[4096];
    ASSERT_NE(realpath(directory.c_str(), real), nullptr);
    EXPECT_EQ(output, std::string(real) + "\n");
}

TEST_F(ProgramRun, MissingStartupProgramDoesNotStopTheFile) {
    std::string copy = directory + "/kalix";
    ASSERT_EQ(std::system(("cp '" + program + "' '" + copy + "'").c_str()), 0);
    write("p.k", "4*5\n");
    std::string output;
    EXPECT_EQ(run(copy, {"-script", "p.k"}, output), 0);
    EXPECT_EQ(output, "20\n");
}

TEST_F(ProgramRun, HomeProfileIsReadAndWrittenBackWithTheStackSizeInUse) {
    mkdir((directory + "/home").c_str(), 0777);
    write("home/.kalix.profile", "stacksize64=\"100\"\nspaces=\"0\"\n");
    write("two.k", "3 4\n");
    std::string output;
    EXPECT_EQ(run(program, {"-home", "home", "two.k"}, output), 0);
    EXPECT_EQ(output, "4\n");
    std::ifstream in(directory + "/home/.kalix.profile");
    std::stringstream profile;
    profile << in.rdbuf();
    // Raised to the smallest stack; the other settings are kept.
    EXPECT_NE(profile.str().find("stacksize64=\"256\"\n"), std::string::npos) << profile.str();
    EXPECT_NE(profile.str().find("spaces=\"0\"\n"), std::string::npos) << profile.str();
    EXPECT_EQ(profile.str().find("stacksize64=\"100\""), std::string::npos) << profile.str();
}

// A notebook name after the program file is one of its words too.
TEST_F(ProgramRun, WordsAfterTheFileAreItsArguments) {
    write("args.k", "kalixarg(1)\nkalixarg(2)\nkalixarg(3)\n");
    const struct {
        std::vector<std::string> words;
        const char* output;
    } cases[] = {
        {{"args.k", "a", "b c"}, "a\nb c\nArgument 3 not known (got 2)!\n"},
        {{"args.k", "nb.kn"}, "nb.kn\nArgument 2 not known (got 1)!\n"},
        {{"args.k", "NB.KN", "x"}, "NB.KN\nx\nArgument 3 not known (got 2)!\n"},
    };
    for (const auto& c : cases) {
        std::string output;
        run(program, c.words, output);
        EXPECT_EQ(output.rfind(c.output, 0), 0u) << c.words[1] << "\n" << output;
    }
}

}  // namespace

}  // namespace kalix
