// Outside programs that the notebook's file commands start (7z, pdflatex,
// the browser, a PDF viewer): never through a shell, always with an
// argument vector, a working directory and standard input from /dev/null,
// so a program that asks a question gets end of file instead of hanging.
#pragma once

#include <string>
#include <vector>

namespace kalix {

// The program to start: `directory` + `name` when the directory is not
// empty and that file is executable, else `name` found on PATH (a name
// with a "/" is taken as it is). "" when there is none.
std::string locateProgram(const char* directory, const char* name);

struct ProgramRun {
    int started = 0;      // 0: the program could not be started
    int exitStatus = -1;  // its exit status; -1 when a signal ended it
    std::string error;    // why it could not be started
};

// Runs arguments[0] (a path or a name on PATH) in `directory` (empty: the
// current one) and waits for it. With `quiet` its output goes to
// /dev/null, else to the program's own output.
ProgramRun runProgram(const std::vector<std::string>& arguments, const std::string& directory,
                      int quiet);

// Starts a program without waiting for it (it is reaped when it ends).
// 0 and the reason in `error` when it could not be started.
int startProgram(const std::vector<std::string>& arguments, const std::string& directory,
                 std::string& error);

// The arguments as a command line for messages: each word in double quotes
// when it holds a blank or is empty.
std::string commandLineText(const std::vector<std::string>& arguments);

}  // namespace kalix
