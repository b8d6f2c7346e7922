#include "gui/notebook_window_host.h"
#include "gui/notebook_picture_service.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <thread>

#include "base/base_directory.h"
#include "base/settings.h"
#include "graphics/crop_area.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_store.h"
#include "graphics/pages.h"
#include "gui/dialogs.h"
#include "gui/file_menu_commands.h"
#include "gui/graphics_commands.h"
#include "gui/graphics_window_commands.h"
#include "gui/gui_bridge.h"
#include "gui/notebook_recovery.h"
#include "gui/program_launch.h"
#include "gui/quit_request.h"
#include "interpreter/notebook_services.h"
#include "interpreter/state.h"
#include "interpreter/state_hand_over.h"
#include "interpreter/state_snapshot.h"
#include "notebook/export_commands.h"
#include "notebook/line_editor.h"
#include "notebook/notebook_pictures.h"
#include "platform/allow_question.h"
#include "platform/host.h"

namespace kalix {

NotebookWindowHost& notebookWindowHost() {
    // Lives as long as the process: its windows outlive every static.
    static NotebookWindowHost* host = new NotebookWindowHost;
    return *host;
}

NotebookWindowHost::NotebookWindowHost() = default;
NotebookWindowHost::~NotebookWindowHost() = default;

// --- the windows ---------------------------------------------------------------------------------

bool NotebookWindowHost::openWindows(int argc, char** argv) {
    if (!initApplication(argc, argv)) return false;
    setHandOverReader();
    window = std::make_unique<TextWindow>(*this);
    menu = std::make_unique<KalixMenu>(*window);
    graphics = std::make_unique<GraphicsWindow>(*window, *this, textWindowInFront);
    placeWindows();
    // The picture inside the notebook: its window stays hidden (a second
    // instance always draws inside).
    graphicsInTextWindow = secondInstance || readIntSetting(makeScreenKey("intextwindow"), 0);
    graphicsOverText = 0;
    graphics->setStartHidden(graphicsInTextWindow);
    menu->setMenuCheck(menuGraphicsInTextWindow, graphicsInTextWindow);
    window->setMinimumClientSize(300, 200);
    std::string keys = std::string(programDir.getText()) + "translations.txt";
    if (checkFileExists(keys.c_str())) window->loadKeyTable(keys.c_str());
    window->showAtStart();
    graphics->showAtStart();
    // Placed again once shown: a window manager may have moved them.
    placeWindows();
    graphics->layoutGraphicsArea(true);
    window->raiseWindow();
    installNotebookPictureService(window.get());
    offerRecoveryCopies(window.get());
    return true;
}

void NotebookWindowHost::openNotebookAtStart(const char* path) { setPendingNotebook(path); }

void NotebookWindowHost::openDocumentation(const char* page) { openDocumentationPage(page); }

// x, y, w, h moved and shrunk into the work area (0, 0, right, bottom); at
// least 400 pixels high.
static void fitToWorkArea(int& x, int& y, int& w, int& h, int right, int bottom) {
    if (x > right - w) x = right - w;
    if (x < 0) x = 0;
    if (x + w > right) w = right - x;
    if (h < 400) h = 400;
    if (y > bottom - h) y = bottom - h;
    if (y < 0) y = 0;
    if (y + h > bottom) h = bottom - y;
}

// The windows where they were last (keys of this screen's size), else the
// notebook in the middle and the graphics right of it.
void NotebookWindowHost::placeWindows() {
    int right, bottom;
    getScreenWorkArea(right, bottom);
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%d-%d-", right, bottom);
    screenKeyPrefix.assign(prefix);
    int x = readIntSetting(makeScreenKey("xtext"), (right - 1550) / 2);
    int y = readIntSetting(makeScreenKey("ytext"), (bottom - 900) / 2);
    if (secondInstance) {
        x += 20;
        y += 20;
    }
    int w = std::max(600, readIntSetting(makeScreenKey("wtext"), 700));
    int h = readIntSetting(makeScreenKey("htext"), 900);
    const int graphicsX = x + 750, graphicsY = y + 40;
    fitToWorkArea(x, y, w, h, right, bottom);
    window->setPlacement(x, y, w, h);

    h = readIntSetting(makeScreenKey("hgraphics"), 600);
    w = std::max(400, readIntSetting(makeScreenKey("wgraphics"), h));
    x = readIntSetting(makeScreenKey("xgraphics"), graphicsX);
    y = readIntSetting(makeScreenKey("ygraphics"), graphicsY);
    fitToWorkArea(x, y, w, h, right, bottom);
    graphics->setPlacement(x, y, w, h);
}

void NotebookWindowHost::runWindows(Thread& computation) {
    runMessageLoop();
    stopInterpreter();
    computation.killThread(threadStopTimeout);
    installNotebookPictureService(nullptr);
    if (window) endRecoveryCopy(window->getEditor(), endingOnSignal.load());
}

void NotebookWindowHost::stopInterpreter() {
    closing = 1;
    // Escape ends a computation; the end of the input ends the interpreter.
    if (window) window->storeEscape();
    lineParker.unpark();
}

void NotebookWindowHost::interpreterEnded() {
    interpreterHasEnded = 1;
    if (window) window->sendUserMessage(messageInterpreterEnded);
}

int NotebookWindowHost::requestQuit() {
    if (interpreterHasEnded || !window) return 1;
    return askBeforeQuitting(window->getEditor(), window.get());
}

void NotebookWindowHost::exitFromMenu() {
    if (requestQuit()) postQuitMessage(0);
}

void NotebookWindowHost::requestClose() {
    postToGui([this] { exitFromMenu(); });
}

// Leaving the message loop ends the loops of open dialogs and questions
// too (and any opened later returns at once).
void NotebookWindowHost::endOnSignal() {
    if (endingOnSignal.exchange(1)) return;
    postQuitMessage(0);
}

int NotebookWindowHost::isShiftKeyHeld() { return queryShiftKey(); }

int NotebookWindowHost::printJobRunning() { return printJobActive(); }

PictureService* NotebookWindowHost::pictureService() { return notebookPictureService(); }

int NotebookWindowHost::askYesNo(const char* text, const char* title) {
    return kalix::askYesNo(text, title, window.get()) == answerYes;
}

// A maximised or minimised window keeps its last stored normal rectangle;
// only its flag says how it was. Full screen is left first.
static void storePlacementOf(const StandardWindow& window, const char* x, const char* y,
                             const char* w, const char* h, const char* maximised) {
    int state = window.getSizeState();
    if (state == sizeRestored) {
        int left, top, width, height;
        window.getPlacement(left, top, width, height);
        writeIntSetting(makeScreenKey(x), left);
        writeIntSetting(makeScreenKey(y), top);
        writeIntSetting(makeScreenKey(w), width);
        writeIntSetting(makeScreenKey(h), height);
    }
    writeIntSetting(makeScreenKey(maximised), state == sizeMaximized);
}

void NotebookWindowHost::storeWindowPlacement() {
    if (!window) return;
    leaveFullScreen();
    storePlacementOf(*window, "xtext", "ytext", "wtext", "htext", "textmax");
    if (graphics)
        storePlacementOf(*graphics, "xgraphics", "ygraphics", "wgraphics", "hgraphics", "graphmax");
}

bool NotebookWindowHost::isWaitingForLine(int waitsBefore) const {
    return inputWaits.load() > waitsBefore && getIntCell(inputWaiting) && getIntCell(keyWaitFlag) &&
           resumeRequests.load() == resumesAtLineStart.load();
}

void NotebookWindowHost::resumeInterpreter() {
    resumeRequests++;
    lineParker.unpark();
}

bool NotebookWindowHost::runOnComputationThread(const std::function<void()>& work) {
    if (!window || closing || !getIntCell(inputWaiting) || interpreterHasEnded) return false;
    auto job = std::make_shared<HandedWork>();
    job->work = work;
    {
        std::lock_guard<std::mutex> hold(handedMutex);
        if (handed) return false;
        handed = job;
    }
    lineParker.unpark();
    handleEventsUntil([&] {
        // Escape before the work began drops it; once begun, the work
        // itself sees the Escape.
        int expected = HandedWork::waiting;
        if (job->state.load() == expected && window->takeEscape() &&
            !job->state.compare_exchange_strong(expected, HandedWork::dropped))
            window->storeEscape();
        return job->state.load() >= HandedWork::done;
    });
    std::lock_guard<std::mutex> hold(handedMutex);
    if (handed == job) handed.reset();
    return job->state.load() == HandedWork::done;
}

void NotebookWindowHost::takeHandedWork(bool run) {
    std::shared_ptr<HandedWork> job;
    {
        std::lock_guard<std::mutex> hold(handedMutex);
        job = std::move(handed);
    }
    if (!job) return;
    int expected = HandedWork::waiting;
    if (job->state.compare_exchange_strong(expected,
                                           run ? HandedWork::running : HandedWork::dropped) &&
        run) {
        job->work();
        job->state = HandedWork::done;
    }
    // Wakes the GUI thread's wait.
    postToGui([] {});
}

void NotebookWindowHost::setComputationPriority(int priority) {
    if (!computationKnown.load()) {
        computationHandle = pthread_self();
        computationKnown = 1;
    }
    setCallingThreadPriority(priority);
}

int NotebookWindowHost::getComputationPriority() const {
    return computationKnown.load() ? threadPriorityOf(computationHandle) : -1;
}

// --- line input
// ------------------------------------------------------------------------------------

// The prompt is ready: the cursor goes to the next existing prompt of the
// same kind (the fresh prompt is then dropped) and is shown.
void NotebookWindowHost::beginInputWait(NotebookEditor& editor) {
    assignIntCell(inputWaiting, 1);
    setComputationPriority(threadPriorityHighest);
    editor.setLineKindFromPrefix();
    // Only a fresh prompt may go: a command whose output was kept from the
    // notebook (output off) must stay.
    if (editor.cursor().getLine()->text.length() == 1) editor.moveToNextPrompt();
    editor.showCursorLine();
    editor.getHost().invalidate();
    if (graphics) graphics->repaintSoon();
    showTextWindow();
    // The busy hint of a computation that has ended goes.
    if (window->getStatusText() == ">>> Computing. Press ESC to abort.") setStatusText("");
}

void NotebookWindowHost::endInputWait(NotebookEditor& editor) {
    assignIntCell(inputWaiting, 0);
    editor.backupCursorLine();
    setComputationPriority(threadPriorityNormal);
    editor.removeOutput();
    editor.getHost().invalidate();
    window->startBusyTimer();
    window->stopStatusHelpTimer();
}

bool NotebookWindowHost::takesLineWithoutWaiting(NotebookEditor& editor) {
    if (getIntCell(commandsToRun) <= 0) return false;
    TextLockHold hold(editor, "run commands");
    NotebookLine* line = editor.cursor().getLine();
    return !editor.startsSection(line) || (line->next && getIntCell(runThroughSections));
}

// A notebook chosen while the interpreter restarted replaces the notebook
// before the first prompt; an automatic run ends with it.
void NotebookWindowHost::loadPendingNotebook(NotebookEditor& editor) {
    // The copy the user chose at the start goes before a notebook named on
    // the command line.
    if (loadChosenRecoveryCopy(editor)) {
        takePendingNotebook();
        window->postToWindow([w = window.get()] { w->onSized(); });
        return;
    }
    std::string path = takePendingNotebook();
    if (path.empty()) return;
    window->postToWindow([w = window.get()] { w->onSized(); });
    loadNotebookIntoWindow(editor, path.c_str());
    assignIntCell(commandsToRun, 0);
    assignIntCell(runThroughSections, 0);
}

int NotebookWindowHost::readInputLine(char* buffer) {
    buffer[0] = 0;
    if (closing || !window) return 0;
    NotebookEditor& editor = window->getEditor();
    loadPendingNotebook(editor);
    // The function command reads body lines: "$" prompts.
    int entry = getIntCell(functionEntryState);
    if (functionEntryActive && entry != 1) assignIntCell(functionEntryState, 1);
    if (!functionEntryActive && entry == 1) assignIntCell(functionEntryState, 0);
    // A page shown by a program gives way to the live picture; the anaglyph
    // stays until the next plot. Outside the "Text" lock: the two locks
    // are not nested here.
    if (!anaglyphShown) displayPage(0);
    int startColumn = 1;
    // Taken before the wait begins: every resume of this line comes later.
    const int resumesBefore = resumeRequests.load();
    resumesAtLineStart = resumesBefore;
    {
        TextLockHold hold(editor, "start edit");
        NotebookLine* line = editor.cursor().getLine();
        if (line->text.isStringEmpty()) {
            bool body = getIntCell(functionEntryState) != 0;
            line->kind = body ? lineFunctionBody : lineCommand;
            line->text.assign(body ? "$" : ">");
            editor.cursor().setColumn(1);
        }
        beginInputWait(editor);
        // Only now: a key typed before the wait for the line began would
        // have resumed the interpreter and run the empty prompt.
        assignIntCell(userWaitFlag, 1);
        // Taken now: keys typed from here on may already move the cursor.
        startColumn = editor.cursor().getColumn();
    }
    if (takesLineWithoutWaiting(editor)) {
        if (getIntCell(updateCommentsWhileRunning)) editor.updateCommentAbove();
        assignIntCell(commandsToRun, getIntCell(commandsToRun) - 1);
        assignIntCell(commandFromNotebook, 1);
        editor.setShiftAnchor(0);
    } else {
        // The end of a run-and-export: save and export on the save thread.
        if (svgExportRunning) {
            svgExportRunning = false;
            endSvgExportRun();
            window->postToWindow(
                [&editor] { startSaveAndExport(editor, windowSaveWorker(editor)); });
        }
        assignIntCell(inputStartColumn, startColumn);
        // What the completion and the status help read during this wait.
        publishStateSnapshot();
        assignIntCell(keyWaitFlag, 1);
        window->sendUserMessage(messageInputWaitChanged);
        assignIntCell(commandFromNotebook, 0);
        assignIntCell(commandsToRun, 0);
        assignIntCell(updateCommentsWhileRunning, 0);
        assignIntCell(runThroughSections, 0);
        inputWaits++;
        // Woken for work of the window (or by a permit left from it), the
        // wait goes on: only a resume gives the line.
        // Parked, the state is the GUI thread's to read (help queries).
        while (!closing) {
            handOverState();
            lineParker.park();
            takeBackState();
            takeHandedWork(true);
            if (resumeRequests.load() != resumesBefore) break;
        }
        assignIntCell(keyWaitFlag, 0);
        window->sendUserMessage(messageInputWaitChanged);
    }
    if (closing) {
        takeHandedWork(false);
        assignIntCell(inputWaiting, 0);
        assignIntCell(userWaitFlag, 0);
        return 0;
    }
    // A notebook read while the interpreter waited switches the Maxima mode
    // for the lines that follow.
    int maximaMode = window->takeRequestedMaximaMode();
    if (maximaMode >= 0) currentMaximaMode = maximaMode;
    if (window->takeSvgExportRunRequest()) {
        beginSvgExportRun();
        svgExportRunning = true;
    }
    std::string line;
    {
        TextLockHold hold(editor, "take line");
        const char* text = editor.cursor().getLine()->text.getText();
        int start =
            std::min(getIntCell(inputStartColumn), editor.cursor().getLine()->text.length());
        line = text + start;
    }
    int result = 1;
    if (line.size() >= 0x7fff) {
        result = refuseLongLine(line, buffer);
    } else {
        std::memcpy(buffer, line.c_str(), line.size() + 1);
        addHistoryLine(buffer);
    }
    // Not waiting for the user before the wait for the line ends: a key
    // typed in between would be taken for one awaited by the command.
    assignIntCell(userWaitFlag, 0);
    endInputWait(editor);
    window->clearKeys();
    inputBuiltinActive = 0;
    // The output of the command begins on a new line below it.
    editor.insertOutput("\n");
    return result;
}

int NotebookWindowHost::checkEscape() { return window ? window->takeEscape() : 0; }

// --- keys, time and the mouse
// --------------------------------------------------------------------------------

int NotebookWindowHost::pollKey() { return window ? window->takeTypedChar() : 0; }

// A key typed from here on resumes the computation thread (the text window
// does that while userWaitFlag is 1).
void NotebookWindowHost::beginUserWait(const char* status, bool showStatus) {
    lineParker.clear();
    if (!getIntCell(inputWaiting) && showStatus) {
        window->stopBusyTimer();
        setStatusText(status);
        waitStatusShown = status && *status;
    }
    assignIntCell(userWaitFlag, 1);
    showPictureOverText();
    if (graphics) graphics->repaintSoon();
    // The user answers what the notebook shows: what was printed up to here
    // (a traced line) is painted before the wait begins, also while a run
    // of commands holds back the timer's repaints.
    TextWindow* shown = window.get();
    if (!closing) sendToGui([shown] { shown->redrawText(); });
}

// A picture drawn since the notebook was last in front is shown over the
// notebook while the program waits (the callers repaint it).
void NotebookWindowHost::showPictureOverText() {
    if (graphicsInTextWindow && !textWindowInFront.load()) graphicsOverText = 1;
}

// Tab at the prompt: the picture to the front, or the notebook back.
void NotebookWindowHost::toggleFrontWindow() {
    if (!textWindowInFront.load()) return showTextWindow();
    if (graphicsInTextWindow) graphicsOverText = 1;
    showGraphicsWindow();
}

void NotebookWindowHost::endUserWait() {
    assignIntCell(userWaitFlag, 0);
    // The text of the wait goes with it.
    if (waitStatusShown) setStatusText("");
    waitStatusShown = false;
    if (!getIntCell(inputWaiting)) window->startBusyTimer();
}

int NotebookWindowHost::waitWithStatus(double seconds, int* keyCode, const char* status) {
    *keyCode = 0;
    if (!window) return 0;
    if (!(seconds >= 1)) {
        // Short waits show the picture and sleep; they read no key.
        showPictureOverText();
        if (graphics) graphics->repaintSoon();
        long milliseconds = seconds > 0 ? long(seconds * 1000) : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(1L, milliseconds)));
        return 0;
    }
    const double milliseconds = std::min(seconds * 1000, double(INT_MAX));
    beginUserWait(status, true);
    if (!closing) lineParker.parkFor(int(milliseconds));
    endUserWait();
    *keyCode = window->takeKeyCode();
    return window->takeTypedChar();
}

