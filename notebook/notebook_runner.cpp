// The unattended run of a notebook: the steps a prompt goes through when
// the line is taken without waiting, and the end of the run.
#include "notebook/notebook_runner.h"

#include <cstring>

#include "base/settings.h"
#include "interpreter/state.h"
#include "notebook/export_commands.h"
#include "notebook/notebook_file_operations.h"

namespace kalix {

void NotebookRunner::RunHost::showMessage(const char* text) { kalix::showWarning(text, "Kalix"); }

void NotebookRunner::RunHost::showTitledMessage(const char* text, const char* title) {
    kalix::showWarning(text, title);
}

void NotebookRunner::RunHost::setMaximaMode(int mode) { currentMaximaMode = mode; }

NotebookRunner::NotebookRunner(const std::string& path, int saveAndExport, Host& below)
    : ForwardingHost(below), path(path), saveAndExport(saveAndExport) {}

NotebookRunner::~NotebookRunner() { endSvgExportRun(); }

void NotebookRunner::load() {
    loaded = 1;
    if (path.empty() || !loadNotebook(editor, path.c_str())) {
        failure = !path.empty();
        ended = 1;
        return;
    }
    // "-xrun" with "createsvg": every plot is written again as an SVG file,
    // which the HTML export shows.
    if (saveAndExport && intSetting("createsvg")) beginSvgExportRun();
    // The run ends at the notebook's last line without taking it: a last
    // command with text gets a prompt after it, so that it runs too.
    TextLockHold hold(editor, "load");
    NotebookLine* last = editor.lastLine();
    if (last->kind == lineCommand && !NotebookEditor::isBlankCommand(last->text.getText())) {
        editor.newLineAfter(last, ">", lineCommand);
        editor.setNotebookChanged(0);
    }
}

int NotebookRunner::nextPrompt() {
    int body = functionEntryActive != 0;
    assignIntCell(functionEntryState, body);
    TextLockHold hold(editor, "start edit");
    // Output that did not end its line keeps it: the prompt opens a new one.
    if (!editor.cursor().getLine()->text.isStringEmpty() || editor.cursor().getLine()->image)
        editor.insertLine();
    NotebookLine* prompt = editor.cursor().getLine();
    prompt->kind = body ? lineFunctionBody : lineCommand;
    prompt->text.assign(body ? "$" : ">");
    editor.cursor().setColumn(1);
    // The next line of the same kind; body lines only up to the next command.
    NotebookLine* next = prompt->next;
    while (next && next->kind != prompt->kind && !(body && next->kind == lineCommand))
        next = next->next;
    if (next && next->kind == prompt->kind) {
        editor.cursor().setLine(next);
        editor.deleteNotebookLine(prompt);
    } else if (body) {
        // A definition without its end: as Return on an empty "$" line.
        prompt->text.assign("$endfunction");
    } else {
        return 0;
    }
    return body || editor.cursor().getLine()->next != nullptr;
}

int NotebookRunner::finish() {
    ended = 1;
    endSvgExportRun();
    if (saveAndExport && !path.empty()) {
        int saved = saveToCurrentFile(editor);
        if (!exportHtmlAfterSave(editor, saved, 0)) failure = 1;
    }
    return 0;
}

int NotebookRunner::readLine(char* buffer) {
    buffer[0] = 0;
    if (ended) return 0;
    // Escape ends a long run between two commands; the file is not saved.
    if (loaded && kalix::checkEscape()) {
        kalix::showWarning("User interrupted!", "Kalix");
        failure = ended = 1;
        return 0;
    }
    if (!loaded) {
        load();
        if (ended) return 0;
        TextLockHold hold(editor, "start edit");
        if (!editor.cursor().getLine()->next) return finish();
    } else if (!nextPrompt()) {
        return finish();
    }
    if (saveAndExport && editor.cursor().getLine()->kind == lineCommand)
        editor.updateCommentAbove();
    std::string text;
    {
        TextLockHold hold(editor, "set cursor in start edit");
        NotebookLine* line = editor.cursor().getLine();
        editor.cursor().setColumn(1);
        text = line->text.length() > 1 ? line->text.getText() + 1 : "";
        NotebookEditor::pushLineBackup(line);
    }
    editor.removeOutput();
    editor.insertOutput("\n");
    if (text.size() >= 0x7fff) return refuseLongLine(text, buffer);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 1;
}

int NotebookRunner::print(const char* text) {
    editor.insertOutput(text);
    if (errorCode) failure = 1;
    return 1;
}

void NotebookRunner::reportError(const char* line) {
    failure = 1;
    kalix::showWarning((std::string("Error in automatic mode!\n") + line).c_str(), "Kalix");
}

}  // namespace kalix
