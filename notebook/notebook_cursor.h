// The cursor of the notebook, the anchor a shift-movement or a drag
// selects from, and the selection: the lines from `selectionFirst` to
// `selectionLast`, from a column of the first to a column of the last.
// Columns are byte offsets into the line's text, on character starts.
//
// Threads: owned by whichever thread holds the "Text" lock (textLock);
// read and written only under it.
#pragma once

namespace kalix {

class NotebookLine;

class NotebookCursor {
  public:
    NotebookLine* getLine() const { return line; }
    int getColumn() const { return column; }
    void setLine(NotebookLine* value) { line = value; }
    void setColumn(int value) { column = value; }

    // --- the anchor ------------------------------------------------------------
    // Null when no shift-movement or drag is under way.
    NotebookLine* getAnchorLine() const { return anchorLine; }
    int getAnchorColumn() const { return anchorColumn; }
    void setAnchor(NotebookLine* line, int column) {
        anchorLine = line;
        anchorColumn = column;
    }
    void clearAnchor() { anchorLine = nullptr; }

    // --- the selection -----------------------------------------------------------
    // Null when nothing is selected.
    NotebookLine* getSelectionFirst() const { return selectionFirst; }
    NotebookLine* getSelectionLast() const { return selectionLast; }
    int getSelectionStartColumn() const { return selectionStartColumn; }
    int getSelectionEndColumn() const { return selectionEndColumn; }
    void select(NotebookLine* first, int startColumn, NotebookLine* last, int endColumn);
    // Nothing selected (the lines' marks stay as they are).
    void clearSelection();
    // The selection marks the bracket that matches the one at the cursor.
    int isBracketMatchShown() const { return bracketMatchShown; }
    void setBracketMatchShown(int value) { bracketMatchShown = value; }

    // A line goes: the cursor moves to `neighbour` (its column kept within
    // the text), and the anchor and the selection leave it.
    void lineDeleted(const NotebookLine* gone, NotebookLine* neighbour);

  private:
    NotebookLine* line = nullptr;
    int column = 0;
    NotebookLine* anchorLine = nullptr;
    int anchorColumn = 0;
    NotebookLine* selectionFirst = nullptr;
    NotebookLine* selectionLast = nullptr;
    int selectionStartColumn = 0;
    int selectionEndColumn = 0;
    int bracketMatchShown = 0;
};

}  // namespace kalix