int NotebookWindowHost::waitKeyWithStatus(int* keyCode, const char* status) {
    if (!window || closing) {
        *keyCode = keyEscape;
        return 27;
    }
    assignIntCell(keyWaitFlag, 1);
    beginUserWait(status, true);
    window->sendUserMessage(messageInputWaitChanged);
    if (!closing) lineParker.park();
    assignIntCell(keyWaitFlag, 0);
    window->sendUserMessage(messageInputWaitChanged);
    endUserWait();
    *keyCode = window->takeKeyCode();
    const int character = window->takeTypedChar();
    // A character typed for the program counts as a change of the notebook.
    if (character) {
        NotebookEditor& editor = window->getEditor();
        TextLockHold hold(editor, "key typed");
        editor.setNotebookChanged(1);
    }
    return character;
}

// The character typed, else the key code, else 0 (a mouse event).
int NotebookWindowHost::waitForMouseEvent(int mode, const char* status, bool showStatus) {
    if (!window || !graphics || closing) return 27;
    graphics->setMouseWaitMode(mode);
    beginUserWait(status, showStatus);
    if (!closing) lineParker.park();
    graphics->setMouseWaitMode(0);
    endUserWait();
    const int code = window->takeKeyCode(), character = window->takeTypedChar();
    return character ? character : code;
}

