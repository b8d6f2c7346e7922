// The window host: when the program runs with its windows, the host services
// that depend on the kind of window (line input, the Escape key, output,
// status texts, warnings, clearing the notebook) go to the windows instead of
// the terminal. The program offers a window host at start; start-up opens it
// only when windows are wanted (windowsWanted) and they could be opened.
#pragma once

class Thread;

class WindowHost {
  public:
    virtual ~WindowHost() = default;

    // Opens the windows (before the computation thread starts); false when
    // they cannot be opened, and the program stays on the terminal.
    virtual bool openWindows(int argc, char** argv) = 0;
    // Runs the windows on the calling (main) thread until the interpreter
    // has ended or the windows were closed.
    virtual void runWindows(Thread& computation) = 0;
    // Called on the computation thread when the interpreter loop returned.
    virtual void interpreterEnded() = 0;

    // --- the services of platform/host.h it takes over
    virtual int readInputLine(char* buffer) = 0;
    virtual int checkEscape() = 0;
    virtual int printToTextWindow(const char* text) = 0;
    virtual void showTextWindow() = 0;
    virtual void setStatusText(const char* text) = 0;
    virtual void showWarning(const char* text, const char* title) = 0;
    virtual void clearTextWindow() = 0;
    virtual void startNewNotebook() = 0;
    virtual void endFunctionEntry() = 0;
    // A result shown as a formula: its TeX text rendered into the notebook
    // (called on the computation thread; nothing by default).
    virtual void insertLatexImage(const char*) {}
    // The user menu (commands addmenu, submenu and load).
    virtual void addUserMenuItem(const char*) {}
    virtual void setUserSubmenuName(const char*) {}
    virtual void addLoadedFileToMenu(const char*) {}
    // The permission question: an AllowAnswer of platform/allow_question.h.
    virtual int askAllowDialog(const char* question) = 0;

    // --- keys, time and the mouse (the waits of platform/host.h)
    virtual int pollKey() = 0;
    virtual int waitKeyWithStatus(int* keyCode, const char* status) = 0;
    virtual int waitWithStatus(double seconds, int* keyCode, const char* status) = 0;
    virtual int waitMouseClick(double* x, double* y, const char* status) = 0;
    virtual int waitMouseDrag(double* x, double* y, int* time, int* key, const char* status) = 0;
    virtual int getMousePosition(double* x, double* y) = 0;
    // --- the end of the program (GUI thread unless said otherwise)
    // 1 while the Shift key is held down now.
    virtual int isShiftKeyHeld() { return 0; }
    // A Yes/No question; 1 for Yes.
    virtual int askYesNo(const char*, const char*) { return 0; }
    // Stores the geometry of the windows in the settings (at exit).
    virtual void storeWindowPlacement() {}
    // From any thread: ends the program as the window's close box does
    // (asking first when a changed notebook would be lost).
    virtual void requestClose() {}
};

// The host whose windows are open; null on a terminal.
extern WindowHost* windowHost;

// 1 when the program should open its windows: a display can be reached
// (DISPLAY or WAYLAND_DISPLAY), "-script" was not given, and standard input
// is neither a pipe, a socket nor a file.
int windowsWanted(int scriptMode);
