// Program start-up: command-line options, directories, code page, settings,
// the interpreter stack, the computation thread and the windows or the
// terminal.
#pragma once

#include <string>
#include <vector>

namespace kalix {

struct StartupOptions {
    int scriptMode = 0;
    int secondInstance = 0;
    int resetRequested = 0;
    int usageError = 0;      // "-script" without a file name, or an unknown option
    int showUsage = 0;       // "--help" or "-h"
    int showVersion = 0;     // "--version"
    std::string homeOption;  // "-home" value, empty when not given
    int codePage = 0;        // "-codepage" value, 0 when not given
    int runMode = 0;         // 1 after "-run", 2 after "-xrun"
    std::string notebook;    // the notebook to open, or to run with "-run" or "-xrun"
    // The program name and the words left for the interpreter: a program
    // file to load, then the words for `kalixarg`.
    std::vector<std::string> words;
};

// Leading "-reset", "-script" (only before a word that does not begin with
// "-"), "-second" in any order; then "-home" DIR, "-codepage" N, "-run" and
// "-xrun", in this order, each at most once. A single word left that ends
// in ".kn" (any case) is the notebook to open or run. A first word left
// of "--help" or "-h" asks for the usage, "--version" for the version; any
// other word beginning with "-" is a usage error.
StartupOptions parseOptions(int argc, char** argv);

// A program file named on the command line, made absolute against the
// start directory (ending in "/"). A quoted name is left as it is.
// The usage text: every option, one line each.
extern const char* const usageText;

std::string absoluteFileName(const std::string& name, const std::string& startDirectory);

class WindowHost;
// The windows the program can run in: loads them and returns them, or null
// when they cannot be had (set by main before runMain; null: the terminal
// only). Called, and the windows opened, only when windowsWanted says so.
extern WindowHost* (*offeredWindowHost)();

// Runs the program; returns the process exit status.
int runMain(int argc, char** argv);

}  // namespace kalix
