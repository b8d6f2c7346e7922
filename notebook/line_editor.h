// The command-line editor: while the interpreter waits for an input line,
// the keys of the text window edit the command at the cursor line: typing,
// moving within the input part, the command history, name completion, the
// function-key texts, Return (which hands the line to the interpreter) and
// Escape, with the entry of multi-line functions and of commands continued
// over several lines with " ...".
//
// Runs on the GUI thread with the text lock free; every editing step takes
// the lock inside the editor operations. The history is appended on the
// computation thread after it was resumed, so the two never meet.
#pragma once

#include <string>
#include <vector>

#include "notebook/notebook_model.h"
#include "platform/host.h"

namespace kalix {

// What a key means to the line editor (0: a typed character only); the
// codes the host stores with a key are the same numbers.
enum LineEditCode : int {
    editUp = keyCursorUp,
    editDown = keyCursorDown,
    editLeft = keyCursorLeft,
    editRight = keyCursorRight,
    editEscape = keyEscape,
    editDelete = keyDelete,
    editBackspace = 7,
    editTab = 9,
    editReturn = 10,
    editEnd = 12,
    editHome = 13,
    editF1 = keyF1,  // F1 .. F10 are 14 .. 23
    editWordLeft = 24,
    editWordRight = 25,
    editInsert = keyInsert,
    editPageUp = 28,
    editPageDown = 29,
};

// Flags of the line input shared with the interpreter's host.
extern IntCell commandsToRun;               // notebook commands taken without waiting
extern IntCell commandFromNotebook;         // the current line was taken automatically
extern IntCell runThroughSections;          // an automatic run goes past a section start
extern IntCell updateCommentsWhileRunning;  // an automatic run renders each comment anew

// The last 32 command lines, oldest first.
class CommandHistory {
  public:
    static constexpr int capacity = 32;
    static constexpr int entryLimit = 32766;  // characters kept of one line

    void add(const char* text);
    int count() const { return int(entries.size()); }
    const std::string& entry(int i) const { return entries[size_t(i)]; }
    void clear() {
        entries.clear();
        index = 0;
    }

    int index = 0;  // 0 .. count: where Up and Down stand

  private:
    std::vector<std::string> entries;
};

class LineEditor {
  public:
    // One key: a typed character (0 for none) and its line-editor code.
    void handleKey(NotebookEditor& editor, int character, int code);
    // Insert: completes the name before the cursor (in a Maxima line from
    // Maxima's function list, its help line in the status line); again
    // cycles through the candidates.
    void completeAtCursor(NotebookEditor& editor);
    // The entry of a Maxima name whose help the status line shows: the one
    // Insert reached when `word` is the name it completed, else 0.
    int maximaEntryFor(const std::string& word) const {
        return word == insertedCandidate ? maximaEntry : 0;
    }
    // Return on a command line of a command continued with " ...": -1 when
    // the command goes on in a new line, else the number of following lines
    // the interpreter takes without waiting (0: none, or the cursor line is
    // taken alone).
    int multiLineCommandCount(NotebookEditor& editor);

    CommandHistory history;

  private:
    void resume(NotebookEditor& editor);
    void recall(NotebookEditor& editor, const std::string& text);
    void historyBack(NotebookEditor& editor);
    void historyForward(NotebookEditor& editor);
    void pressReturn(NotebookEditor& editor);
    void pressEscape(NotebookEditor& editor);
    void wordLeft(NotebookEditor& editor);
    void wordRight(NotebookEditor& editor);

    int lastCode = 0;
    bool resumed = false;  // this key handed the line to the interpreter
    // Completion: the candidate inserted last, the candidates and the next.
    std::string insertedCandidate;
    std::vector<std::string> candidates;
    size_t nextCandidate = 0;
    // A completed Maxima name with several entries: the entry whose help
    // line is shown, and how many follow the first.
    int maximaEntry = 0;
    int maximaMoreEntries = 0;
};

// The line editor of the text window.
extern LineEditor lineEditor;

// Appends a line taken by the interpreter to the history (computation
// thread, from the line input).
void addHistoryLine(const char* text);

}  // namespace kalix