int NotebookWindowHost::waitMouseClick(double* x, double* y, const char* status) {
    const int key = waitForMouseEvent(1, status, true);
    getMousePosition(x, y);
    return key;
}

int NotebookWindowHost::waitMouseDrag(double* x, double* y, int* time, int* key,
                                      const char* status) {
    *key = waitForMouseEvent(2, status, status[0] != 0);
    const int event = getMousePosition(x, y);
    *time = graphics ? graphics->getMouseRecord().time : 0;
    return *key ? 0 : event;
}

int NotebookWindowHost::getMousePosition(double* x, double* y) {
    *x = *y = 0;
    if (!graphics) return 0;
    const MouseRecord record = graphics->getMouseRecord();
    *x = record.x;
    *y = record.y;
    return record.event;
}

// --- output
// ------------------------------------------------------------------------------------------

int NotebookWindowHost::printToTextWindow(const char* text) {
    if (!window) return 0;
    window->getEditor().insertOutput(text);
    // Painted with the next tick of the text window.
    window->invalidate();
    if (errorCode) {
        // An automatic run stops at the first error.
        assignIntCell(commandsToRun, 0);
        assignIntCell(runThroughSections, 0);
    }
    return 1;
}

void NotebookWindowHost::showTextWindow() {
    if (textWindowInFront.exchange(1)) return;
    graphicsOverText = 0;
    if (!window) return;
    TextWindow* w = window.get();
    w->postToWindow([w] {
        w->invalidate();
        w->raiseWindow();
    });
    setStatusText("");
}

