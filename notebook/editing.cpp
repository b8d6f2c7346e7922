// Editing the notebook: typing and deleting at the cursor, moving between
// commands, opening and joining lines, mouse selections, deleting a
// selection or the output in it, and the three copy forms.
#include <algorithm>
#include <cstring>
#include <string>

#include "base/text.h"
#include "notebook/notebook_model.h"

namespace kalix {

static int isPlainChar(char c) { return c != '\t' && c != '\n' && c != '\r'; }

void NotebookEditor::insertRun(const char* text, int length) {
    if (length <= 0) return;
    int lineLength = cur.getLine()->text.length();
    if (cur.getColumn() > lineLength) cur.setColumn(lineLength);
    if (cur.getColumn() < 0) cur.setColumn(0);
    std::string run(text, size_t(length));
    cur.getLine()->text.insertAt(cur.getColumn(), run.c_str());
    cur.setColumn(cur.getColumn() + length);
}

// `character` is a code: a code point in code page 65001, else a byte.
void NotebookEditor::insertChar(int character) {
    TextLockHold hold(*this, "insertchar");
    if (character == '\t') {
        // Tab stops count characters.
        const char* text = cur.getLine()->text.getText();
        int column = std::min(cur.getColumn(), cur.getLine()->text.length());
        size_t shown =
            characterCount(text, size_t(std::max(column, 0)), cur.getLine()->holdsUtf8());
        std::string blanks(4 - shown % 4, ' ');
        insertRun(blanks.c_str(), int(blanks.size()));
    } else {
        std::string typed = characterText(character);
        insertRun(typed.c_str(), int(typed.size()));
    }
    setNotebookChanged(1);
}

// Runs of plain characters go in at once and the view follows once per
// line: the same result as one character at a time, without the cost.
void NotebookEditor::insertText(const char* text) {
    TextLockHold hold(*this, "inserttext");
    shown.setFollowCursor(1);
    if (cur.getSelectionFirst()) {
        unmarkAll();
        invalidate();
    }
    if (!text || !*text) return;
    const char* p = text;
    while (*p) {
        const char* run = p;
        while (*p && isPlainChar(*p)) p++;
        if (p > run) {
            insertRun(run, int(p - run));
            setNotebookChanged(1);
        }
        if (!*p) break;
        char c = *p++;
        if (c == '\t') {
            insertChar('\t');
        } else {
            insertLine();
            if ((c == '\n' && *p == '\r') || (c == '\r' && *p == '\n')) p++;
        }
    }
    shown.setTopLine(computeTopLine(cur.getLine()));
}

void NotebookEditor::insertLine() {
    TextLockHold hold(*this, "insertline");
    shown.setFollowCursor(1);
    cur.setLine(newLineAfter(cur.getLine(), "", lineOutput));
    cur.setColumn(0);
    shown.setTopLine(computeTopLine(cur.getLine()));
    setNotebookChanged(1);
}

void NotebookEditor::deleteChar() {
    TextLockHold hold(*this, "delchar");
    shown.setFollowCursor(1);
    if (cur.getColumn() < cur.getLine()->text.length())
        cur.getLine()->text.erase(cur.getColumn(),
                                  cur.getLine()->nextColumn(cur.getColumn()) - cur.getColumn());
    setNotebookChanged(1);
}

void NotebookEditor::deleteLineEnd() {
    TextLockHold hold(*this, "delline");
    shown.setFollowCursor(1);
    if (cur.getColumn() < cur.getLine()->text.length())
        cur.getLine()->text.erase(cur.getColumn(), cur.getLine()->text.length() - cur.getColumn());
    setNotebookChanged(1);
}

void NotebookEditor::moveCursorLeft(int minimumColumn) {
    TextLockHold hold(*this, "cursorleft");
    if (cur.getColumn() > minimumColumn)
        cur.setColumn(std::max(minimumColumn, cur.getLine()->previousColumn(cur.getColumn())));
    if (cur.getAnchorLine()) markTo(cur.getLine(), cur.getColumn());
}

void NotebookEditor::moveCursorRight() {
    TextLockHold hold(*this, "cursorright");
    cur.setColumn(cur.getLine()->nextColumn(cur.getColumn()));
    if (cur.getAnchorLine()) markTo(cur.getLine(), cur.getColumn());
}

// A "?" followed neither by "?" nor by a blank.
static int isPlaceholderAt(const char* text, int i) {
    return text[i] == '?' && text[i + 1] != '?' && text[i + 1] != ' ';
}

void NotebookEditor::moveCursorRightTyped() {
    TextLockHold hold(*this, "cursorright typed");
    const char* text = cur.getLine()->text.getText();
    bool inQuotes = false;
    int target = -1;
    for (int i = 0; text[i]; i++) {
        if (text[i] == '"') inQuotes = !inQuotes;
        if (i <= cur.getColumn() || !isPlaceholderAt(text, i)) continue;
        if (!inQuotes || text[i - 1] == '"') {
            target = i;
            break;
        }
    }
    cur.setColumn(target >= 0 ? target : cur.getLine()->nextColumn(cur.getColumn()));
    if (cur.getAnchorLine()) markTo(cur.getLine(), cur.getColumn());
}

// The characters of a placeholder word after its mark, by code.
static int isPlaceholderChar(int code) {
    return isLetterCode(code) || (code >= '0' && code <= '9') || code == '_';
}

void NotebookEditor::clearPlaceholder() {
    TextLockHold hold(*this, "clear question");
    const char* text = cur.getLine()->text.getText();
    if (cur.getColumn() >= cur.getLine()->text.length() || !isPlaceholderAt(text, cur.getColumn()))
        return;
    do {
        deleteChar();
    } while (isPlaceholderChar(cur.getLine()->characterAt(cur.getColumn())));
}

NotebookLine* NotebookEditor::commentBlockStart(NotebookLine* command) const {
    NotebookLine* line = command;
    while (line->previous && line->previous->kind == lineComment) line = line->previous;
    return line;
}

NotebookLine* NotebookEditor::firstOfCommand(NotebookLine* line) const {
    while (line->previous && line->previous->kind == lineCommand &&
           line->previous->text.endsWith(" ..."))
        line = line->previous;
    return line;
}

void NotebookEditor::insertCommandAbove() {
    TextLockHold hold(*this, "insert command");
    if (!getIntCell(userWaitFlag) || !getIntCell(inputWaiting)) return;
    int kind = cur.getLine()->kind;
    if (kind != lineCommand && kind != lineFunctionBody) return;
    shown.setFollowCursor(1);
    NotebookLine* before = commentBlockStart(cur.getLine());
    cur.setLine(newLineBefore(before, kind == lineCommand ? ">" : "$", kind));
    cur.setColumn(1);
    shown.setTopLine(computeTopLine(cur.getLine()));
    setNotebookChanged(1);
}

void NotebookEditor::joinWithPreviousLine() {
    TextLockHold hold(*this, "joinline");
    NotebookLine* old = cur.getLine();
    NotebookLine* previous = old->previous;
    if (!previous || previous->kind != old->kind) return;
    if (previous->text.endsWith(" ...")) previous->text.erase(previous->text.length() - 4, 4);
    previous->text.append(" ");
    cur.setLine(previous);
    cur.setColumn(previous->text.length());
    previous->text.append(old->text.getText() + (old->text.isStringEmpty() ? 0 : 1));
    deleteNotebookLine(old);
    cur.setLine(previous);
    setNotebookChanged(1);
    invalidate();
}

void NotebookEditor::moveLineUp() {
    TextLockHold hold(*this, "line up");
    unmarkAll();
    shown.setFollowCursor(1);
    if (getIntCell(functionEntryState) == 2 && cur.getLine()->kind == lineFunctionBody &&
        cur.getLine()->previous) {
        cur.setLine(cur.getLine()->previous);
        cur.setColumn(1);
        skipBlanksAtCursor();
        if (cur.getLine()->kind != lineFunctionBody) {
            assignIntCell(functionEntryState, 0);
            host->showStatus("");
        }
        updateTop();
    } else if (getIntCell(inputWaiting) && cur.getLine()->kind == lineCommand) {
        NotebookLine* line = cur.getLine()->previous;
        while (line && line->kind != lineCommand) line = line->previous;
        if (!line) return;
        cur.setLine(line);
        cur.setColumn(1);
        updateTop();
        if (cur.getAnchorLine()) markTo(cur.getLine(), cur.getColumn());
    }
    invalidate();
}

void NotebookEditor::moveLineDown() {
    TextLockHold hold(*this, "line down");
    unmarkAll();
    shown.setFollowCursor(1);
    if (getIntCell(functionEntryState) == 2 && cur.getLine()->kind == lineFunctionBody) {
        NotebookLine* next = cur.getLine()->next;
        if (!next || next->kind != lineFunctionBody) return;
        cur.setLine(next);
        cur.setColumn(1);
        skipBlanksAtCursor();
        updateTop();
    } else if (getIntCell(inputWaiting) && cur.getLine()->kind == lineCommand) {
        NotebookLine* line = cur.getLine()->next;
        while (line && line->kind != lineCommand) line = line->next;
        if (!line) return;
        cur.setLine(line);
        cur.setColumn(1);
        updateTop();
        if (cur.getAnchorLine()) markTo(cur.getLine(), cur.getColumn());
    }
    invalidate();
}

void NotebookEditor::gotoTextStart() {
    TextLockHold hold(*this, "goto text start");
    if (!getIntCell(inputWaiting) || cur.getLine()->kind == lineFunctionBody) return;
    shown.setFollowCursor(1);
    shown.setTopLine(doc.getFirstLine());
    for (NotebookLine* line = doc.getFirstLine(); line; line = line->next) {
        if (line->kind == lineCommand) {
            cur.setLine(line);
            cur.setColumn(1);
            break;
        }
    }
    host->scrollChanged();
    invalidate();
}

void NotebookEditor::gotoTextEnd() {
    TextLockHold hold(*this, "goto text end");
    if (!getIntCell(inputWaiting) || cur.getLine()->kind == lineFunctionBody) return;
    shown.setFollowCursor(1);
    NotebookLine* last = lastLine();
    for (NotebookLine* line = last; line; line = line->previous) {
        if (line->kind == lineCommand) {
            cur.setLine(line);
            cur.setColumn(line->text.length());
            break;
        }
    }
    int h = getTextLineHeight();
    int steps = h > 0 ? shown.getVisibleHeight() / h / 2 : 0;
    shown.setTopLine(last);
    while (steps-- > 0 && shown.getTopLine()->previous)
        shown.setTopLine(shown.getTopLine()->previous);
    host->scrollChanged();
    invalidate();
}

void NotebookEditor::executeText(const char* text) {
    {
        TextLockHold hold(*this, "execute");
        shown.setFollowCursor(1);
        std::string command = std::string(">") + text;
        cur.getLine()->text.assign(command.c_str());
        cur.getLine()->kind = lineCommand;
        cur.setColumn(1);
    }
    invalidate();
    host->resumeInterpreter();
}

int NotebookEditor::endFunctionLine() {
    TextLockHold hold(*this, "endfunction");
    if (getIntCell(functionEntryState) != 1 || !getIntCell(inputWaiting) ||
        cur.getLine()->kind != lineFunctionBody)
        return 0;
    shown.setFollowCursor(1);
    if (!cur.getLine()->text.isStringEmpty() && !cur.getLine()->text.equals("$")) return 0;
    cur.getLine()->text.assign("$endfunction");
    cur.setColumn(1);
    invalidate();
    return 1;
}

void NotebookEditor::backupCursorLine() {
    TextLockHold hold(*this, "backup");
    pushLineBackup(cur.getLine());
}

void NotebookEditor::openLineAfterFunctionBody() {
    if (getIntCell(functionEntryState) == 0) return;
    TextLockHold hold(*this, "insertline");
    if (cur.getLine()->text.isStringEmpty() && cur.getLine()->next) {
        NotebookLine* empty = cur.getLine();
        cur.setLine(cur.getLine()->next);
        deleteNotebookLine(empty);
    }
    while (cur.getLine()->next && cur.getLine()->next->kind == lineFunctionBody)
        cur.setLine(cur.getLine()->next);
    insertLine();
    cur.setColumn(0);
}

// --- the mouse -------------------------------------------------------------------

LinePosition NotebookEditor::lineAtPoint(int x, int y) {
    TextLockHold hold(*this, "computecursor");
    LinePosition position;
    if (!getIntCell(inputWaiting)) return position;
    if (y < 0) y = 0;
    if (x < 0) x = 0;
    int bottom = shown.getTopMargin();
    NotebookLine* line = shown.getTopLine();
    while (true) {
        bottom += line->getRowHeight();
        if (bottom > y || !line->next) break;
        line = line->next;
    }
    position.line = line;
    if (line->heading || line->isSectionRule()) return position;
    // The longest run of whole characters that fits left of the point; the
    // widths grow with the characters, so they are searched by halving.
    const char* text = line->text.getText();
    bool utf8 = line->holdsUtf8();
    int limit = x + shown.getHorizontalScroll() - line->getLeftMargin();
    size_t fits = 0, beyond = characterCount(text, size_t(line->text.length()), utf8) + 1;
    while (beyond - fits > 1) {
        size_t middle = (fits + beyond) / 2;
        if (metrics->textWidth(text, int(characterOffset(text, middle, utf8))) > limit)
            beyond = middle;
        else
            fits = middle;
    }
    position.column = int(characterOffset(text, fits, utf8));
    return position;
}

void NotebookEditor::startDrag(int x, int y) {
    TextLockHold hold(*this, "start drag");
    if (!getIntCell(userWaitFlag)) return;
    LinePosition point = lineAtPoint(x, y);
    if (!point.line) return;
    if (point.line->image) {
        NotebookLine* row = point.line;
        while (row->imageRow > 0 && row->previous && row->previous->image == row->image)
            row = row->previous;
        for (auto picture = row->image; row && row->image == picture; row = row->next)
            row->imageMarked = 1;
        cur.clearAnchor();
        invalidate();
        return;
    }
    cur.setAnchor(point.line, point.column);
}

void NotebookEditor::dragTo(int x, int y) {
    TextLockHold hold(*this, "drag");
    LinePosition point = lineAtPoint(x, y);
    if (point.line && cur.getAnchorLine()) markTo(point.line, point.column);
}

int NotebookEditor::endDrag(int x, int y) {
    TextLockHold hold(*this, "end drag");
    if (!cur.getAnchorLine()) return 0;
    LinePosition point = lineAtPoint(x, y);
    if (!point.line) return 0;
    int entry = getIntCell(functionEntryState);
    if (cur.getAnchorLine()->kind == lineCommand) {
        if (point.line == cur.getAnchorLine() && point.column == cur.getAnchorColumn() &&
            entry != 1) {
            assignIntCell(functionEntryState, 0);
            cur.setLine(cur.getAnchorLine());
            cur.setColumn(cur.getAnchorColumn() < 1 ? 1 : cur.getAnchorColumn());
            return highlightMatchingBracket();
        }
        markTo(point.line, point.column);
        if (cur.getLine()->kind != lineFunctionBody && cur.getSelectionFirst() &&
            cur.getSelectionFirst() == cur.getSelectionLast() &&
            cur.getSelectionFirst()->kind == lineCommand) {
            cur.setLine(cur.getSelectionFirst());
            cur.setColumn(cur.getSelectionStartColumn());
        }
        cur.setBracketMatchShown(0);
        return 0;
    }
    markTo(point.line, point.column);
    bool empty =
        !cur.getSelectionFirst() || (cur.getSelectionFirst() == cur.getSelectionLast() &&
                                     cur.getSelectionStartColumn() == cur.getSelectionEndColumn());
    if (!((!cur.getSelectionFirst() && entry != 1) || empty)) return 0;
    if (cur.getAnchorLine()->kind == lineFunctionBody) {
        assignIntCell(functionEntryState, 2);
        cur.setLine(point.line);
        cur.setColumn(point.column);
        return highlightMatchingBracket();
    }
    assignIntCell(functionEntryState, 0);
    for (NotebookLine* line = cur.getAnchorLine()->next; line; line = line->next) {
        if (line->kind == lineCommand) {
            cur.setLine(line);
            cur.setColumn(1);
            break;
        }
    }
    unmarkAll();
    cur.clearAnchor();
    showCursorLine();
    invalidate();
    return 0;
}

std::string NotebookEditor::getSelectionText() {
    TextLockHold hold(*this, "copy text");
    NotebookLine* line = cur.getSelectionFirst();
    if (!line || line->image) return std::string();
    int length = line->text.length();
    int start = cur.getSelectionStartColumn() < length ? cur.getSelectionStartColumn() : length;
    int end = line == cur.getSelectionLast() ? cur.getSelectionEndColumn() : length;
    if (end > length) end = length;
    if (end < start) end = start;
    return std::string(line->text.getText() + start, size_t(end - start));
}

// --- deleting ---------------------------------------------------------------------

void NotebookEditor::deleteSelection() {
    TextLockHold hold(*this, "delete mark");
    if (!getIntCell(userWaitFlag) || !cur.getSelectionFirst() || !getIntCell(inputWaiting) ||
        getIntCell(functionEntryState) == 1)
        return;
    NotebookLine* first = cur.getSelectionFirst();
    NotebookLine* last = cur.getSelectionLast();
    int start = cur.getSelectionStartColumn();
    int end = cur.getSelectionEndColumn();
    if (first == last) {
        int length = first->text.length();
        if (first == cur.getLine() && start == 0) start = 1;
        if (end > length) end = length;
        if (end > start) first->text.erase(start, end - start);
        if (first == cur.getLine() && cur.getColumn() > start) cur.setColumn(start);
    } else {
        bool cursorDeleted = false;
        NotebookLine* before = first->previous;
        NotebookLine* line = first->next;
        if (start == 0) {
            cursorDeleted |= first == cur.getLine();
            deleteNotebookLine(first);
        } else {
            if (start < first->text.length())
                first->text.erase(start, first->text.length() - start);
            before = first;
        }
        while (line && line != last) {
            NotebookLine* next = line->next;
            cursorDeleted |= line == cur.getLine();
            deleteNotebookLine(line);
            line = next;
        }
        if (line) {
            int length = line->text.length();
            if (end >= length) {
                cursorDeleted |= line == cur.getLine();
                deleteNotebookLine(line);
            } else if (line == cur.getLine()) {
                if (end > 1) line->text.erase(1, end - 1);
                cur.setColumn(1);
            } else if (end > 0) {
                line->text.erase(0, end);
            }
        }
        if (cursorDeleted) {
            bool nothingLeft = lineCount() == 1 && doc.getFirstLine()->text.isStringEmpty();
            if (nothingLeft) {
                clearNotebook();
                cur.setLine(doc.getFirstLine());
            } else {
                cur.setLine(before ? before : doc.getFirstLine());
                insertLine();
            }
            makeNewPrompt();
        }
        updateTop();
    }
    setNotebookChanged(1);
    unmarkAll();
    invalidate();
}

void NotebookEditor::deleteSelectedOutput() {
    TextLockHold hold(*this, "delete output");
    shown.setFollowCursor(1);
    if (!getIntCell(userWaitFlag) || !cur.getSelectionFirst()) return;
    NotebookLine* line = cur.getSelectionFirst();
    NotebookLine* last = cur.getSelectionLast();
    while (line) {
        NotebookLine* next = line == last ? nullptr : line->next;
        if (line->kind == lineOutput) {
            deleteNotebookLine(line);
            setNotebookChanged(1);
        }
        line = next;
    }
    unmarkAll();
    shown.setTopLine(computeTopLine(cur.getLine()));
    invalidate();
}

void NotebookEditor::deleteFunctionBody() {
    TextLockHold hold(*this, "delete udf");
    if (!getIntCell(userWaitFlag) || !getIntCell(inputWaiting)) return;
    if (cur.getLine()->kind != lineFunctionBody || !cur.getLine()->next ||
        cur.getLine()->next->kind != lineFunctionBody)
        return;
    shown.setFollowCursor(1);
    NotebookLine* old = cur.getLine();
    int column = cur.getColumn();
    NotebookLine* next = old->next;
    deleteNotebookLine(old);
    cur.setLine(next);
    cur.setColumn(next->characterStart(column));
    shown.setTopLine(computeTopLine(cur.getLine()));
    setNotebookChanged(1);
    invalidate();
}

// --- copying ------------------------------------------------------------------------

namespace {

// Prefixes of the two line-by-line copy forms, by line kind.
struct CopyForm {
    const char* output;
    const char* command;
    const char* body;
    bool formatted;
};

const CopyForm textForm = {" ", ">", "$", false};
const CopyForm formattedForm = {"     ", "  >", "  $  ", true};

const char* copyPrefix(const NotebookLine* line, const CopyForm& form) {
    switch (line->kind) {
        case lineOutput:
            return form.output;
        case lineCommand:
            return form.command;
        case lineFunctionBody:
            return form.body;
        case lineComment:
            if (form.formatted) return "   ";
            return line->hardBreak ? "%%" : line->heading ? "% * " : "% ";
        default:
            return form.formatted ? "  " : "";
    }
}

// The shown text of a line from `start` to `end` (columns of its text;
// end -1 for the end of the line).
std::string shownPart(const NotebookLine* line, int start, int end) {
    bool prompt = line->kind == lineCommand || line->kind == lineFunctionBody;
    const char* text = line->text.getText();
    if (!prompt && line->originalText) text = line->originalText->getText();
    int length = int(std::strlen(text));
    if (prompt && start < 1) start = 1;
    if (start > length) start = length;
    if (end < 0 || end > length) end = length;
    if (end < start) end = start;
    return std::string(text + start, size_t(end - start));
}

}  // namespace

// Both line-by-line forms; a marked picture on the way makes `picture`
// that picture and the text empty.
static std::string copyLines(NotebookEditor& editor, const CopyForm& form,
                             const NotebookLine** picture) {
    std::string out;
    NotebookLine* first = editor.cursor().getSelectionFirst();
    NotebookLine* last = editor.cursor().getSelectionLast();
    for (NotebookLine* line = editor.document().getFirstLine(); line; line = line->next) {
        if (line->imageMarked && line->image) {
            *picture = line;
            return std::string();
        }
        if (!line->selected || line->image) continue;
        if (line == first && line == last) {
            const char* text = line->text.getText();
            int length = line->text.length();
            int start = editor.cursor().getSelectionStartColumn() < length
                            ? editor.cursor().getSelectionStartColumn()
                            : length;
            int end = editor.cursor().getSelectionEndColumn() < length
                          ? editor.cursor().getSelectionEndColumn()
                          : length;
            if (end > start) out.append(text + start, size_t(end - start));
        } else {
            out += copyPrefix(line, form);
            if (line == first)
                out += shownPart(line, editor.cursor().getSelectionStartColumn(), -1);
            else if (line == last)
                out += shownPart(line, 0, editor.cursor().getSelectionEndColumn());
            else
                out += shownPart(line, 0, -1);
        }
        out += "\r\n";
    }
    return out;
}

std::string NotebookEditor::selectionAsText() {
    TextLockHold hold(*this, "copy text");
    const NotebookLine* picture = nullptr;
    return copyLines(*this, textForm, &picture);
}

std::string NotebookEditor::selectionAsFormatted() {
    TextLockHold hold(*this, "copy formatted");
    const NotebookLine* picture = nullptr;
    return copyLines(*this, formattedForm, &picture);
}

std::string NotebookEditor::selectionAsCommands() {
    TextLockHold hold(*this, "copy commands");
    std::string out;
    NotebookLine* first = cur.getSelectionFirst();
    NotebookLine* last = cur.getSelectionLast();
    if (!first) return out;
    if (first == last) {
        const char* text = first->text.getText();
        int length = first->text.length();
        int start = cur.getSelectionStartColumn() < length ? cur.getSelectionStartColumn() : length;
        int end = cur.getSelectionEndColumn() < length ? cur.getSelectionEndColumn() : length;
        if (end > start) out.append(text + start, size_t(end - start));
        return out + "\r\n";
    }
    for (NotebookLine* line = first; line; line = line->next) {
        if (line->kind == lineCommand || line->kind == lineFunctionBody) {
            if (line == first) {
                out += shownPart(line, cur.getSelectionStartColumn(), -1);
            } else if (line == last) {
                out += shownPart(line, 0, cur.getSelectionEndColumn());
            } else {
                if (line->kind == lineFunctionBody) out += "$ ";
                out += shownPart(line, 0, -1);
            }
            out += "\r\n";
        }
        if (line == last) break;
    }
    return out;
}

void NotebookEditor::copySelection() {
    if (!getIntCell(userWaitFlag)) return;
    const NotebookLine* picture = nullptr;
    std::string text;
    {
        TextLockHold hold(*this, "copy text");
        if (!cur.getSelectionFirst()) {
            for (NotebookLine* line = doc.getFirstLine(); line; line = line->next) {
                if (line->imageMarked && line->image) {
                    host->setClipboardPicture(*line->image);
                    host->showStatus(">>> Bitmap copied to clipboard!");
                    return;
                }
            }
            return;
        }
        text = copyLines(*this, textForm, &picture);
        if (picture) {
            host->setClipboardPicture(*picture->image);
            return;
        }
    }
    host->setClipboardText(text.c_str());
    host->showStatus(">>> Text copied to clipboard!");
}

void NotebookEditor::copyCommands() {
    if (!getIntCell(userWaitFlag)) return;
    std::string text;
    {
        TextLockHold hold(*this, "copy commands");
        if (!cur.getSelectionFirst()) return;
        text = selectionAsCommands();
    }
    host->setClipboardText(text.c_str());
}

void NotebookEditor::copyFormatted() {
    if (!getIntCell(userWaitFlag)) return;
    const NotebookLine* picture = nullptr;
    std::string text;
    {
        TextLockHold hold(*this, "copy formatted");
        if (!cur.getSelectionFirst()) return;
        text = copyLines(*this, formattedForm, &picture);
        if (picture) {
            host->setClipboardPicture(*picture->image);
            return;
        }
    }
    host->setClipboardText(text.c_str());
}

}  // namespace kalix
