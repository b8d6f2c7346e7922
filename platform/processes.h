// Child processes besides the one `exec` remembers (platform/host.h): the
// start of a child and the wait that reads its output pipe meanwhile, which
// that child, helper programs (tcc) and Maxima share, and the helpers of
// the argument text.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kalix {

// The words of an argument text: blanks and tabs separate, double quotes
// group (and are dropped), \" is a double quote.
std::vector<std::string> splitCommandWords(const char* text);

// The file a program name stands for: a name holding "/" when it exists,
// else the first executable of that name in the directories of PATH; an
// empty text when there is none.
std::string findProgram(const char* name);

// A child's standard stream besides a descriptor of ours.
constexpr int childStreamNull = -1;       // /dev/null
constexpr int childStreamInherited = -2;  // the program's own

// Starts the program file `path` with `words` as its argument vector
// (words[0] is its name), in `directory` unless that is null or empty.
// Standard input reads `input`; standard output and error both write
// `output` (descriptors, or the values above). Signals are at their
// defaults and none is blocked; with `ownGroup` the child leads a process
// group of its own (Ctrl-C at the terminal does not reach it; Escape ends
// the group). Returns 0 with the child in `*child`, or an errno value.
int startChild(const std::string& path, const std::vector<std::string>& words, int input,
               int output, bool ownGroup, const char* directory, pid_t* child);

// How waitForChildEnd came back.
enum ChildEnd { childEnded, childInterrupted, childLost };

// Waits for `child` to end while reading the non-blocking pipe `pipe` (when
// >= 0 and not `*pipeEnded`) into `output`, so that a child that writes
// much never blocks; Escape ends the child (its group with `ownGroup`).
// The wait status goes to `*status` (0 when the child was lost).
ChildEnd waitForChildEnd(pid_t child, bool ownGroup, int pipe, bool* pipeEnded, std::string& output,
                         int* status);

// What runProgramCollectingOutput returns besides an exit status (0..255).
constexpr int programNotStarted = -1;   // not found or could not be started
constexpr int programInterrupted = -2;  // ended by Escape
constexpr int programKilled = -3;       // ended by a signal

// Runs words[0] (searched on PATH) with the other words as its arguments,
// with standard input from /dev/null, and waits for it to end. Standard
// output and standard error go into one pipe that is read while the child
// runs and appended to `output`. Escape ends the child.
int runProgramCollectingOutput(const std::vector<std::string>& words, std::string& output);

}  // namespace kalix
