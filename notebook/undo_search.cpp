// Line versions for "Restore", deleted commands that can be inserted
// again, and the plain text search.
#include <cstring>
#include <string>

#include "notebook/notebook_model.h"

void NotebookEditor::pushLineBackup(NotebookLine* line) {
    for (int i = lineBackupCount - 1; i > 0; i--)
        line->backups[i] = std::move(line->backups[i - 1]);
    line->backups[0] = std::make_unique<String>(line->text.getText());
    line->backupIndex = 0;
}

void NotebookEditor::restoreOlderBackup(NotebookLine* line) {
    for (int i = line->backupIndex; i < lineBackupCount; i++) {
        if (!line->backups[i]) return;
        if (!line->backups[i]->equals(line->text.getText())) {
            line->text.assign(line->backups[i]->getText());
            line->backupIndex = i;
            return;
        }
    }
}

void NotebookEditor::restoreLaterBackup(NotebookLine* line) {
    for (int i = line->backupIndex - 1; i >= 0; i--) {
        if (line->backups[i] && !line->backups[i]->equals(line->text.getText())) {
            line->text.assign(line->backups[i]->getText());
            line->backupIndex = i;
            return;
        }
    }
}

void NotebookEditor::restoreCursorLine() {
    TextLockHold hold(*this, "undo");
    restoreOlderBackup(cursorLine);
    cursorColumn = cursorLine->text.length() > 0 ? 1 : 0;
    setNotebookChanged(1);
    invalidate();
}

void NotebookEditor::undoRestoreCursorLine() {
    TextLockHold hold(*this, "undo");
    restoreLaterBackup(cursorLine);
    cursorColumn = cursorLine->text.length() > 0 ? 1 : 0;
    setNotebookChanged(1);
    invalidate();
}

// A deleted line in the form undoDelete reads back. Output lines that
// would read as another kind get a blank in front.
static void appendDeleted(String& deleted, const NotebookLine* line) {
    std::string text;
    const char* body = line->text.getText();
    switch (line->kind) {
        case lineComment:
            text = line->hardBreak ? "%% " : "% ";
            if (line->heading) text += "* ";
            text += line->originalText ? line->originalText->getText() : body;
            break;
        case lineOutput:
            if (std::strchr(">$%*", body[0]) && body[0]) text = " ";
            text += body;
            break;
        default:
            text = body;
    }
    text += "\n";
    deleted.append(text.c_str());
}

void NotebookEditor::deleteCommand() {
    TextLockHold hold(*this, "delete command");
    if (cursorLine->id != lastDeletionCursor) deletedCommands.clearString();
    if (cursorLine->kind == lineFunctionBody) {
        if (getIntCell(functionEntryState) == 2) appendDeleted(deletedCommands, cursorLine);
        deleteFunctionBody();
        return;
    }
    if (cursorLine->kind != lineCommand || !getIntCell(inputWaiting) || !getIntCell(userWaitFlag))
        return;
    NotebookLine* start = firstOfCommand(cursorLine);
    NotebookLine* block = commentBlockStart(start);
    NotebookLine* above = block->previous;
    NotebookLine* line = block;
    while (line != start) {
        NotebookLine* next = line->next;
        if (!line->image) appendDeleted(deletedCommands, line);
        deleteNotebookLine(line);
        line = next;
    }
    while (line) {
        bool continued =
            line->text.endsWith(" ...") && line->next && line->next->kind == lineCommand;
        NotebookLine* next = line->next;
        appendDeleted(deletedCommands, line);
        deleteNotebookLine(line);
        line = next;
        if (!continued) break;
    }
    while (line && (line->kind == lineOutput || line->kind == lineFunctionBody)) {
        NotebookLine* next = line->next;
        if (!line->image) appendDeleted(deletedCommands, line);
        deleteNotebookLine(line);
        line = next;
    }
    NotebookLine* target = nullptr;
    if (line) {
        for (NotebookLine* p = line; p && !target; p = p->next)
            if (p->kind == lineCommand) target = p;
        if (!target) target = newLineBefore(line, ">", lineCommand);
    } else if (above) {
        for (NotebookLine* p = above; p && !target; p = p->previous)
            if (p->kind == lineCommand) target = p;
        if (!target) target = newLineAfter(above, ">", lineCommand);
    } else {
        // Nothing is left: one empty prompt is the notebook.
        target = firstLine;
        target->text.assign(">");
        target->kind = lineCommand;
    }
    cursorLine = target;
    cursorColumn = 1;
    topLine = computeTopLine(cursorLine);
    lastDeletionCursor = cursorLine->id;
    setNotebookChanged(1);
    invalidate();
}

