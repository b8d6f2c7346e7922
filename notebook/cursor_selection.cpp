// The cursor, the view and the selection: scrolling, the top line that
// keeps a command in view, marking, bracket matching, splitting commands
// and pasting text as notebook lines.
#include <cstring>
#include <string>
#include <vector>

#include "notebook/notebook_model.h"

namespace kalix {

void NotebookEditor::scrollDown() {
    TextLockHold hold(*this, "scroll down");
    if (!shown.getTopLine()->next) return;
    shown.setTopLine(shown.getTopLine()->next);
    host->scrollChanged();
    invalidate();
}

void NotebookEditor::scrollUp() {
    TextLockHold hold(*this, "scroll up");
    if (!shown.getTopLine()->previous) return;
    shown.setTopLine(shown.getTopLine()->previous);
    host->scrollChanged();
    invalidate();
}

static int startsSectionForPaging(const NotebookLine* line) {
    return line->kind == lineComment &&
           (line->heading || line->text.matchesAt(0, "** ") || line->text.matchesAt(0, "---"));
}

// The cursor goes to the first command at or below the top line.
static void cursorToTopCommand(NotebookEditor& editor) {
    for (NotebookLine* line = editor.view().getTopLine(); line; line = line->next) {
        if (line->kind == lineCommand) {
            editor.cursor().setLine(line);
            editor.cursor().setColumn(1);
            break;
        }
    }
    if (editor.cursor().getAnchorLine())
        editor.markTo(editor.cursor().getLine(), editor.cursor().getColumn());
}

static int pageStep(NotebookEditor& editor, int ctrl) {
    if (ctrl) return 500;
    int h = editor.view().getLineHeight();
    return h > 0 ? editor.view().getVisibleHeight() / h / 2 : 1;
}

void NotebookEditor::pageDown(int ctrl) {
    TextLockHold hold(*this, "page end");
    if (!getIntCell(inputWaiting) || cur.getLine()->kind == lineFunctionBody) return;
    measureLineHeight();
    for (int step = pageStep(*this, ctrl); step > 0 && shown.getTopLine()->next; step--) {
        shown.setTopLine(shown.getTopLine()->next);
        if (startsSectionForPaging(shown.getTopLine())) break;
    }
    cursorToTopCommand(*this);
    host->scrollChanged();
    invalidate();
}

void NotebookEditor::pageUp(int ctrl) {
    TextLockHold hold(*this, "page up");
    if (!getIntCell(inputWaiting) || cur.getLine()->kind == lineFunctionBody) return;
    measureLineHeight();
    for (int step = pageStep(*this, ctrl); step > 0 && shown.getTopLine()->previous; step--) {
        shown.setTopLine(shown.getTopLine()->previous);
        if (startsSectionForPaging(shown.getTopLine())) break;
    }
    cursorToTopCommand(*this);
    host->scrollChanged();
    invalidate();
}

void NotebookEditor::setScrollFromBar(int position) {
    TextLockHold hold(*this, "setscroll pos");
    if (position < 0) position = 0;
    if (position > 100) position = 100;
    int count = lineCount();
    int index = int(int64_t(position) * count / 100);
    if (index >= count) index = count - 1;
    shown.setTopLine(lineAt(index));
    invalidate();
}

int NotebookEditor::verticalBarPosition() {
    TextLockHold hold(*this, "setscroll");
    int index = 0, count = 0;
    for (NotebookLine* line = doc.getFirstLine(); line; line = line->next, count++)
        if (line == shown.getTopLine()) index = count;
    return count ? int(int64_t(index) * 100 / count) : 0;
}

void NotebookEditor::setHorizontalFromBar(int position) {
    TextLockHold hold(*this, "sethscroll pos");
    int offset = int(int64_t(position) * metrics->clientWidth() * 3 / 100);
    setHorizontalScroll(offset < 0 ? 0 : offset);
    invalidate();
}

int NotebookEditor::horizontalBarPosition() {
    TextLockHold hold(*this, "sethscroll");
    int width = metrics->clientWidth();
    if (width <= 0) return 0;
    int position = int(int64_t(shown.getHorizontalScroll()) * 100 / (int64_t(width) * 3));
    return position < 0 ? 0 : position > 100 ? 100 : position;
}

void NotebookEditor::setHorizontalScroll(int pixels) {
    shown.setHorizontalScroll(pixels < 0 ? 0 : pixels);
    shown.setFollowCursor(0);
}

void NotebookEditor::setCursorLine(NotebookLine* line, int column) {
    TextLockHold hold(*this, "setcursorline");
    cur.setLine(line);
    cur.setColumn(line->characterStart(column));
}

void NotebookEditor::setCursorColumn(int column) {
    TextLockHold hold(*this, "setcursorpos");
    cur.setColumn(cur.getLine()->characterStart(column));
    if (cur.getAnchorLine()) markTo(cur.getLine(), cur.getColumn());
}

void NotebookEditor::setCursorCommand(const char* text, int column) {
    TextLockHold hold(*this, "set");
    cur.getLine()->text.assign((std::string(">") + text).c_str());
    cur.getLine()->kind = lineCommand;
    setCursorColumn(column);
    invalidate();
}

void NotebookEditor::setInputLine(const char* text, int column) {
    TextLockHold hold(*this, "set input");
    int start = getIntCell(inputStartColumn);
    int textLength = int(std::strlen(text));
    if (cur.getLine()->text.length() < start) {
        cur.getLine()->text.assign((std::string(">") + text).c_str());
        cur.setColumn(column);
    } else {
        std::string line(cur.getLine()->text.getText(), size_t(start));
        line += text;
        cur.getLine()->text.assign(line.c_str());
        cur.setColumn(textLength < start + column ? textLength + 1 : start + column);
    }
    cur.setColumn(cur.getLine()->characterStart(cur.getColumn()));
    invalidate();
}

void NotebookEditor::setLineKindFromPrefix() {
    TextLockHold hold(*this, "settype");
    if (cur.getLine()->text.matchesAt(0, ">"))
        cur.getLine()->kind = lineCommand;
    else if (cur.getLine()->text.matchesAt(0, "$"))
        cur.getLine()->kind = lineFunctionBody;
}

void NotebookEditor::setShiftAnchor(int on) {
    TextLockHold hold(*this, "shift");
    if (!on) {
        cur.clearAnchor();
    } else if (!cur.getAnchorLine()) {
        cur.setAnchor(cur.getLine(), cur.getColumn());
    }
}

void NotebookEditor::skipBlanksAtCursor() {
    const char* text = cur.getLine()->text.getText();
    int length = cur.getLine()->text.length();
    int column = cur.getColumn();
    while (column < length && text[column] == ' ') column++;
    cur.setColumn(column);
}

void NotebookEditor::showCursorLine() {
    TextLockHold hold(*this, "showcursorline");
    NotebookLine* top = computeTopLine(cur.getLine());
    if (top == shown.getTopLine()) return;
    shown.setTopLine(top);
    host->scrollChanged();
    invalidate();
}

void NotebookEditor::showCommentAbove() {
    TextLockHold hold(*this, "showcomment");
    NotebookLine* first = commentBlockStart(cur.getLine());
    for (NotebookLine* line = first; line; line = line->next) {
        if (line == shown.getTopLine()) {
            shown.setTopLine(first);
            break;
        }
        if (line == cur.getLine()) break;
    }
}

void NotebookEditor::relayout() {
    TextLockHold hold(*this, "sized");
    measureLineHeight();
    shown.setTopLine(computeTopLine(cur.getLine()));
    invalidate();
}

void NotebookEditor::makeNewPrompt() {
    TextLockHold hold(*this, "new prompt");
    cur.getLine()->text.assign(">");
    cur.getLine()->kind = lineCommand;
    cur.getLine()->image.reset();
    cur.getLine()->largeImage.reset();
    cur.getLine()->imageRow = 0;
    cur.getLine()->originalText.reset();
    cur.setColumn(1);
    setNotebookChanged(1);
}

void NotebookEditor::moveToNextPrompt() {
    TextLockHold hold(*this, "next prompt");
    int kind = cur.getLine()->kind;
    if (kind != lineCommand && kind != lineFunctionBody) return;
    int other = kind == lineCommand ? lineFunctionBody : lineCommand;
    NotebookLine* line = cur.getLine()->next;
    while (line && line->kind != kind) {
        if (line->kind == other) return;
        line = line->next;
    }
    if (!line) return;
    NotebookLine* old = cur.getLine();
    cur.setLine(line);
    cur.setColumn(1);
    deleteNotebookLine(old);
    invalidate();
}

NotebookLine* NotebookEditor::findNextPromptLine(NotebookLine* line) {
    for (line = line->next; line; line = line->next)
        if (line->kind == lineCommand || line->kind == lineFunctionBody) return line;
    return nullptr;
}

void NotebookEditor::removeOutput() {
    TextLockHold hold(*this, "remove output");
    if (cur.getLine()->kind != lineCommand) return;
    NotebookLine* line = cur.getLine()->next;
    bool removed = false;
    while (line && line->kind != lineCommand) {
        NotebookLine* next = line->next;
        if (line->kind == lineOutput) {
            deleteNotebookLine(line);
            removed = true;
        }
        line = next;
    }
    if (removed) setNotebookChanged(1);
    invalidate();
}

void NotebookEditor::selectAll() {
    TextLockHold hold(*this, "select all");
    for (NotebookLine* line = doc.getFirstLine(); line; line = line->next) line->selected = 1;
    NotebookLine* last = lastLine();
    cur.select(doc.getFirstLine(), 0, last, last->text.length());
    cur.setBracketMatchShown(0);
    invalidate();
}

void NotebookEditor::unmarkAll() {
    TextLockHold hold(*this, "unmark all");
    for (NotebookLine* line = doc.getFirstLine(); line; line = line->next) {
        line->selected = 0;
        line->imageMarked = 0;
    }
    cur.clearSelection();
    cur.setBracketMatchShown(0);
}

void NotebookEditor::unmarkIfSelected() {
    TextLockHold hold(*this, "unmark all");
    if (!cur.getSelectionFirst()) return;
    unmarkAll();
    invalidate();
}

void NotebookEditor::followCursorAndRepaint() {
    shown.setFollowCursor(1);
    invalidate();
}

void NotebookEditor::updateCommentAbove() {
    std::string comment;
    {
        TextLockHold hold(*this, "comment");
        if (!cur.getLine()->previous || cur.getLine()->previous->kind != lineComment) return;
        comment = getComment();
    }
    setComment(comment.c_str());
}

// Selects from (a, aColumn) to (b, bColumn), a not after b.
static void selectSpan(NotebookEditor& editor, NotebookLine* a, int aColumn, NotebookLine* b,
                       int bColumn) {
    editor.unmarkAll();
    editor.cursor().select(a, aColumn, b, bColumn);
    for (NotebookLine* line = a; line; line = line->next) {
        line->selected = 1;
        if (line == b) break;
    }
}

void NotebookEditor::markTo(NotebookLine* line, int column) {
    TextLockHold hold(*this, "mark");
    if (!cur.getAnchorLine()) return;
    if (line == cur.getAnchorLine() && column == cur.getAnchorColumn()) return;
    if (line == cur.getAnchorLine()) {
        int start = column < cur.getAnchorColumn() ? column : cur.getAnchorColumn();
        int end = column < cur.getAnchorColumn() ? cur.getAnchorColumn() : column;
        selectSpan(*this, line, start, line, end);
    } else {
        for (NotebookLine* p = doc.getFirstLine(); p; p = p->next) {
            if (p == cur.getAnchorLine()) {
                selectSpan(*this, cur.getAnchorLine(), cur.getAnchorColumn(), line, column);
                break;
            }
            if (p == line) {
                selectSpan(*this, line, column, cur.getAnchorLine(), cur.getAnchorColumn());
                break;
            }
        }
    }
    invalidate();
}

// The view: a command with its comment above and its continuation, image
// rows or body lines below stays visible when it fits, the top moving as
// little as it can.
NotebookLine* NotebookEditor::computeTopLine(NotebookLine* command) {
    TextLockHold hold(*this, "top");
    shown.setFollowCursor(1);
    if (getTextLineHeight() == 0) return doc.getFirstLine();
    int h = shown.getVisibleHeight();
    NotebookLine* last = command;
    while (last->kind == lineCommand && last->text.endsWith("...") && last->next &&
           last->next->kind == lineCommand)
        last = last->next;
    if (last->next && last->next->image) {
        while (last->next && last->next->image) last = last->next;
    } else if (last->next && last->next->kind == lineFunctionBody) {
        while (last->next && last->next->kind == lineFunctionBody) last = last->next;
    } else {
        h = h * 7 / 8;
    }
    int sum = 2 * last->getRowHeight();
    NotebookLine* line = last;
    while (line != command && line->previous) {
        line = line->previous;
        sum += line->getRowHeight();
    }
    if (command == shown.getTopLine()) return shown.getTopLine();
    int commentSum = 2 * command->getRowHeight();
    for (NotebookLine* p = command; p->previous && p->previous->kind == lineComment;) {
        p = p->previous;
        commentSum += p->getRowHeight();
        if (p == shown.getTopLine()) return shown.getTopLine();
        if (commentSum > h) return p->next;
    }
    for (line = command; line->previous;) {
        line = line->previous;
        sum += line->getRowHeight();
        if (sum > h) return line->next;
        if (line == shown.getTopLine()) return shown.getTopLine();
    }
    return doc.getFirstLine();
}

void NotebookEditor::setCaret() {
    TextLockHold hold(*this, "setcaret");
    int height = getTextLineHeight();
    shown.placeCaret(-1000, -1000, 2, height);
    int y = shown.getTopMargin();
    for (NotebookLine* line = shown.getTopLine(); line && y < shown.getVisibleHeight();
         line = line->next) {
        if (line == cur.getLine()) {
            int column =
                cur.getColumn() < line->text.length() ? cur.getColumn() : line->text.length();
            int x = metrics->textWidth(line->text.getText(), column) - shown.getHorizontalScroll() +
                    line->getLeftMargin();
            shown.placeCaret(x, y, 2, height);
            return;
        }
        y += line->getRowHeight();
    }
}

// --- bracket matching ---------------------------------------------------------

namespace {

// Bytes of a line that lie inside a string (between double quotes).
std::vector<char> stringMask(const char* text) {
    std::vector<char> mask(std::strlen(text) + 1, 0);
    bool inside = false;
    for (size_t i = 0; text[i]; i++) {
        if (text[i] == '"') {
            inside = !inside;
            continue;
        }
        mask[i] = inside;
    }
    return mask;
}

int quotesBefore(const char* text, int column) {
    int count = 0;
    for (int i = 0; i < column; i++) count += text[i] == '"';
    return count;
}

bool continuesForward(const NotebookLine* line) {
    return line->text.endsWith(" ..") || line->text.endsWith(" ...");
}

// Searches forward from just after (line, column) for the partner of an
// opening bracket, or for the closing quote.
LinePosition searchForward(NotebookLine* line, int column, char open, char close) {
    int depth = 1;
    bool quote = open == '"';
    for (int i = column + 1;; i = 0) {
        const char* text = line->text.getText();
        std::vector<char> mask = stringMask(text);
        for (; text[i]; i++) {
            if (quote) {
                if (text[i] == '"') return {line, i};
                continue;
            }
            if (mask[i] || text[i] == '"') continue;
            if (text[i] == open) depth++;
            if (text[i] == close && --depth == 0) return {line, i};
        }
        if (quote || !continuesForward(line) || !line->next || line->next->kind != lineCommand)
            return {};
        line = line->next;
    }
}

LinePosition searchBackward(NotebookLine* line, int column, char open, char close) {
    int depth = 1;
    bool quote = close == '"';
    for (int i = column - 1;;) {
        const char* text = line->text.getText();
        std::vector<char> mask = stringMask(text);
        for (; i >= 0; i--) {
            if (quote) {
                if (text[i] == '"') return {line, i};
                continue;
            }
            if (mask[i] || text[i] == '"') continue;
            if (text[i] == close) depth++;
            if (text[i] == open && --depth == 0) return {line, i};
        }
        NotebookLine* previous = line->previous;
        if (quote || !previous || previous->kind != line->kind || !continuesForward(previous))
            return {};
        line = previous;
        i = line->text.length() - 1;
    }
}

char partnerOf(char c) {
    switch (c) {
        case '(':
            return ')';
        case '[':
            return ']';
        case '{':
            return '}';
        case ')':
            return '(';
        case ']':
            return '[';
        case '}':
            return '{';
        default:
            return 0;
    }
}

}  // namespace

int NotebookEditor::highlightMatchingBracket() {
    TextLockHold hold(*this, "mark");
    if (cur.getSelectionFirst() && !cur.isBracketMatchShown()) return 0;
    if (cur.getLine()->kind == lineOutput) return 0;
    const char* text = cur.getLine()->text.getText();
    int length = cur.getLine()->text.length();
    int column = cur.getColumn() < length ? cur.getColumn() : length;
    char at = column < length ? text[column] : 0;
    char before = column > 0 ? text[column - 1] : 0;
    NotebookLine* fromLine = nullptr;
    int fromColumn = 0, toColumn = 0;
    NotebookLine* toLine = nullptr;
    if (at == '(' || at == '[' || at == '{' || (at == '"' && quotesBefore(text, column) % 2 == 0)) {
        LinePosition found =
            searchForward(cur.getLine(), column, at, at == '"' ? '"' : partnerOf(at));
        if (found.line) {
            fromLine = cur.getLine();
            fromColumn = column;
            toLine = found.line;
            toColumn = found.column + 1;
        }
    } else if (before == ')' || before == ']' || before == '}' ||
               (before == '"' && quotesBefore(text, column - 1) % 2 == 1)) {
        LinePosition found = searchBackward(cur.getLine(), column - 1,
                                            before == '"' ? '"' : partnerOf(before), before);
        if (found.line) {
            fromLine = found.line;
            fromColumn = found.column;
            toLine = cur.getLine();
            toColumn = column;
        }
    } else if (before == ',' || before == ';') {
        std::vector<char> mask = stringMask(text);
        int depth = 0, start = 1;
        for (int i = column - 2; i >= 1; i--) {
            char c = text[i];
            if (mask[i] || c == '"') continue;
            if (c == ')' || c == ']' || c == '}') depth++;
            if ((c == '(' || c == '[' || c == '{') && depth-- == 0) {
                start = i + 1;
                break;
            }
            if ((c == ',' || c == ';') && depth == 0) {
                start = i + 1;
                break;
            }
        }
        if (start < column - 1) {
            fromLine = toLine = cur.getLine();
            fromColumn = start;
            toColumn = column - 1;
        }
    }
    if (fromLine)
        selectSpan(*this, fromLine, fromColumn, toLine, toColumn);
    else
        unmarkAll();
    cur.setBracketMatchShown(cur.getLine()->selected);
    invalidate();
    return fromLine ? 1 : 0;
}

// --- splitting ------------------------------------------------------------------

int NotebookEditor::isFunctionStart(const char* text) {
    if (std::strncmp(text, ">function ", 10) != 0 && std::strncmp(text, ">%+ function ", 13) != 0 &&
        std::strncmp(text, ">%% function", 12) != 0)
        return 0;
    return !std::strstr(text, ":=") && !std::strstr(text, "&=") && !std::strstr(text, "&&=");
}

static const char* splitPrompt(const String& text) {
    if (text.matchesAt(0, ">::")) return ">:: ";
    if (text.matchesAt(0, ">:")) return ">: ";
    if (text.matchesAt(0, ">>> ")) return ">";
    if (text.matchesAt(0, ">> ")) return ">> ";
    return ">";
}

void NotebookEditor::splitCommand(int continued) {
    TextLockHold hold(*this, "split command");
    NotebookLine* line = cur.getLine();
    int length = line->text.length();
    int column = cur.getColumn() < length ? cur.getColumn() : length;
    if (line->kind == lineCommand && line->next && line->next->kind == lineFunctionBody) {
        cur.setLine(line->next);
        cur.setColumn(1);
        skipBlanksAtCursor();
        showCursorLine();
        assignIntCell(functionEntryState, 2);
    } else if (line->kind == lineCommand && isFunctionStart(line->text.getText())) {
        if (!line->text.endsWith(" ...")) line->text.append(" ...");
        insertLine();
        cur.getLine()->text.assign("$");
        cur.getLine()->kind = lineFunctionBody;
        cur.setColumn(1);
        assignIntCell(functionEntryState, 2);
    } else if (line->kind == lineCommand) {
        if (column == length && line->text.endsWith(" ...")) column = length - 4;
        std::string rest(line->text.getText() + column);
        if (column == length - 4 && rest == " ...") rest.clear();
        const char* prompt = splitPrompt(line->text);
        line->text.erase(column, length - column);
        if (continued) line->text.append(" ...");
        cur.setLine(newLineAfter(line, (prompt + rest).c_str(), lineCommand));
        cur.setColumn(int(std::strlen(prompt)));
        shown.setTopLine(computeTopLine(cur.getLine()));
    } else if (line->kind == lineFunctionBody && getIntCell(functionEntryState) == 2) {
        std::string rest(line->text.getText() + column);
        line->text.erase(column, length - column);
        while (line->text.length() > 1 && line->text.endsWith(" "))
            line->text.erase(line->text.length() - 1, 1);
        const char* text = line->text.getText();
        int indent = 0;
        while (text[1 + indent] == ' ') indent++;
        std::string next = "$" + std::string(size_t(indent), ' ') + rest;
        cur.setLine(newLineAfter(line, next.c_str(), lineFunctionBody));
        cur.setColumn(1 + indent);
        unmarkAll();
        shown.setTopLine(computeTopLine(cur.getLine()));
    }
    setNotebookChanged(1);
    invalidate();
}

// --- pasting ---------------------------------------------------------------------

static std::vector<std::string> splitTextLines(const char* text) {
    std::vector<std::string> lines;
    std::string line;
    for (const char* p = text; *p; p++) {
        if (*p == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (*p == '\r') {
            if (p[1] == '\n') continue;
            lines.push_back(line);
            line.clear();
        } else {
            line += *p;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

static std::string tabsToCommas(std::string text) {
    for (char& c : text)
        if (c == '\t') c = ',';
    return text;
}

// One line of text (less than 3 characters after its first line break).
static bool isSingleLine(const char* text) {
    const char* cr = std::strpbrk(text, "\r\n");
    return !cr || std::strlen(cr + 1) < 3;
}

void NotebookEditor::insertPastedLine(NotebookLine* before, const std::string& text, int kind,
                                      NotebookLine*& firstCommand) {
    NotebookLine* line = newLineBefore(before, text.c_str(), kind);
    if (kind == lineComment) {
        parseCommentPrefix(line);
        decodeLineEntities(line);
    }
    if (kind == lineCommand && !firstCommand) firstCommand = line;
}

// Several lines before the comment block of the cursor command: all of
// them commands, or (fileFormat) read as notebook file lines.
void NotebookEditor::pasteLines(const char* text, int fileFormat) {
    if (cur.getLine()->kind != lineCommand) return;
    NotebookLine* before = commentBlockStart(cur.getLine());
    NotebookLine* firstCommand = nullptr;
    NotebookLine* const above = before->previous;
    int entry = getIntCell(functionEntryState);
    for (std::string line : splitTextLines(text)) {
        size_t blanks = 0;
        while (blanks < line.size() && line[blanks] == ' ') blanks++;
        NotebookLine* previous = before->previous;
        int previousKind = previous ? previous->kind : -1;
        int kind;
        if (!fileFormat) {
            if (blanks < line.size() && line[blanks] == '>') line.erase(0, blanks + 1);
            line = ">" + tabsToCommas(line);
            kind = lineCommand;
        } else {
            if (blanks <= 2 && blanks < line.size() && (line[blanks] == '>' || line[blanks] == '$'))
                line.erase(0, blanks);
            char first = line.empty() ? 0 : line[0];
            if (first == '$') {
                if (previousKind != lineCommand && previousKind != lineFunctionBody) continue;
                kind = lineFunctionBody;
            } else if (entry != 0) {
                continue;
            } else if (first == '%') {
                kind = lineComment;
            } else if (first == '>') {
                line = tabsToCommas(line);
                kind = lineCommand;
            } else {
                if (previousKind != lineOutput && previousKind != lineCommand) continue;
                if (first == ' ') line.erase(0, 1);
                kind = lineOutput;
            }
        }
        insertPastedLine(before, line, kind, firstCommand);
    }
    // Pasted comments or output must not join the cursor command.
    NotebookLine* lastInserted = before->previous;
    if (lastInserted != above && lastInserted->kind != lineCommand &&
        lastInserted->kind != lineFunctionBody) {
        NotebookLine* closing = newLineBefore(before, ">", lineCommand);
        if (!firstCommand) firstCommand = closing;
    }
    if (firstCommand) {
        cur.setLine(firstCommand);
        cur.setColumn(1);
    }
    shown.setTopLine(computeTopLine(cur.getLine()));
    setNotebookChanged(1);
}

void NotebookEditor::pasteAsCommands(const char* text) {
    TextLockHold hold(*this, "paste as commands");
    if (!getIntCell(inputWaiting)) return;
    unmarkAll();
    if (isSingleLine(text)) {
        std::string line(text, std::strcspn(text, "\r\n"));
        insertText(tabsToCommas(line).c_str());
    } else {
        pasteLines(text, 0);
    }
    invalidate();
}

void NotebookEditor::pasteCommands(const char* text) {
    TextLockHold hold(*this, "paste commands");
    if (!getIntCell(inputWaiting)) return;
    clearPlaceholder();
    unmarkAll();
    if (isSingleLine(text)) {
        std::string line(text, std::strcspn(text, "\r\n"));
        insertText(tabsToCommas(line).c_str());
    } else if (getIntCell(functionEntryState) != 1) {
        pasteLines(text, 1);
    }
    invalidate();
}

// --- texts of lines -------------------------------------------------------------

const char* NotebookEditor::displayText(const NotebookLine* line) {
    if (line->kind == lineCommand || line->kind == lineFunctionBody)
        return line->text.isStringEmpty() ? "" : line->text.getText() + 1;
    if (line->originalText) return line->originalText->getText();
    return line->text.getText();
}

const char* NotebookEditor::commentPrefixOf(const NotebookLine* line) {
    switch (line->kind) {
        case lineComment:
            return line->hardBreak ? "%%" : line->heading ? "% * " : "% ";
        case lineFunctionBody:
            return "$";
        case lineCommand:
            return ">";
        default:
            return "";
    }
}

}  // namespace kalix
