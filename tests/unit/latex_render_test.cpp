// LaTeX formulas into PNG files: the document, the dvipng arguments, the
// error of a log, and real renderings (skipped without latex and dvipng).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/child_process.h"
#include "platform/latex_render.h"
#include "threaded_suite.h"

namespace kalix {

namespace {

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string tempFolder() {
    char pattern[] = "/tmp/kalix-latex-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? std::string(made) + "/" : std::string("/tmp/");
}

bool haveLatex() {
    return !locateProgram("", "latex").empty() && !locateProgram("", "dvipng").empty();
}

int filesIn(const std::string& folder) {
    std::string command = "test $(ls -A " + folder + " | wc -l) -eq 0";
    return std::system(command.c_str()) == 0 ? 0 : 1;
}

}  // namespace

THREADED_SUITE(LatexRender);

TEST(LatexRender, TheDocumentEnclosesAFormulaUnlessItIsAnEnvironment) {
    LatexOptions options;
    options.ams = 1;
    options.larger = 0;
    std::string document = latexDocument("   x^2", options, false);
    EXPECT_EQ(document,
              "\\documentclass[11pt]{article}\n\\usepackage{amsmath}\n\\usepackage{amsfonts}\n"
              "\\thispagestyle{empty}\n\\begin{document}\n\\[\nx^2\n\\]\n\\end{document}\n");
    options.ams = 0;
    options.larger = 1;
    for (const char* environment :
         {"\\begin{align*}a&=b\\end{align*}", "\\begin{multline*}a\\end{multline*}",
          "\\begin{gather*}a\\end{gather*}"}) {
        document = latexDocument(environment, options, true);
        EXPECT_EQ(document, std::string("\\documentclass[12pt]{article}\n\\usepackage{kalpng}\n"
                                        "\\thispagestyle{empty}\n\\begin{document}\n") +
                                environment + "\n\\end{document}\n");
    }
}

TEST(LatexRender, ResolutionAndColoursOfDvipng) {
    LatexOptions options;
    LatexRequest request;
    struct Case {
        int antialias, scale, fontSize, resolution;
    } cases[] = {{1, 1, 24, 450}, {1, 0, 24, 300}, {0, 0, 24, 100}, {0, 1, 8, 50}, {1, 1, 16, 300}};
    for (const Case& c : cases) {
        options.antialias = c.antialias;
        request.scaleWithFont = c.scale;
        request.fontSize = c.fontSize;
        EXPECT_EQ(latexResolution(request, options), c.resolution) << c.fontSize;
    }
    options.antialias = 1;
    request.scaleWithFont = 0;
    request.transparent = 1;
    EXPECT_EQ(dvipngArguments(request, options, "f.png"),
              (std::vector<std::string>{"-o", "f.png", "-D", "300", "-T", "tight", "-bg",
                                        "Transparent"}));
    request.transparent = 0;
    request.background = {255, 0, 51};
    request.hasForeground = 1;
    request.foreground = {0, 255, 0};
    EXPECT_EQ(dvipngArguments(request, options, "f.png"),
              (std::vector<std::string>{"-o", "f.png", "-D", "300", "-T", "tight", "-bg",
                                        "rgb 1 0 0.2", "-fg", "rgb 0 1 0"}));
}

TEST(LatexRender, TheLogErrorRunsFromTheBangLineToAShortLine) {
    EXPECT_EQ(latexLogError("This is TeX\nall fine\n"), "");
    EXPECT_EQ(latexLogError("start\r\n! Undefined control sequence.\r\nl.5 \\foo\r\n  \r\n"
                            "! Second error\n"),
              "! Undefined control sequence.\nl.5 \\foo\n");
    EXPECT_EQ(latexLogError("! Emergency stop.\n<*> x.tex\n"), "! Emergency stop.\n<*> x.tex\n");
}

TEST(LatexRender, MissingLatexIsSaidAndLeavesNoFiles) {
    LatexOptions options;
    options.workDirectory = tempFolder();
    options.programDirectory = "/nonexistent";
    const char* path = std::getenv("PATH");
    std::string saved = path ? path : "";
    setenv("PATH", "/nonexistent", 1);
    LatexRequest request;
    request.formula = "x";
    LatexResult result = renderLatexToPng(request, options, nullptr, nullptr);
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(result.png, "");
    EXPECT_EQ(result.message, "Latex could not be found.\nPlease configure Latex in the Menu!");
    EXPECT_EQ(result.latexMissing, 1);
    EXPECT_EQ(filesIn(options.workDirectory), 0);
    rmdir(options.workDirectory.c_str());
    // A work folder that cannot be written.
    options.workDirectory = "/nonexistent/folder";
    result = renderLatexToPng(request, options, nullptr, nullptr);
    EXPECT_EQ(result.message,
              "Could not open temporary file!\nSet the latex directory in the menu");
}

TEST(LatexRender, RenderingsOnTwoThreadsUseFilesOfTheirOwn) {
    if (!haveLatex()) GTEST_SKIP() << "latex or dvipng is not installed";
    LatexOptions options;
    options.workDirectory = tempFolder().substr(0, std::string::npos);
    // The folder given without its last "/".
    options.workDirectory.pop_back();
    std::vector<LatexResult> results(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; i++)
        threads.emplace_back([&, i] {
            LatexRequest request;
            request.formula = "\\frac{" + std::to_string(i) + "}{2}";
            results[size_t(i)] = renderLatexToPng(request, options, nullptr, nullptr);
        });
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < results.size(); i++) {
        ASSERT_NE(results[i].png, "") << results[i].message;
        EXPECT_EQ(results[i].png.rfind(options.workDirectory + "/", 0), 0u);
        EXPECT_TRUE(exists(results[i].png));
        for (size_t j = 0; j < i; j++) EXPECT_NE(results[i].png, results[j].png);
        std::ifstream png(results[i].png, std::ios::binary);
        char magic[4] = {};
        png.read(magic, 4);
        EXPECT_EQ(std::string(magic + 1, 3), "PNG");
        std::remove(results[i].png.c_str());
    }
    // Cleaning left nothing else.
    EXPECT_EQ(filesIn(options.workDirectory + "/"), 0);

