// The notebook's lines, its change state, older line versions, the
// deleted commands and the search.
#include "notebook/notebook_document.h"

#include <cstring>
#include <string>

#include "notebook/notebook_model.h"

namespace kalix {

NotebookDocument::NotebookDocument(NotebookEditor* editor) : editor(editor) {
    firstLine = makeLine(nullptr, nullptr, "");
}

NotebookDocument::~NotebookDocument() { deleteAllLines(); }

NotebookLine* NotebookDocument::makeLine(NotebookLine* previous, NotebookLine* next,
                                         const char* text) {
    auto* line = new NotebookLine(editor, previous, next, text);
    line->id = nextLineId++;
    return line;
}

void NotebookDocument::deleteAllLines() {
    NotebookLine* line = firstLine;
    while (line) {
        NotebookLine* next = line->next;
        line->previous = line->next = nullptr;
        delete line;
        line = next;
    }
    firstLine = nullptr;
}

NotebookLine* NotebookDocument::restart() {
    deleteAllLines();
    firstLine = makeLine(nullptr, nullptr, "");
    return firstLine;
}

NotebookLine* NotebookDocument::newLineAfter(NotebookLine* after, const char* text, int kind) {
    NotebookLine* line =
        after ? makeLine(after, after->next, text) : makeLine(nullptr, firstLine, text);
    if (!after) firstLine = line;
    line->kind = kind;
    return line;
}

NotebookLine* NotebookDocument::newLineBefore(NotebookLine* before, const char* text, int kind) {
    NotebookLine* line = makeLine(before->previous, before, text);
    if (before == firstLine) firstLine = line;
    line->kind = kind;
    return line;
}

void NotebookDocument::deleteLine(NotebookLine* line) {
    if (line == firstLine) firstLine = line->next;
    delete line;
}

int NotebookDocument::lineCount() const {
    int count = 0;
    for (NotebookLine* line = firstLine; line; line = line->next) count++;
    return count;
}

NotebookLine* NotebookDocument::lineAt(int index) const {
    NotebookLine* line = firstLine;
    while (line && index-- > 0) line = line->next;
    return index < 0 ? line : nullptr;
}

NotebookLine* NotebookDocument::lastLine() const {
    NotebookLine* line = firstLine;
    while (line->next) line = line->next;
    return line;
}

int NotebookDocument::indexOf(const NotebookLine* wanted) const {
    int index = 0;
    for (NotebookLine* line = firstLine; line; line = line->next, index++)
        if (line == wanted) return index;
    return -1;
}

NotebookLine* NotebookDocument::findLine(uint64_t id) const {
    if (id == 0) return nullptr;
    for (NotebookLine* line = firstLine; line; line = line->next)
        if (line->id == id) return line;
    return nullptr;
}

void NotebookDocument::pushLineBackup(NotebookLine* line) {
    for (int i = lineBackupCount - 1; i > 0; i--)
        line->backups[i] = std::move(line->backups[i - 1]);
    line->backups[0] = std::make_unique<String>(line->text.getText());
    line->backupIndex = 0;
}

void NotebookDocument::restoreOlderBackup(NotebookLine* line) {
    for (int i = line->backupIndex; i < lineBackupCount; i++) {
        if (!line->backups[i]) return;
        if (!line->backups[i]->equals(line->text.getText())) {
            line->text.assign(line->backups[i]->getText());
            line->backupIndex = i;
            return;
        }
    }
}

void NotebookDocument::restoreLaterBackup(NotebookLine* line) {
    for (int i = line->backupIndex - 1; i >= 0; i--) {
        if (line->backups[i] && !line->backups[i]->equals(line->text.getText())) {
            line->text.assign(line->backups[i]->getText());
            line->backupIndex = i;
            return;
        }
    }
}

LinePosition NotebookDocument::findText(NotebookLine* line, const char* text, bool forward) {
    for (; line; line = forward ? line->next : line->previous) {
        int position = line->text.positionOf(text);
        if (position >= 0) return {line, position};
    }
    return {};
}

bool NotebookDocument::setChanged(int flag) {
    flag = flag ? 1 : 0;
    if (flag) modificationCount++;
    if (changed == flag) return false;
    changed = flag;
    return true;
}

void NotebookDocument::startDeletion(uint64_t cursorId) {
    if (cursorId != lastDeletionCursor) deletedCommands.clearString();
}

void NotebookDocument::appendDeleted(const NotebookLine* line) {
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
    deletedCommands.append(text.c_str());
}

}  // namespace kalix
