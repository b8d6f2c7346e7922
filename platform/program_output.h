// Running a helper program to its end and keeping what it writes.
#pragma once

#include <string>
#include <vector>

// What runProgramCollectingOutput returns besides an exit status (0..255).
constexpr int programNotStarted = -1;   // not found or could not be started
constexpr int programInterrupted = -2;  // ended by Escape
constexpr int programKilled = -3;       // ended by a signal

// Runs words[0] (searched on PATH) with the other words as its arguments,
// with standard input from /dev/null, and waits for it to end. Standard
// output and standard error go into one pipe that is read while the child
// runs (a child that writes much never blocks) and appended to `output`.
// Escape ends the child.
int runProgramCollectingOutput(const std::vector<std::string>& words, std::string& output);
