#include "shell/windows/notebook_window_host.h"

#include <cstdio>
#include <cstring>

#include "interpreter/state.h"
#include "notebook/line_editor.h"
#include "platform/allow_question.h"
#include "platform/host.h"
#include "shell/base_directory.h"
#include "shell/settings.h"
#include "shell/windows/dialogs.h"
#include "shell/windows/gui_bridge.h"

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
    window = std::make_unique<TextWindow>(*this);
    int screenWidth, screenHeight;
    getScreenWorkArea(screenWidth, screenHeight);
    window->resizeWindow(std::min(intSetting("wtext"), screenWidth),
                         std::min(intSetting("htext"), screenHeight));
    window->setMinimumClientSize(300, 200);
    std::string keys = std::string(programDir.getText()) + "translations.txt";
    if (checkFileExists(keys.c_str())) window->loadKeyTable(keys.c_str());
    window->showAtStart();
    window->raiseWindow();
    return true;
}

void NotebookWindowHost::runWindows(Thread& computation) {
    runMessageLoop();
    stopInterpreter();
    computation.killThread(threadStopTimeout);
}

void NotebookWindowHost::stopInterpreter() {
    closing = 1;
    // Escape ends a computation; the end of the input ends the interpreter.
    if (window) window->storeEscape();
    lineParker.unpark();
}

void NotebookWindowHost::interpreterEnded() {
    if (window) window->sendUserMessage(messageInterpreterEnded);
}

void NotebookWindowHost::exitFromMenu() { postQuitMessage(0); }

void NotebookWindowHost::resumeInterpreter() { lineParker.unpark(); }

// --- line input
// ------------------------------------------------------------------------------------

// The prompt is ready: the cursor goes to the next existing prompt of the
// same kind (the fresh prompt is then dropped) and is shown.
void NotebookWindowHost::beginInputWait(NotebookEditor& editor) {
    assignIntCell(inputWaiting, 1);
    editor.setLineKindFromPrefix();
    // Only a fresh prompt may go: a command whose output was kept from the
    // notebook (output off) must stay.
    if (editor.cursorLine->text.length() == 1) editor.moveToNextPrompt();
    editor.showCursorLine();
    editor.getHost().invalidate();
    showTextWindow();
    // The busy hint of a computation that has ended goes.
    if (window->getStatusText() == ">>> Computing. Press ESC to abort.") setStatusText("");
}

void NotebookWindowHost::endInputWait(NotebookEditor& editor) {
    assignIntCell(inputWaiting, 0);
    editor.backupCursorLine();
    editor.removeOutput();
    editor.getHost().invalidate();
    window->startBusyTimer();
    window->stopStatusHelpTimer();
}

bool NotebookWindowHost::takesLineWithoutWaiting(NotebookEditor& editor) {
    if (getIntCell(commandsToRun) <= 0) return false;
    TextLockHold hold(editor, "run commands");
    NotebookLine* line = editor.cursorLine;
    return !editor.startsSection(line) || (line->next && getIntCell(runThroughSections));
}

int NotebookWindowHost::readInputLine(char* buffer) {
    buffer[0] = 0;
    if (closing || !window) return 0;
    NotebookEditor& editor = window->getEditor();
    // The function command reads body lines: "$" prompts.
    int entry = getIntCell(functionEntryState);
    if (functionEntryActive && entry != 1) assignIntCell(functionEntryState, 1);
    if (!functionEntryActive && entry == 1) assignIntCell(functionEntryState, 0);
    assignIntCell(userWaitFlag, 1);
    {
        TextLockHold hold(editor, "start edit");
        NotebookLine* line = editor.cursorLine;
        if (line->text.isStringEmpty()) {
            bool body = getIntCell(functionEntryState) != 0;
            line->kind = body ? lineFunctionBody : lineCommand;
            line->text.assign(body ? "$" : ">");
            editor.cursorColumn = 1;
        }
        beginInputWait(editor);
    }
    if (takesLineWithoutWaiting(editor)) {
        assignIntCell(commandsToRun, getIntCell(commandsToRun) - 1);
        assignIntCell(commandFromNotebook, 1);
        editor.setShiftAnchor(0);
    } else {
        assignIntCell(keyWaitFlag, 1);
        window->sendUserMessage(messageInputWaitChanged);
        assignIntCell(commandFromNotebook, 0);
        assignIntCell(commandsToRun, 0);
        assignIntCell(runThroughSections, 0);
        {
            TextLockHold hold(editor, "set cursor in start edit");
            assignIntCell(inputStartColumn, editor.cursorColumn);
        }
        inputWaits++;
        if (!closing) lineParker.park();
        assignIntCell(keyWaitFlag, 0);
        window->sendUserMessage(messageInputWaitChanged);
    }
    if (closing) {
        assignIntCell(inputWaiting, 0);
        assignIntCell(userWaitFlag, 0);
        return 0;
    }
    std::string line;
    {
        TextLockHold hold(editor, "take line");
        const char* text = editor.cursorLine->text.getText();
        int start = std::min(getIntCell(inputStartColumn), editor.cursorLine->text.length());
        line = text + start;
    }
    int result = 1;
    if (line.size() >= 0x7fff) {
        result = inputLineTooLong;
    } else {
        std::memcpy(buffer, line.c_str(), line.size() + 1);
        addHistoryLine(buffer);
    }
    endInputWait(editor);
    window->clearKeys();
    assignIntCell(userWaitFlag, 0);
    inputBuiltinActive = 0;
    // The output of the command begins on a new line below it.
    editor.insertOutput("\n");
    return result;
}

int NotebookWindowHost::checkEscape() { return window ? window->takeEscape() : 0; }

// --- output
// ------------------------------------------------------------------------------------------

int NotebookWindowHost::printToTextWindow(const char* text) {
    if (!window) return 0;
    window->getEditor().insertOutput(text);
    if (errorCode) {
        // An automatic run stops at the first error.
        assignIntCell(commandsToRun, 0);
        assignIntCell(runThroughSections, 0);
    }
    return 1;
}

void NotebookWindowHost::showTextWindow() {
    if (textWindowInFront.exchange(1)) return;
    if (!window) return;
    TextWindow* w = window.get();
    w->postToWindow([w] {
        w->invalidate();
        w->raiseWindow();
    });
    setStatusText("");
}

void NotebookWindowHost::setStatusText(const char* text) {
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

void NotebookWindowHost::startNewNotebook() {
    if (window) window->getEditor().startNewNotebook();
}

void NotebookWindowHost::endFunctionEntry() { assignIntCell(functionEntryState, 0); }

int NotebookWindowHost::askAllowDialog(const char* question) {
    if (textLock.isHeldByCaller() || graphicsLock.isHeldByCaller() || !isGuiRunning())
        return allowNo;
    return askAllowBox(question, window.get());
}
