// Maxima's part of the help: its function list (a name and a one-line help
// text each) and the definitions in its info files. Both come from the
// Maxima bridge through `MaximaHelpSource`, installed at start; without a
// source the help has no Maxima part. What a source gives is read once, on
// first use (or by `preloadMaximaHelp` on a worker thread), and kept.
#pragma once

#include <string>
#include <vector>

namespace kalix {

class HelpWriter;

struct MaximaHelpFunction {
    std::string name;  // the line up to its first blank
    std::string help;  // the whole line
};

class MaximaHelpSource {
  public:
    virtual ~MaximaHelpSource() = default;
    // The function list in file order.
    virtual std::vector<MaximaHelpFunction> functionList() = 0;
    // The lines of info file `number` (1 to 12) in the program's code page;
    // false when there is no such file.
    virtual bool infoFileLines(int number, std::vector<std::string>& lines) = 0;
};

// Installs the source (null: none) and forgets what an earlier one gave.
// The source must live until it is replaced.
void setMaximaHelpSource(MaximaHelpSource* source);
// Reads the list and the info files now.
void preloadMaximaHelp();

// The help lines of the list entries named `topic` (broken once near the
// output line length), then "For more information try: mxmhelp topic";
// returns the number of entries.
int printMaximaFunctionHelp(HelpWriter& out, const std::string& topic);
// The distinct names of the list that begin with `text`, shortest first.
std::vector<std::string> maximaNamesStarting(const std::string& text);

// The help window's Maxima answer for `text` ("*" in front: names that
// contain it; a trailing blank or "(": the info definitions of exactly
// that name).
void findMaximaHelp(HelpWriter& out, std::string text);
// The definitions in the info files whose definition line holds `name` as
// a word of its own: each with its next line and its description.
void writeMaximaDefinitions(HelpWriter& out, const std::string& name);
// Full-text search of the info files' descriptions.
void searchMaximaInfo(HelpWriter& out, const std::string& text);

}  // namespace kalix