    // Without cleaning the work files stay; an error gives the log's lines.
    options.cleanup = 0;
    LatexRequest request;
    request.formula = "\\frac{";
    LatexResult result = renderLatexToPng(request, options, nullptr, nullptr);
    EXPECT_EQ(result.png, "");
    EXPECT_EQ(result.message.rfind("! ", 0), 0u) << result.message;
    EXPECT_EQ(filesIn(options.workDirectory + "/"), 1);
    std::string command = "rm -rf " + options.workDirectory;
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(LatexRender, EscapeEndsTheRunAndALongWaitAsks) {
    if (!haveLatex()) GTEST_SKIP() << "latex or dvipng is not installed";
    LatexOptions options;
    options.workDirectory = tempFolder();
    LatexRequest request;
    // A document that never ends: latex loops for ever.
    request.formula = "\\def\\loop{\\loop}\\loop";
    std::atomic<int> polls{0};
    LatexResult result = renderLatexToPng(
        request, options, [&] { return ++polls > 5; }, nullptr);
    EXPECT_EQ(result.png, "");
    EXPECT_EQ(result.message, "Latex did not produce log file!\nMaybe setup Latex in the menu!");

    options.firstWaitMilliseconds = 100;
    std::string asked;
    result = renderLatexToPng(request, options, nullptr, [&](const char* question) {
        asked = question;
        return false;
    });
    EXPECT_EQ(asked,
              "Waiting for Latex takes longer than expected.\nMaybe Latex has to install "
              "packages?\nContinue Waiting?");
    EXPECT_EQ(result.message.rfind("Waiting for the Latex process failed!\n", 0), 0u);
    EXPECT_NE(result.message.find("\nPlease retry."), std::string::npos);
    EXPECT_EQ(result.waitDeclined, 1);
    std::string command = "rm -rf " + options.workDirectory;
    EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace kalix
