// The end of the program: the exit sequence after the windows closed or the
// interpreter ended, and the signals that ask the program to end.
#pragma once

#include "base/settings.h"

namespace kalix {

class Thread;
class WindowHost;

struct ExitSequence {
    // The live values of the modules, written into the store before the
    // profile (see writeSettingsAtExit).
    void (*writeCurrentSettings)(SettingsStore& store) = nullptr;
    // 1 while Shift is held: nothing is written and the profile stays as it
    // was. Null: the host's keyboard state.
    int (*shiftKeyHeld)() = nullptr;
    // The computation thread has ended: its libraries may be closed.
    int computationEnded = 1;
    SettingsStore* store = &settings;
    // The open windows (their placement is stored, a print job waited
    // for); null on the terminal.
    WindowHost* windows = nullptr;
    // A signal ends the program: nobody is asked (a print job is not
    // waited for).
    int askNothing = 0;
};

// Runs the exit sequence: the log line, the Shift check, the settings
// (unless this is a second instance), then Maxima, the exec child and the
// libraries are ended in this order, the log is closed, and a running print
// job of the windows is waited for, asking "Stop print?" while
// "askconfirmations" is on, until the user stops it. Returns 1 when the
// settings were written.
int runExitSequence(const ExitSequence& sequence);

// Asks the computation thread to stop and waits at most the stop timeout.
// 1 when it has ended.
int stopComputation(Thread& computation);

// SIGTERM and SIGHUP end the program as a quit from the window or the
// terminal would. catchQuitSignals installs their handler (early, before
// children start); watchQuitSignals starts the thread that calls `onQuit`
// for each of them.
void catchQuitSignals();
void watchQuitSignals(void (*onQuit)());

}  // namespace kalix
