// The notebook window: the top-level window in which the user types commands
// at prompts, reads output and comments and sees pictures. It owns the one
// NotebookEditor, turns window events into editor operations and into the
// key codes of the line editor, runs its timers (wait, drag scrolling,
// status-line help, busy hint, batched repaint) and paints the notebook.
//
// The GUI thread never waits for the "Text" lock: keys, mouse, scrolling,
// sizing and painting only try to take it; a key or click that finds it busy
// is dropped (Escape excepted: it is stored for the interpreter without the
// lock), a repaint or sizing waits for the next tick.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "gui/menus.h"
#include "gui/window.h"
#include "notebook/notebook_model.h"

namespace kalix {

// What the window asks of the program that runs the interpreter.
class InterpreterLink {
  public:
    virtual ~InterpreterLink() = default;
    // The interpreter may take the cursor line (or end a wait).
    virtual void resumeInterpreter() = 0;
    // Brings the notebook to the front.
    virtual void showTextWindow() {}
    // Tab: the picture to the front, or the notebook back when the picture
    // is in front.
    virtual void toggleFrontWindow() {}
    // 1 while the notebook is the front window (not the picture).
    virtual int isTextInFront() { return 1; }
    // A close request: nonzero when the program may end.
    virtual int requestQuit() { return 1; }
    // The interpreter has ended: the program ends.
    virtual void exitFromMenu() { postQuitMessage(0); }
    // GUI thread: runs `work` on the computation thread while that waits
    // for a line, handling events until it has run; false (not run) when
    // no line is awaited or Escape came before it started.
    virtual bool runOnComputationThread(const std::function<void()>&) { return false; }
};

// Timer ids of the text window.
enum TextWindowTimer : int {
    waitTimerId = 1,
    dragScrollTimerId = 2,
    statusHelpTimerId = 3,
    busyTimerId = 4,
    shortTimerId = 5,
    recoveryTimerId = 6,
};

// Messages from other threads (onUserMessage codes).
enum TextWindowMessage : int {
    messageInterpreterEnded = 0,
    messageInputWaitChanged = 1,
    messageSaveFinished = 2,
    messageRelayout = 3,
};

// The size of the notebook font ("textfont", pixels) is kept within these.
constexpr int smallestTextFont = 6;
constexpr int largestTextFont = 96;

// The three text fonts.
struct NotebookFonts {
    WindowFont normal, bold, heading;
};

class TextWindow : public StandardWindow, public NotebookHost, public NotebookMetrics {
  public:
    explicit TextWindow(InterpreterLink& link);
    ~TextWindow() override;

    NotebookEditor& getEditor() { return editor; }
    InterpreterLink& getLink() { return link; }
    StatusBar& getStatusLine() { return statusLine; }

    // --- window events
    void onRedraw(WindowSurface& surface) override;
    void onSized() override;
    void onSizeState(int state) override;
    void onKey(int event, int character, int key) override;
    void onMouse(int x, int y, int event) override;
    int onClose() override;
    void onUserMessage(int code, const char* text) override;
    void onTimer(int id) override;
    void onScroll(int bar, int code, int position) override;

    // --- timers (GUI thread; other threads post)
    void startWaitTimer(int milliseconds);
    void startStatusHelpTimer();
    void startShortTimer();
    void stopShortTimer();
    void startBusyTimer();
    void stopBusyTimer();

    // The last key's character and code, each cleared when read.
    int takeTypedChar() { return typedChar.exchange(0); }
    int takeKeyCode() { return keyCode.exchange(0); }
    // 5 (and cleared) when Escape was stored, else 0; other keys stay.
    int takeEscape();
    void storeEscape() {
        typedChar = 27;
        keyCode = 5;
    }
    void clearKeys() {
        typedChar = 0;
        keyCode = 0;
    }

    // Key translation: a character typed after tapping Ctrl alone is looked
    // up in a table of 128 entries read from a file ("translations.txt").
    int translateKey(int character) const;
    int loadKeyTable(const char* fileName);

    // "KXW x64 (name)" with " (changed)"; from any thread.
    void updateWindowTitle();
    // The status line's text (setStatusText); from any thread.
    void setStatusText(const char* text);
    std::string getStatusText();
    // Repaints the notebook into the off-screen image and the window; false
    // (repaint left pending) when the text lock is busy.
    bool redrawText();
    // Counts finished repaints (for tests and benchmarks).
    int getRepaintCount() const { return repaintCount; }
    const OffscreenImage* getOffscreen() const { return offscreen.get(); }
    const NotebookFonts& getFonts() const { return fonts; }
    int getTextPixelWidth() const { return pixelWidth; }

