// A program fixture with a small help database of its own, the `help`
// command installed, and a stand-in for Maxima's help.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "interpreter/notebook_services.h"
#include "notebook/help.h"
#include "notebook/help_database.h"
#include "notebook/maxima_help.h"
#include "program_fixture.h"
#include "settings_folder.h"

namespace kalix {

// Maxima's function list and info files from strings.
class FakeMaximaHelp : public MaximaHelpSource {
  public:
    std::vector<MaximaHelpFunction> functions;
    std::vector<std::vector<std::string>> infoFiles;
    int listReads = 0;

    std::vector<MaximaHelpFunction> functionList() override {
        listReads++;
        return functions;
    }
    bool infoFileLines(int number, std::vector<std::string>& lines) override {
        if (number > int(infoFiles.size())) return false;
        lines = infoFiles[size_t(number - 1)];
        return true;
    }
    void add(const std::string& line) {
        functions.push_back({line.substr(0, line.find(' ')), line});
    }
};

class HelpTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        lineLength = 70;
        helpDatabase.clear();
        helpDatabase.addHelpLines({
            "!Topics",
            "Functions, commands and operators of Kalix.",
            "#",
            "!sin",
            "sin(x)",
            "    The sine of x.",
            "See also: cos",
            "#",
            "!cos",
            "cos(x)",
            "#",
            "!cosh,hyperbolic cosine",
            "cosh(x)",
            "#",
            "!for",
            "for i=a to b; ...; end",
            "#",
            "!+",
            "a+b",
            "    Adds.",
            "#",
        });
        clearHelpHistory();
        setCurrentHelpWord("");
        setStatusHelp("", 0);
        setHelpHandler(runHelpCommand);
        setMaximaHelpSource(nullptr);
    }

    void TearDown() override {
        setHelpHandler(nullptr);
        setMaximaHelpSource(nullptr);
        helpDatabase.clear();
        clearHelpHistory();
        ProgramTest::TearDown();
    }

    // The output of running the lines.
    std::string printed(const std::string& program) {
        run(program);
        return output();
    }

    // An answer of the help window without its history header.
    static std::string body(const std::string& answer) {
        size_t rule = answer.find(std::string(70, '-') + "\n\n");
        return rule == std::string::npos ? answer : answer.substr(rule + 72);
    }
};

}  // namespace kalix
