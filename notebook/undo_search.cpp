// "Restore" of the cursor line, deleting commands and inserting them
// again, and the search that selects what it finds.
#include <cstring>
#include <string>

#include "notebook/notebook_model.h"

namespace kalix {

void NotebookEditor::restoreCursorLine() {
    TextLockHold hold(*this, "undo");
    restoreOlderBackup(cur.getLine());
    cur.setColumn(cur.getLine()->text.length() > 0 ? 1 : 0);
    setNotebookChanged(1);
    invalidate();
}

void NotebookEditor::undoRestoreCursorLine() {
    TextLockHold hold(*this, "undo");
    restoreLaterBackup(cur.getLine());
    cur.setColumn(cur.getLine()->text.length() > 0 ? 1 : 0);
    setNotebookChanged(1);
    invalidate();
}

void NotebookEditor::deleteCommand() {
    TextLockHold hold(*this, "delete command");
    doc.startDeletion(cur.getLine()->id);
    if (cur.getLine()->kind == lineFunctionBody) {
        if (getIntCell(functionEntryState) == 2) doc.appendDeleted(cur.getLine());
        deleteFunctionBody();
        return;
    }
    if (cur.getLine()->kind != lineCommand || !getIntCell(inputWaiting) ||
        !getIntCell(userWaitFlag))
        return;
    NotebookLine* start = firstOfCommand(cur.getLine());
    NotebookLine* block = commentBlockStart(start);
    NotebookLine* above = block->previous;
    NotebookLine* line = block;
    while (line != start) {
        NotebookLine* next = line->next;
        if (!line->image) doc.appendDeleted(line);
        deleteNotebookLine(line);
        line = next;
    }
    while (line) {
        bool continued =
            line->text.endsWith(" ...") && line->next && line->next->kind == lineCommand;
        NotebookLine* next = line->next;
        doc.appendDeleted(line);
        deleteNotebookLine(line);
        line = next;
        if (!continued) break;
    }
    while (line && (line->kind == lineOutput || line->kind == lineFunctionBody)) {
        NotebookLine* next = line->next;
        if (!line->image) doc.appendDeleted(line);
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
        target = doc.getFirstLine();
        target->text.assign(">");
        target->kind = lineCommand;
    }
    cur.setLine(target);
    cur.setColumn(1);
    shown.setTopLine(computeTopLine(cur.getLine()));
    doc.endDeletion(cur.getLine()->id);
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
    if (doc.getDeletedCommands().isStringEmpty()) return;
    std::string deleted = doc.getDeletedCommands().getText();
    std::vector<std::string> lines;
    for (size_t start = 0; start < deleted.size();) {
        size_t end = deleted.find('\n', start);
        if (end == std::string::npos) end = deleted.size();
        lines.push_back(deleted.substr(start, end - start));
        start = end + 1;
    }
    if (cur.getLine()->kind == lineCommand) {
        NotebookLine* before = commentBlockStart(cur.getLine());
        // Each restored command takes the cursor: it ends on the last.
        NotebookLine* lastCommand = nullptr;
        for (const std::string& text : lines) {
            NotebookLine* line = restoreDeletedLine(*this, before, text);
            if (line->kind == lineCommand) lastCommand = line;
        }
        if (lastCommand) {
            cur.setLine(lastCommand);
            cur.setColumn(1);
        }
        shown.setTopLine(computeTopLine(cur.getLine()));
        setNotebookChanged(1);
    } else if (getIntCell(functionEntryState) == 2) {
        for (const std::string& text : lines) {
            if (text[0] != '$') break;
            newLineBefore(cur.getLine(), text.c_str(), lineFunctionBody);
        }
        shown.setTopLine(computeTopLine(cur.getLine()));
        setNotebookChanged(1);
    }
    invalidate();
    doc.clearDeletedCommands();
}

// Selects the first occurrence from `line` on (forward) or back from it.
static int selectOccurrence(NotebookEditor& editor, NotebookLine* line, const char* text,
                            bool forward) {
    LinePosition found = NotebookDocument::findText(line, text, forward);
    if (!found.line) return 0;
    editor.unmarkAll();
    editor.cursor().select(found.line, found.column, found.line,
                           found.column + int(std::strlen(text)));
    found.line->selected = 1;
    NotebookLine* top = found.line;
    for (int i = 0; i < 5 && top->previous; i++) top = top->previous;
    editor.view().setTopLine(top);
    editor.getHost().scrollChanged();
    editor.getHost().invalidate();
    return 1;
}

void NotebookEditor::searchText(const char* text) {
    TextLockHold hold(*this, "search");
    if (text && *text) selectOccurrence(*this, doc.getFirstLine(), text, true);
}

void NotebookEditor::searchNext(const char* text) {
    TextLockHold hold(*this, "search next");
    NotebookLine* start = cur.getSelectionFirst() ? cur.getSelectionFirst()->next : cur.getLine();
    unmarkAll();
    invalidate();
    if (text && *text) selectOccurrence(*this, start, text, true);
}

void NotebookEditor::searchPrevious(const char* text) {
    TextLockHold hold(*this, "search previous");
    NotebookLine* start =
        cur.getSelectionFirst() ? cur.getSelectionFirst()->previous : cur.getLine();
    unmarkAll();
    invalidate();
    if (text && *text) selectOccurrence(*this, start, text, false);
}

}  // namespace kalix
