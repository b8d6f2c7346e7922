#include "gui/text_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/settings.h"
#include "base/text.h"
#include "graphics/crop_area.h"
#include "gui/dialogs.h"
#include "gui/file_menu_commands.h"
#include "gui/graphics_commands.h"
#include "gui/graphics_window.h"
#include "gui/gui_bridge.h"
#include "gui/kalix_menu.h"
#include "gui/notebook_painting.h"
#include "gui/notebook_picture_service.h"
#include "gui/notebook_recovery.h"
#include "interpreter/state.h"
#include "interpreter/state_snapshot.h"
#include "notebook/help.h"
#include "notebook/help_database.h"
#include "notebook/line_editor.h"
#include "platform/host.h"

namespace kalix {

TextWindow* textWindow = nullptr;

namespace {

const Rgb secondInstanceBorder{200, 200, 200};
const char computingHint[] = ">>> Computing. Press ESC to abort.";

int rounded(double value) { return int(value + 0.5); }

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Characters of a name for the status-line help, by code.
bool isHelpNameChar(int code) {
    return isLetterCode(code) || (code >= '0' && code <= '9') || code == '_';
}

}  // namespace

TextWindow::TextWindow(InterpreterLink& link)
    : StandardWindow("", intSetting("wtext"), intSetting("htext"), WindowStyle{true, true, true}),
      link(link),
      statusLine(*this),
      editor(this, this) {
    notebookEditor = &editor;
    textWindow = this;
    setCaretWanted(1);
    textAreaWidth = getClientWidth() - 2 * textOffset();
    textAreaHeight = getClientHeight() - 2 * textOffset();
    applySizes();
    updateWindowTitle();
    startShortTimer();
    recoveryTimer = std::make_unique<WindowTimer>(*this, recoveryCopyInterval(), recoveryTimerId);
}

TextWindow::~TextWindow() {
    // No copy starts any more, and the one being written ends before the
    // notebook goes.
    recoveryTimer.reset();
    endWindowSaveWorker(editor);
    if (textWindow == this) textWindow = nullptr;
    if (notebookEditor == &editor) notebookEditor = nullptr;
}

// A second instance draws its text area 10 pixels in, inside a border.
int TextWindow::textOffset() const { return secondInstance ? 10 : 0; }

// --- sizes and fonts -------------------------------------------------------------------------

void TextWindow::onSized() {
    sizePending = 1;
    applySizes();
    // The picture inside follows the window once the resizing pauses.
    if (graphicsInTextWindow && graphicsWindow) graphicsWindow->onSized();
}

// Minimised, the notebook takes its picture's window along; restored, it
// brings it back. A picture inside the notebook has no window to move.
void TextWindow::onSizeState(int state) {
    if (graphicsInTextWindow || !graphicsWindow) return;
    if (state == sizeMinimized)
        graphicsWindow->hideWindow();
    else if (state == sizeRestored)
        graphicsWindow->showWindow();
}

bool TextWindow::applySizes() {
    TextLockHold hold(editor, "sized", std::try_to_lock);
    if (!hold.owns()) return false;
    sizePending = 0;
    double scale = magnifyMode ? 1.2 : 1.0;
    int size = std::clamp(intSetting("textfont"), smallestTextFont, largestTextFont);
    std::string face = textSetting("textfontname");
    fonts.normal = {face, rounded(size * scale), 400};
    fonts.bold = {face, rounded((size + 1) * scale), 700};
    fonts.heading = {face, rounded(size * scale * 4 / 3), 700};
    measure = measureFont(fonts.normal);
    textAreaWidth = std::max(1, getClientWidth() - 2 * textOffset());
    textAreaHeight = std::max(1, getClientHeight() - 2 * textOffset());
    int average = std::max(1, measure.widths['x']);
    int length =
        intSetting("fixlinelength") ? 70 : std::max(10, (textAreaWidth - 2 * 20) / average);
    if (length != lineLength) lineLength = length;
    pixelWidth = measure.widths['m'] * lineLength;
    editor.relayout();
    return true;
}

// --- repainting ----------------------------------------------------------------------------------

void TextWindow::invalidate() {
    redrawPending = 1;
    if (isGuiThread()) repaintSoon();
}

// Edits made on the GUI thread are shown at once (after the event that made
// them); the computation thread's changes wait for the 100 ms tick.
void TextWindow::repaintSoon() {
    if (repaintQueued.exchange(1)) return;
    postToWindow([this] {
        repaintQueued = 0;
        if (redrawPending) redrawText();
    });
}

bool TextWindow::redrawText() {
    TextLockHold hold(editor, "redraw", std::try_to_lock);
    if (!hold.owns()) {
        redrawPending = 1;
        return false;
    }
    redrawPending = 0;
    if (sizePending) applySizes();
    if (!offscreen || offscreen->width() != textAreaWidth || offscreen->height() != textAreaHeight)
        offscreen = OffscreenImage::make(textAreaWidth, textAreaHeight);
    auto pictureSource = [this](const NotebookLine& row) -> std::shared_ptr<WindowImage> {
        const std::shared_ptr<NotebookPicture>& shown =
            magnifyMode && row.largeImage ? row.largeImage : row.image;
        auto found = pictures.find(shown.get());
        if (found != pictures.end() && found->second.first.lock() == shown)
            return found->second.second;
        std::erase_if(pictures, [](const auto& entry) { return entry.second.first.expired(); });
        std::shared_ptr<WindowImage> pixels = decodeImage(shown->pngBytes());
        pictures[shown.get()] = {shown, pixels};
        return pixels;
    };
    for (int pass = 0; pass < 2; pass++) {
        {
            auto surface = offscreen->paint();
            NotebookPainter painter(editor, *surface, fonts, pixelWidth, pictureSource);
            painter.drawVisibleLines(nullptr);
        }
        editor.setCaret();
        // The view follows the caret sideways.
        int x = editor.view().getCaretX(), width = textAreaWidth;
        bool outside =
            x > width * 9 / 10 || (x < width / 10 && editor.view().getHorizontalScroll() > 0);
        if (pass > 0 || !editor.view().getFollowCursor() || !outside) break;
        editor.view().setHorizontalScroll(
            std::max(0, editor.view().getHorizontalScroll() + x - width / 2));
    }
    placeCaret(textOffset());
    updateScrollBars();
    repaintCount++;
    invalidateWindow();
    return true;
}

void TextWindow::placeCaret(int offset) {
    moveCaret(editor.view().getCaretX() + offset, editor.view().getCaretY() + offset);
    resizeCaret(editor.view().getCaretWidth(), editor.view().getCaretHeight());
}

void TextWindow::updateScrollBars() {
    setScrollPosition(scrollVertical, editor.verticalBarPosition());
    setScrollPosition(scrollHorizontal, editor.horizontalBarPosition());
}

void TextWindow::onRedraw(WindowSurface& surface) {
    // The picture over the notebook: without the caret, the whole client
    // area.
    if (graphicsWindow && graphicsWindow->coversText()) {
        if (isCaretShown()) {
            hideCaret();
            caretHiddenForPicture = 1;
        }
        graphicsWindow->onRedraw(surface);
        return;
    }
    if (caretHiddenForPicture) {
        caretHiddenForPicture = 0;
        if (getIntCell(keyWaitFlag)) showCaret();
    }
    if (!offscreen || offscreen->width() != textAreaWidth || offscreen->height() != textAreaHeight)
        redrawText();
    int offset = textOffset();
    if (offset) surface.fill(0, 0, surface.width(), surface.height(), secondInstanceBorder);
    if (offscreen) {
        surface.drawImage(*offscreen, offset, offset, offscreen->width(), offscreen->height());
        // A window grown before the next repaint shows the background.
        int right = offset + offscreen->width(), bottom = offset + offscreen->height();
        surface.fill(right, 0, surface.width() - right, surface.height(), notebookTextColour(4));
        surface.fill(0, bottom, surface.width(), surface.height() - bottom, notebookTextColour(4));
    } else {
        surface.fill(0, 0, surface.width(), surface.height(), notebookTextColour(4));
    }
}

// --- keys
// ------------------------------------------------------------------------------------------

int TextWindow::takeEscape() {
    int expected = editEscape;
    return keyCode.compare_exchange_strong(expected, 0) ? editEscape : 0;
}

int TextWindow::translateKey(int character) const {
    if (!keyTable || character < 32 || character > 127) return character;
    return keyTable[size_t(character)] ? keyTable[size_t(character)] : character;
}

int TextWindow::loadKeyTable(const char* fileName) {
    keyTable = std::make_unique<int[]>(128);
    std::fill(keyTable.get(), keyTable.get() + 128, 0);
    FILE* file = std::fopen(fileName, "r");
    if (!file) return 0;
    char line[16];
    while (std::fgets(line, 15, file)) {
        auto first = static_cast<unsigned char>(line[0]);
        if (first < 32 || first > 127) break;
        // The second character of the line, in the code page.
        int second = characterCode(line + 1, codePageIsUtf8());
        if (second >= 32) keyTable[first] = second;
    }
    std::fclose(file);
    return 1;
}

void TextWindow::onKey(int event, int character, int key) {
    if (sizePending) applySizes();
    bool escape = (event == keyEventCharacter && character == 27) ||
                  (event == keyEventPressed && key == windowKeyCancel);
    // While LaTeX renders a comment's formula the keys wait; Escape ends it.
    if (formulaRendering()) {
        if (escape) storeEscape();
        return;
    }
    // While a crop area is chosen a key ends the choice: Return keeps the
    // area, another character drops it; other keys raise the graphics.
    if (cropMode && (event & 2)) {
        keyTranslateArmed = 0;
        if (event != keyEventCharacter) {
            if (graphicsWindow && !graphicsInTextWindow) graphicsWindow->raiseWindow();
        } else if (character == 13) {
            finishCropMode();
        } else {
            cancelCropMode();
        }
        return;
    }
    TextLockHold hold(editor, "key", std::try_to_lock);
    if (!hold.owns()) {
        // Escape is never dropped: it stops the computation without the lock.
        // Another key that finds the notebook busy (a save or the recovery
        // copy reading it) waits for the next tick, behind the keys before it.
        if (escape)
            storeEscape();
        else if (waitingKeys.size() < maxWaitingKeys)
            waitingKeys.push_back({event, character, key});
        return;
    }
    typeWaitingKeys();
    handleKey(event, character, key);
}

void TextWindow::typeWaitingKeys() {
    TextLockHold hold(editor, "key", std::try_to_lock);
    if (!hold.owns()) return;
    while (!waitingKeys.empty()) {
        WaitingKey next = waitingKeys.front();
        waitingKeys.pop_front();
        handleKey(next.event, next.character, next.key);
    }
}

void TextWindow::handleKey(int event, int character, int key) {
    if (event == keyEventReleased && key == windowKeyControl)
        keyTranslateArmed = !keyTranslateArmed;
    if (!(event & 2)) return;
    if (key == windowKeyControl) return;
    if (key == windowKeyShift) {
        keyTranslateArmed = 0;
        return;
    }
    int code = 0;
    bool replaced = false;
    bool cursorKey = false;
    if (event == keyEventCharacter) {
        if (keyTranslateArmed) {
            character = translateKey(character);
            keyTranslateArmed = 0;
        }
        if (character == 9) {
            code = editTab;
        } else if (character == 13) {
            code = editReturn;
        } else if (character == ' ' && isControlDown()) {
            character = noBreakSpaceChar;
        } else if (character == 27) {
            escapeTyped(character, code);
            if (code < 0) return;  // Escape in a function body sends nothing
        }
        typedChar = character;
        storeKeyCode(code);
    } else {
        virtualKey(key, code, replaced);
        cursorKey = key == windowKeyUp || key == windowKeyDown || key == windowKeyLeft ||
                    key == windowKeyRight || key == windowKeyHome || key == windowKeyEnd ||
                    key == windowKeyPageUp || key == windowKeyPageDown;
        storeKeyCode(code);
        character = typedChar;
    }
    if (!replaced) {
        if (getIntCell(inputWaiting)) {
            editor.setShiftAnchor(cursorKey && isShiftDown());
            lineEditor.handleKey(editor, character, code);
            startStatusHelpTimer();
        } else if (getIntCell(userWaitFlag)) {
            link.resumeInterpreter();
        }
    }
    waitTimer.reset();
}

// An Escape not yet seen by a computation stays: a key typed after it must
// not take it away.
void TextWindow::storeKeyCode(int code) {
    if (keyCode.load() == editEscape && !getIntCell(inputWaiting)) return;
    keyCode = code;
}

// Escape: leaves a function edited in place, ends a body read line by line
// on an empty body line, and else stops the computation.
void TextWindow::escapeTyped(int& character, int& code) {
    int entry = getIntCell(functionEntryState);
    bool waiting = getIntCell(inputWaiting);
    if (entry == 2 && waiting) {
        code = editEscape;
        character = 27;
    } else if (entry == 1 && waiting && editor.endFunctionLine()) {
        code = editReturn;
    } else if (waiting && editor.isCursorInFunctionBody()) {
        code = -1;
    } else {
        code = editEscape;
        character = 27;
    }
}

// The code of a virtual key; while the interpreter waits for a line some
// keys act on the notebook themselves (`replaced`).
void TextWindow::virtualKey(int key, int& code, bool& replaced) {
    bool ctrl = isControlDown(), shift = isShiftDown();
    bool waiting = getIntCell(inputWaiting);
    typedChar = 0;
    switch (key) {
        case windowKeyUp:
        case windowKeyDown:
            typedChar = key == windowKeyUp ? 1 : 2;
            code = key == windowKeyUp ? editUp : editDown;
            if (waiting && !ctrl) {
                editor.setShiftAnchor(shift);
                if (key == windowKeyUp)
                    editor.moveLineUp();
                else
                    editor.moveLineDown();
                if (!shift) editor.highlightMatchingBracket();
                replaced = true;
            }
            break;
        case windowKeyLeft:
            code = ctrl ? editWordLeft : editLeft;
            break;
        case windowKeyRight:
            code = ctrl ? editWordRight : editRight;
            break;
        case windowKeyCancel:
            code = editEscape;
            break;
        case windowKeyDelete:
        case windowKeyBackspace:
            code = key == windowKeyDelete ? editDelete : editBackspace;
            if (waiting && editor.cursor().getSelectionFirst() &&
                editor.isSelectionOnCursorLine() && !editor.isBracketMatchShown()) {
                editor.deleteSelection();
                replaced = true;
            }
            break;
        case windowKeyEnd:
            code = editEnd;
            if (ctrl) {
                editor.gotoTextEnd();
                replaced = true;
            } else if (waiting && getIntCell(functionEntryState) == 1) {
                // An empty body line ends the function; End then shows it.
                editor.endFunctionLine();
            }
            break;
        case windowKeyHome:
            code = editHome;
            if (ctrl) {
                editor.gotoTextStart();
                replaced = true;
            }
            break;
        case windowKeyInsert:
            code = editInsert;
            break;
        case windowKeyPageUp:
        case windowKeyPageDown:
            code = key == windowKeyPageUp ? editPageUp : editPageDown;
            if (waiting) {
                editor.setShiftAnchor(shift);
                if (key == windowKeyPageUp)
                    editor.pageUp(ctrl);
                else
                    editor.pageDown(ctrl);
                replaced = true;
            }
            break;
        default:
            if (key >= windowKeyF1 && key < windowKeyF1 + 10) code = editF1 + (key - windowKeyF1);
            break;
    }
}

// --- the mouse
// ----------------------------------------------------------------------------------------

void TextWindow::onMouse(int x, int y, int event) {
    // Over the picture the mouse is the picture's (mouse waits, crop).
    if (graphicsInTextWindow && graphicsOverText && graphicsWindow)
        return graphicsWindow->onMouse(x, y, event);
    if (!getIntCell(inputWaiting) || formulaRendering()) return;
    TextLockHold hold(editor, "mouse", std::try_to_lock);
    if (!hold.owns()) return;
    x -= textOffset();
    y -= textOffset();
    switch (event) {
        case mouseLeftDown: {
            editor.unmarkAll();
            LinePosition point = editor.lineAtPoint(x, y);
            editor.startDrag(x, y);
            dragging = point.line && !point.line->image ? 1 : 0;
            editor.getHost().invalidate();
            break;
        }
        case mouseMove:
            if (!dragging) break;
            lastDragX = x;
            lastDragY = y;
            if (y < 0 || y > textAreaHeight) {
                if (!dragScrollTimer)
                    dragScrollTimer = std::make_unique<WindowTimer>(*this, 20, dragScrollTimerId);
                dragDirection = y < 0 ? -1 : 1;
            } else {
                dragScrollTimer.reset();
                dragDirection = 0;
                editor.dragTo(x, y);
            }
            break;
        case mouseLeftUp:
            dragScrollTimer.reset();
            dragDirection = 0;
            if (dragging) {
                editor.endDrag(x, y);
                dragging = 0;
                editor.showCursorLine();
                invalidate();
            }
            break;
        case mouseLeftDouble:
            selectWordAt(x, y);
            break;
        default:
            break;
    }
}

// A double click selects the word under the point: a whole link line, the
// file of a ">load " command, a number, a name, or the run between names.
void TextWindow::selectWordAt(int x, int y) {
    LinePosition point = editor.lineAtPoint(x, y);
    NotebookLine* line = point.line;
    if (!line || line->image) return;
    const std::string text = line->text.getText();
    int length = int(text.size());
    int start = 0, end = length;
    if (line->kind == lineComment &&
        (startsWith(text, "http") || startsWith(text, "See:") || startsWith(text, "see:"))) {
        start = 0;
    } else if (line->kind == lineCommand && startsWith(text, ">load ")) {
        start = 1;
    } else {
        // Whole characters, classed by their codes.
        int column = line->characterStart(std::min(point.column, length > 0 ? length - 1 : 0));
        auto kindAt = [line](int i) {
            int c = line->characterAt(i);
            return isNumberChar(c) ? 1 : NotebookEditor::isWordChar(c) ? 2 : 0;
        };
        int kind = length ? kindAt(column) : 0;
        auto same = [&](int i) {
            int k = kindAt(i);
            return kind == 1 ? k == 1 : kind == 2 ? k != 0 : k == 0;
        };
        start = column;
        end = line->nextColumn(column);
        while (start > 0 && same(line->previousColumn(start))) start = line->previousColumn(start);
        while (end < length && same(end)) end = line->nextColumn(end);
    }
    if (end <= start) return;
    editor.cursor().setAnchor(line, start);
    editor.markTo(line, end);
    editor.cursor().clearAnchor();
}

// --- timers --------------------------------------------------------------------------------

// Other threads have the GUI thread run it; true when posted.
bool TextWindow::postedToGui(std::function<void()> job) {
    if (isGuiThread()) return false;
    postToWindow(std::move(job));
    return true;
}

void TextWindow::startWaitTimer(int milliseconds) {
    if (postedToGui([this, milliseconds] { startWaitTimer(milliseconds); })) return;
    waitTimer = std::make_unique<WindowTimer>(*this, milliseconds, waitTimerId);
}

void TextWindow::startStatusHelpTimer() {
    if (!intSetting("statushelp")) return;
    if (postedToGui([this] { startStatusHelpTimer(); })) return;
    statusHelpTimer = std::make_unique<WindowTimer>(*this, 500, statusHelpTimerId);
}

void TextWindow::stopStatusHelpTimer() {
    if (postedToGui([this] { stopStatusHelpTimer(); })) return;
    statusHelpTimer.reset();
}

void TextWindow::startShortTimer() {
    if (postedToGui([this] { startShortTimer(); })) return;
    if (!shortTimer) shortTimer = std::make_unique<WindowTimer>(*this, 100, shortTimerId);
}

void TextWindow::stopShortTimer() {
    if (postedToGui([this] { stopShortTimer(); })) return;
    shortTimer.reset();
}

void TextWindow::startBusyTimer() {
    if (postedToGui([this] { startBusyTimer(); })) return;
    busyTimer = std::make_unique<WindowTimer>(*this, 500, busyTimerId);
}

void TextWindow::stopBusyTimer() {
    if (postedToGui([this] { stopBusyTimer(); })) return;
    busyTimer.reset();
}

void TextWindow::onTimer(int id) {
    switch (id) {
        case waitTimerId:
            waitTimer.reset();
            clearKeys();
            if (getIntCell(userWaitFlag)) link.resumeInterpreter();
            break;
        case dragScrollTimerId:
            dragScroll();
            break;
        case statusHelpTimerId:
            statusHelpTimer.reset();
            statusHelp();
            break;
        case busyTimerId:
            busyTimer.reset();
            if (!getIntCell(inputWaiting)) setStatusText(computingHint);
            break;
        case recoveryTimerId:
            keepRecoveryCopy(editor);
            break;
        case shortTimerId: {
            if (sizePending) applySizes();
            if (!waitingKeys.empty()) typeWaitingKeys();
            int running = getIntCell(commandsToRun);
            // Under the picture the notebook waits, unless a wait may end.
            bool covered = graphicsOverText && !getIntCell(userWaitFlag);
            if (redrawPending && !(running >= 1 && running <= 19) && !covered) redrawText();
            break;
        }
    }
}

void TextWindow::dragScroll() {
    TextLockHold hold(editor, "drag scroll", std::try_to_lock);
    if (!hold.owns() || !dragDirection) return;
    if (dragDirection > 0) {
        editor.scrollDown();
        editor.dragTo(lastDragX, textAreaHeight - 1);
    } else {
        editor.scrollUp();
        editor.dragTo(lastDragX, 0);
    }
}

// The help for the name before the cursor, in the status line.
void TextWindow::statusHelp() {
    if (!getIntCell(inputWaiting)) return;
    std::string line;
    int column;
    bool symbolic;
    {
        TextLockHold hold(editor, "status help", std::try_to_lock);
        if (!hold.owns() || editor.cursor().getLine()->text.length() >= 32766) return;
        line = editor.cursor().getLine()->text.getText();
        column = std::min(editor.cursor().getColumn(), int(line.size()));
        symbolic = editor.isSymbolicAtCursor();
    }
    bool command = startsWith(line, ">");
    int first = command ? 1 : 0;
    const char* text = line.c_str();
    bool utf8 = isUtf8Text(text);
    auto before = [text, utf8](int column) {
        return int(previousCharacter(text, size_t(column), utf8));
    };
    int start = column;
    if (start > first && line[size_t(start - 1)] == '(') start--;
    while (start > first) {
        int previous = before(start);
        if (isHelpNameChar(characterCode(text + previous, utf8))) {
            start = previous;
        } else if (command && previous - 1 >= first && line[size_t(previous - 1)] == '\\') {
            // An escaped character.
            start = previous - 1;
        } else {
            break;
        }
    }
    std::string name = line.substr(size_t(start), size_t(column - start));
    std::string help;
    if (startsWith(line, ">>")) {
        help = ">>> Enter a Yacas command!";
    } else if (startsWith(line, ">function") && column < 10) {
        help = ">>> Press F9 to edit the function";
    } else if (!name.empty() && name != "(") {
        if (symbolic || currentMaximaMode)
            help = completeMaximaName(name, lineEditor.maximaEntryFor(name)).help;
        else
            help = completeName(name, *publishedStateSnapshot()).hint;
    }
    lastHelpText = help;
    kalix::showStatus(*this, help.c_str());
}

// --- scrolling
// ----------------------------------------------------------------------------------------

void TextWindow::onScroll(int bar, int code, int position) {
    if (!getIntCell(inputWaiting) && !getIntCell(userWaitFlag)) return;
    TextLockHold hold(editor, "scroll", std::try_to_lock);
    if (!hold.owns()) return;
    if (bar == scrollVertical) {
        switch (code) {
            case scrollLineUp:
                editor.scrollUp();
                break;
            case scrollLineDown:
                editor.scrollDown();
                break;
            case scrollPageUp:
                editor.pageUp(0);
                break;
            case scrollPageDown:
                editor.pageDown(0);
                break;
            case scrollThumb:
                editor.setScrollFromBar(position);
                break;
        }
    } else {
        int offset = editor.getHorizontalScroll();
        static const int steps[4] = {-10, 10, -100, 100};
        if (code >= scrollLineUp && code <= scrollPageDown) {
            if (offset == 0 && steps[code] < 0) return;
            editor.setHorizontalScroll(std::max(0, offset + steps[code]));
        } else if (code == scrollThumb) {
            editor.setHorizontalFromBar(position);
        }
        setScrollPosition(scrollHorizontal, editor.horizontalBarPosition());
    }
    invalidate();
}

// --- closing and messages
// ---------------------------------------------------------------------------------

int TextWindow::onClose() {
    if (quitAnswer) return 1;
    quitAnswer = link.requestQuit();
    return quitAnswer;
}

void TextWindow::onUserMessage(int code, const char*) {
    switch (code) {
        case messageInterpreterEnded:
            link.exitFromMenu();
            break;
        case messageInputWaitChanged:
            if (!getIntCell(userWaitFlag)) break;
            if (getIntCell(keyWaitFlag))
                showCaret();
            else
                hideCaret();
            break;
        case messageRelayout:
            onSized();
            break;
        default:
            break;
    }
}

// --- the notebook's requests
// --------------------------------------------------------------------------------

NotebookOptions TextWindow::options() {
    NotebookOptions o = notebookOptionsFromSettings();
    o.magnifyMode = magnifyMode;
    return o;
}

void TextWindow::changedFlagShown(int flag) {
    changedShown = flag;
    updateWindowTitle();
}

void TextWindow::filePathChanged(const char* path) {
    std::string previous;
    {
        std::lock_guard<std::mutex> lock(textsMutex);
        previous = notebookPath;
        notebookPath = path ? path : "";
    }
    // A notebook read or saved under a new name joins the recent list.
    if (path && *path && previous != path && mainMenu) mainMenu->addRecentFile(path);
    updateWindowTitle();
}

void TextWindow::updateWindowTitle() {
    if (postedToGui([this] { updateWindowTitle(); })) return;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(textsMutex);
        path = notebookPath;
    }
    std::string name = NotebookEditor::notebookNameOf(path);
    char title[512];
    std::snprintf(title, sizeof title,
                  secondInstance ? "*** KXW Window x64 **** (%s)" : "KXW x64 (%s)", name.c_str());
    std::string text = title;
    if (changedShown) text += " (changed)";
    setTitle(text.c_str());
}

void TextWindow::scrollChanged() { invalidate(); }

void TextWindow::showStatus(const char* text) { kalix::showStatus(*this, text); }

void TextWindow::setStatusText(const char* text) {
    {
        std::lock_guard<std::mutex> lock(textsMutex);
        statusText = text ? text : "";
    }
    kalix::showStatus(*this, text);
}

std::string TextWindow::getStatusText() {
    std::lock_guard<std::mutex> lock(textsMutex);
    return statusText;
}

void TextWindow::showMessage(const char* text) { kalix::showMessage(text, "Kalix"); }

void TextWindow::setClipboardText(const char* text) {
    std::string utf8 = notebookTextUtf8(text ? text : "");
    postToWindow([utf8] { putClipboardText(utf8); });
}

void TextWindow::setClipboardPicture(const NotebookPicture& picture) {
    std::shared_ptr<WindowImage> pixels = decodeImage(picture.pngBytes());
    if (pixels) postToWindow([pixels] { putClipboardImage(*pixels); });
}

void TextWindow::resumeInterpreter() { link.resumeInterpreter(); }

void TextWindow::showTextWindow() { link.showTextWindow(); }

void TextWindow::toggleGraphicsWindow() { link.toggleFrontWindow(); }

}  // namespace kalix
