// Maxima's function list ("maxima.txt": a name and its one-line help a
// line), the start-up commands ("maximastartup.txt") and the command
// `mxmhelp`, which prints the definitions of a topic from Maxima's info
// files.
#pragma once

#include <string>
#include <vector>

namespace kalix {

struct MaximaFunctionEntry {
    std::string help;  // the whole line
    std::string name;  // the line up to its first blank
};

// Read from the file named at start at the first use of maximaFunctions
// (under a once flag); only read afterwards, by both threads (completion
// and status help on the GUI thread).
extern std::vector<MaximaFunctionEntry> maximaFunctionList;
// The list, read first when a file was named at start.
const std::vector<MaximaFunctionEntry>& maximaFunctions();

// A missing file leaves the list empty, without a message.
void loadMaximaFunctionList(const char* path);
// Names the file that maximaFunctions reads at its first use. Called once,
// at start, before the threads that read the list run.
void loadMaximaFunctionListLater(const char* path);
// The lines of the start-up file (blank lines left out).
std::vector<std::string> loadMaximaStartupList(const char* path);

// Completion and status help for a word typed in Maxima mode: one match
// gives its name and help line (index picks among entries of the same
// name); several give their names, shortest first. Returns the count of
// further entries of the one match's name, else 0.
int matchMaximaFunctions(const char* word, std::string* completion, std::string* help, int index);
// The help lines of the entries named `topic`; returns how many.
int printMaximaFunctionHelp(const char* topic);

// The directories that may hold Maxima's info files, in the order tried.
std::vector<std::string> maximaInfoDirectories();
// The lines of Maxima's info file `number` (1 to 12) in the program's code
// page, from the first directory that holds the info files; false when
// there is no such file.
bool readMaximaInfoFile(int number, std::vector<std::string>& lines);
// Command `mxmhelp` topic.
void maximaHelpCommand();

}  // namespace kalix
