#include "notebook/line_editor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "interpreter/state.h"
#include "interpreter/state_hand_over.h"
#include "interpreter/state_snapshot.h"
#include "notebook/help.h"
#include "platform/host.h"

namespace kalix {

IntCell commandsToRun{0};
IntCell commandFromNotebook{0};
IntCell runThroughSections{0};
IntCell updateCommentsWhileRunning{0};

LineEditor lineEditor;

void CommandHistory::add(const char* text) {
    if (count() == capacity) {
        entries.erase(entries.begin());
        if (index > 0) index--;
    }
    size_t length = std::strlen(text);
    entries.emplace_back(text, length < size_t(entryLimit) ? length : size_t(entryLimit));
    if (index == count() - 1) index++;
}

void addHistoryLine(const char* text) { lineEditor.history.add(text); }

namespace {

// A typed character's code (a code point in code page 65001, else a byte):
// 32 and above, but not 127.
int isPrintable(int character) { return character >= 32 && character != 127; }

bool endsWith(const NotebookLine* line, const char* suffix) {
    return line && line->text.endsWith(suffix);
}

bool isEmptyPrompt(const NotebookLine* line) { return line->text.length() <= 1; }

// Letters (by character code), digits and the no-break space: the
// characters of a name to complete.
// Maxima's names also hold "_" (for Kalix it is an operator).
bool isCompletionChar(int code, bool maxima) {
    return isLetterCode(code) || (code >= '0' && code <= '9') || (maxima && code == '_');
}

// The first line of the function whose body holds `line`: the line before
// its first body line (null when the body starts the notebook).
NotebookLine* functionHeaderOf(NotebookLine* line) {
    while (line && line->kind == lineFunctionBody) line = line->previous;
    return line;
}

NotebookLine* firstBodyLineOf(NotebookLine* line) {
    while (line->previous && line->previous->kind == lineFunctionBody) line = line->previous;
    return line;
}

// Escape or Return leave a function edited in place: the cursor goes to its
// header command, or a new empty command opens when no command heads it.
// Returns the header command, or null.
NotebookLine* leaveFunctionBody(NotebookEditor& editor) {
    TextLockHold hold(editor, "leave function");
    assignIntCell(functionEntryState, 0);
    NotebookLine* header = functionHeaderOf(editor.cursor().getLine());
    if (header && header->kind == lineCommand) {
        editor.setCursorLine(header, 1);
        return header;
    }
    NotebookLine* line =
        editor.newLineBefore(firstBodyLineOf(editor.cursor().getLine()), ">", lineCommand);
    editor.setCursorLine(line, 1);
    editor.setNotebookChanged(1);
    return nullptr;
}

// The line as typed goes to the file of the command `dump`. The file is
// the interpreter's: written while it is handed over (a line typed while it
// does not wait is not its input).
void writeToDumpFile(NotebookEditor& editor) {
    std::string text;
    {
        TextLockHold hold(editor, "dump");
        text = editor.cursor().getLine()->text.getText();
    }
    StateHandOverHold hold;
    if (stateReadableByCaller() && dumpFile) std::fprintf(dumpFile, "%s", text.c_str());
}

}  // namespace

// The notebook is marked changed before the interpreter goes on, so the two
// threads never write the flag at the same time.
void LineEditor::resume(NotebookEditor& editor) {
    {
        TextLockHold hold(editor, "resume");
        editor.setNotebookChanged(1);
    }
    resumed = true;
    editor.getHost().resumeInterpreter();
}

// --- keys --------------------------------------------------------------------------

void LineEditor::handleKey(NotebookEditor& editor, int character, int code) {
    NotebookHost& host = editor.getHost();
    resumed = false;
    if (code != editTab) host.showTextWindow();
    if (isPrintable(character)) {
        editor.unmarkAll();
        editor.clearPlaceholder();
        editor.insertChar(character);
    } else {
        int start = getIntCell(inputStartColumn);
        switch (code) {
            case editUp:
                historyBack(editor);
                break;
            case editDown:
                historyForward(editor);
                break;
            case editLeft:
                editor.moveCursorLeft(start);
                break;
            case editRight:
                editor.moveCursorRight();
                break;
            case editEscape:
                pressEscape(editor);
                break;
            case editDelete:
                editor.deleteChar();
                break;
            case editBackspace:
                if (editor.cursor().getColumn() > start) {
                    editor.moveCursorLeft(start);
                    editor.deleteChar();
                }
                break;
            case editTab:
                if (getIntCell(functionEntryState) != 0) {
                    editor.insertChar('\t');
                    break;
                }
                host.toggleGraphicsWindow();
                return;
            case editReturn:
                pressReturn(editor);
                break;
            case editEnd:
                editor.setCursorColumn(editor.cursor().getLine()->text.length());
                break;
            case editHome:
                editor.setCursorColumn(start);
                break;
            case editWordLeft:
                wordLeft(editor);
                break;
            case editWordRight:
                wordRight(editor);
                break;
            case editInsert:
                completeAtCursor(editor);
                break;
            default:
                if (code >= editF1 && code < editF1 + functionKeyCount) {
                    const auto state = publishedStateSnapshot();
                    editor.insertText(state->functionKeys[size_t(code - editF1 + 1)].c_str());
                    break;
                }
                return;
        }
        if (!resumed) {
            TextLockHold hold(editor, "edit key");
            if (editor.isBracketMatchShown()) editor.unmarkAll();
        }
        lastCode = code;
    }
    // Once resumed, the interpreter owns the notebook: the GUI must not wait
    // for the lock it takes now.
    if (resumed) {
        host.invalidate();
        return;
    }
    editor.showCursorLine();
    editor.highlightMatchingBracket();
    host.invalidate();
}

void LineEditor::historyBack(NotebookEditor& editor) {
    if (lastCode != editUp) history.index = history.count();
    if (history.index <= 0) return;
    history.index--;
    recall(editor, history.entry(history.index));
}

void LineEditor::historyForward(NotebookEditor& editor) {
    if (history.index >= history.count() - 1) return;
    history.index++;
    recall(editor, history.entry(history.index));
}

// The input part of the cursor line becomes `text`, the cursor at its end.
void LineEditor::recall(NotebookEditor& editor, const std::string& text) {
    TextLockHold hold(editor, "history");
    editor.setInputLine(text.c_str(), int(text.size()));
    editor.setCursorColumn(editor.cursor().getLine()->text.length());
}

void LineEditor::wordLeft(NotebookEditor& editor) {
    TextLockHold hold(editor, "word left");
    const NotebookLine* line = editor.cursor().getLine();
    int start = getIntCell(inputStartColumn);
    int column = std::min(editor.cursor().getColumn(), line->text.length());
    if (column > start) column = line->previousColumn(column);
    while (column > start && line->characterAt(column) != ' ')
        column = line->previousColumn(column);
    editor.setCursorColumn(column);
}

void LineEditor::wordRight(NotebookEditor& editor) {
    TextLockHold hold(editor, "word right");
    const NotebookLine* line = editor.cursor().getLine();
    int length = line->text.length();
    int column = line->nextColumn(editor.cursor().getColumn());
    while (column < length && line->characterAt(column) != ' ') column = line->nextColumn(column);
    editor.setCursorColumn(column);
}

// --- Return and Escape --------------------------------------------------------------

void LineEditor::pressReturn(NotebookEditor& editor) {
    int state = getIntCell(functionEntryState);
    if (state == 2) {
        {
            TextLockHold hold(editor, "return in function");
            NotebookLine* line = editor.cursor().getLine();
            NotebookLine* next = line->next;
            bool nextIsBody = next && next->kind == lineFunctionBody;
            bool commits = endsWith(line, "endfunction") || (nextIsBody && !isEmptyPrompt(next));
            if (!commits) {
                if (nextIsBody) {
                    editor.setCursorLine(next, 1);
                    return;
                }
                if (line->text.length() > 1) {
                    const char* text = line->text.getText();
                    int blanks = 0;
                    while (text[1 + blanks] == ' ') blanks++;
                    std::string body = "$" + std::string(size_t(blanks), ' ');
                    editor.setCursorLine(editor.newLineAfter(line, body.c_str(), lineFunctionBody),
                                         1 + blanks);
                    editor.setNotebookChanged(1);
                    return;
                }
                line->text.assign("$endfunction");
                editor.setNotebookChanged(1);
            }
        }
        NotebookLine* header = leaveFunctionBody(editor);
        if (!header) return;
        int bodyLines = 0;
        {
            TextLockHold hold(editor, "count body");
            NotebookLine* line = NotebookEditor::findNextPromptLine(header);
            for (; line && line->kind == lineFunctionBody; line = line->next) bodyLines++;
        }
        assignIntCell(commandsToRun, bodyLines);
        resume(editor);
        return;
    }
    if (state == 1) {
        {
            TextLockHold hold(editor, "return in function");
            NotebookLine* line = editor.cursor().getLine();
            bool bodyFollows = line->next && line->next->kind == lineFunctionBody;
            if (!bodyFollows && isEmptyPrompt(line)) line->text.assign("$endfunction");
        }
        resume(editor);
        return;
    }
    if (inputBuiltinActive || multiLineCommandCount(editor) >= 0) {
        writeToDumpFile(editor);
        resume(editor);
        return;
    }
    TextLockHold hold(editor, "continue command");
    editor.setCursorLine(editor.newLineAfter(editor.cursor().getLine(), ">", lineCommand), 1);
    editor.setNotebookChanged(1);
}

void LineEditor::pressEscape(NotebookEditor& editor) {
    int state = getIntCell(functionEntryState);
    if (state == 2) {
        leaveFunctionBody(editor);
    } else if (state == 1) {
        {
            TextLockHold hold(editor, "escape in function");
            if (isEmptyPrompt(editor.cursor().getLine()))
                editor.cursor().getLine()->text.assign("$endfunction");
        }
        resume(editor);
    } else if (inputBuiltinActive) {
        recall(editor, "escape");
        resume(editor);
    } else {
        history.index = history.count();
    }
}

int LineEditor::multiLineCommandCount(NotebookEditor& editor) {
    if (getIntCell(commandFromNotebook) || getIntCell(commandsToRun) > 0 || continuationActive)
        return 0;
    TextLockHold hold(editor, "multiline");
    NotebookLine* cursor = editor.cursor().getLine();
    bool continued = endsWith(cursor, "...");
    if (!NotebookEditor::isFunctionStart(cursor->text.getText()) && continued) {
        NotebookLine* next = cursor->next;
        while (next && next->kind != lineCommand) next = next->next;
        if (!next || isEmptyPrompt(next)) return -1;
    }
    if (continued && cursor->next && cursor->next->kind == lineFunctionBody) {
        int count = 1;
        for (NotebookLine* line = cursor->next; line && line->kind == lineFunctionBody;
             line = line->next)
            count++;
        assignIntCell(commandsToRun, count);
        return count;
    }
    NotebookLine* first = nullptr;
    for (NotebookLine* line = cursor->previous;
         line && line->kind == lineCommand && endsWith(line, "..."); line = line->previous) {
        bool headsBody = line->next && line->next->kind == lineFunctionBody;
        if (headsBody) break;
        first = line;
    }
    if (!first && continued) first = cursor;
    if (!first) return 0;
    int count = 1;
    NotebookLine* lastWithDots = first;
    NotebookLine* last = nullptr;
    for (NotebookLine* line = first->next; line && line->kind == lineCommand; line = line->next) {
        if (!endsWith(line, "...")) {
            last = line;
            break;
        }
        lastWithDots = line;
        count++;
    }
    if (!last || isEmptyPrompt(last)) {
        editor.setCursorLine(lastWithDots, 0);
        return 0;
    }
    editor.setCursorLine(first, 0);
    assignIntCell(commandsToRun, count);
    return count;
}

// --- completion -----------------------------------------------------------------------

void LineEditor::completeAtCursor(NotebookEditor& editor) {
    const auto state = publishedStateSnapshot();
    if (state->yacasMode) return;
    TextLockHold hold(editor, "complete");
    int start = getIntCell(inputStartColumn);
    const char* text = editor.cursor().getLine()->text.getText();
    int length = editor.cursor().getLine()->text.length();
    int end = editor.cursor().getColumn() < length ? editor.cursor().getColumn() : length;
    if (end <= start) return;
    bool maxima = editor.isSymbolicAtCursor() || currentMaximaMode;
    const NotebookLine* line = editor.cursor().getLine();
    int begin = end;
    while (begin > start) {
        int previous = line->previousColumn(begin);
        if (previous < start || !isCompletionChar(line->characterAt(previous), maxima)) break;
        begin = previous;
    }
    std::string word(text + begin, size_t(end - begin));
    bool utf8 = line->holdsUtf8();
    if (word.empty() || characterCount(word.c_str(), word.size(), utf8) > 128) return;
    if (word != insertedCandidate) {
        maximaEntry = 0;
        maximaMoreEntries = 0;
        if (maxima) {
            MaximaCompletion found = completeMaximaName(word, 0);
            candidates = found.names;
            maximaMoreEntries = found.more;
            editor.getHost().showStatus(found.help.c_str());
        } else {
            candidates = completeName(word, *state).names;
        }
        nextCandidate = 0;
    } else if (maximaMoreEntries > 0) {
        // A Maxima name of several entries: Insert again shows the next
        // entry's help line.
        maximaEntry = maximaEntry < maximaMoreEntries ? maximaEntry + 1 : 0;
        editor.getHost().showStatus(completeMaximaName(word, maximaEntry).help.c_str());
        return;
    }
    if (nextCandidate >= candidates.size()) return;
    const std::string& candidate = candidates[nextCandidate];
    if (candidate.empty() || characterCount(candidate.c_str(), candidate.size(), utf8) >= 129)
        return;
    editor.cursor().getLine()->text.erase(begin, end - begin);
    editor.cursor().getLine()->text.insertAt(begin, candidate.c_str());
    editor.cursor().setColumn(begin + int(candidate.size()));
    editor.setNotebookChanged(1);
    insertedCandidate = candidate;
    nextCandidate = nextCandidate + 1 < candidates.size() ? nextCandidate + 1 : 0;
}

}  // namespace kalix
