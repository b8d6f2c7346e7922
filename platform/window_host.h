// The window host: when the program runs with its windows, the host
// services (line input, the Escape key, output, status texts, warnings,
// clearing the notebook, ...) go to the windows instead of the terminal. The
// program offers a window host at start; start-up opens it and installs it
// only when windows are wanted (windowsWanted) and they could be opened.
#pragma once

#include "platform/host.h"

namespace kalix {

class Thread;

class WindowHost : public Host {
  public:
    // Opens the windows (before the computation thread starts); false when
    // they cannot be opened, and the program stays on the terminal.
    virtual bool openWindows(int argc, char** argv) = 0;
    // Runs the windows on the calling (main) thread until the interpreter
    // has ended or the windows were closed.
    virtual void runWindows(Thread& computation) = 0;
    // The notebook named on the command line: read into the window at the
    // first prompt (before the interpreter starts).
    virtual void openNotebookAtStart(const char*) {}
    // Opens a page of the documentation in the browser (GUI thread).
    virtual void openDocumentation(const char*) {}
    // A user at the windows gets the jobs of the interpreter's start.
    bool runsStartupJobs() override { return true; }

    // --- the end of the program (GUI thread unless said otherwise)
    // A Yes/No question; 1 for Yes.
    virtual int askYesNo(const char*, const char*) { return 0; }
    // Stores the geometry of the windows in the settings (at exit).
    virtual void storeWindowPlacement() {}
    // From any thread: ends the program as the window's close box does
    // (asking first when a changed notebook would be lost).
    virtual void requestClose() {}
    // From any thread (SIGTERM, SIGHUP): ends the program at once, without
    // a question; open dialogs end as cancelled, a changed notebook is kept
    // in its recovery copy. Calls after the first do nothing.
    virtual void endOnSignal() { requestClose(); }
    // 1 while a print job of the graphics runs (the exit waits for it).
    virtual int printJobRunning() { return 0; }
};

// 1 when the program should open its windows: a display can be reached
// (DISPLAY or WAYLAND_DISPLAY), "-script" was not given, and standard input
// is neither a pipe, a socket nor a file.
int windowsWanted(int scriptMode);

}  // namespace kalix
