// The program with its notebook window: the window host of
// platform/window_host.h. The interpreter's computation thread reads its
// lines from the notebook (it waits on a parker that the line editor opens
// on Return), prints into the notebook and polls Escape from the window;
// the main thread runs the windows.
#pragma once

#include <atomic>
#include <memory>

#include "platform/window_host.h"
#include "shell/threads.h"
#include "shell/windows/text_window.h"

class NotebookWindowHost : public WindowHost, public InterpreterLink {
  public:
    NotebookWindowHost();
    ~NotebookWindowHost() override;

    bool openWindows(int argc, char** argv) override;
    void runWindows(Thread& computation) override;
    void interpreterEnded() override;

    int readInputLine(char* buffer) override;
    int checkEscape() override;
    int printToTextWindow(const char* text) override;
    void showTextWindow() override;
    void setStatusText(const char* text) override;
    void showWarning(const char* text, const char* title) override;
    void clearTextWindow() override;
    void startNewNotebook() override;
    void endFunctionEntry() override;
    int askAllowDialog(const char* question) override;

    // InterpreterLink
    void resumeInterpreter() override;
    int requestQuit() override { return 1; }
    void exitFromMenu() override;

    // The windows are closing: line input ends, a computation is stopped.
    void stopInterpreter();
    TextWindow* getTextWindow() { return window.get(); }
    // How often the interpreter has waited for a line (tests, benchmarks).
    int getInputWaitCount() const { return inputWaits.load(); }

  private:
    void beginInputWait(NotebookEditor& editor);
    void endInputWait(NotebookEditor& editor);
    bool takesLineWithoutWaiting(NotebookEditor& editor);

    std::unique_ptr<TextWindow> window;
    Parker lineParker;
    std::atomic<int> closing{0};
    std::atomic<int> textWindowInFront{1};
    std::atomic<int> inputWaits{0};
};

// Offered to start-up by the program (shell/main.cpp).
NotebookWindowHost& notebookWindowHost();
