#include "gui/notebook_commands.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/settings.h"
#include "base/text.h"
#include "graphics/graphics_store.h"
#include "gui/dialogs.h"
#include "gui/file_menu_commands.h"
#include "gui/graphics_commands.h"
#include "gui/graphics_window_commands.h"
#include "gui/kalix_menu.h"
#include "gui/notebook_picture_service.h"
#include "gui/option_dialogs.h"
#include "gui/spelling_commands.h"
#include "gui/text_window.h"
#include "interpreter/builtin_table.h"
#include "interpreter/globals.h"
#include "interpreter/state.h"
#include "interpreter/state_hand_over.h"
#include "notebook/line_editor.h"
#include "notebook/notebook_file_operations.h"
#include "platform/host.h"

namespace kalix {

// --- guards ---------------------------------------------------------------------------------

NotebookEditor* menuEditor() { return textWindow ? &textWindow->getEditor() : nullptr; }

// Not while a comment's formula is made: its comment is rebuilt afterwards.
bool readyForCommand() {
    return textWindow && getIntCell(inputWaiting) == 1 && inputBuiltinActive == 0 &&
           !formulaRendering();
}

bool readyOnCommandLine() {
    if (!readyForCommand()) return false;
    NotebookEditor& editor = textWindow->getEditor();
    TextLockHold hold(editor, "menu", std::try_to_lock);
    return hold.owns() && editor.cursor().getLine()->kind == lineCommand;
}

namespace {

// Guard C: ready, and no function body is being typed line by line.
bool readyOutsideFunctionEntry() {
    return readyForCommand() && getIntCell(functionEntryState) != 1;
}

// Runs `operation` on the notebook while its lock is free (the GUI never
// waits for it); nothing happens when it is busy.
template <class Operation>
void withEditor(const char* place, Operation operation) {
    NotebookEditor* editor = menuEditor();
    if (!editor) return;
    TextLockHold hold(*editor, place, std::try_to_lock);
    if (!hold.owns()) return;
    operation(*editor);
}

// The clipboard's text in the program's code page.
std::string clipboardInCodePage() {
    std::string text;
    utf8ToCodePage(clipboardText().c_str(), text);
    return text;
}

void resumeWithChanged(NotebookEditor& editor) {
    editor.getHost().invalidate();
    editor.resumeInterpreter();
}

}  // namespace

void runCommandLine(const char* command) {
    NotebookEditor* editor = menuEditor();
    if (!editor) return;
    {
        TextLockHold hold(*editor, "execute", std::try_to_lock);
        if (!hold.owns()) return;
        // A typed command stays; the new one goes below it.
        if (editor->cursor().getLine()->text.length() > 1) editor->insertLine();
        editor->cursor().getLine()->kind = lineCommand;
        editor->cursor().getLine()->text.assign((std::string(">") + command).c_str());
        editor->cursor().setColumn(1);
        editor->view().setFollowCursor(1);
        editor->showCursorLine();
    }
    resumeWithChanged(*editor);
}

// --- the comment dialog -------------------------------------------------------------------

void editLineComment() {
    if (!readyOnCommandLine()) return;
    NotebookEditor& editor = textWindow->getEditor();
    std::string comment;
    {
        TextLockHold hold(editor, "comment", std::try_to_lock);
        if (!hold.owns()) return;
        comment = editor.getComment();
    }
    Dialog dialog(textWindow, 1);
    MultilineItem field(10, dialog, comment);
    field.setItemFont(textWindow->getFonts().normal);
    HelpButton help(dialog, "documentation/gui.html#Comment");
    dialog.setFocusItem(10);
    placeDialogFromSettings(dialog, "comment", 400, 300);
    int result = dialog.runModal();
    storeDialogGeometry(dialog, "comment");
    if (result == dialogOk) editor.setComment(field.getItemString().c_str());
    if (intSetting("spellcheck")) markMisspeltWordsAgain();
    editor.getHost().invalidate();
}

// --- the clipboard --------------------------------------------------------------------------

void copySelectionFromMenu() {
    withEditor("copy text", [](NotebookEditor& editor) { editor.copySelection(); });
}

void cutSelection() {
    if (!textWindow || getIntCell(inputWaiting) != 1) return;
    withEditor("delete mark", [](NotebookEditor& editor) {
        editor.copySelection();
        editor.deleteSelection();
    });
}

void copyFormattedOutput() {
    withEditor("copy formatted", [](NotebookEditor& editor) { editor.copyFormatted(); });
}

void copyCommandsOnly() {
    withEditor("copy commands", [](NotebookEditor& editor) { editor.copyCommands(); });
}

void pasteText() {
    std::string text = clipboardInCodePage();
    withEditor("paste commands",
               [&text](NotebookEditor& editor) { editor.pasteCommands(text.c_str()); });
}

void pasteAsCommandsFromMenu() {
    std::string text = clipboardInCodePage();
    withEditor("paste as commands",
               [&text](NotebookEditor& editor) { editor.pasteAsCommands(text.c_str()); });
}

// --- selections and lines -----------------------------------------------------------------

void selectAllLines() {
    if (!readyForCommand()) return;
    withEditor("select all", [](NotebookEditor& editor) { editor.selectAll(); });
}

void deleteSelectedOutputFromMenu() {
    if (!readyForCommand()) return;
    withEditor("delete output", [](NotebookEditor& editor) { editor.deleteSelectedOutput(); });
}

// The whole notebook stays selected afterwards.
void deleteAllOutput() {
    if (!readyForCommand()) return;
    withEditor("delete output", [](NotebookEditor& editor) {
        editor.selectAll();
        editor.deleteSelectedOutput();
        editor.selectAll();
    });
}

void joinLineFromMenu() {
    if (!readyOutsideFunctionEntry()) return;
    withEditor("joinline", [](NotebookEditor& editor) { editor.joinWithPreviousLine(); });
}

void splitCommandAtCursor() {
    if (!readyOutsideFunctionEntry()) return;
    withEditor("split command", [](NotebookEditor& editor) { editor.splitCommand(1); });
}

void splitLineAtCursor() {
    if (!readyOutsideFunctionEntry()) return;
    withEditor("split command", [](NotebookEditor& editor) { editor.splitCommand(0); });
}

void deleteCurrentCommand() {
    if (!readyForCommand()) return;
    withEditor("delete command", [](NotebookEditor& editor) { editor.deleteCommand(); });
}

void undoDeleteCommands() {
    if (!readyForCommand()) return;
    withEditor("undo delete", [](NotebookEditor& editor) { editor.undoDelete(); });
}

void insertCommandAboveFromMenu() {
    if (!readyForCommand()) return;
    withEditor("insert command", [](NotebookEditor& editor) {
        editor.insertCommandAbove();
        editor.getHost().invalidate();
    });
}

void clearCommandLine() {
    if (!readyOutsideFunctionEntry()) return;
    withEditor("set input", [](NotebookEditor& editor) { editor.setInputLine("", 0); });
}

void restoreCurrentLine() {
    if (!readyOnCommandLine()) return;
    withEditor("undo", [](NotebookEditor& editor) { editor.restoreCursorLine(); });
}

void undoRestoreLine() {
    if (!readyOnCommandLine()) return;
    withEditor("undo", [](NotebookEditor& editor) { editor.undoRestoreCursorLine(); });
}

// --- search ---------------------------------------------------------------------------------

namespace {

std::string& searchText() {
    static std::string text = textSetting("search");
    return text;
}

}  // namespace

void searchNextFromMenu() {
    if (!readyForCommand() || searchText().empty()) return;
    withEditor("search next",
               [](NotebookEditor& editor) { editor.searchNext(searchText().c_str()); });
}

void searchDialog() {
    if (!readyForCommand()) return;
    Dialog dialog(textWindow, 11);
    StringItem field(10, dialog, searchText());
    dialog.setFocusItem(10);
    if (dialog.runModal() == dialogCancel) return;
    searchText() = field.getItemString();
    writeSetting("search", searchText().c_str());
    withEditor("search", [](NotebookEditor& editor) { editor.searchText(searchText().c_str()); });
}

// --- keys -----------------------------------------------------------------------------------

void sendBackspaceKey() {
    if (textWindow) textWindow->onKey(keyEventPressed, 0, windowKeyBackspace);
}

void sendEscapeKey() {
    if (textWindow) textWindow->onKey(keyEventCharacter, 27, 0);
}

namespace {

// The line editor's history keys (Ctrl+Up, Ctrl+Down).
void historyKey(int character, int code) {
    if (getIntCell(inputWaiting) != 1) return;
    withEditor("key", [character, code](NotebookEditor& editor) {
        lineEditor.handleKey(editor, character, code);
    });
    if (textWindow) textWindow->startStatusHelpTimer();
}

}  // namespace

void insertPreviousHistory() { historyKey(1, editUp); }
void insertNextHistory() { historyKey(2, editDown); }

// --- commands written for the interpreter -------------------------------------------------

void toggleMaximaMode() {
    if (!readyForCommand()) return;
    runCommandLine(currentMaximaMode ? "maximamode off" : "maximamode on");
}

void toggleDirectMaximaMode() {
    if (!readyForCommand()) return;
    runCommandLine(currentMaximaMode ? "maximamode off" : "maximamode direct");
}

void insertImageCommand() {
    if (!readyForCommand()) return;
    runCommandLine("insimg(25,\"\");");
    withEditor("unmark all", [](NotebookEditor& editor) { editor.unmarkAll(); });
}

void loadAndInterpretFile() {
    if (!readyForCommand()) return;
    std::string path = loadProgramSelector.chooseFile(textWindow);
    if (path.empty()) return;
    std::string directory = path.substr(0, path.rfind('/') + 1);
    if (!directory.empty()) changeDirectory(directory.c_str());
    runCommandLine(("load \"" + path + "\";").c_str());
}

void pasteImage() {
    if (!readyForCommand()) return;
    std::shared_ptr<WindowImage> image = clipboardImage();
    if (!image) {
        showMessage("No image on clipboard!", "Kalix");
        return;
    }
    NotebookEditor& editor = textWindow->getEditor();
    if (!*editor.getFilePath()) {
        showMessage("Notebook needs to be saved first!", "Kalix");
        if (!saveNotebookAsNow() || !*editor.getFilePath()) return;
    }
    std::string base = editor.notebookName();
    if (intSetting("imagesindirectory")) {
        makeDirectory("images");
        base = "images/" + base;
    }
    std::string file;
    for (int n = 1; n < 1000; n++) {
        char name[32];
        std::snprintf(name, sizeof name, "-clipboard-%03d", n);
        if (!checkFileExists((base + name + ".png").c_str())) {
            file = base + name;
            break;
        }
    }
    std::unique_ptr<OffscreenImage> copy = OffscreenImage::make(image->width(), image->height());
    copy->paint()->drawImage(*image, 0, 0, image->width(), image->height());
    if (file.empty() || !copy->savePng((file + ".png").c_str())) {
        showFormattedMessage("Kalix", "Could not write\n%s", (file + ".png").c_str());
        return;
    }
    runCommandLine(("loadimg(25,\"" + file + "\");").c_str());
    withEditor("unmark all", [](NotebookEditor& editor) { editor.unmarkAll(); });
}

// --- new notebook, restart, exit ------------------------------------------------------------

void newNotebook() {
    if (!textWindow || getIntCell(inputWaiting) != 1) return;
    NotebookEditor& editor = textWindow->getEditor();
    {
        TextLockHold hold(editor, "clear", std::try_to_lock);
        if (!hold.owns() || editor.cursor().getLine()->kind != lineCommand) return;
    }
    if (editor.isNotebookChanged() &&
        !(intSetting("askconfirmations") && askYesNo("Delete Notebook?", "Kalix") == answerYes))
        return;
    editor.startNewNotebook();
    {
        // The interpreter waited for the line all along: nothing else
        // resumes it while the question is open.
        StateHandOverHold state;
        if (stateReadableByCaller()) matlabMode = matlabModeSetting = 0;
    }
    emitClear();
}

void restartInterpreter(int ask) {
    // The interpreter's own tables are cleared here: only while it is
    // parked at a prompt (not between two lines of an automatic run).
    if (!readyForCommand() || !getIntCell(keyWaitFlag)) return;
    // A changed notebook is saved, dropped or kept as the user says,
    // whatever "askconfirmations" says.
    if (ask && worthSaving(textWindow->getEditor())) {
        switch (askYesNoCancel("Save Notebook?", "Kalix", textWindow)) {
            case answerYes:
                runSaveJob(saveNotebook, [](int saved) {
                    if (saved) restartInterpreter(0);
                });
                return;
            case answerNo:
                break;
            default:
                return;
        }
    } else if (ask && intSetting("askconfirmations") &&
               askYesNo("Really restart?", "Kalix", textWindow) != answerYes) {
        return;
    }
    // The interpreter's restart ends the engines and clears its modes and
    // permissions itself; what the menu adds is done here.
    {
        StateHandOverHold state;
        if (!stateReadableByCaller()) return;
        clearGlobals();
        clearAliases();
    }
    if (mainMenu) mainMenu->clearUserMenu();
    textWindow->getEditor().setFilePath("");
    runCommandLine("restart");
}

void restartFromMenu() { restartInterpreter(1); }

void exitFromMenu() {
    if (textWindow && textWindow->getLink().requestQuit()) postQuitMessage(0);
}

// --- running commands -----------------------------------------------------------------------

void runRemainingCommands() {
    if (!readyOnCommandLine()) return;
    assignIntCell(commandsToRun, 1000);
    assignIntCell(runThroughSections, 1);
    assignIntCell(updateCommentsWhileRunning, 0);
    textWindow->resumeInterpreter();
}

void runAndUpdateComments() {
    if (!readyOnCommandLine()) return;
    textWindow->getEditor().updateCommentAbove();
    assignIntCell(commandsToRun, 1000);
    assignIntCell(runThroughSections, 1);
    assignIntCell(updateCommentsWhileRunning, 1);
    textWindow->resumeInterpreter();
}

void updateCurrentComment() {
    if (!readyOnCommandLine()) return;
    NotebookEditor& editor = textWindow->getEditor();
    editor.updateCommentAbove();
    resumeWithChanged(editor);
}

// From the first command of the cursor's section; the run stops at the
// start of the next section.
void runCurrentSection() {
    if (!readyOnCommandLine()) return;
    NotebookEditor& editor = textWindow->getEditor();
    {
        TextLockHold hold(editor, "run section", std::try_to_lock);
        if (!hold.owns()) return;
        auto previousCommand = [](NotebookLine* line) {
            for (line = line->previous; line; line = line->previous)
                if (line->kind == lineCommand) return line;
            return line;
        };
        NotebookLine* line = editor.cursor().getLine();
        if (NotebookEditor::isBlankCommand(line->text.getText()) && previousCommand(line))
            line = previousCommand(line);
        while (!editor.startsSection(line) && previousCommand(line)) line = previousCommand(line);
        editor.setCursorLine(line, 1);
        editor.showCursorLine();
    }
    assignIntCell(commandsToRun, 1000);
    assignIntCell(runThroughSections, 0);
    textWindow->resumeInterpreter();
}

}  // namespace kalix
