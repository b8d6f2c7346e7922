// Editing the notebook: typing and deleting at the cursor, moving between
// commands, opening and joining lines, mouse selections, deleting a
// selection or the output in it, and the three copy forms.
#include <algorithm>
#include <cstring>
#include <string>

#include "notebook/notebook_model.h"
#include "base/text.h"

static int isPlainChar(char c) { return c != '\t' && c != '\n' && c != '\r'; }

void NotebookEditor::insertRun(const char* text, int length) {
    if (length <= 0) return;
    int lineLength = cursorLine->text.length();
    if (cursorColumn > lineLength) cursorColumn = lineLength;
    if (cursorColumn < 0) cursorColumn = 0;
    std::string run(text, size_t(length));
    cursorLine->text.insertAt(cursorColumn, run.c_str());
    cursorColumn += length;
}

// `character` is a code: a code point in code page 65001, else a byte.
void NotebookEditor::insertChar(int character) {
    TextLockHold hold(*this, "insertchar");
    if (character == '\t') {
        // Tab stops count characters.
        const char* text = cursorLine->text.getText();
        int column = std::min(cursorColumn, cursorLine->text.length());
        size_t shown = characterCount(text, size_t(std::max(column, 0)), cursorLine->holdsUtf8());
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
    followCursor = 1;
    if (selectionFirst) {
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
    topLine = computeTopLine(cursorLine);
}

void NotebookEditor::insertLine() {
    TextLockHold hold(*this, "insertline");
    followCursor = 1;
    cursorLine = newLineAfter(cursorLine, "", lineOutput);
    cursorColumn = 0;
    topLine = computeTopLine(cursorLine);
    setNotebookChanged(1);
}

void NotebookEditor::deleteChar() {
    TextLockHold hold(*this, "delchar");
    followCursor = 1;
    if (cursorColumn < cursorLine->text.length())
        cursorLine->text.erase(cursorColumn, cursorLine->nextColumn(cursorColumn) - cursorColumn);
    setNotebookChanged(1);
}

void NotebookEditor::deleteLineEnd() {
    TextLockHold hold(*this, "delline");
    followCursor = 1;
    if (cursorColumn < cursorLine->text.length())
        cursorLine->text.erase(cursorColumn, cursorLine->text.length() - cursorColumn);
    setNotebookChanged(1);
}

void NotebookEditor::moveCursorLeft(int minimumColumn) {
    TextLockHold hold(*this, "cursorleft");
    if (cursorColumn > minimumColumn)
        cursorColumn = std::max(minimumColumn, cursorLine->previousColumn(cursorColumn));
    if (anchorLine) markTo(cursorLine, cursorColumn);
}

void NotebookEditor::moveCursorRight() {
    TextLockHold hold(*this, "cursorright");
    cursorColumn = cursorLine->nextColumn(cursorColumn);
    if (anchorLine) markTo(cursorLine, cursorColumn);
}

// A "?" followed neither by "?" nor by a blank.
static int isPlaceholderAt(const char* text, int i) {
    return text[i] == '?' && text[i + 1] != '?' && text[i + 1] != ' ';
}

void NotebookEditor::moveCursorRightTyped() {
    TextLockHold hold(*this, "cursorright typed");
    const char* text = cursorLine->text.getText();
    bool inQuotes = false;
    int target = -1;
    for (int i = 0; text[i]; i++) {
        if (text[i] == '"') inQuotes = !inQuotes;
        if (i <= cursorColumn || !isPlaceholderAt(text, i)) continue;
        if (!inQuotes || text[i - 1] == '"') {
            target = i;
            break;
        }
    }
    cursorColumn = target >= 0 ? target : cursorLine->nextColumn(cursorColumn);
    if (anchorLine) markTo(cursorLine, cursorColumn);
}

// The characters of a placeholder word after its mark, by code.
static int isPlaceholderChar(int code) {
    return isLetterCode(code) || (code >= '0' && code <= '9') || code == '_';
}

void NotebookEditor::clearPlaceholder() {
    TextLockHold hold(*this, "clear question");
    const char* text = cursorLine->text.getText();
    if (cursorColumn >= cursorLine->text.length() || !isPlaceholderAt(text, cursorColumn)) return;
    do {
        deleteChar();
    } while (isPlaceholderChar(cursorLine->characterAt(cursorColumn)));
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
    int kind = cursorLine->kind;
    if (kind != lineCommand && kind != lineFunctionBody) return;
    followCursor = 1;
    NotebookLine* before = commentBlockStart(cursorLine);
    cursorLine = newLineBefore(before, kind == lineCommand ? ">" : "$", kind);
    cursorColumn = 1;
    topLine = computeTopLine(cursorLine);
    setNotebookChanged(1);
}

void NotebookEditor::joinWithPreviousLine() {
    TextLockHold hold(*this, "joinline");
    NotebookLine* old = cursorLine;
    NotebookLine* previous = old->previous;
    if (!previous || previous->kind != old->kind) return;
    if (previous->text.endsWith(" ...")) previous->text.erase(previous->text.length() - 4, 4);
    previous->text.append(" ");
    cursorLine = previous;
    cursorColumn = previous->text.length();
    previous->text.append(old->text.getText() + (old->text.isStringEmpty() ? 0 : 1));
    deleteNotebookLine(old);
    cursorLine = previous;
    setNotebookChanged(1);
    invalidate();
}

void NotebookEditor::moveLineUp() {
    TextLockHold hold(*this, "line up");
    unmarkAll();
    followCursor = 1;
    if (getIntCell(functionEntryState) == 2 && cursorLine->kind == lineFunctionBody &&
        cursorLine->previous) {
        cursorLine = cursorLine->previous;
        cursorColumn = 1;
        skipBlanksAtCursor();
        if (cursorLine->kind != lineFunctionBody) {
            assignIntCell(functionEntryState, 0);
            host->showStatus("");
        }
        updateTop();
    } else if (getIntCell(inputWaiting) && cursorLine->kind == lineCommand) {
        NotebookLine* line = cursorLine->previous;
        while (line && line->kind != lineCommand) line = line->previous;
        if (!line) return;
        cursorLine = line;
        cursorColumn = 1;
        updateTop();
        if (anchorLine) markTo(cursorLine, cursorColumn);
    }
    invalidate();
}

void NotebookEditor::moveLineDown() {
    TextLockHold hold(*this, "line down");
    unmarkAll();
    followCursor = 1;
    if (getIntCell(functionEntryState) == 2 && cursorLine->kind == lineFunctionBody) {
        NotebookLine* next = cursorLine->next;
        if (!next || next->kind != lineFunctionBody) return;
        cursorLine = next;
        cursorColumn = 1;
        skipBlanksAtCursor();
        updateTop();
    } else if (getIntCell(inputWaiting) && cursorLine->kind == lineCommand) {
        NotebookLine* line = cursorLine->next;
        while (line && line->kind != lineCommand) line = line->next;
        if (!line) return;
        cursorLine = line;
        cursorColumn = 1;
        updateTop();
        if (anchorLine) markTo(cursorLine, cursorColumn);
    }
    invalidate();
}

void NotebookEditor::gotoTextStart() {
    TextLockHold hold(*this, "goto text start");
    if (!getIntCell(inputWaiting) || cursorLine->kind == lineFunctionBody) return;
    followCursor = 1;
    topLine = firstLine;
    for (NotebookLine* line = firstLine; line; line = line->next) {
        if (line->kind == lineCommand) {
            cursorLine = line;
            cursorColumn = 1;
            break;
        }
    }
    host->scrollChanged();
    invalidate();
}

void NotebookEditor::gotoTextEnd() {
    TextLockHold hold(*this, "goto text end");
    if (!getIntCell(inputWaiting) || cursorLine->kind == lineFunctionBody) return;
    followCursor = 1;
    NotebookLine* last = lastLine();
    for (NotebookLine* line = last; line; line = line->previous) {
        if (line->kind == lineCommand) {
            cursorLine = line;
            cursorColumn = line->text.length();
            break;
        }
    }
    int h = getTextLineHeight();
    int steps = h > 0 ? visibleHeight / h / 2 : 0;
    topLine = last;
    while (steps-- > 0 && topLine->previous) topLine = topLine->previous;
    host->scrollChanged();
    invalidate();
}

void NotebookEditor::executeText(const char* text) {
    {
        TextLockHold hold(*this, "execute");
        followCursor = 1;
        std::string command = std::string(">") + text;
        cursorLine->text.assign(command.c_str());
        cursorLine->kind = lineCommand;
        cursorColumn = 1;
    }
    invalidate();
    host->resumeInterpreter();
}

int NotebookEditor::endFunctionLine() {
    TextLockHold hold(*this, "endfunction");
    if (getIntCell(functionEntryState) != 1 || !getIntCell(inputWaiting) ||
        cursorLine->kind != lineFunctionBody)
        return 0;
    followCursor = 1;
    if (!cursorLine->text.isStringEmpty() && !cursorLine->text.equals("$")) return 0;
    cursorLine->text.assign("$endfunction");
    cursorColumn = 1;
    invalidate();
    return 1;
}

void NotebookEditor::backupCursorLine() {
    TextLockHold hold(*this, "backup");
    pushLineBackup(cursorLine);
}

void NotebookEditor::openLineAfterFunctionBody() {
    if (getIntCell(functionEntryState) == 0) return;
    TextLockHold hold(*this, "insertline");
    if (cursorLine->text.isStringEmpty() && cursorLine->next) {
        NotebookLine* empty = cursorLine;
        cursorLine = cursorLine->next;
        deleteNotebookLine(empty);
    }
    while (cursorLine->next && cursorLine->next->kind == lineFunctionBody)
        cursorLine = cursorLine->next;
    insertLine();
    cursorColumn = 0;
}

// --- the mouse -------------------------------------------------------------------

LinePosition NotebookEditor::lineAtPoint(int x, int y) {
    TextLockHold hold(*this, "computecursor");
    LinePosition position;
    if (!getIntCell(inputWaiting)) return position;
    if (y < 0) y = 0;
    if (x < 0) x = 0;
    int bottom = topMargin;
    NotebookLine* line = topLine;
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
    int limit = x + horizontalScroll - line->getLeftMargin();
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
        anchorLine = nullptr;
        invalidate();
        return;
    }
    anchorLine = point.line;
    anchorColumn = point.column;
}

void NotebookEditor::dragTo(int x, int y) {
    TextLockHold hold(*this, "drag");
    LinePosition point = lineAtPoint(x, y);
    if (point.line && anchorLine) markTo(point.line, point.column);
}

int NotebookEditor::endDrag(int x, int y) {
    TextLockHold hold(*this, "end drag");
    if (!anchorLine) return 0;
    LinePosition point = lineAtPoint(x, y);
    if (!point.line) return 0;
    int entry = getIntCell(functionEntryState);
    if (anchorLine->kind == lineCommand) {
        if (point.line == anchorLine && point.column == anchorColumn && entry != 1) {
            assignIntCell(functionEntryState, 0);
            cursorLine = anchorLine;
            cursorColumn = anchorColumn < 1 ? 1 : anchorColumn;
            return highlightMatchingBracket();
        }
        markTo(point.line, point.column);
        if (cursorLine->kind != lineFunctionBody && selectionFirst &&
            selectionFirst == selectionLast && selectionFirst->kind == lineCommand) {
            cursorLine = selectionFirst;
            cursorColumn = selectionStartColumn;
        }
        bracketMatchShown = 0;
        return 0;
    }
    markTo(point.line, point.column);
    bool empty = !selectionFirst ||
                 (selectionFirst == selectionLast && selectionStartColumn == selectionEndColumn);
    if (!((!selectionFirst && entry != 1) || empty)) return 0;
    if (anchorLine->kind == lineFunctionBody) {
        assignIntCell(functionEntryState, 2);
        cursorLine = point.line;
        cursorColumn = point.column;
        return highlightMatchingBracket();
    }
    assignIntCell(functionEntryState, 0);
    for (NotebookLine* line = anchorLine->next; line; line = line->next) {
        if (line->kind == lineCommand) {
            cursorLine = line;
            cursorColumn = 1;
            break;
        }
    }
    unmarkAll();
    anchorLine = nullptr;
    showCursorLine();
    invalidate();
    return 0;
}

std::string NotebookEditor::getSelectionText() {
    TextLockHold hold(*this, "copy text");
    NotebookLine* line = selectionFirst;
    if (!line || line->image) return std::string();
    int length = line->text.length();
    int start = selectionStartColumn < length ? selectionStartColumn : length;
    int end = line == selectionLast ? selectionEndColumn : length;
    if (end > length) end = length;
    if (end < start) end = start;
    return std::string(line->text.getText() + start, size_t(end - start));
}

// --- deleting ---------------------------------------------------------------------

void NotebookEditor::deleteSelection() {
    TextLockHold hold(*this, "delete mark");
    if (!getIntCell(userWaitFlag) || !selectionFirst || !getIntCell(inputWaiting) ||
        getIntCell(functionEntryState) == 1)
        return;
    NotebookLine* first = selectionFirst;
    NotebookLine* last = selectionLast;
    int start = selectionStartColumn;
    int end = selectionEndColumn;
    if (first == last) {
        int length = first->text.length();
        if (first == cursorLine && start == 0) start = 1;
        if (end > length) end = length;
        if (end > start) first->text.erase(start, end - start);
        if (first == cursorLine && cursorColumn > start) cursorColumn = start;
    } else {
        bool cursorDeleted = false;
        NotebookLine* before = first->previous;
        NotebookLine* line = first->next;
        if (start == 0) {
            cursorDeleted |= first == cursorLine;
            deleteNotebookLine(first);
        } else {
            if (start < first->text.length())
                first->text.erase(start, first->text.length() - start);
            before = first;
        }
        while (line && line != last) {
            NotebookLine* next = line->next;
            cursorDeleted |= line == cursorLine;
            deleteNotebookLine(line);
            line = next;
        }
        if (line) {
            int length = line->text.length();
            if (end >= length) {
                cursorDeleted |= line == cursorLine;
                deleteNotebookLine(line);
            } else if (line == cursorLine) {
                if (end > 1) line->text.erase(1, end - 1);
                cursorColumn = 1;
            } else if (end > 0) {
                line->text.erase(0, end);
            }
        }
        if (cursorDeleted) {
            bool nothingLeft = lineCount() == 1 && firstLine->text.isStringEmpty();
            if (nothingLeft) {
                clearNotebook();
                cursorLine = firstLine;
            } else {
                cursorLine = before ? before : firstLine;
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
    followCursor = 1;
    if (!getIntCell(userWaitFlag) || !selectionFirst) return;
    NotebookLine* line = selectionFirst;
    NotebookLine* last = selectionLast;
    while (line) {
        NotebookLine* next = line == last ? nullptr : line->next;
        if (line->kind == lineOutput) {
            deleteNotebookLine(line);
            setNotebookChanged(1);
        }
        line = next;
    }
    unmarkAll();
    topLine = computeTopLine(cursorLine);
    invalidate();
}

void NotebookEditor::deleteFunctionBody() {
    TextLockHold hold(*this, "delete udf");
    if (!getIntCell(userWaitFlag) || !getIntCell(inputWaiting)) return;
    if (cursorLine->kind != lineFunctionBody || !cursorLine->next ||
        cursorLine->next->kind != lineFunctionBody)
        return;
    followCursor = 1;
    NotebookLine* old = cursorLine;
    int column = cursorColumn;
    NotebookLine* next = old->next;
    deleteNotebookLine(old);
    cursorLine = next;
    cursorColumn = next->characterStart(column);
    topLine = computeTopLine(cursorLine);
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
    NotebookLine* first = editor.selectionFirst;
    NotebookLine* last = editor.selectionLast;
    for (NotebookLine* line = editor.firstLine; line; line = line->next) {
        if (line->imageMarked && line->image) {
            *picture = line;
            return std::string();
        }
        if (!line->selected || line->image) continue;
        if (line == first && line == last) {
            const char* text = line->text.getText();
            int length = line->text.length();
            int start = editor.selectionStartColumn < length ? editor.selectionStartColumn : length;
            int end = editor.selectionEndColumn < length ? editor.selectionEndColumn : length;
            if (end > start) out.append(text + start, size_t(end - start));
        } else {
            out += copyPrefix(line, form);
            if (line == first)
                out += shownPart(line, editor.selectionStartColumn, -1);
            else if (line == last)
                out += shownPart(line, 0, editor.selectionEndColumn);
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
    NotebookLine* first = selectionFirst;
    NotebookLine* last = selectionLast;
    if (!first) return out;
    if (first == last) {
        const char* text = first->text.getText();
        int length = first->text.length();
        int start = selectionStartColumn < length ? selectionStartColumn : length;
        int end = selectionEndColumn < length ? selectionEndColumn : length;
        if (end > start) out.append(text + start, size_t(end - start));
        return out + "\r\n";
    }
    for (NotebookLine* line = first; line; line = line->next) {
        if (line->kind == lineCommand || line->kind == lineFunctionBody) {
            if (line == first) {
                out += shownPart(line, selectionStartColumn, -1);
            } else if (line == last) {
                out += shownPart(line, 0, selectionEndColumn);
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
        if (!selectionFirst) {
            for (NotebookLine* line = firstLine; line; line = line->next) {
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
        if (!selectionFirst) return;
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
        if (!selectionFirst) return;
        text = copyLines(*this, formattedForm, &picture);
        if (picture) {
            host->setClipboardPicture(*picture->image);
            return;
        }
    }
    host->setClipboardText(text.c_str());
}
