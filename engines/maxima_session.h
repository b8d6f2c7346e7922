// The one Maxima process of the program: its start (on a worker thread,
// so that an automatic start does not delay the first prompt), the state
// the commands share, and its end.
#pragma once

#include <string>
#include <vector>

#include "engines/maxima_process.h"

namespace kalix {

extern MaximaProcess maximaProcess;
// Whether Maxima's two-dimensional display is believed on.
extern int maximaDisplay2d;

// The program and arguments that start Maxima for the call string (setting
// "maximacallstring"), the installation directory ("maximacalldir") and
// the prefix given to openMaxima; empty with the refusal in `*refusal`.
std::vector<std::string> buildMaximaCall(const std::string& callString,
                                         const std::string& callDirectory,
                                         const std::string& prefix, std::string* refusal);
// Looks for `name` below `directory`, subdirectories first (names starting
// with "." skipped); true with the full path.
bool findFileRecursive(const std::string& directory, const std::string& name, std::string* path);

// Starts Maxima unless it runs; waits for a start under way. Error 1 when
// Maxima did not come up (Escape stops the wait).
void openMaxima(const char* directory);
// Starts Maxima without waiting (the start-up job of an interpreter start
// when the setting "startmaxima" is on).
void startMaximaInBackground();
// Ends the process, a start under way and the pipes.
void closeMaxima();
int maximaIsRunning();

// The commands sent after every start (lines of "maximastartup.txt").
void setMaximaStartupCommands(const std::vector<std::string>& lines);

}  // namespace kalix
