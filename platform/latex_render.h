// LaTeX formulas rendered into PNG files by the outside programs "latex"
// and "dvipng", started without a shell, with standard input from
// /dev/null. Every call has work files of its own, so renderings on
// different threads never touch each other's files.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kalix {

struct LatexColour {
    int red = 0, green = 0, blue = 0;
};

struct LatexRequest {
    std::string formula;
    int scaleWithFont = 0;  // resolution scaled by fontSize / 16
    int fontSize = 16;
    int transparent = 0;  // else `background`
    LatexColour background{255, 255, 255};
    int hasForeground = 0;  // else dvipng's default
    LatexColour foreground;
};

// The settings the renderer reads ("latexdir", "latexbin", "latexsilent",
// "latexlarger", "latexams", "latexantialias", "latexcleanup").
struct LatexOptions {
    std::string workDirectory;  // ends with "/"
    std::string programDirectory;
    int silent = 1;
    int larger = 0;
    int ams = 1;
    int antialias = 1;
    int cleanup = 1;
    int firstWaitMilliseconds = 10000;
};
LatexOptions latexOptionsFromSettings();

struct LatexResult {
    std::string png;      // the picture's path; empty when nothing was made
    std::string message;  // why not (to show in a message box)
    int latexMissing = 0;
    int waitDeclined = 0;  // the user gave up waiting for latex
    int formulaError = 0;  // latex ran and rejected the formula (the message is its log's error)
};

// Polled while a program runs: true ends it.
using LatexStop = std::function<bool()>;
// Asked once latex has run longer than the first wait: true waits on.
using LatexKeepWaiting = std::function<bool(const char* question)>;

// The document written for a formula.
std::string latexDocument(const std::string& formula, const LatexOptions& options, bool withKalpng);
// The dvipng resolution for the request.
int latexResolution(const LatexRequest& request, const LatexOptions& options);
// The dvipng arguments after the program (without the dvi file name).
std::vector<std::string> dvipngArguments(const LatexRequest& request, const LatexOptions& options,
                                         const std::string& png);
// The error of a LaTeX log: the first line beginning "! " and the lines
// after it up to one shorter than 3 characters; empty when there is none.
std::string latexLogError(const std::string& log);

// Writes the document, runs latex and dvipng in the work directory and
// returns the PNG's path. After a wait the user gave up, the caller
// switches "latexsilent" off (`noteDeclinedWait`), so that the next run
// shows LaTeX's output.
LatexResult renderLatexToPng(const LatexRequest& request, const LatexOptions& options,
                             const LatexStop& stop, const LatexKeepWaiting& keepWaiting);

// Switches "latexsilent" off after a declined wait (on the caller's thread).
void noteDeclinedWait(const LatexResult& result);

}  // namespace kalix