void NotebookWindowHost::setStatusText(const char* text) {
    // The status line keeps the crop instructions while an area is chosen.
    if (cropMode) return;
    if (window) window->setStatusText(text);
}

void NotebookWindowHost::showWarning(const char* text, const char* title) {
    writeLog("%s: %s", title, text);
    if (textLock.isHeldByCaller() || graphicsLock.isHeldByCaller() || !isGuiRunning()) {
        std::fprintf(stderr, "%s: %s\n", title, text);
        return;
    }
    showWarningBox(text, title, window.get());
}

void NotebookWindowHost::clearTextWindow() {
    if (window) window->getEditor().clearTextWindow();
}

// At every start and restart (an opened notebook restarts too) the old
// picture goes with the old notebook.
void NotebookWindowHost::startNewNotebook() {
    if (window) window->getEditor().startNewNotebook();
    emitClear();
    redrawGraphics();
}

void NotebookWindowHost::endFunctionEntry() { assignIntCell(functionEntryState, 0); }

// Rendered on the calling (computation) thread without the "Text" lock; the
// insertion takes the lock itself. A failed rendering has been reported by
// renderFormula and inserts nothing.
void NotebookWindowHost::insertLatexImage(const char* latex) {
    if (!window || !latex || !*latex) return;
    const std::string png =
        window->renderFormula(latex, 0, window->getEditor().getTextLineHeight());
    if (png.empty()) return;
    const int mode = !intSetting("latexantialias") ? 0 : intSetting("latexkeeplarge") ? 2 : 1;
    kalix::insertImageFile(25, png.c_str(), 1, mode, latex, 0);
    // The picture keeps the file's bytes; the rendering's file is ours.
    std::remove(png.c_str());
}

// --- the user menu -----------------------------------------------------------------------------

void NotebookWindowHost::addUserMenuItem(const char* text) {
    std::string copy = text;
    if (window)
        window->postToWindow([this, copy] {
            if (menu) menu->addUserMenuItem(copy);
        });
}

void NotebookWindowHost::setUserSubmenuName(const char* name) {
    std::string copy = name;
    if (window)
        window->postToWindow([this, copy] {
            if (menu) menu->setUserSubmenuName(copy);
        });
}

void NotebookWindowHost::addLoadedFileToMenu(const char* name) {
    std::string copy = name;
    if (window)
        window->postToWindow([this, copy] {
            if (menu) menu->addLoadedFileToMenu(copy);
        });
}

int NotebookWindowHost::askAllowDialog(const char* question) {
    if (textLock.isHeldByCaller() || graphicsLock.isHeldByCaller() || !isGuiRunning())
        return allowNo;
    return askAllowBox(question, window.get());
}

}  // namespace kalix