    // --- NotebookHost
    NotebookOptions options() override;
    void invalidate() override;
    void changedFlagShown(int flag) override;
    void filePathChanged(const char* path) override;
    void scrollChanged() override;
    void showStatus(const char* text) override;
    void showMessage(const char* text) override;
    void setClipboardText(const char* text) override;
    void setClipboardPicture(const NotebookPicture& picture) override;
    void resumeInterpreter() override;
    void stopStatusHelpTimer() override;
    void showTextWindow() override;
    void toggleGraphicsWindow() override;
    // Kept until the computation thread takes it with its next line.
    void setMaximaMode(int mode) override { requestedMaximaMode.store(mode); }
    // The Maxima mode a notebook read asked for, or -1; taken once.
    int takeRequestedMaximaMode() { return requestedMaximaMode.exchange(-1); }
    // A run of every command that ends in the HTML export with SVG pictures
    // (GUI thread asks, computation thread takes).
    void requestSvgExportRun() { svgExportRunRequested.store(1); }
    int takeSvgExportRunRequest() { return svgExportRunRequested.exchange(0); }
    // Formulas of comments (notebook_picture_service.cpp): LaTeX and
    // Maxima never keep the GUI thread waiting.
    LatexResult runLatex(const LatexRequest& request, const LatexOptions& options) override;
    std::string maximaTex(const char* expression, int& ok) override;
    // The file commands' questions, choosers and the save thread's steps
    // (gui/text_window_files.cpp).
    void showTitledMessage(const char* text, const char* title) override;
    int askYesNo(const char* text, const char* title, int unattended) override;
    std::string chooseNotebookFile(const char* folder) override;
    void setWindowsEnabled(int flag) override;
    void runOnGuiThread(const std::function<void()>& action) override;
    void openInBrowser(const char* page) override;

    // --- NotebookMetrics (read under the text lock, from any thread)
    int lineHeight() override { return measure.height; }
    int visibleHeight() override { return textAreaHeight; }
    int clientWidth() override { return textAreaWidth; }
    int textWidth(const char* text, int length) override { return measure.width(text, length); }
    int textPixelWidth() override { return pixelWidth; }

    int magnifyMode = 0;

  private:
    bool applySizes();
    void handleKey(int event, int character, int key);
    void typeWaitingKeys();
    void virtualKey(int key, int& code, bool& replaced);
    void dispatchKey(int character, int code);
    void escapeTyped(int& character, int& code);
    void storeKeyCode(int code);
    bool postedToGui(std::function<void()> job);
    void statusHelp();
    void dragScroll();
    void selectWordAt(int x, int y);
    void repaintSoon();
    void placeCaret(int offset);
    void updateScrollBars();
    int textOffset() const;

    InterpreterLink& link;
    StatusBar statusLine;
    NotebookEditor editor;

    std::atomic<int> typedChar{0};
    std::atomic<int> keyCode{0};
    int dragDirection = 0;
    int dragging = 0;
    int quitAnswer = 0;
    int keyTranslateArmed = 0;
    // Character codes by ASCII character (0: not translated).
    std::unique_ptr<int[]> keyTable;
    std::unique_ptr<WindowTimer> waitTimer, busyTimer, statusHelpTimer, shortTimer, dragScrollTimer;
    std::unique_ptr<WindowTimer> recoveryTimer;
    struct WaitingKey {
        int event, character, key;
    };
    static constexpr size_t maxWaitingKeys = 256;
    std::deque<WaitingKey> waitingKeys;  // GUI thread
    std::atomic<int> redrawPending{0};
    std::atomic<int> repaintQueued{0};
    int sizePending = 1;
    int caretHiddenForPicture = 0;
    int repaintCount = 0;
    int lastDragX = 0, lastDragY = 0;

    NotebookFonts fonts;
    FontMeasure measure;
    int pixelWidth = 500;
    int textAreaWidth = 0, textAreaHeight = 0;
    std::unique_ptr<OffscreenImage> offscreen;
    std::map<const NotebookPicture*,
             std::pair<std::weak_ptr<NotebookPicture>, std::shared_ptr<WindowImage>>>
        pictures;

    std::mutex textsMutex;  // the status text and the title's parts
    std::string statusText;
    std::string notebookPath;
    std::atomic<int> changedShown{0};
    std::atomic<int> requestedMaximaMode{-1};
    std::atomic<int> svgExportRunRequested{0};  // set by GUI, taken by computation  // written by a
                                                // reading thread, taken by computation
    std::string lastHelpText;

    friend class NotebookPainter;
};

// The window of the running program (null before it is made).
extern TextWindow* textWindow;

}  // namespace kalix
