// The help: the `help` command and the "?? " prefix (printed into the
// notebook on the computation thread), the answers of the help window's
// query field, name completion and the help line of a builtin. The texts
// come from the help database, the interpreter's user functions, builtins
// and aliases, program-file comments and Maxima's help.
#pragma once

#include <string>
#include <vector>

namespace kalix {

class HelpWriter;
struct StateSnapshot;

// Names the help files of the program directory (read at their first use)
// and lets the interpreter's `help` command and "?? " prefix reach
// `runHelpCommand`.
void installHelp();

// Help on the name (or operator) at the scan position: searchMaxima 0 for
// `help`, 1 for "?? ". Clears the error code at the end.
void runHelpCommand(int searchMaxima);

// The answer to the text of the help window's query field. With
// `interpreterReadable` false (the interpreter is computing) the answer
// leaves out what needs the interpreter's state: user functions, aliases,
// program files and the "type", "list" and "listvar" queries.
std::string answerHelpQuery(const std::string& query, bool interpreterReadable = true);

// The database entry of the name (a trailing blank removed), found
// directly or through one alias step; false when there is none.
bool showHelpEntry(HelpWriter& out, std::string name, bool interpreterReadable = true);
// Every help line of user functions and database entries that contains
// the text, then the matching descriptions of Maxima's info files.
void searchHelpText(HelpWriter& out, const std::string& text, bool interpreterReadable = true);
// The comments of a program file (".k" tried too) as the help shows them;
// false when the file is not found.
bool printFileComments(HelpWriter& out, const std::string& name);

// Completion of a word typed at the command line (Insert in the notebook,
// Tab at the terminal) and the status-line help: the builtins, user
// functions, commands and aliases whose names begin with the word, shortest
// first, each once, at most 128 (`names`; `candidates` the same names each
// followed by a blank); and a hint (a function header or help line, else
// the candidates). The word may hold "\\" before a character (taken
// plainly) and "__" for "_"; a word ending in "(" asks for the hint of the
// name before it. The user functions and aliases are those of `state`: on
// the GUI thread the snapshot the interpreter published when it began to
// wait, on the computation thread (the terminal) a copy taken there.
struct NameCompletion {
    std::vector<std::string> names;
    std::string candidates;
    std::string hint;
};
NameCompletion completeName(const std::string& word, const StateSnapshot& state);

// Completion in a Maxima line, from Maxima's function list (through the
// Maxima bridge; nothing without it): the names that begin with `word`,
// shortest first, and the help text for the status line (a word ending in
// "(" gives only the help line of that name). One name with several
// entries: `index` picks the entry whose help line is given, and `more` is
// the number of further entries. A single name or a word with "(" goes to
// the status help with the Maxima mark.
struct MaximaCompletion {
    std::vector<std::string> names;
    std::string help;
    int more = 0;
};
MaximaCompletion completeMaximaName(const std::string& word, int index);

// The line of the name's database entry that begins (after blanks) with
// the name and "(", else the entry's first line; "" without an entry.
std::string helpLineOf(const std::string& name);

}  // namespace kalix
