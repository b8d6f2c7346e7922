// The notebook's text: the doubly linked list of lines, the changed flag
// and change count, the file the notebook belongs to, the older versions
// of a line for "Restore", the buffer of deleted commands that "undo
// delete" inserts again, and the plain text search.
//
// Threads: owned by whichever thread holds the "Text" lock (textLock);
// everything is read and written under it, except `changed`, which any
// thread may read.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/string.h"

namespace kalix {

class NotebookEditor;
class NotebookLine;

struct LinePosition {
    NotebookLine* line = nullptr;
    int column = 0;
};

class NotebookDocument {
  public:
    // Starts with one empty line; the lines refer back to `editor`.
    explicit NotebookDocument(NotebookEditor* editor);
    ~NotebookDocument();
    NotebookDocument(const NotebookDocument&) = delete;
    NotebookDocument& operator=(const NotebookDocument&) = delete;

    // --- lines -------------------------------------------------------------
    NotebookLine* getFirstLine() const { return firstLine; }
    NotebookLine* lastLine() const;
    int lineCount() const;
    NotebookLine* lineAt(int index) const;        // null past the end
    int indexOf(const NotebookLine* line) const;  // -1 when not in the notebook
    NotebookLine* findLine(uint64_t id) const;
    // A new line after `after` (first when null).
    NotebookLine* newLineAfter(NotebookLine* after, const char* text, int kind);
    NotebookLine* newLineBefore(NotebookLine* before, const char* text, int kind);
    // Unlinks and frees a line; the first line moves on. The caller moves
    // the cursor and the view off it.
    void deleteLine(NotebookLine* line);
    // Frees every line and starts again with one empty line, returned.
    NotebookLine* restart();

    // --- changes -------------------------------------------------------------
    int isChanged() const { return changed; }
    // Sets the changed flag (a set counts a change); true when the flag
    // took a new value.
    bool setChanged(int flag);
    // Counts every change; a save clears the changed flag only when no
    // change came while it wrote.
    uint64_t changeCount() const { return modificationCount; }

    // --- the file ------------------------------------------------------------
    // The file the notebook was read from or written to; empty for a new one.
    const std::string& getFilePath() const { return filePath; }
    void setFilePath(const char* path) { filePath = path ? path : ""; }
    // Image files written by the last read or save of the file.
    const std::vector<std::string>& getSavedImageFiles() const { return savedImageFiles; }
    void setSavedImageFiles(std::vector<std::string> files) { savedImageFiles = std::move(files); }

    // --- older versions of a line ----------------------------------------------
    // Keeps the line's text as its newest older version.
    static void pushLineBackup(NotebookLine* line);
    // The line takes the next older (or later) version that differs from
    // its text; nothing when there is none.
    static void restoreOlderBackup(NotebookLine* line);
    static void restoreLaterBackup(NotebookLine* line);

    // --- search ------------------------------------------------------------------
    // The first occurrence of `text` from `line` on (forward) or back from
    // it; line null when there is none.
    static LinePosition findText(NotebookLine* line, const char* text, bool forward);

    // --- deleted commands ------------------------------------------------------
    // The deleted lines, one a line, in the form restoreDeletedLine reads.
    const String& getDeletedCommands() const { return deletedCommands; }
    // A deletion from the cursor line `cursorId` starts a new buffer unless
    // the last deletion left the cursor there.
    void startDeletion(uint64_t cursorId);
    // Appends a deleted line (output lines that would read as another
    // kind get a blank in front).
    void appendDeleted(const NotebookLine* line);
    // The cursor line the deletion left (by id).
    void endDeletion(uint64_t cursorId) { lastDeletionCursor = cursorId; }
    void clearDeletedCommands() { deletedCommands.clearString(); }

  private:
    NotebookLine* makeLine(NotebookLine* previous, NotebookLine* next, const char* text);
    void deleteAllLines();

    NotebookEditor* editor;
    NotebookLine* firstLine = nullptr;
    // Never reused within one notebook.
    uint64_t nextLineId = 1;
    // Written under the text lock; read by any thread (the window's title,
    // the recovery copy on the save thread).
    std::atomic<int> changed = 0;
    uint64_t modificationCount = 0;
    std::string filePath;
    std::vector<std::string> savedImageFiles;
    String deletedCommands;
    // The cursor line the last deletion left (by id; 0 none).
    uint64_t lastDeletionCursor = 0;
};

}  // namespace kalix
