// The program with its notebook window: the window host of
// platform/window_host.h. The interpreter's computation thread reads its
// lines from the notebook (it waits on a parker that the line editor opens
// on Return), prints into the notebook and polls Escape from the window;
// the main thread runs the windows.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "base/threads.h"
#include "gui/graphics_window.h"
#include "gui/kalix_menu.h"
#include "gui/text_window.h"
#include "platform/window_host.h"

namespace kalix {

class NotebookWindowHost : public WindowHost, public InterpreterLink {
  public:
    NotebookWindowHost();
    ~NotebookWindowHost() override;

    bool openWindows(int argc, char** argv) override;
    void openNotebookAtStart(const char* path) override;
    void openDocumentation(const char* page) override;
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
    void insertLatexImage(const char* latex) override;
    // The user menu: entries reach the menu on the GUI thread in order.
    void addUserMenuItem(const char* text) override;
    void setUserSubmenuName(const char* name) override;
    void addLoadedFileToMenu(const char* name) override;
    int askAllowDialog(const char* question) override;
    int pollKey() override;
    int waitKeyWithStatus(int* keyCode, const char* status) override;
    int waitWithStatus(double seconds, int* keyCode, const char* status) override;
    int waitMouseClick(double* x, double* y, const char* status) override;
    int waitMouseDrag(double* x, double* y, int* time, int* key, const char* status) override;
    int getMousePosition(double* x, double* y) override;

    int isShiftKeyHeld() override;
    int askYesNo(const char* text, const char* title) override;
    void storeWindowPlacement() override;
    void requestClose() override;
    void endOnSignal() override;
    int printJobRunning() override;
    PictureService* pictureService() override;

    // InterpreterLink
    void resumeInterpreter() override;
    // The close box and the menu's Exit: asks before a changed notebook is
    // lost (not after the interpreter ended); 1 when the program may end.
    int requestQuit() override;
    // Asks (requestQuit) and ends the message loop.
    void exitFromMenu() override;
    // Tab: the picture to the front, or the notebook back.
    void toggleFrontWindow() override;
    // GUI thread: work the computation thread does for the window while it
    // waits for a line (Maxima's TeX form of a comment formula).
    bool runOnComputationThread(const std::function<void()>& work) override;

    // The windows are closing: line input ends, a computation is stopped.
    void stopInterpreter();
    TextWindow* getTextWindow() { return window.get(); }
    GraphicsWindow* getGraphicsWindow() { return graphics.get(); }
    KalixMenu* getMenu() { return menu.get(); }
    // How often the interpreter has waited for a line (tests, benchmarks).
    int getInputWaitCount() const { return inputWaits.load(); }
    // The interpreter waits for a line, after more than `waitsBefore` waits,
    // and no resume came that it has yet to take (a resumed thread may still
    // sleep on a lock before it leaves the wait and clears the flags).
    bool isWaitingForLine(int waitsBefore = 0) const;
    // The computation thread's priority now (threadPriorityOf), -1 before
    // its first line.
    int getComputationPriority() const;
    int isTextInFront() override { return textWindowInFront.load(); }

  private:
    void beginInputWait(NotebookEditor& editor);
    void endInputWait(NotebookEditor& editor);
    bool takesLineWithoutWaiting(NotebookEditor& editor);
    void placeWindows();
    // The steps around a wait for a key, the time or the mouse.
    void beginUserWait(const char* status, bool showStatus);
    void endUserWait();
    void showPictureOverText();
    // Computation thread: its priority for waiting or computing.
    void setComputationPriority(int priority);
    int waitForMouseEvent(int mode, const char* status, bool showStatus);

    void loadPendingNotebook(NotebookEditor& editor);

    // Work handed from the GUI thread to the computation thread.
    struct HandedWork {
        enum State { waiting, running, done, dropped };
        std::function<void()> work;
        std::atomic<int> state{waiting};
    };
    // Computation thread: runs the work handed over while it waits for a
    // line, or drops it (`run` false) when no line will be awaited.
    void takeHandedWork(bool run);

    std::unique_ptr<TextWindow> window;
    std::unique_ptr<KalixMenu> menu;
    std::unique_ptr<GraphicsWindow> graphics;
    Parker lineParker;
    std::mutex handedMutex;
    std::shared_ptr<HandedWork> handed;  // guarded by handedMutex
    // Counts resumeInterpreter calls (any thread): a line wait woken for
    // handed work goes on waiting unless a resume came as well.
    std::atomic<int> resumeRequests{0};
    // resumeRequests when the last line wait began (computation thread).
    std::atomic<int> resumesAtLineStart{0};
    std::atomic<int> closing{0};
    std::atomic<int> interpreterHasEnded{0};
    std::atomic<int> textWindowInFront{1};
    std::atomic<int> inputWaits{0};
    pthread_t computationHandle{};         // written once by the computation thread
    std::atomic<int> computationKnown{0};  // 1 once computationHandle is set
    bool svgExportRunning = false;         // computation thread: a run-and-export runs
    bool waitStatusShown = false;  // computation thread: a wait put its text in the status line
};

// Offered to start-up by the program (app/main.cpp).
NotebookWindowHost& notebookWindowHost();

}  // namespace kalix