// A line of deletedCommands as a notebook line before `before`.
static NotebookLine* restoreDeletedLine(NotebookEditor& editor, NotebookLine* before,
                                        const std::string& text) {
    int kind = text[0] == '>'   ? lineCommand
               : text[0] == '%' ? lineComment
               : text[0] == '$' ? lineFunctionBody
                                : lineOutput;
    NotebookLine* line = editor.newLineBefore(before, text.c_str(), kind);
    if (kind == lineComment) {
        NotebookEditor::parseCommentPrefix(line);
        NotebookEditor::decodeLineEntities(line);
    }
    return line;
}

void NotebookEditor::undoDelete() {
    TextLockHold hold(*this, "undo delete");
    if (!getIntCell(inputWaiting) || !getIntCell(userWaitFlag)) return;
    if (deletedCommands.isStringEmpty()) return;
    std::string deleted = deletedCommands.getText();
    std::vector<std::string> lines;
    for (size_t start = 0; start < deleted.size();) {
        size_t end = deleted.find('\n', start);
        if (end == std::string::npos) end = deleted.size();
        lines.push_back(deleted.substr(start, end - start));
        start = end + 1;
    }
    if (cursorLine->kind == lineCommand) {
        NotebookLine* before = commentBlockStart(cursorLine);
        // Each restored command takes the cursor: it ends on the last.
        NotebookLine* lastCommand = nullptr;
        for (const std::string& text : lines) {
            NotebookLine* line = restoreDeletedLine(*this, before, text);
            if (line->kind == lineCommand) lastCommand = line;
        }
        if (lastCommand) {
            cursorLine = lastCommand;
            cursorColumn = 1;
        }
        topLine = computeTopLine(cursorLine);
        setNotebookChanged(1);
    } else if (getIntCell(functionEntryState) == 2) {
        for (const std::string& text : lines) {
            if (text[0] != '$') break;
            newLineBefore(cursorLine, text.c_str(), lineFunctionBody);
        }
        topLine = computeTopLine(cursorLine);
        setNotebookChanged(1);
    }
    invalidate();
    deletedCommands.clearString();
}

// Selects the first occurrence from `line` on (forward) or back from it.
static int selectOccurrence(NotebookEditor& editor, NotebookLine* line, const char* text,
                            bool forward) {
    for (; line; line = forward ? line->next : line->previous) {
        int position = line->text.positionOf(text);
        if (position < 0) continue;
        editor.unmarkAll();
        editor.selectionFirst = editor.selectionLast = line;
        editor.selectionStartColumn = position;
        editor.selectionEndColumn = position + int(std::strlen(text));
        line->selected = 1;
        NotebookLine* top = line;
        for (int i = 0; i < 5 && top->previous; i++) top = top->previous;
        editor.topLine = top;
        editor.getHost().scrollChanged();
        editor.getHost().invalidate();
        return 1;
    }
    return 0;
}

void NotebookEditor::searchText(const char* text) {
    TextLockHold hold(*this, "search");
    if (text && *text) selectOccurrence(*this, firstLine, text, true);
}

void NotebookEditor::searchNext(const char* text) {
    TextLockHold hold(*this, "search next");
    NotebookLine* start = selectionFirst ? selectionFirst->next : cursorLine;
    unmarkAll();
    invalidate();
    if (text && *text) selectOccurrence(*this, start, text, true);
}

void NotebookEditor::searchPrevious(const char* text) {
    TextLockHold hold(*this, "search previous");
    NotebookLine* start = selectionFirst ? selectionFirst->previous : cursorLine;
    unmarkAll();
    invalidate();
    if (text && *text) selectOccurrence(*this, start, text, false);
}
